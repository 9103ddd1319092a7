#include "Screening.h"

#include "AnalysisQuery.h"
#include "Clock.h"
#include "EventPump.h"
#include "FiniteNumberReader.h"
#include "HistogramMath.h"
#include "LimitFile.h"
#include "LimitsInForce.h"
#include "Recordset.h"
#include "RunRules.h"
#include "SharedState.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

namespace {

// Lets window events run and tells the caller how far the reading got, each at most once per
// pump interval; remembers a request to stop.
class ScreeningPacer
{
public:
    ScreeningPacer(const EventPump& pump, const ScreeningProgress& progress, qint64 total)
        : m_pump(pump), m_progress(progress), m_total(total), m_interval(pump.throttleMs())
    {
        m_sinceReport.start();
    }

    // false once the caller wants the screening stopped.
    bool offer(qint64 done)
    {
        m_pump.maybePump();
        if (m_progress && m_sinceReport.elapsed() >= m_interval) {
            m_sinceReport.restart();
            m_stopped = !m_progress(kScreeningStatus, done, m_total);
        }
        return !m_stopped;
    }

    bool finish()
    {
        m_stopped = m_stopped || (m_progress && !m_progress(kScreeningStatus, m_total, m_total));
        return !m_stopped;
    }

private:
    ThrottledPump m_pump;
    const ScreeningProgress& m_progress;
    qint64 m_total;
    qint64 m_interval;
    QElapsedTimer m_sinceReport;
    bool m_stopped = false;
};

// Where each record of the statement goes in the order the individual chart reads them: by start
// time, then source, records alike in both in the engine's order. With the last-data-only
// grouping, records of one time and source are ordered by serial as well, so that the records
// of a group come together, and each group's first place is marked. Texts compare as the engine
// compares them: without regard to case in the tables imported from Jet and Excel.
struct ChartOrder
{
    std::vector<quint32> places;   // per record of the statement
    std::vector<bool> groupStarts; // per place; empty without grouping
};

// A record without a start time, ordered first as the engines order Null.
constexpr qint64 kNoTime = std::numeric_limits<qint64>::min();

ChartOrder ChartOrderOf(Recordset& records, Qt::CaseSensitivity textCase, bool grouped, ScreeningPacer& pacer)
{
    const size_t count = static_cast<size_t>(records.RecordCount());
    const int timeField = records.fieldIndex(QStringLiteral("DateX"));
    const int sourceField = records.fieldIndex(QStringLiteral("ATEX"));
    // Sources are few: each gets a number, and then its rank in text order.
    std::vector<qint64> times(count);
    std::vector<int> sources(count);
    QHash<QString, int> sourceOfText;
    QHash<QString, int> sourceOfKey; // texts that compare equal share one source
    QStringList sourceTexts;
    size_t row = 0;
    for (records.MoveFirst(); !records.isEOF(); records.MoveNext(), ++row) {
        if (row % kPumpBlock == 0) {
            pacer.offer(0); // a stop ends the screening at the first column
        }
        qint64 day = 0;
        int second = 0;
        times[row] = records.dateTimeParts(timeField, day, second) ? day * 86400 + second : kNoTime;
        const QString text = records.text(sourceField);
        auto source = sourceOfText.constFind(text);
        if (source == sourceOfText.cend()) {
            const QString key = textCase == Qt::CaseInsensitive ? text.toCaseFolded() : text;
            if (!sourceOfKey.contains(key)) {
                sourceOfKey.insert(key, int(sourceTexts.size()));
                sourceTexts.append(text);
            }
            source = sourceOfText.insert(text, sourceOfKey.value(key));
        }
        sources[row] = *source;
    }
    std::vector<int> byText(sourceTexts.size());
    std::iota(byText.begin(), byText.end(), 0);
    std::sort(byText.begin(), byText.end(),
              [&](int a, int b) { return sourceTexts[a].compare(sourceTexts[b], textCase) < 0; });
    std::vector<int> sourceRank(byText.size());
    for (size_t rank = 0; rank < byText.size(); ++rank) {
        sourceRank[static_cast<size_t>(byText[rank])] = int(rank);
    }

    std::vector<quint32> order(count);
    std::iota(order.begin(), order.end(), quint32(0));
    const auto timeAndSource = [&](quint32 r) { return std::pair(times[r], sourceRank[size_t(sources[r])]); };
    std::stable_sort(order.begin(), order.end(),
                     [&](quint32 a, quint32 b) { return timeAndSource(a) < timeAndSource(b); });

    ChartOrder chart;
    if (grouped) {
        // Only records that share a time and source need their serials.
        QHash<quint32, QString> serials;
        for (size_t i = 1; i < count; ++i) {
            if (timeAndSource(order[i - 1]) == timeAndSource(order[i])) {
                serials.insert(order[i - 1], QString());
                serials.insert(order[i], QString());
            }
        }
        if (!serials.isEmpty()) {
            const int serialField = records.fieldIndex(QStringLiteral("SNX"));
            row = 0;
            for (records.MoveFirst(); !records.isEOF(); records.MoveNext(), ++row) {
                if (const auto serial = serials.find(quint32(row)); serial != serials.end()) {
                    *serial = records.text(serialField);
                }
            }
        }
        const auto serialOrder = [&](quint32 a, quint32 b) {
            return serials.value(a).compare(serials.value(b), textCase);
        };
        for (size_t first = 0, last = 0; first < count; first = last) {
            for (last = first + 1; last < count && timeAndSource(order[last]) == timeAndSource(order[first]); ++last) {
            }
            std::stable_sort(order.begin() + qsizetype(first), order.begin() + qsizetype(last),
                             [&](quint32 a, quint32 b) { return serialOrder(a, b) < 0; });
        }
        chart.groupStarts.resize(count);
        for (size_t i = 0; i < count; ++i) {
            chart.groupStarts[i] = i == 0 || timeAndSource(order[i - 1]) != timeAndSource(order[i]) ||
                                   serialOrder(order[i - 1], order[i]) != 0;
        }
    }
    chart.places.resize(count);
    for (size_t place = 0; place < count; ++place) {
        chart.places[order[place]] = quint32(place);
    }
    return chart;
}

// What reading one parameter's column gave.
enum class ColumnRead
{
    Done,
    Failed, // a value that is not a number: error says which
    Stopped,
};

// A record whose value its chart leaves out.
constexpr double kLeftOut = std::numeric_limits<double>::quiet_NaN();

// The values of field Value<parameter> in chart order, each as the parameter's chart keeps it:
// kLeftOut for Null, 999, -999 and (without acceptZero) 0.
ColumnRead ReadParameterColumn(Recordset& records, int parameter, const QString& column, bool acceptZero,
                               const ChartOrder& order, ScreeningPacer& pacer, qint64 done, std::vector<double>& values,
                               QString& error)
{
    const QString alias = QStringLiteral("Value%1").arg(parameter);
    const int field = records.fieldIndex(alias);
    const FiniteNumberReader reader(records, alias, column);
    values.assign(order.places.size(), kLeftOut);
    qint64 row = 0;
    for (records.MoveFirst(); !records.isEOF(); records.MoveNext(), ++row) {
        if (row % kPumpBlock == 0 && !pacer.offer(done + row)) {
            return ColumnRead::Stopped;
        }
        if (records.value(field).isNull()) {
            continue;
        }
        const std::optional<double> value = reader.read(row + 1, error);
        if (!value) {
            return ColumnRead::Failed;
        }
        if (!IsAbsentLimit(*value) && (acceptZero || *value != 0)) {
            values[order.places[static_cast<size_t>(row)]] = *value;
        }
    }
    return ColumnRead::Done;
}

// Keeps the values the chart plots, in place: those not left out; with grouping the largest of
// each group's.
void KeepChartValues(std::vector<double>& values, const ChartOrder& order)
{
    const bool grouped = !order.groupStarts.empty();
    size_t kept = 0;
    bool groupHasValue = false; // the group of place i already has values[kept - 1]
    for (size_t i = 0; i < values.size(); ++i) {
        groupHasValue = groupHasValue && !(grouped && order.groupStarts[i]);
        const double value = values[i];
        if (std::isnan(value)) {
            continue;
        }
        if (grouped && groupHasValue) {
            values[kept - 1] = std::max(values[kept - 1], value);
        } else {
            values[kept++] = value;
            groupHasValue = grouped;
        }
    }
    values.resize(kept);
}

// N, mean, SD and the performance indices as the histogram computes them, and the values outside
// the specification.
void AddHistogramStatistics(ScreeningRow& row, const std::vector<double>& values, double usl, double lsl)
{
    const HistogramStatistics s = HistogramStatisticsOf(values, usl, lsl);
    row.n = s.n;
    if (row.n == 0) {
        row.note = QStringLiteral("No values");
        return;
    }
    const double n = static_cast<double>(row.n);
    if (std::isfinite(s.sum / n)) {
        row.mean = s.sum / n;
    }
    if (row.n >= 2 && std::isfinite(s.mean) && std::isfinite(s.sd)) {
        row.sd = s.sd;
    }
    row.pp = s.pp;
    row.ppk = s.ppk;
    if (!s.error.isEmpty()) {
        row.note = s.error;
    } else if (s.isDegenerate()) {
        row.note = QStringLiteral("Mean or SD of 0");
    }
    if (!IsAbsentLimit(usl)) {
        row.usl = usl;
    }
    if (!IsAbsentLimit(lsl)) {
        row.lsl = lsl;
    }
    row.outOfSpec = std::count_if(values.cbegin(), values.cend(),
                                  [&row](double v) { return (row.usl && v > *row.usl) || (row.lsl && v < *row.lsl); });
    row.outOfSpecPercent = 100.0 * static_cast<double>(row.outOfSpec) / n;
}

// Cpk, the points beyond the control limits and the Western Electric signals of the individual
// chart of the values, as the chart computes and judges them (it needs two values); against a
// frozen set when there is one.
void AddIndividualChart(ScreeningRow& row, const std::vector<double>& values, double usl, double lsl,
                        const LimitSet* frozen)
{
    if (values.size() < 2) {
        return;
    }
    if (usl < lsl) { // the chart takes them the right way round, after a message
        std::swap(usl, lsl);
    }
    double sumX = 0;
    double sumX2 = 0;
    double sumRanges = 0; // the first point's moving range is 0
    for (size_t i = 0; i < values.size(); ++i) {
        sumX += values[i];
        sumX2 += values[i] * values[i];
        sumRanges += i == 0 ? 0 : std::abs(values[i] - values[i - 1]);
    }
    const double n = static_cast<double>(values.size());
    const double centre = sumX / n;
    const double rBar = sumRanges / n;
    static const ControlChartConstants constants = InitControlChartConstants();
    ProcessStatistics s = CalculateProcessStatistic(centre, rBar, usl, lsl, constants.d2[0], sumX, sumX2, n);
    if (frozen) {
        SetCapability(s, centre, frozen->sigma, usl, lsl);
    }
    const ControlLimits limits = frozen ? FrozenControlLimits(*frozen, s)
                                        : ComputeControlLimits(constants, false, ControlChartConstants::kSmallestSize,
                                                               centre, rBar, s.estSigma, s.cp, s.cpk, s.cpu, s.cpl);
    row.frozenLimits = frozen != nullptr;
    row.cpk = limits.cpk;
    const ControlLimits::Exact& l = limits.exact;
    // Rule 1 of the set is a point beyond the control limits.
    for (const RuleMask mask : FindSignals(RuleSet::WesternElectric, values, {l.cl, l.ucl, l.lcl})) {
        row.beyondLimits += mask & 1;
        row.weSignals += mask != 0 ? 1 : 0;
    }
}

} // namespace

