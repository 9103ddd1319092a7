#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Copies the CSV logs of a folder (its *.csv files, in name order) or of one .csv file into an
// open SQLite database as table targetName:
// - the first file with a header row gives the column names; every file has a header row, and a
//   file whose header differs from it (names compared without case) is skipped, with a note;
// - the delimiter of each file (comma, semicolon or tab) is the one its header row uses;
// - an empty field is Null; a column is REAL when every value in it is a number (decimal point),
//   else text without case; a column whose first value is a date-time (see CsvValues.h) holds
//   ISO 'YYYY-MM-DD HH:MM:SS' text, a field of another form kept as written. The order of day and
//   month of dates with slashes follows the first value that tells, else the system's locale.
// The import keeps what it needs in target to bring the copy up to date later: called again on
// the same source and database, it reads only the files that are new or changed (by size and
// modification time) and drops the records of files that are gone; a change of the first header
// or of a column's type reads all files again.
// Returns "" or the description the user sees; a file that cannot be read whole (a quoted field
// that is not closed, a record with more or fewer fields than the header) fails the import with
// "File '<path>' is damaged: <what>". After a failure the database is of no further use.
QString ImportCsvLogs(const QString& source, QSqlDatabase& target, const QString& targetName);

// The notes the last import left in the database: the files it skipped and why.
QStringList CsvImportNotes(const QSqlDatabase& db);

// The CSV files of a source (a folder or one file) in name order, with what says whether they
// changed: "name|size|modification time" each.
QStringList CsvFileVersions(const QString& source);
