#include "Formats.h"

#include <QHash>
#include <QList>
#include <QTime>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace {

// A finite decimal number: 0.digits x 10^point. digits holds no leading or trailing zeros and
// is empty for zero.
struct Decimal
{
    bool negative = false;
    std::string digits;
    int point = 0;

    bool isZero() const { return digits.empty(); }
};

// significantDigits == 0 takes the shortest text that reads back as the same double, which is
// what the user typed when the value came from text; otherwise the value correctly rounded to
// that many significant digits.
Decimal toDecimal(double value, int significantDigits)
{
    char buffer[64];
    const double magnitude = std::fabs(value);
    const std::to_chars_result printed =
        significantDigits > 0 ? std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific,
                                              significantDigits - 1)
                              : std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
    const std::string text(buffer, printed.ptr);

    // "d.ddde+XX" or "de-XX".
    const std::size_t e = text.find('e');
    Decimal d;
    d.negative = std::signbit(value);
    for (std::size_t i = 0; i < e; ++i) {
        if (text[i] != '.') {
            d.digits += text[i];
        }
    }
    d.point = std::stoi(text.substr(e + 1)) + 1;
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
    }
    if (d.digits.empty()) {
        d.point = 0;
    }
    return d;
}

enum class Ties
{
    AwayFromZero,
    ToEven
};

void roundToDecimals(Decimal& d, int decimals, Ties ties)
{
    const int keep = d.point + decimals;
    if (keep >= static_cast<int>(d.digits.size())) {
        return;
    }
    if (keep < 0) {
        // Below half a unit of the last kept place.
        d.digits.clear();
        d.point = 0;
        return;
    }
    std::string kept = d.digits.substr(0, static_cast<std::size_t>(keep));
    const char first = d.digits[static_cast<std::size_t>(keep)];
    // Trailing zeros are never stored, so anything after the first dropped digit is above zero.
    const bool aboveHalf = first > '5' || (first == '5' && d.digits.size() > static_cast<std::size_t>(keep) + 1);
    const bool exactHalf = first == '5' && !aboveHalf;
    const bool keptIsOdd = !kept.empty() && (kept.back() - '0') % 2 == 1;
    const bool up = aboveHalf || (exactHalf && (ties == Ties::AwayFromZero || keptIsOdd));
    if (up) {
        std::size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9') {
            kept[--i] = '0';
        }
        if (i == 0) {
            kept.insert(kept.begin(), '1');
            ++d.point;
        } else {
            ++kept[i - 1];
        }
    }
    while (!kept.empty() && kept.back() == '0') {
        kept.pop_back();
    }
    d.digits = kept;
    if (d.digits.empty()) {
        d.point = 0;
    }
}

// The digit at a position counted from the decimal point: 0 is the first decimal, -1 the units.
char digitAt(const Decimal& d, int place)
{
    const int index = d.point + place;
    return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(index)] : '0';
}

struct NumberPattern
{
    int minIntegerDigits = 0;
    int minDecimals = 0;
    int maxDecimals = 0;
    bool grouped = false;
    bool hasPoint = false;
};

NumberPattern parseNumberPattern(const QString& pattern)
{
    NumberPattern p;
    bool seenZero = false;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('.')) {
            p.hasPoint = true;
        } else if (c == QLatin1Char(',')) {
            p.grouped = p.grouped || !p.hasPoint;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (p.hasPoint) {
                ++p.maxDecimals;
                if (c == QLatin1Char('0')) {
                    p.minDecimals = p.maxDecimals;
                }
            } else {
                seenZero = seenZero || c == QLatin1Char('0');
                if (seenZero) {
                    ++p.minIntegerDigits;
                }
            }
        }
    }
    return p;
}

} // namespace

