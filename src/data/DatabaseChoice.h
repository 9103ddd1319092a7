#pragma once

#include <QString>

// The [Database] keys of ATE.INI.
struct DatabaseSettings
{
    QString databaseName;
    QString dataSourceName;
    QString userName;
    QString password;
    QString serverName;
};

// Which database a product's results are in and how to reach it.
struct DatabaseChoice
{
    QString connectionText; // empty when error is set
    QString databaseType;   // "ACCESS", "ODBC", "MSSQL" or "SQLITE"
    QString tableName;      // the FROM target; a worksheet reference for Excel
    QString error;          // the message for the user, when the configuration cannot be used
};

// The FROM target of every query on CSV logs, which are one table.
inline const QString kCsvTable = QStringLiteral("[CSV]");

// Picks the kind of database by priority (CSV logs, a Jet file, an .xlsx or an Excel 97-2003
// workbook, a SQLite file, an ODBC data source, SQL Server), checks the keys that kind needs and
// builds its connection text. File and folder names are looked up in the current directory (the
// configuration folder) as written, then by their bare name without regard to case. CSV logs are
// a name ending in ".csv", a name ending in a path separator (a folder), or the name of a folder
// that exists when neither a data source nor a server is named; they need no TableName.
DatabaseChoice ChooseDatabase(const DatabaseSettings& settings, const QString& product, const QString& tableName);
