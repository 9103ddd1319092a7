#include "ChartRenderer.h"

#include "Decimation.h"
#include "LabelPlacement.h"
#include "PolylineClip.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPaintEngine>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace {

constexpr double kOuterMargin = 8;       // between the chart's edge and anything drawn
constexpr double kTickLength = 4;        // axis ticks, outwards
constexpr double kLabelGap = 3;          // between a tick and its label
constexpr double kTitleGap = 4;          // between axis labels and the axis title
constexpr double kMinSideMargin = 12;    // plot inset where no axis is drawn
constexpr double kEdgePad = 4;           // free pixels at automatic ends of vertical axes
constexpr double kMarkGap = 3;           // between a point (or its pointer) and its mark
constexpr double kPanelLabelGap = 4;     // least space between the labels of stacked panels
constexpr size_t kStampedPointers = 500; // above this many in a series, pointers are copied

const std::array<AxisId, 2> kHorizontalAxes{AxisId::Top, AxisId::Bottom};
const std::array<AxisId, 3> kVerticalAxes{AxisId::Left, AxisId::Custom0, AxisId::Right};

size_t Slot(AxisId id)
{
    return static_cast<size_t>(id);
}

size_t Slot(TextBlockId id)
{
    return static_cast<size_t>(id);
}

// Fonts are sized in pixels so that a painter scaled for a printer scales the text with
// everything else; a point size counts at 96 pixels per inch.
QFont PixelFont(const QFont& font, bool bold = false, bool italic = false)
{
    QFont f = font;
    if (f.pixelSize() <= 0) {
        const double points = f.pointSizeF() > 0 ? f.pointSizeF() : 9.0;
        f.setPixelSize(std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0))));
    }
    if (bold) {
        f.setBold(true);
    }
    if (italic) {
        f.setItalic(true);
    }
    return f;
}

double WidestLine(const QFontMetricsF& fm, const QStringList& lines)
{
    double widest = 0;
    for (const QString& line : lines) {
        widest = std::max(widest, fm.horizontalAdvance(line));
    }
    return widest;
}

// Distance between two neighbouring bars in x units: the mean step of an ascending series.
double BarSlot(const SeriesPoints& points)
{
    const qint64 n = points.count();
    if (n >= 2 && points.xAscending() && points.xExtent().max > points.xExtent().min) {
        return (points.xExtent().max - points.xExtent().min) / static_cast<double>(n - 1);
    }
    return 1.0;
}

double BarHalfWidth(const ChartSeries& s, const AxisMapping& xMap)
{
    const double slotPixels = std::abs(BarSlot(s.points) * xMap.scale());
    return std::max(0.5, slotPixels * std::clamp(s.look.barWidthPercent, 1, 100) / 200.0);
}

bool HasPointer(const ChartSeries& s)
{
    return s.kind != SeriesKind::Bar && s.look.pointerStyle != PointerStyle::None;
}

bool HasLine(const ChartSeries& s)
{
    return s.kind == SeriesKind::Line && s.look.lineStyle != Qt::NoPen;
}

QString MarkText(const ChartSeries& s, qint64 i)
{
    const QString& label = s.points.label(i);
    return label.isEmpty() ? AxisValueText(s.points.y(i), s.look.valueFormat) : label;
}

// A tick step no finer than the axis' format shows, so that no two labels read the same. An
// empty format shows every digit.
double FinestShown(double step, const QString& format)
{
    return format.isEmpty() ? step : std::max(step, std::pow(10.0, -FormatDecimals(format)));
}

// What the series on one axis need from it.
struct AxisDemand
{
    DataExtent extent;
    double pointerPad = 0; // largest pointer half-size
    bool marks = false;
    bool bars = false;
    double barSlot = 0; // largest, x units
};

struct VerticalPlan
{
    AxisRange range;
    std::vector<AxisLabel> labels;
    double labelWidth = 0;
};

// Labels for a vertical axis over span: values at tick steps. At the plot's own top and bottom
// half a line may stick out; at an edge shared with a neighbouring panel the text stays half of
// kPanelLabelGap inside, moved off its tick by at most a quarter line, else the label is dropped.
// The range of an axis that follows another comes as followed.
VerticalPlan PlanVertical(const ChartAxis& axis, const AxisDemand& demand, const PixelSpan& span, double plotTop,
                          double plotBottom, const QFontMetricsF& fm, const std::optional<AxisRange>& followed)
{
    VerticalPlan plan;
    const double length = span.bottom - span.top;
    const double padLow = kEdgePad + demand.pointerPad;
    const double padHigh = kEdgePad + demand.pointerPad + (demand.marks ? fm.height() + kMarkGap : 0);
    plan.range = followed ? *followed : ResolveRange(axis.limits, demand.extent, length, padLow, padHigh);
    const AxisMapping mapping = VerticalMapping(plan.range, span);
    const double lineHeight = fm.height();
    const double step = FinestShown(TickStep(plan.range, length, lineHeight * 1.6, axis.increment), axis.valueFormat);
    const double inset = kPanelLabelGap / 2 + lineHeight / 2;
    const double highest = span.top <= plotTop + 0.5 ? span.top : span.top + inset;
    const double lowest = span.bottom >= plotBottom - 0.5 ? span.bottom : span.bottom - inset;
    if (highest > lowest) {
        return plan;
    }
    for (const double value : TickValues(plan.range, step)) {
        const double y = mapping.toPixel(value);
        const double centre = std::clamp(y, highest, lowest);
        if (std::abs(centre - y) > lineHeight / 4) {
            continue;
        }
        AxisLabel label;
        label.position = y;
        label.centre = centre;
        label.lines = QStringList{AxisValueText(value, axis.valueFormat)};
        label.width = WidestLine(fm, label.lines);
        plan.labelWidth = std::max(plan.labelWidth, label.width);
        plan.labels.push_back(std::move(label));
    }
    return plan;
}

// The first index in [from, last) whose label differs from the previous point's, where a run of
// equal labels starts; last when there is none. Over an ascending x the search steps a pixel
// column at a time, comparing the label of each column's first point, and goes point by point
// only through the column where the label has changed: a run that starts and ends inside one
// column between two such probes is passed over, as it could not be labelled legibly anyway.
qint64 NextRunStart(const SeriesPoints& points, qint64 from, qint64 last, const AxisMapping& xMap)
{
    if (from <= 0 || from >= last) {
        return from;
    }
    const QString& text = points.label(from - 1);
    qint64 same = from - 1; // the last point known to carry text
    while (same + 1 < last) {
        qint64 probe = same + 1;
        if (points.xAscending()) {
            const double nextColumn = xMap.toValue(std::floor(xMap.toPixel(points.x(same))) + 1);
            probe = std::clamp(points.lowerBound(nextColumn), same + 1, last - 1);
        }
        if (points.label(probe) != text) {
            qint64 i = same + 1;
            while (points.label(i) == text) {
                ++i;
            }
            return i;
        }
        same = probe;
    }
    return last;
}

