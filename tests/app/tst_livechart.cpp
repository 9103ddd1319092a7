#include "AppFixture.h"
#include "Clock.h"
#include "ConsolePrompts.h"
#include "DataRow.h"
#include "HeadlessControlChart.h"
#include "HeadlessSession.h"
#include "LiveChart.h"
#include "TestFiles.h"
#include "TestMain.h"

#include <QTest>

using Record = AppFixture::Record;
using Batches = QList<QList<Record>>;
Q_DECLARE_METATYPE(Record)

namespace {

constexpr QSize kChartSize(800, 600);

Record at(const QString& serial, const QString& time, double value, const QString& source = "ATE-01")
{
    return {serial, source, "2024-03-" + time, "PASS", value};
}

// Records every ten minutes of a day ("09 08:00:00"), values in turn.
QList<Record> day(const QString& date, int count, const QList<double>& values, const QString& prefix)
{
    QList<Record> list;
    for (int i = 0; i < count; ++i) {
        const QTime time = QTime(8, 0).addSecs(600 * i);
        list.append(at(prefix + QString::number(i), date + time.toString(" HH:mm:ss"), values[i % values.size()],
                       i % 2 ? "ATE-02" : "ATE-01"));
    }
    return list;
}

// The listing's lines; of an individual chart without the record numbers, which count from the
// full drawing.
QStringList listingLines(const QString& path, bool individual)
{
    QStringList lines = QString::fromUtf8(ReadFile(path)).split("\r\n", Qt::SkipEmptyParts);
    for (qsizetype i = 1; individual && i < lines.size(); ++i) {
        lines[i].truncate(lines[i].lastIndexOf('\t'));
    }
    return lines;
}

// Everything a live chart works on, opened as `tessaly watch` opens it.
struct LiveRun
{
    HeadlessSession& session;
    Selection selection;
    ConsolePrompts& prompts;
    const EventPump& pump;
    FixedClock clock;
    ControlChartChoice choice;
    QTemporaryDir scratch;
    HeadlessControlChart drawn{kChartSize};

    // The live chart matches a chart drawn in full from the same records: points, panel, listing,
    // and the judgement of the points from firstJudged on.
    void matchesFullPlot(qint64 firstJudged)
    {
        HeadlessControlChart full(kChartSize);
        QCOMPARE(full.plot(session, selection, choice, prompts, clock, pump, scratch.filePath("full.spc")), 0);
        QCOMPARE(yValues(drawn.chart, 0), yValues(full.chart, 0));
        QCOMPARE(yValues(drawn.chart, 4), yValues(full.chart, 4));
        QCOMPARE(drawn.result.panelText, full.result.panelText);
        QCOMPARE(listingLines(scratch.filePath("live.spc"), choice.individual),
                 listingLines(scratch.filePath("full.spc"), choice.individual));
        QCOMPARE(drawn.result.outOfControl.upper.mid(firstJudged), full.result.outOfControl.upper.mid(firstJudged));
        QCOMPARE(drawn.result.outOfControl.range.mid(firstJudged), full.result.outOfControl.range.mid(firstJudged));
    }
};

// Writes the records, opens them headless (every test ID, range "Last 30 Days" unless given, at 18:00
// of `today`), draws the chart chosen with the Western Electric rules and runs `check` on the chart
// followed from then on.
void followLive(AppFixture& app, const QList<Record>& records, bool individual, int size,
                const std::function<void(LiveRun&, LiveChart&)>& check, const QString& range = "Last 30 Days",
                bool allRecords = false, int today = 10)
{
    app.writeResults(records);
    SelectionOptions options;
    options.config = app.configFolder();
    options.product = "Line";
    options.range = range;
    options.allRecords = allRecords;
    options.testId = kAll;
    const int status = RunHeadless(
        "watch", options, {},
        [&](HeadlessSession& session, const Selection& selection, ConsolePrompts& prompts, const Clock&,
            const EventPump& pump) {
            LiveRun run{session, selection, prompts, pump, FixedClock(QDateTime(QDate(2024, 3, today), QTime(18, 0))),
                        {},      {}};
            run.selection.parameter = 0;
            run.choice.individual = individual;
            run.choice.subgroupSize = size;
            run.choice.rules = RuleSet::WesternElectric;
            [&] {
                QCOMPARE(run.drawn.plot(session, run.selection, run.choice, prompts, run.clock, pump,
                                        run.scratch.filePath("live.spc")),
                         0);
                LiveChart live(session.state, run.drawn.xbar, run.drawn.constants, run.drawn.request, run.drawn.result);
                check(run, live);
            }();
            return 0;
        });
    QCOMPARE(status, 0);
}

} // namespace

