#include "Connection.h"

#include "ImportCache.h"
#include "OdbcInfo.h"
#include "QueryBuilder.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QString uniqueConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("tessaly-%1").arg(counter.fetchAndAddRelaxed(1));
}

// The table a statement reads: the name after FROM, without its brackets.
QString tableOf(const QString& sql)
{
    static const QRegularExpression from(QStringLiteral("\\bFROM\\s+(\\[[^\\]]+\\]|[^\\s;]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    QString table = from.match(sql).captured(1);
    if (table.startsWith(QLatin1Char('[')) && table.endsWith(QLatin1Char(']'))) {
        table = table.mid(1, table.size() - 2);
    }
    return table;
}

} // namespace

QString ConnectionValue(const QString& connectionText, const QString& key)
{
    qsizetype pos = 0;
    while (pos < connectionText.size()) {
        const qsizetype eq = connectionText.indexOf(QLatin1Char('='), pos);
        if (eq < 0) {
            break;
        }
        const QString name = connectionText.mid(pos, eq - pos).trimmed();
        qsizetype valueStart = eq + 1;
        qsizetype end = 0;
        QString value;
        if (connectionText.mid(valueStart).trimmed().startsWith(QLatin1Char('"'))) {
            valueStart = connectionText.indexOf(QLatin1Char('"'), valueStart) + 1;
            const qsizetype close = connectionText.indexOf(QLatin1Char('"'), valueStart);
            value = connectionText.mid(valueStart, close < 0 ? -1 : close - valueStart);
            end = close < 0 ? connectionText.size() : connectionText.indexOf(QLatin1Char(';'), close);
        } else {
            end = connectionText.indexOf(QLatin1Char(';'), valueStart);
            value = connectionText.mid(valueStart, end < 0 ? -1 : end - valueStart).trimmed();
        }
        if (name.compare(key, Qt::CaseInsensitive) == 0) {
            return value;
        }
        if (end < 0) {
            break;
        }
        pos = end + 1;
    }
    return {};
}

Connection::Connection() = default;

Connection::~Connection()
{
    close();
}

bool Connection::open(const QString& connectionText)
{
    close();
    m_lastError.clear();
    const QString provider = ConnectionValue(connectionText, QStringLiteral("Provider"));
    bool opened = false;
    if (provider.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) {
        opened = openSQLite(ConnectionValue(connectionText, QStringLiteral("Data Source")));
    } else if (provider.startsWith(QLatin1String("Microsoft.Jet.OLEDB"), Qt::CaseInsensitive)) {
        const bool excel = ConnectionValue(connectionText, QStringLiteral("Extended Properties"))
                               .startsWith(QLatin1String("Excel"), Qt::CaseInsensitive);
        opened = openImport(ConnectionValue(connectionText, QStringLiteral("Data Source")),
                            excel ? Engine::ExcelImport : Engine::JetImport);
    } else if (provider.compare(QLatin1String("MSDASQL"), Qt::CaseInsensitive) == 0) {
        opened = openOdbc(OdbcTextForDataSource(connectionText), ConnectionValue(connectionText, QStringLiteral("UID")),
                          ConnectionValue(connectionText, QStringLiteral("PWD")));
    } else if (provider.compare(QLatin1String("SQLOLEDB"), Qt::CaseInsensitive) == 0) {
        opened = openOdbc(OdbcTextForSqlServer(connectionText), QString(), QString());
    } else {
        m_lastError = QStringLiteral("Provider cannot be found. It may not be properly installed.");
    }
    if (!opened) {
        close();
    }
    return opened;
}

bool Connection::openSQLite(const QString& file)
{
    if (!QFileInfo(file).isFile()) {
        m_lastError = QStringLiteral("Could not find file '%1'.").arg(file);
        return false;
    }
    m_name = uniqueConnectionName();
    m_engine = Engine::SQLiteFile;
    m_sqliteDialect = true;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open()) {
        m_lastError = describe(db.lastError());
        return false;
    }
    // Chart queries group and sort up to millions of rows: let SQLite sort in memory instead of
    // spilling to temporary files.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA temp_store = MEMORY"));
    QSqlQuery(db).exec(QStringLiteral("PRAGMA cache_size = -16384"));
    return true;
}

bool Connection::openImport(const QString& file, Engine engine)
{
    // The file is read when a query first names one of its tables; here it only has to exist.
    const QString name = ImportCache::DatabaseFor(file, m_lastError);
    if (name.isEmpty()) {
        return false;
    }
    m_name = name;
    m_sourceFile = file;
    m_engine = engine;
    m_sqliteDialect = true;
    return true;
}

bool Connection::openOdbc(const QString& odbcText, const QString& user, const QString& password)
{
    m_name = uniqueConnectionName();
    m_engine = Engine::Odbc;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
    db.setDatabaseName(odbcText);
    db.setUserName(user);
    db.setPassword(password);
    db.setConnectOptions(QStringLiteral("SQL_ATTR_ACCESS_MODE=SQL_MODE_READ_ONLY;SQL_ATTR_LOGIN_TIMEOUT=15"));
    if (!db.open()) {
        m_lastError = describe(db.lastError());
        return false;
    }
    // SQL Server and Access read the program's SQL as it is; SQLite needs its own dates.
    m_sqliteDialect = OdbcDbmsName(db).contains(QLatin1String("SQLite"), Qt::CaseInsensitive);
    return true;
}

void Connection::close()
{
    const bool ownsDatabase = m_engine == Engine::SQLiteFile || m_engine == Engine::Odbc;
    if (ownsDatabase && QSqlDatabase::contains(m_name)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    m_name.clear();
    m_sourceFile.clear();
    m_engine = Engine::None;
    m_sqliteDialect = false;
}

int Connection::state() const
{
    return m_engine != Engine::None && QSqlDatabase::contains(m_name) ? 1 : 0;
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

bool Connection::prepare(const QString& sql, QString& engineSql)
{
    if (m_engine == Engine::None) {
        m_lastError = QStringLiteral("Operation is not allowed when the object is closed.");
        return false;
    }
    if (m_engine == Engine::JetImport || m_engine == Engine::ExcelImport) {
        QString table = tableOf(sql);
        const bool excel = m_engine == Engine::ExcelImport;
        if (excel && table.endsWith(QLatin1Char('$'))) {
            table.chop(1);
        }
        const QString name = ImportCache::DatabaseWith(
            m_sourceFile, excel ? ImportCache::Format::Excel : ImportCache::Format::Jet, table, m_lastError);
        if (name.isEmpty()) {
            return false;
        }
        m_name = name;
    }
    engineSql = m_sqliteDialect ? ToSQLiteDialect(sql) : sql;
    return true;
}

QString Connection::describe(const QSqlError& error) const
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.driverText().trimmed() : text;
}
