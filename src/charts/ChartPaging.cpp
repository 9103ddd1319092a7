#include "ChartPaging.h"

#include <algorithm>
#include <limits>

void ChartPaging::setMaxPointsPerPage(int perPage)
{
    m_perPage = std::max(perPage, 0);
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
