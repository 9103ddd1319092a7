#include "ImportCache.h"

#include "FileImport.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

struct FileVersion
{
    qint64 size = -1;
    QDateTime modified;
    QString connectionName;
    QSet<QString> tables; // lower-case names already copied
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

FileVersion* currentVersion(const QString& file, QString& error)
{
    const QFileInfo info(file);
    if (!info.isFile()) {
        error = QStringLiteral("Could not find file '%1'.").arg(file);
        return nullptr;
    }
    static int counter = 0;
    FileVersion& version = cache()[info.canonicalFilePath()];
    if (version.connectionName.isEmpty() || version.size != info.size() || version.modified != info.lastModified()) {
        if (!version.connectionName.isEmpty()) {
            QSqlDatabase::removeDatabase(version.connectionName);
        }
        version = FileVersion{info.size(), info.lastModified(), QStringLiteral("tessaly-import-%1").arg(++counter), {}};
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), version.connectionName);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (!db.open()) {
            error = db.lastError().text();
            return nullptr;
        }
        QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=OFF"));
        QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous=OFF"));
        QSqlQuery(db).exec(QStringLiteral("PRAGMA temp_store=MEMORY")); // sorts of chart queries stay in memory
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
    if (!version->tables.contains(key)) {
        QSqlDatabase db = QSqlDatabase::database(version->connectionName, false);
        // The copy is named after the table as the program's SQL spells it.
        const QString target = format == Format::Excel ? table + QLatin1Char('$') : table;
        error =
            format == Format::Jet ? ImportMdbTable(file, table, db, target) : ImportXlsSheet(file, table, db, target);
        if (!error.isEmpty()) {
            return {};
        }
        version->tables.insert(key);
    }
    return version->connectionName;
}
