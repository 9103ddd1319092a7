#include "LiveChart.h"

#include "ChartControl.h"
#include "ChartLimitsDrawing.h"
#include "ChartRowStore.h"
#include "ListingFile.h"
#include "ListingLines.h"
#include "LiveContinuation.h"
#include "QueryBuilder.h"
#include "QueryStream.h"
#include "RawDataListing.h"
#include "SharedState.h"
#include "XBarChart.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// How long a refresh waits for each batch of its rows before it looks again.
constexpr int kBatchWaitMs = 50;

// What one refresh read: the records after the boundary, in the store that also holds the records
// that waited for their subgroup (its first rows).
struct RefreshRows
{
    std::unique_ptr<ChartRowStore> store;
    std::vector<quint32> fresh;
    ReadBoundary boundary;
    QString error;
};

} // namespace

class LiveChartState
{
public:
    LiveChartState(SharedState& state, XBarChart& chart, const ControlChartConstants& constants, PlotRequest request,
                   PlotResult& drawn)
        : state(state), xbar(chart), constants(constants), request(std::move(request)), drawn(drawn),
          go(std::move(drawn.live))
    {
    }

    RefreshOutcome refresh(const QDate& today);
    LiveSignal signalAt(int series, qint64 point, const QStringList& serials) const;
    qint64 recordsPerPoint() const { return go->points.individual() ? 1 : request.subgroupSize; }

    SharedState& state;
    XBarChart& xbar;
    const ControlChartConstants& constants;
    const PlotRequest request;
    PlotResult& drawn;
    std::shared_ptr<LiveContinuation> go;
    qint64 dropped = 0;

private:
    RefreshRows read(const SqlText& sql) const;
    QString dropFirstPoints(qint64 count);
    QString appendPoints(const RefreshRows& rows, RefreshOutcome& out);
};

RefreshRows LiveChartState::read(const SqlText& sql) const
{
    RefreshRows rows{std::make_unique<ChartRowStore>(request.column), {}, go->boundary, {}};
    for (quint32 row = 0; row < go->waiting->rows(); ++row) {
        rows.store->copyRow(*go->waiting, row);
    }
    const quint32 firstRead = rows.store->rows();
    QueryStream stream;
    if (!stream.start(*state.gConnection, sql)) {
        rows.error = stream.lastError();
        return rows;
    }
    while (!stream.atEnd()) {
        if (const std::unique_ptr<RowBatch> batch = stream.next(kBatchWaitMs)) {
            const QStringList names = stream.names();
            rows.store->add(batch->field(names, "SNX"_L1), batch->field(names, "ATEX"_L1),
                            batch->field(names, "DateX"_L1), batch->field(names, "ValueX"_L1), batch->rows);
        }
    }
    rows.error = stream.lastError();
    if (rows.error.isEmpty()) {
        rows.fresh = rows.boundary.takeNew(*rows.store, firstRead);
    }
    return rows;
}

RefreshOutcome LiveChartState::refresh(const QDate& today)
{
    RefreshOutcome out;
    if (!go) {
        out.error = QStringLiteral("The chart was not drawn");
        return out;
    }
    const SqlText rangeSql = request.makeSqlOn ? request.makeSqlOn(today) : SqlText();
    if (rangeSql.isEmpty() || rangeSql.dates.isEmpty()) {
        out.error = QStringLiteral("The range of the chart cannot be read");
        return out;
    }
    const std::optional<qint64> lastTime = go->boundary.lastTime();
    const SqlText sql = lastTime ? RaiseRangeStart(rangeSql, PointTimes::TimeOf(*lastTime)) : rangeSql;
    RefreshRows rows = read(sql);
    if (!rows.error.isEmpty()) {
        out.error = rows.error;
        return out;
    }
    // Every value is checked before any is used, so that a refresh that fails changes nothing.
    for (qsizetype i = 0; i < static_cast<qsizetype>(rows.fresh.size()); ++i) {
        if (!rows.store->value(rows.fresh[static_cast<size_t>(i)])) {
            out.error = rows.store->notANumberText(rows.fresh[static_cast<size_t>(i)],
                                                   go->points.recordsUsed() + go->waiting->rows() + i + 1);
            return out;
        }
    }
    out.read = true;
    out.newRecords = static_cast<qint64>(rows.fresh.size());
    // The range as it stands today: points whose first record has left it go.
    const QDateTime rangeStart = rangeSql.dates.front().dateTime;
    const qint64 leaving = drawn.times.countUntil(rangeStart.addSecs(-1));
    if (rows.fresh.empty() && leaving == 0) {
        go->boundary = std::move(rows.boundary);
        out.panelText = drawn.panelText;
        return out;
    }
    ChartControl& chart = xbar.chart();
    const bool onLastPage = chart.currentPage() == chart.pageCount();
    if (leaving > 0) {
        out.error = dropFirstPoints(leaving);
        out.droppedPoints = leaving;
    }
    const QString appendError = appendPoints(rows, out);
    out.error = out.error.isEmpty() ? appendError : out.error;
    go->boundary = std::move(rows.boundary);
    if (onLastPage) {
        chart.setCurrentPage(chart.pageCount());
    }
    xbar.WritePageLine(state.gChartTitle);
    chart.update();
    out.panelText = drawn.panelText;
    return out;
}

