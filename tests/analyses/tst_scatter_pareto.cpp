#include "AnalysisFixture.h"
#include "AnalysisQuery.h"
#include "ChartControl.h"
#include "DataRow.h"
#include "ParetoChart.h"
#include "ParetoPlot.h"
#include "ScatterChart.h"
#include "ScatterPlot.h"
#include "TestMain.h"

#include <QJsonArray>
#include <QTest>
#include <cmath>

namespace {

using Rows = QList<QVariantList>; // per record: its source, then one value per parameter column

// Passed records at one-minute steps on 2 March 2024, serials rising with them.
QList<ResultRecord> records(const Rows& rows)
{
    QList<ResultRecord> list;
    for (const QVariantList& row : rows) {
        const int i = static_cast<int>(list.size());
        list.append({QStringLiteral("SN%1").arg(i, 3, 10, QLatin1Char('0')), row.first().toString(),
                     QStringLiteral("2024-03-02 10:%1:00").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("PASS"),
                     row.mid(1)});
    }
    return list;
}

const QString kRangeLine = QStringLiteral("Small as 3/1/2024 to 3/7/2024");

} // namespace

class TestScatter : public QObject
{
    Q_OBJECT

private slots:
    // Extremes are rounded half to even before display, means and the rest only by the format.
    void panelText()
    {
        ScatterSums sums;
        for (int pass = 0; pass < 2; ++pass) {
            for (const QPointF& p : {QPointF(1.0025, 1), QPointF(2.9975, 1.001)}) {
                pass == 0 ? sums.add(p.x(), p.y()) : sums.addDeviation(p.x(), p.y());
            }
        }
        QCOMPARE(
            ScatterPanelText(sums.statistics()).split("\r\n"),
            QString("Normal|2|2.0|1.411|1.001|0.001||0.999|0.001|1.0|1.002|2.998|1.995|1.0|1.001|0.001|").split('|'));
    }

    void plot_data()
    {
        // data: columns Vout (unit V) and Iin
        // sources: x, y
        // titles: bottom, left
        AddColumns<Rows, QStringList, int, qint64, QString, double, QStringList>("data", "sources", "outcome", "points",
                                                                                 "message", "slope", "titles");

        const Rows rising{{"ATE-01", 1, 2}, {"ATE-01", 2, 4}, {"ATE-01", 3, 6}};
        Rows twoSources;
        for (int i = 1; i <= 5; ++i) {
            twoSources.append({"ATE-01", i, 0});
        }
        for (int i = 1; i <= 8; ++i) {
            twoSources.append({"ATE-02", 0, i <= 5 ? 10 * i : 1});
        }
        const auto row = [](const char* name, const Rows& data, const QStringList& sources, AnalysisOutcome outcome,
                            qint64 points, const QString& message = {}, double slope = qQNaN(),
                            const QStringList& titles = {"X", "Y"}) {
            QTest::newRow(name) << data << sources << int(outcome) << points << message << slope << titles;
        };
        const QStringList none{"", ""};
        row("one statement", rising, none, AnalysisOutcome::Drawn, 3, "", 2.0, {"Vout (V)", "Iin"});
        row("one source only is one statement", rising, {"ATE-02", ""}, AnalysisOutcome::Drawn, 3, "", 2.0,
            {"Vout ATE-02 (V)", "Iin"});
        row("separate sources of 5 and 8 results pair by position", twoSources, {"ATE-01", "ATE-02"},
            AnalysisOutcome::Drawn, 5, "", 10.0, {"Vout ATE-01 (V)", "Iin ATE-02"});
        row("no rows", Rows(), none, AnalysisOutcome::NoChart, 0, kNoDataMessage);
        row("separate, a source without results", twoSources, {"ATE-03", "ATE-02"}, AnalysisOutcome::Silent, 0);
        row("separate, y sums to 0", twoSources, {"ATE-01", "ATE-01"}, AnalysisOutcome::Silent, 5);
        row("all x equal", Rows{{"ATE-01", 2, 1}, {"ATE-01", 2, 2}, {"ATE-01", 2, 4}}, none, AnalysisOutcome::NoChart, 3,
            "Division by zero!");
        row("one pair", Rows{{"ATE-01", 2, 1}}, none, AnalysisOutcome::NoChart, 1, "Division by zero!");
    }

