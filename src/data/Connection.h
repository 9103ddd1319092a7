#pragma once

#include <QSqlDatabase>
#include <QString>

class QSqlError;

// The program's one database connection, opened from a connection text and always read-only:
// - "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=F;" — a Jet file, or with
//   "Extended Properties=\"Excel 8.0;...\"" an Excel workbook. Tables are copied into an
//   in-memory SQLite database the first time a query names them, once per file version.
// - "Provider=SQLite;Data Source=F;" — a SQLite file, opened directly.
// - "Provider=MSDASQL;...;DSN=N;" — an ODBC data source.
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
    QString lastError() const { return m_lastError; }
    QSqlDatabase database() const;

    // The text the engine runs for the program's SQL: rewritten where the engine reads dates
    // differently, after the table it names has been imported where that is needed.
    bool prepare(const QString& sql, QString& engineSql);

    // The description of an engine error as the user sees it.
    QString describe(const QSqlError& error) const;

private:
    bool openSQLite(const QString& file);
    bool openImport(const QString& file, Engine engine);
    bool openOdbc(const QString& odbcText, const QString& user, const QString& password);

    QString m_name;       // Qt connection name of the engine in use
    QString m_sourceFile; // the Jet or Excel file behind an import
    Engine m_engine = Engine::None;
    bool m_sqliteDialect = false;
    QString m_lastError;
};

// The value of one key of a connection text, without regard to the key's case; a value may be
// enclosed in double quotes and then hold semicolons.
QString ConnectionValue(const QString& connectionText, const QString& key);
