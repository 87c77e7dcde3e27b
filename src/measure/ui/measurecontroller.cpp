#include "measurecontroller.h"

#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "feature/actioninputs.h"
#include "feature/ui/controls.h"
#include "feature/ui/filemessages.h"
#include "feature/ui/shellport.h"
#include "feature/ui/userdialogs.h"
#include "library/scaleprefix.h"
#include "measure/framelockcontrol.h"
#include "measure/labelsettingsstore.h"
#include "measure/measurementpacket.h"
#include "measure/scalebar.h"
#include "measure/shaperenderer.h"
#include "measure/shapes.h"
#include "measure/ui/measuringsurface.h"
#include "measure/ui/showmeasureinfodialog.h"
#include "platform/canvas.h"
#include "platform/diagnosticslog.h"
#include "platform/iniprofilestore.h"
#include "platform/picturecodec.h"
#include "state/appstate.h"
#include "state/usersettings.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QMenu>
#include <QMouseEvent>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace measure::ui {
namespace {

QMouseEvent mouseEvent(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods,
                       QPoint pos)
{
    return QMouseEvent(type, QPointF(pos), QPointF(pos), button, buttons, mods);
}

// The draw tool bar's frame buttons act on the camera component. A picture file that cannot be
// read is reported to the user with its name and the reason.
class CameraFrameSource final : public measure::FrameSource
{
public:
    CameraFrameSource(camera::TVideoCameraDS &camera, feature::ui::ShellPort &shell) : camera_(camera), shell_(shell) {}
    bool pauseOnFrame() override { return camera_.FilterGraph_Pause(0, QString()); }
    bool pauseWithFile(const QString &path) override
    {
        platform::DecodedPicture unreadable;
        const bool shown = camera_.FilterGraph_Pause(1, path, &unreadable);
        if (!shown && !unreadable.ok())
            feature::ui::reportUnreadablePicture(shell_, path, unreadable);
        return shown;
    }
    bool play() override { return camera_.FilterGraph_Play(); }

private:
    camera::TVideoCameraDS &camera_;
    feature::ui::ShellPort &shell_;
};

// The pen combo shows each style as a drawn line, as the design's owner-drawn list does.
// The pen samples: wide enough for two periods of the longest dash pattern (DASHDOT is 24
// pixels), narrow enough that the drawing bar fits the 400 pixels under the "Normal" video.
constexpr QSize kPenSample{44, 12};
constexpr int kPenComboWidth = 66;

QIcon penIcon(int item)
{
    platform::Bitmap b(kPenSample.width(), kPenSample.height());
    platform::BitmapCanvas canvas(b);
    measure::ShapeRenderer::drawPenComboItem(canvas, 0, 0, kPenSample.width(), kPenSample.height(), item);
    return QIcon(QPixmap::fromImage(b.image()));
}

} // namespace

using feature::ui::Controls;
using state::ControlId;

