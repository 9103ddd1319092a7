#include "ChartModel.h"

#include "Formats.h"

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {

// Distinct labels looked up before a series stops sharing them (labels that hardly repeat).
constexpr qsizetype kMostSharedLabels = 4096;

} // namespace

qint64 SeriesPoints::add(double x, double y, const QString& label)
{
    const qint64 index = count();
    if (index > 0 && !(x >= this->x(index - 1))) {
        m_xAscending = false;
    }
    if (!m_x.empty() || x != static_cast<double>(index)) {
        if (m_x.empty()) {
            m_x.reserve(m_y.capacity());
            for (qint64 i = 0; i < index; ++i) {
                m_x.push_back(static_cast<double>(i));
            }
        }
        m_x.push_back(x);
    }
    m_y.push_back(y);
    m_labels.push_back(labelIndex(label));
    if (!std::isnan(y)) {
        m_xExtent.include(x);
        m_yExtent.include(y);
    }
    return index;
}

quint32 SeriesPoints::labelIndex(const QString& label)
{
    for (const quint32 recent : m_recentLabels) {
        if (recent < m_labelTexts.size() && m_labelTexts[recent] == label) {
            return recent;
        }
    }
    const bool sharing = static_cast<qsizetype>(m_labelTexts.size()) < kMostSharedLabels;
    auto found = sharing ? m_labelLookup.constFind(label) : m_labelLookup.cend();
    quint32 index = 0;
    if (found != m_labelLookup.cend()) {
        index = *found;
    } else {
        index = static_cast<quint32>(m_labelTexts.size());
        m_labelTexts.push_back(label);
        if (sharing) {
            m_labelLookup.insert(label, index);
        } else {
            m_labelLookup.clear();
        }
    }
    m_recentLabels[m_nextRecent] = index;
    m_nextRecent = (m_nextRecent + 1) % m_recentLabels.size();
    return index;
}

void SeriesPoints::clear()
{
    *this = SeriesPoints(); // releases the memory of a large series, which clear() would keep
}

void SeriesPoints::dropFirst(qint64 count)
{
    const auto n = static_cast<std::ptrdiff_t>(std::clamp<qint64>(count, 0, this->count()));
    m_y.erase(m_y.begin(), m_y.begin() + n);
    m_labels.erase(m_labels.begin(), m_labels.begin() + n);
    if (!m_x.empty()) {
        m_x.erase(m_x.begin(), m_x.begin() + n);
    }
    recomputeExtents();
}

void SeriesPoints::setY(qint64 i, double y)
{
    m_y[static_cast<size_t>(i)] = y;
    recomputeExtents();
}

void SeriesPoints::recomputeExtents()
{
    m_xExtent = {};
    m_yExtent = {};
    m_xAscending = true;
    for (qint64 i = 0; i < count(); ++i) {
        if (i > 0 && !(x(i) >= x(i - 1))) {
            m_xAscending = false;
        }
        if (!std::isnan(y(i))) {
            m_xExtent.include(x(i));
            m_yExtent.include(y(i));
        }
    }
}

void SeriesPoints::reserve(qint64 count)
{
    const auto n = static_cast<size_t>(std::max<qint64>(count, 0));
    m_y.reserve(n);
    m_labels.reserve(n);
}

std::pair<qint64, qint64> SeriesPoints::indexRange(const AxisRange& range) const
{
    if (!m_xAscending) {
        return {0, count()};
    }
    const XValues xs = xValues();
    const qint64 first = xs.lowerBound(0, count(), range.min);
    // The first index past range.max: the first not below the next double up.
    const qint64 last = xs.lowerBound(first, count(), std::nextafter(range.max, HUGE_VAL));
    return {first, last};
}

qint64 SeriesPoints::lowerBound(double value) const
{
    return xValues().lowerBound(0, count(), value);
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
