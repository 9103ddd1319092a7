#include "PointTimes.h"

#include <algorithm>

void PointTimes::add(bool dated, qint64 day, int second)
{
    if (!dated) {
        m_offsets.push_back(kUndated);
        return;
    }
    const qint64 seconds = day * 86400 + second;
    if (!m_base) {
        m_base = seconds;
    }
    m_offsets.push_back(
        static_cast<qint32>(std::clamp<qint64>(seconds - *m_base, kUndated + 1, std::numeric_limits<qint32>::max())));
}

void PointTimes::append(const PointTimes& other)
{
    for (const qint32 offset : other.m_offsets) {
        const bool dated = offset != kUndated;
        const qint64 seconds = dated ? *other.m_base + offset : 0;
        add(dated, seconds / 86400, static_cast<int>(seconds % 86400));
    }
}

void PointTimes::dropFirst(qint64 count)
{
    m_offsets.erase(m_offsets.begin(),
                    m_offsets.begin() + static_cast<std::ptrdiff_t>(std::clamp<qint64>(count, 0, this->count())));
}

std::optional<QDateTime> PointTimes::at(qint64 point) const
{
    const qint32 offset = m_offsets.at(static_cast<size_t>(point));
    if (offset == kUndated) {
        return std::nullopt;
    }
    return TimeOf(*m_base + offset);
}

qint64 PointTimes::countUntil(const QDateTime& time) const
{
    if (!m_base) {
        return count(); // no point has a time: undated records come first
    }
    const qint64 limit = SecondsOf(time) - *m_base;
    const auto last = std::find_if(m_offsets.cbegin(), m_offsets.cend(),
                                   [limit](qint32 offset) { return offset != kUndated && offset > limit; });
    return static_cast<qint64>(last - m_offsets.cbegin());
}

qint64 PointTimes::SecondsOf(const QDateTime& time)
{
    return time.date().toJulianDay() * 86400 + time.time().msecsSinceStartOfDay() / 1000;
}

QDateTime PointTimes::TimeOf(qint64 seconds)
{
    return QDateTime(QDate::fromJulianDay(seconds / 86400),
                     QTime::fromMSecsSinceStartOfDay(int(seconds % 86400) * 1000));
}
