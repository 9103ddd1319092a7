#include "HistogramChart.h"

#include "AnalysisContext.h"
#include "ChartControl.h"
#include "Formats.h"
#include "HistogramMath.h"
#include "SharedState.h"

#include <algorithm>

namespace {

const QString kAxisFormat = QStringLiteral("#,##0.##");
const QColor kLavender(128, 128, 192);
const QColor kOrange(255, 128, 0);

struct SeriesPreset
{
    SeriesKind kind = SeriesKind::Line;
    const char* title = "";
    QColor color;
    AxisId axis = AxisId::Left;
};

// Marks of the label points: bold text in a colour, on a clear box when transparent.
MarksLook labelMarks(const QColor& color, bool transparent)
{
    MarksLook marks;
    marks.visible = true;
    marks.transparent = transparent;
    marks.clearBehind = transparent;
    marks.color = color;
    marks.bold = true;
    return marks;
}

} // namespace

HistogramChart::HistogramChart(ChartControl& chart) : m_chart(chart)
{
    for (TextBlock* block : {&m_chart.title(), &m_chart.subFoot(), &m_chart.foot()}) {
        block->clear();
    }
    m_chart.title().add(QStringLiteral("Histogram"));
    m_chart.setMaxPointsPerPage(0);

    ChartAxis& left = m_chart.axis(AxisId::Left);
    left.title = QStringLiteral("Frequency");
    // Frequencies start at 0, where the curve axis starts too: bars and curves share their base.
    left.limits.automaticMinimum = false;
    left.limits.minimum = 0;
    for (const AxisId id : {AxisId::Left, AxisId::Bottom, AxisId::Top}) {
        m_chart.axis(id).valueFormat = kAxisFormat;
    }
    m_chart.axis(AxisId::Bottom).gridVisible = false;
    m_chart.axis(AxisId::Right).visible = false;

    const SeriesPreset presets[kSeriesCount] = {
        {SeriesKind::Line, "LSL", Qt::red, AxisId::Left},
        {SeriesKind::Line, "USL", Qt::red, AxisId::Left},
        {SeriesKind::Line, "Mean", QColor(0, 0, 160), AxisId::Left},
        {SeriesKind::Line, "-SD", kLavender, AxisId::Left},
        {SeriesKind::Line, "+SD", kLavender, AxisId::Left},
        {SeriesKind::Bar, "Data", kOrange, AxisId::Left},
        {SeriesKind::Line, "Standard Distribution", kLavender, AxisId::Right},
        {SeriesKind::Line, "LSL-Label", Qt::red, AxisId::Left},
        {SeriesKind::Line, "USL-Label", Qt::red, AxisId::Left},
        {SeriesKind::Line, "Mean-Label", QColor(0, 128, 128), AxisId::Left},
        {SeriesKind::Line, "-SD-Label", kLavender, AxisId::Left},
        {SeriesKind::Line, "+SD-Label", kLavender, AxisId::Left},
        {SeriesKind::Line, "Standard Distribution1", Qt::red, AxisId::Right},
    };
    while (m_chart.seriesCount() > 0) {
        m_chart.removeSeries(m_chart.seriesCount() - 1);
    }
    for (const SeriesPreset& preset : presets) {
        ChartSeries& s = m_chart.series(m_chart.addSeries(preset.kind));
        s.look.title = QLatin1String(preset.title);
        s.look.lineColor = preset.color;
        s.verticalAxis = preset.axis;
        s.look.valueFormat = kAxisFormat;
    }
    for (int i = kLslSeries; i <= kPlus3SDSeries; ++i) {
        m_chart.series(i).look.lineWidth = 2;
    }
    SeriesLook& bars = m_chart.series(kDataSeries).look;
    bars.barWidthPercent = 75;
    bars.barGradient = true;
    bars.valueFormat = QStringLiteral("#,##0");
    m_chart.series(kLslLabelSeries).look.marks = labelMarks(Qt::red, true);
    m_chart.series(kUslLabelSeries).look.marks = labelMarks(Qt::red, true);
    m_chart.series(kMeanLabelSeries).look.marks = labelMarks(Qt::blue, false);
    m_chart.series(kMinus3SDLabelSeries).look.marks = labelMarks(kOrange, false);
    m_chart.series(kPlus3SDLabelSeries).look.marks = labelMarks(kOrange, false);
}

void HistogramChart::AddSelectionTitles(const AnalysisContext& context)
{
    const SharedState& state = context.state;
    const int i = context.selection.parameter;
    m_chart.subFoot().add(RangeFootLine(context));
    const QString name = state.gParameterName.value(i);
    const QString unit = state.gUnit.value(i);
    m_chart.title().add(unit.isEmpty() ? name : name + QStringLiteral(" (") + unit + QLatin1Char(')'));
}

