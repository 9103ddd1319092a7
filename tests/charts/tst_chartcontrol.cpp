#include "ChartControl.h"
#include "DataRow.h"
#include "LabelPlacement.h"
#include "TestMain.h"

#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <functional>

namespace {

constexpr int kData = 0;
constexpr int kRange = 1;
constexpr int kLine = 2;
const QSize kSize(800, 600);

// A control chart in miniature: data on the top and left axes (red, green diamonds), the range chart on the bottom axis
// and Custom0 (blue), and a magenta centre line at 10 from x = 0 to x = count - 1. The left axis ends at 74 % of the
// plot, where Custom0 starts. Lines are 2 px wide: a thin slanted line has no pixel of full colour.
void SetUpControlChart(ChartControl& chart, int count, int perPage)
{
    chart.resize(kSize);
    for (int i = 0; i < 3; ++i) {
        chart.addLineSeries();
        chart.series(i).look.lineWidth = 2;
    }
    chart.axis(AxisId::Left).endPercent = 74;
    chart.axis(AxisId::Custom0).startPercent = 74;
    ChartSeries& data = chart.series(kData);
    data.horizontalAxis = AxisId::Top;
    data.look.pointerStyle = PointerStyle::Diamond;
    data.look.handCursor = true;
    chart.series(kRange).verticalAxis = AxisId::Custom0;
    chart.series(kRange).look.lineColor = Qt::blue;
    chart.series(kLine).horizontalAxis = AxisId::Top;
    chart.series(kLine).look.lineColor = Qt::magenta;

    for (int i = 0; i < count; ++i) {
        const QString label = QStringLiteral("SN%1\r\n03/07").arg(i, 4, 10, QLatin1Char('0'));
        chart.addPoint(kData, 10 + 2 * std::sin(i * 0.7), label);
        chart.addPoint(kRange, 1 + std::abs(std::cos(i * 0.3)), label);
    }
    chart.addPointXY(kLine, 0, 10, "CL");
    chart.addPointXY(kLine, count - 1, 10, "CL=10.0");
    chart.setMaxPointsPerPage(perPage);
}

QPoint PointPixel(const ChartControl& chart, int series, qint64 point)
{
    const ChartSeries& s = chart.series(series);
    return QPointF(chart.pixelAtValue(s.horizontalAxis, s.points.x(point)),
                   chart.pixelAtValue(s.verticalAxis, s.points.y(point)))
        .toPoint();
}

} // namespace

class ChartControlTest : public QObject
{
    Q_OBJECT

private slots:
    // A control chart's series shows pointers while a page holds at most one point per three
    // pixels of plot width, the line alone when denser; flagged points keep theirs at any density.
    void denseLinesKeepFlaggedPointers_data()
    {
        AddColumns<int, int, int, bool, QList<qint64>>("count", "perPage", "page", "pointers", "flagged");
        QTest::newRow("sparse page") << 200 << 80 << 1 << true << QList<qint64>{5, 70};
        QTest::newRow("sparse, second page") << 200 << 80 << 2 << true << QList<qint64>{150};
        QTest::newRow("a page of 300") << 1000 << 300 << 1 << false << QList<qint64>{5, 70, 150};
        QTest::newRow("dense, paging off") << 1000 << 0 << 1 << false << QList<qint64>{5, 70, 150, 999};
        QTest::newRow("decimated") << 100000 << 0 << 1 << false << QList<qint64>{5, 70, 150, 999, 99999};
    }

    void denseLinesKeepFlaggedPointers()
    {
        const auto [count, perPage, page, pointers, flagged] = FetchRow<int, int, int, bool, QList<qint64>>();
        ChartControl chart;
        SetUpControlChart(chart, count, perPage);
        chart.setCurrentPage(page);
        ChartSeries& data = chart.series(kData);
        data.look.sparsePointerPixels = 3;
        data.flaggedPoints = {5, 70, 150, 999, 99999};
        std::erase_if(data.flaggedPoints, [count](qint64 i) { return i >= count; });
        const SeriesDrawing drawing = ChartRenderer().plan(chart.model(), QRectF(QPointF(), kSize)).series[kData];
        QCOMPARE(!drawing.pointers.empty(), pointers);
        QCOMPARE(QList<qint64>(drawing.flagged.begin(), drawing.flagged.end()), flagged);
        QCOMPARE(drawing.envelope.spans.isEmpty(), count < 4 * kSize.width());
    }

