#include "Recordset.h"

#include "Connection.h"
#include "SqliteEngine.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <sqlite3.h>

namespace {

char16_t code(QChar c)
{
    return c.unicode();
}

char16_t code(char c)
{
    return static_cast<unsigned char>(c);
}

template <typename Ch> int digits(const Ch* p, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = code(p[i]);
        if (c < u'0' || c > u'9') {
            return -1;
        }
        value = value * 10 + (c - u'0');
    }
    return value;
}

bool isNumberType(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

// The parts of "YYYY-MM-DD HH:MM:SS" (or "YYYY-MM-DD", or with a 'T'): false when the text is
// not of that form or not a real date and time. No QDateTime is built: that costs a time-zone
// lookup per value.
template <typename Ch> bool isoParts(const Ch* p, qsizetype n, qint64& day, int& second)
{
    if (n != 10 && n != 19) {
        return false;
    }
    if (code(p[4]) != u'-' || code(p[7]) != u'-') {
        return false;
    }
    const int y = digits(p, 4);
    const int mo = digits(p + 5, 2);
    const int d = digits(p + 8, 2);
    int h = 0;
    int mi = 0;
    int s = 0;
    if (n == 19) {
        if ((code(p[10]) != u' ' && code(p[10]) != u'T') || code(p[13]) != u':' || code(p[16]) != u':') {
            return false;
        }
        h = digits(p + 11, 2);
        mi = digits(p + 14, 2);
        s = digits(p + 17, 2);
    }
    static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (y < 1 || mo < 1 || mo > 12 || d < 1 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59 ||
        d > kDaysInMonth[mo - 1] + (mo == 2 && leap ? 1 : 0)) {
        return false;
    }
    // The Julian day number of a Gregorian date, as QDate counts it, without building a QDate.
    const int a = (14 - mo) / 12;
    const qint64 yy = y + 4800 - a;
    const int mm = mo + 12 * a - 3;
    day = d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
    second = (h * 60 + mi) * 60 + s;
    return true;
}

bool isoParts(QStringView text, qint64& day, int& second)
{
    return isoParts(text.data(), text.size(), day, second);
}

// A date-time value as (Julian day, seconds of day); false when v holds none.
bool variantDateTimeParts(const QVariant& v, qint64& day, int& second)
{
    switch (v.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        day = dt.date().toJulianDay();
        second = dt.time().msecsSinceStartOfDay() / 1000;
        return dt.isValid();
    }
    case QMetaType::QDate:
        day = v.toDate().toJulianDay();
        second = 0;
        return v.toDate().isValid();
    case QMetaType::QString:
        return isoParts(*static_cast<const QString*>(v.constData()), day, second);
    default:
        return false;
    }
}

} // namespace

QDateTime WallClock(qint64 julianDay, int secondOfDay)
{
    return QDateTime(QDate::fromJulianDay(julianDay), QTime::fromMSecsSinceStartOfDay(secondOfDay * 1000), Qt::UTC);
}

QDateTime ParseIsoDateTime(const QString& text)
{
    qint64 day = 0;
    int second = 0;
    if (!isoParts(text, day, second)) {
        return {};
    }
    return WallClock(day, second);
}

// ---------------------------------------------------------------------------------------------

void Recordset::Column::appendNull()
{
    nulls.push_back(true);
    switch (kind) {
    case Kind::Number:
        numbers.push_back(0);
        break;
    case Kind::DateTime:
        days.push_back(0);
        seconds.push_back(0);
        break;
    case Kind::Text:
        texts.emplace_back();
        break;
    case Kind::Mixed:
        mixed.emplace_back();
        break;
    case Kind::Unknown:
        break; // placeholders are added once the kind is known
    }
}

bool Recordset::Column::settle(Kind wanted)
{
    if (kind == Kind::Unknown) {
        kind = wanted;
        const size_t leadingNulls = nulls.size();
        numbers.resize(kind == Kind::Number ? leadingNulls : 0);
        days.resize(kind == Kind::DateTime ? leadingNulls : 0);
        seconds.resize(kind == Kind::DateTime ? leadingNulls : 0);
        texts.resize(kind == Kind::Text ? leadingNulls : 0);
        mixed.resize(kind == Kind::Mixed ? leadingNulls : 0);
    } else if (kind != wanted && kind != Kind::Mixed) {
        demoteToMixed();
    }
    return kind == wanted;
}

void Recordset::Column::appendNumber(double value)
{
    if (settle(Kind::Number)) {
        numbers.push_back(value);
    } else {
        mixed.emplace_back(value);
    }
    nulls.push_back(false);
}

