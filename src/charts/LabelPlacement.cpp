#include "LabelPlacement.h"

#include "PolylineClip.h"

#include <algorithm>
#include <numeric>
#include <optional>

namespace {

// How much of the data the box covers: the points inside it and the segments crossing it.
qsizetype Covered(const QRectF& box, const std::vector<QPointF>& points, const std::vector<QPolygonF>& lines)
{
    qsizetype covered =
        std::count_if(points.begin(), points.end(), [&box](const QPointF& p) { return box.contains(p); });
    for (const QPolygonF& line : lines) {
        for (qsizetype i = 1; i < line.size(); ++i) {
            covered += ClipSegment(line[i - 1], line[i], box) ? 1 : 0;
        }
    }
    return covered;
}

// The box beside its point where it fits and covers less of the data, above on a tie. Where
// that still covers some, a box up to a box's height further away is taken when it covers at
// most half as much: a label moves off its point only for a clearly better view.
QRectF PreferredBox(const LabelRequest& r, const std::vector<QPointF>& points, const std::vector<QPolygonF>& lines)
{
    const QRectF& area = r.area;
    const double w = r.size.width();
    const double h = r.size.height();
    const double left =
        std::clamp(r.anchor.x() - w / 2, area.left() + 1, std::max(area.left() + 1, area.right() - w - 1));
    std::optional<QRectF> best;
    qsizetype bestCovered = 0;
    qsizetype besideCovered = 0;
    for (const double away : {0.0, h / 2, h}) {
        for (const QRectF& box : {QRectF(left, r.anchor.y() - r.lift - away - h, w, h),
                                  QRectF(left, r.anchor.y() + r.lift + away, w, h)}) {
            if (!area.contains(box)) {
                continue;
            }
            const qsizetype covered = Covered(box, points, lines);
            const bool clearlyBetter = away == 0 || (best && 2 * covered <= besideCovered);
            if (!best || (covered < bestCovered && clearlyBetter)) {
                best = box;
                bestCovered = covered;
            }
        }
        if (away == 0) {
            besideCovered = bestCovered;
        }
    }
    // Where neither side fits, below, to be brought back into the area when labels move apart.
    return best.value_or(QRectF(left, r.anchor.y() + r.lift, w, h));
}

} // namespace

std::vector<QRectF> PlaceLabels(const std::vector<LabelRequest>& requests, const std::vector<QPointF>& points,
                                const std::vector<QPolygonF>& lines)
{
    std::vector<QRectF> boxes;
    boxes.reserve(requests.size());
    for (const LabelRequest& r : requests) {
        boxes.push_back(PreferredBox(r, points, lines));
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
