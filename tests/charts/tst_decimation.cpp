#include "DataRow.h"
#include "Decimation.h"
#include "TestMain.h"

#include <QTest>
#include <algorithm>
#include <cmath>
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

} // namespace

class DecimationTest : public QObject
{
    Q_OBJECT

private slots:
    void keepsTheColumnExtremes_data()
    {
        AddColumns<qint64, double, bool>("count", "width", "gaps");
        QTest::newRow("a million over 1600 columns") << qint64(1'000'000) << 1600.0 << false;
        QTest::newRow("with missing values") << qint64(200'000) << 800.0 << true;
        QTest::newRow("few points stay all") << qint64(10) << 1600.0 << false;
        QTest::newRow("narrow plot") << qint64(1000) << 7.0 << false;
    }

    void keepsTheColumnExtremes()
    {
        const auto [count, width, gaps] = FetchRow<qint64, double, bool>();
        const Series s = MakeSeries(count, gaps);
        const AxisMapping xMap{{0, static_cast<double>(count - 1)}, 100, 100 + width};
        const std::vector<qint64> kept = DecimateByColumn(s.x.data(), s.y.data(), 0, count, xMap);
        // x given as the points' indices, without an array, is the same series.
        QCOMPARE(DecimateByColumn(nullptr, s.y.data(), 0, count, xMap), kept);
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
        std::vector<qint64> every(static_cast<size_t>(count));
        std::iota(every.begin(), every.end(), 0);
        QCOMPARE(columns(kept), columns(every));
        QVERIFY(count < 1000 || std::find(kept.begin(), kept.end(), count / 2) != kept.end()); // the spike
    }

    void thinByCellKeepsTheFirstPointOfEachCell_data()
    {
        AddColumns<qint64, bool, bool>("count", "gaps", "shuffled");
        QTest::newRow("dense series") << qint64(200'000) << false << false;
        QTest::newRow("missing values") << qint64(50'000) << true << false;
        QTest::newRow("x not ascending") << qint64(50'000) << false << true;
    }

    void thinByCellKeepsTheFirstPointOfEachCell()
    {
        const auto [count, gaps, shuffled] = FetchRow<qint64, bool, bool>();
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
};

TESSALY_TEST(DecimationTest)
#include "tst_decimation.moc"
