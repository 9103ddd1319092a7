#pragma once

#include "SqlText.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

class Connection;
class QSqlDatabase;
class QSqlQuery;

// The rows of one query on the program's connection, read in query order.
//
// A client recordset fetches every row when it opens, into one typed column per field: its
// RecordCount is exact before the first row is read and MoveFirst returns to the first row.
// A forward-only recordset streams: RecordCount is -1 and it can only move on. On the SQLite
// engines it reads every row when it opens all the same, so that an engine error (a damaged
// file) fails the open rather than ending the rows early.
//
// Field values are Null-aware: a Null field gives an invalid QVariant; otherwise a double for
// numbers, a QDateTime for date-times (ISO text from the SQLite engines included; see WallClock) and a
// QString for text. Fields are addressed by their alias without regard to case.
class Recordset
{
public:
    enum class Cursor
    {
        Client,
        ForwardOnly
    };

    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Runs sql on the connection; false with the engine's description in lastError().
    bool Open(Connection& connection, const SqlText& sql, Cursor cursor);
    void Close();

    QString lastError() const { return m_lastError; }
    qint64 RecordCount() const;
    bool isEOF() const;
    void MoveNext();
    void MoveFirst();

    // -1 when the recordset has no field of that alias.
    int fieldIndex(const QString& alias) const;
    QVariant value(int field) const;
    QVariant value(const QString& alias) const { return value(fieldIndex(alias)); }
    bool isNull(const QString& alias) const { return value(alias).isNull(); }
    // A field as text (empty for Null), without a QVariant for text fields.
    QString text(int field) const;
    // The date-time of a field as (Julian day, second of the day), without building a QDateTime;
    // false when the field holds none.
    bool dateTimeParts(int field, qint64& day, int& second) const;

    struct Column;

private:
    bool fetchAll(QSqlQuery& query);
    bool openQuery(Connection& connection, const QSqlDatabase& db, const QString& engineSql, Cursor cursor);
    bool fetchAllSQLite(const Connection& connection, const QSqlDatabase& db, const QString& sql);
    QVariant streamedValue(int field) const;

    QStringList m_names;
    std::vector<Column> m_columns;
    qint64 m_rowCount = 0;
    qint64 m_row = 0;
    std::unique_ptr<QSqlQuery> m_stream; // forward-only
    bool m_streamAtEnd = true;
    bool m_open = false;
    bool m_countKnown = true; // false for a forward-only recordset, even when all rows were read at once
    QString m_lastError;
};

// One field of a client recordset. Values are kept by kind: numbers as doubles, date-times as
// day and second numbers, text as strings; a column whose values are of mixed kinds keeps them
// as variants.
struct Recordset::Column
{
    enum class Kind
    {
        Unknown,
        Number,
        DateTime,
        Text,
        Mixed
    };
    Kind kind = Kind::Unknown;
    std::vector<double> numbers;
    std::vector<qint64> days; // Julian day numbers
    std::vector<int> seconds; // seconds of the day
    std::vector<QString> texts;
    std::vector<QVariant> mixed;
    std::vector<bool> nulls;

    void append(const QVariant& v);
    void appendNull();
    void appendNumber(double value);
    void appendDateTime(qint64 day, int second);
    void appendText(const QString& text);
    // UTF-8 text straight from an engine; repeated values (sources, verdicts) share one string.
    void appendText(const char* utf8, int size);
    QVariant at(qint64 row) const;

private:
    // Makes the column of the wanted kind when it has none yet; false when it holds another
    // kind (it then keeps variants).
    bool settle(Kind wanted);
    void demoteToMixed();

    // Distinct values seen so far, while there are few of them.
    QHash<QByteArray, QString> m_shared;
    bool m_sharing = true;
};

// A stored date-time: its fields are the wall-clock time as recorded. It is built in UTC, which
// keeps the fields as they are and spares the time-zone lookup that a local time costs for
// every value.
QDateTime WallClock(qint64 julianDay, int secondOfDay);

// Reads "YYYY-MM-DD HH:MM:SS" (or "YYYY-MM-DD", or with a 'T') as a date-time; invalid when
// the text is not of that form.
QDateTime ParseIsoDateTime(const QString& text);