// Lines broken at blanks so that each fits width, where it can: a word wider than width stays
// whole on a line of its own.
QStringList WrapLines(const QStringList& lines, const QFontMetricsF& fm, double width)
{
    QStringList wrapped;
    for (const QString& line : lines) {
        QString current;
        for (const QString& word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString longer = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
            if (!current.isEmpty() && fm.horizontalAdvance(longer) > width) {
                wrapped.append(current);
                current = word;
            } else {
                current = longer;
            }
        }
        wrapped.append(current);
    }
    return wrapped;
}

// Text labels from the point labels of the series with the most points on a horizontal axis.
// Labels that would overlap the previous one are skipped; over an ascending x the next
// candidate is found by bisection, so a million points cost a few dozen measurements. With the
// axis' labelsAtChanges the candidates are the first point shown and the starts of runs.
std::vector<AxisLabel> PointLabels(const ChartModel& model, AxisId axisId, const AxisMapping& xMap, double left,
                                   double right, const QFontMetricsF& fm)
{
    std::vector<AxisLabel> labels;
    const ChartSeries* source = nullptr;
    for (const ChartSeries& s : model.series) {
        if (s.look.visible && s.horizontalAxis == axisId && (!source || s.points.count() > source->points.count())) {
            source = &s;
        }
    }
    if (!source || source->points.count() == 0 || !(xMap.scale() > 0)) {
        return labels;
    }
    const SeriesPoints& points = source->points;
    const bool ascending = points.xAscending();
    const bool atChanges = model.axis(axisId).labelsAtChanges;
    const auto [first, last] = points.indexRange(xMap.range);
    // The next point to try after current: from, or with atChanges the first run start from there.
    const auto candidate = [&](qint64 current, qint64 from) {
        from = std::max(current + 1, from);
        return atChanges ? NextRunStart(points, from, last, xMap) : from;
    };
    const double gap = fm.averageCharWidth() * 1.5;
    const double slot = BarSlot(points) * xMap.scale() - gap;
    const bool wrap = model.axis(axisId).wrapLabels && slot > 0;
    double lastRight = -std::numeric_limits<double>::infinity();
    for (qint64 i = first; i < last;) {
        if (!ascending && !xMap.range.contains(points.x(i))) {
            i = candidate(i, i + 1);
            continue;
        }
        const QString& text = points.label(i);
        if (text.isEmpty()) {
            i = candidate(i, i + 1);
            continue;
        }
        const QStringList lines = wrap ? WrapLines(LabelLines(text), fm, slot) : LabelLines(text);
        const double width = WidestLine(fm, lines);
        const double position = xMap.toPixel(points.x(i));
        const double textLeft = std::clamp(position - width / 2, left, std::max(left, right - width));
        // The quarter pixel absorbs rounding between value and pixel, which would otherwise let
        // the bisection land one point short and the search crawl on point by point.
        if (textLeft < lastRight + gap - 0.25) {
            if (ascending && position + width / 2 > right) {
                break; // pushed in from the right edge: every later label would land here too
            }
            i = candidate(i, ascending ? points.lowerBound(xMap.toValue(lastRight + gap + width / 2 + 0.25)) : i + 1);
            continue;
        }
        labels.push_back({position, textLeft + width / 2, lines, width});
        lastRight = textLeft + width;
        i = candidate(i, ascending ? points.lowerBound(xMap.toValue(lastRight + gap)) : i + 1);
    }
    return labels;
}

// Value labels at tick steps along a horizontal axis.
std::vector<AxisLabel> ValueLabels(const ChartAxis& axis, const AxisMapping& xMap, const QFontMetricsF& fm)
{
    std::vector<AxisLabel> labels;
    const double widest = std::max(fm.horizontalAdvance(AxisValueText(xMap.range.min, axis.valueFormat)),
                                   fm.horizontalAdvance(AxisValueText(xMap.range.max, axis.valueFormat)));
    const double length = std::abs(xMap.pixelAtMax - xMap.pixelAtMin);
    const double step =
        FinestShown(TickStep(xMap.range, length, widest + fm.averageCharWidth() * 2, axis.increment), axis.valueFormat);
    for (const double value : TickValues(xMap.range, step)) {
        AxisLabel label;
        label.position = label.centre = xMap.toPixel(value);
        label.lines = QStringList{AxisValueText(value, axis.valueFormat)};
        label.width = WidestLine(fm, label.lines);
        labels.push_back(std::move(label));
    }
    return labels;
}

double TextBlockHeight(const TextBlock& block, const QFontMetricsF& fm)
{
    if (!block.visible || block.lines.isEmpty()) {
        return 0;
    }
    return block.count() * fm.lineSpacing() + kLabelGap;
}

void DrawPointer(QPainter& painter, PointerStyle style, const QPointF& c, double r)
{
    switch (style) {
    case PointerStyle::None:
        return;
    case PointerStyle::Rectangle:
        painter.drawRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
        return;
    case PointerStyle::Circle:
        painter.drawEllipse(c, r, r);
        return;
    case PointerStyle::SmallDot:
        painter.drawEllipse(c, std::max(1.0, r / 2), std::max(1.0, r / 2));
        return;
    case PointerStyle::Triangle: {
        const QPointF corners[3] = {{c.x(), c.y() - r}, {c.x() + r, c.y() + r}, {c.x() - r, c.y() + r}};
        painter.drawPolygon(corners, 3);
        return;
    }
    case PointerStyle::DownTriangle: {
        const QPointF corners[3] = {{c.x() - r, c.y() - r}, {c.x() + r, c.y() - r}, {c.x(), c.y() + r}};
        painter.drawPolygon(corners, 3);
        return;
    }
    case PointerStyle::Diamond: {
        const QPointF corners[4] = {{c.x(), c.y() - r}, {c.x() + r, c.y()}, {c.x(), c.y() + r}, {c.x() - r, c.y()}};
        painter.drawPolygon(corners, 4);
        return;
    }
    case PointerStyle::Cross: {
        const QLineF lines[2] = {{c.x() - r, c.y(), c.x() + r, c.y()}, {c.x(), c.y() - r, c.x(), c.y() + r}};
        painter.drawLines(lines, 2);
        return;
    }
    case PointerStyle::DiagonalCross: {
        const QLineF lines[2] = {{c.x() - r, c.y() - r, c.x() + r, c.y() + r},
                                 {c.x() - r, c.y() + r, c.x() + r, c.y() - r}};
        painter.drawLines(lines, 2);
        return;
    }
    case PointerStyle::Star: {
        const QLineF lines[4] = {{c.x() - r, c.y(), c.x() + r, c.y()},
                                 {c.x(), c.y() - r, c.x(), c.y() + r},
                                 {c.x() - r, c.y() - r, c.x() + r, c.y() + r},
                                 {c.x() - r, c.y() + r, c.x() + r, c.y() - r}};
        painter.drawLines(lines, 4);
        return;
    }
    }
}

