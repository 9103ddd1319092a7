#include "AnalysisFixture.h"
#include "ChartControl.h"
#include "DataRow.h"
#include "Formats.h"
#include "StationChart.h"
#include "StationPlot.h"
#include "StatisticalTests.h"
#include "TestMain.h"

#include <QTest>
#include <cmath>

namespace {

SampleSummary summaryOf(const QList<double>& values)
{
    SampleSummary s;
    for (const double v : values) {
        s.add(v);
    }
    return s;
}

// Montgomery, Design and Analysis of Experiments, Example 3.1: the etch rate of five wafers at
// each of four RF power settings. Its analysis of variance (Table 3.4): SS 66,870.55 between,
// 5,339.20 within, F0 = 66.80 on 3 and 16 degrees of freedom.
const QList<std::pair<QString, QList<double>>> kEtchRate = {{"160 W", {575, 542, 530, 539, 570}},
                                                            {"180 W", {565, 593, 590, 579, 610}},
                                                            {"200 W", {600, 651, 610, 637, 629}},
                                                            {"220 W", {725, 700, 715, 685, 710}}};

// The etch rates as passed records of one parameter "Rate" on 2 March 2024, a source per setting,
// interleaved in time.
QList<ResultRecord> etchRecords()
{
    QList<ResultRecord> list;
    for (int wafer = 0; wafer < 5; ++wafer) {
        for (const auto& [power, rates] : kEtchRate) {
            const int i = static_cast<int>(list.size());
            const QString time = QStringLiteral("2024-03-02 08:%1:00").arg(i, 2, 10, QLatin1Char('0'));
            list.append({QStringLiteral("W%1").arg(i), power, time, QStringLiteral("PASS"), {rates[wafer]}});
        }
    }
    return list;
}

} // namespace

class TestStations : public QObject
{
    Q_OBJECT

private slots:
    // Reference values from the incomplete beta function evaluated to 30 digits (mpmath).
    void incompleteBeta_data()
    {
        AddColumns<double, double, double, double>("a", "b", "x", "expected");
        QTest::newRow("exact") << 2.0 << 3.0 << 0.5 << 0.6875;
        QTest::newRow("arcsine") << 0.5 << 0.5 << 0.3 << 0.369010119565545375;
        QTest::newRow("lower tail") << 30.0 << 3.0 << 0.2 << 3.46389112422400568e-19;
        QTest::newRow("upper side") << 30.0 << 3.0 << 0.95 << 0.786114472941008466;
        QTest::newRow("near 1") << 10.0 << 20.0 << 0.9 << 0.999999999999959275;
        QTest::newRow("ends") << 4.0 << 2.0 << 1.0 << 1.0;
    }

    void incompleteBeta()
    {
        const auto [a, b, x, expected] = FetchRow<double, double, double, double>();
        QVERIFY2(Near(RegularizedIncompleteBeta(a, b, x), expected, 1e-12),
                 qPrintable(QString::number(RegularizedIncompleteBeta(a, b, x), 'g', 17)));
    }

    // NIST/SEMATECH e-Handbook of Statistical Methods, 1.3.5.3 (two-sample t-test, AUTO83B): US
    // cars n 249, mean 20.14458, SD 6.41470; Japanese cars n 79, mean 30.48101, SD 6.10771. With
    // unequal variances T = -12.94627 on 136.8750 degrees of freedom.
    void welchAgainstNist()
    {
        const auto sample = [](qint64 n, double mean, double sd) {
            return SampleSummary{n, mean, sd * sd * static_cast<double>(n - 1)};
        };
        const std::optional<WelchResult> w = WelchTTest(sample(249, 20.14458, 6.41470), sample(79, 30.48101, 6.10771));
        QVERIFY(w);
        QVERIFY(Near(w->t, -12.94627, 1e-6));
        QVERIFY(Near(w->df, 136.8750, 1e-6));
        QVERIFY(Near(w->p, 1.5709046154648e-25, 1e-6));
        QVERIFY(!WelchTTest(sample(1, 3, 0), sample(5, 4, 1)));
        QVERIFY(!WelchTTest(summaryOf({2, 2, 2}), summaryOf({2, 2})));
    }

    void mergedSummaries()
    {
        SampleSummary merged = summaryOf({1, 2, 3});
        merged.merge(summaryOf({10, 20}));
        merged.merge(SampleSummary{});
        const SampleSummary whole = summaryOf({1, 2, 3, 10, 20});
        QCOMPARE(merged.n, whole.n);
        QVERIFY(Near(merged.mean, whole.mean, 1e-15));
        QVERIFY(Near(merged.variance(), whole.variance(), 1e-14));
        QVERIFY(std::isnan(summaryOf({4}).variance()));
        QVERIFY(Near(PooledSd(summaryOf({1, 2, 3}), summaryOf({10, 20})), std::sqrt((2.0 + 50) / 3), 1e-15));
    }

