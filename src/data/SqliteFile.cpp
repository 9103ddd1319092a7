#include "SqliteFile.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kHeaderSize = 100;

// The 100-byte database header; empty when the file is shorter or not a SQLite database.
QByteArray header(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = f.read(kHeaderSize);
    return bytes.size() == kHeaderSize && bytes.startsWith(QByteArrayLiteral("SQLite format 3\0")) ? bytes
                                                                                                   : QByteArray();
}

qint64 pageSize(const QByteArray& header)
{
    const int stored = static_cast<unsigned char>(header[16]) << 8 | static_cast<unsigned char>(header[17]);
    return stored == 1 ? 65536 : stored; // 1 stands for 65536, which does not fit in two bytes
}

} // namespace

QString SqliteFileDamage(const QString& file)
{
    const QByteArray bytes = header(file);
    const qint64 page = bytes.isEmpty() ? 0 : pageSize(bytes);
    if (page > 0 && QFileInfo(file).size() % page != 0) {
        return QString::fromUtf8(sqlite3_errstr(SQLITE_CORRUPT));
    }
    return {}; // anything else SQLite judges itself
}

bool IsWalDatabase(const QString& file)
{
    const QByteArray bytes = header(file);
    return !bytes.isEmpty() && (bytes[18] == 2 || bytes[19] == 2); // the read and write versions
}

bool WalFilesExist(const QString& file)
{
    return QFileInfo::exists(file + QStringLiteral("-wal")) && QFileInfo::exists(file + QStringLiteral("-shm"));
}

QString SnapshotUri(const QString& file)
{
    QUrl uri = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
    uri.setQuery(QStringLiteral("immutable=1"));
    return uri.toString(QUrl::FullyEncoded);
}

QString SnapshotNote(const QString& file)
{
    const QFileInfo log(file + QStringLiteral("-wal"));
    if (log.exists() && log.size() > 0) {
        return QStringLiteral("'%1' is read as a snapshot without its write-ahead log '%2', which cannot be shared "
                              "from here: records not yet moved from the log into the file are not included")
            .arg(file, log.fileName());
    }
    // The effective user's access, as SQLite meets it.
    const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
    if (::faccessat(AT_FDCWD, folder.constData(), W_OK, AT_EACCESS) != 0) {
        return QStringLiteral("'%1' is read as a snapshot, as its folder is read-only: records written while it is "
                              "read are not included")
            .arg(file);
    }
    return {};
}

SqliteProbe ProbeSqliteFile(sqlite3* engine, bool wal, const QString& file, QString& error)
{
    if (sqlite3_exec(engine, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) == SQLITE_OK) {
        return SqliteProbe::Readable;
    }
    const int code = sqlite3_extended_errcode(engine);
    if (wal && ((code & 0xff) == SQLITE_CANTOPEN || (code & 0xff) == SQLITE_READONLY)) {
        return SqliteProbe::LogNotShared;
    }
    error = DescribeSqliteFailure(engine, file);
    return SqliteProbe::Failed;
}

QString DescribeSqliteFailure(sqlite3* engine, const QString& file)
{
    if (sqlite3_extended_errcode(engine) == SQLITE_READONLY_ROLLBACK) {
        return QStringLiteral("The database '%1' cannot be read: a writer stopped in the middle of a change and left "
                              "its journal '%2'. The change is undone when a station next opens the database for "
                              "writing")
            .arg(file, QFileInfo(file).fileName() + QStringLiteral("-journal"));
    }
    return QString::fromUtf8(sqlite3_errmsg(engine));
}

SqliteFileStamp SqliteFileStamp::of(const QString& file)
{
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(file).constData(), &status) != 0) {
        return {};
    }
    return {status.st_size, status.st_ino, qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}
