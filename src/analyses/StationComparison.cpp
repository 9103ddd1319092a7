#include "StationComparison.h"

#include "AnalysisQuery.h"
#include "BusyCursor.h"
#include "Clock.h"
#include "FiniteNumberReader.h"
#include "Formats.h"
#include "RecordColumn.h"
#include "SharedState.h"
#include "UnitRecords.h"

#include <QHash>
#include <QJsonArray>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// What a source collects while the records stream in.
struct StationValues
{
    std::vector<double> values; // in chart order
    double sumX = 0;
    double sumX2 = 0;
    double sumRanges = 0; // moving ranges between consecutive values
};

// A value waiting for the other records of its last-data-only group: the same time, source and
// serial.
struct PendingValue
{
    qint64 day = 0;
    int second = 0;
    int station = -1;
    QString serial;
    double value = 0;
};

double Quartile(const std::vector<double>& sorted, double fraction)
{
    const double position = fraction * static_cast<double>(sorted.size() - 1);
    const size_t below = static_cast<size_t>(std::floor(position));
    const size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (position - static_cast<double>(below)) * (sorted[above] - sorted[below]);
}

// The individual chart's Cpk: its centre and estimated sigma against the limits, taken the
// right way round as that chart takes them. It needs two values.
Statistic IndividualCpk(const StationValues& s, double usl, double lsl)
{
    const double n = static_cast<double>(s.values.size());
    if (n < 2) {
        return std::nullopt;
    }
    static const ControlChartConstants constants = InitControlChartConstants();
    return CalculateProcessStatistic(s.sumX / n, s.sumRanges / n, std::max(usl, lsl), std::min(usl, lsl),
                                     constants.d2[0], s.sumX, s.sumX2, n)
        .cpk;
}

QJsonValue NumberOrNull(const Statistic& value)
{
    return value && std::isfinite(*value) ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

// A mean or SD as the table shows it: "#,##0.0##", "N/A" when absent.
QString StatisticCell(double value)
{
    return std::isfinite(value) ? FormatNumber(value, kValueFormat) : QStringLiteral("N/A");
}

} // namespace

BoxPlot BoxPlotOf(const std::vector<double>& sorted)
{
    BoxPlot box;
    box.q1 = Quartile(sorted, 0.25);
    box.median = Quartile(sorted, 0.5);
    box.q3 = Quartile(sorted, 0.75);
    const double reach = 1.5 * (box.q3 - box.q1);
    const auto firstInside = std::lower_bound(sorted.begin(), sorted.end(), box.q1 - reach);
    const auto pastInside = std::upper_bound(sorted.begin(), sorted.end(), box.q3 + reach);
    box.low = *firstInside;
    box.high = *(pastInside - 1);
    box.outliers.assign(sorted.begin(), firstInside);
    box.outliers.insert(box.outliers.end(), pastInside, sorted.end());
    return box;
}

Statistic StationRow::firstPassYield() const
{
    return units > 0 ? Statistic(static_cast<double>(passedFirst) / static_cast<double>(units)) : std::nullopt;
}

StationResult CompareStations(const AnalysisContext& context)
{
    const BusyCursor busy;
    StationResult result;
    const SharedState& state = context.state;
    const Selection& selection = context.selection;
    const QString column = state.gParameterField.value(selection.parameter);
    const SqlText sql = UnitStatement(state, selection, context.clock.today(), context.prompts, {column});
    if (sql.isEmpty()) {
        result.outcome = AnalysisOutcome::NoChart;
        return result;
    }
    const bool foldCase = state.gConnection->imported();
    QHash<QString, int> stationOf; // by source text, folded where texts compare without case
    std::vector<StationValues> collected;
    std::optional<PendingValue> pending;
    const auto keep = [&](int station, double value) {
        StationValues& s = collected[static_cast<size_t>(station)];
        if (!s.values.empty()) {
            s.sumRanges += std::abs(value - s.values.back());
        }
        s.values.push_back(value);
        s.sumX += value;
        s.sumX2 += value * value;
    };
    QString error;
    const bool read = ReadUnitRecords(
        context, sql,
        [&](const UnitRecord& r) {
            ++result.records;
            const QString source = r.source();
            const QString key = foldCase ? source.toCaseFolded() : source;
            auto found = stationOf.constFind(key);
            if (found == stationOf.cend()) {
                found = stationOf.insert(key, static_cast<int>(result.rows.size()));
                result.rows.emplace_back().source = source;
                collected.emplace_back();
            }
            const int station = *found;
            StationRow& row = result.rows[static_cast<size_t>(station)];
            if (r.firstOfUnit) {
                ++row.units;
                row.passedFirst += r.passed ? 1 : 0;
            }
            if (selection.passOnly && !r.passed) {
                return true;
            }
            const RecordColumn& field = r.value(0);
            if (r.row >= field.size() || field.nulls[static_cast<size_t>(r.row)]) {
                return true;
            }
            const std::optional<double> value = FiniteNumber(field, r.row);
            if (!value) {
                error = NotANumberText(field.at(r.row), column, result.records, r.serial());
                return false;
            }
            if (IsAbsentLimit(*value) || (!selection.acceptZero && *value == 0)) {
                return true;
            }
            if (!selection.lastDataOnly) {
                keep(station, *value);
                return true;
            }
            // Records of one group come one after the other: the statement orders by time, source, serial.
            const QString serial = foldCase ? r.serial().toCaseFolded() : r.serial();
            if (pending && pending->day == r.day && pending->second == r.second && pending->station == station &&
                pending->serial == serial) {
                pending->value = std::max(pending->value, *value);
                return true;
            }
            if (pending) {
                keep(pending->station, pending->value);
            }
            pending = PendingValue{r.day, r.second, station, serial, *value};
            return true;
        },
        error);
    if (!read) {
        result.outcome = ShowRunTimeError(context.prompts, error);
        return result;
    }
    if (pending) {
        keep(pending->station, pending->value);
    }

    // Sources in text order, as the engine sorts them.
    std::vector<size_t> order(result.rows.size());
    std::iota(order.begin(), order.end(), size_t(0));
    const Qt::CaseSensitivity textCase = foldCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return result.rows[a].source.compare(result.rows[b].source, textCase) < 0; });
    const double usl = state.gUSL.value(selection.parameter, 999);
    const double lsl = state.gLSL.value(selection.parameter, -999);
    std::vector<StationRow> rows;
    std::vector<SampleSummary> summaries;
    for (const size_t i : order) {
        StationRow& row = rows.emplace_back(std::move(result.rows[i]));
        StationValues& s = collected[i];
        row.cpk = IndividualCpk(s, usl, lsl);
        for (const double v : s.values) {
            row.values.add(v);
        }
        if (!s.values.empty()) {
            std::sort(s.values.begin(), s.values.end());
            row.box = BoxPlotOf(s.values);
        }
        s.values = {};
        summaries.push_back(row.values);
    }
    result.rows = std::move(rows);
    if (std::none_of(summaries.begin(), summaries.end(), [](const SampleSummary& s) { return s.n > 0; })) {
        result.outcome = ShowNoData(context.prompts);
        return result;
    }
    result.anova = OneWayAnova(summaries);
    for (StationRow& row : result.rows) {
        SampleSummary others;
        for (const StationRow& other : result.rows) {
            if (&other != &row) {
                others.merge(other.values);
            }
        }
        row.othersMean = others.mean;
        row.pooledSd = PooledSd(row.values, others);
        row.welch = WelchTTest(row.values, others);
        row.differs = row.welch && row.welch->p < 0.01 && std::abs(row.values.mean - others.mean) > 0.5 * row.pooledSd;
    }
    result.outcome = AnalysisOutcome::Drawn;
    return result;
}

