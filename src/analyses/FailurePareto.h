#pragma once

#include "AnalysisContext.h"
#include "ParetoMath.h"

#include <QJsonObject>
#include <QStringList>
#include <vector>

class FailureParetoChart;

// The bar of the units marked failed with every value within its limits.
inline const QString kFailedWithinLimits = QStringLiteral("Failed, all values within limits");

struct FailureParetoResult
{
    AnalysisOutcome outcome = AnalysisOutcome::Failed;
    qint64 units = 0;            // units in the selection, each counted by its first test
    qint64 failed = 0;           // of them, those whose first test failed
    std::vector<ParetoBar> bars; // causes with a count, most units first; sum is the count
    QString panelText;           // lblSPCParameter1, each line ended by CR LF
};

// The captions of the panel: "Units:", "Failed:".
QStringList FailureParetoPanelCaptions();

// What fails, for the window and the headless report: one statement of every record of the
// selection with every parameter column (the verdict and last-data-only filters do not apply),
// each unit judged by its first test. A bar per parameter counts the units whose value lies
// outside that parameter's limits (Null, 999 and -999 are no values); one more counts the units
// marked failed with no value outside; causes without units have no bar. The bars' percentages
// are of all units the bars count, so that the cumulative line ends at 100. NoChart when the
// range cannot be used or the selection holds no unit (the user has been told); Failed after a
// failing statement or a value that is no number, shown as its description + "!".
FailureParetoResult PlotFailurePareto(const AnalysisContext& context, FailureParetoChart& chart);

// {"units", "failed", "bars": [{"name", "count", "percent", "cumulativePercent"}]}, unrounded.
QJsonObject FailureParetoJson(const FailureParetoResult& result);
