#include "LabelPlacement.h"

#include <algorithm>
#include <numeric>

namespace {

qsizetype CoveredPoints(const QRectF& box, const std::vector<QPointF>& points)
{
    return std::count_if(points.begin(), points.end(), [&box](const QPointF& p) { return box.contains(p); });
}

// The box on the side of its point where it fits and covers fewer points, above on a tie.
QRectF PreferredBox(const LabelRequest& r, const std::vector<QPointF>& points)
{
    const QRectF& area = r.area;
    const double w = r.size.width();
    const double h = r.size.height();
    const double left =
        std::clamp(r.anchor.x() - w / 2, area.left() + 1, std::max(area.left() + 1, area.right() - w - 1));
    const QRectF above(left, r.anchor.y() - r.lift - h, w, h);
    const QRectF below(left, r.anchor.y() + r.lift, w, h);
    if (!area.contains(above)) {
        return below;
    }
    return area.contains(below) && CoveredPoints(below, points) < CoveredPoints(above, points) ? below : above;
}

} // namespace

std::vector<QRectF> PlaceLabels(const std::vector<LabelRequest>& requests, const std::vector<QPointF>& points)
{
    std::vector<QRectF> boxes;
    boxes.reserve(requests.size());
    for (const LabelRequest& r : requests) {
        boxes.push_back(PreferredBox(r, points));
    }
    // Top to bottom by their points, so that moving apart keeps their order.
    std::vector<size_t> order(requests.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return requests[a].anchor.y() < requests[b].anchor.y(); });

    // Downwards: each box below the boxes of the labels above it that it covers.
    for (size_t k = 0; k < order.size(); ++k) {
        QRectF& box = boxes[order[k]];
        for (bool moved = true; moved;) {
            moved = false;
            for (size_t j = 0; j < k; ++j) {
                if (boxes[order[j]].intersects(box)) {
                    box.moveTop(boxes[order[j]].bottom() + 1);
                    moved = true;
                }
            }
        }
    }
    // Upwards: a box below its area comes back into it, above the boxes below it.
    for (size_t k = order.size(); k-- > 0;) {
        QRectF& box = boxes[order[k]];
        const QRectF& area = requests[order[k]].area;
        if (box.bottom() > area.bottom()) {
            box.moveBottom(area.bottom());
        }
        for (bool moved = true; moved;) {
            moved = false;
            for (size_t j = k + 1; j < order.size(); ++j) {
                if (boxes[order[j]].intersects(box)) {
                    box.moveBottom(boxes[order[j]].top() - 1);
                    moved = true;
                }
            }
        }
    }
    // What still does not fit is left out.
    std::vector<QRectF> kept;
    for (size_t i = 0; i < boxes.size(); ++i) {
        const bool fits = requests[i].area.contains(boxes[i]) &&
                          std::none_of(kept.begin(), kept.end(), [&](const QRectF& other) {
                              return other.intersects(boxes[i]);
                          });
        kept.push_back(fits ? boxes[i] : QRectF());
    }
    return kept;
}
