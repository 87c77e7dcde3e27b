#pragma once

#include "feature/feature.h"
#include "feature/ui/featurecontext.h"
#include "imaging/compareoverlay.h"
#include "platform/bitmap.h"

#include <QObject>
#include <QString>

#include <optional>

namespace platform {
class OverlayBitmap;
}

namespace camera {
class TVideoCameraDS;
}

namespace imaging::ui {

class OverlayPort;

// The comparison tool bar: a reference image (the shown still picture or a file) laid over the
// live video, blended or split, with its split and transparency sliders, the window-move button,
// the knockout colour and the snapshot source selector; and what entering and leaving the
// comparison mode does to it. UI thread.
class CompareController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    CompareController(feature::ui::FeatureContext context, OverlayPort &port, camera::TVideoCameraDS &camera,
                      platform::OverlayBitmap &overlay, QObject *parent = nullptr);

    // The tool bar's handlers; each runs after the clicked button changed its state.
    void CompareTB_AssignWindowsImageClick();
    void CompareTB_AssignFileClick();
    void CompareTB_CompareClick();
    void CompareTB_SplitClick(imaging::CompareMode mode);
    void CompareTB_SideRatioSBChange(int position);
    void CompareTB_WinImg_ModeClick();
    void CompareTB_TransparentSBChange(int position);
    void CompareTB_knockoutColorClick();
    // Clear: the overlay vanishes, the transparency slider is disabled, the snapshot source goes
    // back to the camera's frame and the mode buttons come up.
    void clearCompare();

    const imaging::CompareOverlay &state() const { return model_; }

    void readInputs(feature::ActionInputs &in) const override;
    void leaveLiveMode(int oldMode, int newMode) override;
    void enterLiveMode(int mode) override;

private:
    void build();
    // Presses the mode button of `mode` and releases the other four; none for nullopt.
    void pressModeButton(std::optional<imaging::CompareMode> mode);
    std::optional<imaging::CompareMode> pressedMode() const;
    void releaseAssignButton(bool file);
    void disableSplitControls();
    void pressAssignButtonForSource();
    std::optional<QString> askReference(const QString &folder);
    bool live() const;

    feature::ui::FeatureContext ctx_;
    OverlayPort &port_;
    camera::TVideoCameraDS &camera_;
    imaging::CompareOverlay model_;
};

} // namespace imaging::ui
