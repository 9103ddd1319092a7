#include "ParetoChart.h"

#include "ChartControl.h"
#include "ChartLook.h"
#include "ParetoMath.h"

ParetoChart::ParetoChart(ChartControl& chart) : m_chart(chart)
{
    PresetChartTitle(m_chart, QStringLiteral("Pareto"));
    m_chart.subFoot().lines = QStringList{QStringLiteral("Nonconformities"), QStringLiteral(" ")};
    m_chart.foot().lines = QStringList{QStringLiteral(" ")};
    m_chart.setZoomAllowed(false);

    ChartAxis& left = m_chart.axis(AxisId::Left);
    left.limits = AxisLimits{false, false, 0, 105};
    left.increment = 10;
    left.valueFormat = QStringLiteral("#,###");
    left.title = QStringLiteral("Percent");
    m_chart.axis(AxisId::Right).visible = false;
    ChartAxis& bottom = m_chart.axis(AxisId::Bottom);
    bottom.labelsFromPoints = true;
    bottom.wrapLabels = true;
    bottom.title.clear();

    while (m_chart.seriesCount() > 0) {
        m_chart.removeSeries(m_chart.seriesCount() - 1);
    }
    ChartSeries& data = m_chart.series(m_chart.addSeries(SeriesKind::Bar));
    data.look.title = QStringLiteral("Data");
    data.look.lineColor = kChartOrange;
    data.look.barGradient = true;
    data.look.barWidthPercent = 85;
    data.look.marks.visible = false;
    data.look.valueFormat = QStringLiteral("#,##0");
    ChartSeries& percent = m_chart.series(m_chart.addLineSeries());
    percent.look.title = QStringLiteral("Percent");
    percent.look.lineColor = kChartOrange;
    percent.look.pointerStyle = PointerStyle::Rectangle;
    percent.look.pointerSize = 2;
    percent.look.pointerColor = kChartOrange;
    percent.look.marks.visible = false;
}

void ParetoChart::AddBar(const ParetoBar& bar)
{
    m_chart.addPoint(kDataSeries, bar.percent, bar.label());
    m_chart.addPoint(kPercentSeries, bar.cumulativePercent);
}

void ParetoChart::SetTitle(const QString& title)
{
    m_chart.title().setLine(0, title);
}
