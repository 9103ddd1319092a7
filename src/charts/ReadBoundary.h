#pragma once

#include "ChartRowStore.h"

#include <QByteArray>
#include <QHash>
#include <optional>
#include <vector>

// Where the reading of a chart's records has come to: the time of the last record read and the
// keys of the records read at that time. A refresh reads from that time on, inclusive, and leaves
// out what was read before, so that records that share a time stamp across the boundary are
// neither lost nor doubled. A record's key is its serial, source and value; rows grouped by
// serial, source and time are keyed without the value (a group is read once).
class ReadBoundary
{
public:
    explicit ReadBoundary(bool grouped) : m_grouped(grouped) {}

    // Notes every record of the store (what a full load read).
    void noteAll(const ChartRowStore& store);
    // The rows from `first` on of a store read from lastTime() on that were not read before, in
    // order; they are noted as read.
    std::vector<quint32> takeNew(const ChartRowStore& store, quint32 first);
    // The time of the last record read, in ChartRowStore's seconds; none before a dated one.
    std::optional<qint64> lastTime() const;

private:
    QByteArray key(const ChartRowStore& store, quint32 row) const;
    void note(const ChartRowStore& store, quint32 row);

    bool m_grouped;
    qint64 m_last = ChartRowStore::kUndated;
    QHash<QByteArray, int> m_atLast; // how many records of each key were read at m_last
};
