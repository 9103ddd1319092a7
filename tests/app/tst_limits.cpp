#include "AppFixture.h"
#include "ChartControl.h"
#include "ControlChartLoader.h"
#include "DataRow.h"
#include "LimitFile.h"
#include "LimitsCommand.h"
#include "PistonRings.h"
#include "ReportCommand.h"
#include "ScreenCommand.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "XBarChart.h"
#include "frmLimitsNote.h"
#include "ui_frmMain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QMenu>
#include <QProcess>
#include <QTest>
#include <unistd.h>

namespace {

// The trial samples on 1 March 2024 from 8:00, the new ones on 2 March, a minute apart.
QList<AppFixture::Record> pistonRings(int samples = 40)
{
    const QVector<double> diameters = PistonRingDiameters();
    QList<AppFixture::Record> records;
    for (int s = 0; s < samples; ++s) {
        const QDateTime start(QDate(2024, 3, s < 25 ? 1 : 2), QTime(8, 0));
        for (int j = 0; j < 5; ++j) {
            records.append({QStringLiteral("R%1-%2").arg(s + 1).arg(j + 1), j % 2 ? "ATE-02" : "ATE-01",
                            start.addSecs(60 * ((s % 25) * 5 + j)).toString("yyyy-MM-dd HH:mm:ss"), "PASS",
                            diameters[s * kPistonRingSize + j]});
        }
    }
    return records;
}

int limits(const AppFixture& app, const QStringList& arguments)
{
    return LimitsCommand::Run(
        QStringList{arguments.value(0), "--config", app.configFolder(), "--product", "Line", "--parameter", "Vout"} +
        arguments.mid(1));
}

// The report's JSON of the days from and to.
QJsonObject report(const AppFixture& app, const QString& from, const QString& to, const QStringList& extra = {})
{
    const QString json = QDir(app.tempFolder()).filePath("report.json");
    QFile::remove(json);
    ReportCommand::Run(QStringList{"--config", app.configFolder(), "--product", "Line", "--parameter", "Vout", "--from",
                                   from, "--to", to, "--json", json} +
                       extra);
    return QJsonDocument::fromJson(ReadFile(json)).object();
}

// The points of a chart ("upper" or "range") that break rule 1.
QList<int> beyondLimits(const QJsonObject& report, const QString& chart)
{
    QList<int> points;
    for (const QJsonValue& signal : report["signals"].toArray()) {
        if (signal["chart"] == chart && signal["rules"].toArray().contains(1)) {
            points.append(signal["point"].toInt());
        }
    }
    return points;
}

} // namespace

class TestLimits : public QObject
{
    Q_OBJECT

private slots:
    // R's qcc: the trial limits of the first 25 samples judge the 15 new ones; 37, 38 and 39 are
    // beyond them, as published.
    void pistonRingsPhaseTwo()
    {
        AppFixture app;
        app.writeResults(pistonRings());
        QCOMPARE(limits(app, {"freeze", "--from", "2024-03-01", "--to", "2024-03-01", "--comment", "trial"}),
                 ReportCommand::kOk);
        const QJsonObject drawn = report(app, "2024-03-01", "2024-03-02");
        const QJsonObject l = drawn["limits"].toObject();
        QCOMPARE(l["source"], "frozen");
        QVERIFY(std::abs(l["centre"].toDouble() - 74.00118) < 5e-6);
        QVERIFY(std::abs(l["ucl"].toDouble() - 74.0143) < 5e-5);
        QVERIFY(std::abs(l["lcl"].toDouble() - 73.98805) < 5e-5);
        QVERIFY(std::abs(l["rangeCentre"].toDouble() - 0.02276) < 5e-6);
        QVERIFY(std::abs(l["sigma"].toDouble() - 0.009785) < 1e-6);
        QCOMPARE(l["comment"], "trial");
        QCOMPARE(l["baselinePoints"], 25);
        QCOMPARE(l["baseline"]["records"], 125);
        QCOMPARE(beyondLimits(drawn, "upper"), (QList<int>{36, 37, 38}));
        QCOMPARE(beyondLimits(drawn, "range"), QList<int>{});
        // Computed from all 40 samples, the shift moves the centre line along.
        const QJsonObject computed = report(app, "2024-03-01", "2024-03-02", {"--limits", "computed"});
        QCOMPARE(computed["limits"]["source"], "computed");
        QVERIFY(computed["limits"]["centre"].toDouble() > 74.002);

        // The screening judges each parameter by its frozen individual-chart set, and says so.
        QCOMPARE(limits(app, {"freeze", "--chart", "individual", "--from", "2024-03-01", "--to", "2024-03-01"}),
                 ReportCommand::kOk);
        const QString screened = QDir(app.tempFolder()).filePath("screen.json");
        QCOMPARE(ScreenCommand::Run({"--config", app.configFolder(), "--product", "Line", "--from", "2024-03-01",
                                     "--to", "2024-03-02", "--json", screened}),
                 0);
        const QJsonObject row = QJsonDocument::fromJson(ReadFile(screened)).object()["parameters"][0].toObject();
        QCOMPARE(row["limits"], "frozen");
        QCOMPARE(row["beyondLimits"], 6);
        // The frozen sigma 0.0094965 around the mean 74.0036 of all 200 values, against the USL 5.25
        // the product of the fixture gives.
        QCOMPARE(row["cpk"], -2413.308);
    }

