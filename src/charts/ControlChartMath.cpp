#include "ControlChartMath.h"

#include "Formats.h"

#include <algorithm>
#include <cmath>

ControlChartConstants InitControlChartConstants()
{
    ControlChartConstants c;
    c.A2 = {1.880, 1.023, 0.729, 0.577, 0.483, 0.419, 0.373, 0.337, 0.308, 0.285, 0.266, 0.249,
            0.235, 0.223, 0.212, 0.203, 0.194, 0.187, 0.180, 0.173, 0.167, 0.162, 0.157, 0.153};
    c.D3 = {0,     0,     0,     0,     0,     0.076, 0.136, 0.184, 0.223, 0.256, 0.284, 0.308,
            0.329, 0.348, 0.364, 0.379, 0.392, 0.404, 0.414, 0.425, 0.434, 0.443, 0.452, 0.459};
    c.D4 = {3.267, 2.575, 2.282, 2.115, 2.004, 1.924, 1.864, 1.816, 1.777, 1.744, 1.716, 1.692,
            1.671, 1.652, 1.636, 1.621, 1.608, 1.596, 1.586, 1.575, 1.566, 1.557, 1.548, 1.541};
    c.d2 = {1.128, 1.693, 2.059, 2.326, 2.534, 2.704, 2.847, 2.970, 3.078, 3.173, 3.258, 3.336,
            3.407, 3.472, 3.532, 3.588, 3.640, 3.689, 3.735, 3.778, 3.819, 3.858, 3.895, 3.931};
    return c;
}

ProcessStatistics CalculateProcessStatistic(double xBar, double rBar, double usl, double lsl, double d2, double sumX,
                                            double sumX2, double n)
{
    ProcessStatistics s;
    const double divisor = n * (n - 1);
    if (divisor == 0) {
        s.error = kDivisionByZero;
        return s;
    }
    // A set of equal values can leave a variance a rounding error below zero.
    const double variance = std::max(0.0, (n * sumX2 - sumX * sumX) / divisor);
    s.stdDev = Round3(std::sqrt(variance));

    SetCapability(s, xBar, rBar / d2, usl, lsl);
    return s;
}

void SetCapability(ProcessStatistics& s, double xBar, double sigma, double usl, double lsl)
{
    s.estSigma = sigma;
    s.cp = s.cpu = s.cpl = s.cpk = std::nullopt;
    if (sigma != 0 && !IsAbsentLimit(usl)) {
        s.cpu = (usl - xBar) / (3 * sigma);
    }
    if (sigma != 0 && !IsAbsentLimit(lsl)) {
        s.cpl = (xBar - lsl) / (3 * sigma);
    }
    if (s.cpu && s.cpl) {
        s.cpk = std::min(*s.cpu, *s.cpl);
        s.cp = (usl - lsl) / (6 * sigma);
    } else {
        s.cpk = s.cpu ? s.cpu : s.cpl;
    }
}

namespace {
Statistic rounded(const Statistic& value)
{
    return value ? Statistic(Round3(*value)) : std::nullopt;
}
} // namespace

ControlLimits ComputeControlLimits(const ControlChartConstants& constants, bool isXBar, int n, double cl, double rBar,
                                   Statistic sigma, Statistic cp, Statistic cpk, Statistic cpu, Statistic cpl)
{
    ControlLimits l;
    if (isXBar) {
        const size_t i = static_cast<size_t>(n - ControlChartConstants::kSmallestSize);
        l.ucl = Round3(cl + constants.A2.at(i) * rBar);
        l.lcl = Round3(cl - constants.A2.at(i) * rBar);
        l.rangeUcl = Round3(constants.D4.at(i) * rBar);
        l.rangeLcl = Round3(constants.D3.at(i) * rBar);
        l.exact = {cl, cl + constants.A2.at(i) * rBar, cl - constants.A2.at(i) * rBar, constants.D4.at(i) * rBar,
                   constants.D3.at(i) * rBar};
        l.sigma = sigma;
    } else {
        const double individualSigma = Round3(rBar / constants.d2[0]);
        l.ucl = Round3(cl + 3 * individualSigma);
        l.lcl = Round3(cl - 3 * individualSigma);
        l.rangeUcl = Round3(constants.D4[0] * rBar);
        l.rangeLcl = 0;
        const double exactSigma = rBar / constants.d2[0];
        l.exact = {cl, cl + 3 * exactSigma, cl - 3 * exactSigma, constants.D4[0] * rBar, 0};
        l.sigma = individualSigma;
    }
    l.cl = Round3(cl);
    l.rBar = Round3(rBar);
    l.cp = rounded(cp);
    l.cpk = rounded(cpk);
    l.cpu = rounded(cpu);
    l.cpl = rounded(cpl);
    return l;
}

QString StatisticText(const Statistic& value)
{
    return value ? FormatNumber(*value, kValueFormat) : QStringLiteral("N/A");
}

QStringList StatisticsPanelCaptions()
{
    return {QStringLiteral("Distribution:"), QStringLiteral("Total:"),
            QStringLiteral("Std Dev:"),      QStringLiteral("Est Sigma:"),
            QStringLiteral("Size:"),         QStringLiteral("UCL:"),
            QStringLiteral("CL:"),           QStringLiteral("LCL:"),
            QStringLiteral("USL:"),          QStringLiteral("LSL:"),
            QStringLiteral("CpU:"),          QStringLiteral("Cp:"),
            QStringLiteral("CpL:"),          QStringLiteral("CpK:"),
            QStringLiteral("Sigma Type:"),   QString(),
            QStringLiteral("UCL:"),          QStringLiteral("CL:"),
            QStringLiteral("LCL:")};
}

QStringList StatisticsPanelLines(const ControlLimits& l, bool isXBar, int n, double total, double stdDev,
                                 const QString& uslText, const QString& lslText)
{
    const QString count = QStringLiteral("#,##0");
    return {
        QStringLiteral("Normal"),
        FormatNumber(total, count),
        StatisticText(stdDev),
        StatisticText(l.sigma),
        FormatNumber(isXBar ? n : 1, count),
        StatisticText(l.ucl),
        StatisticText(l.cl),
        StatisticText(l.lcl),
        uslText,
        lslText,
        StatisticText(l.cpu),
        StatisticText(l.cp),
        StatisticText(l.cpl),
        StatisticText(l.cpk),
        QStringLiteral("Est."),
        QString(),
        StatisticText(l.rangeUcl),
        StatisticText(l.rBar),
        StatisticText(l.rangeLcl),
    };
}
