#include "HistogramMath.h"

#include "EventPump.h"
#include "Formats.h"

#include <algorithm>
#include <cmath>

namespace {

void offerPump(ThrottledPump* pump, size_t i)
{
    if (pump && i % size_t(kPumpBlock) == 0) {
        pump->maybePump();
    }
}

// Whether a quotient's divisor is usable; the statistics become a division-by-zero failure
// otherwise.
bool divisible(double divisor, HistogramStatistics& s)
{
    if (divisor == 0) {
        s.error = kDivisionByZero;
    }
    return divisor != 0;
}

void computeIndices(HistogramStatistics& s, double usl, double lsl)
{
    const bool hasUsl = !IsAbsentLimit(usl);
    const bool hasLsl = !IsAbsentLimit(lsl);
    if (hasUsl) {
        s.ppu = Round3((usl - s.mean) / (3 * s.sd));
        s.zu = Round3((usl - s.mean) / s.sd);
    }
    if (hasLsl) {
        s.ppl = Round3((s.mean - lsl) / (3 * s.sd));
        s.zl = Round3((s.mean - lsl) / s.sd);
    }
    if (hasUsl && hasLsl) {
        s.ppk = *s.ppl >= *s.ppu ? s.ppu : s.ppl;
        s.pp = Round3((usl - lsl) / (6 * s.sd));
        if (!divisible(usl - lsl, s)) {
            return;
        }
        s.pr = Round3(6 * s.sd / (usl - lsl));
    } else {
        s.ppk = hasUsl ? s.ppu : s.ppl;
    }
}

} // namespace

HistogramStatistics HistogramStatisticsOf(const std::vector<double>& values, double usl, double lsl,
                                          ThrottledPump* pump)
{
    HistogramStatistics s;
    for (size_t i = 0; i < values.size(); ++i) {
        offerPump(pump, i);
        const double v = values[i];
        s.sum += v;
        s.sumSq += v * v;
        if (i == 0 || v < s.min) {
            s.min = v;
        }
        if (i == 0 || v > s.max) {
            s.max = v;
        }
    }
    s.n = static_cast<qint64>(values.size());
    const double n = static_cast<double>(s.n);
    if (!divisible(n, s) || !divisible((n - 1) * n, s)) {
        return s;
    }
    s.mean = s.sum / n;
    // Rounding can leave the numerator of equal values a hair below zero, whose square root is
    // an invalid argument.
    const double numerator = n * s.sumSq - s.sum * s.sum;
    if (numerator < 0) {
        s.error = kInvalidProcedureCall;
        return s;
    }
    s.sd = std::sqrt(numerator / ((n - 1) * n));
    if (!std::isfinite(s.mean) || !std::isfinite(s.sd)) {
        s.error = QStringLiteral("Overflow");
        return s;
    }
    if (s.isDegenerate()) {
        return s;
    }
    s.m3sd = s.mean - 3 * s.sd;
    s.p3sd = s.mean + 3 * s.sd;

    double s3 = 0;
    double s4 = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        offerPump(pump, i);
        const double z = (values[i] - s.mean) / s.sd;
        const double z2 = z * z;
        s3 += z2 * z;
        s4 += z2 * z2;
    }
    if (!divisible((n - 1) * (n - 2), s)) {
        return s;
    }
    s.skewness = Round3(n / ((n - 1) * (n - 2)) * s3);
    if (!divisible((n - 2) * (n - 3), s)) {
        return s;
    }
    s.kurtosis = Round3((n + 1) * n / ((n - 1) * (n - 2) * (n - 3)) * s4 - 3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3)));
    computeIndices(s, usl, lsl);
    return s;
}

