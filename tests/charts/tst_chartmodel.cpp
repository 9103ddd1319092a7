#include "ChartModel.h"
#include "DataRow.h"
#include "TestMain.h"

#include <QTest>
#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(AxisRange)

class ChartModelTest : public QObject
{
    Q_OBJECT

private slots:
    void indexRange_data()
    {
        AddColumns<QList<double>, AxisRange, qint64, qint64>("xs", "range", "first", "last");
        const QList<double> page{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
        QTest::newRow("inner page") << page << AxisRange{3, 6} << qint64(3) << qint64(7);
        QTest::newRow("between points") << page << AxisRange{2.5, 4.5} << qint64(3) << qint64(5);
        QTest::newRow("past the end") << page << AxisRange{20, 30} << qint64(10) << qint64(10);
        QTest::newRow("unsorted: all") << QList<double>{3, 1, 2} << AxisRange{1, 1} << qint64(0) << qint64(3);
    }

    void indexRange()
    {
        const auto [xs, range, first, last] =
            FetchRow<QList<double>, AxisRange, qint64, qint64>("xs", "range", "first", "last");
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
        AddColumns<QString, QStringList>("label", "lines");
        QTest::newRow("CR LF") << "SN1\r\n03/07" << QStringList{"SN1", "03/07"};
        QTest::newRow("CR alone, LF alone") << "Vout\r(12)\nV" << QStringList{"Vout", "(12)", "V"};
        QTest::newRow("one line") << "CL" << QStringList{"CL"};
    }

    void labelLines()
    {
        const auto [label, lines] = FetchRow<QString, QStringList>("label", "lines");
        QCOMPARE(LabelLines(label), lines);
    }
};

TESSALY_TEST(ChartModelTest)
#include "tst_chartmodel.moc"
