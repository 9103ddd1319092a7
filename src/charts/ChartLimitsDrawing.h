#pragma once

#include "ControlChartLoader.h"

class ControlChartPoints;

// Computes the statistics of the points on the chart from their sums, resolves the limits in
// force over them (result.times must hold the points' times) and draws the lines and the
// statistics panel; the outcome goes into result's limits, statistics, panelText, centre and
// rBar. Returns the statistics' error ("" when none).
QString DrawLimitsOfPoints(XBarChart& chart, const ControlChartPoints& points, const PlotRequest& request,
                           const ControlChartConstants& constants, double usl, double lsl, PlotResult& result);
