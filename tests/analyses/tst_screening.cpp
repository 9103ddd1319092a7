#include "AnalysisFixture.h"
#include "AnalysisQuery.h"
#include "ChartControl.h"
#include "DataRow.h"
#include "HistogramChart.h"
#include "PlotHistogram.h"
#include "Screening.h"
#include "TestMain.h"

#include <QJsonDocument>
#include <QTest>
#include <algorithm>

namespace {

// The rows as the tests compare them: name, N, SD, Ppk, Cpk, values outside the specification, the
// limits as shown and the note.
QStringList summaries(const QList<ScreeningRow>& rows)
{
    QStringList out;
    for (const ScreeningRow& row : rows) {
        out.append(
            QStringLiteral("%1 n=%2 sd=%3 ppk=%4 cpk=%5 out=%6 lsl=%7 usl=%8 %9")
                .arg(row.name)
                .arg(row.n)
                .arg(ScreeningText(row, ScreeningColumn::SD), ScreeningText(row, ScreeningColumn::Ppk),
                     ScreeningText(row, ScreeningColumn::Cpk))
                .arg(row.outOfSpec)
                .arg(ScreeningText(row, ScreeningColumn::LSL), ScreeningText(row, ScreeningColumn::USL), row.note)
                .trimmed());
    }
    return out;
}

// A record at an hour of 2 March; a repeated serial, source and hour makes a group of the
// last-data-only grouping.
struct Record
{
    QString serial;
    int hour = 0;
    QVariantList values;
    QString source = QStringLiteral("ATE-01");
};

QList<ResultRecord> records(const QList<Record>& rows)
{
    QList<ResultRecord> out;
    for (const Record& r : rows) {
        out.append({r.serial, r.source, QStringLiteral("2024-03-02 %1:00:00").arg(r.hour, 2, 10, QLatin1Char('0')),
                    "PASS", r.values});
    }
    return out;
}

} // namespace

class TestScreening : public QObject
{
    Q_OBJECT

private slots:
    // For every parameter of the product, the screening's numbers are those of its histogram and
    // of its individual chart drawn for the same selection.
    void equalsTheParameterCharts_data()
    {
        AddColumns<QString, bool, bool, bool, bool>("fixture", "lastDataOnly", "passOnly", "acceptZero", "swapLimits");
        QTest::newRow("SQLite, every record, limits the wrong way round") << "" << false << true << true << true;
        QTest::newRow("SQLite, last data only") << "" << true << true << true << false;
        QTest::newRow("SQLite, last data, all results, no zero") << "" << true << false << false << false;
        QTest::newRow("Jet, every record, no zero") << "results_small_v2000.mdb" << false << true << false << false;
        QTest::newRow("Jet, last data only") << "results_small_v2000.mdb" << true << false << true << false;
        QTest::newRow("Excel, last data only") << "results_small.xls" << true << true << true << false;
    }

