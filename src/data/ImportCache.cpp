#include "ImportCache.h"

#include "ImportProcess.h"
#include "SqliteEngine.h"
#include "SqliteFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>

namespace {

// One database per copied table: the helper process writes a database file of the table, which
// one connection reads.
struct FileVersion
{
    qint64 size = -1;
    QDateTime modified;
    QString connectionName;             // an empty database that stands for the file
    QHash<QString, QString> tableNames; // lower-case table name -> connection holding its copy
};

QMutex& cacheMutex()
{
    static QMutex mutex;
    return mutex;
}

QHash<QString, FileVersion>& cache()
{
    static QHash<QString, FileVersion> versions;
    return versions;
}

QString nextConnectionName()
{
    static int counter = 0;
    return QStringLiteral("tessaly-import-%1").arg(++counter);
}

// An open database with the program's text comparison: empty and in memory, or a helper's copy,
// read-only; the connection name, or empty with error when SQLite refuses.
QString openDatabase(const QString& copy, QString& error)
{
    const QString name = nextConnectionName();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    if (copy.isEmpty()) {
        db.setDatabaseName(QStringLiteral(":memory:"));
    } else {
        db.setDatabaseName(SnapshotUri(copy));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
    }
    // The first read opens the copy's file, which then stays readable after it is removed.
    if (!db.open() || !UseUnicodeNoCase(SqliteHandle(db)) ||
        !QSqlQuery(db).exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        error = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        return {};
    }
    // Sorts of chart queries stay in memory; the copy is read through a memory map.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA temp_store=MEMORY"));
    QSqlQuery(db).exec(QStringLiteral("PRAGMA mmap_size=2147418112"));
    return name;
}

void removeVersion(const FileVersion& version)
{
    for (const QString& name : version.tableNames) {
        QSqlDatabase::removeDatabase(name);
    }
    QSqlDatabase::removeDatabase(version.connectionName);
}

FileVersion* currentVersion(const QString& file, QString& error)
{
    const QFileInfo info(file);
    if (!info.isFile()) {
        error = QStringLiteral("Could not find file '%1'.").arg(file);
        return nullptr;
    }
    FileVersion& version = cache()[info.canonicalFilePath()];
    if (version.connectionName.isEmpty() || version.size != info.size() || version.modified != info.lastModified()) {
        removeVersion(version);
        version = FileVersion{info.size(), info.lastModified(), openDatabase(QString(), error), {}};
        if (version.connectionName.isEmpty()) {
            return nullptr;
        }
    }
    return &version;
}

} // namespace

QString ImportCache::DatabaseFor(const QString& file, QString& error)
{
    const QMutexLocker lock(&cacheMutex());
    const FileVersion* version = currentVersion(file, error);
    return version ? version->connectionName : QString();
}

QString ImportCache::DatabaseWith(const QString& file, Format format, const QString& table, QString& error)
{
    const QMutexLocker lock(&cacheMutex());
    FileVersion* version = currentVersion(file, error);
    if (!version) {
        return {};
    }
    const QString key = table.toLower();
    if (!version->tableNames.contains(key)) {
        // Readable by this user only, and removed once the connection has it open (or the import failed).
        QTemporaryFile copy(QDir::tempPath() + QStringLiteral("/tessaly-import-XXXXXX.sqlite"));
        if (!copy.open()) {
            error =
                QStringLiteral("Cannot create a temporary file in %1: %2").arg(QDir::tempPath(), copy.errorString());
            return {};
        }
        // The copy is named after the table as the program's SQL spells it.
        const bool excel = format == Format::Excel;
        error = ImportInHelperProcess(excel, file, table, excel ? table + QLatin1Char('$') : table, copy.fileName());
        const QString name = error.isEmpty() ? openDatabase(copy.fileName(), error) : QString();
        if (name.isEmpty()) {
            return {};
        }
        version->tableNames.insert(key, name);
    }
    return version->tableNames.value(key);
}
