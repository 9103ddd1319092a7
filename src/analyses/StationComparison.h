#pragma once

#include "AnalysisContext.h"
#include "ControlChartMath.h"
#include "StatisticalTests.h"

#include <QJsonObject>
#include <QStringList>
#include <optional>
#include <vector>

// Whether the sources (testers) of a product measure one parameter alike, without any window.

// The five numbers of a box plot: quartiles by linear interpolation between the sorted values
// (the first quartile of n values at position (n - 1) / 4), whiskers at the most extreme values
// within 1.5 interquartile ranges of the box, and the values beyond them.
struct BoxPlot
{
    double q1 = 0;
    double median = 0;
    double q3 = 0;
    double low = 0;  // the lower whisker's end
    double high = 0; // the upper whisker's end
    std::vector<double> outliers;
};

// values must be sorted ascending and not empty.
BoxPlot BoxPlotOf(const std::vector<double>& sorted);

// One source's line.
struct StationRow
{
    QString source;
    SampleSummary values;   // the values its individual chart draws
    Statistic cpk;          // that chart's estimate (sigma = mean moving range / 1.128), unrounded
    qint64 units = 0;       // units whose first test in the selection was on this source
    qint64 passedFirst = 0; // of those, the units that passed it
    std::optional<BoxPlot> box;
    std::optional<WelchResult> welch; // its values against all other sources' values
    double pooledSd = 0;              // of its values and theirs
    double othersMean = 0;
    // Welch's p below 0.01 and the means more than half a pooled standard deviation apart.
    bool differs = false;

    Statistic firstPassYield() const; // passedFirst / units; absent without units
};

struct StationResult
{
    AnalysisOutcome outcome = AnalysisOutcome::Failed;
    qint64 records = 0;               // rows the statement returned
    std::vector<StationRow> rows;     // in source order
    std::optional<AnovaResult> anova; // across the sources with values
    QString panelText;                // lblSPCParameter1 once drawn, each line ended by CR LF
};

// Compares the sources of the context's parameter (Selection::parameter) over the records its
// individual chart draws for the selection: the verdict, last-data-only and value rules of that
// chart apply (Null, 999, -999 and, without acceptZero, 0 are no values; grouped records give
// their largest value), while the first-pass yield counts every unit by its first record. One
// statement, read once as it arrives. NoChart when the range cannot be used or no source has a
// value (the user has been told); Failed after a failing statement or a value that is no number,
// shown as its description + "!".
StationResult CompareStations(const AnalysisContext& context);

// The columns of the table, in the order it shows them.
QStringList StationCaptions();

// A row as the table shows it: source, N "#,##0", mean, SD and Cpk "#,##0.0##", the first-pass
// yield in percent, Welch's p, "differs" or "".
QStringList StationCells(const StationRow& row);

// "F = 66.797 (3, 16), p < 0.001"; "N/A" without an analysis of variance.
QString AnovaText(const std::optional<AnovaResult>& anova);

// A p-value as the table shows it: "#,##0.0##", or "< 0.001" below that.
QString PValueText(double p);

// {"records", "stations": [{"source", "n", "mean", "sd", "cpk", "firstPassYield", "welchP",
// "differs", "box": {"q1", "median", "q3", "low", "high", "outliers"}}], "anova": {"f",
// "dfBetween", "dfWithin", "p"}}, unrounded; null where a number is absent.
QJsonObject StationJson(const StationResult& result);