    void equalsTheParameterCharts()
    {
        const auto [fixture, lastDataOnly, passOnly, acceptZero, swapLimits] =
            FetchRow<QString, bool, bool, bool, bool>();
        AnalysisFixture f;
        if (!fixture.isEmpty()) {
            f.useFixture(fixture);
        }
        QVERIFY(f.opened);
        f.selection.lastDataOnly = lastDataOnly;
        f.selection.passOnly = passOnly;
        f.selection.acceptZero = acceptZero;
        f.state.gRawDataFile = f.dir.filePath("listing.spc");
        if (swapLimits) { // the histogram takes them as they are, the chart the right way round
            std::swap(f.state.gUSL, f.state.gLSL);
        }
        const ScreeningResult screened = ScreenParameters(f.context());
        QCOMPARE(screened.outcome, AnalysisOutcome::Drawn);
        QCOMPARE(screened.rows.size(), f.state.gParameterField.size());

        qint64 signalsSeen = 0;
        for (const ScreeningRow& row : screened.rows) {
            const int k = row.parameter;
            f.selection.parameter = k;
            ChartControl histogramControl;
            HistogramChart histogram(histogramControl);
            const HistogramStatistics h = PlotHistogram(f.context(), histogram, 20).statistics;
            QCOMPARE(row.n, h.n);
            // The histogram's statement leaves the order of its rows to the engine: sums may differ in
            // their last bits, which the SD's difference of sums magnifies.
            QVERIFY(Near(*row.mean, h.mean, 1e-9));
            QVERIFY(Near(*row.sd, h.sd, 1e-9));
            QCOMPARE(row.ppk, h.ppk);
            QCOMPARE(row.pp, h.pp);

            PlotRequest request = f.controlChartRequest(f.state.gParameterName[k]);
            request.uslText = LimitText(f.state.gUSL[k], kNoUSL);
            request.lslText = LimitText(f.state.gLSL[k], kNoLSL);
            request.ruleSet = RuleSet::WesternElectric;
            ChartControl control;
            const PlotResult plot = f.plotControlChart(control, request);
            QVERIFY(plot.drawn);
            QCOMPARE(row.cpk, plot.limits.current().limits.cpk);
            const QVector<RuleMask>& marks = plot.outOfControl.upper;
            QCOMPARE(row.beyondLimits, std::count_if(marks.begin(), marks.end(), [](RuleMask m) { return m & 1; }));
            QCOMPARE(row.weSignals, marks.size() - marks.count(0));
            signalsSeen += row.weSignals;
        }
        QVERIFY(signalsSeen > 0); // the comparison judged points, not only empty lists
        QCOMPARE(f.prompts.texts(), QStringList(swapLimits ? screened.rows.size() : 0, "USL value greater then LSL!"));
    }

    // Each column keeps its values by its own rules, whatever the other columns of the record
    // hold; parameters without Ppk follow the others in product order.
    void screensEachColumnByItsOwnRules_data()
    {
        AddColumns<bool, bool, QStringList>("lastDataOnly", "acceptZero", "rows");
        // A 0..10 in chart order 7, 1, 12, 3, 4, 2, 9 (moving ranges 36 / 7) or 5, 7, 1, 12, 0, 3, 4, 2, 9
        // (44 / 9), its 0 on the LSL; B without limits; C 0..10 without values: N/A everywhere; D 0..10
        // with one value on the USL, too few for a spread and the charts.
        const QString empty = "C n=0 sd=N/A ppk=N/A cpk=N/A out=0 lsl=N/A usl=N/A No values";
        const QString oneValue = "D n=1 sd=N/A ppk=N/A cpk=N/A out=0 lsl=0.0 usl=10.0 Division by zero";
        QTest::newRow("last data, no zero")
            << true << false
            << QStringList{"A n=7 sd=4.036 ppk=0.378 cpk=0.334 out=1 lsl=0.0 usl=10.0",
                           "B n=4 sd=1.291 ppk=N/A cpk=N/A out=0 lsl=N/A usl=N/A", empty, oneValue};
        QTest::newRow("every record, zero accepted")
            << false << true
            << QStringList{"A n=9 sd=3.93 ppk=0.405 cpk=0.367 out=1 lsl=0.0 usl=10.0",
                           "B n=5 sd=2.302 ppk=N/A cpk=N/A out=0 lsl=N/A usl=N/A", empty, oneValue};
    }

