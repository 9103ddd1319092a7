#pragma once

#include "AxisScale.h"
#include "ChartPaging.h"
#include "Decimation.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <utility>
#include <vector>

// The plain model behind a chart: series, axes, text blocks, paging and zoom. The widget owns
// one and the renderer paints it; nothing here depends on widgets.

enum class SeriesKind
{
    Line,
    Point,
    Bar
};

enum class PointerStyle
{
    None,
    Rectangle,
    Circle,
    Triangle,
    DownTriangle,
    Cross,
    DiagonalCross,
    Star,
    Diamond,
    SmallDot
};

// Custom0 is the extra vertical axis of a lower panel (the range chart under a control chart).
enum class AxisId
{
    Left,
    Right,
    Top,
    Bottom,
    Custom0
};
inline constexpr int kAxisCount = 5;
inline bool IsVerticalAxis(AxisId id)
{
    return id == AxisId::Left || id == AxisId::Right || id == AxisId::Custom0;
}

enum class TextBlockId
{
    Title,
    SubFoot,
    Foot
};
inline constexpr int kTextBlockCount = 3;

// The points of one series: x, y and a label each, in the order added. Keeps the extents and
// whether x is ascending up to date as points arrive, so that painting a million points does
// not start with a pass over them. A million points cost little more than their y values: x is
// stored only once a point's x differs from its index, and repeated labels share one text.
class SeriesPoints
{
public:
    // A point at the next x (0, 1, 2, ... by count); returns its index.
    qint64 add(double y, const QString& label = {}) { return add(static_cast<double>(count()), y, label); }
    qint64 add(double x, double y, const QString& label = {});
    void clear();
    void reserve(qint64 count);
    // Removes the first `count` points; those after them move down to index 0 (x too, while every
    // x is its point's index).
    void dropFirst(qint64 count);
    void setY(qint64 i, double y);

    qint64 count() const { return static_cast<qint64>(m_y.size()); }
    double x(qint64 i) const { return m_x.empty() ? static_cast<double>(i) : m_x[static_cast<size_t>(i)]; }
    double y(qint64 i) const { return m_y[static_cast<size_t>(i)]; }
    const QString& label(qint64 i) const { return m_labelTexts[m_labels[static_cast<size_t>(i)]]; }
    XValues xValues() const { return m_x.empty() ? nullptr : m_x.data(); }
    const double* yData() const { return m_y.data(); }

    bool xAscending() const { return m_xAscending; }
    const DataExtent& xExtent() const { return m_xExtent; }
    const DataExtent& yExtent() const { return m_yExtent; }

    // The indices [first, last) of the points with x inside range: found by bisection when x is
    // ascending, else every index.
    std::pair<qint64, qint64> indexRange(const AxisRange& range) const;
    // The first index whose x is not below value (count() when none); x must be ascending.
    qint64 lowerBound(double value) const;

private:
    quint32 labelIndex(const QString& label);
    void recomputeExtents();

    std::vector<double> m_x; // empty while every x is its point's index
    std::vector<double> m_y;
    std::vector<quint32> m_labels; // into m_labelTexts
    std::vector<QString> m_labelTexts;
    QHash<QString, quint32> m_labelLookup; // while the distinct labels are few
    // The labels of the last points: a series often takes turns among a few (the sources).
    std::array<quint32, 4> m_recentLabels{};
    size_t m_nextRecent = 0;
    DataExtent m_xExtent;
    DataExtent m_yExtent;
    bool m_xAscending = true;
};

// Text marks beside the points, showing each point's label (its value in the series' format
// when the label is empty).
struct MarksLook
{
    bool visible = false;
    bool transparent = false; // no box behind the text
    QColor color = Qt::black;
    bool bold = false;
    bool italic = false;
    // Transparent marks: the text's box is first filled with the plot's colour, so that no line
    // or pointer under the mark crosses its text.
    bool clearBehind = false;
};

struct SeriesLook
{
    QString title;
    QColor lineColor = Qt::red; // also the bar colour
    double lineWidth = 1;       // pixels
    Qt::PenStyle lineStyle = Qt::SolidLine;
    Qt::PenCapStyle lineCap = Qt::RoundCap;
    PointerStyle pointerStyle = PointerStyle::None;
    QColor pointerColor = Qt::green;       // the pointers' fill
    std::optional<QColor> pointerOutline; // by default a darker shade of the fill
    int pointerSize = 4; // half the pointer's width, pixels
    MarksLook marks;
    QString valueFormat = QStringLiteral("#,##0.##");
    bool visible = true;
    bool handCursor = false;  // the pointing hand over the series' points
    int barWidthPercent = 70; // of the distance between bars
    bool barGradient = false; // bars fade lighter from bottom to top
    // Pointers only while the page holds at most one point per this many pixels of plot width;
    // a denser page shows the line alone, and flagged points keep their pointers. 0: always.
    int sparsePointerPixels = 0;
    QColor flagColor = Qt::red; // the pointers of flagged points, when highlighted
    // A line that goes on level from its last point to the right end of the shown range: a
    // limit that holds for every point after its last, on a page that reaches beyond the data.
    bool levelToEnd = false;
};

