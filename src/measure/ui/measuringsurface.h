#pragma once

#include "measure/measuringsession.h"

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

    // Tool bar actions.
    void selectTool(ShapeKind kind);
    void setOverlap(bool on);
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

private:
    void deliver(const SurfaceOutcome &outcome);
    static PointerInput toInput(const QMouseEvent &event, bool useButtonsHeld);
    static Qt::CursorShape toShape(CursorKind kind);

    MeasuringSession session_;
};

} // namespace measure
