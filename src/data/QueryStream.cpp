#include "QueryStream.h"

#include "Connection.h"
#include "Formats.h"

namespace {

// Batches read ahead of the caller: enough to keep both threads busy, few enough that the rows
// in flight cost little memory.
constexpr size_t kBatchesAhead = 8;
// A snapshot that a writer changed while it was read is read again, this many times in all.
constexpr int kReadings = 3;

QString thousands(qint64 n)
{
    return FormatNumber(static_cast<double>(n), QStringLiteral("#,##0"));
}

} // namespace

std::unique_ptr<RowBatch> RowBatch::following(const RowBatch* previous, size_t fields)
{
    auto batch = std::make_unique<RowBatch>();
    batch->columns.reserve(fields);
    for (size_t i = 0; i < fields; ++i) {
        RecordColumn& column =
            batch->columns.emplace_back(previous ? RecordColumn::following(previous->columns[i]) : RecordColumn());
        column.reserve(QueryStream::kBatchRows);
    }
    return batch;
}

qsizetype FieldIndex(const QStringList& names, QLatin1StringView alias)
{
    for (qsizetype k = 0; k < names.size(); ++k) {
        if (names[k].compare(alias, Qt::CaseInsensitive) == 0) {
            return k;
        }
    }
    return -1;
}

const RecordColumn& RowBatch::field(const QStringList& names, QLatin1StringView alias) const
{
    static const RecordColumn missing;
    const qsizetype k = FieldIndex(names, alias);
    return k >= 0 && static_cast<size_t>(k) < columns.size() ? columns[static_cast<size_t>(k)] : missing;
}

std::unique_ptr<RowReader> MakeRowReader(const Connection& connection, const QString& engineSql, QString& error)
{
    return connection.engine() == Connection::Engine::Odbc ? MakeOdbcRowReader(connection, engineSql, error)
                                                           : MakeSqliteRowReader(connection, engineSql, error);
}

QString LoadStepText(const LoadStep& step)
{
    if (step.querying) {
        return QStringLiteral("Querying…");
    }
    return step.total >= 0 ? QStringLiteral("Reading %1 of %2 records").arg(thousands(step.read), thousands(step.total))
                           : QStringLiteral("Reading %1 records").arg(thousands(step.read));
}

QueryStream::QueryStream() = default;

QueryStream::~QueryStream()
{
    stop();
    join();
}

bool QueryStream::start(Connection& connection, const SqlText& sql)
{
    stop();
    join();
    m_connection = &connection;
    m_sql = sql;
    m_readings = 0;
    m_sinceStart.start();
    m_msToLastRow = -1;
    m_lastError.clear();
    m_stopped = false;
    return launch();
}

bool QueryStream::launch()
{
    ++m_readings;
    m_batches.clear();
    m_names.clear();
    m_workerDone = false;
    m_workerError.clear();
    m_read = 0;
    m_total = -1;
    m_querying = true;
    m_atEnd = true;
    QString engineSql;
    if (!m_connection->prepare(m_sql, engineSql)) {
        m_lastError = m_connection->lastError();
        return false;
    }
    m_reader = MakeRowReader(*m_connection, engineSql, m_lastError);
    if (!m_reader) {
        return false;
    }
    m_fieldOrders = m_reader->fieldOrders();
    m_holdUntilEnd = m_connection->readsSnapshot();
    m_atEnd = false;
    m_worker = std::thread([this] {
        QString error;
        const bool read = m_reader->read(*this, error);
        m_msToLastRow = m_sinceStart.elapsed();
        const std::lock_guard lock(m_mutex);
        m_workerDone = true;
        m_workerError = read ? QString() : error;
        m_querying = false;
        m_changed.notify_all();
    });
    return true;
}

void QueryStream::join()
{
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_reader.reset();
}

void QueryStream::begin(const QStringList& names, qint64 total)
{
    const std::lock_guard lock(m_mutex);
    m_names = names;
    m_total = total;
    m_querying = false;
}

bool QueryStream::take(std::unique_ptr<RowBatch> batch)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopped || m_holdUntilEnd || m_batches.size() < kBatchesAhead; });
    if (m_stopped) {
        return false;
    }
    m_read += batch->rows;
    m_batches.push_back(std::move(batch));
    m_changed.notify_all();
    return true;
}

std::unique_ptr<RowBatch> QueryStream::next(int waitMs)
{
    if (m_atEnd) {
        return nullptr;
    }
    std::unique_lock lock(m_mutex);
    const auto ready = [this] { return m_workerDone || (!m_holdUntilEnd && !m_batches.empty()); };
    if (!m_changed.wait_for(lock, std::chrono::milliseconds(waitMs), ready)) {
        return nullptr;
    }
    if (m_workerDone && m_holdUntilEnd && m_workerError.isEmpty() && !m_stopped) {
        // Every row of the snapshot is in: hand them out if the file stayed as it was.
        m_holdUntilEnd = false;
        if (!m_connection->snapshotIntact()) {
            lock.unlock();
            join();
            if (m_readings >= kReadings) {
                m_atEnd = true;
                m_lastError = QStringLiteral("The database file kept changing while it was read.");
                return nullptr;
            }
            launch();
            return nullptr;
        }
    }
    if (!m_batches.empty()) {
        std::unique_ptr<RowBatch> batch = std::move(m_batches.front());
        m_batches.pop_front();
        m_changed.notify_all();
        return batch;
    }
    // The worker is done and every batch was taken.
    m_atEnd = true;
    m_lastError = m_stopped ? QString() : m_workerError;
    lock.unlock();
    join();
    return nullptr;
}

QStringList QueryStream::names() const
{
    const std::lock_guard lock(m_mutex);
    return m_names;
}

TextOrder QueryStream::fieldOrder(QLatin1StringView alias) const
{
    const qsizetype k = FieldIndex(names(), alias);
    return k >= 0 && static_cast<size_t>(k) < m_fieldOrders.size() ? m_fieldOrders[static_cast<size_t>(k)]
                                                                   : TextOrder::Other;
}

void QueryStream::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_changed.notify_all();
    }
    if (m_worker.joinable() && m_reader) {
        m_reader->interrupt();
    }
    m_atEnd = true;
}

qint64 QueryStream::msSinceLastRow() const
{
    const qint64 read = m_msToLastRow;
    return read < 0 ? 0 : m_sinceStart.elapsed() - read;
}

LoadStep QueryStream::step() const
{
    return {m_querying, m_read, m_total};
}
