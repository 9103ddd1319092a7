#include "QueryBuilder.h"
#include "TestMain.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <stdexcept>

namespace {

const QDate kToday(2024, 3, 7);
const QString kJetWeek = QStringLiteral("#03/01/24 00:00:01 am# AND #03/07/24 11:59:59 pm#");
const QString kQuotedWeek = QStringLiteral("'03/01/24 00:00:01 am' AND '03/07/24 11:59:59 pm'");

// The Jet form of a range from the start of `from` to the end of `to`, both "mm/dd/yy".
QString jetRange(const char* from, const char* to)
{
    return QStringLiteral("#%1 00:00:01 am# AND #%2 11:59:59 pm#").arg(QLatin1String(from), QLatin1String(to));
}

} // namespace

class TestQueryBuilder : public QObject
{
    Q_OBJECT

private slots:
    void testedRange_data()
    {
        QTest::addColumn<QString>("range");
        QTest::addColumn<QString>("databaseType");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("error");

        const QDate none;
        QTest::newRow("last 7 days, Jet") << "Last 7 Days"
                                          << "ACCESS" << kToday << none << none << "en_US" << kJetWeek << "";
        QTest::newRow("last 7 days, SQL Server") << "Last 7 Days"
                                                 << "MSSQL" << kToday << none << none << "en_US" << kQuotedWeek << "";
        const QList<std::pair<const char*, const char*>> presets{
            {"Today", "03/07/24"},        {"Last 3 Days", "03/05/24"},   {"Last 15 Days", "02/22/24"},
            {"Last 30 Days", "02/07/24"}, {"Last 45 Days", "01/23/24"},  {"Last 60 Days", "01/08/24"},
            {"Last 90 Days", "12/09/23"}, {"Last 120 Days", "11/09/23"}, {"Last 180 Days", "09/10/23"},
        };
        for (const auto& [range, start] : presets) {
            QTest::newRow(range) << range << "ACCESS" << kToday << none << none << "en_US"
                                 << jetRange(start, "03/07/24") << "";
        }
        QTest::newRow("across the new year")
            << "Last 7 Days"
            << "ACCESS" << QDate(2024, 1, 2) << none << none << "en_US" << jetRange("12/27/23", "01/02/24") << "";
        QTest::newRow("German separator") << "Today"
                                          << "ACCESS" << kToday << none << none << "de_DE"
                                          << "#03.07.24 00:00:01 am# AND #03.07.24 11:59:59 pm#"
                                          << "";
        QTest::newRow("C locale: no separator in its date format")
            << "Today" << "SQLITE" << kToday << none << none << "C"
            << "'03/07/24 00:00:01 am' AND '03/07/24 11:59:59 pm'" << "";
        QTest::newRow("custom, one day") << "Custom"
                                         << "SQLITE" << kToday << QDate(2023, 12, 5) << QDate(2023, 12, 5) << "en_US"
                                         << "'12/05/23 00:00:01 am' AND '12/05/23 11:59:59 pm'"
                                         << "";
        QTest::newRow("custom ignores today") << "Custom"
                                              << "ACCESS" << kToday << QDate(2024, 2, 1) << QDate(2024, 4, 30)
                                              << "en_US" << jetRange("02/01/24", "04/30/24") << "";
        QTest::newRow("custom never entered") << "Custom"
                                              << "ACCESS" << kToday << none << none << "en_US"
                                              << ""
                                              << "Can not reach to custom date!";
        QTest::newRow("custom without an end") << "Custom"
                                               << "ACCESS" << kToday << QDate(2024, 2, 1) << none << "en_US"
                                               << ""
                                               << "Can not reach to custom date!";
        QTest::newRow("unknown range") << "Last 8 Days"
                                       << "ACCESS" << kToday << none << none << "en_US"
                                       << ""
                                       << "";
        QTest::newRow("range in other case") << "last 7 days"
                                             << "ACCESS" << kToday << none << none << "en_US"
                                             << ""
                                             << "";
    }

