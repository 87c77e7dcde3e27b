#include "sendraapplication.h"

#include "keyrouter.h"
#include "livemodecontroller.h"
#include "mainwindow.h"
#include "messagepresenter.h"
#include "shell.h"

#include "camera/ui/cameramemorykeeper.h"
#include "camera/ui/focusaidcontroller.h"
#include "state/cameramemory.h"
#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "feature/ui/controls.h"
#include "imaging/stilldocument.h"
#include "imaging/ui/comparecontroller.h"
#include "imaging/ui/reticlecontroller.h"
#include "imaging/ui/stillimageview.h"
#include "library/ui/thumbnailbrowserwidget.h"
#include "measure/ui/measuringsurface.h"
#include "platform/diagnosticslog.h"
#include "platform/iniprofilestore.h"
#include "platform/localeid.h"
#include "platform/mediafiles.h"
#include "platform/overlaybitmap.h"
#include "measure/measurementpacket.h"
#include "stack/stackfolder.h"
#include "stack/ui/focusstackcontroller.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTimer>

namespace app::ui {

using state::ControlId;

SendraApplication::SendraApplication(const QString &programDir, platform::DiagnosticsLog &log, platform::Clock &clock,
                                     PlatformServices services, MessagePresenter *presenter,
                                     feature::ui::UserDialogs *dialogs)
    : services_(services)
{
    const state::UserPaths paths = state::UserPaths::fromProfileDir(state::UserPaths::profileDirFromEnvironment());

    settings_ = std::make_unique<platform::IniProfileStore>(paths.settingsFile());

    const bool renderer = qEnvironmentVariable("SENDRA_CAM_NO_RENDERER") != QLatin1String("1");
    shell_ = std::make_unique<Shell>(ShellDeps{programDir, paths, clock, *settings_, services_.vendor, log,
                                               platform::systemLanguageId(), renderer, presenter, dialogs});
    createFeatures(log);
    connectFeatures();

    // Texts of everything the features built, then the window's creation event: look for
    // cameras and show what was found.
    shell_->applyTexts();
    camera_->startUp();
}

void SendraApplication::createFeatures(platform::DiagnosticsLog &log)
{
    Shell &shell = *shell_;
    MainWindow &window = shell.window();
    const feature::ui::FeatureContext ctx = shell.context();
    // The features, in the order the shell calls them; the close sequence runs them backwards,
    // so the player and the recording end before the camera.
    still_ = new imaging::ui::StillImageController(ctx, *this, *window.stillView(),
        [this](const QString &path, int index) { return services_.files.thumbnailFrame(path, index); }, &shell);
    window.placeLibrary(&still_->browser());
    layout_ = new LayoutController(shell, *this, &shell);
    liveModes_ = new LiveModeController(shell, &shell);
    camera_ = new camera::ui::CameraController(ctx, *this, services_.media, *window.videoArea(), shell.eetiCom(), &shell);
    // Before the first search: it sets up the device table ("Show all cameras", the camera used last).
    cameraMemory_ = new camera::ui::CameraMemoryKeeper(shell.paths().cameraMemoryFile(), camera_->camera(),
                                                       *camera_->controlToolBar(),
                                                       ctx.controls.action(state::ControlId::ShowAllCameras), log, &shell);
    QObject::connect(cameraMemory_, &camera::ui::CameraMemoryKeeper::searchRequested, camera_,
                     &camera::ui::CameraController::onNodesChanged);
    recording_ = new camera::ui::RecordingController(ctx, *this, camera_->camera(), still_->captureCounter(), &shell);
    player_ = new camera::playback::ui::MediaPlayerController(
        ctx, *this, camera_->videoWidget(), services_.playback,
        [this](const QString &path, std::uint32_t index) { return services_.files.videoFrame(path, index); }, &shell);
    measure_ = new measure::ui::MeasureController(ctx, *this, camera_->camera(), *camera_->videoWidget(), *window.videoArea(), &shell);
    // Before the scales load their first scale: its monitor width and magnification need it.
    measure_->setDetectedMonitorWidthCm(services_.monitor.detectedWidthCm);
    overlay_ = std::make_unique<platform::OverlayBitmap>();
    compare_ = new imaging::ui::CompareController(ctx, *this, camera_->camera(), *overlay_, &shell);
    reticle_ = new imaging::ui::ReticleController(ctx, *this, camera_->camera(), *overlay_, &shell);
    scales_ = new scales::ui::ScaleController(ctx, *this, camera_->camera(), services_.media, &shell);
    automation_ = new tools::ui::AutomationController(ctx, *this, services_.media, services_.files, &shell);
    editor_ = new imaging::ui::EditorController(ctx, *this, still_->document(), still_->view(), &shell);
    filters_ = new imaging::ui::FilterController(ctx, *this, still_->document(), still_->view(), &shell);
    viewer_ = new library::ui::ViewerController(ctx, *this, &shell);
    results_ = new measure::ui::ResultsController(ctx, *this, *measure_, &shell);
    for (feature::Feature *feature : std::initializer_list<feature::Feature *>{
             still_, layout_, liveModes_, camera_, recording_, player_, measure_, scales_, compare_, reticle_, automation_,
             editor_, filters_, viewer_, results_})
        shell.addFeature(feature);
    shell.addFeature(new stack::ui::FocusStackController(ctx, *this, &shell));
    // The focus aids over the live picture, and the line profile on still and locked pictures.
    focusAids_ = new camera::ui::FocusAidController(ctx, camera_->camera(), *camera_->videoWidget(), *window.videoArea(),
                                                    &shell);
    shell.addFeature(focusAids_);
    lineProfile_ = new measure::ui::LineProfileController(ctx, *this, *measure_, camera_->camera(), *camera_->videoWidget(),
                                                          *window.stillView()->pictureControl(), &shell);
    shell.addFeature(lineProfile_);

    // Space takes a snapshot and V starts or stops a recording while the camera is live, unless
    // the focused control takes keys itself.
    keys_ = new KeyRouter(&window, [&shell] { return shell.state().flags().VideoConnected && !shell.state().flags().IsClosing; },
                          &shell);
}

void SendraApplication::connectFeatures()
{
    // Signals carry what happened to whoever follows it; what a feature needs from its peers
    // goes through its port, answered below.
    // Every measured value and label follows the current ruler scale.
    QObject::connect(scales_, &scales::ui::ScaleController::scaleChanged, measure_,
                     [this](const scales::RulerScaleControl &scale) { measure_->surface().setScale(scale); });
    scales_->publish();
    camera::ui::VideoWidget *video = camera_->videoWidget();
    overlay_->setSink([video](const platform::OverlayBitmap &o) {
        if (o.visible())
            video->setOverlay(o.bitmap(), o.keyColour(), o.alpha());
        else
            video->clearOverlay();
    });
    // A showing viewer follows the still picture: a new one may have any size, an edit keeps it
    // unless it turned the picture; saving and the unsaved state change no pixel.
    QObject::connect(&still_->document(), &imaging::StillDocument::changed, viewer_,
                     [this](imaging::StillDocument::Change change) {
                         using Change = imaging::StillDocument::Change;
                         if (change != Change::Saved && change != Change::Marked) {
                             viewer_->stillPictureChanged(change == Change::Loaded);
                             lineProfile_->stillPictureChanged();
                         }
                     });
    QObject::connect(&window(), &MainWindow::activated, viewer_, &library::ui::ViewerController::mainWindowActivated);
    QObject::connect(layout_, &LayoutController::videoDragChanged, measure_, &measure::ui::MeasureController::onVideoDragChanged);
    // Space is the capture button: it asks about unsaved work in the still picture the same way.
    QObject::connect(keys_, &KeyRouter::snapshotRequested, camera_, &camera::ui::CameraController::CaptureImage_BtnClick);
    QObject::connect(keys_, &KeyRouter::recordRequested, recording_, &camera::ui::RecordingController::RecordVideo_BtnClick);
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

// ---------------------------------------------------------------------------------------------
// The camera: connecting, snapshots, the player and the recording around it

void SendraApplication::captureStill(const platform::Bitmap &picture) { still_->CaptureImageCom(picture); }

void SendraApplication::exitMediaPlayer() { player_->ExitMediaPlayer(); }

void SendraApplication::stopRecording() { recording_->stopRecording(); }

void SendraApplication::toggleRecording() { recording_->RecordVideo_BtnClick(); }

void SendraApplication::chooseCompressor() { recording_->VideoCompressClick(); }

void SendraApplication::takeSnapshot() { camera_->captureSnapshot(); }

void SendraApplication::disconnectCamera()
{
    // The connect button disconnects a running camera.
    if (shell_->state().flags().VideoConnected)
        camera_->Connect_BtnClick();
}

void SendraApplication::connectCamera()
{
    if (!shell_->state().flags().VideoConnected)
        camera_->Connect_BtnClick();
}

bool SendraApplication::cameraConnected() const { return camera_->camera().isConnected(); }

void SendraApplication::stopVideo()
{
    if (shell_->state().flags().VideoConnected)
        camera_->Connect_BtnClick();
    else if (shell_->state().flags().VideoPlaying)
        player_->PlayVideo_BtnClick();
}

void SendraApplication::setFlipMode(int mode) { camera_->camera().SetFlipMode(mode); }

void SendraApplication::showCover(bool shown) { shell_->window().showCover(shown); }

void SendraApplication::resolutionChanged(QSize size) { layout_->setCameraResolution(size); }

bool SendraApplication::timedVideoRunning() const { return automation_->timedVideoRunning(); }

// ---------------------------------------------------------------------------------------------
// The live modes, the measurement and the scales

void SendraApplication::reenterDrawMode() { measure_->setDrawMode(shell_->state().flags().LiveMode == state::kLiveDraw); }

void SendraApplication::resetModeButtons() { liveModes_->resetModeButtons(); }

void SendraApplication::releaseFrozenFrame() { measure_->releaseFrozenFrame(); }

void SendraApplication::claimOverlay() { liveModes_->claimOverlay(); }

bool SendraApplication::calibrationRunning() const { return scales_->calibrationRunning(); }

void SendraApplication::reloadRulerScales() { scales_->reloadRulerScales(); }

void SendraApplication::closeCalibrationWindow() { scales_->closeCalibrationWindow(); }

void SendraApplication::adoptScale(const scales::RulerScaleControl &scale) { scales_->adoptScale(scale); }

float SendraApplication::detectedMonitorWidthCm() const { return services_.monitor.detectedWidthCm; }

scales::ui::RememberedScale SendraApplication::rememberedScale()
{
    // The camera's own from Cameras.ini, then the one chosen last from the settings; the scales
    // fall back to their first entry.
    scales::ui::RememberedScale r;
    if (const state::CameraRecord *camera = cameraMemory_->memory().current(); camera && camera->scale)
        r.forCamera = *camera->scale;
    r.chosenLast = shell_->state().settings().ScaleName;
    return r;
}

void SendraApplication::rememberScale(const QString &name)
{
    shell_->state().setScaleName(name);
    if (state::CameraRecord *camera = cameraMemory_->memory().current())
        camera->scale = name;
}

QString SendraApplication::currentCameraKey() const { return cameraMemory_->memory().currentCamera(); }

bool SendraApplication::saveBurntIn(const platform::Bitmap &picture, const QString &prefix)
{
    // The burnt-in picture is the still image now, and it is stored as such.
    still_->document().load(picture, QString());
    return still_->Save_ImageFile(still_->document().picture(), prefix);
}

void SendraApplication::showCopiedPicture(const platform::Bitmap &picture)
{
    still_->offerToSave();
    still_->CaptureImageCom(picture);
}

void SendraApplication::applyPreset(int preset) { layout_->applyPreset(preset); }

measure::ui::VideoDragRange SendraApplication::videoDrag() const
{
    const VideoDrag &d = layout_->videoDrag();
    return {d.enabled, d.min, d.max};
}

// ---------------------------------------------------------------------------------------------
// The still picture, its editor, its filters and its viewer

platform::Bitmap SendraApplication::stillPicture() const { return still_->document().picture(); }

bool SendraApplication::saveStill(const platform::Bitmap &picture) { return still_->Save_ImageFile(picture); }

void SendraApplication::deleteStill() { still_->DeleteImage(); }

void SendraApplication::offerUnsavedStill() { still_->WhetherSaveImageMessage(); }

void SendraApplication::commitEditorText() { editor_->commitText(); }

void SendraApplication::openStillFile() { still_->OpenFileClick(); }

void SendraApplication::leaveEditor() { editor_->ExitImageEdit(); }

void SendraApplication::resetEditorTool() { editor_->resetTool(); }

void SendraApplication::leaveFilterMode() { filters_->ExitImageProcess(); }

void SendraApplication::resetFilterButtons() { filters_->ImaProToolBtn_Reset(); }

void SendraApplication::showStillInViewer() { viewer_->ShowStillImage(); }

bool SendraApplication::timedStillsRunning() const { return automation_->timedStillsRunning(); }

bool SendraApplication::timedStillsWithScale() const { return automation_->timedStillsWithScale(); }

bool SendraApplication::saveWithScale(const platform::Bitmap &picture) { return measure_->saveSnapshotWithScale(picture); }

platform::PictureMetadata SendraApplication::pictureMetadata(QSize picture) const
{
    return measure_->pictureMetadata(picture);
}

// ---------------------------------------------------------------------------------------------
// The library and the JPEG quality

void SendraApplication::playVideo(const QString &path) { player_->PlayerVideoCom(path); }

void SendraApplication::showNewVideo(const QString &path)
{
    still_->browser().markNewFile(state::kListAvi, path);
    still_->browser().showKind(state::kListAvi);
}

void SendraApplication::showLibraryPage(int kind) { still_->browser().showKind(kind); }

void SendraApplication::refreshLibraryPage(int kind) { still_->browser().FileList(kind); }

void SendraApplication::useToolFolder(int kind, const QString &folder)
{
    still_->browser().showToolFolder(kind, folder);
}

int SendraApplication::libraryPage() const { return still_->browser().currentIndex(); }

bool SendraApplication::bmpPageShown() const { return still_->browser().currentIndex() == state::kListBmp; }

bool SendraApplication::libraryPageChangeBlocked() const
{
    const feature::ActionInputs in = shell_->actionInputs();
    return in.timedCaptureRunning || in.vid2ImgRunning || in.img2VidRunning;
}

int SendraApplication::jpegQuality() const { return still_->jpegQuality(); }

void SendraApplication::chooseJpegQuality(int quality)
{
    // As the menu item does: the item is checked and the camera takes the quality.
    const ControlId item = quality >= 100 ? ControlId::NHeight_Q : quality >= 90 ? ControlId::NMiddle_Q : ControlId::NLow_Q;
    shell_->controls().action(item)->trigger();
}

void SendraApplication::setJpegQuality(int quality) { camera_->camera().SetCompressionQ(quality); }

platform::Bitmap SendraApplication::liveFrame()
{
    camera::TVideoCameraDS &cam = camera_->camera();
    if (!cam.isConnected() || cam.isFrozen())
        return {};
    return cam.grabFrame();
}

platform::PictureMetadata SendraApplication::currentCalibration(QSize picture)
{
    const std::optional<measure::MeasurementPacket> packet =
        measure::packetFor(measure_->surface().session().scale(), picture, {}, 0, 0);
    return packet ? measure::toMetadata(*packet) : platform::PictureMetadata{};
}

std::optional<QString> SendraApplication::saveStack(const platform::Bitmap &picture, const platform::PictureMetadata &metadata)
{
    if (!still_->saveToolPicture(picture, QLatin1String(stack::kStackNamePrefix), metadata))
        return std::nullopt;
    return still_->document().filePath();
}

} // namespace app::ui
