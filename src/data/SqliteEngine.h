#pragma once

#include <QString>

class QSqlDatabase;
struct sqlite3;

// What every SQLite database the program opens shares: the engine's handle behind Qt's driver
// (the same system library the program links) and the text comparison of the other engines.

// The handle of an open QSQLITE database; nullptr for another driver or a closed database.
sqlite3* SqliteHandle(const QSqlDatabase& db);

// Replaces the connection's NOCASE collation with one that ignores case in every script, as Jet
// and SQL Server compare: "sné1" = "SNÉ1". ASCII text compares as SQLite's own NOCASE does, so
// the order of ASCII keys is unchanged. False when the engine refuses the collation.
bool UseUnicodeNoCase(sqlite3* engine);
