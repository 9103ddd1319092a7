#include "RecordColumn.h"

namespace {

char16_t code(QChar c)
{
    return c.unicode();
}

char16_t code(char c)
{
    return static_cast<unsigned char>(c);
}

char16_t code(char16_t c)
{
    return c;
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

// The parts of "YYYY-MM-DD HH:MM:SS" (or "YYYY-MM-DD", or with a 'T') and which of those forms
// it is (RecordColumn::DateForm): false when the text is not of that form or not a real date and
// time. No QDateTime is built: that costs a time-zone lookup per value.
template <typename Ch> bool isoParts(const Ch* p, qsizetype n, qint64& day, int& second, quint8& form)
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
    form = RecordColumn::DateOnly;
    if (n == 19) {
        form = code(p[10]) == u'T' ? RecordColumn::TTime : RecordColumn::SpacedTime;
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
    day = JulianDay(y, mo, d);
    second = (h * 60 + mi) * 60 + s;
    return true;
}

bool isoParts(QStringView text, qint64& day, int& second)
{
    quint8 form = 0;
    return isoParts(text.data(), text.size(), day, second, form);
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

qint64 JulianDay(int year, int month, int day)
{
    const int a = (14 - month) / 12;
    const qint64 y = year + 4800 - a;
    const int m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

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

void RecordColumn::appendNull()
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
        textEnds.push_back(static_cast<quint32>(utf8.size()));
        break;
    case Kind::Mixed:
        mixed.emplace_back();
        break;
    case Kind::Unknown:
        break; // placeholders are added once the kind is known
    }
}

bool RecordColumn::settle(Kind wanted)
{
    if (kind == Kind::Unknown) {
        kind = wanted;
        const size_t leadingNulls = nulls.size();
        numbers.resize(kind == Kind::Number ? leadingNulls : 0);
        days.resize(kind == Kind::DateTime ? leadingNulls : 0);
        seconds.resize(kind == Kind::DateTime ? leadingNulls : 0);
        textEnds.resize(kind == Kind::Text ? leadingNulls : 0);
        mixed.resize(kind == Kind::Mixed ? leadingNulls : 0);
    } else if (kind != wanted && kind != Kind::Mixed) {
        demoteToMixed();
    }
    return kind == wanted;
}

void RecordColumn::appendNumber(double value)
{
    if (settle(Kind::Number)) {
        numbers.push_back(value);
    } else {
        mixed.emplace_back(value);
    }
    nulls.push_back(false);
}

void RecordColumn::appendDateTime(qint64 day, int second)
{
    if (settle(Kind::DateTime)) {
        days.push_back(day);
        seconds.push_back(second);
    } else {
        mixed.emplace_back(WallClock(day, second));
    }
    nulls.push_back(false);
}

void RecordColumn::appendPlainText(QByteArrayView utf8Text)
{
    if (settle(Kind::Text)) {
        utf8.append(utf8Text.data(), static_cast<size_t>(utf8Text.size()));
        textEnds.push_back(static_cast<quint32>(utf8.size()));
    } else {
        mixed.emplace_back(QString::fromUtf8(utf8Text));
    }
    nulls.push_back(false);
}

template <typename Unit> void RecordColumn::appendTextOrDateTime(const Unit* units, int size)
{
    qint64 day = 0;
    int second = 0;
    quint8 form = 0;
    if (kind != Kind::Text && kind != Kind::Mixed && isoParts(units, size, day, second, form)) {
        appendDateTime(day, second);
        dateForms |= form;
    } else if constexpr (sizeof(Unit) == 1) {
        appendPlainText(QByteArrayView(units, size));
    } else {
        appendPlainText(QStringView(units, size).toUtf8());
    }
}

template void RecordColumn::appendTextOrDateTime(const char*, int);
template void RecordColumn::appendTextOrDateTime(const char16_t*, int);

RecordColumn RecordColumn::following(const RecordColumn& previous)
{
    RecordColumn next;
    next.kind = previous.kind;
    return next;
}

void RecordColumn::reserve(qsizetype rows)
{
    nulls.reserve(rows);
    switch (kind) {
    case Kind::Number:
        numbers.reserve(rows);
        break;
    case Kind::DateTime:
        days.reserve(rows);
        seconds.reserve(rows);
        break;
    case Kind::Text:
        textEnds.reserve(rows);
        utf8.reserve(static_cast<size_t>(rows) * 8);
        break;
    case Kind::Mixed:
    case Kind::Unknown:
        break;
    }
}

void RecordColumn::demoteToMixed()
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
    utf8.clear();
    textEnds.clear();
}

QVariant RecordColumn::at(qint64 row) const
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
        return QString::fromUtf8(utf8Text(row));
    case Kind::Mixed:
        return mixed[row];
    case Kind::Unknown:
        break;
    }
    return {};
}

QString RecordColumn::text(qint64 row) const
{
    if (kind == Kind::Text && row >= 0 && row < size()) {
        return QString::fromUtf8(utf8Text(row));
    }
    return at(row).toString();
}

bool RecordColumn::dateTimeParts(qint64 row, qint64& day, int& second) const
{
    if (kind == Kind::DateTime && row >= 0 && row < size()) {
        const auto r = static_cast<size_t>(row);
        day = days[r];
        second = seconds[r];
        return !nulls[r];
    }
    return variantDateTimeParts(at(row), day, second);
}
