#include "ChartControl.h"
#include "TestMain.h"
#include "XBarChart.h"

#include <QTest>

class TestXBarChart : public QObject
{
    Q_OBJECT

    // A drawing of three means 10, 12, 11 with ranges 1, 2, 1.
    static QString draw(ChartControl& control, XBarChart& chart, double lsl, double usl, bool hideSpec,
                        Statistic cpk = 1.5, int points = 3)
    {
        chart.ResetChart("V", false, "P Vout");
        const double means[] = {10, 12, 11};
        for (int i = 0; i < points; ++i) {
            control.addPoint(XBarChart::kDataSeries, means[i], "03/01");
            control.addPoint(XBarChart::kRangeSeries, i == 1 ? 2 : 1, "ATE-01");
        }
        XBarChart::Drawing d;
        d.lsl = lsl;
        d.usl = usl;
        d.cl = 11;
        d.rBar = 4.0 / 3;
        d.sigma = 0.573;
        d.cpk = cpk;
        d.total = points;
        d.stdDev = 1;
        return chart.DrawControlLimits(d, InitControlChartConstants(), 5, hideSpec).panelText;
    }

private slots:
    void layoutAndPresetSeries()
    {
        ChartControl control;
        XBarChart chart(control);
        chart.SetupRangeSeries();
        QCOMPARE(control.seriesCount(), 5);
        QCOMPARE(control.series(XBarChart::kDataSeries).horizontalAxis, AxisId::Top);
        QCOMPARE(control.series(XBarChart::kRangeSeries).verticalAxis, AxisId::Custom0);
        QCOMPARE(control.series(XBarChart::kRangeSeries).horizontalAxis, AxisId::Bottom);
        QCOMPARE(control.axis(AxisId::Left).endPercent, 74.0);
        QCOMPARE(control.axis(AxisId::Custom0).startPercent, 74.0);
        // Sources are named where they change; dates stay at every labelled point.
        QVERIFY(control.axis(AxisId::Bottom).labelsAtChanges && !control.axis(AxisId::Top).labelsAtChanges);
        QCOMPARE(control.title().lines, QStringList{"SPC Chart"});
        QCOMPARE(control.subFoot().lines, QStringList{"Source ID"});

        chart.ResetChart("", true, "");
        QCOMPARE(control.axis(AxisId::Left).title, "Individual ");
        QCOMPARE(control.axis(AxisId::Custom0).title, "Moving Range");
        QCOMPARE(control.maxPointsPerPage(), 80);
        QCOMPARE(control.subFoot().lines, QStringList{"  Chart Page: 1 of 1"});
    }

    void specificationLines_data()
    {
        QTest::addColumn<double>("lsl");
        QTest::addColumn<double>("usl");
        QTest::addColumn<bool>("hide");
        QTest::addColumn<QString>("lslText");
        QTest::addColumn<QString>("uslText");
        QTest::addColumn<int>("lslPoints");
        QTest::addColumn<int>("uslPoints");
        QTest::newRow("both drawn") << 8.0 << 14.0 << false << "8.0"
                                    << "14.0" << 2 << 2;
        QTest::newRow("absent LSL") << -999.0 << 14.0 << false << "N/A"
                                    << "14.0" << 0 << 2;
        QTest::newRow("USL configured as 999") << 8.0 << 999.0 << false << "8.0"
                                               << "N/A" << 2 << 0;
        QTest::newRow("hidden: numbers kept, no lines") << -999.0 << 14.0 << true << "-999.0"
                                                        << "14.0" << 0 << 0;
    }

    void specificationLines()
    {
        QFETCH(double, lsl);
        QFETCH(double, usl);
        QFETCH(bool, hide);
        ChartControl control;
        XBarChart chart(control);
        const QStringList panel = draw(control, chart, lsl, usl, hide).split("\r\n");
        QTEST(panel[9], "lslText");
        QTEST(panel[8], "uslText");
        QTEST(int(control.pointCount(XBarChart::kLslSeries)), "lslPoints");
        QTEST(int(control.pointCount(XBarChart::kUslSeries)), "uslPoints");
        if (control.pointCount(XBarChart::kUslSeries) == 2) {
            QCOMPARE(control.pointX(XBarChart::kUslSeries, 1), 2.0);
            QCOMPARE(control.pointLabel(XBarChart::kUslSeries, 0), "USL");
            QCOMPARE(control.pointLabel(XBarChart::kUslSeries, 1), "USL=14.0");
        }
    }

    void controlLinesAndTheirLabels()
    {
        ChartControl control;
        XBarChart chart(control);
        const QString panel = draw(control, chart, 8, 14, false, std::nullopt);
        QCOMPARE(control.seriesCount(), 11);
        QStringList labels;
        for (int s = XBarChart::kFirstControlLine; s < 11; ++s) {
            QCOMPARE(control.pointX(s, 0), 0.0);
            QCOMPARE(control.pointX(s, 1), 2.0);
            labels.append(control.pointLabel(s, 0) + "|" + control.pointLabel(s, 1));
            QVERIFY(control.series(s).look.marks.clearBehind);
        }
        // UCL = 11 + 0.577 * 4/3; range UCL = 2.115 * 4/3; range CL shown rounded.
        QCOMPARE(labels, (QStringList{"CL|CL=11.0; CpK=N/A", "LCL|LCL=10.231", "UCL|UCL=11.769", "CL|CL=1.333",
                                      "LCL|LCL=0.0", "UCL|UCL=2.82"}));
        QCOMPARE(control.series(XBarChart::kFirstControlLine + 3).verticalAxis, AxisId::Custom0);
        QVERIFY(panel.endsWith("Est.\r\n\r\n2.82\r\n1.333\r\n0.0\r\n"));
        QVERIFY(control.series(XBarChart::kUslSeries).look.marks.clearBehind);

        chart.ResetChart("V", false, "P Vout");
        QCOMPARE(control.seriesCount(), 5);
        QCOMPARE(control.pointCount(XBarChart::kDataSeries), 0);
    }

    void noPointsPutTheLineEndsAtMinusOne()
    {
        ChartControl control;
        XBarChart chart(control);
        draw(control, chart, 8, 14, false, 1.5, 0);
        QCOMPARE(control.pointX(XBarChart::kFirstControlLine, 1), -1.0);
    }
};

TESSALY_TEST(TestXBarChart)
#include "tst_xbarchart.moc"
