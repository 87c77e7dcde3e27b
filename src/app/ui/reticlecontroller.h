#pragma once

#include "app/ui/feature.h"
#include "imaging/reticle.h"

#include <QObject>
#include <QSize>

#include <functional>

class QColor;

namespace platform {
class OverlayBitmap;
}

namespace camera {
class TVideoCameraDS;
} // namespace camera

namespace app::ui {

class Shell;

// The reticle tool bar: cross, corner brackets, rectangle and circle over the live video, each
// with its size slider (maxima from the video size), one line colour, and clear. The figures are
// drawn while the reticle mode holds the overlay; the sizes, colour and buttons live as long as
// the window. UI thread.
class ReticleController final : public QObject, public Feature
{
    Q_OBJECT
public:
    ReticleController(Shell &shell, camera::TVideoCameraDS &camera, platform::OverlayBitmap &overlay,
                      QObject *parent = nullptr);

    // Redraws the figures whose buttons are down (or clears), while the reticle is shown.
    void CrossTB_Command();
    void CrossTB_FigureClick(int figure);
    void CrossTB_SliderChange(int figure, int position);
    void CrossTB_LineColorClick();
    void CrossTB_ClearClick();
    // The sliders' maxima from the video size, then a redraw.
    void videoSizeChanged();

    const imaging::Reticle &reticle() const { return reticle_; }

    // The line colour dialog; an invalid colour means cancelled. Default: Qt's colour dialog.
    std::function<QColor(const QColor &initial)> pickColour;
    // The reticle now covers the video: the measurement layer must not be handed over it.
    std::function<void()> claimOverlay = [] {};

    void enterLiveMode(int mode) override;
    void videoAreaChanged() override { videoSizeChanged(); }

private:
    // The reticle owns the overlay only in its own mode over a live picture; elsewhere a redraw
    // would wipe the comparison or the measurement.
    bool shown() const;

    Shell &shell_;
    camera::TVideoCameraDS &camera_;
    imaging::Reticle reticle_;
};

} // namespace app::ui
