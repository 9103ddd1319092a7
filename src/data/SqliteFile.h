#pragma once

#include <QString>
#include <sys/types.h>

struct sqlite3;

// Reading a SQLite results file that a test station may be writing at the same time, as another
// user, without ever standing in its way, and without taking a damaged file for a whole one.
//
// A read-only connection to a database in write-ahead-log (WAL) mode shares the writer's -wal
// and -shm files. Where they do not exist SQLite would create them, owned by the viewer, and a
// writer of another user could then no longer write. So a WAL database is read through its files
// only while they exist; otherwise the database file alone holds every record and is read as an
// immutable snapshot, which creates nothing. A snapshot is also the fallback where the files
// cannot be shared (a read-only folder, no access to them).

// "" for a file that is whole, or SQLite's own "database disk image is malformed" for one whose
// size is not a whole number of the pages its header declares: an interrupted copy. SQLite itself
// reads the missing end of such a file as zeros and gives empty rows instead of an error.
QString SqliteFileDamage(const QString& file);

// Whether the file's header declares write-ahead-log mode.
bool IsWalDatabase(const QString& file);

// Whether the -wal and -shm files of a writer exist beside the database.
bool WalFilesExist(const QString& file);

// The URI that opens the file as an immutable snapshot (with SQLite's URI flag).
QString SnapshotUri(const QString& file);

// What a report says about a snapshot on standard error: why it is one and what it may lack;
// "" when the snapshot holds every record and nothing needs saying.
QString SnapshotNote(const QString& file);

// The engine's description of its last failure on the file, naming the cause where SQLite's own
// text points the wrong way (a journal left by a writer that stopped).
QString DescribeSqliteFailure(sqlite3* engine, const QString& file);

// The first read of a newly opened file: its header, a journal left behind, its log.
enum class SqliteProbe
{
    Readable,
    LogNotShared, // a WAL database whose -wal/-shm files cannot be used: read a snapshot instead
    Failed
};
SqliteProbe ProbeSqliteFile(sqlite3* engine, bool wal, const QString& file, QString& error);

// What changes when a writer moves its log into the database file: a snapshot read while the
// stamp changed may mix old and new pages and is read again.
struct SqliteFileStamp
{
    off_t size = -1;
    ino_t inode = 0;
    qint64 modifiedNs = 0;

    static SqliteFileStamp of(const QString& file);
    bool operator==(const SqliteFileStamp&) const = default;
};
