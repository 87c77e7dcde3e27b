#include "recordingcontroller.h"

#include "state/globalvar.h"
#include "app/ui/cameracontroller.h"
#include "app/ui/busyguard.h"
#include "app/ui/mainwindow.h"
#include "app/ui/messagepresenter.h"
#include "camera/ui/compressorfilterdialog.h"
#include "camera/ui/encodersettingsdialog.h"
#include "camera/videocamerads.h"
#include "library/capturesaver.h"
#include "library/ui/savedialogs.h"
#include "library/ui/thumbnailbrowserwidget.h"
#include "platform/diagnosticslog.h"

#include <QAction>

namespace app::ui {


RecordingController::RecordingController(MainWindow &window, CameraController &camera, QObject *parent)
    : QObject(parent), window_(window), cameraSide_(&camera), camera_(camera.camera())
{
    saveDialog = library::ui::videoSaveDialog(&window);
    runDialog = [](QDialog &d) { return d.exec(); };
    connect(&window, &MainWindow::recordButtonClicked, this, &RecordingController::RecordVideo_BtnClick);
    // The close sequence (and SIGTERM) must leave a finished file behind.
    connect(&window, &MainWindow::closingSession, this, &RecordingController::stopRecording);
    if (QAction *a = window.action(QStringLiteral("VideoCompress")))
        connect(a, &QAction::triggered, this, &RecordingController::VideoCompressClick);
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
    if (window_.flags().VideoRecording) {
        stopRecording();
        return;
    }
    if (!window_.flags().VideoConnected)
        return;
    startRecording();
}

bool RecordingController::startRecording()
{
    const bool automatic = window_.defData().AutoSave || timedVideoRunning();
    const library::RecordingTarget target =
        library::aviRecordingTarget(window_.captureCounter(), window_.curListPath()[state::kListAvi], automatic,
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
        window_.ShowMessageBox(QStringLiteral("CannotRecordVideo_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                               kIconError);
        return false;
    }
    lastRecorded_ = target.path;
    if (auto *browser = window_.browser()) {
        browser->markNewFile(state::kListAvi, target.path);
        browser->showKind(state::kListAvi);
    }
    window_.flags().VideoRecording = true;
    window_.setButtonPicture(kRecordVideoBtn, QStringLiteral("stopvideo.bmp"), QStringLiteral("RecordStopVideo_Btn"));
    return true;
}

void RecordingController::stopRecording()
{
    if (!window_.flags().VideoRecording)
        return;
    camera_.VideoCaptureAviStop();
    showStopped();
}

void RecordingController::showStopped()
{
    window_.setButtonPicture(kRecordVideoBtn, QStringLiteral("videorecord.bmp"), QStringLiteral("RecordVideo_Btn"));
    window_.flags().VideoRecording = false;
    if (auto *browser = window_.browser()) {
        browser->markNewFile(state::kListAvi, lastRecorded_);
        browser->showKind(state::kListAvi);
    }
    window_.MemoryTrim();
}

void RecordingController::onRecordingEnded()
{
    // Queued: the camera has finished the file; the window may have stopped it meanwhile.
    if (!window_.flags().VideoRecording || camera_.isRecording())
        return;
    const bool failed = camera_.lastRecordingEnd() == platform::RecordingEnd::Failed;
    showStopped();
    if (failed)
        window_.ShowMessageBox(QStringLiteral("CannotRecordVideo_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                               kIconError);
}

void RecordingController::VideoCompressClick()
{
    if (!compressorDialog_)
        compressorDialog_ = new camera::ui::TCompressorFilterDlg(&window_);
    camera::ui::TCompressorFilterDlg::Texts texts;
    const LanguageTexts &lang = window_.texts();
    if (const QString t = lang.text(QStringLiteral("CompressTitle_Dlg")); !t.isEmpty())
        texts.title = t;
    if (const QString t = lang.text(QStringLiteral("CompressOptionInfo_Dlg")); !t.isEmpty())
        texts.info = t;
    compressorDialog_->setTexts(texts);
    compressorDialog_->prepare(camera_.compressors());
    if (runDialog(*compressorDialog_) != QDialog::Accepted)
        return;
    const int index = compressorDialog_->chosenIndex(camera_.compressorIndex());
    if (index != camera_.compressorIndex())
        camera_.setCompressorSettings({});   // another compressor: its own defaults
    camera_.SetCompressorIndex(index);
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
    camera::ui::EncoderSettingsDialog dialog(name, std::move(properties), camera_.compressorSettings(), &window_);
    if (runDialog(dialog) == QDialog::Accepted)
        camera_.setCompressorSettings(dialog.settings());
}

} // namespace app::ui
