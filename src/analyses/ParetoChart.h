#pragma once

class ChartControl;
class QString;
struct ParetoBar;

// The Pareto chart on a ChartControl: one bar per parameter (series 0, "Data", the percentage of
// the grand total, labelled with the parameter and its sum) and the cumulative percentage line
// (series 1, "Percent") on a fixed 0-105 % axis.
class ParetoChart
{
public:
    static constexpr int kDataSeries = 0;
    static constexpr int kPercentSeries = 1;

    // Applies the chart's presets: title "Pareto", SubFoot "Nonconformities" and " ", Foot " ",
    // the percent axis, the labelled bottom axis and the two series.
    explicit ParetoChart(ChartControl& chart);

    ChartControl& chart() { return m_chart; }

    // The bar at the next x (0, 1, 2, ...) and its point of the cumulative line.
    void AddBar(const ParetoBar& bar);

    // Replaces the title's text.
    void SetTitle(const QString& title);

private:
    ChartControl& m_chart;
};
