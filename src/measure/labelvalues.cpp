#include "measure/labelvalues.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <type_traits>

namespace measure {

namespace {

constexpr int kLabelOffset = 4;

template <class T> struct Item {
    QString letter;
    T value = 0;
    bool angle = false;
};

LabelQuantity quantityOf(const QString &letter)
{
    if (letter == u"L" || letter == u"cL")
        return LabelQuantity::Length;
    if (letter == u"C" || letter == u"P")
        return LabelQuantity::Perimeter;
    if (letter == u"A")
        return LabelQuantity::Area;
    if (letter.endsWith(u'R'))
        return LabelQuantity::Radius;
    if (letter.endsWith(u'D'))
        return LabelQuantity::Diameter;
    return LabelQuantity::Unknown;
}

} // namespace

MeasurePoint midpoint(MeasurePoint p, MeasurePoint q)
{
    return {(p.x + q.x) / 2.0f, (p.y + q.y) / 2.0f};
}

namespace {

// Both widths of every formula: the argument types choose.
using namespace precise;

// The values in the width of P's coordinates: float for stored points, double for snapped ones.
// `at` gives a stored point's position as a P. Anchors are the stored points' as ever: a label
// sits where it always sat, only its value comes from the precise points.
template <class P, class At>
std::vector<LabelValue> valuesOf(ShapeDraft &shape, const LabelSettings &labels, const LabelContext &context, At at)
{
    using T = decltype(P::x);
    std::vector<LabelValue> out;
    if (shape.kind == ShapeKind::None || SameSpot(shape.a, shape.b))
        return out;
    std::optional<ScaleFactorsT<T>> factors;
    if constexpr (std::is_same_v<T, float>)
        factors = ScaleFactorsFor(context.hLength, context.vLength, context.window, context.picture, context.bitmap,
                                  context.useBitmap);
    else
        factors = PreciseScaleFactorsFor(context.hLength, context.vLength, context.window, context.picture,
                                         context.bitmap, context.useBitmap);
    if (!factors)
        return out;
    const ScaleFactorsT<T> f = *factors;
    const UnitCode valueUnit = unitCodeFor(context.scaleUnitIndex, labels.displayUnit);
    const UnitCode angleUnit = unitCodeFor(kAngleUnitIndex, labels.displayUnit);
    const auto add = [&](LabelQuantity quantity, const QString &letter, double value, int precision, UnitCode unit,
                         const QString &label, MeasurePoint anchor, int offset) -> LabelValue & {
        out.push_back({quantity, letter, value, precision, unit, label, anchor, offset});
        return out.back();
    };
    const auto numberOnly = [&](MeasurePoint anchor, int offset, int precision) -> LabelValue & {
        return add(LabelQuantity::NumberOnly, {}, 0.0, precision, UnitCode::NoValue, labelText(labels.counter, {}),
                   anchor, offset);
    };
    const auto write = [&](MeasurePoint anchor, int offset, int item, const Item<T> &what) -> LabelValue & {
        if (item == 0)
            return numberOnly(anchor, offset, labels.precision);
        if (what.angle)
            return add(LabelQuantity::Angle, kTheta, what.value, 1, angleUnit, labelText(labels.counter, kTheta), anchor,
                       offset);
        return add(quantityOf(what.letter), what.letter, what.value, labels.precision, valueUnit,
                   labelText(labels.counter, what.letter), anchor, offset);
    };
    const MeasurePoint a = shape.a, b = shape.b;
    const P pa = at(a), pb = at(b), pc = at(shape.c), pd = at(shape.d);
    // A list's points in P's width.
    std::array<P, kMaxPolygonEntries> list{};
    const auto listOf = [&](const MeasurePoint *points, int count) {
        for (int i = 0; i < count; ++i)
            list[std::size_t(i)] = at(points[i]);
        return list.data();
    };

    switch (shape.kind) {
    case ShapeKind::None: return out;
    case ShapeKind::Line:
    case ShapeKind::AuxiliaryLine:
        if (context.calibrating && shape.kind == ShapeKind::Line) {
            const MeasurePoint m = midpoint(a, b);
            if (labels.lineItem == 0)
                return out;
            add(LabelQuantity::Length, QStringLiteral("L"), shape.calibrationRealLength, labels.precision, valueUnit,
                QStringLiteral("L"), m, kLabelOffset);
            return out;
        }
        write(midpoint(a, b), kLabelOffset, labels.lineItem, {QStringLiteral("L"), ScaledDistance(pa, pb, f.sx, f.sy)});
        return out;
    case ShapeKind::NodeLine: {
        const int count = std::clamp(shape.nodeCount, 0, kMaxListPoints - 1);
        write(b, kLabelOffset, labels.lineItem, {QStringLiteral("L"), polylineLength(listOf(shape.nodes.data(), count + 1), count + 1, f)});
        return out;
    }
    case ShapeKind::MultiLine: {
        const int count = std::clamp(shape.multiCount, 0, kMaxListPoints - 1);
        T total = 0;
        for (int i = 0; i < count; ++i) {
            const MeasurePoint p = shape.multi[i], q = shape.multi[i + 1];
            const T len = ScaledDistance(at(p), at(q), f.sx, f.sy);
            shape.segmentLengths[i] = float(len);
            total += len;
            if (len == T(0))
                break;
            LabelValue &v = write(midpoint(p, q), kLabelOffset, labels.lineItem, {QStringLiteral("L"), len});
            if (i % 2 == 0)
                v.rise = std::abs(int(p.y - q.y));
        }
        return out;
    }
    case ShapeKind::TwoPointsCircle:
    case ShapeKind::ThreePointsCircle:
    case ShapeKind::EdgeCircle: {
        P centre;
        MeasurePoint anchor = b;
        if (shape.kind != ShapeKind::ThreePointsCircle) {
            centre = twoPointCircle(pa, pb).centre;
        } else {
            const auto c = CircumCentre(pa, pb, pd);
            if (!c)
                return out;   // collinear: no circle, so nothing to label
            centre = *c;
            anchor = shape.d;
        }
        const CircleMeasuresT<T> m = circleMeasures(centre, pa, f);
        static const Item<T> items[] = {{}, {"C", 0}, {"A", 0}, {"R", 0}, {"D", 0}};
        const int item = std::clamp(labels.circleItem, 0, 4);
        Item<T> it = items[item];
        it.value = item == 1 ? m.circumference : item == 2 ? m.area : item == 3 ? m.radius : m.diameter;
        write(anchor, kLabelOffset, item, it);
        return out;
    }
    case ShapeKind::Arc: {
        const ArcMeasuresT<T> m = arcMeasures(pa, pb, pd, f);
        const int item = std::clamp(labels.arcItem, 0, 5);
        const Item<T> items[] = {{}, {"L", m.arcLength}, {"P", m.perimeter}, {"A", m.area}, {"R", m.radius},
                              {{}, m.angleDeg, true}};
        write(midpoint(a, b), kLabelOffset, item, items[item]);
        return out;
    }
    case ShapeKind::Arch: {
        const ArchMeasuresT<T> m = archMeasures(pa, pb, pd, f);
        const int item = std::clamp(labels.archItem, 0, 6);
        const Item<T> items[] = {{}, {"P", m.perimeter}, {"A", m.area}, {"L", m.arcLength}, {"cL", m.chordLength},
                              {"R", m.radius}, {{}, m.angleDeg, true}};
        write(midpoint(a, b), kLabelOffset, item, items[item]);
        return out;
    }
    case ShapeKind::Ellipse: {
        const auto m = ellipseMeasures(pa, pb, f);
        if (!m)
            return out;
        const int item = std::clamp(labels.ellipseItem, 0, 4);
        const MeasurePoint centre = midpoint(a, b);
        if (item <= 2) {
            write(centre, 0, item, item == 1 ? Item<T>{"C", m->circumference} : Item<T>{"A", m->area});
            return out;
        }
        const Item<T> first = item == 3 ? Item<T>{"sR", m->shortRadius} : Item<T>{"sD", m->shortDiameter};
        const Item<T> second = item == 3 ? Item<T>{"lR", m->longRadius} : Item<T>{"lD", m->longDiameter};
        write(centre, kLabelOffset, item, first);
        write(centre, kLabelOffset, item, second).nextLine = true;
        return out;
    }
    case ShapeKind::Square:
    case ShapeKind::Rectangle:
    case ShapeKind::Polygon: {
        std::optional<AreaMeasuresT<T>> m;
        if (shape.kind == ShapeKind::Square) {
            m = squareMeasures(pa, pb, f);
        } else if (shape.kind == ShapeKind::Rectangle) {
            m = rectangleMeasures(pa, pb, f);
        } else {
            const int count = std::clamp(shape.polygonCount, 0, kMaxPolygonEntries - 2) + 1;
            m = polygonMeasures(listOf(shape.polygon.data(), count), count, f);
        }
        if (!m)
            return out;
        const int item = std::clamp(labels.squareItem, 0, 2);
        write(midpoint(a, b), 0, item, item == 2 ? Item<T>{"A", m->area} : Item<T>{"P", m->perimeter});
        return out;
    }
    case ShapeKind::ThreePointsAngle:
    case ShapeKind::ThreePointsFillet:
    case ShapeKind::FourPointsAngle: {
        std::optional<T> value;
        if (shape.kind == ShapeKind::ThreePointsAngle)
            value = threePointAngle(pa, pb, pd);
        else if (shape.kind == ShapeKind::ThreePointsFillet)
            value = threePointFillet(pa, pb, pd);
        else
            value = fourPointAngle(pa, pb, pc, pd);
        const MeasurePoint anchor = midpoint(shape.c, shape.d);
        if (!value) {
            // A ray of zero length has no angle: only the running number is written.
            numberOnly(anchor, kLabelOffset, 1);
            return out;
        }
        add(LabelQuantity::Angle, kTheta, *value, 1, angleUnit, labelText(labels.counter, kTheta), anchor, kLabelOffset);
        return out;
    }
    }
    return out;
}

} // namespace

std::vector<LabelValue> labelValues(ShapeDraft &shape, const LabelSettings &labels, const LabelContext &context)
{
    if (shape.snapped.empty())
        return valuesOf<MeasurePoint>(shape, labels, context, [](MeasurePoint p) { return p; });
    return valuesOf<PrecisePoint>(shape, labels, context, [&shape](MeasurePoint p) { return shape.snapped.precise(p); });
}

} // namespace measure
