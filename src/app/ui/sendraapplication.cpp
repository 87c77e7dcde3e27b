#include "sendraapplication.h"

#include "cameracontroller.h"
#include "measurecontroller.h"
#include "recordingcontroller.h"
#include "mainwindow.h"
#include "messagepresenter.h"

#include "platform/frameextractor.h"
#include "platform/gst/gstplaybackengine.h"
#include "camera/playback/ui/mediaplayercontroller.h"
#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "measure/ui/measuringsurface.h"
#include "library/ui/thumbnailbrowserwidget.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/systemmediabackend.h"
#include "platform/gst/virtualcamera.h"
#include "platform/iniprofilestore.h"
#include "platform/localeid.h"
#include "platform/vendor/dlvendorchannel.h"

#include <QAbstractButton>
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

    const bool renderer = qEnvironmentVariable("SENDRA_CAM_NO_RENDERER") != QLatin1String("1");
    window_ = std::make_unique<MainWindow>(MainWindowDeps{programDir, paths, clock, *settings_, *vendor_, log,
                                                          platform::systemLanguageId(), renderer, presenter});
    camera_ = new CameraController(*window_, *backend_, window_.get());
    recording_ = new RecordingController(*window_, *camera_, window_.get());
    connectCapture();
    connectPlayer();
    connectMeasure();
    window_->loadToolButtonPictures();
    window_->applyTexts();
    // The window's creation event: look for cameras, then show what was found.
    camera_->startUp();
}

SendraApplication::~SendraApplication()
{
    // The window (and with it the camera session) goes before the services it uses.
    window_.reset();
}

void SendraApplication::connectPlayer()
{
    MainWindow &w = *window_;
    platform::DiagnosticsLog &log = w.log();
    auto *engine = new platform::GstPlaybackEngine(&w);
    player_ = new camera::playback::ui::MediaPlayerController(
        camera_->videoWidget(), *engine,
        [&log](const QString &path, std::uint32_t index) { return platform::GetAviFrame(path, index, &log); }, &w);
    player_->attach(&w);
    player_->showMessage = [&w](const QString &t, const QString &c, bool cancel, int icon) {
        return w.ShowMessageBox(t, c, cancel, icon);
    };
    player_->disconnectCamera = [this, &w] {
        if (w.flags().VideoConnected)
            camera_->Connect_BtnClick();
    };
    player_->cameraConnected = [this] { return camera_->camera().isConnected(); };
    player_->setFlipMode = [this](int mode) { camera_->camera().SetFlipMode(mode); };
    player_->aviFolder = [&w] { return w.curListPath()[state::kListAvi]; };
    player_->memoryTrim = [&w] { w.MemoryTrim(); };
    QObject::connect(player_, &camera::playback::ui::MediaPlayerController::playingChanged, &w, [&w](bool on) {
        w.flags().VideoPlaying = on;
        w.setButtonPicture(kPlayVideoBtn, on ? QStringLiteral("stopplay.bmp") : QStringLiteral("playvideo.bmp"),
                           on ? QStringLiteral("StopPlayVideo_Btn") : QStringLiteral("PlayVideo_Btn"));
    });
    QObject::connect(player_, &camera::playback::ui::MediaPlayerController::coverRequested, &w, &MainWindow::showCover);
    QObject::connect(player_, &camera::playback::ui::MediaPlayerController::aviPageRefreshRequested, &w,
                     [&w] { w.browser()->showKind(state::kListAvi); });
    QObject::connect(&w, &MainWindow::playButtonClicked, player_,
                     &camera::playback::ui::MediaPlayerController::PlayVideo_BtnClick);
    // The player closes before the capture session ends.
    QObject::connect(&w, &MainWindow::closingSession, player_, [this] { player_->ClosePlayer(); });
    w.probes.playerAtEnd = [this] { return player_->player().GetPlayerEndState(); };
    w.grabVideoFrame = [](const QString &path, int index) { return platform::grabFrameForThumbnail(path, index); };
    w.playVideoFile = [this](const QString &path) { player_->PlayerVideoCom(path); };
    w.leavePlayer = [this] { player_->ExitMediaPlayer(); };
    camera_->exitMediaPlayer = [this] { player_->ExitMediaPlayer(); };
}

