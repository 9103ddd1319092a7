#include "LabelPlacement.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int kFurthestLines = 4; // how many label heights a label may move beyond its first places

qsizetype CoveredPoints(const QRectF& box, const std::vector<QPointF>& points)
{
    return std::count_if(points.begin(), points.end(), [&box](const QPointF& p) { return box.contains(p); });
}

} // namespace

std::vector<QRectF> PlaceLabels(const std::vector<LabelRequest>& requests, const QRectF& inner, const QRectF& area,
                                const std::vector<QPointF>& points)
{
    std::vector<QRectF> placed;
    placed.reserve(requests.size());
    for (const LabelRequest& r : requests) {
        const double w = r.size.width();
        const double h = r.size.height();
        const double left =
            std::clamp(r.anchor.x() - w / 2, inner.left() + 1, std::max(inner.left() + 1, inner.right() - w - 1));
        const double above = r.anchor.y() - r.lift - h;
        const double below = r.anchor.y() + r.lift;
        QRectF best;
        qsizetype bestCovered = std::numeric_limits<qsizetype>::max();
        for (int k = 0; k <= kFurthestLines && bestCovered > 0; ++k) {
            for (const double top : {above - k * h, below + k * h}) {
                const QRectF box(left, top, w, h);
                if (!area.contains(box) || std::any_of(placed.begin(), placed.end(), [&box](const QRectF& other) {
                        return other.intersects(box);
                    })) {
                    continue;
                }
                const qsizetype covered = CoveredPoints(box, points);
                if (covered < bestCovered) {
                    best = box;
                    bestCovered = covered;
                }
            }
        }
        placed.push_back(best);
    }
    return placed;
}
