#pragma once

#include <QString>

// Imports a table of a Jet file (excel false) or a worksheet of an Excel workbook (excel true)
// as ImportMdbTable and ImportXlsSheet do, but in the helper process tessaly-import: a file that
// makes mdbtools or FreeXL crash ends the helper, not the program. The copy, the table
// targetName, is written into databaseFile, which becomes a SQLite database of that table alone.
// Returns "" or the description the user sees; a helper that crashed gives
// "File '<file>' is damaged: the import stopped (<signal>)".
QString ImportInHelperProcess(bool excel, const QString& file, const QString& table, const QString& targetName,
                              const QString& databaseFile);
