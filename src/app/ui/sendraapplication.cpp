#include "sendraapplication.h"

#include "automationcontroller.h"
#include "cameracontroller.h"
#include "comparecontroller.h"
#include "controls.h"
#include "editorcontroller.h"
#include "filtercontroller.h"
#include "keyrouter.h"
#include "layoutcontroller.h"
#include "livemodecontroller.h"
#include "mainwindow.h"
#include "measurecontroller.h"
#include "resultscontroller.h"
#include "messagepresenter.h"
#include "playerfeature.h"
#include "recordingcontroller.h"
#include "reticlecontroller.h"
#include "scalecontroller.h"
#include "shell.h"
#include "stillimagecontroller.h"
#include "viewercontroller.h"

#include "camera/overlaybitmap.h"
#include "camera/ui/focusaidcontroller.h"
#include "measure/ui/lineprofilecontroller.h"
#include "camera/playback/ui/mediaplayercontroller.h"
#include "camera/ui/videowidget.h"
#include "imaging/ui/stillimageview.h"
#include "camera/videocamerads.h"
#include "measure/ui/measuringsurface.h"
#include "library/ui/thumbnailbrowserwidget.h"
#include "platform/diagnosticslog.h"
#include "platform/frameextractor.h"
#include "platform/gst/gstplaybackengine.h"
#include "platform/gst/systemmediabackend.h"
#include "platform/gst/virtualcamera.h"
#include "platform/iniprofilestore.h"
#include "platform/localeid.h"
#include "platform/vendor/dlvendorchannel.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTimer>