QStringList StationCaptions()
{
    return {QStringLiteral("Source"),  QStringLiteral("N"),   QStringLiteral("Mean"),
            QStringLiteral("SD"),      QStringLiteral("Cpk"), QStringLiteral("First-pass yield"),
            QStringLiteral("Welch p"), QStringLiteral("")};
}

QStringList StationCells(const StationRow& row)
{
    const Statistic yield = row.firstPassYield();
    return {row.source,
            FormatNumber(static_cast<double>(row.values.n), QStringLiteral("#,##0")),
            row.values.n > 0 ? StatisticCell(row.values.mean) : QStringLiteral("N/A"),
            StatisticCell(row.values.sd()),
            StatisticText(row.cpk ? Statistic(Round3(*row.cpk)) : std::nullopt),
            yield ? FormatNumber(100 * *yield, kValueFormat) + QStringLiteral(" %") : QStringLiteral("N/A"),
            row.welch ? PValueText(row.welch->p) : QStringLiteral("N/A"),
            row.differs ? QStringLiteral("differs") : QString()};
}

QString PValueText(double p)
{
    return p < 0.001 ? QStringLiteral("< 0.001") : FormatNumber(p, kValueFormat);
}

QString AnovaText(const std::optional<AnovaResult>& anova)
{
    if (!anova) {
        return QStringLiteral("N/A");
    }
    const QString p = PValueText(anova->p);
    return QStringLiteral("F = %1 (%2, %3), p %4")
        .arg(FormatNumber(anova->f, kValueFormat),
             FormatNumber(static_cast<double>(anova->dfBetween), QStringLiteral("#,##0")),
             FormatNumber(static_cast<double>(anova->dfWithin), QStringLiteral("#,##0")),
             p.startsWith(QLatin1Char('<')) ? p : QStringLiteral("= ") + p);
}

QJsonObject StationJson(const StationResult& result)
{
    QJsonArray stations;
    for (const StationRow& row : result.rows) {
        QJsonObject station{
            {QStringLiteral("source"), row.source},
            {QStringLiteral("n"), row.values.n},
            {QStringLiteral("mean"), NumberOrNull(row.values.n > 0 ? Statistic(row.values.mean) : std::nullopt)},
            {QStringLiteral("sd"), NumberOrNull(row.values.sd())},
            {QStringLiteral("cpk"), NumberOrNull(row.cpk)},
            {QStringLiteral("firstPassYield"), NumberOrNull(row.firstPassYield())},
            {QStringLiteral("welchP"), NumberOrNull(row.welch ? Statistic(row.welch->p) : std::nullopt)},
            {QStringLiteral("differs"), row.differs}};
        if (row.box) {
            station.insert(QStringLiteral("box"),
                           QJsonObject{{QStringLiteral("q1"), row.box->q1},
                                       {QStringLiteral("median"), row.box->median},
                                       {QStringLiteral("q3"), row.box->q3},
                                       {QStringLiteral("low"), row.box->low},
                                       {QStringLiteral("high"), row.box->high},
                                       {QStringLiteral("outliers"), static_cast<qint64>(row.box->outliers.size())}});
        }
        stations.append(station);
    }
    QJsonValue anova(QJsonValue::Null);
    if (result.anova) {
        anova = QJsonObject{{QStringLiteral("f"), result.anova->f},
                            {QStringLiteral("dfBetween"), result.anova->dfBetween},
                            {QStringLiteral("dfWithin"), result.anova->dfWithin},
                            {QStringLiteral("p"), result.anova->p}};
    }
    return QJsonObject{{QStringLiteral("records"), result.records},
                       {QStringLiteral("stations"), stations},
                       {QStringLiteral("anova"), anova}};
}
