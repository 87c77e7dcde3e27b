#include "cameramemorykeeper.h"

#include "camera/controlrestore.h"
#include "camera/flipmode.h"
#include "camera/ui/videocontroltoolbar.h"
#include "camera/videocamerads.h"
#include "platform/diagnosticslog.h"

#include <QAction>
#include <QSignalBlocker>
#include <QTimer>

namespace camera::ui {

CameraMemoryKeeper::CameraMemoryKeeper(const QString &file, camera::TVideoCameraDS &camera, VideoControlToolBar &toolBar,
                                       QAction *showAllCameras, platform::DiagnosticsLog &log, QObject *parent)
    : QObject(parent), memory_(file), camera_(camera), toolBar_(toolBar), log_(log)
{
    for (const QString &problem : memory_.load())
        log_.append(problem);
    DeviceTable &table = camera_.deviceTable();
    table.setShowAllCameras(memory_.showAllCameras());
    table.setPreferredCamera(memory_.lastCamera());
    if (showAllCameras) {
        const QSignalBlocker block(showAllCameras);
        showAllCameras->setCheckable(true);
        showAllCameras->setChecked(memory_.showAllCameras());
        connect(showAllCameras, &QAction::toggled, this, &CameraMemoryKeeper::setShowAllCameras);
    }

    camera_.setFormatPreference([this](const platform::DeviceRecord &, bool mjpgPreview) -> std::optional<platform::CaptureFormat> {
        // The MJPG preview item asks for a format of its own: switched since, it wins.
        if (remembered_.format && remembered_.format->mjpgPreview == mjpgPreview)
            return remembered_.format->format;
        return std::nullopt;
    });
    connect(&camera_, &camera::TVideoCameraDS::cameraOpening, this, &CameraMemoryKeeper::onCameraOpening);
    connect(&camera_, &camera::TVideoCameraDS::captureFormatStarted, this, &CameraMemoryKeeper::onFormatStarted);
    connect(&camera_, &camera::TVideoCameraDS::connectedChanged, this, &CameraMemoryKeeper::onConnectedChanged);
    connect(&camera_, &camera::TVideoCameraDS::controlWritten, this, [this](std::uint32_t id, int value) {
        if (state::CameraRecord *r = memory_.current())
            r->controls[id] = value;
    });
    connect(&camera_, &camera::TVideoCameraDS::flipModeChanged, this, [this](int mode) {
        // While no camera is connected the flip is the player's video's; the next connect keeps it.
        if (camera_.isConnected()) {
            if (state::CameraRecord *r = memory_.current())
                r->flipMode = mode;
        } else if (!opening_) {
            carriedFlip_ = mode;
        }
    });
    connect(&toolBar_, &VideoControlToolBar::controlsInitialised, this, &CameraMemoryKeeper::restore);
}

CameraMemoryKeeper::~CameraMemoryKeeper() = default;

void CameraMemoryKeeper::onCameraOpening()
{
    const CameraIdentity &id = camera_.openedIdentity();
    memory_.setCurrentCamera(id.key);
    const state::CameraRecord *known = memory_.find(id.key);
    remembered_ = known ? *known : state::CameraRecord{};
    memory_.recordFor(id.key).name = id.name;
    restorePending_ = true;
    // The connect runs within this call's caller; a failed one ends there too.
    opening_ = true;
    QTimer::singleShot(0, this, [this] { opening_ = false; });
}

void CameraMemoryKeeper::onFormatStarted(const platform::CaptureFormat &format)
{
    if (state::CameraRecord *r = memory_.current())
        r->format = state::RememberedFormat{format, camera_.GetPreviewDefalutState(1)};
}

void CameraMemoryKeeper::onConnectedChanged(bool connected)
{
    opening_ = false;
    if (connected && !memory_.currentCamera().isEmpty()) {
        memory_.setLastCamera(memory_.currentCamera());
        camera_.deviceTable().setPreferredCamera(memory_.currentCamera());
    }
    save();
}

void CameraMemoryKeeper::restore()
{
    if (!std::exchange(restorePending_, false) || !camera_.isConnected())
        return;
    const int flip = std::exchange(carriedFlip_, std::nullopt).value_or(remembered_.flipMode.value_or(kFlipNone));
    camera_.SetFlipMode(flip);
    toolBar_.showFlipMode(flip);
    if (platform::ControlDevice *device = camera_.controlDevice(); device && !remembered_.controls.empty()) {
        const ControlRestore r = restoreControls(*device, remembered_.controls);
        log_.append(QStringLiteral("CAMERA %1: %2 control values restored, %3 not offered, %4 refused")
                        .arg(camera_.openedIdentity().name)
                        .arg(r.written)
                        .arg(r.skipped)
                        .arg(r.refused));
    }
    toolBar_.showCameraValues();
}

void CameraMemoryKeeper::setShowAllCameras(bool on)
{
    memory_.setShowAllCameras(on);
    camera_.deviceTable().setShowAllCameras(on);
    save();
    Q_EMIT searchRequested();
}

void CameraMemoryKeeper::save()
{
    if (QString error; !memory_.save(error))
        log_.append(error);
}

} // namespace camera::ui
