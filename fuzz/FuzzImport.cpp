#include "FuzzImport.h"

#include "FuzzInput.h"
#include "ImportProcess.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

bool inHelper = false;

const QString kTable = QStringLiteral("Results");
const QString kCopy = QStringLiteral("Imported");

// Imports the file into target, which is opened here: in memory, or the helper's database file.
QString import(ImportFormat format, const QString& path, QSqlDatabase& target)
{
    QString error;
    if (inHelper) {
        const QString copy = path + QStringLiteral(".sqlite");
        QFile::remove(copy);
        error = ImportInHelperProcess(format, path, kTable, kCopy, copy);
        target.setDatabaseName(copy);
    } else {
        target.setDatabaseName(QStringLiteral(":memory:"));
    }
    FuzzCheck(target.open(), "the SQLite database of the copy opens");
    if (!inHelper) {
        error = ImportTable(format, path, kTable, target, kCopy);
    }
    return error;
}

} // namespace

void FuzzImport(const uint8_t* data, size_t size, ImportFormat format)
{
    EnsureFuzzApplication();
    static const char* const extensions[] = {".mdb", ".xls", ".xlsx", ".csv"};
    const QString path = WriteFuzzInput(data, size, QStringLiteral("input") + QLatin1String(extensions[int(format)]));
    const QString connection = QStringLiteral("fuzz");
    {
        QSqlDatabase target = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        const QString error = import(format, path, target);
        const bool tableLeft = QSqlQuery(target).exec(QStringLiteral("SELECT count(*) FROM ") + kCopy);
        FuzzCheck(error.isEmpty() == tableLeft, "an import either fails with a description or leaves its table");
    }
    QSqlDatabase::removeDatabase(connection);
}

void ImportInHelperFromNowOn()
{
    inHelper = true;
}
