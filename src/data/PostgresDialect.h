#pragma once

#include "SqlText.h"

#include <QString>
#include <QStringList>

// The program's SQL as PostgreSQL reads it, given `names`: the table's and its columns' names as
// the catalog spells them.
// - A bracketed name and the bare table name after FROM become the catalog's name that matches
//   them without regard to case, in double quotes; a name the catalog lacks keeps its spelling,
//   quoted, so that PostgreSQL names it in its error.
// - Each range date the statement carries becomes TIMESTAMP 'YYYY-MM-DD HH:MM:SS', written from
//   its date-time.
// - Text compared with "=" or "<>" is compared without regard to case, as on Jet and SQL Server:
//   "~" or "!~" with the text as a regular expression of its letters in every case (AnyCaseRegex).
//   ILIKE would fold case by the column's collation, which knows only ASCII under "C".
QString ToPostgresDialect(const SqlText& sql, const QStringList& names);
