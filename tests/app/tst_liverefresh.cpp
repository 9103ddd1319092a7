#include "AppFixture.h"
#include "AutoRefresh.h"
#include "ChartControl.h"
#include "DataRow.h"
#include "SignalNotifier.h"
#include "SignalsList.h"
#include "TestMain.h"
#include "XBarChart.h"
#include "ui_frmMain.h"

#include <QStatusBar>
#include <QTest>

namespace {

LiveSignal signalAt(int series, qint64 sequence)
{
    return {sequence, series, QDateTime(QDate(2024, 3, 10), QTime(9, 31, 5)), 12.3456, {"Rule 1", "Rule 5"}, {}};
}

QStringList column(const QTreeWidget& list, int column)
{
    QStringList texts;
    for (int row = 0; row < list.topLevelItemCount(); ++row) {
        texts.append(list.topLevelItem(row)->text(column));
    }
    return texts;
}

} // namespace

class TestLiveRefresh : public QObject
{
    Q_OBJECT

private slots:
    void intervalIsSavedWithinBounds_data()
    {
        AddColumns<QString, int>("saved", "shown");
        QTest::newRow("nothing saved") << QString() << 60;
        QTest::newRow("below 10 s") << QString("5") << 10;
        QTest::newRow("above one hour") << QString("7200") << 3600;
        QTest::newRow("not a number") << QString("often") << 60;
    }

    // The interval as restored at start-up, used by the refresh, and saved at close.
    void intervalIsSavedWithinBounds()
    {
        const auto [saved, shown] = FetchRow<QString, int>();
        AppFixture app;
        app.rememberFolder();
        app.saveChoice("RefreshInterval", saved);
        app.saveChoice("AutoRefresh", "1");
        app.saveChoice("SignalSound", "1");
        frmMain& window = app.start();
        QCOMPARE(window.autoRefresh().intervalSeconds(), shown);
        QVERIFY(window.form().chkAutoRefresh->isChecked() && window.form().chkSignalSound->isChecked());
        window.form().chkSignalSound->setChecked(false);
        QVERIFY(window.close());
        QCOMPARE((QStringList{app.savedChoice("RefreshInterval"), app.savedChoice("AutoRefresh"),
                              app.savedChoice("SignalSound")}),
                 (QStringList{QString::number(shown), "1", "0"}));
    }

    // Reads: F a failed one, a digit a good one with that many new records.
    void retriesPauseLonger_data()
    {
        AddColumns<int, QString, QList<int>, QString>("interval", "reads", "pauses", "status");
        const QString locked = "Cannot read the database at 09:30:00 (database is locked); next try at ";
        QTest::newRow("10 s, doubling to 10 min")
            << 10 << "FFFFFFF" << QList<int>{20, 40, 80, 160, 320, 600, 600} << locked + "09:40:00";
        QTest::newRow("a good read starts again")
            << 30 << "FF3" << QList<int>{60, 120, 30} << "Refreshed at 09:30:00: 3 new records";
        QTest::newRow("above 10 min it stays")
            << 1800 << "F0" << QList<int>{1800, 1800} << "Refreshed at 09:30:00: no new records";
        QTest::newRow("5 s is 10 s") << 5 << "F1" << QList<int>{20, 10} << "Refreshed at 09:30:00: 1 new record";
        QTest::newRow("5 min") << 300 << "FF" << QList<int>{600, 600} << locked + "09:40:00";
    }

    void retriesPauseLonger()
    {
        const auto [interval, reads, pauses, status] = FetchRow<int, QString, QList<int>, QString>();
        FixedClock clock(QDateTime(QDate(2024, 3, 10), QTime(9, 30)));
        AutoRefresh refresh(clock);
        QString shown;
        connect(&refresh, &AutoRefresh::statusChanged, this, [&shown](const QString& text) { shown = text; });
        refresh.setIntervalSeconds(interval);
        refresh.setEnabled(true);
        QCOMPARE(shown, "Auto Refresh follows the chart of the next Start Plot");
        refresh.setFollowing(true);
        QList<int> seen;
        for (const QChar read : reads) {
            read == 'F' ? refresh.failed("database is\nlocked") : refresh.refreshed(read.digitValue());
            seen.append(refresh.pauseSeconds());
            QCOMPARE(refresh.nextRefresh(), clock.now().addSecs(seen.last()));
        }
        QCOMPARE(seen, pauses);
        QCOMPARE(shown, status);
        refresh.setEnabled(false);
        QVERIFY(!refresh.isRunning() && shown.isEmpty());
    }

