#include "InstanceGuard.h"

#include <QDir>

InstanceGuard::InstanceGuard(const QString& lockPath) : m_lock(lockPath)
{
    // Only a dead owner makes a lock stale, however long a run lasts.
    m_lock.setStaleLockTime(0);
}

QString InstanceGuard::defaultLockPath()
{
    QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    user.remove(QLatin1Char('/'));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("tessaly-%1.lock").arg(user));
}

bool InstanceGuard::acquire()
{
    return m_lock.isLocked() || m_lock.tryLock(0);
}