QString LiveChartState::dropFirstPoints(qint64 count)
{
    ChartControl& chart = xbar.chart();
    const qint64 n = std::min(count, chart.pointCount(XBarChart::kDataSeries));
    const SeriesPoints& data = chart.series(XBarChart::kDataSeries).points;
    const SeriesPoints& ranges = chart.series(XBarChart::kRangeSeries).points;
    const auto size = static_cast<size_t>(n);
    go->points.forgetFirstPoints({data.yData(), size}, {ranges.yData(), size},
                                 go->squares.empty() ? std::span<const double>() : std::span(go->squares.data(), size));
    chart.dropFirstPoints(XBarChart::kDataSeries, n);
    chart.dropFirstPoints(XBarChart::kRangeSeries, n);
    if (go->points.individual() && chart.pointCount(XBarChart::kRangeSeries) > 0) {
        // The first value left has no moving range, as in a chart that starts with it.
        go->points.restartMovingRange(chart.pointY(XBarChart::kRangeSeries, 0));
        chart.series(XBarChart::kRangeSeries).points.setY(0, 0);
    }
    drawn.times.dropFirst(n);
    go->lastTimes.dropFirst(n);
    if (!go->squares.empty()) {
        go->squares.erase(go->squares.begin(), go->squares.begin() + static_cast<std::ptrdiff_t>(n));
    }
    drawn.outOfControl.upper.remove(0, std::min<qsizetype>(n, drawn.outOfControl.upper.size()));
    drawn.outOfControl.range.remove(0, std::min<qsizetype>(n, drawn.outOfControl.range.size()));
    dropped += n;
    const qint64 records = n * recordsPerPoint();
    go->listedRecords -= records;
    QString error;
    DropListingRecords(go->listingPath, records, &error);
    return error;
}

