#include "scalecontroller.h"

#include "cameracontroller.h"
#include "mainwindow.h"
#include "messagepresenter.h"
#include "shell.h"

#include "camera/videocamerads.h"
#include "platform/diagnosticslog.h"
#include "scales/scalelibrary.h"
#include "scales/ui/calibratewindow.h"
#include "scales/ui/setrulerdlg.h"

#include <QAbstractButton>

namespace app::ui {

using state::ControlId;

ScaleController::ScaleController(Shell &shell, CameraController &camera, platform::MediaBackend &backend, QObject *parent)
    : QObject(parent), shell_(shell), camera_(camera), backend_(backend)
{
    runDialog = [](QDialog &d) { return d.exec(); };
    scales::ScaleLibrary::Deps store;
    store.storeFile = shell_.paths().scaleStoreFile();
    store.markerFile = shell_.programDir() + QStringLiteral("/Sys/DefScaleData.ini");
    store.log = [this](const QString &line) { shell_.log().append(line); };
    store.builtInTexts = [this] {
        const LanguageTexts &t = shell_.texts();
        return scales::BuiltInTexts{t.text(QStringLiteral("DrawRulerTB_Low")), t.text(QStringLiteral("DrawRulerTB_High")),
                                    t.text(QStringLiteral("DrawRulerTB_NonContact"))};
    };
    store.detectedMonitorWidthCm = [this] { return detectedMonitorWidthCm ? detectedMonitorWidthCm() : 0.0f; };
    store.writeFailed = [this](const scales::StoreWriteFailure &failure) { reportWriteFailure(failure); };
    library_ = std::make_unique<scales::ScaleLibrary>(std::move(store));
    library_->open();

    scales::ui::TSetRulerDlg::Deps deps;
    deps.text = [this](const QString &key) { return shell_.texts().text(key); };
    deps.warn = [this](const QString &t, const QString &c) { warn(t, c, kIconAttention); };
    dialog_ = new scales::ui::TSetRulerDlg(*library_, std::move(deps), &shell_.window());
    dialog_->setModal(true);
    dialog_->runCalibration = [this](scales::RulerScaleControl &scale) { return runCalibration(scale); };
    current_ = library_->current();

    connect(shell_.controls().button(ControlId::DrawRulerTB_SetScale), &QAbstractButton::clicked, this,
            &ScaleController::DrawRulerTB_SetScaleClick);
}

ScaleController::~ScaleController() = default;

void ScaleController::warn(const QString &textKey, const QString &captionKey, int icon)
{
    shell_.ShowMessageBox(textKey, captionKey, false, icon);
}

void ScaleController::reportWriteFailure(const scales::StoreWriteFailure &failure)
{
    // The store logs the failure itself; the user learns which file could not be written and why.
    shell_.ShowMessageBox(QStringLiteral("ScaleStoreNotWritten_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
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
        if (shell_.ShowMessageBox(QStringLiteral("AddScaleFromPicture_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"),
                                  true, kIconQuestion, u'"' + scale.name + QStringLiteral("\" "))
            != kResultOk)
            return;
        library_->add(scale);
    } else if (index != library_->selected()) {
        library_->select(index);
    }
    dialog_->refresh();
    current_ = library_->current();
    publish();
}

void ScaleController::DrawRulerTB_SetScaleClick()
{
    if (dialog_->isVisible())
        return;
    runDialog(*dialog_);
    // The selected scale is current after OK and after Cancel alike (Cancel reloads it).
    current_ = library_->current();
    publish();
}

void ScaleController::reloadRulerScales()
{
    if (calibrating_)
        return;
    library_->reload();
    dialog_->refresh();
    current_ = library_->current();
    publish();
}

void ScaleController::languageChanged()
{
    dialog_->applyTexts();
    library_->retranslate();
    dialog_->refresh();
    current_ = library_->current();
    publish();
}

void ScaleController::closeCalibrationWindow()
{
    if (calibration_ && calibration_->isVisible())
        calibration_->reject();
}

bool ScaleController::runCalibration(scales::RulerScaleControl &scale)
{
    if (calibrating_ || !shell_.state().flags().DeviceFound)
        return false;
    calibrating_ = true;
    // Both views would open the same device: the main camera steps aside while calibrating.
    const bool wasConnected = shell_.state().flags().VideoConnected;
    if (wasConnected)
        camera_.Connect_BtnClick();

    camera::TVideoCameraDS &main = camera_.camera();
    scales::ui::TCalibrateWindow::Deps deps{
        backend_,
        shell_.log(),
        [this](const QString &key) { return shell_.texts().text(key); },
        [&main](camera::TVideoCameraDS &own) {
            own.deviceTable() = main.deviceTable();
            own.SearchDevice();
            own.SetDeviceIndex(main.GetIndexDevice());
        },
        main.GetFlipMode(),
        [this](const QString &t, const QString &c) { warn(t, c, kIconError); }};
    scales::ui::TCalibrateWindow window(std::move(deps), scale, dialog_);
    calibration_ = &window;
    runDialog(window);
    calibration_ = nullptr;
    const bool computed = window.calibrated();
    if (computed)
        scale = window.scale();

    if (wasConnected && shell_.state().flags().DeviceFound && !shell_.state().flags().VideoConnected)
        camera_.Connect_BtnClick();
    calibrating_ = false;
    return computed;
}

} // namespace app::ui
