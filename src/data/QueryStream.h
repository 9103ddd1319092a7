#pragma once

#include "RecordColumn.h"
#include "RowReader.h"
#include "SqlText.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class Connection;

// Consecutive rows of a query, in typed columns.
struct RowBatch
{
    std::vector<RecordColumn> columns;
    qint64 rows = 0;

    // An empty batch of `fields` columns, each of the kind the previous batch's settled on.
    static std::unique_ptr<RowBatch> following(const RowBatch* previous, size_t fields);
    // The column of the field named alias (without regard to case) of the fields `names`; a field
    // the statement lacks reads as Null.
    const RecordColumn& field(const QStringList& names, QLatin1StringView alias) const;
};

// Where the field named alias (without regard to case) is in names; -1 when it is not.
qsizetype FieldIndex(const QStringList& names, QLatin1StringView alias);

// How far a load has come: while the engine runs the query no row has arrived yet; then rows
// read of a total that only some engines tell in advance (-1 otherwise).
struct LoadStep
{
    bool querying = true;
    qint64 read = 0;
    qint64 total = -1;
};

// "Querying…", "Reading 412,000 of 1,000,000 records" or "Reading 412,000 records".
QString LoadStepText(const LoadStep& step);

// The rows of one query on the program's connection, read on a worker thread and handed over in
// batches while the caller works on those it already has. The caller's thread keeps the
// connection for itself meanwhile: it must not run another statement on it until the stream is
// at its end or destroyed.
//
// A database read as a snapshot (SqliteFile.h) hands out no row until every row was read and
// the file was found unchanged; a changed file is read again, up to three times.
class QueryStream : private RowSink
{
public:
    static constexpr qint64 kBatchRows = 4096;

    QueryStream();
    ~QueryStream(); // stops the reading and waits for the worker
    QueryStream(const QueryStream&) = delete;
    QueryStream& operator=(const QueryStream&) = delete;

    // Starts reading sql; false with lastError() when the engine refuses the statement at once.
    bool start(Connection& connection, const SqlText& sql);

    // The next batch, waiting at most waitMs for it: null when none came in time, and at the end.
    std::unique_ptr<RowBatch> next(int waitMs);
    // Every row was handed out, or the reading failed or was stopped.
    bool atEnd() const { return m_atEnd; }
    // After atEnd(): why the rows ended early; empty when every row came or the reading was stopped.
    QString lastError() const { return m_lastError; }
    // The field names, known once the first batch or the end has come.
    QStringList names() const;
    // How the engine compares the text of the field named alias (RowReader::fieldOrders), known
    // once the first batch has come; Other for a field the statement lacks.
    TextOrder fieldOrder(QLatin1StringView alias) const;

    // Reads no further row; the worker ends soon after, also in the middle of a long query.
    void stop();
    LoadStep step() const;
    // Milliseconds since the engine's last row was read (on the worker); 0 until then.
    qint64 msSinceLastRow() const;

private:
    bool launch();
    void join();
    // On the worker.
    void begin(const QStringList& names, qint64 total) override;
    bool take(std::unique_ptr<RowBatch> batch) override;

    Connection* m_connection = nullptr;
    SqlText m_sql;
    std::unique_ptr<RowReader> m_reader;
    std::vector<TextOrder> m_fieldOrders;
    std::thread m_worker;
    bool m_holdUntilEnd = false;
    int m_readings = 0;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<RowBatch>> m_batches;
    QStringList m_names;
    bool m_workerDone = false;
    QString m_workerError;
    std::atomic<bool> m_stopped{false};
    std::atomic<qint64> m_read{0};
    std::atomic<qint64> m_total{-1};
    std::atomic<bool> m_querying{true};
    QElapsedTimer m_sinceStart;
    std::atomic<qint64> m_msToLastRow{-1};

    bool m_atEnd = true;
    QString m_lastError;
};