    void screensEachColumnByItsOwnRules()
    {
        const auto [lastDataOnly, acceptZero, rows] = FetchRow<bool, bool, QStringList>();
        AnalysisFixture f;
        const QVariant null;
        f.useResults({"A", "B", "C", "D"},
                     records({{"SN1", 8, {5, 0, null, null}},
                              {"SN1", 8, {7, null, 999, null}},
                              {"sn1", 8, {1, null, null, null}}, // a serial of its own in a SQLite file
                              {"SN2", 9, {999, 3, -999, null}},
                              {"SN3", 10, {12, 4, null, null}},
                              {"SN4", 11, {0, 5, null, null}},
                              {"SN5", 12, {3, 6, null, null}},
                              {"SN6", 13, {4, null, null, 10}},
                              {"SN7", 14, {9, null, null, null}, "ATE-02"}, // charted after ATE-01 of the same time
                              {"SN8", 14, {2, null, null, null}}}),
                     {"0,10,0,", "", "0,10,0,", "0,10,0,"});
        f.selection.lastDataOnly = lastDataOnly;
        f.selection.acceptZero = acceptZero;
        const ScreeningResult screened = ScreenParameters(f.context());
        QCOMPARE(summaries(screened.rows), rows);
        const ScreeningRow& empty = screened.rows.at(2);
        for (const ScreeningColumn column : {ScreeningColumn::Mean, ScreeningColumn::SD, ScreeningColumn::Pp,
                                             ScreeningColumn::Cpk, ScreeningColumn::OutOfSpecPercent}) {
            QCOMPARE(ScreeningText(empty, column), "N/A");
        }
    }

    void worstFirst_data()
    {
        AddColumns<QList<Statistic>, QList<int>>("ppk", "order");
        const Statistic none;
        QTest::newRow("ascending") << QList<Statistic>{1.5, 0.2, 1.0} << QList<int>{1, 2, 0};
        QTest::newRow("ties keep their order") << QList<Statistic>{1.2, 0.5, 1.2, -0.3} << QList<int>{3, 1, 0, 2};
        QTest::newRow("without Ppk last, in order") << QList<Statistic>{none, 2.0, none, 0.0} << QList<int>{3, 1, 0, 2};
    }

    void worstFirst()
    {
        const auto [ppk, order] = FetchRow<QList<Statistic>, QList<int>>();
        QList<ScreeningRow> rows(ppk.size());
        for (qsizetype i = 0; i < ppk.size(); ++i) {
            std::tie(rows[i].parameter, rows[i].ppk) = std::tuple(int(i), ppk[i]);
        }
        SortWorstFirst(rows);
        QList<int> sorted;
        for (const ScreeningRow& row : rows) {
            sorted.append(row.parameter);
        }
        QCOMPARE(sorted, order);
    }

    // The table as files show it: "N/A" or null where a number is absent, texts quoted or escaped,
    // Ppk below 1.0 and below 1.33 marked on the page.
    void outputsShowTheTable_data()
    {
        AddColumns<QString, QStringList>("format", "contains");
        QTest::newRow("csv") << "csv"
                             << QStringList{"Parameter,Unit,N,Mean,SD,LSL,USL,Pp,Ppk,Cpk,Out of spec,Out of spec %,"
                                            "Beyond limits,WE signals,Limits\r\n",
                                            "\r\n\"Vout, 12V\",V,4,2.5,N/A,-0.5,10,N/A,0.9,N/A,1,25,0,2,frozen\r\n",
                                            "\r\n<b>,'=1+2,0,N/A,N/A,N/A,N/A,N/A,1,N/A,0,N/A,0,0,computed\r\n",
                                            ",'-2+cmd|x,"};
        QTest::newRow("json") << "json" << QStringList{"\"records\":7",
                                                       "\"ppk\":0.9",
                                                       "\"sd\":null",
                                                       "\"signals\":2",
                                                       "\"note\":\"Division by zero\"",
                                                       "\"limits\":\"frozen\""};
        QTest::newRow("html") << "html"
                              << QStringList{"<h1>Line &amp; Co</h1>",
                                             "<tr class=\"poor\"><td>Vout, 12V</td>",
                                             "<td class=\"number ppk\" data-value=\"0.9\">0.90</td>",
                                             "<tr class=\"marginal\"><td>&lt;b&gt;</td>",
                                             "<tr><td>ok</td>",
                                             "<td class=\"number\" data-value=\"\">N/A</td>"};
    }