// A pen one logical pixel wide: cosmetic (the fast path) when the painter is unscaled, scaled
// with everything else on a printer, where one device pixel would be a hairline.
QPen OnePixelPen(const QPainter& painter, const QColor& color, Qt::PenStyle style = Qt::SolidLine)
{
    QPen pen(color, 1, style);
    pen.setCosmetic(!painter.deviceTransform().isScaling());
    return pen;
}

// A pointer drawn once, centred on the image's centre pixel corner, for copying.
QImage PointerStamp(PointerStyle style, double r, const QPen& pen, const QBrush& brush)
{
    const int size = 2 * static_cast<int>(std::ceil(r)) + 4;
    QImage stamp(size, size, QImage::Format_ARGB32_Premultiplied);
    stamp.fill(Qt::transparent);
    QPainter painter(&stamp);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(pen);
    painter.setBrush(brush);
    DrawPointer(painter, style, QPointF(size / 2.0, size / 2.0), r);
    return stamp;
}

// Lines of text centred on centreX, the first line's top at top.
void DrawLines(QPainter& painter, const QFontMetricsF& fm, const QStringList& lines, double centreX, double top)
{
    double y = top + fm.ascent();
    for (const QString& line : lines) {
        painter.drawText(QPointF(centreX - fm.horizontalAdvance(line) / 2, y), line);
        y += fm.lineSpacing();
    }
}

// See SeriesDrawing::envelope; kept are the indices of a decimated line.
SeriesDrawing::Envelope EnvelopeOf(const SeriesPoints& points, const std::vector<qint64>& kept, const AxisMapping& xMap,
                                   const AxisMapping& yMap)
{
    SeriesDrawing::Envelope e;
    double column = std::numeric_limits<double>::quiet_NaN();
    for (const qint64 i : kept) {
        if (std::isnan(points.y(i))) {
            continue;
        }
        const double c = std::floor(xMap.toPixel(points.x(i)));
        const double y = yMap.toPixel(points.y(i));
        if (c != column) {
            column = c;
            e.tops.append(QPointF(c + 0.5, y));
            e.bottoms.append(QPointF(c + 0.5, y));
        } else {
            e.tops.last().ry() = std::min(e.tops.last().y(), y);
            e.bottoms.last().ry() = std::max(e.bottoms.last().y(), y);
        }
    }
    e.spans.reserve(e.tops.size());
    for (qsizetype k = 0; k < e.tops.size(); ++k) {
        e.spans.append(QLineF(e.tops[k], e.bottoms[k]));
    }
    return e;
}

// The end of a level line (SeriesLook::levelToEnd) at the right end of the shown range, in axis
// values; nothing when the series is no such line or its last point is not before that end.
std::optional<QPointF> LevelEnd(const ChartSeries& s, const AxisMapping& xMap)
{
    const qint64 last = s.points.count() - 1;
    if (s.kind != SeriesKind::Line || !s.look.levelToEnd || last < 0 || std::isnan(s.points.y(last)) ||
        !(s.points.x(last) < xMap.range.max)) {
        return std::nullopt;
    }
    return QPointF(xMap.range.max, s.points.y(last));
}

// Where the mark of the k-th drawn point of a series goes, in axis values: at its point (the last
// point of a level line at the line's end), or, for a point of a line outside the shown x range,
// where its segment towards the next drawn point crosses the range's edge, so that a line running
// across the page keeps its labels at the page's edges. Nothing when neither is in view.
std::optional<QPointF> MarkValue(const ChartSeries& s, const std::vector<qint64>& drawn, size_t k,
                                 const AxisMapping& xMap)
{
    const auto valueAt = [&](size_t j) {
        const qint64 i = drawn[j];
        if (i == s.points.count() - 1) {
            if (const auto end = LevelEnd(s, xMap)) {
                return *end;
            }
        }
        return QPointF(s.points.x(i), s.points.y(i));
    };
    const AxisRange& range = xMap.range;
    const QPointF p = valueAt(k);
    if (std::isnan(p.y()) || range.contains(p.x())) {
        return std::isnan(p.y()) ? std::nullopt : std::optional(p);
    }
    const bool before = p.x() < range.min;
    if (s.kind != SeriesKind::Line || (before ? k + 1 >= drawn.size() : k == 0)) {
        return std::nullopt;
    }
    const QPointF q = valueAt(before ? k + 1 : k - 1);
    const double edge = before ? range.min : range.max;
    if (std::isnan(q.y()) || (before ? q.x() < edge : q.x() > edge)) {
        return std::nullopt;
    }
    return QPointF(edge, p.y() + (q.y() - p.y()) * (edge - p.x()) / (q.x() - p.x()));
}

// A mark to draw: the text lines of a point of a series, where it points to and its box's size.
struct Mark
{
    int series = -1;
    QStringList lines;
    QPointF anchor;
    QSizeF size;
    double lift = 0; // between the point and the box
};

std::vector<Mark> MarksOf(const ChartModel& model, const ChartPlan& plan)
{
    std::vector<Mark> marks;
    for (size_t si = 0; si < model.series.size(); ++si) {
        const ChartSeries& s = model.series[si];
        if (!s.look.visible || !s.look.marks.visible || s.points.count() == 0) {
            continue;
        }
        const QFontMetricsF fm(PixelFont(model.font, s.look.marks.bold, s.look.marks.italic));
        const AxisMapping& xMap = plan.layout.axis(s.horizontalAxis).mapping;
        const AxisMapping& yMap = plan.layout.axis(s.verticalAxis).mapping;
        const std::vector<qint64>& drawn = plan.series[si].points;
        for (size_t k = 0; k < drawn.size(); ++k) {
            const auto value = MarkValue(s, drawn, k, xMap);
            if (!value) {
                continue;
            }
            Mark mark;
            mark.series = static_cast<int>(si);
            mark.lines = LabelLines(MarkText(s, drawn[k]));
            mark.anchor = QPointF(xMap.toPixel(value->x()), yMap.toPixel(value->y()));
            mark.size = QSizeF(WidestLine(fm, mark.lines) + 4,
                               static_cast<double>(mark.lines.size()) * fm.lineSpacing() + 2);
            mark.lift = (HasPointer(s) ? s.look.pointerSize : 0) + kMarkGap;
            marks.push_back(std::move(mark));
        }
    }
    return marks;
}

