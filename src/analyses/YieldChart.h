#pragma once

#include "RunRules.h"

#include <QString>

class ChartControl;
struct AttributeChart;

// The p or np chart on a ChartControl: the subgroups' values (series 0, labelled with the
// subgroups on the bottom axis), the centre line (1) and the control limits (2 and 3), stepped
// where the subgroup size changes, with their value labels at the right end (4 and 5).
class YieldChart
{
public:
    static constexpr int kDataSeries = 0;
    static constexpr int kCentreSeries = 1;
    static constexpr int kUclSeries = 2;
    static constexpr int kLclSeries = 3;
    static constexpr int kUclLabelSeries = 4;
    static constexpr int kLclLabelSeries = 5;

    // Applies the presets: the title, the axes and the six series.
    explicit YieldChart(ChartControl& chart);

    ChartControl& chart() { return m_chart; }

    // Replaces the drawing: title line 1 says what is counted, the points with those that signal
    // flagged (highlighted when a rule set judged them), the lines.
    void Draw(const AttributeChart& data, const QVector<RuleMask>& marks, RuleSet set, const QString& counted);

private:
    ChartControl& m_chart;
};
