#include "FailurePareto.h"

#include "AnalysisQuery.h"
#include "BusyCursor.h"
#include "ChartControl.h"
#include "Clock.h"
#include "ControlChartMath.h"
#include "FailureParetoChart.h"
#include "FiniteNumberReader.h"
#include "Formats.h"
#include "RecordColumn.h"
#include "SharedState.h"
#include "UnitRecords.h"

#include <QJsonArray>

QStringList FailureParetoPanelCaptions()
{
    return {QStringLiteral("Units:"), QStringLiteral("Failed:")};
}

FailureParetoResult PlotFailurePareto(const AnalysisContext& context, FailureParetoChart& chart)
{
    const BusyCursor busy;
    FailureParetoResult result;
    const SharedState& state = context.state;
    const SqlText sql =
        UnitStatement(state, context.selection, context.clock.today(), context.prompts, state.gParameterField);
    if (sql.isEmpty()) {
        result.outcome = AnalysisOutcome::NoChart;
        return result;
    }
    const qsizetype parameters = state.gParameterField.size();
    QList<double> counts(parameters + 1, 0); // the parameters', then the failed units' within limits
    qint64 records = 0;
    QString error;
    const bool read = ReadUnitRecords(
        context, sql,
        [&](const UnitRecord& r) {
            ++records;
            if (!r.firstOfUnit) {
                return true;
            }
            ++result.units;
            bool outside = false;
            for (qsizetype k = 0; k < parameters; ++k) {
                const RecordColumn& field = r.value(static_cast<size_t>(k));
                if (r.row >= field.size() || field.nulls[static_cast<size_t>(r.row)]) {
                    continue;
                }
                const std::optional<double> value = FiniteNumber(field, r.row);
                if (!value) {
                    error = NotANumberText(field.at(r.row), state.gParameterField.at(k), records, r.serial());
                    return false;
                }
                const double usl = state.gUSL.value(k, 999);
                const double lsl = state.gLSL.value(k, -999);
                if (!IsAbsentLimit(*value) &&
                    ((!IsAbsentLimit(usl) && *value > usl) || (!IsAbsentLimit(lsl) && *value < lsl))) {
                    ++counts[k];
                    outside = true;
                }
            }
            if (!r.passed) {
                ++result.failed;
                counts[parameters] += outside ? 0 : 1;
            }
            return true;
        },
        error);
    if (!read) {
        result.outcome = ShowRunTimeError(context.prompts, error);
        return result;
    }
    if (result.units == 0) {
        result.outcome = ShowNoData(context.prompts);
        return result;
    }
    if (context.refreshParameterNames) {
        context.refreshParameterNames();
    }
    QStringList names = state.gParameterName.mid(0, parameters);
    names.resize(parameters);
    names.append(kFailedWithinLimits);
    double total = 0;
    for (qsizetype k = counts.size() - 1; k >= 0; --k) {
        total += counts[k];
        if (counts[k] == 0) {
            counts.removeAt(k);
            names.removeAt(k);
        }
    }
    if (total > 0) {
        result.bars = ParetoBars(names, counts, total);
    }
    for (const ParetoBar& bar : result.bars) {
        chart.AddBar(bar);
    }
    chart.chart().subFoot().add(RangeFootLine(context));
    const QString count = QStringLiteral("#,##0");
    result.panelText = FormatNumber(static_cast<double>(result.units), count) + QStringLiteral("\r\n") +
                       FormatNumber(static_cast<double>(result.failed), count) + QStringLiteral("\r\n");
    result.outcome = AnalysisOutcome::Drawn;
    return result;
}

QJsonObject FailureParetoJson(const FailureParetoResult& result)
{
    QJsonArray bars;
    for (const ParetoBar& bar : result.bars) {
        bars.append(QJsonObject{{QStringLiteral("name"), bar.name},
                                {QStringLiteral("count"), bar.sum},
                                {QStringLiteral("percent"), bar.percent},
                                {QStringLiteral("cumulativePercent"), bar.cumulativePercent}});
    }
    return QJsonObject{{QStringLiteral("units"), result.units},
                       {QStringLiteral("failed"), result.failed},
                       {QStringLiteral("bars"), bars}};
}
