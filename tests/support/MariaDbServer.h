#pragma once

#include "ServerSupport.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A throw-away MariaDB server for tests and benchmarks: its data folder made by mariadb-install-db
// in a temporary folder, listening on a Unix socket in that folder and on 127.0.0.1 at a free port,
// without binary log or flushes to disk, and reading no option file of the system. It runs as the
// user of this process (mariadbd is told so when that is root) and is killed when this process
// ends in any way; the destructor stops it at once. It holds the database "tessaly", which the user
// "tessaly" (password "tessaly") may read and write from 127.0.0.1.
class MariaDbServer
{
public:
    // Starts the server; when it cannot, error() holds what the programs or the server said.
    MariaDbServer();
    ~MariaDbServer();
    MariaDbServer(const MariaDbServer&) = delete;
    MariaDbServer& operator=(const MariaDbServer&) = delete;

    bool isReady() const { return m_ready; }
    QString error() const { return m_error; }
    quint16 port() const { return m_port; }

    // Creates `table` with the columns of the fixtures' results table ("SerialNumber" ...
    // "TestStartTime" DATETIME ... "Eff" DOUBLE) and copies the CSV into it (a header line, an empty
    // field is Null, no field quoted). Its text compares with case, as a binary collation does, so
    // that a reader must ask for comparisons without case itself.
    bool loadResults(const QString& table, const QByteArray& csv);

    // The odbcinst.ini entry of MariaDB's Unicode ODBC driver, and an odbc.ini entry `dsn` on it
    // that reaches the database "tessaly" over TCP as the user "tessaly".
    QByteArray odbcDriverEntry() const;
    QByteArray odbcDataSourceEntry(const QByteArray& dsn) const;

private:
    bool start();
    // Runs the client as the server's administrator with the statements on its standard input.
    bool client(const QByteArray& statements);

    QTemporaryDir m_dir;
    QProcess m_server;
    quint16 m_port = 0;
    bool m_ready = false;
    QString m_error;
};