// The data a mark should not cover: the pointers drawn, the vertices of lines without marks inside
// the shown range and the tops of bars, in pixels.
std::vector<QPointF> DataPoints(const ChartModel& model, const ChartPlan& plan)
{
    std::vector<QPointF> at;
    for (size_t si = 0; si < model.series.size(); ++si) {
        const ChartSeries& s = model.series[si];
        if (!s.look.visible || s.look.marks.visible) {
            continue;
        }
        const AxisMapping& xMap = plan.layout.axis(s.horizontalAxis).mapping;
        const AxisMapping& yMap = plan.layout.axis(s.verticalAxis).mapping;
        const SeriesDrawing& drawing = plan.series[si];
        for (const std::vector<qint64>* indices : {&drawing.pointers, &drawing.flagged, &drawing.points}) {
            for (const qint64 i : *indices) {
                if (xMap.range.contains(s.points.x(i)) && !std::isnan(s.points.y(i))) {
                    at.emplace_back(xMap.toPixel(s.points.x(i)), yMap.toPixel(s.points.y(i)));
                }
            }
        }
    }
    return at;
}

} // namespace

QRectF ChartLayout::panel(AxisId vertical) const
{
    const PixelSpan& span = axis(vertical).span;
    return QRectF(QPointF(plot.left(), span.top), QPointF(plot.right(), span.bottom));
}

ChartLayout ChartRenderer::layout(const ChartModel& model, const QRectF& bounds) const
{
    ChartLayout result;
    result.bounds = bounds;
    const QFont font = PixelFont(model.font);
    const QFont titleFont = PixelFont(model.font, true);
    const QFontMetricsF fm(font);
    const QFontMetricsF titleFm(titleFont);

    // Which axes the visible series use, and what they need of them.
    std::array<AxisDemand, kAxisCount> demand;
    for (const ChartSeries& s : model.series) {
        if (!s.look.visible) {
            continue;
        }
        result.axes[Slot(s.horizontalAxis)].used = true;
        result.axes[Slot(s.verticalAxis)].used = true;
        AxisDemand& h = demand[Slot(s.horizontalAxis)];
        AxisDemand& v = demand[Slot(s.verticalAxis)];
        h.extent.include(s.points.xExtent());
        v.extent.include(s.points.yExtent());
        if (HasPointer(s)) {
            v.pointerPad = std::max(v.pointerPad, static_cast<double>(s.look.pointerSize));
        }
        v.marks = v.marks || s.look.marks.visible;
        if (s.kind == SeriesKind::Bar && s.points.count() > 0) {
            v.extent.include(0.0); // bars stand on zero
            h.bars = true;
            h.barSlot = std::max(h.barSlot, BarSlot(s.points));
        }
    }
    if (!result.axes[Slot(AxisId::Top)].used && !result.axes[Slot(AxisId::Bottom)].used) {
        result.axes[Slot(AxisId::Bottom)].used = true;
    }
    if (!result.axes[Slot(AxisId::Left)].used && !result.axes[Slot(AxisId::Right)].used &&
        !result.axes[Slot(AxisId::Custom0)].used) {
        result.axes[Slot(AxisId::Left)].used = true;
    }
    for (int i = 0; i < kAxisCount; ++i) {
        result.axes[i].shown = result.axes[i].used && model.axes[i].visible;
    }

    // Text blocks: Title on top; SubFoot above Foot at the bottom.
    const QRectF inner = bounds.adjusted(kOuterMargin, kOuterMargin / 2, -kOuterMargin, -kOuterMargin / 2);
    const auto blockFm = [&](TextBlockId id) { return model.text(id).bold ? titleFm : fm; };
    const double titleHeight = TextBlockHeight(model.text(TextBlockId::Title), blockFm(TextBlockId::Title));
    const double subFootHeight = TextBlockHeight(model.text(TextBlockId::SubFoot), blockFm(TextBlockId::SubFoot));
    const double footHeight = TextBlockHeight(model.text(TextBlockId::Foot), blockFm(TextBlockId::Foot));
    result.textRects[Slot(TextBlockId::Title)] = QRectF(inner.left(), inner.top(), inner.width(), titleHeight);
    result.textRects[Slot(TextBlockId::Foot)] =
        QRectF(inner.left(), inner.bottom() - footHeight, inner.width(), footHeight);
    result.textRects[Slot(TextBlockId::SubFoot)] =
        QRectF(inner.left(), inner.bottom() - footHeight - subFootHeight, inner.width(), subFootHeight);

    // Horizontal ranges do not depend on pixels: zoom, else the page, else limits and data
    // (bars get half a bar of room at each end).
    const qint64 pagedCount = model.pagedPointCount();
    std::array<AxisRange, kAxisCount> horizontalRange;
    for (const AxisId id : kHorizontalAxes) {
        AxisDemand d = demand[Slot(id)];
        if (d.bars && !d.extent.empty) {
            d.extent.include(d.extent.min - d.barSlot / 2);
            d.extent.include(d.extent.max + d.barSlot / 2);
        }
        if (model.zoom[Slot(id)]) {
            horizontalRange[Slot(id)] = *model.zoom[Slot(id)];
        } else if (const auto page = model.paging.window(pagedCount)) {
            horizontalRange[Slot(id)] = *page;
        } else {
            horizontalRange[Slot(id)] = ResolveRange(model.axis(id).limits, d.extent);
        }
    }

    // The height of a horizontal axis band with a given number of label lines.
    const auto horizontalBand = [&](AxisId id, int lines) {
        if (!result.axis(id).shown) {
            return 0.0;
        }
        const double titleLine = model.axis(id).title.isEmpty() ? 0 : titleFm.height() + kTitleGap;
        return kTickLength + kLabelGap + lines * fm.lineSpacing() + titleLine;
    };

    // First pass over the vertical axes, with the plot height estimated, for the width of their
    // labels; the plot's left and right edges follow from it.
    const double textTop = inner.top() + titleHeight;
    const double textBottom = inner.bottom() - footHeight - subFootHeight;
    const double estimatedTop = textTop + std::max(horizontalBand(AxisId::Top, 1), kEdgePad);
    const double estimatedBottom = textBottom - std::max(horizontalBand(AxisId::Bottom, 1), kEdgePad);
    const double estimatedHeight = std::max(estimatedBottom - estimatedTop, 20.0);
    std::array<double, kAxisCount> sideWidth{};
    std::array<AxisRange, kAxisCount> verticalRange;
    // The range of an axis that follows another, once that one's is known.
    const auto followed = [&](const ChartAxis& axis) -> std::optional<AxisRange> {
        if (!axis.follows) {
            return std::nullopt;
        }
        const AxisRange& leader = verticalRange[Slot(axis.follows->leader)];
        return AxisRange{leader.min * axis.follows->factor, leader.max * axis.follows->factor};
    };
    for (const AxisId id : kVerticalAxes) {
        const ChartAxis& axis = model.axis(id);
        const PixelSpan span = VerticalAxisSpan(estimatedTop, estimatedHeight, axis.startPercent, axis.endPercent);
        const VerticalPlan plan = PlanVertical(axis, demand[Slot(id)], span, estimatedTop,
                                               estimatedTop + estimatedHeight, fm, followed(axis));
        verticalRange[Slot(id)] = plan.range;
        if (!result.axis(id).shown) {
            continue;
        }
        const double titleWidth = axis.title.isEmpty() ? 0 : titleFm.height() + kTitleGap;
        // Room for one more digit than the estimate needed, as the final ticks may differ.
        sideWidth[Slot(id)] = kTickLength + kLabelGap + plan.labelWidth + fm.averageCharWidth() + titleWidth;
    }
    const double leftWidth =
        std::max({sideWidth[Slot(AxisId::Left)], sideWidth[Slot(AxisId::Custom0)], kMinSideMargin});
    const double rightWidth = std::max(sideWidth[Slot(AxisId::Right)], kMinSideMargin);
    double plotLeft = inner.left() + leftWidth;
    double plotRight = inner.right() - rightWidth;
    if (plotRight - plotLeft < 20) {
        plotRight = plotLeft + 20;
    }

    // Horizontal mappings and labels; their line count sets the height of the axis bands.
    std::array<int, kAxisCount> labelLines{};
    for (const AxisId id : kHorizontalAxes) {
        AxisGeometry& g = result.axes[Slot(id)];
        g.mapping = AxisMapping{horizontalRange[Slot(id)], plotLeft, plotRight};
        if (!g.shown) {
            continue;
        }
        const ChartAxis& axis = model.axis(id);
        if (axis.labelsFromPoints) {
            g.labels = PointLabels(model, id, g.mapping, inner.left(), inner.right(), fm);
        }
        if (g.labels.empty()) {
            g.labels = ValueLabels(axis, g.mapping, fm);
        }
        labelLines[Slot(id)] = 1;
        for (const AxisLabel& label : g.labels) {
            labelLines[Slot(id)] = std::max(labelLines[Slot(id)], static_cast<int>(label.lines.size()));
        }
    }
    const double topBand = horizontalBand(AxisId::Top, labelLines[Slot(AxisId::Top)]);
    const double bottomBand = horizontalBand(AxisId::Bottom, labelLines[Slot(AxisId::Bottom)]);
    double plotTop = textTop + std::max(topBand, kEdgePad);
    double plotBottom = textBottom - std::max(bottomBand, kEdgePad);
    if (plotBottom - plotTop < 20) {
        plotBottom = plotTop + 20;
    }
    result.plot = QRectF(QPointF(plotLeft, plotTop), QPointF(plotRight, plotBottom));

    // Vertical axes on the final plot.
    for (const AxisId id : kVerticalAxes) {
        AxisGeometry& g = result.axes[Slot(id)];
        const ChartAxis& axis = model.axis(id);
        g.span = VerticalAxisSpan(plotTop, plotBottom - plotTop, axis.startPercent, axis.endPercent);
        VerticalPlan plan = PlanVertical(axis, demand[Slot(id)], g.span, plotTop, plotBottom, fm, followed(axis));
        verticalRange[Slot(id)] = plan.range;
        g.mapping = VerticalMapping(plan.range, g.span);
        if (!g.shown) {
            continue;
        }
        g.labels = std::move(plan.labels);
        if (!axis.title.isEmpty()) {
            const double h = titleFm.height();
            const double x = id == AxisId::Right ? plotRight + sideWidth[Slot(id)] - h : inner.left();
            g.titleRect = QRectF(x, g.span.top, h, g.span.bottom - g.span.top);
        }
    }

    // Horizontal axes: titles, and the height their grid lines span.
    for (const AxisId id : kHorizontalAxes) {
        AxisGeometry& g = result.axes[Slot(id)];
        double top = std::numeric_limits<double>::infinity();
        double bottom = -top;
        for (const ChartSeries& s : model.series) {
            if (s.look.visible && s.horizontalAxis == id) {
                top = std::min(top, result.axis(s.verticalAxis).span.top);
                bottom = std::max(bottom, result.axis(s.verticalAxis).span.bottom);
            }
        }
        g.span = top < bottom ? PixelSpan{top, bottom} : PixelSpan{plotTop, plotBottom};
        if (g.shown && !model.axis(id).title.isEmpty()) {
            const double h = titleFm.height();
            const double y = id == AxisId::Top ? textTop : plotBottom + bottomBand - h;
            g.titleRect = QRectF(plotLeft, y, plotRight - plotLeft, h);
        }
    }
    return result;
}

