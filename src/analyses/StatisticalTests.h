#pragma once

#include <QtGlobal>
#include <optional>
#include <span>

// Comparing groups of values: one-way analysis of variance and Welch's t-test, with the
// distribution functions their p-values need. Without any window.

// The count, mean and spread of a sample, added value by value (Welford's method, which keeps
// its precision over millions of values) or merged from two samples.
struct SampleSummary
{
    qint64 n = 0;
    double mean = 0;
    double m2 = 0; // the sum of squared deviations from the mean

    void add(double value);
    void merge(const SampleSummary& other);
    // Divisor n - 1; NaN below two values.
    double variance() const;
    double sd() const;
};

// The regularized incomplete beta function I_x(a, b) for a, b > 0 and 0 <= x <= 1 (a continued
// fraction evaluated by Lentz's method, from the side where it converges fast); NaN outside.
double RegularizedIncompleteBeta(double a, double b, double x);

// P(|T| >= |t|) for Student's t distribution with df > 0 degrees of freedom.
double StudentTwoSidedP(double t, double df);

// P(F' >= f) for the F distribution with df1 and df2 degrees of freedom.
double FUpperTailP(double f, double df1, double df2);

struct AnovaResult
{
    double f = 0;
    qint64 dfBetween = 0;
    qint64 dfWithin = 0;
    double p = 0;
};

// One-way analysis of variance across groups. Groups without values take no part; std::nullopt
// with fewer than two groups left, no degree of freedom within them, or no spread within them.
std::optional<AnovaResult> OneWayAnova(std::span<const SampleSummary> groups);

struct WelchResult
{
    double t = 0;  // (mean a - mean b) / standard error
    double df = 0; // Welch-Satterthwaite
    double p = 0;  // two-sided
};

// Welch's t-test of two samples with unequal variances; std::nullopt when either has fewer than
// two values or the standard error is 0.
std::optional<WelchResult> WelchTTest(const SampleSummary& a, const SampleSummary& b);

// The pooled standard deviation of two samples: √(((na − 1)·sa² + (nb − 1)·sb²) / (na + nb − 2));
// NaN without a degree of freedom.
double PooledSd(const SampleSummary& a, const SampleSummary& b);
