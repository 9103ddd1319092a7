#include "Connection.h"
#include "OdbcInfo.h"
#include "QueryStream.h"
#include "ReadOnlyTransaction.h"
#include "RowReader.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>
#include <sql.h>
#include <sqlext.h>

namespace {

// Rows fetched per call, and the most memory the fetch buffers of one block may take.
constexpr SQLULEN kMostBlockRows = 1024;
constexpr size_t kBlockBytes = 4 << 20;
// The bytes a text field's buffer holds; longer values are read whole one by one.
constexpr SQLULEN kMostTextBytes = 2048;

enum class FieldKind
{
    Number,
    DateTime,
    Text
};

FieldKind kindOf(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
    case SQL_BIGINT:
    case SQL_TINYINT:
        return FieldKind::Number;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TIMESTAMP:
    case SQL_DATE:
        return FieldKind::DateTime;
    default:
        return FieldKind::Text;
    }
}

// One bound field: a buffer of a whole block of values and their length indicators.
struct BoundField
{
    FieldKind kind = FieldKind::Text;
    SQLLEN width = 0; // bytes per value
    std::vector<char> buffer;
    std::vector<SQLLEN> indicators;
};

// What the reader must know of the driver and the DBMS behind a connection.
struct DriverTraits
{
    // The driver can position on a row of a block, to read a long text of it again. MariaDB's
    // driver (3.1) says it can, but its next fetch after that skips rows.
    bool positionsInBlocks = false;
    // A text never holds more characters than its column declares: true of servers, which keep
    // the declared types, not of SQLite, whose driver declares sizes its values need not keep.
    bool keepsDeclaredSizes = false;
    // Texts are read as UTF-8 rather than UTF-16: MariaDB's driver, converting a text longer than
    // its buffer to UTF-16, reads past a buffer of its own.
    bool utf8Texts = false;
};

QByteArray infoText(SQLHDBC connection, SQLUSMALLINT info)
{
    SQLCHAR text[256] = {};
    SQLSMALLINT length = 0;
    return SQL_SUCCEEDED(SQLGetInfo(connection, info, text, sizeof text, &length))
               ? QByteArray(reinterpret_cast<const char*>(text))
               : QByteArray();
}

DriverTraits traitsOf(SQLHDBC connection)
{
    SQLUINTEGER getData = 0;
    SQLUINTEGER cursor = 0;
    const bool mariaDb = infoText(connection, SQL_DRIVER_NAME).contains("maodbc");
    DriverTraits traits;
    traits.positionsInBlocks =
        SQL_SUCCEEDED(SQLGetInfo(connection, SQL_GETDATA_EXTENSIONS, &getData, sizeof getData, nullptr)) &&
        SQL_SUCCEEDED(SQLGetInfo(connection, SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1, &cursor, sizeof cursor, nullptr)) &&
        (getData & SQL_GD_BLOCK) != 0 && (cursor & SQL_CA1_POS_POSITION) != 0 && !mariaDb;
    traits.keepsDeclaredSizes = !infoText(connection, SQL_DBMS_NAME).contains("SQLite");
    traits.utf8Texts = mariaDb;
    return traits;
}

// A statement on an ODBC source, fetched in blocks of rows bound to arrays, so that a million
// rows cost a thousand calls into the driver rather than millions.
class OdbcRowReader : public RowReader
{
public:
    OdbcRowReader(SQLHDBC connection, QString sql, std::optional<QString> serverTransaction)
        : m_connection(connection), m_sql(std::move(sql)), m_serverTransaction(std::move(serverTransaction))
    {
    }
    ~OdbcRowReader() override { freeStatement(); }

    bool read(RowSink& sink, QString& error) override;
    void interrupt() override
    {
        const std::lock_guard lock(m_mutex);
        m_interrupted = true;
        if (m_statement) {
            SQLCancel(m_statement);
        }
    }

private:
    bool fail(QString& error)
    {
        const std::lock_guard lock(m_mutex);
        error = OdbcDiagnostics(SQL_HANDLE_STMT, m_statement);
        return m_interrupted; // a cancelled statement is no failure
    }
    void freeStatement()
    {
        const std::lock_guard lock(m_mutex);
        if (m_statement) {
            SQLFreeHandle(SQL_HANDLE_STMT, m_statement);
            m_statement = nullptr;
        }
    }
    bool bindFields(SQLSMALLINT fields, QStringList& names, std::vector<BoundField>& bound, SQLULEN& blockRows);
    bool appendValue(RecordColumn& column, const BoundField& field, SQLULEN row, SQLUSMALLINT number);
    template <typename Unit>
    bool appendText(RecordColumn& column, const BoundField& field, const char* value, SQLULEN row, SQLUSMALLINT number);
    template <typename Unit> bool readWhole(SQLULEN row, SQLUSMALLINT number, std::basic_string<Unit>& whole);

