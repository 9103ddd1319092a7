#pragma once

#include <QList>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <vector>

// What one paint of a chart put on its device, in the painter's logical pixels, filled while
// painting when a caller asks for it: checks of a picture read this rather than its pixels.

// The text beside a point (a line's label, a bar's value) and the box it was drawn in.
struct DrawnLabel
{
    int series = -1;
    QString text; // lines joined by '\n'
    QRectF rect;
};

struct DrawnSeries
{
    QList<QPolygonF> lines; // the pieces of its line inside its panel
    QList<QRectF> bars;     // inside its panel
    QList<QPointF> pointers; // centres, flagged points included
};

struct DrawnGeometry
{
    QRectF plot;
    std::vector<DrawnSeries> series; // by series index; empty for a series not drawn
    std::vector<DrawnLabel> labels;
};
