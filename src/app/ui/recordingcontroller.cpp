#include "recordingcontroller.h"

#include "state/globalvar.h"
#include "app/ui/cameracontroller.h"
#include "app/ui/busyguard.h"
#include "app/ui/mainwindow.h"
#include "app/ui/shell.h"
#include "app/ui/stillimagecontroller.h"
#include "app/ui/messagepresenter.h"
#include "camera/ui/compressorfilterdialog.h"
#include "camera/ui/encodersettingsdialog.h"
#include "camera/videocamerads.h"
#include "library/capturesaver.h"
#include "library/ui/savedialogs.h"
#include "library/ui/thumbnailbrowserwidget.h"
#include "platform/diagnosticslog.h"

#include <QAction>
#include <QPushButton>

namespace app::ui {


using state::ControlId;

RecordingController::RecordingController(Shell &shell, CameraController &camera, StillImageController &still,
                                         QObject *parent)
    : QObject(parent), shell_(shell), still_(still), cameraSide_(&camera), camera_(camera.camera())
{
    saveDialog = library::ui::videoSaveDialog(&shell_.window());
    runDialog = [](QDialog &d) { return d.exec(); };
    connect(shell_.controls().mainButton(ControlId::RecordVideo_Btn), &QPushButton::clicked, this,
            &RecordingController::RecordVideo_BtnClick);
    connect(shell_.controls().action(ControlId::VideoCompress), &QAction::triggered, this,
            &RecordingController::VideoCompressClick);
    camera.stopRecording = [this] { stopRecording(); };
    // A write error or a lost camera ended the file without the button.
    connect(&camera_, &camera::TVideoCameraDS::recordingEnded, this, &RecordingController::onRecordingEnded,
            Qt::QueuedConnection);
}

RecordingController::~RecordingController()
{
    if (cameraSide_)
        cameraSide_->stopRecording = [] {};
}

void RecordingController::RecordVideo_BtnClick()
{
    if (busy_)
        return;
    BusyGuard guard(busy_);
    if (shell_.state().flags().VideoRecording) {
        stopRecording();
        return;
    }
    if (!shell_.state().flags().VideoConnected)
        return;
    startRecording();
}

bool RecordingController::startRecording()
{
    const bool automatic = shell_.state().settings().AutoSave || timedVideoRunning();
    const library::RecordingTarget target =
        library::aviRecordingTarget(still_.captureCounter(), shell_.state().curListPath()[state::kListAvi], automatic,
                                    [this](const library::SaveDialogRequest &r) { return saveDialog(r); });
    if (target.outcome == library::SaveOutcome::Cancelled)
        return false;
    bool started = false;
    if (target.outcome == library::SaveOutcome::Saved) {
        if (!automatic)
            configureCompressor();
        started = camera_.VideoCaptureAvi(target.path);
    }
    if (!started) {
        shell_.ShowMessageBox(QStringLiteral("CannotRecordVideo_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                               state::kIconError);
        return false;
    }
    lastRecorded_ = target.path;
    still_.browser().markNewFile(state::kListAvi, target.path);
    still_.browser().showKind(state::kListAvi);
    shell_.state().setVideoRecording(true);
    shell_.setMainButton(ControlId::RecordVideo_Btn, QStringLiteral("stopvideo.bmp"), QStringLiteral("RecordStopVideo_Btn"));
    return true;
}

void RecordingController::stopRecording()
{
    if (!shell_.state().flags().VideoRecording)
        return;
    camera_.VideoCaptureAviStop();
    showStopped();
}

void RecordingController::showStopped()
{
    shell_.setMainButton(ControlId::RecordVideo_Btn, QStringLiteral("videorecord.bmp"), QStringLiteral("RecordVideo_Btn"));
    shell_.state().setVideoRecording(false);
    still_.browser().markNewFile(state::kListAvi, lastRecorded_);
    still_.browser().showKind(state::kListAvi);
    shell_.MemoryTrim();
}

void RecordingController::onRecordingEnded()
{
    // Queued: the camera has finished the file; the window may have stopped it meanwhile.
    if (!shell_.state().flags().VideoRecording || camera_.isRecording())
        return;
    const bool failed = camera_.lastRecordingEnd() == platform::RecordingEnd::Failed;
    showStopped();
    if (failed)
        shell_.ShowMessageBox(QStringLiteral("CannotRecordVideo_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                               state::kIconError);
}

void RecordingController::VideoCompressClick()
{
    if (!compressorDialog_)
        compressorDialog_ = new camera::ui::TCompressorFilterDlg(&shell_.window());
    applyCompressorTexts();
    compressorDialog_->prepare(camera_.compressors());
    if (runDialog(*compressorDialog_) != QDialog::Accepted)
        return;
    const int index = compressorDialog_->chosenIndex(camera_.compressorIndex());
    if (index != camera_.compressorIndex())
        camera_.setCompressorSettings({});   // another compressor: its own defaults
    camera_.SetCompressorIndex(index);
}

void RecordingController::languageChanged()
{
    // The compressor dialog is kept between showings, so it follows the language while it lives.
    if (compressorDialog_)
        applyCompressorTexts();
}

void RecordingController::applyCompressorTexts()
{
    const LanguageTexts &lang = shell_.texts();
    // An empty key falls back to the dialog's classic captions, so it never opens without words.
    const auto textOr = [&lang](const char *key, const char *fallback) {
        const QString t = lang.text(QLatin1String(key));
        return t.isEmpty() ? QString::fromLatin1(fallback) : t;
    };
    compressorDialog_->setTexts({textOr("CompressTitle_Dlg", "Compressor Filter Dialog"),
                                 textOr("CompressOptionInfo_Dlg", "Choose Compressor"),
                                 lang.text(QStringLiteral("OKBtn_Dlg")), lang.text(QStringLiteral("CancelBtn_Dlg")),
                                 textOr("CF_NoCompressor_Dlg", "No Compressor")});
}

void RecordingController::configureCompressor()
{
    if (!camera_.FindCompressFilters() || camera_.compressorFactoryName().isEmpty())
        return;
    auto properties = camera_.compressorProperties(camera_.compressorFactoryName());
    if (properties.empty())
        return;   // a compressor without settings has no configuration dialog
    QString name = camera_.compressorFactoryName();
    for (const platform::CompressorInfo &c : camera_.compressors())
        if (c.factory == name)
            name = c.name;
    camera::ui::EncoderSettingsDialog dialog(name, std::move(properties), camera_.compressorSettings(), &shell_.window());
    dialog.setButtonTexts(shell_.texts().text(QStringLiteral("OKBtn_Dlg")), shell_.texts().text(QStringLiteral("CancelBtn_Dlg")));
    if (runDialog(dialog) == QDialog::Accepted)
        camera_.setCompressorSettings(dialog.settings());
}

} // namespace app::ui
