#pragma once

// Date-times as the file importers store them: ISO 'YYYY-MM-DD HH:MM:SS' text, 19 characters,
// written into a buffer of the caller's.
constexpr int kIsoDateTimeLength = 19;

// A day serial as Jet and Excel (1900 date system) keep date-times: days since 1899-12-30, the
// fraction the time of day. Rounded to the second; false for a value outside the years 100 to
// 9999. Before 1899-12-30 the whole part counts days back while the fraction still runs forward
// from midnight: -1.25 is 1899-12-29 06:00:00.
bool WriteIsoDateTime(double serial, char* out);

// The fields of a date-time that is known to be valid.
void WriteIsoDateTime(int year, int month, int day, int hour, int minute, int second, char* out);