class TestLiveChart : public QObject
{
    Q_OBJECT

private slots:
    void followsAppendedRecords_data()
    {
        // days: of the drawing, then of each refresh (none: the 10th); dropped: points per refresh
        // (none: 0)
        AddColumns<bool, int, bool, QString, QList<int>, QList<Record>, Batches, QList<int>, QList<int>, QList<int>>(
            "individual", "size", "allRecords", "range", "days", "initial", "batches", "newRecords", "newPoints",
            "dropped");
        const QString month = "Last 30 Days";
        // The last three drawn records share 09:30; two more at 09:30 come after the first refresh,
        // from the source the engine orders last at that time (a full load orders them so too).
        QList<Record> sharedStamp = day("09", 9, {5.0, 5.1, 4.9}, "A");
        sharedStamp +=
            {at("A9", "09 09:30:00", 4.95), at("A10", "09 09:30:00", 5.2), at("A11", "09 09:30:00", 5.05, "ATE-02")};
        const QList<Record> sameStampLater{at("B1", "09 09:30:00", 5.3, "ATE-02"),
                                           at("B2", "09 09:30:00", 4.8, "ATE-02"), at("B3", "09 10:00:00", 5.1)};
        QTest::newRow("x-bar: equal stamps across the boundary, tail completes later")
            << false << 5 << false << month << QList<int>{} << sharedStamp
            << Batches{sameStampLater, {}, day("10", 5, {5.0, 5.4}, "C")} << QList<int>{3, 0, 5} << QList<int>{1, 0, 1}
            << QList<int>{};
        QTest::newRow("individual: equal stamps across the boundary")
            << true << 5 << false << month << QList<int>{} << sharedStamp << Batches{sameStampLater, {}}
            << QList<int>{3, 0} << QList<int>{3, 0} << QList<int>{};
        // Identical records (one unit tested twice in the same second) are two records when every
        // record is read: one drawn, its twin arriving later.
        QList<Record> twin = day("09", 6, {5.0, 5.2}, "D");
        twin.append(at("D9", "09 09:00:00", 5.1));
        QTest::newRow("all records: identical twin after the boundary")
            << true << 5 << true << month << QList<int>{} << twin
            << Batches{{at("D9", "09 09:00:00", 5.1), at("D10", "09 09:10:00", 5.0)}} << QList<int>{2} << QList<int>{2}
            << QList<int>{};
        // With the last record of each unit only, a retest later is a record of its own.
        QTest::newRow("last data only: retest of a drawn serial")
            << true << 5 << false << month << QList<int>{} << day("09", 6, {5.0, 5.2}, "E")
            << Batches{{at("E2", "09 10:00:00", 5.6, "ATE-01")}} << QList<int>{1} << QList<int>{1} << QList<int>{};
        QTest::newRow("x-bar of 3: several points at once")
            << false << 3 << false << month << QList<int>{} << day("08", 7, {5.0, 5.1}, "F")
            << Batches{day("09", 8, {4.9, 5.3, 5.0}, "G")} << QList<int>{8} << QList<int>{3} << QList<int>{};
        // "Last 3 Days" on the 9th holds the 7th to the 9th; a refresh on a later day drops from the
        // start the points of the days that left the range.
        const QList<Record> threeDays =
            day("07", 6, {5.0, 5.2, 4.9}, "A") + day("08", 6, {5.1, 4.8}, "B") + day("09", 6, {5.0, 5.1, 5.2}, "C");
        QTest::newRow("individual: a day leaves, a day comes")
            << true << 5 << false << "Last 3 Days" << QList<int>{9, 10, 10, 11} << threeDays
            << Batches{day("10", 4, {5.0, 5.3}, "D"), {}, {}} << QList<int>{4, 0, 0} << QList<int>{4, 0, 0}
            << QList<int>{6, 0, 6};
        QTest::newRow("x-bar: a day's subgroups leave")
            << false << 3 << false << "Last 3 Days" << QList<int>{9, 10} << threeDays
            << Batches{day("10", 3, {5.0, 5.3, 4.8}, "D")} << QList<int>{3} << QList<int>{1} << QList<int>{2};
    }

    // Records a writer process appends between refreshes reach the chart exactly once, and points
    // of days that left a rolling range leave it: after each refresh the chart is the one a full
    // load of the same records on that day draws.
    void followsAppendedRecords()
    {
        const auto [individual, size, allRecords, range, days, initial, batches, newRecords, newPoints, dropped] =
            FetchRow<bool, int, bool, QString, QList<int>, QList<Record>, Batches, QList<int>, QList<int>,
                     QList<int>>();
        AppFixture app;
        followLive(
            app, initial, individual, size,
            [&](LiveRun& run, LiveChart& live) {
                qint64 droppedSoFar = 0;
                for (qsizetype i = 0; i < batches.size(); ++i) {
                    app.appendResults(batches[i]);
                    run.clock.set(QDateTime(QDate(2024, 3, days.value(i + 1, 10)), QTime(18, 0)));
                    const qint64 kept = run.drawn.chart.pointCount(0) - dropped.value(i);
                    const RefreshOutcome outcome = live.refresh(run.clock.today());
                    QVERIFY2(outcome.read, qPrintable(outcome.error));
                    QCOMPARE(outcome.newRecords, newRecords[i]);
                    QCOMPARE(outcome.newPoints, newPoints[i]);
                    QCOMPARE(outcome.droppedPoints, dropped.value(i));
                    droppedSoFar += dropped.value(i);
                    QCOMPARE(live.droppedPoints(), droppedSoFar);
                    QCOMPARE(outcome.panelText, run.drawn.result.panelText);
                    run.matchesFullPlot(kept);
                }
            },
            range, allRecords, days.value(0, 10));
    }