MeasureController::MeasureController(feature::ui::FeatureContext context, MeasurePort &port, camera::TVideoCameraDS &camera,
                                     camera::ui::VideoWidget &video, QWidget &videoArea, QObject *parent)
    : QObject(parent), ctx_(context), port_(port), camera_(camera), video_(video), videoArea_(videoArea)
{
    surface_ = new measure::MeasuringSurface(this);

    connect(&video_, &camera::ui::VideoWidget::videoMousePressed, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
                if (forwardsMouse(m))
                    surface_->mousePress(mouseEvent(QEvent::MouseButtonPress, b, b, m, p));
            });
    connect(&video_, &camera::ui::VideoWidget::videoMouseMoved, this,
            [this](Qt::MouseButtons bs, Qt::KeyboardModifiers m, QPoint p) {
                if (forwardsMouse(m))
                    surface_->mouseMove(mouseEvent(QEvent::MouseMove, Qt::NoButton, bs, m, p));
            });
    connect(&video_, &camera::ui::VideoWidget::videoMouseReleased, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
                if (forwardsMouse(m))
                    surface_->mouseRelease(mouseEvent(QEvent::MouseButtonRelease, b, Qt::NoButton, m, p));
            });
    connect(&video_, &camera::ui::VideoWidget::videoDoubleClicked, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
                if (drawMode_)
                    surface_->mouseDoubleClick(mouseEvent(QEvent::MouseButtonDblClick, b, b, m, p));
            });
    connect(surface_, &measure::MeasuringSurface::layerChanged, this, &MeasureController::showLayer);
    // Every refresh of the layer ends the saving-busy time of the save before it.
    connect(surface_, &measure::MeasuringSurface::layerChanged, this, [this] { savingBusy_ = false; });
    connect(surface_, &measure::MeasuringSurface::cursorChangeRequested, &video_,
            [this](Qt::CursorShape shape) { video_.setCursor(shape); });
    connect(surface_, &measure::MeasuringSurface::fullScreenToggleRequested, this, [this] {
        port_.applyPreset(ctx_.state.flags().SizePreset == state::kPresetFullScreen4x3 ? state::kPresetNormal : state::kPresetFullScreen4x3);
    });
    connect(&camera_, &camera::TVideoCameraDS::connectedChanged, this, &MeasureController::onConnected);
    connect(&camera_, &camera::TVideoCameraDS::measurementsCleared, this, [this] { surface_->clearFrame(); });
    connect(&camera_, &camera::TVideoCameraDS::frozenChanged, this, [this] {
        refreshFlags();
        surface_->refreshScaleLayer();
    });
    connect(&camera_, &camera::TVideoCameraDS::videoSizeChanged, this, &MeasureController::onVideoSizeChanged);

    // Ctrl-drag of a video window larger than the screen ("By Resolution"). The session clamps
    // to the range; the layout's word decides whether the area moves at all.
    connect(surface_, &measure::MeasuringSurface::windowMoveRequested, this, [this](QPoint topLeft) {
        if (port_.videoDrag().enabled)
            videoArea_.move(topLeft);
    });
    // The display options chosen in an earlier run.
    surface_->session().setLabelSettings(measure::readLabelSettings(platform::IniProfileStore(ctx_.paths.settingsFile())));
    updateScreen();
    buildDrawToolBar();
    buildFrameButtons();
}

void MeasureController::updateScreen()
{
    const QScreen *screen = ctx_.window.screen() ? ctx_.window.screen() : QGuiApplication::primaryScreen();
    surface_->setScreen(detectedMonitorWidthCm_, screen ? screen->size().width() : 0);
}

bool MeasureController::forwardsMouse(Qt::KeyboardModifiers modifiers) const
{
    const measure::WindowDrag &drag = surface_->windowDrag();
    return drawMode_ || drag.active() || (modifiers.testFlag(Qt::ControlModifier) && drag.enabled());
}

void MeasureController::onVideoDragChanged()
{
    const VideoDragRange drag = port_.videoDrag();
    measure::WindowDrag &windowDrag = surface_->windowDrag();
    windowDrag.setEnabled(drag.enabled);
    windowDrag.setRange(drag.min.x(), drag.min.y(), drag.max.x(), drag.max.y());
    windowDrag.setPosition(videoArea_.pos());
}

void MeasureController::onVideoSizeChanged(QSize picture)
{
    if (!camera_.isConnected())
        return;
    const QSize window = surface_->session().windowSize();
    surface_->setGeometry(window.isValid() ? window : videoArea_.size(), picture);
    surface_->refreshScaleLayer();
}

void MeasureController::buildFrameButtons()
{
    frameSource_ = std::make_unique<CameraFrameSource>(camera_, ctx_.shell);
    frameLock_ = std::make_unique<measure::FrameLockControl>(
        *frameSource_, [this](int filterIndex, const QString &folder) { return askPicture(filterIndex, folder); },
        [this] { surface_->clearFrame(); });
    Controls &c = ctx_.controls;
    // toggled, not clicked: a release from code (disconnect, leaving draw) must reach the camera too.
    connect(c.button(ControlId::DrawRulerTB_LockFrame), &QAbstractButton::toggled, this, [this](bool down) {
        if (syncingFrameButtons_ || down == frameLock_->lockDown())
            return;
        frameLock_->lockFrameClicked(down);
        syncFrameButtons();
    });
    connect(c.button(ControlId::DrawRulerTB_LoadImage), &QAbstractButton::toggled, this, [this](bool down) {
        if (syncingFrameButtons_ || down == frameLock_->loadDown())
            return;
        const state::ListPaths &folders = ctx_.state.curListPath();
        frameLock_->loadImageClicked(down, port_.bmpPageShown(), folders[state::kListBmp], folders[state::kListJpg]);
        syncFrameButtons();
        if (down && frameLock_->loadDown())
            restoreMeasurement(frameLock_->loadedFile());
    });
}

