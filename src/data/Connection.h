#pragma once

#include "SqlText.h"
#include "SqliteFile.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>

class QSqlError;
struct sqlite3;

// The program's one database connection, opened from a connection text and always read-only:
// - "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=F;" — a Jet file, or with
//   "Extended Properties=\"Excel 8.0;...\"" an Excel workbook. Tables are copied into a SQLite
//   database the first time a query names them, once per file version.
// - "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=F;Extended Properties=\"Excel 12.0 Xml;...\"" —
//   an .xlsx workbook, copied likewise; with "Extended Properties=\"text;...\"" the CSV logs of
//   the folder or .csv file F, one table whatever name a query gives it, brought up to date before
//   every query when the files changed.
// - "Provider=SQLite;Data Source=F;" — a SQLite file, opened directly (see SqliteFile.h for how
//   a database a station is writing is read).
// - "Provider=MSDASQL;...;DSN=N;" — an ODBC data source (PostgreSQL, MariaDB and MySQL get
//   dialects of their own).
// - "Provider=SQLOLEDB;...;server=S;database=D;..." — SQL Server over TCP through ODBC.
// A failure leaves the connection closed and its description in lastError().
class Connection
{
public:
    enum class Engine
    {
        None,
        SQLiteFile,
        JetImport,
        ExcelImport,
        XlsxImport,
        CsvImport,
        Odbc
    };

    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool open(const QString& connectionText);
    void close();

    // 0 when closed, 1 when open.
    int state() const;
    Engine engine() const { return m_engine; }
    // The records are a SQLite copy of a file (Jet, either workbook, CSV logs), whose text columns
    // compare, group and sort without regard to case.
    bool imported() const
    {
        return m_engine == Engine::JetImport || m_engine == Engine::ExcelImport || m_engine == Engine::XlsxImport ||
               m_engine == Engine::CsvImport;
    }
    QString lastError() const { return m_lastError; }
    QSqlDatabase database() const;

    // The text the engine runs for the program's SQL: rewritten where the engine reads dates
    // differently, after the table it names has been imported where that is needed.
    bool prepare(const SqlText& sql, QString& engineSql);

    // The description of an engine error as the user sees it.
    QString describe(const QSqlError& error) const;
    QString describe(sqlite3* engine) const;

    // Whether what was read since the last prepare() is consistent: false when the database was
    // read as a snapshot and a writer changed its file meanwhile (then read it again).
    bool snapshotIntact() const;
    // The database is read as an immutable snapshot (see SqliteFile.h).
    bool readsSnapshot() const { return m_snapshot; }

    // What the user should know about how the open database is read (a snapshot that may lack
    // records); empty for most databases.
    QStringList notes() const { return m_notes; }
    // What the user must be warned of about the records the last query read: the files of CSV
    // logs that were skipped.
    QStringList warnings() const { return m_warnings; }
    // A server's statements run in transactions begun by this marker and rolled back after reading
    // (ReadOnlyTransaction.h); nothing for the other engines.
    std::optional<QString> serverTransaction() const { return m_serverTransaction; }

private:
    bool openSQLite(const QString& file);
    bool openSQLiteDatabase(bool snapshot);
    // The engine's text, or for a worksheet without a column the program's SQL names, a message
    // naming the worksheet, its file and the column.
    QString explain(const QString& engineText) const;
    bool openImport(const QString& file, Engine engine);
    // dataSource: the data source's name, "" for a text that names a driver.
    bool openOdbc(const QString& odbcText, const QString& dataSource);
    // Makes the ODBC session refuse writes by itself with `statement`, and checks that `check` then
    // reads `readOnly`.
    bool makeSessionReadOnly(const QString& statement, const QString& check, const QString& readOnly);
    // MariaDB's session: read-only, backslashes as ordinary characters, functions called with a
    // blank before their parenthesis.
    bool prepareMariaDbSession();
    // The names the catalog spells for a table named without regard to case: the table's, then its
    // columns'; empty for a table it lacks. Asked once per table while the connection is open.
    bool catalogNames(const QString& table, QStringList& names);
    // The import the statement needs, made or brought up to date; its database becomes m_name.
    bool prepareImport(const QString& sql);

    QString m_name;       // Qt connection name of the engine in use
    QString m_sourceFile; // the Jet or Excel file behind an import, or the SQLite file
    QString m_table;      // the table or worksheet of the last statement
    Engine m_engine = Engine::None;
    bool m_snapshot = false;       // a SQLite file read as an immutable snapshot
    SqliteFileStamp m_stampBefore; // the file when opened, or the snapshot's at the last prepare()
    bool m_sqliteLost = false;     // the SQLite file could not be opened again after it was replaced
    QStringList m_notes;
    // How the program's SQL is rewritten for the engine.
    enum class Dialect
    {
        AsWritten,
        SQLite,
        Postgres,
        MariaDb
    };
    Dialect m_dialect = Dialect::AsWritten;
    QHash<QString, QStringList> m_catalogNames; // by the table name in lower case
    std::optional<QString> m_serverTransaction; // a server's read-only marker (ReadOnlyTransaction.h)
    QStringList m_warnings;
    QString m_lastError;
};

// The value of one key of a connection text, without regard to the key's case; a value may be
// enclosed in double quotes and then hold semicolons, and a double quote written twice.
QString ConnectionValue(const QString& connectionText, const QString& key);

// A value written into a connection text so that ConnectionValue reads it back unchanged: in
// double quotes, with a double quote written twice, when it holds a semicolon, a double quote or
// surrounding blanks; otherwise as it is.
QString QuotedConnectionValue(const QString& value);