QString HistogramChart::DrawHistogram(const HistogramStatistics& statistics, const HistogramCells& cells, double usl,
                                      double lsl)
{
    for (int i = 0; i < m_chart.seriesCount(); ++i) {
        m_chart.clearSeries(i);
    }
    m_chart.series(kDataSeries).points.reserve(static_cast<qint64>(cells.cells.size()));
    for (const HistogramCell& cell : cells.cells) {
        m_chart.addPointXY(kDataSeries, cell.lower + cells.width / 2, static_cast<double>(cell.count));
    }

    const double mean = Round3(statistics.mean);
    const double m3sd = Round3(statistics.m3sd);
    const double p3sd = Round3(statistics.p3sd);
    const double height = static_cast<double>(cells.maxCount);
    const auto text = [](const char* name, double value) {
        return QLatin1String(name) + FormatNumber(value, kValueFormat);
    };
    if (lsl != -999) {
        drawMark(kLslSeries, kLslLabelSeries, lsl, height, text("LSL=", lsl));
    }
    if (usl != 999) {
        drawMark(kUslSeries, kUslLabelSeries, usl, height, text("USL=", usl));
    }
    drawMark(kMeanSeries, kMeanLabelSeries, mean, height, text("Mean=", mean));
    drawMark(kMinus3SDSeries, kMinus3SDLabelSeries, m3sd, height, text("-3SD=", m3sd));
    drawMark(kPlus3SDSeries, kPlus3SDLabelSeries, p3sd, height, text("+3SD=", p3sd));

    // Both curves share the SD: when the first cannot be computed, neither can the second.
    QString error = drawCurve(kSampleCurveSeries, m3sd, p3sd, mean, statistics.sd);
    if (error.isEmpty() && usl != 999 && lsl != -999) {
        error = drawCurve(kCentredCurveSeries, lsl, usl, lsl + (usl - lsl) / 2, statistics.sd);
    }

    // The bottom axis reaches a third of an SD beyond each limit present, and never cuts off
    // what is drawn (data beyond a limit included).
    DataExtent drawn;
    for (int i = 0; i < m_chart.seriesCount(); ++i) {
        drawn.include(m_chart.series(i).points.xExtent());
    }
    if (!cells.cells.empty()) {
        drawn.include(cells.cells.front().lower);
        drawn.include(cells.cells.back().lower + cells.width);
    }
    const double spread = (mean - m3sd) / 3;
    AxisLimits& bottom = m_chart.axis(AxisId::Bottom).limits;
    bottom = AxisLimits();
    if (usl != 999) {
        bottom.automaticMaximum = false;
        bottom.maximum = std::max(usl + spread, drawn.max);
    }
    if (lsl != -999) {
        bottom.automaticMinimum = false;
        bottom.minimum = std::min(lsl - spread, drawn.min);
    }
    m_chart.update();
    return error;
}

void HistogramChart::drawMark(int lineSeries, int labelSeries, double x, double height, const QString& label)
{
    m_chart.addPointXY(lineSeries, x, 0);
    m_chart.addPointXY(lineSeries, x, height);
    m_chart.addPointXY(labelSeries, x, height, label);
}

// The curve from `from` to `to` in 1000 equal steps. Where the ends coincide (equal limits, or an
// SD too small to separate -3SD from +3SD at 3 decimals) the step would be 0: the curve is then
// its one point at that x.
QString HistogramChart::drawCurve(int series, double from, double to, double mean, double sd)
{
    const int points = from == to ? 1 : kCurvePoints;
    m_chart.series(series).points.reserve(points);
    for (int i = 0; i < points; ++i) {
        const double x = i == kCurvePoints - 1 ? to : from + (to - from) * i / (kCurvePoints - 1);
        const std::optional<double> y = NormalDistribution(x, mean, sd);
        if (!y) {
            return kDivisionByZero;
        }
        m_chart.addPointXY(series, x, *y, FormatNumber(*y, kValueFormat));
    }
    return {};
}

void HistogramChart::ScaleCurveAxis(qint64 meanCellCount)
{
    DataExtent curves;
    curves.include(m_chart.series(kSampleCurveSeries).points.yExtent());
    curves.include(m_chart.series(kCentredCurveSeries).points.yExtent());
    ChartAxis& right = m_chart.axis(AxisId::Right);
    right.limits = AxisLimits();
    right.follows.reset();
    if (meanCellCount > 0 && !curves.empty && curves.max > 0) {
        // The curve axis follows the frequency axis from its 0 at any size: the curves' peak
        // stands where a bar of meanCellCount values ends.
        right.follows = ChartAxis::Follow{AxisId::Left, curves.max / static_cast<double>(meanCellCount)};
    }
    m_chart.update();
}