SeriesDrawing ChartRenderer::plan(const ChartModel& model, const ChartLayout& layout, int series) const
{
    SeriesDrawing drawing;
    const ChartSeries& s = model.series[static_cast<size_t>(series)];
    const SeriesPoints& points = s.points;
    const AxisMapping& xMap = layout.axis(s.horizontalAxis).mapping;
    const AxisMapping& yMap = layout.axis(s.verticalAxis).mapping;
    const bool line = s.kind == SeriesKind::Line;
    auto [first, last] = points.indexRange(xMap.range);
    if (line && points.xAscending()) {
        first = std::max<qint64>(first - 1, 0);
        last = std::min(last + 1, points.count());
    }
    const bool dense = static_cast<double>(last - first) > 4 * std::max(1.0, layout.plot.width());

    if (dense && points.xAscending()) {
        drawing.points = DecimateByColumn(points.xValues(), points.yData(), first, last, xMap);
        if (HasLine(s)) {
            drawing.envelope = EnvelopeOf(points, drawing.points, xMap, yMap);
        }
    } else {
        drawing.points.reserve(static_cast<size_t>(std::max<qint64>(last - first, 0)));
        for (qint64 i = first; i < last; ++i) {
            if (line || xMap.range.contains(points.x(i))) {
                drawing.points.push_back(i);
            }
        }
    }
    if (!HasPointer(s)) {
        return drawing;
    }
    const auto inView = [&](qint64 i) { return xMap.range.contains(points.x(i)) && !std::isnan(points.y(i)); };
    const std::vector<qint64>& flagged = s.flaggedPoints;
    std::copy_if(std::lower_bound(flagged.begin(), flagged.end(), first),
                 std::lower_bound(flagged.begin(), flagged.end(), last), std::back_inserter(drawing.flagged), inView);
    const int sparse = s.look.sparsePointerPixels;
    if (sparse > 0 && static_cast<double>(last - first) * sparse > layout.plot.width()) {
        return drawing;
    }
    if (dense) {
        // A pointer in every cell of half a pointer's width that holds points, and at each
        // column's extremes: the same field of pointers as at every point, at a bounded count.
        drawing.pointers = ThinByCell(points.xValues(), points.yData(), first, last, xMap, yMap, s.look.pointerSize);
        if (points.xAscending()) {
            drawing.pointers.insert(drawing.pointers.end(), drawing.points.begin(), drawing.points.end());
        }
    } else {
        drawing.pointers = drawing.points;
    }
    // Pointers only for the points inside the shown range, not the neighbours a line runs to.
    std::erase_if(drawing.pointers, [&](qint64 i) { return !inView(i); });
    return drawing;
}

