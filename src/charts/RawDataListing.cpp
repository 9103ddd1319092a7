#include "RawDataListing.h"

#include "OutputFile.h"

#include <QDir>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Bytes gathered before they are written.
constexpr size_t kWriteSize = 1 << 20;
// The few lines of a refresh.
constexpr size_t kAppendSize = 1 << 14;

} // namespace

RawDataListing::RawDataListing(const QString& path, Mode mode)
    : m_path(path), m_mode(mode), m_file(path + QStringLiteral(".XXXXXX")), m_appended(path),
      m_buffer(mode == Mode::Append ? kAppendSize : kWriteSize)
{
}

bool RawDataListing::open()
{
    // Unbuffered, so that a write that fails says why where it fails (OutputFile.h).
    const QIODevice::OpenMode mode = m_mode == Mode::Append ? QIODevice::WriteOnly | QIODevice::Append
                                                            : QIODevice::ReadWrite;
    QFile& file = output();
    return file.open(mode | QIODevice::Unbuffered) || fail(file.errorString());
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
    if (m_error.isEmpty() && !WriteEveryByte(output(), QByteArray::fromRawData(m_buffer.data(), qsizetype(m_used)))) {
        fail(output().errorString());
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
    if (m_mode == Mode::Append) {
        m_appended.close();
        return true;
    }
    if (std::rename(QFile::encodeName(m_file.fileName()).constData(), QFile::encodeName(m_path).constData()) != 0) {
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    }
    m_file.setAutoRemove(false);
    return true;
}
