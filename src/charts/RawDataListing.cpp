#include "RawDataListing.h"

#include "OutputFile.h"

#include <QDir>

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

bool RawDataListing::open()
{
    // Unbuffered, so that a write that fails says why where it fails (OutputFile.h).
    QFile& file = m_file;
    return file.open(QIODevice::ReadWrite | QIODevice::Unbuffered) || fail(m_file.errorString());
}

bool RawDataListing::fail(const QString& reason)
{
    if (m_error.isEmpty()) {
        m_error = QStringLiteral("Cannot write the raw-data listing %1: %2").arg(QDir::toNativeSeparators(m_path), reason);
    }
    return false;
}

bool RawDataListing::flush(size_t needed)
{
    if (m_error.isEmpty() && !WriteEveryByte(m_file, QByteArray::fromRawData(m_buffer.data(), qsizetype(m_used)))) {
        fail(m_file.errorString());
    }
    m_used = 0;
    if (needed > m_buffer.size()) {
        m_buffer.resize(needed);
    }
    return m_error.isEmpty();
}

void RawDataListing::copyLarge(char* out, const char* in, size_t size)
{
    std::memcpy(out, in, size);
}

bool RawDataListing::commit()
{
    if (!flush()) {
        return false;
    }
    if (std::rename(QFile::encodeName(m_file.fileName()).constData(), QFile::encodeName(m_path).constData()) != 0) {
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    }
    m_file.setAutoRemove(false);
    return true;
}
