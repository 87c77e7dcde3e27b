#pragma once

#include "measure/measurehistory.h"
#include "measure/shaperenderer.h"
#include "measure/shapes.h"
#include "platform/bitmap.h"
#include "scales/rulerscale.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace measure {

enum class PointerButton { Left, Right, Middle };

// One mouse event over the measurement window, in window pixels.
struct PointerInput {
    PointerButton button = PointerButton::Left;
    QPoint pos;
    bool shift = false;
    bool ctrl = false;
};

enum class CursorKind { Unknown, Normal, Cross, SizeAll };

// State of the rest of the program that the click protocol reads.
struct SurfaceFlags {
    bool live = true;               // live video plays; false while frozen or a picture is loaded
    bool rendererAvailable = true;  // the overlay hand-off is possible
    bool calibrating = false;       // the calibration window runs
    int calibrationAxis = 0;        // 0 free, 1 keep y, 2 keep x
    bool drawMode = false;          // the draw mode button is down
};

// What an event asks of the widgets around the surface; the main window acts on it.
struct SurfaceOutcome {
    bool layerChanged = false;         // the drawing layer was repainted: show it (overlay while live)
    bool toggleFullScreen = false;     // switch between "Full Screen (4:3)" and "Normal"
    bool toggleFrozen = false;         // right press while calibrating
    bool calibrationChanged = false;   // calibration pixel length changed: refresh the window
    std::optional<QPoint> moveWindowTo;
    std::optional<CursorKind> cursor;
};

// Hooks into the scale bar, which is drawn by its own part of the program.
struct ScaleBarHooks {
    std::function<void(platform::Bitmap &)> drawInto;   // draw the scale bar into a layer
    std::function<void()> emptyScaleLayer;             // picture paused: the scale layer is emptied
    std::function<void()> redrawScaleLayer;            // after clearing with mode 1
    std::function<void()> scaleChanged;                // setScale took a new scale: repaint
};

// Factors that convert stored coordinates after the window changed from `reference` to `current`
// while showing a picture of size `picture`; none when nothing changes. `rescaled` remembers that a
// window narrower than the picture already grew once (it is set and cleared here).
std::optional<std::pair<float, float>> windowChangeScale(QSize current, QSize picture, QSize reference, bool &rescaled);

// The measuring surface of the camera component: the shape record, the click protocol of every
// tool, the drawing layer and committed bitmap, and the undo/redo history. Pure logic over values:
// events come in as PointerInput and results go out as SurfaceOutcome.
class MeasuringSession
{
public:
    MeasuringSession();

    // --- records -------------------------------------------------------------------------------
    const ShapeDraft &shape() const { return shape_; }
    const LabelSettings &labels() const { return labels_; }
    const ShapeDraft &savedShape() const { return savedShape_; }
    const LabelSettings &savedLabels() const { return savedLabels_; }
    const MeasureHistory &history() const { return history_; }
    const platform::Bitmap &layer() const { return layer_; }
    const platform::Bitmap &committed() const { return committed_; }

    // Whoever changes the current scale calls this; the scale bar hook repaints the layers.
    void setScale(const scales::RulerScaleControl &scale);
    // The calibration window's line: the pixel length (0 when calibrating starts) and the typed
    // real length its label shows.
    void setCalibrationLengths(float pixelLength, float realLength)
    {
        shape_.calibrationPixelLength = pixelLength;
        shape_.calibrationRealLength = realLength;
    }
    const scales::RulerScaleControl &scale() const { return scale_; }
    // Returning to live video also forgets an earlier rescale of a narrow window.
    void setFlags(const SurfaceFlags &flags);
    const SurfaceFlags &flags() const { return flags_; }
    void setScaleBarHooks(ScaleBarHooks hooks) { scaleBar_ = std::move(hooks); }
    // The canvas put on a bitmap for each repaint; a BitmapCanvas unless a test records the calls.
    using CanvasFactory = std::function<std::unique_ptr<Canvas>(platform::Bitmap &)>;
    void setCanvasFactory(CanvasFactory factory) { canvasFactory_ = std::move(factory); }

    // Options dialog OK: live and saved label settings (the running number is kept).
    void setLabelSettings(const LabelSettings &settings);
    // Pen style combo box item 0-6.
    void setPenComboItem(int item);
    // Colour dialog result; white is stored as 0xFFFFFE.
    void setColour(platform::ColorRef chosen);

    // --- geometry ------------------------------------------------------------------------------
    // Window and picture size; the layers take the picture size, or the window size when the
    // window is narrower than the picture.
    void setGeometry(QSize window, QSize picture);
    // ResizeVideoWindow: remembers the old size as the reference, then repaints converted shapes.
    SurfaceOutcome resizeWindow(QSize window);
    QSize windowSize() const { return window_; }
    QSize pictureSize() const { return picture_; }
    QSize referenceSize() const { return reference_; }
    // Window pixels -> stored point.
    MeasurePoint mapPoint(QPoint windowPos) const;

    // --- measurement mode and tools -------------------------------------------------------------
    void EntryMeasurementMode();
    void ExitMeasurementMode();
    bool inMeasurementMode() const { return !committed_.isNull(); }

