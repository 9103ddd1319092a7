#pragma once

#include <vector>

// Value arithmetic of chart axes: ranges, nice tick steps, value-to-pixel mapping and the
// vertical stacking of axes. Pure functions of numbers, so they are tested without a widget.

// A closed interval of axis values with min < max once resolved.
struct AxisRange
{
    double min = 0;
    double max = 1;

    double span() const { return max - min; }
    bool contains(double value) const { return value >= min && value <= max; }
    bool operator==(const AxisRange&) const = default;
};

// The smallest and largest finite value seen; empty until the first one.
struct DataExtent
{
    double min = 0;
    double max = 0;
    bool empty = true;

    void include(double value);
    void include(const DataExtent& other);
};

// Linear map between axis values and pixel coordinates along one direction. For a vertical
// axis pixelAtMin is the lower end on screen (the larger y). Both directions extrapolate beyond
// the range, so a pixel outside the plot still has a value.
struct AxisMapping
{
    AxisRange range;
    double pixelAtMin = 0;
    double pixelAtMax = 1;

    double toPixel(double value) const;
    double toValue(double pixel) const;
    // Pixels per unit of value, negative for vertical axes.
    double scale() const;
};

// Fixed or automatic ends of an axis; a fixed end is used as given.
struct AxisLimits
{
    bool automaticMinimum = true;
    bool automaticMaximum = true;
    double minimum = 0;
    double maximum = 0;
};

// The smallest step of 1, 2 or 5 times a power of ten that is not below rough; 0 when rough is not
// a positive finite number.
double NiceStep(double rough);

// Step between labelled ticks for a range drawn over pixelLength pixels whose labels need at
// least minSpacing pixels. With increment > 0 the step is the increment, or the smallest multiple
// of it by 2, 5, 10, 20, 50, ... that keeps labels apart; otherwise a nice step.
double TickStep(const AxisRange& range, double pixelLength, double minSpacing, double increment = 0);

// The multiples of step inside range, ascending. Values within a millionth of a step of an end
// count as inside, and values within that tolerance of zero are exactly 0 (no "-0" label).
// Empty for a non-positive step; at most 1000 values.
std::vector<double> TickValues(const AxisRange& range, double step);

// The range an axis shows. Fixed ends are kept. An automatic end follows the data and leaves
// padLow (at the minimum) or padHigh (at the maximum) pixels of the pixelLength free, room for
// pointers and marks. Without data an automatic range is 0..1 (or one unit from the fixed end);
// a single value v is widened to v +- 10 % of |v| (+-1 for 0) before padding. A fixed range
// whose ends are equal or reversed is made valid the same way.
AxisRange ResolveRange(const AxisLimits& limits, const DataExtent& data, double pixelLength = 0, double padLow = 0,
                       double padHigh = 0);

// Pixel span of a vertical axis that occupies startPercent..endPercent of the plot height,
// measured from the top of the plot (0..74 is the upper 74 %).
struct PixelSpan
{
    double top = 0;
    double bottom = 0;
};
PixelSpan VerticalAxisSpan(double plotTop, double plotHeight, double startPercent, double endPercent);

// Mapping of a vertical axis of range over a span: the minimum at the bottom, the maximum at the top.
AxisMapping VerticalMapping(const AxisRange& range, const PixelSpan& span);
