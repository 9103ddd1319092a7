#pragma once

#include "ChartModel.h"
#include "ChartRenderer.h"

#include <QImage>
#include <QWidget>
#include <functional>
#include <optional>

class QPagedPaintDevice;

// The chart control of every chart window: series by index (line, point, bar), five axes (left,
// right, top, bottom and Custom0 for a lower panel), paging, horizontal zoom, the Title, SubFoot
// and Foot text blocks, point-click and mouse-move signals, and painting for output (ChartOutput
// writes the files and print jobs). It holds a ChartModel and paints it with one ChartRenderer;
// output uses the same renderer without the hover decoration.
//
// Mouse: a left drag from left to right zooms horizontally into the dragged x range, a drag
// from right to left undoes the zoom; both emit zoomed(). A press and release within a few
// pixels on a drawn point is a click on it and emits seriesClicked() instead.
//
// Indices out of range throw std::out_of_range ("List index out of bounds (i)"). Changes through
// the non-const accessors schedule a repaint and drop the plan of the last paint (its layout and
// decimated series), which a repaint of an unchanged chart of the same size reuses.
class ChartControl : public QWidget
{
    Q_OBJECT

public:
    explicit ChartControl(QWidget* parent = nullptr);
    ~ChartControl() override;

    // Series, 0-based.
    int seriesCount() const { return static_cast<int>(m_model.series.size()); }
    int addSeries(SeriesKind kind); // returns the new index
    int addLineSeries() { return addSeries(SeriesKind::Line); }
    void removeSeries(int index);
    void clearSeries(int index); // its points and flags
    ChartSeries& series(int index);
    const ChartSeries& series(int index) const;

    // Points. addPoint gives the point the next x (0, 1, 2, ...); both return the point's index.
    qint64 addPoint(int seriesIndex, double y, const QString& label = {});
    qint64 addPointXY(int seriesIndex, double x, double y, const QString& label = {});
    // Replaces the points of a series with points built elsewhere.
    void setPoints(int seriesIndex, SeriesPoints points);
    // Removes a series' first points; its flagged points move down with the rest.
    void dropFirstPoints(int seriesIndex, qint64 count);
    qint64 pointCount(int seriesIndex) const { return series(seriesIndex).points.count(); }
    double pointX(int seriesIndex, qint64 point) const;
    double pointY(int seriesIndex, qint64 point) const;
    QString pointLabel(int seriesIndex, qint64 point) const;

    ChartAxis& axis(AxisId id);
    const ChartAxis& axis(AxisId id) const { return m_model.axis(id); }
    TextBlock& text(TextBlockId id);
    const TextBlock& text(TextBlockId id) const { return m_model.text(id); }
    TextBlock& title() { return text(TextBlockId::Title); }
    TextBlock& subFoot() { return text(TextBlockId::SubFoot); }
    TextBlock& foot() { return text(TextBlockId::Foot); }

    // Vertical dividers across the plot, drawn where their x is shown.
    std::vector<ChartDivider>& dividers();
    const std::vector<ChartDivider>& dividers() const { return m_model.dividers; }

    QColor backgroundColor() const { return m_model.backColor; }
    void setBackgroundColor(const QColor& color);
    const ChartModel& model() const { return m_model; }

    // Paging over the point index of the series with the most points; 0 points per page shows
    // all. The last page keeps the scale of full pages. pageChanged() follows every change of
    // the current page by setCurrentPage(). rescalePages shows the page holding the middle point of
    // the page shown before.
    int maxPointsPerPage() const { return m_model.paging.maxPointsPerPage(); }
    void setMaxPointsPerPage(int perPage);
    void rescalePages(int perPage);
    int currentPage() const { return m_model.paging.currentPage(m_model.pagedPointCount()); }
    int pageCount() const { return m_model.paging.pageCount(m_model.pagedPointCount()); }
    void setCurrentPage(int page);
    void nextPage() { setCurrentPage(currentPage() + 1); }
    void previousPage() { setCurrentPage(currentPage() - 1); }

    // Horizontal zoom into the x range between two widget x pixels, on the top and bottom axes.
    void zoomToPixels(double fromX, double toX);
    void undoZoom();
    bool isZoomed() const { return m_model.isZoomed(); }
    // Ends a zoom drag in progress without zooming.
    void cancelMouseAction();
    // Whether a drag of the mouse zooms; on by default.
    void setZoomAllowed(bool allowed) { m_zoomAllowed = allowed; }

    // Geometry as drawn at the widget's current size, in widget pixels. The conversions
    // extrapolate outside the axis' panel.
    double valueAtPixel(AxisId axis, double pixel) const;
    double pixelAtValue(AxisId axis, double value) const;
    AxisRange axisRange(AxisId axis) const;
    QRectF plotRect() const;
    QRectF axisPanel(AxisId vertical) const;
    std::optional<PointRef> pointAt(const QPointF& pos) const;

    // A point ringed on screen (a point someone went to); it moves with the points dropped before
    // it and goes when its series is cleared or replaced.
    void markPoint(const std::optional<PointRef>& point);
    std::optional<PointRef> markedPoint() const { return m_marked; }

    // Output. paintChart paints into any painter (SVG generator, printer, image); outputOnly
    // leaves out the hover decoration. An empty size is the widget's.
    void paintChart(QPainter& painter, const QRectF& target, bool outputOnly = true) const;
    QImage renderImage(const QSize& size = {}) const;
    // What a paint for output at size (empty: the widget's) draws, in its pixels.
    DrawnGeometry drawnGeometry(const QSize& size = {}) const;
    // Paints the current page on a page of a printer or PDF writer, within its margins, keeping
    // the widget's proportions; the painter is open on that device.
    void printPage(QPainter& painter, const QPagedPaintDevice& pages) const;

    // The tooltip over a drawn point: the provider's text for it; none where it gives none.
    void setPointToolTips(std::function<QString(const PointRef&)> provider) { m_toolTips = std::move(provider); }

    QSize sizeHint() const override { return {640, 480}; }
    QSize minimumSizeHint() const override { return {160, 120}; }

signals:
    // x and y are widget pixels.
    void seriesClicked(int series, qint64 point, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void mouseMoved(Qt::KeyboardModifiers modifiers, int x, int y);
    void pageChanged();
    void zoomed();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    const ChartPlan& currentPlan(const QRectF& bounds) const;
    const ChartLayout& currentLayout() const { return currentPlan(QRectF(rect())).layout; }
    void modelChanged();
    void checkSeries(int index) const;
    void setHovered(const std::optional<PointRef>& hovered);
    void forgetMark(int seriesIndex);
    void pointsChanged();

    ChartModel m_model;
    ChartRenderer m_renderer;
    mutable std::optional<ChartPlan> m_plan; // of the current model; reset by every change
    bool m_dragging = false;
    bool m_zoomAllowed = true;
    QPoint m_dragStart;
    QPoint m_dragEnd;
    std::optional<PointRef> m_pressed; // the point under the last press
    QPoint m_pressedAt;
    std::optional<PointRef> m_hovered;
    std::optional<PointRef> m_marked;
    std::function<QString(const PointRef&)> m_toolTips;
};