QString LiveChartState::appendPoints(const RefreshRows& rows, RefreshOutcome& out)
{
    ControlChartPoints& points = go->points;
    RawDataListing listing(go->listingPath, RawDataListing::Mode::Append);
    const bool listed = listing.open();
    ListingLines lines(points.individual(), listing);
    points.setLines(listed ? &lines : nullptr);
    points.keepSerials();
    const qint64 usedBefore = points.recordsUsed();
    for (const quint32 row : rows.fresh) {
        points.use(*rows.store, row);
    }
    points.setLines(nullptr);
    QString error = listed && listing.commit() ? QString() : listing.errorString();
    go->listedRecords += points.recordsUsed() - usedBefore;
    auto waiting = std::make_unique<ChartRowStore>(request.column);
    points.moveWaiting(*rows.store, *waiting);
    go->waiting = std::move(waiting);

    ChartControl& chart = xbar.chart();
    const SeriesPoints data = points.takeData();
    const SeriesPoints ranges = points.takeRanges();
    const qint64 firstNew = chart.pointCount(XBarChart::kDataSeries);
    for (qint64 i = 0; i < data.count(); ++i) {
        chart.addPoint(XBarChart::kDataSeries, data.y(i), data.label(i));
        chart.addPoint(XBarChart::kRangeSeries, ranges.y(i), ranges.label(i));
    }
    drawn.times.append(points.takeTimes());
    go->lastTimes.append(points.takeLastTimes());
    const std::vector<double> squares = points.takeSquares();
    go->squares.insert(go->squares.end(), squares.begin(), squares.end());
    const std::vector<QStringList> serials = points.takeSerials();
    out.newPoints = data.count();
    drawn.records = go->listedRecords;
    drawn.lastRecord = points.lastUsed();

    xbar.ClearControlLimits();
    if (chart.pointCount(XBarChart::kDataSeries) == 0) {
        drawn.panelText.clear();
        return error;
    }
    DrawLimitsOfPoints(xbar, points, request, constants, go->usl, go->lsl, drawn);
    const ControlChartSignals tail = JudgeControlChart(chart, request.ruleSet, drawn.limits, firstNew);
    drawn.outOfControl.upper += tail.upper;
    drawn.outOfControl.range += tail.range;
    FlagSignals(chart, drawn.outOfControl);
    for (qint64 i = firstNew; i < chart.pointCount(XBarChart::kDataSeries); ++i) {
        const QStringList& behind = serials[static_cast<size_t>(i - firstNew)];
        for (const int series : {XBarChart::kDataSeries, XBarChart::kRangeSeries}) {
            const QVector<RuleMask>& marks =
                series == XBarChart::kDataSeries ? drawn.outOfControl.upper : drawn.outOfControl.range;
            if (i < marks.size() && marks[i] != 0) {
                out.newSignals.push_back(signalAt(series, i, behind));
            }
        }
    }
    return error;
}

LiveSignal LiveChartState::signalAt(int series, qint64 point, const QStringList& serials) const
{
    const ChartControl& chart = xbar.chart();
    const LimitSegment& segment = drawn.limits.segmentOf(point);
    const ControlLimits::Exact& exact = segment.limits.exact;
    const bool upper = series == XBarChart::kDataSeries;
    LiveSignal signal;
    signal.sequence = dropped + point;
    signal.series = series;
    signal.time = go->lastTimes.at(point).value_or(QDateTime());
    signal.value = chart.pointY(series, point);
    signal.rules = drawn.outOfControl.describe(series, point).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    signal.serials = serials;
    signal.lcl = upper ? exact.lcl : exact.rangeLcl;
    signal.centre = upper ? exact.cl : segment.rBar;
    signal.ucl = upper ? exact.ucl : exact.rangeUcl;
    return signal;
}

LiveChart::LiveChart(SharedState& state, XBarChart& chart, const ControlChartConstants& constants, PlotRequest request,
                     PlotResult& drawn)
    : m_live(std::make_unique<LiveChartState>(state, chart, constants, std::move(request), drawn))
{
}

LiveChart::~LiveChart() = default;

RefreshOutcome LiveChart::refresh(const QDate& today)
{
    return m_live->refresh(today);
}

qint64 LiveChart::droppedPoints() const
{
    return m_live->dropped;
}

QDateTime LiveChart::pointTime(qint64 index) const
{
    const PointTimes* times = m_live->go ? &m_live->go->lastTimes : nullptr;
    return times && index >= 0 && index < times->count() ? times->at(index).value_or(QDateTime()) : QDateTime();
}

std::vector<LiveSignal> LiveChart::drawnSignals(qint64 from) const
{
    std::vector<LiveSignal> found;
    if (!m_live->go) {
        return found;
    }
    const ControlChartSignals& marks = m_live->drawn.outOfControl;
    const qint64 perPoint = m_live->recordsPerPoint();
    for (qint64 i = std::max<qint64>(from, 0); i < m_live->xbar.chart().pointCount(XBarChart::kDataSeries); ++i) {
        const bool upper = i < marks.upper.size() && marks.upper[i] != 0;
        const bool range = i < marks.range.size() && marks.range[i] != 0;
        if (!upper && !range) {
            continue;
        }
        const QStringList serials =
            ListingSerials(m_live->go->listingPath, m_live->go->listedRecords, i * perPoint, perPoint);
        if (upper) {
            found.push_back(m_live->signalAt(XBarChart::kDataSeries, i, serials));
        }
        if (range) {
            found.push_back(m_live->signalAt(XBarChart::kRangeSeries, i, serials));
        }
    }
    return found;
}
