#include "AppFixture.h"
#include "DataRow.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "WatchCommand.h"
#include "WatchOptions.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using Record = AppFixture::Record;

namespace {

// Thirty steady values around 5 from 1 March 2024 08:00, a minute apart.
QList<Record> steady()
{
    return AppFixture::Series(30, {5.0, 5.02, 4.98, 5.01, 4.99});
}

// A record well above the steady ones, `minutes` after the first.
Record shifted(const QString& serial, int minutes, double value = 6.0)
{
    return {serial, "ATE-01",
            QDateTime(QDate(2024, 3, 1), QTime(8, 0)).addSecs(60 * minutes).toString(Qt::ISODate).replace('T', ' '),
            "PASS", value};
}

QStringList watchArguments(const AppFixture& app)
{
    return {"--config", app.configFolder(), "--product", "Line",       "--parameter", "Vout",
            "--from",   "2024-03-01",       "--to",      "2024-03-31", "--chart",     "individual"};
}

} // namespace

class TestWatch : public QObject
{
    Q_OBJECT

private slots:
    void usageErrors_data()
    {
        AddColumns<QStringList>("arguments");
        QTest::newRow("--once without --state") << QStringList{"--once"};
        QTest::newRow("--state without --once") << QStringList{"--state", "s.json"};
        QTest::newRow("--exec without a program") << QStringList{"--exec"};
        QTest::newRow("interval of 0 s") << QStringList{"--interval", "0"};
        QTest::newRow("chart kind") << QStringList{"--chart", "pareto"};
    }

    // Read without running: options that wrongly passed would start a watch that never ends.
    void usageErrors()
    {
        const auto [arguments] = FetchRow<QStringList>();
        const QStringList given = QStringList{"--config", "c", "--product", "Line", "--parameter", "Vout"} + arguments;
        QVERIFY_THROWS_EXCEPTION(UsageError, ReadWatchOptions(given));
    }

    void onceAgainstState_data()
    {
        AddColumns<QList<Record>, bool, QList<Record>, int>("initial", "checkedBefore", "appended", "status");
        const QList<Record> withSignal = steady() + QList<Record>{shifted("S1", 40)};
        QTest::newRow("first check, a signal on the chart") << withSignal << false << QList<Record>{} << 5;
        QTest::newRow("first check, no signal") << steady() << false << QList<Record>{} << 0;
        QTest::newRow("nothing new since the last check") << withSignal << true << QList<Record>{} << 0;
        QTest::newRow("a new point without a signal") << steady() << true << QList<Record>{shifted("S2", 41, 5.0)} << 0;
        QTest::newRow("a new signal since the last check")
            << steady() << true << QList<Record>{shifted("S2", 41, 5.0), shifted("S3", 42)} << 5;
    }

    // A scheduled check exits 5 only for signals at points the last check had not drawn.
    void onceAgainstState()
    {
        const auto [initial, checkedBefore, appended, status] = FetchRow<QList<Record>, bool, QList<Record>, int>();
        AppFixture app;
        app.writeResults(initial);
        const QString state = app.configFile("watch-state.json");
        const QStringList once = watchArguments(app) + QStringList{"--once", "--state", state};
        if (checkedBefore) {
            QVERIFY(WatchCommand::Run(once) != WatchCommand::kUsage);
            QVERIFY(QFile::exists(state));
        }
        app.appendResults(appended);
        QCOMPARE(WatchCommand::Run(once), status);
        // The state moved on: the same records again are nothing new.
        QCOMPARE(WatchCommand::Run(once), WatchCommand::kOk);
    }

    // The program runs watch until SIGTERM: a shift planted while it runs is written as a JSON line
    // and handed to the --exec program in its environment; SIGTERM ends it with status 0.
    void followsUntilTerminated()
    {
        AppFixture app;
        app.writeResults(steady());
        const QString lines = app.configFile("signals.jsonl");
        QProcess watch;
        watch.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        watch.start(TESSALY_BINARY,
                    QStringList{"watch"} + watchArguments(app) +
                        QStringList{"--interval", "1", "--json-lines", lines, "--exec", "/usr/bin/env"});
        QVERIFY(watch.waitForStarted());
        QVERIFY(QTest::qWaitFor([&] { return watch.readAllStandardError().contains("points drawn"); }, 20000));
        app.appendResults({shifted("S1", 40)});
        QVERIFY(QTest::qWaitFor([&] { return QFile(lines).size() > 0; }, 20000));
        watch.terminate();
        QVERIFY(watch.waitForFinished());
        QCOMPARE(watch.exitStatus(), QProcess::NormalExit);
        QCOMPARE(watch.exitCode(), 0);

        const QList<QByteArray> written = ReadFile(lines).split('\n');
        const QJsonObject signal = QJsonDocument::fromJson(written.value(0)).object();
        QCOMPARE(signal["chart"].toString(), "values");
        QCOMPARE(signal["point"].toInt(), 30);
        QCOMPARE(signal["value"].toDouble(), 6.0);
        QCOMPARE(signal["serials"].toArray(), QJsonArray{"S1"});
        QCOMPARE(signal["time"].toString(), "2024-03-01T08:40:00");
        QCOMPARE(signal["rules"].toArray().first().toString(), "Rule 1: 1 point beyond a control limit");
        QVERIFY(signal["limits"]["ucl"].toDouble() < 6.0);
        const QString environment = QString::fromUtf8(watch.readAllStandardOutput());
        for (const char* variable : {"TESSALY_SIGNAL_VALUE=6\n", "TESSALY_SIGNAL_POINT=30\n",
                                     "TESSALY_SIGNAL_SERIALS=S1\n", "TESSALY_SIGNAL_PRODUCT=Line\n"}) {
            QVERIFY2(environment.contains(variable), variable);
        }
    }
};

TESSALY_TEST(TestWatch)
#include "tst_watch.moc"
