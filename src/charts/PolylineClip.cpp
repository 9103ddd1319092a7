#include "PolylineClip.h"

#include <algorithm>

std::optional<std::pair<QPointF, QPointF>> ClipSegment(const QPointF& a, const QPointF& b, const QRectF& rect)
{
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    double enter = 0;
    double leave = 1;
    // Per edge: the direction's component towards outside and the distance inside.
    const std::pair<double, double> edges[4] = {{-dx, a.x() - rect.left()},
                                                 {dx, rect.right() - a.x()},
                                                 {-dy, a.y() - rect.top()},
                                                 {dy, rect.bottom() - a.y()}};
    for (const auto& [towards, inside] : edges) {
        if (towards == 0) {
            if (inside < 0) {
                return std::nullopt;
            }
            continue;
        }
        const double t = inside / towards;
        if (towards < 0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
        if (enter > leave) {
            return std::nullopt;
        }
    }
    return std::pair{QPointF(a.x() + enter * dx, a.y() + enter * dy), QPointF(a.x() + leave * dx, a.y() + leave * dy)};
}

QList<QPolygonF> ClipPolyline(const QPolygonF& line, const QRectF& rect)
{
    QList<QPolygonF> pieces;
    if (line.size() == 1 && rect.contains(line.first())) {
        pieces.append(line);
        return pieces;
    }
    bool open = false; // the last piece ends where the next segment starts
    for (qsizetype i = 1; i < line.size(); ++i) {
        const auto part = ClipSegment(line[i - 1], line[i], rect);
        if (!part) {
            open = false;
            continue;
        }
        if (!open || pieces.last().last() != part->first) {
            pieces.append(QPolygonF{part->first});
        }
        pieces.last().append(part->second);
        open = part->second == line[i];
    }
    return pieces;
}