struct ChartSeries
{
    SeriesKind kind = SeriesKind::Line;
    AxisId horizontalAxis = AxisId::Bottom;
    AxisId verticalAxis = AxisId::Left;
    SeriesLook look;
    SeriesPoints points;
    // Points (ascending indices) whose pointers show at any density, such as out-of-control
    // points; highlighted, in look.flagColor rather than the pointer colour.
    std::vector<qint64> flaggedPoints;
    bool flagsHighlighted = false;
};

struct ChartAxis
{
    QString title; // vertical axes draw it turned by 90 degrees
    bool visible = true;
    AxisLimits limits;
    double increment = 0; // least step between labels; 0 chooses one
    QString valueFormat = QStringLiteral("#,##0.##");
    // Label the axis with the point labels of its series (lines split at CR/LF) instead of values.
    bool labelsFromPoints = false;
    // With labelsFromPoints: only points whose label differs from the previous point's, where a
    // run of equal labels starts, are labelled (the first point shown always is), so a long run
    // of one text reads once.
    bool labelsAtChanges = false;
    // With labelsFromPoints: a label line wider than the distance between neighbouring points is
    // broken at blanks, so that few labels need to be left out (the bars of a Pareto chart).
    bool wrapLabels = false;
    bool gridVisible = true; // dotted lines at the labels
    // Vertical axes: the part of the plot height they span, in percent from the top.
    double startPercent = 0;
    double endPercent = 100;
    // A vertical axis that shows the range of another (drawn before it: left, custom 0, right)
    // times a factor, whatever the size: a second scale over the same height, such as the curves
    // over the bars of a histogram. Its own limits are then not used.
    struct Follow
    {
        AxisId leader = AxisId::Left;
        double factor = 1;
    };
    std::optional<Follow> follows;
};

// Title, SubFoot and Foot: lines of text above and below the chart.
struct TextBlock
{
    QStringList lines;
    QColor color = Qt::black;
    bool bold = false;
    bool visible = true;

    void clear() { lines.clear(); }
    void add(const QString& line) { lines.append(line); }
    // Replace or delete line i; false (and nothing changes) when there is no line i.
    bool setLine(int i, const QString& text);
    bool removeLine(int i);
    int count() const { return static_cast<int>(lines.size()); }
};

// A vertical line across the whole plot at a value of a horizontal axis, captioned at the plot's
// top: where something changes along the x axis, such as a new stage of a process.
struct ChartDivider
{
    AxisId axis = AxisId::Top;
    double x = 0;
    QString caption; // may be empty
    QColor color = QColor(0x30, 0x30, 0xA0);
    Qt::PenStyle style = Qt::DashLine;
};

// The lines of a point label; CR LF, CR alone and LF alone each end a line.
QStringList LabelLines(const QString& label);

// An axis label: the value in the axis' number format (user's locale), without a decimal
// separator that has no digits after it ("#,##0.##" shows 2 as "2", not "2.").
QString AxisValueText(double value, const QString& format);

// The most decimals a number format shows: the '0' and '#' after its '.' ("#,##0.##" -> 2).
int FormatDecimals(const QString& format);

struct ChartModel
{
    std::vector<ChartSeries> series;
    std::array<ChartAxis, kAxisCount> axes;
    std::array<TextBlock, kTextBlockCount> texts;
    std::vector<ChartDivider> dividers;
    ChartPaging paging;
    // Horizontal zoom: the x range shown on the top and bottom axes, over paging and limits.
    std::array<std::optional<AxisRange>, kAxisCount> zoom;
    QColor backColor = QColor(0xE0, 0xE0, 0xE0);
    QColor plotColor = Qt::white;
    QFont font;

    ChartModel();

    ChartAxis& axis(AxisId id) { return axes[static_cast<size_t>(id)]; }
    const ChartAxis& axis(AxisId id) const { return axes[static_cast<size_t>(id)]; }
    TextBlock& text(TextBlockId id) { return texts[static_cast<size_t>(id)]; }
    const TextBlock& text(TextBlockId id) const { return texts[static_cast<size_t>(id)]; }

    // The count paging divides: the most points of a visible series.
    qint64 pagedPointCount() const;
    bool isZoomed() const;
};
