#pragma once

#include "app/ui/feature.h"
#include "platform/bitmap.h"
#include "platform/mediapipeline.h"

#include <QSize>

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QDialog;

namespace platform {
class MediaBackend;
}

namespace camera {
class TVideoCameraDS;
enum class PreviewLoss;
namespace ui {
class VideoControlToolBar;
class VideoWidget;
} // namespace ui
} // namespace camera

namespace app::ui {

class Shell;

// The main window's camera side: the connect button, the device menu, device changes, the
// snapshot-button poll, the format/source/MJPG menu items, the picture-control tool bar and
// model recognition. The only writer of DeviceFound and VideoConnected. UI thread only.
class CameraController final : public QObject, public Feature
{
    Q_OBJECT
public:
    CameraController(Shell &shell, platform::MediaBackend &backend, QObject *parent = nullptr);
    ~CameraController() override;

    camera::TVideoCameraDS &camera() { return *camera_; }
    camera::ui::VideoWidget *videoWidget() const { return video_; }
    camera::ui::VideoControlToolBar *controlToolBar() const { return controls_; }

    // Window creation: search unless a device is already known, then the device-status label.
    void startUp();

    void Connect_BtnClick();
    // The capture button and the Space key: the picture shown (a playing recording's frame as
    // it is turned, a frozen frame, or the camera's frame) goes to captureStill.
    void CaptureImage_BtnClick();
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

    // Hooks of features that live elsewhere; each does nothing until set.
    std::function<void(const platform::Bitmap &)> captureStill = [](const platform::Bitmap &) {};
    std::function<void()> stopRecording = [] {};
    std::function<void()> exitMediaPlayer = [] {};
    std::function<void()> reloadRulerScales = [] {};
    std::function<bool()> semiAutoCalibrationRunning = [] { return false; };
    std::function<void()> closeCalibrationWindow = [] {};
    std::function<void()> reenterDrawMode = [] {};
    // Disconnecting releases the drawing tool bar's overlap, lock-frame and load-image states
    // and puts the live-mode buttons back to their start.
    std::function<void()> resetModeButtons = [] {};
    // The picture size changed (connect, format): "By Resolution" follows it.
    std::function<void(QSize)> resolutionChanged = [](QSize) {};
    // The format dialog releases a locked or loaded frame first, through the draw tool bar so
    // that its buttons come up too.
    std::function<void()> releaseFrozenFrame = [] {};
    // The format dialog's answer: the format chosen, or none when cancelled. Default: the dialog.
    std::function<std::optional<platform::CaptureFormat>(const std::vector<platform::PixelFormatInfo> &,
                                                         const platform::CaptureFormat &)>
        chooseFormat;
    // Runs the format or the source dialog modally and returns its result. Default: exec(); tests
    // answer instead.
    std::function<int(QDialog &)> runDialog;

    void readInputs(ActionInputs &in) const override;
    void applyRules(const ActionInputs &in, ActionState &s) const override;
    void listTimerTick() override;
    void closing() override;

    bool isBusy() const { return busy_; }

private:
    void disconnectBranch();
    void onPreviewLost(camera::PreviewLoss loss);
    void recognizeModel();
    std::optional<platform::CaptureFormat> runFormatDialog(const std::vector<platform::PixelFormatInfo> &formats,
                                                           const platform::CaptureFormat &current);

    Shell &shell_;
    camera::TVideoCameraDS *camera_ = nullptr;
    camera::ui::VideoWidget *video_ = nullptr;
    camera::ui::VideoControlToolBar *controls_ = nullptr;
    bool busy_ = false;
    bool polling_ = false;
    // The controller lives for the program run, so this says "logged once per run".
    bool modelUnknownLogged_ = false;
};

} // namespace app::ui
