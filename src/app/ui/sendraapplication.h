#pragma once

#include "app/ui/layoutcontroller.h"
#include "camera/playback/ui/mediaplayercontroller.h"
#include "camera/ui/cameracontroller.h"
#include "camera/ui/recordingcontroller.h"
#include "imaging/ui/editorcontroller.h"
#include "imaging/ui/filtercontroller.h"
#include "imaging/ui/overlayport.h"
#include "imaging/ui/stillimagecontroller.h"
#include "library/ui/viewercontroller.h"
#include "platform/monitorinfo.h"
#include "platform/overlaybitmap.h"
#include "measure/ui/lineprofilecontroller.h"
#include "measure/ui/measurecontroller.h"
#include "measure/ui/resultscontroller.h"
#include "scales/ui/scalecontroller.h"
#include "stack/ui/focusstackport.h"
#include "tools/ui/automationcontroller.h"

#include <memory>

class QString;

namespace platform {
class Clock;
class DiagnosticsLog;
class IniProfileStore;
class MediaBackend;
class VendorChannel;
class VirtualCameraRig;
class PlaybackEngine;
} // namespace platform

namespace feature::ui {
class UserDialogs;
}

namespace imaging::ui {
class CompareController;
class ReticleController;
} // namespace imaging::ui

namespace camera::ui {
class CameraMemoryKeeper;
class FocusAidController;
} // namespace camera::ui

namespace app::ui {

class KeyRouter;
class LiveModeController;
class MainWindow;
class MessagePresenter;
class Shell;

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
    platform::MonitorSize monitor{};      // the monitor's description, read once at start
};

