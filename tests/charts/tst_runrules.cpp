#include "DataRow.h"
#include "RunRules.h"
#include "TestMain.h"

#include <QTest>
#include <limits>

Q_DECLARE_METATYPE(RuleSet)
Q_DECLARE_METATYPE(RuleLimits)

namespace {

// Centre 0 and limits +-3: one zone per unit, so sequences read in sigmas.
const RuleLimits kUnitSigma{0, 3, -3};
const double kMissing = std::numeric_limits<double>::quiet_NaN();

// The points that signal, numbered from 1, with their rules: "4:2 7:1,5".
QString MarksText(const QVector<RuleMask>& marks)
{
    QStringList points;
    for (qsizetype i = 0; i < marks.size(); ++i) {
        if (marks[i] != 0) {
            QStringList rules;
            for (const int rule : RulesOf(marks[i])) {
                rules.append(QString::number(rule));
            }
            points.append(QStringLiteral("%1:%2").arg(i + 1).arg(rules.join(',')));
        }
    }
    return points.join(' ');
}

} // namespace

class RunRulesTest : public QObject
{
    Q_OBJECT

private slots:
    // Rows marked "qcc" are the rule examples of the qcc R package's own tests
    // (tests/testthat/test-rules.R); qcc checks one rule at a time, these rows every rule of the set.
    void marksThePointsThatCompleteARule_data()
    {
        // rangeChart: a range or moving-range chart, judged by its limits alone
        AddColumns<RuleSet, QVector<double>, RuleLimits, QString, bool>("set", "values", "limits", "expected",
                                                                        "rangeChart");
        const RuleSet we = RuleSet::WesternElectric;
        const RuleSet nelson = RuleSet::Nelson;
        const RuleLimits wide{4, 34, -26}; // zones of 10: small integers stay within 1 sigma

        const auto row = [](const char* name, RuleSet set, const QVector<double>& values, const RuleLimits& limits,
                            const char* expected) {
            QTest::newRow(name) << set << values << limits << QString(expected) << false;
        };
        row("WE 1 (qcc)", we, {0, 3.2, -3.5, 2.9}, kUnitSigma, "2:1 3:1 4:2");
        row("WE 1: on a limit is not beyond", we, {0, 3, -3}, kUnitSigma, "");
        row("WE 2 (qcc)", we, {0, 2.5, 1.0, 2.6, 0}, kUnitSigma, "4:2");
        row("WE 2: other side", we, {0, 2.5, 1.0, -2.6, 0}, kUnitSigma, "");
        row("WE 2: on the boundary", we, {0, 2.5, 1.0, 2.0, 0}, kUnitSigma, "");
        row("WE 2: completing point inside", we, {0, 2.5, 2.5, 1.5}, kUnitSigma, "3:2");
        row("WE 3 (qcc)", we, {0, 1.2, 1.3, 0.2, 1.4, 1.5}, kUnitSigma, "6:3");
        row("WE 3: on the boundary", we, {0, 1.2, 1.3, 0.2, 1.0, 1.5}, kUnitSigma, "");
        row("WE 4 (qcc)", we, QVector<double>(8, -1) << 1, kUnitSigma, "8:4");
        row("WE 4: the centre ends the run", we, QVector<double>(7, -1) << 0 << -1, kUnitSigma, "");
        row("WE 4: a missing value ends the run", we, QVector<double>(4, 0.5) << kMissing << QVector<double>(4, 0.5),
            kUnitSigma, "");
        row("WE 4: every window of a longer run", we, QVector<double>(10, 0.5), kUnitSigma, "8:4 9:4 10:4");
        row("WE: one point, several rules (qcc)", we, QVector<double>(7, 2.5) << 3.2, kUnitSigma,
            "3:2 4:2 5:2,3 6:2,3 7:2,3 8:1,2,3,4");
        row("WE: lower zones from the lower limit", we, {7.5, 9, 7.5}, RuleLimits{10, 16, 7}, "3:2");
        row("WE: upper zones from the upper limit", we, {13, 9, 13}, RuleLimits{10, 16, 7}, "");

        row("Nelson 1 (qcc)", nelson, {0, 3.2, -3.4, 3}, kUnitSigma, "2:1 3:1 4:5");
        row("Nelson 2 (qcc)", nelson, QVector<double>(10, 0.5) << QVector<double>(10, -0.5), kUnitSigma,
            "9:2 10:2 15:7 16:7 17:7 18:7 19:2,7 20:2,7");
        row("Nelson 2: eight", nelson, QVector<double>(8, 0.5), kUnitSigma, "");
        row("Nelson 3 (qcc)", nelson, {1, 2, 3, 4, 5, 6, 7, 7, 6, 5, 4, 3, 2, 1}, wide, "6:3 7:3 13:3 14:3");
        row("Nelson 3: a level step", nelson, {1, 2, 3, 3, 4, 5, 6}, wide, "");
        row("Nelson 4 (qcc)", nelson, {1, 3, 2, 4, 3, 5, 4, 6, 5, 7, 6, 8, 7, 9, 8}, wide, "14:4 15:4,7");
        row("Nelson 4: a level step", nelson, {1, 3, 2, 4, 3, 5, 4, 6, 5, 7, 6, 8, 7, 7}, wide, "");
        row("Nelson 7 (qcc)", nelson, QVector<double>(16, 0.3) << 1.2, kUnitSigma,
            "9:2 10:2 11:2 12:2 13:2 14:2 15:2,7 16:2,7 17:2");
        row("Nelson 7: fifteenth on the boundary", nelson, QVector<double>(7, 0.3) << QVector<double>(7, -0.3) << 1.0,
            kUnitSigma, "");
        row("Nelson 8 (qcc)", nelson, {1.2, -1.3, 1.1, -1.4, 1.5, -1.2, 1.3, -1.1, 0.2}, kUnitSigma, "8:8");
        row("Nelson 8: one side only (qcc)", nelson, QVector<double>(8, 1.2), kUnitSigma, "5:6 6:6 7:6 8:6");
        row("Nelson 8: eighth on the boundary", nelson, {1.2, -1.3, 1.1, -1.4, 1.5, -1.2, 1.3, -1.0}, kUnitSigma, "");

        row("no rule set", RuleSet::None, {5}, kUnitSigma, "");
        row("empty series", nelson, {}, kUnitSigma, "");
        row("no upper limit", nelson, {5, -5}, RuleLimits{0, 0, -3}, "");
        row("no lower limit", nelson, {5, -5}, RuleLimits{0, 3, 3}, "");
        row("limit not finite", we, {5, -5}, RuleLimits{0, std::numeric_limits<double>::infinity(), -3}, "");

        const auto rangeRow = [](const char* name, const QVector<double>& values, double ucl, double lcl,
                                 const char* expected) {
            QTest::newRow(name) << RuleSet::None << values << RuleLimits{0, ucl, lcl} << QString(expected) << true;
        };
        rangeRow("range chart: a run near the limit", QVector<double>(8, 1.9) << 2.5 << 0.1, 2.0, 0.2, "9:1 10:1");
        rangeRow("range chart: on the limits, lcl 0", {2, 0, 1}, 2.0, 0.0, "");
        rangeRow("range chart: no limits", {5, -5}, 0.0, 0.0, "");
        rangeRow("range chart: limit not a number", {5, -5}, kMissing, 0.0, "");
    }

    void marksThePointsThatCompleteARule()
    {
        const auto [set, values, limits, expected, rangeChart] =
            FetchRow<RuleSet, QVector<double>, RuleLimits, QString, bool>();
        const QVector<RuleMask> marks =
            rangeChart ? FindLimitSignals(values, limits.ucl, limits.lcl) : FindSignals(set, values, limits);
        QCOMPARE(marks.size(), values.size());
        QCOMPARE(MarksText(marks), expected);
    }
};

TESSALY_TEST(RunRulesTest)
#include "tst_runrules.moc"
