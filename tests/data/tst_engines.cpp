#include "Connection.h"
#include "CrossEngineSelections.h"
#include "DataRow.h"
#include "MariaDbServer.h"
#include "PostgresServer.h"
#include "QueryBuilder.h"
#include "Recordset.h"
#include "ResultsFixtures.h"
#include "ResultsTable.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>
#include <optional>

namespace {

// One record of results_small.csv; an empty field is Null.
struct CsvRow
{
    QString serial, ate, time, passFail, testID;
    std::optional<double> values[4]; // Vout, Iin, Ripple, Eff
};

QList<CsvRow> readCsv(const QString& path)
{
    QList<CsvRow> rows;
    for (const QByteArray& line : ReadFile(path).trimmed().split('\n').mid(1)) { // after the header
        const QStringList f = QString::fromUtf8(line).trimmed().split(QLatin1Char(','));
        CsvRow& row = rows.emplace_back(CsvRow{f[0], f[1], f[2], f[3], f[4], {}});
        for (int i = 0; i < 4; ++i) {
            row.values[i] = f[5 + i].isEmpty() ? std::nullopt : std::optional(f[5 + i].toDouble());
        }
    }
    return rows;
}

const QStringList kParameters{"Vout", "Iin", "Ripple", "Eff"};
const QString kDataSource = "Provider=MSDASQL;UID=;PWD=;Database=;DSN=";

// A row as "serial|source|time|value[|value]", for comparing result sets of any order.
using Rows = QStringList;

QString rowText(const QString& key, const QList<double>& values)
{
    QStringList text{key};
    for (const double v : values) {
        text.append(QString::number(v, 'g', 17)); // only the same double gives the same text
    }
    return text.join("|");
}

// What a selection must return, worked out from the CSV with the meaning of the query's
// clauses: Nulls never match, text compares without case, ranges run from 00:00:01 of the first
// day to 23:59:59 of the last, missing-measurement markers and (optionally) zeros are dropped,
// and the grouped forms keep the largest value of each serial/source/time.
Rows expectedRows(const QList<CsvRow>& csv, const CrossEngineSelection& s)
{
    const QStringList params = s.parameter.split(QStringLiteral(":::"));
    const QString low = s.from.toString("yyyy-MM-dd") + " 00:00:01";
    const QString high = s.to.toString("yyyy-MM-dd") + " 23:59:59";
    QMap<QString, QList<double>> groups;
    Rows rows;
    for (const CsvRow& r : csv) {
        const bool passOk = s.passOnly ? r.passFail.compare("PASS", Qt::CaseInsensitive) == 0 : !r.passFail.isEmpty();
        const bool sourceOk = s.source.isEmpty() || r.ate.compare(s.source, Qt::CaseInsensitive) == 0;
        const bool serialOk =
            s.serial.isEmpty() ? !r.serial.isEmpty() : r.serial.compare(s.serial, Qt::CaseInsensitive) == 0;
        const bool testOk = s.testID.isEmpty() || r.testID.compare(s.testID, Qt::CaseInsensitive) == 0;
        if (!passOk || !sourceOk || !serialOk || !testOk || r.time < low || r.time > high) {
            continue;
        }
        QList<double> values;
        bool valueOk = true;
        for (const QString& p : params) {
            const std::optional<double> v = r.values[kParameters.indexOf(p)];
            valueOk = valueOk && v && *v != 999 && *v != -999 && (s.acceptZero || *v != 0);
            values.append(v.value_or(0));
        }
        if (!valueOk) {
            continue;
        }
        const QString key = r.serial + "|" + r.ate + "|" + r.time;
        if (s.lastOnly) {
            QList<double>& group = groups[key];
            for (int i = 0; i < values.size(); ++i) {
                group.size() > i ? void(group[i] = std::max(group[i], values[i])) : group.append(values[i]);
            }
        } else {
            rows.append(rowText(key, values));
        }
    }
    for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
        rows.append(rowText(it.key(), it.value()));
    }
    rows.sort();
    return rows;
}

} // namespace

