#pragma once

#include "SqlText.h"

#include <QString>
#include <QStringList>

// The program's SQL as MariaDB and MySQL read it, given `names` (the table's and its columns'
// names as the catalog spells them) and `collation`, a case-insensitive collation of the
// connection's character set:
// - a bracketed name and the bare table name after FROM become the catalog's name that matches
//   them without regard to case, in backquotes; a name the catalog lacks keeps its spelling;
// - each range date the statement carries becomes TIMESTAMP 'YYYY-MM-DD HH:MM:SS', written from
//   its date-time;
// - text compared with "=" or "<>" is compared in that collation, so without regard to case as on
//   Jet and SQL Server whatever the column's own collation.
// Text literals are left as written: the session reads a backslash as an ordinary character.
QString ToMariaDbDialect(const SqlText& sql, const QStringList& names, const QString& collation);

// The collation ToMariaDbDialect compares text in: the connection's own when it ignores case
// (its name ends in "_ci"), else the default of its character set when that does, else the
// character set's "_general_ci" one.
QString CaseInsensitiveCollation(const QString& connectionCollation, const QString& characterSet,
                                 const QString& characterSetDefault);
