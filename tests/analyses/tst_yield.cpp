#include "AnalysisFixture.h"
#include "ChartControl.h"
#include "DataRow.h"
#include "FailurePareto.h"
#include "FailureParetoChart.h"
#include "TestMain.h"
#include "UnitRecords.h"
#include "YieldChart.h"
#include "YieldPlot.h"
#include "frmYield.h"

#include <QComboBox>
#include <QLabel>
#include <QPrinter>
#include <QStandardItemModel>
#include <QTest>
#include <cmath>

namespace {

// Montgomery, Introduction to Statistical Quality Control, the orange-juice cans of Table 7.1:
// nonconforming cans in each of 30 samples of 50.
const QList<int> kOrangeJuice = {12, 15, 8, 10, 4,  7,  16, 9,  14, 10, 5,  6, 17, 12, 22,
                                 8,  10, 5, 13, 11, 20, 18, 24, 15, 9,  12, 7, 13, 9,  6};

// One record: serial, day of February or March 2024 ("03-02"), hour, verdict.
struct Test
{
    QString serial;
    QString day;
    int hour = 8;
    bool passed = true;
};

QList<ResultRecord> unitRecords(const QList<Test>& tests)
{
    QList<ResultRecord> list;
    for (const Test& t : tests) {
        const QString time = QStringLiteral("2024-%1 %2:00:00").arg(t.day).arg(t.hour, 2, 10, QLatin1Char('0'));
        list.append({t.serial, "ATE-01", time, t.passed ? "PASS" : "FAIL", {5.0}});
    }
    return list;
}

// The orange-juice samples as one day each from 1 February 2024, 50 units a day.
QList<ResultRecord> orangeJuice()
{
    QList<Test> tests;
    for (int sample = 0; sample < kOrangeJuice.size(); ++sample) {
        const QString day = QDate(2024, 2, 1).addDays(sample).toString(QStringLiteral("MM-dd"));
        for (int unit = 0; unit < 50; ++unit) {
            tests.append(
                {QStringLiteral("OJ%1-%2").arg(sample).arg(unit), day, 8 + unit / 10, unit >= kOrangeJuice[sample]});
        }
    }
    return unitRecords(tests);
}

double round4(double v)
{
    return std::round(v * 1e4) / 1e4;
}

} // namespace

class TestYield : public QObject
{
    Q_OBJECT

private slots:
    // The published example: p̄ 0.2313, limits 0.4102 and 0.0524, samples 15 and 23 above the UCL;
    // as an np chart 11.57 within 2.62 and 20.51. By day, or in runs of 50 consecutive units.
    void orangeJuiceCans_data()
    {
        AddColumns<QString, bool, QList<double>>("group", "np", "centreUclLcl");
        QTest::newRow("p, by day") << "day" << false << QList<double>{0.2313, 0.4102, 0.0524};
        QTest::newRow("p, runs of 50") << "50" << false << QList<double>{0.2313, 0.4102, 0.0524};
        QTest::newRow("np, runs of 50") << "50" << true << QList<double>{11.5667, 20.512, 2.6214};
    }

    void orangeJuiceCans()
    {
        const auto [group, np, expected] = FetchRow<QString, bool, QList<double>>();
        AnalysisFixture f;
        f.useResults({"V"}, orangeJuice());
        f.state.gCustomDateFrom = QDate(2024, 2, 1);
        f.state.gCustomDateTo = QDate(2024, 3, 1);
        ChartControl control;
        YieldChart chart(control);
        const YieldResult result =
            PlotYield(f.context(), {np, false, *UnitGrouping::fromText(group), RuleSet::None}, chart);
        QCOMPARE(result.outcome, AnalysisOutcome::Drawn);
        const AttributeChart& c = result.chart;
        QCOMPARE(std::tuple(c.units, c.failed, c.points.size()), std::tuple(qint64(1500), qint64(347), size_t(30)));
        QCOMPARE(round4(c.centre), expected[0]);
        QCOMPARE(round4(c.points[7].ucl), expected[1]);
        QCOMPARE(round4(c.points[7].lcl), expected[2]);
        QList<qsizetype> signalling;
        for (qsizetype i = 0; i < result.marked.size(); ++i) {
            if (result.marked[i] != 0) {
                signalling.append(i + 1);
                QCOMPARE(result.marked[i], RuleMask(1)); // beyond a limit, nothing else
            }
        }
        QCOMPARE(signalling, (QList<qsizetype>{15, 23}));
        QCOMPARE(control.series(YieldChart::kDataSeries).flaggedPoints, (std::vector<qint64>{14, 22}));
        QVERIFY(!control.series(YieldChart::kDataSeries).flagsHighlighted); // judged by the limits alone
        QCOMPARE(result.listedRules, RuleSet::WesternElectric);
        QCOMPARE(result.listed[14] & 1, 1);
        QCOMPARE(result.panelText, QStringLiteral("1,500\r\n347\r\n76.867 %\r\n0.231\r\n30\r\n"));
    }

