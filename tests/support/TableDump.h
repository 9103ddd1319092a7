#pragma once

#include <QSqlDatabase>
#include <QString>

// A table of an open SQLite database as one line, for comparing with what a test expects: its
// columns with their types, then its rows in the order a scan meets them, values as NULL, numbers
// (in their shortest exact form) or 'text':
//   "SN TEXT, Vout REAL; 'SN1'|5.07; 'SN2'|NULL"
// The error's text when the table cannot be read.
QString DumpTable(const QSqlDatabase& db, const QString& table);
