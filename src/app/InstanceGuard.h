#pragma once

#include <QLockFile>
#include <QString>

// Holds the lock that marks a running instance of the program. A lock left by a run that
// crashed names a process that no longer exists and is taken over.
class InstanceGuard
{
public:
    explicit InstanceGuard(const QString& lockPath);

    // The lock of the current user, in the session's runtime folder when only the user can write
    // there, else in a folder of the user's own (made readable by the user only).
    static QString defaultLockPath();

    // True when this run now holds the lock; false when another running instance holds it.
    bool acquire();

private:
    QLockFile m_lock;
};
