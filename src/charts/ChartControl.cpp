#include "ChartControl.h"

#include <QMouseEvent>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

// A drag shorter than this is a click, not a zoom.
constexpr int kMinimumZoomPixels = 8;
// The most a click may move between press and release.
constexpr int kClickPixels = 4;

} // namespace

ChartControl::ChartControl(QWidget* parent) : QWidget(parent)
{
    m_model.font = font();
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ChartControl::~ChartControl() = default;

void ChartControl::checkSeries(int index) const
{
    if (index < 0 || index >= seriesCount()) {
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    }
}

int ChartControl::addSeries(SeriesKind kind)
{
    ChartSeries s;
    s.kind = kind;
    if (kind == SeriesKind::Point && s.look.pointerStyle == PointerStyle::None) {
        s.look.pointerStyle = PointerStyle::Rectangle;
    }
    m_model.series.push_back(std::move(s));
    modelChanged();
    return seriesCount() - 1;
}

void ChartControl::removeSeries(int index)
{
    checkSeries(index);
    m_model.series.erase(m_model.series.begin() + index);
    forgetMark(index);
    if (m_marked && m_marked->series > index) {
        --m_marked->series;
    }
    pointsChanged();
}

void ChartControl::clearSeries(int index)
{
    checkSeries(index);
    m_model.series[static_cast<size_t>(index)].points.clear();
    m_model.series[static_cast<size_t>(index)].flaggedPoints.clear();
    forgetMark(index);
    pointsChanged();
}

void ChartControl::pointsChanged()
{
    m_model.paging.clamp(m_model.pagedPointCount());
    m_hovered.reset();
    modelChanged();
}

ChartSeries& ChartControl::series(int index)
{
    checkSeries(index);
    modelChanged();
    return m_model.series[static_cast<size_t>(index)];
}

const ChartSeries& ChartControl::series(int index) const
{
    checkSeries(index);
    return m_model.series[static_cast<size_t>(index)];
}

std::vector<ChartDivider>& ChartControl::dividers()
{
    modelChanged();
    return m_model.dividers;
}

qint64 ChartControl::addPoint(int seriesIndex, double y, const QString& label)
{
    return series(seriesIndex).points.add(y, label);
}

void ChartControl::setPoints(int seriesIndex, SeriesPoints points)
{
    checkSeries(seriesIndex);
    ChartSeries& s = m_model.series[static_cast<size_t>(seriesIndex)];
    s.points = std::move(points);
    s.flaggedPoints.clear();
    forgetMark(seriesIndex);
    pointsChanged();
}

void ChartControl::dropFirstPoints(int seriesIndex, qint64 count)
{
    checkSeries(seriesIndex);
    ChartSeries& s = m_model.series[static_cast<size_t>(seriesIndex)];
    s.points.dropFirst(count);
    std::vector<qint64> flagged;
    for (const qint64 point : s.flaggedPoints) {
        if (point >= count) {
            flagged.push_back(point - count);
        }
    }
    s.flaggedPoints = std::move(flagged);
    if (m_marked && m_marked->series == seriesIndex) {
        m_marked->point -= count;
        if (m_marked->point < 0) {
            m_marked.reset();
        }
    }
    pointsChanged();
}

qint64 ChartControl::addPointXY(int seriesIndex, double x, double y, const QString& label)
{
    return series(seriesIndex).points.add(x, y, label);
}

namespace {

void CheckPoint(const SeriesPoints& points, qint64 point)
{
    if (point < 0 || point >= points.count()) {
        throw std::out_of_range("List index out of bounds (" + std::to_string(point) + ")");
    }
}

} // namespace

double ChartControl::pointX(int seriesIndex, qint64 point) const
{
    const SeriesPoints& points = series(seriesIndex).points;
    CheckPoint(points, point);
    return points.x(point);
}

double ChartControl::pointY(int seriesIndex, qint64 point) const
{
    const SeriesPoints& points = series(seriesIndex).points;
    CheckPoint(points, point);
    return points.y(point);
}

QString ChartControl::pointLabel(int seriesIndex, qint64 point) const
{
    const SeriesPoints& points = series(seriesIndex).points;
    CheckPoint(points, point);
    return points.label(point);
}

ChartAxis& ChartControl::axis(AxisId id)
{
    modelChanged();
    return m_model.axis(id);
}

TextBlock& ChartControl::text(TextBlockId id)
{
    modelChanged();
    return m_model.text(id);
}

void ChartControl::setBackgroundColor(const QColor& color)
{
    m_model.backColor = color;
    update();
}

void ChartControl::setMaxPointsPerPage(int perPage)
{
    m_model.paging.setMaxPointsPerPage(perPage);
    m_model.paging.clamp(m_model.pagedPointCount());
    modelChanged();
}

void ChartControl::rescalePages(int perPage)
{
    m_model.paging.rescale(perPage, m_model.pagedPointCount());
    modelChanged();
}

void ChartControl::setCurrentPage(int page)
{
    if (m_model.paging.setCurrentPage(page, m_model.pagedPointCount())) {
        m_hovered.reset();
        modelChanged();
        emit pageChanged();
    }
}

void ChartControl::zoomToPixels(double fromX, double toX)
{
    const double left = std::min(fromX, toX);
    const double right = std::max(fromX, toX);
    if (right - left < 1) {
        return;
    }
    const ChartLayout layout = currentLayout();
    for (const AxisId id : {AxisId::Top, AxisId::Bottom}) {
        const AxisMapping& mapping = layout.axis(id).mapping;
        if (layout.axis(id).used) {
            m_model.zoom[static_cast<size_t>(id)] = AxisRange{mapping.toValue(left), mapping.toValue(right)};
        }
    }
    modelChanged();
}

void ChartControl::undoZoom()
{
    m_model.zoom.fill(std::nullopt);
    modelChanged();
}

void ChartControl::cancelMouseAction()
{
    if (m_dragging) {
        m_dragging = false;
        update();
    }
}

void ChartControl::modelChanged()
{
    m_plan.reset();
    update();
}

const ChartPlan& ChartControl::currentPlan(const QRectF& bounds) const
{
    if (!m_plan || m_plan->bounds != bounds) {
        m_plan = m_renderer.plan(m_model, bounds);
    }
    return *m_plan;
}

double ChartControl::valueAtPixel(AxisId axis, double pixel) const
{
    return currentLayout().axis(axis).mapping.toValue(pixel);
}

double ChartControl::pixelAtValue(AxisId axis, double value) const
{
    return currentLayout().axis(axis).mapping.toPixel(value);
}

AxisRange ChartControl::axisRange(AxisId axis) const
{
    return currentLayout().axis(axis).mapping.range;
}

QRectF ChartControl::plotRect() const
{
    return currentLayout().plot;
}

QRectF ChartControl::axisPanel(AxisId vertical) const
{
    return currentLayout().panel(vertical);
}

std::optional<PointRef> ChartControl::pointAt(const QPointF& pos) const
{
    return m_renderer.pointAt(m_model, currentLayout(), pos);
}

void ChartControl::paintChart(QPainter& painter, const QRectF& target, bool outputOnly) const
{
    RenderOptions options;
    options.outputOnly = outputOnly;
    options.hovered = m_hovered;
    options.marked = m_marked;
    if (m_dragging) {
        options.rubberBand = QRectF(m_dragStart, m_dragEnd).normalized();
    }
    m_renderer.paint(painter, m_model, currentPlan(target), options);
}

QImage ChartControl::renderImage(const QSize& size) const
{
    QImage image(size.isEmpty() ? this->size() : size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintChart(painter, QRectF(image.rect()), true);
    painter.end();
    return image;
}

DrawnGeometry ChartControl::drawnGeometry(const QSize& size) const
{
    QImage image(size.isEmpty() ? this->size() : size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    DrawnGeometry drawn;
    RenderOptions options;
    options.outputOnly = true;
    options.drawn = &drawn;
    m_renderer.paint(painter, m_model, currentPlan(QRectF(image.rect())), options);
    return drawn;
}

void ChartControl::printPage(QPainter& painter, const QPagedPaintDevice& pages) const
{
    // The renderer works in pixels at 96 per inch; the painter is scaled to the device's.
    const int resolution = pages.logicalDpiX();
    const QSizeF page = pages.pageLayout().paintRectPixels(resolution).size();
    const double scale = resolution / 96.0;
    const QSizeF logical = page / scale;
    const double aspect = width() > 0 ? static_cast<double>(height()) / width() : 0.75;
    const QSizeF target(logical.width(), std::min(logical.height(), logical.width() * aspect));
    painter.save();
    painter.scale(scale, scale);
    paintChart(painter, QRectF(QPointF(0, 0), target), true);
    painter.restore();
}

bool ChartControl::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip || !m_toolTips) {
        return QWidget::event(event);
    }
    const auto* help = static_cast<QHelpEvent*>(event);
    const auto hit = pointAt(help->pos());
    const QString text = hit ? m_toolTips(*hit) : QString();
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
}

void ChartControl::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    paintChart(painter, QRectF(rect()), false);
}

