#include "YieldChart.h"

#include "AttributeChartMath.h"
#include "ChartControl.h"
#include "ChartLook.h"
#include "Formats.h"

namespace {

const QColor kLimitGreen(0x00, 0xB7, 0x00);
const QString kFractionAxisFormat = QStringLiteral("#,##0.0##");

MarksLook LineLabelMarks()
{
    return MarksLook{true, true, QColor(0x00, 0x80, 0x00), false, false, true};
}

QString LineLabel(const char* name, double value)
{
    return QLatin1String(name) + QLatin1Char('=') + FormatNumber(value, kValueFormat);
}

} // namespace

YieldChart::YieldChart(ChartControl& chart) : m_chart(chart)
{
    PresetChartTitle(m_chart, QStringLiteral("p Chart"));
    m_chart.subFoot().clear();
    m_chart.foot().lines = QStringList{QStringLiteral(" ")};
    m_chart.axis(AxisId::Left).valueFormat = kFractionAxisFormat;
    m_chart.axis(AxisId::Right).visible = false;
    m_chart.axis(AxisId::Bottom).labelsAtChanges = true;
    SetCategoryAxes(m_chart, 0);

    while (m_chart.seriesCount() > 0) {
        m_chart.removeSeries(m_chart.seriesCount() - 1);
    }
    ChartSeries& data = m_chart.series(m_chart.addLineSeries());
    data.look.title = QStringLiteral("Failed");
    data.look.lineColor = Qt::red;
    data.look.pointerStyle = PointerStyle::Diamond;
    data.look.pointerColor = Qt::green;
    data.look.sparsePointerPixels = 3;
    data.look.valueFormat = kFractionAxisFormat;
    for (const char* title : {"CL", "UCL", "LCL", "UCL-Label", "LCL-Label"}) {
        ChartSeries& line = m_chart.series(m_chart.addLineSeries());
        line.look.title = QLatin1String(title);
        line.look.lineColor = kLimitGreen;
        line.horizontalAxis = AxisId::Top;
    }
    m_chart.series(kCentreSeries).look.marks = LineLabelMarks();
    m_chart.series(kUclLabelSeries).look.marks = LineLabelMarks();
    m_chart.series(kLclLabelSeries).look.marks = LineLabelMarks();
}

void YieldChart::Draw(const AttributeChart& data, const QVector<RuleMask>& marks, RuleSet set, const QString& counted)
{
    for (int i = 0; i < m_chart.seriesCount(); ++i) {
        m_chart.clearSeries(i);
    }
    const QString kind = data.np ? QStringLiteral("np Chart") : QStringLiteral("p Chart");
    m_chart.title().lines = QStringList{kind, counted};
    m_chart.axis(AxisId::Left).title = data.np ? QStringLiteral("Failed units") : QStringLiteral("Fraction failed");
    const qint64 count = static_cast<qint64>(data.points.size());
    SetCategoryAxes(m_chart, count);
    if (count == 0) {
        return;
    }

    ChartSeries& values = m_chart.series(kDataSeries);
    values.points.reserve(count);
    for (const AttributePoint& point : data.points) {
        m_chart.addPoint(kDataSeries, point.value, point.label);
    }
    for (qint64 i = 0; i < marks.size(); ++i) {
        if (marks[i] != 0) {
            values.flaggedPoints.push_back(i);
        }
    }
    values.flagsHighlighted = set != RuleSet::None;

    const double last = static_cast<double>(count) - 0.5;
    m_chart.addPointXY(kCentreSeries, -0.5, data.centre, QStringLiteral("CL"));
    m_chart.addPointXY(kCentreSeries, last, data.centre, LineLabel("CL", data.centre));
    // Each subgroup's limits span its own width: a step where they change.
    for (qint64 i = 0; i < count; ++i) {
        const AttributePoint& point = data.points[static_cast<size_t>(i)];
        const double x = static_cast<double>(i);
        m_chart.addPointXY(kUclSeries, x - 0.5, point.ucl);
        m_chart.addPointXY(kUclSeries, x + 0.5, point.ucl);
        m_chart.addPointXY(kLclSeries, x - 0.5, point.lcl);
        m_chart.addPointXY(kLclSeries, x + 0.5, point.lcl);
    }
    const AttributePoint& end = data.points.back();
    m_chart.addPointXY(kUclLabelSeries, last, end.ucl, LineLabel("UCL", end.ucl));
    m_chart.addPointXY(kLclLabelSeries, last, end.lcl, LineLabel("LCL", end.lcl));
    m_chart.update();
}
