#pragma once

#include <QDateTime>
#include <limits>
#include <optional>
#include <vector>

// The time of each point of a control chart: its first record's start time, to the second. Kept
// as seconds from the first dated point in 32 bits, half of what a time each would take.
class PointTimes
{
public:
    // day and second as a record column gives them (the Julian day, the second of the day).
    void add(bool dated, qint64 day, int second);
    // The other's points after these.
    void append(const PointTimes& other);
    void dropFirst(qint64 count);
    qint64 count() const { return static_cast<qint64>(m_offsets.size()); }
    // None for a point whose record has no time.
    std::optional<QDateTime> at(qint64 point) const;
    // How many points lie at or before a time, counted from the first (times ascend).
    qint64 countUntil(const QDateTime& time) const;

    // A time's wall-clock fields as seconds in the record columns' count (day * 86400 + second).
    static qint64 SecondsOf(const QDateTime& time);
    static QDateTime TimeOf(qint64 seconds);

private:
    static constexpr qint32 kUndated = std::numeric_limits<qint32>::min();
    std::optional<qint64> m_base;
    std::vector<qint32> m_offsets;
};
