#include "measure/shapes.h"

#include <algorithm>

namespace measure {

PrecisePoint SnappedPoints::precise(MeasurePoint stored) const
{
    for (int i = 0; i < count; ++i)
        if (entries[std::size_t(i)].stored == stored)
            return entries[std::size_t(i)].precise;
    return {double(stored.x), double(stored.y)};
}

bool SnappedPoints::contains(MeasurePoint stored) const
{
    for (int i = 0; i < count; ++i)
        if (entries[std::size_t(i)].stored == stored)
            return true;
    return false;
}

void SnappedPoints::add(MeasurePoint stored, PrecisePoint precise)
{
    for (int i = 0; i < count; ++i)
        if (entries[std::size_t(i)].stored == stored) {
            entries[std::size_t(i)].precise = precise;
            return;
        }
    if (count < kMaxSnappedPoints)
        entries[std::size_t(count++)] = {stored, precise};
}

void dropUnusedSnapped(ShapeDraft &shape)
{
    const auto used = [&shape](MeasurePoint p) {
        if (p == shape.a || p == shape.b || p == shape.c || p == shape.d)
            return true;
        const auto in = [p](const MeasurePoint *points, int last) { return std::find(points, points + last + 1, p) != points + last + 1; };
        return in(shape.nodes.data(), std::clamp(shape.nodeCount, 0, kMaxListPoints - 1))
               || in(shape.multi.data(), std::clamp(shape.multiCount, 0, kMaxListPoints - 1))
               || in(shape.polygon.data(), std::clamp(shape.polygonCount + 1, 0, kMaxPolygonEntries - 1));
    };
    SnappedPoints &t = shape.snapped;
    int kept = 0;
    for (int i = 0; i < t.count; ++i)
        if (used(t.entries[std::size_t(i)].stored))
            t.entries[std::size_t(kept++)] = t.entries[std::size_t(i)];
    t.count = kept;
}

} // namespace measure
