#include "ChartLook.h"

#include "ChartControl.h"

void PresetChartTitle(ChartControl& chart, const QString& title)
{
    chart.setBackgroundColor(QColor(0xE0, 0xE0, 0xE0));
    TextBlock& block = chart.title();
    block.clear();
    block.add(title);
    block.color = kChartOrange;
    block.bold = true;
}

void SetCategoryAxes(ChartControl& chart, qint64 count)
{
    chart.setMaxPointsPerPage(0);
    const double last = static_cast<double>(count) - 0.5;
    for (const AxisId id : {AxisId::Bottom, AxisId::Top}) {
        ChartAxis& axis = chart.axis(id);
        axis.limits = AxisLimits{false, false, -0.5, last};
        axis.labelsFromPoints = true;
        axis.title.clear();
    }
    chart.axis(AxisId::Top).visible = false;
}