// The value is first taken to 15 significant digits, the precision the original platform
// formats doubles with, and then rounded half away from zero to the shown decimals. So a
// computed 2.6749999999999994 and the literal 2.675 (really 2.67499999999999982...) both show
// as "2.68" with "0.00", as they did there.
QString FormatNumber(double value, const QString& pattern, const QLocale& locale)
{
    if (!std::isfinite(value)) {
        return locale.toString(value);
    }
    if (pattern.isEmpty()) {
        return NumberText(value, locale);
    }
    const NumberPattern p = parseNumberPattern(pattern);
    Decimal d = toDecimal(value, 15);
    roundToDecimals(d, p.maxDecimals, Ties::AwayFromZero);

    QString integer;
    const int integerDigits = std::max(d.point, p.minIntegerDigits);
    for (int place = -integerDigits; place < 0; ++place) {
        integer += QLatin1Char(digitAt(d, place));
    }
    if (p.grouped) {
        const QString separator = locale.groupSeparator();
        for (qsizetype at = integer.size() - 3; at > 0; at -= 3) {
            integer.insert(at, separator);
        }
    }

    QString decimals;
    for (int place = 0; place < p.maxDecimals; ++place) {
        decimals += QLatin1Char(digitAt(d, place));
    }
    while (decimals.size() > p.minDecimals && decimals.endsWith(QLatin1Char('0'))) {
        decimals.chop(1);
    }

    QString out;
    if (d.negative && !d.isZero()) {
        out += QLatin1Char('-');
    }
    out += integer;
    if (p.hasPoint) {
        out += locale.decimalPoint() + decimals;
    }
    return out;
}

namespace {

enum class DateField
{
    Literal,
    Day,
    Month,
    Minute,
    Year,
    Hour,
    Second,
    AmPm
};

struct DateToken
{
    DateField field = DateField::Literal;
    int width = 0;  // how many pattern letters: "dd" is 2, "mmm" is 3
    QString text;   // the literal text
    QString am, pm; // for AmPm, as written in the pattern
};

QList<DateToken> tokenizeDatePattern(const QString& pattern)
{
    QList<DateToken> tokens;
    auto literal = [&tokens](const QString& text) {
        if (!tokens.isEmpty() && tokens.last().field == DateField::Literal) {
            tokens.last().text += text;
        } else {
            tokens.append({DateField::Literal, 0, text, {}, {}});
        }
    };
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = pattern.at(i);
        const QChar lower = c.toLower();
        if (c == QLatin1Char('"')) {
            const qsizetype close = pattern.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? n : close;
            literal(pattern.mid(i + 1, end - i - 1));
            i = end + 1;
        } else if (c == QLatin1Char('\\') && i + 1 < n) {
            literal(pattern.mid(i + 1, 1));
            i += 2;
        } else if (pattern.mid(i, 5).compare(QLatin1String("am/pm"), Qt::CaseInsensitive) == 0) {
            tokens.append({DateField::AmPm, 5, {}, pattern.mid(i, 2), pattern.mid(i + 3, 2)});
            i += 5;
        } else if (pattern.mid(i, 3).compare(QLatin1String("a/p"), Qt::CaseInsensitive) == 0) {
            tokens.append({DateField::AmPm, 3, {}, pattern.mid(i, 1), pattern.mid(i + 2, 1)});
            i += 3;
        } else if (QStringLiteral("dmyhns").contains(lower)) {
            qsizetype run = 1;
            while (i + run < n && pattern.at(i + run).toLower() == lower) {
                ++run;
            }
            // Longer runs split into the widest tokens first: "yyy" is "yy" then "y".
            int width = 0;
            DateField field = DateField::Literal;
            switch (lower.unicode()) {
            case 'd':
                field = DateField::Day;
                width = static_cast<int>(std::min<qsizetype>(run, 4));
                break;
            case 'm':
                field = DateField::Month;
                width = static_cast<int>(std::min<qsizetype>(run, 4));
                break;
            case 'y':
                field = DateField::Year;
                width = run >= 4 ? 4 : run >= 2 ? 2 : 1;
                break;
            case 'h':
                field = DateField::Hour;
                width = static_cast<int>(std::min<qsizetype>(run, 2));
                break;
            case 'n':
                field = DateField::Minute;
                width = static_cast<int>(std::min<qsizetype>(run, 2));
                break;
            default:
                field = DateField::Second;
                width = static_cast<int>(std::min<qsizetype>(run, 2));
                break;
            }
            tokens.append({field, width, {}, {}, {}});
            i += width;
        } else {
            literal(QString(c));
            ++i;
        }
    }

