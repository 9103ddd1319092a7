#include "ControlChartPoints.h"

#include "ChartRowStore.h"
#include "ControlChartLoader.h"
#include "Formats.h"
#include "ListingLines.h"
#include "RecordColumn.h"

#include <algorithm>
#include <cmath>

ControlChartPoints::ControlChartPoints(bool individual, int subgroupSize, QString firstMovingRangeLabel,
                                       ListingLines* lines, std::vector<qint64> stageStarts)
    : m_individual(individual), m_groupSize(individual ? 1 : std::max(subgroupSize, 1)),
      m_recordsBeforeUse(individual ? 2 : m_groupSize), m_lines(lines), m_subgroup(static_cast<size_t>(m_groupSize)),
      m_movingRangeLabel(std::move(firstMovingRangeLabel)), m_stageStarts(std::move(stageStarts))
{
}

qint64 ControlChartPoints::recordsToUse(qint64 records) const
{
    return records < m_recordsBeforeUse ? 0 : records - records % m_groupSize;
}

std::optional<QDateTime> ControlChartPoints::firstUsed() const
{
    return m_firstUsed < 0 ? std::nullopt : std::optional(PointTimes::TimeOf(m_firstUsed));
}

std::optional<QDateTime> ControlChartPoints::lastUsed() const
{
    return m_lastUsed < 0 ? std::nullopt : std::optional(PointTimes::TimeOf(m_lastUsed));
}

bool ControlChartPoints::startStages(const ChartRowStore& store, qint64 time)
{
    int stage = m_stages.back().stage;
    while (time != ChartRowStore::kUndated && m_nextStage < m_stageStarts.size() &&
           time >= m_stageStarts[m_nextStage]) {
        stage = static_cast<int>(m_nextStage++);
    }
    if (stage == m_stages.back().stage) {
        return true;
    }
    // The records before the start: a value goes on as the last point of its stage, a partial
    // subgroup is left out.
    while (m_individual && !m_pending.empty()) {
        if (!useGroup(store)) {
            return false;
        }
    }
    m_pending.clear();
    m_previous.reset();
    if (m_stages.back().points > 0) {
        m_stages.push_back(PointSums{m_pointsTaken + m_data.count()});
    }
    m_stages.back().stage = stage;
    return true;
}

bool ControlChartPoints::use(const ChartRowStore& store, quint32 row)
{
    if (m_nextStage < m_stageStarts.size() && !startStages(store, store.time(row))) {
        return false;
    }
    m_pending.push_back(row);
    ++m_rowsSeen;
    while (m_rowsSeen >= m_recordsBeforeUse && static_cast<qsizetype>(m_pending.size()) >= m_groupSize) {
        if (!useGroup(store)) {
            return false;
        }
    }
    return true;
}

