#include "ChartModel.h"

#include "Formats.h"

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

qint64 SeriesPoints::add(double x, double y, const QString& label)
{
    if (!m_x.empty() && !(x >= m_x.back())) {
        m_xAscending = false;
    }
    m_x.push_back(x);
    m_y.push_back(y);
    m_labels.push_back(label);
    if (!std::isnan(y)) {
        m_xExtent.include(x);
        m_yExtent.include(y);
    }
    return count() - 1;
}

void SeriesPoints::clear()
{
    // Swapping releases the memory of a large series, which clear() would keep.
    std::vector<double>().swap(m_x);
    std::vector<double>().swap(m_y);
    std::vector<QString>().swap(m_labels);
    m_xExtent = {};
    m_yExtent = {};
    m_xAscending = true;
}

void SeriesPoints::reserve(qint64 count)
{
    const auto n = static_cast<size_t>(std::max<qint64>(count, 0));
    m_x.reserve(n);
    m_y.reserve(n);
    m_labels.reserve(n);
}

std::pair<qint64, qint64> SeriesPoints::indexRange(const AxisRange& range) const
{
    if (!m_xAscending) {
        return {0, count()};
    }
    const auto first = std::lower_bound(m_x.begin(), m_x.end(), range.min);
    const auto last = std::upper_bound(first, m_x.end(), range.max);
    return {first - m_x.begin(), last - m_x.begin()};
}

qint64 SeriesPoints::lowerBound(double value) const
{
    return std::lower_bound(m_x.begin(), m_x.end(), value) - m_x.begin();
}

bool TextBlock::setLine(int i, const QString& text)
{
    if (i < 0 || i >= count()) {
        return false;
    }
    lines[i] = text;
    return true;
}

bool TextBlock::removeLine(int i)
{
    if (i < 0 || i >= count()) {
        return false;
    }
    lines.removeAt(i);
    return true;
}

ChartModel::ChartModel()
{
    // Axes a series does not use are not drawn; the right axis stays hidden unless asked for.
    axis(AxisId::Right).visible = false;
    axis(AxisId::Right).gridVisible = false;
}

qint64 ChartModel::pagedPointCount() const
{
    qint64 most = 0;
    for (const ChartSeries& s : series) {
        if (s.look.visible) {
            most = std::max(most, s.points.count());
        }
    }
    return most;
}

bool ChartModel::isZoomed() const
{
    return std::any_of(zoom.begin(), zoom.end(), [](const auto& z) { return z.has_value(); });
}

QStringList LabelLines(const QString& label)
{
    static const QRegularExpression lineEnd(QStringLiteral("\\r\\n|\\r|\\n"));
    return label.split(lineEnd);
}

QString AxisValueText(double value, const QString& format)
{
    const QLocale locale;
    QString text = FormatNumber(value, format, locale);
    const QString separator = locale.decimalPoint();
    if (!separator.isEmpty() && text.endsWith(separator)) {
        text.chop(separator.size());
    }
    return text;
}

int FormatDecimals(const QString& format)
{
    const qsizetype point = format.indexOf(QLatin1Char('.'));
    if (point < 0) {
        return 0;
    }
    int decimals = 0;
    for (qsizetype i = point + 1; i < format.size(); ++i) {
        decimals += format[i] == QLatin1Char('0') || format[i] == QLatin1Char('#');
    }
    return decimals;
}
