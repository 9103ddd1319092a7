#include "AppFixture.h"
#include "ChartControl.h"
#include "ControlChartLoader.h"
#include "DataRow.h"
#include "ReportCommand.h"
#include "ScreenCommand.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "ui_frmMain.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <limits>

namespace {

QList<AppFixture::Record> records()
{
    QList<AppFixture::Record> list;
    const QDateTime start(QDate(2024, 3, 1), QTime(8, 0));
    const double values[] = {5.01, 4.98, 5.03, 4.97, 5.00, 5.02, 4.99, 5.04};
    for (int i = 0; i < 203; ++i) {
        list.append({"SN" + QString::number(i), i % 3 ? "ATE-02" : "ATE-01",
                     start.addSecs(600 * i).toString("yyyy-MM-dd HH:mm:ss"), i % 17 ? "PASS" : "FAIL",
                     values[i % 8] + (i % 5) * 0.001});
    }
    return list;
}

// The report run on the fixture's configuration, options written as one text, then more, with its
// JSON written to report.json in the temporary folder; it must end with `status`.
QJsonObject reportJson(const AppFixture& app, const QString& options, const QStringList& more,
                       int status = ReportCommand::kOk)
{
    const QString json = app.tempFolder() + "/report.json";
    const QStringList arguments = QStringList{"--config", app.configFolder(), "--json", json} + options.split(' ');
    const int ended = ReportCommand::Run(arguments + more);
    [&] { QCOMPARE(ended, status); }();
    return QJsonDocument::fromJson(ReadFile(json)).object();
}

// The report's signals as "<chart> <point> [<label>] <rules>".
QStringList signalTexts(const QJsonObject& report, bool labelled)
{
    QStringList listed;
    for (const QJsonValue signal : report["signals"].toArray()) {
        const QString label = labelled ? signal["label"].toString() + " " : QString();
        listed.append(signal["chart"].toString() + " " + QString::number(signal["point"].toInt()) + " " + label +
                      QJsonDocument(signal["rules"].toArray()).toJson(QJsonDocument::Compact));
    }
    return listed;
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void reportRepeatsTheWindow_data()
    {
        AddColumns<bool, QStringList>("individual", "extra");
        QTest::newRow("x-bar, size 4, pass only") << false << QStringList{"--size", "4"};
        QTest::newRow("individual, all results, one source")
            << true << QStringList{"--chart", "individual", "--all-results", "--source", "ATE-02"};
    }

    void reportRepeatsTheWindow()
    {
        const auto [individual, extra] = FetchRow<bool, QStringList>();
        AppFixture app;
        frmMain& window = app.prepare(records(), individual, 4); // the records of 1 and 2 March
        Ui::frmMain& ui = window.form();
        if (individual) {
            ui.chkOnlyPass->setChecked(false);
            ui.cboATEList->setCurrentIndex(ui.cboATEList->findText("ATE-02"));
        }
        QTest::mouseClick(ui.cmdPlotChart, Qt::LeftButton);
        QVERIFY(window.lastPlot().drawn);

        const QString png = app.tempFolder() + "/report.png";
        const QJsonObject report =
            reportJson(app, "--product line --parameter Vout --from 2024-03-01 --to 2024-03-02 --test-id <All>",
                       QStringList{"--png", png} + extra);
        const QStringList panel = ui.lblSPCParameter1->text().split("\r\n");
        const QJsonArray lines = report["statistics"].toArray();
        QCOMPARE(lines.size(), 19);
        for (int i = 0; i < 19; ++i) {
            QCOMPARE(lines[i].toArray()[1].toString(), panel[i]);
        }
        const QJsonArray values = report["series"].toObject()["values"].toArray();
        const ChartControl& chart = *ui.ocxXBarChart;
        QCOMPARE(values.size(), int(chart.pointCount(0)));
        for (int i = 0; i < values.size(); ++i) {
            QCOMPARE(values[i].toObject()["y"].toDouble(), chart.pointY(0, i));
            QCOMPARE(values[i].toObject()["label"].toString(), chart.pointLabel(0, i));
        }
        QCOMPARE(report["numbers"].toObject()["centre"].toDouble(), window.lastPlot().centre);
        QCOMPARE(report["records"].toInteger(), window.lastPlot().records);
        QVERIFY(QImage(png).width() == 1600);
    }

    // Each analysis opened from the chooser in the window, and the report of the same selection:
    // the same panel, value for value.
    void analysesRepeatTheirWindows_data()
    {
        AddColumns<QString, QStringList>("button", "arguments");
        QTest::newRow("histogram") << "cmdHistogram" << QStringList{"--chart", "histogram", "--parameter", "Vout"};
        QTest::newRow("scatter") << "cmdScatter"
                                 << QStringList{"--chart", "scatter", "--x-parameter", "Vout", "--y-parameter", "Iin"};
        QTest::newRow("pareto") << "cmdPareto" << QStringList{"--chart", "pareto"};
        QTest::newRow("yield") << "cmdYield" << QStringList{"--chart", "p", "--parameter", "ignored"};
        QTest::newRow("failures") << "cmdFailures" << QStringList{"--chart", "failures"};
        QTest::newRow("stations") << "cmdStations" << QStringList{"--chart", "stations", "--parameter", "Vout"};
    }

    void analysesRepeatTheirWindows()
    {
        const auto [button, arguments] = FetchRow<QString, QStringList>();
        AppFixture app;
        app.rememberFolder("Custom", "3/1/2024", "3/7/2024");
        frmMain& window = app.start();
        window.form().cboTestID->setCurrentIndex(0);
        QString panel;
        app.prompts.modalActions.push_back([&](QDialog& chooser) { chooser.findChild<QPushButton*>(button)->click(); });
        app.prompts.modalActions.push_back(
            [&](QDialog& chart) { panel = chart.findChild<QLabel*>("lblSPCParameter1")->text(); });
        window.form().cmdMoreCharts->click();
        QCOMPARE(app.prompts.texts(), QStringList());

        QStringList values;
        for (const QJsonValue line :
             reportJson(app, "--product Small --from 2024-03-01 --to 2024-03-07 --test-id <All>",
                        arguments)["statistics"]
                 .toArray()) {
            values.append(line.toArray()[1].toString());
        }
        QVERIFY(values.size() > 0);
        QCOMPARE(values, panel.split("\r\n").mid(0, values.size()));
    }

    // The JSON lists the signals of the rules chosen for the picture, Western Electric when none;
    // with --fail-on-signal, any of them ends the report with status 5.
    void signalsOfTheChart_data()
    {
        AddColumns<QStringList, int, QStringList>("arguments", "status", "signals");
        const QStringList spike{"upper 20 [1]", "range 20 [1]", "range 21 [1]"};
        QTest::newRow("none chosen, failing") << QStringList{"--fail-on-signal"} << 5 << spike;
        QTest::newRow("chosen") << QStringList{"--rules", "WE"} << 0 << spike;
        QTest::newRow("a source without signals")
            << QStringList{"--source", "ATE-02", "--fail-on-signal"} << 0 << QStringList();
        QTest::newRow("unknown rule set") << QStringList{"--rules", "weco"} << 2 << QStringList();
    }

    void signalsOfTheChart()
    {
        const auto [arguments, status, signalList] = FetchRow<QStringList, int, QStringList>();
        AppFixture app;
        QList<AppFixture::Record> records = AppFixture::Series(30, {4.9, 5, 5.1});
        records[20].value = 6;
        app.writeResults(records);
        const QJsonObject report =
            reportJson(app, "--product Line --parameter Vout --from 2024-03-01 --to 2024-03-01 --chart individual",
                       arguments, status);
        QCOMPARE(signalTexts(report, false), signalList);
        QCOMPARE(report["signalRules"].toString(), status == 2 ? "" : "we");
    }

    // The yield charts: the subgroups' points with their limits, the signals as for control
    // charts, --fail-on-signal; the np chart only for subgroups of one size.
    void yieldReport_data()
    {
        AddColumns<QStringList, int, QString, QStringList>("arguments", "status", "firstPoint", "signals");
        const QString day = "03/01/24 n=20 failed=1 value=0.05 ucl=0.321";
        QTest::newRow("p by day") << QStringList{"--chart", "p"} << 0 << day << QStringList{"p 5 03/06/24 [1]"};
        QTest::newRow("failing on the signal") << QStringList{"--chart", "p", "--fail-on-signal", "--rules", "nelson"}
                                               << 5 << day << QStringList{"p 5 03/06/24 [1]"};
        QTest::newRow("np in runs of 20 units")
            << QStringList{"--chart", "np", "--group", "20"} << 0 << "03/01/24 n=20 failed=1 value=1 ucl=6.439"
            << QStringList{"np 5 03/06/24 [1]"};
        QTest::newRow("final yield: the retests of day 6 pass")
            << QStringList{"--chart", "p", "--final", "--fail-on-signal"} << 0
            << "03/01/24 n=20 failed=1 value=0.05 ucl=0.19" << QStringList{};
        QTest::newRow("np of days of different sizes") << QStringList{"--chart", "np"} << 2 << "" << QStringList{};
        QTest::newRow("an unknown grouping")
            << QStringList{"--chart", "p", "--group", "month"} << 2 << "" << QStringList{};
    }

    void yieldReport()
    {
        const auto [arguments, status, firstPoint, signalList] = FetchRow<QStringList, int, QString, QStringList>();
        AppFixture app;
        QList<AppFixture::Record> records;
        for (int day = 1; day <= 10; ++day) {
            for (int unit = 0; unit < (day == 10 ? 10 : 20); ++unit) {
                const bool failed = unit < (day == 6 ? 12 : 1);
                records.append({QStringLiteral("D%1U%2").arg(day).arg(unit), "ATE-01",
                                QStringLiteral("2024-03-%1 09:%2:00")
                                    .arg(day, 2, 10, QLatin1Char('0'))
                                    .arg(unit, 2, 10, QLatin1Char('0')),
                                failed ? "FAIL" : "PASS", 5.0});
                if (failed && day == 6) { // retested the next day, passing
                    records.append({records.last().serial, "ATE-01",
                                    QStringLiteral("2024-03-07 15:%1:00").arg(unit, 2, 10, QLatin1Char('0')), "PASS",
                                    5.0});
                }
            }
        }
        app.writeResults(records);
        const QJsonObject report =
            reportJson(app, "--product Line --from 2024-03-01 --to 2024-03-10 --test-id <All>", arguments, status);
        if (status == 2) {
            QVERIFY(!QFile::exists(app.tempFolder() + "/report.json"));
            return;
        }
        const QJsonObject p = report["points"].toArray().first().toObject();
        QCOMPARE(QStringLiteral("%1 n=%2 failed=%3 value=%4 ucl=%5")
                     .arg(p["label"].toString())
                     .arg(p["n"].toInt())
                     .arg(p["failed"].toInt())
                     .arg(p["value"].toDouble())
                     .arg(std::round(p["ucl"].toDouble() * 1000) / 1000),
                 firstPoint);
        QCOMPARE(report["limits"].toObject()["source"].toString(), "computed");
        QCOMPARE(signalTexts(report, true), signalList);
    }

    void exitStatuses_data()
    {
        AddColumns<QStringList, QByteArray, int>("arguments", "ateIni", "status");
        const QByteArray good = "[ATE Configuration]\r\nTestProduct=Line\r\n[Database]\r\nDatabaseName=line.sqlite\r\n";
        const QStringList base{"--product", "Line", "--parameter", "Output Voltage", "--json", "-"};
        const auto args = [](const QString& text) { return text.split(' '); };
        const auto row = [&good](const char* name, const QStringList& arguments, int status,
                                 const QByteArray& ateIni = {}) {
            QTest::newRow(name) << arguments << (ateIni.isEmpty() ? good : ateIni) << status;
        };
        const QString noData = "--from 2020-01-01 --to 2020-01-01"; // one day is a range
        row("no product given", args("--parameter Vout --json -"), ReportCommand::kUsage);
        row("pages unknown", base + args("--pages some"), ReportCommand::kUsage);
        row("size out of range", base + args("--size 26"), ReportCommand::kUsage);
        row("width beyond 20000 pixels", base + args("--width 20001"), ReportCommand::kUsage);
        row("height beyond 20000 pixels", base + args("--height 100000"), ReportCommand::kUsage);
        row("20000 pixels square", base + args("--width 20000 --height 20000 " + noData), ReportCommand::kNoData);
        row("half a custom range", base + args("--from 2024-03-01"), ReportCommand::kUsage);
        row("unknown product", args("--product Other --parameter Vout --json -"), ReportCommand::kUsage);
        row("unknown parameter", args("--product Line --parameter Iin --json -"), ReportCommand::kUsage);
        row("no data", base + args(noData), ReportCommand::kNoData);
        row("histogram without data", base + args("--chart histogram " + noData), ReportCommand::kNoData);
        row("histogram cells out of range", base + args("--chart histogram --cells 5"), ReportCommand::kUsage);
        row("LSL that is no number", base + args("--lsl abc"), ReportCommand::kUsage);
        row("USL beyond a double", base + args("--usl 1e999"), ReportCommand::kUsage);
        row("signals of a chart without run rules", base + args("--chart histogram --fail-on-signal"),
            ReportCommand::kUsage);
        const QString oneRecord = " --serial SN5 --from 2024-03-01 --to 2024-03-31";
        row("histogram of one record", base + args("--chart histogram" + oneRecord), ReportCommand::kNoData);
        row("stations without a parameter", args("--product Line --chart stations --json -"), ReportCommand::kUsage);
        row("failures without data", args("--product Line --chart failures --json - " + noData),
            ReportCommand::kNoData);
        row("scatter with one source",
            args("--product Line --chart scatter --x-parameter Vout --y-parameter Vout --x-source ATE-01 --json -"),
            ReportCommand::kUsage);
        row("a value that is no number", base + args("--chart individual --from 2024-03-01 --to 2024-03-31"),
            ReportCommand::kConfiguration);
        row("screen without data", args("screen --product Line --json - " + noData), ReportCommand::kNoData);
        row("screen, a value that is no number",
            args("screen --product Line --csv - --from 2024-03-01 --to 2024-03-31"), ReportCommand::kConfiguration);
        row("screen, nothing to write", args("screen --product Line"), ReportCommand::kUsage);
        row("screen, two outputs on standard output", args("screen --product Line --csv - --html -"),
            ReportCommand::kUsage);
        row("missing database", base, ReportCommand::kConfiguration,
            "[ATE Configuration]\r\nTestProduct=Line\r\n[Database]\r\nDatabaseName=gone.sqlite\r\n");
    }

    void exitStatuses()
    {
        const auto [arguments, ateIni] = FetchRow<QStringList, QByteArray>();
        AppFixture app;
        // After the others, an infinite value that the report must not turn into statistics.
        app.writeResults(records() + QList<AppFixture::Record>{{"SNINF", "ATE-01", "2024-03-20 10:00:00", "PASS",
                                                                std::numeric_limits<double>::infinity()}});
        app.writeConfigFile("ate.ini", ateIni);
        const bool screen = arguments.constFirst() == "screen";
        const QStringList options = QStringList{"--config", app.configFolder()} + arguments.mid(screen ? 1 : 0);
        QTEST(screen ? ScreenCommand::Run(options) : ReportCommand::Run(options), "status");
    }
};

TESSALY_TEST(TestReport)
#include "tst_report.moc"