bool ControlChartPoints::useGroup(const ChartRowStore& store)
{
    PointSums& stage = m_stages.back();
    double squares = 0;
    QStringList serials;
    for (int j = 0; j < m_groupSize; ++j) {
        const quint32 row = m_pending[static_cast<size_t>(j)];
        const qint64 record = m_recordsUsed + j + 1;
        const std::optional<double> value = store.value(row);
        if (!value) {
            m_error = store.notANumberText(row, record);
            return false;
        }
        m_subgroup[static_cast<size_t>(j)] = *value;
        if (m_lines) {
            m_lines->write(store, row, record);
        }
        if (m_keepSerials) {
            serials.append(QString::fromUtf8(store.serial(row)).trimmed().toUpper());
        }
        squares += *value * *value;
        sumX += *value;
        sumX2 += *value * *value;
        stage.sumX += *value;
        stage.sumX2 += *value * *value;
        if (store.time(row) != ChartRowStore::kUndated) {
            m_lastUsed = store.time(row);
            m_firstUsed = m_firstUsed < 0 ? m_lastUsed : m_firstUsed;
        }
    }
    const qint64 firstTime = store.time(m_pending.front());
    const bool dated = firstTime != ChartRowStore::kUndated;
    m_times.add(dated, dated ? firstTime / ChartRowStore::kSecondsPerDay : 0,
                dated ? static_cast<int>(firstTime % ChartRowStore::kSecondsPerDay) : 0);
    const quint32 last = m_pending[static_cast<size_t>(m_groupSize - 1)];
    const qint64 lastTime = store.time(last);
    const bool lastDated = lastTime != ChartRowStore::kUndated;
    m_lastTimes.add(lastDated, lastDated ? lastTime / ChartRowStore::kSecondsPerDay : 0,
                    lastDated ? static_cast<int>(lastTime % ChartRowStore::kSecondsPerDay) : 0);
    if (!m_individual) {
        m_squares.push_back(squares);
    }
    if (m_keepSerials) {
        m_serials.push_back(std::move(serials));
    }
    const QString& dayLabel = dayText(store.time(last));
    const QString& source = store.sourceText(store.source(last));
    double centre = 0;
    double range = 0;
    if (m_individual) {
        centre = m_subgroup[0];
        if (m_previous) {
            range = std::abs(centre - *m_previous);
            m_movingRangeLabel = source;
        }
        m_previous = centre;
        m_data.add(centre, dayLabel);
        m_ranges.add(range, m_movingRangeLabel);
    } else {
        centre = ControlChartLoader::GetAverage(m_subgroup, m_groupSize);
        range = ControlChartLoader::GetRange(m_subgroup, m_groupSize - 1);
        m_data.add(centre, dayLabel);
        m_ranges.add(range, source);
    }
    sumCentres += centre;
    sumRanges += range;
    stage.sumCentres += centre;
    stage.sumRanges += range;
    ++stage.points;
    stage.records += m_groupSize;
    m_recordsUsed += m_groupSize;
    m_pending.erase(m_pending.begin(), m_pending.begin() + m_groupSize);
    return true;
}

SeriesPoints ControlChartPoints::takeData()
{
    m_pointsTaken += m_data.count();
    return std::move(m_data);
}

void ControlChartPoints::moveWaiting(const ChartRowStore& from, ChartRowStore& to)
{
    for (quint32& row : m_pending) {
        row = to.copyRow(from, row);
    }
}

void ControlChartPoints::forgetFirstPoints(std::span<const double> centres, std::span<const double> ranges,
                                           std::span<const double> squares)
{
    const auto count = static_cast<qint64>(centres.size());
    size_t stage = 0;
    for (qint64 i = 0; i < count; ++i) {
        while (stage + 1 < m_stages.size() && m_stages[stage + 1].firstPoint <= i) {
            ++stage;
        }
        const auto k = static_cast<size_t>(i);
        const double centre = centres[k];
        const double square = m_individual ? centre * centre : squares[k];
        const double values = centre * m_groupSize;
        PointSums& sums = m_stages[stage];
        sums.sumX -= values;
        sums.sumX2 -= square;
        sums.sumCentres -= centre;
        sums.sumRanges -= ranges[k];
        --sums.points;
        sums.records -= m_groupSize;
        sumX -= values;
        sumX2 -= square;
        sumCentres -= centre;
        sumRanges -= ranges[k];
    }
    for (PointSums& sums : m_stages) {
        sums.firstPoint = std::max<qint64>(sums.firstPoint - count, 0);
    }
    while (m_stages.size() > 1 && m_stages.front().points <= 0) {
        m_stages.erase(m_stages.begin());
    }
    m_pointsTaken -= count;
}

void ControlChartPoints::restartMovingRange(double firstRange)
{
    sumRanges -= firstRange;
    m_stages.front().sumRanges -= firstRange;
}

const QString& ControlChartPoints::dayText(qint64 time)
{
    // Julian day numbers of real dates are positive.
    const qint64 day = time == ChartRowStore::kUndated ? -2 : time / ChartRowStore::kSecondsPerDay;
    if (day != m_labelDay) {
        m_labelDay = day;
        m_dayText = day == -2 ? QString() : FormatDate(WallClock(day, 0), QStringLiteral("mm/dd"));
    }
    return m_dayText;
}
