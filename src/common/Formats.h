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
// from zero, as the format function of the original platform does, applied to the value taken
// to 15 significant digits (so 2.675, stored as 2.67499999..., shows as "2.68" with "0.00").
// A pattern with no '0' in its integer part shows no "0" before the decimal separator
// ("#,###" formats 0 as "", "#,###.##" formats 0.5 as ".5"), and the separator stays when all
// decimals are optional and zero ("#,##0.##" formats 2 as "2."). Digits are ASCII, grouped by
// threes; "-" leads a negative value unless it rounds to zero. Other pattern characters are
// ignored; an empty pattern gives NumberText; infinities and NaN give the locale's text.
QString FormatNumber(double value, const QString& pattern, const QLocale& locale = QLocale());

// How the charts, their panels and their readouts show a measured value.
inline const QString kValueFormat = QStringLiteral("#,##0.0##");

// Date patterns: "mm/dd/yy", "mm/dd", "mm/dd/yyyy hh:mm AM/PM", "mmm dd, yyyy hh:mm am/pm",
// "mmm dd, yy hh:mm am/pm", and "Short Date" (ShortDateText). Letters in any case: d, dd (day),
// ddd, dddd (weekday name), m, mm (month), mmm, mmmm (month name), y (day of the year), yy,
// yyyy, h, hh, n, nn (minutes), s, ss. "m" and "mm" mean minutes right after an hour or right
// before seconds, other text between aside. "AM/PM", "am/pm", "A/P", "a/p" write the part
// before or after the '/' as written, and make hours 12-hour (00:30 is "12:30 AM"). Text in
// double quotes and the character after a backslash are written as they stand, as is any other
// character ('/' and ':' included). An invalid value gives "". A QDate is taken at midnight.
QString FormatDate(const QDateTime& value, const QString& pattern, const QLocale& locale = QLocale());
QString FormatDate(const QDate& value, const QString& pattern, const QLocale& locale = QLocale());

// The day the original platform counts dates from; saved values and texts use it for "no date".
inline const QDate kZeroDate(1899, 12, 30);

// The locale's short date text of a date, always with a four-digit year ("3/7/2024" in US
// English, whose short format has two), and the date read back from such a text; an invalid
// QDate when the text is not a date in that locale. Reading takes one- or two-digit days and
// months and two- or four-digit years; two-digit years fall in 1930-2029.
QString ShortDateText(const QDate& date, const QLocale& locale = QLocale());
QDate ParseShortDate(const QString& text, const QLocale& locale = QLocale());

// Rounds to 3 decimals, ties to the even neighbour (2.0005 -> 2.0, 2.0015 -> 2.002). Ties are
// judged on the shortest decimal text of the value, so a typed 2.0005 is a tie although the
// double lies just below it. A result of zero is +0.
double Round3(double value);

// The number at the start of a text, as the classic BASIC Val does: leading blanks are skipped,
// then an optional sign, digits and at most one '.' are read up to the first other character,
// then an exponent ("E" or "D", optional sign, digits); blanks, tabs and line feeds anywhere
// are ignored; "&H"/"&O" prefixes are not supported. 0 when no number starts the text
// ("12abc" -> 12, "x" -> 0, " 2 5" -> 25, "1e3" -> 1000); infinity when it is too large.
double LeadingNumber(const QString& text);

// Whether the whole text, trimmed, is a number in the user's locale (its decimal and group
// separators, optional sign, optional exponent); and its value when it is. "nan", "inf" and
// numbers too large for a double are not numbers here.
bool IsNumericText(const QString& text, const QLocale& locale = QLocale());
std::optional<double> NumericValue(const QString& text, const QLocale& locale = QLocale());

// A number as plain text for a text box, shortest round-trip form in the user's locale without
// group separators ("4.75", "-0.1", "12"): plain digits from 1e-6 to below 1e15, exponent
// notation ("1E+20") outside that range.
QString NumberText(double value, const QLocale& locale = QLocale());