    // Reported signals as series:sequence; the Point column, newest first.
    void signalListedOnce_data()
    {
        AddColumns<QStringList, QStringList>("reported", "points");
        QTest::newRow("reported again") << QStringList{"0:11", "0:11"} << QStringList{"12"};
        QTest::newRow("range chart, same point") << QStringList{"0:11", "4:11"} << QStringList{"12 (range)", "12"};
        QTest::newRow("newest first") << QStringList{"0:3", "0:40", "0:3"} << QStringList{"41", "4"};
    }

    void signalListedOnce()
    {
        const auto [reported, points] = FetchRow<QStringList, QStringList>();
        SignalsList list;
        for (const QString& at : reported) {
            list.add(signalAt(at.section(':', 0, 0).toInt(), at.section(':', 1).toLongLong()));
        }
        QCOMPARE(column(list, 1), points);
        const QTreeWidgetItem* newest = list.topLevelItem(0);
        QCOMPARE((QStringList{newest->text(0), newest->text(2), newest->text(3)}),
                 (QStringList{"03/10/2024 09:31:05", "12.346", "Rule 1; Rule 5"}));
    }

    void doubleClickGoesToThePoint_data()
    {
        AddColumns<int, qint64, int>("series", "sequence", "page");
        QTest::newRow("first page") << 0 << qint64(5) << 1;
        QTest::newRow("second page") << 0 << qint64(100) << 2;
        QTest::newRow("range chart, last point") << 4 << qint64(199) << 3;
        QTest::newRow("no longer on the chart") << 0 << qint64(200) << 0;
    }

    void doubleClickGoesToThePoint()
    {
        const auto [series, sequence, page] = FetchRow<int, qint64, int>();
        AppFixture app;
        app.saveChoice("AutoRefresh", "1");
        frmMain& window = app.plot(AppFixture::Series(200, {5.0, 5.1, 4.9}), true);
        ChartControl& chart = *window.form().ocxXBarChart;
        QCOMPARE(chart.currentPage(), 3); // new points arrive on the last page
        chart.setCurrentPage(1);
        window.signalsList().add(signalAt(series, sequence));
        emit window.signalsList().itemDoubleClicked(window.signalsList().topLevelItem(0), 0);
        QCOMPARE(chart.currentPage(), std::max(page, 1));
        QCOMPARE(window.form().spnPage->value(), std::max(page, 1));
        QCOMPARE(chart.markedPoint(), page ? std::optional(PointRef{series, sequence}) : std::nullopt);
        QCOMPARE(window.statusBar()->currentMessage(), page ? "" : "The point has left the chart's range");
    }

    void notifierBeepsOncePerRefresh_data()
    {
        AddColumns<bool, int, int, QString, QString>("sound", "count", "beeps", "title", "lastLine");
        QTest::newRow("silent") << false << 2 << 0 << "2 new signals: Line Vout"
                                << "Point 2 at 09:31:05: 12.346, Rule 1";
        QTest::newRow("one") << true << 1 << 1 << "New signal: Line Vout"
                             << "Point 1 at 09:31:05: 12.346, Rule 1";
        QTest::newRow("five, one beep") << true << 5 << 1 << "5 new signals: Line Vout"
                                        << "and 2 more";
    }

    void notifierBeepsOncePerRefresh()
    {
        const auto [sound, count, beeps, title, lastLine] = FetchRow<bool, int, int, QString, QString>();
        int beeped = 0;
        SignalNotifier notifier([&beeped] { ++beeped; });
        notifier.setSound(sound);
        std::vector<LiveSignal> fresh;
        for (int i = 0; i < count; ++i) {
            fresh.push_back(signalAt(0, i));
        }
        notifier.announce(fresh, "Line Vout");
        QCOMPARE(beeped, beeps);
        const auto [shownTitle, text] = SignalNotifier::Message(fresh, "Line Vout");
        QCOMPARE(shownTitle, title);
        QCOMPARE(text.split('\n').last(), lastLine);
    }