    // "m" and "mm" are minutes right after an hour or right before seconds, separators aside.
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        DateToken& t = tokens[i];
        if (t.field != DateField::Month || t.width > 2) {
            continue;
        }
        qsizetype before = i - 1;
        while (before >= 0 && tokens.at(before).field == DateField::Literal) {
            --before;
        }
        qsizetype after = i + 1;
        while (after < tokens.size() && tokens.at(after).field == DateField::Literal) {
            ++after;
        }
        if ((before >= 0 && tokens.at(before).field == DateField::Hour) ||
            (after < tokens.size() && tokens.at(after).field == DateField::Second)) {
            t.field = DateField::Minute;
        }
    }
    return tokens;
}

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString numberOfWidth(int value, int width)
{
    return width >= 2 ? twoDigits(value) : QString::number(value);
}

// The program uses a handful of patterns, often once per record: each is read once per thread.
const QList<DateToken>& cachedDatePattern(const QString& pattern)
{
    thread_local QHash<QString, QList<DateToken>> parsed;
    auto found = parsed.find(pattern);
    if (found == parsed.end()) {
        found = parsed.insert(pattern, tokenizeDatePattern(pattern));
    }
    return *found;
}

QString formatDateTime(const QDate& date, const QTime& time, const QString& pattern, const QLocale& locale)
{
    if (!date.isValid()) {
        return {};
    }
    if (pattern.compare(QLatin1String("Short Date"), Qt::CaseInsensitive) == 0) {
        return ShortDateText(date, locale);
    }
    const QList<DateToken>& tokens = cachedDatePattern(pattern);
    const bool twelveHour =
        std::any_of(tokens.begin(), tokens.end(), [](const DateToken& t) { return t.field == DateField::AmPm; });
    const int hour = time.isValid() ? time.hour() : 0;
    QString out;
    for (const DateToken& t : tokens) {
        switch (t.field) {
        case DateField::Literal:
            out += t.text;
            break;
        case DateField::Day:
            if (t.width <= 2) {
                out += numberOfWidth(date.day(), t.width);
            } else {
                out += locale.dayName(date.dayOfWeek(), t.width == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            }
            break;
        case DateField::Month:
            if (t.width <= 2) {
                out += numberOfWidth(date.month(), t.width);
            } else {
                out += locale.monthName(date.month(), t.width == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
            }
            break;
        case DateField::Year:
            out += t.width == 1   ? QString::number(date.dayOfYear())
                   : t.width == 2 ? twoDigits(((date.year() % 100) + 100) % 100)
                                  : QString::number(date.year());
            break;
        case DateField::Hour:
            out += numberOfWidth(twelveHour ? (hour % 12 == 0 ? 12 : hour % 12) : hour, t.width);
            break;
        case DateField::Minute:
            out += numberOfWidth(time.isValid() ? time.minute() : 0, t.width);
            break;
        case DateField::Second:
            out += numberOfWidth(time.isValid() ? time.second() : 0, t.width);
            break;
        case DateField::AmPm:
            out += hour < 12 ? t.am : t.pm;
            break;
        }
    }
    return out;
}

// The locale's short date format split into fields and literal text. Qt formats quote literal
// text in single quotes ("d.MM.yy 'г'."), with '' for a quote itself.
struct ShortFormat
{
    enum Kind
    {
        Literal,
        Day,
        Month,
        Year,
        Other
    };
    struct Part
    {
        Kind kind;
        QString text; // the literal text, or the format letters
    };
    QList<Part> parts;
    QString writeFormat; // the locale's format with a four-digit year
    bool parsable = true;
};

ShortFormat shortFormat(const QLocale& locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    ShortFormat f;
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            QString text;
            qsizetype j = i + 1;
            for (; j < n; ++j) {
                if (format.at(j) == QLatin1Char('\'')) {
                    if (j + 1 < n && format.at(j + 1) == QLatin1Char('\'')) {
                        text += QLatin1Char('\'');
                        ++j;
                        continue;
                    }
                    break;
                }
                text += format.at(j);
            }
            f.parts.append({ShortFormat::Literal, text});
            f.writeFormat += format.mid(i, j + 1 - i);
            i = j + 1;
        } else if (c.isLetter() && c.unicode() < 128) {
            qsizetype run = 1;
            while (i + run < n && format.at(i + run) == c) {
                ++run;
            }
            const QString letters = format.mid(i, run);
            ShortFormat::Kind kind = ShortFormat::Other;
            if (c == QLatin1Char('d') && run <= 2) {
                kind = ShortFormat::Day;
            } else if (c == QLatin1Char('M') && run <= 2) {
                kind = ShortFormat::Month;
            } else if (c == QLatin1Char('y')) {
                kind = ShortFormat::Year;
            }
            f.parsable = f.parsable && kind != ShortFormat::Other;
            f.parts.append({kind, letters});
            f.writeFormat += kind == ShortFormat::Year ? QStringLiteral("yyyy") : letters;
            i += run;
        } else {
            if (!f.parts.isEmpty() && f.parts.last().kind == ShortFormat::Literal) {
                f.parts.last().text += c;
            } else {
                f.parts.append({ShortFormat::Literal, QString(c)});
            }
            f.writeFormat += c;
            ++i;
        }
    }
    return f;
}

} // namespace

