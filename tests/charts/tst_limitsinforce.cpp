#include "ChartControl.h"
#include "ControlChartSignals.h"
#include "DataRow.h"
#include "LimitsInForce.h"
#include "PointTimes.h"
#include "TestMain.h"
#include "XBarChart.h"

#include <QTest>

namespace {

// A segment from firstPoint judged by the exact lines centre +- 3.
LimitSegment segment(qint64 firstPoint, double centre, const QString& stage = {})
{
    LimitSegment s;
    s.firstPoint = firstPoint;
    s.centre = centre;
    s.limits.exact = {centre, centre + 3, centre - 3, 2, 0};
    s.limits.cl = centre;
    if (!stage.isEmpty()) {
        s.stage = StageStart{"P", "X", QDateTime(QDate(2026, 11, 20), QTime(8, 0)), stage, {}, {}};
    }
    return s;
}

QList<qint64> signalling(const QVector<RuleMask>& marks, int rule)
{
    QList<qint64> points;
    for (qsizetype i = 0; i < marks.size(); ++i) {
        if (marks[i] & (1u << (rule - 1))) {
            points.append(i);
        }
    }
    return points;
}

} // namespace

class TestLimitsInForce : public QObject
{
    Q_OBJECT

private slots:
    // Each point is judged by the lines of its own segment, and no pattern runs across a start.
    void signalsPerSegment_data()
    {
        // starts and centres: one per segment, its lines centre +- 3
        AddColumns<QList<double>, QList<qint64>, QList<double>, QList<qint64>, QList<qint64>>(
            "values", "starts", "centres", "rule1", "rule4");
        const QList<double> eightAbove{1, 1, 1, 1, 1, 1, 1, 1};
        QTest::newRow("one segment: eight above")
            << eightAbove << QList<qint64>{0} << QList<double>{0} << QList<qint64>{} << QList<qint64>{7};
        QTest::newRow("a start splits the run")
            << eightAbove << QList<qint64>{0, 4} << QList<double>{0, 0} << QList<qint64>{} << QList<qint64>{};
        // 4 and 0 are beyond the lines of the segment they are in, 0 is not in the first.
        QTest::newRow("limits step at the start")
            << QList<double>{4, 0, 4, 0, 4} << QList<qint64>{0, 3} << QList<double>{0, 7.5} << QList<qint64>{0, 2, 3, 4}
            << QList<qint64>{};
    }

    void signalsPerSegment()
    {
        const auto [values, starts, centres, rule1, rule4] =
            FetchRow<QList<double>, QList<qint64>, QList<double>, QList<qint64>, QList<qint64>>();
        ChartControl control;
        XBarChart chart(control);
        for (const double v : values) {
            control.addPoint(XBarChart::kDataSeries, v);
            control.addPoint(XBarChart::kRangeSeries, 1);
        }
        LimitsInForce limits;
        for (qsizetype k = 0; k < starts.size(); ++k) {
            limits.segments.push_back(segment(starts[k], centres[k]));
        }
        const ControlChartSignals judged = JudgeControlChart(control, RuleSet::WesternElectric, limits);
        QCOMPARE(judged.upper.size(), values.size());
        QCOMPARE(signalling(judged.upper, 1), rule1);
        QCOMPARE(signalling(judged.upper, 4), rule4);
        QCOMPARE(signalling(judged.range, 1), QList<qint64>{});
    }

    void frozenSetJudgesAndMeasures()
    {
        PointTimes times;
        for (int day = 0; day < 4; ++day) { // 6:00 on 1 to 4 November: two in the baseline
            times.add(true, QDate(2026, 11, 1 + day).toJulianDay(), 6 * 3600);
        }
        LimitsRequest request;
        LimitSet& set = request.frozen.emplace();
        set.key.chart = LimitChartKind::Individual;
        std::tie(set.centre, set.ucl, set.lcl, set.rangeCentre, set.rangeUcl, set.sigma) =
            std::tuple(10.0, 13.0004, 6.9996, 1.128, 3.685, 1.0);
        set.baseline.first = QDateTime(QDate(2026, 11, 1), QTime(6, 0));
        set.baseline.last = QDateTime(QDate(2026, 11, 2), QTime(6, 0));
        set.baseline.points = 12;
        set.frozenAt = QDateTime(QDate(2026, 12, 1), QTime(9, 0));
        request.stages = {StageStart{"P", "X", QDateTime(QDate(2026, 11, 3), QTime(0, 0)), "s", {}, {}}};
        ProcessStatistics overall;
        overall.stdDev = 2;
        const LimitsInForce l =
            ResolveLimits(request, {}, overall, 11, times, 13, 7, InitControlChartConstants(), false, 2);
        QCOMPARE(l.source, LimitSource::Frozen);
        QCOMPARE(l.segments.size(), size_t(1));
        const ControlLimits& shown = l.current().limits;
        QCOMPARE((QList<double>{shown.exact.ucl, shown.ucl, shown.rBar}), (QList<double>{13.0004, 13.0, 1.128}));
        // Capability: the frozen sigma around the drawing's own centre.
        QCOMPARE((QList<double>{*shown.cpu, *shown.cpl, *shown.cpk}), (QList<double>{0.667, 1.333, 0.667}));
        QCOMPARE(l.baselinePoints, 2);
        QVERIFY(l.stagesIgnored);
        QCOMPARE(l.summary(), "Limits: frozen 2026-12-01 from 2026-11-01 to 2026-11-02, 12 values; stages not applied");
    }

