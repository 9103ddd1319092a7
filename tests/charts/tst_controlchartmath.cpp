#include "ControlChartMath.h"
#include "TestMain.h"

#include <QTest>

Q_DECLARE_METATYPE(Statistic)

class TestControlChartMath : public QObject
{
    Q_OBJECT

private slots:
    void constants_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("a2");
        QTest::addColumn<double>("d3");
        QTest::addColumn<double>("d4");
        QTest::addColumn<double>("d2");
        QTest::newRow("2") << 2 << 1.880 << 0.0 << 3.267 << 1.128;
        QTest::newRow("3") << 3 << 1.023 << 0.0 << 2.575 << 1.693;
        QTest::newRow("5") << 5 << 0.577 << 0.0 << 2.115 << 2.326;
        QTest::newRow("7") << 7 << 0.419 << 0.076 << 1.924 << 2.704;
        QTest::newRow("12") << 12 << 0.266 << 0.284 << 1.716 << 3.258;
        QTest::newRow("25") << 25 << 0.153 << 0.459 << 1.541 << 3.931;
    }

    void constants()
    {
        QFETCH(int, n);
        const ControlChartConstants c = InitControlChartConstants();
        const size_t i = size_t(n - 2);
        QTEST(c.A2[i], "a2");
        QTEST(c.D3[i], "d3");
        QTEST(c.D4[i], "d4");
        QTEST(c.d2[i], "d2");
    }

    void sizesFromTwelveOnMakeTwo()
    {
        const ControlChartConstants c = InitControlChartConstants();
        for (int n = 12; n <= 25; ++n) {
            QCOMPARE(c.D3[size_t(n - 2)] + c.D4[size_t(n - 2)], 2.0);
        }
    }

    void processStatistics_data()
    {
        QTest::addColumn<double>("xBar");
        QTest::addColumn<double>("rBar");
        QTest::addColumn<double>("usl");
        QTest::addColumn<double>("lsl");
        QTest::addColumn<double>("d2");
        QTest::addColumn<Statistic>("estSigma");
        QTest::addColumn<Statistic>("cpu");
        QTest::addColumn<Statistic>("cpl");
        QTest::addColumn<Statistic>("cpk");
        QTest::addColumn<Statistic>("cp");

        const Statistic na;
        QTest::newRow("n = 4, both limits") << 10.0 << 2.059 << 13.0 << 8.0 << 2.059 << Statistic(1.0) << Statistic(1.0)
                                            << Statistic(2.0 / 3) << Statistic(2.0 / 3) << Statistic(5.0 / 6);
        QTest::newRow("no USL") << 10.0 << 2.059 << 999.0 << 8.0 << 2.059 << Statistic(1.0) << na << Statistic(2.0 / 3)
                                << Statistic(2.0 / 3) << na;
        QTest::newRow("USL written as -999") << 10.0 << 2.059 << -999.0 << 8.0 << 2.059 << Statistic(1.0) << na
                                             << Statistic(2.0 / 3) << Statistic(2.0 / 3) << na;
        QTest::newRow("no limits") << 10.0 << 2.059 << 999.0 << -999.0 << 2.059 << Statistic(1.0) << na << na << na
                                   << na;
        QTest::newRow("all ranges 0") << 5.0 << 0.0 << 6.0 << 4.0 << 2.326 << Statistic(0.0) << na << na << na << na;
        QTest::newRow("individual d2") << 11.0 << 1.0 << 14.0 << 8.0 << 1.128 << Statistic(1 / 1.128)
                                       << Statistic(3 * 1.128 / 3) << Statistic(3 * 1.128 / 3)
                                       << Statistic(3 * 1.128 / 3) << Statistic(6 * 1.128 / 6);
    }

    void processStatistics()
    {
        QFETCH(double, xBar);
        QFETCH(double, rBar);
        QFETCH(double, usl);
        QFETCH(double, lsl);
        QFETCH(double, d2);
        const ProcessStatistics s = CalculateProcessStatistic(xBar, rBar, usl, lsl, d2, 30, 302, 3);
        const auto same = [](const Statistic& a, const Statistic& b) {
            return a.has_value() == b.has_value() && (!a || qFuzzyCompare(1 + *a, 1 + *b));
        };
        QVERIFY(s.error.isEmpty());
        QFETCH(Statistic, estSigma);
        QFETCH(Statistic, cpu);
        QFETCH(Statistic, cpl);
        QFETCH(Statistic, cpk);
        QFETCH(Statistic, cp);
        QVERIFY(same(s.estSigma, estSigma));
        QVERIFY(same(s.cpu, cpu));
        QVERIFY(same(s.cpl, cpl));
        QVERIFY(same(s.cpk, cpk));
        QVERIFY(same(s.cp, cp));
    }

    void standardDeviation_data()
    {
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<double>("stdDev");
        QTest::newRow("10 12 11") << QList<double>{10, 12, 11} << 1.0;
        QTest::newRow("all equal") << QList<double>{5, 5, 5, 5} << 0.0;
        QTest::newRow("rounded to 3 decimals") << QList<double>{1, 2, 4} << 1.528;
        QTest::newRow("equal values that do not add up exactly") << QList<double>{0.1, 0.1, 0.1} << 0.0;
    }

    void standardDeviation()
    {
        QFETCH(QList<double>, values);
        double sum = 0;
        double squares = 0;
        for (double v : values) {
            sum += v;
            squares += v * v;
        }
        const ProcessStatistics s = CalculateProcessStatistic(0, 1, 999, -999, 1.128, sum, squares, values.size());
        QTEST(s.stdDev, "stdDev");
    }

    void oneValueIsADivisionByZero()
    {
        const ProcessStatistics s = CalculateProcessStatistic(5, 0, 6, 4, 1.128, 5, 25, 1);
        QCOMPARE(s.error, "Division by zero");
        QVERIFY(!s.estSigma && !s.cpk);
    }

    void limits_data()
    {
        QTest::addColumn<bool>("isXBar");
        QTest::addColumn<int>("n");
        QTest::addColumn<double>("cl");
        QTest::addColumn<double>("rBar");
        QTest::addColumn<QList<double>>("expected"); // UCL, LCL, range UCL, range LCL, sigma, CL, RBar

        QTest::newRow("x-bar, n = 5") << true << 5 << 10.0 << 2.0 << QList<double>{11.154, 8.846, 4.23, 0, 0.86, 10, 2};
        QTest::newRow("x-bar, n = 7, D3 above 0")
            << true << 7 << 10.0 << 1.0 << QList<double>{10.419, 9.581, 1.924, 0.076, 0.37, 10, 1};
        QTest::newRow("individual: 10, 12, 11")
            << false << 5 << 11.0 << 1.0 << QList<double>{13.661, 8.339, 3.267, 0, 0.887, 11, 1};
        QTest::newRow("limits from the unrounded centre")
            << true << 2 << 1.0004 << 0.0005 << QList<double>{1.001, 0.999, 0.002, 0, 0.5, 1.0, 0.0};
    }

    void limits()
    {
        QFETCH(bool, isXBar);
        QFETCH(int, n);
        QFETCH(double, cl);
        QFETCH(double, rBar);
        QFETCH(QList<double>, expected);
        const ControlLimits l = ComputeControlLimits(InitControlChartConstants(), isXBar, n, cl, rBar,
                                                     // individual mode ignores the sigma it is given
                                                     Statistic(isXBar ? expected[4] : 99.0), Statistic(),
                                                     Statistic(1.23456), Statistic(), Statistic());
        QCOMPARE((QList<double>{l.ucl, l.lcl, l.rangeUcl, l.rangeLcl, *l.sigma, l.cl, l.rBar}), expected);
        QCOMPARE(*l.cpk, 1.235);
        QVERIFY(!l.cp);
    }

    void panelLines()
    {
        const ControlLimits l = ComputeControlLimits(InitControlChartConstants(), true, 5, 10, 2, Statistic(0.86),
                                                     Statistic(1.5), Statistic(), Statistic(), Statistic(1.25));
        const QStringList lines = StatisticsPanelLines(l, true, 5, 1234, 0.9, "13.0", "N/A");
        QCOMPARE(lines, (QStringList{"Normal", "1,234", "0.9", "0.86", "5", "11.154", "10.0", "8.846", "13.0", "N/A",
                                     "N/A", "1.5", "1.25", "N/A", "Est.", "", "4.23", "2.0", "0.0"}));
        QCOMPARE(StatisticsPanelLines(l, false, 5, 3, 1, "", "")[4], "1");
    }
};

TESSALY_TEST(TestControlChartMath)
#include "tst_controlchartmath.moc"
