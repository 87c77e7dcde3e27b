#include "measure/shaperenderer.h"

#include "platform/canvas.h"

#include <algorithm>
#include <cmath>

namespace measure::ShapeRenderer {

namespace {

constexpr int kDotStyle = 3;
constexpr float kMultiLineTickReach = 10.0f;
constexpr float kChordTickReach = 20.0f;

void line(platform::Canvas &canvas, MeasurePoint p, MeasurePoint q)
{
    canvas.moveTo(int(p.x), int(p.y));
    canvas.lineTo(int(q.x), int(q.y));
}

void line(platform::Canvas &canvas, const Segment &s)
{
    line(canvas, s.from, s.to);
}

void endMarks(platform::Canvas &canvas, MeasurePoint a, MeasurePoint b)
{
    for (const Segment &s : auxiliaryEndMarks(a, b))
        line(canvas, s);
}

void ticks(platform::Canvas &canvas, MeasurePoint a, MeasurePoint b, float reach)
{
    if (const auto t = endTicks(a, b, reach))
        for (const Segment &s : *t)
            line(canvas, s);
}

void circleBox(platform::Canvas &canvas, MeasurePoint centre, float radius)
{
    canvas.ellipse(int(centre.x - radius), int(centre.y - radius), int(centre.x + radius), int(centre.y + radius));
}

void nodeCircle(platform::Canvas &canvas, MeasurePoint p)
{
    canvas.ellipse(int(p.x - 3), int(p.y - 3), int(p.x + 4), int(p.y + 4));
}

// Segments through points[0..last]; the segment into points[i] is dotted when i >= liveFrom.
void polyline(platform::Canvas &canvas, const ShapeDraft &shape, const MeasurePoint *points, int last, int liveFrom)
{
    for (int i = 1; i <= last; ++i) {
        if (i >= liveFrom)
            applyLivePen(canvas, shape);
        line(canvas, points[i - 1], points[i]);
        if (i >= liveFrom)
            applyUserPen(canvas, shape);
    }
}

void nodeLineOutline(platform::Canvas &canvas, const ShapeDraft &shape, int liveFrom)
{
    const int count = std::clamp(shape.nodeCount, 0, kMaxListPoints - 1);
    polyline(canvas, shape, shape.nodes.data(), count, liveFrom);
    for (int i = 0; i <= count; ++i)
        nodeCircle(canvas, shape.nodes[i]);
}

void multiLineOutline(platform::Canvas &canvas, const ShapeDraft &shape, int liveFrom)
{
    const int count = std::clamp(shape.multiCount, 0, kMaxListPoints - 1);
    polyline(canvas, shape, shape.multi.data(), count, liveFrom);
    for (int i = 1; i <= count; ++i)
        ticks(canvas, shape.multi[i - 1], shape.multi[i], kMultiLineTickReach);
}

void polygonOutline(platform::Canvas &canvas, const ShapeDraft &shape, int liveFrom)
{
    const int count = std::clamp(shape.polygonCount, 0, kMaxPolygonEntries - 2);
    polyline(canvas, shape, shape.polygon.data(), count + 1, liveFrom);
}

void twoPointCircleOutline(platform::Canvas &canvas, const ShapeDraft &shape, int item)
{
    if (shape.a == shape.b)
        return;
    const TwoPointCircle c = twoPointCircle(shape.a, shape.b);
    circleBox(canvas, c.centre, c.radiusPx);
    const MeasurePoint ahead{c.centre.x + c.cosTheta * c.radiusPx, c.centre.y + c.sinTheta * c.radiusPx};
    const MeasurePoint behind{c.centre.x - c.cosTheta * c.radiusPx, c.centre.y - c.sinTheta * c.radiusPx};
    if (item == 3)
        line(canvas, c.centre, ahead);
    else if (item == 4)
        line(canvas, behind, ahead);
}

void threePointCircleOutline(platform::Canvas &canvas, const ShapeDraft &shape, int item)
{
    const auto centre = CircumCentre(shape.a, shape.b, shape.d);
    if (!centre)
        return;
    circleBox(canvas, *centre, PixelDistance(*centre, shape.a));
    if (item == 3)
        line(canvas, *centre, shape.a);
    else if (item == 4)
        line(canvas, shape.a, {2.0f * centre->x - shape.a.x, 2.0f * centre->y - shape.a.y});
}

void ellipseOutline(platform::Canvas &canvas, const ShapeDraft &shape, int item)
{
    const MeasurePoint a = shape.a, b = shape.b;
    canvas.ellipse(int(std::min(a.x, b.x)), int(std::min(a.y, b.y)), int(std::max(a.x, b.x)), int(std::max(a.y, b.y)));
    const MeasurePoint c{a.x + (b.x - a.x) / 2.0f, a.y + (b.y - a.y) / 2.0f};
    if (item == 3) {
        line(canvas, c, {b.x, c.y});
        line(canvas, c, {c.x, b.y});
    } else if (item == 4) {
        line(canvas, {a.x, c.y}, {b.x, c.y});
        line(canvas, {c.x, a.y}, {c.x, b.y});
    }
}

void squareOutline(platform::Canvas &canvas, const ShapeDraft &shape)
{
    const SquareCorners q = squareCorners(shape.a, shape.b);
    canvas.moveTo(int(q.a.x), int(q.a.y));
    for (MeasurePoint p : {q.p1, q.b, q.p2, q.a})
        canvas.lineTo(int(p.x), int(p.y));
}

void rectangleOutline(platform::Canvas &canvas, const ShapeDraft &shape)
{
    canvas.rectangle(int(shape.a.x), int(shape.a.y), int(shape.b.x), int(shape.b.y));
}

void arcThrough(platform::Canvas &canvas, MeasurePoint d, float radius, MeasurePoint from, MeasurePoint to)
{
    canvas.arc(int(d.x - radius), int(d.y - radius), int(d.x + radius), int(d.y + radius), int(from.x), int(from.y),
               int(to.x), int(to.y));
}

void angleMark(platform::Canvas &canvas, const ArcOutline &o, MeasurePoint d, MeasurePoint b)
{
    const float r = float(int(0.2f * o.radiusPx));
    arcThrough(canvas, d, r, o.s, b);
}

void arcOutlineOf(platform::Canvas &canvas, const ShapeDraft &shape, int item, bool live)
{
    const MeasurePoint b = shape.b, d = shape.d;
    const ArcOutline o = arcOutline(shape.a, b, d);
    if (live) {
        line(canvas, d, o.t);
        endMarks(canvas, d, o.t);
    }
    if (item == 2 || item == 3 || item == 5 || (live && item == 1)) {
        line(canvas, d, o.s);
        line(canvas, d, b);
    }
    if (item == 4)
        line(canvas, d, o.t);
    if (item == 5)
        angleMark(canvas, o, d, b);
    arcThrough(canvas, d, o.radiusPx, o.s, b);
}

void archOutlineOf(platform::Canvas &canvas, const ShapeDraft &shape, int item, bool live)
{
    const MeasurePoint b = shape.b, d = shape.d;
    const ArcOutline o = arcOutline(shape.a, b, d);
    if (live) {
        line(canvas, d, o.t);
        endMarks(canvas, d, o.t);
        line(canvas, d, o.s);
        line(canvas, d, b);
    }
    if (item == 4)
        ticks(canvas, o.s, b, kChordTickReach);
    if (item == 5)
        line(canvas, d, o.t);
    if (item == 6) {
        line(canvas, d, o.s);
        line(canvas, d, b);
        angleMark(canvas, o, d, b);
    }
    arcThrough(canvas, d, o.radiusPx, o.s, b);
    line(canvas, o.s, b);
}

void angleOutline(platform::Canvas &canvas, const ShapeDraft &shape, bool liveCd)
{
    line(canvas, shape.a, shape.b);
    if (shape.c == MeasurePoint{} && shape.d == MeasurePoint{})
        return;
    if (liveCd)
        applyLivePen(canvas, shape);
    line(canvas, shape.c, shape.d);
    if (liveCd)
        applyUserPen(canvas, shape);
    const MeasurePoint m = angleMarkerPoint(shape);
    canvas.ellipse(int(m.x - 2), int(m.y - 2), int(m.x + 2), int(m.y + 2));
}

void dottedLine(platform::Canvas &canvas, const ShapeDraft &shape, MeasurePoint p, MeasurePoint q)
{
    applyLivePen(canvas, shape);
    line(canvas, p, q);
    applyUserPen(canvas, shape);
}

int itemFor(ShapeKind kind, const LabelSettings &l)
{
    switch (kind) {
    case ShapeKind::TwoPointsCircle:
    case ShapeKind::ThreePointsCircle:
    case ShapeKind::EdgeCircle: return l.circleItem;
    case ShapeKind::Ellipse: return l.ellipseItem;
    case ShapeKind::Arc: return l.arcItem;
    case ShapeKind::Arch: return l.archItem;
    default: return 0;
    }
}

} // namespace

void applyUserPen(platform::Canvas &canvas, const ShapeDraft &shape)
{
    canvas.setPen(shape.penStyle, shape.penWidth, shape.colour);
}

void applyLivePen(platform::Canvas &canvas, const ShapeDraft &shape)
{
    canvas.setPen(kDotStyle, 1, shape.colour);
}

MeasurePoint angleMarkerPoint(const ShapeDraft &shape)
{
    const MeasurePoint a = shape.a, b = shape.b, c = shape.c, d = shape.d;
    const MeasurePoint m1 = midpoint(a, b);
    MeasurePoint n = b;
    if (shape.kind == ShapeKind::FourPointsAngle) {
        const float dist[] = {PixelDistance(a, c), PixelDistance(a, d), PixelDistance(b, c), PixelDistance(b, d)};
        int nearest = 0;
        for (int i = 1; i < 4; ++i)
            if (dist[i] <= dist[nearest])
                nearest = i;   // of equal distances the later one counts
        if (nearest < 2)
            n = a;
    }
    const MeasurePoint r = shape.kind == ShapeKind::ThreePointsFillet
                               ? MeasurePoint{(b.x + 2.0f * c.x - d.x) / 2.0f, (b.y + 2.0f * c.y - d.y) / 2.0f}
                               : midpoint(c, d);
    const MeasurePoint p = midpoint(n, m1);
    const MeasurePoint q = midpoint(n, r);
    return midpoint(p, q);
}

void drawFinalOutline(platform::Canvas &canvas, const ShapeDraft &shape, const LabelSettings &labels)
{
    const int item = itemFor(shape.kind, labels);
    switch (shape.kind) {
    case ShapeKind::None: break;
    case ShapeKind::Line: line(canvas, shape.a, shape.b); break;
    case ShapeKind::AuxiliaryLine:
        line(canvas, shape.a, shape.b);
        endMarks(canvas, shape.a, shape.b);
        break;
    case ShapeKind::NodeLine: nodeLineOutline(canvas, shape, kMaxListPoints + 1); break;
    case ShapeKind::MultiLine: multiLineOutline(canvas, shape, kMaxListPoints + 1); break;
    case ShapeKind::TwoPointsCircle: twoPointCircleOutline(canvas, shape, item); break;
    case ShapeKind::ThreePointsCircle: threePointCircleOutline(canvas, shape, item); break;
    case ShapeKind::Arc: arcOutlineOf(canvas, shape, item, false); break;
    case ShapeKind::Arch: archOutlineOf(canvas, shape, item, false); break;
    case ShapeKind::Ellipse: ellipseOutline(canvas, shape, item); break;
    case ShapeKind::Square: squareOutline(canvas, shape); break;
    case ShapeKind::Rectangle: rectangleOutline(canvas, shape); break;
    case ShapeKind::ThreePointsAngle:
    case ShapeKind::ThreePointsFillet:
    case ShapeKind::FourPointsAngle: angleOutline(canvas, shape, false); break;
    case ShapeKind::Polygon: polygonOutline(canvas, shape, kMaxPolygonEntries + 1); break;
    // A fitted circle is kept as the ends of a diameter, so it draws as a two-point circle does.
    case ShapeKind::EdgeCircle: twoPointCircleOutline(canvas, shape, item); break;
    }
}

void drawSnapMarks(platform::Canvas &canvas, const ShapeDraft &shape)
{
    if (shape.snapped.empty())
        return;
    canvas.setPen(int(PenStyle::Solid), 1, shape.colour);
    for (int i = 0; i < shape.snapped.count; ++i) {
        const MeasurePoint p = shape.snapped.entries[std::size_t(i)].stored;
        const int x = int(p.x), y = int(p.y);
        canvas.moveTo(x, y - kSnapMarkReach);
        canvas.lineTo(x + kSnapMarkReach, y);
        canvas.lineTo(x, y + kSnapMarkReach);
        canvas.lineTo(x - kSnapMarkReach, y);
        canvas.lineTo(x, y - kSnapMarkReach);
    }
    applyUserPen(canvas, shape);
}

bool drawPreview(platform::Canvas &canvas, const ShapeDraft &shape, const LabelSettings &labels, int stage)
{
    const int item = itemFor(shape.kind, labels);
    switch (shape.kind) {
    case ShapeKind::None:
    case ShapeKind::EdgeCircle: return false;   // complete at the release of its one click
    case ShapeKind::Line:
    case ShapeKind::AuxiliaryLine:
        dottedLine(canvas, shape, shape.a, shape.b);
        endMarks(canvas, shape.a, shape.b);
        return true;
    case ShapeKind::NodeLine:
    case ShapeKind::MultiLine:
    case ShapeKind::Polygon: {
        const bool polygon = shape.kind == ShapeKind::Polygon;
        const int n = polygon ? shape.polygonCount : shape.kind == ShapeKind::NodeLine ? shape.nodeCount : shape.multiCount;
        if (n < 1 || n > kListFinishCount)
            return false;
        const MeasurePoint *points =
            polygon ? shape.polygon.data() : shape.kind == ShapeKind::NodeLine ? shape.nodes.data() : shape.multi.data();
        endMarks(canvas, points[n - 1], shape.b);
        if (polygon)
            polygonOutline(canvas, shape, n);
        else if (shape.kind == ShapeKind::NodeLine)
            nodeLineOutline(canvas, shape, n);
        else
            multiLineOutline(canvas, shape, n);
        applyUserPen(canvas, shape);
        return true;
    }
    case ShapeKind::TwoPointsCircle:
    case ShapeKind::Ellipse:
    case ShapeKind::Square:
    case ShapeKind::Rectangle:
        dottedLine(canvas, shape, shape.a, shape.b);
        endMarks(canvas, shape.a, shape.b);
        drawFinalOutline(canvas, shape, labels);
        return true;
    default: break;
    }

    // Kinds placed in three or four clicks.
    if (stage == 1) {
        dottedLine(canvas, shape, shape.a, shape.b);
        if (!isAngleKind(shape.kind))
            endMarks(canvas, shape.a, shape.b);
        return false;
    }
    switch (shape.kind) {
    case ShapeKind::ThreePointsCircle:
        if (stage != 2)
            return false;
        line(canvas, shape.a, shape.b);
        dottedLine(canvas, shape, shape.c, shape.d);
        endMarks(canvas, shape.c, shape.d);
        threePointCircleOutline(canvas, shape, item);
        return true;
    case ShapeKind::Arc:
        if (stage != 2)
            return false;
        dottedLine(canvas, shape, shape.a, shape.b);
        arcOutlineOf(canvas, shape, item, true);
        return true;
    case ShapeKind::Arch:
        if (stage != 2)
            return false;
        archOutlineOf(canvas, shape, item, true);
        return true;
    case ShapeKind::ThreePointsAngle:
    case ShapeKind::ThreePointsFillet:
        if (stage != 2)
            return false;
        angleOutline(canvas, shape, true);
        if (shape.kind == ShapeKind::ThreePointsFillet)
            endMarks(canvas, shape.c, shape.d);
        return true;
    case ShapeKind::FourPointsAngle:
        if (stage == 2) {
            line(canvas, shape.a, shape.b);
            return false;
        }
        if (stage != 3)
            return false;
        angleOutline(canvas, shape, true);
        endMarks(canvas, shape.c, shape.d);
        return true;
    default: return false;
    }
}

void DrawTextA(platform::Canvas &canvas, int x, int y, double value, int precision, UnitCode unit, const QString &label)
{
    canvas.setFont(kLabelFontPx, true);
    const LabelLine text = composeLabel(value, precision, unit, label);
    if (text.symbolSized)
        canvas.setFont(kAngleFontPx, true);
    canvas.textOut(x, y, text.text);
    if (text.raisedTwo) {
        const int width = canvas.textWidth(text.text);
        const int up = int(canvas.textHeight(QStringLiteral("m")) / 2);
        canvas.textOut(x + width, y - up, QStringLiteral("2"));
    }
    if (text.symbolSized)
        canvas.setFont(kLabelFontPx, true);
}

QRect labelCell(platform::Canvas &canvas, int x, int y, double value, int precision, UnitCode unit, const QString &label)
{
    const LabelLine text = composeLabel(value, precision, unit, label);
    canvas.setFont(text.symbolSized ? kAngleFontPx : kLabelFontPx, true);
    QRect cell(x, y, canvas.textWidth(text.text), canvas.textHeight(text.text));
    if (text.symbolSized)
        canvas.setFont(kLabelFontPx, true);
    if (text.raisedTwo) {
        const int up = int(canvas.textHeight(QStringLiteral("m")) / 2);
        const QRect two(x + cell.width(), y - up, canvas.textWidth(QStringLiteral("2")),
                        canvas.textHeight(QStringLiteral("2")));
        cell = cell.united(two);
    }
    return cell;
}

void ShowDrawInfo(platform::Canvas &canvas, ShapeDraft &shape, const LabelSettings &labels, const LabelContext &context,
                  LabelPlacer *placer)
{
    const std::vector<LabelValue> values = labelValues(shape, labels, context);
    if (values.empty())
        return;
    canvas.setTextColour(labels.labelColour);
    canvas.setFont(kLabelFontPx, true);
    const int lineHeight = canvas.textHeight(QStringLiteral("0"));
    const int lift = lineHeight + 8;
    QPoint previous;   // where the label before this one was written
    bool leaderPen = false;
    for (const LabelValue &v : values) {
        MeasurePoint anchor = v.anchor;
        if (v.rise >= 0 && v.rise <= lift)
            anchor.y -= float(lift);
        // The anchor plus offset, both truncated; a second line follows its first wherever that went.
        QPoint at(int(anchor.x + float(v.offset)), int(anchor.y + float(v.offset)));
        if (v.nextLine)
            at = previous + QPoint(0, lineHeight);
        if (placer) {
            const QRect wanted = labelCell(canvas, at.x(), at.y(), v.value, v.precision, v.unit, v.label);
            const QRect cell = placer->place(wanted);
            if (cell != wanted) {
                at += cell.topLeft() - wanted.topLeft();
                const QPoint from = v.nextLine ? previous : QPoint(int(v.anchor.x), int(v.anchor.y));
                if (const auto leader = leaderLine(from, cell)) {
                    canvas.setPen(int(PenStyle::Solid), 1, labels.labelColour);
                    leaderPen = true;
                    canvas.moveTo(leader->first.x(), leader->first.y());
                    canvas.lineTo(leader->second.x(), leader->second.y());
                }
            }
        }
        DrawTextA(canvas, at.x(), at.y(), v.value, v.precision, v.unit, v.label);
        previous = at;
    }
    if (leaderPen)
        applyUserPen(canvas, shape);
}

void drawPenComboItem(platform::Canvas &canvas, int left, int top, int right, int bottom, int item)
{
    canvas.fillRect(left, top, right, bottom, 0xFFFFFF);
    const PenChoice pen = penForComboItem(item);
    canvas.setPen(pen.style, pen.width, 0x0000FF);
    const int middle = (top + bottom) / 2;
    canvas.moveTo(left, middle);
    canvas.lineTo(right, middle);
}

} // namespace measure::ShapeRenderer
