#include "OdbcInfo.h"

#include "Connection.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QVariant>
#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>

QString OdbcTextForDataSource(const QString& connectionText)
{
    QString text = ConnectionValue(connectionText, QStringLiteral("DSN"));
    const QString database = ConnectionValue(connectionText, QStringLiteral("Database"));
    if (!database.isEmpty()) {
        text += QStringLiteral(";DATABASE=") + database;
    }
    return text;
}

QString OdbcTextForSqlServer(const QString& connectionText, const QStringList& installedDrivers)
{
    const auto value = [&connectionText](const char* key) {
        return ConnectionValue(connectionText, QLatin1String(key));
    };
    QString server = value("server");
    QString port;
    if (const qsizetype comma = server.indexOf(QLatin1Char(',')); comma >= 0) {
        port = server.mid(comma + 1).trimmed();
        server = server.left(comma).trimmed();
    }
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