std::vector<DividerDrawing> ChartRenderer::dividers(const ChartModel& model, const ChartLayout& layout) const
{
    std::vector<DividerDrawing> drawn;
    const QFontMetricsF fm(PixelFont(model.font));
    const QRectF& plot = layout.plot;
    for (size_t i = 0; i < model.dividers.size(); ++i) {
        const ChartDivider& d = model.dividers[i];
        const AxisMapping& xMap = layout.axis(d.axis).mapping;
        if (!xMap.range.contains(d.x)) {
            continue;
        }
        DividerDrawing divider{i, xMap.toPixel(d.x), {}};
        if (!d.caption.isEmpty()) {
            const QSizeF size(fm.horizontalAdvance(d.caption) + 4, fm.height() + 2);
            const double left = divider.x + kMarkGap + size.width() <= plot.right()
                                    ? divider.x + kMarkGap
                                    : divider.x - kMarkGap - size.width();
            QRectF box(QPointF(left, plot.top() + 2), size);
            while (std::any_of(drawn.begin(), drawn.end(),
                               [&box](const DividerDrawing& other) { return other.captionRect.intersects(box); }) &&
                   box.bottom() + size.height() < plot.bottom()) {
                box.translate(0, size.height());
            }
            divider.captionRect = box;
        }
        drawn.push_back(divider);
    }
    return drawn;
}

ChartPlan ChartRenderer::plan(const ChartModel& model, const QRectF& bounds) const
{
    ChartPlan result{bounds, layout(model, bounds), {}, {}};
    result.dividers = dividers(model, result.layout);
    result.series.reserve(model.series.size());
    for (size_t si = 0; si < model.series.size(); ++si) {
        const ChartSeries& s = model.series[si];
        result.series.push_back(s.look.visible && s.points.count() > 0
                                    ? plan(model, result.layout, static_cast<int>(si))
                                    : SeriesDrawing{});
    }
    return result;
}

void ChartRenderer::paint(QPainter& painter, const ChartModel& model, const QRectF& bounds,
                          const RenderOptions& options) const
{
    paint(painter, model, plan(model, bounds), options);
}

