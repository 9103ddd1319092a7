#include "TextIds.h"

quint32 TextIds::idOf(QByteArrayView utf8)
{
    for (size_t i = 0; i < m_recentCount; ++i) {
        if (m_texts[m_recent[i]] == utf8) {
            return m_recent[i];
        }
    }
    auto found = m_ids.constFind(QByteArray::fromRawData(utf8.data(), utf8.size()));
    if (found == m_ids.cend()) {
        m_texts.emplace_back(utf8.data(), utf8.size());
        found = m_ids.insert(m_texts.back(), count() - 1);
    }
    m_recent[m_nextRecent] = *found;
    m_nextRecent = (m_nextRecent + 1) % m_recent.size();
    m_recentCount = std::max(m_recentCount, m_nextRecent == 0 ? m_recent.size() : m_nextRecent);
    return *found;
}
