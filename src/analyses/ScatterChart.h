#pragma once

class ChartControl;
class QString;
class SeriesPoints;

// The scatter chart on a ChartControl: the (x, y) pairs as small rectangles (series 0, "Data")
// and the least-squares line across them (series 1, "Slope"), with horizontal zoom.
class ScatterChart
{
public:
    static constexpr int kDataSeries = 0;
    static constexpr int kSlopeSeries = 1;

    // Applies the chart's presets: title "Scatter", axes "X" ("#,##0.0##", no grid) and "Y"
    // ("#,##0.##"), SubFoot, right and top axes hidden, and the two series.
    explicit ScatterChart(ChartControl& chart);

    ChartControl& chart() { return m_chart; }

    // Series 0's points, for adding the pairs in bulk; the caller asks for one repaint afterwards.
    SeriesPoints& dataPoints();

    void SetAxisTitles(const QString& xTitle, const QString& yTitle);

    // Series 1 from the bottom axis' one end to the other as the chart has them now: with the
    // axis following the data, the line spans the plotted x range.
    void DrawRegressionLine(double intercept, double slope);

private:
    ChartControl& m_chart;
};
