#pragma once

#include "app/ui/feature.h"
#include "imaging/compareoverlay.h"
#include "platform/bitmap.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QColor;

namespace platform {
class OverlayBitmap;
}

namespace camera {
class TVideoCameraDS;
} // namespace camera

namespace app::ui {

class Shell;

// The comparison tool bar: a reference image (the shown still picture or a file) laid over the
// live video, blended or split, with its split and transparency sliders, the window-move button,
// the knockout colour and the snapshot source selector; and what entering and leaving the
// comparison mode does to it. UI thread.
class CompareController final : public QObject, public Feature
{
    Q_OBJECT
public:
    CompareController(Shell &shell, camera::TVideoCameraDS &camera, platform::OverlayBitmap &overlay,
                      QObject *parent = nullptr);

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

    // The still picture shown beside the video; null when there is none.
    std::function<platform::Bitmap()> shownPicture = [] { return platform::Bitmap(); };
    // The open-picture dialog for a reference, starting in `folder`; none when cancelled.
    // Default: a file dialog over the main window. Tests answer it.
    std::function<std::optional<QString>(const QString &folder)> chooseReference;
    // The knockout colour dialog; an invalid colour means cancelled. Default: Qt's colour dialog.
    std::function<QColor(const QColor &initial)> pickColour;
    // The reference now covers the video: the measurement layer must not be handed over it.
    std::function<void()> claimOverlay = [] {};

    void readInputs(ActionInputs &in) const override;
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

    Shell &shell_;
    camera::TVideoCameraDS &camera_;
    imaging::CompareOverlay model_;
};

} // namespace app::ui
