#pragma once

#include "QueryStream.h"
#include "SqlText.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

class Connection;

// The rows of one query on the program's connection, all read when it opens, in query order:
// RecordCount is exact before the first row is looked at and MoveFirst returns to the first
// row. The rows are read on a worker thread (QueryStream); an engine error at any row (a damaged
// file) fails the open.
//
// Field values are Null-aware: a Null field gives an invalid QVariant; otherwise a double for
// numbers, a QDateTime for date-times (ISO text from the SQLite engines included; see WallClock) and a
// QString for text. Fields are addressed by their alias without regard to case.
class Recordset
{
public:
    // Called on the opening thread while the rows are read, about every pump interval: what
    // the load has done so far. Returning false stops the reading: the open fails with
    // stopped() set.
    using Watch = std::function<bool(const LoadStep&)>;

    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Runs sql on the connection; false with the engine's description in lastError().
    bool Open(Connection& connection, const SqlText& sql, const Watch& watch = {});
    void Close();

    QString lastError() const { return m_lastError; }
    bool stopped() const { return m_stopped; }
    qint64 RecordCount() const { return m_rowCount; }
    bool isEOF() const { return m_row >= m_rowCount; }
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

private:
    const RecordColumn* column(int field) const;

    QStringList m_names;
    std::vector<std::unique_ptr<RowBatch>> m_batches;
    qint64 m_rowCount = 0;
    qint64 m_row = 0;
    size_t m_batch = 0;  // the batch of the current row
    qint64 m_offset = 0; // the current row within it
    bool m_stopped = false;
    QString m_lastError;
};
