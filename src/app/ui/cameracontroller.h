#pragma once

#include "platform/bitmap.h"

#include <QObject>

#include <functional>
#include <memory>

class QAction;

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

class MainWindow;

// The main window's camera side: the connect button, the device menu, device changes, the
// snapshot-button poll, the format/source/MJPG menu items and model recognition. Owned by the
// main window; UI thread only.
class CameraController final : public QObject
{
    Q_OBJECT
public:
    CameraController(MainWindow &window, platform::MediaBackend &backend, QObject *parent = nullptr);
    ~CameraController() override;

    camera::TVideoCameraDS &camera() { return *camera_; }
    camera::ui::VideoWidget *videoWidget() const { return video_; }
    camera::ui::VideoControlToolBar *controlToolBar() const { return controls_; }

    // Window creation: search unless a device is already known, then the device-status label.
    void startUp();

    void Connect_BtnClick();
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

    bool isBusy() const { return busy_; }

private:
    void disconnectBranch();
    void onPreviewLost(camera::PreviewLoss loss);
    void recognizeModel();

    MainWindow &window_;
    camera::TVideoCameraDS *camera_ = nullptr;
    camera::ui::VideoWidget *video_ = nullptr;
    camera::ui::VideoControlToolBar *controls_ = nullptr;
    bool busy_ = false;
    bool polling_ = false;
};

} // namespace app::ui
