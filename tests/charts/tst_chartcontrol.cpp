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

// Whether a pixel is (nearly) of a pure colour: the core of a line, not its blended edge.
std::function<bool(QRgb)> Is(QColor colour)
{
    return [colour](QRgb c) {
        return std::abs(qRed(c) - colour.red()) < 56 && std::abs(qGreen(c) - colour.green()) < 90 &&
               std::abs(qBlue(c) - colour.blue()) < 56;
    };
}
const auto IsRed = Is(Qt::red);
const auto IsBlue = Is(Qt::blue);
const auto IsMagenta = Is(Qt::magenta);

// Whether a pixel passing test lies in column x, within two pixels of row y (or, with y < 0, in
// the rows of the panel).
template <typename Test> bool ColumnHas(const QImage& image, int x, const QRectF& panel, int y, Test test)
{
    const int top = y < 0 ? static_cast<int>(panel.top()) : y - 2;
    const int bottom = y < 0 ? static_cast<int>(panel.bottom()) : y + 2;
    for (int row = top; row <= bottom; ++row) {
        if (test(image.pixel(x, row))) {
            return true;
        }
    }
    return false;
}

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
    // Point labels break into lines at CR LF, CR or LF.
    void labelLines_data()
    {
        AddColumns<QString, QStringList>("label", "lines");
        QTest::newRow("CR LF") << "SN1\r\n03/07" << QStringList{"SN1", "03/07"};
        QTest::newRow("CR alone, LF alone") << "Vout\r(12)\nV" << QStringList{"Vout", "(12)", "V"};
        QTest::newRow("one line") << "CL" << QStringList{"CL"};
    }

    void labelLines()
    {
        const auto [label, lines] = FetchRow<QString, QStringList>();
        QCOMPARE(LabelLines(label), lines);
    }

    // A page spans the plot width from its first x to its first x + perPage - 1, the last page
    // too (it keeps the scale of full pages). The red data line ends at the page's last point;
    // the centre line runs from x = 0 to count - 1, cut at the plot's edges. The panels split at
    // 74 % of the plot and each series stays in its own.
    void pageSpansThePlotWidth_data()
    {
        AddColumns<int, int, int, double, double, int>("count", "perPage", "page", "firstX", "lastX", "lastPoint");
        QTest::newRow("short last page") << 200 << 80 << 3 << 160.0 << 239.0 << 199;
        QTest::newRow("paging off") << 50 << 0 << 1 << 0.0 << 49.0 << 49;
    }

    void pageSpansThePlotWidth()
    {
        const auto [count, perPage, page, firstX, lastX, lastPoint] = FetchRow<int, int, int, double, double, int>();
        ChartControl chart;
        SetUpControlChart(chart, count, perPage);
        chart.series(kData).look.pointerStyle = PointerStyle::None;
        chart.setCurrentPage(page);
        const QRectF plot = chart.plotRect();
        QCOMPARE(chart.pixelAtValue(AxisId::Top, firstX), plot.left());
        QCOMPARE(chart.pixelAtValue(AxisId::Top, lastX), plot.right());
        QCOMPARE(chart.pixelAtValue(AxisId::Bottom, lastX), plot.right());

        const double split = plot.top() + 0.74 * plot.height();
        const QImage image = chart.renderImage(kSize);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = static_cast<int>(plot.left()); x < plot.right(); ++x) {
                QVERIFY(!IsRed(image.pixel(x, y)) || y <= split);
                QVERIFY(!IsBlue(image.pixel(x, y)) || y >= split - 1);
            }
        }
        const QRectF upper = chart.axisPanel(AxisId::Left);
        const int end = static_cast<int>(std::lround(chart.pixelAtValue(AxisId::Top, lastPoint)));
        QVERIFY(ColumnHas(image, end - 2, upper, -1, IsRed));
        QVERIFY(end + 3 >= plot.right() || !ColumnHas(image, end + 3, upper, -1, IsRed));
        const int y = static_cast<int>(std::lround(chart.pixelAtValue(AxisId::Left, 10)));
        const int lineEnd = static_cast<int>(std::min(chart.pixelAtValue(AxisId::Top, count - 1), plot.right()));
        QVERIFY(ColumnHas(image, lineEnd - 2, upper, y, IsMagenta));
        QVERIFY(!ColumnHas(image, static_cast<int>(plot.left()) - 3, upper, y, IsMagenta));
    }

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

    // point -1: halfway between points 5 and 6 near the top of the panel, where nothing is.
    void clickOnAPoint_data()
    {
        AddColumns<int, int, qint64, Qt::MouseButton, Qt::KeyboardModifiers>("page", "series", "point", "button",
                                                                             "modifiers");
        const Qt::KeyboardModifiers none;
        QTest::newRow("data point, left button") << 1 << kData << qint64(5) << Qt::LeftButton << none;
        QTest::newRow("range point, right button, shift")
            << 1 << kRange << qint64(10) << Qt::RightButton << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("last point of the page") << 1 << kData << qint64(79) << Qt::LeftButton << none;
        QTest::newRow("second page") << 2 << kData << qint64(85) << Qt::LeftButton << none;
        QTest::newRow("between points") << 1 << kData << qint64(-1) << Qt::LeftButton << none;
    }

    void clickOnAPoint()
    {
        const auto [page, series, point, button, modifiers] =
            FetchRow<int, int, qint64, Qt::MouseButton, Qt::KeyboardModifiers>();
        ChartControl chart;
        SetUpControlChart(chart, 200, 80);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        chart.setCurrentPage(page);
        QSignalSpy clicks(&chart, &ChartControl::seriesClicked);
        const QPoint between((PointPixel(chart, kData, 5).x() + PointPixel(chart, kData, 6).x()) / 2,
                             static_cast<int>(chart.axisPanel(AxisId::Left).top()) + 2);
        const QPoint at = point < 0 ? between : PointPixel(chart, series, point) + QPoint(1, 1);
        QTest::mouseClick(&chart, button, modifiers, at);
        QCOMPARE(clicks.count(), point < 0 ? 0 : 1);
        if (point >= 0) {
            const QList<QVariant> args = clicks.takeFirst();
            QCOMPARE(args[0].toInt(), series);
            QCOMPARE(args[1].toLongLong(), point);
            QCOMPARE(args[2].value<Qt::MouseButton>(), button);
            QCOMPARE(args[3].value<Qt::KeyboardModifiers>(), modifiers);
            QCOMPARE(QPoint(args[4].toInt(), args[5].toInt()), at);
        }
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
