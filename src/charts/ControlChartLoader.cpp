#include "ControlChartLoader.h"

#include "BusyCursor.h"
#include "ChartControl.h"
#include "ChartLimitsDrawing.h"
#include "ChartRowStore.h"
#include "ControlChartPoints.h"
#include "EventPump.h"
#include "Formats.h"
#include "FreedMemory.h"
#include "ListingLines.h"
#include "LiveContinuation.h"
#include "Prompts.h"
#include "QueryStream.h"
#include "RawDataListing.h"
#include "SharedState.h"
#include "XBarChart.h"

#include <QElapsedTimer>
#include <algorithm>
#include <optional>
#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace {

// Runs the clean-up of a plot on every way out of it.
class PlotCleanup
{
public:
    explicit PlotCleanup(std::function<void()> action) : m_action(std::move(action)) {}
    ~PlotCleanup() { m_action(); }
    PlotCleanup(const PlotCleanup&) = delete;
    PlotCleanup& operator=(const PlotCleanup&) = delete;

private:
    std::function<void()> m_action;
};

// How often the status line follows the load.
constexpr int kStatusIntervalMs = 100;

double limitValue(const QString& text, double absent)
{
    return NumericValue(text).value_or(absent);
}

// Uses the records of a load whose rows the program ordered, once every row is in: in the
// engine's order, of each group the record the engine shows. Unless the points write them, the
// listing's lines are written on another thread while the points are made. False when the
// points fail (their error says why).
bool useInEngineOrder(EngineOrder& order, const ChartRowStore& store, bool grouped, ControlChartPoints& points,
                      ListingLines* lines)
{
    EngineOrder::Sequence sequence = order.sequence();
    std::vector<quint32> leaders;
    if (grouped) {
        const auto smaller = [&store](quint32 a, quint32 b) { return store.number(a) < store.number(b); };
        quint32 first = 0;
        for (const quint32 end : sequence.groupEnds) {
            leaders.push_back(MaxRow(sequence.rows.data() + first, sequence.rows.data() + end, smaller));
            first = end;
        }
        sequence = {};
    }
    const std::vector<quint32>& records = grouped ? leaders : sequence.rows;
    const qint64 listed = lines ? points.recordsToUse(static_cast<qint64>(records.size())) : 0;
    std::thread lister([&] {
        for (qint64 i = 0; i < listed; ++i) {
            lines->write(store, records[static_cast<size_t>(i)], i + 1);
        }
    });
    bool used = true;
    for (size_t i = 0; i < records.size() && used; ++i) {
        used = points.use(store, records[i]);
    }
    lister.join();
    return used;
}

} // namespace

PlotRequest ControlChartRequest(const SharedState& state, const Selection& selection, const QString& parameterText,
                                const QDate& today, Prompts& prompts)
{
    PlotRequest request;
    request.product = selection.product;
    request.parameterName = parameterText.trimmed();
    request.unit = state.gUnit.value(selection.parameter);
    request.column = state.gParameterField.value(selection.parameter);
    request.sourceFilter = selection.source;
    request.makeSqlOn = [&state, selection, &prompts](const QDate& day) {
        return SelectionSQL(state, selection, day, prompts, state.gParameterField.value(selection.parameter), {},
                            state.gTestStartTimeField + QStringLiteral(", ") + state.gATEIDField);
    };
    request.makeSql = [makeSqlOn = request.makeSqlOn, today] { return makeSqlOn(today); };
    request.makeRowsSql = [&state, selection, today, &prompts] {
        return SelectionRowsSQL(state, selection, today, prompts, state.gParameterField.value(selection.parameter));
    };
    request.lastDataOnly = selection.lastDataOnly;
    return request;
}

ControlChartLoader::ControlChartLoader(SharedState& state, XBarChart& chart, Prompts& prompts, const EventPump& pump,
                                       const ControlChartConstants& constants, std::function<void(bool)> enableControls,
                                       std::function<void(const QString&)> showStatus)
    : m_state(state), m_chart(chart), m_prompts(prompts), m_pump(pump), m_constants(constants),
      m_enableControls(std::move(enableControls)), m_showStatus(std::move(showStatus))
{
}