    void testedRange()
    {
        QFETCH(QString, range);
        QFETCH(QString, databaseType);
        QFETCH(QDate, today);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        QFETCH(QString, error);

        QString message = QStringLiteral("untouched");
        QCOMPARE(GetTestedRange(range, databaseType, today, from, to, &message, QLocale(locale)), expected);
        QCOMPARE(message, error.isEmpty() ? QStringLiteral("untouched") : error);
    }

    void makeSql_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("xSource");
        QTest::addColumn<QString>("ySource");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("testID");
        QTest::addColumn<QString>("passFail");
        QTest::addColumn<bool>("lastOnly");
        QTest::addColumn<bool>("acceptZero");
        QTest::addColumn<QString>("expected"); // Jet form

        const QString pass = QStringLiteral("= 'PASS'");
        const QString any = QStringLiteral("LIKE '%'");
        const QString head = QStringLiteral("SELECT [SerialNumber] AS SNX, [ATEID] AS ATEX, ");
        const QString where = QStringLiteral("FROM Results WHERE [PassFail] LIKE '%' AND [SerialNumber] LIKE '%%' AND "
                                             "[TestStartTime] BETWEEN ") +
                              kJetWeek;
        QTest::newRow("control chart")
            << ""
            << "Vout"
            << "ATE-02"
            << ""
            << ""
            << ""
            << "<All>" << pass << false << false
            << "SELECT [SerialNumber] AS SNX, [ATEID] AS ATEX, [TestStartTime] AS DateX, [Vout] AS ValueX FROM Results "
               "WHERE [PassFail] = 'PASS' AND [ATEID] = 'ATE-02' AND [SerialNumber] LIKE '%%' AND [TestStartTime] "
               "BETWEEN #03/01/24 00:00:01 am# AND #03/07/24 11:59:59 pm# AND [Vout] IS NOT NULL AND [Vout] <> 999 AND "
               "[Vout] <> -999 AND [Vout] <> 0 ORDER BY [TestStartTime], [ATEID];";
        QTest::newRow("control chart, grouped, serial")
            << ""
            << "Vout"
            << "<All>"
            << ""
            << ""
            << "SN123"
            << "<All>" << any << true << true
            << "SELECT [SerialNumber] AS SNX, [ATEID] AS ATEX, MAX ([TestStartTime]) AS DateX, MAX([Vout]) AS ValueX "
               "FROM Results WHERE [PassFail] LIKE '%' AND [SerialNumber] = 'SN123' AND [TestStartTime] BETWEEN "
               "#03/01/24 00:00:01 am# AND #03/07/24 11:59:59 pm# AND [Vout] IS NOT NULL AND [Vout] <> 999 AND [Vout] "
               "<> -999 GROUP BY [SerialNumber], [ATEID], [TestStartTime] ORDER BY [TestStartTime], [ATEID];";
        QTest::newRow("histogram")
            << "Histogram"
            << "Vout"
            << ""
            << ""
            << ""
            << ""
            << "<All>" << any << false << false
            << "SELECT [SerialNumber] AS SNX, [ATEID] AS ATEX, [TestStartTime] AS DateX, [Vout] AS ValueX FROM Results "
               "WHERE [PassFail] LIKE '%' AND [SerialNumber] LIKE '%%' AND [TestStartTime] BETWEEN #03/01/24 00:00:01 "
               "am# AND #03/07/24 11:59:59 pm# AND [Vout] <> 0 AND [Vout] IS NOT NULL AND [Vout] <> 999 AND [Vout] <> "
               "-999;";
        QTest::newRow("pareto, grouped")
            << "Pareto"
            << "Vout"
            << "<All>"
            << ""
            << ""
            << ""
            << "<All>" << any << true << true
            << "SELECT [SerialNumber] AS SNX, [ATEID] AS ATEX, MAX([TestStartTime]) AS TimeX, MAX([Vout]) AS ValueX "
               "FROM Results WHERE [PassFail] LIKE '%' AND [SerialNumber] LIKE '%%' AND [TestStartTime] BETWEEN "
               "#03/01/24 00:00:01 am# AND #03/07/24 11:59:59 pm# AND [Vout] IS NOT NULL AND [Vout] <> 999 AND [Vout] "
               "<> -999 GROUP BY [SerialNumber], [ATEID], [TestStartTime];";
        QTest::newRow("scatter, one source")
            << "Scatter"
            << "Vout"
            << "<All>"
            << "ATE-01"
            << ""
            << ""
            << "<All>" << any << false << true
            << "SELECT [SerialNumber] AS SNX, [ATEID] AS ATEX, [TestStartTime] AS DateX, [Vout] AS ValueX FROM Results "
               "WHERE [PassFail] LIKE '%' AND [ATEID] = 'ATE-01' AND [SerialNumber] LIKE '%%' AND [TestStartTime] "
               "BETWEEN #03/01/24 00:00:01 am# AND #03/07/24 11:59:59 pm# AND [Vout] IS NOT NULL AND [Vout] <> 999 AND "
               "[Vout] <> -999 ORDER BY [SerialNumber], [TestStartTime];";
        QTest::newRow("scatter pair")
            << "Scatter"
            << "Vout:::Iin"
            << ""
            << ""
            << ""
            << ""
            << "<All>" << any << false << false
            << "SELECT [SerialNumber] AS SNX, [ATEID] AS ATEX, [TestStartTime] AS DateX, [Vout] AS ValueX, [Iin] AS "
               "ValueY FROM Results WHERE [PassFail] LIKE '%' AND [SerialNumber] LIKE '%%' AND [TestStartTime] BETWEEN "
               "#03/01/24 00:00:01 am# AND #03/07/24 11:59:59 pm# AND [Vout] IS NOT NULL AND [Vout] <> 999 AND [Vout] "
               "<> -999 AND [Iin] IS NOT NULL AND [Iin] <> 999 AND [Iin] <> -999 AND [Vout] <> 0 AND [Iin] <> 0 ORDER "
               "BY [TestStartTime],[ATEID];";
        QTest::newRow("test ID")
            << ""
            << "Vout"
            << ""
            << ""
            << ""
            << ""
            << "T7" << any << false << true
            << head + "[TestStartTime] AS DateX, [Vout] AS ValueX " + where +
                   " AND [TestID] = 'T7' AND [Vout] IS NOT NULL AND [Vout] <> 999 AND [Vout] <> -999 ORDER BY "
                   "[TestStartTime], [ATEID];";
        QTest::newRow("scatter, Y source replaces the source filter, grouped")
            << "Scatter"
            << "Vout"
            << "ATE-09"
            << ""
            << "ATE-03"
            << ""
            << "" << any << true << false
            << head +
                   "MAX([TestStartTime]) AS DateX, MAX([Vout]) AS ValueX FROM Results WHERE [PassFail] LIKE '%' AND "
                   "[ATEID] = 'ATE-03' AND [SerialNumber] LIKE '%%' AND [TestStartTime] BETWEEN " +
                   kJetWeek +
                   " AND [Vout] IS NOT NULL AND [Vout] <> 999 AND [Vout] <> -999 AND [Vout] <> 0 GROUP BY "
                   "[SerialNumber], [ATEID], [TestStartTime] ORDER BY [SerialNumber], MAX([TestStartTime]);";
        QTest::newRow("scatter pair, grouped")
            << "Scatter"
            << "Eff:::Iin:::X"
            << ""
            << ""
            << ""
            << ""
            << "" << any << true << true
            << head + "MAX([TestStartTime]) AS DateX, MAX([Eff]) AS ValueX, MAX([Iin:::X]) AS ValueY " + where +
                   " AND [Eff] IS NOT NULL AND [Eff] <> 999 AND [Eff] <> -999 AND [Iin:::X] IS NOT NULL AND [Iin:::X] "
                   "<> 999 AND [Iin:::X] <> -999 GROUP BY [SerialNumber], [ATEID], [TestStartTime] ORDER BY "
                   "MAX([TestStartTime]), MAX([ATEID]);";
        QTest::newRow("unknown kind") << "Trend"
                                      << "Vout"
                                      << ""
                                      << ""
                                      << ""
                                      << ""
                                      << "" << any << false << true << "";
    }

    void makeSql()
    {
        QFETCH(QString, kind);
        QFETCH(QString, parameter);
        QFETCH(QString, source);
        QFETCH(QString, xSource);
        QFETCH(QString, ySource);
        QFETCH(QString, serial);
        QFETCH(QString, testID);
        QFETCH(QString, passFail);
        QFETCH(bool, lastOnly);
        QFETCH(bool, acceptZero);
        QFETCH(QString, expected);

        QueryContext context{QStringLiteral("Results")};
        context.acceptZero = acceptZero;
        for (const QString& type : {QStringLiteral("ACCESS"), QStringLiteral("MSSQL")}) {
            const QString range = GetTestedRange("Last 7 Days", type, kToday, {}, {});
            const QString want = type == "ACCESS" ? expected : QString(expected).replace(kJetWeek, kQuotedWeek);
            QCOMPARE(MakeSQL(context, parameter, range, source, "[TestStartTime], [ATEID]", serial, testID, passFail,
                             lastOnly, kind, xSource, ySource),
                     want);
        }
    }

    void columnNamesComeFromTheContext()
    {
        const QueryContext context{"[Other Results]", "[SN]", "[Tester]", "[Started]", "[Verdict]", "[Step]", false};
        QCOMPARE(MakeSQL(context, "V", "R", "A", "S", "", "T", "= 'PASS'", true, ""),
                 "SELECT [SN] AS SNX, [Tester] AS ATEX, MAX ([Started]) AS DateX, MAX([V]) AS ValueX FROM [Other "
                 "Results] WHERE [Verdict] = 'PASS' AND [Tester] = 'A' AND [SN] LIKE '%%' AND [Started] BETWEEN R AND "
                 "[Step] = 'T' AND [V] IS NOT NULL AND [V] <> 999 AND [V] <> -999 AND [V] <> 0 GROUP BY [SN], "
                 "[Tester], [Started] ORDER BY S;");
    }

    void scatterPairNeedsSeparator()
    {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, MakeSQL(QueryContext{"Results"}, "Vout::Iin", kJetWeek, "", "",
                                                                "", "", "LIKE '%'", false, "Scatter"));
    }

    void sqliteDialect_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");

        QTest::newRow("Jet range") << "BETWEEN " + kJetWeek + ";"
                                   << "BETWEEN '2024-03-01 00:00:01' AND '2024-03-07 23:59:59';";
        QTest::newRow("quoted range") << "BETWEEN " + kQuotedWeek
                                      << "BETWEEN '2024-03-01 00:00:01' AND '2024-03-07 23:59:59'";
        QTest::newRow("12 am, 1999") << "x=#01/15/99 12:30:00 AM#"
                                     << "x='1999-01-15 00:30:00'";
        QTest::newRow("12 pm, 2029") << "x='12/31/29 12:05:09 Pm'"
                                     << "x='2029-12-31 12:05:09'";
        QTest::newRow("1930, afternoon") << "#6/1/30 1:02:03 pm#"
                                         << "'1930-06-01 13:02:03'";
        QTest::newRow("four-digit year, dots") << "#07.03.2024 11:59:59 pm#"
                                               << "'2024-07-03 23:59:59'";
        QTest::newRow("dashes") << "'03-07-24 10:00:00 am'"
                                << "'2024-03-07 10:00:00'";
        QTest::newRow("compared texts ignore case")
            << "[PassFail] = 'PASS' AND [ATEID] <> 'ATE-02' AND [SN] LIKE '%%'"
            << "[PassFail] = 'PASS' COLLATE NOCASE AND [ATEID] <> 'ATE-02' COLLATE NOCASE AND [SN] LIKE '%%'";
        QTest::newRow("hashes inside a string") << "[SN] = '#03/01/24 00:00:01 am#' AND #03/01/24 00:00:01 am#"
                                                << "[SN] = '#03/01/24 00:00:01 am#' COLLATE NOCASE AND "
                                                   "'2024-03-01 00:00:01'";
        QTest::newRow("marks inside brackets") << "[Eff#] <> 0 AND [Op's] = 'a' AND t = #03/01/24 00:00:01 am#"
                                               << "[Eff#] <> 0 AND [Op's] = 'a' COLLATE NOCASE AND t = "
                                                  "'2024-03-01 00:00:01'";
        QTest::newRow("mixed separators") << "#03/01-24 00:00:01 am#"
                                          << "#03/01-24 00:00:01 am#";
        QTest::newRow("no such day") << "'02/30/24 10:00:00 am'"
                                     << "'02/30/24 10:00:00 am'";
        QTest::newRow("13 o'clock pm") << "#03/01/24 13:00:00 pm#"
                                       << "#03/01/24 13:00:00 pm#";
        QTest::newRow("without am/pm") << "'03/01/24 10:00:00'"
                                       << "'03/01/24 10:00:00'";
    }

    void sqliteDialect()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        QCOMPARE(ToSQLiteDialect(sql), expected);
    }

    // Texts that would make a backtracking scan quadratic must come back unchanged at once.
    void sqliteDialectStaysLinear()
    {
        QElapsedTimer timer;
        timer.start();
        for (const QString& sql : {QString("'[").repeated(100000), "'" + QString("#03/01/24 ").repeated(20000),
                                   QString("#03/01/24 1").repeated(20000)}) {
            QCOMPARE(ToSQLiteDialect(sql), sql);
        }
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed()) + " ms"));
    }

    void rangeOnSqlite_data()
    {
        QTest::addColumn<QString>("databaseType");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("parameter");

        QTest::newRow("Jet literals") << "ACCESS"
                                      << ""
                                      << "Vout";
        QTest::newRow("quoted literals") << "MSSQL"
                                         << ""
                                         << "Vout";
        QTest::newRow("scatter pair") << "ACCESS"
                                      << "Scatter"
                                      << "Vout:::Iin";
    }

    void rangeOnSqlite()
    {
        QFETCH(QString, databaseType);
        QFETCH(QString, kind);
        QFETCH(QString, parameter);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "querybuilder");
            db.setDatabaseName(":memory:");
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("CREATE TABLE Results (SerialNumber TEXT, ATEID TEXT, TestStartTime TEXT, PassFail TEXT, "
                           "TestID TEXT, Vout REAL, Iin REAL)"));
            QVERIFY(q.exec("INSERT INTO Results VALUES ('before', 'A', '2024-03-01 00:00:00', 'PASS', 'T1', 5, 1), "
                           "('first', 'A', '2024-03-01 00:00:01', 'FAIL', 'T1', 5, 1), "
                           "('last', 'A', '2024-03-07 23:59:59', 'PASS', 'T1', 5, 1), "
                           "('after', 'A', '2024-03-08 00:00:00', 'PASS', 'T1', 5, 1)"));
            const QString range = GetTestedRange("Last 7 Days", databaseType, kToday, {}, {});
            const QString sql =
                ToSQLiteDialect(MakeSQL(QueryContext{"Results"}, parameter, range, "<All>", "[TestStartTime], [ATEID]",
                                        "", "<All>", "LIKE '%'", false, kind));
            QVERIFY2(q.exec(sql), qPrintable(sql + "\n" + q.lastError().text()));
            QStringList serials;
            while (q.next()) {
                serials.append(q.value("SNX").toString());
            }
            QCOMPARE(serials, QStringList({"first", "last"}));
        }
        QSqlDatabase::removeDatabase("querybuilder");
    }
};

TESSALY_TEST(TestQueryBuilder)
#include "tst_querybuilder.moc"
