#pragma once

#include "feature/feature.h"
#include "feature/ui/featurecontext.h"
#include "imaging/reticle.h"

#include <QObject>
#include <QSize>

namespace platform {
class OverlayBitmap;
}

namespace camera {
class TVideoCameraDS;
}

namespace imaging::ui {

class OverlayPort;

// The reticle tool bar: cross, corner brackets, rectangle and circle over the live video, each
// with its size slider (maxima from the video size), one line colour, and clear. The figures are
// drawn while the reticle mode holds the overlay; the sizes, colour and buttons live as long as
// the window. UI thread.
class ReticleController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    ReticleController(feature::ui::FeatureContext context, OverlayPort &port, camera::TVideoCameraDS &camera,
                      platform::OverlayBitmap &overlay, QObject *parent = nullptr);

    // Redraws the figures whose buttons are down (or clears), while the reticle is shown.
    void CrossTB_Command();
    void CrossTB_FigureClick(int figure);
    void CrossTB_SliderChange(int figure, int position);
    void CrossTB_LineColorClick();
    void CrossTB_ClearClick();
    // The sliders' maxima from the video size, then a redraw.
    void videoSizeChanged();

    const imaging::Reticle &reticle() const { return reticle_; }

    void enterLiveMode(int mode) override;
    void videoAreaChanged() override { videoSizeChanged(); }

private:
    // The reticle owns the overlay only in its own mode over a live picture; elsewhere a redraw
    // would wipe the comparison or the measurement.
    bool shown() const;

    feature::ui::FeatureContext ctx_;
    OverlayPort &port_;
    camera::TVideoCameraDS &camera_;
    imaging::Reticle reticle_;
};

} // namespace imaging::ui