double ControlChartLoader::GetAverage(const std::vector<double>& values, qsizetype count)
{
    double sum = 0;
    for (qsizetype i = 0; i < count; ++i) {
        sum += values[static_cast<size_t>(i)];
    }
    return sum / static_cast<double>(count);
}

double ControlChartLoader::GetRange(const std::vector<double>& values, qsizetype last)
{
    double highest = values[0];
    double lowest = values[0];
    for (qsizetype i = 1; i <= last; ++i) {
        highest = std::max(highest, values[static_cast<size_t>(i)]);
        lowest = std::min(lowest, values[static_cast<size_t>(i)]);
    }
    return highest - lowest;
}

PlotResult ControlChartLoader::PlotXBarChart(const PlotRequest& request)
{
    const PlotResult result = plot(request, false);
    ReleaseFreedMemory(); // the rows the load kept
    return result;
}

PlotResult ControlChartLoader::PlotIndividualChart(const PlotRequest& request)
{
    const PlotResult result = plot(request, true);
    ReleaseFreedMemory();
    return result;
}

PlotResult ControlChartLoader::plot(const PlotRequest& request, bool individual)
{
    PlotResult result;
    m_enableControls(false);
    const BusyCursor busy;
    m_state.gStopPlot = false;
    m_state.gChartTitle = request.product.trimmed() + QLatin1Char(' ') + request.parameterName.trimmed();
    QElapsedTimer sinceStart;
    sinceStart.start();

    const auto status = [this](const QString& text) {
        if (m_showStatus) {
            m_showStatus(text);
        }
    };
    QueryStream stream;
    // The listing replaces the last one only when this load draws or is stopped.
    RawDataListing listing(m_state.gRawDataFile);
    const PlotCleanup cleanup([&] {
        stream.stop();
        status(QString());
        m_enableControls(true);
        m_chart.chart().setCurrentPage(1);
        m_chart.WritePageLine(m_state.gChartTitle);
    });
    const auto fail = [this](const QString& description) {
        m_prompts.message(description + QLatin1Char('!'), MsgIcon::Exclamation, MsgButtons::OK);
        return PlotResult();
    };

    bool program = OrdersInProgram(request.orderedBy, *m_state.gConnection) && request.makeRowsSql;
    SqlText sql = program ? request.makeRowsSql() : (request.makeSql ? request.makeSql() : SqlText());
    if (sql.isEmpty()) {
        return result;
    }
    if (!listing.open()) {
        return fail(listing.errorString());
    }
    listing.append(QStringLiteral("S/N\t%1\tATE ID\tDate\r\n").arg(request.parameterName.trimmed()).toUtf8());

    const int n = request.subgroupSize;
    std::vector<qint64> stageStarts;
    if (!request.limits.frozen) {
        for (const StageStart& stage : request.limits.stages) {
            stageStarts.push_back(PointTimes::SecondsOf(stage.start));
        }
    }
    ListingLines lines(individual, listing);
    // Records the program orders are listed on a thread of their own, unless stages leave some out.
    ListingLines* const listedApart = program && stageStarts.empty() ? &lines : nullptr;
    ControlChartPoints points(individual, n, request.sourceFilter, listedApart ? nullptr : &lines, stageStarts);
    const bool grouped = request.lastDataOnly;
    std::unique_ptr<ChartRowStore> store;
    std::optional<EngineOrder> order;
    ThrottledPump pump(m_pump);
    // A stopped plot shows what it used, without limits.
    const auto stopped = [&] {
        result.stopped = true;
        result.records = points.recordsUsed();
        if (points.pointCount() > 0) {
            m_chart.ResetChart(request.unit, individual, m_state.gChartTitle);
            m_chart.chart().setPoints(XBarChart::kDataSeries, points.takeData());
            m_chart.chart().setPoints(XBarChart::kRangeSeries, points.takeRanges());
            listing.commit();
        }
        return result;
    };
    for (bool reading = true; reading;) {
        if (!stream.start(*m_state.gConnection, sql)) {
            return fail(stream.lastError());
        }
        store = std::make_unique<ChartRowStore>(request.column);
        order.reset();
        reading = false;
        QElapsedTimer sinceStatus;
        sinceStatus.start();
        while (!stream.atEnd()) {
            if (const std::unique_ptr<RowBatch> batch = stream.next(m_pump.throttleMs())) {
                const QStringList names = stream.names();
                const RecordColumn& serials = batch->field(names, "SNX"_L1);
                const RecordColumn& sources = batch->field(names, "ATEX"_L1);
                const RecordColumn& dates = batch->field(names, "DateX"_L1);
                const RecordColumn& values = batch->field(names, "ValueX"_L1);
                const quint32 first = store->rows();
                store->add(serials, sources, dates, values, batch->rows);
                if (program) {
                    if (!order) {
                        order.emplace(EngineOrder::Order::Time, grouped, stream.fieldOrder("SNX"_L1),
                                      stream.fieldOrder("ATEX"_L1));
                    }
                    // The largest value of a group is the engine's only when all are numbers.
                    const bool numbers = !grouped || values.kind == RecordColumn::Kind::Number;
                    if (!order->add(serials, sources, dates, batch->rows) || !numbers) {
                        // Keys the program cannot order exactly: the engine orders them.
                        program = false;
                        points = ControlChartPoints(individual, n, request.sourceFilter, &lines, stageStarts);
                        sql = request.makeSql ? request.makeSql() : SqlText();
                        reading = !sql.isEmpty();
                        break;
                    }
                } else {
                    for (quint32 row = first; row < store->rows(); ++row) {
                        if (!points.use(*store, row)) {
                            return fail(points.error());
                        }
                    }
                }
            }
            if (sinceStatus.elapsed() >= kStatusIntervalMs) {
                status(LoadStepText(stream.step()));
                sinceStatus.restart();
            }
            pump.maybePump();
            if (m_state.gStopPlot) {
                return stopped();
            }
        }
        stream.stop();
    }
    if (!stream.lastError().isEmpty()) {
        return fail(stream.lastError());
    }
    result.msToLastRow = sinceStart.elapsed() - stream.msSinceLastRow();
    result.orderedBy = program ? OrderedBy::Program : OrderedBy::Engine;
    if (program && order && !useInEngineOrder(*order, *store, grouped, points, listedApart)) {
        return fail(points.error());
    }
    const qint64 count = points.rowsSeen();
    if (!individual && (count < n || points.pointCount() == 0)) {
        m_prompts.message(QStringLiteral("There is no data collection for this selected range of filter condition!"),
                          MsgIcon::Information, MsgButtons::OK);
        return result;
    }
    if (individual && count < 2) {
        m_prompts.message(QStringLiteral("No data collection for this selected range of filter condition!"),
                          MsgIcon::Information, MsgButtons::OK);
        return result;
    }
    double usl = limitValue(request.uslText, 999);
    double lsl = limitValue(request.lslText, -999);
    if (usl < lsl) {
        m_prompts.message(QStringLiteral("USL value greater then LSL!"), MsgIcon::Exclamation, MsgButtons::OK);
        std::swap(usl, lsl);
    }
    if (!listing.commit()) {
        return fail(listing.errorString());
    }
    m_chart.ResetChart(request.unit, individual, m_state.gChartTitle);
    ChartControl& chart = m_chart.chart();
    chart.setPoints(XBarChart::kDataSeries, points.takeData());
    chart.setPoints(XBarChart::kRangeSeries, points.takeRanges());
    result.records = points.recordsUsed();

    result.times = points.takeTimes();
    result.firstRecord = points.firstUsed();
    result.lastRecord = points.lastUsed();
    const QString statisticsError =
        DrawLimitsOfPoints(m_chart, points, request, m_constants, usl, lsl, result);
    if (!statisticsError.isEmpty()) {
        m_prompts.message(statisticsError + QLatin1Char('!'), MsgIcon::Exclamation, MsgButtons::OK);
    }
    result.outOfControl = JudgeControlChart(m_chart.chart(), request.ruleSet, result.limits);
    FlagSignals(m_chart.chart(), result.outOfControl);
    result.drawn = true;
    result.live = std::make_shared<LiveContinuation>(std::move(points), *store, grouped, request.column);
    result.live->usl = usl;
    result.live->lsl = lsl;
    result.live->listingPath = m_state.gRawDataFile;
    return result;
}
