#include "ChartModel.h"
#include "TestMain.h"

#include <QTest>
#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(AxisRange)

class ChartModelTest : public QObject
{
    Q_OBJECT

private slots:
    // Operations, one per entry: "add:text", "set:i:text", "del:i", "clear". Each yields "1" when
    // it applied and "0" when the line did not exist.
    void textBlock_data()
    {
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<QStringList>("operations");
        QTest::addColumn<QString>("results");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("page line replaced")
            << QStringList{"Source ID"} << QStringList{"clear", "add:  Chart Page: 1 of 3"} << "11"
            << QStringList{"  Chart Page: 1 of 3"};
        QTest::newRow("export lines added and removed")
            << QStringList{"P  Chart Page: 1 of 1"} << QStringList{"add:", "set:1:Test ID: T1", "del:1"} << "111"
            << QStringList{"P  Chart Page: 1 of 1"};
        QTest::newRow("set past the end") << QStringList{"a"} << QStringList{"set:1:x"} << "0" << QStringList{"a"};
        QTest::newRow("delete past the end")
            << QStringList{"a"} << QStringList{"del:1", "del:-1"} << "00" << QStringList{"a"};
        QTest::newRow("delete the middle")
            << QStringList{"a", "b", "c"} << QStringList{"del:1"} << "1" << QStringList{"a", "c"};
        QTest::newRow("empty block") << QStringList{} << QStringList{"set:0:x", "del:0"} << "00" << QStringList{};
    }

    void textBlock()
    {
        QFETCH(QStringList, start);
        QFETCH(QStringList, operations);
        QFETCH(QString, results);
        QFETCH(QStringList, expected);
        TextBlock block;
        block.lines = start;
        QString applied;
        for (const QString& op : operations) {
            const QStringList parts = op.split(QLatin1Char(':'));
            bool ok = true;
            if (parts[0] == "add") {
                block.add(op.mid(4));
            } else if (parts[0] == "set") {
                ok = block.setLine(parts[1].toInt(), op.section(QLatin1Char(':'), 2));
            } else if (parts[0] == "del") {
                ok = block.removeLine(parts[1].toInt());
            } else {
                block.clear();
            }
            applied += ok ? '1' : '0';
        }
        QCOMPARE(applied, results);
        QCOMPARE(block.lines, expected);
    }

    void pointsTakeTheNextX()
    {
        SeriesPoints points;
        QCOMPARE(points.add(5.0, "a"), qint64(0));
        points.add(7.0);
        points.add(10.0, 2.0, "by x");
        points.add(3.0);
        QCOMPARE(points.count(), qint64(4));
        QCOMPARE(points.x(1), 1.0);
        QCOMPARE(points.x(3), 3.0); // the next x is the count, whatever x came before
        QCOMPARE(points.label(2), QString("by x"));
        QVERIFY(!points.xAscending());
        QCOMPARE(points.yExtent().min, 2.0);
        QCOMPARE(points.yExtent().max, 7.0);
        QCOMPARE(points.xExtent().max, 10.0);
        points.add(std::numeric_limits<double>::quiet_NaN()); // a missing value leaves the extents
        QCOMPARE(points.yExtent().min, 2.0);
        points.clear();
        QVERIFY(points.yExtent().empty && points.xAscending());
        QCOMPARE(points.add(1.0), qint64(0));
    }

    void indexRange_data()
    {
        QTest::addColumn<QList<double>>("xs");
        QTest::addColumn<AxisRange>("range");
        QTest::addColumn<qint64>("first");
        QTest::addColumn<qint64>("last");
        const QList<double> page{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
        QTest::newRow("inner page") << page << AxisRange{3, 6} << qint64(3) << qint64(7);
        QTest::newRow("between points") << page << AxisRange{2.5, 4.5} << qint64(3) << qint64(5);
        QTest::newRow("past the end") << page << AxisRange{20, 30} << qint64(10) << qint64(10);
        QTest::newRow("unsorted: all") << QList<double>{3, 1, 2} << AxisRange{1, 1} << qint64(0) << qint64(3);
    }

    void indexRange()
    {
        QFETCH(QList<double>, xs);
        QFETCH(AxisRange, range);
        QFETCH(qint64, first);
        QFETCH(qint64, last);
        SeriesPoints points;
        for (const double x : xs) {
            points.add(x, 0.0);
        }
        const auto [from, to] = points.indexRange(range);
        QCOMPARE(from, first);
        QCOMPARE(to, last);
    }

    void labelLines_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF") << "SN1\r\n03/07" << QStringList{"SN1", "03/07"};
        QTest::newRow("CR alone, LF alone") << "Vout\r(12)\nV" << QStringList{"Vout", "(12)", "V"};
        QTest::newRow("one line") << "CL" << QStringList{"CL"};
    }

    void labelLines()
    {
        QFETCH(QString, label);
        QFETCH(QStringList, lines);
        QCOMPARE(LabelLines(label), lines);
    }

    void axisValueText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        const QString grouped = QStringLiteral("#,##0.##");
        QTest::newRow("whole number, no separator") << 2.0 << grouped << QStringLiteral("2");
        QTest::newRow("negative") << -0.25 << grouped << QStringLiteral("-0.25");
        QTest::newRow("zero without digits") << 0.0 << QStringLiteral("#,###.##") << QString();
    }

    void axisValueText()
    {
        QFETCH(double, value);
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(AxisValueText(value, format), expected);
    }

    void pagingCountsVisibleSeriesOnly()
    {
        ChartModel model;
        model.series.resize(2);
        for (int i = 0; i < 100; ++i) {
            model.series[0].points.add(1.0);
        }
        for (int i = 0; i < 300; ++i) {
            model.series[1].points.add(1.0);
        }
        QCOMPARE(model.pagedPointCount(), qint64(300));
        model.series[1].look.visible = false;
        QCOMPARE(model.pagedPointCount(), qint64(100));
    }
};

TESSALY_TEST(ChartModelTest)
#include "tst_chartmodel.moc"
