#include "scalecontroller.h"

#include "camera/videocamerads.h"
#include "feature/ui/controls.h"
#include "feature/ui/shellport.h"
#include "feature/ui/userdialogs.h"
#include "platform/diagnosticslog.h"
#include "scales/scaleatsize.h"
#include "scales/scalelibrary.h"
#include "scales/ui/calibratewindow.h"
#include "scales/ui/setrulerdlg.h"
#include "state/appstate.h"
#include "state/uiprotocol.h"
#include "state/usersettings.h"

#include <QAbstractButton>
#include <QTimer>

#include <utility>

namespace scales::ui {

using state::ControlId;
using state::kIconAttention;
using state::kIconError;
using state::kIconQuestion;
using state::kResultOk;

ScaleController::ScaleController(feature::ui::FeatureContext context, ScalePort &port, camera::TVideoCameraDS &camera,
                                 platform::MediaBackend &backend, QObject *parent)
    : QObject(parent), ctx_(context), port_(port), camera_(camera), backend_(backend)
{
    scales::ScaleLibrary::Deps store;
    store.storeFile = ctx_.paths.scaleStoreFile();
    store.markerFile = ctx_.programDir + QStringLiteral("/Sys/DefScaleData.ini");
    store.log = [this](const QString &line) { ctx_.log.append(line); };
    store.builtInTexts = [this] {
        return scales::BuiltInTexts{ctx_.shell.text(QStringLiteral("DrawRulerTB_Low")),
                                    ctx_.shell.text(QStringLiteral("DrawRulerTB_High")),
                                    ctx_.shell.text(QStringLiteral("DrawRulerTB_NonContact"))};
    };
    store.detectedMonitorWidthCm = [this] { return port_.detectedMonitorWidthCm(); };
    store.writeFailed = [this](const scales::StoreWriteFailure &failure) { reportWriteFailure(failure); };
    library_ = std::make_unique<scales::ScaleLibrary>(std::move(store));
    library_->open();
    const RememberedScale remembered = port_.rememberedScale();
    library_->selectFirstOf({remembered.forCamera, remembered.chosenLast});

    scales::ui::TSetRulerDlg::Deps deps;
    deps.text = [this](const QString &key) { return ctx_.shell.text(key); };
    deps.warn = [this](const QString &t, const QString &c) { warn(t, c, kIconAttention); };
    dialog_ = new scales::ui::TSetRulerDlg(*library_, std::move(deps), &ctx_.window);
    dialog_->setModal(true);
    dialog_->runCalibration = [this](scales::RulerScaleControl &scale) { return runCalibration(scale); };
    updateCurrent(false, true);

    connect(ctx_.controls.button(ControlId::DrawRulerTB_SetScale), &QAbstractButton::clicked, this,
            &ScaleController::DrawRulerTB_SetScaleClick);
    // The camera memory makes the opened camera current first (it was connected earlier).
    connect(&camera_, &camera::TVideoCameraDS::cameraOpening, this, &ScaleController::onCameraOpening);
    connect(&camera_, &camera::TVideoCameraDS::videoSizeChanged, this, [this] { updateCurrent(false); });
    connect(&camera_, &camera::TVideoCameraDS::connectedChanged, this, [this](bool connected) {
        updateCurrent(false);
        if (connected && !offered_.isEmpty())
            QTimer::singleShot(0, this, &ScaleController::offerOtherCamerasScale);
    });
}

QString ScaleController::usedAtSizeFormat() const
{
    const QString format = ctx_.shell.text(QStringLiteral("ScaleUsedAtSize_Lab"));
    // A language file without the text still names both sizes.
    return format.contains(QLatin1String("%1")) ? format : QStringLiteral("%1 @%2x%3, used at %4x%5");
}

void ScaleController::updateCurrent(bool remember, bool force)
{
    const QSize picture = camera_.isConnected() ? camera_.videoSize() : QSize();
    scales::RulerScaleControl next = scales::scaleAtPictureSize(library_->current(), picture, usedAtSizeFormat());
    const bool changed = force || next.name != current_.name || next.hLength != current_.hLength
                         || next.vLength != current_.vLength || next.unit != current_.unit;
    current_ = std::move(next);
    if (remember)
        port_.rememberScale(library_->current().name);
    if (changed || remember)
        publish();
}

void ScaleController::onCameraOpening()
{
    if (calibrating_)
        return;
    offered_.clear();
    const RememberedScale remembered = port_.rememberedScale();
    library_->selectFirstOf({remembered.forCamera, remembered.chosenLast});
    const QString owner = library_->current().cameraKey;
    // Taken for this camera once, it is this camera's own from then on.
    const bool ownChoice = !remembered.forCamera.isEmpty() && remembered.forCamera == library_->current().name;
    if (!owner.isEmpty() && owner != port_.currentCameraKey() && !ownChoice) {
        // Calibrated with another camera: the first scale stands until the user says otherwise.
        offered_ = library_->current().name;
        library_->select(0);
    }
    dialog_->refresh();
    updateCurrent(offered_.isEmpty());
}

void ScaleController::offerOtherCamerasScale()
{
    const QString name = std::exchange(offered_, QString());
    const int index = library_->find(name);
    if (index < 0 || calibrating_ || dialog_->isVisible() || !camera_.isConnected())
        return;
    const QString owner = library_->scaleCameraKey(index);
    if (ctx_.shell.ShowMessageBox(QStringLiteral("ScaleOfOtherCamera_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                                  kIconQuestion, u'"' + name + QStringLiteral("\" (") + owner + QStringLiteral(") "))
        != kResultOk) {
        updateCurrent(true);
        return;
    }
    library_->select(index);
    dialog_->refresh();
    updateCurrent(true);
}

ScaleController::~ScaleController() = default;

void ScaleController::warn(const QString &textKey, const QString &captionKey, int icon)
{
    ctx_.shell.ShowMessageBox(textKey, captionKey, false, icon);
}

void ScaleController::reportWriteFailure(const scales::StoreWriteFailure &failure)
{
    // The store logs the failure itself; the user learns which file could not be written and why.
    ctx_.shell.ShowMessageBox(QStringLiteral("ScaleStoreNotWritten_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                              kIconError,
                              u'"' + failure.file + QStringLiteral("\" (") + QString::fromStdString(failure.error.message())
                                  + u')');
}

void ScaleController::publish() { Q_EMIT scaleChanged(current_); }

void ScaleController::adoptScale(const scales::RulerScaleControl &scale)
{
    if (calibrating_ || dialog_->isVisible())
        return;
    const int index = library_->find(scale.name);
    if (index < 0) {
        // The name a picture carries may be a scale's name at another picture size.
        if (const QString stored = scales::storedScaleName(scale.name, library_->names(), usedAtSizeFormat());
            !stored.isEmpty()) {
            library_->select(library_->find(stored));
            dialog_->refresh();
            updateCurrent(true);
            return;
        }
        if (ctx_.shell.ShowMessageBox(QStringLiteral("AddScaleFromPicture_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"),
                                      true, kIconQuestion, u'"' + scale.name + QStringLiteral("\" "))
            != kResultOk)
            return;
        library_->add(scale);
    } else if (index != library_->selected()) {
        library_->select(index);
    }
    dialog_->refresh();
    updateCurrent(true);
}

void ScaleController::DrawRulerTB_SetScaleClick()
{
    if (dialog_->isVisible())
        return;
    ctx_.dialogs.runDialog(*dialog_);
    // The selected scale is current after OK and after Cancel alike (Cancel reloads it).
    updateCurrent(true, true);
}

void ScaleController::reloadRulerScales()
{
    if (calibrating_)
        return;
    library_->reload();
    dialog_->refresh();
    updateCurrent(false, true);
}

void ScaleController::languageChanged()
{
    dialog_->applyTexts();
    library_->retranslate();
    dialog_->refresh();
    // A built-in scale is renamed with the language: remembered by its new name.
    updateCurrent(true, true);
}

void ScaleController::closeCalibrationWindow()
{
    if (calibration_ && calibration_->isVisible())
        calibration_->reject();
}

bool ScaleController::runCalibration(scales::RulerScaleControl &scale)
{
    if (calibrating_ || !ctx_.state.flags().DeviceFound)
        return false;
    calibrating_ = true;
    // Both views would open the same device: the main camera steps aside while calibrating.
    const bool wasConnected = ctx_.state.flags().VideoConnected;
    if (wasConnected)
        port_.disconnectCamera();

    camera::TVideoCameraDS &main = camera_;
    scales::ui::TCalibrateWindow::Deps deps{
        backend_,
        ctx_.log,
        [this](const QString &key) { return ctx_.shell.text(key); },
        [&main](camera::TVideoCameraDS &own) {
            own.deviceTable() = main.deviceTable();
            own.SearchDevice();
            own.SetDeviceIndex(main.GetIndexDevice());
            // The calibration measures the picture the main camera streams: its format and size.
            own.SetPreviewDefalutState(1, main.GetPreviewDefalutState(1));
            if (const platform::CaptureFormat format = main.currentFormat(); format.width > 0 && format.height > 0)
                own.setFormatPreference([format](const platform::DeviceRecord &, bool) { return format; });
        },
        main.GetFlipMode(),
        [this](const QString &t, const QString &c) { warn(t, c, kIconError); }};
    scales::ui::TCalibrateWindow window(std::move(deps), scale, dialog_);
    calibration_ = &window;
    ctx_.dialogs.runDialog(window);
    calibration_ = nullptr;
    const bool computed = window.calibrated();
    if (computed) {
        scale = window.scale();
        scale.cameraKey = port_.currentCameraKey();
    }

    if (wasConnected && ctx_.state.flags().DeviceFound && !ctx_.state.flags().VideoConnected)
        port_.connectCamera();
    calibrating_ = false;
    return computed;
}

} // namespace scales::ui
