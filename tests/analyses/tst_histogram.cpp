#include "AnalysisFixture.h"
#include "ChartControl.h"
#include "DataRow.h"
#include "HistogramChart.h"
#include "HistogramMath.h"
#include "PlotHistogram.h"
#include "TestMain.h"
#include "frmHistogram.h"

#include <QJsonArray>
#include <QPrinter>
#include <QRandomGenerator>
#include <QTest>
#include <algorithm>
#include <cmath>

namespace {

QList<ResultRecord> records(const QList<double>& values)
{
    QList<ResultRecord> out;
    for (const double v : values) {
        out.append({"SN" + QString::number(out.size()), "ATE-01", "2024-03-02 10:00:00", "PASS", {v}});
    }
    return out;
}

const QStringList kNoIndices(7, "N/A");

// The count of each cell as defined: every value tested against every cell, in order. A value
// on an edge that rounding makes inclusive on both sides counts in both cells, or in none.
std::vector<qint64> naiveCounts(double min, double max, const std::vector<double>& values, int cells)
{
    const double w = (max - min) / cells;
    std::vector<qint64> counts(cells, 0);
    for (const double v : values) {
        for (int j = 1; j <= cells; ++j) {
            const double lo = min + w * (j - 1);
            counts[j - 1] += (v >= lo && v < lo + w) || (j == cells && v >= lo && v <= lo + w) ? 1 : 0;
        }
    }
    return counts;
}

} // namespace

class TestHistogram : public QObject
{
    Q_OBJECT

private slots:
    void statisticsAndIndices_data()
    {
        // panel: or the error description alone
        // meanCellCount: with 20 cells; -1: not drawn
        AddColumns<QList<double>, double, double, QStringList, int>("values", "usl", "lsl", "panel", "meanCellCount");
        const auto row = [](const char* name, const QList<double>& values, double usl, double lsl,
                            const QStringList& panel, int meanCellCount = -1) {
            QTest::newRow(name) << values << usl << lsl << panel << meanCellCount;
        };
        // n, cell width, SD, range, skewness, kurtosis of 1 2 2 3
        const QStringList shape{"Normal", "4", "0.1", "0.816", "2.0", "0.0", "1.5", ""};
        const QList<double> v1223{1, 2, 2, 3};
        row("no limits", v1223, 999, -999, shape + kNoIndices, 2);
        row("both, PpK is PpL", v1223, 4.5, 0.5,
            shape + QStringList{"0.816", "1.225", "0.612", "1.021", "0.612", "3.062", "1.837"}, 2);
        row("both, PpK is PpU", v1223, 3.5, 0.0,
            shape + QStringList{"0.714", "1.4", "0.612", "0.612", "0.816", "1.837", "2.449"}, 2);
        row("only USL", v1223, 4.5, -999, shape + QStringList{"N/A", "N/A", "1.021", "1.021", "N/A", "3.062", "N/A"},
            2);
        row("only LSL", v1223, 999, 0.5, shape + QStringList{"N/A", "N/A", "0.612", "N/A", "0.612", "N/A", "1.837"}, 2);
        row("mean between cells", {1, 2, 3, 4}, 999, -999,
            QStringList{"Normal", "4", "0.15", "1.291", "3.0", "0.0", "-1.2", ""} + kNoIndices, 0);
        row("skewed", {1, 1, 2, 4}, 999, -999,
            QStringList{"Normal", "4", "0.15", "1.414", "3.0", "1.414", "1.5", ""} + kNoIndices, 1);
        row("three values", {1, 2, 4}, 999, -999, {"Division by zero"});
        row("one value", {5}, 999, -999, {"Division by zero"});
        row("equal limits", v1223, 2, 2, {"Division by zero"});
        row("mean 0", {-1, 1, -1, 1}, 999, -999, {});
        row("no spread, rounded below 0", {5.1, 5.1, 5.1, 5.1, 5.1}, 999, -999, {"Invalid procedure call or argument"});
    }

