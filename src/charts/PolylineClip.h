#pragma once

#include <QList>
#include <QPolygonF>
#include <QRectF>
#include <optional>
#include <utility>

// The part of the segment from a to b inside rect, edges included (Liang-Barsky), or nothing.
std::optional<std::pair<QPointF, QPointF>> ClipSegment(const QPointF& a, const QPointF& b, const QRectF& rect);

// The pieces of a polyline inside rect (edges included), in order: a segment that leaves the
// rectangle is cut where it crosses the edge, and the line goes on as a new piece where it comes
// back. Clipping the geometry itself, rather than the painter, keeps every output alike: an SVG
// or PDF writer need not honour a clip region.
QList<QPolygonF> ClipPolyline(const QPolygonF& line, const QRectF& rect);