void ChartRenderer::paint(QPainter& painter, const ChartModel& model, const ChartPlan& plan,
                          const RenderOptions& options) const
{
    const ChartLayout& layout = plan.layout;
    painter.save();
    const QFont font = PixelFont(model.font);
    const QFont titleFont = PixelFont(model.font, true);
    const QFontMetricsF fm(font);
    const QFontMetricsF titleFm(titleFont);
    const QRectF& plot = layout.plot;

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(layout.bounds, model.backColor);
    painter.fillRect(plot, model.plotColor);
    if (options.drawn) {
        *options.drawn = DrawnGeometry{plot, std::vector<DrawnSeries>(model.series.size()), {}};
    }

    // Grid: dotted lines at the labels, each axis within its own panel.
    painter.setPen(OnePixelPen(painter, QColor(0xA0, 0xA0, 0xA0), Qt::DotLine));
    for (int i = 0; i < kAxisCount; ++i) {
        const AxisGeometry& g = layout.axes[i];
        if (!g.shown || !model.axes[i].gridVisible) {
            continue;
        }
        for (const AxisLabel& label : g.labels) {
            if (IsVerticalAxis(static_cast<AxisId>(i))) {
                if (label.position > g.span.top + 1 && label.position < g.span.bottom - 1) {
                    painter.drawLine(QPointF(plot.left(), label.position), QPointF(plot.right(), label.position));
                }
            } else if (label.position > plot.left() + 1 && label.position < plot.right() - 1) {
                painter.drawLine(QPointF(label.position, g.span.top), QPointF(label.position, g.span.bottom));
            }
        }
    }

    for (const DividerDrawing& d : plan.dividers) {
        const ChartDivider& divider = model.dividers[d.divider];
        painter.setPen(OnePixelPen(painter, divider.color, divider.style));
        painter.drawLine(QPointF(d.x, plot.top()), QPointF(d.x, plot.bottom()));
    }

    // Series in index order, later ones on top; lines and bars stay inside their panel.
    painter.setRenderHint(QPainter::Antialiasing, true);
    std::vector<QPolygonF> unlabelledLines; // as drawn: the marks keep off them where they can
    for (size_t si = 0; si < model.series.size(); ++si) {
        const ChartSeries& s = model.series[si];
        if (!s.look.visible || s.points.count() == 0) {
            continue;
        }
        const SeriesDrawing& drawing = plan.series[si];
        const std::vector<qint64>& indices = drawing.points;
        const AxisMapping& xMap = layout.axis(s.horizontalAxis).mapping;
        const AxisMapping& yMap = layout.axis(s.verticalAxis).mapping;
        const QRectF panel = layout.panel(s.verticalAxis);
        const SeriesPoints& points = s.points;
        DrawnSeries* record = options.drawn ? &options.drawn->series[si] : nullptr;
        painter.setClipping(false); // the pointers of the series before may have set one
        // Draws the series' clipped line; a line without labels of its own is one the marks avoid.
        const auto drawLine = [&](QList<QPolygonF> pieces) {
            for (const QPolygonF& piece : std::as_const(pieces)) {
                painter.drawPolyline(piece);
            }
            if (!s.look.marks.visible) {
                unlabelledLines.insert(unlabelledLines.end(), pieces.cbegin(), pieces.cend());
            }
            if (record) {
                record->lines = std::move(pieces);
            }
        };

        if (s.kind == SeriesKind::Bar) {
            const double half = BarHalfWidth(s, xMap);
            const double base = yMap.toPixel(std::clamp(0.0, yMap.range.min, yMap.range.max));
            painter.setPen(OnePixelPen(painter, s.look.lineColor.darker(130)));
            for (const qint64 i : indices) {
                const double x = xMap.toPixel(points.x(i));
                const QRectF whole =
                    QRectF(QPointF(x - half, yMap.toPixel(points.y(i))), QPointF(x + half, base)).normalized();
                // Kept inside the panel by hand: a bar of height 0 still shows as its base line.
                const QRectF bar(QPointF(std::max(whole.left(), panel.left()), std::max(whole.top(), panel.top())),
                                 QPointF(std::min(whole.right(), panel.right()),
                                         std::min(whole.bottom(), panel.bottom())));
                if (bar.width() < 0 || bar.height() < 0) {
                    continue;
                }
                if (s.look.barGradient) {
                    QLinearGradient fade(bar.bottomLeft(), bar.topLeft());
                    fade.setColorAt(0, s.look.lineColor);
                    fade.setColorAt(1, s.look.lineColor.lighter(170));
                    painter.setBrush(fade);
                } else {
                    painter.setBrush(s.look.lineColor);
                }
                painter.drawRect(bar);
                if (record) {
                    record->bars.append(bar);
                }
            }
            continue;
        }

        if (const SeriesDrawing::Envelope& e = drawing.envelope; !e.spans.isEmpty()) {
            // Whole pixel columns: smoothing their edges would only cost time.
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(OnePixelPen(painter, s.look.lineColor));
            QList<QPolygonF> pieces;
            for (const QLineF& span : e.spans) {
                pieces.append(ClipPolyline(QPolygonF{span.p1(), span.p2()}, panel));
            }
            pieces.append(ClipPolyline(e.tops, panel));
            pieces.append(ClipPolyline(e.bottoms, panel));
            drawLine(std::move(pieces));
            painter.setRenderHint(QPainter::Antialiasing, true);
        } else if (HasLine(s)) {
            QPolygonF path;
            path.reserve(static_cast<qsizetype>(indices.size()) + 1);
            for (const qint64 i : indices) {
                if (!std::isnan(points.y(i))) {
                    path.append(QPointF(xMap.toPixel(points.x(i)), yMap.toPixel(points.y(i))));
                }
            }
            if (const auto end = LevelEnd(s, xMap)) {
                path.append(QPointF(xMap.toPixel(end->x()), yMap.toPixel(end->y())));
            }
            QPen pen(s.look.lineColor, s.look.lineWidth, s.look.lineStyle, s.look.lineCap, Qt::RoundJoin);
            // Unscaled, a one-pixel pen draws the same as a cosmetic one, whose stroker is many
            // times faster on the thousands of short segments of a dense series.
            pen.setCosmetic(s.look.lineWidth <= 1 && !painter.deviceTransform().isScaling());
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            QList<QPolygonF> pieces = path.size() > 1 ? ClipPolyline(path, panel) : QList<QPolygonF>{};
            drawLine(std::move(pieces));
        }

        if (HasPointer(s)) {
            // Pointers at the plot's side edges may show whole, beyond the panel.
            const double r = s.look.pointerSize;
            painter.setClipRect(panel.adjusted(-r - 1, -0.5, r + 1, 0.5));
            const QPen pen = OnePixelPen(painter, s.look.pointerOutline.value_or(s.look.pointerColor.darker(160)));
            const QBrush brush(s.look.pointerColor);
            painter.setPen(pen);
            painter.setBrush(brush);
            // Many pointers on an unscaled raster painter: one copy drawn ahead is copied to each
            // point (to the nearest pixel), an order of magnitude faster than drawing each shape.
            QImage stamp;
            if (drawing.pointers.size() > kStampedPointers && painter.paintEngine() &&
                painter.paintEngine()->type() == QPaintEngine::Raster && !painter.deviceTransform().isScaling()) {
                stamp = PointerStamp(s.look.pointerStyle, r, pen, brush);
            }
            const QPoint stampOffset(stamp.width() / 2, stamp.height() / 2);
            for (const qint64 i : drawing.pointers) {
                const QPointF at(xMap.toPixel(points.x(i)), yMap.toPixel(points.y(i)));
                if (record) {
                    record->pointers.append(at);
                }
                if (stamp.isNull()) {
                    DrawPointer(painter, s.look.pointerStyle, at, r);
                } else {
                    painter.drawImage(at.toPoint() - stampOffset, stamp);
                }
            }
            // Flagged points on top; highlighted, a size larger and outlined in black, so that they
            // stand out from a line of their own colour.
            painter.setPen(s.flagsHighlighted ? OnePixelPen(painter, Qt::black) : pen);
            painter.setBrush(s.flagsHighlighted ? s.look.flagColor : s.look.pointerColor);
            for (const qint64 i : drawing.flagged) {
                const QPointF at(xMap.toPixel(points.x(i)), yMap.toPixel(points.y(i)));
                if (record) {
                    record->pointers.append(at);
                }
                DrawPointer(painter, s.look.pointerStyle, at, s.flagsHighlighted ? r + 1 : r);
            }
        }
    }
    painter.setClipping(false);

    // Divider captions over the data, each on the plot's colour.
    painter.setFont(font);
    for (const DividerDrawing& d : plan.dividers) {
        if (!d.captionRect.isEmpty()) {
            const ChartDivider& divider = model.dividers[d.divider];
            painter.fillRect(d.captionRect, model.plotColor);
            painter.setPen(divider.color);
            DrawLines(painter, fm, QStringList{divider.caption}, d.captionRect.center().x(), d.captionRect.top() + 1);
        }
    }

    // Frame of the plot and the borders between stacked panels.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(OnePixelPen(painter, QColor(0x40, 0x40, 0x40)));
    painter.drawRect(plot);
    for (const AxisId id : kVerticalAxes) {
        const AxisGeometry& g = layout.axis(id);
        if (g.used) {
            for (const double y : {g.span.top, g.span.bottom}) {
                if (y > plot.top() + 1 && y < plot.bottom() - 1) {
                    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
                }
            }
        }
    }

    // Axes: ticks, labels and titles.
    painter.setFont(font);
    const QPen axisPen = OnePixelPen(painter, QColor(0x20, 0x20, 0x20));
    for (const AxisId id : kVerticalAxes) {
        const AxisGeometry& g = layout.axis(id);
        if (!g.shown) {
            continue;
        }
        const bool right = id == AxisId::Right;
        const double x = right ? plot.right() : plot.left();
        const double outwards = right ? 1 : -1;
        painter.setPen(axisPen);
        painter.setRenderHint(QPainter::Antialiasing, false);
        for (const AxisLabel& label : g.labels) {
            painter.drawLine(QPointF(x, label.position), QPointF(x + outwards * kTickLength, label.position));
        }
        painter.setRenderHint(QPainter::Antialiasing, true);
        for (const AxisLabel& label : g.labels) {
            const double textX = right ? x + kTickLength + kLabelGap : x - kTickLength - kLabelGap - label.width;
            painter.drawText(QPointF(textX, label.centre - fm.height() / 2 + fm.ascent()), label.lines.value(0));
        }
        if (!g.titleRect.isEmpty()) {
            painter.save();
            painter.setFont(titleFont);
            painter.translate(g.titleRect.center());
            painter.rotate(-90);
            const QString& title = model.axis(id).title;
            painter.drawText(QPointF(-titleFm.horizontalAdvance(title) / 2, -titleFm.height() / 2 + titleFm.ascent()),
                             title);
            painter.restore();
        }
    }
    for (const AxisId id : kHorizontalAxes) {
        const AxisGeometry& g = layout.axis(id);
        if (!g.shown) {
            continue;
        }
        const bool top = id == AxisId::Top;
        const double y = top ? plot.top() : plot.bottom();
        const double outwards = top ? -1 : 1;
        painter.setPen(axisPen);
        painter.setRenderHint(QPainter::Antialiasing, false);
        for (const AxisLabel& label : g.labels) {
            if (label.position >= plot.left() - 0.5 && label.position <= plot.right() + 0.5) {
                painter.drawLine(QPointF(label.position, y), QPointF(label.position, y + outwards * kTickLength));
            }
        }
        painter.setRenderHint(QPainter::Antialiasing, true);
        for (const AxisLabel& label : g.labels) {
            const double height = static_cast<double>(label.lines.size()) * fm.lineSpacing();
            const double textTop = top ? y - kTickLength - kLabelGap - height : y + kTickLength + kLabelGap;
            DrawLines(painter, fm, label.lines, label.centre, textTop);
        }
        if (!g.titleRect.isEmpty()) {
            painter.setFont(titleFont);
            DrawLines(painter, titleFm, QStringList{model.axis(id).title}, g.titleRect.center().x(), g.titleRect.top());
            painter.setFont(font);
        }
    }

    // Marks beside the points, above everything drawn in the plot, on the side of their point
    // that covers less of the data and its lines, moved apart where they would cover one
    // another (see PlaceLabels).
    const std::vector<Mark> marks = MarksOf(model, plan);
    std::vector<LabelRequest> requests;
    requests.reserve(marks.size());
    for (const Mark& mark : marks) {
        requests.push_back({mark.anchor, mark.size, mark.lift, layout.panel(model.series[mark.series].verticalAxis)});
    }
    const std::vector<QRectF> boxes = PlaceLabels(requests, DataPoints(model, plan), unlabelledLines);
    for (size_t m = 0; m < marks.size(); ++m) {
        const QRectF& box = boxes[m];
        if (box.isEmpty()) {
            continue;
        }
        const ChartSeries& s = model.series[static_cast<size_t>(marks[m].series)];
        const MarksLook& look = s.look.marks;
        const QFont markFont = PixelFont(model.font, look.bold, look.italic);
        painter.setFont(markFont);
        if (!look.transparent) {
            painter.setPen(OnePixelPen(painter, QColor(0x80, 0x80, 0x80)));
            painter.setBrush(QColor(0xFF, 0xFF, 0xE1));
            painter.drawRect(box);
        } else if (look.clearBehind) {
            painter.fillRect(box & plot.adjusted(1, 1, -1, -1), model.plotColor);
        }
        painter.setPen(look.color);
        DrawLines(painter, QFontMetricsF(markFont), marks[m].lines, box.center().x(), box.top() + 1);
        if (options.drawn) {
            options.drawn->labels.push_back({marks[m].series, marks[m].lines.join(QLatin1Char('\n')), box});
        }
    }

    // Title, SubFoot and Foot.
    for (int b = 0; b < kTextBlockCount; ++b) {
        const TextBlock& block = model.texts[b];
        const QRectF& rect = layout.textRects[b];
        if (!block.visible || block.lines.isEmpty()) {
            continue;
        }
        painter.setFont(block.bold ? titleFont : font);
        painter.setPen(block.color);
        DrawLines(painter, block.bold ? titleFm : fm, block.lines, rect.center().x(), rect.top());
    }

    if (!options.outputOnly) {
        const auto ring = [&](const std::optional<PointRef>& point, const QPen& pen, double gap) {
            if (!point || point->series < 0 || point->series >= static_cast<int>(model.series.size())) {
                return;
            }
            const ChartSeries& s = model.series[static_cast<size_t>(point->series)];
            const qint64 i = point->point;
            if (i >= 0 && i < s.points.count()) {
                const QPointF at(layout.axis(s.horizontalAxis).mapping.toPixel(s.points.x(i)),
                                 layout.axis(s.verticalAxis).mapping.toPixel(s.points.y(i)));
                const double r = (HasPointer(s) ? s.look.pointerSize : 2) + gap;
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
                painter.drawEllipse(at, r, r);
            }
        };
        ring(options.marked, QPen(QColor(0x00, 0x60, 0xE0), 2.5), 7);
        ring(options.hovered, QPen(QColor(0x20, 0x20, 0x20), 1.5), 3);
        if (!options.rubberBand.isEmpty()) {
            painter.setPen(QPen(QColor(0x30, 0x30, 0x30), 1, Qt::DashLine));
            painter.setBrush(QColor(0x33, 0x66, 0xCC, 0x30));
            painter.drawRect(options.rubberBand.normalized());
        }
    }
    painter.restore();
}