    // Dragging zooms and dragging back undoes it; hovering over a point shows a hand.
    void dragZoomsAndHoverShowsAHand()
    {
        ChartControl chart;
        SetUpControlChart(chart, 200, 80);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        QTest::mouseMove(&chart, PointPixel(chart, kData, 20));
        QCOMPARE(chart.cursor().shape(), Qt::PointingHandCursor);

        QSignalSpy zooms(&chart, &ChartControl::zoomed);
        const QRectF plot = chart.plotRect();
        const int y = static_cast<int>(chart.axisPanel(AxisId::Left).top()) + 3;
        const QPoint from(static_cast<int>(plot.left() + plot.width() / 4), y);
        const QPoint to(static_cast<int>(plot.left() + plot.width() / 2), y);
        const AxisRange dragged{chart.valueAtPixel(AxisId::Top, from.x()), chart.valueAtPixel(AxisId::Top, to.x())};
        const auto drag = [&](QPoint start, QPoint end) {
            QTest::mousePress(&chart, Qt::LeftButton, {}, start);
            QTest::mouseMove(&chart, end);
            QTest::mouseRelease(&chart, Qt::LeftButton, {}, end);
        };

        drag(from, to);
        QVERIFY(chart.isZoomed());
        QCOMPARE(zooms.count(), 1);
        QVERIFY(std::abs(chart.axisRange(AxisId::Top).min - dragged.min) < 1e-9);
        QVERIFY(std::abs(chart.axisRange(AxisId::Top).max - dragged.max) < 1e-9);
        drag(to, from);
        QVERIFY(!chart.isZoomed());
        QCOMPARE(zooms.count(), 2);
        QCOMPARE(chart.axisRange(AxisId::Top), (AxisRange{0, 79}));

        // On a point, a press and release a few pixels apart is a click; a longer drag zooms.
        QSignalSpy clicks(&chart, &ChartControl::seriesClicked);
        const QPoint onPoint = PointPixel(chart, kData, 10);
        drag(onPoint, onPoint + QPoint(3, 1));
        QCOMPARE(clicks.count(), 1);
        QVERIFY(!chart.isZoomed());
        drag(onPoint, onPoint + QPoint(100, 0));
        QCOMPARE(clicks.count(), 1);
        QVERIFY(chart.isZoomed());
    }

    // Labels beside their points: one 40 x 10 at (100, 100), 2 pixels off its point, has its top at
    // 88 above and 102 below it, half a box further at 83 and 107, a box further at 78 and 112.
    void sideThatCoversLeast_data()
    {
        AddColumns<QList<QPointF>, QList<QPolygonF>, double>("points", "lines", "top");
        const auto row = [](const char* name, const QList<QPointF>& points, const QList<QPolygonF>& lines,
                            double top) { QTest::newRow(name) << points << lines << top; };
        row("nothing near: above", {}, {}, 88);
        row("a point above: below", {{100, 93}}, {}, 102);
        row("a segment across the box above, its ends outside it: below", {}, {{{70, 92}, {130, 94}}}, 102);
        row("a steep segment through the box above", {}, {{{95, 60}, {105, 99}}}, 102);
        row("lines through both sides: half a box further up", {}, {{{60, 95}, {140, 95}}, {{60, 105}, {140, 105}}},
            83);
        QList<QPolygonF> everywhere;
        for (const double y : {80, 85, 89, 92, 95, 104, 107, 110, 115, 118}) {
            everywhere.append(QPolygonF{{60, y}, {140, y}});
        }
        row("lines everywhere, further off only a little better: beside its point", {}, everywhere, 88);
        row("a line beside the box, parallel to its side: above", {}, {{{75, 80}, {75, 120}}}, 88);
        row("a segment ending short of the box: above", {}, {{{60, 90}, {79, 90}}}, 88);
        row("a segment passing the box's corner: above", {}, {{{70, 85}, {85, 70}}}, 88);
    }

    void sideThatCoversLeast()
    {
        const auto [points, lines] = FetchRow<QList<QPointF>, QList<QPolygonF>>();
        const LabelRequest request{{100, 100}, {40, 10}, 2, {0, 0, 200, 200}};
        const std::vector<QRectF> boxes =
            PlaceLabels({request}, {points.cbegin(), points.cend()}, {lines.cbegin(), lines.cend()});
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].left(), 80.0);
        QTEST(boxes[0].top(), "top");
    }
};

TESSALY_TEST(ChartControlTest)
#include "tst_chartcontrol.moc"
