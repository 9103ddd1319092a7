#pragma once

#include "ControlChartMath.h"
#include "LimitsInForce.h"

#include <QString>
#include <functional>

class ChartControl;

// The control chart of the main window on a ChartControl: the upper chart (subgroup means or
// individual values, series 0, on the top and left axes, down to 74 % of the height) and the
// range chart below it (series 4, bottom axis and custom axis 0), the specification lines
// (series 2 and 3) and, from index 5, the six control lines of the last drawing.
class XBarChart
{
public:
    static constexpr int kDataSeries = 0;
    static constexpr int kLimitsSeries = 1;
    static constexpr int kLslSeries = 2;
    static constexpr int kUslSeries = 3;
    static constexpr int kRangeSeries = 4;
    static constexpr int kFirstControlLine = 5;
    static constexpr int kPointsPerPage = 80;
    // Pointers on the data and range series while a page holds at most one point per this many
    // pixels of plot width; denser pages show the line, with out-of-control points still marked.
    static constexpr int kSparsePointerPixels = 3;

    // Applies the chart's layout and creates the five preset series.
    explicit XBarChart(ChartControl& chart);

    ChartControl& chart() { return m_chart; }

    // Attaches series 4 to custom axis 0 and the bottom axis.
    void SetupRangeSeries();

    // Clears the drawing for a new one: zoom undone, control lines and dividers removed, points cleared,
    // 80 points per page, the page line rewritten; the left axis titled after the chart kind
    // and the unit.
    void ResetChart(const QString& unit, bool individual, const QString& chartTitle);

    // Takes the drawing's limit lines away (the specification lines, the control lines and the
    // dividers), for DrawControlLimits to draw them again over the points as they are now.
    void ClearControlLimits();

    // A new line series on the upper chart ("X-Bar") or the range chart (any other kind).
    int AddControlLineSeries(const QString& kind);

    // The inputs of one drawing.
    struct Drawing
    {
        double lsl = -999;
        double usl = 999;
        const LimitsInForce* limits = nullptr; // one segment at least
        double total = 0;
        bool isXBar = true;
        double stdDev = 0;
    };

    // Draws the specification lines (unless hidden) and, for each segment of the limits in force,
    // the centre and control lines of both charts with their end labels; a divider with the
    // stage's name through the first point of each stage but the first, and one through the last
    // point of a frozen set's baseline period.
    // Returns the statistics panel text of the limits in force now (nineteen lines, each ended by
    // CR LF).
    QString DrawControlLimits(const Drawing& d, int subgroupSize, bool hideSpec);

    // SubFoot line 0: chartTitle + "  Chart Page: " + page + " of " + count (one blank before
    // "Chart" when compact).
    void WritePageLine(const QString& chartTitle, bool compact = false);
    // Called after every page line written, so that other page displays follow it.
    void setPageLineListener(std::function<void()> listener) { m_pageLineListener = std::move(listener); }

private:
    ChartControl& m_chart;
    std::function<void()> m_pageLineListener;
};