    SQLHDBC m_connection;
    QString m_sql;
    std::optional<QString> m_serverTransaction;
    std::mutex m_mutex;
    SQLHSTMT m_statement = nullptr;
    bool m_interrupted = false;
    SQLULEN m_blockRows = 1;
    DriverTraits m_traits;
};

bool OdbcRowReader::bindFields(SQLSMALLINT fields, QStringList& names, std::vector<BoundField>& bound,
                               SQLULEN& blockRows)
{
    size_t rowBytes = 0;
    bool longTexts = false; // a text may be longer than its buffer
    // A declared size counts characters; each may take two UTF-16 units or four UTF-8 bytes.
    const SQLULEN charBytes = m_traits.utf8Texts ? 4 : 2 * sizeof(SQLWCHAR);
    const SQLULEN unitBytes = m_traits.utf8Texts ? 1 : sizeof(SQLWCHAR);
    for (SQLUSMALLINT i = 1; i <= fields; ++i) {
        SQLWCHAR name[256];
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        if (!SQL_SUCCEEDED(SQLDescribeColW(m_statement, i, name, 256, &nameLength, &type, &size, &digits, &nullable))) {
            return false;
        }
        names.append(QString::fromUtf16(reinterpret_cast<const char16_t*>(name), std::min<int>(nameLength, 255)));
        BoundField& field = bound.emplace_back();
        field.kind = kindOf(type);
        switch (field.kind) {
        case FieldKind::Number:
            field.width = sizeof(double);
            break;
        case FieldKind::DateTime:
            field.width = sizeof(SQL_TIMESTAMP_STRUCT);
            break;
        case FieldKind::Text: {
            const SQLULEN bytes = size > 0 ? std::min(charBytes * size, kMostTextBytes) : kMostTextBytes;
            field.width = static_cast<SQLLEN>(bytes + unitBytes); // and the terminating zero
            longTexts = longTexts || !m_traits.keepsDeclaredSizes || size == 0 || charBytes * size > kMostTextBytes;
            break;
        }
        }
        rowBytes += static_cast<size_t>(field.width) + sizeof(SQLLEN);
    }
    // A text longer than its buffer is read whole from its row, which in a block of rows needs a
    // driver that can position on a row of the block (psqlODBC can, the SQLite driver cannot).
    // Without one, rows with a text that may be that long come one at a time.
    blockRows = longTexts && !m_traits.positionsInBlocks
                    ? 1
                    : std::clamp<SQLULEN>(kBlockBytes / std::max<size_t>(rowBytes, 1), 1, kMostBlockRows);
    SQLSetStmtAttr(m_statement, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0);
    if (!SQL_SUCCEEDED(
            SQLSetStmtAttr(m_statement, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(blockRows), 0))) {
        blockRows = 1; // a driver without block cursors
    }
    for (SQLUSMALLINT i = 1; i <= fields; ++i) {
        BoundField& field = bound[i - 1];
        field.buffer.resize(static_cast<size_t>(field.width) * blockRows);
        field.indicators.resize(blockRows);
        const SQLSMALLINT cType = field.kind == FieldKind::Number     ? SQL_C_DOUBLE
                                  : field.kind == FieldKind::DateTime ? SQL_C_TYPE_TIMESTAMP
                                  : m_traits.utf8Texts                ? SQL_C_CHAR
                                                                      : SQL_C_WCHAR;
        if (!SQL_SUCCEEDED(
                SQLBindCol(m_statement, i, cType, field.buffer.data(), field.width, field.indicators.data()))) {
            return false;
        }
    }
    return true;
}

bool OdbcRowReader::appendValue(RecordColumn& column, const BoundField& field, SQLULEN row, SQLUSMALLINT number)
{
    const SQLLEN indicator = field.indicators[row];
    if (indicator == SQL_NULL_DATA) {
        column.appendNull();
        return true;
    }
    const char* value = field.buffer.data() + static_cast<size_t>(field.width) * row;
    switch (field.kind) {
    case FieldKind::Number: {
        double number = 0;
        std::memcpy(&number, value, sizeof number);
        column.appendNumber(number);
        return true;
    }
    case FieldKind::DateTime: {
        SQL_TIMESTAMP_STRUCT t;
        std::memcpy(&t, value, sizeof t);
        column.appendDateTime(JulianDay(t.year, t.month, t.day), (t.hour * 60 + t.minute) * 60 + t.second);
        return true;
    }
    case FieldKind::Text:
        break;
    }
    return m_traits.utf8Texts ? appendText<char>(column, field, value, row, number)
                              : appendText<char16_t>(column, field, value, row, number);
}

