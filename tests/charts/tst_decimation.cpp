#include "Decimation.h"
#include "TestMain.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <numeric>
#include <random>

namespace {

struct Series
{
    std::vector<double> x;
    std::vector<double> y;
};

// Noise around a slow wave, with one spike of 100 and (optionally) missing values.
Series MakeSeries(qint64 count, bool withGaps)
{
    Series s;
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 1);
    for (qint64 i = 0; i < count; ++i) {
        s.x.push_back(static_cast<double>(i));
        const double y = i == count / 2 ? 100 : 10 + 3 * std::sin(static_cast<double>(i) / 5000.0) + noise(random);
        s.y.push_back(withGaps && i % 97 == 5 ? std::numeric_limits<double>::quiet_NaN() : y);
    }
    return s;
}

std::vector<qint64> Every(qint64 count)
{
    std::vector<qint64> all(static_cast<size_t>(count));
    std::iota(all.begin(), all.end(), 0);
    return all;
}

// A 400 x 200 picture drawn for a set of indices.
using Drawing = std::function<void(QPainter&, const std::vector<qint64>&)>;
QImage Picture(const Drawing& draw, const std::vector<qint64>& indices)
{
    QImage image(400, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    draw(painter, indices);
    return image;
}

// Few of the inked pixels of the first picture differ in the second.
bool LooksTheSame(const QImage& full, const QImage& reduced, double tolerance)
{
    int inked = 0;
    int differing = 0;
    for (int y = 0; y < full.height(); ++y) {
        for (int x = 0; x < full.width(); ++x) {
            inked += full.pixel(x, y) != qRgb(255, 255, 255);
            differing += full.pixel(x, y) != reduced.pixel(x, y);
        }
    }
    return inked > 1000 && differing <= inked * tolerance;
}

} // namespace

class DecimationTest : public QObject
{
    Q_OBJECT

private slots:
    void keepsTheColumnExtremes_data()
    {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<double>("width");
        QTest::addColumn<bool>("gaps");
        QTest::newRow("a million over 1600 columns") << qint64(1'000'000) << 1600.0 << false;
        QTest::newRow("with missing values") << qint64(200'000) << 800.0 << true;
        QTest::newRow("few points stay all") << qint64(10) << 1600.0 << false;
        QTest::newRow("narrow plot") << qint64(1000) << 7.0 << false;
    }

    void keepsTheColumnExtremes()
    {
        QFETCH(qint64, count);
        QFETCH(double, width);
        QFETCH(bool, gaps);
        const Series s = MakeSeries(count, gaps);
        const AxisMapping xMap{{0, static_cast<double>(count - 1)}, 100, 100 + width};
        const std::vector<qint64> kept = DecimateByColumn(s.x.data(), s.y.data(), 0, count, xMap);
        QVERIFY(static_cast<double>(kept.size()) <= 4 * (width + 1));
        QVERIFY(std::is_sorted(kept.begin(), kept.end()));
        QVERIFY(std::adjacent_find(kept.begin(), kept.end()) == kept.end());

        // Per column: first, last, lowest and highest, of all points and of those kept.
        using Column = std::array<double, 4>;
        const auto columns = [&](const std::vector<qint64>& indices) {
            std::map<double, Column> result;
            for (const qint64 i : indices) {
                if (std::isnan(s.y[i])) {
                    continue;
                }
                const double column = std::floor(xMap.toPixel(s.x[i]));
                const auto [it, added] = result.try_emplace(column, Column{double(i), double(i), s.y[i], s.y[i]});
                Column& c = it->second;
                c = {c[0], double(i), std::min(c[2], s.y[i]), std::max(c[3], s.y[i])};
            }
            return result;
        };
        QCOMPARE(columns(kept), columns(Every(count)));
        QVERIFY(count < 1000 || std::find(kept.begin(), kept.end(), count / 2) != kept.end()); // the spike
    }

    void thinByCellKeepsTheFirstPointOfEachCell_data()
    {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<bool>("gaps");
        QTest::addColumn<bool>("shuffled");
        QTest::newRow("dense series") << qint64(200'000) << false << false;
        QTest::newRow("missing values") << qint64(50'000) << true << false;
        QTest::newRow("x not ascending") << qint64(50'000) << false << true;
    }

    void thinByCellKeepsTheFirstPointOfEachCell()
    {
        QFETCH(qint64, count);
        QFETCH(bool, gaps);
        QFETCH(bool, shuffled);
        Series s = MakeSeries(count, gaps);
        if (shuffled) {
            std::shuffle(s.x.begin(), s.x.end(), std::mt19937(3));
        }
        // The y range leaves the spike of 100 off the grid.
        const AxisMapping xMap{{0, static_cast<double>(count - 1)}, 20, 420};
        const AxisMapping yMap{{0, 20}, 220, 20};
        const double cell = 4;
        const std::vector<qint64> kept = ThinByCell(s.x.data(), s.y.data(), 0, count, xMap, yMap, cell);
        QVERIFY(std::is_sorted(kept.begin(), kept.end()));

        const auto cellOf = [&](qint64 i) {
            return std::make_pair(std::floor((xMap.toPixel(s.x[i]) - 20) / cell),
                                  std::floor((yMap.toPixel(s.y[i]) - 20) / cell));
        };
        std::map<std::pair<double, double>, qint64> firstInCell;
        for (qint64 i = 0; i < count; ++i) {
            if (!std::isnan(s.y[i]) && yMap.range.contains(s.y[i])) {
                firstInCell.emplace(cellOf(i), i);
            }
        }
        QCOMPARE(kept.size(), firstInCell.size());
        for (const qint64 i : kept) {
            QCOMPARE(firstInCell.at(cellOf(i)), i);
        }
    }

    // Diamonds at the thinned points and the column extremes cover what diamonds at every point
    // cover, with a third of the pointers or fewer.
    void pointersCoverTheSameArea()
    {
        const qint64 count = 50'000;
        const Series s = MakeSeries(count, false);
        const AxisMapping xMap{{0, static_cast<double>(count - 1)}, 0, 399};
        const AxisMapping yMap{{0, 20}, 199, 0};
        const double r = 4;
        const Drawing diamonds = [&](QPainter& painter, const std::vector<qint64>& indices) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(Qt::black);
            for (const qint64 i : indices) {
                const QPointF c(xMap.toPixel(s.x[i]), yMap.toPixel(s.y[i]));
                const QPointF corners[4] = {
                    {c.x(), c.y() - r}, {c.x() + r, c.y()}, {c.x(), c.y() + r}, {c.x() - r, c.y()}};
                painter.drawPolygon(corners, 4);
            }
        };
        std::vector<qint64> thinned = ThinByCell(s.x.data(), s.y.data(), 0, count, xMap, yMap, r);
        const std::vector<qint64> extremes = DecimateByColumn(s.x.data(), s.y.data(), 0, count, xMap);
        thinned.insert(thinned.end(), extremes.begin(), extremes.end());
        QVERIFY(thinned.size() < static_cast<size_t>(count) / 3);
        QVERIFY(LooksTheSame(Picture(diamonds, Every(count)), Picture(diamonds, thinned), 0.01));
    }
};

TESSALY_TEST(DecimationTest)
#include "tst_decimation.moc"
