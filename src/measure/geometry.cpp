#include "measure/geometry.h"

#include <QSize>

#include <algorithm>
#include <cmath>

namespace measure {

// Every formula is written once, for a point type P whose coordinates are T: float for the
// stored points (the widths the formulas state, so the worked examples come out to the digit),
// double for snapped points. Literals are T(...) so that the float instantiation computes exactly
// what a float formula computes; a double constant (pi) meets a float as in the formula, widened.
namespace {

template <class P> using Scalar = decltype(P::x);

template <class T> std::optional<ScaleFactorsT<T>> scaleFactorsFor(float hLength, float vLength, QSize window,
                                                                   QSize picture, QSize bitmap, bool useBitmap)
{
    QSize base;
    if (useBitmap)
        base = bitmap;
    else if (window.width() >= picture.width())
        base = picture;   // mouse positions were already mapped to picture pixels
    else
        base = window;    // mouse positions are window pixels
    if (base.width() <= 0 || base.height() <= 0)
        return std::nullopt;
    return ScaleFactorsT<T>{T(hLength) / T(base.width()), T(vLength) / T(base.height())};
}

template <class P> bool sameSpot(P a, P b)
{
    return int(b.x - a.x) == 0 && int(b.y - a.y) == 0;
}

template <class P> Scalar<P> pixelDistance(P a, P b)
{
    const Scalar<P> dx = b.x - a.x;
    const Scalar<P> dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

template <class P> Scalar<P> scaledDistance(P a, P b, Scalar<P> sx, Scalar<P> sy)
{
    const Scalar<P> dx = (b.x - a.x) * sx;
    const Scalar<P> dy = (b.y - a.y) * sy;
    return std::sqrt(dx * dx + dy * dy);
}

template <class P> bool sideOfLine(P a, P b, P p)
{
    return (a.y - b.y) * p.x + (b.x - a.x) * p.y + b.y * a.x - a.y * b.x > Scalar<P>(0);
}

template <class P> Scalar<P> rayCosine(P a, P b, P c, P d)
{
    using T = Scalar<P>;
    const T ab = pixelDistance(a, b);
    const T dc = pixelDistance(d, c);
    if (ab == T(0) || dc == T(0))
        return T(0);
    const T dot = (b.x - a.x) * (c.x - d.x) + (b.y - a.y) * (c.y - d.y);
    return std::clamp(dot / (ab * dc), T(-1), T(1));
}

template <class P> Scalar<P> rayAngle(P a, P b, P c, P d)
{
    using T = Scalar<P>;
    if (pixelDistance(a, b) == T(0) || pixelDistance(d, c) == T(0))
        return T(0);
    return std::acos(rayCosine(a, b, c, d));
}

template <class P> std::optional<P> circumCentre(P a, P b, P c)
{
    using T = Scalar<P>;
    if ((b.y - a.y) * (c.x - b.x) == (b.x - a.x) * (c.y - b.y))
        return std::nullopt;
    const T m = (b.x * b.x - a.x * a.x + b.y * b.y - a.y * a.y) / T(2);
    const T n = (c.x * c.x - b.x * b.x + c.y * c.y - b.y * b.y) / T(2);
    const T det = (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x);
    return P{((c.y - b.y) * m - (b.y - a.y) * n) / det, ((b.x - a.x) * n - (c.x - b.x) * m) / det};
}

template <class P> TwoPointCircleT<P> twoPointCircleOf(P a, P b)
{
    using T = Scalar<P>;
    TwoPointCircleT<P> c;
    const T d = pixelDistance(a, b);
    const T theta = std::atan2(b.y - a.y, b.x - a.x);
    c.cosTheta = std::cos(theta);
    c.sinTheta = std::sin(theta);
    c.centre = {a.x + c.cosTheta * d / T(2), a.y + c.sinTheta * d / T(2)};
    c.radiusPx = d / T(2);
    return c;
}

template <class P> CircleMeasuresT<Scalar<P>> circleMeasuresOf(P centre, P a, ScaleFactorsT<Scalar<P>> f)
{
    using T = Scalar<P>;
    const T r = scaledDistance(centre, a, f.sx, f.sy);
    return {T(r * kTwoPi), T(r * r * kPi), r, T(2) * r};
}

template <class P> Scalar<P> arcThetaOf(P a, P b, P d)
{
    using T = Scalar<P>;
    T theta = rayAngle(b, d, d, a);
    if (sideOfLine(a, b, d))
        theta = T(kTwoPi - theta);
    return theta;
}

template <class P> ArcMeasuresT<Scalar<P>> arcMeasuresOf(P a, P b, P d, ScaleFactorsT<Scalar<P>> f)
{
    using T = Scalar<P>;
    const T theta = arcThetaOf(a, b, d);
    const T r = scaledDistance(b, d, f.sx, f.sy);
    const T len = r * theta;
    return {len, T(2) * r + len, r * len / T(2), r, T(theta * kRadToDegArc)};
}

template <class P> ArchMeasuresT<Scalar<P>> archMeasuresOf(P a, P b, P d, ScaleFactorsT<Scalar<P>> f)
{
    using T = Scalar<P>;
    const T theta = arcThetaOf(a, b, d);
    const T r = scaledDistance(b, d, f.sx, f.sy);
    const T len = r * theta;
    const T chord = T(2) * r * std::sin(theta / T(2));
    ArchMeasuresT<T> m;
    m.arcLength = len;
    m.chordLength = chord;
    m.perimeter = len + chord;
    m.area = len * r / T(2) - r * r * std::sin(theta) / T(2);
    m.radius = r;
    m.angleDeg = T(theta * kRadToDegArc);
    return m;
}

template <class P> std::optional<EllipseMeasuresT<Scalar<P>>> ellipseMeasuresOf(P a, P b, ScaleFactorsT<Scalar<P>> f)
{
    using T = Scalar<P>;
    const T w = (b.x - a.x) * f.sx;
    const T h = (b.y - a.y) * f.sy;
    if (w == T(0) && h == T(0))
        return std::nullopt;
    const T s = std::min(std::abs(w), std::abs(h)) / T(2);
    const T l = std::max(std::abs(w), std::abs(h)) / T(2);
    EllipseMeasuresT<T> m;
    m.circumference = T(kPi * std::sqrt(T(2) * (s * s + l * l)));
    m.area = T(kPi * s * l);
    m.shortRadius = s;
    m.longRadius = l;
    m.shortDiameter = T(2) * s;
    m.longDiameter = T(2) * l;
    return m;
}

template <class P> std::optional<AreaMeasuresT<Scalar<P>>> squareMeasuresOf(P a, P b, ScaleFactorsT<Scalar<P>> f)
{
    using T = Scalar<P>;
    if (sameSpot(a, b))
        return std::nullopt;
    const T side = T(scaledDistance(a, b, f.sx, f.sy) * kSquareSideFromDiagonal);
    return AreaMeasuresT<T>{T(4) * side, side * side};
}

template <class P> std::optional<AreaMeasuresT<Scalar<P>>> rectangleMeasuresOf(P a, P b, ScaleFactorsT<Scalar<P>> f)
{
    using T = Scalar<P>;
    const T dx = std::abs(b.x - a.x);
    const T dy = std::abs(b.y - a.y);
    if (int(dx) == 0 && int(dy) == 0)
        return std::nullopt;
    const T w = dx * f.sx;
    const T h = dy * f.sy;
    return AreaMeasuresT<T>{T(2) * w + T(2) * h, w * h};
}

template <class P> Scalar<P> polylineLengthOf(const P *points, int count, ScaleFactorsT<Scalar<P>> f)
{
    Scalar<P> total = 0;
    for (int i = 0; i + 1 < count; ++i)
        total += scaledDistance(points[i], points[i + 1], f.sx, f.sy);
    return total;
}

template <class P> AreaMeasuresT<Scalar<P>> polygonMeasuresOf(const P *q, int k, ScaleFactorsT<Scalar<P>> f)
{
    using T = Scalar<P>;
    if (k < 2)
        return {};
    if (k == 2)
        return {scaledDistance(q[0], q[1], f.sx, f.sy), T(0)};
    T perimeter = 0;
    T twiceArea = 0;
    for (int i = 0; i < k; ++i) {
        const P p = q[i];
        const P n = q[(i + 1) % k];
        perimeter += scaledDistance(p, n, f.sx, f.sy);
        twiceArea += f.sx * n.x * f.sy * p.y - f.sy * n.y * f.sx * p.x;
    }
    return {perimeter, std::abs(twiceArea) / T(2)};
}

template <class P, class Degrees> std::optional<Scalar<P>> threePointAngleOf(P a, P b, P d, Degrees perRadian)
{
    using T = Scalar<P>;
    if (pixelDistance(a, b) == T(0) || pixelDistance(d, b) == T(0))
        return std::nullopt;
    return std::acos(rayCosine(a, b, b, d)) * perRadian;
}

template <class P, class Degrees> std::optional<Scalar<P>> threePointFilletOf(P a, P b, P d, Degrees perRadian)
{
    using T = Scalar<P>;
    const std::optional<T> angle = threePointAngleOf(a, b, d, perRadian);
    if (!angle)
        return std::nullopt;
    return T(180) - *angle;
}

template <class P, class Degrees> std::optional<Scalar<P>> fourPointAngleOf(P a, P b, P c, P d, Degrees perRadian)
{
    using T = Scalar<P>;
    if (pixelDistance(a, b) == T(0) || pixelDistance(d, c) == T(0))
        return std::nullopt;
    return std::acos(std::abs(rayCosine(a, b, c, d))) * perRadian;
}

} // namespace

// --- stored points, single precision ---------------------------------------------------------------

std::optional<ScaleFactors> ScaleFactorsFor(float hLength, float vLength, QSize window, QSize picture,
                                            QSize bitmap, bool useBitmap)
{
    return scaleFactorsFor<float>(hLength, vLength, window, picture, bitmap, useBitmap);
}

bool SameSpot(MeasurePoint a, MeasurePoint b) { return sameSpot(a, b); }
float PixelDistance(MeasurePoint a, MeasurePoint b) { return pixelDistance(a, b); }
float ScaledDistance(MeasurePoint a, MeasurePoint b, float sx, float sy) { return scaledDistance(a, b, sx, sy); }
bool SideOfLine(MeasurePoint a, MeasurePoint b, MeasurePoint p) { return sideOfLine(a, b, p); }
float RayCosine(MeasurePoint a, MeasurePoint b, MeasurePoint c, MeasurePoint d) { return rayCosine(a, b, c, d); }
float RayAngle(MeasurePoint a, MeasurePoint b, MeasurePoint c, MeasurePoint d) { return rayAngle(a, b, c, d); }
std::optional<MeasurePoint> CircumCentre(MeasurePoint a, MeasurePoint b, MeasurePoint c) { return circumCentre(a, b, c); }

MeasurePoint CentreOnBisector(MeasurePoint a, MeasurePoint b, MeasurePoint p)
{
    const MeasurePoint mid{(a.x + b.x) / 2.0f, (a.y + b.y) / 2.0f};
    const float d = PixelDistance(p, mid);
    const float len = PixelDistance(a, b);
    if (len == 0.0f)
        return p;
    const float dx = b.x - a.x;
    const float dy = b.y - a.y;
    if (SideOfLine(a, b, p))
        return {mid.x - d * dy / len, mid.y + d * dx / len};
    return {mid.x + d * dy / len, mid.y - d * dx / len};
}

MeasurePoint AxisSnap(MeasurePoint anchor, MeasurePoint point)
{
    const int fx = std::abs(int(anchor.x - point.x));
    const int fy = std::abs(int(anchor.y - point.y));
    if (fx < fy)
        point.x = float(int(anchor.x));
    else
        point.y = float(int(anchor.y));
    return point;
}

TwoPointCircle twoPointCircle(MeasurePoint a, MeasurePoint b) { return twoPointCircleOf(a, b); }
CircleMeasures circleMeasures(MeasurePoint centre, MeasurePoint a, ScaleFactors f) { return circleMeasuresOf(centre, a, f); }
float arcTheta(MeasurePoint a, MeasurePoint b, MeasurePoint d) { return arcThetaOf(a, b, d); }
ArcMeasures arcMeasures(MeasurePoint a, MeasurePoint b, MeasurePoint d, ScaleFactors f) { return arcMeasuresOf(a, b, d, f); }
ArchMeasures archMeasures(MeasurePoint a, MeasurePoint b, MeasurePoint d, ScaleFactors f) { return archMeasuresOf(a, b, d, f); }

ArcOutline arcOutline(MeasurePoint a, MeasurePoint b, MeasurePoint d)
{
    ArcOutline o;
    o.radiusPx = PixelDistance(d, b);
    const float phi1 = std::atan2(d.y - a.y, d.x - a.x);
    o.s = {d.x - o.radiusPx * std::cos(phi1), d.y - o.radiusPx * std::sin(phi1)};
    const float phi2 = std::atan2(d.y - (o.s.y + b.y) / 2.0f, d.x - (o.s.x + b.x) / 2.0f);
    o.t = {d.x - o.radiusPx * std::cos(phi2), d.y - o.radiusPx * std::sin(phi2)};
    return o;
}

std::optional<EllipseMeasures> ellipseMeasures(MeasurePoint a, MeasurePoint b, ScaleFactors f) { return ellipseMeasuresOf(a, b, f); }

SquareCorners squareCorners(MeasurePoint a, MeasurePoint b)
{
    const MeasurePoint m{(a.x + b.x) / 2.0f, (a.y + b.y) / 2.0f};
    const MeasurePoint h{m.y - a.y, a.x - m.x};
    return {a, {m.x + h.x, m.y + h.y}, b, {m.x - h.x, m.y - h.y}};
}

std::optional<AreaMeasures> squareMeasures(MeasurePoint a, MeasurePoint b, ScaleFactors f) { return squareMeasuresOf(a, b, f); }
std::optional<AreaMeasures> rectangleMeasures(MeasurePoint a, MeasurePoint b, ScaleFactors f) { return rectangleMeasuresOf(a, b, f); }
float polylineLength(const MeasurePoint *points, int count, ScaleFactors f) { return polylineLengthOf(points, count, f); }
AreaMeasures polygonMeasures(const MeasurePoint *q, int k, ScaleFactors f) { return polygonMeasuresOf(q, k, f); }

std::optional<float> threePointAngle(MeasurePoint a, MeasurePoint b, MeasurePoint d)
{
    return threePointAngleOf(a, b, d, kRadToDegAngle);
}
std::optional<float> threePointFillet(MeasurePoint a, MeasurePoint b, MeasurePoint d)
{
    return threePointFilletOf(a, b, d, kRadToDegAngle);
}
std::optional<float> fourPointAngle(MeasurePoint a, MeasurePoint b, MeasurePoint c, MeasurePoint d)
{
    return fourPointAngleOf(a, b, c, d, kRadToDegAngle);
}

std::array<Segment, 2> auxiliaryEndMarks(MeasurePoint a, MeasurePoint b)
{
    const float hx = (a.y - b.y) / 2.0f;
    const float hy = (b.x - a.x) / 2.0f;
    const auto at = [&](MeasurePoint e) { return Segment{{e.x + hx, e.y + hy}, {e.x - hx, e.y - hy}}; };
    return {at(a), at(b)};
}

std::optional<std::array<Segment, 2>> endTicks(MeasurePoint a, MeasurePoint b, float reach)
{
    const float len = PixelDistance(a, b);
    if (len == 0.0f)
        return std::nullopt;
    const float u = reach * (b.x - a.x) / len;
    const float v = reach * (b.y - a.y) / len;
    return std::array<Segment, 2>{Segment{{b.x + v, b.y - u}, {b.x - v, b.y + u}},
                                  Segment{{a.x + v, a.y - u}, {a.x - v, a.y + u}}};
}

// --- snapped points, double precision --------------------------------------------------------------

std::optional<PreciseScaleFactors> PreciseScaleFactorsFor(float hLength, float vLength, QSize window, QSize picture,
                                                          QSize bitmap, bool useBitmap)
{
    return scaleFactorsFor<double>(hLength, vLength, window, picture, bitmap, useBitmap);
}

namespace precise {

bool SameSpot(PrecisePoint a, PrecisePoint b) { return sameSpot(a, b); }
double PixelDistance(PrecisePoint a, PrecisePoint b) { return pixelDistance(a, b); }
double ScaledDistance(PrecisePoint a, PrecisePoint b, double sx, double sy) { return scaledDistance(a, b, sx, sy); }
std::optional<PrecisePoint> CircumCentre(PrecisePoint a, PrecisePoint b, PrecisePoint c) { return circumCentre(a, b, c); }
TwoPointCircleT<PrecisePoint> twoPointCircle(PrecisePoint a, PrecisePoint b) { return twoPointCircleOf(a, b); }
PreciseCircleMeasures circleMeasures(PrecisePoint centre, PrecisePoint a, PreciseScaleFactors f)
{
    return circleMeasuresOf(centre, a, f);
}
PreciseArcMeasures arcMeasures(PrecisePoint a, PrecisePoint b, PrecisePoint d, PreciseScaleFactors f)
{
    return arcMeasuresOf(a, b, d, f);
}
PreciseArchMeasures archMeasures(PrecisePoint a, PrecisePoint b, PrecisePoint d, PreciseScaleFactors f)
{
    return archMeasuresOf(a, b, d, f);
}
std::optional<PreciseEllipseMeasures> ellipseMeasures(PrecisePoint a, PrecisePoint b, PreciseScaleFactors f)
{
    return ellipseMeasuresOf(a, b, f);
}
std::optional<PreciseAreaMeasures> squareMeasures(PrecisePoint a, PrecisePoint b, PreciseScaleFactors f)
{
    return squareMeasuresOf(a, b, f);
}
std::optional<PreciseAreaMeasures> rectangleMeasures(PrecisePoint a, PrecisePoint b, PreciseScaleFactors f)
{
    return rectangleMeasuresOf(a, b, f);
}
double polylineLength(const PrecisePoint *points, int count, PreciseScaleFactors f) { return polylineLengthOf(points, count, f); }
PreciseAreaMeasures polygonMeasures(const PrecisePoint *q, int k, PreciseScaleFactors f) { return polygonMeasuresOf(q, k, f); }
std::optional<double> threePointAngle(PrecisePoint a, PrecisePoint b, PrecisePoint d)
{
    return threePointAngleOf(a, b, d, kRadToDegAnglePrecise);
}
std::optional<double> threePointFillet(PrecisePoint a, PrecisePoint b, PrecisePoint d)
{
    return threePointFilletOf(a, b, d, kRadToDegAnglePrecise);
}
std::optional<double> fourPointAngle(PrecisePoint a, PrecisePoint b, PrecisePoint c, PrecisePoint d)
{
    return fourPointAngleOf(a, b, c, d, kRadToDegAnglePrecise);
}

} // namespace precise
} // namespace measure