std::optional<PointRef> ChartRenderer::pointAt(const ChartModel& model, const ChartLayout& layout,
                                               const QPointF& pos) const
{
    for (int si = static_cast<int>(model.series.size()) - 1; si >= 0; --si) {
        const ChartSeries& s = model.series[static_cast<size_t>(si)];
        const SeriesPoints& points = s.points;
        if (!s.look.visible || points.count() == 0) {
            continue;
        }
        const AxisMapping& xMap = layout.axis(s.horizontalAxis).mapping;
        const AxisMapping& yMap = layout.axis(s.verticalAxis).mapping;
        const bool bar = s.kind == SeriesKind::Bar;
        const double reach = bar ? BarHalfWidth(s, xMap) : std::max(HasPointer(s) ? s.look.pointerSize : 0, 3) + 2;
        if (!layout.panel(s.verticalAxis).adjusted(-reach, -reach, reach, reach).contains(pos)) {
            continue;
        }
        // Candidates: the points within reach horizontally, inside the shown range.
        AxisRange near{xMap.toValue(pos.x() - reach), xMap.toValue(pos.x() + reach)};
        near.min = std::max(near.min, xMap.range.min);
        near.max = std::min(near.max, xMap.range.max);
        if (near.min > near.max) {
            continue;
        }
        const auto [first, last] = points.indexRange(near);
        std::optional<PointRef> best;
        double bestDistance = std::numeric_limits<double>::infinity();
        for (qint64 i = first; i < last; ++i) {
            const double x = points.x(i);
            const double y = points.y(i);
            if (!near.contains(x) || std::isnan(y)) {
                continue;
            }
            const QPointF at(xMap.toPixel(x), yMap.toPixel(y));
            double distance = 0;
            if (bar) {
                const double base = yMap.toPixel(std::clamp(0.0, yMap.range.min, yMap.range.max));
                const bool inside = std::abs(pos.x() - at.x()) <= reach && pos.y() >= std::min(at.y(), base) - 1 &&
                                    pos.y() <= std::max(at.y(), base) + 1;
                if (!inside) {
                    continue;
                }
                distance = std::abs(pos.x() - at.x());
            } else {
                distance = std::hypot(pos.x() - at.x(), pos.y() - at.y());
                if (distance > reach) {
                    continue;
                }
            }
            if (distance < bestDistance) {
                bestDistance = distance;
                best = PointRef{si, i};
            }
        }
        if (best) {
            return best;
        }
    }
    return std::nullopt;
}