// The whole program wired together, the composition root: the system services, the shell, and
// the features of the subsystem folders that register with it. Each feature declares the port it
// needs from its peers; this class answers every port, so "who stops the recording?" is one
// search for stopRecording here. main() owns one; an integration test can own another. Adding a
// feature means constructing it here, answering its port and registering it with the shell.
class SendraApplication final : public camera::ui::CameraPort,
                                public camera::ui::RecordingPort,
                                public camera::playback::ui::PlayerPort,
                                public imaging::ui::StillPort,
                                public imaging::ui::EditorPort,
                                public imaging::ui::FilterPort,
                                public imaging::ui::OverlayPort,
                                public library::ui::ViewerPort,
                                public tools::ui::AutomationPort,
                                public measure::ui::MeasurePort,
                                public measure::ui::ResultsPort,
                                public measure::ui::LineProfilePort,
                                public scales::ui::ScalePort,
                                public stack::ui::FocusStackPort,
                                public LayoutPort
{
public:
    // `presenter` answers the message boxes and `dialogs` the other dialogs (tests); null means
    // the program's own.
    SendraApplication(const QString &programDir, platform::DiagnosticsLog &log, platform::Clock &clock,
                      PlatformServices services, MessagePresenter *presenter = nullptr,
                      feature::ui::UserDialogs *dialogs = nullptr);
    ~SendraApplication();

    Shell &shell() { return *shell_; }
    MainWindow &window();
    camera::ui::CameraController &camera() { return *camera_; }
    measure::ui::MeasureController &measure() { return *measure_; }
    tools::ui::AutomationController &automation() { return *automation_; }
    measure::ui::ResultsController &results() { return *results_; }
    imaging::ui::StillImageController &still() { return *still_; }
    LayoutController &layout() { return *layout_; }
    LiveModeController &liveModes() { return *liveModes_; }
    camera::ui::RecordingController &recording() { return *recording_; }
    camera::playback::ui::MediaPlayerController &player() { return *player_; }
    scales::ui::ScaleController &scales() { return *scales_; }
    KeyRouter &keys() { return *keys_; }
    imaging::ui::CompareController &compare() { return *compare_; }
    imaging::ui::ReticleController &reticle() { return *reticle_; }
    imaging::ui::EditorController &editor() { return *editor_; }
    imaging::ui::FilterController &filters() { return *filters_; }
    library::ui::ViewerController &viewer() { return *viewer_; }
    camera::ui::FocusAidController &focusAids() { return *focusAids_; }
    measure::ui::LineProfileController &lineProfile() { return *lineProfile_; }
    platform::VirtualCameraRig *virtualCamera() { return services_.virtualCamera; }
    // What is remembered per camera; memory().current() is the record of the camera in use.
    camera::ui::CameraMemoryKeeper &cameraMemory() { return *cameraMemory_; }
    // SIGTERM and friends: open questions are dismissed (nothing is asked), then the window
    // closes through its close sequence once the dialogs' event loops have unwound.
    void closeForTermination();

private:
    void createFeatures(platform::DiagnosticsLog &log);
    void connectFeatures();

    // The camera: connecting, snapshots, the player and the recording around it.
    void captureStill(const platform::Bitmap &picture) override;
    void exitMediaPlayer() override;
    void stopRecording() override;
    void toggleRecording() override;
    void chooseCompressor() override;
    void takeSnapshot() override;
    void disconnectCamera() override;
    void connectCamera() override;
    bool cameraConnected() const override;
    void stopVideo() override;
    void setFlipMode(int mode) override;
    void showCover(bool shown) override;
    void resolutionChanged(QSize size) override;
    bool timedVideoRunning() const override;
    // The live modes, the measurement and the scales.
    void reenterDrawMode() override;
    void resetModeButtons() override;
    void releaseFrozenFrame() override;
    void claimOverlay() override;
    bool calibrationRunning() const override;
    void reloadRulerScales() override;
    void closeCalibrationWindow() override;
    void adoptScale(const scales::RulerScaleControl &scale) override;
    float detectedMonitorWidthCm() const override;
    scales::ui::RememberedScale rememberedScale() override;
    void rememberScale(const QString &name) override;
    QString currentCameraKey() const override;
    bool saveBurntIn(const platform::Bitmap &picture, const QString &prefix) override;
    void showCopiedPicture(const platform::Bitmap &picture) override;
    void applyPreset(int preset) override;
    measure::ui::VideoDragRange videoDrag() const override;
    // The still picture, its editor, its filters and its viewer.
    platform::Bitmap stillPicture() const override;
    bool saveStill(const platform::Bitmap &picture) override;
    void deleteStill() override;
    void offerUnsavedStill() override;
    void commitEditorText() override;
    void openStillFile() override;
    void leaveEditor() override;
    void resetEditorTool() override;
    void leaveFilterMode() override;
    void resetFilterButtons() override;
    void showStillInViewer() override;
    bool timedStillsRunning() const override;
    bool timedStillsWithScale() const override;
    bool saveWithScale(const platform::Bitmap &picture) override;
    platform::PictureMetadata pictureMetadata(QSize picture) const override;
    // The library and the JPEG quality.
    void playVideo(const QString &path) override;
    void showNewVideo(const QString &path) override;
    void showLibraryPage(int kind) override;
    void refreshLibraryPage(int kind) override;
    void useToolFolder(int kind, const QString &folder) override;
    int libraryPage() const override;
    bool bmpPageShown() const override;
    bool libraryPageChangeBlocked() const override;
    int jpegQuality() const override;
    void chooseJpegQuality(int quality) override;
    void setJpegQuality(int quality) override;
    // The focus stack: live frames in, a calibrated "Stack_" still out.
    platform::Bitmap liveFrame() override;
    platform::PictureMetadata currentCalibration(QSize picture) override;
    std::optional<QString> saveStack(const platform::Bitmap &picture, const platform::PictureMetadata &metadata) override;

    // The system services, lent by the executable, and the settings file.
    PlatformServices services_;
    std::unique_ptr<platform::IniProfileStore> settings_;

    std::unique_ptr<Shell> shell_;
    // The mixing bitmap over the live video, shared by the comparison and the reticle.
    std::unique_ptr<platform::OverlayBitmap> overlay_;
    // Features, owned by the shell (QObject children), in registration order.
    imaging::ui::StillImageController *still_ = nullptr;
    LayoutController *layout_ = nullptr;
    LiveModeController *liveModes_ = nullptr;
    camera::ui::CameraController *camera_ = nullptr;
    camera::ui::CameraMemoryKeeper *cameraMemory_ = nullptr;
    camera::ui::RecordingController *recording_ = nullptr;
    camera::playback::ui::MediaPlayerController *player_ = nullptr;
    measure::ui::MeasureController *measure_ = nullptr;
    scales::ui::ScaleController *scales_ = nullptr;
    tools::ui::AutomationController *automation_ = nullptr;
    measure::ui::ResultsController *results_ = nullptr;
    KeyRouter *keys_ = nullptr;
    imaging::ui::CompareController *compare_ = nullptr;
    imaging::ui::ReticleController *reticle_ = nullptr;
    imaging::ui::EditorController *editor_ = nullptr;
    imaging::ui::FilterController *filters_ = nullptr;
    library::ui::ViewerController *viewer_ = nullptr;
    camera::ui::FocusAidController *focusAids_ = nullptr;
    measure::ui::LineProfileController *lineProfile_ = nullptr;
};

} // namespace app::ui
