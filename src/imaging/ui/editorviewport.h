#pragma once

#include "imaging/editgeometry.h"
#include "imaging/editgesture.h"

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace imaging::ui {

class StillImageView;

// The picture control's place in the panel while the editor is open: zoom steps, fit and own
// size, panning with the move tool, auto-scroll while a drag runs past the panel's edge, and the
// mapping of a pointer on the control to picture pixels through the control's stretch. Pointers
// are in control pixels, places in panel pixels, points in picture pixels. UI thread.
class EditorViewport
{
public:
    explicit EditorViewport(StillImageView &view);

    // The view as it is now becomes the fitted size that zoom steps divide.
    void takeCurrentAsFit();
    // Fits the picture into the panel (Initial_ViewImageParameter) / shows it at its own size.
    void fit();
    void originalSize();
    // One zoom step; `keepCentre` is the move button being down. True when the divisor changed.
    bool zoomStep(bool in, bool keepCentre);
    // The control back at `topLeft` (after undo and redo), kept inside the pan bounds.
    void restore(QPoint topLeft);

    // A pointer on the control in picture pixels.
    QPoint toPicture(QPoint pointer) const;
    // The pointer kept on the visible part of the control (control pixels).
    QPoint clamp(QPoint pointer) const;
    // The pointer of a drag in picture pixels, after scrolling by half an overshoot past the
    // panel's edge (`scroll`) and clamping; lastClamped() is the clamped pointer.
    QPoint track(QPoint pointer, bool scroll);
    QPoint lastClamped() const { return lastClamped_; }

    // Panning: the press, then each move while the button is down.
    void beginPan(QPoint pointer);
    void pan(QPoint pointer);

    QRect control() const;
    QSize panel() const;
    EditGesture::View where() const { return {control(), panel()}; }

    // What the tool bar's rules need to know about the view.
    struct Facts {
        bool largerThanPanel = false;
        bool zoomInChanges = false, zoomOutChanges = false, fitChanges = false, originalChanges = false;
    };
    Facts facts() const;

private:
    QWidget *widget() const;
    QSize pictureSize() const;

    StillImageView &view_;
    ZoomState zoom_;
    QPoint lastClamped_;
    QPoint panPressPanel_, panPressControl_;
    PanBounds panBounds_;
};

} // namespace imaging::ui
