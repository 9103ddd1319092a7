#pragma once

#include <QSqlDatabase>
#include <QString>

// Copies one worksheet of an Excel workbook (.xlsx, Office Open XML) into an open SQLite
// database as table targetName, as ImportXlsSheet does for an Excel 97-2003 workbook:
// - the first row that holds a value gives the column names (a blank or repeated one becomes
//   F<n>, n counting the columns from A = 1); columns after the last name are not copied;
// - a column is REAL when every value in it is a number, else TEXT COLLATE NOCASE with numbers
//   in their shortest exact form; rows without any value are left out;
// - shared and inline strings are text, an empty one Null; booleans are 1 and 0; an error value
//   (#N/A) and an empty cell are Null; a formula gives the value it was last calculated to;
// - a number shown with a date or time format, and an ISO date cell, become an ISO date-time
//   text 'YYYY-MM-DD HH:MM:SS' (both date systems, 1900 and 1904).
// The sheet is found without regard to case. Returns "" or the description the user sees: a file
// that is not a workbook, a missing sheet as ImportXlsSheet says them, a package that is cut off or
// does not read whole as "File '<path>' is damaged: <what>".
QString ImportXlsxSheet(const QString& xlsxPath, const QString& sheetName, QSqlDatabase& target,
                        const QString& targetName);
