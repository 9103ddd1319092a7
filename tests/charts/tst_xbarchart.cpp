#include "ChartControl.h"
#include "DataRow.h"
#include "TestMain.h"
#include "XBarChart.h"

#include <QTest>

class TestXBarChart : public QObject
{
    Q_OBJECT

    // A drawing of three means 10, 12, 11 (or `means` over and over) with ranges 1, 2, 1; limits
    // CL 11, LCL 10.231, UCL 11.769.
    static QString draw(ChartControl& control, XBarChart& chart, double lsl, double usl, bool hideSpec,
                        Statistic cpk = 1.5, int points = 3, const QList<double>& means = {10, 12, 11})
    {
        chart.ResetChart("V", false, "P Vout");
        for (int i = 0; i < points; ++i) {
            control.addPoint(XBarChart::kDataSeries, means[i % means.size()], "03/01");
            control.addPoint(XBarChart::kRangeSeries, i == 1 ? 2 : 1, "ATE-01");
        }
        LimitsInForce limits;
        limits.segments.push_back({});
        limits.segments[0].limits = ComputeControlLimits(InitControlChartConstants(), true, 5, 11, 4.0 / 3, 0.573,
                                                         std::nullopt, cpk, std::nullopt, std::nullopt);
        return chart.DrawControlLimits(
            {.lsl = lsl, .usl = usl, .limits = &limits, .total = double(points), .stdDev = 1}, 5, hideSpec);
    }

private slots:
    void specificationLines_data()
    {
        AddColumns<double, double, bool, QString, QString, int, int>("lsl", "usl", "hide", "lslText", "uslText",
                                                                     "lslPoints", "uslPoints");
        const auto row = [](const char* name, double lsl, double usl, bool hide, const char* lslText,
                            const char* uslText, int lslPoints, int uslPoints) {
            QTest::newRow(name) << lsl << usl << hide << QString(lslText) << QString(uslText) << lslPoints << uslPoints;
        };
        row("both drawn", 8, 14, false, "8.0", "14.0", 2, 2);
        row("absent LSL", -999, 14, false, "N/A", "14.0", 0, 2);
        row("USL configured as 999", 8, 999, false, "8.0", "N/A", 2, 0);
        row("hidden: numbers kept, no lines", -999, 14, true, "-999.0", "14.0", 0, 0);
    }

    void specificationLines()
    {
        const auto [lsl, usl, hide] = FetchRow<double, double, bool>();
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
        draw(control, chart, 8, 14, false, 1.5, 0); // no points: the lines end at x = -1
        QCOMPARE(control.pointX(XBarChart::kFirstControlLine, 1), -1.0);
    }

    // Every page, the last one with a single point too, draws the lines across the whole page
    // and names each at both of its edges, no name covering another, also where two lines lie
    // closer than a label's height.
    void everyPageShowsTheLines_data()
    {
        AddColumns<int, double, double>("page", "lsl", "usl");
        QTest::newRow("first page") << 1 << 8.0 << 14.0;
        QTest::newRow("a middle page") << 2 << 8.0 << 14.0;
        QTest::newRow("last page, one point") << 3 << 8.0 << 14.0;
        QTest::newRow("LSL beside LCL") << 2 << 10.2 << 14.0;
        QTest::newRow("USL beside UCL, at the top") << 2 << 8.0 << 11.8;
    }

    void everyPageShowsTheLines()
    {
        const auto [page, lsl, usl] = FetchRow<int, double, double>();
        ChartControl control;
        control.resize(640, 480);
        XBarChart chart(control);
        draw(control, chart, lsl, usl, false, 1.5, 2 * XBarChart::kPointsPerPage + 1);
        control.setCurrentPage(page);
        QCOMPARE(control.currentPage(), page);
        const DrawnGeometry drawn = control.drawnGeometry();
        for (int s = XBarChart::kLslSeries; s < control.seriesCount(); ++s) {
            if (s == XBarChart::kRangeSeries) {
                continue;
            }
            const QList<QPolygonF>& pieces = drawn.series[s].lines;
            QCOMPARE(pieces.size(), 1);
            QVERIFY(std::abs(pieces.first().first().x() - drawn.plot.left()) < 1);
            QVERIFY(std::abs(pieces.first().last().x() - drawn.plot.right()) < 1);
            QStringList labels;
            for (const DrawnLabel& label : drawn.labels) {
                if (label.series == s) {
                    labels << label.text;
                }
            }
            QCOMPARE(labels, (QStringList{control.pointLabel(s, 0), control.pointLabel(s, 1)}));
        }
        QCOMPARE(drawn.series[XBarChart::kDataSeries].pointers.isEmpty(), false);
        for (size_t a = 0; a < drawn.labels.size(); ++a) {
            for (size_t b = a + 1; b < drawn.labels.size(); ++b) {
                QVERIFY2(!drawn.labels[a].rect.intersects(drawn.labels[b].rect),
                         qPrintable(drawn.labels[a].text + " / " + drawn.labels[b].text));
            }
        }
    }

    // Where there is room beside their lines, the lines' labels keep off a data line that runs
    // close around the centre line: no pixel of it lies in a label's box.
    void lineLabelsKeepOffTheDataLine()
    {
        ChartControl control;
        control.resize(1000, 700);
        XBarChart chart(control);
        draw(control, chart, 9.8, 12.2, false, 1.5, 2 * XBarChart::kPointsPerPage + 1, {11.1, 10.9});
        const DrawnGeometry drawn = control.drawnGeometry();
        QCOMPARE(drawn.labels.size(), size_t(16));
        for (const DrawnLabel& label : drawn.labels) {
            for (const QPolygonF& piece : drawn.series[XBarChart::kDataSeries].lines) {
                for (qsizetype i = 1; i < piece.size(); ++i) {
                    for (double t = 0; t <= 1; t += 1.0 / 256) {
                        const QPointF at = piece[i - 1] + t * (piece[i] - piece[i - 1]);
                        QVERIFY2(!label.rect.contains(at), qPrintable(label.text));
                    }
                }
            }
        }
    }
};

TESSALY_TEST(TestXBarChart)
#include "tst_xbarchart.moc"
