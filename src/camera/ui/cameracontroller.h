#pragma once

#include "feature/feature.h"
#include "feature/ui/featurecontext.h"
#include "platform/bitmap.h"
#include "platform/mediapipeline.h"

#include <QObject>
#include <QSize>

#include <optional>
#include <vector>

class QAction;

namespace bridge {
class EETI_com;
}

namespace platform {
class MediaBackend;
}

namespace camera {
class TVideoCameraDS;
enum class PreviewLoss;
} // namespace camera

namespace camera::ui {

class VideoControlToolBar;
class VideoWidget;

// What the camera side needs from its peers; the composition root answers. UI thread.
class CameraPort
{
public:
    // A snapshot (the capture button, Space, the camera's own button) becomes the still picture.
    virtual void captureStill(const platform::Bitmap &picture) = 0;
    // Before the user's snapshot replaces the still picture: unsaved work there is offered for
    // saving (the question of the exit button).
    virtual void offerUnsavedStill() = 0;
    // The player is left before a camera connects; a recording ends before it disconnects.
    virtual void exitMediaPlayer() = 0;
    virtual void stopRecording() = 0;
    // The live picture came: the draw mode is entered again when its button is down. It went:
    // the drawing tool bar's overlap, lock-frame and load-image states and the live-mode buttons
    // go back to their start.
    virtual void reenterDrawMode() = 0;
    virtual void resetModeButtons() = 0;
    // The picture size changed (connect, format, the stream itself): "By Resolution" follows it.
    virtual void resolutionChanged(QSize size) = 0;
    // The format dialog releases a locked or loaded frame first, through the draw tool bar so
    // that its buttons come up too.
    virtual void releaseFrozenFrame() = 0;
    // The cover over the video area while no live picture runs.
    virtual void showCover(bool shown) = 0;
    // Model recognition reads a recognized model's scales again, unless a semi-automatic
    // calibration runs; an unplugged camera closes the calibration window.
    virtual bool calibrationRunning() const = 0;
    virtual void reloadRulerScales() = 0;
    virtual void closeCalibrationWindow() = 0;

protected:
    ~CameraPort() = default;
};

// The main window's camera side: the connect button, the device menu, device changes, the
// snapshot-button poll, the format/source/MJPG menu items, the picture-control tool bar and
// model recognition. The only writer of DeviceFound and VideoConnected. UI thread only.
class CameraController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    // The video widget fills `videoArea`; `bridge` is the bridge-chip channel for model
    // recognition (none: the model is never known).
    CameraController(feature::ui::FeatureContext context, CameraPort &port, platform::MediaBackend &backend,
                     QWidget &videoArea, bridge::EETI_com *bridge, QObject *parent = nullptr);
    ~CameraController() override;

    camera::TVideoCameraDS &camera() { return *camera_; }
    VideoWidget *videoWidget() const { return video_; }
    VideoControlToolBar *controlToolBar() const { return controls_; }

    // Window creation: search unless a device is already known, then the device-status label.
    void startUp();

    void Connect_BtnClick();
    // The capture button and the Space key: unsaved work in the still picture is offered for
    // saving, then the snapshot is taken.
    void CaptureImage_BtnClick();
    // The snapshot without a question (the timed capture): the picture shown (a playing
    // recording's frame as it is turned, a frozen frame, or the camera's frame) becomes the
    // still picture.
    void captureSnapshot();
    bool ReSerachDevice();
    void NewMenuItem();
    void SubDevicesClick(QAction *item);
    // A burst of device-node changes (udev, or the virtual camera's plug and unplug).
    void onNodesChanged();
    void VideoFormatClick();
    void VideoSourceClick();
    void SetMJPGPreviewClick(bool on);
    // The list timer's part: a pressed snapshot button hands the current frame over once.
    void pollStillTrigger();

    void readInputs(feature::ActionInputs &in) const override;
    void listTimerTick() override;
    void closing() override;
    void languageChanged() override { showOrientation(); }

    bool isBusy() const { return busy_; }

private:
    void disconnectBranch();
    // The status line names the picture's orientation while a picture runs and it is not the
    // camera's own ("as delivered"), so a flip chosen in the player is never a silent surprise.
    void showOrientation();
    void onPreviewLost(camera::PreviewLoss loss);
    void recognizeModel();
    std::optional<platform::CaptureFormat> runFormatDialog(const std::vector<platform::PixelFormatInfo> &formats,
                                                           const platform::CaptureFormat &current);

    feature::ui::FeatureContext ctx_;
    CameraPort &port_;
    bridge::EETI_com *bridge_ = nullptr;
    camera::TVideoCameraDS *camera_ = nullptr;
    VideoWidget *video_ = nullptr;
    VideoControlToolBar *controls_ = nullptr;
    bool busy_ = false;
    bool polling_ = false;
    // The controller lives for the program run, so this says "logged once per run".
    bool modelUnknownLogged_ = false;
};

} // namespace camera::ui
