#pragma once

#include <array>
#include <optional>

class QSize;

namespace measure {

// A point in picture pixels (window pixels when the window is narrower than the picture), origin
// top-left, y downwards. Always picked at whole pixels; kept as floats because derived points
// (centres, corners) are not whole.
struct MeasurePoint {
    float x = 0.0f;
    float y = 0.0f;
    friend bool operator==(const MeasurePoint &, const MeasurePoint &) = default;
};

// A point of a snapped or fitted shape at sub-pixel precision, in the same pixels as MeasurePoint:
// a whole-pixel position stands for the centre of that pixel.
struct PrecisePoint {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const PrecisePoint &, const PrecisePoint &) = default;
};

// Real length of one pixel along x and y, in the current ruler scale's unit. The measures below
// come in the single precision the formulas state (float) and, for the points of snapped shapes,
// in double precision (the Precise... names): one formula, two widths.
template <class T> struct ScaleFactorsT {
    T sx = 0;
    T sy = 0;
};
using ScaleFactors = ScaleFactorsT<float>;
using PreciseScaleFactors = ScaleFactorsT<double>;

template <class T> struct CircleMeasuresT {
    T circumference = 0, area = 0, radius = 0, diameter = 0;
};
template <class T> struct ArcMeasuresT {
    T arcLength = 0, perimeter = 0, area = 0, radius = 0, angleDeg = 0;
};
template <class T> struct ArchMeasuresT {
    T arcLength = 0, chordLength = 0, perimeter = 0, area = 0, radius = 0, angleDeg = 0;
};
template <class T> struct EllipseMeasuresT {
    T circumference = 0, area = 0, shortRadius = 0, longRadius = 0, shortDiameter = 0, longDiameter = 0;
};
template <class T> struct AreaMeasuresT {   // square, rectangle, polygon
    T perimeter = 0, area = 0;
};
using CircleMeasures = CircleMeasuresT<float>;
using ArcMeasures = ArcMeasuresT<float>;
using ArchMeasures = ArchMeasuresT<float>;
using EllipseMeasures = EllipseMeasuresT<float>;
using AreaMeasures = AreaMeasuresT<float>;
using PreciseCircleMeasures = CircleMeasuresT<double>;
using PreciseArcMeasures = ArcMeasuresT<double>;
using PreciseArchMeasures = ArchMeasuresT<double>;
using PreciseEllipseMeasures = EllipseMeasuresT<double>;
using PreciseAreaMeasures = AreaMeasuresT<double>;

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kRadToDegArc = 57.29577951308232;   // arcs and arches
inline constexpr float kRadToDegAngle = 57.29578f;          // the three angle tools, single precision
// The angle tools' factor in double precision, for snapped shapes: the single-precision one is
// 57.29578 itself, not a rounding of this.
inline constexpr double kRadToDegAnglePrecise = kRadToDegArc;
// Side of a square from its diagonal. Slightly above sqrt(1/2); the labels depend on this value.
inline constexpr double kSquareSideFromDiagonal = 0.7071067932881648;

// Per-pixel factors of the scale lengths hLength x vLength that cover the full picture.
// useBitmap: the drawing is re-rendered onto a full-size bitmap (saving). Otherwise picture pixels
// when the window is at least as wide as the picture, else window pixels.
// A zero size on the chosen path gives no factors rather than a division by zero.
std::optional<ScaleFactors> ScaleFactorsFor(float hLength, float vLength, QSize window, QSize picture,
                                            QSize bitmap, bool useBitmap);

bool SameSpot(MeasurePoint a, MeasurePoint b);
float PixelDistance(MeasurePoint a, MeasurePoint b);
float ScaledDistance(MeasurePoint a, MeasurePoint b, float sx, float sy);
// True when P lies on the positive side of the directed line A->B ((B-A) x (P-A) > 0).
bool SideOfLine(MeasurePoint a, MeasurePoint b, MeasurePoint p);
// Cosine between AB and DC, 0 when either has zero length. Clamped to [-1, 1] so that rounding on
// collinear rays can never push arccos out of its domain.
float RayCosine(MeasurePoint a, MeasurePoint b, MeasurePoint c, MeasurePoint d);
// arccos(RayCosine) in radians, 0 when either ray has zero length.
float RayAngle(MeasurePoint a, MeasurePoint b, MeasurePoint c, MeasurePoint d);
// Centre of the circle through three points; none when they are collinear.
std::optional<MeasurePoint> CircumCentre(MeasurePoint a, MeasurePoint b, MeasurePoint c);
// P moved onto the perpendicular bisector of AB, keeping its distance from the midpoint and its side.
MeasurePoint CentreOnBisector(MeasurePoint a, MeasurePoint b, MeasurePoint p);
// The current point with one coordinate replaced so that anchor->point is horizontal or vertical.
// Ties go horizontal.
MeasurePoint AxisSnap(MeasurePoint anchor, MeasurePoint point);

// Two-point circle: A and B are the ends of a diameter.
template <class P> struct TwoPointCircleT {
    P centre;
    decltype(P::x) radiusPx = 0;
    decltype(P::x) cosTheta = 0, sinTheta = 0;
};
using TwoPointCircle = TwoPointCircleT<MeasurePoint>;
TwoPointCircle twoPointCircle(MeasurePoint a, MeasurePoint b);

