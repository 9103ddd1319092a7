#include "FailureParetoChart.h"

#include "ChartControl.h"
#include "Formats.h"
#include "ParetoChart.h"
#include "ParetoMath.h"

FailureParetoChart::FailureParetoChart(ChartControl& chart) : m_chart(chart)
{
    ParetoChart pareto(m_chart);
    pareto.SetTitle(QStringLiteral("Failure Pareto"));
    m_chart.subFoot().lines = QStringList{QStringLiteral("Failed units by cause"), QStringLiteral(" ")};
    // Room above a bar of 100 % for its marks.
    m_chart.axis(AxisId::Left).limits.maximum = 115;
    ChartSeries& counts = m_chart.series(m_chart.addSeries(SeriesKind::Point));
    counts.look.title = QStringLiteral("Count");
    counts.look.pointerStyle = PointerStyle::None;
    counts.look.marks = MarksLook{true, true, QColor(0x40, 0x20, 0x00), true, false, false};
}

void FailureParetoChart::AddBar(const ParetoBar& bar)
{
    m_chart.addPoint(kDataSeries, bar.percent, bar.name);
    m_chart.addPoint(kPercentSeries, bar.cumulativePercent);
    m_chart.addPoint(kCountSeries, bar.percent,
                     ParetoSumText(bar.sum) + QStringLiteral(" (") +
                         FormatNumber(bar.percent, QStringLiteral("#,##0.0")) + QStringLiteral(" %)"));
}
