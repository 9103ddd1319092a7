#pragma once

#include "AxisScale.h"

#include <QtGlobal>
#include <optional>

// Paging of a chart's horizontal axes. Page k (1-based) shows the points with x from
// (k - 1) * perPage to k * perPage - 1, which is the index range of points added by value. The
// last page keeps the scale of a full page even when it holds fewer points, so a point keeps its
// width from page to page. perPage 0 switches paging off: one page with every point.
//
// The point count is the largest point count of the chart's visible series; the caller passes it
// in, since it changes as points are added. The stored page is only clamped to the count when
// asked for, so adding points never moves the page on screen.
class ChartPaging
{
public:
    int maxPointsPerPage() const { return m_perPage; }
    // Negative values count as 0.
    void setMaxPointsPerPage(int perPage);
    // Changes the page size and shows the page holding the middle point of the page shown.
    void rescale(int perPage, qint64 pointCount);

    int pageCount(qint64 pointCount) const;
    int currentPage(qint64 pointCount) const;

    // Each returns whether the current page changed; at the first or last page nothing happens.
    bool setCurrentPage(int page, qint64 pointCount);
    bool nextPage(qint64 pointCount) { return setCurrentPage(currentPage(pointCount) + 1, pointCount); }
    bool previousPage(qint64 pointCount) { return setCurrentPage(currentPage(pointCount) - 1, pointCount); }
    // Brings the stored page within the page count, after points were removed.
    void clamp(qint64 pointCount) { m_page = currentPage(pointCount); }

    // The x range of the current page, or nothing when paging is off. A page of one point is
    // widened by half a unit on each side so that it has a span.
    std::optional<AxisRange> window(qint64 pointCount) const;

private:
    int m_perPage = 0;
    int m_page = 1;
};
