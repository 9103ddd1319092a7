#include "TableWriter.h"

#include "SqliteEngine.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <sqlite3.h>

QString QuotedSqlName(QString identifier)
{
    return QLatin1Char('"') + identifier.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

TableWriter::TableWriter(QSqlDatabase& db) : db_(db), sqlite_(SqliteHandle(db)) {}

TableWriter::~TableWriter()
{
    if (!committed_ && !table_.isEmpty()) {
        discard();
    }
    sqlite3_finalize(insert_);
}

QString TableWriter::create(const QString& table, const QList<TargetColumn>& columns, bool explicitRowid)
{
    if (!sqlite_) {
        return QStringLiteral("The target is not an open SQLite database.");
    }
    table_ = QuotedSqlName(table);
    created_ = true;
    ownTransaction_ = db_.transaction(); // false when the caller already holds one
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("DROP TABLE IF EXISTS ") + table_)) {
        return q.lastError().text();
    }
    QStringList definitions;
    for (const TargetColumn& c : columns) {
        definitions << QuotedSqlName(c.name) + QLatin1Char(' ') + c.type;
    }
    if (!q.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(table_, definitions.join(QStringLiteral(", "))))) {
        return q.lastError().text();
    }
    return prepareInsert(columns, explicitRowid);
}

QString TableWriter::appendTo(const QString& table, const QList<TargetColumn>& columns, bool explicitRowid)
{
    if (!sqlite_) {
        return QStringLiteral("The target is not an open SQLite database.");
    }
    table_ = QuotedSqlName(table);
    ownTransaction_ = db_.transaction();
    return prepareInsert(columns, explicitRowid);
}

QString TableWriter::prepareInsert(const QList<TargetColumn>& columns, bool explicitRowid)
{
    QStringList names;
    QStringList marks;
    if (explicitRowid) {
        names << QStringLiteral("rowid");
        marks << QStringLiteral("?");
    }
    for (const TargetColumn& c : columns) {
        names << QuotedSqlName(c.name);
        marks << QStringLiteral("?");
    }
    first_ = explicitRowid ? 2 : 1;
    const QByteArray insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(table_, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))
                                  .toUtf8();
    if (sqlite3_prepare_v2(sqlite_, insert.constData(), int(insert.size()), &insert_, nullptr) != SQLITE_OK) {
        return lastError();
    }
    return {};
}

void TableWriter::bindNull(int column)
{
    sqlite3_bind_null(insert_, column + first_);
}

void TableWriter::bindReal(int column, double value)
{
    sqlite3_bind_double(insert_, column + first_, value);
}

void TableWriter::bindText(int column, const char* utf8, int length)
{
    sqlite3_bind_text(insert_, column + first_, utf8, length, SQLITE_STATIC);
}

void TableWriter::bindRowid(qint64 rowid)
{
    sqlite3_bind_int64(insert_, 1, rowid);
}

QString TableWriter::insertRow()
{
    const int done = sqlite3_step(insert_);
    sqlite3_reset(insert_);
    return done == SQLITE_DONE ? QString() : lastError();
}

QString TableWriter::commit()
{
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    if (ownTransaction_ && !db_.commit()) {
        return db_.lastError().text();
    }
    committed_ = true;
    return {};
}

QString TableWriter::lastError() const
{
    return QString::fromUtf8(sqlite3_errmsg(sqlite_));
}

void TableWriter::discard()
{
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    if (ownTransaction_) {
        db_.rollback();
    }
    // Rolling back undoes nothing when the caller runs without a journal.
    if (created_) {
        QSqlQuery(db_).exec(QStringLiteral("DROP TABLE IF EXISTS ") + table_);
    }
}
