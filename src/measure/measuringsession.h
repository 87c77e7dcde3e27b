#pragma once

#include "measure/clickprotocol.h"
#include "measure/circlefit.h"
#include "measure/edgesnap.h"
#include "measure/measurehistory.h"
#include "measure/measurelayers.h"
#include "measure/shaperenderer.h"
#include "measure/shaperescaler.h"
#include "measure/shapes.h"
#include "measure/surfaceevents.h"
#include "platform/bitmap.h"
#include "scales/rulerscale.h"

#include <QPoint>
#include <QSize>

#include <functional>
#include <memory>
#include <vector>

namespace measure {

// The measuring surface of the camera component: the shape record and the undo/redo history, over
// the click protocol of every tool (ClickProtocol), the drawing layer and committed bitmap
// (MeasureLayers) and the conversion of stored points when the window changes (ShapeRescaler).
// Pure logic over values: events come in as PointerInput and results go out as SurfaceOutcome.
// Dragging the measurement window with Ctrl is the widget side's (measure/ui/windowdrag.h).
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
    const platform::Bitmap &layer() const { return layers_.layer(); }
    const platform::Bitmap &committed() const { return layers_.committed(); }

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
    void setScaleBarHooks(ScaleBarHooks hooks) { layers_.setScaleBarHooks(std::move(hooks)); }
    // The canvas put on a bitmap for each repaint; a BitmapCanvas unless a test records the calls.
    using CanvasFactory = MeasureLayers::CanvasFactory;
    void setCanvasFactory(CanvasFactory factory) { layers_.setCanvasFactory(std::move(factory)); }

    // Options dialog OK: live and saved label settings, and those of every shape in the history, so
    // that the shapes already drawn are relabelled at their next repaint (each keeps its running
    // number). The caller repaints (MeasuringSurface::setLabelSettings).
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
    QSize windowSize() const { return rescaler_.window(); }
    QSize pictureSize() const { return rescaler_.picture(); }
    QSize referenceSize() const { return rescaler_.reference(); }
    // Window pixels -> stored point.
    MeasurePoint mapPoint(QPoint windowPos) const { return rescaler_.mapPoint(windowPos); }

    // --- measurement mode and tools -------------------------------------------------------------
    void EntryMeasurementMode();
    void ExitMeasurementMode();
    bool inMeasurementMode() const { return layers_.hasCommitted(); }

    // ST_*Click: the tool bar's kind, then ApplyShapeTool. Returns the cursor of the video window.
    CursorKind selectTool(ShapeKind kind);
    CursorKind ApplyShapeTool();
    ShapeKind toolKind() const { return protocol_.toolKind(); }
    // Image index of the draw style button relative to ST_None's image.
    int drawStyleImageOffset() const { return int(protocol_.toolKind()); }

    SurfaceOutcome setOverlap(bool on);
    bool overlap() const { return overlap_; }
    SurfaceOutcome ClearData(int mode);

    bool undoEnabled() const { return overlap_ && history_.canUndo() && !protocol_.inProgress(); }
    bool redoEnabled() const { return overlap_ && history_.canRedo() && !protocol_.inProgress(); }
    SurfaceOutcome UndoList();
    SurfaceOutcome RedoList();

    // --- edge snapping ---------------------------------------------------------------------------
    // The drawing bar's toggle. While on, each press or release that places a point of a
    // point-based tool moves it onto the strongest luma edge near it (snapsPoints); Alt or Super
    // held (PointerInput::invertSnap) inverts the toggle for that press or release. Off, every point is placed exactly as ever.
    void setSnapping(bool on) { snapping_ = on; }
    bool snapping() const { return snapping_; }
    // The picture under the measurement (the live frame, or the locked or loaded picture), asked
    // for by a click that snaps or fits a circle; a null picture snaps nothing. A single callback:
    // the composition root hands in what shows the picture.
    using PictureSource = std::function<platform::Bitmap()>;
    void setPictureSource(PictureSource source) { pictureSource_ = std::move(source); }

    // --- the mouse ------------------------------------------------------------------------------
    // Each event's window position becomes a stored point here and goes to the click protocol;
    // the layers are repainted as the protocol's step asks.
    SurfaceOutcome press(const PointerInput &in);
    SurfaceOutcome move(const PointerInput &in);
    SurfaceOutcome release(const PointerInput &in);
    SurfaceOutcome doubleClick();

    bool inProgress() const { return protocol_.inProgress(); }
    bool noTool() const { return protocol_.noTool(); }
    int clickCounter(ShapeKind kind) const { return protocol_.clickCounter(kind); }

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
    void drawScaleBar() { layers_.drawScaleBarInto(layers_.layer()); }
    // What labels are computed from: onto the drawing layer, or (saving) onto a bitmap of that size.
    LabelContext labelContext(bool saving, QSize bitmap) const;

private:
    // The picture and the factors from stored points to its pixels; none without a picture.
    struct SnapPicture {
        platform::Bitmap picture;
        double fx = 1, fy = 1;
    };
    std::optional<SnapPicture> snapPicture() const;
    // A point a press or release places, moved onto an edge when snapping applies to it and an
    // edge is near; the precise position goes into the record's snapped points.
    MeasurePoint snapPoint(MeasurePoint p, const PointerInput &in);
    // Whether this release places a point that snapping moves (not the first release of a
    // two-click tool, which places nothing, nor an arc's centre).
    bool releasePlacesSnappablePoint() const;
    // Circle by edge: the press fits the circle around the click; false when none was found.
    bool pressEdgeCircle(const PointerInput &in, MeasurePoint click, SurfaceOutcome &out);
    LabelContext liveContext() const { return labelContext(false, layers_.layer().size()); }
    // Empties the scale layer over a paused picture and draws the bar into `target`.
    void prepareScaleBar(platform::Bitmap &target);
    void complete(SurfaceOutcome &out);
    void DataSaveToTemp();
    void DataReadFromTemp();
    // Paints the record onto target; saving converts coordinates to the target's size.
    void reDrawBitmap(platform::Bitmap &target, bool saving, bool batch);

    ShapeDraft shape_;
    LabelSettings labels_;
    ShapeDraft savedShape_;
    LabelSettings savedLabels_;
    MeasureHistory history_;
    scales::RulerScaleControl scale_;
    SurfaceFlags flags_;
    bool overlap_ = false;
    bool snapping_ = false;
    PictureSource pictureSource_;

    ClickProtocol protocol_;
    MeasureLayers layers_;
    ShapeRescaler rescaler_;
};

} // namespace measure
