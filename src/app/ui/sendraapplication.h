#pragma once

#include <memory>

class QString;

namespace platform {
class Clock;
class DiagnosticsLog;
class IniProfileStore;
class MediaBackend;
class MediaFiles;
class OverlayBitmap;
class PlaybackEngine;
class VendorChannel;
class VirtualCameraRig;
} // namespace platform

namespace camera::playback::ui {
class MediaPlayerController;
}

namespace app::ui {

class AutomationController;
class CameraController;
class CompareController;
class EditorController;
class FilterController;
class KeyRouter;
class LayoutController;
class LiveModeController;
class MainWindow;
class MeasureController;
class ResultsController;
class MessagePresenter;
class PlayerFeature;
class RecordingController;
class ReticleController;
class ScaleController;
class Shell;
class StillImageController;
class ViewerController;

// Rejects every open modal dialog (message boxes answer Cancel).
void dismissModalDialogs();

// The system services the program runs on, borrowed for its whole life. The executable creates
// them (app/main/systemservices.h), so nothing in the program links an adapter.
struct PlatformServices {
    platform::MediaBackend &media;        // cameras: discovery, pipelines, controls, snapshot buttons
    platform::PlaybackEngine &playback;   // the video player
    platform::MediaFiles &files;          // frames of clips, the conversions' readers and writers
    platform::VendorChannel &vendor;      // the bridge chip's library
    platform::VirtualCameraRig *virtualCamera = nullptr;   // when the environment asks for one
};

// The whole program wired together: the shell and the features that register with it, over the
// system services it is given. main() owns one; an integration test can own another. Adding a
// feature means constructing it here and registering it with the shell.
class SendraApplication
{
public:
    // `presenter` answers the message boxes (tests); null means the program's own dialog.
    SendraApplication(const QString &programDir, platform::DiagnosticsLog &log, platform::Clock &clock,
                      PlatformServices services, MessagePresenter *presenter = nullptr);
    ~SendraApplication();

    Shell &shell() { return *shell_; }
    MainWindow &window();
    CameraController &camera() { return *camera_; }
    MeasureController &measure() { return *measure_; }
    AutomationController &automation() { return *automation_; }
    ResultsController &results() { return *results_; }
    StillImageController &still() { return *still_; }
    LayoutController &layout() { return *layout_; }
    LiveModeController &liveModes() { return *liveModes_; }
    RecordingController &recording() { return *recording_; }
    PlayerFeature &player() { return *player_; }
    ScaleController &scales() { return *scales_; }
    KeyRouter &keys() { return *keys_; }
    CompareController &compare() { return *compare_; }
    ReticleController &reticle() { return *reticle_; }
    EditorController &editor() { return *editor_; }
    FilterController &filters() { return *filters_; }
    ViewerController &viewer() { return *viewer_; }
    platform::VirtualCameraRig *virtualCamera() { return services_.virtualCamera; }
    // SIGTERM and friends: open questions are dismissed (nothing is asked), then the window
    // closes through its close sequence once the dialogs' event loops have unwound.
    void closeForTermination();

private:
    PlatformServices services_;
    std::unique_ptr<platform::IniProfileStore> settings_;
    std::unique_ptr<Shell> shell_;
    // The mixing bitmap over the live video, shared by the comparison and the reticle.
    std::unique_ptr<platform::OverlayBitmap> overlay_;
    // Features, owned by the shell (QObject children), in registration order.
    StillImageController *still_ = nullptr;
    LayoutController *layout_ = nullptr;
    LiveModeController *liveModes_ = nullptr;
    CameraController *camera_ = nullptr;
    RecordingController *recording_ = nullptr;
    camera::playback::ui::MediaPlayerController *playerController_ = nullptr;
    PlayerFeature *player_ = nullptr;
    MeasureController *measure_ = nullptr;
    ScaleController *scales_ = nullptr;
    AutomationController *automation_ = nullptr;
    ResultsController *results_ = nullptr;
    KeyRouter *keys_ = nullptr;
    CompareController *compare_ = nullptr;
    ReticleController *reticle_ = nullptr;
    EditorController *editor_ = nullptr;
    FilterController *filters_ = nullptr;
    ViewerController *viewer_ = nullptr;
};

} // namespace app::ui
