#include "cameracontroller.h"

#include "app/ui/busyguard.h"
#include "app/ui/mainwindow.h"
#include "app/ui/messagepresenter.h"
#include "bridge/eeticom.h"
#include "camera/ui/videocontroltoolbar.h"
#include "camera/ui/videoformatdialog.h"
#include "camera/ui/videosourcedialog.h"
#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "platform/diagnosticslog.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

namespace app::ui {


CameraController::CameraController(MainWindow &window, platform::MediaBackend &backend, QObject *parent)
    : QObject(parent), window_(window)
{
    camera_ = new camera::TVideoCameraDS(backend, window.log(), this);
    // Users of other UVC microscopes add their ids: SENDRA_CAM_EXTRA_IDS=046d:0825,0c45:6366.
    const QString extra = qEnvironmentVariable("SENDRA_CAM_EXTRA_IDS");
    if (!extra.isEmpty() && camera_->deviceTable().addPairsFromList(extra) == 0)
        window.log().append(QStringLiteral("SENDRA_CAM_EXTRA_IDS holds no vvvv:pppp pair: ") + extra);
    camera_->SetPreviewDefalutState(1, window.defData().MJPG_2M);

    QWidget *area = window.videoArea();
    video_ = new camera::ui::VideoWidget(area);
    auto *layout = area->layout() ? area->layout() : new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(video_);
    if (window.coverPanel())
        window.coverPanel()->raise();

    connect(camera_, &camera::TVideoCameraDS::frameReady, video_, [this] { video_->setFrame(camera_->latestFrame().image); });
    connect(camera_, &camera::TVideoCameraDS::flipModeChanged, video_, &camera::ui::VideoWidget::setFlipMode);
    connect(camera_, &camera::TVideoCameraDS::frozenChanged, video_, [this](bool frozen) {
        if (frozen)
            video_->setStill(camera_->stillImage());
        else
            video_->clearStill();
    });
    connect(camera_, &camera::TVideoCameraDS::overlayClearRequested, video_, &camera::ui::VideoWidget::clearOverlay);
    connect(camera_, &camera::TVideoCameraDS::previewLost, this, &CameraController::onPreviewLost);

    if (QToolBar *bar = window.toolBar(QStringLiteral("VideoCtrl_ToolBar"))) {
        controls_ = new camera::ui::VideoControlToolBar(*camera_, bar);
        bar->addWidget(controls_);
        bar->adjustSize();
    }

    backend.deviceMonitor().setNodesChangedHandler([this] { onNodesChanged(); });
    connect(&window, &MainWindow::connectButtonClicked, this, &CameraController::Connect_BtnClick);
    connect(&window, &MainWindow::listTimerTick, this, &CameraController::pollStillTrigger);
    connect(&window, &MainWindow::closingSession, this, [this] {
        if (window_.flags().VideoConnected)
            disconnectBranch();
    });
    if (QAction *a = window.action(QStringLiteral("VideoFormat")))
        connect(a, &QAction::triggered, this, &CameraController::VideoFormatClick);
    if (QAction *a = window.action(QStringLiteral("VideoSource")))
        connect(a, &QAction::triggered, this, &CameraController::VideoSourceClick);
    if (QAction *a = window.action(QStringLiteral("SetMJPGPreview")))
        connect(a, &QAction::toggled, this, &CameraController::SetMJPGPreviewClick);
}

CameraController::~CameraController() = default;

void CameraController::startUp()
{
    if (!window_.flags().DeviceFound)
        window_.flags().DeviceFound = ReSerachDevice();
    window_.LabLanguage_CaptionSet();
}

// ---- device menu ----------------------------------------------------------------------------

bool CameraController::ReSerachDevice()
{
    const bool found = camera_->SearchDevice();
    QMenu *menu = window_.devicesMenu();
    if (found) {
        NewMenuItem();
        menu->setEnabled(true);
    } else {
        menu->clear();
        menu->setEnabled(false);
    }
    return found;
}

void CameraController::NewMenuItem()
{
    QMenu *menu = window_.devicesMenu();
    const std::vector<camera::DeviceMenuEntry> entries = camera::deviceMenuEntries(camera_->deviceTable());
    // Another number of cameras while one is open: disconnect it before the menu changes.
    if (!entries.empty() && !menu->actions().isEmpty() && menu->actions().size() != qsizetype(entries.size()) &&
        window_.flags().VideoConnected)
        Connect_BtnClick();
    menu->clear();
    for (const camera::DeviceMenuEntry &e : entries) {
        QAction *item = menu->addAction(e.caption);
        item->setCheckable(true);
        item->setData(e.slot);
        item->setProperty("menuPosition", QString::number(e.position));
        connect(item, &QAction::triggered, this, [this, item] { SubDevicesClick(item); });
        camera_->SetDeviceIndex(e.slot);
    }
    if (!menu->actions().isEmpty())
        menu->actions().last()->setChecked(true);
}

void CameraController::SubDevicesClick(QAction *item)
{
    camera_->SetDeviceIndex(item->data().toInt());
    const QList<QAction *> items = window_.devicesMenu()->actions();
    for (QAction *a : items)
        a->setChecked(false);
    const int position = item->property("menuPosition").toString().toInt();
    if (position >= 0 && position < items.size())
        items[position]->setChecked(true);
    if (window_.flags().VideoConnected)
        Connect_BtnClick();   // disconnects the running camera
    Connect_BtnClick();       // connects the chosen one
}

void CameraController::onNodesChanged()
{
    state::AppFlags &flags = window_.flags();
    if (ReSerachDevice()) {
        flags.DeviceFound = true;
        window_.LabLanguage_CaptionSet();
        return;
    }
    if (!flags.DeviceFound)
        return;
    flags.DeviceFound = false;
    window_.LabLanguage_CaptionSet();
    Connect_BtnClick();   // with no device it takes the disconnect branch
    window_.showCover(true);
    flags.VideoConnected = false;
    window_.setButtonPicture(kConnectBtn, QStringLiteral("connect.bmp"), QStringLiteral("Connect_Btn"));
    closeCalibrationWindow();
}

// ---- connect button -----------------------------------------------------------------------------

void CameraController::disconnectBranch()
{
    state::AppFlags &flags = window_.flags();
    if (flags.VideoRecording)
        stopRecording();
    if (camera_->isFrozen())
        camera_->FilterGraph_Play();
    resetModeButtons();
    window_.showCover(true);
    flags.VideoConnected = false;
    window_.setButtonPicture(kConnectBtn, QStringLiteral("connect.bmp"), QStringLiteral("Connect_Btn"));
    camera_->DeviceDisConnect();
    video_->clearFrame();
    if (controls_)
        controls_->disableControls();
    window_.MemoryTrim();
}

void CameraController::Connect_BtnClick()
{
    if (busy_)
        return;
    BusyGuard guard(busy_);
    state::AppFlags &flags = window_.flags();
    if (flags.VideoConnected || !flags.DeviceFound) {
        disconnectBranch();
        return;
    }
    exitMediaPlayer();
    bool ok = camera_->isConnected();
    if (!ok) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        ok = camera_->DeviceConnect();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    if (!ok) {
        if (camera_->lastFailure() == camera::PreviewFailure::CannotStart)
            window_.ShowMessageBox(QStringLiteral("CannotStartVideo_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), false,
                                   kIconAttention);
        window_.ShowMessageBox(QStringLiteral("ConnectFailed_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false, kIconError);
        return;
    }
    flags.VideoConnected = true;
    recognizeModel();
    window_.showCover(false);
    window_.setButtonPicture(kConnectBtn, QStringLiteral("disconnect.bmp"), QStringLiteral("DisConnect_Btn"));
    window_.cameraResolution = camera_->videoSize();
    reenterDrawMode();
    if (controls_)
        controls_->initialiseAfterConnect();
}

void CameraController::recognizeModel()
{
    bridge::EETI_com *channel = window_.eetiCom();
    if (!channel)
        return;
    switch (bridge::recognizeModel(*channel)) {
    case bridge::Recognition::NoBridge:
        window_.ShowMessageBox(QStringLiteral("UsingAdminPower_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), false,
                               kIconAttention);
        break;
    case bridge::Recognition::KorvoModel:
        if (!semiAutoCalibrationRunning())
            reloadRulerScales();
        break;
    default:
        break;
    }
}

void CameraController::onPreviewLost(camera::PreviewLoss loss)
{
    // The component has stopped already; bring the window to the disconnected state.
    if (window_.flags().VideoConnected && !busy_) {
        BusyGuard guard(busy_);
        disconnectBranch();
    }
    if (loss == camera::PreviewLoss::DeviceGone) {
        // The source noticed the unplug before udev did: search now instead of complaining.
        onNodesChanged();
        return;
    }
    window_.ShowMessageBox(QStringLiteral("CannotStartVideo_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), false,
                           kIconAttention);
}

// ---- menu items and the snapshot button ---------------------------------------------------------

void CameraController::VideoFormatClick()
{
    if (!camera_->isConnected())
        return;
    if (camera_->isFrozen())
        camera_->FilterGraph_Play();
    camera::ui::VideoFormatDialog dialog(&window_);
    dialog.setWindowTitle(window_.texts().text(QStringLiteral("VideoFormat->Caption")));
    dialog.setFormats(camera_->availableFormats(), camera_->currentFormat());
    if (dialog.exec() == QDialog::Accepted && !camera_->applyFormat(dialog.selectedFormat())) {
        disconnectBranch();
        window_.ShowMessageBox(QStringLiteral("CannotStartVideo_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), false,
                               kIconAttention);
        return;
    }
    window_.cameraResolution = camera_->videoSize();
    if (window_.flags().SizePreset == state::kPresetByResolution && camera_->resizeByResolutionNeeded())
        window_.applyPreset(state::kPresetByResolution);
    camera_->clearResizeByResolutionNeeded();
    if (!camera_->GetPreviewDefalutState(1))
        if (QAction *a = window_.action(QStringLiteral("SetMJPGPreview")))
            a->setChecked(false);
}

void CameraController::VideoSourceClick()
{
    if (!camera_->isConnected() || !camera_->controlDevice())
        return;
    camera::ui::VideoSourceDialog dialog(*camera_->controlDevice(), &window_);
    dialog.setWindowTitle(window_.texts().text(QStringLiteral("VideoSource->Caption")));
    dialog.exec();
}

void CameraController::SetMJPGPreviewClick(bool on)
{
    camera_->SetPreviewDefalutState(1, on);
    window_.defData().MJPG_2M = on;
}

void CameraController::pollStillTrigger()
{
    // A modal dialog opened by the capture path runs a nested loop that can tick again.
    if (polling_ || !camera_->stillTrigger().isSet())
        return;
    polling_ = true;
    const platform::Bitmap frame = camera_->grabFrame();
    if (!frame.isNull())
        captureStill(frame);
    camera_->stillTrigger().clear();
    polling_ = false;
}

} // namespace app::ui