namespace app::ui {

SendraApplication::SendraApplication(const QString &programDir, platform::DiagnosticsLog &log, platform::Clock &clock,
                                     MessagePresenter *presenter)
{
    const state::UserPaths paths = state::UserPaths::fromProfileDir(state::UserPaths::profileDirFromEnvironment());
    settings_ = std::make_unique<platform::IniProfileStore>(paths.settingsFile());
    auto vendor = std::make_unique<platform::DlVendorChannel>(platform::DlVendorChannel::defaultLibraryPath(programDir));
    if (!vendor->loaded())
        log.append(QStringLiteral("Bridge library not loaded: ") + vendor->loadError());
    vendor_ = std::move(vendor);
    if (const auto options = platform::VirtualCameraOptions::fromEnvironment()) {
        rig_ = std::make_unique<platform::VirtualCameraRig>(*options, log);
        // A test outside the process presses the snapshot button or pulls the cable through it.
        if (const QString fifo = qEnvironmentVariable("SENDRA_CAM_VIRTUAL_CONTROL"); !fifo.isEmpty())
            rig_->listenOnFifo(fifo);
    }
    backend_ = std::make_unique<platform::SystemMediaBackend>(log, rig_.get());
    engine_ = std::make_unique<platform::GstPlaybackEngine>();

    const bool renderer = qEnvironmentVariable("SENDRA_CAM_NO_RENDERER") != QLatin1String("1");
    shell_ = std::make_unique<Shell>(ShellDeps{programDir, paths, clock, *settings_, *vendor_, log,
                                               platform::systemLanguageId(), renderer, presenter});
    Shell &shell = *shell_;

    // The features, in the order the shell calls them; the close sequence runs them backwards,
    // so the player and the recording end before the camera.
    still_ = new StillImageController(shell, &shell);
    layout_ = new LayoutController(shell, &shell);
    liveModes_ = new LiveModeController(shell, &shell);
    camera_ = new CameraController(shell, *backend_, &shell);
    recording_ = new RecordingController(shell, *camera_, *still_, &shell);
    playerController_ = new camera::playback::ui::MediaPlayerController(
        camera_->videoWidget(), *engine_,
        [&log](const QString &path, std::uint32_t index) { return platform::GetAviFrame(path, index, &log); }, &shell);
    player_ = new PlayerFeature(shell, *playerController_, &shell);
    measure_ = new MeasureController(shell, *layout_, camera_->camera(), *camera_->videoWidget(), &shell);
    overlay_ = std::make_unique<camera::OverlayBitmap>();
    compare_ = new CompareController(shell, camera_->camera(), *overlay_, &shell);
    reticle_ = new ReticleController(shell, camera_->camera(), *overlay_, &shell);
    scales_ = new ScaleController(shell, *camera_, *backend_, &shell);
    automation_ = new AutomationController(shell, &shell);
    editor_ = new EditorController(shell, *still_, &shell);
    filters_ = new FilterController(shell, &shell);
    viewer_ = new ViewerController(shell, *still_, &shell);
    results_ = new ResultsController(shell, *measure_, &shell);
    for (Feature *feature : std::initializer_list<Feature *>{still_, layout_, liveModes_, camera_, recording_, player_,
                                                             measure_, scales_, compare_, reticle_, automation_, editor_,
                                                             filters_, viewer_, results_})
        shell.addFeature(feature);
    // The focus aids over the live picture, and the line profile on still and locked pictures.
    shell.addFeature(new camera::ui::FocusAidController(shell, *camera_, &shell));
    shell.addFeature(new measure::ui::LineProfileController(shell, *measure_, *still_, *camera_, &shell));

    // What the features answer for each other.
    camera::TVideoCameraDS &cam = camera_->camera();
    camera::playback::ui::MediaPlayerController &player = *playerController_;
    camera_->captureStill = [this](const platform::Bitmap &picture) { still_->CaptureImageCom(picture); };
    camera_->exitMediaPlayer = [&player] { player.ExitMediaPlayer(); };
    camera_->reenterDrawMode = [this, &shell] { measure_->setDrawMode(shell.state().flags().LiveMode == state::kLiveDraw); };
    camera_->resetModeButtons = [this] { liveModes_->resetModeButtons(); };
    camera_->resolutionChanged = [this](QSize size) { layout_->setCameraResolution(size); };
    camera_->releaseFrozenFrame = [this] { measure_->releaseFrozenFrame(); };
    camera_->reloadRulerScales = [this] { scales_->reloadRulerScales(); };
    camera_->semiAutoCalibrationRunning = [this] { return scales_->calibrationRunning(); };
    camera_->closeCalibrationWindow = [this] { scales_->closeCalibrationWindow(); };
    // Every measured value and label follows the current ruler scale.
    QObject::connect(scales_, &ScaleController::scaleChanged, measure_,
                     [this](const scales::RulerScaleControl &scale) { measure_->surface().setScale(scale); });
    // The scale dialog offers the monitor width read from the monitor's own description.
    scales_->detectedMonitorWidthCm = [this] { return measure_->surface().detectedMonitorWidthCm(); };
    scales_->publish();
    measure_->bmpTabShown = [this] { return still_->browser().currentIndex() == state::kListBmp; };
    camera::ui::VideoWidget *video = camera_->videoWidget();
    overlay_->setSink([video](const camera::OverlayBitmap &o) {
        if (o.visible())
            video->setOverlay(o.bitmap(), o.keyColour(), o.alpha());
        else
            video->clearOverlay();
    });
    compare_->shownPicture = [this] { return still_->view().picture(); };
    results_->stillPicture = [this] { return still_->view().picture(); };
    compare_->claimOverlay = [this] { liveModes_->claimOverlay(); };
    reticle_->claimOverlay = [this] { liveModes_->claimOverlay(); };
    // Saved pictures carry the scale and the shapes; a loaded one brings them back.
    still_->pictureMetadata = [this](QSize picture) { return measure_->pictureMetadata(picture); };
    measure_->adoptScale = [this](const scales::RulerScaleControl &scale) { scales_->adoptScale(scale); };
    measure_->saveImageFile = [this](const platform::Bitmap &picture, const QString &prefix) {
        still_->view().setPicture(picture, QString());
        return still_->Save_ImageFile(still_->view().picture(), prefix);
    };
    measure_->copyFollowUp = [this, &shell](const platform::Bitmap &picture) {
        if (still_->view().hasUnsavedEdits()
            && shell.ShowMessageBox(QStringLiteral("WhetherSaveImage_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                                    state::kIconQuestion)
                   == state::kResultOk)
            still_->Save_ImageFile(still_->view().picture());
        still_->CaptureImageCom(picture);
    };
    layout_->stopVideo = [this, &shell, &player] {
        if (shell.state().flags().VideoConnected)
            camera_->Connect_BtnClick();
        else if (shell.state().flags().VideoPlaying)
            player.PlayVideo_BtnClick();
    };
    still_->grabVideoFrame = [](const QString &path, int index) { return platform::grabFrameForThumbnail(path, index); };
    still_->playVideoFile = [&player](const QString &path) { player.PlayerVideoCom(path); };
    still_->leavePlayer = [&player] { player.ExitMediaPlayer(); };
    still_->jpegQualityChosen = [&cam](int quality) { cam.SetCompressionQ(quality); };
    still_->showInViewer = [this] { viewer_->ShowStillImage(); };
    player.showMessage = [&shell](const QString &t, const QString &c, bool cancel, int icon) {
        return shell.ShowMessageBox(t, c, cancel, icon);
    };
    player.disconnectCamera = [this, &shell] {
        if (shell.state().flags().VideoConnected)
            camera_->Connect_BtnClick();
    };
    player.stopRecording = [this] { recording_->stopRecording(); };
    player.cameraConnected = [&cam] { return cam.isConnected(); };
    player.setFlipMode = [&cam](int mode) { cam.SetFlipMode(mode); };
    player.aviFolder = [&shell] { return shell.state().curListPath()[state::kListAvi]; };
    player.memoryTrim = [&shell] { shell.MemoryTrim(); };
    QObject::connect(&player, &camera::playback::ui::MediaPlayerController::aviPageRefreshRequested, still_,
                     [this] { still_->browser().showKind(state::kListAvi); });

    // The automation tools capture through the camera and the recording, and save into the
    // library folders.
    automation_->takeSnapshot = [this] { camera_->CaptureImage_BtnClick(); };
    automation_->toggleRecording = [this] { recording_->RecordVideo_BtnClick(); };
    automation_->stopRecording = [this] { recording_->stopRecording(); };
    automation_->recording = [&shell] { return shell.state().flags().VideoRecording; };
    automation_->chooseCompressor = [this] { recording_->VideoCompressClick(); };
    automation_->showLibraryPage = [this](int kind) { still_->browser().showKind(kind); };
    automation_->refreshLibraryPage = [this](int kind) { still_->browser().FileList(kind); };
    automation_->currentLibraryPage = [this] { return still_->browser().currentIndex(); };
    automation_->jpegQuality = [this] { return still_->jpegQuality(); };
    automation_->chooseJpegQuality = [&shell](int quality) {
        using state::ControlId;
        const ControlId item = quality >= 100 ? ControlId::NHeight_Q : quality >= 90 ? ControlId::NMiddle_Q : ControlId::NLow_Q;
        shell.controls().action(item)->trigger();
    };
    still_->timedStillsRunning = [this] { return automation_->timedStillsRunning(); };
    still_->timedStillsWithScale = [this] { return automation_->timedStillsWithScale(); };
    still_->saveWithScale = [this](const platform::Bitmap &picture) { return measure_->saveSnapshotWithScale(picture); };
    still_->toggleImageProcess = [this] { filters_->ImageProcess_BtnClick(); };
    still_->leaveImageProcess = [this] { filters_->ExitImageProcess(); };
    filters_->leaveEditor = [this] { still_->leaveEditMode(); };
    editor_->leaveFilterMode = [this] { filters_->ExitImageProcess(); };
    editor_->refreshFilterCopies = [this] { filters_->Imageprocess_CopyTemp(); };
    editor_->resetFilterButtons = [this] { filters_->ImaProToolBtn_Reset(); };
    filters_->resetEditorTool = [this] { editor_->resetTool(); };
    recording_->timedVideoRunning = [this] { return automation_->timedVideoRunning(); };

    // Space takes a snapshot and V starts or stops a recording while the camera is live, unless
    // the focused control takes keys itself.
    keys_ = new KeyRouter(&shell.window(), [&shell] { return shell.state().flags().VideoConnected && !shell.state().flags().IsClosing; },
                          &shell);
    QObject::connect(keys_, &KeyRouter::snapshotRequested, camera_, [this] {
        editor_->beforeSnapshotKey();
        camera_->CaptureImage_BtnClick();
    });
    QObject::connect(keys_, &KeyRouter::recordRequested, recording_, &RecordingController::RecordVideo_BtnClick);

    // Texts of everything the features built, then the window's creation event: look for
    // cameras and show what was found.
    shell.applyTexts();
    camera_->startUp();
}

SendraApplication::~SendraApplication()
{
    // The shell (and with it the window and the camera session) goes before the services it uses.
    shell_.reset();
}

MainWindow &SendraApplication::window() { return shell_->window(); }

void SendraApplication::closeForTermination()
{
    dismissModalDialogs();
    QTimer::singleShot(0, &shell_->window(), [this] { shell_->window().close(); });
}

void dismissModalDialogs()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<QDialog *>(w); d && d->isVisible() && d->isModal())
            d->reject();
}

} // namespace app::ui