    // End to end on a SQLite file: a station adds records between refreshes; the chart takes them
    // once, the signals among them are listed and flagged once, and an unreadable database is retried.
    void followsAStation()
    {
        AppFixture app;
        app.saveChoice("RunRules", "1");
        app.saveChoice("SignalSound", "1");
        frmMain& window = app.plot(AppFixture::Series(30, {5.0, 5.1, 4.9, 5.05, 4.95}), true);
        const ChartControl& chart = *window.form().ocxXBarChart;
        window.form().chkAutoRefresh->setChecked(true);
        QVERIFY(window.autoRefresh().isRunning());
        // Ten records of a shifted process, the first at the time of the last record drawn.
        QList<AppFixture::Record> shifted;
        for (int i = 0; i < 10; ++i) {
            shifted.append(
                {"NEW" + QString::number(i), "ATE-01", QString("2024-03-01 08:%1:00").arg(29 + i), "PASS", 5.6});
        }
        app.appendResults(shifted);
        const SignalsList& list = window.signalsList();
        int listed = 0; // the second refresh finds nothing new and lists nothing again
        for (const char* status : {"Refreshed at 09:30:00: 10 new records", "Refreshed at 09:30:00: no new records"}) {
            window.refreshLiveChart();
            QCOMPARE(window.autoRefresh().statusText(), status);
            QCOMPARE(chart.pointCount(XBarChart::kDataSeries), 40);
            QCOMPARE(chart.pointY(XBarChart::kDataSeries, 39), 5.6);
            QVERIFY(list.topLevelItemCount() > 0 && (listed == 0 || list.topLevelItemCount() == listed));
            listed = list.topLevelItemCount();
            QCOMPARE(app.beeps, 1); // once for all the signals of the first refresh
            for (const QString& point : column(list, 1)) {
                const qint64 number = point.section(' ', 0, 0).toLongLong();
                const int series = point.endsWith("(range)") ? XBarChart::kRangeSeries : XBarChart::kDataSeries;
                const std::vector<qint64>& flagged = chart.series(series).flaggedPoints;
                QVERIFY2(number > 30, qPrintable(point)); // only points the refresh drew
                QVERIFY(std::find(flagged.begin(), flagged.end(), number - 1) != flagged.end());
            }
        }
        // The point gone to stays marked while more points arrive.
        emit window.signalsList().itemDoubleClicked(list.topLevelItem(0), 0);
        const std::optional<PointRef> marked = chart.markedPoint();
        QVERIFY(marked.has_value());
        app.appendResults({{"NEW10", "ATE-01", "2024-03-01 08:39:00", "PASS", 5.0}});
        app.runSql("ALTER TABLE Results RENAME TO Away");
        window.refreshLiveChart();
        QVERIFY(window.autoRefresh().statusText().startsWith("Cannot read the database at 09:30:00 ("));
        QCOMPARE(window.autoRefresh().pauseSeconds(), 2 * window.autoRefresh().intervalSeconds());
        app.runSql("ALTER TABLE Away RENAME TO Results");
        window.refreshLiveChart();
        QCOMPARE(window.autoRefresh().pauseSeconds(), window.autoRefresh().intervalSeconds());
        QCOMPARE(chart.pointCount(XBarChart::kDataSeries), 41);
        QCOMPARE(chart.markedPoint(), marked);
        QCOMPARE(app.prompts.texts(), QStringList());
        // A new Start Plot follows its own drawing; choosing a product opens its database and ends it.
        QTest::mouseClick(window.form().cmdPlotChart, Qt::LeftButton);
        QVERIFY(list.topLevelItemCount() == 0 && window.autoRefresh().isRunning());
        frmMain::ChooseItem(window.form().cboProductName, 1);
        QVERIFY(!window.autoRefresh().isRunning());
    }
};

TESSALY_TEST(TestLiveRefresh)
#include "tst_liverefresh.moc"
