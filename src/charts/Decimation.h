#pragma once

#include "AxisScale.h"

#include <QtGlobal>
#include <vector>

// The x values of a series' points: an array, or, without one, the points' indices.
struct XValues
{
    const double* values = nullptr;

    XValues(const double* array) : values(array) {} // implicit: an array is x values
    double operator[](qint64 i) const { return values ? values[i] : static_cast<double>(i); }
    // The first index in [first, last) whose x is not below value (last when none); x ascending.
    qint64 lowerBound(qint64 first, qint64 last, double value) const;
};

// Reduction of a dense series to what a raster can show. Over one pixel column a polyline
// through any number of points covers the vertical extent from the lowest to the highest of them
// and enters and leaves at the first and last; keeping those four points per column draws the
// same picture with at most four vertices per column.
//
// x must be ascending over [first, last); column c holds the points whose pixel x (from
// xMap) lies in [c, c + 1). Points with a NaN y are missing values and are left out. The result
// is the indices kept, ascending and without repeats.
std::vector<qint64> DecimateByColumn(XValues x, const double* y, qint64 first, qint64 last, const AxisMapping& xMap);

// Reduction of a dense field of pointers: the first point in each cell of cellSize x cellSize
// pixels within the mapped ranges (points outside them are not drawn and are left out). A
// pointer at least cellSize across drawn at each kept point covers, within a cell, what pointers
// at every point would; drawn with the column extremes of DecimateByColumn, the envelope is exact.
// x need not be ascending. The result is ascending.
std::vector<qint64> ThinByCell(XValues x, const double* y, qint64 first, qint64 last, const AxisMapping& xMap,
                               const AxisMapping& yMap, double cellSize);
