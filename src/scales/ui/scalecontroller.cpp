#include "scalecontroller.h"

#include "camera/videocamerads.h"
#include "feature/ui/controls.h"
#include "feature/ui/shellport.h"
#include "feature/ui/userdialogs.h"
#include "platform/diagnosticslog.h"
#include "state/appstate.h"
#include "state/uiprotocol.h"
#include "state/usersettings.h"
#include "scales/ui/calibratewindow.h"
#include "scales/ui/setrulerdlg.h"

#include <QAbstractButton>

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
    scales::ui::TSetRulerDlg::Deps deps;
    deps.storeFile = ctx_.paths.scaleStoreFile();
    deps.markerFile = ctx_.programDir + QStringLiteral("/Sys/DefScaleData.ini");
    deps.text = [this](const QString &key) { return ctx_.shell.text(key); };
    deps.log = [this](const QString &line) { ctx_.log.append(line); };
    deps.warn = [this](const QString &t, const QString &c) { warn(t, c, kIconAttention); };
    deps.detectedMonitorWidthCm = [this] { return port_.detectedMonitorWidthCm(); };
    dialog_ = new scales::ui::TSetRulerDlg(std::move(deps), &ctx_.window);
    dialog_->setModal(true);
    dialog_->runCalibration = [this](scales::RulerScaleControl &scale) { return runCalibration(scale); };
    current_ = dialog_->current();

    connect(ctx_.controls.button(ControlId::DrawRulerTB_SetScale), &QAbstractButton::clicked, this,
            &ScaleController::DrawRulerTB_SetScaleClick);
}

ScaleController::~ScaleController() = default;

void ScaleController::warn(const QString &textKey, const QString &captionKey, int icon)
{
    ctx_.shell.ShowMessageBox(textKey, captionKey, false, icon);
}

void ScaleController::publish() { Q_EMIT scaleChanged(current_); }

void ScaleController::adoptScale(const scales::RulerScaleControl &scale)
{
    if (calibrating_ || dialog_->isVisible())
        return;
    if (!dialog_->selectScale(scale.name)) {
        if (ctx_.shell.ShowMessageBox(QStringLiteral("AddScaleFromPicture_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"),
                                  true, kIconQuestion, u'"' + scale.name + QStringLiteral("\" "))
            != kResultOk)
            return;
        dialog_->addScale(scale);
    }
    current_ = dialog_->current();
    publish();
}

void ScaleController::DrawRulerTB_SetScaleClick()
{
    if (dialog_->isVisible())
        return;
    ctx_.dialogs.runDialog(*dialog_);
    // The selected scale is current after OK and after Cancel alike (Cancel reloads it).
    current_ = dialog_->current();
    publish();
}

void ScaleController::reloadRulerScales()
{
    if (calibrating_)
        return;
    dialog_->reloadStore();
    current_ = dialog_->current();
    publish();
}

void ScaleController::languageChanged()
{
    dialog_->languageChanged();
    current_ = dialog_->current();
    publish();
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
        },
        main.GetFlipMode(),
        [this](const QString &t, const QString &c) { warn(t, c, kIconError); }};
    scales::ui::TCalibrateWindow window(std::move(deps), scale, dialog_);
    calibration_ = &window;
    ctx_.dialogs.runDialog(window);
    calibration_ = nullptr;
    const bool computed = window.calibrated();
    if (computed)
        scale = window.scale();

    if (wasConnected && ctx_.state.flags().DeviceFound && !ctx_.state.flags().VideoConnected)
        port_.connectCamera();
    calibrating_ = false;
    return computed;
}

} // namespace scales::ui