SqlText ScreeningStatement(const SharedState& state, const Selection& selection, const QDate& today, Prompts& prompts)
{
    return SelectionSQL(state, selection, today, prompts, state.gParameterField.join(QStringLiteral(":::")),
                        QStringLiteral("Screening"), QString());
}

ScreeningResult ScreenParameters(const AnalysisContext& context, const ScreeningProgress& progress)
{
    ScreeningResult result;
    const SharedState& state = context.state;
    const Selection& selection = context.selection;
    const SqlText sql = ScreeningStatement(state, selection, context.clock.today(), context.prompts);
    if (sql.isEmpty()) {
        return result;
    }
    Recordset records;
    const Recordset::Watch watch = [&context, &progress](const LoadStep& step) {
        context.pump.pump();
        return !progress || progress(LoadStepText(step), step.read, std::max<qint64>(step.total, 0));
    };
    if (!OpenAnalysisRecords(context, records, sql, watch)) {
        result.stopped = records.stopped();
        result.outcome = result.stopped ? AnalysisOutcome::NoChart : AnalysisOutcome::Failed;
        result.error = records.lastError();
        return result;
    }
    result.records = records.RecordCount();
    if (context.refreshParameterNames) {
        context.refreshParameterNames();
    }
    const qsizetype parameters = state.gParameterField.size();
    const LimitFileRead limitFile = ReadLimitFile(QDir::currentPath());
    result.limitFileProblem = limitFile.problem;
    ScreeningPacer pacer(context.pump, progress, result.records * parameters);
    const ChartOrder order =
        ChartOrderOf(records, state.gConnection->imported() ? Qt::CaseInsensitive : Qt::CaseSensitive,
                     selection.lastDataOnly, pacer);
    std::vector<double> values;
    bool anyValues = false;
    for (int k = 0; k < parameters; ++k) {
        const QString& column = state.gParameterField.at(k);
        switch (ReadParameterColumn(records, k, column, selection.acceptZero, order, pacer, result.records * k, values,
                                    result.error)) {
        case ColumnRead::Done:
            break;
        case ColumnRead::Failed:
            result.outcome = ShowRunTimeError(context.prompts, result.error);
            return result;
        case ColumnRead::Stopped:
            result.stopped = true;
            result.rows.clear();
            return result;
        }
        KeepChartValues(values, order);
        ScreeningRow row;
        row.parameter = k;
        row.name = state.gParameterName.value(k);
        row.unit = state.gUnit.value(k);
        const double usl = state.gUSL.value(k, 999);
        const double lsl = state.gLSL.value(k, -999);
        AddHistogramStatistics(row, values, usl, lsl);
        const LimitKey key{selection.product, state.gParameterField.at(k), LimitChartKind::Individual, 1,
                           selection.source.isEmpty() ? kAll : selection.source};
        AddIndividualChart(row, values, usl, lsl, limitFile.store.find(key));
        anyValues = anyValues || row.n > 0;
        result.rows.append(row);
    }
    if (!pacer.finish()) {
        result.stopped = true;
        result.rows.clear();
        return result;
    }
    if (!anyValues) {
        result.rows.clear();
        result.outcome = ShowNoData(context.prompts);
        return result;
    }
    SortWorstFirst(result.rows);
    result.outcome = AnalysisOutcome::Drawn;
    return result;
}

void SortWorstFirst(QList<ScreeningRow>& rows)
{
    std::stable_sort(rows.begin(), rows.end(),
                     [](const ScreeningRow& a, const ScreeningRow& b) { return a.ppk && (!b.ppk || *a.ppk < *b.ppk); });
}
