#include "DataRow.h"
#include "MariaDbDialect.h"
#include "PostgresDialect.h"
#include "QueryBuilder.h"
#include "TestMain.h"

#include <QTest>

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
        AddColumns<QString, QString, QDate, QDate, QDate, QString, QString, QString>(
            "range", "databaseType", "today", "from", "to", "locale", "expected", "error");
        const auto row = [](const char* name, const char* range, const char* type, QDate today, QDate from, QDate to,
                            const char* locale, const QString& expected, const char* error = "") {
            QTest::newRow(name) << range << type << today << from << to << locale << expected << error;
        };
        const QDate none;
        const char* noCustom = "Can not reach to custom date!";
        row("last 7 days, Jet", "Last 7 Days", "ACCESS", kToday, none, none, "en_US", kJetWeek);
        const QList<std::pair<const char*, const char*>> presets{
            {"Today", "03/07/24"},        {"Last 3 Days", "03/05/24"},   {"Last 15 Days", "02/22/24"},
            {"Last 30 Days", "02/07/24"}, {"Last 45 Days", "01/23/24"},  {"Last 60 Days", "01/08/24"},
            {"Last 90 Days", "12/09/23"}, {"Last 120 Days", "11/09/23"}, {"Last 180 Days", "09/10/23"},
        };
        for (const auto& [range, start] : presets) {
            row(range, range, "ACCESS", kToday, none, none, "en_US", jetRange(start, "03/07/24"));
        }
        row("across the new year", "Last 7 Days", "ACCESS", QDate(2024, 1, 2), none, none, "en_US",
            jetRange("12/27/23", "01/02/24"));
        row("German separator", "Today", "ACCESS", kToday, none, none, "de_DE",
            "#03.07.24 00:00:01 am# AND #03.07.24 11:59:59 pm#");
        row("C locale: no separator in its date format", "Today", "SQLITE", kToday, none, none, "C",
            "'03/07/24 00:00:01 am' AND '03/07/24 11:59:59 pm'");
        row("custom, one day", "Custom", "SQLITE", kToday, QDate(2023, 12, 5), QDate(2023, 12, 5), "en_US",
            "'12/05/23 00:00:01 am' AND '12/05/23 11:59:59 pm'");
        row("custom ignores today", "Custom", "ACCESS", kToday, QDate(2024, 2, 1), QDate(2024, 4, 30), "en_US",
            jetRange("02/01/24", "04/30/24"));
        row("custom never entered", "Custom", "ACCESS", kToday, none, none, "en_US", "", noCustom);
        row("custom without an end", "Custom", "ACCESS", kToday, QDate(2024, 2, 1), none, "en_US", "", noCustom);
        row("unknown range", "Last 8 Days", "ACCESS", kToday, none, none, "en_US", "");
        row("range in other case", "last 7 days", "ACCESS", kToday, none, none, "en_US", "");
    }

    void testedRange()
    {
        const auto [range, databaseType, today, from, to, locale, expected, error] =
            FetchRow<QString, QString, QDate, QDate, QDate, QString, QString, QString>();

        QString message = QStringLiteral("untouched");
        QCOMPARE(GetTestedRange(range, databaseType, today, from, to, &message, QLocale(locale)).text, expected);
        QCOMPARE(message, error.isEmpty() ? QStringLiteral("untouched") : error);
    }

    void raiseRangeStart_data()
    {
        AddColumns<QString, QDateTime, QString, QDateTime>("databaseType", "from", "expected", "start");
        const auto at = [](int hour, int minute, int second) {
            return QDateTime(QDate(2024, 3, 5), QTime(hour, minute, second));
        };
        QTest::newRow("afternoon, Jet") << "ACCESS" << at(14, 5, 9)
                                        << "#03/05/24 02:05:09 pm# AND #03/07/24 11:59:59 pm#"
                                        << QDateTime(QDate(2024, 3, 5), QTime(14, 5, 9), Qt::UTC);
        QTest::newRow("the hour after midnight")
            << "SQLITE" << at(0, 30, 0) << "'03/05/24 12:30:00 am' AND '03/07/24 11:59:59 pm'"
            << QDateTime(QDate(2024, 3, 5), QTime(0, 30), Qt::UTC);
        QTest::newRow("noon") << "SQLITE" << at(12, 0, 0) << "'03/05/24 12:00:00 pm' AND '03/07/24 11:59:59 pm'"
                              << QDateTime(QDate(2024, 3, 5), QTime(12, 0), Qt::UTC);
        QTest::newRow("before the range: unchanged")
            << "ACCESS" << QDateTime(QDate(2024, 2, 20), QTime(9, 0)) << kJetWeek
            << QDateTime(QDate(2024, 3, 1), QTime(0, 0, 1), Qt::UTC);
    }

    // A refresh reads from the last time seen on: the range's lower bound is raised, the upper stays.
    void raiseRangeStart()
    {
        const auto [databaseType, from, expected, start] = FetchRow<QString, QDateTime, QString, QDateTime>();
        const SqlText range = GetTestedRange("Last 7 Days", databaseType, kToday, {}, {}, nullptr, QLocale("en_US"));
        const SqlText sql("SELECT 1 FROM T WHERE [d] BETWEEN " + range.text + ";", range.dates);
        const SqlText raised = RaiseRangeStart(sql, from, QLocale("en_US"));
        QCOMPARE(raised.text, "SELECT 1 FROM T WHERE [d] BETWEEN " + expected + ";");
        QCOMPARE(raised.dates.front().dateTime, start);
        QCOMPARE(raised.dates.back().text, range.dates.back().text);
    }

    // "call": kind, parameter, source, xSource, ySource, serial, testID, passFail.
    void makeSql_data()
    {
        // expected: Jet form
        AddColumns<QStringList, bool, bool, QString>("call", "lastOnly", "acceptZero", "expected");
        const auto row = [](const char* name, const QStringList& call, bool lastOnly, bool acceptZero,
                            const QString& expected) {
            QTest::newRow(name) << call << lastOnly << acceptZero << expected;
        };
        const QString pass = QStringLiteral("= 'PASS'");
        const QString any = QStringLiteral("LIKE '%'");
        const QString head = QStringLiteral("SELECT [SerialNumber] AS SNX, [ATEID] AS ATEX, ");
        const QString select = head + "[TestStartTime] AS DateX, ";
        const QString vout = select + "[Vout] AS ValueX FROM Results WHERE [PassFail] ";
        const QString week = " AND [SerialNumber] LIKE '%%' AND [TestStartTime] BETWEEN " + kJetWeek;
        const auto valid = [](const char* column) {
            return QString(" AND [%1] IS NOT NULL AND [%1] <> 999 AND [%1] <> -999").arg(column);
        };
        const QString grouped = " GROUP BY [SerialNumber], [ATEID], [TestStartTime]";
        const QString ordered = " ORDER BY [TestStartTime], [ATEID];";
        const QString yield = select + "CASE WHEN [PassFail] = 'PASS' THEN 1 ELSE 0 END AS PassX";
        row("control chart", {"", "Vout", "ATE-02", "", "", "", "<All>", pass}, false, false,
            vout + "= 'PASS' AND [ATEID] = 'ATE-02'" + week + valid("Vout") + " AND [Vout] <> 0" + ordered);
        row("control chart, grouped, serial", {"", "Vout", "<All>", "", "", "SN123", "<All>", any}, true, true,
            head + "MAX ([TestStartTime]) AS DateX, MAX([Vout]) AS ValueX FROM Results WHERE [PassFail] LIKE '%' AND " +
                "[SerialNumber] = 'SN123' AND [TestStartTime] BETWEEN " + kJetWeek + valid("Vout") + grouped + ordered);
        row("histogram", {"Histogram", "Vout", "", "", "", "", "<All>", any}, false, false,
            vout + "LIKE '%'" + week + " AND [Vout] <> 0" + valid("Vout") + ";");
        row("pareto, grouped", {"Pareto", "Vout", "<All>", "", "", "", "<All>", any}, true, true,
            head + "MAX([TestStartTime]) AS TimeX, MAX([Vout]) AS ValueX FROM Results WHERE [PassFail] LIKE '%'" +
                week + valid("Vout") + grouped + ";");
        row("scatter, one source", {"Scatter", "Vout", "<All>", "ATE-01", "", "", "<All>", any}, false, true,
            vout + "LIKE '%' AND [ATEID] = 'ATE-01'" + week + valid("Vout") +
                " ORDER BY [SerialNumber], [TestStartTime];");
        row("scatter pair", {"Scatter", "Vout:::Iin", "", "", "", "", "<All>", any}, false, false,
            select + "[Vout] AS ValueX, [Iin] AS ValueY FROM Results WHERE [PassFail] LIKE '%'" + week + valid("Vout") +
                valid("Iin") + " AND [Vout] <> 0 AND [Iin] <> 0 ORDER BY [TestStartTime],[ATEID];");
        row("test ID", {"", "Vout", "", "", "", "", "T7", any}, false, true,
            vout + "LIKE '%'" + week + " AND [TestID] = 'T7'" + valid("Vout") + ordered);
        row("scatter, Y source replaces the source filter, grouped",
            {"Scatter", "Vout", "ATE-09", "", "ATE-03", "", "", any}, true, false,
            head + "MAX([TestStartTime]) AS DateX, MAX([Vout]) AS ValueX FROM Results WHERE [PassFail] LIKE '%' AND " +
                "[ATEID] = 'ATE-03'" + week + valid("Vout") + " AND [Vout] <> 0" + grouped +
                " ORDER BY [SerialNumber], MAX([TestStartTime]);");
        row("scatter pair, grouped", {"Scatter", "Eff:::Iin:::X", "", "", "", "", "", any}, true, true,
            head + "MAX([TestStartTime]) AS DateX, MAX([Eff]) AS ValueX, MAX([Iin:::X]) AS ValueY FROM Results WHERE " +
                "[PassFail] LIKE '%'" + week + valid("Eff") + valid("Iin:::X") + grouped +
                " ORDER BY MAX([TestStartTime]), MAX([ATEID]);");
        row("screening: every column, unfiltered, ungrouped, unordered",
            {"Screening", "Vout:::Iin", "ATE-02", "", "", "", "T7", pass}, true, false,
            select + "[Vout] AS Value0, [Iin] AS Value1 FROM Results WHERE [PassFail] = 'PASS' AND [ATEID] = 'ATE-02'" +
                week + " AND [TestID] = 'T7';");
        row("yield: every verdict marked, the columns, time, source and serial order",
            {"Yield", "Vout:::Iin", "ATE-02", "", "", "", "T7", pass}, true, false,
            yield + ", [Vout] AS Value0, [Iin] AS Value1 FROM Results WHERE [ATEID] = 'ATE-02'" + week +
                " AND [TestID] = 'T7' ORDER BY [TestStartTime], [ATEID], [SerialNumber];");
        row("yield without columns or source", {"Yield", "", "", "", "", "", "<All>", pass}, false, true,
            yield + " FROM Results WHERE" + week.mid(4) + " ORDER BY [TestStartTime], [ATEID], [SerialNumber];");
        row("unknown kind", {"Trend", "Vout", "", "", "", "", "", any}, false, true, "");
    }

    void makeSql()
    {
        const auto [call, lastOnly, acceptZero, expected] = FetchRow<QStringList, bool, bool, QString>();

        QueryContext context{QStringLiteral("Results")};
        context.acceptZero = acceptZero;
        for (const QString& type : {QStringLiteral("ACCESS"), QStringLiteral("MSSQL")}) {
            const QString range = GetTestedRange("Last 7 Days", type, kToday, {}, {}).text;
            const QString want = type == "ACCESS" ? expected : QString(expected).replace(kJetWeek, kQuotedWeek);
            QCOMPARE(MakeSQL(context, call[1], range, call[2], "[TestStartTime], [ATEID]", call[5], call[6], call[7],
                             lastOnly, call[0], call[3], call[4]),
                     want);
        }
    }

    // "{R}" in sql stands for the BETWEEN operands of a custom range from..to in the date syntax of
    // type; the statement carries that range's date literals. Rows named "PostgreSQL: ..." are
    // written for a table whose catalog spells the names of kCatalog.
    void dialects_data()
    {
        AddColumns<QString, QString, QDate, QDate, QString>("sql", "type", "from", "to", "expected");
        const auto row = [](const char* name, const QString& sql, const char* type, QDate from, QDate to,
                            const QString& expected) { QTest::newRow(name) << sql << type << from << to << expected; };
        const QDate first(2024, 3, 1);
        const QDate last(2024, 3, 7);
        const QString isoWeek = QStringLiteral("'2024-03-01 00:00:01' AND '2024-03-07 23:59:59'");
        row("Jet range", "BETWEEN {R};", "ACCESS", first, last, "BETWEEN " + isoWeek + ";");
        row("quoted range", "BETWEEN {R}", "MSSQL", first, last, "BETWEEN " + isoWeek);
        row("2031 stays 2031", "{R}", "ACCESS", QDate(2031, 1, 2), QDate(2031, 12, 31),
            "'2031-01-02 00:00:01' AND '2031-12-31 23:59:59'");
        row("1999 stays 1999", "{R}", "MSSQL", QDate(1999, 12, 31), QDate(2000, 1, 1),
            "'1999-12-31 00:00:01' AND '2000-01-01 23:59:59'");
        row("compared texts ignore case", "[PassFail] = 'PASS' AND [ATEID] <> 'ATE-02' AND [SN] LIKE '%%'", "ACCESS",
            first, last,
            "[PassFail] = 'PASS' COLLATE NOCASE AND [ATEID] <> 'ATE-02' COLLATE NOCASE AND [SN] LIKE '%%'");
        row("doubled apostrophes stay inside their text", "[SN] = 'SN''Q ''' AND [ATEID] = 'x'' OR ''1''=''1'",
            "ACCESS", first, last, "[SN] = 'SN''Q ''' COLLATE NOCASE AND [ATEID] = 'x'' OR ''1''=''1' COLLATE NOCASE");
        row("literal text inside a string", "[SN] = '#03/01/24 00:00:01 am#' AND {R}", "ACCESS", first, last,
            "[SN] = '#03/01/24 00:00:01 am#' COLLATE NOCASE AND " + isoWeek);
        row("marks inside brackets", "[Eff#] <> 0 AND [Op's] = 'a' AND t BETWEEN {R}", "ACCESS", first, last,
            "[Eff#] <> 0 AND [Op's] = 'a' COLLATE NOCASE AND t BETWEEN " + isoWeek);
        row("a test ID written like a range date", "[TestID] = '03/01/24 00:00:01 am' AND t BETWEEN {R}", "MSSQL",
            first, last, "[TestID] = '03/01/24 00:00:01 am' COLLATE NOCASE AND t BETWEEN " + isoWeek);
        row("dates the statement does not carry stay as written", "#03/01/24 00:00:01 am# AND '03/07/2024 10:00:00 am'",
            "ACCESS", QDate(2024, 3, 2), last, "#03/01/24 00:00:01 am# AND '03/07/2024 10:00:00 am'");
        row("SQLite behind ODBC: texts in any case, letters outside ASCII too",
            "[SN] = 'sné1' AND [ATEID] <> 'ß*?[]' AND [SN] LIKE '%%'", "ACCESS", first, last,
            "[SN] GLOB '[sS][nN][' || char(233, 201) || ']1' AND [ATEID] NOT GLOB '' || char(223) || '[*][?][[][]]' "
            "AND [SN] LIKE '%%'");

        row("PostgreSQL: names in the catalog's case", "SELECT [serialnumber] AS SNX, MAX([VOUT]) FROM results;",
            "ACCESS", first, last, "SELECT \"SerialNumber\" AS SNX, MAX(\"Vout\") FROM \"Results\";");
        row("PostgreSQL: names the catalog lacks", "SELECT [No\"Such], [Vout] FROM [Other Results] WHERE x", "ACCESS",
            first, last, "SELECT \"No\"\"Such\", \"Vout\" FROM \"Other Results\" WHERE x");
        row("PostgreSQL: 2031 stays 2031", "[TestStartTime] BETWEEN {R}", "ACCESS", QDate(2031, 1, 2),
            QDate(2031, 12, 31),
            "\"TestStartTime\" BETWEEN TIMESTAMP '2031-01-02 00:00:01' AND TIMESTAMP '2031-12-31 23:59:59'");
        row("PostgreSQL: compared texts in any case, letters outside ASCII too",
            "[PassFail] = 'PASS' AND [ATEID] <>'é_0%.*' AND [SN] LIKE '%%'", "MSSQL", first, last,
            "\"PassFail\" ~ '^[Pp][Aa][Ss][Ss]$' AND \"ATEID\" !~ '^[éÉ]_0%\\.\\*$' AND \"SN\" LIKE '%%'");
        row("PostgreSQL: doubled apostrophes stay inside their text",
            "[SN] = 'SN''Q \\' AND [ATEID] = 'x'' OR ''1''=''1'", "ACCESS", first, last,
            "\"SN\" ~ '^[Ss][Nn]''[Qq] \\\\$' AND \"ATEID\" ~ '^[xX]'' [Oo][Rr] ''1''=''1$'");
        row("PostgreSQL: a test ID written like a range date", "[TestID] = '03/01/24 00:00:01 am' AND t BETWEEN {R}",
            "MSSQL", first, last,
            "\"TestID\" ~ '^03/01/24 00:00:01 [aA][mM]$' AND t BETWEEN TIMESTAMP '2024-03-01 00:00:01' AND "
            "TIMESTAMP '2024-03-07 23:59:59'");

        row("MariaDB: names in the catalog's case", "SELECT [serialnumber] AS SNX, MAX ([VOUT]) FROM results;",
            "ACCESS", first, last, "SELECT `SerialNumber` AS SNX, MAX (`Vout`) FROM `Results`;");
        row("MariaDB: names the catalog lacks", "SELECT [No`Such] FROM [Other Results] WHERE x", "ACCESS", first, last,
            "SELECT `No``Such` FROM `Other Results` WHERE x");
        row("MariaDB: range and compared texts", "[PassFail] = 'PASS' AND [ATEID] <> 'Aß\\' AND [SN] LIKE '%' AND {R}",
            "ACCESS", first, last,
            "`PassFail` REGEXP '^[Pp][Aa][Ss][Ss]\\z' AND `ATEID` NOT REGEXP '^[Aa]ß\\\\\\z' AND "
            "`SN` LIKE '%' AND TIMESTAMP '2024-03-01 00:00:01' AND TIMESTAMP '2024-03-07 23:59:59'");
    }

    void dialects()
    {
        const auto [sql, type, from, to] = FetchRow<QString, QString, QDate, QDate>();
        const SqlText range = GetTestedRange("Custom", type, kToday, from, to, nullptr, QLocale("en_US"));
        const SqlText statement(QString(sql).replace("{R}", range.text), range.dates);
        const QStringList catalog{"Results", "SerialNumber", "TestStartTime", "TestID", "PassFail", "ATEID", "Vout"};
        const QByteArray tag = QTest::currentDataTag();
        QTEST(tag.startsWith("PostgreSQL: ") ? ToPostgresDialect(statement, catalog)
              : tag.startsWith("MariaDB: ")  ? ToMariaDbDialect(statement, catalog)
                                             : ToSQLiteDialect(statement, !tag.startsWith("SQLite behind ODBC: ")),
              "expected");
    }
};

TESSALY_TEST(TestQueryBuilder)
#include "tst_querybuilder.moc"
