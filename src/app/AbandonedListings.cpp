#include "AbandonedListings.h"

#include "Formats.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

namespace {

// A lock that only an ended process makes stale, however long its window has been open (where the
// file system has no flock, Qt would otherwise also judge a lock by its age).
std::unique_ptr<QLockFile> listingLock(const QString& listing)
{
    auto lock = std::make_unique<QLockFile>(listing + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    return lock;
}

} // namespace

void RemoveAbandonedListings(const QString& folder, const QDate& today)
{
    const QFileInfoList listings = QDir(folder).entryInfoList({QStringLiteral("~*.spc")}, QDir::Files);
    for (const QFileInfo& listing : listings) {
        if (listing.lastModified().date() == today) {
            continue;
        }
        const std::unique_ptr<QLockFile> lock = listingLock(listing.absoluteFilePath());
        if (lock->tryLock(0)) {
            QFile::remove(listing.absoluteFilePath()); // a file still open elsewhere stays; that is fine
        }
    }
    // The locks of windows that ended before they listed anything: taken, and so removed.
    const QFileInfoList locks = QDir(folder).entryInfoList({QStringLiteral("~*.spc.lock")}, QDir::Files);
    for (const QFileInfo& lock : locks) {
        const QString listing = lock.absoluteFilePath().chopped(5);
        if (!QFile::exists(listing)) {
            listingLock(listing)->tryLock(0);
        }
    }
}

HeldListing HoldNewListing(const QString& folder)
{
    for (;;) {
        const double r = QRandomGenerator::global()->generateDouble();
        HeldListing held;
        held.path = QDir(folder).filePath(QStringLiteral("~") + FormatNumber(r * 1e7, QStringLiteral("0000000")) +
                                          QStringLiteral(".spc"));
        held.lock = listingLock(held.path);
        // A name another window holds is left to it; a folder that takes no lock is reported
        // when the listing is written.
        if (held.lock->tryLock(0) || held.lock->error() != QLockFile::LockFailedError) {
            return held;
        }
    }
}