// Measures of a circle whose centre is `centre` and which passes through `a`.
CircleMeasures circleMeasures(MeasurePoint centre, MeasurePoint a, ScaleFactors f);

// Arc and arch with ends A, B and centre D. theta is in radians, 2*pi - angle on D's positive side.
float arcTheta(MeasurePoint a, MeasurePoint b, MeasurePoint d);
ArcMeasures arcMeasures(MeasurePoint a, MeasurePoint b, MeasurePoint d, ScaleFactors f);
ArchMeasures archMeasures(MeasurePoint a, MeasurePoint b, MeasurePoint d, ScaleFactors f);

// Points of the arc outline: start S (on the circle towards A), mid T (bisecting S and B), radius.
struct ArcOutline {
    MeasurePoint s, t;
    float radiusPx = 0;
};
ArcOutline arcOutline(MeasurePoint a, MeasurePoint b, MeasurePoint d);

std::optional<EllipseMeasures> ellipseMeasures(MeasurePoint a, MeasurePoint b, ScaleFactors f);

struct SquareCorners {
    MeasurePoint a, p1, b, p2;   // outline order A -> p1 -> B -> p2 -> A
};
SquareCorners squareCorners(MeasurePoint a, MeasurePoint b);
std::optional<AreaMeasures> squareMeasures(MeasurePoint a, MeasurePoint b, ScaleFactors f);
std::optional<AreaMeasures> rectangleMeasures(MeasurePoint a, MeasurePoint b, ScaleFactors f);

// Sum of the scaled lengths of the segments through points[0..count-1].
float polylineLength(const MeasurePoint *points, int count, ScaleFactors f);
// Vertex list Q[0..count-1]: two vertices give an open perimeter and no area; three or more the
// closed perimeter and the shoelace area in real units.
AreaMeasures polygonMeasures(const MeasurePoint *points, int count, ScaleFactors f);

// Angle values in degrees; none when a ray has zero length.
std::optional<float> threePointAngle(MeasurePoint a, MeasurePoint b, MeasurePoint d);
std::optional<float> threePointFillet(MeasurePoint a, MeasurePoint b, MeasurePoint d);
std::optional<float> fourPointAngle(MeasurePoint a, MeasurePoint b, MeasurePoint c, MeasurePoint d);

struct Segment {
    MeasurePoint from, to;
};
// Perpendicular marks at both ends of A-B, each reaching half the segment's length to either side.
// Order: the mark at A, then the mark at B.
std::array<Segment, 2> auxiliaryEndMarks(MeasurePoint a, MeasurePoint b);
// Perpendicular ticks of reach t at both ends of A-B (the one at B first); none for a zero-length
// segment.
std::optional<std::array<Segment, 2>> endTicks(MeasurePoint a, MeasurePoint b, float reach);

// The factors in double precision, from the same float lengths.
std::optional<PreciseScaleFactors> PreciseScaleFactorsFor(float hLength, float vLength, QSize window, QSize picture,
                                                          QSize bitmap, bool useBitmap);

// The same measures in double precision, for points that snapping or a circle fit placed between
// pixels. Each follows the formula of its float namesake step by step. A namespace of their own,
// so that a call with braced points ({10, 10}) still means the float formula.
namespace precise {
bool SameSpot(PrecisePoint a, PrecisePoint b);
double PixelDistance(PrecisePoint a, PrecisePoint b);
double ScaledDistance(PrecisePoint a, PrecisePoint b, double sx, double sy);
std::optional<PrecisePoint> CircumCentre(PrecisePoint a, PrecisePoint b, PrecisePoint c);
TwoPointCircleT<PrecisePoint> twoPointCircle(PrecisePoint a, PrecisePoint b);
PreciseCircleMeasures circleMeasures(PrecisePoint centre, PrecisePoint a, PreciseScaleFactors f);
PreciseArcMeasures arcMeasures(PrecisePoint a, PrecisePoint b, PrecisePoint d, PreciseScaleFactors f);
PreciseArchMeasures archMeasures(PrecisePoint a, PrecisePoint b, PrecisePoint d, PreciseScaleFactors f);
std::optional<PreciseEllipseMeasures> ellipseMeasures(PrecisePoint a, PrecisePoint b, PreciseScaleFactors f);
std::optional<PreciseAreaMeasures> squareMeasures(PrecisePoint a, PrecisePoint b, PreciseScaleFactors f);
std::optional<PreciseAreaMeasures> rectangleMeasures(PrecisePoint a, PrecisePoint b, PreciseScaleFactors f);
double polylineLength(const PrecisePoint *points, int count, PreciseScaleFactors f);
PreciseAreaMeasures polygonMeasures(const PrecisePoint *points, int count, PreciseScaleFactors f);
std::optional<double> threePointAngle(PrecisePoint a, PrecisePoint b, PrecisePoint d);
std::optional<double> threePointFillet(PrecisePoint a, PrecisePoint b, PrecisePoint d);
std::optional<double> fourPointAngle(PrecisePoint a, PrecisePoint b, PrecisePoint c, PrecisePoint d);
} // namespace precise

} // namespace measure
