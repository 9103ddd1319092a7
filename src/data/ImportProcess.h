#pragma once

#include "FileImport.h"

#include <QString>

// Imports as ImportTable does, but in the helper process tessaly-import: a file that makes
// mdbtools, FreeXL or libzip crash ends the helper, not the program. The copy, the table
// targetName, is written into databaseFile, a SQLite database that holds the table alone (or, for
// CSV logs, the table and what brings it up to date later). Returns "" or the description the
// user sees; a helper that crashed gives "File '<file>' is damaged: the import stopped (<signal>)".
QString ImportInHelperProcess(ImportFormat format, const QString& file, const QString& table, const QString& targetName,
                              const QString& databaseFile);
