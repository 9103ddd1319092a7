#pragma once

#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QSizeF>
#include <vector>

// A label to go beside a point: centred over it, lift pixels above (or below) it.
struct LabelRequest
{
    QPointF anchor;
    QSizeF size;
    double lift = 0;
    QRectF area; // where the box must stay: the panel of its point
};

// Boxes for labels so that none covers another. Each label goes above or below its point,
// on the side where it fits and covers less of the data (above on a tie): fewer of `points` and
// of the segments of `lines` (the polylines drawn, such as a data line whose vertices lie on
// either side of the box while its segments cross it). Labels that would cover one another are
// then moved apart up or down, keeping the order of their points from top to bottom, and back
// inside their area. Boxes are centred over their point where that fits (one pixel inside the area
// sideways). A label that still finds no room gets an empty box: it is left out.
std::vector<QRectF> PlaceLabels(const std::vector<LabelRequest>& requests, const std::vector<QPointF>& points,
                                const std::vector<QPolygonF>& lines);
