#include "OdbcInfo.h"

#include "Connection.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QVariant>
#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>

QString OdbcConnectionValue(const QString& value)
{
    static const QRegularExpression special(QStringLiteral("[;{}=]"));
    if (!value.contains(special)) {
        return value;
    }
    return QLatin1Char('{') + QString(value).replace(QLatin1Char('}'), QStringLiteral("}}")) + QLatin1Char('}');
}

QString OdbcTextForDataSource(const QString& connectionText)
{
    const auto value = [&connectionText](const char* key) {
        return OdbcConnectionValue(ConnectionValue(connectionText, QLatin1String(key)));
    };
    QString text = QStringLiteral("DSN=") + value("DSN");
    for (const char* key : {"Database", "UID", "PWD"}) {
        if (const QString given = value(key); !given.isEmpty()) {
            text += QLatin1Char(';') + QString::fromLatin1(key).toUpper() + QLatin1Char('=') + given;
        }
    }
    // QODBC puts "DSN=" in front itself unless the text holds "DRIVER=" or "SERVER=".
    const bool takenAsIs = text.contains(QLatin1String("DRIVER="), Qt::CaseInsensitive) ||
                           text.contains(QLatin1String("SERVER="), Qt::CaseInsensitive);
    return takenAsIs ? text : text.mid(4);
}

QString OdbcTextForSqlServer(const QString& connectionText, const QStringList& installedDrivers)
{
    const auto value = [&connectionText](const char* key) {
        return OdbcConnectionValue(ConnectionValue(connectionText, QLatin1String(key)));
    };
    QString server = ConnectionValue(connectionText, QStringLiteral("server"));
    QString port;
    if (const qsizetype comma = server.indexOf(QLatin1Char(',')); comma >= 0) {
        port = OdbcConnectionValue(server.mid(comma + 1).trimmed());
        server = server.left(comma).trimmed();
    }
    server = OdbcConnectionValue(server);
    const QString credentials = QStringLiteral("DATABASE=") + value("database") + QStringLiteral(";UID=") +
                                value("uid") + QStringLiteral(";PWD=") + value("pwd") + QLatin1Char(';');

    QString microsoft;
    for (const QString& driver : installedDrivers) {
        if (driver.startsWith(QLatin1String("ODBC Driver")) && driver.endsWith(QLatin1String("for SQL Server")) &&
            driver > microsoft) {
            microsoft = driver; // the newest version
        }
    }
    if (!microsoft.isEmpty()) {
        const QString address = port.isEmpty() ? server : server + QLatin1Char(',') + port;
        return QStringLiteral("DRIVER={") + microsoft + QStringLiteral("};SERVER=tcp:") + address + QLatin1Char(';') +
               credentials + QStringLiteral("TrustServerCertificate=yes;");
    }
    return QStringLiteral("DRIVER={FreeTDS};SERVER=") + server + QStringLiteral(";PORT=") +
           (port.isEmpty() ? QStringLiteral("1433") : port) + QLatin1Char(';') + credentials +
           QStringLiteral("TDS_Version=7.4;");
}

QString OdbcTextForSqlServer(const QString& connectionText)
{
    return OdbcTextForSqlServer(connectionText, InstalledOdbcDrivers());
}

QStringList InstalledOdbcDrivers()
{
    char buffer[16384] = {};
    WORD length = 0;
    if (!SQLGetInstalledDrivers(buffer, sizeof buffer - 1, &length)) {
        return {};
    }
    // The names are separated by NUL characters and end with two.
    QStringList names;
    for (const char* p = buffer; *p != '\0' && p < buffer + sizeof buffer; p += qstrlen(p) + 1) {
        names.append(QString::fromLocal8Bit(p));
    }
    return names;
}

void* OdbcConnectionHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (db.driverName() != QLatin1String("QODBC") || !handle.isValid()) {
        return nullptr;
    }
    return *static_cast<const SQLHANDLE*>(handle.data());
}

QString OdbcDbmsName(const QSqlDatabase& db)
{
    SQLHANDLE connection = OdbcConnectionHandle(db);
    if (!connection) {
        return {};
    }
    SQLCHAR name[256] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(connection, SQL_DBMS_NAME, name, sizeof name, &length))) {
        return {};
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(name));
}

QString OdbcDataSourceValue(const QString& dataSource, const QString& key)
{
    char value[1024] = {};
    const int length = SQLGetPrivateProfileString(dataSource.toUtf8().constData(), key.toUtf8().constData(), "", value,
                                                  sizeof value, "odbc.ini");
    return length > 0 ? QString::fromUtf8(value, length) : QString();
}

QString OdbcDiagnostics(short handleType, void* handle)
{
    QStringList messages;
    SQLWCHAR state[6];
    SQLINTEGER native = 0;
    SQLWCHAR text[1024];
    SQLSMALLINT length = 0;
    for (SQLSMALLINT record = 1;
         SQL_SUCCEEDED(SQLGetDiagRecW(handleType, handle, record, state, &native, text, 1024, &length)); ++record) {
        messages.append(QString::fromUtf16(reinterpret_cast<const char16_t*>(text), std::min<int>(length, 1023)));
    }
    return messages.join(QLatin1Char(' ')).trimmed();
}