    // Each stage's limits are those of a drawing of that stage alone: subgroups and moving ranges
    // start afresh at the stage, a partial subgroup before it is left out.
    void stageEqualsDrawingOfItAlone_data()
    {
        AddColumns<QStringList>("chart");
        QTest::newRow("x-bar, 5") << QStringList{"--size", "5"};
        QTest::newRow("individual") << QStringList{"--chart", "individual"};
    }

    void stageEqualsDrawingOfItAlone()
    {
        const auto [chart] = FetchRow<QStringList>();
        AppFixture app;
        QList<AppFixture::Record> records = AppFixture::Series(23, {5.0, 5.2, 4.9, 5.1});
        for (AppFixture::Record r : AppFixture::Series(31, {5.6, 5.3, 5.5, 5.45, 5.7})) {
            r.serial += "b";
            r.time.replace("2024-03-01", "2024-03-02");
            records.append(r);
        }
        app.writeResults(records);
        QCOMPARE(limits(app, {"stage", "--at", "2024-03-02 00:00:00", "--name", "Fixture B"}), ReportCommand::kOk);
        const QJsonObject both = report(app, "2024-03-01", "2024-03-02", chart);
        QCOMPARE(both["limits"]["source"], "stages");
        const QJsonArray stages = both["stages"].toArray();
        QCOMPARE(stages.size(), 2);
        QCOMPARE(stages[1]["name"], "Fixture B");
        QCOMPARE(stages[1]["start"], "2024-03-02 00:00:00");
        qint64 points = 0;
        for (int k = 0; k < 2; ++k) {
            const QString day = k == 0 ? "2024-03-01" : "2024-03-02";
            const QJsonObject alone = report(app, day, day, chart + QStringList{"--stages", "off"});
            QCOMPARE(stages[k]["firstPoint"].toInteger(), points);
            for (const char* line : {"centre", "ucl", "lcl", "rangeCentre", "rangeUcl", "rangeLcl"}) {
                QCOMPARE(stages[k][line].toDouble(), alone["limits"][line].toDouble());
            }
            points += alone["series"]["values"].toArray().size();
        }
        QCOMPARE(both["series"]["values"].toArray().size(), points);
        const QJsonObject without = report(app, "2024-03-01", "2024-03-02", chart + QStringList{"--stages", "off"});
        QCOMPARE(without["limits"]["source"], "computed");
        QCOMPARE(limits(app, {"stage", "--at", "2024-03-02 00:00:01", "--remove"}), ReportCommand::kNoData);
    }