    // ST_*Click: the tool bar's kind, then ApplyShapeTool. Returns the cursor of the video window.
    CursorKind selectTool(ShapeKind kind);
    CursorKind ApplyShapeTool();
    ShapeKind toolKind() const { return toolKind_; }
    // Image index of the draw style button relative to ST_None's image.
    int drawStyleImageOffset() const { return int(toolKind_); }

    SurfaceOutcome setOverlap(bool on);
    bool overlap() const { return overlap_; }
    SurfaceOutcome ClearData(int mode);

    bool undoEnabled() const { return overlap_ && history_.canUndo() && !inProgress_; }
    bool redoEnabled() const { return overlap_ && history_.canRedo() && !inProgress_; }
    SurfaceOutcome UndoList();
    SurfaceOutcome RedoList();

    void setWindowMoveEnable(bool enabled) { moveEnabled_ = enabled; }
    bool windowMoveEnabled() const { return moveEnabled_; }
    // (minimum left, minimum top, maximum left, maximum top) of the window's position.
    void setWindowMoveRange(int minLeft, int minTop, int maxLeft, int maxTop);
    void setWindowPosition(QPoint topLeft) { windowPos_ = topLeft; }

    // --- the mouse ------------------------------------------------------------------------------
    SurfaceOutcome press(const PointerInput &in);
    SurfaceOutcome move(const PointerInput &in);
    SurfaceOutcome release(const PointerInput &in);
    SurfaceOutcome doubleClick();

    bool inProgress() const { return inProgress_; }
    bool noTool() const { return noTool_; }
    int clickCounter(ShapeKind kind) const { return counters_[counterSlot(kind)]; }
    bool dragging() const { return drag_.active; }

    // --- repainting -----------------------------------------------------------------------------
    // ReDrawBitmap of the current record onto the drawing layer.
    SurfaceOutcome redraw();
    // DrawUndoRedo: repaint every node from the first to the current one.
    SurfaceOutcome DrawUndoRedo();
    // ChangeWindows: repaint after a window size change, converting stored coordinates.
    SurfaceOutcome ChangeWindows();
    // Burn-in: every shape on the picture, drawn onto a full-size picture.
    void drawInto(platform::Bitmap &picture);
    // The completed shapes on the picture (every history node up to the current one with overlap
    // on, else the last shape), with their points in pixels of a picture of `picture` size.
    std::vector<HistoryNode> shapesOnPicture(QSize picture) const;
    // Shapes read back from a saved picture of `picture` size become history nodes again: overlap
    // is switched on, the drawing cleared, each shape recorded in turn and all repainted. The
    // user's pen, tool and label items stay as they were.
    SurfaceOutcome restoreShapes(const std::vector<HistoryNode> &shapes, QSize picture);
    // Draws the scale bar into the drawing layer as it stands (after it was emptied).
    void drawScaleBar() { drawScaleBarInto(layer_); }
    // What labels are computed from: onto the drawing layer, or (saving) onto a bitmap of that size.
    LabelContext labelContext(bool saving, QSize bitmap) const;

private:
    static int counterSlot(ShapeKind kind) { return kind == ShapeKind::AuxiliaryLine ? int(ShapeKind::Line) : int(kind); }
    std::unique_ptr<Canvas> canvasOn(platform::Bitmap &bitmap);
    QSize layerSize() const;
    void resizeLayers();
    void rebuildLayer();
    void drawScaleBarInto(platform::Bitmap &bitmap);
    void emptyScaleLayerWhenPaused();
    MeasurePoint shiftAction(MeasurePoint p, const PointerInput &in, SurfaceOutcome &out);
    void changeEndsRedefineCentre(const PointerInput &in);
    void storeLivePoint(MeasurePoint p, const PointerInput &in, int stage);
    void complete(SurfaceOutcome &out);
    bool releaseListPoint(MeasurePoint p, bool rightButton, bool &finished);
    int &listCount();
    MeasurePoint *listPoints();
    void DataSaveToTemp();
    void DataReadFromTemp();
    // Paints the record onto target; saving converts coordinates to the target's size.
    void reDrawBitmap(platform::Bitmap &target, bool saving, bool batch);
    void convertShape(ShapeDraft &shape, float fx, float fy) const;

    ShapeDraft shape_;
    LabelSettings labels_;
    ShapeDraft savedShape_;
    LabelSettings savedLabels_;
    MeasureHistory history_;
    scales::RulerScaleControl scale_;
    SurfaceFlags flags_;
    ScaleBarHooks scaleBar_;
    CanvasFactory canvasFactory_;

    platform::Bitmap layer_;
    platform::Bitmap committed_;
    QSize window_;
    QSize picture_;
    QSize reference_;
    bool rescaled_ = false;

    ShapeKind toolKind_ = ShapeKind::Line;
    bool noTool_ = false;
    bool inProgress_ = false;
    std::array<int, kShapeKindCount> counters_{};
    bool overlap_ = false;
    bool endsSwapped_ = false;
    bool swallow_ = false;

    struct Drag {
        bool active = false;
        QPoint pressPos;
    } drag_;
    bool moveEnabled_ = false;
    int minLeft_ = 0, minTop_ = 0, maxLeft_ = 0, maxTop_ = 0;
    QPoint windowPos_;
};

} // namespace measure
