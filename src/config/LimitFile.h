#pragma once

#include "LimitSets.h"

#include <QString>
#include <functional>

// The limit file of a configuration folder: LIMITS.TXT beside ATE.INI and PRODUCTS.INI (found
// without regard to case), shared by everyone who charts from the folder, often on a network
// share. Readers take it as it is; writers change it under a lock that holds between processes
// and machines (the lock file LIMITS.TXT.lock beside it) and replace it atomically (a new file
// renamed over the old), so that a reader never sees half a file and no writer undoes another's
// change. Charting never depends on it: a file that cannot be read or used is reported, and the
// charts use computed limits.

inline const QString kLimitFileName = QStringLiteral("LIMITS.TXT");

// The file's path in folder: the existing file of that name in any case, else LIMITS.TXT.
QString LimitFilePath(const QString& folder);

struct LimitFileRead
{
    LimitStore store; // empty when the file is missing or cannot be used
    // Why the file cannot be used, naming it: "<file>, line 12: UCL is not a number: "x"", or
    // "Cannot read <file>: <reason>". Empty when it can (a missing file can).
    QString problem;
};

LimitFileRead ReadLimitFile(const QString& folder);

// What a change of the store answers: "" to write the changed store, or why nothing is written.
using LimitChange = std::function<QString(LimitStore& store)>;

// Applies change to the file's current contents under the lock and writes the result. Returns ""
// when written, else the message: the folder cannot be written ("Cannot change the control limits
// in <folder>: ..."), the lock was not free within timeoutMs, the file is damaged (so that nothing
// in it is lost), change's own message, or the write failed. waiting is told once, with whom the
// lock is held by, when the change has to wait for another writer.
QString ChangeLimitFile(const QString& folder, const LimitChange& change,
                        const std::function<void(const QString&)>& waiting = {}, int timeoutMs = 30000);
