#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

// Number and date display in the patterns the program uses, with the user's locale for the
// decimal and group separators and for month names.
//
// Number patterns: "#,##0.0##", "#,##0", "#,###", "#,##0.##", "#,###.##", "##0.000", "0000000",
// "#,##0.###" and any pattern of the same grammar: an optional group mark "," in the integer
// part, '0' for a digit always shown, '#' for a digit shown when needed, an optional '.' with
// '0' (always) and '#' (when not zero) decimals. Rounding to the shown decimals is half away
// from zero, as the format function of the original platform does. A pattern with no '0' in
// its integer part shows no "0" before the decimal separator ("#,###" formats 0 as "").
QString FormatNumber(double value, const QString& pattern, const QLocale& locale = QLocale());

// Date patterns: "mm/dd/yy", "mm/dd", "mm/dd/yyyy hh:mm AM/PM", "mmm dd, yyyy hh:mm am/pm",
// "mmm dd, yy hh:mm am/pm", and "Short Date" (the locale's short date format). "mm" directly
// after "hh" means minutes, elsewhere month; "mmm" is the abbreviated month name, "mmmm" the
// full one; "AM/PM" gives "AM"/"PM", "am/pm" gives "am"/"pm", and either makes "hh" 12-hour.
// The '/' separator is written as it stands.
QString FormatDate(const QDateTime& value, const QString& pattern, const QLocale& locale = QLocale());
QString FormatDate(const QDate& value, const QString& pattern, const QLocale& locale = QLocale());

// The locale's short date text of a date, and the date read back from such a text; an
// invalid QDate when the text is not a date in that locale.
QString ShortDateText(const QDate& date, const QLocale& locale = QLocale());
QDate ParseShortDate(const QString& text, const QLocale& locale = QLocale());

// Rounds to 3 decimals, ties to the even neighbour (2.0005 -> 2.0, 2.0015 -> 2.002).
double Round3(double value);

// The number at the start of a text, as the classic BASIC Val does: leading blanks are skipped,
// then an optional sign, digits and at most one '.' are read up to the first other character;
// blanks between digits are ignored; "&H"/"&O" prefixes are not supported. 0 when no number
// starts the text ("12abc" -> 12, "x" -> 0, " 2 5" -> 25, "1e3" -> 1000).
double LeadingNumber(const QString& text);

// Whether the whole text, trimmed, is a number in the user's locale (its decimal and group
// separators, optional sign, optional exponent); and its value when it is.
bool IsNumericText(const QString& text, const QLocale& locale = QLocale());
std::optional<double> NumericValue(const QString& text, const QLocale& locale = QLocale());

// A number as plain text for a text box, shortest round-trip form in the user's locale without
// group separators ("4.75", "-0.1", "12").
QString NumberText(double value, const QLocale& locale = QLocale());
