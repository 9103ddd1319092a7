#include "Decimation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

qint64 XValues::lowerBound(qint64 first, qint64 last, double value) const
{
    if (values) {
        return std::lower_bound(values + first, values + last, value) - values;
    }
    // Indices: the first whole number not below value.
    if (!(value > static_cast<double>(first))) {
        return first;
    }
    return value >= static_cast<double>(last) ? last : std::min(last, static_cast<qint64>(std::ceil(value)));
}

std::vector<qint64> DecimateByColumn(XValues x, const double* y, qint64 first, qint64 last, const AxisMapping& xMap)
{
    std::vector<qint64> kept;
    const auto columnOf = [&](qint64 i) { return std::floor(xMap.toPixel(x[i])); };
    qint64 begin = first;
    while (begin < last) {
        // The column's points are contiguous: bisect for its end, then settle the points the
        // bisection and the pixel rounding disagree on, so that both use toPixel.
        const double column = columnOf(begin);
        qint64 end = x.lowerBound(begin, last, xMap.toValue(column + 1));
        end = std::max(end, begin + 1);
        while (end < last && columnOf(end) <= column) {
            ++end;
        }
        while (end > begin + 1 && columnOf(end - 1) > column) {
            --end;
        }

        // Lowest and highest (their first occurrence), first and last; NaN is never lower or
        // higher than anything, so only the ends need to skip it.
        qint64 low = -1;
        qint64 high = -1;
        double lowValue = std::numeric_limits<double>::infinity();
        double highValue = -std::numeric_limits<double>::infinity();
        for (qint64 i = begin; i < end; ++i) {
            const double value = y[i];
            if (value < lowValue) {
                lowValue = value;
                low = i;
            }
            if (value > highValue) {
                highValue = value;
                high = i;
            }
        }
        qint64 head = begin;
        while (head < end && std::isnan(y[head])) {
            ++head;
        }
        qint64 tail = end - 1;
        while (tail >= head && std::isnan(y[tail])) {
            --tail;
        }
        if (head < end) {
            // A column of equal infinities has no strict lowest: its ends stand for it.
            std::array<qint64, 4> four{head, low < 0 ? head : low, high < 0 ? head : high, tail};
            std::sort(four.begin(), four.end());
            for (size_t i = 0; i < four.size(); ++i) {
                if (i == 0 || four[i] != four[i - 1]) {
                    kept.push_back(four[i]);
                }
            }
        }
        begin = end;
    }
    return kept;
}

std::vector<qint64> ThinByCell(XValues x, const double* y, qint64 first, qint64 last, const AxisMapping& xMap,
                               const AxisMapping& yMap, double cellSize)
{
    std::vector<qint64> kept;
    const double size = std::max(cellSize, 1.0);
    // The grid spans the pixel extent of both ranges; a cell is found from pixel offsets.
    const double left = std::min(xMap.pixelAtMin, xMap.pixelAtMax);
    const double top = std::min(yMap.pixelAtMin, yMap.pixelAtMax);
    const auto columns = static_cast<qint64>(std::abs(xMap.pixelAtMax - xMap.pixelAtMin) / size) + 1;
    const auto rows = static_cast<qint64>(std::abs(yMap.pixelAtMax - yMap.pixelAtMin) / size) + 1;
    std::vector<unsigned char> taken(static_cast<size_t>(columns * rows), 0);
    // Cell coordinates as a + b * value, hoisted out of the loop.
    const double bx = xMap.scale() / size;
    const double ax = (xMap.pixelAtMin - left) / size - xMap.range.min * bx;
    const double by = yMap.scale() / size;
    const double ay = (yMap.pixelAtMin - top) / size - yMap.range.min * by;
    const auto maxColumn = static_cast<double>(columns);
    const auto maxRow = static_cast<double>(rows);
    for (qint64 i = first; i < last; ++i) {
        const double cx = ax + bx * x[i];
        const double cy = ay + by * y[i];
        // NaN fails these comparisons and is left out with the points off the grid. Inside, the
        // coordinates are not negative, so truncation is the floor (and much cheaper).
        if (!(cx >= 0 && cx < maxColumn && cy >= 0 && cy < maxRow)) {
            continue;
        }
        const auto cell = static_cast<size_t>(static_cast<qint64>(cy) * columns + static_cast<qint64>(cx));
        if (!taken[cell]) {
            taken[cell] = 1;
            kept.push_back(i);
        }
    }
    return kept;
}
