#include "AnalysisFixture.h"
#include "ChartControl.h"
#include "CrossEngineSelections.h"
#include "DataRow.h"
#include "HistogramChart.h"
#include "ParetoChart.h"
#include "ParetoPlot.h"
#include "PlotHistogram.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "XBarChart.h"

#include <QFile>
#include <QJsonDocument>
#include <QTest>

namespace {

const QStringList kParameters{"Vout", "Iin", "Ripple", "Eff"};

QString number(double value)
{
    return QString::number(value, 'g', 17);
}

QString statistic(const Statistic& value)
{
    return value ? number(*value) : QStringLiteral("N/A");
}

// What a load shows and leaves, as text: for a control chart its result, statistics, both series
// (values and labels) and the listing file byte for byte; the messages it gave.
struct Load
{
    QStringList shown;
    OrderedBy orderedBy = OrderedBy::Engine;
};

Load controlChart(AnalysisFixture& fixture, bool individual, OrderedBy orderedBy)
{
    QFile::remove(fixture.dir.filePath("listing.spc"));
    PlotRequest request = fixture.controlChartRequest("Output Voltage");
    request.uslText = number(fixture.state.gUSL.value(fixture.selection.parameter));
    request.lslText = number(fixture.state.gLSL.value(fixture.selection.parameter));
    request.subgroupSize = 3;
    request.orderedBy = orderedBy;
    ChartControl control;
    const PlotResult r = fixture.plotControlChart(control, request, individual);
    Load load{{QString::number(r.drawn), QString::number(r.records), r.panelText, number(r.centre), number(r.rBar),
               number(r.statistics.stdDev), statistic(r.statistics.estSigma), statistic(r.statistics.cpk)},
              r.orderedBy};
    for (const int series : {XBarChart::kDataSeries, XBarChart::kRangeSeries}) {
        for (qint64 i = 0; i < control.pointCount(series); ++i) {
            load.shown << number(control.pointY(series, i)) + " " + control.pointLabel(series, i);
        }
    }
    load.shown << QString::fromUtf8(ReadFile(fixture.state.gRawDataFile));
    return load;
}

Load histogram(AnalysisFixture& fixture, OrderedBy orderedBy)
{
    ChartControl control;
    HistogramChart chart(control);
    AnalysisContext context = fixture.context();
    context.orderedBy = orderedBy;
    const HistogramResult r = PlotHistogram(context, chart, 10);
    return {{QString::number(int(r.outcome)), r.panelText, QJsonDocument(HistogramJson(r)).toJson()}, r.orderedBy};
}

Load pareto(AnalysisFixture& fixture, OrderedBy orderedBy)
{
    ChartControl control;
    ParetoChart chart(control);
    AnalysisContext context = fixture.context();
    context.orderedBy = orderedBy;
    const ParetoResult r = PlotPareto(context, chart);
    return {{QString::number(int(r.outcome)), r.rowCountText, QJsonDocument(ParetoJson(r)).toJson()}, r.orderedBy};
}

} // namespace

// Whoever groups and orders the rows, the engine or the program, every load shows the same
// points, listing and statistics, on every file engine and every selection of the cross-engine
// test.
class TestOrderedLoads : public QObject
{
    Q_OBJECT

private slots:
    void sameLoadsWhoeverOrders_data()
    {
        // drawn: of the 68 loads (4 per selection), those that draw a chart on the table's records
        AddColumns<QString, QString, int>("fixture", "table", "drawn");
        const auto row = [](const char* name, const char* file, const char* table, int drawn) {
            QTest::newRow(name) << QString(file) << QString(table) << drawn;
        };
        row("Jet 2000", "results_small_v2000.mdb", "Results", 60);
        row("Jet 2000, table with a blank", "results_small_v2000.mdb", "[Other Results]", 8);
        row("Jet 2003", "results_small_v2003.mdb", "results", 60);
        row("Excel", "results_small.xls", "Results", 60);
        row("Excel, second sheet named in other case", "results_small.xls", "sHEET1", 8);
        row("SQLite file", "results_small.sqlite", "Results", 60);
    }

    void sameLoadsWhoeverOrders()
    {
        const auto [file, table] = FetchRow<QString, QString>();
        AnalysisFixture fixture;
        fixture.useFixture(file, table);
        QVERIFY(fixture.opened);
        int drawn = 0;
        for (const auto& [name, s] : CrossEngineSelections()) {
            Selection& selection = fixture.selection;
            selection.parameter = int(kParameters.indexOf(s.parameter.section(":::", 0, 0)));
            selection.lastDataOnly = s.lastOnly;
            selection.passOnly = s.passOnly;
            selection.acceptZero = s.acceptZero;
            selection.source = s.source;
            selection.serialFilter = s.serial;
            selection.testId = s.testID.isEmpty() ? kAll : s.testID;
            fixture.state.gCustomDateFrom = s.from;
            fixture.state.gCustomDateTo = s.to;

            const QList<std::pair<QString, std::function<Load(OrderedBy)>>> loads{
                {"x-bar", [&](OrderedBy by) { return controlChart(fixture, false, by); }},
                {"individual", [&](OrderedBy by) { return controlChart(fixture, true, by); }},
                {"histogram", [&](OrderedBy by) { return histogram(fixture, by); }},
                {"pareto", [&](OrderedBy by) { return pareto(fixture, by); }},
            };
            for (const auto& [kind, load] : loads) {
                const QString what = QString(name) + ", " + kind;
                Load engine = load(OrderedBy::Engine);
                engine.shown << fixture.prompts.texts();
                fixture.prompts.messages.clear();
                Load program = load(OrderedBy::Default);
                program.shown << fixture.prompts.texts();
                fixture.prompts.messages.clear();
                // Every record of a histogram comes in one order: its statement is the same either way.
                const bool ordered = kind != "histogram" || s.lastOnly;
                QVERIFY2(engine.orderedBy == OrderedBy::Engine, qPrintable(what));
                QVERIFY2(program.orderedBy == (ordered ? OrderedBy::Program : OrderedBy::Engine), qPrintable(what));
                const bool controlChart = kind == "x-bar" || kind == "individual";
                drawn += engine.shown.constFirst() == (controlChart ? "1" : "0") ? 1 : 0;
                if (engine.shown != program.shown) {
                    qWarning() << what << "\n engine " << engine.shown << "\n program" << program.shown;
                }
                QCOMPARE(program.shown, engine.shown);
            }
        }
        QTEST(drawn, "drawn");
    }
};

TESSALY_TEST(TestOrderedLoads)
#include "tst_orderedloads.moc"
