#include "CsvValues.h"

#include "SerialDateTime.h"

#include <QDate>
#include <charconv>
#include <cmath>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads 1 to maxDigits digits at text[at]; -1 when there is none.
int readNumber(std::string_view text, size_t& at, size_t maxDigits, size_t* digits = nullptr)
{
    int value = 0;
    const size_t start = at;
    while (at < text.size() && isDigit(text[at]) && at - start < maxDigits) {
        value = value * 10 + (text[at++] - '0');
    }
    if (digits) {
        *digits = at - start;
    }
    return at == start ? -1 : value;
}

// A date-time as written, before its form says which number is which.
struct Written
{
    int first = -1, second = -1, third = -1;
    char separator = 0;
    bool yearFirst = false;
    int hour = 0, minute = 0, second_ = 0;
    bool twelveHour = false, pm = false;
};

bool read(std::string_view text, Written& w)
{
    text = CsvTrimmed(text);
    size_t at = 0;
    size_t digits = 0;
    w.first = readNumber(text, at, 4, &digits);
    if (w.first < 0 || at >= text.size()) {
        return false;
    }
    w.yearFirst = digits == 4;
    w.separator = text[at];
    if (w.separator != '-' && w.separator != '/' && w.separator != '.') {
        return false;
    }
    w.second = readNumber(text, ++at, 2);
    if (w.second < 0 || at >= text.size() || text[at] != w.separator) {
        return false;
    }
    w.third = readNumber(text, ++at, w.yearFirst ? 2 : 4, &digits);
    if (w.third < 0 || (!w.yearFirst && digits != 4)) {
        return false;
    }
    if (at == text.size()) {
        return true;
    }
    if (text[at] != ' ' && !(w.yearFirst && text[at] == 'T')) {
        return false;
    }
    w.hour = readNumber(text, ++at, 2);
    if (w.hour < 0 || at >= text.size() || text[at] != ':') {
        return false;
    }
    w.minute = readNumber(text, ++at, 2, &digits);
    if (digits != 2) {
        return false;
    }
    if (at < text.size() && text[at] == ':') {
        w.second_ = readNumber(text, ++at, 2, &digits);
        if (digits != 2) {
            return false;
        }
        if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
            for (++at; at < text.size() && isDigit(text[at]); ++at) {
            }
        }
    }
    while (at < text.size() && text[at] == ' ') {
        ++at;
    }
    if (at + 2 == text.size()) {
        const char a = char(text[at] | 0x20);
        if ((a != 'a' && a != 'p') || (text[at + 1] | 0x20) != 'm' || w.hour < 1 || w.hour > 12) {
            return false;
        }
        w.twelveHour = true;
        w.pm = a == 'p';
        at += 2;
    }
    return at == text.size();
}

} // namespace

std::string_view CsvTrimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string_view()
                                           : text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

std::optional<double> CsvNumber(std::string_view field)
{
    field = CsvTrimmed(field);
    if (!field.empty() && field.front() == '+') {
        field.remove_prefix(1);
        if (!field.empty() && field.front() == '-') {
            return std::nullopt;
        }
    }
    const char first = field.empty() ? 0 : field.front();
    if (!isDigit(first) && first != '-' && first != '.') {
        return std::nullopt; // also keeps out "inf" and "nan"
    }
    double value = 0;
    const auto parsed = std::from_chars(field.data(), field.data() + field.size(), value);
    if (parsed.ec != std::errc() || parsed.ptr != field.data() + field.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

DateShape CsvDateShape(std::string_view field)
{
    Written w;
    DateShape shape;
    if (!read(field, w)) {
        return shape;
    }
    if (w.yearFirst) {
        shape.form = w.separator == '.' ? DateForm::None : DateForm::YearFirst;
        return shape;
    }
    if (w.separator != '/') {
        shape.form = DateForm::DayFirst;
        return shape;
    }
    shape.notMonthFirst = w.first > 12;
    shape.notDayFirst = w.second > 12;
    if (w.twelveHour || (shape.notDayFirst && !shape.notMonthFirst)) {
        shape.form = DateForm::SlashMonthFirst;
    } else if (shape.notMonthFirst && !shape.notDayFirst) {
        shape.form = DateForm::SlashDayFirst;
    } else {
        shape.form = DateForm::SlashMonthFirst;
        shape.slashesEitherWay = !shape.notMonthFirst;
    }
    return shape;
}

bool CsvIsoDateTime(std::string_view field, DateForm form, char* out)
{
    Written w;
    if (form == DateForm::None || !read(field, w)) {
        return false;
    }
    int year = w.third, month = w.second, day = w.first;
    switch (form) {
    case DateForm::YearFirst:
        if (!w.yearFirst || w.separator == '.') {
            return false;
        }
        year = w.first;
        day = w.third;
        break;
    case DateForm::DayFirst:
        if (w.yearFirst || w.separator == '/') {
            return false;
        }
        break;
    case DateForm::SlashMonthFirst:
        month = w.first;
        day = w.second;
        [[fallthrough]];
    case DateForm::SlashDayFirst:
        if (w.yearFirst || w.separator != '/') {
            return false;
        }
        break;
    case DateForm::None:
        return false;
    }
    int hour = w.hour;
    if (w.twelveHour) {
        hour = w.hour % 12 + (w.pm ? 12 : 0);
    }
    if (!QDate::isValid(year, month, day) || hour > 23 || w.minute > 59 || w.second_ > 59) {
        return false;
    }
    WriteIsoDateTime(year, month, day, hour, w.minute, w.second_, out);
    return true;
}
