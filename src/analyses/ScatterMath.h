#pragma once

#include <QString>
#include <QStringList>
#include <limits>

// The arithmetic of the scatter chart, without any window: sums of the (x, y) pairs, sample
// standard deviations, covariance, Pearson's r and the least-squares line of y on x.

inline constexpr double kNotComputed = std::numeric_limits<double>::quiet_NaN();

// What one drawing computes; a value a failed step did not reach stays kNotComputed.
struct ScatterStatistics
{
    double n = 0; // pairs
    double meanX = kNotComputed;
    double meanY = kNotComputed;
    double sdX = kNotComputed; // sample standard deviations
    double sdY = kNotComputed;
    double covariance = kNotComputed;
    double r = kNotComputed;
    double slope = kNotComputed;
    double intercept = kNotComputed;
    double xMin = kNotComputed; // extremes, unrounded
    double xMax = kNotComputed;
    double yMin = kNotComputed;
    double yMax = kNotComputed;
    QString error; // "Division by zero" when a divisor is 0 (one pair, all x or all y equal)
};

// The running values of one drawing: add() every pair in a first pass, then addDeviation() the
// same pairs in a second, which needs the means of the first.
class ScatterSums
{
public:
    void add(double x, double y);
    void addDeviation(double x, double y);

    double n() const { return m_n; }
    double sumX() const { return m_sumX; }
    double sumY() const { return m_sumY; }

    // Means, deviations, covariance, r, slope and intercept, computed in that order; the first
    // zero divisor ends the computation with error set. The means and extremes need one pair.
    ScatterStatistics statistics() const;

private:
    double m_n = 0;
    double m_sumX = 0;
    double m_sumY = 0;
    double m_sumXY = 0;
    double m_sumX2 = 0;
    double m_sumY2 = 0;
    double m_crossDeviations = 0; // sum of (x - mean x)(y - mean y)
    double m_xMin = kNotComputed;
    double m_xMax = kNotComputed;
    double m_yMin = kNotComputed;
    double m_yMax = kNotComputed;
};

// An axis title: the parameter's name, then " " + source when a source is given, then
// " (" + unit + ")" when the unit is not empty ("Voltage T1 (V)").
QString ScatterAxisTitle(const QString& parameterName, const QString& source, const QString& unit);

// The sixteen captions of the statistics panel, "Distribution:" to "Y Range:".
QStringList ScatterPanelCaptions();

// The panel's values, each followed by CR LF: "Normal", the count ("#,##0"), the means and
// deviations, an empty line, intercept, slope and r, then the extremes and ranges rounded to 3
// decimals (half to even); all but the count in "#,##0.0##".
QString ScatterPanelText(const ScatterStatistics& s);
