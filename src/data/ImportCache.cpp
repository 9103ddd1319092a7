#include "ImportCache.h"

#include "CsvImport.h"
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
#include <map>
#include <memory>

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

// The copy of the CSV logs of a folder or file: a database file of its own that the helper
// brings up to date, and that lives, readable by this user only, as long as the program runs.
struct CsvCopy
{
    std::unique_ptr<QTemporaryFile> file;
    QString connectionName; // reads the copy
    QStringList versions;   // of the files the copy was last brought up to date with
    QStringList notes;
    bool imported = false;
};

std::map<QString, CsvCopy>& csvCopies()
{
    static std::map<QString, CsvCopy> copies;
    return copies;
}

QString temporaryCopyPattern()
{
    return QDir::tempPath() + QStringLiteral("/tessaly-import-XXXXXX.sqlite");
}

QString cannotCreate(const QTemporaryFile& copy)
{
    return QStringLiteral("Cannot create a temporary file in %1: %2").arg(QDir::tempPath(), copy.errorString());
}

QString nextConnectionName()
{
    static int counter = 0;
    return QStringLiteral("tessaly-import-%1").arg(++counter);
}

// An open database with the program's text comparison: empty and in memory, or a helper's copy,
// read-only (as a snapshot that never changes, or as a database the helper changes later); the
// connection name, or empty with error when SQLite refuses.
QString openDatabase(const QString& copy, QString& error, bool changesLater = false)
{
    const QString name = nextConnectionName();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    if (copy.isEmpty()) {
        db.setDatabaseName(QStringLiteral(":memory:"));
    } else if (changesLater) {
        db.setDatabaseName(copy);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
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

FileVersion* currentVersion(const QString& file, QString& error, bool folderAllowed = false)
{
    const QFileInfo info(file);
    if (!info.isFile() && !(folderAllowed && info.isDir())) {
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

QString ImportCache::DatabaseFor(const QString& file, QString& error, bool folderAllowed)
{
    const QMutexLocker lock(&cacheMutex());
    const FileVersion* version = currentVersion(file, error, folderAllowed);
    return version ? version->connectionName : QString();
}

QString ImportCache::DatabaseWith(const QString& file, ImportFormat format, const QString& table, QString& error)
{
    const QMutexLocker lock(&cacheMutex());
    FileVersion* version = currentVersion(file, error);
    if (!version) {
        return {};
    }
    const QString key = table.toLower();
    if (!version->tableNames.contains(key)) {
        // Readable by this user only, and removed once the connection has it open (or the import failed).
        QTemporaryFile copy(temporaryCopyPattern());
        if (!copy.open()) {
            error = cannotCreate(copy);
            return {};
        }
        // The copy is named after the table as the program's SQL spells it: a worksheet with its "$".
        const QString copyName = format == ImportFormat::Jet ? table : table + QLatin1Char('$');
        error = ImportInHelperProcess(format, file, table, copyName, copy.fileName());
        const QString name = error.isEmpty() ? openDatabase(copy.fileName(), error) : QString();
        if (name.isEmpty()) {
            return {};
        }
        version->tableNames.insert(key, name);
    }
    return version->tableNames.value(key);
}

QString ImportCache::CsvDatabase(const QString& source, const QString& targetName, QString& error, QStringList& notes)
{
    const QMutexLocker lock(&cacheMutex());
    const QString key = QFileInfo(source).canonicalFilePath();
    if (key.isEmpty()) {
        error = QStringLiteral("Could not find file '%1'.").arg(source);
        return {};
    }
    const QStringList versions = CsvFileVersions(source);
    CsvCopy& copy = csvCopies()[key];
    if (!copy.file) {
        copy.file = std::make_unique<QTemporaryFile>(temporaryCopyPattern());
        copy.connectionName = copy.file->open() ? openDatabase(copy.file->fileName(), error, true) : QString();
        if (copy.connectionName.isEmpty()) {
            error = error.isEmpty() ? cannotCreate(*copy.file) : error;
            csvCopies().erase(key);
            return {};
        }
    }
    if (!copy.imported || copy.versions != versions) {
        error = ImportInHelperProcess(ImportFormat::Csv, source, QString(), targetName, copy.file->fileName());
        if (!error.isEmpty()) {
            // What the helper left half done is no base for the next import.
            QSqlDatabase::removeDatabase(copy.connectionName);
            csvCopies().erase(key);
            return {};
        }
        copy.imported = true;
        copy.versions = versions;
        copy.notes = CsvImportNotes(QSqlDatabase::database(copy.connectionName, false));
    }
    notes = copy.notes;
    return copy.connectionName;
}
