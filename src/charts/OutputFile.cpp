#include "OutputFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

bool Fail(QString* error, const QString& path, const QString& reason)
{
    if (error) {
        *error = CannotWriteMessage(path, reason);
    }
    return false;
}

// True for what must not be renamed over: an existing target that is neither a regular file nor
// a folder, and any name in the system's folders of devices and processes.
bool WrittenStraightThrough(const QString& path)
{
    const QFileInfo target(path);
    if (target.exists() && !target.isFile() && !target.isDir()) {
        return true;
    }
    const QString absolute = target.absoluteFilePath();
    return absolute.startsWith(QLatin1String("/dev/")) || absolute.startsWith(QLatin1String("/proc/"));
}

} // namespace

QString CannotWriteMessage(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

OutputFile::OutputFile(const QString& path) : m_path(path)
{
    if (WrittenStraightThrough(path)) {
        m_file = std::make_unique<QFile>(path);
    } else {
        m_file = std::make_unique<QSaveFile>(path);
    }
}

OutputFile::~OutputFile() = default;

bool OutputFile::open(QString* error)
{
    return m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered) || Fail(error, m_path, m_file->errorString());
}

bool OutputFile::commit(const QByteArray& bytes, QString* error)
{
    auto* save = qobject_cast<QSaveFile*>(m_file.get());
    if (!WriteEveryByte(*m_file, bytes)) {
        const QString reason = m_file->errorString();
        if (save) {
            save->cancelWriting();
        }
        return Fail(error, m_path, reason);
    }
    if (save) {
        return save->commit() || Fail(error, m_path, save->errorString());
    }
    m_file->close();
    return true;
}

bool WriteOutputFile(const QString& path, const QByteArray& bytes, QString* error)
{
    OutputFile file(path);
    return file.open(error) && file.commit(bytes, error);
}

bool WriteEveryByte(QFileDevice& device, const QByteArray& bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 written = device.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            return false;
        }
        done += written;
    }
    return true;
}
