#pragma once

#include <QString>

// One reading of a server (PostgreSQL, MariaDB, SQL Server) in a transaction of its own, begun by
// `marker` (the statement that makes it read-only; none where the server has no such statement)
// and rolled back when the reading ends, so that a statement that gets past the session's
// read-only setting still changes nothing. A read-only transaction cannot be made read-write
// after its first query.
class ReadOnlyTransaction
{
public:
    // odbcConnection: the SQLHDBC of the session; whatever it left open is rolled back first.
    ReadOnlyTransaction(void* odbcConnection, const QString& marker);
    ~ReadOnlyTransaction(); // rolls back
    ReadOnlyTransaction(const ReadOnlyTransaction&) = delete;
    ReadOnlyTransaction& operator=(const ReadOnlyTransaction&) = delete;

    // Empty when the transaction began; else the driver's description of why it did not.
    QString error() const { return m_error; }

private:
    void* m_connection;
    QString m_error;
};
