#include "ScatterChart.h"

#include "ChartControl.h"
#include "ChartLook.h"
#include "Formats.h"

ScatterChart::ScatterChart(ChartControl& chart) : m_chart(chart)
{
    PresetChartTitle(m_chart, QStringLiteral("Scatter"));
    m_chart.subFoot().clear();
    m_chart.subFoot().visible = false;
    m_chart.foot().clear();

    ChartAxis& bottom = m_chart.axis(AxisId::Bottom);
    bottom.title = QStringLiteral("X");
    bottom.valueFormat = kValueFormat;
    bottom.gridVisible = false;
    ChartAxis& left = m_chart.axis(AxisId::Left);
    left.title = QStringLiteral("Y");
    left.valueFormat = QStringLiteral("#,##0.##");
    m_chart.axis(AxisId::Right).visible = false;
    m_chart.axis(AxisId::Top).visible = false;

    while (m_chart.seriesCount() > 0) {
        m_chart.removeSeries(m_chart.seriesCount() - 1);
    }
    // 2 x 2 squares filled white with an orange outline.
    ChartSeries& data = m_chart.series(m_chart.addSeries(SeriesKind::Point));
    data.look.title = QStringLiteral("Data");
    data.look.lineColor = kChartOrange;
    data.look.pointerStyle = PointerStyle::Rectangle;
    data.look.pointerSize = 1;
    data.look.pointerColor = Qt::white;
    data.look.pointerOutline = kChartOrange;
    data.look.marks.visible = false;
    ChartSeries& slope = m_chart.series(m_chart.addLineSeries());
    slope.look.title = QStringLiteral("Slope");
    slope.look.lineColor = kChartOrange;
    slope.look.lineCap = Qt::SquareCap;
    slope.look.pointerStyle = PointerStyle::None;
    slope.look.marks.visible = false;
}

SeriesPoints& ScatterChart::dataPoints()
{
    return m_chart.series(kDataSeries).points;
}

void ScatterChart::SetAxisTitles(const QString& xTitle, const QString& yTitle)
{
    m_chart.axis(AxisId::Bottom).title = xTitle;
    m_chart.axis(AxisId::Left).title = yTitle;
}

void ScatterChart::DrawRegressionLine(double intercept, double slope)
{
    const AxisRange ends = m_chart.axisRange(AxisId::Bottom);
    m_chart.addPointXY(kSlopeSeries, ends.min, intercept + slope * ends.min);
    m_chart.addPointXY(kSlopeSeries, ends.max, intercept + slope * ends.max);
}
