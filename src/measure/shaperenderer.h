#pragma once

#include "measure/geometry.h"
#include "measure/labelplacer.h"
#include "measure/labels.h"
#include "measure/labelvalues.h"
#include "measure/shapes.h"


namespace platform {
class Canvas;
}

namespace measure {

inline constexpr int kLabelFontPx = 11;   // 8 pt at 96 dpi
inline constexpr int kAngleFontPx = 13;   // 10 pt at 96 dpi

// Paints shapes and labels from the shape record. Stateless: each call draws from its arguments.
namespace ShapeRenderer {

// Pen of the shape record: style, width, colour.
void applyUserPen(platform::Canvas &canvas, const ShapeDraft &shape);
// The 1-pixel dotted pen of live parts.
void applyLivePen(platform::Canvas &canvas, const ShapeDraft &shape);

// The completed shape's outline with the decorations of its display item.
void drawFinalOutline(platform::Canvas &canvas, const ShapeDraft &shape, const LabelSettings &labels);

// The rubber band while a point moves. stage is the number of releases so far (the click counter).
// Returns whether the live label belongs to this stage.
bool drawPreview(platform::Canvas &canvas, const ShapeDraft &shape, const LabelSettings &labels, int stage);

// A small diamond (kSnapMarkReach px from centre to corner, 1 px, the shape's colour) on every
// snapped point of the shape: drawn with the rubber band while the shape is being drawn.
inline constexpr int kSnapMarkReach = 4;
void drawSnapMarks(platform::Canvas &canvas, const ShapeDraft &shape);

// The label of the current shape (nothing for kind None, a same-spot shape or missing factors).
// Multiple lines store their segment lengths into the record. With a placer, each label goes to
// the place its shape gives it when that is free and inside the picture, else to the placer's
// nearest free place, tied to its anchor by a thin line in the label colour; without one, every
// label goes where its shape puts it.
void ShowDrawInfo(platform::Canvas &canvas, ShapeDraft &shape, const LabelSettings &labels, const LabelContext &context,
                  LabelPlacer *placer = nullptr);

// Writes one label with its top-left at (x, y): value rounded to precision, unit, raised "2" for areas.
void DrawTextA(platform::Canvas &canvas, int x, int y, double value, int precision, UnitCode unit, const QString &label);
// The cell DrawTextA with the same arguments covers: its text, and the raised "2" of areas above
// and right of it. Leaves the canvas at the label font.
QRect labelCell(platform::Canvas &canvas, int x, int y, double value, int precision, UnitCode unit, const QString &label);

// The marker point of an angle outline.
MeasurePoint angleMarkerPoint(const ShapeDraft &shape);

// One item of the pen style combo box: white background, red line in the item's style across the
// vertical middle of the item rectangle.
void drawPenComboItem(platform::Canvas &canvas, int left, int top, int right, int bottom, int item);

} // namespace ShapeRenderer
} // namespace measure
