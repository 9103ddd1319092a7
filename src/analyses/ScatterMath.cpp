#include "ScatterMath.h"

#include "ControlChartMath.h"
#include "Formats.h"

#include <algorithm>
#include <cmath>

void ScatterSums::add(double x, double y)
{
    m_n += 1;
    m_sumX += x;
    m_sumY += y;
    m_sumXY += x * y;
    m_sumX2 += x * x;
    m_sumY2 += y * y;
    m_xMin = m_n == 1 ? x : std::min(m_xMin, x);
    m_xMax = m_n == 1 ? x : std::max(m_xMax, x);
    m_yMin = m_n == 1 ? y : std::min(m_yMin, y);
    m_yMax = m_n == 1 ? y : std::max(m_yMax, y);
}

void ScatterSums::addDeviation(double x, double y)
{
    m_crossDeviations += (x - m_sumX / m_n) * (y - m_sumY / m_n);
}

ScatterStatistics ScatterSums::statistics() const
{
    ScatterStatistics s;
    s.n = m_n;
    s.xMin = m_xMin;
    s.xMax = m_xMax;
    s.yMin = m_yMin;
    s.yMax = m_yMax;
    s.meanX = m_sumX / m_n;
    s.meanY = m_sumY / m_n;
    const auto divisionByZero = [&s] {
        s.error = kDivisionByZero;
        return s;
    };
    if (m_n - 1 == 0) {
        return divisionByZero();
    }
    s.covariance = m_crossDeviations / (m_n - 1);
    // Equal values have no spread, though their sum of squares can come out a rounding error
    // away from zero (5.1 is not exact in binary).
    const double xSquares = m_n * m_sumX2 - m_sumX * m_sumX;
    const double ySquares = m_n * m_sumY2 - m_sumY * m_sumY;
    const auto deviation = [this](double squares, bool spread) {
        return spread ? std::sqrt(std::max(0.0, squares) / ((m_n - 1) * m_n)) : 0.0;
    };
    s.sdX = deviation(xSquares, m_xMin != m_xMax);
    s.sdY = deviation(ySquares, m_yMin != m_yMax);
    if (s.sdY * s.sdX == 0) {
        return divisionByZero();
    }
    s.r = s.covariance / (s.sdY * s.sdX);
    // Sx is above 0 here, and with it the slope's divisor.
    s.slope = (m_n * m_sumXY - m_sumX * m_sumY) / xSquares;
    s.intercept = s.meanY - s.slope * s.meanX;
    return s;
}

QString ScatterAxisTitle(const QString& parameterName, const QString& source, const QString& unit)
{
    QString title = parameterName;
    if (!source.isEmpty()) {
        title += QLatin1Char(' ') + source;
    }
    if (!unit.isEmpty()) {
        title += QStringLiteral(" (") + unit + QLatin1Char(')');
    }
    return title;
}

QStringList ScatterPanelCaptions()
{
    return {QStringLiteral("Distribution:"),
            QStringLiteral("Total:"),
            QStringLiteral("X Mean:"),
            QStringLiteral("X Std Dev:"),
            QStringLiteral("Y Mean:"),
            QStringLiteral("Y Std Dev:"),
            QString(),
            QStringLiteral("Intercept:"),
            QStringLiteral("Slope:"),
            QStringLiteral("Correlation:"),
            QStringLiteral("X Min:"),
            QStringLiteral("X Max:"),
            QStringLiteral("X Range:"),
            QStringLiteral("Y Min:"),
            QStringLiteral("Y Max:"),
            QStringLiteral("Y Range:")};
}

QString ScatterPanelText(const ScatterStatistics& s)
{
    QStringList lines{QStringLiteral("Normal"), FormatNumber(s.n, QStringLiteral("#,##0"))};
    for (const double v : {s.meanX, s.sdX, s.meanY, s.sdY}) {
        lines.append(FormatNumber(v, kValueFormat));
    }
    lines.append(QString());
    for (const double v : {s.intercept, s.slope, s.r}) {
        lines.append(FormatNumber(v, kValueFormat));
    }
    for (const double v : {s.xMin, s.xMax, s.xMax - s.xMin, s.yMin, s.yMax, s.yMax - s.yMin}) {
        lines.append(FormatNumber(Round3(v), kValueFormat));
    }
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}
