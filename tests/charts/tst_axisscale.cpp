#include "AxisScale.h"
#include "TestMain.h"

#include <QTest>
#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(AxisRange)
Q_DECLARE_METATYPE(AxisLimits)

namespace {

AxisLimits Fixed(double min, double max)
{
    return {false, false, min, max};
}

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
    void niceStep_data()
    {
        QTest::addColumn<double>("rough");
        QTest::addColumn<double>("expected");
        QTest::newRow("up to 2") << 1.2 << 2.0;
        QTest::newRow("up to 5") << 3.0 << 5.0;
        QTest::newRow("small") << 0.03 << 0.05;
        QTest::newRow("rounding error above 2") << 2.0000000000000004 << 2.0;
        QTest::newRow("zero") << 0.0 << 0.0;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 0.0;
    }

    void niceStep()
    {
        QFETCH(double, rough);
        QFETCH(double, expected);
        QCOMPARE(NiceStep(rough), expected);
    }

    void tickStep_data()
    {
        QTest::addColumn<AxisRange>("range");
        QTest::addColumn<double>("pixels");
        QTest::addColumn<double>("minSpacing");
        QTest::addColumn<double>("increment");
        QTest::addColumn<double>("expected");
        QTest::newRow("room for every unit") << AxisRange{0, 10} << 500.0 << 40.0 << 0.0 << 1.0;
        QTest::newRow("crowded goes to 5") << AxisRange{0, 10} << 100.0 << 40.0 << 0.0 << 5.0;
        QTest::newRow("increment kept") << AxisRange{0, 79} << 8000.0 << 30.0 << 1.0 << 1.0;
        QTest::newRow("increment multiplied") << AxisRange{0, 79} << 800.0 << 30.0 << 1.0 << 5.0;
        QTest::newRow("fractional increment") << AxisRange{0, 10} << 500.0 << 40.0 << 0.25 << 1.25;
        QTest::newRow("no pixels, increment") << AxisRange{0, 10} << 0.0 << 40.0 << 2.0 << 2.0;
    }

    void tickStep()
    {
        QFETCH(AxisRange, range);
        QFETCH(double, pixels);
        QFETCH(double, minSpacing);
        QFETCH(double, increment);
        QFETCH(double, expected);
        QCOMPARE(TickStep(range, pixels, minSpacing, increment), expected);
    }

    void tickValues_data()
    {
        QTest::addColumn<AxisRange>("range");
        QTest::addColumn<double>("step");
        QTest::addColumn<QList<double>>("expected");
        QTest::newRow("inside the range") << AxisRange{0.05, 1.02} << 0.2 << QList<double>{0.2, 0.4, 0.6, 0.8, 1.0};
        QTest::newRow("across zero") << AxisRange{-1.5, 1.5} << 0.5 << QList<double>{-1.5, -1, -0.5, 0, 0.5, 1, 1.5};
        QTest::newRow("end a rounding error short")
            << AxisRange{0, 1 - 1e-9} << 0.25 << QList<double>{0, 0.25, 0.5, 0.75, 1};
        QTest::newRow("no step") << AxisRange{0, 1} << 0.0 << QList<double>{};
        QTest::newRow("too many") << AxisRange{0, 1e6} << 1.0 << QList<double>{};
    }

    void tickValues()
    {
        QFETCH(AxisRange, range);
        QFETCH(double, step);
        QFETCH(QList<double>, expected);
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
        QTest::addColumn<AxisLimits>("limits");
        QTest::addColumn<DataExtent>("data");
        QTest::addColumn<double>("pixels");
        QTest::addColumn<double>("pad");
        QTest::addColumn<AxisRange>("expected");
        const AxisLimits automatic;
        const AxisLimits fixedMin{false, true, 0, 0};
        QTest::newRow("fixed ignores data") << Fixed(0, 105) << Extent(3, 300) << 400.0 << 10.0 << AxisRange{0, 105};
        QTest::newRow("fixed minimum only") << fixedMin << Extent(3, 7) << 0.0 << 0.0 << AxisRange{0, 7};
        QTest::newRow("no data") << automatic << DataExtent{} << 100.0 << 10.0 << AxisRange{0, 1};
        QTest::newRow("single value") << automatic << Extent(5, 5) << 0.0 << 0.0 << AxisRange{4.5, 5.5};
        QTest::newRow("single zero") << automatic << Extent(0, 0) << 0.0 << 0.0 << AxisRange{-1, 1};
        QTest::newRow("padded both ends") << automatic << Extent(0, 100) << 220.0 << 10.0 << AxisRange{-5, 105};
        QTest::newRow("fixed end not padded") << fixedMin << Extent(0, 100) << 210.0 << 10.0 << AxisRange{0, 105};
        QTest::newRow("fixed minimum above data")
            << AxisLimits{false, true, 10, 0} << Extent(0, 5) << 0.0 << 0.0 << AxisRange{10, 12};
        QTest::newRow("equal fixed ends") << Fixed(5, 5) << DataExtent{} << 0.0 << 0.0 << AxisRange{4.5, 5.5};
        QTest::newRow("too small to pad") << automatic << Extent(0, 100) << 30.0 << 20.0 << AxisRange{0, 100};
    }

    void resolveRange()
    {
        QFETCH(AxisLimits, limits);
        QFETCH(DataExtent, data);
        QFETCH(double, pixels);
        QFETCH(double, pad);
        QFETCH(AxisRange, expected);
        const AxisRange range = ResolveRange(limits, data, pixels, pad, pad);
        QVERIFY2(std::abs(range.min - expected.min) < 1e-9 && std::abs(range.max - expected.max) < 1e-9,
                 qPrintable(QStringLiteral("%1..%2").arg(range.min).arg(range.max)));
    }

    // The control chart stacks the left axis over 0..74 % of the plot and the range axis over
    // 74..100 %; a plot from y = 40 to 540 splits at 410.
    void verticalMapping_data()
    {
        QTest::addColumn<double>("startPercent");
        QTest::addColumn<double>("endPercent");
        QTest::addColumn<AxisRange>("range");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("pixel");
        QTest::newRow("upper top") << 0.0 << 74.0 << AxisRange{0, 10} << 10.0 << 40.0;
        QTest::newRow("upper bottom at the split") << 0.0 << 74.0 << AxisRange{0, 10} << 0.0 << 410.0;
        QTest::newRow("upper, below its panel") << 0.0 << 74.0 << AxisRange{0, 10} << -3.5135135135135136 << 540.0;
        QTest::newRow("lower top at the split") << 74.0 << 100.0 << AxisRange{0, 2} << 2.0 << 410.0;
        QTest::newRow("lower, negative range") << 74.0 << 100.0 << AxisRange{-1, 1} << 0.0 << 475.0;
    }

    void verticalMapping()
    {
        QFETCH(double, startPercent);
        QFETCH(double, endPercent);
        QFETCH(AxisRange, range);
        QFETCH(double, value);
        QFETCH(double, pixel);
        const AxisMapping mapping = VerticalMapping(range, VerticalAxisSpan(40, 500, startPercent, endPercent));
        QVERIFY(std::abs(mapping.toPixel(value) - pixel) < 1e-9);
        QVERIFY(std::abs(mapping.toValue(pixel) - value) < 1e-9);
    }
};

TESSALY_TEST(AxisScaleTest)
#include "tst_axisscale.moc"
