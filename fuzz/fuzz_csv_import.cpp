// The import of CSV logs on arbitrary bytes: the input up to its first form feed is the first day's
// log, the rest (or, without a form feed, the same bytes again) the next day's. The first day is
// imported, the next day added and the copy brought up to date. Each import either fails with a
// description or leaves the table, and the copy brought up to date holds what a first import of
// both days gives, row for row.
#include "CsvImport.h"
#include "FuzzInput.h"
#include "TableDump.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <string_view>

namespace {

const QString kCopy = QStringLiteral("CSV");

// The import into db; the table as text, or "failed" when the import gave a description.
QString import(const QString& folder, QSqlDatabase& db)
{
    const QString error = ImportCsvLogs(folder, db, kCopy);
    const bool tableLeft = QSqlQuery(db).exec(QStringLiteral("SELECT count(*) FROM ") + kCopy);
    FuzzCheck(!error.isEmpty() || tableLeft, "an import that succeeds leaves its table");
    return error.isEmpty() ? DumpTable(db, kCopy) : QStringLiteral("failed");
}

QSqlDatabase openCopy(const QString& name)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(QStringLiteral(":memory:"));
    FuzzCheck(db.open(), "the SQLite database of the copy opens");
    return db;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    EnsureFuzzApplication();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\f');
    const std::string_view first = input.substr(0, split);
    const std::string_view next = split == std::string_view::npos ? input : input.substr(split + 1);

    const QString day1 = WriteFuzzInput(reinterpret_cast<const uint8_t*>(first.data()), first.size(), "day1.csv");
    const QString folder = QFileInfo(day1).path();
    QFile::remove(QDir(folder).filePath(QStringLiteral("day2.csv")));
    QString grown;
    QString whole;
    {
        QSqlDatabase copy = openCopy(QStringLiteral("fuzz-grown"));
        import(folder, copy);
        WriteFuzzInput(reinterpret_cast<const uint8_t*>(next.data()), next.size(), "day2.csv");
        grown = import(folder, copy);
        QSqlDatabase fresh = openCopy(QStringLiteral("fuzz-whole"));
        whole = import(folder, fresh);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fuzz-grown"));
    QSqlDatabase::removeDatabase(QStringLiteral("fuzz-whole"));
    FuzzCheck(grown == whole, "a copy brought up to date holds what a first import gives");
    return 0;
}
