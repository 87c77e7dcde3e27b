#include "measure/labelplacer.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <queue>
#include <tuple>
#include <unordered_set>

namespace measure {

namespace {
constexpr int kSquare = 64;
}

void LabelPlacer::reset(QSize picture)
{
    picture_ = picture;
    taken_.clear();
    columns_ = picture.isEmpty() ? 0 : (picture.width() + kSquare - 1) / kSquare;
    rows_ = picture.isEmpty() ? 0 : (picture.height() + kSquare - 1) / kSquare;
    squares_.assign(std::size_t(columns_) * std::size_t(rows_), {});
}

void LabelPlacer::setTaken(std::vector<QRect> taken)
{
    reset(picture_);
    for (const QRect &cell : taken)
        add(cell);
}

void LabelPlacer::take(const QRect &cell)
{
    if (std::find(taken_.begin(), taken_.end(), cell) == taken_.end())
        add(cell);
}

bool LabelPlacer::squaresOf(const QRect &cell, int &x0, int &y0, int &x1, int &y1) const
{
    if (cell.isEmpty() || columns_ == 0)
        return false;
    x0 = std::max(0, cell.left() / kSquare);
    y0 = std::max(0, cell.top() / kSquare);
    x1 = std::min(columns_ - 1, cell.right() / kSquare);
    y1 = std::min(rows_ - 1, cell.bottom() / kSquare);
    // A cell wholly outside the picture covers no square; no place inside it can meet it.
    return cell.right() >= 0 && cell.bottom() >= 0 && x0 <= x1 && y0 <= y1;
}

void LabelPlacer::add(const QRect &cell)
{
    const auto index = std::uint32_t(taken_.size());
    taken_.push_back(cell);
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
    if (!squaresOf(cell, x0, y0, x1, y1))
        return;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            squares_[std::size_t(y) * std::size_t(columns_) + std::size_t(x)].push_back(index);
}

// Only places inside the picture are asked about.
bool LabelPlacer::free(const QRect &cell) const
{
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
    if (!squaresOf(cell, x0, y0, x1, y1))
        return true;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            for (const std::uint32_t i : squares_[std::size_t(y) * std::size_t(columns_) + std::size_t(x)])
                if (taken_[i].intersects(cell))
                    return false;
    return true;
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
        add(cell);
        return cell;
    }
    const QRect inside(QPoint(std::clamp(wanted.x(), 0, maxX), std::clamp(wanted.y(), 0, maxY)), wanted.size());
    if (inside == wanted && free(wanted)) {
        add(wanted);
        return wanted;
    }
    std::vector<int> xs{inside.x(), 0, maxX}, ys{inside.y(), 0, maxY};
    for (const QRect &t : taken_) {
        xs.push_back(t.left() - w);
        xs.push_back(t.right() + 1);
        ys.push_back(t.top() - h);
        ys.push_back(t.bottom() + 1);
    }
    // Each axis's candidates once, nearest to the wanted place first.
    const auto byDistance = [](std::vector<int> &v, int high, int from) {
        v.erase(std::remove_if(v.begin(), v.end(), [high](int c) { return c < 0 || c > high; }), v.end());
        std::sort(v.begin(), v.end(), [from](int a, int b) {
            return std::pair(std::abs(a - from), a) < std::pair(std::abs(b - from), b);
        });
        v.erase(std::unique(v.begin(), v.end()), v.end());
    };
    byDistance(xs, maxX, wanted.x());
    byDistance(ys, maxY, wanted.y());

    // The pairs (xs[i], ys[j]) in order of distance: a pair's distance grows with i and with j,
    // so each pair comes after (i - 1, j) and (i, j - 1), and a heap that starts at (0, 0) and
    // adds the two followers of every pair it hands out hands them out nearest first. Checking
    // every pair of the candidates instead costs the cube of the labels for each label: a
    // thousand shapes took minutes to redraw.
    struct Pair {
        long long distance;
        int y, x;
        std::size_t i, j;
        bool operator>(const Pair &o) const { return std::tie(distance, y, x) > std::tie(o.distance, o.y, o.x); }
    };
    const auto pair = [&](std::size_t i, std::size_t j) {
        const long long dx = xs[i] - wanted.x(), dy = ys[j] - wanted.y();
        return Pair{dx * dx + dy * dy, ys[j], xs[i], i, j};
    };
    std::priority_queue<Pair, std::vector<Pair>, std::greater<>> next;
    std::unordered_set<std::uint64_t> queued;
    const auto push = [&](std::size_t i, std::size_t j) {
        if (i < xs.size() && j < ys.size() && queued.insert(std::uint64_t(i) << 32 | j).second)
            next.push(pair(i, j));
    };
    push(0, 0);
    std::optional<QRect> best;
    // A crowded picture may have no free place at all: past this many places the label keeps
    // its wanted place inside, over another, rather than hold up the redraw.
    constexpr int kMostPlacesTried = 4096;
    for (int tried = 0; !next.empty() && tried < kMostPlacesTried; ++tried) {
        // Of equal distances the heap hands out the higher, then the more left place first (a
        // pair's followers at the same distance lie lower or further right), so the first free
        // place it hands out is the answer.
        const Pair p = next.top();
        next.pop();
        const QRect cell(QPoint(p.x, p.y), wanted.size());
        if (free(cell)) {
            best = cell;
            break;
        }
        push(p.i + 1, p.j);
        push(p.i, p.j + 1);
    }
    const QRect cell = best.value_or(inside);
    add(cell);
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