    // A shift is announced once, at the point the refresh drew, with the records behind it and the
    // limits in force; it stays among the chart's signals and is not announced again.
    void signalAnnouncedOnce()
    {
        AppFixture app;
        followLive(app, day("09", 30, {5.0, 5.02, 4.98, 5.01}, "A"), true, 5, [&](LiveRun& run, LiveChart& live) {
            QCOMPARE(live.drawnSignals().size(), size_t(0));
            app.appendResults({at("Shift1", "09 20:00:00", 6.0, "ATE-02")});
            const RefreshOutcome outcome = live.refresh(run.clock.today());
            QCOMPARE(outcome.newSignals.size(), size_t(2)); // the value and its moving range
            const LiveSignal& value = outcome.newSignals.front();
            QCOMPARE(value.series, 0);
            QCOMPARE(value.sequence, 30);
            QCOMPARE(value.value, 6.0);
            QCOMPARE(value.serials, QStringList{"SHIFT1"});
            QCOMPARE(value.time, QDateTime(QDate(2024, 3, 9), QTime(20, 0)));
            QCOMPARE(value.rules, QStringList{"Rule 1: 1 point beyond a control limit"});
            const ControlLimits::Exact& limits = run.drawn.result.limits.current().limits.exact;
            QCOMPARE((QList<double>{value.lcl, value.centre, value.ucl}),
                     (QList<double>{limits.lcl, limits.cl, limits.ucl}));
            QCOMPARE(outcome.newSignals.back().series, 4);
            QCOMPARE(outcome.newSignals.back().centre, run.drawn.result.limits.current().rBar);

            app.appendResults({at("Next", "09 20:10:00", 5.0)});
            QCOMPARE(live.refresh(run.clock.today()).newSignals.size(), size_t(1)); // the moving range back
            const std::vector<LiveSignal> onChart = live.drawnSignals();
            QVERIFY(onChart.size() >= 2);
            QCOMPARE(onChart.front().sequence, 30);
            QCOMPARE(onChart.front().serials, QStringList{"SHIFT1"});
            QCOMPARE(live.refresh(run.clock.today()).newSignals.size(), size_t(0));
        });
    }

    void followsTheLastPage_data()
    {
        AddColumns<int, int>("shownPage", "pageAfter");
        QTest::newRow("on the last page: follows the new points") << 2 << 3;
        QTest::newRow("on an earlier page: stays") << 1 << 1;
    }

    void followsTheLastPage()
    {
        const auto [shownPage, pageAfter] = FetchRow<int, int>();
        AppFixture app;
        followLive(app, day("08", 85, {5.0, 5.1}, "A"), true, 5, [&](LiveRun& run, LiveChart& live) {
            run.drawn.chart.setCurrentPage(shownPage);
            app.appendResults(day("09", 80, {5.0, 5.2}, "B"));
            QCOMPARE(live.refresh(run.clock.today()).newPoints, 80);
            QCOMPARE(run.drawn.chart.pageCount(), 3);
            QCOMPARE(run.drawn.chart.currentPage(), pageAfter);
            QVERIFY(run.drawn.chart.subFoot().lines.value(0).endsWith(QString("Chart Page: %1 of 3").arg(pageAfter)));
        });
    }

    void unreadableDatabase_data()
    {
        AddColumns<QByteArray>("replacement");
        QTest::newRow("file gone") << QByteArray();
        QTest::newRow("file replaced by text") << QByteArray("not a database\n");
    }

    // A database that cannot be read is said, and nothing of the drawing changes; once it can be
    // read again, the refresh goes on from where it was.
    void unreadableDatabase()
    {
        const auto [replacement] = FetchRow<QByteArray>();
        AppFixture app;
        followLive(app, day("09", 12, {5.0, 5.1}, "A"), true, 5, [&](LiveRun& run, LiveChart& live) {
            const QString database = app.configFile("line.sqlite");
            QVERIFY(QFile::rename(database, database + ".away"));
            if (!replacement.isNull()) {
                WriteFile(database, replacement);
            }
            const QString panel = run.drawn.result.panelText;
            const RefreshOutcome outcome = live.refresh(run.clock.today());
            QVERIFY(!outcome.read);
            QVERIFY(!outcome.error.isEmpty());
            QCOMPARE(run.drawn.chart.pointCount(0), 12);
            QCOMPARE(run.drawn.result.panelText, panel);
            QFile::remove(database);
            QVERIFY(QFile::rename(database + ".away", database));
            app.appendResults({at("B1", "09 20:00:00", 5.05)});
            const RefreshOutcome again = live.refresh(run.clock.today());
            QVERIFY2(again.read, qPrintable(again.error));
            QCOMPARE(again.newRecords, 1);
            run.matchesFullPlot(12);
        });
    }
};

TESSALY_TEST(TestLiveChart)
#include "tst_livechart.moc"
