#pragma once

#include "platform/bitmap.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>
#include <cstdint>
#include <vector>

// The still-image editor's arithmetic: where the pointer lands in the picture, how shapes are
// constrained, how the view zooms and pans, where a pasted picture drops and how the text box is
// placed, dragged and grown. No widgets; every position is in the unit its name says: `pointer`
// and `controlPos` in control pixels (the stretched picture control), `picture` points in picture
// pixels, `control` rectangles in panel pixels.
namespace imaging {

// The tools of the editor (`EditTool`) and what a drag is doing (`DragState`), numbered as stored.
enum class EditTool : std::uint8_t {
    SelectRange = 0, Sketch, PastePlacing, Line, Square, Rectangle, Circle, Ellipse, Polygon, Text, Move, Normal
};
enum class DragState : std::uint8_t { Selecting = 0, PasteDragging, Drawing, Panning, TextBox, Idle };

// A pointer position in the control to picture pixels: trunc(picture / control × pointer).
QPoint pointerToPicture(QPoint pointer, QSize picture, QSize control);
// A picture pixel back to control pixels (the inverse, truncated).
QPoint pictureToPointer(QPoint picturePoint, QSize picture, QSize control);

// Keeps a pointer (control pixels) on the control and inside the part of it the panel shows.
QPoint clampToVisible(QPoint pointer, const QRect &control, QSize panel);

// While a drag runs past the panel's edge, the control scrolls by half the overshoot; returns the
// control's new top-left (panel pixels). `pointer` is in control pixels.
QPoint autoScroll(QPoint pointer, const QRect &control, QSize panel);

// Shift held: the line from `start` to `end` becomes horizontal or vertical.
QPoint shiftConstrain(QPoint start, QPoint end);
// The corner opposite `start` of the square dragged from `start` to `end`.
QPoint squareCorner(QPoint start, QPoint end);
// The box (two opposite corners, as drawn) of the circle whose diameter was dragged.
std::array<QPoint, 2> circleBox(QPoint start, QPoint end);

// Quarter turns: left (counter-clockwise) puts source (x, y) at (y, W - 1 - x), right
// (clockwise) at (H - 1 - y, x).
platform::Bitmap rotateLeft(const platform::Bitmap &source);
platform::Bitmap rotateRight(const platform::Bitmap &source);

// Allowed control positions while panning: left in [minLeft, maxLeft], top likewise.
struct PanBounds {
    int minLeft = 0, maxLeft = 0, minTop = 0, maxTop = 0;
    QPoint clamp(QPoint topLeft) const;
};
PanBounds panBounds(QSize control, QSize panel);

// The zoom state: the control's size is the fitted size divided by the divisor.
struct ZoomState {
    float divisor = 1.0f;
    float fitWidth = 0.0f, fitHeight = 0.0f;
};
// The smallest divisor zoom in goes to: below it the control would grow without bound and at
// zero the division fails.
inline constexpr float kMinZoomDivisor = 0.1f;
// One zoom step: the new state and control rectangle (panel pixels). `keepCentre` is the move
// button being down: the view keeps its place relative to the panel centre; otherwise the control
// is centred. A step that cannot zoom shows the picture at its own size instead, but only when
// that goes the way asked: zoom in never makes the view smaller, zoom out never larger.
struct ZoomStep {
    ZoomState zoom;
    QRect control;
    bool stepped = false;   // the divisor changed (else: own size, or nothing at the limit)
};
ZoomStep zoomIn(const ZoomState &zoom, const QRect &control, QSize picture, QSize panel, bool keepCentre);
ZoomStep zoomOut(const ZoomState &zoom, const QRect &control, QSize picture, QSize panel, bool keepCentre);
// The picture at its own pixel size, centred where it differs from the panel.
QRect originalSizeRect(QSize picture, QSize panel);

// Where a pasted picture of `paste` pixels drops (picture pixels) when the drag went from
// `press` to `release` (picture pixels): kept on the picture and inside its visible part.
QPoint pasteDropPosition(QPoint press, QPoint release, QSize paste, const QRect &control, QSize picture, QSize panel);

// --- The text tool's box ---

// The box dragged from `press` to `release` (control pixels) as a panel rectangle; `shown` only
// when the drag is more than 15 pixels in both directions.
struct PlacedBox {
    QRect rect;
    bool shown = false;
};
PlacedBox placeTextBox(QPoint press, QPoint release, const QRect &control);

// The eight 4 × 4 handles around a box (panel pixels), numbered as the box's handles are.
std::array<QPoint, 8> handlePositions(const QRect &box);

enum class BoxZone : std::uint8_t { Unknown, Text, Move, SizeNwSe, SizeNeSw, SizeWe, SizeNs };
// The cursor zone at (x, y) in box coordinates.
BoxZone boxZone(QPoint pos, QSize box, bool rightButtonDown);

// Edges a box drag moves, as bits.
enum BoxEdge : int { EdgeNone = 0, EdgeMove = 1, EdgeLeft = 2, EdgeRight = 4, EdgeTop = 8, EdgeBottom = 16 };
// The edges a press at `pos` (box coordinates) drags; a right press moves the whole box.
int edgesForPress(QPoint pos, BoxZone zone, bool rightButton);
// The smallest box the text tool shows: a drag must be more than 15 pixels both ways.
inline constexpr QSize kMinTextBox{16, 16};
// The box after a drag by `delta` (box coordinates) of `edges`, from the box at press; clamped to
// the control and the panel. An edge dragged towards or past the opposite one stops where the
// box is `minimum` in size (the text it holds, at least kMinTextBox): the box never collapses.
QRect dragTextBox(const QRect &atPress, int edges, QPoint delta, const QRect &control, QSize panel,
                  QSize minimum = kMinTextBox);

// The box grown to hold `lineLengths` (characters per line) at `fontHeight` (the toolkit's signed
// height; negative for point sizes). Never shrinks.
QRect grownTextBox(const QRect &box, const std::vector<int> &lineLengths, int fontHeight);
// The toolkit's signed font height of a point size at 96 pixels per inch (-16 for 12 points).
int fontHeightForPointSize(int points);
// The top of line `i` of committed text, relative to the box top: lines are |height| + 4 apart.
int textLineTop(int i, int fontHeight);

} // namespace imaging
