#include "measure/labelplacer.h"

#include <algorithm>
#include <limits>

namespace measure {

void LabelPlacer::reset(QSize picture)
{
    picture_ = picture;
    taken_.clear();
}

void LabelPlacer::take(const QRect &cell)
{
    if (std::find(taken_.begin(), taken_.end(), cell) == taken_.end())
        taken_.push_back(cell);
}

bool LabelPlacer::free(const QRect &cell) const
{
    return std::none_of(taken_.begin(), taken_.end(), [&cell](const QRect &t) { return t.intersects(cell); });
}

// The nearest free place is the wanted place itself, or a place whose cell touches a taken cell
// or the picture's edge in x and y: so the candidates' x values are the wanted x, each taken
// cell's left minus the width and right plus one, and the picture's two edges (y alike). Their
// products hold the nearest free place whenever there is one.
QRect LabelPlacer::place(const QRect &wanted)
{
    const int w = wanted.width(), h = wanted.height();
    const int maxX = picture_.width() - w, maxY = picture_.height() - h;
    if (maxX < 0 || maxY < 0 || picture_.isEmpty()) {
        const QRect cell(QPoint(std::max(0, std::min(wanted.x(), maxX)), std::max(0, std::min(wanted.y(), maxY))),
                         wanted.size());
        taken_.push_back(cell);
        return cell;
    }
    const QRect inside(QPoint(std::clamp(wanted.x(), 0, maxX), std::clamp(wanted.y(), 0, maxY)), wanted.size());
    if (inside == wanted && free(wanted)) {
        taken_.push_back(wanted);
        return wanted;
    }
    std::vector<int> xs{inside.x(), 0, maxX}, ys{inside.y(), 0, maxY};
    for (const QRect &t : taken_) {
        xs.push_back(t.left() - w);
        xs.push_back(t.right() + 1);
        ys.push_back(t.top() - h);
        ys.push_back(t.bottom() + 1);
    }
    const auto usable = [](std::vector<int> &v, int high) {
        v.erase(std::remove_if(v.begin(), v.end(), [high](int c) { return c < 0 || c > high; }), v.end());
        std::sort(v.begin(), v.end());
        v.erase(std::unique(v.begin(), v.end()), v.end());
    };
    usable(xs, maxX);
    usable(ys, maxY);

    const auto distance = [&wanted](int x, int y) {
        const long long dx = x - wanted.x(), dy = y - wanted.y();
        return dx * dx + dy * dy;
    };
    std::optional<QRect> best;
    long long bestDistance = std::numeric_limits<long long>::max();
    // ys and xs ascend, and only a strictly nearer place replaces the best: of equal distances
    // the higher, then the more left place stays.
    for (int y : ys)
        for (int x : xs) {
            const long long d = distance(x, y);
            if (d >= bestDistance)
                continue;
            const QRect cell(QPoint(x, y), wanted.size());
            if (free(cell)) {
                best = cell;
                bestDistance = d;
            }
        }
    const QRect cell = best.value_or(inside);
    taken_.push_back(cell);
    return cell;
}

std::optional<std::pair<QPoint, QPoint>> leaderLine(QPoint anchor, const QRect &cell)
{
    if (cell.contains(anchor))
        return std::nullopt;
    const QPoint nearest(std::clamp(anchor.x(), cell.left(), cell.right()),
                         std::clamp(anchor.y(), cell.top(), cell.bottom()));
    return std::pair{anchor, nearest};
}

} // namespace measure
