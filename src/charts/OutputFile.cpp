#include "OutputFile.h"

#include <QDir>
#include <QSaveFile>

namespace {

bool Fail(QString* error, const QString& path, const QString& reason)
{
    if (error) {
        *error = CannotWriteMessage(path, reason);
    }
    return false;
}

} // namespace

QString CannotWriteMessage(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

bool OpenOutputFile(QSaveFile& file, QString* error)
{
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || Fail(error, file.fileName(), file.errorString());
}

bool CommitOutputFile(QSaveFile& file, const QByteArray& bytes, QString* error)
{
    if (!WriteEveryByte(file, bytes)) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Fail(error, file.fileName(), reason);
    }
    return file.commit() || Fail(error, file.fileName(), file.errorString());
}

bool WriteOutputFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    return OpenOutputFile(file, error) && CommitOutputFile(file, bytes, error);
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
