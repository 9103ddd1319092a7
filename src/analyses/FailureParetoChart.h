#pragma once

class ChartControl;
struct ParetoBar;

// The failure Pareto on a ChartControl, in the Pareto chart's look: one bar per cause (series 0,
// its share of all causes counted, labelled with the cause), the cumulative line (series 1), and
// above each bar its count and share (series 2).
class FailureParetoChart
{
public:
    static constexpr int kDataSeries = 0;
    static constexpr int kPercentSeries = 1;
    static constexpr int kCountSeries = 2;

    // Applies the presets: the Pareto chart's, titled "Failure Pareto", and the count marks.
    explicit FailureParetoChart(ChartControl& chart);

    ChartControl& chart() { return m_chart; }

    // The bar at the next x (0, 1, 2, ...), bar.sum being its count of units.
    void AddBar(const ParetoBar& bar);

private:
    ChartControl& m_chart;
};
