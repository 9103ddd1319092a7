#pragma once

#include "AnalysisContext.h"
#include "HistogramMath.h"

#include <QJsonObject>
#include <QString>

class HistogramChart;

// What one drawing of the histogram read and computed.
struct HistogramResult
{
    AnalysisOutcome outcome = AnalysisOutcome::NoChart;
    // The statistics panel's values (lblSPCParameter1), each followed by CR LF; only when drawn.
    QString panelText;
    // Filled as far as the drawing got: the statistics once values were read, the cells once
    // the bars were counted.
    HistogramStatistics statistics;
    HistogramCells cells;
    OrderedBy orderedBy = OrderedBy::Engine; // who grouped the records read
};

// The whole drawing of the histogram of the context's selection with `cells` cells, in the
// window and in the headless report: the query on the shared connection, the statistics, the
// chart and the panel text. Tells the user through context.prompts why a drawing stops early:
// no rows (NoChart), a run-time error (Failed, its description + "!"), an empty cell at the
// mean (NoChart, with the bars drawn). A mean or SD of exactly 0 stops silently (Silent). The
// chart keeps the previous drawing until the statistics are done, and its curve axis until a
// drawing is complete. The curve axis is scaled for the chart's current size.
HistogramResult PlotHistogram(const AnalysisContext& context, HistogramChart& chart, int cells);

// The numbers of a drawing: n, mean, sd, min, max, skewness, kurtosis, pp, pr, ppk, ppu, ppl,
// zu, zl (null when "N/A"), cellWidth, maxCount, meanCellCount and the cells as
// [{"lower": ..., "count": ...}]. Mean and SD unrounded; skewness, kurtosis and the indices
// rounded to 3 decimals as shown.
QJsonObject HistogramJson(const HistogramResult& result);
