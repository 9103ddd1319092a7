#pragma once

#include <QSqlDatabase>
#include <QString>

// The program's one database connection. It is opened from a connection text
// ("Provider=...;Data Source=...;") and always read-only. A failure leaves the connection
// closed and its description in lastError().
class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool open(const QString& connectionText);
    void close();

    // 0 when closed, 1 when open.
    int state() const;
    QString lastError() const { return m_lastError; }
    QSqlDatabase database() const;

private:
    QString m_name;
    QString m_lastError;
};
