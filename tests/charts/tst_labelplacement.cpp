#include "DataRow.h"
#include "LabelPlacement.h"
#include "TestMain.h"

#include <QTest>

// One label 40 x 10 at (100, 100), 2 pixels off its point: beside it the box's top is 88 above
// and 102 below, half a box further 83 and 107, a box further 78 and 112.
class TestLabelPlacement : public QObject
{
    Q_OBJECT

private slots:
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

TESSALY_TEST(TestLabelPlacement)
#include "tst_labelplacement.moc"
