#include "cameracontroller.h"

#include "videocontroltoolbar.h"
#include "videoformatdialog.h"
#include "videosourcedialog.h"
#include "videowidget.h"

#include "bridge/eeticom.h"
#include "camera/flipmode.h"
#include "camera/videocamerads.h"
#include "feature/actioninputs.h"
#include "feature/busyguard.h"
#include "feature/ui/controls.h"
#include "feature/ui/shellport.h"
#include "feature/ui/userdialogs.h"
#include "platform/diagnosticslog.h"
#include "state/appstate.h"
#include "state/usersettings.h"
#include "state/uiprotocol.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QToolBar>
#include <QVBoxLayout>

namespace camera::ui {

using feature::BusyGuard;
using feature::ui::Controls;
using state::ControlId;

CameraController::CameraController(feature::ui::FeatureContext context, CameraPort &port, platform::MediaBackend &backend,
                                   QWidget &videoArea, bridge::EETI_com *bridge, QObject *parent)
    : QObject(parent), ctx_(context), port_(port), bridge_(bridge)
{
    camera_ = new camera::TVideoCameraDS(backend, ctx_.log, this);
    if (const QString problem = camera::addExtraIdsFromEnvironment(camera_->deviceTable()); !problem.isEmpty())
        ctx_.log.append(problem);
    camera_->SetPreviewDefalutState(1, ctx_.state.settings().MJPG_2M);

    Controls &c = ctx_.controls;
    QWidget *area = &videoArea;
    video_ = new VideoWidget(area);
    auto *layout = area->layout() ? area->layout() : new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(video_);
    c.widget(ControlId::CoverPanel)->raise();

    connect(camera_, &camera::TVideoCameraDS::frameReady, video_, [this] { video_->setFrame(camera_->latestFrame().image); });
    connect(video_, &VideoWidget::shownSizeChanged, camera_, &camera::TVideoCameraDS::setPreviewSize);
    camera_->setPreviewSize(video_->shownSize());
    connect(camera_, &camera::TVideoCameraDS::flipModeChanged, video_, &VideoWidget::setFlipMode);
    connect(camera_, &camera::TVideoCameraDS::frozenChanged, video_, [this](bool frozen) {
        if (frozen)
            video_->setStill(camera_->stillImage());
        else
            video_->clearStill();
    });
    connect(camera_, &camera::TVideoCameraDS::overlayClearRequested, video_, &VideoWidget::clearOverlay);
    connect(camera_, &camera::TVideoCameraDS::previewLost, this, &CameraController::onPreviewLost);

    VideoControlToolBar::Controls bar;
    bar.orientation = {c.toolButton(ControlId::VideoCtrlTB_LeftSelf), c.toolButton(ControlId::VideoCtrlTB_LeftOthers),
                       c.toolButton(ControlId::VideoCtrlTB_RightSelf), c.toolButton(ControlId::VideoCtrlTB_RightOthers)};
    bar.brightness = c.toolButton(ControlId::VideoCtrlTB_Brightness);
    bar.contrast = c.toolButton(ControlId::VideoCtrlTB_Contrast);
    bar.exposure = c.toolButton(ControlId::VideoCtrlTB_Exposure);
    bar.whiteBalance = c.toolButton(ControlId::VideoCtrlTB_WhiteBlanceSet);
    bar.brightnessBar = qobject_cast<QSlider *>(c.slider(ControlId::VideoCtrlTB_BrightnessTKB));
    bar.contrastBar = qobject_cast<QSlider *>(c.slider(ControlId::VideoCtrlTB_ContrastTKB));
    bar.exposureBar = qobject_cast<QSlider *>(c.slider(ControlId::VideoCtrlTB_ExposureTKB));
    controls_ = new VideoControlToolBar(*camera_, bar, this);
    // The flip mode is one, shared with the player's orientation buttons: the picture-control bar
    // and the status line show it wherever it was chosen.
    connect(camera_, &camera::TVideoCameraDS::flipModeChanged, controls_, &VideoControlToolBar::showFlipMode);
    connect(camera_, &camera::TVideoCameraDS::flipModeChanged, this, &CameraController::showOrientation);
    connect(&ctx_.state, &state::AppState::flagsChanged, this, &CameraController::showOrientation);

    backend.deviceMonitor().setNodesChangedHandler([this] { onNodesChanged(); });
    connect(c.mainButton(ControlId::Connect_Btn), &QPushButton::clicked, this, &CameraController::Connect_BtnClick);
    connect(c.mainButton(ControlId::CaptureImage_Btn), &QPushButton::clicked, this,
            &CameraController::CaptureImage_BtnClick);
    connect(c.action(ControlId::VideoFormat), &QAction::triggered, this, &CameraController::VideoFormatClick);
    connect(c.action(ControlId::VideoSource), &QAction::triggered, this, &CameraController::VideoSourceClick);
    connect(c.action(ControlId::SetMJPGPreview), &QAction::toggled, this, &CameraController::SetMJPGPreviewClick);
}

CameraController::~CameraController() = default;

void CameraController::showOrientation()
{
    QLabel *status = ctx_.controls.label(ControlId::StatusOrientation_Lab);
    if (!status)
        return;
    const state::AppFlags &flags = ctx_.state.flags();
    const char *key = nullptr;
    switch (camera_->GetFlipMode()) {
    case camera::kFlipMirrored: key = "OrientationMirrored_Lab"; break;
    case camera::kFlipTurned: key = "OrientationTurned_Lab"; break;
    case camera::kFlipUpsideDown: key = "OrientationUpsideDown_Lab"; break;
    default: break;
    }
    if (!key || !(flags.VideoConnected || flags.VideoPlaying)) {
        status->hide();
        return;
    }
    status->setText(ctx_.shell.text(QLatin1String(key)));
    status->show();
}

void CameraController::closing()
{
    if (ctx_.state.flags().VideoConnected)
        disconnectBranch();
}

void CameraController::readInputs(feature::ActionInputs &in) const
{
    const Controls &c = ctx_.controls;
    in.brightnessDown = c.isDown(ControlId::VideoCtrlTB_Brightness);
    in.contrastDown = c.isDown(ControlId::VideoCtrlTB_Contrast);
    in.exposureDown = c.isDown(ControlId::VideoCtrlTB_Exposure);
    // Asked at every idle moment: no copy of the frame.
    if (!camera_->GetCanSnapShot())
        in.canSnapShot = false;
    else if (in.flags.VideoPlaying)
        in.canSnapShot = video_->hasFrame();
    else
        in.canSnapShot = camera_->isConnected() && (camera_->isFrozen() || !camera_->latestFrame().image.isNull());
}

void CameraController::listTimerTick()
{
    pollStillTrigger();
    // A new picture size from the stream itself re-applies "By Resolution" when it is in force.
    if (camera_->resizeByResolutionNeeded()) {
        camera_->clearResizeByResolutionNeeded();
        port_.resolutionChanged(QSize(camera_->currentFormat().width, camera_->currentFormat().height));
    }
}

void CameraController::startUp()
{
    if (!ctx_.state.flags().DeviceFound)
        ctx_.state.setDeviceFound(ReSerachDevice());
}

// ---- device menu ----------------------------------------------------------------------------

bool CameraController::ReSerachDevice()
{
    const bool found = camera_->SearchDevice();
    QMenu *menu = ctx_.controls.menu(ControlId::DevicesEnum);
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
    QMenu *menu = ctx_.controls.menu(ControlId::DevicesEnum);
    const std::vector<camera::DeviceMenuEntry> entries = camera::deviceMenuEntries(camera_->deviceTable());
    // Another number of cameras while one is open: disconnect it before the menu changes.
    if (!entries.empty() && !menu->actions().isEmpty() && menu->actions().size() != qsizetype(entries.size()) &&
        ctx_.state.flags().VideoConnected)
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
    // The table's choice: the last item with supported cameras only, else the camera used last.
    for (const camera::DeviceMenuEntry &e : entries)
        if (e.selected) {
            camera_->SetDeviceIndex(e.slot);
            menu->actions().at(e.position)->setChecked(true);
        }
}

void CameraController::SubDevicesClick(QAction *item)
{
    camera_->SetDeviceIndex(item->data().toInt());
    const QList<QAction *> items = ctx_.controls.menu(ControlId::DevicesEnum)->actions();
    for (QAction *a : items)
        a->setChecked(false);
    const int position = item->property("menuPosition").toString().toInt();
    if (position >= 0 && position < items.size())
        items[position]->setChecked(true);
    if (ctx_.state.flags().VideoConnected)
        Connect_BtnClick();   // disconnects the running camera
    Connect_BtnClick();       // connects the chosen one
}

void CameraController::onNodesChanged()
{
    state::AppState &st = ctx_.state;
    // The shell's device-status label follows DeviceFound.
    if (ReSerachDevice()) {
        st.setDeviceFound(true);
        return;
    }
    if (!st.flags().DeviceFound)
        return;
    st.setDeviceFound(false);
    Connect_BtnClick();   // with no device it takes the disconnect branch
    port_.showCover(true);
    st.setVideoConnected(false);
    ctx_.shell.setMainButton(ControlId::Connect_Btn, QStringLiteral("connect.bmp"), QStringLiteral("Connect_Btn"));
    port_.closeCalibrationWindow();
}

// ---- connect button -----------------------------------------------------------------------------

void CameraController::disconnectBranch()
{
    if (ctx_.state.flags().VideoRecording)
        port_.stopRecording();
    if (camera_->isFrozen())
        camera_->FilterGraph_Play();
    port_.resetModeButtons();
    port_.showCover(true);
    ctx_.state.setVideoConnected(false);
    ctx_.shell.setMainButton(ControlId::Connect_Btn, QStringLiteral("connect.bmp"), QStringLiteral("Connect_Btn"));
    camera_->DeviceDisConnect();
    video_->clearFrame();
    if (controls_)
        controls_->disableControls();
    ctx_.shell.MemoryTrim();
}

void CameraController::Connect_BtnClick()
{
    if (busy_)
        return;
    BusyGuard guard(busy_);
    const state::AppFlags &flags = ctx_.state.flags();
    if (flags.VideoConnected || !flags.DeviceFound) {
        disconnectBranch();
        return;
    }
    port_.exitMediaPlayer();
    bool ok = camera_->isConnected();
    if (!ok) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        ok = camera_->DeviceConnect();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    if (!ok) {
        if (camera_->lastFailure() == camera::PreviewFailure::CannotStart)
            ctx_.shell.ShowMessageBox(QStringLiteral("CannotStartVideo_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), false,
                                   state::kIconAttention);
        ctx_.shell.ShowMessageBox(QStringLiteral("ConnectFailed_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false, state::kIconError);
        return;
    }
    ctx_.state.setVideoConnected(true);
    if (camera_->openedBridgeKnown())   // another camera has no bridge channel to ask
        recognizeModel();
    port_.showCover(false);
    ctx_.shell.setMainButton(ControlId::Connect_Btn, QStringLiteral("disconnect.bmp"), QStringLiteral("DisConnect_Btn"));
    port_.resolutionChanged(camera_->videoSize());
    port_.reenterDrawMode();
    if (controls_)
        controls_->initialiseAfterConnect();
}

void CameraController::CaptureImage_BtnClick()
{
    const state::AppFlags &flags = ctx_.state.flags();
    if (!flags.VideoConnected && !flags.VideoPlaying)
        return;
    // The snapshot replaces the still picture: work there is not lost without a word.
    port_.offerUnsavedStill();
    captureSnapshot();
}

void CameraController::captureSnapshot()
{
    const state::AppFlags &flags = ctx_.state.flags();
    if (!flags.VideoConnected && !flags.VideoPlaying)
        return;
    platform::Bitmap picture;
    if (flags.VideoPlaying && !flags.VideoConnected) {
        picture = platform::Bitmap(video_->shownFrame());
    } else if (camera_->isFrozen()) {
        picture = platform::Bitmap(camera_->stillImage().copy());
    } else {
        // The overlay's "no combination" mode takes the picture as shown; otherwise the camera's frame.
        const int source = ctx_.controls.isDown(ControlId::CompareTB_CombineNone) ? 1 : 0;
        if (!camera_->VideoSnapShot(picture, source))
            picture = platform::Bitmap();
        else if (source == 1)
            picture = platform::Bitmap(video_->withOverlay(picture.image()));   // the overlay as shown, too
    }
    if (picture.isNull()) {
        ctx_.shell.ShowMessageBox(QStringLiteral("CannotSnapShot_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                              state::kIconError);
        return;
    }
    port_.captureStill(picture);
}

void CameraController::recognizeModel()
{
    bridge::EETI_com *channel = bridge_;
    if (!channel)
        return;
    switch (bridge::recognizeModel(*channel)) {
    case bridge::Recognition::Unknown:
        // The ordinary machine has no vendor library: nothing to tell the user, and one line
        // per program run is enough for whoever reads the log.
        if (!modelUnknownLogged_) {
            modelUnknownLogged_ = true;
            ctx_.log.append(QStringLiteral("Camera model unknown: the bridge library is not installed"));
        }
        break;
    case bridge::Recognition::NoBridge:
        ctx_.shell.ShowMessageBox(QStringLiteral("UsingAdminPower_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), false,
                               state::kIconAttention);
        break;
    case bridge::Recognition::KorvoModel:
        if (!port_.calibrationRunning())
            port_.reloadRulerScales();
        break;
    default:
        break;
    }
}

void CameraController::onPreviewLost(camera::PreviewLoss loss)
{
    // The component has stopped already; bring the window to the disconnected state.
    if (ctx_.state.flags().VideoConnected && !busy_) {
        BusyGuard guard(busy_);
        disconnectBranch();
    }
    if (loss == camera::PreviewLoss::DeviceGone) {
        // The source noticed the unplug before udev did: search now instead of complaining.
        onNodesChanged();
        return;
    }
    ctx_.shell.ShowMessageBox(QStringLiteral("CannotStartVideo_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), false,
                           state::kIconAttention);
}

// ---- menu items and the snapshot button ---------------------------------------------------------

void CameraController::VideoFormatClick()
{
    if (!camera_->isConnected())
        return;
    port_.releaseFrozenFrame();
    if (camera_->isFrozen())
        camera_->FilterGraph_Play();
    const std::optional<platform::CaptureFormat> chosen = runFormatDialog(camera_->availableFormats(), camera_->currentFormat());
    if (chosen && !camera_->applyFormat(*chosen)) {
        disconnectBranch();
        ctx_.shell.ShowMessageBox(QStringLiteral("CannotStartVideo_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), false,
                               state::kIconAttention);
        return;
    }
    camera_->clearResizeByResolutionNeeded();
    port_.resolutionChanged(camera_->videoSize());
    if (!camera_->GetPreviewDefalutState(1))
        ctx_.controls.action(ControlId::SetMJPGPreview)->setChecked(false);
}

std::optional<platform::CaptureFormat> CameraController::runFormatDialog(
    const std::vector<platform::PixelFormatInfo> &formats, const platform::CaptureFormat &current)
{
    VideoFormatDialog dialog(&ctx_.window);
    const feature::ui::ShellPort &t = ctx_.shell;
    dialog.setTexts({t.text(QStringLiteral("VideoFormat->Caption")), t.text(QStringLiteral("VF_Format_Dlg")),
                     t.text(QStringLiteral("VF_Size_Dlg")), t.text(QStringLiteral("VF_FrameRate_Dlg")),
                     t.text(QStringLiteral("OKBtn_Dlg")), t.text(QStringLiteral("CancelBtn_Dlg"))});
    dialog.setFormats(formats, current);
    if (ctx_.dialogs.runDialog(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFormat();
}

void CameraController::VideoSourceClick()
{
    if (!camera_->isConnected() || !camera_->controlDevice())
        return;
    VideoSourceDialog dialog(*camera_->controlDevice(), &ctx_.window);
    dialog.setTexts({ctx_.shell.text(QStringLiteral("VideoSource") + QStringLiteral("->Caption")), ctx_.shell.text(QStringLiteral("CloseBtn_Dlg"))});
    ctx_.dialogs.runDialog(dialog);
}

void CameraController::SetMJPGPreviewClick(bool on)
{
    camera_->SetPreviewDefalutState(1, on);
    ctx_.state.setMjpgPreview(on);
}

void CameraController::pollStillTrigger()
{
    // A modal dialog opened by the capture path runs a nested loop that can tick again.
    if (polling_ || !camera_->stillTrigger().isSet())
        return;
    polling_ = true;
    const platform::Bitmap frame = camera_->grabFrame();
    if (!frame.isNull())
        port_.captureStill(frame);
    camera_->stillTrigger().clear();
    polling_ = false;
}

} // namespace camera::ui
