#include "ParetoPlot.h"

#include "AnalysisQuery.h"
#include "ChartControl.h"
#include "Clock.h"
#include "EventPump.h"
#include "FileNames.h"
#include "FiniteNumberReader.h"
#include "Formats.h"
#include "ParetoChart.h"
#include "ProfileReader.h"
#include "Recordset.h"
#include "SharedState.h"

#include <QDir>
#include <QJsonArray>

ParetoResult PlotPareto(const AnalysisContext& context, ParetoChart& chart)
{
    ParetoResult result;
    SharedState& state = context.state;
    QList<double> sums;
    ThrottledPump pump(context.pump);
    for (const QString& parameter : std::as_const(state.gParameterField)) {
        const SqlText sql = SelectionSQL(state, context.selection, context.clock.today(), context.prompts, parameter,
                                         QStringLiteral("Pareto"), QString());
        if (sql.isEmpty()) {
            result.outcome = AnalysisOutcome::NoChart;
            return result;
        }
        Recordset records;
        if (!OpenAnalysisRecords(context, records, sql)) {
            return result; // Failed
        }
        const FiniteNumberReader reader(records, QStringLiteral("ValueX"), parameter);
        QString error;
        double sum = 0;
        for (qint64 row = 1; !records.isEOF(); records.MoveNext(), ++row) {
            const std::optional<double> value = reader.read(row, error);
            if (!value) {
                result.outcome = ShowRunTimeError(context.prompts, error);
                return result;
            }
            sum += *value;
            pump.maybePump();
        }
        if (sums.isEmpty()) {
            result.rows = records.RecordCount();
        }
        sums.append(sum);
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
    chart.chart().subFoot().add(RangeFootLine(context.selection.product, state.gCustomDateFrom, state.gCustomDateTo));
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