void MeasureController::syncFrameButtons()
{
    Controls &c = ctx_.controls;
    syncingFrameButtons_ = true;
    c.button(ControlId::DrawRulerTB_LockFrame)->setChecked(frameLock_->lockDown());
    c.button(ControlId::DrawRulerTB_LoadImage)->setChecked(frameLock_->loadDown());
    syncingFrameButtons_ = false;
}

void MeasureController::releaseFrozenFrame()
{
    Controls &c = ctx_.controls;
    c.button(ControlId::DrawRulerTB_LockFrame)->setChecked(false);
    c.button(ControlId::DrawRulerTB_LoadImage)->setChecked(false);
}

std::optional<QString> MeasureController::askPicture(int filterIndex, const QString &folder)
{
    const QStringList filters{QStringLiteral("Bitmaps (*.bmp)"), QStringLiteral("JPEG Image File (*.jpg)")};
    QFileDialog dialog(&ctx_.window);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDirectory(folder);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(filterIndex - 1, filters.constFirst()));
    return feature::ui::askFile(ctx_.dialogs, dialog);
}

void MeasureController::readInputs(feature::ActionInputs &in) const
{
    const measure::MeasuringSession &session = surface_->session();
    in.shapeInProgress = session.inProgress();
    in.undoAvailable = session.undoEnabled();
    in.redoAvailable = session.redoEnabled();
    const Controls &c = ctx_.controls;
    in.overlapDown = c.isDown(ControlId::DrawRulerTB_Overlap);
    in.frameLockedOrLoaded = c.isDown(ControlId::DrawRulerTB_LockFrame) || c.isDown(ControlId::DrawRulerTB_LoadImage);
}


void MeasureController::leaveLiveMode(int oldMode, int newMode)
{
    if (oldMode == state::kLiveDraw)
        leaveDrawMode(newMode);
}

void MeasureController::videoAreaChanged()
{
    if (!camera_.isConnected())
        return;
    // The area's own size: the video widget inside follows it only when its layout runs.
    const QSize picture = camera_.videoSize();
    if (surface_->session().pictureSize() != picture)
        surface_->setGeometry(surface_->session().windowSize(), picture);
    surface_->resizeWindow(videoArea_.size());
    onVideoDragChanged();
}

MeasureController::~MeasureController() = default;

void MeasureController::buildDrawToolBar()
{
    Controls &c = ctx_.controls;
    drawStyleMenu_ = c.menu(ControlId::TntPM_DrawStyle);
    for (std::size_t i = 0; i < measure::kShapeToolMenu.size(); ++i) {
        const measure::ShapeKind kind = measure::kShapeToolMenu[i].kind;
        QAction *a = c.action(ControlId(std::size_t(ControlId::ST_None) + i));
        connect(a, &QAction::triggered, this, [this, kind] { surface_->selectTool(kind); });
    }
    QToolButton *style = c.toolButton(ControlId::DrawRulerTB_DrawStyle);
    style->setMenu(drawStyleMenu_);
    style->setPopupMode(QToolButton::InstantPopup);
    connect(c.toolButton(ControlId::DrawRulerTB_Overlap), &QToolButton::toggled, this,
            [this](bool on) { surface_->setOverlap(on); });
    connect(c.toolButton(ControlId::DrawRulerTB_Undo), &QToolButton::clicked, surface_, &measure::MeasuringSurface::undo);
    connect(c.toolButton(ControlId::DrawRulerTB_Redo), &QToolButton::clicked, surface_, &measure::MeasuringSurface::redo);
    connect(c.toolButton(ControlId::DrawRulerTB_ClearFrame), &QToolButton::clicked, surface_,
            &measure::MeasuringSurface::clearFrame);
    connect(c.toolButton(ControlId::DrawRulerTB_SetColor), &QToolButton::clicked, this,
            &MeasureController::DrawRulerTB_SetColorClick);
    QComboBox *combo = c.comboBox(ControlId::DrawRulerTB_PenStyle);
    combo->setIconSize(kPenSample);
    combo->setFixedWidth(kPenComboWidth);
    for (int item = 0; item < 7; ++item)
        combo->addItem(penIcon(item), QString());
    connect(combo, &QComboBox::currentIndexChanged, this, [this](int item) { surface_->session().setPenComboItem(item); });
    connect(c.toolButton(ControlId::DrawRulerTB_SaveImage), &QToolButton::clicked, this,
            &MeasureController::Save_ImageFileWithScale);
    connect(c.toolButton(ControlId::DrawRulerTB_CopyImage), &QToolButton::clicked, this,
            &MeasureController::DrawRulerTB_CopyImageClick);
    connect(c.toolButton(ControlId::DrawRulerTB_SetShowInfo), &QToolButton::clicked, this,
            &MeasureController::DrawRulerTB_SetShowInfoClick);
    // Edge snapping reads the picture under the measurement at the click; the toggle is a setting.
    surface_->session().setPictureSource([this] { return currentPicture(); });
    QToolButton *snap = c.toolButton(ControlId::DrawRulerTB_SnapEdge);
    surface_->session().setSnapping(snap->isChecked());
    connect(snap, &QToolButton::toggled, this, [this](bool on) {
        surface_->session().setSnapping(on);
        ctx_.state.setSnapToEdge(on);
    });
    c.toolBar(ControlId::DrawRuler_ToolBar)->adjustSize();
}

