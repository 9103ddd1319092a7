#include "FileImport.h"

#include "CsvImport.h"
#include "FileDamage.h"
#include "SerialDateTime.h"
#include "TableWriter.h"
#include "XlsxImport.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <freexl.h>
#include <glib.h> // before mdbtools.h, which includes it inside extern "C" where its C++ parts fail
#include <mdbtools.h>
#include <memory>
#include <vector>

namespace {

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
        return kTextColumn;
    case JetKind::Text:
        return kNoCaseTextColumn;
    case JetKind::Bound:
        return mdbType == MDB_MEMO ? kNoCaseTextColumn : kTextColumn;
    default:
        return kRealColumn;
    }
}

bool isBound(JetKind kind)
{
    return kind == JetKind::Boolean || kind == JetKind::Numeric || kind == JetKind::Bound;
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
        if (WriteIsoDateTime(mdb_get_double(row, at), c.buffer.data())) {
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
        return DamagedFileMessage(mdbPath, QStringLiteral("it ends within a page"));
    }

    MdbCatalogEntry* entry = findTable(mdb.get(), tableName);
    if (!entry && !catalogReadsWhole(mdb.get())) {
        return DamagedFileMessage(mdbPath, QStringLiteral("its list of tables cannot be read"));
    }
    const std::unique_ptr<MdbTableDef, TableDefFreer> table(entry ? mdb_read_table(entry) : nullptr);
    if (entry && (!table || !mdb_read_columns(table.get()))) {
        return DamagedFileMessage(mdbPath,
                                  QStringLiteral("the definition of table '%1' cannot be read").arg(tableName));
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
    // libmdb skips a page it cannot read with no more than a line on standard error: what was
    // read is checked against what the file says it holds.
    if (rows != table->num_rows) {
        return DamagedFileMessage(mdbPath, QStringLiteral("table '%1' holds %2 records, but %3 can be read")
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
        definitions.append({name, numeric[c] ? kRealColumn : kNoCaseTextColumn});
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

namespace {

const char* const kFormatNames[] = {"jet", "excel", "xlsx", "csv"};

} // namespace

QString ImportFormatName(ImportFormat format)
{
    return QLatin1String(kFormatNames[int(format)]);
}

bool ImportFormatNamed(const QString& name, ImportFormat& format)
{
    for (const ImportFormat f : {ImportFormat::Jet, ImportFormat::Excel, ImportFormat::Xlsx, ImportFormat::Csv}) {
        if (name == ImportFormatName(f)) {
            format = f;
            return true;
        }
    }
    return false;
}

QString ImportTable(ImportFormat format, const QString& file, const QString& table, QSqlDatabase& target,
                    const QString& targetName)
{
    switch (format) {
    case ImportFormat::Jet:
        return ImportMdbTable(file, table, target, targetName);
    case ImportFormat::Excel:
        return ImportXlsSheet(file, table, target, targetName);
    case ImportFormat::Xlsx:
        return ImportXlsxSheet(file, table, target, targetName);
    case ImportFormat::Csv:
        return ImportCsvLogs(file, target, targetName);
    }
    return {};
}
