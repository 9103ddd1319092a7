#pragma once

#include "SqlText.h"

#include <QString>
#include <QStringList>

// The program's SQL as MariaDB and MySQL read it, given `names` (the table's and its columns'
// names as the catalog spells them):
// - a bracketed name and the bare table name after FROM become the catalog's name that matches
//   them without regard to case, in backquotes; a name the catalog lacks keeps its spelling;
// - each range date the statement carries becomes TIMESTAMP 'YYYY-MM-DD HH:MM:SS', written from
//   its date-time;
// - text compared with "=" or "<>" is compared without regard to case, as on Jet and SQL Server,
//   whatever the column's collation: REGEXP or NOT REGEXP with the text as a regular expression of
//   its letters in every case (AnyCaseRegex). The "_ci" collations would also make "e" equal "É",
//   and the Unicode ones "ß" equal "SS".
// Text literals are left as written: the session reads a backslash as an ordinary character.
QString ToMariaDbDialect(const SqlText& sql, const QStringList& names);
