#include "Connection.h"
#include "QueryStream.h"
#include "RowReader.h"
#include "SqliteEngine.h"

#include <sqlite3.h>

namespace {

// A statement on one of the SQLite engines, read through SQLite's own interface: values go
// straight from the engine into the typed columns.
class SqliteRowReader : public RowReader
{
public:
    SqliteRowReader(const Connection& connection, sqlite3* engine, sqlite3_stmt* statement)
        : m_connection(connection), m_engine(engine), m_statement(statement)
    {
    }
    ~SqliteRowReader() override { sqlite3_finalize(m_statement); }

    bool read(RowSink& sink, QString& error) override;
    void interrupt() override { sqlite3_interrupt(m_engine); }
    std::vector<TextOrder> fieldOrders() const override;

private:
    const Connection& m_connection;
    sqlite3* m_engine;
    sqlite3_stmt* m_statement;
};

bool SqliteRowReader::read(RowSink& sink, QString& error)
{
    const int fields = sqlite3_column_count(m_statement);
    QStringList names;
    for (int i = 0; i < fields; ++i) {
        names.append(QString::fromUtf8(sqlite3_column_name(m_statement, i)));
    }
    std::unique_ptr<RowBatch> batch = RowBatch::following(nullptr, static_cast<size_t>(fields));
    bool begun = false;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(m_statement)) == SQLITE_ROW) {
        if (!begun) {
            sink.begin(names, -1);
            begun = true;
        }
        for (int i = 0; i < fields; ++i) {
            RecordColumn& column = batch->columns[static_cast<size_t>(i)];
            // One call into the engine a field: the value's own accessors take no lock, and no
            // other thread uses the connection while its rows are read (QueryStream).
            sqlite3_value* value = sqlite3_column_value(m_statement, i);
            switch (sqlite3_value_type(value)) {
            case SQLITE_NULL:
                column.appendNull();
                break;
            case SQLITE_INTEGER:
            case SQLITE_FLOAT:
                column.appendNumber(sqlite3_value_double(value));
                break;
            default:
                column.appendTextOrDateTime(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                                            sqlite3_value_bytes(value));
                break;
            }
        }
        if (++batch->rows == QueryStream::kBatchRows) {
            std::unique_ptr<RowBatch> full =
                std::exchange(batch, RowBatch::following(batch.get(), static_cast<size_t>(fields)));
            if (!sink.take(std::move(full))) {
                return true;
            }
        }
    }
    if (!begun) {
        sink.begin(names, -1);
    }
    if (rc == SQLITE_INTERRUPT) {
        return true; // stopped
    }
    if (rc != SQLITE_DONE) {
        error = m_connection.describe(m_engine);
        return false;
    }
    if (batch->rows > 0) {
        sink.take(std::move(batch));
    }
    return true;
}

bool textIsUtf8(sqlite3* engine)
{
    sqlite3_stmt* pragma = nullptr;
    bool utf8 = false;
    if (sqlite3_prepare_v2(engine, "PRAGMA encoding", -1, &pragma, nullptr) == SQLITE_OK &&
        sqlite3_step(pragma) == SQLITE_ROW) {
        utf8 = qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(pragma, 0)), "UTF-8") == 0;
    }
    sqlite3_finalize(pragma);
    return utf8;
}

std::vector<TextOrder> SqliteRowReader::fieldOrders() const
{
    const bool utf8 = textIsUtf8(m_engine);
    std::vector<TextOrder> orders;
    for (int i = 0; i < sqlite3_column_count(m_statement); ++i) {
        const char* database = sqlite3_column_database_name(m_statement, i);
        const char* table = sqlite3_column_table_name(m_statement, i);
        const char* column = sqlite3_column_origin_name(m_statement, i);
        const char* collation = nullptr;
        if (!table || !column ||
            sqlite3_table_column_metadata(m_engine, database, table, column, nullptr, &collation, nullptr, nullptr,
                                          nullptr) != SQLITE_OK) {
            collation = nullptr;
        }
        orders.push_back(TextOrderOf(collation, utf8));
    }
    return orders;
}

} // namespace

std::unique_ptr<RowReader> MakeSqliteRowReader(const Connection& connection, const QString& engineSql, QString& error)
{
    sqlite3* engine = SqliteHandle(connection.database());
    if (!engine) {
        error = QStringLiteral("Operation is not allowed when the object is closed.");
        return nullptr;
    }
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = engineSql.toUtf8();
    if (sqlite3_prepare_v2(engine, text.constData(), static_cast<int>(text.size()), &statement, nullptr) != SQLITE_OK) {
        error = connection.describe(engine);
        sqlite3_finalize(statement);
        return nullptr;
    }
    return std::make_unique<SqliteRowReader>(connection, engine, statement);
}
