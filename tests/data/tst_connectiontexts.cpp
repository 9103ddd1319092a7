#include "Connection.h"
#include "DataRow.h"
#include "DatabaseChoice.h"
#include "OdbcInfo.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestConnectionTexts : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_previous;

private slots:
    void initTestCase()
    {
        // The configuration folder is the current directory; these files lie in it.
        for (const char* name : {"Results.MDB", "book.xls", "book.xlsx", "local.sqlite", "line.csv"}) {
            QVERIFY(WriteFile(m_dir.filePath(name), {}));
        }
        QVERIFY(QDir(m_dir.path()).mkdir("Logs"));
        m_previous = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
    }

    void cleanupTestCase() { QDir::setCurrent(m_previous); }

    void chooseDatabase_data()
    {
        AddColumns<QStringList, QString, QString, QString, QString, QString>("keys", "tableName", "connectionText",
                                                                             "databaseType", "table", "error");

        // keys: DatabaseName|DataSourceName|UserName|Password|ServerName.
        const auto row = [](const char* name, const QString& keys, const char* tableName, const QString& text,
                            const char* type, const char* table, const char* error = "") {
            QTest::newRow(name) << keys.split('|') << tableName << text << type << table << error;
        };
        const QString jet = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";
        row("Jet, name in any case", "Results.MDB||||", "Results", jet + "Results.MDB;", "ACCESS", "Results");
        row("Jet wins over a data source", "Results.MDB|DSN1|||", "Results", jet + "Results.MDB;", "ACCESS", "Results");
        row("Windows path found by its bare name", "C:\\Data\\results.mdb||||", "Results",
            jet + QDir(m_dir.path()).filePath("Results.MDB") + ";", "ACCESS", "Results");
        row("Jet file missing", "C:\\Data\\gone.mdb||||", "Results", "", "", "Results",
            "Not found Database C:\\Data\\gone.mdb!");
        row("Excel sheet reference", "book.xls||||", "Sheet1",
            jet + "book.xls;Extended Properties=\"Excel 8.0;HRD=YES;\"", "ACCESS", "[Sheet1$]");
        row("Excel file missing", "gone.xls||||", "Sheet1", "", "", "Sheet1", "Not found Excel file gone.xls!");
        const QString ace = "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=";
        const QString text = ";Extended Properties=\"text;HDR=Yes;FMT=Delimited\";";
        const QString logs = QDir(m_dir.path()).filePath("Logs");
        row("xlsx sheet reference, before the .xls it contains", "book.xlsx||||", "Sheet1",
            ace + "book.xlsx;Extended Properties=\"Excel 12.0 Xml;HDR=YES\";", "ACCESS", "[Sheet1$]");
        row("xlsx file missing", "gone.xlsx||||", "Sheet1", "", "", "Sheet1", "Not found Excel file gone.xlsx!");
        row("CSV file, no table needed", "line.csv||||", "", ace + "line.csv" + text, "ACCESS", "[CSV]");
        row("CSV file missing", "gone.csv||||", "", "", "", "", "Not found CSV file gone.csv!");
        row("CSV folder named by a Windows path", "D:\\Station\\LOGS\\||||", "", ace + logs + text, "ACCESS", "[CSV]");
        row("CSV folder that exists", "Logs||||", "Results", ace + "Logs" + text, "ACCESS", "[CSV]");
        row("a folder's name with a data source names a database", "Logs|DSN1|||", "Results",
            "Provider=MSDASQL;UID=;PWD=;Database=Logs;DSN=DSN1;", "ODBC", "Results");
        row("a folder's name with a server names a database", "Logs||sa||db01", "Results",
            "Provider=SQLOLEDB;Network Library=DBMSSOCN;uid=sa;pwd=;server=db01;database=Logs;DSN=;", "MSSQL",
            "Results");
        row("CSV folder missing", "gone/||||", "", "", "", "", "Not found folder gone/!");
        row("SQLite file", "local.sqlite|DSN1|||", "Results", "Provider=SQLite;Data Source=local.sqlite;", "SQLITE",
            "Results");
        row("SQLite file missing", "gone.db||||", "Results", "", "", "Results", "Not found Database gone.db!");
        row("ODBC", "Prod|ATE_DSN|me|secret|host", "Results",
            "Provider=MSDASQL;UID=me;PWD=secret;Database=Prod;DSN=ATE_DSN;", "ODBC", "Results");
        row("SQL Server, empty password", "Prod||sa||db01", "Results",
            "Provider=SQLOLEDB;Network Library=DBMSSOCN;uid=sa;pwd=;server=db01;database=Prod;DSN=;", "MSSQL",
            "Results");
        row("SQL Server without user, user tested first", "Prod||||", "Results", "", "", "Results",
            "Not found user name in section Database and key UserName (ATE.INI)!");
        row("SQL Server without server", "Prod||sa||", "Results", "", "", "Results",
            "Not found server name in section Database and key ServerName (ATE.INI)!");
        row("no database keys", "||sa||x", "Results", "", "", "",
            "Not found value in section Database, key DatabaseName or DataSourceName (ATE.INI)!");
        row("no table", "Results.MDB||||", "", "", "", "",
            "Not found value in section P 1 and key TableName (PRODUCTS.INI)!");
    }

    void chooseDatabase()
    {
        const auto [keys, tableName] = FetchRow<QStringList, QString>();
        const DatabaseChoice choice =
            ChooseDatabase(DatabaseSettings{keys[0], keys[1], keys[2], keys[3], keys[4]}, "P 1", tableName);
        QTEST(choice.connectionText, "connectionText");
        QTEST(choice.databaseType, "databaseType");
        QTEST(choice.tableName, "table");
        QTEST(choice.error, "error");
    }

    void odbcTexts_data()
    {
        AddColumns<QString, QStringList, QString>("connectionText", "drivers", "odbcText");

        const auto row = [](const char* name, const char* text, const QStringList& drivers, const char* odbc) {
            QTest::newRow(name) << QString(text) << drivers << QString(odbc);
        };
        const char* sqlServer =
            "Provider=SQLOLEDB;Network Library=DBMSSOCN;uid=sa;pwd=x;server=db01;database=Prod;DSN=;";
        row("data source", "Provider=MSDASQL;UID=me;PWD=pw;Database=;DSN=ATE_DSN;", {}, "ATE_DSN;UID=me;PWD=pw");
        row("values that would end or add a key", "Provider=MSDASQL;UID=a=b;PWD=\"pa;ss}\";Database=;DSN=ATE_DSN;", {},
            "ATE_DSN;UID={a=b};PWD={pa;ss}}}");
        row("a value naming a server", "Provider=MSDASQL;UID=;PWD=\"x;SERVER=y\";Database=;DSN=ATE_DSN;", {},
            "DSN=ATE_DSN;PWD={x;SERVER=y}");
        row("data source and database", "Provider=MSDASQL;UID=;PWD=;Database=Prod;DSN=ATE_DSN;", {},
            "ATE_DSN;DATABASE=Prod");
        row("FreeTDS", sqlServer, {"FreeTDS", "SQLite3"},
            "DRIVER={FreeTDS};SERVER=db01;PORT=1433;DATABASE=Prod;UID=sa;PWD=x;TDS_Version=7.4;");
        row("FreeTDS with a port",
            "Provider=SQLOLEDB;Network Library=DBMSSOCN;uid=sa;pwd=;server=10.0.0.5,1444;database=Prod;DSN=;",
            {"FreeTDS"}, "DRIVER={FreeTDS};SERVER=10.0.0.5;PORT=1444;DATABASE=Prod;UID=sa;PWD=;TDS_Version=7.4;");
        row("FreeTDS, a password that would change the database",
            "Provider=SQLOLEDB;uid=sa;pwd=\"plainpw;DATABASE=other\";server=db01;database=Prod;DSN=;", {"FreeTDS"},
            "DRIVER={FreeTDS};SERVER=db01;PORT=1433;DATABASE=Prod;UID=sa;PWD={plainpw;DATABASE=other};TDS_Version=7.4;");
        row("Microsoft's driver preferred, newest first", sqlServer,
            {"FreeTDS", "ODBC Driver 17 for SQL Server", "ODBC Driver 18 for SQL Server"},
            "DRIVER={ODBC Driver 18 for SQL Server};SERVER=tcp:db01;DATABASE=Prod;UID=sa;PWD=x;"
            "TrustServerCertificate=yes;");
    }

    void odbcTexts()
    {
        const auto [connectionText, drivers, odbcText] = FetchRow<QString, QStringList, QString>();
        const QString provider = ConnectionValue(connectionText, "Provider");
        QCOMPARE(provider == "MSDASQL" ? OdbcTextForDataSource(connectionText)
                                       : OdbcTextForSqlServer(connectionText, drivers),
                 odbcText);
    }
};

TESSALY_TEST(TestConnectionTexts)
#include "tst_connectiontexts.moc"