    void outputsShowTheTable()
    {
        const auto [format, contains] = FetchRow<QString, QStringList>();
        ScreeningResult result;
        result.records = 7;
        result.rows.resize(3);
        ScreeningRow& first = result.rows[0];
        std::tie(first.name, first.unit, first.n, first.mean, first.usl, first.ppk) =
            std::tuple("Vout, 12V", "V", 4, 2.5, 10.0, 0.9);
        first.lsl = -0.5;
        std::tie(first.outOfSpec, first.outOfSpecPercent, first.weSignals, first.note) =
            std::tuple(1, 25.0, 2, "Division by zero");
        first.frozenLimits = true;
        std::tie(result.rows[1].name, result.rows[1].unit, result.rows[1].ppk) = std::tuple("<b>", "=1+2", 1.0);
        std::tie(result.rows[2].name, result.rows[2].unit, result.rows[2].ppk) =
            std::tuple("o\x01k\x1b", "-2+cmd|x", 1.33);
        const QByteArray bytes = format == "csv" ? ScreeningCsv(result)
                                 : format == "json"
                                     ? QJsonDocument(ScreeningJson(result)).toJson(QJsonDocument::Compact)
                                     : ScreeningHtml(result, "Line & Co");
        for (const QString& part : contains) {
            QVERIFY2(bytes.contains(part.toUtf8()), qPrintable(part));
        }
    }

    // How a screening ends without a table, and what the user is told.
    void endsWithoutTable_data()
    {
        // progress: the first call (the query runs), then the screening's, done/total, with a pump
        // that lets every offer through
        AddColumns<QVariantList, QString, AnalysisOutcome, bool, QString, QStringList>("values", "range", "outcome",
                                                                                       "stop", "message", "progress");
        QTest::newRow("no records in the range") << QVariantList{1.0, 2.0} << "Today" << AnalysisOutcome::NoChart
                                                 << false << kNoDataMessage << QStringList{"Querying…", "0/0"};
        QTest::newRow("no values in any column")
            << QVariantList{999, QVariant()} << "Custom" << AnalysisOutcome::NoChart << false << kNoDataMessage
            << QStringList{"Querying…", "0/2", "0/2", "2/2"};
        QTest::newRow("a value that is no number")
            << QVariantList{1.0, "abc"} << "Custom" << AnalysisOutcome::Failed << false
            << "Value 'abc' of A in record 2 (serial SN1) is not a number!" << QStringList{"Querying…", "0/2", "0/2"};
        QTest::newRow("stopped while querying")
            << QVariantList{1.0, 2.0} << "Custom" << AnalysisOutcome::NoChart << true << "" << QStringList{"Querying…"};
    }

    void endsWithoutTable()
    {
        const auto [values, range, outcome, stop, message] =
            FetchRow<QVariantList, QString, AnalysisOutcome, bool, QString>();
        AnalysisFixture f;
        QList<Record> rows;
        for (const QVariant& value : values) {
            rows.append({QStringLiteral("SN%1").arg(rows.size()), 8 + int(rows.size()), {value}});
        }
        f.useResults({"A"}, records(rows));
        f.selection.range = range;
        f.pump = EventPump([] {}, 0);
        QStringList calls;
        const ScreeningResult screened =
            ScreenParameters(f.context(), [&calls, stop](const QString& status, qint64 done, qint64 total) {
                if (status == kScreeningStatus) {
                    calls.append(QStringLiteral("%1/%2").arg(done).arg(total));
                } else if (calls.isEmpty()) {
                    calls.append(status);
                }
                return !stop;
            });
        QCOMPARE(screened.outcome, outcome);
        QCOMPARE(screened.stopped, stop);
        QVERIFY(screened.rows.isEmpty());
        QCOMPARE(f.prompts.texts().join(""), message);
        QTEST(calls, "progress");
    }
};

TESSALY_TEST(TestScreening)
#include "tst_screening.moc"
