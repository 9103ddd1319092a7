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

// Picks the kind of database by priority (a Jet file, an Excel workbook, a SQLite file, an ODBC
// data source, SQL Server), checks the keys that kind needs and builds its connection text.
// File names are looked up in the current directory (the configuration folder) as written,
// then by their bare name without regard to case.
DatabaseChoice ChooseDatabase(const DatabaseSettings& settings, const QString& product, const QString& tableName);
