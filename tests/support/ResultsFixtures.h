#pragma once

#include <QString>

// The results of results_small.csv (the fixture every "small" file is made from) in the formats
// that are made at run time: an .xlsx workbook and CSV logs as test stations write them.

// The bytes of a fixture: a file of TESSALY_FIXTURES, or "results_small.xlsx", which is made here
// (WriteResultsWorkbook).
QByteArray FixtureBytes(const QString& name);

// Sheets "Results" (the header and every record) and "Sheet1" (the header and the first 50): text
// as shared strings, TestStartTime as date serials shown as yyyy-mm-dd hh:mm:ss, Null as no cell.
bool WriteResultsWorkbook(const QString& csvPath, const QString& xlsxPath);

// How a station writes its log.
enum class LogStyle
{
    IsoQuoted,        // commas, every field quoted, UTF-8 byte-order mark, CR LF, ISO date-times
    IsoSemicolons,    // semicolons, LF, ISO date-times
    DayFirstDots,     // semicolons, "dd.MM.yyyy HH:mm:ss", as a German spreadsheet saves it
    MonthFirstAmPm,   // tabs, "M/d/yyyy h:mm:ss AM", as an American one does
    ExtraColumnHeader // IsoSemicolons with one more column, "Operator", after the others
};

// count records of the fixture from the first (from 0) in that style.
bool WriteResultsLog(const QString& csvPath, const QString& logPath, LogStyle style, int first, int count);

// A folder of three days of logs: "2024-03-05.csv" (the first 257 records, IsoQuoted),
// "2024-03-06.csv" (the other 257, IsoSemicolons) and "2024-03-07.csv" (ten records again under a
// header with one more column, which a reader must skip).
bool WriteResultsLogFolder(const QString& csvPath, const QString& folder);
