#include "Connection.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>

namespace {

// The value of one key of a connection text, without regard to the key's case.
QString connectionValue(const QString& text, const QString& key)
{
    const QStringList parts = text.split(QLatin1Char(';'));
    for (const QString& part : parts) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq > 0 && part.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            return part.mid(eq + 1).trimmed();
        }
    }
    return {};
}

QString uniqueConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("tessaly-%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

Connection::Connection() : m_name(uniqueConnectionName()) {}

Connection::~Connection()
{
    close();
}

bool Connection::open(const QString& connectionText)
{
    close();
    m_lastError.clear();
    const QString provider = connectionValue(connectionText, QStringLiteral("Provider"));
    if (provider.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) != 0) {
        m_lastError = QStringLiteral("Provider cannot be found. It may not be properly installed.");
        return false;
    }
    const QString file = connectionValue(connectionText, QStringLiteral("Data Source"));
    if (!QFileInfo(file).isFile()) {
        m_lastError = QStringLiteral("Could not find file '%1'.").arg(file);
        return false;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            m_lastError = db.lastError().text();
        }
    }
    if (!m_lastError.isEmpty()) {
        QSqlDatabase::removeDatabase(m_name);
        return false;
    }
    return true;
}

void Connection::close()
{
    if (!QSqlDatabase::contains(m_name)) {
        return;
    }
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

int Connection::state() const
{
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen() ? 1 : 0;
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_name, false);
}
