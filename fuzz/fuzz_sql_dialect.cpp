// The statement of a control chart as SQLite runs it, for arbitrary filter values and custom
// ranges: the query builder writes it (values quoted, range literals with their date-times) and
// the SQLite dialect rewrites it. A table holds one record that meets every filter; whatever the
// values and dates, the statement must run and find exactly that record.
//
// Input: a flags byte, two bytes of start day (from 2000-01-01, so years up to 2049), one byte
// of range length in days, then the serial filter, source and test ID as UTF-8, separated by
// newlines.
#include "FuzzInput.h"
#include "Prompts.h"
#include "QueryBuilder.h"
#include "Selection.h"
#include "SharedState.h"
#include "SqliteEngine.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <sqlite3.h>

namespace {

constexpr size_t kHeaderBytes = 4;

// A usable custom range never asks the user anything.
class NoPrompts : public Prompts
{
public:
    MsgAnswer message(const QString&, MsgIcon, MsgButtons, const QString&) override
    {
        FuzzCheck(false, "a statement with a custom range shows no message");
        return MsgAnswer::OK;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    bool choosePrinter(QPrinter&) override { return false; }
    bool openInTextEditor(const QString&) override { return false; }
    int showModal(QDialog&) override { return 0; }
};

QSqlDatabase& resultsDatabase()
{
    static QSqlDatabase db = [] {
        QSqlDatabase created = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fuzz"));
        created.setDatabaseName(QStringLiteral(":memory:"));
        FuzzCheck(created.open() && UseUnicodeNoCase(SqliteHandle(created)), "the in-memory database opens");
        FuzzCheck(QSqlQuery(created).exec(QStringLiteral(
                      "CREATE TABLE Results (SerialNumber TEXT COLLATE NOCASE, ATEID TEXT COLLATE NOCASE, "
                      "TestStartTime TEXT, PassFail TEXT COLLATE NOCASE, TestID TEXT COLLATE NOCASE, Vout REAL)")),
                  "the results table is made");
        return created;
    }();
    return db;
}

// The rows the statement gives on SQLite; -1 when SQLite cannot prepare or run it.
int rowsOf(const QString& statement)
{
    sqlite3* engine = SqliteHandle(resultsDatabase());
    const QByteArray utf8 = statement.toUtf8();
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(engine, utf8.constData(), int(utf8.size()), &query, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "fuzz: %s\n%s\n", sqlite3_errmsg(engine), utf8.constData());
        return -1;
    }
    int rows = 0;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(query)) == SQLITE_ROW) {
        ++rows;
    }
    sqlite3_finalize(query);
    return step == SQLITE_DONE ? rows : -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kHeaderBytes) {
        return 0;
    }
    EnsureFuzzApplication();
    const uint8_t flags = data[0];
    const QDate from = QDate(2000, 1, 1).addDays(data[1] << 8 | data[2]);
    const QDate to = from.addDays(data[3]);
    // A NUL ends a statement for SQLite; no filter box can hold one.
    const QStringList values =
        QString::fromUtf8(reinterpret_cast<const char*>(data + kHeaderBytes), qsizetype(size - kHeaderBytes))
            .remove(QChar(0))
            .split(QLatin1Char('\n'));

    SharedState state;
    state.gTableName = QStringLiteral("Results");
    state.gDatabaseType = flags & 1 ? QStringLiteral("ACCESS") : QStringLiteral("SQLITE"); // '#' or quoted dates
    state.gCustomDateFrom = from;
    state.gCustomDateTo = to;
    Selection selection;
    selection.range = QStringLiteral("Custom");
    selection.serialFilter = values.value(0);
    selection.source = values.value(1);
    selection.testId = values.value(2, QStringLiteral("<All>"));
    selection.passOnly = flags & 2;
    selection.lastDataOnly = flags & 4;

    // The one record: within the range, passed, measured, and equal to every filter value. The
    // serial is stored as typed when it equals its upper case without regard to case, so that
    // the comparison of the upper-cased filter is tested beyond ASCII.
    const QString& serial = selection.serialFilter;
    const bool sameWithoutCase = QString::compare(serial, serial.toUpper(), Qt::CaseInsensitive) == 0;
    QSqlQuery insert(resultsDatabase());
    insert.exec(QStringLiteral("DELETE FROM Results"));
    insert.prepare(QStringLiteral("INSERT INTO Results VALUES (?, ?, ?, 'PASS', ?, 1.5)"));
    insert.addBindValue(sameWithoutCase ? serial : serial.toUpper());
    insert.addBindValue(selection.source);
    insert.addBindValue(from.toString(QStringLiteral("yyyy-MM-dd 12:00:00")));
    insert.addBindValue(selection.testId);
    FuzzCheck(insert.exec(), "the record is stored");

    NoPrompts prompts;
    const SqlText sql = SelectionSQL(state, selection, from, prompts, QStringLiteral("Vout"), QString(),
                                     QStringLiteral("[SerialNumber]"));
    FuzzCheck(rowsOf(ToSQLiteDialect(sql)) == 1, "the statement runs on SQLite and finds the one record");
    return 0;
}
