#pragma once

#include <QColor>
#include <QString>

class ChartControl;
struct StationResult;

// The station comparison on a ChartControl: a box plot per source at x = 0, 1, ... (median,
// quartiles, whiskers with their caps, one line series each, from series 3 on), the values beyond
// the whiskers, the specification limits, and on top the means (the last series, whose labels
// name the sources on the bottom axis). A source that differs from the others is drawn in the
// warning colour.
class StationChart
{
public:
    static constexpr int kOutlierSeries = 0;
    static constexpr int kLslSeries = 1;
    static constexpr int kUslSeries = 2;
    static constexpr int kFirstBoxSeries = 3; // then one per source with values, in source order

    inline static const QColor kBoxColor{0x20, 0x40, 0x90};
    inline static const QColor kWarningColor{0xD0, 0x10, 0x10};

    // Half the width of a box and of a whisker's cap, in x units (one source to the next is 1).
    static constexpr double kBoxHalfWidth = 0.3;
    static constexpr double kCapHalfWidth = 0.15;

    // Applies the presets: the title "Station Comparison", the axes and the fixed series.
    explicit StationChart(ChartControl& chart);

    ChartControl& chart() { return m_chart; }
    int meanSeries() const;

    // Replaces the drawing. title: line 1 of the title (the parameter); usl and lsl as configured
    // (999 / -999: no line).
    void Draw(const StationResult& result, const QString& title, double usl, double lsl);

private:
    ChartControl& m_chart;
};