    void plot()
    {
        const auto [data, sources, outcome, points, message, slope, titles] =
            FetchRow<Rows, QStringList, int, qint64, QString, double, QStringList>();
        AnalysisFixture fixture;
        fixture.useResults({"Vout", "Iin"}, records(data), {"0,10,0,V"});
        QVERIFY(fixture.opened);
        ChartControl control;
        ScatterChart chart(control);

        const ScatterResult result = PlotScatter(fixture.context(), chart, {0, 1, sources[0], sources[1]});
        QCOMPARE(static_cast<int>(result.outcome), outcome);
        QCOMPARE(control.pointCount(ScatterChart::kDataSeries), points);
        QCOMPARE(fixture.prompts.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE((QStringList{control.axis(AxisId::Bottom).title, control.axis(AxisId::Left).title}), titles);
        const bool isDrawn = result.outcome == AnalysisOutcome::Drawn;
        QCOMPARE(control.subFoot().lines, isDrawn ? QStringList{kRangeLine} : QStringList());
        QCOMPARE(result.panelText.isEmpty(), !isDrawn);
        QCOMPARE(control.pointCount(ScatterChart::kSlopeSeries), qint64(isDrawn ? 2 : 0));
        if (isDrawn) {
            QCOMPARE(result.statistics.slope, slope);
            QCOMPARE(ScatterJson(result).value("slope").toDouble(), slope);
            // The line runs from the smallest to the largest x drawn, on the regression line.
            const ScatterStatistics& s = result.statistics;
            for (const qint64 i : {0, 1}) {
                QCOMPARE(control.pointX(ScatterChart::kSlopeSeries, i), i == 0 ? s.xMin : s.xMax);
                QCOMPARE(control.pointY(ScatterChart::kSlopeSeries, i),
                         s.intercept + s.slope * (i == 0 ? s.xMin : s.xMax));
            }
        }
    }
};
TESSALY_TEST(TestScatter)

class TestPareto : public QObject
{
    Q_OBJECT

private slots:
    void plot_data()
    {
        // values: columns A to D
        // paretoTitle: ParetoTitleX in Products.INI; "" none
        AddColumns<Rows, bool, QString, int, QString, QString, QString, QString>(
            "values", "missingColumn", "paretoTitle", "outcome", "rows", "message", "order", "title");
        const auto row = [](const char* name, const Rows& values, bool missingColumn, const char* paretoTitle,
                            AnalysisOutcome outcome, const char* rows, const QString& message, const char* order,
                            const char* title) {
            QTest::newRow(name) << values << missingColumn << QString(paretoTitle) << int(outcome) << QString(rows)
                                << message << QString(order) << QString(title);
        };
        const Rows ranked{{"ATE-01", 2, 4, 1, 5}, {"ATE-01", 3, 6, 4, 5}, {"ATE-01", QVariant(), 0, 0, 0}};
        row("ranked, equal sums in list order, titled", ranked, false, "Fails by test", AnalysisOutcome::Drawn, "2", "",
            "BDAC", "Fails by test");
        row("without ParetoTitleX", ranked, false, "", AnalysisOutcome::Drawn, "2", "", "BDAC", "Pareto");
        row("all sums 0", Rows(3, {"ATE-01", 0, 0, 0, 0}), false, "Fails", AnalysisOutcome::NoChart, "3",
            kNoDataMessage, "", "Pareto");
        row("failing statement", ranked, true, "", AnalysisOutcome::Failed, "", "no such column: Missing!", "",
            "Pareto");
    }

    void plot()
    {
        const auto [values, missingColumn, paretoTitle, outcome, rows, message, order, title] =
            FetchRow<Rows, bool, QString, int, QString, QString, QString, QString>();
        AnalysisFixture fixture;
        fixture.useResults({"A", "B", "C", "D"}, records(values), {}, "ParetoTitleX=" + paretoTitle.toUtf8() + "\r\n");
        if (missingColumn) {
            fixture.state.gParameterField.append("Missing");
        }
        ChartControl control;
        ParetoChart chart(control);

        const ParetoResult result = PlotPareto(fixture.context(), chart);
        QCOMPARE(static_cast<int>(result.outcome), outcome);
        QCOMPARE(result.rowCountText, rows);
        QCOMPARE(fixture.prompts.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QString shown;
        for (qint64 i = 0; i < control.pointCount(ParetoChart::kDataSeries); ++i) {
            shown += control.pointLabel(ParetoChart::kDataSeries, i).front();
        }
        QCOMPARE(shown, order);
        QCOMPARE(control.title().lines, QStringList{title});
        const bool isDrawn = result.outcome == AnalysisOutcome::Drawn;
        QCOMPARE(control.subFoot().lines,
                 isDrawn ? QStringList({"Nonconformities", " ", kRangeLine}) : QStringList({"Nonconformities", " "}));
        if (isDrawn) {
            QCOMPARE(control.pointCount(ParetoChart::kPercentSeries), qint64(4));
            QCOMPARE(control.pointY(ParetoChart::kPercentSeries, 3), 100.0);
            QCOMPARE(ParetoJson(result).value("bars").toArray().first().toObject().value("sum").toDouble(), 10.0);
        }
    }

};
TESSALY_TEST(TestPareto)

#include "tst_scatter_pareto.moc"
