#include "Connection.h"
#include "DatabaseChoice.h"
#include "OdbcInfo.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
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
        for (const char* name : {"Results.MDB", "book.xls", "local.sqlite"}) {
            QFile file(m_dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        m_previous = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
    }

    void cleanupTestCase() { QDir::setCurrent(m_previous); }

    void chooseDatabase_data()
    {
        QTest::addColumn<QStringList>("keys"); // DatabaseName, DataSourceName, UserName, Password, ServerName
        QTest::addColumn<QString>("tableName");
        QTest::addColumn<QString>("connectionText");
        QTest::addColumn<QString>("databaseType");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("error");

        QTest::newRow("Jet, name in any case") << QStringList{"Results.MDB", "", "", "", ""} << "Results"
                                               << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=Results.MDB;"
                                               << "ACCESS"
                                               << "Results"
                                               << "";
        QTest::newRow("Jet wins over a data source") << QStringList{"Results.MDB", "DSN1", "", "", ""} << "Results"
                                                     << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=Results.MDB;"
                                                     << "ACCESS"
                                                     << "Results"
                                                     << "";
        QTest::newRow("Windows path found by its bare name")
            << QStringList{"C:\\Data\\results.mdb", "", "", "", ""} << "Results"
            << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + QDir(m_dir.path()).filePath("Results.MDB") + ";"
            << "ACCESS"
            << "Results"
            << "";
        QTest::newRow("Jet file missing") << QStringList{"C:\\Data\\gone.mdb", "", "", "", ""} << "Results"
                                          << ""
                                          << ""
                                          << "Results"
                                          << "Not found Database C:\\Data\\gone.mdb!";
        QTest::newRow("Excel sheet reference")
            << QStringList{"book.xls", "", "", "", ""} << "Sheet1"
            << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=book.xls;Extended Properties=\"Excel 8.0;HRD=YES;\""
            << "ACCESS"
            << "[Sheet1$]"
            << "";
        QTest::newRow("Excel file missing") << QStringList{"gone.xls", "", "", "", ""} << "Sheet1"
                                            << ""
                                            << ""
                                            << "Sheet1"
                                            << "Not found Excel file gone.xls!";
        QTest::newRow("SQLite file") << QStringList{"local.sqlite", "DSN1", "", "", ""} << "Results"
                                     << "Provider=SQLite;Data Source=local.sqlite;"
                                     << "SQLITE"
                                     << "Results"
                                     << "";
        QTest::newRow("SQLite file missing") << QStringList{"gone.db", "", "", "", ""} << "Results"
                                             << ""
                                             << ""
                                             << "Results"
                                             << "Not found Database gone.db!";
        QTest::newRow("ODBC") << QStringList{"Prod", "ATE_DSN", "me", "secret", "host"} << "Results"
                              << "Provider=MSDASQL;UID=me;PWD=secret;Database=Prod;DSN=ATE_DSN;"
                              << "ODBC"
                              << "Results"
                              << "";
        QTest::newRow("SQL Server, empty password")
            << QStringList{"Prod", "", "sa", "", "db01"} << "Results"
            << "Provider=SQLOLEDB;Network Library=DBMSSOCN;uid=sa;pwd=;server=db01;database=Prod;DSN=;"
            << "MSSQL"
            << "Results"
            << "";
        QTest::newRow("SQL Server without user, user tested first")
            << QStringList{"Prod", "", "", "", ""} << "Results"
            << ""
            << ""
            << "Results"
            << "Not found user name in section Database and key UserName (ATE.INI)!";
        QTest::newRow("SQL Server without server") << QStringList{"Prod", "", "sa", "", ""} << "Results"
                                                   << ""
                                                   << ""
                                                   << "Results"
                                                   << "Not found server name in section Database and key ServerName "
                                                      "(ATE.INI)!";
        QTest::newRow("no database keys")
            << QStringList{"", "", "sa", "", "x"} << "Results"
            << ""
            << ""
            << ""
            << "Not found value in section Database, key DatabaseName or DataSourceName (ATE.INI)!";
        QTest::newRow("no table") << QStringList{"Results.MDB", "", "", "", ""} << ""
                                  << ""
                                  << ""
                                  << ""
                                  << "Not found value in section P 1 and key TableName (PRODUCTS.INI)!";
    }

    void chooseDatabase()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, tableName);
        const DatabaseChoice choice =
            ChooseDatabase(DatabaseSettings{keys[0], keys[1], keys[2], keys[3], keys[4]}, "P 1", tableName);
        QTEST(choice.connectionText, "connectionText");
        QTEST(choice.databaseType, "databaseType");
        QTEST(choice.tableName, "table");
        QTEST(choice.error, "error");
    }

    void odbcTexts_data()
    {
        QTest::addColumn<QString>("connectionText");
        QTest::addColumn<QStringList>("drivers");
        QTest::addColumn<QString>("odbcText");

        QTest::newRow("data source") << "Provider=MSDASQL;UID=me;PWD=pw;Database=;DSN=ATE_DSN;" << QStringList{}
                                     << "ATE_DSN";
        QTest::newRow("data source and database")
            << "Provider=MSDASQL;UID=;PWD=;Database=Prod;DSN=ATE_DSN;" << QStringList{} << "ATE_DSN;DATABASE=Prod";
        QTest::newRow("FreeTDS")
            << "Provider=SQLOLEDB;Network Library=DBMSSOCN;uid=sa;pwd=x;server=db01;database=Prod;DSN=;"
            << QStringList{"FreeTDS", "SQLite3"}
            << "DRIVER={FreeTDS};SERVER=db01;PORT=1433;DATABASE=Prod;UID=sa;PWD=x;TDS_Version=7.4;";
        QTest::newRow("FreeTDS with a port")
            << "Provider=SQLOLEDB;Network Library=DBMSSOCN;uid=sa;pwd=;server=10.0.0.5,1444;database=Prod;DSN=;"
            << QStringList{"FreeTDS"}
            << "DRIVER={FreeTDS};SERVER=10.0.0.5;PORT=1444;DATABASE=Prod;UID=sa;PWD=;TDS_Version=7.4;";
        QTest::newRow("Microsoft's driver preferred, newest first")
            << "Provider=SQLOLEDB;Network Library=DBMSSOCN;uid=sa;pwd=x;server=db01;database=Prod;DSN=;"
            << QStringList{"FreeTDS", "ODBC Driver 17 for SQL Server", "ODBC Driver 18 for SQL Server"}
            << "DRIVER={ODBC Driver 18 for SQL Server};SERVER=tcp:db01;DATABASE=Prod;UID=sa;PWD=x;"
               "TrustServerCertificate=yes;";
    }

    void odbcTexts()
    {
        QFETCH(QString, connectionText);
        QFETCH(QStringList, drivers);
        QFETCH(QString, odbcText);
        const QString provider = ConnectionValue(connectionText, "Provider");
        QCOMPARE(provider == "MSDASQL" ? OdbcTextForDataSource(connectionText)
                                       : OdbcTextForSqlServer(connectionText, drivers),
                 odbcText);
    }

    void connectionValues()
    {
        const QString text = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\a b\\x.xls;"
                             "Extended Properties=\"Excel 8.0;HRD=YES;\"";
        QCOMPARE(ConnectionValue(text, "data source"), "C:\\a b\\x.xls");
        QCOMPARE(ConnectionValue(text, "Extended Properties"), "Excel 8.0;HRD=YES;");
        QCOMPARE(ConnectionValue(text, "Missing"), "");
    }
};

TESSALY_TEST(TestConnectionTexts)
#include "tst_connectiontexts.moc"
