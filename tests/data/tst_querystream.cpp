#include "Connection.h"
#include "DataRow.h"
#include "Recordset.h"
#include "TestMain.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// Rows read on a worker thread and handed over in batches: what the batches must not change, and
// how a read ends early.
class TestQueryStream : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    Connection m_connection;

private slots:
    void initTestCase()
    {
        // 10,000 rows: three batches. The text column holds one value that reads as a date-time,
        // on the first row of the second batch.
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "make");
            db.setDatabaseName(m_dir.filePath("rows.sqlite"));
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("CREATE TABLE T (i INTEGER, label TEXT)"));
            QVERIFY(q.exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 9999) "
                           "INSERT INTO T SELECT i, CASE i WHEN 4096 THEN '2024-03-01 10:00:00' "
                           "ELSE 'L' || i END FROM n"));
        }
        QSqlDatabase::removeDatabase("make");
        QVERIFY2(m_connection.open("Provider=SQLite;Data Source=" + m_dir.filePath("rows.sqlite") + ";"),
                 qPrintable(m_connection.lastError()));
    }

    void readsEveryRowAlikeAcrossBatches()
    {
        Recordset rs;
        QVERIFY2(rs.Open(m_connection, QString("SELECT i, label FROM T ORDER BY i;")), qPrintable(rs.lastError()));
        QCOMPARE(rs.RecordCount(), 10000);
        qint64 sum = 0;
        for (qint64 row = 0; !rs.isEOF(); rs.MoveNext(), ++row) {
            QCOMPARE(rs.value("i").toLongLong(), row);
            sum += rs.value(0).toLongLong();
        }
        QCOMPARE(sum, qint64(9999) * 10000 / 2);
        rs.MoveFirst();
        for (int row = 0; row < 4096; ++row) {
            rs.MoveNext();
        }
        // A text field stays text, whatever a later batch's first value looks like.
        QCOMPARE(rs.value("label").typeId(), QMetaType::QString);
        QCOMPARE(rs.text(1), "2024-03-01 10:00:00");
    }

    void endsEarly_data()
    {
        // stopAtCall: the watch's call that stops the reading (0: never)
        AddColumns<QString, int, bool, QString>("sql", "stopAtCall", "stopped", "error");
        QTest::newRow("engine error after two batches")
            << "SELECT CASE WHEN i < 9000 THEN i ELSE abs(-9223372036854775807 - 1) END FROM T;" << 0 << false
            << "integer overflow";
        // Sorting 50 million rows takes SQLite minutes; a stop interrupts it.
        QTest::newRow("stopped while the engine sorts")
            << "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 50000000) "
               "SELECT i FROM n ORDER BY -i;"
            << 3 << true << "";
        QTest::newRow("stopped at once") << "SELECT i FROM T;" << 1 << true << "";
    }

    void endsEarly()
    {
        const auto [sql, stopAtCall, stopped, error] = FetchRow<QString, int, bool, QString>();
        QStringList steps;
        Recordset rs;
        const bool opened = rs.Open(m_connection, sql, [&steps, stopAtCall](const LoadStep& step) {
            steps.append(LoadStepText(step));
            return steps.size() != stopAtCall;
        });
        QVERIFY(!opened);
        QCOMPARE(rs.stopped(), stopped);
        QCOMPARE(rs.lastError(), error);
        QCOMPARE(rs.RecordCount(), 0);
        QCOMPARE(steps.first(), "Querying…");
        // The connection is free again for the next statement.
        QVERIFY2(rs.Open(m_connection, QString("SELECT count(*) FROM T;")), qPrintable(rs.lastError()));
        QCOMPARE(rs.value(0).toInt(), 10000);
    }

    void describesTheStep_data()
    {
        AddColumns<bool, qint64, qint64, QString>("querying", "read", "total", "text");
        QTest::newRow("query running") << true << qint64(0) << qint64(-1) << "Querying…";
        QTest::newRow("total known") << false << qint64(412000) << qint64(1000000)
                                     << "Reading 412,000 of 1,000,000 records";
        QTest::newRow("total unknown") << false << qint64(4096) << qint64(-1) << "Reading 4,096 records";
    }

    void describesTheStep()
    {
        const auto [querying, read, total, text] = FetchRow<bool, qint64, qint64, QString>();
        QCOMPARE(LoadStepText({querying, read, total}), text);
    }
};

TESSALY_TEST(TestQueryStream)
#include "tst_querystream.moc"