// A text in UTF-8 (char) or UTF-16 (char16_t) units.
template <typename Unit>
bool OdbcRowReader::appendText(RecordColumn& column, const BoundField& field, const char* value, SQLULEN row,
                               SQLUSMALLINT number)
{
    const SQLLEN indicator = field.indicators[row];
    if (indicator != SQL_NO_TOTAL && indicator < field.width) {
        column.appendTextOrDateTime(reinterpret_cast<const Unit*>(value), static_cast<int>(indicator / sizeof(Unit)));
        return true;
    }
    std::basic_string<Unit> whole;
    if (!readWhole(row, number, whole)) {
        return false;
    }
    column.appendTextOrDateTime(whole.data(), static_cast<int>(whole.size()));
    return true;
}

// A text longer than its buffer, read again from its row in parts.
template <typename Unit> bool OdbcRowReader::readWhole(SQLULEN row, SQLUSMALLINT number, std::basic_string<Unit>& whole)
{
    if (m_blockRows > 1 &&
        !SQL_SUCCEEDED(SQLSetPos(m_statement, static_cast<SQLSETPOSIROW>(row + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE))) {
        return false;
    }
    Unit part[4096];
    SQLLEN length = 0;
    SQLRETURN rc = SQL_SUCCESS;
    const SQLSMALLINT cType = sizeof(Unit) == 1 ? SQL_C_CHAR : SQL_C_WCHAR;
    while (SQL_SUCCEEDED(rc = SQLGetData(m_statement, number, cType, part, sizeof part, &length))) {
        // Each part but the last fills the buffer up to its terminating zero.
        const bool last = rc == SQL_SUCCESS;
        const SQLLEN bytes = last ? length : SQLLEN(sizeof part - sizeof(Unit));
        whole.append(part, static_cast<size_t>(bytes) / sizeof(Unit));
        if (last) {
            return true;
        }
    }
    return rc == SQL_NO_DATA;
}

bool OdbcRowReader::read(RowSink& sink, QString& error)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_interrupted || !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_connection, &m_statement))) {
            error = m_interrupted ? QString() : OdbcDiagnostics(SQL_HANDLE_DBC, m_connection);
            return m_interrupted;
        }
    }
    std::optional<ReadOnlyTransaction> transaction;
    if (m_serverTransaction) {
        transaction.emplace(m_connection, *m_serverTransaction);
        if (!transaction->error().isEmpty()) {
            error = transaction->error();
            return false;
        }
    }
    SQLSetStmtAttr(m_statement, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(SQL_CURSOR_FORWARD_ONLY), 0);
    m_traits = traitsOf(m_connection);
    const std::u16string text = m_sql.toStdU16String();
    if (!SQL_SUCCEEDED(SQLExecDirectW(m_statement, reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(text.data())),
                                      static_cast<SQLINTEGER>(text.size())))) {
        return fail(error);
    }
    SQLSMALLINT fields = 0;
    SQLNumResultCols(m_statement, &fields);
    QStringList names;
    std::vector<BoundField> bound;
    if (!bindFields(fields, names, bound, m_blockRows)) {
        return fail(error);
    }
    const SQLULEN blockRows = m_blockRows;
    SQLULEN fetched = 0;
    std::vector<SQLUSMALLINT> status(blockRows);
    SQLSetStmtAttr(m_statement, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    SQLSetStmtAttr(m_statement, SQL_ATTR_ROW_STATUS_PTR, status.data(), 0);
    SQLLEN total = -1;
    SQLRowCount(m_statement, &total);
    sink.begin(names, total >= 0 ? total : -1);

    std::unique_ptr<RowBatch> batch = RowBatch::following(nullptr, bound.size());
    SQLRETURN rc = SQL_SUCCESS;
    while (SQL_SUCCEEDED(rc = SQLFetch(m_statement))) {
        for (SQLULEN row = 0; row < fetched; ++row) {
            if (status[row] == SQL_ROW_ERROR) {
                return fail(error);
            }
            for (size_t i = 0; i < bound.size(); ++i) {
                if (!appendValue(batch->columns[i], bound[i], row, static_cast<SQLUSMALLINT>(i + 1))) {
                    return fail(error);
                }
            }
            if (++batch->rows == QueryStream::kBatchRows) {
                if (!sink.take(std::exchange(batch, RowBatch::following(batch.get(), bound.size())))) {
                    return true;
                }
            }
        }
    }
    if (rc != SQL_NO_DATA) {
        return fail(error);
    }
    if (batch->rows > 0) {
        sink.take(std::move(batch));
    }
    return true;
}

} // namespace

std::unique_ptr<RowReader> MakeOdbcRowReader(const Connection& connection, const QString& engineSql, QString& error)
{
    void* handle = OdbcConnectionHandle(connection.database());
    if (!handle) {
        error = QStringLiteral("Operation is not allowed when the object is closed.");
        return nullptr;
    }
    return std::make_unique<OdbcRowReader>(static_cast<SQLHDBC>(handle), engineSql, connection.serverTransaction());
}
