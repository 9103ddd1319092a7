#include "StatisticalTests.h"

#include <cmath>
#include <limits>

void SampleSummary::add(double value)
{
    ++n;
    const double delta = value - mean;
    mean += delta / static_cast<double>(n);
    m2 += delta * (value - mean);
}

void SampleSummary::merge(const SampleSummary& other)
{
    if (other.n == 0) {
        return;
    }
    const double na = static_cast<double>(n);
    const double nb = static_cast<double>(other.n);
    const double delta = other.mean - mean;
    n += other.n;
    mean += delta * nb / (na + nb);
    m2 += other.m2 + delta * delta * na * nb / (na + nb);
}

double SampleSummary::variance() const
{
    return n >= 2 ? m2 / static_cast<double>(n - 1) : std::numeric_limits<double>::quiet_NaN();
}

double SampleSummary::sd() const
{
    return std::sqrt(variance());
}

namespace {

// The continued fraction of the incomplete beta function (Numerical Recipes' betacf) by the
// modified Lentz method. It converges within O(√max(a, b)) terms for x < (a + 1) / (a + b + 2);
// the bound on the terms covers degrees of freedom in the millions.
double BetaContinuedFraction(double a, double b, double x)
{
    constexpr int kMostTerms = 100000;
    constexpr double kEpsilon = 1e-15;
    constexpr double kTiny = 1e-300;
    const double qab = a + b;
    const double qap = a + 1;
    const double qam = a - 1;
    double c = 1;
    double d = 1 - qab * x / qap;
    if (std::abs(d) < kTiny) {
        d = kTiny;
    }
    d = 1 / d;
    double h = d;
    for (int m = 1; m <= kMostTerms; ++m) {
        const double m2 = 2.0 * m;
        // The even step of the recurrence, then the odd one.
        double aa = m * (b - m) * x / ((qam + m2) * (a + m2));
        d = 1 + aa * d;
        d = std::abs(d) < kTiny ? kTiny : d;
        c = 1 + aa / c;
        c = std::abs(c) < kTiny ? kTiny : c;
        d = 1 / d;
        h *= d * c;
        aa = -(a + m) * (qab + m) * x / ((a + m2) * (qap + m2));
        d = 1 + aa * d;
        d = std::abs(d) < kTiny ? kTiny : d;
        c = 1 + aa / c;
        c = std::abs(c) < kTiny ? kTiny : c;
        d = 1 / d;
        const double step = d * c;
        h *= step;
        if (std::abs(step - 1) < kEpsilon) {
            break;
        }
    }
    return h;
}

} // namespace

double RegularizedIncompleteBeta(double a, double b, double x)
{
    if (!(a > 0) || !(b > 0) || !(x >= 0) || !(x <= 1)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    if (x == 0 || x == 1) {
        return x;
    }
    // x^a (1 - x)^b / B(a, b), in logarithms so that large a and b do not overflow.
    const double front =
        std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) + a * std::log(x) + b * std::log1p(-x));
    if (x < (a + 1) / (a + b + 2)) {
        return front * BetaContinuedFraction(a, b, x) / a;
    }
    return 1 - front * BetaContinuedFraction(b, a, 1 - x) / b;
}

double StudentTwoSidedP(double t, double df)
{
    return RegularizedIncompleteBeta(df / 2, 0.5, df / (df + t * t));
}

double FUpperTailP(double f, double df1, double df2)
{
    if (!(f > 0)) {
        return 1;
    }
    return RegularizedIncompleteBeta(df2 / 2, df1 / 2, df2 / (df2 + df1 * f));
}

std::optional<AnovaResult> OneWayAnova(std::span<const SampleSummary> groups)
{
    SampleSummary all;
    qint64 used = 0;
    double within = 0;
    for (const SampleSummary& g : groups) {
        if (g.n > 0) {
            all.merge(g);
            within += g.m2;
            ++used;
        }
    }
    AnovaResult result{0, used - 1, all.n - used, 0};
    if (result.dfBetween < 1 || result.dfWithin < 1 || !(within > 0)) {
        return std::nullopt;
    }
    double between = 0;
    for (const SampleSummary& g : groups) {
        between += static_cast<double>(g.n) * (g.mean - all.mean) * (g.mean - all.mean);
    }
    result.f = (between / static_cast<double>(result.dfBetween)) / (within / static_cast<double>(result.dfWithin));
    result.p = FUpperTailP(result.f, static_cast<double>(result.dfBetween), static_cast<double>(result.dfWithin));
    return result;
}

std::optional<WelchResult> WelchTTest(const SampleSummary& a, const SampleSummary& b)
{
    if (a.n < 2 || b.n < 2) {
        return std::nullopt;
    }
    const double va = a.variance() / static_cast<double>(a.n);
    const double vb = b.variance() / static_cast<double>(b.n);
    const double se2 = va + vb;
    if (!(se2 > 0)) {
        return std::nullopt;
    }
    WelchResult result;
    result.t = (a.mean - b.mean) / std::sqrt(se2);
    // (va + vb)² / (va² / (na - 1) + vb² / (nb - 1)), in shares of se2 so that no variance is squared.
    const double shareA = va / se2;
    const double shareB = vb / se2;
    result.df = 1 / (shareA * shareA / static_cast<double>(a.n - 1) + shareB * shareB / static_cast<double>(b.n - 1));
    result.p = StudentTwoSidedP(result.t, result.df);
    return result;
}

double PooledSd(const SampleSummary& a, const SampleSummary& b)
{
    const qint64 df = a.n + b.n - 2;
    return df > 0 ? std::sqrt((a.m2 + b.m2) / static_cast<double>(df)) : std::numeric_limits<double>::quiet_NaN();
}