void MeasureController::DrawRulerTB_SetColorClick()
{
    // The pen's colour as the user chose it: the stored near-white is shown as white.
    const platform::ColorRef current = measure::dialogColour(surface_->session().shape().colour);
    const QColor colour = feature::ui::askColour(ctx_.dialogs, &ctx_.window, QColor::fromRgb(platform::toQRgb(current)));
    if (colour.isValid())
        surface_->session().setColour(platform::fromQRgb(colour.rgb()));
}

platform::PictureMetadata MeasureController::pictureMetadata(QSize picture) const
{
    const measure::MeasuringSession &session = surface_->session();
    std::vector<measure::HistoryNode> shapes;
    if (picture == session.pictureSize())
        shapes = session.shapesOnPicture(picture);
    const measure::Magnification mag =
        measure::magnificationFor(session.scale(), surface_->scaleBar().screenPitch(), picture.width());
    const std::optional<measure::MeasurementPacket> packet = measure::packetFor(
        session.scale(), picture, std::move(shapes), mag.screen, mag.printing, session.pictureSize());
    return packet ? measure::toMetadata(*packet) : platform::PictureMetadata{};
}

void MeasureController::restoreMeasurement(const QString &path)
{
    if (platform::sniffPictureFile(path) != platform::PictureKind::Jpeg)
        return;
    const platform::MetadataRead read = platform::readJpegMetadataFile(path);
    if (!read.error.isEmpty())
        ctx_.log.append(QStringLiteral("Picture metadata of %1: %2").arg(path, read.error));
    const measure::PacketRead packet = measure::parsePacket(read.metadata.properties, camera_.stillImage().size());
    if (!packet.error.isEmpty()) {
        ctx_.log.append(QStringLiteral("Shapes of %1 not restored: %2").arg(path, packet.error));
        return;
    }
    if (!packet.packet)
        return;
    // The scale first: the shapes are labelled with it.
    port_.adoptScale(measure::scaleFromPacket(*packet.packet));
    if (packet.packet->shapes.empty())
        return;
    // Restored shapes are history nodes, which exist with overlap on.
    QToolButton *overlap = ctx_.controls.toolButton(ControlId::DrawRulerTB_Overlap);
    if (!overlap->isChecked())
        overlap->setChecked(true);
    surface_->restoreShapes(packet.packet->shapes, camera_.stillImage().size());
    showLayer();
}

QString MeasureController::burnInPrefix() const
{
    const scales::RulerScaleControl &scale = surface_->session().scale();
    const std::size_t unit = std::min<std::size_t>(std::size_t(scale.unit), scale.spinValues.size() - 1);
    return library::scalePrefix(true, int(scale.unit), scale.spinValues[unit].horizontal, scale.spinValues[unit].vertical);
}

