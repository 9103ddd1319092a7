#pragma once

#include <QPointF>
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
// on the side where it fits and covers fewer of points (above on a tie); labels that would
// cover one another are then moved apart up or down, keeping the order of their points from
// top to bottom, and back inside their area. Boxes are centred over their point where that fits
// (one pixel inside the area sideways). A label that still finds no room gets an empty box: it
// is left out.
std::vector<QRectF> PlaceLabels(const std::vector<LabelRequest>& requests, const std::vector<QPointF>& points);