    void stepsAndDividersOnTheChart()
    {
        ChartControl control;
        control.resize(800, 500);
        XBarChart chart(control);
        for (int i = 0; i < 10; ++i) {
            control.addPoint(XBarChart::kDataSeries, i < 6 ? 0 : 10);
            control.addPoint(XBarChart::kRangeSeries, 1);
        }
        LimitsInForce limits;
        limits.segments = {segment(0, 0), segment(6, 10, "Fixture B")};
        chart.DrawControlLimits({.limits = &limits}, 5, true);
        QCOMPARE(control.seriesCount(), XBarChart::kFirstControlLine + 12);
        const int secondCentre = XBarChart::kFirstControlLine + 6;
        QCOMPARE(control.pointX(XBarChart::kFirstControlLine, 1), 6.0); // the first stage's lines reach the step
        QCOMPARE(control.pointX(secondCentre, 0), 6.0);
        QCOMPARE(control.pointX(secondCentre, 1), 9.0);
        QCOMPARE(control.pointY(secondCentre, 0), 10.0);
        QCOMPARE(control.dividers().size(), size_t(1));

        // Drawn where its point is, on the page that shows it; captions meeting at one place stack.
        control.dividers().push_back({AxisId::Top, 6, "Second caption"});
        control.dividers().push_back({AxisId::Top, 2, "Elsewhere"});
        control.setMaxPointsPerPage(5);
        control.setCurrentPage(2);
        const ChartRenderer renderer;
        std::vector<DividerDrawing> drawn =
            renderer.dividers(control.model(), renderer.layout(control.model(), control.rect()));
        QCOMPARE(drawn.size(), size_t(2));
        QCOMPARE(drawn[0].x, control.pixelAtValue(AxisId::Top, 6));
        QCOMPARE(drawn[0].captionRect.left(), drawn[0].x + 3);
        QCOMPARE(drawn[1].captionRect.top(), drawn[0].captionRect.bottom());
        control.setCurrentPage(1);
        drawn = renderer.dividers(control.model(), renderer.layout(control.model(), control.rect()));
        QCOMPARE(drawn.size(), size_t(1));
        QCOMPARE(drawn[0].divider, size_t(2));

        chart.ResetChart("V", false, "P X");
        QVERIFY(control.dividers().empty());
    }

    void baselineDividerAfterItsLastPoint_data()
    {
        AddColumns<qint64, QList<double>>("baselinePoints", "dividers");
        QTest::newRow("new points follow") << qint64(3) << QList<double>{2};
        QTest::newRow("all in the baseline") << qint64(5) << QList<double>{};
        QTest::newRow("none in the baseline") << qint64(0) << QList<double>{};
    }

    void baselineDividerAfterItsLastPoint()
    {
        const auto [baselinePoints, dividers] = FetchRow<qint64, QList<double>>();
        ChartControl control;
        XBarChart chart(control);
        for (int i = 0; i < 5; ++i) {
            control.addPoint(XBarChart::kDataSeries, 0);
        }
        LimitsInForce limits;
        limits.source = LimitSource::Frozen;
        limits.segments = {segment(0, 0)};
        limits.baselinePoints = baselinePoints;
        chart.DrawControlLimits({.limits = &limits}, 5, true);
        QList<double> at;
        for (const ChartDivider& divider : control.dividers()) {
            at.append(divider.x);
            QCOMPARE(divider.caption, "End of baseline");
        }
        QCOMPARE(at, dividers);
    }
};

TESSALY_TEST(TestLimitsInForce)
#include "tst_limitsinforce.moc"
