#include "warp.h"

#include <algorithm>
#include <cmath>

namespace stack {

Warp Warp::rescaled(double factor) const
{
    // A pixel centre x of the scaled picture is (x + 0.5) / factor - 0.5 in this one:
    // x_s = factor * x + o with o = (factor - 1) / 2. Then W_s = S W S^-1.
    const double o = (factor - 1) / 2;
    Warp w;
    w.m[0] = m[0];
    w.m[1] = m[1];
    w.m[3] = m[3];
    w.m[4] = m[4];
    // S W S^-1 (x) = factor * (A (x - o) / factor + t) + o = A x - A o + factor t + o
    w.m[2] = factor * m[2] + o - (m[0] + m[1]) * o;
    w.m[5] = factor * m[5] + o - (m[3] + m[4]) * o;
    return w;
}

double cornerDistance(const Warp &a, const Warp &b, QSize picture)
{
    const double r = picture.width() - 1, bottom = picture.height() - 1;
    double worst = 0;
    for (const QPointF corner : {QPointF(0, 0), QPointF(r, 0), QPointF(0, bottom), QPointF(r, bottom)}) {
        const QPointF d = a.map(corner) - b.map(corner);
        worst = std::max(worst, std::hypot(d.x(), d.y()));
    }
    return worst;
}

} // namespace stack