QString FormatDate(const QDateTime& value, const QString& pattern, const QLocale& locale)
{
    return value.isValid() ? formatDateTime(value.date(), value.time(), pattern, locale) : QString();
}

QString FormatDate(const QDate& value, const QString& pattern, const QLocale& locale)
{
    return formatDateTime(value, QTime(0, 0), pattern, locale);
}

QString ShortDateText(const QDate& date, const QLocale& locale)
{
    return date.isValid() ? locale.toString(date, shortFormat(locale).writeFormat) : QString();
}

// Day and month take one or two digits, the year two or four; two-digit years fall in
// 1930-2029. Digits may be ASCII or the locale's own. Literal text must match as the locale
// writes it.
QDate ParseShortDate(const QString& text, const QLocale& locale)
{
    const ShortFormat f = shortFormat(locale);
    const QString trimmed = text.trimmed();
    if (!f.parsable) {
        // Fields other than numeric day, month and year; no locale Qt ships has them.
        return locale.toDate(trimmed, f.writeFormat);
    }
    const QList<uint> input = trimmed.toUcs4();
    const QList<uint> zero = locale.zeroDigit().toUcs4();
    const uint localZero = zero.isEmpty() ? uint('0') : zero.first();
    auto digitValue = [localZero](uint c) -> int {
        if (c >= '0' && c <= '9') {
            return static_cast<int>(c - '0');
        }
        return c >= localZero && c <= localZero + 9 ? static_cast<int>(c - localZero) : -1;
    };

    qsizetype at = 0;
    int day = 0;
    int month = 0;
    int year = 0;
    for (const ShortFormat::Part& part : f.parts) {
        if (part.kind == ShortFormat::Literal) {
            const QList<uint> literal = part.text.toUcs4();
            if (input.mid(at, literal.size()) != literal) {
                return {};
            }
            at += literal.size();
            continue;
        }
        const int maxDigits = part.kind == ShortFormat::Year ? 4 : 2;
        int value = 0;
        int count = 0;
        while (count < maxDigits && at < input.size() && digitValue(input.at(at)) >= 0) {
            value = value * 10 + digitValue(input.at(at));
            ++count;
            ++at;
        }
        // A missing day or month stays 0, which no date has.
        if (part.kind == ShortFormat::Day) {
            day = value;
        } else if (part.kind == ShortFormat::Month) {
            month = value;
        } else if (count == 2) {
            year = value < 30 ? 2000 + value : 1900 + value;
        } else if (count == 4) {
            year = value;
        } else {
            return {};
        }
    }
    if (at != input.size()) {
        return {};
    }
    return QDate(year, month, day);
}

