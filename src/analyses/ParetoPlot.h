#pragma once

#include "AnalysisContext.h"
#include "ParetoMath.h"

#include <QJsonObject>
#include <QString>
#include <vector>

class ParetoChart;

struct ParetoResult
{
    AnalysisOutcome outcome = AnalysisOutcome::Failed;
    qint64 rows = 0;                         // rows of the first parameter's statement
    QString rowCountText;                    // lblSPCParameter1: rows in "#,##0"; "" when the building failed
    double total = 0;                        // grand total of the sums
    std::vector<ParetoBar> bars;             // in the order drawn
    OrderedBy orderedBy = OrderedBy::Engine; // Program: one statement for every parameter
};

// Builds the Pareto chart of every parameter of the product for the context's selection, the
// window's and the headless report's one engine: one statement per parameter (its Pareto form)
// on the shared connection, the sum of each one's ValueX, then the bars in descending order,
// the range line as SubFoot line 2 and the title from the product's ParetoTitleX in
// Products.INI of the current directory, when that is set.
//
// Outcomes: Drawn; NoChart when the grand total is 0 (the user has been told; the row count is
// set) or the range cannot be used (rowCountText ""); Failed after a failing statement's
// description + "!" was shown.
ParetoResult PlotPareto(const AnalysisContext& context, ParetoChart& chart);

// The numbers of a result: records, total and the bars (name, sum, percent, cumulativePercent).
QJsonObject ParetoJson(const ParetoResult& result);
