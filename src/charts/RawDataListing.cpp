#include "RawDataListing.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Bytes gathered before they are written.
constexpr size_t kWriteSize = 1 << 20;

} // namespace

RawDataListing::RawDataListing(const QString& path)
    : m_path(path), m_file(path + QStringLiteral(".XXXXXX")), m_buffer(kWriteSize)
{
}

bool RawDataListing::flush(size_t needed)
{
    m_failed = m_failed || m_file.write(m_buffer.data(), qint64(m_used)) != qint64(m_used);
    m_used = 0;
    if (needed > m_buffer.size()) {
        m_buffer.resize(needed);
    }
    return !m_failed;
}

void RawDataListing::copyLarge(char* out, const char* in, size_t size)
{
    std::memcpy(out, in, size);
}

bool RawDataListing::commit()
{
    if (!flush() || !m_file.flush()) {
        return false;
    }
    if (std::rename(QFile::encodeName(m_file.fileName()).constData(), QFile::encodeName(m_path).constData()) != 0) {
        m_error = QStringLiteral("Cannot write %1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_file.setAutoRemove(false);
    return true;
}
