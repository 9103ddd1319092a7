#include "FileImport.h"

#include "SqliteEngine.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <freexl.h>
#include <glib.h> // before mdbtools.h, which includes it inside extern "C" where its C++ parts fail
#include <mdbtools.h>
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace {

// SQL declared types of the copies. Text compares without case as in Jet.
const QString kReal = QStringLiteral("REAL");
const QString kText = QStringLiteral("TEXT");
const QString kNoCaseText = QStringLiteral("TEXT COLLATE NOCASE");

QString quoted(QString identifier)
{
    return QLatin1Char('"') + identifier.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

struct TargetColumn
{
    QString name;
    QString type;
};

// Writes the rows of one new table in a single transaction with one prepared INSERT. The
// table replaces any table of that name; a failed or abandoned copy leaves no table behind.
// Rows go through SQLite's own interface on the handle of Qt's driver: binding the bytes the
// readers already hold costs a fraction of a QSqlQuery::exec per row.
class TableWriter
{
public:
    explicit TableWriter(QSqlDatabase& db) : db_(db), sqlite_(SqliteHandle(db)) {}
    TableWriter(const TableWriter&) = delete;
    TableWriter& operator=(const TableWriter&) = delete;
    ~TableWriter()
    {
        if (!committed_ && !table_.isEmpty()) {
            discard();
        }
        sqlite3_finalize(insert_);
    }

    // Returns "" or the database's description of the failure.
    QString create(const QString& table, const QList<TargetColumn>& columns)
    {
        if (!sqlite_) {
            return QStringLiteral("The target is not an open SQLite database.");
        }
        table_ = quoted(table);
        ownTransaction_ = db_.transaction(); // false when the caller already holds one
        QSqlQuery q(db_);
        if (!q.exec(QStringLiteral("DROP TABLE IF EXISTS ") + table_)) {
            return q.lastError().text();
        }
        QStringList definitions;
        QStringList marks;
        for (const TargetColumn& c : columns) {
            definitions << quoted(c.name) + QLatin1Char(' ') + c.type;
            marks << QStringLiteral("?");
        }
        if (!q.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(table_, definitions.join(QStringLiteral(", "))))) {
            return q.lastError().text();
        }
        const QByteArray insert =
            QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(table_, marks.join(QLatin1Char(','))).toUtf8();
        if (sqlite3_prepare_v2(sqlite_, insert.constData(), int(insert.size()), &insert_, nullptr) != SQLITE_OK) {
            return lastError();
        }
        return {};
    }

    // Columns count from 0. Text is UTF-8 and must stay in place until insertRow() returns.
    void bindNull(int column) { sqlite3_bind_null(insert_, column + 1); }
    void bindReal(int column, double value) { sqlite3_bind_double(insert_, column + 1, value); }
    void bindText(int column, const char* utf8, int length)
    {
        sqlite3_bind_text(insert_, column + 1, utf8, length, SQLITE_STATIC);
    }

    QString insertRow()
    {
        const int done = sqlite3_step(insert_);
        sqlite3_reset(insert_);
        return done == SQLITE_DONE ? QString() : lastError();
    }

    QString commit()
    {
        sqlite3_finalize(insert_);
        insert_ = nullptr;
        if (ownTransaction_ && !db_.commit()) {
            return db_.lastError().text();
        }
        committed_ = true;
        return {};
    }

private:
    QString lastError() const { return QString::fromUtf8(sqlite3_errmsg(sqlite_)); }

    void discard()
    {
        sqlite3_finalize(insert_);
        insert_ = nullptr;
        if (ownTransaction_) {
            db_.rollback();
        }
        // Rolling back undoes nothing when the caller runs without a journal.
        QSqlQuery(db_).exec(QStringLiteral("DROP TABLE IF EXISTS ") + table_);
    }

    QSqlDatabase& db_;
    sqlite3* sqlite_;
    sqlite3_stmt* insert_ = nullptr;
    QString table_;
    bool ownTransaction_ = false;
    bool committed_ = false;
};

// ---- Jet ------------------------------------------------------------------------------------

struct MdbCloser
{
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct TableDefFreer
{
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

// How one Jet column is read. Numbers, dates and short text are decoded from the row's bytes:
// exact (libmdb's text for a Double keeps 16 digits), independent of the C library's locale, and
// without the buffer libmdb allocates for every value it turns into text. The rest is bound and
// taken as the UTF-8 text libmdb produces.
enum class JetKind
{
    Byte,
    Int16,
    Int32,
    Single,
    Double,
    Money,   // 64-bit integer in units of 1/10000
    Date,    // Double: days since 1899-12-30, the fraction is the time of day
    Text,    // up to 255 characters, UCS-2 (Jet 4 may compress it)
    Boolean, // bound as "1"/"0"; Jet's True is -1
    Numeric, // decimal: bound text with '.' as the decimal point
    Bound,   // memo, GUID, ...: bound UTF-8 text
    Skip,    // long binary (OLE object): not copied, always Null
};

struct JetColumn
{
    MdbColumn* source = nullptr;
    JetKind kind = JetKind::Text;
    std::vector<char> buffer; // bound value or decoded text
    int length = 0;           // bytes libmdb wrote to a bound buffer; 0 for Null
};

JetKind kindOf(int mdbType)
{
    switch (mdbType) {
    case MDB_BOOL:
        return JetKind::Boolean;
    case MDB_BYTE:
        return JetKind::Byte;
    case MDB_INT:
        return JetKind::Int16;
    case MDB_LONGINT:
        return JetKind::Int32;
    case MDB_FLOAT:
        return JetKind::Single;
    case MDB_DOUBLE:
        return JetKind::Double;
    case MDB_MONEY:
        return JetKind::Money;
    case MDB_NUMERIC:
        return JetKind::Numeric;
    case MDB_DATETIME:
        return JetKind::Date;
    case MDB_TEXT:
        return JetKind::Text;
    case MDB_OLE:
        return JetKind::Skip;
    default:
        return JetKind::Bound;
    }
}

QString declaredType(JetKind kind, int mdbType)
{
    switch (kind) {
    case JetKind::Date:
    case JetKind::Skip:
        return kText;
    case JetKind::Text:
        return kNoCaseText;
    case JetKind::Bound:
        return mdbType == MDB_MEMO ? kNoCaseText : kText;
    default:
        return kReal;
    }
}

bool isBound(JetKind kind)
{
    return kind == JetKind::Boolean || kind == JetKind::Numeric || kind == JetKind::Bound;
}

char* writeDigits(char* out, int value, int width)
{
    for (int d = width - 1; d >= 0; --d, value /= 10) {
        out[d] = char('0' + value % 10);
    }
    return out + width;
}

// Writes a Jet date-time as 'YYYY-MM-DD HH:MM:SS' (19 characters) to out, rounded to the
// second; false for a value outside Jet's years 100 to 9999. Before 1899-12-30 the whole part
// counts days back while the fraction still runs forward from midnight: -1.25 is
// 1899-12-29 06:00:00.
bool writeIsoDateTime(double serial, char* out)
{
    double whole = 0;
    const double fraction = std::modf(serial, &whole);
    if (!std::isfinite(serial) || whole < -657434 || whole > 2958465) {
        return false;
    }
    qint64 day = qint64(whole);
    qint64 seconds = std::llround(std::fabs(fraction) * 86400.0);
    if (seconds >= 86400) { // rounded up to the next midnight
        seconds -= 86400;
        day += 1;
    }
    const QDate date = QDate(1899, 12, 30).addDays(day);
    char* p = writeDigits(out, date.year(), 4);
    *p++ = '-';
    p = writeDigits(p, date.month(), 2);
    *p++ = '-';
    p = writeDigits(p, date.day(), 2);
    *p++ = ' ';
    p = writeDigits(p, int(seconds / 3600), 2);
    *p++ = ':';
    p = writeDigits(p, int(seconds / 60 % 60), 2);
    *p++ = ':';
    writeDigits(p, int(seconds % 60), 2);
    return true;
}

// Binds the value of column c of the row libmdb has just fetched; the row's bytes are in
// mdb->pg_buf, bound columns hold libmdb's text.
void bindJetValue(TableWriter& writer, int i, MdbHandle* mdb, JetColumn& c)
{
    if (isBound(c.kind)) {
        // libmdb reports a Null and a zero-length string alike, as an empty value.
        if (c.length <= 0) {
            writer.bindNull(i);
            return;
        }
        if (c.kind == JetKind::Boolean) {
            writer.bindReal(i, c.buffer[0] == '1' ? -1.0 : 0.0);
        } else if (c.kind == JetKind::Numeric) {
            // libmdb writes decimals in C notation whatever the locale.
            double value = 0;
            const char* end = c.buffer.data() + c.length;
            const auto parsed = std::from_chars(c.buffer.data(), end, value);
            if (parsed.ec == std::errc() && parsed.ptr == end) {
                writer.bindReal(i, value);
            } else {
                writer.bindNull(i);
            }
        } else {
            writer.bindText(i, c.buffer.data(), c.length);
        }
        return;
    }
    if (c.kind == JetKind::Skip || c.source->cur_value_len <= 0) {
        writer.bindNull(i);
        return;
    }
    unsigned char* row = mdb->pg_buf;
    const int at = c.source->cur_value_start;
    switch (c.kind) {
    case JetKind::Byte:
        writer.bindReal(i, mdb_get_byte(row, at));
        break;
    case JetKind::Int16:
        writer.bindReal(i, qint16(mdb_get_int16(row, at)));
        break;
    case JetKind::Int32:
        writer.bindReal(i, qint32(mdb_get_int32(row, at)));
        break;
    case JetKind::Single:
        writer.bindReal(i, mdb_get_single(row, at));
        break;
    case JetKind::Double:
        writer.bindReal(i, mdb_get_double(row, at));
        break;
    case JetKind::Date:
        if (writeIsoDateTime(mdb_get_double(row, at), c.buffer.data())) {
            writer.bindText(i, c.buffer.data(), 19);
        } else {
            writer.bindNull(i);
        }
        break;
    case JetKind::Text: {
        const int length = mdb_unicode2ascii(mdb, reinterpret_cast<char*>(row) + at, size_t(c.source->cur_value_len),
                                             c.buffer.data(), c.buffer.size() - 1);
        writer.bindText(i, c.buffer.data(), length);
        break;
    }
    case JetKind::Money: {
        quint64 bits = 0; // little-endian two's complement
        for (int b = 7; b >= 0; --b) {
            bits = bits << 8 | row[at + b];
        }
        writer.bindReal(i, double(qint64(bits)) / 10000.0);
        break;
    }
    default:
        writer.bindNull(i);
        break;
    }
}

// The description of a Jet file that cannot be read whole. libmdb skips a page it cannot read
// with no more than a line on standard error, so the importer checks what it got against what
// the file says it holds.
QString damaged(const QString& path, const QString& what)
{
    return QStringLiteral("File '%1' is damaged: %2").arg(path, what);
}

// Whether the catalog, the table MSysObjects on page 2 that lists every table, reads whole: as
// many rows as its definition counts.
bool catalogReadsWhole(MdbHandle* mdb)
{
    MdbCatalogEntry entry{};
    entry.mdb = mdb;
    entry.object_type = MDB_TABLE;
    entry.table_pg = 2;
    std::strcpy(entry.object_name, "MSysObjects");
    const std::unique_ptr<MdbTableDef, TableDefFreer> table(mdb_read_table(&entry));
    if (!table || !mdb_read_columns(table.get())) {
        return false;
    }
    mdb_rewind_table(table.get());
    guint rows = 0;
    while (mdb_fetch_row(table.get())) {
        ++rows;
    }
    return rows == table->num_rows;
}

MdbCatalogEntry* findTable(MdbHandle* mdb, const QString& name)
{
    if (!mdb_read_catalog(mdb, MDB_TABLE)) {
        return nullptr;
    }
    for (guint i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE &&
            QString::fromUtf8(entry->object_name).compare(name, Qt::CaseInsensitive) == 0) {
            return entry;
        }
    }
    return nullptr;
}

// ---- Excel ----------------------------------------------------------------------------------

struct XlsCloser
{
    void operator()(const void* handle) const { freexl_close(handle); }
};

bool isNumber(const FreeXL_CellValue& v)
{
    return v.type == FREEXL_CELL_INT || v.type == FREEXL_CELL_DOUBLE;
}

bool isNull(const FreeXL_CellValue& v)
{
    const bool text = v.type == FREEXL_CELL_TEXT || v.type == FREEXL_CELL_SST_TEXT;
    return v.type == FREEXL_CELL_NULL || (text && (!v.value.text_value || !*v.value.text_value));
}

double numberOf(const FreeXL_CellValue& v)
{
    return v.type == FREEXL_CELL_INT ? double(v.value.int_value) : v.value.double_value;
}

// A cell as text: numbers in their shortest exact form, dates and times as full ISO date-times
// ('YYYY-MM-DD' gets midnight, 'HH:MM:SS' gets day zero 1899-12-30 as in Jet).
QString cellText(const FreeXL_CellValue& v)
{
    switch (v.type) {
    case FREEXL_CELL_INT:
    case FREEXL_CELL_DOUBLE: {
        char digits[32];
        const auto result = std::to_chars(digits, digits + sizeof digits, numberOf(v));
        return QString::fromLatin1(digits, int(result.ptr - digits));
    }
    case FREEXL_CELL_DATE:
        return QString::fromLatin1(v.value.text_value) + QStringLiteral(" 00:00:00");
    case FREEXL_CELL_TIME:
        return QStringLiteral("1899-12-30 ") + QString::fromLatin1(v.value.text_value);
    default:
        return QString::fromUtf8(v.value.text_value);
    }
}

} // namespace

QString ImportMdbTable(const QString& mdbPath, const QString& tableName, QSqlDatabase& target,
                       const QString& targetName)
{
    const std::unique_ptr<MdbHandle, MdbCloser> mdb(mdb_open(QFile::encodeName(mdbPath).constData(), MDB_NOFLAGS));
    if (!mdb) {
        return QStringLiteral("Unrecognized database format '%1'.").arg(mdbPath);
    }
    mdb_set_boolean_fmt_numbers(mdb.get());
    // A Jet file is made of whole pages; an interrupted copy ends within one.
    if (QFileInfo(mdbPath).size() % mdb->fmt->pg_size != 0) {
        return damaged(mdbPath, QStringLiteral("it ends within a page"));
    }

    MdbCatalogEntry* entry = findTable(mdb.get(), tableName);
    if (!entry && !catalogReadsWhole(mdb.get())) {
        return damaged(mdbPath, QStringLiteral("its list of tables cannot be read"));
    }
    const std::unique_ptr<MdbTableDef, TableDefFreer> table(entry ? mdb_read_table(entry) : nullptr);
    if (entry && (!table || !mdb_read_columns(table.get()))) {
        return damaged(mdbPath, QStringLiteral("the definition of table '%1' cannot be read").arg(tableName));
    }
    if (!table) {
        return QStringLiteral("The Microsoft Jet database engine cannot find the input table or query '%1'.  Make "
                              "sure it exists and that its name is spelled correctly.")
            .arg(tableName);
    }

    std::vector<JetColumn> columns(table->num_cols);
    QList<TargetColumn> definitions;
    for (guint i = 0; i < table->num_cols; ++i) {
        JetColumn& c = columns[i];
        c.source = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        c.kind = kindOf(c.source->col_type);
        c.buffer.assign(mdb->bind_size, '\0');
        if (isBound(c.kind)) {
            mdb_bind_column(table.get(), int(i) + 1, c.buffer.data(), &c.length);
        }
        definitions.append({QString::fromUtf8(c.source->name), declaredType(c.kind, c.source->col_type)});
    }

    TableWriter writer(target);
    QString error = writer.create(targetName, definitions);
    if (!error.isEmpty()) {
        return error;
    }
    mdb_rewind_table(table.get());
    guint rows = 0;
    for (; mdb_fetch_row(table.get()); ++rows) {
        for (int i = 0; i < int(columns.size()); ++i) {
            bindJetValue(writer, i, mdb.get(), columns[i]);
        }
        error = writer.insertRow();
        if (!error.isEmpty()) {
            return error;
        }
    }
    if (rows != table->num_rows) {
        return damaged(mdbPath, QStringLiteral("table '%1' holds %2 records, but %3 can be read")
                                    .arg(tableName)
                                    .arg(table->num_rows)
                                    .arg(rows));
    }
    return writer.commit();
}

QString ImportXlsSheet(const QString& xlsPath, const QString& sheetName, QSqlDatabase& target,
                       const QString& targetName)
{
    const QString notExcel = QStringLiteral("External table is not in the expected format.");
    const void* raw = nullptr;
    const int opened = freexl_open(QFile::encodeName(xlsPath).constData(), &raw);
    const std::unique_ptr<const void, XlsCloser> xls(raw);
    unsigned int sheetCount = 0;
    if (opened != FREEXL_OK || freexl_get_info(raw, FREEXL_BIFF_SHEET_COUNT, &sheetCount) != FREEXL_OK) {
        return notExcel;
    }
    bool found = false;
    for (unsigned int s = 0; s < sheetCount && !found; ++s) {
        const char* name = nullptr;
        found = freexl_get_worksheet_name(raw, static_cast<unsigned short>(s), &name) == FREEXL_OK && name &&
                QString::fromUtf8(name).compare(sheetName, Qt::CaseInsensitive) == 0 &&
                freexl_select_active_worksheet(raw, static_cast<unsigned short>(s)) == FREEXL_OK;
    }
    if (!found) {
        return QStringLiteral("'%1$' is not a valid name.  Make sure that it does not include invalid characters or "
                              "punctuation and that it is not too long.")
            .arg(sheetName);
    }
    unsigned int rows = 0;
    unsigned short columnCount = 0;
    if (freexl_worksheet_dimensions(raw, &rows, &columnCount) != FREEXL_OK) {
        return notExcel;
    }
    const auto cell = [raw](unsigned int row, unsigned short column) {
        FreeXL_CellValue v;
        if (freexl_get_cell_value(raw, row, column, &v) != FREEXL_OK) {
            v.type = FREEXL_CELL_NULL;
        }
        return v;
    };

    // Names from the first row; a blank or repeated name becomes F<n> as in Jet. A column is
    // REAL when it holds numbers only; a column with text, dates or no values at all is text.
    QList<TargetColumn> definitions;
    std::vector<bool> numeric(columnCount, true);
    for (unsigned short c = 0; c < columnCount; ++c) {
        const FreeXL_CellValue head = cell(0, c);
        QString name = isNull(head) ? QString() : cellText(head);
        const bool repeated = std::any_of(definitions.cbegin(), definitions.cend(), [&](const TargetColumn& d) {
            return d.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (name.isEmpty() || repeated) {
            name = QStringLiteral("F%1").arg(c + 1);
        }
        bool any = false;
        for (unsigned int r = 1; r < rows && numeric[c]; ++r) {
            const FreeXL_CellValue v = cell(r, c);
            if (!isNull(v)) {
                any = true;
                numeric[c] = isNumber(v);
            }
        }
        numeric[c] = numeric[c] && any;
        definitions.append({name, numeric[c] ? kReal : kNoCaseText});
    }

    TableWriter writer(target);
    QString error = writer.create(targetName, definitions);
    if (!error.isEmpty()) {
        return error;
    }
    std::vector<QByteArray> converted(columnCount); // text made here, kept until the row is written
    for (unsigned int r = 1; r < rows; ++r) {
        bool blankRow = true;
        for (unsigned short c = 0; c < columnCount; ++c) {
            const FreeXL_CellValue v = cell(r, c);
            if (isNull(v)) {
                writer.bindNull(c);
            } else if (numeric[c]) {
                writer.bindReal(c, numberOf(v));
            } else if (v.type == FREEXL_CELL_TEXT || v.type == FREEXL_CELL_SST_TEXT) {
                writer.bindText(c, v.value.text_value, -1); // owned by FreeXL until it is closed
            } else {
                converted[c] = cellText(v).toUtf8();
                writer.bindText(c, converted[c].constData(), int(converted[c].size()));
            }
            blankRow = blankRow && isNull(v);
        }
        // Rows inside the sheet's range without any value (formatted only) are not records.
        if (!blankRow) {
            error = writer.insertRow();
            if (!error.isEmpty()) {
                return error;
            }
        }
    }
    return writer.commit();
}
