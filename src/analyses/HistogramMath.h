#pragma once

#include "ControlChartMath.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class ThrottledPump;

// The arithmetic of the histogram window, without any window: the sample's statistics and
// performance indices, the cell counts and the normal density of its curves.

// The statistics of one drawing. Mean and SD are unrounded; Skewness, Kurtosis and the indices
// are rounded to 3 decimals (half to even), the indices computed from the unrounded Mean and SD.
// An index that has no meaning for the limits present is std::nullopt ("N/A").
struct HistogramStatistics
{
    qint64 n = 0;
    double sum = 0;
    double sumSq = 0;
    double min = 0;
    double max = 0;
    double mean = 0;
    double sd = 0; // divisor N - 1
    double skewness = 0;
    double kurtosis = 0; // excess kurtosis
    Statistic ppu, ppl, ppk, pp, pr, zu, zl;
    double m3sd = 0; // mean - 3 SD
    double p3sd = 0; // mean + 3 SD
    // The description of an arithmetic failure ("Division by zero" with fewer than four values,
    // "Overflow" for values too large to square); the later outputs are then unset.
    QString error;

    // A mean or a spread of exactly 0: nothing is drawn and nothing said. Shape and indices are
    // then not computed.
    bool isDegenerate() const { return mean == 0 || sd == 0; }
};

// The statistics of values against the limits usl and lsl (999 and -999: no limit). pump, when
// given, is offered the chance to let window events run during the passes over the values.
HistogramStatistics HistogramStatisticsOf(const std::vector<double>& values, double usl, double lsl,
                                          ThrottledPump* pump = nullptr);

struct HistogramCell
{
    double lower = 0; // lo(j) = Min + W * (j - 1)
    qint64 count = 0;
};

struct HistogramCells
{
    double width = 0; // W = (Max - Min) / Cells
    std::vector<HistogramCell> cells;
    qint64 maxCount = 0;
    // The values counted in the cell(s) whose half-open interval holds the mean.
    qint64 meanCellCount = 0;
};

// Counts values per cell: cell j (1..cells) is [lo(j), lo(j) + W) in double arithmetic, the last
// one with its upper edge, and every value is counted in every cell that holds it, exactly as
// testing each value against each cell would count (so a value on an edge that rounding makes
// shared is counted twice, and one that falls between two rounded edges not at all). Costs
// O(values * log cells). cells must be at least 1 and min not above max.
HistogramCells FillHistogramCells(double min, double max, double mean, const std::vector<double>& values, int cells,
                                  ThrottledPump* pump = nullptr);

// The normal probability density at x; std::nullopt when sd is so small that its square is 0
// (a division by zero).
std::optional<double> NormalDistribution(double x, double mean, double sd);

// The fifteen captions of the statistics panel, beside its value lines.
QStringList HistogramPanelCaptions();

// The fifteen value lines of the statistics panel, in the order of the captions: "Normal", N,
// the cell width (W rounded to 3 decimals), SD, the range (rounded likewise), skewness,
// kurtosis, an empty line, PP, PR, PpK, PpU, PpL, Zu and Zl.
QStringList HistogramPanelLines(const HistogramStatistics& statistics, double cellWidth);
