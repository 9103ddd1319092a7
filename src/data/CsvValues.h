#pragma once

#include <optional>
#include <string_view>

// The values of a CSV log as text: numbers with a decimal point, and date-times in the forms test
// stations write them.

// The field without the blanks and tabs around it.
std::string_view CsvTrimmed(std::string_view field);

// A number written with an optional sign, digits, a decimal point and an exponent ("-1.5e-3",
// ".5", "+7"); blanks around it are allowed. Nothing else is a number: no thousands separators,
// no "inf" or "nan".
std::optional<double> CsvNumber(std::string_view field);

// The ways a date is written: year first ("2024-03-01", "2024/03/01"), day first with dots or
// dashes ("01.03.2024", "1-3-2024"), and with slashes day or month first ("01/03/2024"); each
// with an optional time "HH:MM" or "HH:MM:SS" (fractions of a second are dropped) after a blank
// (or a 'T' after a year-first date), with AM or PM for a 12-hour clock.
enum class DateForm
{
    None,
    YearFirst,
    DayFirst,
    SlashMonthFirst,
    SlashDayFirst
};

// What a field shows about its form: the form (for slashes: month first when its clock has AM or
// PM, else day first when its first number is above 12, else month first when its second is,
// else undecided: slashesEitherWay), and whether it rules one order of slashes out.
struct DateShape
{
    DateForm form = DateForm::None;
    bool slashesEitherWay = false;
    bool notMonthFirst = false; // slashes whose first number is above 12
    bool notDayFirst = false;   // slashes whose second number is above 12
};
DateShape CsvDateShape(std::string_view field);

// Writes the date-time the field holds in that form as 'YYYY-MM-DD HH:MM:SS' (19 characters) to
// out; false when the field is no valid date-time of that form.
bool CsvIsoDateTime(std::string_view field, DateForm form, char* out);
