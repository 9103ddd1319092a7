#pragma once

#include "ChartModel.h"
#include "DrawnGeometry.h"

#include <QLineF>
#include <QList>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

class QPainter;

// One point of one series, both 0-based.
struct PointRef
{
    int series = -1;
    qint64 point = -1;

    bool operator==(const PointRef&) const = default;
};

struct RenderOptions
{
    // Export, printing and SVG: the hover and mark decorations below are left out.
    bool outputOnly = false;
    std::optional<PointRef> hovered; // ringed
    std::optional<PointRef> marked;  // ringed wider, in blue
    QRectF rubberBand;               // the zoom rectangle being dragged; empty when none
    DrawnGeometry* drawn = nullptr;  // when given, receives what the paint drew
};

// A label of an axis. position is the pixel of its value along the axis (where tick and grid
// line go); centre is where the text is centred, moved inwards where the text would leave the
// chart.
struct AxisLabel
{
    double position = 0;
    double centre = 0;
    QStringList lines;
    double width = 0; // widest line, pixels
};

struct AxisGeometry
{
    bool used = false;  // a visible series is drawn on it, or it is the default of its direction
    bool shown = false; // used and visible: drawn with its labels and title
    AxisMapping mapping;
    // Vertical axes: their own part of the plot height. Horizontal axes: the height spanned by
    // the panels of their series, where their grid lines go.
    PixelSpan span;
    std::vector<AxisLabel> labels;
    QRectF titleRect; // empty when there is no title; vertical titles are drawn turned in it
};

// What is drawn of one series. points: the vertices of its line, bars or marks, those inside the
// shown x range (lines also the neighbour on each side, whose segments run to the plot edge),
// decimated per pixel column when there are more than four per column. pointers: where its
// pointers go, inside the range; with that many points, one per half-pointer cell plus the
// column extremes; none when the series keeps pointers for sparse pages only and the page is
// dense. flagged: the series' flagged points inside the range, whose pointers show at any density.
struct SeriesDrawing
{
    std::vector<qint64> points;
    std::vector<qint64> pointers;
    std::vector<qint64> flagged;
    // A dense line as the area it covers, in pixels: per column a span from its lowest to its
    // highest point, and the lines through the tops and the bottoms of the spans that join the
    // columns. Empty for a line drawn vertex by vertex.
    struct Envelope
    {
        QList<QLineF> spans;
        QPolygonF tops;
        QPolygonF bottoms;
    } envelope;
};

// A divider of the model as drawn: the pixel x of its line and the box of its caption at the top
// of the plot (empty without a caption). Only dividers inside the shown x range are drawn.
struct DividerDrawing
{
    size_t divider = 0; // index into the model's dividers
    double x = 0;
    QRectF captionRect;
};

// Where everything goes for one model in one rectangle, in the painter's logical coordinates.
struct ChartLayout
{
    QRectF bounds;
    QRectF plot; // inside the axes
    std::array<AxisGeometry, kAxisCount> axes;
    std::array<QRectF, kTextBlockCount> textRects;

    const AxisGeometry& axis(AxisId id) const { return axes[static_cast<size_t>(id)]; }
    // The part of the plot a vertical axis spans, over the full plot width.
    QRectF panel(AxisId vertical) const;
};

// Paints a chart model into any QPainter: the widget, a QImage for PNG, QSvgGenerator, QPrinter.
// Sizes (line widths, pointers, fonts) are in logical pixels at 96 per inch; a caller painting
// on a high-resolution device scales the painter first. Stateless.
// The layout of a model in a rectangle and the drawing of each of its series: what a repaint
// of an unchanged model can reuse, so that it only draws.
struct ChartPlan
{
    QRectF bounds;
    ChartLayout layout;
    std::vector<SeriesDrawing> series;
    std::vector<DividerDrawing> dividers;
};

class ChartRenderer
{
public:
    ChartLayout layout(const ChartModel& model, const QRectF& bounds) const;
    ChartPlan plan(const ChartModel& model, const QRectF& bounds) const;
    void paint(QPainter& painter, const ChartModel& model, const QRectF& bounds,
               const RenderOptions& options = {}) const;
    void paint(QPainter& painter, const ChartModel& model, const ChartPlan& plan,
               const RenderOptions& options = {}) const;

    // The topmost point drawn under pos (within its pointer, or a few pixels of a vertex, or
    // inside its bar); only points inside the shown x range count.
    std::optional<PointRef> pointAt(const ChartModel& model, const ChartLayout& layout, const QPointF& pos) const;

    // The dividers drawn in a layout; captions that would cover one another move down a line.
    std::vector<DividerDrawing> dividers(const ChartModel& model, const ChartLayout& layout) const;

    // The points of a series drawn in a layout: see SeriesDrawing.
    SeriesDrawing plan(const ChartModel& model, const ChartLayout& layout, int series) const;
};
