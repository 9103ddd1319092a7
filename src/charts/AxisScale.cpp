#include "AxisScale.h"

#include <algorithm>
#include <cmath>

void DataExtent::include(double value)
{
    if (!std::isfinite(value)) {
        return;
    }
    if (empty) {
        min = max = value;
        empty = false;
        return;
    }
    min = std::min(min, value);
    max = std::max(max, value);
}

void DataExtent::include(const DataExtent& other)
{
    if (!other.empty) {
        include(other.min);
        include(other.max);
    }
}

double AxisMapping::toPixel(double value) const
{
    return pixelAtMin + (value - range.min) * scale();
}

double AxisMapping::toValue(double pixel) const
{
    const double s = scale();
    return s == 0 ? range.min : range.min + (pixel - pixelAtMin) / s;
}

double AxisMapping::scale() const
{
    const double span = range.span();
    return span == 0 ? 0 : (pixelAtMax - pixelAtMin) / span;
}

double NiceStep(double rough)
{
    if (!(rough > 0) || !std::isfinite(rough)) {
        return 0;
    }
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        // A rough step a rounding error above a nice one (2.0000000000000004) keeps that one.
        if (factor * power >= rough * (1 - 1e-12)) {
            return factor * power;
        }
    }
    return 10 * power;
}

double TickStep(const AxisRange& range, double pixelLength, double minSpacing, double increment)
{
    const double span = range.span();
    if (!(span > 0) || !(pixelLength > 0)) {
        return increment > 0 ? increment : 0;
    }
    // The value that minSpacing pixels stand for; a step below it would crowd the labels.
    const double minimumStep = span * std::max(minSpacing, 1.0) / pixelLength;
    if (!(increment > 0)) {
        return NiceStep(minimumStep);
    }
    if (increment >= minimumStep * (1 - 1e-12)) {
        return increment;
    }
    return increment * NiceStep(minimumStep / increment);
}

std::vector<double> TickValues(const AxisRange& range, double step)
{
    std::vector<double> ticks;
    if (!(step > 0) || !(range.span() >= 0) || !std::isfinite(range.min) || !std::isfinite(range.max)) {
        return ticks;
    }
    const double tolerance = step * 1e-6;
    const double first = std::ceil((range.min - tolerance) / step);
    const double last = std::floor((range.max + tolerance) / step);
    if (last - first > 1000) {
        return ticks;
    }
    for (double k = first; k <= last; ++k) {
        // Multiplying (not accumulating) keeps 0.1 * 3 at the value a label expects.
        const double value = k * step;
        ticks.push_back(std::abs(value) < tolerance ? 0.0 : value);
    }
    return ticks;
}

namespace {

// Width added around a single value so that the axis has a span.
double HalfWidthAround(double value)
{
    return value == 0 ? 1.0 : std::abs(value) * 0.1;
}

} // namespace

AxisRange ResolveRange(const AxisLimits& limits, const DataExtent& data, double pixelLength, double padLow,
                       double padHigh)
{
    const bool autoMin = limits.automaticMinimum;
    const bool autoMax = limits.automaticMaximum;
    double low = autoMin ? data.min : limits.minimum;
    double high = autoMax ? data.max : limits.maximum;

    if (autoMin && autoMax && data.empty) {
        return {0, 1};
    }
    if (autoMin && data.empty) {
        low = high - 1;
    }
    if (autoMax && data.empty) {
        high = low + 1;
    }
    if (!(high > low)) {
        // One value, or a fixed end beyond the data: widen on the automatic side(s) only.
        if (autoMin && autoMax) {
            const double half = HalfWidthAround(low);
            low -= half;
            high += half;
        } else if (autoMin) {
            low = high - 2 * HalfWidthAround(high);
        } else if (autoMax) {
            high = low + 2 * HalfWidthAround(low);
        } else {
            const double middle = (low + high) / 2;
            low = middle - HalfWidthAround(middle);
            high = middle + HalfWidthAround(middle);
        }
    }

    // Padding: the data span must fill pixelLength less the padding of the automatic ends.
    const double lowPixels = autoMin ? std::max(padLow, 0.0) : 0;
    const double highPixels = autoMax ? std::max(padHigh, 0.0) : 0;
    const double usable = pixelLength - lowPixels - highPixels;
    if (pixelLength > 0 && (lowPixels > 0 || highPixels > 0) && usable > pixelLength * 0.25) {
        const double unitsPerPixel = (high - low) / usable;
        low -= lowPixels * unitsPerPixel;
        high += highPixels * unitsPerPixel;
    }
    return {low, high};
}

PixelSpan VerticalAxisSpan(double plotTop, double plotHeight, double startPercent, double endPercent)
{
    const double start = std::clamp(startPercent, 0.0, 100.0);
    const double end = std::clamp(endPercent, start, 100.0);
    return {plotTop + plotHeight * start / 100.0, plotTop + plotHeight * end / 100.0};
}

AxisMapping VerticalMapping(const AxisRange& range, const PixelSpan& span)
{
    return {range, span.bottom, span.top};
}
