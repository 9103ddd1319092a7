#pragma once

#include "ServerSupport.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A throw-away PostgreSQL cluster for tests and benchmarks: created in a temporary folder, run as
// the "postgres" user when this process is root (the server refuses root), listening on a Unix
// socket in that folder and on 127.0.0.1 at a free port, without fsync. It holds the database
// "tessaly", in which the superuser "postgres" connects without a password. The destructor stops
// the server at once.
class PostgresServer
{
public:
    // Starts the server; when it cannot, error() holds what initdb, pg_ctl or the server's log said.
    PostgresServer();
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // Whether the server runs and holds the database.
    bool isReady() const { return m_ready; }
    QString error() const { return m_error; }

    // What a client such as psql needs to reach the server as it is run here: the folder of
    // PostgreSQL's programs, the folder of the server's Unix socket (psql -h) and its port (psql -p).
    QString programFolder() const { return m_bin; }
    QString socketFolder() const { return m_dir.path(); }
    quint16 port() const { return m_port; }
    // The server's main process (its backends are its children); 0 when it does not run.
    qint64 serverProcess() const;

    // Creates `table` with the columns of the fixtures' results table ("SerialNumber" ...
    // "TestStartTime" timestamp ... "Eff" double precision) and copies the CSV into it (a header
    // line, an empty field is Null), then gathers its statistics as the server's autovacuum would
    // within a minute: without them the planner guesses two rows, and its plans change when the
    // statistics arrive in the middle of a run.
    bool loadResults(const QString& table, const QByteArray& csv);

    // The odbcinst.ini entry of psqlODBC's Unicode driver, and an odbc.ini entry `dsn` on it that
    // reaches the database "tessaly".
    QByteArray odbcDriverEntry() const;
    QByteArray odbcDataSourceEntry(const QByteArray& dsn) const;

private:
    bool start();
    // Runs one of PostgreSQL's programs as the server's user with `input` on its standard input;
    // on failure error() says how it ended and what it printed.
    bool run(const QString& program, const QStringList& arguments, const QByteArray& input = {});
    bool psql(const QString& database, const QStringList& commands, const QByteArray& input = {});

    QTemporaryDir m_dir;
    QString m_bin; // PostgreSQL's programs
    quint16 m_port = 0;
    bool m_started = false; // the server runs and must be stopped
    bool m_ready = false;
    QString m_error;
};
