#include "ControlChartPoints.h"

#include "ControlChartLoader.h"
#include "FiniteNumberReader.h"
#include "Formats.h"
#include "QueryStream.h"

#include <algorithm>
#include <cmath>

namespace {

// Distinct value texts kept before the cache starts again.
constexpr qsizetype kMostValueTexts = 16384;
constexpr qint64 kUndated = -2;

qint64 timeKey(bool dated, qint64 day, int second, qint64 secondsPerStep)
{
    return dated ? (day * 86400 + second) / secondsPerStep : kUndated;
}

} // namespace

ControlChartPoints::ControlChartPoints(bool individual, int subgroupSize, QString firstMovingRangeLabel, QString column,
                                       QTextStream& listing, std::vector<qint64> stageStarts)
    : m_individual(individual), m_groupSize(individual ? 1 : std::max(subgroupSize, 1)),
      m_recordsBeforeUse(individual ? 2 : m_groupSize), m_column(std::move(column)), m_listing(listing),
      m_subgroup(static_cast<size_t>(m_groupSize)), m_movingRangeLabel(std::move(firstMovingRangeLabel)),
      m_stageStarts(std::move(stageStarts))
{
}

std::optional<QDateTime> ControlChartPoints::firstUsed() const
{
    return m_firstUsed < 0 ? std::nullopt : std::optional(PointTimes::TimeOf(m_firstUsed));
}

std::optional<QDateTime> ControlChartPoints::lastUsed() const
{
    return m_lastUsed < 0 ? std::nullopt : std::optional(PointTimes::TimeOf(m_lastUsed));
}

bool ControlChartPoints::startStages(bool dated, qint64 seconds)
{
    int stage = m_stages.back().stage;
    while (dated && m_nextStage < m_stageStarts.size() && seconds >= m_stageStarts[m_nextStage]) {
        stage = static_cast<int>(m_nextStage++);
    }
    if (stage == m_stages.back().stage) {
        return true;
    }
    // The records before the start: a value goes on as the last point of its stage, a partial
    // subgroup is left out.
    while (m_individual && !m_pending.empty()) {
        if (!useGroup()) {
            return false;
        }
    }
    m_pending.clear();
    m_previous.reset();
    if (m_stages.back().points > 0) {
        m_stages.push_back(PointSums{m_data.count()});
    }
    m_stages.back().stage = stage;
    return true;
}

bool ControlChartPoints::add(const RowBatch& batch, const QStringList& names)
{
    static const RecordColumn missing; // a field the statement lacks reads as Null
    const auto field = [&](const char* alias) -> const RecordColumn& {
        for (qsizetype k = 0; k < names.size(); ++k) {
            if (names[k].compare(QLatin1String(alias), Qt::CaseInsensitive) == 0) {
                return batch.columns[static_cast<size_t>(k)];
            }
        }
        return missing;
    };
    const RecordColumn& serials = field("SNX");
    const RecordColumn& sources = field("ATEX");
    const RecordColumn& dates = field("DateX");
    const RecordColumn& values = field("ValueX");
    for (qint64 row = 0; row < batch.rows; ++row) {
        qint64 day = 0;
        int second = 0;
        const bool dated = dates.dateTimeParts(row, day, second);
        if (m_nextStage < m_stageStarts.size() && !startStages(dated, day * 86400 + second)) {
            return false;
        }
        Record& r = m_pending.emplace_back();
        r.dated = dated;
        r.day = day;
        r.second = second;
        r.serial = serials.text(row).trimmed().toUpper();
        r.source = sources.text(row).trimmed();
        r.value = FiniteNumber(values, row);
        if (!r.value) {
            r.shown = values.at(row);
        }
        ++m_rowsSeen;
        while (m_rowsSeen >= m_recordsBeforeUse && static_cast<qsizetype>(m_pending.size()) >= m_groupSize) {
            if (!useGroup()) {
                return false;
            }
        }
    }
    return true;
}

