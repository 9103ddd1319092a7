#include "InstanceGuard.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <unistd.h>

namespace {

// A folder only the current user can write to: the user's own, writable by nobody else, so
// that no other user can leave a lock in it.
bool isPrivateFolder(const QString& path)
{
    const QFileInfo folder(path);
    return folder.isDir() && folder.ownerId() == getuid() &&
           !(folder.permissions() & (QFile::WriteGroup | QFile::WriteOther));
}

} // namespace

InstanceGuard::InstanceGuard(const QString& lockPath) : m_lock(lockPath)
{
    // Only a dead owner makes a lock stale, however long a run lasts.
    m_lock.setStaleLockTime(0);
}

QString InstanceGuard::defaultLockPath()
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !isPrivateFolder(folder)) {
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/tessaly");
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return QDir(folder).filePath(QStringLiteral("tessaly.lock"));
}

bool InstanceGuard::acquire()
{
    return m_lock.isLocked() || m_lock.tryLock(0);
}