void Recordset::Column::appendDateTime(qint64 day, int second)
{
    if (settle(Kind::DateTime)) {
        days.push_back(day);
        seconds.push_back(second);
    } else {
        mixed.emplace_back(WallClock(day, second));
    }
    nulls.push_back(false);
}

void Recordset::Column::appendText(const QString& text)
{
    if (kind != Kind::Text) {
        // Text in a column of date-times is read as a date-time when it is one.
        qint64 day = 0;
        int second = 0;
        if (kind != Kind::Mixed && isoParts(text, day, second)) {
            appendDateTime(day, second);
            return;
        }
    }
    if (settle(Kind::Text)) {
        texts.push_back(text);
    } else {
        mixed.emplace_back(text);
    }
    nulls.push_back(false);
}

void Recordset::Column::appendText(const char* utf8, int size)
{
    constexpr qsizetype kMostShared = 64;
    if (!m_sharing) {
        appendText(QString::fromUtf8(utf8, size));
        return;
    }
    const auto found = m_shared.constFind(QByteArray::fromRawData(utf8, size));
    if (found != m_shared.cend()) {
        appendText(*found);
        return;
    }
    const QString text = QString::fromUtf8(utf8, size);
    if (m_shared.size() < kMostShared) {
        m_shared.insert(QByteArray(utf8, size), text);
    } else {
        m_sharing = false; // a column of mostly distinct values, such as serial numbers
        m_shared.clear();
    }
    appendText(text);
}

void Recordset::Column::append(const QVariant& v)
{
    qint64 day = 0;
    int second = 0;
    if (v.isNull()) {
        appendNull();
    } else if (isNumberType(v)) {
        appendNumber(v.toDouble());
    } else if (v.typeId() == QMetaType::QString) {
        appendText(*static_cast<const QString*>(v.constData()));
    } else if (variantDateTimeParts(v, day, second)) {
        appendDateTime(day, second);
    } else {
        settle(Kind::Mixed);
        mixed.push_back(v);
        nulls.push_back(false);
    }
}

void Recordset::Column::demoteToMixed()
{
    std::vector<QVariant> values;
    values.reserve(nulls.size());
    for (qint64 row = 0; row < static_cast<qint64>(nulls.size()); ++row) {
        values.push_back(at(row));
    }
    kind = Kind::Mixed;
    mixed = std::move(values);
    numbers.clear();
    days.clear();
    seconds.clear();
    texts.clear();
}

QVariant Recordset::Column::at(qint64 row) const
{
    if (row < 0 || row >= static_cast<qint64>(nulls.size()) || nulls[row]) {
        return {};
    }
    switch (kind) {
    case Kind::Number:
        return numbers[row];
    case Kind::DateTime:
        return WallClock(days[row], seconds[row]);
    case Kind::Text:
        return texts[row];
    case Kind::Mixed:
        return mixed[row];
    case Kind::Unknown:
        break;
    }
    return {};
}

// ---------------------------------------------------------------------------------------------

Recordset::Recordset() = default;

Recordset::~Recordset() = default;

bool Recordset::Open(Connection& connection, const SqlText& sql, Cursor cursor)
{
    Close();
    // A snapshot that a writer changed while it was read is read again.
    constexpr int kReadings = 3;
    for (int reading = 0; reading < kReadings; ++reading) {
        QString engineSql;
        if (!connection.prepare(sql, engineSql)) {
            m_lastError = connection.lastError();
            return false;
        }
        const QSqlDatabase db = connection.database();
        if (db.driverName() != QLatin1String("QSQLITE")) {
            return openQuery(connection, db, engineSql, cursor);
        }
        // The SQLite engines are local: every row is read here, forward-only or not, so that an
        // engine error (a damaged file) fails the open instead of ending the rows early.
        if (!fetchAllSQLite(connection, db, engineSql)) {
            return false;
        }
        if (connection.snapshotIntact()) {
            m_countKnown = cursor == Cursor::Client;
            return true;
        }
        Close();
    }
    m_lastError = QStringLiteral("The database file kept changing while it was read.");
    return false;
}

bool Recordset::openQuery(Connection& connection, const QSqlDatabase& db, const QString& engineSql, Cursor cursor)
{
    auto query = std::make_unique<QSqlQuery>(db);
    query->setForwardOnly(true);
    if (!query->exec(engineSql)) {
        m_lastError = connection.describe(query->lastError());
        return false;
    }
    const QSqlRecord record = query->record();
    for (int i = 0; i < record.count(); ++i) {
        m_names.append(record.fieldName(i));
    }
    m_open = true;
    if (cursor == Cursor::ForwardOnly) {
        m_stream = std::move(query);
        m_streamAtEnd = !m_stream->next();
        m_rowCount = -1;
        return true;
    }
    return fetchAll(*query);
}

