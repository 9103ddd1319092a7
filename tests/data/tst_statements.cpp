#include "DataRow.h"
#include "EventPump.h"
#include "FakePrompts.h"
#include "ProductSetup.h"
#include "Recordset.h"
#include "Selection.h"
#include "SharedState.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A copy of the small SQLite fixture in which SN100329 was tested on the station "ATE'Q" and
// SN100330 and SN100331 on 1 March 2031.
QString alteredFixture(const QTemporaryDir& dir)
{
    const QString path = dir.filePath("results.sqlite");
    QFile::copy(FixturePath("results_small.sqlite"), path);
    QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "alter");
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.exec("UPDATE Results SET ATEID = 'ATE''Q' WHERE SerialNumber = 'SN100329'");
        q.exec("UPDATE Results SET TestStartTime = '2031' || substr(TestStartTime, 5) "
               "WHERE SerialNumber IN ('SN100330', 'SN100331')");
    }
    QSqlDatabase::removeDatabase("alter");
    return path;
}

} // namespace

// What users, databases and configuration files put into a statement changes what it compares
// with, never what it does.
class TestStatements : public QObject
{
    Q_OBJECT

private slots:
    void filtersAndRangesOnSqlite_data()
    {
        // databaseType: the date syntax the statement is written in.
        AddColumns<QString, QString, QString, QString, QDate, QDate, QStringList>("databaseType", "serial", "source",
                                                                                  "testId", "from", "to", "serials");
        const auto row = [](const char* name, const char* serial, const char* source, const char* testId,
                            const QStringList& serials, const char* type = "SQLITE", QDate from = QDate(2024, 3, 1),
                            QDate to = QDate(2024, 3, 7)) {
            QTest::newRow(name) << type << serial << source << testId << from << to << serials;
        };
        row("serial with an apostrophe", "sn'quote", "", "<All>", {"SN'QUOTE"});
        row("source with an apostrophe", "", "ATE'Q", "<All>", {"SN100329"});
        row("serial that would compare true", "x' OR '1'='1", "", "<All>", {});
        row("serial that would read another table",
            "x' UNION SELECT name, sql, '2024-03-05 08:00:00', 5 FROM sqlite_master --", "", "<All>", {});
        row("source that would compare true", "", "ATE-01' OR 'a'='a", "<All>", {});
        row("test ID that would compare true", "", "", "T1' OR 'a'='a", {}, "ACCESS");
        const QStringList in2031{"SN100330", "SN100331"};
        row("range in 2031, quoted literals", "", "", "<All>", in2031, "SQLITE", QDate(2031, 1, 1), QDate(2031, 3, 1));
        row("range in 2031, Jet literals", "", "", "<All>", in2031, "ACCESS", QDate(2031, 1, 1), QDate(2031, 3, 1));
    }

    void filtersAndRangesOnSqlite()
    {
        const auto [databaseType, serial, source, testId, from, to] =
            FetchRow<QString, QString, QString, QString, QDate, QDate>();
        QTemporaryDir dir;
        SharedState state;
        state.gConnection = std::make_unique<Connection>();
        QVERIFY(state.gConnection->open("Provider=SQLite;Data Source=" + alteredFixture(dir) + ";"));
        state.gTableName = "Results";
        state.gDatabaseType = databaseType;
        state.gCustomDateFrom = from;
        state.gCustomDateTo = to;
        Selection selection;
        selection.range = "Custom";
        selection.serialFilter = serial;
        selection.source = source;
        selection.testId = testId;
        selection.lastDataOnly = false;
        FakePrompts prompts;

        Recordset records;
        const SqlText sql =
            SelectionSQL(state, selection, QDate(2024, 3, 10), prompts, "Vout", "", "[TestStartTime], [ATEID]");
        QVERIFY2(records.Open(*state.gConnection, sql), qPrintable(records.lastError()));
        QStringList serials;
        for (; !records.isEOF(); records.MoveNext()) {
            serials.append(records.text(records.fieldIndex("SNX")));
        }
        QTEST(serials, "serials");
    }

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
        WriteFile(ateIni, "[ATE Configuration]\r\nTestProduct=Line\r\n[Database]\r\nDatabaseName=" +
                              alteredFixture(dir).toUtf8() + "\r\n");
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

    // Why a configuration folder offers no products names the file and the section or key.
    void productListProblems_data()
    {
        // problem: "{INI}" stands for the path of ATE.INI, "{DIR}" for its folder.
        AddColumns<QByteArray, bool, QString>("ateIni", "withProductsIni", "problem");
        const auto row = [](const char* name, const QByteArray& ateIni, const char* problem, bool withProducts = true) {
            QTest::newRow(name) << ateIni << withProducts << QString(problem);
        };
        row("usable", "[ATE Configuration]\r\nTestProduct=A,B\r\n", "");
        row("empty", " \r\n", "{INI} is empty");
        row("no section at all", QByteArray("\x01\xff\xfe garbage\x00\x02", 13),
            "{INI} holds no section (no line \"[name]\"): it is not an INI file");
        row("section missing", "[Database]\r\nTestProduct=A\r\n", "{INI} has no section [ATE Configuration]");
        row("key missing", "[ATE Configuration]\r\nTestID=T1\r\n",
            "{INI} has no key TestProduct in section [ATE Configuration]");
        row("PRODUCTS.INI missing", "[ATE Configuration]\r\nTestProduct=A\r\n", "there is no PRODUCTS.INI in {DIR}",
            false);
    }

    void productListProblems()
    {
        auto [ateIni, withProductsIni, problem] = FetchRow<QByteArray, bool, QString>();
        QTemporaryDir dir;
        WriteFile(dir.filePath("ate.ini"), ateIni);
        if (withProductsIni) {
            WriteFile(dir.filePath("Products.ini"), "[A]\r\nTableName=Results\r\n");
        }
        problem.replace("{INI}", QDir::toNativeSeparators(dir.filePath("ate.ini")))
            .replace("{DIR}", QDir::toNativeSeparators(dir.path()));
        QCOMPARE(ProductListProblem(dir.path()), problem);
    }
};

TESSALY_TEST(TestStatements)
#include "tst_statements.moc"
