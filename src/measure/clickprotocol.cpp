#include "measure/clickprotocol.h"

#include <algorithm>
#include <utility>

namespace measure {

namespace {

bool isThreeClickKind(ShapeKind k)
{
    return k == ShapeKind::ThreePointsCircle || k == ShapeKind::Arc || k == ShapeKind::Arch ||
           k == ShapeKind::ThreePointsAngle || k == ShapeKind::ThreePointsFillet;
}

// The point list of a list shape, and its count of placed points.
int &listCount(ShapeDraft &shape)
{
    return shape.kind == ShapeKind::NodeLine ? shape.nodeCount
           : shape.kind == ShapeKind::MultiLine ? shape.multiCount
                                                : shape.polygonCount;
}

MeasurePoint *listPoints(ShapeDraft &shape)
{
    return shape.kind == ShapeKind::NodeLine ? shape.nodes.data()
           : shape.kind == ShapeKind::MultiLine ? shape.multi.data()
                                                : shape.polygon.data();
}

} // namespace

// --- constraint keys ------------------------------------------------------------------------------

MeasurePoint ClickProtocol::shiftAction(MeasurePoint p, const PointerInput &in, const SurfaceFlags &flags,
                                        ShapeDraft &shape, SurfaceOutcome &out) const
{
    if (!isLineKind(shape.kind))
        return p;
    // The anchor is the last placed point of this kind's own list (a list of another kind may
    // still hold points from an earlier shape), else A.
    MeasurePoint anchor = shape.a;
    if (shape.kind == ShapeKind::NodeLine && shape.nodeCount > 0)
        anchor = shape.nodes[std::min(shape.nodeCount, kMaxListPoints) - 1];
    else if (shape.kind == ShapeKind::MultiLine && shape.multiCount > 0)
        anchor = shape.multi[std::min(shape.multiCount, kMaxListPoints) - 1];
    if (in.shift)
        return AxisSnap(anchor, p);
    if (flags.calibrating) {
        if (flags.calibrationAxis == 1)
            p.y = anchor.y;
        else if (flags.calibrationAxis == 2)
            p.x = anchor.x;
        shape.calibrationPixelLength = PixelDistance(p, anchor);
        out.calibrationChanged = true;
    }
    return p;
}

void ClickProtocol::changeEndsRedefineCentre(const PointerInput &in, ShapeDraft &shape)
{
    if (in.ctrl) {
        if (!endsSwapped_) {
            std::swap(shape.a, shape.b);
            shape.c = shape.b;   // the former A
            endsSwapped_ = true;
        }
    } else {
        endsSwapped_ = false;
    }
    if (!in.shift)
        shape.d = CentreOnBisector(shape.a, shape.b, shape.d);
}

// --- the mouse ----------------------------------------------------------------------------------

void ClickProtocol::press(const PointerInput &in, MeasurePoint p, const SurfaceFlags &flags, ShapeDraft &shape,
                          LabelSettings &labels, SurfaceOutcome &out)
{
    if (in.button == PointerButton::Right && flags.calibrating)
        out.toggleFrozen = true;
    if (in.button != PointerButton::Left || noTool_ || inProgress_)
        return;
    // The press that follows a double-click places nothing. Checked before the in-progress flag
    // is set, so that a swallowed press cannot leave a shape in progress without its first point.
    if (swallow_)
        return;
    inProgress_ = true;
    shape.a = p;
    ++labels.counter;
}

void ClickProtocol::storeLivePoint(MeasurePoint p, const PointerInput &in, int stage, ShapeDraft &shape)
{
    switch (shape.kind) {
    case ShapeKind::NodeLine:
    case ShapeKind::MultiLine:
    case ShapeKind::Polygon: {
        const int n = listCount(shape);
        if (n < 1 || n > kListFinishCount)
            return;
        shape.b = p;
        listPoints(shape)[n] = p;
        if (shape.kind == ShapeKind::Polygon)
            shape.polygon[n + 1] = shape.a;
        return;
    }
    case ShapeKind::ThreePointsCircle:
    case ShapeKind::Arc:
    case ShapeKind::Arch:
    case ShapeKind::ThreePointsAngle:
    case ShapeKind::ThreePointsFillet:
    case ShapeKind::FourPointsAngle:
        if (stage == 1) {
            shape.b = shape.c = p;
        } else if (stage == 2 && shape.kind != ShapeKind::FourPointsAngle) {
            shape.d = p;
            if (shape.kind == ShapeKind::Arc || shape.kind == ShapeKind::Arch)
                changeEndsRedefineCentre(in, shape);
        } else if (stage == 3 && shape.kind == ShapeKind::FourPointsAngle) {
            shape.d = p;
        }
        return;
    default: shape.b = p; return;
    }
}

ClickProtocol::Step ClickProtocol::move(const PointerInput &in, MeasurePoint p, const SurfaceFlags &flags,
                                        ShapeDraft &shape, SurfaceOutcome &out)
{
    // A circle by edge is complete with its one click: nothing follows the mouse.
    if (noTool_ || !inProgress_ || swallow_ || SameSpot(shape.a, p) || shape.kind == ShapeKind::EdgeCircle)
        return {};
    p = shiftAction(p, in, flags, shape, out);
    const int stage = counters_[counterSlot(shape.kind)];
    storeLivePoint(p, in, stage, shape);
    return {Paint::Preview, stage};
}

bool ClickProtocol::releaseListPoint(MeasurePoint p, bool rightButton, ShapeDraft &shape)
{
    int &n = listCount(shape);
    MeasurePoint *points = listPoints(shape);
    const bool polygon = shape.kind == ShapeKind::Polygon;
    shape.b = p;
    bool duplicate = false;
    bool finished = false;
    if (n >= kListFinishCount || rightButton) {
        duplicate = n > 0 && p == points[n - 1];
        finished = !duplicate;
        if (finished) {
            // The final point is where the mouse was released.
            points[n] = p;
            if (polygon)
                shape.polygon[n + 1] = shape.a;
        }
    } else {
        if (n == 0) {
            std::fill_n(points, polygon ? kMaxPolygonEntries : kMaxListPoints, MeasurePoint{});
            if (shape.kind == ShapeKind::MultiLine)
                shape.segmentLengths.fill(0.0f);
            shape.a = p;
        } else {
            duplicate = p == points[n - 1];
        }
        points[n] = p;
        if (polygon)
            shape.polygon[n + 1] = shape.a;
    }
    if (!duplicate && !finished) {
        ++n;
        // Until the mouse moves, the live entry is the point just placed (and the polygon closes on A).
        if (polygon) {
            shape.polygon[n] = shape.a;
            shape.polygon[n + 1] = shape.a;
        } else {
            points[n] = p;
        }
    }
    counters_[counterSlot(shape.kind)] = n;
    return finished && n >= 2;
}

bool ClickProtocol::takeSwallowedRelease()
{
    return std::exchange(swallow_, false);
}

ClickProtocol::Step ClickProtocol::release(const PointerInput &in, MeasurePoint p, const SurfaceFlags &flags,
                                           ShapeDraft &shape, SurfaceOutcome &out)
{
    if (noTool_ || !inProgress_)
        return {};
    const bool right = in.button == PointerButton::Right;
    if (right && isListKind(shape.kind)) {
        const int n = listCount(shape);
        if (n < 1 || (n == 1 && SameSpot(p, shape.a)))
            return {};
    }
    p = shiftAction(p, in, flags, shape, out);

    int &n = counters_[counterSlot(shape.kind)];
    bool completes = false;
    switch (shape.kind) {
    case ShapeKind::None: break;
    case ShapeKind::Line:
    case ShapeKind::AuxiliaryLine:
    case ShapeKind::TwoPointsCircle:
    case ShapeKind::Ellipse:
    case ShapeKind::Square:
    case ShapeKind::Rectangle:
        if (++n > 1) {
            n = 0;
            shape.b = p;
            completes = true;
        }
        break;
    case ShapeKind::EdgeCircle:
        completes = true;   // the press placed the fitted circle
        break;
    case ShapeKind::FourPointsAngle:
        ++n;
        if (n == 2)
            shape.b = p;
        else if (n == 3)
            shape.c = p;
        else if (n >= 4) {
            n = 0;
            shape.d = p;
            completes = true;
        }
        break;
    case ShapeKind::NodeLine:
    case ShapeKind::MultiLine:
    case ShapeKind::Polygon:
        completes = releaseListPoint(p, right, shape);
        if (completes)
            n = 0;
        break;
    default:
        if (isThreeClickKind(shape.kind)) {
            ++n;
            if (n == 2) {
                shape.b = shape.c = p;
            } else if (n >= 3) {
                n = 0;
                shape.d = p;
                if (shape.kind == ShapeKind::Arc || shape.kind == ShapeKind::Arch)
                    changeEndsRedefineCentre(in, shape);
                completes = true;
            }
        }
        break;
    }
    if (completes) {
        inProgress_ = false;
        return {Paint::Complete, 0};
    }
    // A list shape shows its placed points at once; the others wait for the next move.
    if (isListKind(shape.kind))
        return {Paint::Preview, listCount(shape)};
    return {Paint::Rebuild, n};
}

void ClickProtocol::doubleClick(const SurfaceFlags &flags, SurfaceOutcome &out)
{
    if (flags.calibrating || (!noTool_ && flags.drawMode))
        return;
    out.toggleFullScreen = true;
    swallow_ = true;
}

} // namespace measure