bool ControlChartPoints::useGroup()
{
    PointSums& stage = m_stages.back();
    for (int j = 0; j < m_groupSize; ++j) {
        const Record& r = m_pending[static_cast<size_t>(j)];
        const qint64 record = m_recordsUsed + j + 1;
        if (!r.value) {
            m_error = NotANumberText(r.shown, m_column, record, r.serial);
            return false;
        }
        const double value = *r.value;
        m_subgroup[static_cast<size_t>(j)] = value;
        ControlChartLoader::WriteListingLine(m_listing, r.serial, valueText(value), r.source, minuteText(r));
        if (m_individual) {
            m_listing << '\t' << record;
        }
        m_listing << "\r\n";
        sumX += value;
        sumX2 += value * value;
        stage.sumX += value;
        stage.sumX2 += value * value;
        if (r.dated) {
            m_lastUsed = r.day * 86400 + r.second;
            m_firstUsed = m_firstUsed < 0 ? m_lastUsed : m_firstUsed;
        }
    }
    const Record& first = m_pending.front();
    m_times.add(first.dated, first.day, first.second);
    const Record& last = m_pending[static_cast<size_t>(m_groupSize - 1)];
    const QString& dayLabel = dayText(last);
    double centre = 0;
    double range = 0;
    if (m_individual) {
        centre = m_subgroup[0];
        if (m_previous) {
            range = std::abs(centre - *m_previous);
            m_movingRangeLabel = last.source;
        }
        m_previous = centre;
        m_data.add(centre, dayLabel);
        m_ranges.add(range, m_movingRangeLabel);
    } else {
        centre = ControlChartLoader::GetAverage(m_subgroup, m_groupSize);
        range = ControlChartLoader::GetRange(m_subgroup, m_groupSize - 1);
        m_data.add(centre, dayLabel);
        m_ranges.add(range, last.source);
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

const QString& ControlChartPoints::minuteText(const Record& r)
{
    const qint64 key = timeKey(r.dated, r.day, r.second, 60);
    if (key == m_minuteKey) {
        return m_minuteText;
    }
    m_minuteKey = key;
    if (!r.dated) {
        m_minuteText.clear();
        return m_minuteText;
    }
    // "mm/dd/yyyy hh:mm AM/PM" as the day's text and the minute's: records of one day share the
    // first, and the second is made once per minute of the day.
    const QDateTime when = WallClock(r.day, r.second);
    if (r.day != m_listingDay) {
        m_listingDay = r.day;
        m_listingDayText = FormatDate(when, QStringLiteral("mm/dd/yyyy "));
    }
    QString& minute = m_minuteOfDayTexts[static_cast<size_t>(r.second / 60)];
    if (minute.isEmpty()) {
        minute = FormatDate(when, QStringLiteral("hh:mm AM/PM"));
    }
    m_minuteText = m_listingDayText + minute;
    return m_minuteText;
}

const QString& ControlChartPoints::dayText(const Record& r)
{
    const qint64 key = timeKey(r.dated, r.day, r.second, 86400);
    if (key != m_dayKey) {
        m_dayKey = key;
        m_dayText = r.dated ? FormatDate(WallClock(r.day, r.second), QStringLiteral("mm/dd")) : QString();
    }
    return m_dayText;
}

const QString& ControlChartPoints::valueText(double value)
{
    // The text shows the value in thousandths, so values of the same thousandth share it. A
    // value within a hair of half a thousandth is formatted by itself: only the formatter's own
    // rounding can say which way it goes.
    const QString pattern = QStringLiteral("##0.000");
    const double thousandths = value * 1000;
    const double fraction = thousandths - std::floor(thousandths);
    if (!(std::abs(thousandths) < 1e9) || std::abs(fraction - 0.5) < 1e-6) {
        m_valueText = FormatNumber(value, pattern);
        return m_valueText;
    }
    const qint64 key = std::llround(thousandths);
    auto found = m_valueTexts.constFind(key);
    if (found == m_valueTexts.cend()) {
        if (m_valueTexts.size() >= kMostValueTexts) {
            m_valueTexts.clear();
        }
        found = m_valueTexts.insert(key, FormatNumber(value, pattern));
    }
    return *found;
}
