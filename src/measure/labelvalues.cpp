#include "measure/labelvalues.h"

#include <algorithm>
#include <cmath>

namespace measure {

namespace {

constexpr int kLabelOffset = 4;

struct Item {
    QString letter;
    float value = 0;
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

std::vector<LabelValue> labelValues(ShapeDraft &shape, const LabelSettings &labels, const LabelContext &context)
{
    std::vector<LabelValue> out;
    if (shape.kind == ShapeKind::None || SameSpot(shape.a, shape.b))
        return out;
    const auto factors = ScaleFactorsFor(context.hLength, context.vLength, context.window, context.picture,
                                         context.bitmap, context.useBitmap);
    if (!factors)
        return out;
    const ScaleFactors f = *factors;
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
    const auto write = [&](MeasurePoint anchor, int offset, int item, const Item &what) -> LabelValue & {
        if (item == 0)
            return numberOnly(anchor, offset, labels.precision);
        if (what.angle)
            return add(LabelQuantity::Angle, kTheta, what.value, 1, angleUnit, labelText(labels.counter, kTheta), anchor,
                       offset);
        return add(quantityOf(what.letter), what.letter, what.value, labels.precision, valueUnit,
                   labelText(labels.counter, what.letter), anchor, offset);
    };
    const MeasurePoint a = shape.a, b = shape.b;

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
        write(midpoint(a, b), kLabelOffset, labels.lineItem, {QStringLiteral("L"), ScaledDistance(a, b, f.sx, f.sy)});
        return out;
    case ShapeKind::NodeLine: {
        const int count = std::clamp(shape.nodeCount, 0, kMaxListPoints - 1);
        write(b, kLabelOffset, labels.lineItem, {QStringLiteral("L"), polylineLength(shape.nodes.data(), count + 1, f)});
        return out;
    }
    case ShapeKind::MultiLine: {
        const int count = std::clamp(shape.multiCount, 0, kMaxListPoints - 1);
        float total = 0;
        for (int i = 0; i < count; ++i) {
            const MeasurePoint p = shape.multi[i], q = shape.multi[i + 1];
            const float len = ScaledDistance(p, q, f.sx, f.sy);
            shape.segmentLengths[i] = len;
            total += len;
            if (len == 0.0f)
                break;
            LabelValue &v = write(midpoint(p, q), kLabelOffset, labels.lineItem, {QStringLiteral("L"), len});
            if (i % 2 == 0)
                v.rise = std::abs(int(p.y - q.y));
        }
        return out;
    }
    case ShapeKind::TwoPointsCircle:
    case ShapeKind::ThreePointsCircle: {
        MeasurePoint centre;
        MeasurePoint anchor = b;
        if (shape.kind == ShapeKind::TwoPointsCircle) {
            centre = twoPointCircle(a, b).centre;
        } else {
            const auto c = CircumCentre(a, b, shape.d);
            if (!c)
                return out;   // collinear: no circle, so nothing to label
            centre = *c;
            anchor = shape.d;
        }
        const CircleMeasures m = circleMeasures(centre, a, f);
        static const Item items[] = {{}, {"C", 0}, {"A", 0}, {"R", 0}, {"D", 0}};
        const int item = std::clamp(labels.circleItem, 0, 4);
        Item it = items[item];
        it.value = item == 1 ? m.circumference : item == 2 ? m.area : item == 3 ? m.radius : m.diameter;
        write(anchor, kLabelOffset, item, it);
        return out;
    }
    case ShapeKind::Arc: {
        const ArcMeasures m = arcMeasures(a, b, shape.d, f);
        const int item = std::clamp(labels.arcItem, 0, 5);
        const Item items[] = {{}, {"L", m.arcLength}, {"P", m.perimeter}, {"A", m.area}, {"R", m.radius},
                              {{}, m.angleDeg, true}};
        write(midpoint(a, b), kLabelOffset, item, items[item]);
        return out;
    }
    case ShapeKind::Arch: {
        const ArchMeasures m = archMeasures(a, b, shape.d, f);
        const int item = std::clamp(labels.archItem, 0, 6);
        const Item items[] = {{}, {"P", m.perimeter}, {"A", m.area}, {"L", m.arcLength}, {"cL", m.chordLength},
                              {"R", m.radius}, {{}, m.angleDeg, true}};
        write(midpoint(a, b), kLabelOffset, item, items[item]);
        return out;
    }
    case ShapeKind::Ellipse: {
        const auto m = ellipseMeasures(a, b, f);
        if (!m)
            return out;
        const int item = std::clamp(labels.ellipseItem, 0, 4);
        const MeasurePoint centre = midpoint(a, b);
        if (item <= 2) {
            write(centre, 0, item, item == 1 ? Item{"C", m->circumference} : Item{"A", m->area});
            return out;
        }
        const Item first = item == 3 ? Item{"sR", m->shortRadius} : Item{"sD", m->shortDiameter};
        const Item second = item == 3 ? Item{"lR", m->longRadius} : Item{"lD", m->longDiameter};
        write(centre, kLabelOffset, item, first);
        write(centre, kLabelOffset, item, second).nextLine = true;
        return out;
    }
    case ShapeKind::Square:
    case ShapeKind::Rectangle:
    case ShapeKind::Polygon: {
        std::optional<AreaMeasures> m;
        if (shape.kind == ShapeKind::Square)
            m = squareMeasures(a, b, f);
        else if (shape.kind == ShapeKind::Rectangle)
            m = rectangleMeasures(a, b, f);
        else
            m = polygonMeasures(shape.polygon.data(), std::clamp(shape.polygonCount, 0, kMaxPolygonEntries - 2) + 1, f);
        if (!m)
            return out;
        const int item = std::clamp(labels.squareItem, 0, 2);
        write(midpoint(a, b), 0, item, item == 2 ? Item{"A", m->area} : Item{"P", m->perimeter});
        return out;
    }
    case ShapeKind::ThreePointsAngle:
    case ShapeKind::ThreePointsFillet:
    case ShapeKind::FourPointsAngle: {
        std::optional<float> value;
        if (shape.kind == ShapeKind::ThreePointsAngle)
            value = threePointAngle(a, b, shape.d);
        else if (shape.kind == ShapeKind::ThreePointsFillet)
            value = threePointFillet(a, b, shape.d);
        else
            value = fourPointAngle(a, b, shape.c, shape.d);
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

} // namespace measure