    // Subgroups of different sizes: each point has its own limits, drawn as steps between the
    // points; the np chart is refused.
    void variableSubgroupSizes()
    {
        AnalysisFixture f;
        QList<Test> tests;
        const QList<std::pair<int, int>> days{{4, 1}, {16, 2}, {9, 0}}; // units, failed
        for (int d = 0; d < days.size(); ++d) {
            for (int u = 0; u < days[d].first; ++u) {
                tests.append({QStringLiteral("U%1-%2").arg(d).arg(u), QStringLiteral("03-0%1").arg(d + 2), 8,
                              u >= days[d].second});
            }
        }
        f.useResults({"V"}, unitRecords(tests));
        ChartControl control;
        YieldChart chart(control);
        const YieldResult p = PlotYield(f.context(), {}, chart);
        const double pBar = 3.0 / 29;
        QCOMPARE(p.chart.pBar, pBar);
        for (int d = 0; d < days.size(); ++d) {
            const double ucl = pBar + 3 * std::sqrt(pBar * (1 - pBar) / days[d].first);
            QCOMPARE(p.chart.points[d].ucl, ucl);
            QCOMPARE(p.chart.points[d].lcl, 0.0);
            // The step of the UCL line spans the subgroup's own width.
            for (int end = 0; end < 2; ++end) {
                QCOMPARE(control.pointX(YieldChart::kUclSeries, 2 * d + end), d - 0.5 + end);
                QCOMPARE(control.pointY(YieldChart::kUclSeries, 2 * d + end), ucl);
            }
        }
        QCOMPARE(control.pointLabel(YieldChart::kUclLabelSeries, 0), "UCL=0.408");
        QCOMPARE(f.prompts.texts(), QStringList());
        const YieldResult np = PlotYield(f.context(), {true, false, {}, RuleSet::None}, chart);
        QVERIFY(np.npRefused);
        QCOMPARE(f.prompts.texts().size(), 1);
    }

    // ISO weeks: the days around a year end belong to the week of their Thursday.
    void weeksAcrossTheYearEnd_data()
    {
        AddColumns<QList<QDate>, QString>("days", "subgroups");
        QTest::newRow("53 weeks in 2020") << QList<QDate>{{2020, 12, 27}, {2020, 12, 28}, {2021, 1, 3}, {2021, 1, 4}}
                                          << "2020-W52 1, 2020-W53 2, 2021-W01 1";
        QTest::newRow("the last days of 2024 in 2025's first week")
            << QList<QDate>{{2024, 12, 29}, {2024, 12, 30}, {2025, 1, 1}, {2025, 1, 5}, {2025, 1, 6}}
            << "2024-W52 1, 2025-W01 3, 2025-W02 1";
    }

    void weeksAcrossTheYearEnd()
    {
        const auto [days, subgroups] = FetchRow<QList<QDate>, QString>();
        std::vector<CountedUnit> units;
        for (const QDate& day : days) {
            units.push_back({day.toJulianDay(), 0, false});
        }
        QStringList found;
        for (const AttributeSubgroup& s : GroupUnits(units, *UnitGrouping::fromText(QStringLiteral("week")))) {
            found.append(QStringLiteral("%1 %2").arg(s.label).arg(s.n));
        }
        QCOMPARE(found.join(QStringLiteral(", ")), subgroups);
    }

    // Serials keep their unit however many there are; texts compare as the engine compares them.
    void serialNumbers_data()
    {
        AddColumns<Qt::CaseSensitivity, QString, bool>("sensitivity", "again", "sameUnit");
        QTest::newRow("exact") << Qt::CaseSensitive << "SN01234" << true;
        QTest::newRow("case differs on SQLite") << Qt::CaseSensitive << "sn01234" << false;
        QTest::newRow("case differs on Jet") << Qt::CaseInsensitive << "sn01234" << true;
        QTest::newRow("no serial") << Qt::CaseInsensitive << "" << false;
    }

