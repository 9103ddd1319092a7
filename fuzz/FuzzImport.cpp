#include "FuzzImport.h"

#include "FileImport.h"
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
    const bool excel = format == ImportFormat::Excel;
    QString error;
    if (inHelper) {
        const QString copy = path + QStringLiteral(".sqlite");
        QFile::remove(copy);
        error = ImportInHelperProcess(excel, path, kTable, kCopy, copy);
        target.setDatabaseName(copy);
    } else {
        target.setDatabaseName(QStringLiteral(":memory:"));
    }
    FuzzCheck(target.open(), "the SQLite database of the copy opens");
    if (!inHelper) {
        error = excel ? ImportXlsSheet(path, kTable, target, kCopy) : ImportMdbTable(path, kTable, target, kCopy);
    }
    return error;
}

} // namespace

void FuzzImport(const uint8_t* data, size_t size, ImportFormat format)
{
    EnsureFuzzApplication();
    const QString path = WriteFuzzInput(
        data, size, format == ImportFormat::Excel ? QStringLiteral("input.xls") : QStringLiteral("input.mdb"));
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