HistogramCells FillHistogramCells(double min, double max, double mean, const std::vector<double>& values, int cells,
                                  ThrottledPump* pump)
{
    HistogramCells result;
    const double w = (max - min) / cells;
    result.width = w;
    const size_t count = static_cast<size_t>(std::max(cells, 0));

    // The edges exactly as the cell test computes them: cell j (0-based) is [lo[j], hi[j]). With
    // W >= 0 both sequences never decrease, so the cells holding a value v form one run: from
    // the first cell whose upper edge lies above v to the last whose lower edge is not above v.
    std::vector<double> lo(count);
    std::vector<double> hi(count);
    for (size_t j = 0; j < count; ++j) {
        lo[j] = min + w * static_cast<double>(j);
        hi[j] = lo[j] + w;
    }
    // Counts by difference: +1 where a value's run starts, -1 after it ends.
    std::vector<qint64> steps(count + 1, 0);
    qint64 onLastUpperEdge = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        offerPump(pump, i);
        const double v = values[i];
        // Almost always the cell (v - Min) / W names is the only one; the edges confirm it,
        // else bisection finds the run.
        const double q = (v - min) / w;
        size_t runEnd = 0;   // cells [0, runEnd) have lo <= v
        size_t runBegin = 0; // cells [runBegin, count) have v < hi
        const size_t c = q >= 0 && q < static_cast<double>(count) ? static_cast<size_t>(q) : count;
        if (c < count && lo[c] <= v && (c + 1 == count || lo[c + 1] > v) && hi[c] > v && (c == 0 || hi[c - 1] <= v)) {
            runBegin = c;
            runEnd = c + 1;
        } else {
            runEnd = static_cast<size_t>(std::upper_bound(lo.begin(), lo.end(), v) - lo.begin());
            runBegin = static_cast<size_t>(std::upper_bound(hi.begin(), hi.end(), v) - hi.begin());
        }
        if (runBegin < runEnd) {
            ++steps[runBegin];
            --steps[runEnd];
        }
        // The last cell also holds its upper edge.
        if (count > 0 && v == hi[count - 1]) {
            ++onLastUpperEdge;
        }
    }

    result.cells.resize(count);
    qint64 running = 0;
    for (size_t j = 0; j < count; ++j) {
        running += steps[j];
        HistogramCell& cell = result.cells[j];
        cell.lower = lo[j];
        cell.count = running + (j + 1 == count ? onLastUpperEdge : 0);
        result.maxCount = std::max(result.maxCount, cell.count);
        if (lo[j] <= mean && mean < hi[j]) {
            result.meanCellCount += cell.count;
        }
    }
    return result;
}

std::optional<double> NormalDistribution(double x, double mean, double sd)
{
    constexpr double kTwoPi = 6.28318530717958;
    const double variance = sd * sd;
    if (variance == 0) {
        return std::nullopt;
    }
    return std::exp(-(x - mean) * (x - mean) / (2 * variance)) * 1 / std::sqrt(kTwoPi * variance);
}

QStringList HistogramPanelCaptions()
{
    return {QStringLiteral("Distribution:"), QStringLiteral("Total:"),
            QStringLiteral("Cell Width:"),   QStringLiteral("Std Dev:"),
            QStringLiteral("Range:"),        QStringLiteral("Skewness:"),
            QStringLiteral("Kurtosis:"),     QString(),
            QStringLiteral("PP:"),           QStringLiteral("PR"),
            QStringLiteral("PpK"),           QStringLiteral("PpU:"),
            QStringLiteral("PpL:"),          QStringLiteral("Zu (Perf):"),
            QStringLiteral("Zl (Perf):")};
}

QStringList HistogramPanelLines(const HistogramStatistics& s, double cellWidth)
{
    return {QStringLiteral("Normal"),
            FormatNumber(static_cast<double>(s.n), QStringLiteral("#,###")),
            FormatNumber(Round3(cellWidth), kValueFormat),
            FormatNumber(s.sd, kValueFormat),
            FormatNumber(Round3(s.max - s.min), kValueFormat),
            FormatNumber(s.skewness, kValueFormat),
            FormatNumber(s.kurtosis, kValueFormat),
            QString(),
            StatisticText(s.pp),
            StatisticText(s.pr),
            StatisticText(s.ppk),
            StatisticText(s.ppu),
            StatisticText(s.ppl),
            StatisticText(s.zu),
            StatisticText(s.zl)};
}
