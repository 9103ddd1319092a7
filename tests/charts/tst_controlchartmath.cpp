#include "ControlChartMath.h"
#include "DataRow.h"
#include "TestMain.h"

#include <QTest>
#include <cmath>

Q_DECLARE_METATYPE(Statistic)

class TestControlChartMath : public QObject
{
    Q_OBJECT

private slots:
    void processStatistics_data()
    {
        // expected: EstSigma, CpU, CpL, CpK, Cp
        AddColumns<double, double, double, double, double, QList<Statistic>>("xBar", "rBar", "usl", "lsl", "d2",
                                                                             "expected");
        const auto row = [](const char* name, double xBar, double rBar, double usl, double lsl, double d2,
                            const QList<Statistic>& expected) {
            QTest::newRow(name) << xBar << rBar << usl << lsl << d2 << expected;
        };
        const Statistic na;
        row("n = 4, both limits", 10, 2.059, 13, 8, 2.059, {1.0, 1.0, 2.0 / 3, 2.0 / 3, 5.0 / 6});
        row("no USL", 10, 2.059, 999, 8, 2.059, {1.0, na, 2.0 / 3, 2.0 / 3, na});
        row("USL written as -999", 10, 2.059, -999, 8, 2.059, {1.0, na, 2.0 / 3, 2.0 / 3, na});
        row("no limits", 10, 2.059, 999, -999, 2.059, {1.0, na, na, na, na});
        row("all ranges 0", 5, 0, 6, 4, 2.326, {0.0, na, na, na, na});
        row("individual d2", 11, 1, 14, 8, 1.128, {1 / 1.128, 1.128, 1.128, 1.128, 1.128});
    }

    void processStatistics()
    {
        const auto [xBar, rBar, usl, lsl, d2, expected] =
            FetchRow<double, double, double, double, double, QList<Statistic>>();
        const ProcessStatistics s = CalculateProcessStatistic(xBar, rBar, usl, lsl, d2, 30, 302, 3);
        QVERIFY(s.error.isEmpty());
        const QList<Statistic> actual{s.estSigma, s.cpu, s.cpl, s.cpk, s.cp};
        for (qsizetype i = 0; i < actual.size(); ++i) {
            const Statistic& want = expected[i];
            QVERIFY2(actual[i].has_value() == want.has_value() && (!want || qFuzzyCompare(1 + *actual[i], 1 + *want)),
                     qPrintable(QString::number(i)));
        }
    }

    void limits_data()
    {
        // expected: UCL, LCL, range UCL, range LCL, sigma, CL, RBar; exactUcl: before rounding
        AddColumns<bool, int, double, double, QList<double>, double>("isXBar", "n", "cl", "rBar", "expected",
                                                                     "exactUcl");

        QTest::newRow("x-bar, n = 5") << true << 5 << 10.0 << 2.0 << QList<double>{11.154, 8.846, 4.23, 0, 0.86, 10, 2}
                                      << 11.154;
        QTest::newRow("x-bar, n = 7, D3 above 0")
            << true << 7 << 10.0 << 1.0 << QList<double>{10.419, 9.581, 1.924, 0.076, 0.37, 10, 1} << 10.419;
        QTest::newRow("individual: 10, 12, 11")
            << false << 5 << 11.0 << 1.0 << QList<double>{13.661, 8.339, 3.267, 0, 0.887, 11, 1} << 11 + 3 / 1.128;
        QTest::newRow("limits from the unrounded centre")
            << true << 2 << 1.0004 << 0.0005 << QList<double>{1.001, 0.999, 0.002, 0, 0.5, 1.0, 0.0}
            << 1.0004 + 1.88 * 0.0005;
    }

    void limits()
    {
        const auto [isXBar, n, cl, rBar, expected, exactUcl] =
            FetchRow<bool, int, double, double, QList<double>, double>();
        const ControlLimits l = ComputeControlLimits(InitControlChartConstants(), isXBar, n, cl, rBar,
                                                     // individual mode ignores the sigma it is given
                                                     Statistic(isXBar ? expected[4] : 99.0), Statistic(),
                                                     Statistic(1.23456), Statistic(), Statistic());
        QCOMPARE((QList<double>{l.ucl, l.lcl, l.rangeUcl, l.rangeLcl, *l.sigma, l.cl, l.rBar}), expected);
        QVERIFY(std::abs(l.exact.ucl - exactUcl) < 1e-12);
        QCOMPARE(l.exact.cl, cl);
        QCOMPARE(*l.cpk, 1.235);
        QVERIFY(!l.cp);
    }
};

TESSALY_TEST(TestControlChartMath)
#include "tst_controlchartmath.moc"
