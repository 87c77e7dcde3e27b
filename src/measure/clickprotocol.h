#pragma once

#include "measure/shapes.h"
#include "measure/surfaceevents.h"

#include <array>

namespace measure {

// The click protocol of every tool: which press, move and release places which point of the shape
// record, when a shape is in progress and when it is complete. It draws nothing: each step says
// what the caller has to paint.
//
// Every point a pointer event places enters here, already mapped from window pixels to a stored
// point, through press(), move() and release(), and nowhere else. A step that adjusts a point
// before it is placed (snapping it to an edge) belongs just before these three calls.
class ClickProtocol
{
public:
    // What the drawing layer needs after a step.
    enum class Paint {
        Nothing,    // the event placed nothing: leave the layer alone
        Rebuild,    // a point was placed: rebuild the layer (the rubber band returns with the next move)
        Preview,    // a point was placed or moved: rebuild the layer and draw the rubber band
        Complete,   // the shape is complete: rebuild the layer and draw its final outline
    };
    struct Step {
        Paint paint = Paint::Nothing;
        int stage = 0;   // the click counter of the shape's kind after the step: the preview's stage
    };

    // The tool bar's kind; None means no tool (clicks place nothing).
    ShapeKind toolKind() const { return toolKind_; }
    void setToolKind(ShapeKind kind) { toolKind_ = kind; }
    bool noTool() const { return noTool_; }
    void setNoTool(bool noTool) { noTool_ = noTool; }
    // A shape has its first point and is not complete yet.
    bool inProgress() const { return inProgress_; }
    // Releases so far of the shape being drawn (a line and an auxiliary line share one counter).
    int clickCounter(ShapeKind kind) const { return counters_[counterSlot(kind)]; }

    // A left press starts a shape at `p` and counts its label; a right press while calibrating
    // asks to freeze or unfreeze the picture. The press that follows a double-click places nothing.
    void press(const PointerInput &in, MeasurePoint p, const SurfaceFlags &flags, ShapeDraft &shape,
               LabelSettings &labels, SurfaceOutcome &out);
    // The live point of the shape in progress follows the mouse (Shift snaps a line to an axis;
    // calibrating keeps an axis and measures the line).
    Step move(const PointerInput &in, MeasurePoint p, const SurfaceFlags &flags, ShapeDraft &shape, SurfaceOutcome &out);
    // A release places the next point; a right release finishes a list shape (node line,
    // multiple line, polygon) away from its last point.
    Step release(const PointerInput &in, MeasurePoint p, const SurfaceFlags &flags, ShapeDraft &shape,
                 SurfaceOutcome &out);
    // True once, for the release of the press that followed a double-click: that release is
    // swallowed before anything else looks at it.
    bool takeSwallowedRelease();
    // A double-click outside draw mode (or with no tool) asks for the full-screen toggle, and the
    // press the toolkit sends with it places nothing.
    void doubleClick(const SurfaceFlags &flags, SurfaceOutcome &out);

private:
    static int counterSlot(ShapeKind kind) { return kind == ShapeKind::AuxiliaryLine ? int(ShapeKind::Line) : int(kind); }
    MeasurePoint shiftAction(MeasurePoint p, const PointerInput &in, const SurfaceFlags &flags, ShapeDraft &shape,
                             SurfaceOutcome &out) const;
    void changeEndsRedefineCentre(const PointerInput &in, ShapeDraft &shape);
    void storeLivePoint(MeasurePoint p, const PointerInput &in, int stage, ShapeDraft &shape);
    bool releaseListPoint(MeasurePoint p, bool rightButton, ShapeDraft &shape);

    ShapeKind toolKind_ = ShapeKind::Line;
    bool noTool_ = false;
    bool inProgress_ = false;
    std::array<int, kShapeKindCount> counters_{};
    bool endsSwapped_ = false;
    bool swallow_ = false;
};

} // namespace measure
