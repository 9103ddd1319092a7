#include "Connection.h"
#include "Recordset.h"
#include "ScratchDatabase.h"
#include "TestMain.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// Rows read on a worker thread and handed over in batches: what the batches must not change, and
// how a read ends early.
class TestQueryStream : public QObject
{
    Q_OBJECT

private slots:
    void readsEveryRowAlikeAcrossBatches()
    {
        // 10,000 rows: three batches. The text column holds one value that reads as a date-time,
        // on the first row of the second batch.
        QTemporaryDir dir;
        {
            ScratchDatabase scratch(dir.filePath("rows.sqlite"));
            QSqlQuery q(scratch.db);
            QVERIFY(q.exec("CREATE TABLE T (i INTEGER, label TEXT)"));
            QVERIFY(q.exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 9999) "
                           "INSERT INTO T SELECT i, CASE i WHEN 4096 THEN '2024-03-01 10:00:00' "
                           "ELSE 'L' || i END FROM n"));
        }
        Connection connection;
        QVERIFY2(connection.open("Provider=SQLite;Data Source=" + dir.filePath("rows.sqlite") + ";"),
                 qPrintable(connection.lastError()));
        Recordset rs;
        QVERIFY2(rs.Open(connection, QString("SELECT i, label FROM T ORDER BY i;")), qPrintable(rs.lastError()));
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
};

TESSALY_TEST(TestQueryStream)
#include "tst_querystream.moc"
