#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// The description of the run-time error of a division by zero, as every statistic reports it.
inline const QString kDivisionByZero = QStringLiteral("Division by zero");
inline const QString kInvalidProcedureCall = QStringLiteral("Invalid procedure call or argument");

// The arithmetic of X-bar/R and individual/moving-range charts, without any window.
// A statistic that cannot be computed is std::nullopt and shows as "N/A".
using Statistic = std::optional<double>;

// Control-chart factors for subgroup sizes 2 to 25 (index n - 2).
struct ControlChartConstants
{
    std::array<double, 24> A2{};
    std::array<double, 24> D3{};
    std::array<double, 24> D4{};
    std::array<double, 24> d2{};

    static constexpr int kSmallestSize = 2;
    static constexpr int kLargestSize = 25;
    static bool hasSize(int n) { return n >= kSmallestSize && n <= kLargestSize; }
};

ControlChartConstants InitControlChartConstants();

// The process statistics of one plot.
struct ProcessStatistics
{
    Statistic estSigma;
    Statistic cp;
    Statistic cpu;
    Statistic cpl;
    Statistic cpk;
    double stdDev = 0;
    QString error; // the description of an arithmetic failure; the outputs are then unset
};

// Sample standard deviation (rounded to 3 decimals) from the sums of n values; the estimated
// sigma rBar / d2 (d2 of the subgroup size for an X-bar chart, of size 2 otherwise); the
// capability indices against the limits, a limit of 999 or -999 counting as absent.
ProcessStatistics CalculateProcessStatistic(double xBar, double rBar, double usl, double lsl, double d2, double sumX,
                                            double sumX2, double n);

// The estimated sigma and the capability indices of s for a process centred on xBar.
void SetCapability(ProcessStatistics& s, double xBar, double sigma, double usl, double lsl);

// What DrawControlLimits computes and shows.
struct ControlLimits
{
    double ucl = 0, lcl = 0;           // upper chart
    double rangeUcl = 0, rangeLcl = 0; // range or moving-range chart
    Statistic sigma;                   // shown as "Est Sigma"
    double cl = 0, rBar = 0;           // rounded for display
    Statistic cp, cpk, cpu, cpl;       // rounded for display
    // The same lines before any rounding, which out-of-control points are judged against.
    struct Exact
    {
        double cl = 0, ucl = 0, lcl = 0, rangeUcl = 0, rangeLcl = 0;
    } exact;
};

// Limits from the unrounded centre and mean range: X-bar mode with the factors of size n,
// individual mode with d2 = 1.128 and D4 = 3.267 (sigma recomputed from rBar).
ControlLimits ComputeControlLimits(const ControlChartConstants& constants, bool isXBar, int n, double cl, double rBar,
                                   Statistic sigma, Statistic cp, Statistic cpk, Statistic cpu, Statistic cpl);

// A statistic as the panel and the line labels show it: "#,##0.0##", or "N/A".
QString StatisticText(const Statistic& value);

// The nineteen captions of the statistics panel, beside its value lines.
QStringList StatisticsPanelCaptions();

// The nineteen value lines of the statistics panel. usl and lsl are the display values
// (a number, or "N/A" for an absent limit).
QStringList StatisticsPanelLines(const ControlLimits& limits, bool isXBar, int n, double total, double stdDev,
                                 const QString& uslText, const QString& lslText);

// Whether a limit value stands for an absent limit.
inline bool IsAbsentLimit(double value)
{
    return value == 999 || value == -999;
}
