#include "Connection.h"
#include "DataRow.h"
#include "EngineOrder.h"
#include "QueryStream.h"
#include "RecordColumn.h"
#include "Recordset.h"
#include "ScratchDatabase.h"
#include "TestMain.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

// Records as "serial,source,time,value;..." with "~" for Null.
using Records = QString;

// The engine's statements of each order, on the table R (SN, ATE, T, V).
QString engineStatement(EngineOrder::Order order, bool grouped)
{
    if (order == EngineOrder::Order::Serial) {
        return "SELECT SN AS SNX, ATE AS ATEX, MAX(T) AS DateX, MAX(V) AS ValueX FROM R GROUP BY SN, ATE, T;";
    }
    return grouped ? "SELECT SN AS SNX, ATE AS ATEX, MAX (T) AS DateX, MAX(V) AS ValueX FROM R "
                     "GROUP BY SN, ATE, T ORDER BY T, ATE;"
                   : "SELECT SN AS SNX, ATE AS ATEX, T AS DateX, V AS ValueX FROM R ORDER BY T, ATE;";
}

// Many records whose keys repeat in no order: a unit tested twice at one time on one source,
// units of one time on several sources, sources written in either case.
Records shuffled(int count)
{
    QStringList records;
    for (int i = 0; i < count; ++i) {
        const int time = (i * 7919) % 97;
        records << QString("SN%1,%2,2024-03-%3 10:%4:00,%5")
                       .arg((i * 31) % 211)
                       .arg(i % 5 == 0 ? "ate-0" + QString::number(i % 3) : "ATE-0" + QString::number(i % 3))
                       .arg(1 + time / 60, 2, 10, QChar('0'))
                       .arg(time % 60, 2, 10, QChar('0'))
                       .arg((i * 13) % 17);
    }
    return records.join(';');
}

} // namespace

// The program groups and orders rows read without GROUP BY and ORDER BY exactly as the engine
// groups and orders them, or says that it cannot.
class TestEngineOrder : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_tables = 0;

