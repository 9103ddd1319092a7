#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// SQL declared types of the copies the importers make. Text compares without case, as in Jet.
inline const QString kRealColumn = QStringLiteral("REAL");
inline const QString kTextColumn = QStringLiteral("TEXT");
inline const QString kNoCaseTextColumn = QStringLiteral("TEXT COLLATE NOCASE");

// An identifier in double quotes, a double quote in it written twice.
QString QuotedSqlName(QString identifier);

struct TargetColumn
{
    QString name;
    QString type;
};

// Writes the rows of one table in a single transaction with one prepared INSERT. A table made
// by create() replaces any table of that name, and a failed or abandoned copy leaves no table
// behind. Rows go through SQLite's own interface on the handle of Qt's driver: binding the bytes
// the readers already hold costs a fraction of a QSqlQuery::exec per row.
class TableWriter
{
public:
    explicit TableWriter(QSqlDatabase& db);
    TableWriter(const TableWriter&) = delete;
    TableWriter& operator=(const TableWriter&) = delete;
    ~TableWriter();

    // Returns "" or the database's description of the failure. With explicitRowid every row is
    // given its rowid by bindRowid() before insertRow(): a reader that scans the table meets the
    // rows in the order of their rowids.
    QString create(const QString& table, const QList<TargetColumn>& columns, bool explicitRowid = false);
    // Adds rows to a table that exists, whose columns are named as in columns.
    QString appendTo(const QString& table, const QList<TargetColumn>& columns, bool explicitRowid = false);

    // Columns count from 0. Text is UTF-8 and must stay in place until insertRow() returns.
    void bindNull(int column);
    void bindReal(int column, double value);
    void bindText(int column, const char* utf8, int length);
    void bindRowid(qint64 rowid);

    QString insertRow();
    QString commit();

private:
    QString prepareInsert(const QList<TargetColumn>& columns, bool explicitRowid);
    QString lastError() const;
    void discard();

    QSqlDatabase& db_;
    sqlite3* sqlite_;
    sqlite3_stmt* insert_ = nullptr;
    QString table_;
    int first_ = 1; // the parameter of column 0
    bool created_ = false;
    bool ownTransaction_ = false;
    bool committed_ = false;
};
