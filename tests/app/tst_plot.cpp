#include "AppFixture.h"
#include "ChartControl.h"
#include "ControlChartLoader.h"
#include "DataRow.h"
#include "TestFiles.h"
#include "TestMain.h"
#include "XBarChart.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

namespace {

QStringList listingLines(const frmMain& window)
{
    return QString::fromUtf8(ReadFile(const_cast<frmMain&>(window).state().gRawDataFile))
        .split("\r\n", Qt::SkipEmptyParts);
}

} // namespace

class TestPlot : public QObject
{
    Q_OBJECT

private slots:
    void xbarUsesWholeSubgroupsOnly()
    {
        AppFixture app;
        QList<AppFixture::Record> data = AppFixture::Series(23, {1, 2, 3, 4, 5});
        data[0].serial = "SNLONGSERIALNUMBER01"; // 20 characters
        data[2].time = "2024-03-01 08:01:60";    // no such time: listed without a date
        data[4].source = "ATE-05";
        frmMain& window = app.plot(data, false);
        const ChartControl& chart = *window.form().ocxXBarChart;

        QCOMPARE(app.prompts.texts(), QStringList());
        QCOMPARE(yValues(chart, 0), (QList<double>{3, 3, 3, 3}));
        QCOMPARE(yValues(chart, 4), (QList<double>{4, 4, 4, 4}));
        QCOMPARE(chart.pointLabel(0, 0), "03/01");
        QCOMPARE(chart.pointLabel(4, 0), "ATE-05"); // the source of the subgroup's last record
        QCOMPARE(chart.seriesCount(), 11);

        const QStringList lines = listingLines(window);
        QCOMPARE(lines.size(), 21); // the header and 20 records; the last 3 are never read
        QVERIFY(!(QFile::permissions(window.state().gRawDataFile) & (QFileDevice::ReadGroup | QFileDevice::ReadOther)));
        QCOMPARE(lines[0], "S/N\tOutput: [Output Voltage]\tATE ID\tDate");
        QCOMPARE(lines[1], "SNLONGSERIALNUMBER01\t1.000\tATE-01\t03/01/2024 08:00 AM");
        QCOMPARE(lines.mid(2, 3),
                 (QStringList{"SN2            \t2.000\tATE-02\t03/01/2024 08:01 AM", "SN3            \t3.000\tATE-01\t",
                              "SN4            \t4.000\tATE-02\t03/01/2024 08:03 AM"}));

        const QStringList panel = window.form().lblSPCParameter1->text().split("\r\n");
        QCOMPARE(panel.mid(0, 6), (QStringList{"Normal", "4", "1.451", "1.72", "5", "5.308"}));
        QCOMPARE(panel[14], "Est.");
    }

    void individualValuesAndMovingRanges()
    {
        AppFixture app;
        frmMain& window = app.plot(AppFixture::Series(3, {10, 12, 11}), true);
        const ChartControl& chart = *window.form().ocxXBarChart;

        QCOMPARE(yValues(chart, 0), (QList<double>{10, 12, 11}));
        QCOMPARE(yValues(chart, 4), (QList<double>{0, 2, 1}));
        QCOMPARE(chart.pointLabel(4, 0), ""); // the source filter passed to the query: all sources
        QCOMPARE(chart.pointLabel(4, 1), "ATE-02");
        const QStringList lines = listingLines(window);
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[3].endsWith("\t3"));
        const QStringList panel = window.form().lblSPCParameter1->text().split("\r\n");
        // Est Sigma 1 / 1.128; CL 11; size 1; moving-range CL 1.
        QCOMPARE((QStringList{panel[3], panel[4], panel[6], panel[17], panel[18]}),
                 (QStringList{"0.887", "1", "11.0", "1.0", "0.0"}));
        QCOMPARE(window.form().ocxXBarChart->axis(AxisId::Left).title, "Individual (V)");
    }

    // Run rules judge the drawing on the chart again when the choice changes: flags, their
    // colour, the tooltip of a point and the line under the panel.
    void runRulesMarkTheDrawing()
    {
        AppFixture app;
        QList<AppFixture::Record> records = AppFixture::Series(30, {4.9, 5, 5.1});
        records[20].value = 6; // beyond the limits, and so are the moving ranges to and from it
        frmMain& window = app.plot(records, true);
        Ui::frmMain& ui = window.form();
        const ChartSeries& data = ui.ocxXBarChart->series(XBarChart::kDataSeries);
        QCOMPARE(data.flaggedPoints, std::vector<qint64>{20});
        QVERIFY(!data.flagsHighlighted && ui.lblSignals->text().isEmpty());

        ui.chkRunRules->setChecked(true);
        QVERIFY(data.flagsHighlighted);
        QCOMPARE(ui.lblSignals->text(), "Signals: 3 points (rule 1)"); // the value and its two moving ranges
        window.show();
        ChartControl& chart = *ui.ocxXBarChart;
        const QPoint at(qRound(chart.pixelAtValue(AxisId::Top, 20)), qRound(chart.pixelAtValue(AxisId::Left, 6)));
        QHelpEvent help(QEvent::ToolTip, at, chart.mapToGlobal(at));
        QApplication::sendEvent(&chart, &help);
        QCOMPARE(QToolTip::text(), "Rule 1: 1 point beyond a control limit");
        frmMain::ChooseText(ui.cboRuleSet, "Nelson");
        QCOMPARE(app.prompts.texts(), QStringList());
        QCOMPARE(window.lastPlot().outOfControl.set, RuleSet::Nelson);
        ui.chkRunRules->setChecked(false);
        QVERIFY(!data.flagsHighlighted && ui.lblSignals->text().isEmpty());
    }

    void stopPlotEndsALongLoad_data()
    {
        AddColumns<MsgAnswer, bool>("answer", "stopped");
        QTest::newRow("Yes") << MsgAnswer::Yes << true;
        QTest::newRow("No") << MsgAnswer::No << false;
    }

    void stopPlotEndsALongLoad()
    {
        const auto [answer, stopped] = FetchRow<MsgAnswer, bool>();
        AppFixture app;
        const int total = 3000;
        // The user presses Stop Plot when the load lets window events run: a Yes while records
        // are read (the second pass; the first comes as the window locks), a No at once.
        const int pressAt = stopped ? 2 : 1;
        int pumps = 0;
        frmMain* window = nullptr;
        app.pump = EventPump(
            [&] {
                if (window && window->form().cmdPlotChart->text() == "Stop Plot" && ++pumps == pressAt) {
                    app.prompts.answers.push_back(answer);
                    QTest::mouseClick(window->form().cmdPlotChart, Qt::LeftButton);
                }
            },
            0); // every pass let through, however fast the load
        window = &app.prepare(AppFixture::Series(total, {5, 5.1, 4.9}, 10), true);
        QTest::mouseClick(window->form().cmdPlotChart, Qt::LeftButton);

        QCOMPARE(app.prompts.texts(), QStringList{"Stop plot SPC chart?"});
        QCOMPARE(app.prompts.messages.constFirst().buttons, MsgButtons::YesNo);
        const qint64 points = window->form().ocxXBarChart->pointCount(0);
        QCOMPARE(points < total, stopped);
        QCOMPARE(window->form().ocxXBarChart->pointCount(4), points);
        QCOMPARE(window->form().ocxXBarChart->seriesCount(), stopped ? 5 : 11); // no limits for a stopped plot
        QCOMPARE(window->form().lblSPCParameter1->text().isEmpty(), stopped);
        QCOMPARE(window->form().cmdPlotChart->text(), "Start Plot");
    }
};

TESSALY_TEST(TestPlot)
#include "tst_plot.moc"
