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

// The folder the configuration names (a trailing separator allowed): the path as written, else a
// folder of the same bare name in the current directory. Empty when neither exists.
QString locateFolder(const QString& configured)
{
    static const QRegularExpression separators(QStringLiteral("[\\\\/]+$"));
    QString path = configured;
    path.remove(separators);
    if (!path.isEmpty() && QFileInfo(path).isDir()) {
        return path;
    }
    const QString bareName = path.split(QRegularExpression(QStringLiteral("[\\\\/]"))).last();
    const QDir current = QDir::current();
    for (const QString& entry : current.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!bareName.isEmpty() && entry.compare(bareName, Qt::CaseInsensitive) == 0) {
            return current.absoluteFilePath(entry);
        }
    }
    return {};
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
    // CSV logs are one table, whatever the product's TableName says.
    const QString& name = s.databaseName;
    const bool csvFile = name.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    const bool folderNamed = name.endsWith(QLatin1Char('/')) || name.endsWith(QLatin1Char('\\'));
    const QString folder = locateFolder(name);
    if (csvFile || folderNamed || (!folder.isEmpty() && s.dataSourceName.isEmpty() && s.serverName.isEmpty())) {
        const QString source = csvFile ? locateFile(name) : folder;
        if (source.isEmpty()) {
            return failure((csvFile ? QStringLiteral("Not found CSV file ") : QStringLiteral("Not found folder ")) +
                           name + QLatin1Char('!'));
        }
        DatabaseChoice choice;
        choice.connectionText = QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=") +
                                QuotedConnectionValue(source) +
                                QStringLiteral(";Extended Properties=\"text;HDR=Yes;FMT=Delimited\";");
        choice.databaseType = QStringLiteral("ACCESS");
        choice.tableName = kCsvTable;
        return choice;
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
    if (s.databaseName.contains(QLatin1String(".xlsx"), Qt::CaseInsensitive) ||
        s.databaseName.contains(QLatin1String(".xlsm"), Qt::CaseInsensitive)) {
        const QString file = locateFile(s.databaseName);
        if (file.isEmpty()) {
            return failure(QStringLiteral("Not found Excel file ") + s.databaseName + QLatin1Char('!'));
        }
        choice.connectionText = QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=") +
                                QuotedConnectionValue(file) +
                                QStringLiteral(";Extended Properties=\"Excel 12.0 Xml;HDR=YES\";");
        choice.databaseType = QStringLiteral("ACCESS");
        choice.tableName = QLatin1Char('[') + tableName + QStringLiteral("$]");
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
