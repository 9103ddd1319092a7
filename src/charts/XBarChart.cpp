#include "XBarChart.h"

#include "ChartControl.h"
#include "Formats.h"

namespace {

const QColor kOrange(0xFF, 0x80, 0x00);
const QColor kGreen(0x00, 0xB7, 0x00);
const QColor kStageColor(0x30, 0x30, 0xA0);
const QColor kBaselineColor(0x80, 0x40, 0x00);

void setDataLook(ChartSeries& s, const QString& title)
{
    s.look.title = title;
    s.look.lineColor = Qt::red;
    s.look.pointerStyle = PointerStyle::Diamond;
    s.look.pointerColor = Qt::green;
    s.look.marks.visible = false;
    s.look.valueFormat = QStringLiteral("#,##0.##");
    s.look.sparsePointerPixels = XBarChart::kSparsePointerPixels;
}

void setSpecLook(ChartSeries& s, const QString& title)
{
    s.look.title = title;
    s.look.lineColor = Qt::red;
    s.look.pointerStyle = PointerStyle::Diamond;
    s.look.pointerColor = Qt::red;
    s.look.marks = MarksLook{true, true, Qt::red, true, true, true};
}

} // namespace

XBarChart::XBarChart(ChartControl& chart) : m_chart(chart)
{
    m_chart.setBackgroundColor(QColor(0xE0, 0xE0, 0xE0));
    for (TextBlock* block : {&m_chart.title(), &m_chart.subFoot(), &m_chart.foot()}) {
        block->color = kOrange;
        block->bold = true;
        block->clear();
    }
    m_chart.title().add(QStringLiteral("SPC Chart"));
    m_chart.subFoot().add(QStringLiteral("Source ID"));

    ChartAxis& left = m_chart.axis(AxisId::Left);
    left.title = QStringLiteral("X-Bar");
    left.valueFormat = QStringLiteral("#,##0.##");
    left.endPercent = 74;
    ChartAxis& range = m_chart.axis(AxisId::Custom0);
    range.title = QStringLiteral("Range");
    range.valueFormat = QStringLiteral("#,##0.##");
    range.startPercent = 74;
    ChartAxis& top = m_chart.axis(AxisId::Top);
    top.increment = 1;
    top.labelsFromPoints = true;
    top.valueFormat = QStringLiteral("#,##0.##");
    ChartAxis& bottom = m_chart.axis(AxisId::Bottom);
    bottom.labelsFromPoints = true;
    bottom.labelsAtChanges = true;
    bottom.valueFormat = QStringLiteral("#,###.##");
    m_chart.axis(AxisId::Right).visible = false;

    while (m_chart.seriesCount() > 0) {
        m_chart.removeSeries(m_chart.seriesCount() - 1);
    }
    for (int i = 0; i <= kRangeSeries; ++i) {
        m_chart.addLineSeries();
    }
    ChartSeries& data = m_chart.series(kDataSeries);
    setDataLook(data, QStringLiteral("X-Bar"));
    data.horizontalAxis = AxisId::Top;
    data.look.handCursor = true;
    ChartSeries& limits = m_chart.series(kLimitsSeries);
    limits.look.title = QStringLiteral("CL/LCL/UCL");
    limits.look.lineColor = kGreen;
    limits.look.pointerStyle = PointerStyle::DownTriangle;
    limits.look.pointerColor = kGreen;
    setSpecLook(m_chart.series(kLslSeries), QStringLiteral("LSL"));
    setSpecLook(m_chart.series(kUslSeries), QStringLiteral("USL"));
    m_chart.series(kLslSeries).horizontalAxis = AxisId::Top;
    m_chart.series(kUslSeries).horizontalAxis = AxisId::Top;
    setDataLook(m_chart.series(kRangeSeries), QStringLiteral("Range"));
    m_chart.setMaxPointsPerPage(50);
}

void XBarChart::SetupRangeSeries()
{
    ChartSeries& range = m_chart.series(kRangeSeries);
    range.verticalAxis = AxisId::Custom0;
    range.horizontalAxis = AxisId::Bottom;
}

void XBarChart::ResetChart(const QString& unit, bool individual, const QString& chartTitle)
{
    m_chart.undoZoom();
    ClearControlLimits();
    for (int i = 0; i < kFirstControlLine; ++i) {
        m_chart.clearSeries(i);
    }
    for (int i = kLimitsSeries; i <= kUslSeries; ++i) {
        m_chart.series(i).look.pointerStyle = PointerStyle::Diamond;
    }
    m_chart.setMaxPointsPerPage(kPointsPerPage);
    WritePageLine(chartTitle);
    const QString shownUnit = unit.isEmpty() ? QString() : QLatin1Char('(') + unit + QLatin1Char(')');
    m_chart.axis(AxisId::Left).title =
        (individual ? QStringLiteral("Individual ") : QStringLiteral("X-Bar ")) + shownUnit;
    m_chart.axis(AxisId::Custom0).title = individual ? QStringLiteral("Moving Range") : QStringLiteral("Range");
    m_chart.update();
}

