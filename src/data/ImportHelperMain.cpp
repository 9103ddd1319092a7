// tessaly-import jet|excel|xlsx|csv <file> <table> <copy name> <database file>
//
// Copies one table of a Jet file, one worksheet of an Excel workbook, or the CSV logs of a folder
// or file (<table> unused) into the SQLite database file as the table <copy name> (exit status 0).
// When they cannot be read it writes the description the user sees on standard output instead
// (exit status 3). The program runs every import through this helper: a file that makes one of the
// libraries crash ends the helper, and the program reports the file as damaged. The CSV import
// adds to what an earlier one left in the database file.
#include "FileImport.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <unistd.h>

namespace {

constexpr int kImported = 0;
constexpr int kUsage = 2;
constexpr int kNotImported = 3; // apart from the statuses of a sanitizer's reports

} // namespace

int main(int argc, char* argv[])
{
    // The libraries print their complaints on standard output or error; only the description may
    // reach the program's pipe, so standard output becomes standard error and the description has
    // its own copy of it.
    const int channel = ::dup(STDOUT_FILENO);
    if (channel < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        return kUsage;
    }
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    ImportFormat format = ImportFormat::Jet;
    if (arguments.size() != 6 || !ImportFormatNamed(arguments[1], format)) {
        return kUsage;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(arguments[5]);
    QString error;
    if (db.open()) {
        // A scratch copy: no journal, no waiting for the disk.
        for (const char* pragma : {"PRAGMA journal_mode=OFF", "PRAGMA synchronous=OFF"}) {
            QSqlQuery(db).exec(QLatin1String(pragma));
        }
        error = ImportTable(format, arguments[2], arguments[3], db, arguments[4]);
        db.close();
    } else {
        error = QStringLiteral("SQLite cannot write the copy of '%1'.").arg(arguments[3]);
    }
    if (error.isEmpty()) {
        return kImported;
    }
    const QByteArray text = error.toUtf8();
    return ::write(channel, text.constData(), size_t(text.size())) == text.size() ? kNotImported : kUsage;
}