void ChartControl::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && m_zoomAllowed) {
        m_dragging = true;
        m_dragStart = m_dragEnd = pos;
    }
    m_pressed = pointAt(event->position());
    m_pressedAt = pos;
}

void ChartControl::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    emit mouseMoved(event->modifiers(), pos.x(), pos.y());
    if (m_dragging) {
        // A release that went elsewhere (to a dialog opened from a click) ends the drag.
        if (!(event->buttons() & Qt::LeftButton)) {
            cancelMouseAction();
        } else {
            m_dragEnd = pos;
            update();
        }
    }
    const auto hit = pointAt(event->position());
    setHovered(hit && m_model.series[static_cast<size_t>(hit->series)].look.handCursor ? hit : std::nullopt);
}

void ChartControl::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    // A press and release close together on a point is a click on it; anything longer is a drag.
    const std::optional<PointRef> clicked = std::exchange(m_pressed, std::nullopt);
    if (clicked && (pos - m_pressedAt).manhattanLength() <= kClickPixels) {
        m_dragging = false;
        emit seriesClicked(clicked->series, clicked->point, event->button(), event->modifiers(), pos.x(), pos.y());
        return;
    }
    if (event->button() != Qt::LeftButton || !m_dragging) {
        return;
    }
    m_dragging = false;
    const int dx = pos.x() - m_dragStart.x();
    if (dx >= kMinimumZoomPixels) {
        zoomToPixels(m_dragStart.x(), event->position().x());
        emit zoomed();
    } else if (dx <= -kMinimumZoomPixels) {
        undoZoom();
        emit zoomed();
    }
    update();
}

void ChartControl::leaveEvent(QEvent* event)
{
    setHovered(std::nullopt);
    QWidget::leaveEvent(event);
}

void ChartControl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        m_model.font = font();
        modelChanged();
    }
    QWidget::changeEvent(event);
}

void ChartControl::forgetMark(int seriesIndex)
{
    if (m_marked && m_marked->series == seriesIndex) {
        m_marked.reset();
    }
}

void ChartControl::markPoint(const std::optional<PointRef>& point)
{
    m_marked = point;
    update();
}

void ChartControl::setHovered(const std::optional<PointRef>& hovered)
{
    if (hovered == m_hovered) {
        return;
    }
    m_hovered = hovered;
    if (hovered) {
        setCursor(Qt::PointingHandCursor);
    } else {
        unsetCursor();
    }
    update();
}
