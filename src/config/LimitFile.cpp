#include "LimitFile.h"

#include "FileNames.h"
#include "LimitFileFormat.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSaveFile>

namespace {

QString nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Reads the file; false with *problem set when it exists but cannot be read or used.
bool readStore(const QString& path, LimitStore& store, QString* problem)
{
    QFile file(path);
    if (!file.exists()) {
        store = {};
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("Cannot read %1: %2").arg(nativePath(path), file.errorString());
        return false;
    }
    QString where;
    std::optional<LimitStore> read = ParseLimitFile(file.readAll(), &where);
    if (!read) {
        *problem = nativePath(path) + QStringLiteral(", ") + where;
        return false;
    }
    store = std::move(*read);
    return true;
}

QString lockHolder(const QLockFile& lock)
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lock.getLockInfo(&pid, &host, &application)) {
        return QStringLiteral("another program");
    }
    return QStringLiteral("%1 (process %2 on %3)")
        .arg(application.isEmpty() ? QStringLiteral("a program") : application)
        .arg(pid)
        .arg(host);
}

} // namespace

QString LimitFilePath(const QString& folder)
{
    const QString found = FindFileNoCase(folder, kLimitFileName);
    return found.isEmpty() ? QDir(folder).filePath(kLimitFileName) : found;
}

LimitFileRead ReadLimitFile(const QString& folder)
{
    LimitFileRead read;
    readStore(LimitFilePath(folder), read.store, &read.problem);
    return read;
}

QString ChangeLimitFile(const QString& folder, const LimitChange& change,
                        const std::function<void(const QString&)>& waiting, int timeoutMs)
{
    const QString path = LimitFilePath(folder);
    const QString cannot = QStringLiteral("Cannot change the control limits in %1: ").arg(nativePath(folder));
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(0)) {
        if (lock.error() == QLockFile::LockFailedError) {
            if (waiting) {
                waiting(QStringLiteral("Waiting while %1 changes %2").arg(lockHolder(lock), nativePath(path)));
            }
            lock.tryLock(timeoutMs);
        }
        switch (lock.error()) {
        case QLockFile::NoError:
            break;
        case QLockFile::LockFailedError:
            return cannot + QStringLiteral("%1 keeps %2 locked").arg(lockHolder(lock), nativePath(path));
        case QLockFile::PermissionError:
            return cannot + QStringLiteral("the folder cannot be written (permission denied)");
        case QLockFile::UnknownError:
            return cannot +
                   QStringLiteral("the lock file %1 cannot be made").arg(nativePath(path + QStringLiteral(".lock")));
        }
    }
    LimitStore store;
    QString problem;
    if (!readStore(path, store, &problem)) {
        return cannot + problem + QStringLiteral(" (mend or remove the file first)");
    }
    if (const QString refused = change(store); !refused.isEmpty()) {
        return refused;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(LimitFileText(store)) < 0 || !file.commit()) {
        return cannot + QStringLiteral("%1: %2").arg(nativePath(path), file.errorString());
    }
    return {};
}
