#include "ParetoPlot.h"

#include "AnalysisQuery.h"
#include "ChartControl.h"
#include "FileNames.h"
#include "Formats.h"
#include "ParetoChart.h"
#include "ParetoSums.h"
#include "ProfileReader.h"
#include "SharedState.h"

#include <QDir>
#include <QJsonArray>

ParetoResult PlotPareto(const AnalysisContext& context, ParetoChart& chart)
{
    ParetoResult result;
    SharedState& state = context.state;
    ParetoSums read;
    QString error;
    switch (ReadParetoSums(context, read, error)) {
    case ValuesRead::NoStatement:
        result.outcome = AnalysisOutcome::NoChart;
        return result;
    case ValuesRead::Failed:
        ShowRunTimeError(context.prompts, error);
        return result; // Failed
    case ValuesRead::Done:
        break;
    }
    const QList<double>& sums = read.sums;
    result.rows = read.rows;
    result.orderedBy = read.orderedBy;
    for (const double sum : sums) {
        result.total += sum;
    }
    result.rowCountText = FormatNumber(static_cast<double>(result.rows), QStringLiteral("#,##0"));
    if (result.total == 0) {
        result.outcome = ShowNoData(context.prompts);
        return result;
    }

    if (context.refreshParameterNames) {
        context.refreshParameterNames();
    }
    result.bars = ParetoBars(state.gParameterName, sums, result.total);
    chart.chart().subFoot().add(RangeFootLine(context));
    for (const ParetoBar& bar : result.bars) {
        chart.AddBar(bar);
    }
    const QString title = ReadINI(context.selection.product, QStringLiteral("ParetoTitleX"),
                                  FindFileNoCase(QDir::currentPath(), QStringLiteral("Products.INI")));
    if (!title.isEmpty()) {
        chart.SetTitle(title);
    }
    result.outcome = AnalysisOutcome::Drawn;
    return result;
}

QJsonObject ParetoJson(const ParetoResult& result)
{
    QJsonArray bars;
    for (const ParetoBar& bar : result.bars) {
        bars.append(QJsonObject{{QStringLiteral("name"), bar.name},
                                {QStringLiteral("sum"), bar.sum},
                                {QStringLiteral("percent"), bar.percent},
                                {QStringLiteral("cumulativePercent"), bar.cumulativePercent}});
    }
    return QJsonObject{{QStringLiteral("records"), result.rows},
                       {QStringLiteral("total"), result.total},
                       {QStringLiteral("bars"), bars}};
}
