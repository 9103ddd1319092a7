#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <array>
#include <vector>

// Numbers for the distinct texts of a field, given as UTF-8, from 0 in the order they first come.
// Made for the few texts a field repeats on every row (sources): the texts last seen are compared
// before any is looked up.
class TextIds
{
public:
    quint32 idOf(QByteArrayView utf8);
    QByteArrayView text(quint32 id) const { return m_texts[id]; }
    quint32 count() const { return static_cast<quint32>(m_texts.size()); }

private:
    std::vector<QByteArray> m_texts;
    QHash<QByteArray, quint32> m_ids;
    std::array<quint32, 8> m_recent{};
    size_t m_recentCount = 0;
    size_t m_nextRecent = 0;
};
