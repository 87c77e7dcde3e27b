#include "measure/geometry.h"

#include <QSize>

#include <algorithm>
#include <cmath>

namespace measure {

std::optional<ScaleFactors> ScaleFactorsFor(float hLength, float vLength, QSize window, QSize picture,
                                            QSize bitmap, bool useBitmap)
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
    return ScaleFactors{hLength / float(base.width()), vLength / float(base.height())};
}

bool SameSpot(MeasurePoint a, MeasurePoint b)
{
    return int(b.x - a.x) == 0 && int(b.y - a.y) == 0;
}

float PixelDistance(MeasurePoint a, MeasurePoint b)
{
    const float dx = b.x - a.x;
    const float dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

float ScaledDistance(MeasurePoint a, MeasurePoint b, float sx, float sy)
{
    const float dx = (b.x - a.x) * sx;
    const float dy = (b.y - a.y) * sy;
    return std::sqrt(dx * dx + dy * dy);
}

bool SideOfLine(MeasurePoint a, MeasurePoint b, MeasurePoint p)
{
    return (a.y - b.y) * p.x + (b.x - a.x) * p.y + b.y * a.x - a.y * b.x > 0.0f;
}

float RayCosine(MeasurePoint a, MeasurePoint b, MeasurePoint c, MeasurePoint d)
{
    const float ab = PixelDistance(a, b);
    const float dc = PixelDistance(d, c);
    if (ab == 0.0f || dc == 0.0f)
        return 0.0f;
    const float dot = (b.x - a.x) * (c.x - d.x) + (b.y - a.y) * (c.y - d.y);
    return std::clamp(dot / (ab * dc), -1.0f, 1.0f);
}

float RayAngle(MeasurePoint a, MeasurePoint b, MeasurePoint c, MeasurePoint d)
{
    if (PixelDistance(a, b) == 0.0f || PixelDistance(d, c) == 0.0f)
        return 0.0f;
    return std::acos(RayCosine(a, b, c, d));
}

std::optional<MeasurePoint> CircumCentre(MeasurePoint a, MeasurePoint b, MeasurePoint c)
{
    if ((b.y - a.y) * (c.x - b.x) == (b.x - a.x) * (c.y - b.y))
        return std::nullopt;
    const float m = (b.x * b.x - a.x * a.x + b.y * b.y - a.y * a.y) / 2.0f;
    const float n = (c.x * c.x - b.x * b.x + c.y * c.y - b.y * b.y) / 2.0f;
    const float det = (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x);
    return MeasurePoint{((c.y - b.y) * m - (b.y - a.y) * n) / det, ((b.x - a.x) * n - (c.x - b.x) * m) / det};
}

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

TwoPointCircle twoPointCircle(MeasurePoint a, MeasurePoint b)
{
    TwoPointCircle c;
    const float d = PixelDistance(a, b);
    const float theta = std::atan2(b.y - a.y, b.x - a.x);
    c.cosTheta = std::cos(theta);
    c.sinTheta = std::sin(theta);
    c.centre = {a.x + c.cosTheta * d / 2.0f, a.y + c.sinTheta * d / 2.0f};
    c.radiusPx = d / 2.0f;
    return c;
}

CircleMeasures circleMeasures(MeasurePoint centre, MeasurePoint a, ScaleFactors f)
{
    const float r = ScaledDistance(centre, a, f.sx, f.sy);
    return {float(r * kTwoPi), float(r * r * kPi), r, 2.0f * r};
}

float arcTheta(MeasurePoint a, MeasurePoint b, MeasurePoint d)
{
    float theta = RayAngle(b, d, d, a);
    if (SideOfLine(a, b, d))
        theta = float(kTwoPi - theta);
    return theta;
}

ArcMeasures arcMeasures(MeasurePoint a, MeasurePoint b, MeasurePoint d, ScaleFactors f)
{
    const float theta = arcTheta(a, b, d);
    const float r = ScaledDistance(b, d, f.sx, f.sy);
    const float len = r * theta;
    return {len, 2.0f * r + len, r * len / 2.0f, r, float(theta * kRadToDegArc)};
}

ArchMeasures archMeasures(MeasurePoint a, MeasurePoint b, MeasurePoint d, ScaleFactors f)
{
    const float theta = arcTheta(a, b, d);
    const float r = ScaledDistance(b, d, f.sx, f.sy);
    const float len = r * theta;
    const float chord = 2.0f * r * std::sin(theta / 2.0f);
    ArchMeasures m;
    m.arcLength = len;
    m.chordLength = chord;
    m.perimeter = len + chord;
    m.area = len * r / 2.0f - r * r * std::sin(theta) / 2.0f;
    m.radius = r;
    m.angleDeg = float(theta * kRadToDegArc);
    return m;
}

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

std::optional<EllipseMeasures> ellipseMeasures(MeasurePoint a, MeasurePoint b, ScaleFactors f)
{
    const float w = (b.x - a.x) * f.sx;
    const float h = (b.y - a.y) * f.sy;
    if (w == 0.0f && h == 0.0f)
        return std::nullopt;
    const float s = std::min(std::abs(w), std::abs(h)) / 2.0f;
    const float l = std::max(std::abs(w), std::abs(h)) / 2.0f;
    EllipseMeasures m;
    m.circumference = float(kPi * std::sqrt(2.0f * (s * s + l * l)));
    m.area = float(kPi * s * l);
    m.shortRadius = s;
    m.longRadius = l;
    m.shortDiameter = 2.0f * s;
    m.longDiameter = 2.0f * l;
    return m;
}

SquareCorners squareCorners(MeasurePoint a, MeasurePoint b)
{
    const MeasurePoint m{(a.x + b.x) / 2.0f, (a.y + b.y) / 2.0f};
    const MeasurePoint h{m.y - a.y, a.x - m.x};
    return {a, {m.x + h.x, m.y + h.y}, b, {m.x - h.x, m.y - h.y}};
}

std::optional<AreaMeasures> squareMeasures(MeasurePoint a, MeasurePoint b, ScaleFactors f)
{
    if (SameSpot(a, b))
        return std::nullopt;
    const float side = float(ScaledDistance(a, b, f.sx, f.sy) * kSquareSideFromDiagonal);
    return AreaMeasures{4.0f * side, side * side};
}

std::optional<AreaMeasures> rectangleMeasures(MeasurePoint a, MeasurePoint b, ScaleFactors f)
{
    const float dx = std::abs(b.x - a.x);
    const float dy = std::abs(b.y - a.y);
    if (int(dx) == 0 && int(dy) == 0)
        return std::nullopt;
    const float w = dx * f.sx;
    const float h = dy * f.sy;
    return AreaMeasures{2.0f * w + 2.0f * h, w * h};
}

float polylineLength(const MeasurePoint *points, int count, ScaleFactors f)
{
    float total = 0.0f;
    for (int i = 0; i + 1 < count; ++i)
        total += ScaledDistance(points[i], points[i + 1], f.sx, f.sy);
    return total;
}

AreaMeasures polygonMeasures(const MeasurePoint *q, int k, ScaleFactors f)
{
    if (k < 2)
        return {};
    if (k == 2)
        return {ScaledDistance(q[0], q[1], f.sx, f.sy), 0.0f};
    float perimeter = 0.0f;
    float twiceArea = 0.0f;
    for (int i = 0; i < k; ++i) {
        const MeasurePoint p = q[i];
        const MeasurePoint n = q[(i + 1) % k];
        perimeter += ScaledDistance(p, n, f.sx, f.sy);
        twiceArea += f.sx * n.x * f.sy * p.y - f.sy * n.y * f.sx * p.x;
    }
    return {perimeter, std::abs(twiceArea) / 2.0f};
}

std::optional<float> threePointAngle(MeasurePoint a, MeasurePoint b, MeasurePoint d)
{
    if (PixelDistance(a, b) == 0.0f || PixelDistance(d, b) == 0.0f)
        return std::nullopt;
    return std::acos(RayCosine(a, b, b, d)) * kRadToDegAngle;
}

std::optional<float> threePointFillet(MeasurePoint a, MeasurePoint b, MeasurePoint d)
{
    const std::optional<float> angle = threePointAngle(a, b, d);
    if (!angle)
        return std::nullopt;
    return 180.0f - *angle;
}

std::optional<float> fourPointAngle(MeasurePoint a, MeasurePoint b, MeasurePoint c, MeasurePoint d)
{
    if (PixelDistance(a, b) == 0.0f || PixelDistance(d, c) == 0.0f)
        return std::nullopt;
    return std::acos(std::abs(RayCosine(a, b, c, d))) * kRadToDegAngle;
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

} // namespace measure
