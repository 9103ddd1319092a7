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
};

// Boxes for labels, placed in order so that none covers one placed before it. Each label tries
// above its point, then below it, then a line further away each time, up to a few lines;
// among the places that cover no label it takes the one covering the fewest of points, the
// nearer on a tie. Boxes stay inside area, centred over their point where that fits (inside
// `inner` sideways). A label that finds no free place gets an empty box: it is left out.
std::vector<QRectF> PlaceLabels(const std::vector<LabelRequest>& requests, const QRectF& inner, const QRectF& area,
                                const std::vector<QPointF>& points);
