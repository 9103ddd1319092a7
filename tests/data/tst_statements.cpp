#include "DataRow.h"
#include "EventPump.h"
#include "ProductSetup.h"
#include "SharedState.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// What users, databases and configuration files put into a statement changes what it compares
// with, never what it does.
class TestStatements : public QObject
{
    Q_OBJECT

private slots:
    // Names from PRODUCTS.INI are pasted into every statement: one that could end a statement or
    // leave its brackets is refused when the product is opened, with a message that says where it
    // is written.
    void configuredNamesOnOpening_data()
    {
        AddColumns<QByteArray, QByteArray, QString>("section", "specLine", "refusedAt"); // "" when opened
        const auto row = [](const char* name, const char* section, const char* refusedAt,
                            const char* specLine = "Vout,4.75,5.25,0,V,,Output Voltage") {
            QTest::newRow(name) << QByteArray(section) << QByteArray(specLine) << QString(refusedAt);
        };
        row("table with a statement after it", "TableName=Results; DELETE FROM Results",
            "Key TableName in section [Line]");
        row("table closing a bracket", "TableName=Results]", "Key TableName in section [Line]");
        row("column with a ';'", "TableName=Results\r\nATEID=[ATEID];", "Key ATEID in section [Line]");
        row("parameter column with a bracket", "TableName=Results", "Key 1 in section [Line Spec]",
            "Vout] FROM x,4.75,5.25,0,V,,Output Voltage");
        row("table that is a query", "TableName=(SELECT * FROM \"R\" WHERE w('x') IS NOT NULL) AS q",
            "Key TableName in section [Line]");
        row("bracketed names", "TableName=[Results]\r\nATEID=[ATEID]", "");
        row("schema-qualified table", "TableName=main.[Results]\r\nATEID=ATEID", "");
    }

    void configuredNamesOnOpening()
    {
        const auto [section, specLine, refusedAt] = FetchRow<QByteArray, QByteArray, QString>();
        QTemporaryDir dir;
        const QString ateIni = dir.filePath("ATE.INI");
        const QString productsIni = dir.filePath("PRODUCTS.INI");
        const QString results = dir.filePath("results.sqlite");
        QVERIFY(QFile::copy(FixturePath("results_small.sqlite"), results));
        QFile(results).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        WriteFile(ateIni,
                  "[ATE Configuration]\r\nTestProduct=Line\r\n[Database]\r\nDatabaseName=" + results.toUtf8() + "\r\n");
        WriteFile(productsIni, "[Line]\r\n" + section + "\r\n[Line Spec]\r\n1=" + specLine + "\r\n2=<EOT>\r\n");
        SharedState state;
        state.gConnection = std::make_unique<Connection>();
        LoadProductDefinition(state, productsIni, "Line");
        const ProductDatabase database = OpenProductDatabase(state, ateIni, productsIni, "Line", EventPump([] {}));
        QCOMPARE(database.opened, refusedAt.isEmpty());
        if (!refusedAt.isEmpty()) {
            QVERIFY2(
                database.message.startsWith(refusedAt + " of " + QDir::toNativeSeparators(productsIni) + " names") &&
                    database.message.endsWith("!"),
                qPrintable(database.message));
        }
    }
};

TESSALY_TEST(TestStatements)
#include "tst_statements.moc"