private slots:
    void sameRowsAsTheEngine_data()
    {
        AddColumns<QString, QString, EngineOrder::Order, bool, Records, bool>("serialType", "sourceType", "order",
                                                                              "grouped", "records", "exact");
        using O = EngineOrder::Order;
        const auto row = [](const QString& name, const char* serialType, const char* sourceType, O order, bool grouped,
                            const Records& records, bool exact = true) {
            QTest::newRow(qPrintable(name)) << serialType << sourceType << order << grouped << records << exact;
        };
        const QString ties = "b,A,2024-01-01 10:00:00,1;a,A,2024-01-01 10:00:00,2;c,A,2024-01-01 09:00:00,3;"
                             "z,B,2024-01-01 09:00:00,4;y,A,2024-01-01 09:00:00,5;a,A,2024-01-01 10:00:00,7;"
                             "a,A,2024-01-01 10:00:00,7;a,B,2024-01-01 10:00:00,0";
        row("ties in reading order", "TEXT", "TEXT", O::Time, false, ties);
        row("ties by serial, grouped", "TEXT", "TEXT", O::Time, true, ties);
        row("groups by serial", "TEXT", "TEXT", O::Serial, true, ties);
        const QString cases = "s2,ATE-01,2024-01-01 10:00:00,2;s1,ate-01,2024-01-01 10:00:00,1;"
                              "S1,Ate-01,2024-01-01 10:00:00,4;s3,ATE-02,2024-01-01 10:00:00,3;"
                              "s1,ATE-01,2024-01-01 10:00:00,4;s4,ate-02,2024-01-01 09:00:00,5;"
                              "s5,~,2024-01-01 10:00:00,6;S2,b,2024-01-01 10:00:00,1";
        for (const char* type : {"TEXT", "TEXT COLLATE NOCASE"}) {
            row(QString(type) + ", every row", type, type, O::Time, false, cases);
            row(QString(type) + ", grouped", type, type, O::Time, true, cases);
            row(QString(type) + ", groups by serial", type, type, O::Serial, true, cases);
        }
        const QString letters =
            QString::fromUtf8("é1,A,2024-01-01 10:00:00,1;É1,a,2024-01-01 10:00:00,2;"
                              "z1,A,2024-01-01 10:00:00,3;\xef\xbf\xbd,A,2024-01-01 10:00:00,4;"
                              "\xf0\x9f\x98\x80,A,2024-01-01 10:00:00,5;E1,A,2024-01-01 10:00:00,6");
        row("letters beyond ASCII, NOCASE", "TEXT COLLATE NOCASE", "TEXT COLLATE NOCASE", O::Serial, true, letters);
        row("letters beyond ASCII, BINARY", "TEXT", "TEXT", O::Serial, true, letters);
        row("numbers as serials and sources", "REAL", "REAL", O::Serial, true,
            "10,1,2024-01-01 10:00:00,1;9,2,2024-01-01 10:00:00,2;100,1,2024-01-01 10:00:00,3;"
            "9,2,2024-01-01 10:00:00,5;9.5,10,2024-01-01 10:00:00,4");
        row("dates written the same way", "TEXT", "TEXT", O::Time, false, "a,A,2024-01-02,1;b,A,2024-01-01,2");
        row("leap days, the fourth century's too", "TEXT", "TEXT", O::Time, false, "a,A,2000-02-29,1;b,A,1996-02-29,2");
        row("dates written two ways", "TEXT", "TEXT", O::Time, false, "a,A,2024-01-01 00:00:00,1;b,A,2024-01-01,2",
            false);
        row("a time that is no date-time", "TEXT", "TEXT", O::Time, false, "a,A,2024-01-01 00:00:00,1;b,A,soon,2",
            false);
        row("sources of another collation", "TEXT", "TEXT COLLATE RTRIM", O::Time, false, "a,A,2024-01-01,1", false);
        row("serials of another collation, grouped", "TEXT COLLATE RTRIM", "TEXT", O::Time, true, "a,A,2024-01-01,1",
            false);
        row("serials of two kinds, grouped", "NUMERIC", "TEXT", O::Time, true, "a,A,2024-01-01,1;5,A,2024-01-01,1",
            false);
        const Records many = shuffled(9000); // three batches
        row("9,000 records, every row", "TEXT", "TEXT COLLATE NOCASE", O::Time, false, many);
        row("9,000 records, grouped", "TEXT", "TEXT COLLATE NOCASE", O::Time, true, many);
        row("9,000 records, groups by serial", "TEXT COLLATE NOCASE", "TEXT COLLATE NOCASE", O::Serial, true, many);
    }

    void sameRowsAsTheEngine()
    {
        const auto [serialType, sourceType, order, grouped, records, exact] =
            FetchRow<QString, QString, EngineOrder::Order, bool, Records, bool>();
        const QString file = m_dir.filePath(QString("t%1.sqlite").arg(++m_tables));
        {
            ScratchDatabase scratch(file);
            QSqlQuery q(scratch.db);
            QVERIFY(q.exec(QString("CREATE TABLE R (SN %1, ATE %2, T TEXT, V REAL)").arg(serialType, sourceType)));
            scratch.db.transaction();
            QVERIFY(q.prepare("INSERT INTO R VALUES (?, ?, ?, ?)"));
            for (const QString& record : records.split(';')) {
                for (const QString& field : record.split(',')) {
                    q.addBindValue(field == "~" ? QVariant() : QVariant(field));
                }
                QVERIFY(q.exec());
            }
            scratch.db.commit();
        }
        Connection connection;
        QVERIFY(connection.open("Provider=SQLite;Data Source=" + file + ";"));

        QStringList expected;
        Recordset engine;
        QVERIFY2(engine.Open(connection, engineStatement(order, grouped)), qPrintable(engine.lastError()));
        for (; !engine.isEOF(); engine.MoveNext()) {
            expected << QStringList{engine.text(0), engine.text(1), engine.text(2), engine.text(3)}.join('|');
        }

        QueryStream stream;
        QVERIFY(stream.start(connection, QString("SELECT SN AS SNX, ATE AS ATEX, T AS DateX, V AS ValueX FROM R;")));
        std::optional<EngineOrder> program;
        QStringList read;
        std::vector<double> values;
        while (!stream.atEnd()) {
            if (const std::unique_ptr<RowBatch> batch = stream.next(100)) {
                const std::vector<RecordColumn>& c = batch->columns;
                if (!program) {
                    program.emplace(order, grouped, stream.fieldOrder("SNX"_L1), stream.fieldOrder("ATEX"_L1));
                }
                program->add(c[0], c[1], c[2], batch->rows);
                for (qint64 row = 0; row < batch->rows; ++row) {
                    read << QStringList{c[0].text(row), c[1].text(row), c[2].text(row), c[3].text(row)}.join('|');
                    values.push_back(c[3].numbers[size_t(row)]);
                }
            }
        }
        QCOMPARE(program->exact(), exact);
        if (!exact) {
            return;
        }
        const EngineOrder::Sequence sequence = program->sequence();
        QStringList ordered;
        if (!grouped) {
            QCOMPARE(sequence.groupEnds.size(), size_t(0));
            for (const quint32 row : sequence.rows) {
                ordered << read[row];
            }
        }
        for (size_t group = 0, first = 0; group < sequence.groupEnds.size(); first = sequence.groupEnds[group++]) {
            const quint32* rows = sequence.rows.data();
            ordered << read[MaxRow(rows + first, rows + sequence.groupEnds[group],
                                   [&](quint32 a, quint32 b) { return values[a] < values[b]; })];
        }
        QCOMPARE(ordered, expected);
    }
};

TESSALY_TEST(TestEngineOrder)
#include "tst_engineorder.moc"
