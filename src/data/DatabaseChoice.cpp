#include "DatabaseChoice.h"

#include "Connection.h"
#include "FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// The file the configuration names: the path as written (relative to the current directory),
// else a file of the same bare name in the current directory. Empty when neither exists.
QString locateFile(const QString& configured)
{
    if (QFileInfo(configured).isFile()) {
        return configured;
    }
    const QString bareName = configured.split(QRegularExpression(QStringLiteral("[\\\\/]"))).last();
    return FindFileNoCase(QDir::currentPath(), bareName);
}

bool isSQLiteName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("\\.(db|sqlite|sqlite3)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern.match(name).hasMatch();
}

DatabaseChoice failure(const QString& message)
{
    DatabaseChoice choice;
    choice.error = message;
    return choice;
}

} // namespace

DatabaseChoice ChooseDatabase(const DatabaseSettings& s, const QString& product, const QString& tableName)
{
    if (s.databaseName.isEmpty() && s.dataSourceName.isEmpty()) {
        return failure(
            QStringLiteral("Not found value in section Database, key DatabaseName or DataSourceName (ATE.INI)!"));
    }
    if (tableName.isEmpty()) {
        return failure(QStringLiteral("Not found value in section ") + product +
                       QStringLiteral(" and key TableName (PRODUCTS.INI)!"));
    }

    // From here on a failure still reports the table that was read.
    DatabaseChoice choice;
    choice.tableName = tableName;
    const auto failure = [&choice](const QString& message) {
        choice.error = message;
        return choice;
    };
    const QString jetProvider = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=");

    if (s.databaseName.contains(QLatin1String(".mdb"), Qt::CaseInsensitive)) {
        const QString file = locateFile(s.databaseName);
        if (file.isEmpty()) {
            return failure(QStringLiteral("Not found Database ") + s.databaseName + QLatin1Char('!'));
        }
        choice.connectionText = jetProvider + QuotedConnectionValue(file) + QLatin1Char(';');
        choice.databaseType = QStringLiteral("ACCESS");
        return choice;
    }
    if (s.databaseName.contains(QLatin1String(".xls"), Qt::CaseInsensitive)) {
        const QString file = locateFile(s.databaseName);
        if (file.isEmpty()) {
            return failure(QStringLiteral("Not found Excel file ") + s.databaseName + QLatin1Char('!'));
        }
        choice.connectionText =
            jetProvider + QuotedConnectionValue(file) + QStringLiteral(";Extended Properties=\"Excel 8.0;HRD=YES;\"");
        choice.databaseType = QStringLiteral("ACCESS");
        choice.tableName = QLatin1Char('[') + tableName + QStringLiteral("$]");
        return choice;
    }
    if (isSQLiteName(s.databaseName)) {
        const QString file = locateFile(s.databaseName);
        if (file.isEmpty()) {
            return failure(QStringLiteral("Not found Database ") + s.databaseName + QLatin1Char('!'));
        }
        choice.connectionText =
            QStringLiteral("Provider=SQLite;Data Source=") + QuotedConnectionValue(file) + QLatin1Char(';');
        choice.databaseType = QStringLiteral("SQLITE");
        return choice;
    }
    if (!s.dataSourceName.isEmpty()) {
        choice.connectionText = QStringLiteral("Provider=MSDASQL;UID=") + s.userName + QStringLiteral(";PWD=") +
                                s.password + QStringLiteral(";Database=") + s.databaseName + QStringLiteral(";DSN=") +
                                s.dataSourceName + QLatin1Char(';');
        choice.databaseType = QStringLiteral("ODBC");
        return choice;
    }
    if (s.userName.isEmpty()) {
        return failure(QStringLiteral("Not found user name in section Database and key UserName (ATE.INI)!"));
    }
    if (s.serverName.isEmpty()) {
        return failure(QStringLiteral("Not found server name in section Database and key ServerName (ATE.INI)!"));
    }
    choice.connectionText = QStringLiteral("Provider=SQLOLEDB;Network Library=DBMSSOCN;uid=") + s.userName +
                            QStringLiteral(";pwd=") + s.password + QStringLiteral(";server=") + s.serverName +
                            QStringLiteral(";database=") + s.databaseName + QStringLiteral(";DSN=;");
    choice.databaseType = QStringLiteral("MSSQL");
    return choice;
}