platform::Bitmap MeasureController::currentPicture() const
{
    if (camera_.isConnected() && !camera_.isFrozen())
        return camera_.grabFrame();
    if (!camera_.stillImage().isNull())
        return platform::Bitmap(camera_.stillImage().copy());
    return {};
}

platform::Bitmap MeasureController::SaveDrawImage(bool copy)
{
    // A save dialog runs a nested event loop: a second click meanwhile must not start another.
    // A second save of the same picture waits for a layer refresh; a copy writes no file and
    // goes through.
    if (saving_ || (savingBusy_ && !copy))
        return {};
    saving_ = true;
    platform::Bitmap picture = currentPicture();
    if (picture.isNull()) {
        ctx_.log.append(QStringLiteral("Burn-in: no picture to draw on"));
        saving_ = false;
        return {};
    }
    picture = surface_->burnIn(std::move(picture));
    if (copy) {
        if (QClipboard *clipboard = QGuiApplication::clipboard())
            clipboard->setImage(picture.image());
    } else {
        savingBusy_ = port_.saveBurntIn(picture, burnInPrefix());
    }
    saving_ = false;
    return picture;
}

void MeasureController::Save_ImageFileWithScale()
{
    SaveDrawImage(false);
}

bool MeasureController::saveSnapshotWithScale(const platform::Bitmap &snapshot)
{
    if (snapshot.isNull())
        return false;
    return port_.saveBurntIn(surface_->burnIn(platform::Bitmap(snapshot.image().copy())), burnInPrefix());
}

void MeasureController::DrawRulerTB_CopyImageClick()
{
    const platform::Bitmap picture = SaveDrawImage(true);
    if (!picture.isNull())
        port_.showCopiedPicture(picture);
}

measure::ui::TShowMeasureInfoDlg &MeasureController::showInfoDialog()
{
    if (!showInfo_)
        showInfo_ = new measure::ui::TShowMeasureInfoDlg([this](const QString &key) { return ctx_.shell.text(key); },
                                                         &ctx_.window);
    return *showInfo_;
}

void MeasureController::DrawRulerTB_SetShowInfoClick()
{
    measure::ui::TShowMeasureInfoDlg &dialog = showInfoDialog();
    dialog.FormShow(surface_->session().labels());
    if (ctx_.dialogs.runDialog(dialog) != QDialog::Accepted)
        return;
    surface_->setLabelSettings(dialog.pending());
    // Kept at once: the settings file is written whole only at close, and a crash must not lose them.
    platform::IniProfileStore store(ctx_.paths.settingsFile());
    if (!store.write(measure::labelSettingsEntries(dialog.pending())))
        ctx_.log.append(QStringLiteral("Display options: writing %1 failed").arg(ctx_.paths.settingsFile()));
}

void MeasureController::onConnected(bool connected)
{
    if (connected) {
        surface_->setGeometry(videoArea_.size(), camera_.videoSize());
        surface_->session().EntryMeasurementMode();
        refreshFlags();
        updateScreen();
        surface_->refreshScaleLayer();
        showLayer();
    } else {
        surface_->session().ExitMeasurementMode();
        video_.clearOverlay();
    }
}

void MeasureController::refreshFlags()
{
    measure::SurfaceFlags f = surface_->session().flags();
    f.live = camera_.isConnected() && !camera_.isFrozen();
    f.rendererAvailable = ctx_.state.flags().VmrAvailable;
    f.drawMode = drawMode_;
    surface_->session().setFlags(f);
}

void MeasureController::showLayer()
{
    if (ctx_.state.flags().OverlayMode || !camera_.isConnected())
        return;
    ctx_.controls.action(ControlId::mmMagniShow)->setText(surface_->scaleBar().magnificationCaption());
    const platform::Bitmap &layer = surface_->layer();
    if (layer.isNull())
        video_.clearOverlay();
    else
        video_.setOverlay(layer);
}

void MeasureController::setDrawMode(bool on)
{
    drawMode_ = on;
    refreshFlags();
    if (on)
        showLayer();
}

void MeasureController::leaveDrawMode(int newMode)
{
    if (newMode == state::kLiveCompare || newMode == state::kLiveCross) {
        surface_->clearFrame();
        video_.clearOverlay();
    }
    releaseFrozenFrame();
    setDrawMode(false);
}

} // namespace measure::ui