    void statisticsAndIndices()
    {
        const auto [values, usl, lsl, panel, meanCellCount] =
            FetchRow<QList<double>, double, double, QStringList, int>();
        const std::vector<double> data(values.begin(), values.end());
        const HistogramStatistics s = HistogramStatisticsOf(data, usl, lsl);
        if (panel.size() == 1) {
            QCOMPARE(s.error, panel.first());
            return;
        }
        QVERIFY(s.error.isEmpty());
        QCOMPARE(s.isDegenerate(), panel.isEmpty());
        if (panel.isEmpty()) {
            return;
        }
        const HistogramCells cells = FillHistogramCells(s.min, s.max, s.mean, data, 20, nullptr);
        QCOMPARE(HistogramPanelLines(s, cells.width), panel);
        QCOMPARE(cells.meanCellCount, meanCellCount);
    }

    // The counting by candidate cell against the definition, on data crowded onto the cell edges
    // and one ulp either side of them.
    void cellsCountAsEveryCellTested()
    {
        QRandomGenerator random(20240310);
        for (int trial = 0; trial < 600; ++trial) {
            const int cells = std::array{1, 2, 3, 7, 10, 20, 33, 100, 1000}[random.bounded(9)];
            const double min = (random.generateDouble() - 0.5) * std::pow(10.0, random.bounded(-3, 4));
            const double spans[] = {std::abs(min) * 1e-15 * random.bounded(1, 50), random.generateDouble() * 10,
                                    std::pow(10.0, random.bounded(-6, 4)), 0.0};
            const double max = min + spans[random.bounded(4)];
            const double w = (max - min) / cells;
            std::vector<double> values;
            for (int i = random.bounded(1, 400); i > 0; --i) {
                const double edge = min + w * random.bounded(cells + 1);
                const double picks[] = {edge, std::nextafter(edge, -INFINITY), std::nextafter(edge, INFINITY),
                                        min + (max - min) * random.generateDouble()};
                values.push_back(picks[random.bounded(4)]);
            }
            const HistogramCells actual = FillHistogramCells(min, max, (min + max) / 2, values, cells, nullptr);
            std::vector<qint64> counts;
            for (int j = 0; j < cells; ++j) {
                counts.push_back(actual.cells[j].count);
                QCOMPARE(actual.cells[j].lower, min + w * j);
            }
            QVERIFY2(counts == naiveCounts(min, max, values, cells), qPrintable(QString("trial %1").arg(trial)));
            QCOMPARE(actual.maxCount, *std::max_element(counts.begin(), counts.end()));
        }
    }

    void limitsAndAxes_data()
    {
        AddColumns<QString, bool, bool>("spec", "hasLsl", "hasUsl");
        QTest::newRow("no limits") << "-999,999,0," << false << false;
        QTest::newRow("only USL") << "-999,4.5,0," << false << true;
        QTest::newRow("only LSL") << "0.5,999,0," << true << false;
        QTest::newRow("both, beyond the data") << "1.5,2.5,0," << true << true;
    }

    void limitsAndAxes()
    {
        const auto [spec, hasLsl, hasUsl] = FetchRow<QString, bool, bool>();
        AnalysisFixture f;
        f.useResults({"V"}, records({1, 2, 2, 3}), {spec});
        ChartControl control;
        control.resize(640, 480);
        HistogramChart chart(control);
        const HistogramResult result = PlotHistogram(f.context(), chart, 20);
        QCOMPARE(result.outcome, AnalysisOutcome::Drawn);
        QVERIFY(f.prompts.messages.isEmpty());

        QCOMPARE(control.pointCount(HistogramChart::kLslSeries), hasLsl ? 2 : 0);
        QCOMPARE(control.pointCount(HistogramChart::kUslSeries), hasUsl ? 2 : 0);
        QCOMPARE(control.pointCount(HistogramChart::kSampleCurveSeries), HistogramChart::kCurvePoints);
        QCOMPARE(control.pointCount(HistogramChart::kCentredCurveSeries),
                 hasLsl && hasUsl ? HistogramChart::kCurvePoints : 0);
        QCOMPARE(control.pointLabel(HistogramChart::kMeanLabelSeries, 0), "Mean=2.0");
        QCOMPARE(control.pointY(HistogramChart::kPlus3SDLabelSeries, 0), 2.0);
        const AxisRange bottom = control.axisRange(AxisId::Bottom);
        const AxisLimits& limits = control.axis(AxisId::Bottom).limits;
        QCOMPARE(limits.automaticMinimum, !hasLsl);
        QCOMPARE(limits.automaticMaximum, !hasUsl);
        // Every drawn series is in view: the +-3SD lines lie beyond the limits.
        QVERIFY(bottom.min <= -0.449 && bottom.max >= 4.449);
        // The curve's peak is level with the top of the mean's bar (2 values), its zero with the base.
        const double peak = control.series(HistogramChart::kSampleCurveSeries).points.yExtent().max;
        QVERIFY(std::abs(control.pixelAtValue(AxisId::Right, peak) - control.pixelAtValue(AxisId::Left, 2)) < 0.01);
        QVERIFY(std::abs(control.pixelAtValue(AxisId::Right, 0) - control.pixelAtValue(AxisId::Left, 0)) < 0.01);

        const QJsonObject json = HistogramJson(result);
        QCOMPARE(json["cells"].toArray().size(), 20);
        QCOMPARE(json["cells"].toArray()[10].toObject()["count"].toInt(), 2);
        QCOMPARE(json["ppu"].isNull(), !hasUsl);
    }