void SendraApplication::connectMeasure()
{
    MainWindow &w = *window_;
    measure_ = new MeasureController(w, camera_->camera(), *camera_->videoWidget(), &w);
    w.enterLiveMode = [this](int mode) { measure_->setDrawMode(mode == state::kLiveDraw); };
    w.leaveLiveMode = [this](int oldMode, int newMode) {
        if (oldMode == state::kLiveDraw)
            measure_->leaveDrawMode(newMode);
    };
    camera_->reenterDrawMode = [this, &w] { measure_->setDrawMode(w.flags().LiveMode == state::kLiveDraw); };
    camera_->resetModeButtons = [&w] { w.resetModeButtons(); };
    // Ctrl-drag of a video window larger than the screen ("By Resolution").
    QObject::connect(&measure_->surface(), &measure::MeasuringSurface::windowMoveRequested, &w,
                     [&w](QPoint topLeft) { w.videoArea()->move(topLeft); });
    // A new camera resolution re-applies "By Resolution" when it is in force.
    QObject::connect(&w, &MainWindow::listTimerTick, &w, [this, &w] {
        camera::TVideoCameraDS &cam = camera_->camera();
        if (!cam.resizeByResolutionNeeded())
            return;
        cam.clearResizeByResolutionNeeded();
        w.cameraResolution = QSize(cam.currentFormat().width, cam.currentFormat().height);
        if (w.flags().SizePreset == state::kPresetByResolution)
            w.applyPreset(state::kPresetByResolution);
    });
}

void SendraApplication::closeForTermination()
{
    dismissModalDialogs();
    QTimer::singleShot(0, window_.get(), [this] { window_->close(); });
}

void dismissModalDialogs()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<QDialog *>(w); d && d->isVisible() && d->isModal())
            d->reject();
}

void SendraApplication::connectCapture()
{
    MainWindow &w = *window_;
    camera::TVideoCameraDS &cam = camera_->camera();
    camera::ui::VideoWidget *video = camera_->videoWidget();
    w.probes.canSnapShot = [&w, &cam, video] {
        if (!cam.GetCanSnapShot())
            return false;
        if (w.flags().VideoPlaying)
            return video->hasFrame();   // asked at every idle moment: no copy of the frame
        return cam.isConnected() && (cam.isFrozen() || !cam.latestFrame().image.isNull());
    };
    // The capture button and the Space key: the picture shown, with its orientation.
    QObject::connect(&w, &MainWindow::captureButtonClicked, &w, [&w, &cam, video] {
        if (!w.flags().VideoConnected && !w.flags().VideoPlaying)
            return;
        if (w.flags().VideoPlaying && !w.flags().VideoConnected) {
            // A recording being played: the frame on the screen, as it is turned.
            const platform::Bitmap picture(video->shownFrame());
            if (picture.isNull())
                w.ShowMessageBox(QStringLiteral("CannotSnapShot_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                                 kIconError);
            else
                w.CaptureImageCom(picture);
            return;
        }
        // The overlay's "no combination" mode takes the picture as shown; otherwise the camera's frame.
        auto *combineNone = w.findChild<QAbstractButton *>(QStringLiteral("CompareTB_CombineNone"));
        const int source = combineNone && combineNone->isChecked() ? 1 : 0;
        platform::Bitmap picture;
        if (cam.isFrozen())
            picture = platform::Bitmap(cam.stillImage().copy());
        else if (!cam.VideoSnapShot(picture, source))
            picture = platform::Bitmap();
        if (picture.isNull()) {
            w.ShowMessageBox(QStringLiteral("CannotSnapShot_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                             kIconError);
            return;
        }
        w.CaptureImageCom(picture);
    });
    QObject::connect(&w, &MainWindow::jpegQualityChanged, &w, [&cam](int quality) { cam.SetCompressionQ(quality); });
    // The camera's own snapshot button.
    camera_->captureStill = [&w](const platform::Bitmap &picture) { w.CaptureImageCom(picture); };
    QObject::connect(&cam, &camera::TVideoCameraDS::connectedChanged, &w, [&w, &cam](bool connected) {
        if (connected && cam.GetResolution())
            w.cameraResolution = QSize(cam.currentFormat().width, cam.currentFormat().height);
    });
}

} // namespace app::ui
