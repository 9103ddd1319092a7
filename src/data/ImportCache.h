#pragma once

#include <QString>

// In-memory SQLite copies of the tables of Jet files and Excel workbooks, made by the helper
// process tessaly-import. A table is copied the first time it is asked for, once per file version
// (path, size, modification time), so choosing the same product again costs nothing. A newer
// version of a file replaces the copies of the older one.
namespace ImportCache {

enum class Format
{
    Jet,
    Excel
};

// The Qt connection name of the database holding table (a Jet table, or a worksheet name
// without its "$") of file, importing it first when needed; the copy is read-only. Empty, with
// the description in error, when the file or table cannot be read.
QString DatabaseWith(const QString& file, Format format, const QString& table, QString& error);

// An empty database standing for the file, without importing anything; empty with error when
// the file is missing.
QString DatabaseFor(const QString& file, QString& error);

} // namespace ImportCache
