#pragma once

#include <memory>

class QString;

namespace platform {
class Clock;
class DiagnosticsLog;
class IniProfileStore;
class MediaBackend;
class VendorChannel;
class VirtualCameraRig;
} // namespace platform

namespace camera::playback::ui {
class MediaPlayerController;
}

namespace app::ui {

class CameraController;
class RecordingController;
class MessagePresenter;
class MainWindow;
class MeasureController;

// The whole program wired together: the system services, the main window and the features that
// attach to it. main() owns one; an integration test can own another.
// Rejects every open modal dialog (message boxes answer Cancel).
void dismissModalDialogs();

class SendraApplication
{
public:
    // `presenter` answers the message boxes (tests); null means the program's own dialog.
    SendraApplication(const QString &programDir, platform::DiagnosticsLog &log, platform::Clock &clock,
                      MessagePresenter *presenter = nullptr);
    MeasureController &measure() { return *measure_; }
    ~SendraApplication();

    MainWindow &window() { return *window_; }
    CameraController &camera() { return *camera_; }
    platform::VirtualCameraRig *virtualCamera() { return rig_.get(); }
    // SIGTERM and friends: open questions are dismissed (nothing is asked), then the window
    // closes through its close sequence once the dialogs' event loops have unwound.
    void closeForTermination();

private:
    void connectCapture();
    void connectPlayer();
    void connectMeasure();

    std::unique_ptr<platform::IniProfileStore> settings_;
    std::unique_ptr<platform::VendorChannel> vendor_;
    std::unique_ptr<platform::VirtualCameraRig> rig_;
    std::unique_ptr<platform::MediaBackend> backend_;
    std::unique_ptr<MainWindow> window_;
    CameraController *camera_ = nullptr;   // owned by the window
    camera::playback::ui::MediaPlayerController *player_ = nullptr;   // owned by the window
    MeasureController *measure_ = nullptr;                             // owned by the window
    RecordingController *recording_ = nullptr;                         // owned by the window
};

} // namespace app::ui
