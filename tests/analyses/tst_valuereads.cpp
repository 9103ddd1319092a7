#include "AnalysisFixture.h"
#include "AnalysisQuery.h"
#include "ChartControl.h"
#include "DataRow.h"
#include "HistogramChart.h"
#include "ParetoChart.h"
#include "ParetoPlot.h"
#include "PlotHistogram.h"
#include "ScatterChart.h"
#include "ScatterPlot.h"
#include "TestMain.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <limits>

namespace {

// Draws one chart kind on the fixture's selection: whether it drew, and its statistics panel.
std::pair<bool, QString> draw(const QString& kind, AnalysisFixture& fixture)
{
    ChartControl chart;
    const AnalysisContext context = fixture.context();
    if (kind == "histogram") {
        HistogramChart histogram(chart);
        const HistogramResult result = PlotHistogram(context, histogram, 10);
        return {result.outcome == AnalysisOutcome::Drawn, result.panelText};
    }
    if (kind == "scatter") {
        ScatterChart scatter(chart);
        ScatterInputs pair;
        pair.YParameterIndex = 1;
        const ScatterResult result = PlotScatter(context, scatter, pair);
        return {result.outcome == AnalysisOutcome::Drawn, result.panelText};
    }
    if (kind == "pareto") {
        ParetoChart pareto(chart);
        const ParetoResult result = PlotPareto(context, pareto);
        return {result.outcome == AnalysisOutcome::Drawn, result.rowCountText};
    }
    const PlotResult result =
        fixture.plotControlChart(chart, fixture.controlChartRequest("Output Voltage"), kind == "individual");
    return {result.drawn, result.panelText};
}

} // namespace

// A stored value that is no finite number ends every load with a message naming it, before it
// reaches a statistic; an engine error while the rows are read ends it with the engine's description.
class TestValueReads : public QObject
{
    Q_OBJECT

private slots:
    void valuesThatAreNoNumber_data()
    {
        // grouped: the last records only, where SN3's value and a number tested at the same time
        // are one record whose value is the larger (a text is larger than any number)
        // value: SN3's Vout; none: SN3 has no Vout and the engine fails on SN5's
        AddColumns<QString, QVariant, bool, QString>("kind", "value", "grouped", "message");
        const double infinity = std::numeric_limits<double>::infinity();
        const QList<std::tuple<const char*, QVariant, const char*, bool>> values{
            {"text", QString("abc"), "'abc' of Vout in record 3 (serial SN3) is not a number", true},
            {"NaN", QString("NaN"), "'NaN' of Vout in record 3 (serial SN3) is not a number", true},
            {"infinity", infinity, "'inf' of Vout in record 3 (serial SN3) is not a number", true},
            {"minus infinity", -infinity, "'-inf' of Vout in record 3 (serial SN3) is not a number", false},
            {"too large to square", 1e308, "1e308 of Vout in record 3 (serial SN3) is too large", true},
        };
        for (const char* kind : {"x-bar", "individual", "histogram", "scatter", "pareto"}) {
            for (const auto& [name, value, shown, largest] : values) {
                for (const bool grouped : {false, true}) {
                    if (grouped && !largest) {
                        continue;
                    }
                    QTest::addRow("%s, %s%s", kind, name, grouped ? ", grouped" : "")
                        << kind << value << grouped << QStringLiteral("Value %1!").arg(shown);
                }
            }
        }
        for (const char* kind : {"x-bar", "individual", "histogram"}) {
            QTest::addRow("%s, engine error", kind) << kind << QVariant() << false << "integer overflow!";
        }
    }

    void valuesThatAreNoNumber()
    {
        const auto [kind, value, grouped, message] = FetchRow<QString, QVariant, bool, QString>();
        AnalysisFixture fixture;
        QList<ResultRecord> records;
        for (int i = 1; i <= 6; ++i) {
            const QVariantList values{i == 3 ? value : QVariant(5.0 + i / 10.0), 1.0 + i / 10.0};
            records.append(
                {"SN" + QString::number(i), "ATE-01", QStringLiteral("2024-03-02 08:0%1:00").arg(i), "PASS", values});
        }
        if (grouped) {
            records.insert(2, records[2]);
            records[2].values[0] = 5.3; // read first: the program must not take the first of a group
        }
        fixture.useResults({"Vout", "Iin"}, records);
        fixture.selection.lastDataOnly = grouped;
        if (!value.isValid()) {
            // The product's table becomes a view whose fifth row the engine cannot compute.
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "view");
            db.setDatabaseName(fixture.dir.filePath("results.sqlite"));
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("ALTER TABLE Results RENAME TO Raw"));
            QVERIFY(q.exec("CREATE VIEW Results AS SELECT SerialNumber, ATEID, TestStartTime, PassFail, TestID, "
                           "CASE SerialNumber WHEN 'SN5' THEN abs(-9223372036854775807 - 1) ELSE Vout END AS Vout, "
                           "Iin FROM Raw"));
        }
        QSqlDatabase::removeDatabase("view");

        const auto [drawn, panel] = draw(kind, fixture);
        QVERIFY(!drawn);
        QCOMPARE(panel, QString());
        QCOMPARE(fixture.prompts.texts(), QStringList{message});
        QCOMPARE(fixture.prompts.messages.value(0).icon, MsgIcon::Exclamation);
    }
};

TESSALY_TEST(TestValueReads)
#include "tst_valuereads.moc"
