#include "ScatterPlot.h"

#include "AnalysisQuery.h"
#include "ChartControl.h"
#include "Clock.h"
#include "EventPump.h"
#include "FiniteNumberReader.h"
#include "Recordset.h"
#include "ScatterChart.h"
#include "SharedState.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

// The pairs of one drawing: two columns of one recordset, or the ValueX columns of two.
class PairReader
{
public:
    PairReader(const Recordset& xRecords, const Recordset& yRecords, bool separate, const QString& xColumn,
               const QString& yColumn)
        : m_x(xRecords, QStringLiteral("ValueX"), xColumn),
          m_y(yRecords, separate ? QStringLiteral("ValueX") : QStringLiteral("ValueY"), yColumn)
    {
    }

    // The pair of the current records, the row counted from 1; nullopt when either value is no
    // number (error says which).
    std::optional<std::pair<double, double>> read(qint64 row, QString& error) const
    {
        const std::optional<double> x = m_x.read(row, error);
        const std::optional<double> y = x ? m_y.read(row, error) : std::nullopt;
        if (!y) {
            return std::nullopt;
        }
        return std::pair{*x, *y};
    }

private:
    FiniteNumberReader m_x;
    FiniteNumberReader m_y;
};

QJsonValue number(double v)
{
    return std::isfinite(v) ? QJsonValue(v) : QJsonValue(QJsonValue::Null);
}

} // namespace

ScatterResult PlotScatter(const AnalysisContext& context, ScatterChart& chart, const ScatterInputs& inputs)
{
    ScatterResult result;
    SharedState& state = context.state;
    const bool separate = !inputs.XSourceName.isEmpty() && !inputs.YSourceName.isEmpty();
    const QString xField = state.gParameterField.value(inputs.XParameterIndex);
    const QString yField = state.gParameterField.value(inputs.YParameterIndex);
    const auto statement = [&](const QString& parameter, const QString& source) {
        return SelectionSQL(state, context.selection, context.clock.today(), context.prompts, parameter,
                            QStringLiteral("Scatter"), QString(), source);
    };

    Recordset xRecords;
    Recordset yRecords;
    const SqlText xSql = separate ? statement(xField, inputs.XSourceName)
                                  : statement(xField + QStringLiteral(":::") + yField, QString());
    if (xSql.isEmpty()) {
        result.outcome = AnalysisOutcome::NoChart;
        return result;
    }
    if (!OpenAnalysisRecords(context, xRecords, xSql) ||
        (separate && !OpenAnalysisRecords(context, yRecords, statement(yField, inputs.YSourceName)))) {
        return result; // Failed
    }
    const Recordset& yValues = separate ? yRecords : xRecords;
    const qint64 n = separate ? std::min(xRecords.RecordCount(), yRecords.RecordCount()) : xRecords.RecordCount();
    if (n == 0) {
        result.outcome = separate ? AnalysisOutcome::Silent : ShowNoData(context.prompts);
        return result;
    }

    const PairReader reader(xRecords, yValues, separate, xField, yField);
    ScatterSums sums;
    SeriesPoints& points = chart.dataPoints();
    points.reserve(n);
    std::vector<std::pair<double, double>> pairs;
    pairs.reserve(static_cast<size_t>(n));
    QString error;
    for (qint64 i = 0; i < n; ++i) {
        const std::optional<std::pair<double, double>> pair = reader.read(i + 1, error);
        if (!pair) {
            result.outcome = ShowRunTimeError(context.prompts, error);
            return result;
        }
        const auto [x, y] = *pair;
        sums.add(x, y);
        points.add(x, y);
        pairs.push_back(*pair);
        xRecords.MoveNext();
        if (separate) {
            yRecords.MoveNext();
        }
    }
    xRecords.Close();
    yRecords.Close();
    chart.chart().update();
    if (separate && (sums.sumX() == 0 || sums.sumY() == 0)) {
        result.outcome = AnalysisOutcome::Silent;
        return result;
    }

    ThrottledPump pump(context.pump);
    for (const auto& [x, y] : pairs) {
        sums.addDeviation(x, y);
        if (!separate) {
            pump.maybePump();
        }
    }

    result.statistics = sums.statistics();
    const ScatterStatistics& s = result.statistics;
    if (!s.error.isEmpty()) {
        ShowRunTimeError(context.prompts, s.error);
        result.outcome = AnalysisOutcome::NoChart; // the data's shape, not a failure
        return result;
    }

    if (context.refreshParameterNames) {
        context.refreshParameterNames();
    }
    chart.chart().subFoot().add(RangeFootLine(context));
    chart.SetAxisTitles(ScatterAxisTitle(state.gParameterName.value(inputs.XParameterIndex), inputs.XSourceName,
                                         state.gUnit.value(inputs.XParameterIndex)),
                        ScatterAxisTitle(state.gParameterName.value(inputs.YParameterIndex), inputs.YSourceName,
                                         state.gUnit.value(inputs.YParameterIndex)));
    chart.DrawRegressionLine(s.intercept, s.slope);
    result.panelText = ScatterPanelText(s);
    result.outcome = AnalysisOutcome::Drawn;
    return result;
}

QJsonObject ScatterJson(const ScatterResult& result)
{
    const ScatterStatistics& s = result.statistics;
    return QJsonObject{{QStringLiteral("n"), s.n},
                       {QStringLiteral("meanX"), number(s.meanX)},
                       {QStringLiteral("sdX"), number(s.sdX)},
                       {QStringLiteral("meanY"), number(s.meanY)},
                       {QStringLiteral("sdY"), number(s.sdY)},
                       {QStringLiteral("covariance"), number(s.covariance)},
                       {QStringLiteral("r"), number(s.r)},
                       {QStringLiteral("slope"), number(s.slope)},
                       {QStringLiteral("intercept"), number(s.intercept)},
                       {QStringLiteral("xMin"), number(s.xMin)},
                       {QStringLiteral("xMax"), number(s.xMax)},
                       {QStringLiteral("xRange"), number(s.xMax - s.xMin)},
                       {QStringLiteral("yMin"), number(s.yMin)},
                       {QStringLiteral("yMax"), number(s.yMax)},
                       {QStringLiteral("yRange"), number(s.yMax - s.yMin)}};
}
