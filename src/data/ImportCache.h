#pragma once

#include "FileImport.h"

#include <QString>
#include <QStringList>

// SQLite copies of the tables of Jet files and Excel workbooks, and of CSV logs, made by the
// helper process tessaly-import. A table is copied the first time it is asked for, once per file
// version (path, size, modification time), so choosing the same product again costs nothing. A
// newer version of a file replaces the copies of the older one. CSV logs are brought up to date
// instead: only the files that are new or changed are read again.
namespace ImportCache {

// The Qt connection name of the database holding table (a Jet table, or a worksheet name
// without its "$") of file, importing it first when needed; the copy is read-only. Empty, with
// the description in error, when the file or table cannot be read.
QString DatabaseWith(const QString& file, ImportFormat format, const QString& table, QString& error);

// An empty database standing for the file (or, with folderAllowed, a folder), without importing
// anything; empty with error when there is no such file or folder.
QString DatabaseFor(const QString& file, QString& error, bool folderAllowed = false);

// The Qt connection name of the database holding the CSV logs of source (a folder or a .csv file)
// as table targetName, brought up to date first when a file was added, changed or removed since
// the last call. notes: what the user should know (the files that were skipped). Empty with the
// description in error when the logs cannot be read; the next call reads them all again.
QString CsvDatabase(const QString& source, const QString& targetName, QString& error, QStringList& notes);

} // namespace ImportCache
