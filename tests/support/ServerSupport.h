#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

// What the throw-away database servers of tests and benchmarks share.

// A TCP port on 127.0.0.1 that no one listens on now; 0 when none can be had.
quint16 FreeLoopbackPort();

// Writes odbcinst.ini and odbc.ini into `folder` and points unixODBC at them (ODBCSYSINI, ODBCINI).
bool RegisterOdbcDataSources(const QString& folder, const QByteArray& drivers, const QByteArray& dataSources);

// Runs `program` with `input` on its standard input and waits for its end, at most two minutes (a
// busy machine initialises a database slowly). False, with `error` saying how it ended and what it
// printed, unless it exits with code 0.
bool RunToEnd(QProcess& process, const QString& program, const QStringList& arguments, const QByteArray& input,
              QString& error);
