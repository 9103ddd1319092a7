#pragma once

#include <QString>

class ChartControl;
struct AnalysisContext;
struct HistogramCells;
struct HistogramStatistics;

// The histogram on a ChartControl: thirteen series by index, the limit, mean and +-3 SD lines
// (0-4) with their label points (7-11) on the frequency axis, the bars (5), and the two normal
// curves (6: the sample's, 12: centred between the limits) on the hidden right axis.
class HistogramChart
{
public:
    static constexpr int kLslSeries = 0;
    static constexpr int kUslSeries = 1;
    static constexpr int kMeanSeries = 2;
    static constexpr int kMinus3SDSeries = 3;
    static constexpr int kPlus3SDSeries = 4;
    static constexpr int kDataSeries = 5;
    static constexpr int kSampleCurveSeries = 6;
    static constexpr int kLslLabelSeries = 7;
    static constexpr int kUslLabelSeries = 8;
    static constexpr int kMeanLabelSeries = 9;
    static constexpr int kMinus3SDLabelSeries = 10;
    static constexpr int kPlus3SDLabelSeries = 11;
    static constexpr int kCentredCurveSeries = 12;
    static constexpr int kSeriesCount = 13;
    // Points of each normal curve.
    static constexpr int kCurvePoints = 1001;

    // Applies the presets: title "Histogram", the axes and the thirteen series.
    explicit HistogramChart(ChartControl& chart);

    ChartControl& chart() { return m_chart; }

    // The lines added when the window opens: SubFoot the product and the custom range, Title the
    // selected parameter's name, with its unit in brackets when it has one.
    void AddSelectionTitles(const AnalysisContext& context);

    // Steps of one drawing from its statistics (Mean, M3SD and P3SD rounded to 3 decimals here)
    // and cells: every series cleared, the lines and labels, the bars, both curves and the
    // bottom axis limits. A limit of 999 (upper) or -999 (lower) is not drawn. Returns the
    // description of a failure of the curve arithmetic (the curve then ends where it failed),
    // "" when there was none.
    QString DrawHistogram(const HistogramStatistics& statistics, const HistogramCells& cells, double usl, double lsl);

    // Scales the curve axis so that the highest point of the curves stands level with the top
    // of a bar of height meanCellCount (> 0), and the curves' zero with the bars' base, at any
    // size of the chart.
    void ScaleCurveAxis(qint64 meanCellCount);

private:
    void drawMark(int lineSeries, int labelSeries, double x, double height, const QString& label);
    QString drawCurve(int series, double from, double to, double mean, double sd);

    ChartControl& m_chart;
};
