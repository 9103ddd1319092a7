#include "AxisScale.h"
#include "DataRow.h"
#include "TestMain.h"

#include <QTest>
#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(AxisRange)
Q_DECLARE_METATYPE(AxisLimits)

namespace {

DataExtent Extent(double min, double max)
{
    DataExtent e;
    e.include(min);
    e.include(max);
    return e;
}

} // namespace

class AxisScaleTest : public QObject
{
    Q_OBJECT

private slots:
    void tickStep_data()
    {
        AddColumns<AxisRange, double, double, double, double>("range", "pixels", "minSpacing", "increment", "expected");
        // Without an increment the step is the nice step above what one label needs.
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("nice: up to 2") << AxisRange{0, 1.2} << 1.0 << 1.0 << 0.0 << 2.0;
        QTest::newRow("nice: small, up to 5") << AxisRange{0, 0.03} << 1.0 << 1.0 << 0.0 << 0.05;
        QTest::newRow("nice: rounding error above 2") << AxisRange{0, 2.0000000000000004} << 1.0 << 1.0 << 0.0 << 2.0;
        QTest::newRow("nice: infinite") << AxisRange{0, inf} << 1.0 << 1.0 << 0.0 << 0.0;
        QTest::newRow("room for every unit") << AxisRange{0, 10} << 500.0 << 40.0 << 0.0 << 1.0;
        QTest::newRow("crowded goes to 5") << AxisRange{0, 10} << 100.0 << 40.0 << 0.0 << 5.0;
        QTest::newRow("increment kept") << AxisRange{0, 79} << 8000.0 << 30.0 << 1.0 << 1.0;
        QTest::newRow("increment multiplied") << AxisRange{0, 79} << 800.0 << 30.0 << 1.0 << 5.0;
        QTest::newRow("fractional increment") << AxisRange{0, 10} << 500.0 << 40.0 << 0.25 << 1.25;
        QTest::newRow("no pixels, increment") << AxisRange{0, 10} << 0.0 << 40.0 << 2.0 << 2.0;
    }

    void tickStep()
    {
        const auto [range, pixels, minSpacing, increment, expected] =
            FetchRow<AxisRange, double, double, double, double>();
        QCOMPARE(TickStep(range, pixels, minSpacing, increment), expected);
    }

    void tickValues_data()
    {
        AddColumns<AxisRange, double, QList<double>>("range", "step", "expected");
        QTest::newRow("inside the range") << AxisRange{0.05, 1.02} << 0.2 << QList<double>{0.2, 0.4, 0.6, 0.8, 1.0};
        QTest::newRow("across zero") << AxisRange{-1.5, 1.5} << 0.5 << QList<double>{-1.5, -1, -0.5, 0, 0.5, 1, 1.5};
        QTest::newRow("end a rounding error short")
            << AxisRange{0, 1 - 1e-9} << 0.25 << QList<double>{0, 0.25, 0.5, 0.75, 1};
        QTest::newRow("no step") << AxisRange{0, 1} << 0.0 << QList<double>{};
        QTest::newRow("too many") << AxisRange{0, 1e6} << 1.0 << QList<double>{};
    }

    void tickValues()
    {
        const auto [range, step, expected] = FetchRow<AxisRange, double, QList<double>>();
        const std::vector<double> ticks = TickValues(range, step);
        QCOMPARE(static_cast<qsizetype>(ticks.size()), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QVERIFY2(std::abs(ticks[i] - expected[i]) < 1e-12, qPrintable(QString::number(ticks[i])));
            // A tick at zero is +0, never "-0".
            QVERIFY(expected[i] != 0 || !std::signbit(ticks[i]));
        }
    }

    void resolveRange_data()
    {
        AddColumns<AxisLimits, DataExtent, double, double, AxisRange>("limits", "data", "pixels", "pad", "expected");
        const AxisLimits automatic;
        const AxisLimits fixedMin{false, true, 0, 0};
        QTest::newRow("fixed ignores data")
            << AxisLimits{false, false, 0, 105} << Extent(3, 300) << 400.0 << 10.0 << AxisRange{0, 105};
        QTest::newRow("fixed minimum only") << fixedMin << Extent(3, 7) << 0.0 << 0.0 << AxisRange{0, 7};
        QTest::newRow("no data") << automatic << DataExtent{} << 100.0 << 10.0 << AxisRange{0, 1};
        QTest::newRow("single value") << automatic << Extent(5, 5) << 0.0 << 0.0 << AxisRange{4.5, 5.5};
        QTest::newRow("single zero") << automatic << Extent(0, 0) << 0.0 << 0.0 << AxisRange{-1, 1};
        QTest::newRow("padded both ends") << automatic << Extent(0, 100) << 220.0 << 10.0 << AxisRange{-5, 105};
        QTest::newRow("fixed end not padded") << fixedMin << Extent(0, 100) << 210.0 << 10.0 << AxisRange{0, 105};
        QTest::newRow("fixed minimum above data")
            << AxisLimits{false, true, 10, 0} << Extent(0, 5) << 0.0 << 0.0 << AxisRange{10, 12};
        QTest::newRow("equal fixed ends")
            << AxisLimits{false, false, 5, 5} << DataExtent{} << 0.0 << 0.0 << AxisRange{4.5, 5.5};
        QTest::newRow("too small to pad") << automatic << Extent(0, 100) << 30.0 << 20.0 << AxisRange{0, 100};
    }

    void resolveRange()
    {
        const auto [limits, data, pixels, pad, expected] =
            FetchRow<AxisLimits, DataExtent, double, double, AxisRange>();
        const AxisRange range = ResolveRange(limits, data, pixels, pad, pad);
        QVERIFY2(std::abs(range.min - expected.min) < 1e-9 && std::abs(range.max - expected.max) < 1e-9,
                 qPrintable(QStringLiteral("%1..%2").arg(range.min).arg(range.max)));
    }
};

TESSALY_TEST(AxisScaleTest)
#include "tst_axisscale.moc"
