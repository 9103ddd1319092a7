#include "ChartPaging.h"

#include <algorithm>
#include <limits>

void ChartPaging::setMaxPointsPerPage(int perPage)
{
    m_perPage = std::max(perPage, 0);
}

void ChartPaging::rescale(int perPage, qint64 pointCount)
{
    const qint64 first = static_cast<qint64>(currentPage(pointCount) - 1) * m_perPage;
    const qint64 last = m_perPage > 0 ? std::min<qint64>(first + m_perPage, pointCount) - 1 : pointCount - 1;
    const qint64 middle = std::max<qint64>((first + last) / 2, 0);
    setMaxPointsPerPage(perPage);
    const qint64 page = m_perPage > 0 ? middle / m_perPage + 1 : 1;
    m_page = static_cast<int>(std::min<qint64>(page, pageCount(pointCount)));
}

int ChartPaging::pageCount(qint64 pointCount) const
{
    if (m_perPage <= 0 || pointCount <= m_perPage) {
        return 1;
    }
    const qint64 pages = (pointCount + m_perPage - 1) / m_perPage;
    return static_cast<int>(std::min<qint64>(pages, std::numeric_limits<int>::max()));
}

int ChartPaging::currentPage(qint64 pointCount) const
{
    return std::clamp(m_page, 1, pageCount(pointCount));
}

bool ChartPaging::setCurrentPage(int page, qint64 pointCount)
{
    const int before = currentPage(pointCount);
    m_page = std::clamp(page, 1, pageCount(pointCount));
    return m_page != before;
}

std::optional<AxisRange> ChartPaging::window(qint64 pointCount) const
{
    if (m_perPage <= 0) {
        return std::nullopt;
    }
    const double first = static_cast<double>(currentPage(pointCount) - 1) * m_perPage;
    const double last = first + m_perPage - 1;
    if (last > first) {
        return AxisRange{first, last};
    }
    return AxisRange{first - 0.5, last + 0.5};
}