    // As drawn: the sample curve's peak level with the top of the mean's bar, its ends near the
    // base, at the window's size and at the report's.
    void curvesStandOnTheBars_data()
    {
        AddColumns<QList<double>, QSize>("values", "size");
        QList<double> skewed;
        for (int i = 0; i < 400; ++i) {
            skewed << 10 + std::pow((i % 40) / 40.0, 3) * 5;
        }
        QTest::newRow("fixture, window") << QList<double>() << QSize(640, 480);
        QTest::newRow("fixture, report") << QList<double>() << QSize(1600, 900);
        QTest::newRow("skewed sample") << skewed << QSize(640, 480);
    }

    void curvesStandOnTheBars()
    {
        const auto [values, size] = FetchRow<QList<double>, QSize>();
        AnalysisFixture f;
        if (!values.isEmpty()) {
            f.useResults({"V"}, records(values), {"9,16,0,"});
        }
        QPrinter printer;
        frmHistogram window(f.context(), printer);
        const HistogramResult& result = window.lastResult();
        QCOMPARE(result.outcome, AnalysisOutcome::Drawn);
        const DrawnGeometry drawn = window.findChild<ChartControl*>("ocxHistogram")->drawnGeometry(size);
        const auto& cells = result.cells.cells;
        const auto meanCell = std::find_if(cells.begin(), cells.end(), [&](const HistogramCell& c) {
            return c.lower <= result.statistics.mean && result.statistics.mean < c.lower + result.cells.width;
        });
        const QRectF meanBar = drawn.series[HistogramChart::kDataSeries].bars.at(meanCell - cells.begin());
        const QList<QPolygonF>& pieces = drawn.series[HistogramChart::kSampleCurveSeries].lines;
        QCOMPARE(pieces.size(), 1);
        const QPolygonF& curve = pieces.first();
        const double slack = drawn.plot.height() * 0.05;
        for (const QPointF& end : {curve.first(), curve.last()}) {
            QVERIFY2(end.y() >= drawn.plot.bottom() - slack, qPrintable(QString::number(end.y())));
        }
        const double peak = curve.boundingRect().top();
        QVERIFY2(std::abs(peak - meanBar.top()) <= 2, qPrintable(QString("%1 %2").arg(peak).arg(meanBar.top())));
    }

    // The range line names the range the drawing used, as of the fixture's 10 March 2024.
    void rangeFootLine_data()
    {
        AddColumns<QString, QDate, QString>("range", "customFrom", "line");
        QTest::newRow("preset") << "Last 7 Days" << QDate(2024, 3, 1) << "Small as Last 7 Days, 3/4/2024 to 3/10/2024";
        QTest::newRow("today") << "Today" << QDate() << "Small as Today, 3/10/2024 to 3/10/2024";
        QTest::newRow("custom") << "Custom" << QDate(2024, 3, 1) << "Small as 3/1/2024 to 3/7/2024";
        QTest::newRow("custom never entered") << "Custom" << QDate() << "Small as Custom";
    }

    void rangeFootLine()
    {
        const auto [range, customFrom, line] = FetchRow<QString, QDate, QString>();
        AnalysisFixture f;
        f.selection.range = range;
        f.state.gCustomDateFrom = customFrom;
        QCOMPARE(RangeFootLine(f.context()), line);
    }
};

TESSALY_TEST(TestHistogram)
#include "tst_histogram.moc"
