#pragma once

#include <QSqlDatabase>
#include <QString>

// Copies one table of a Jet database (.mdb) or one worksheet of an Excel 97-2003 workbook
// (.xls) into an open SQLite database, as table targetName (created anew):
// - numbers become REAL, text becomes TEXT COLLATE NOCASE (Jet compares text without case),
//   date-times become ISO 'YYYY-MM-DD HH:MM:SS' text, Null and blank cells become NULL;
// - the source table or sheet is found without regard to case and may hold blanks;
// - for a worksheet the first row holds the column names.
// Returns "" on success, else the description the user sees (for a missing table the text the
// Jet engine gives). A Jet file that is cut off, or whose table cannot be read whole, fails with
// "File '<path>' is damaged: <what>" rather than giving part of the records. The source file is
// only ever opened for reading.
QString ImportMdbTable(const QString& mdbPath, const QString& tableName, QSqlDatabase& target,
                       const QString& targetName);
QString ImportXlsSheet(const QString& xlsPath, const QString& sheetName, QSqlDatabase& target,
                       const QString& targetName);

// The file formats the helper process tessaly-import reads, and their names on its command line.
enum class ImportFormat
{
    Jet,
    Excel, // 97-2003 (.xls)
    Xlsx,
    Csv
};
QString ImportFormatName(ImportFormat format);
bool ImportFormatNamed(const QString& name, ImportFormat& format);

// The import of a table (a Jet table, a worksheet) of a file of the format, or for CSV of the
// logs of a folder or file (table unused), into target as targetName.
QString ImportTable(ImportFormat format, const QString& file, const QString& table, QSqlDatabase& target,
                    const QString& targetName);
