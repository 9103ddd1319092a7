#include "ChartWindowOutput.h"

#include "ChartControl.h"
#include "ChartOutput.h"
#include "Clock.h"
#include "DisabledWhile.h"
#include "Prompts.h"

ChartWindowOutput::ChartWindowOutput(ChartControl& chart, Prompts& prompts, const Clock& clock, QWidget& cmdExport,
                                     QWidget& cmdPrintChart, const QMarginsF& margins)
    : m_chart(chart), m_prompts(prompts), m_clock(clock), m_cmdExport(cmdExport), m_cmdPrintChart(cmdPrintChart),
      m_margins(margins)
{
}

void ChartWindowOutput::Export()
{
    const DisabledWhile busy({&m_cmdExport});
    ExportChart(m_chart, m_prompts, m_clock, true);
}

void ChartWindowOutput::Print(QPrinter& printer)
{
    if (!m_prompts.choosePrinter(printer)) {
        return;
    }
    const DisabledWhile busy({&m_cmdPrintChart, &m_cmdExport});
    ChartPrintJob job(printer, m_margins);
    bool printed = false;
    {
        TemporaryTextLine stamp(m_chart, TextBlockId::Foot, 0);
        stamp.set(PrintStamp(m_clock.now()));
        printed = job.begin() && job.printPage(m_chart) && job.finish();
    }
    if (!printed) {
        m_prompts.message(job.error() + QLatin1Char('!'), MsgIcon::Exclamation, MsgButtons::OK);
    }
}
