#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// How the ODBC-based connection texts reach unixODBC through Qt's QODBC driver.

// A value as an ODBC connection text holds it: one with ';', '{', '}' or '=' in braces, a closing
// brace doubled ("pa;ss" -> "{pa;ss}"); any other as it is.
QString OdbcConnectionValue(const QString& value);

// "Provider=MSDASQL;UID=u;PWD=p;Database=d;DSN=n;" -> "n;DATABASE=d;UID=u;PWD=p", each part only
// when given, each value quoted (OdbcConnectionValue). QODBC puts "DSN=" in front of a text that
// names neither a driver nor a server; a text that does gets it here.
QString OdbcTextForDataSource(const QString& connectionText);

// "Provider=SQLOLEDB;...;uid=u;pwd=p;server=s;database=d;DSN=;" -> a driver connection (values
// quoted as OdbcConnectionValue does) over
// TCP: Microsoft's ODBC driver for SQL Server where one is registered, else FreeTDS (which
// honours the login timeout only when a TDS version is named). A server written "host,port"
// gives the port.
QString OdbcTextForSqlServer(const QString& connectionText, const QStringList& installedDrivers);
QString OdbcTextForSqlServer(const QString& connectionText);

// The ODBC drivers registered with unixODBC.
QStringList InstalledOdbcDrivers();

// The ODBC connection handle (SQLHDBC) of an open QODBC connection; nullptr for another driver.
void* OdbcConnectionHandle(const QSqlDatabase& db);

// The DBMS behind an open QODBC connection, as its driver names it ("SQLite", "Microsoft SQL
// Server", "ACCESS", ...); "" when it cannot be asked.
QString OdbcDbmsName(const QSqlDatabase& db);

// The value of a key of an ODBC data source's entry in odbc.ini (the user's, else the system's);
// "" when the entry or the key is missing.
QString OdbcDataSourceValue(const QString& dataSource, const QString& key);

// The diagnostic records of an ODBC handle of type handleType (SQL_HANDLE_STMT, ...), joined.
QString OdbcDiagnostics(short handleType, void* handle);
