#include "AppFixture.h"
#include "AutoRefresh.h"
#include "DataRow.h"
#include "TestMain.h"
#include "ui_frmMain.h"

#include <QTest>

class TestLiveRefresh : public QObject
{
    Q_OBJECT

private slots:
    void intervalIsSavedWithinBounds_data()
    {
        AddColumns<QString, int>("saved", "shown");
        QTest::newRow("nothing saved") << QString() << 60;
        QTest::newRow("below 10 s") << QString("5") << 10;
        QTest::newRow("10 s") << QString("10") << 10;
        QTest::newRow("one hour") << QString("3600") << 3600;
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
        QCOMPARE(window.form().spnRefreshInterval->value(), shown);
        QCOMPARE(window.autoRefresh().intervalSeconds(), shown);
        QVERIFY(window.form().chkAutoRefresh->isChecked() && window.form().chkSignalSound->isChecked());
        window.form().chkSignalSound->setChecked(false);
        app.prompts.answers.push_back(MsgAnswer::OK);
        QVERIFY(window.close());
        QCOMPARE(app.savedChoice("RefreshInterval"), QString::number(shown));
        QCOMPARE(app.savedChoice("AutoRefresh"), "1");
        QCOMPARE(app.savedChoice("SignalSound"), "0");
    }

    void retriesPauseLonger_data()
    {
        AddColumns<int, QString, QList<int>>("interval", "reads", "pauses");
        QTest::newRow("10 s, doubling to ten minutes")
            << 10 << "FFFFFFF" << QList<int>{20, 40, 80, 160, 320, 600, 600};
        QTest::newRow("a good read starts again") << 30 << "FFOF" << QList<int>{60, 120, 30, 60};
        QTest::newRow("an interval above ten minutes stays") << 1800 << "FFO" << QList<int>{1800, 1800, 1800};
        QTest::newRow("five minutes: one doubling") << 300 << "FF" << QList<int>{600, 600};
    }

    void retriesPauseLonger()
    {
        const auto [interval, reads, pauses] = FetchRow<int, QString, QList<int>>();
        FixedClock clock(QDateTime(QDate(2024, 3, 10), QTime(9, 30)));
        AutoRefresh refresh(clock);
        refresh.setIntervalSeconds(interval);
        refresh.setEnabled(true);
        refresh.setFollowing(true);
        QCOMPARE(refresh.pauseSeconds(), interval);
        QList<int> seen;
        for (const QChar read : reads) {
            read == 'F' ? refresh.failed("database is locked") : refresh.refreshed(0);
            seen.append(refresh.pauseSeconds());
            QCOMPARE(refresh.nextRefresh(), clock.now().addSecs(seen.last()));
            QVERIFY(refresh.isRunning());
        }
        QCOMPARE(seen, pauses);
    }

    void statusLine_data()
    {
        AddColumns<bool, bool, QString, QString>("enabled", "following", "outcome", "status");
        QTest::newRow("off") << false << true << "" << "";
        QTest::newRow("no chart yet") << true << false << ""
                                      << "Auto Refresh follows the chart of the next Start Plot";
        QTest::newRow("following") << true << true << "" << "Auto Refresh every 40 s; next at 09:30:40";
        QTest::newRow("three records") << true << true << "3" << "Refreshed at 09:30:00: 3 new records";
        QTest::newRow("one record") << true << true << "1" << "Refreshed at 09:30:00: 1 new record";
        QTest::newRow("nothing new") << true << true << "0" << "Refreshed at 09:30:00: no new records";
        QTest::newRow("unreadable")
            << true << true << "database is\nlocked"
            << "Cannot read the database at 09:30:00 (database is locked); next try at 09:31:20";
    }

    void statusLine()
    {
        const auto [enabled, following, outcome, status] = FetchRow<bool, bool, QString, QString>();
        FixedClock clock(QDateTime(QDate(2024, 3, 10), QTime(9, 30)));
        AutoRefresh refresh(clock);
        QString shown;
        connect(&refresh, &AutoRefresh::statusChanged, this, [&shown](const QString& text) { shown = text; });
        refresh.setIntervalSeconds(40);
        refresh.setEnabled(enabled);
        refresh.setFollowing(following);
        QCOMPARE(refresh.isRunning(), enabled && following);
        bool isCount = false;
        const qint64 count = outcome.toLongLong(&isCount);
        if (isCount) {
            refresh.refreshed(count);
        } else if (!outcome.isEmpty()) {
            refresh.failed(outcome);
        }
        QCOMPARE(refresh.statusText(), status);
        QCOMPARE(shown, status);
    }
};

TESSALY_TEST(TestLiveRefresh)
#include "tst_liverefresh.moc"
