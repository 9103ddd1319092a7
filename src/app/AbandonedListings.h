#pragma once

#include <QDate>
#include <QLockFile>
#include <QString>
#include <memory>

// The windows' raw-data listings, "~NNNNNNN.spc" in the temporary folder. A window marks its own as
// in use with a lock beside it ("~NNNNNNN.spc.lock") that it holds while it runs: a second window
// started with another instance lock (another user, another runtime folder) shares the folder and
// must not take a listing away from a window that still shows its chart.

// Removes the listings of days other than `today` that no running window holds: those without a lock
// beside them and those whose lock names a process that has ended. A held listing stays however
// old it is. The locks of windows that ended without a listing go as well.
void RemoveAbandonedListings(const QString& folder, const QDate& today);

// A new listing name in `folder`, with the lock that holds it for the caller's run.
struct HeldListing
{
    QString path;
    std::unique_ptr<QLockFile> lock;
};
HeldListing HoldNewListing(const QString& folder);