    void serialNumbers()
    {
        const auto [sensitivity, again, sameUnit] = FetchRow<Qt::CaseSensitivity, QString, bool>();
        SerialNumbers serials(sensitivity);
        QCOMPARE(serials.unitOf(u""), (std::pair<quint32, bool>{0, true}));
        for (quint32 i = 1; i <= 5000; ++i) { // past several growths of the table
            QCOMPARE(serials.unitOf(QStringLiteral("SN%1").arg(i, 5, 10, QLatin1Char('0'))),
                     (std::pair<quint32, bool>{i, true}));
        }
        for (quint32 i = 1; i <= 5000; i += 7) {
            QCOMPARE(serials.unitOf(QStringLiteral("SN%1").arg(i, 5, 10, QLatin1Char('0'))),
                     (std::pair<quint32, bool>{i, false}));
        }
        QCOMPARE(serials.unitOf(again), (std::pair<quint32, bool>{sameUnit ? 1234 : 5001, !sameUnit}));
        QCOMPARE(serials.count(), sameUnit ? 5001u : 5002u);
    }

    // The window reads the units once and offers the np chart only for subgroups of one size.
    void windowOffersNpForEqualSizes()
    {
        AnalysisFixture f;
        f.useResults({"V"}, orangeJuice());
        f.state.gCustomDateFrom = QDate(2024, 2, 1);
        f.state.gCustomDateTo = QDate(2024, 3, 3);
        QPrinter printer;
        frmYield window(f.context(), printer);
        auto* kinds = qobject_cast<QStandardItemModel*>(window.findChild<QComboBox*>("cboChartKind")->model());
        QVERIFY(kinds->item(1)->isEnabled()); // 30 days of 50
        auto* group = window.findChild<QComboBox*>("cboGroup");
        group->setCurrentIndex(2); // runs of 50 units
        emit group->activated(2);
        QCOMPARE(window.lastResult().chart.points.size(), size_t(30));
        window.findChild<QComboBox*>("cboChartKind")->setCurrentIndex(1);
        emit window.findChild<QComboBox*>("cboChartKind")->activated(1);
        QVERIFY(window.lastResult().chart.np);
        f.useResults({"V"}, unitRecords({{"A", "03-02"}, {"B", "03-02"}, {"C", "03-03"}}));
        frmYield uneven(f.context(), printer);
        auto* unevenKinds = qobject_cast<QStandardItemModel*>(uneven.findChild<QComboBox*>("cboChartKind")->model());
        QVERIFY(!unevenKinds->item(1)->isEnabled());
        QCOMPARE(uneven.findChild<QLabel*>("lblSPCParameter")->text().split("\r\n").at(2), "First-pass yield:");
        QCOMPARE(f.prompts.texts(), QStringList());
    }
};

class TestFailurePareto : public QObject
{
    Q_OBJECT

private slots:
    // A unit counts by its first test: in every parameter whose value lies outside its limits, or,
    // marked failed with every value inside, in the bar of its own.
    void countsUnitsByCause()
    {
        AnalysisFixture f;
        const QVariant null;
        f.useResults({"A", "B", "C"},
                     {
                         {"U1", "ATE-01", "2024-03-02 08:00:00", "FAIL", {12, -1, 100}}, // A and B
                         {"U1", "ATE-01", "2024-03-02 09:00:00", "PASS", {5, 5, 100}},   // a retest
                         {"U2", "ATE-01", "2024-03-02 08:10:00", "FAIL", {5, 5, 0}},     // within limits
                         {"U3", "ATE-02", "2024-03-02 08:20:00", "FAIL", {999, 11, 0}},  // B; 999 is no value
                         {"U4", "ATE-02", "2024-03-02 08:30:00", "PASS", {null, 5, 0}},
                         {"U5", "ATE-02", "2024-03-02 08:40:00", "PASS", {-999, 10, -5}}, // on the limit
                         {"U6", "ATE-01", "2024-03-02 08:50:00", "PASS", {10.5, 5, 0}},   // A, though passed
                     },
                     {"0,10,0,", "0,10,0,", ""});
        ChartControl control;
        FailureParetoChart chart(control);
        const FailureParetoResult result = PlotFailurePareto(f.context(), chart);
        QCOMPARE(result.outcome, AnalysisOutcome::Drawn);
        QCOMPARE(result.units, 6);
        QCOMPARE(result.failed, 3);
        QStringList bars;
        for (const ParetoBar& bar : result.bars) {
            bars.append(
                QStringLiteral("%1 %2 %3 %4").arg(bar.name).arg(bar.sum).arg(bar.percent).arg(bar.cumulativePercent));
        }
        QCOMPARE(bars, (QStringList{"A 2 40 40", "B 2 40 80", "Failed, all values within limits 1 20 100"}));
        QCOMPARE(control.pointLabel(FailureParetoChart::kCountSeries, 0), "2 (40.0 %)");
        QCOMPARE(control.pointLabel(FailureParetoChart::kDataSeries, 2), kFailedWithinLimits);
        QCOMPARE(result.panelText, "6\r\n3\r\n");
    }
};

TESSALY_TEST(TestYield)
TESSALY_TEST(TestFailurePareto)
#include "tst_yield.moc"