class TestEngines : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QList<CsvRow> m_csv;
    QMap<QString, QByteArray> m_contents;
    std::unique_ptr<PostgresServer> m_postgres;
    std::unique_ptr<MariaDbServer> m_mariaDb;

    QString fixture(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        for (const char* name : {"results_small_v2000.mdb", "results_small_v2003.mdb", "results_small.xls",
                                 "results_small.sqlite", "results_small.csv"}) {
            QVERIFY(QFile::copy(FixturePath(name), fixture(name)));
            QFile(fixture(name)).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            m_contents.insert(name, ReadFile(fixture(name)));
        }
        m_csv = readCsv(fixture("results_small.csv"));
        QCOMPARE(m_csv.size(), 514);
        // The same records in the formats made here: a workbook and the logs of test stations.
        const QString source = fixture("results_small.csv");
        QVERIFY(WriteResultsWorkbook(source, fixture("results_small.xlsx")));
        QVERIFY(WriteResultsLogFolder(source, fixture("logs")));
        QVERIFY(WriteResultsLog(source, fixture("dots.csv"), LogStyle::DayFirstDots, 0, 514));
        QVERIFY(WriteResultsLog(source, fixture("am-pm.csv"), LogStyle::MonthFirstAmPm, 0, 514));

        // Serials whose case is not ASCII's.
        const QList<ResultRecord> cases{{"SNÉ1", "ATE-01", "2024-03-02 08:00:00", "PASS", {5.0, 1.0, 2.0, 3.0}},
                                        {"SS", "ATE-01", "2024-03-02 08:01:00", "PASS", {5.1, 1.0, 2.0, 3.0}},
                                        {"S", "ATE-01", "2024-03-02 08:02:00", "PASS", {5.2, 1.0, 2.0, 3.0}}};
        WriteResultsTable(fixture("cases.sqlite"), kParameters, cases);
        WriteResultsCsv(fixture("cases.csv"), kParameters, cases);

        // The same records on a PostgreSQL server of our own, under mixed-case names, and on a
        // MariaDB server, in tables whose text compares with case.
        m_postgres = std::make_unique<PostgresServer>();
        m_mariaDb = std::make_unique<MariaDbServer>();
        const QByteArray csv = ReadFile(fixture("results_small.csv"));
        const auto load = [&csv, this](auto& server) {
            return server.isReady() && server.loadResults("Results", csv) &&
                   server.loadResults("Other Results", csv.split('\n').mid(0, 51).join('\n')) &&
                   server.loadResults("Cases", ReadFile(fixture("cases.csv")));
        };
        QVERIFY2(load(*m_postgres), qPrintable(m_postgres->error()));
        QVERIFY2(load(*m_mariaDb), qPrintable(m_mariaDb->error()));

        // ODBC data sources of our own on Debian's SQLite driver, on psqlODBC and on MariaDB's driver.
        QVERIFY(RegisterOdbcDataSources(
            m_dir.path(),
            "[SQLite3]\nDriver=libsqlite3odbc.so\n" + m_postgres->odbcDriverEntry() + m_mariaDb->odbcDriverEntry(),
            "[TessalySmall]\nDriver=SQLite3\nDatabase=" + fixture("results_small.sqlite").toUtf8() + "\n" +
                "[TessalyCases]\nDriver=SQLite3\nDatabase=" + fixture("cases.sqlite").toUtf8() + "\n" +
                m_postgres->odbcDataSourceEntry("TessalyPostgres") + m_mariaDb->odbcDataSourceEntry("TessalyMariaDb")));

        // A function that writes, called by statements that try to write through the program's session.
        QSqlDatabase admin = QSqlDatabase::addDatabase("QODBC", "postgres-admin");
        admin.setDatabaseName("TessalyPostgres");
        QSqlQuery create(admin);
        // Texts in the "C" collation, as on a cluster made with --locale=C: its case is ASCII's.
        QVERIFY2(admin.open() &&
                     create.exec("ALTER TABLE \"Cases\" ALTER \"SerialNumber\" TYPE text COLLATE \"C\", "
                                 "ALTER \"PassFail\" TYPE text COLLATE \"C\"") &&
                     create.exec("CREATE TABLE written (t text)") &&
                     create.exec("CREATE FUNCTION w(t text) RETURNS int LANGUAGE sql AS "
                                 "'INSERT INTO written VALUES (t) RETURNING 1'"),
                 qPrintable(admin.lastError().text() + create.lastError().text()));
    }

    void sameRowsOnEveryEngine_data()
    {
        // limitRows: the table holds only the first rows of the CSV; writers: statements that try to
        // write into PostgreSQL's table "written", the last of which must fail
        AddColumns<QString, QString, QString, int, QStringList>("connectionText", "table", "databaseType", "limitRows",
                                                                "writers");

        const auto row = [](const char* name, const QString& text, const char* table, const char* type, int rows,
                            const QStringList& writers = {}) {
            QTest::newRow(name) << text << QString(table) << QString(type) << rows << writers;
        };
        const QString jet = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";
        const QString excel = jet + fixture("results_small.xls") + ";Extended Properties=\"Excel 8.0;HRD=YES;\"";
        row("Jet 2000", jet + fixture("results_small_v2000.mdb") + ";", "Results", "ACCESS", 514);
        row("Jet 2000, table with a blank", jet + fixture("results_small_v2000.mdb") + ";", "[Other Results]", "ACCESS",
            50);
        row("Jet 2003", jet + fixture("results_small_v2003.mdb") + ";", "results", "ACCESS", 514);
        row("Excel", excel, "[Results$]", "ACCESS", 514);
        row("Excel, second sheet named in other case", excel, "[sHEET1$]", "ACCESS", 50);
        const QString ace = "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=";
        const QString xlsx = ace + fixture("results_small.xlsx") + ";Extended Properties=\"Excel 12.0 Xml;HDR=YES\";";
        row("Excel 2007 workbook", xlsx, "[Results$]", "ACCESS", 514);
        row("Excel 2007 workbook, second sheet named in other case", xlsx, "[sHEET1$]", "ACCESS", 50);
        const QString text = ";Extended Properties=\"text;HDR=Yes;FMT=Delimited\";";
        row("CSV folder of three days", ace + fixture("logs") + text, "[CSV]", "ACCESS", 514);
        row("CSV file, day first with dots", ace + fixture("dots.csv") + text, "[CSV]", "ACCESS", 514);
        row("CSV file, month first with AM and PM", ace + fixture("am-pm.csv") + text, "[CSV]", "ACCESS", 514);
        row("SQLite file", "Provider=SQLite;Data Source=" + fixture("results_small.sqlite") + ";", "Results", "SQLITE",
            514);
        row("ODBC data source", kDataSource + "TessalySmall;", "Results", "ODBC", 514);
        const QString postgres = kDataSource + "TessalyPostgres;";
        row("PostgreSQL", postgres, "Results", "ODBC", 514,
            {"SELECT set_config('default_transaction_read_only', 'off', false)", "SELECT w('x')"});
        row("PostgreSQL, table with a blank named in other case", postgres, "[other results]", "ODBC", 50);
        const QString mariaDb = kDataSource + "TessalyMariaDb;";
        row("MariaDB", mariaDb, "Results", "ODBC", 514);
        row("MariaDB, table with a blank named in other case", mariaDb, "[other results]", "ODBC", 50);
    }

    void sameRowsOnEveryEngine()
    {
        const auto [connectionText, table, databaseType, limitRows, writers] =
            FetchRow<QString, QString, QString, int, QStringList>();

        Connection connection;
        QVERIFY2(connection.open(connectionText), qPrintable(connection.lastError()));
        const QList<CsvRow> csv = m_csv.mid(0, limitRows);

        // The engine itself refuses to write through the program's connection.
        QString write;
        QVERIFY2(connection.prepare(SqlText("DELETE FROM " + table), write), qPrintable(connection.lastError()));
        QSqlQuery deletion(connection.database());
        QVERIFY(!deletion.exec(write));
        const QString refusal = connection.describe(deletion.lastError());
        QVERIFY2(refusal.contains(QRegularExpression("read.?only", QRegularExpression::CaseInsensitiveOption)),
                 qPrintable(refusal));
        // Nor can a statement open the session for writing for the next one.
        for (const QString& writer : writers) {
            Recordset rs;
            QCOMPARE(rs.Open(connection, writer), writer != writers.last());
            QVERIFY2(writer != writers.last() || rs.lastError().contains("read-only transaction"),
                     qPrintable(rs.lastError()));
        }
        if (!writers.isEmpty()) {
            QSqlQuery written(QSqlDatabase::database("postgres-admin"));
            QVERIFY(written.exec("SELECT count(*) FROM written") && written.next());
            QCOMPARE(written.value(0).toInt(), 0);
        }

        for (const auto& [name, s] : CrossEngineSelections()) {
            const SqlText range = GetTestedRange("Custom", databaseType, QDate(2024, 3, 7), s.from, s.to);
            QueryContext context{table};
            context.acceptZero = s.acceptZero;
            const SqlText sql(MakeSQL(context, s.parameter, range.text, s.source, "[TestStartTime], [ATEID]", s.serial,
                                      s.testID, s.passOnly ? "= 'PASS'" : "LIKE '%'", s.lastOnly, s.chartType,
                                      s.chartType == "Scatter" ? s.source : QString()),
                              range.dates);
            Recordset rs;
            QVERIFY2(rs.Open(connection, sql), qPrintable(name + (": " + rs.lastError())));
            const auto current = [&] {
                const QVariant date = rs.value(s.lastOnly && s.chartType == "Pareto" ? "TimeX" : "DateX");
                QList<double> values{rs.value("ValueX").toDouble()};
                if (s.parameter.contains(":::")) {
                    values.append(rs.value("ValueY").toDouble());
                }
                return date.typeId() != QMetaType::QDateTime
                           ? QString("not a date-time: ") + date.typeName()
                           : rowText(rs.value("SNX").toString() + "|" + rs.value("atex").toString() + "|" +
                                         date.toDateTime().toString("yyyy-MM-dd HH:mm:ss"),
                                     values);
            };
            const qint64 count = rs.RecordCount(); // exact before the first row is read
            Rows rows;
            for (; !rs.isEOF(); rs.MoveNext()) {
                rows.append(current());
            }
            QCOMPARE(count, qint64(rows.size()));
            if (!rows.isEmpty()) { // a client cursor rewinds
                rs.MoveFirst();
                QCOMPARE(current(), rows.first());
                QVERIFY(!rs.value("NoSuchField").isValid());
            }
            rows.sort();
            const Rows expected = expectedRows(csv, s);
            QVERIFY2(!expected.isEmpty() || QByteArray(name) == "serial in lower case" || limitRows < 514, name);
            if (rows != expected) {
                qWarning() << name << sql.text << "\n got" << rows.mid(0, 5) << "\n want" << expected.mid(0, 5);
            }
            QCOMPARE(rows, expected);
        }
    }

    // ODBC rows come in blocks of bound arrays: every kind of value, Nulls, a text longer than a
    // bound buffer, and more rows than a block and a batch hold.
    // The servers' texts are of a letter outside ASCII, which each driver hands over in its own encoding.
    void odbcBlocksReadEveryValue_data()
    {
        AddColumns<QString, QString, QChar>("dsn", "sql", "letter");
        // text: a text of `length` letters; time: i seconds into 2024; numbers: a table of i from 0 to 4999.
        const auto row = [](const char* name, const char* dsn, const QString& text, const char* time,
                            const char* numbers, QChar letter) {
            QTest::newRow(name) << dsn
                                << QString("SELECT i, %1 AS t, CASE WHEN i % 3 = 0 THEN NULL ELSE i / 4.0 END AS v, "
                                           "%2 AS d FROM %3 ORDER BY i;")
                                       .arg(text, time, numbers)
                                << letter;
        };
        const QString length = "CASE WHEN i % 1000 = 7 THEN 5000 ELSE i % 50 END";
        row("PostgreSQL", "TessalyPostgres", "repeat('é', " + length + ")",
            "TIMESTAMP '2024-01-01 00:00:00' + i * INTERVAL '1 second'", "generate_series(0, 4999) AS s(i)", u'é');
        row("MariaDB", "TessalyMariaDb", "REPEAT('é', " + length + ")",
            "TIMESTAMP '2024-01-01 00:00:00' + INTERVAL i SECOND", "(SELECT seq AS i FROM seq_0_to_4999) AS s", u'é');
        row("SQLite", "TessalySmall", "substr(printf('%.5000c', 'x'), 1, " + length + ")",
            "datetime('2024-01-01', '+' || i || ' seconds')",
            "(WITH RECURSIVE s(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM s WHERE i < 4999) SELECT i FROM s)", u'x');
    }

    void odbcBlocksReadEveryValue()
    {
        const auto [dsn, sql, letter] = FetchRow<QString, QString, QChar>();
        Connection connection;
        QVERIFY2(connection.open(kDataSource + dsn + ";"), qPrintable(connection.lastError()));
        Recordset rs;
        QVERIFY2(rs.Open(connection, sql), qPrintable(rs.lastError()));
        QCOMPARE(rs.RecordCount(), 5000);
        const QDateTime start(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);
        for (int i = 0; !rs.isEOF(); rs.MoveNext(), ++i) {
            const QString expected = QString(i % 1000 == 7 ? 5000 : i % 50, letter) + "|" +
                                     (i % 3 == 0 ? "Null" : QString::number(i / 4.0)) + "|" +
                                     start.addSecs(i).toString(Qt::ISODate);
            const QString read = rs.text(1) + "|" +
                                 (rs.isNull("v") ? "Null" : QString::number(rs.value("v").toDouble())) + "|" +
                                 rs.value("d").toDateTime().toString(Qt::ISODate);
            QCOMPARE(rs.value("i").toInt(), i);
            QCOMPARE(read, expected);
        }
    }

    // On every engine behind ODBC, text compares without case beyond ASCII ("sné1" finds SNÉ1) but
    // with its accents, and one character never matches two ("ß" is not "SS").
    void odbcTextWithoutAsciiCase_data()
    {
        AddColumns<QString, QString, QString, QString, qint64>("dsn", "table", "serial", "passFail", "records");
        for (const auto& [dsn, table] : {std::pair{"TessalyCases", "Results"}, std::pair{"TessalyPostgres", "Cases"},
                                         std::pair{"TessalyMariaDb", "Cases"}}) {
            const auto row = [&](const char* name, const char* serial, const char* passFail, qint64 records) {
                QTest::addRow("%s: %s", dsn, name) << dsn << table << serial << passFail << records;
            };
            row("é for É", "sné1", "= 'PASS'", 1);
            row("ß is neither SS nor S", "ß", "= 'PASS'", 0);
            row("e is not É", "sne1", "= 'PASS'", 0);
            row("<> in any case", "", "<> 'pass'", 0);
            row("<> letters outside ASCII", "", "<> 'pasß'", 3);
        }
    }

    void odbcTextWithoutAsciiCase()
    {
        const auto [dsn, table, serial, passFail, records] = FetchRow<QString, QString, QString, QString, qint64>();
        Connection connection;
        QVERIFY(connection.open(kDataSource + dsn + ";"));
        const SqlText range =
            GetTestedRange("Custom", "SQLITE", QDate(2024, 3, 7), QDate(2024, 3, 1), QDate(2024, 3, 7));
        const QString sql = MakeSQL({table}, "Vout", range.text, "", "[ATEID]", serial, "", passFail, false, "");
        Recordset rs;
        QVERIFY2(rs.Open(connection, SqlText(sql, range.dates)), qPrintable(rs.lastError()));
        QCOMPARE(rs.RecordCount(), records);
    }

    void cleanupTestCase()
    {
        for (auto it = m_contents.cbegin(); it != m_contents.cend(); ++it) {
            QVERIFY2(ReadFile(fixture(it.key())) == it.value(), qPrintable(it.key() + " was changed"));
        }
    }
};

TESSALY_TEST(TestEngines)
#include "tst_engines.moc"