void XBarChart::ClearControlLimits()
{
    for (int i = m_chart.seriesCount() - 1; i >= kFirstControlLine; --i) {
        m_chart.removeSeries(i);
    }
    m_chart.clearSeries(kLslSeries);
    m_chart.clearSeries(kUslSeries);
    m_chart.dividers().clear();
}

int XBarChart::AddControlLineSeries(const QString& kind)
{
    const int index = m_chart.addLineSeries();
    ChartSeries& s = m_chart.series(index);
    s.look.title = kind;
    s.look.lineColor = kGreen;
    s.look.pointerStyle = PointerStyle::None;
    s.look.marks = MarksLook{true, true, QColor(0x00, 0x80, 0x00), false, false, true};
    if (kind == QLatin1String("X-Bar")) {
        s.verticalAxis = AxisId::Left;
        s.horizontalAxis = AxisId::Top;
    } else {
        s.verticalAxis = AxisId::Custom0;
        s.horizontalAxis = AxisId::Bottom;
    }
    return index;
}

QString XBarChart::DrawControlLimits(const Drawing& d, int subgroupSize, bool hideSpec)
{
    const LimitsInForce& inForce = *d.limits;
    const qint64 pointCount = m_chart.pointCount(kDataSeries);
    const double lastX = static_cast<double>(pointCount - 1);

    // An absent limit shows "N/A" and has no line; hidden limits keep their numbers and have none.
    QString lslText = StatisticText(d.lsl);
    QString uslText = StatisticText(d.usl);
    if (!hideSpec) {
        const auto specLine = [&](int series, double value, const QString& name, QString& text) {
            if (IsAbsentLimit(value)) {
                text = QStringLiteral("N/A");
                return;
            }
            m_chart.series(series).look.levelToEnd = true;
            m_chart.addPointXY(series, 0, value, name);
            m_chart.addPointXY(series, lastX, value, name + QLatin1Char('=') + FormatNumber(value, kValueFormat));
        };
        specLine(kLslSeries, d.lsl, QStringLiteral("LSL"), lslText);
        specLine(kUslSeries, d.usl, QStringLiteral("USL"), uslText);
    }

    // Each segment's lines run from its first point to the next segment's, where the divider
    // that names the stage stands, so that a page holding either shows the step; the last
    // segment's run on to the end of the page. Every page labels the lines at its edges.
    const std::vector<LimitSegment>& segments = inForce.segments;
    for (size_t k = 0; k < segments.size(); ++k) {
        const ControlLimits& l = segments[k].limits;
        const double from = static_cast<double>(segments[k].firstPoint);
        const double to = k + 1 < segments.size() ? static_cast<double>(segments[k + 1].firstPoint) : lastX;
        const struct
        {
            const char* kind;
            double value;
            const char* name;
            QString longLabel;
        } lines[] = {
            {"X-Bar", l.cl, "CL",
             QStringLiteral("CL=") + StatisticText(l.cl) + QStringLiteral("; CpK=") + StatisticText(l.cpk)},
            {"X-Bar", l.lcl, "LCL", QStringLiteral("LCL=") + StatisticText(l.lcl)},
            {"X-Bar", l.ucl, "UCL", QStringLiteral("UCL=") + StatisticText(l.ucl)},
            {"Range", l.rBar, "CL", QStringLiteral("CL=") + StatisticText(l.rBar)},
            {"Range", l.rangeLcl, "LCL", QStringLiteral("LCL=") + StatisticText(l.rangeLcl)},
            {"Range", l.rangeUcl, "UCL", QStringLiteral("UCL=") + StatisticText(l.rangeUcl)},
        };
        for (const auto& line : lines) {
            const int series = AddControlLineSeries(QLatin1String(line.kind));
            // The limits in force now hold on to the end of the last page.
            m_chart.series(series).look.levelToEnd = k + 1 == segments.size();
            m_chart.addPointXY(series, from, line.value, QLatin1String(line.name));
            m_chart.addPointXY(series, to, line.value, line.longLabel);
        }
        if (k > 0) {
            m_chart.dividers().push_back({AxisId::Top, from, segments[k].stage->caption(), kStageColor});
        }
    }
    // Through the last point of the baseline's period, when new points follow it.
    if (inForce.source == LimitSource::Frozen && inForce.baselinePoints > 0 && inForce.baselinePoints < pointCount) {
        m_chart.dividers().push_back({AxisId::Top, static_cast<double>(inForce.baselinePoints - 1),
                                      QStringLiteral("End of baseline"), kBaselineColor});
    }

    const ControlLimits& now = inForce.current().limits;
    const QStringList panel = StatisticsPanelLines(now, d.isXBar, subgroupSize, d.total, d.stdDev, uslText, lslText);
    return panel.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

void XBarChart::WritePageLine(const QString& chartTitle, bool compact)
{
    TextBlock& subFoot = m_chart.subFoot();
    subFoot.clear();
    subFoot.add(chartTitle + (compact ? QStringLiteral(" Chart Page: ") : QStringLiteral("  Chart Page: ")) +
                QString::number(m_chart.currentPage()) + QStringLiteral(" of ") + QString::number(m_chart.pageCount()));
    m_chart.update();
    if (m_pageLineListener) {
        m_pageLineListener();
    }
}