    void boxPlot_data()
    {
        AddColumns<QList<double>, QList<double>, QList<double>>("sorted", "q1MedianQ3LowHigh", "outliers");
        QTest::newRow("nine values, none beyond")
            << QList<double>{1, 2, 3, 4, 5, 6, 7, 8, 9} << QList<double>{3, 5, 7, 1, 9} << QList<double>{};
        QTest::newRow("interpolated, one far out each side")
            << QList<double>{-40, 10, 11, 12, 13, 14, 60} << QList<double>{10.5, 12, 13.5, 10, 14}
            << QList<double>{-40, 60};
        QTest::newRow("one value") << QList<double>{7} << QList<double>{7, 7, 7, 7, 7} << QList<double>{};
        QTest::newRow("just within 1.5 IQR")
            << QList<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 14} << QList<double>{3.25, 5.5, 7.75, 1, 14} << QList<double>{};
    }

    void boxPlot()
    {
        const auto [sorted, expected, outliers] = FetchRow<QList<double>, QList<double>, QList<double>>();
        const BoxPlot box = BoxPlotOf(std::vector<double>(sorted.begin(), sorted.end()));
        QCOMPARE((QList<double>{box.q1, box.median, box.q3, box.low, box.high}), expected);
        QCOMPARE(QList<double>(box.outliers.begin(), box.outliers.end()), outliers);
    }

    // The worked example read from a database, one source per power setting: the analysis of
    // variance as published; 160 W and 220 W differ from the rest, 180 W is half a pooled SD away
    // but its p-value (0.049) is not below 0.01, 200 W is close to the rest.
    void etchRateExample()
    {
        AnalysisFixture f;
        f.useResults({"Rate"}, etchRecords(), {"500,750,0,"});
        ChartControl control;
        StationChart chart(control);
        const StationResult result = PlotStations(f.context(), chart);
        QCOMPARE(result.outcome, AnalysisOutcome::Drawn);
        QVERIFY(result.anova);
        QCOMPARE(result.anova->dfBetween, 3);
        QCOMPARE(result.anova->dfWithin, 16);
        QVERIFY(Near(result.anova->f, (66870.55 / 3) / (5339.20 / 16), 1e-12));
        QVERIFY(Near(result.anova->p, 2.8828659084932834e-9, 1e-6));
        QStringList rows;
        for (const StationRow& row : result.rows) {
            rows.append(StationCells(row).join(QLatin1Char('|')));
        }
        QCOMPARE(rows,
                 (QStringList{"160 W|5|551.2|20.017|1.132|100.0 %|< 0.001|differs",
                              "180 W|5|587.4|16.742|2.251|100.0 %|0.049|", "200 W|5|625.4|20.526|1.844|100.0 %|0.624|",
                              "220 W|5|707.0|15.248|0.851|100.0 %|< 0.001|differs"}));
        QCOMPARE(result.panelText, "4\r\n20\r\n66.797\r\n< 0.001\r\n2\r\n");
        QCOMPARE(AnovaText(result.anova), "F = 66.797 (3, 16), p < 0.001");

        // One box series a source, in the warning colour where it differs, around its quartiles.
        QCOMPARE(control.seriesCount(), StationChart::kFirstBoxSeries + 4 + 1);
        for (int i = 0; i < 4; ++i) {
            const ChartSeries& box = control.series(StationChart::kFirstBoxSeries + i);
            QCOMPARE(box.look.lineColor,
                     result.rows[i].differs ? StationChart::kWarningColor : StationChart::kBoxColor);
            const BoxPlot& plot = *result.rows[i].box;
            QCOMPARE(box.points.yExtent().min, plot.low);
            QCOMPARE(box.points.yExtent().max, plot.high);
            QCOMPARE(box.points.xExtent().min, i - StationChart::kBoxHalfWidth);
            QCOMPARE(box.points.xExtent().max, i + StationChart::kBoxHalfWidth);
        }
        QCOMPARE(control.pointLabel(chart.meanSeries(), 3), "220 W\rn=5\rdiffers");
        QCOMPARE(control.pointY(chart.meanSeries(), 0), 551.2);
        QCOMPARE(control.pointLabel(StationChart::kUslSeries, 1), "USL=750.0");
    }

    // Per source, the values its individual chart draws: pass-only, the largest of records that
    // share serial, source and time, no 999 or zero; its Cpk is that chart's. The first-pass yield
    // counts every unit by its first record, whatever its verdict or values. Sources and serials are
    // told apart as the engine compares texts: the copy of a CSV log ignores case, a SQLite file does not.
    void valuesOfTheIndividualChart_data()
    {
        // chartPerSource: the individual chart of a source draws the values of its row (its filter compares texts
        // without case on every engine)
        AddColumns<QList<ResultRecord>, bool, bool, bool, bool, QStringList, bool>(
            "records", "csvLog", "passOnly", "lastDataOnly", "acceptZero", "rows", "chartPerSource");
        const QList<ResultRecord> retests{
            {"U1", "A", "2024-03-02 08:00:00", "PASS", {4}},
            {"U1", "A", "2024-03-02 08:00:00", "PASS", {5}}, // one group with the record before
            {"U2", "A", "2024-03-02 08:05:00", "FAIL", {6}},
            {"U2", "A", "2024-03-02 09:00:00", "PASS", {6}}, // its retest
            {"U3", "B", "2024-03-02 08:10:00", "PASS", {7}},
            {"U4", "B", "2024-03-02 08:20:00", "FAIL", {6}},
            {"U5", "A", "2024-03-02 08:30:00", "PASS", {999}},
            {"U6", "A", "2024-03-02 08:40:00", "PASS", {0}},
            {"U7", "A", "2024-03-02 08:50:00", "PASS", {QVariant()}},
            {"U3", "B", "2024-03-02 09:10:00", "PASS", {6}},
            {"U8", "A", "2024-03-02 09:20:00", "PASS", {7}},
        };
        const QList<ResultRecord> cases{{"U1", "A", "2024-03-02 08:00:00", "FAIL", {5}},
                                        {"U2", "A", "2024-03-02 08:30:00", "PASS", {7}},
                                        {"u1", "a", "2024-03-02 09:00:00", "PASS", {6}},
                                        {"U3", "a", "2024-03-02 10:00:00", "PASS", {5}},
                                        {"U1", "A", "2024-03-02 11:00:00", "PASS", {5}}};
        QTest::newRow("as the window starts")
            << retests << false << true << true << true
            << QStringList{"A|4|4.5|3.109|0.188|83.333 %", "B|2|6.5|0.707|1.128|50.0 %"} << true;
        QTest::newRow("every record, every verdict, no zero")
            << retests << false << false << false << false
            << QStringList{"A|5|5.6|1.14|1.504|83.333 %", "B|3|6.333|0.577|1.88|50.0 %"} << true;
        QTest::newRow("sources and serials in other case, SQLite file")
            << cases << false << true << false << true
            << QStringList{"A|2|6.0|1.414|0.752|50.0 %", "a|2|5.5|0.707|1.88|100.0 %"} << false;
        QTest::newRow("sources and serials in other case, CSV log")
            << cases << true << true << false << true << QStringList{"A|4|5.75|0.957|1.692|66.667 %"} << true;
    }

    void valuesOfTheIndividualChart()
    {
        const auto [records, csvLog, passOnly, lastDataOnly, acceptZero, rows, chartPerSource] =
            FetchRow<QList<ResultRecord>, bool, bool, bool, bool, QStringList, bool>();
        AnalysisFixture f;
        f.useResults({"V"}, records, {"3,8,0,"}, {},
                     csvLog ? AnalysisFixture::ResultsFile::CsvLog : AnalysisFixture::ResultsFile::SQLite);
        f.selection.passOnly = passOnly;
        f.selection.lastDataOnly = lastDataOnly;
        f.selection.acceptZero = acceptZero;
        const StationResult result = CompareStations(f.context());
        QStringList found;
        for (const StationRow& row : result.rows) {
            found.append(StationCells(row).mid(0, 6).join(QLatin1Char('|')));
        }
        QCOMPARE(found, rows);

        // Each Cpk is the one the individual chart of that source shows.
        for (const StationRow& row : chartPerSource ? result.rows : std::vector<StationRow>()) {
            f.selection.source = row.source;
            PlotRequest request = f.controlChartRequest("V");
            request.uslText = "8";
            request.lslText = "3";
            ChartControl control;
            const PlotResult plot = f.plotControlChart(control, request);
            QCOMPARE(plot.drawn, row.values.n >= 2);
            QCOMPARE(plot.records, row.values.n);
            if (row.cpk) {
                QCOMPARE(Round3(*row.cpk), *plot.limits.current().limits.cpk);
            }
        }
    }

    // A significant difference (Welch's p below 0.01) makes a source differ only when the means are
    // more than half a pooled SD apart. 400 values of 0 and 1 (SD 0.5) a source.
    void differsWhenSignificantAndLarge_data()
    {
        AddColumns<int, bool>("onesOfB", "differs");
        QTest::newRow("a third of an SD") << 260 << false;
        QTest::newRow("more than half an SD") << 320 << true;
    }

    void differsWhenSignificantAndLarge()
    {
        const auto [onesOfB, differs] = FetchRow<int, bool>();
        QList<ResultRecord> list;
        for (int i = 0; i < 800; ++i) {
            const bool a = i < 400;
            const double value = a ? i % 2 : (i - 400 < onesOfB ? 1 : 0);
            const QString time = QDateTime(QDate(2024, 3, 2), QTime(8, 0)).addSecs(i).toString("yyyy-MM-dd HH:mm:ss");
            list.append({QStringLiteral("U%1").arg(i), a ? "A" : "B", time, "PASS", {value}});
        }
        AnalysisFixture f;
        f.useResults({"V"}, list);
        const StationResult result = CompareStations(f.context());
        QCOMPARE(result.rows.size(), size_t(2));
        QCOMPARE(result.rows[1].differs, differs);
        QVERIFY(result.rows[1].welch->p < 0.01);
    }
};

TESSALY_TEST(TestStations)
#include "tst_stations.moc"
