#include "PlotHistogram.h"

#include "AnalysisQuery.h"
#include "BusyCursor.h"
#include "EventPump.h"
#include "HistogramChart.h"
#include "HistogramValues.h"
#include "Prompts.h"
#include "SharedState.h"

#include <QJsonArray>
#include <vector>

namespace {

QJsonValue statisticJson(const Statistic& value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

} // namespace

HistogramResult PlotHistogram(const AnalysisContext& context, HistogramChart& chart, int cells)
{
    const BusyCursor busy;
    HistogramResult result;
    if (cells < 1) {
        result.outcome = ShowRunTimeError(context.prompts, kInvalidProcedureCall);
        return result;
    }

    const SharedState& state = context.state;
    const int parameter = context.selection.parameter;
    HistogramValues read;
    QString error;
    switch (ReadHistogramValues(context, read, error)) {
    case ValuesRead::NoStatement:
        return result;
    case ValuesRead::Failed:
        result.outcome = ShowRunTimeError(context.prompts, error);
        return result;
    case ValuesRead::Done:
        break;
    }
    result.orderedBy = read.orderedBy;
    const std::vector<double>& values = read.values;
    if (values.empty()) {
        result.outcome = ShowNoData(context.prompts);
        return result;
    }

    const double usl = state.gUSL.value(parameter, 999);
    const double lsl = state.gLSL.value(parameter, -999);
    ThrottledPump pump(context.pump);
    result.statistics = HistogramStatisticsOf(values, usl, lsl, &pump);
    const HistogramStatistics& s = result.statistics;
    if (!s.error.isEmpty()) {
        ShowRunTimeError(context.prompts, s.error);
        result.outcome = AnalysisOutcome::NoChart; // the data's shape, not a failure
        return result;
    }
    if (s.isDegenerate()) {
        result.outcome = AnalysisOutcome::Silent;
        return result;
    }

    result.cells = FillHistogramCells(s.min, s.max, s.mean, values, cells, &pump);
    const QString curveError = chart.DrawHistogram(s, result.cells, usl, lsl);
    if (!curveError.isEmpty()) {
        ShowRunTimeError(context.prompts, curveError);
    }
    if (result.cells.meanCellCount == 0) {
        context.prompts.message(QStringLiteral("Not found the collection value at the strip mean, ") +
                                    QStringLiteral("Please reduce the cell number then try again!"),
                                MsgIcon::Information, MsgButtons::OK);
        return result;
    }
    chart.ScaleCurveAxis(result.cells.meanCellCount);
    result.panelText = HistogramPanelLines(s, result.cells.width).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    result.outcome = AnalysisOutcome::Drawn;
    return result;
}

QJsonObject HistogramJson(const HistogramResult& result)
{
    const HistogramStatistics& s = result.statistics;
    QJsonArray cells;
    for (const HistogramCell& cell : result.cells.cells) {
        cells.append(QJsonObject{{QStringLiteral("lower"), cell.lower}, {QStringLiteral("count"), cell.count}});
    }
    return {
        {QStringLiteral("n"), s.n},
        {QStringLiteral("mean"), s.mean},
        {QStringLiteral("sd"), s.sd},
        {QStringLiteral("min"), s.min},
        {QStringLiteral("max"), s.max},
        {QStringLiteral("skewness"), s.skewness},
        {QStringLiteral("kurtosis"), s.kurtosis},
        {QStringLiteral("pp"), statisticJson(s.pp)},
        {QStringLiteral("pr"), statisticJson(s.pr)},
        {QStringLiteral("ppk"), statisticJson(s.ppk)},
        {QStringLiteral("ppu"), statisticJson(s.ppu)},
        {QStringLiteral("ppl"), statisticJson(s.ppl)},
        {QStringLiteral("zu"), statisticJson(s.zu)},
        {QStringLiteral("zl"), statisticJson(s.zl)},
        {QStringLiteral("cellWidth"), result.cells.width},
        {QStringLiteral("maxCount"), result.cells.maxCount},
        {QStringLiteral("meanCellCount"), result.cells.meanCellCount},
        {QStringLiteral("cells"), cells},
    };
}
