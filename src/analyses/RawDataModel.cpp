#include "RawDataModel.h"

#include <algorithm>
#include <cstring>
#include <limits>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

RawDataModel::RawDataModel(QObject* parent) : QAbstractListModel(parent) {}

RawDataModel::~RawDataModel() = default;

bool RawDataModel::open(const QString& path)
{
    beginResetModel();
    if (m_text != nullptr) {
        m_file.unmap(reinterpret_cast<uchar*>(const_cast<char*>(m_text)));
    }
    m_text = nullptr;
    m_size = 0;
    m_lineStarts.clear();
    m_fieldWidths.clear();
    m_errorString.clear();
    m_file.setFileName(path);
    bool opened = m_file.open(QIODevice::ReadOnly);
    if (opened && m_file.size() > 0) {
        m_size = m_file.size();
        m_text = reinterpret_cast<const char*>(m_file.map(0, m_size));
        opened = m_text != nullptr;
        if (opened) {
            indexLines();
        }
    }
    if (!opened) {
        m_errorString = m_file.errorString();
    }
    m_file.close(); // the mapping outlives the handle
    endResetModel();
    return opened;
}

void RawDataModel::indexLines()
{
    const char* const end = m_text + m_size;
    const auto lineAfter = [end](const char* from) {
        const void* lineEnd = std::memchr(from, '\n', static_cast<size_t>(end - from));
        return lineEnd != nullptr ? static_cast<const char*>(lineEnd) + 1 : end;
    };
    m_lineStarts.reserve(static_cast<size_t>(m_size / 48)); // listing lines run to about 50 bytes
    for (const char* line = lineAfter(m_text); line < end; line = lineAfter(line)) {
        m_lineStarts.push_back(line - m_text);
    }
    m_lineStarts.push_back(m_size);
    if (m_lineStarts.size() > 1) {
        measureFields(m_text + m_lineStarts.front(), end);
    }
#ifdef Q_OS_LINUX
    // The pass above made every page of the file resident in this process. Give them back: they
    // stay in the page cache, and only the rows on screen are touched again.
    madvise(const_cast<char*>(m_text), static_cast<size_t>(m_size), MADV_DONTNEED);
#endif
}

void RawDataModel::measureFields(const char* from, const char* end)
{
    size_t field = 0;
    qsizetype width = 0;
    const auto endField = [&] {
        if (m_fieldWidths.size() <= field) {
            m_fieldWidths.resize(field + 1);
        }
        m_fieldWidths[field] = std::max(m_fieldWidths[field], width);
        width = 0;
    };
    for (const char* c = from; c < end; ++c) {
        if (*c == '\t' || *c == '\n') {
            endField();
            field = *c == '\t' ? field + 1 : 0;
        } else if (*c != '\r' && (static_cast<unsigned char>(*c) & 0xC0) != 0x80) {
            ++width; // a character's first byte in UTF-8
        }
    }
    endField();
}

int RawDataModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || m_lineStarts.empty()) {
        return 0;
    }
    // Rows are ints in Qt's models; lines beyond that are not listed.
    const size_t lines = m_lineStarts.size() - 1;
    return static_cast<int>(std::min<size_t>(lines, std::numeric_limits<int>::max()));
}

QVariant RawDataModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const qint64 start = m_lineStarts[static_cast<size_t>(index.row())];
    qint64 end = m_lineStarts[static_cast<size_t>(index.row()) + 1];
    if (end > start && m_text[end - 1] == '\n') {
        --end;
        if (end > start && m_text[end - 1] == '\r') {
            --end;
        }
    }
    return QString::fromUtf8(m_text + start, end - start);
}
