#include "ReadBoundary.h"

#include <algorithm>

void ReadBoundary::noteAll(const ChartRowStore& store)
{
    // Only the records at the last time are keyed: a load's records may be a million.
    qint64 last = m_last;
    for (quint32 row = 0; row < store.rows(); ++row) {
        last = std::max(last, store.time(row));
    }
    for (quint32 row = 0; row < store.rows(); ++row) {
        if (store.time(row) == last) {
            note(store, row);
        }
    }
}

std::vector<quint32> ReadBoundary::takeNew(const ChartRowStore& store, quint32 first)
{
    QHash<QByteArray, int> unmatched = m_atLast;
    std::vector<quint32> fresh;
    for (quint32 row = first; row < store.rows(); ++row) {
        const qint64 time = store.time(row);
        if (time != ChartRowStore::kUndated && time < m_last) {
            continue;
        }
        if (time == m_last && m_last != ChartRowStore::kUndated) {
            const auto found = unmatched.find(key(store, row));
            if (found != unmatched.end() && *found > 0) {
                --*found;
                continue;
            }
        }
        fresh.push_back(row);
    }
    for (const quint32 row : fresh) {
        note(store, row);
    }
    return fresh;
}

std::optional<qint64> ReadBoundary::lastTime() const
{
    return m_last == ChartRowStore::kUndated ? std::nullopt : std::optional(m_last);
}

QByteArray ReadBoundary::key(const ChartRowStore& store, quint32 row) const
{
    QByteArray key = store.serial(row).toByteArray();
    key += '\t';
    key += store.sourceBytes(store.source(row));
    if (!m_grouped) {
        const double value = store.number(row);
        key += '\t';
        key.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    return key;
}

void ReadBoundary::note(const ChartRowStore& store, quint32 row)
{
    const qint64 time = store.time(row);
    if (time == ChartRowStore::kUndated) {
        return; // a range never reads undated records again
    }
    if (time > m_last) {
        m_last = time;
        m_atLast.clear();
    }
    if (time == m_last) {
        int& seen = m_atLast[key(store, row)];
        seen = m_grouped ? 1 : seen + 1;
    }
}
