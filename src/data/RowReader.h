#pragma once

#include "TextOrder.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class Connection;
struct RowBatch;

// Where a RowReader puts what it reads.
class RowSink
{
public:
    // The engine has run the statement and its rows are coming: the field names, and the number
    // of rows where the engine tells it (-1 otherwise). Called once, before the first batch.
    virtual void begin(const QStringList& names, qint64 total) = 0;
    // Takes a batch; false when no further rows are wanted.
    virtual bool take(std::unique_ptr<RowBatch> batch) = 0;

protected:
    ~RowSink() = default;
};

// Reads the rows of one statement into batches, on a worker thread.
class RowReader
{
public:
    virtual ~RowReader() = default;
    // Runs the statement and hands its rows to sink; false with the engine's description in
    // error when the engine failed (an interrupted statement is no failure).
    virtual bool read(RowSink& sink, QString& error) = 0;
    // Called from another thread: a running read ends soon.
    virtual void interrupt() = 0;
    // How the engine compares the text of each field: its column's collation; Other for a field
    // that is no plain column, and on engines that do not say.
    virtual std::vector<TextOrder> fieldOrders() const { return {}; }
};

// The reader of engineSql (the connection's own dialect) on the connection's engine: SQLite's
// own interface for the SQLite engines, block fetches of the ODBC interface for ODBC sources.
// Null with error set when the statement cannot be run.
std::unique_ptr<RowReader> MakeRowReader(const Connection& connection, const QString& engineSql, QString& error);
std::unique_ptr<RowReader> MakeSqliteRowReader(const Connection& connection, const QString& engineSql, QString& error);
std::unique_ptr<RowReader> MakeOdbcRowReader(const Connection& connection, const QString& engineSql, QString& error);
