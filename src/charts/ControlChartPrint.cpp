#include "ControlChartPrint.h"

#include "ChartControl.h"
#include "ChartOutput.h"
#include "Clock.h"
#include "XBarChart.h"

bool PrintControlChart(XBarChart& chart, const QString& chartTitle, ChartPrintJob& job, PrintOption option,
                       const QString& selectionLine, const Clock& clock)
{
    ChartControl& control = chart.chart();
    int pages = 1;
    if (option == PrintOption::CompressToOnePage) {
        control.setMaxPointsPerPage(static_cast<int>(control.pointCount(XBarChart::kDataSeries)));
        chart.WritePageLine(chartTitle);
    } else if (option == PrintOption::AllPages) {
        control.setCurrentPage(1);
        chart.WritePageLine(chartTitle);
        pages = control.pageCount();
    }

    bool printed = true;
    {
        TemporaryTextLine selection(control, TextBlockId::SubFoot, 1);
        TemporaryTextLine stamp(control, TextBlockId::Foot, 0);
        for (int page = 0; printed && page < pages; ++page) {
            selection.set(selectionLine);
            stamp.set(PrintStamp(clock.now()));
            printed = job.printPage(control);
            const int before = control.currentPage();
            control.nextPage();
            if (control.currentPage() != before) {
                chart.WritePageLine(chartTitle);
            }
        }
    }
    if (option == PrintOption::AllPages) {
        control.setCurrentPage(1);
        chart.WritePageLine(chartTitle);
    }
    return printed;
}
