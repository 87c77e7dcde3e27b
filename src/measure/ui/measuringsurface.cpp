#include "measure/ui/measuringsurface.h"

#include "measure/textcellcanvas.h"
#include "platform/canvas.h"

#include <QMouseEvent>

namespace measure {

MeasuringSurface::MeasuringSurface(QObject *parent) : QObject(parent)
{
    ScaleBarHooks hooks;
    hooks.drawInto = [this](platform::Bitmap &bitmap) {
        platform::BitmapCanvas canvas(bitmap);
        TextCellCanvas texts(canvas);
        scaleBar_.setWindowWidth(session_.windowSize().width());
        scaleBar_.DrawScale(texts, bitmap.size(), session_.scale());
        return texts.cells();
    };
    // The bar is drawn into the drawing layer itself, so there is no separate layer to empty.
    hooks.emptyScaleLayer = [] {};
    hooks.redrawScaleLayer = [this] { session_.drawScaleBar(); };
    hooks.scaleChanged = [this] {
        updatePitch();
        refreshScaleLayer();
    };
    session_.setScaleBarHooks(std::move(hooks));
}

void MeasuringSurface::refreshScaleLayer()
{
    // A shape between its clicks would be painted as if finished; its next move repaints the
    // layer with the new bar anyway.
    if (session_.layer().isNull() || session_.inProgress())
        return;
    repaintShapes();
}

void MeasuringSurface::repaintShapes()
{
    deliver(session_.overlap() && session_.history().currentIndex() >= 0 ? session_.DrawUndoRedo() : session_.redraw());
}

void MeasuringSurface::setScaleBarHidden(bool hidden)
{
    if (scaleBar_.hidden() == hidden)
        return;
    scaleBar_.setHidden(hidden);
    refreshScaleLayer();
}

void MeasuringSurface::setScreen(float detectedMonitorWidthCm, int screenWidthPx)
{
    detectedMonitorWidthCm_ = detectedMonitorWidthCm;
    screenWidthPx_ = screenWidthPx;
    updatePitch();
}

void MeasuringSurface::updatePitch()
{
    const scales::RulerScaleControl &scale = session_.scale();
    // The scale dialog may carry its own detection; the one made at start stands in for it.
    const float detected = scale.detectedMonitorWidthCm > 0.0f ? scale.detectedMonitorWidthCm : detectedMonitorWidthCm_;
    scaleBar_.setScreenPitch(CaclculateScreenSize(scale, detected, screenWidthPx_));
}

platform::Bitmap MeasuringSurface::burnIn(platform::Bitmap picture)
{
    if (picture.isNull())
        return picture;
    struct BurnInFlag {
        ScaleBar &bar;
        explicit BurnInFlag(ScaleBar &b) : bar(b) { bar.setBurnIn(true); }
        ~BurnInFlag() { bar.setBurnIn(false); }
    } flag(scaleBar_);
    session_.drawInto(picture);
    return picture;
}

void MeasuringSurface::setGeometry(QSize window, QSize picture)
{
    session_.setGeometry(window, picture);
    Q_EMIT layerChanged();
}

void MeasuringSurface::resizeWindow(QSize window)
{
    deliver(session_.resizeWindow(window));
}

PointerInput MeasuringSurface::toInput(const QMouseEvent &event, bool useButtonsHeld)
{
    PointerInput in;
    const Qt::MouseButtons buttons = useButtonsHeld ? event.buttons() : Qt::MouseButtons(event.button());
    in.button = buttons.testFlag(Qt::LeftButton)    ? PointerButton::Left
                : buttons.testFlag(Qt::RightButton) ? PointerButton::Right
                                                    : PointerButton::Middle;
    in.pos = event.position().toPoint();
    in.shift = event.modifiers().testFlag(Qt::ShiftModifier);
    in.ctrl = event.modifiers().testFlag(Qt::ControlModifier);
    in.invertSnap = event.modifiers().testAnyFlags(Qt::AltModifier | Qt::MetaModifier);
    return in;
}

Qt::CursorShape MeasuringSurface::toShape(CursorKind kind)
{
    switch (kind) {
    case CursorKind::Cross: return Qt::CrossCursor;
    case CursorKind::SizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

void MeasuringSurface::press(const PointerInput &in)
{
    if (!drag_.press(in))
        deliver(session_.press(in));
}

void MeasuringSurface::mousePress(const QMouseEvent &event)
{
    press(toInput(event, false));
}

void MeasuringSurface::mouseMove(const QMouseEvent &event)
{
    const PointerInput in = toInput(event, true);
    if (const std::optional<QPoint> topLeft = drag_.move(in)) {
        Q_EMIT windowMoveRequested(*topLeft);
        Q_EMIT cursorChangeRequested(Qt::SizeAllCursor);
        return;
    }
    deliver(session_.move(in));
}

void MeasuringSurface::mouseRelease(const QMouseEvent &event)
{
    if (drag_.release())
        Q_EMIT cursorChangeRequested(toShape(session_.noTool() ? CursorKind::Normal : CursorKind::Cross));
    else
        deliver(session_.release(toInput(event, false)));
    Q_EMIT historyChanged();
}

void MeasuringSurface::mouseDoubleClick(const QMouseEvent &event)
{
    deliver(session_.doubleClick());
    press(toInput(event, false));
}

void MeasuringSurface::setScale(const scales::RulerScaleControl &scale)
{
    session_.setScale(scale);
    Q_EMIT scaleChanged();
    if (!session_.inMeasurementMode() || session_.inProgress())
        return;
    repaintShapes();
}

void MeasuringSurface::redraw()
{
    deliver(session_.redraw());
}

void MeasuringSurface::setLabelSettings(const LabelSettings &settings)
{
    session_.setLabelSettings(settings);
    // A shape between its clicks takes the settings at its next move.
    if (!session_.inMeasurementMode() || session_.inProgress())
        return;
    repaintShapes();
    Q_EMIT historyChanged();
}

void MeasuringSurface::selectTool(ShapeKind kind)
{
    Q_EMIT cursorChangeRequested(toShape(session_.selectTool(kind)));
    Q_EMIT layerChanged();
    Q_EMIT historyChanged();
}

void MeasuringSurface::setOverlap(bool on)
{
    deliver(session_.setOverlap(on));
    Q_EMIT historyChanged();
}

void MeasuringSurface::restoreShapes(const std::vector<HistoryNode> &shapes, QSize picture)
{
    deliver(session_.restoreShapes(shapes, picture));
    Q_EMIT historyChanged();
}

void MeasuringSurface::clearFrame()
{
    deliver(session_.ClearData(1));
    Q_EMIT historyChanged();
}

void MeasuringSurface::undo()
{
    deliver(session_.UndoList());
    Q_EMIT historyChanged();
}

void MeasuringSurface::redo()
{
    deliver(session_.RedoList());
    Q_EMIT historyChanged();
}

void MeasuringSurface::deliver(const SurfaceOutcome &out)
{
    if (out.toggleFrozen)
        Q_EMIT frozenToggleRequested();
    if (out.calibrationChanged)
        Q_EMIT calibrationChanged();
    if (out.toggleFullScreen)
        Q_EMIT fullScreenToggleRequested();
    if (out.layerChanged)
        Q_EMIT layerChanged();
}

} // namespace measure
