#pragma once

#include "measure/measuringsession.h"
#include "measure/scalebar.h"
#include "measure/ui/windowdrag.h"

#include <QObject>
#include <QPoint>
#include <QSize>

class QMouseEvent;

namespace measure {

// The widget-facing side of the measuring session. The video widget (or a still picture control)
// forwards its mouse events here in widget coordinates; the surface turns them into protocol steps
// and reports back with signals. It owns the drawing layer through the session; a viewer shows
// layer() with white keyed transparent whenever layerChanged() fires.
// All calls and signals happen on the UI thread.
class MeasuringSurface : public QObject
{
    Q_OBJECT
public:
    explicit MeasuringSurface(QObject *parent = nullptr);

    MeasuringSession &session() { return session_; }
    const MeasuringSession &session() const { return session_; }
    const platform::Bitmap &layer() const { return session_.layer(); }
    // Ctrl + left drag of the measurement window; asked before the session.
    WindowDrag &windowDrag() { return drag_; }
    const WindowDrag &windowDrag() const { return drag_; }
    ScaleBar &scaleBar() { return scaleBar_; }
    const ScaleBar &scaleBar() const { return scaleBar_; }

    // StartDrawScale: repaints the drawing layer with the current scale bar and every shape on
    // it (the scale layer and the drawing layer are one layer here). Runs by itself whenever the
    // session's scale changes.
    void refreshScaleLayer();
    // Hidden by calibration and the comparison modes.
    void setScaleBarHidden(bool hidden);
    // The monitor width found at start (cm, 0 unknown) and the screen's horizontal resolution:
    // the screen pixel pitch follows them and the scale's monitor width mode.
    void setScreen(float detectedMonitorWidthCm, int screenWidthPx);
    float detectedMonitorWidthCm() const { return detectedMonitorWidthCm_; }
    // Burn-in rendering of SaveDrawImage: the scale bar and every shape drawn onto `picture`
    // (a full-size frame), coordinates scaled to it.
    platform::Bitmap burnIn(platform::Bitmap picture);

    // The measurement window's size and the picture size shown in it.
    void setGeometry(QSize window, QSize picture);
    // ResizeVideoWindow: the old size becomes the reference size, then shapes are repainted.
    void resizeWindow(QSize window);

    void mousePress(const QMouseEvent &event);
    void mouseMove(const QMouseEvent &event);
    void mouseRelease(const QMouseEvent &event);
    // A double-click event also stands for the second press of the pair, as the toolkit sends no
    // separate press for it.
    void mouseDoubleClick(const QMouseEvent &event);

    // A new current scale: the shapes on the layer are repainted with it (all of them with
    // overlap on, else the last one).
    void setScale(const scales::RulerScaleControl &scale);
    // Repaints the current record (the calibration line after a new real length).
    void redraw();
    // The display options' OK: the new settings, and every shape on the layer relabelled with them.
    void setLabelSettings(const LabelSettings &settings);

    // Tool bar actions.
    void selectTool(ShapeKind kind);
    void setOverlap(bool on);
    // Shapes read back from a saved picture of `picture` size: recorded and repainted.
    void restoreShapes(const std::vector<HistoryNode> &shapes, QSize picture);
    void clearFrame();
    void undo();
    void redo();

Q_SIGNALS:
    void layerChanged();
    void fullScreenToggleRequested();
    void frozenToggleRequested();
    void calibrationChanged();
    void windowMoveRequested(QPoint topLeft);
    void cursorChangeRequested(Qt::CursorShape shape);
    // Undo/redo availability may have changed.
    void historyChanged();
    // A new current scale arrived (measured values change with it).
    void scaleChanged();

private:
    void deliver(const SurfaceOutcome &outcome);
    void press(const PointerInput &in);
    static PointerInput toInput(const QMouseEvent &event, bool useButtonsHeld);
    static Qt::CursorShape toShape(CursorKind kind);

    void updatePitch();
    // Every shape on the layer (the history with overlap on, else the last shape) painted anew.
    void repaintShapes();

    MeasuringSession session_;
    WindowDrag drag_;
    ScaleBar scaleBar_;
    float detectedMonitorWidthCm_ = 0.0f;
    int screenWidthPx_ = 0;
};

} // namespace measure