bool Recordset::fetchAll(QSqlQuery& query)
{
    const int fields = static_cast<int>(m_names.size());
    m_columns.assign(fields, Column());
    while (query.next()) {
        for (int i = 0; i < fields; ++i) {
            m_columns[i].append(query.value(i));
        }
        ++m_rowCount;
    }
    if (query.lastError().isValid()) {
        m_lastError = query.lastError().text();
        Close();
        return false;
    }
    m_row = 0;
    return true;
}

// The SQLite engines are read through SQLite's own interface: values go straight from the
// engine into the typed columns, without a QVariant per value.
bool Recordset::fetchAllSQLite(const Connection& connection, const QSqlDatabase& db, const QString& sql)
{
    sqlite3* engine = SqliteHandle(db);
    if (!engine) {
        m_lastError = QStringLiteral("Operation is not allowed when the object is closed.");
        return false;
    }
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(engine, text.constData(), static_cast<int>(text.size()), &statement, nullptr) != SQLITE_OK) {
        m_lastError = connection.describe(engine);
        sqlite3_finalize(statement);
        return false;
    }
    const int fields = sqlite3_column_count(statement);
    for (int i = 0; i < fields; ++i) {
        m_names.append(QString::fromUtf8(sqlite3_column_name(statement, i)));
    }
    m_columns.assign(fields, Column());
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int i = 0; i < fields; ++i) {
            Column& column = m_columns[i];
            switch (sqlite3_column_type(statement, i)) {
            case SQLITE_NULL:
                column.appendNull();
                break;
            case SQLITE_INTEGER:
            case SQLITE_FLOAT:
                column.appendNumber(sqlite3_column_double(statement, i));
                break;
            default: {
                const auto* chars = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
                const int size = sqlite3_column_bytes(statement, i);
                qint64 day = 0;
                int second = 0;
                if (column.kind != Column::Kind::Text && isoParts(chars, size, day, second)) {
                    column.appendDateTime(day, second);
                } else {
                    column.appendText(chars, size);
                }
                break;
            }
            }
        }
        ++m_rowCount;
    }
    if (rc != SQLITE_DONE) {
        m_lastError = connection.describe(engine);
        sqlite3_finalize(statement);
        Close();
        return false;
    }
    sqlite3_finalize(statement);
    m_open = true;
    m_row = 0;
    return true;
}

void Recordset::Close()
{
    m_names.clear();
    m_columns.clear();
    m_stream.reset();
    m_streamAtEnd = true;
    m_rowCount = 0;
    m_row = 0;
    m_open = false;
    m_countKnown = true;
}

qint64 Recordset::RecordCount() const
{
    return m_stream || !m_countKnown ? -1 : m_rowCount;
}

bool Recordset::isEOF() const
{
    return m_stream ? m_streamAtEnd : m_row >= m_rowCount;
}

void Recordset::MoveNext()
{
    if (m_stream) {
        if (!m_streamAtEnd) {
            m_streamAtEnd = !m_stream->next();
        }
    } else if (m_row < m_rowCount) {
        ++m_row;
    }
}

void Recordset::MoveFirst()
{
    if (!m_stream) {
        m_row = 0;
    }
}

int Recordset::fieldIndex(const QString& alias) const
{
    for (int i = 0; i < m_names.size(); ++i) {
        if (m_names.at(i).compare(alias, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

QVariant Recordset::value(int field) const
{
    if (field < 0 || field >= m_names.size() || isEOF()) {
        return {};
    }
    return m_stream ? streamedValue(field) : m_columns[field].at(m_row);
}

QString Recordset::text(int field) const
{
    if (!m_stream && field >= 0 && field < m_names.size() && !isEOF()) {
        const Column& column = m_columns[field];
        if (column.kind == Column::Kind::Text) {
            return column.texts[static_cast<size_t>(m_row)];
        }
    }
    return value(field).toString();
}

bool Recordset::dateTimeParts(int field, qint64& day, int& second) const
{
    if (!m_stream && field >= 0 && field < m_names.size() && !isEOF()) {
        const Column& column = m_columns[field];
        if (column.kind == Column::Kind::DateTime) {
            const size_t row = static_cast<size_t>(m_row);
            day = column.days[row];
            second = column.seconds[row];
            return !column.nulls[row];
        }
    }
    return variantDateTimeParts(value(field), day, second);
}

QVariant Recordset::streamedValue(int field) const
{
    const QVariant v = m_stream->value(field);
    if (v.typeId() == QMetaType::QString) {
        const QDateTime dt = ParseIsoDateTime(v.toString());
        if (dt.isValid()) {
            return dt;
        }
    }
    return v.isNull() ? QVariant() : v;
}
