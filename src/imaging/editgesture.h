#pragma once

#include "imaging/editgeometry.h"
#include "platform/bitmap.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

class QPainter;

namespace imaging {

// The drawing style the editor's menus and colour button set, kept for the life of the window.
struct DrawStyle {
    QColor colour{255, 0, 0};
    int penWidth = 1;
    Qt::PenStyle pen = Qt::SolidLine;
    Qt::BrushStyle brush = Qt::NoBrush;
};

// One mouse gesture of the still-image editor over the picture: press, moves and release, in
// picture pixels. It tracks the tool, the drag state, the press and release points, the polygon
// in progress, the selection and the picture being pasted, and answers each step with what to
// show (a preview over the committed picture: the marquee, a rubber band, the paste preview or a
// freehand stroke so far) and what to commit. Mapping the pointer, scrolling, panning and the
// text box are the caller's (they move widgets); the gesture only paints bitmaps. UI thread.
class EditGesture
{
public:
    // Where the picture sits: the control's rectangle in the panel, and the panel's size (panel
    // pixels). A paste drops inside the part the panel shows.
    struct View {
        QRect control;
        QSize panel;
    };
    // What a step changed. `preview` is shown over the committed picture and commits nothing;
    // `committed` is the new committed picture, and `counts` says whether it is an edit (a
    // history snapshot and one more change).
    struct Result {
        std::optional<platform::Bitmap> preview;
        std::optional<platform::Bitmap> committed;
        bool counts = false;
    };

    EditTool tool() const { return tool_; }
    DragState dragState() const { return drag_; }
    // Choosing a tool ends a polygon in progress and any drag.
    void setTool(EditTool tool);
    // No tool, no drag.
    void reset() { setTool(EditTool::Normal); }
    const DrawStyle &style() const { return style_; }
    DrawStyle &style() { return style_; }

    // Paste: `buffer` is shown at the top left of the visible part of `committed`, and the next
    // drag places it.
    Result startPaste(platform::Bitmap buffer, const platform::Bitmap &committed, const View &view);

    // `at` is the press, the current or the release point in picture pixels. `shown` is the
    // picture as shown now (a freehand stroke so far goes on from it).
    Result press(QPoint at, Qt::MouseButton button);
    Result move(QPoint at, bool shift, const platform::Bitmap &committed, const platform::Bitmap &shown,
                const View &view);
    Result release(QPoint at, Qt::MouseButton button, bool shift, const platform::Bitmap &committed,
                   const platform::Bitmap &shown, const View &view);

    // The press (x1, y1) and release (x2, y2) points of the last gesture, picture pixels.
    QPoint pressPoint() const { return p1_; }
    QPoint releasePoint() const { return p2_; }
    bool polygonInProgress() const { return polygonInProgress_; }
    // A selection with width and height was dragged with the select-range tool.
    bool hasSelection() const { return selectionValid_; }
    // The rectangle between the press and release points (empty when they share a row or column).
    QRect selectionRect() const;
    // Forgets the selection; `points` also puts the press and release points back to zero.
    void clearSelection(bool points = false);

private:
    void setupPainter(QPainter &p) const;
    void drawShape(QPainter &p, QPoint from, QPoint to, bool shift) const;
    platform::Bitmap withPaste(const platform::Bitmap &committed, QPoint at, bool outline) const;

    EditTool tool_ = EditTool::Normal;
    DragState drag_ = DragState::Idle;
    DrawStyle style_;
    QPoint p1_, p2_, anchor_, lastPen_;
    bool polygonInProgress_ = false;
    bool sketchDrew_ = false;
    bool selectionValid_ = false;
    platform::Bitmap pasteBuffer_;
};

} // namespace imaging