    // Two writers at once: each waits for the lock, both sets are kept, the later in force.
    void twoProcessesFreezeAtOnce()
    {
        AppFixture app;
        app.writeResults(pistonRings(25));
        QLockFile held(LimitFilePath(app.configFolder()) + ".lock");
        QVERIFY(held.tryLock(0));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        QList<QProcess*> writers;
        for (const char* comment : {"A", "B"}) {
            QProcess* writer = writers.emplace_back(new QProcess(this));
            writer->setProcessEnvironment(env);
            writer->setReadChannel(QProcess::StandardError);
            writer->start(TESSALY_BINARY,
                          {"limits", "freeze", "--config", app.configFolder(), "--product", "Line", "--parameter",
                           "Vout", "--from", "2024-03-01", "--to", "2024-03-01", "--comment", comment});
        }
        for (QProcess* writer : writers) {
            QByteArray said;
            while (!said.contains("Waiting while") && writer->waitForReadyRead(60000)) {
                said += writer->readAllStandardError();
            }
            QVERIFY2(said.contains("Waiting while"), said.constData());
        }
        QVERIFY(!QFile::exists(LimitFilePath(app.configFolder())));
        held.unlock();
        for (QProcess* writer : writers) {
            QVERIFY(writer->waitForFinished(60000));
            QCOMPARE(writer->exitCode(), 0);
        }
        const LimitFileRead file = ReadLimitFile(app.configFolder());
        QCOMPARE(file.problem, QString());
        QCOMPARE(file.store.sets.size(), 1);
        QCOMPARE(file.store.history.size(), 1);
        const LimitSet& now = file.store.sets[0];
        const LimitSet& before = file.store.history[0];
        QCOMPARE(QStringList({before.comment, now.comment}).join("").size(), 2);
        QVERIFY(before.comment != now.comment);
        QCOMPARE(before.retiredHow, "replaced");
        QCOMPARE(before.retiredAt, now.frozenAt);
        QVERIFY(before.frozenAt <= now.frozenAt);
        QCOMPARE(now.centre, before.centre);
    }

    // Someone who may read the configuration but not write it is told so, and nothing changes.
    void readOnlyFolder()
    {
        AppFixture app;
        app.writeResults(pistonRings(25));
        QCOMPARE(limits(app, {"freeze", "--from", "2024-03-01", "--to", "2024-03-01"}), ReportCommand::kOk);
        const QString file = LimitFilePath(app.configFolder());
        const QByteArray before = ReadFile(file);
        const QFileDevice::Permissions readable = QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                  QFileDevice::ReadOther | QFileDevice::ExeOwner |
                                                  QFileDevice::ExeGroup | QFileDevice::ExeOther;
        QFile::setPermissions(QFileInfo(app.configFolder()).path(), readable | QFileDevice::WriteOwner);
        QFile::setPermissions(app.configFolder(), readable);
        for (const QString& name : QDir(app.configFolder()).entryList(QDir::Files)) {
            QFile::setPermissions(app.configFile(name), QFileDevice::ReadOwner | QFileDevice::ReadOther |
                                                            QFileDevice::ReadGroup | QFileDevice::WriteOwner);
        }
        // The superuser writes anywhere: the change is made as another user then.
        const QStringList command{"limits",      "stage", "--config", app.configFolder(),   "--product", "Line",
                                  "--parameter", "Vout",  "--at",     "2024-03-01 12:00:00"};
        QProcess run;
        if (::geteuid() == 0) {
            run.start("runuser", QStringList{"-u", "nobody", "--", TESSALY_BINARY} + command);
        } else {
            run.start(TESSALY_BINARY, command);
        }
        QVERIFY(run.waitForFinished(60000));
        const QString said = run.readAllStandardError();
        QFile::setPermissions(app.configFolder(), readable | QFileDevice::WriteOwner);
        QCOMPARE(run.exitCode(), ReportCommand::kConfiguration);
        QVERIFY2(said.contains(QStringLiteral("Cannot change the control limits in %1: the folder cannot be written")
                                   .arg(app.configFolder())),
                 qPrintable(said));
        QCOMPARE(ReadFile(file), before);
        QCOMPARE(QDir(app.configFolder()).entryList({"LIMITS*"}, QDir::Files), QStringList{kLimitFileName});
    }

