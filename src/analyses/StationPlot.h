#pragma once

#include "AnalysisContext.h"
#include "StationComparison.h"

#include <QStringList>

class StationChart;

// The captions of the panel: "Sources:", "Values:", "ANOVA F:", "ANOVA p:", "Differing:".
QStringList StationPanelCaptions();

// The station comparison of the context's parameter, drawn (CompareStations, then the box plots
// with the parameter's name and limits) with the panel text, for the window and the report.
StationResult PlotStations(const AnalysisContext& context, StationChart& chart);
