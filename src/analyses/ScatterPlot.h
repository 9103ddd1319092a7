#pragma once

#include "AnalysisContext.h"
#include "ScatterMath.h"

#include <QJsonObject>
#include <QString>

class ScatterChart;

// What the more-charts chooser hands the scatter chart: the two parameters, as indices into the
// product's parameter list, and optionally a source (tester) for each axis.
struct ScatterInputs
{
    int XParameterIndex = 0;
    int YParameterIndex = 0;
    QString XSourceName; // "" for none
    QString YSourceName;
};

struct ScatterResult
{
    AnalysisOutcome outcome = AnalysisOutcome::Failed;
    QString panelText; // lblSPCParameter1 when drawn: ScatterPanelText
    ScatterStatistics statistics;
};

// Draws one parameter against another for the context's selection, the window's and the headless
// report's one engine.
//
// With both source names given, the x parameter's results of the x source are paired by row
// position (each ordered by serial number and time) with the y parameter's results of the y
// source, as many pairs as the shorter one has; otherwise one statement gives both values of
// each test record. The pairs go to series 0, then the statistics are computed; when drawn, the
// axis titles, the range line in SubFoot and the regression line follow.
//
// Outcomes: Drawn; NoChart when the one statement has no rows or the range cannot be used (the
// user has been told); Silent for separate sources without a pair, or whose x or y values sum
// to exactly 0 (the points stay); Failed after a run-time error ("Division by zero" for one pair
// or all x or all y equal, the points staying) was shown as its description + "!".
ScatterResult PlotScatter(const AnalysisContext& context, ScatterChart& chart, const ScatterInputs& inputs);

// The numbers of a result: n, meanX, sdX, meanY, sdY, covariance, r, slope, intercept, xMin, xMax,
// xRange, yMin, yMax, yRange, unrounded; null for those not computed.
QJsonObject ScatterJson(const ScatterResult& result);