    // Freezing the drawing, drawing new points against it, a stage set at a point, and clearing.
    void windowFreezesStagesAndClears()
    {
        AppFixture app;
        frmMain& window = app.plot(pistonRings(25), false);
        Ui::frmMain& ui = window.form();
        QVERIFY(!ui.chkFrozenLimits->isVisibleTo(&window));
        QString shown;
        app.prompts.modalActions.push_back([&shown](QDialog& dialog) {
            auto& note = static_cast<frmLimitsNote&>(dialog);
            shown = note.description();
            note.setNote("trial samples");
            note.accept();
        });
        QTest::mouseClick(ui.cmdFreezeLimits, Qt::LeftButton);
        QVERIFY2(shown.contains("X-bar chart: UCL 74.014, CL 74.001, LCL 73.988"), qPrintable(shown));
        QVERIFY(shown.contains("Baseline: 2024-03-01 08:00 to 2024-03-01 10:04, 25 subgroups of 125 records"));
        QCOMPARE(ReadLimitFile(app.configFolder()).store.sets.value(0).comment, "trial samples");
        QVERIFY(ui.chkFrozenLimits->isVisibleTo(&window));
        QVERIFY(ui.chkFrozenLimits->isChecked());

        app.writeResults(pistonRings());
        QTest::mouseClick(ui.cmdPlotChart, Qt::LeftButton);
        QCOMPARE(ui.lblLimits->text(), "Limits: frozen 2024-03-10 from 2024-03-01 to 2024-03-01, 25 subgroups");
        const QVector<RuleMask>& upper = window.lastPlot().outOfControl.upper;
        // Beyond the frozen limits: samples 37, 38 and 39 only.
        QCOMPARE(upper.size() - upper.count(0), 3);
        QVERIFY(upper[36] != 0 && upper[37] != 0 && upper[38] != 0);
        ChartControl& chart = *ui.ocxXBarChart;
        QCOMPARE(chart.dividers().size(), size_t(1));
        QCOMPARE(chart.dividers()[0].x, 24.0);

        // A new stage from sample 31 on: drawn per stage once the frozen set is not used.
        chart.setMaxPointsPerPage(0);
        const QPoint at(qRound(chart.pixelAtValue(AxisId::Top, 30)),
                        qRound(chart.pixelAtValue(AxisId::Left, chart.pointY(XBarChart::kDataSeries, 30))));
        QTest::mouseClick(&chart, Qt::RightButton, {}, at);
        QMenu* menu = window.findChild<QMenu*>("mnuChart");
        QCOMPARE(menu->actions().size(), 1);
        app.prompts.modalActions.push_back([](QDialog& dialog) {
            static_cast<frmLimitsNote&>(dialog).setNote("new rings");
            dialog.accept();
        });
        menu->actions()[0]->trigger();
        const QList<StageStart> stages = ReadLimitFile(app.configFolder()).store.stages;
        QCOMPARE(stages.size(), 1);
        QCOMPARE(stages[0].start, QDateTime(QDate(2024, 3, 2), QTime(8, 25)));
        QVERIFY(ui.lblLimits->text().endsWith("; stages not applied"));
        ui.chkFrozenLimits->setChecked(false);
        QTest::mouseClick(ui.cmdPlotChart, Qt::LeftButton);
        QCOMPARE(ui.lblLimits->text(), "Limits: 2 stages, in force: new rings from 2024-03-02 08:25");
        QCOMPARE(chart.dividers()[0].caption, "new rings");
        QCOMPARE(chart.dividers()[0].x, 30.0);

        app.prompts.answers = {MsgAnswer::Yes};
        QTest::mouseClick(ui.cmdClearLimits, Qt::LeftButton);
        const LimitFileRead file = ReadLimitFile(app.configFolder());
        QVERIFY(file.store.sets.isEmpty());
        QCOMPARE(file.store.history.value(0).retiredHow, "cleared");
        QVERIFY(!ui.chkFrozenLimits->isVisibleTo(&window));
    }
};

TESSALY_TEST(TestLimits)
#include "tst_limits.moc"