double Round3(double value)
{
    if (!std::isfinite(value)) {
        return value;
    }
    Decimal d = toDecimal(value, 0);
    const std::size_t before = d.digits.size();
    roundToDecimals(d, 3, Ties::ToEven);
    if (d.isZero()) {
        return 0.0;
    }
    if (d.digits.size() == before) {
        return value;
    }
    const std::string text = "0." + d.digits + "e" + std::to_string(d.point);
    double result = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), result);
    return d.negative ? -result : result;
}

double LeadingNumber(const QString& text)
{
    auto isBlank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n'); };
    auto isDigit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < n && isBlank(text.at(i))) {
            ++i;
        }
    };

    skipBlanks();
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    std::string integer;
    std::string fraction;
    bool inFraction = false;
    for (skipBlanks(); i < n; ++i, skipBlanks()) {
        const QChar c = text.at(i);
        if (isDigit(c)) {
            (inFraction ? fraction : integer) += static_cast<char>(c.unicode());
        } else if (c == QLatin1Char('.') && !inFraction) {
            inFraction = true;
        } else {
            break;
        }
    }
    if (integer.empty() && fraction.empty()) {
        return 0.0;
    }

    // An exponent, "E" or "D" as in the classic BASIC, counts only when digits follow it.
    long long exponent = 0;
    if (i < n && QStringLiteral("eEdD").contains(text.at(i))) {
        ++i;
        skipBlanks();
        bool negativeExponent = false;
        if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
            negativeExponent = text.at(i) == QLatin1Char('-');
            ++i;
        }
        for (skipBlanks(); i < n && isDigit(text.at(i)); ++i, skipBlanks()) {
            exponent = std::min(exponent * 10 + text.at(i).digitValue(), 100000LL);
        }
        exponent = negativeExponent ? -exponent : exponent;
    }

    const std::string number =
        (integer.empty() ? "0" : integer) + "." + (fraction.empty() ? "0" : fraction) + "e" + std::to_string(exponent);
    double result = 0.0;
    const std::from_chars_result read = std::from_chars(number.data(), number.data() + number.size(), result);
    if (read.ec == std::errc::result_out_of_range) {
        // Too large gives infinity, too small zero, judged by where the first significant digit is.
        const std::string all = integer + fraction;
        const std::size_t firstNonZero = all.find_first_not_of('0');
        const long long magnitude = static_cast<long long>(integer.size()) - static_cast<long long>(firstNonZero);
        result = firstNonZero != std::string::npos && magnitude + exponent > 0 ? HUGE_VAL : 0.0;
    }
    if (result == 0.0) {
        return 0.0;
    }
    return negative ? -result : result;
}

bool IsNumericText(const QString& text, const QLocale& locale)
{
    return NumericValue(text, locale).has_value();
}

std::optional<double> NumericValue(const QString& text, const QLocale& locale)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    // QLocale also reads "nan" and "inf", which are no numbers to the user.
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Plain decimal notation from 1e-6 up to below 1e15 (Qt's 'g' would write a million as
// "1E+06"); exponent notation outside that range, where plain digits get unwieldy.
QString NumberText(double value, const QLocale& locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    const double magnitude = std::fabs(value);
    const char format = magnitude == 0.0 || (magnitude >= 1e-6 && magnitude < 1e15) ? 'f' : 'g';
    return plain.toString(value, format, QLocale::FloatingPointShortest);
}
