#include "recordingcontroller.h"

#include "compressorfilterdialog.h"
#include "encodersettingsdialog.h"

#include "camera/recordingstatus.h"
#include "camera/videocamerads.h"
#include "feature/busyguard.h"
#include "feature/ui/controls.h"
#include "feature/ui/shellport.h"
#include "feature/ui/userdialogs.h"
#include "library/capturesaver.h"
#include "library/ui/savedialogs.h"
#include "platform/diagnosticslog.h"
#include "state/appstate.h"
#include "state/usersettings.h"
#include "state/globalvar.h"
#include "state/uiprotocol.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace camera::ui {

using feature::BusyGuard;
using state::ControlId;

RecordingController::RecordingController(feature::ui::FeatureContext context, RecordingPort &port, TVideoCameraDS &camera,
                                         library::CaptureCounter &counter, QObject *parent)
    : QObject(parent), ctx_(context), port_(port), camera_(camera), counter_(counter)
{
    connect(ctx_.controls.mainButton(ControlId::RecordVideo_Btn), &QPushButton::clicked, this,
            &RecordingController::RecordVideo_BtnClick);
    connect(ctx_.controls.action(ControlId::VideoCompress), &QAction::triggered, this,
            &RecordingController::VideoCompressClick);
    // A write error or a lost camera ended the file without the button.
    connect(&camera_, &camera::TVideoCameraDS::recordingEnded, this, &RecordingController::onRecordingEnded,
            Qt::QueuedConnection);
    statusTimer_ = new QTimer(this);
    statusTimer_->setInterval(kStatusIntervalMs);
    connect(statusTimer_, &QTimer::timeout, this, &RecordingController::refreshStatus);
    if (QLabel *status = ctx_.controls.label(ControlId::StatusRecording_Lab))
        status->setStyleSheet(QStringLiteral("QLabel { color: #C00000; font-weight: bold; }"));
}

RecordingController::~RecordingController() = default;

void RecordingController::RecordVideo_BtnClick()
{
    if (busy_)
        return;
    BusyGuard guard(busy_);
    if (ctx_.state.flags().VideoRecording) {
        stopRecording();
        return;
    }
    if (!ctx_.state.flags().VideoConnected)
        return;
    startRecording();
}

bool RecordingController::startRecording()
{
    const bool automatic = ctx_.state.settings().AutoSave || port_.timedVideoRunning();
    const library::RecordingTarget target = library::aviRecordingTarget(
        counter_, ctx_.state.curListPath()[state::kListAvi], automatic,
        library::ui::videoSaveDialog(&ctx_.window, [this](QDialog &d) { return ctx_.dialogs.runDialog(d); }));
    if (target.outcome == library::SaveOutcome::Cancelled)
        return false;
    // A name typed with another extension was given ".avi": the dialog asked about overwriting
    // the name typed, not this one, so an older file of this name is replaced only when the user
    // says so.
    if (target.outcome == library::SaveOutcome::Saved && target.extensionChanged && QFileInfo::exists(target.path) &&
        ctx_.shell.ShowMessageBox(QStringLiteral("FileNameExisted_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                                  state::kIconAttention, u'"' + QFileInfo(target.path).fileName() + QStringLiteral("\" "))
            != state::kResultOk)
        return false;
    bool started = false;
    if (target.outcome == library::SaveOutcome::Saved) {
        if (!automatic)
            configureCompressor();
        started = camera_.VideoCaptureAvi(target.path);
    }
    if (!started) {
        if (camera_.lastRecordingStart() == platform::RecordingStart::DiskFull)
            ctx_.shell.ShowMessageBox(QStringLiteral("RecordDiskFullNothing_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"),
                                      false, state::kIconError, folderOf(target.path));
        else
            ctx_.shell.ShowMessageBox(QStringLiteral("CannotRecordVideo_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                                      state::kIconError);
        return false;
    }
    lastRecorded_ = target.path;
    port_.showNewVideo(target.path);
    ctx_.state.setVideoRecording(true);
    ctx_.shell.setMainButton(ControlId::RecordVideo_Btn, QStringLiteral("stopvideo.bmp"), QStringLiteral("RecordStopVideo_Btn"));
    running_.start();
    statusTimer_->start();
    refreshStatus();
    return true;
}

void RecordingController::refreshStatus()
{
    QLabel *status = ctx_.controls.label(ControlId::StatusRecording_Lab);
    if (!status)
        return;
    if (!ctx_.state.flags().VideoRecording) {
        status->hide();
        return;
    }
    // The file as it stands on disk: what the user would get if the recording stopped now.
    status->setText(ctx_.shell.text(QStringLiteral("RecordingStatus_Lab"))
                        .arg(RecordingStatus::elapsedText(running_.elapsed()),
                             RecordingStatus::sizeText(QFileInfo(lastRecorded_).size())));
    status->show();
}

void RecordingController::stopRecording()
{
    if (!ctx_.state.flags().VideoRecording)
        return;
    camera_.VideoCaptureAviStop();
    showStopped();
}

void RecordingController::showStopped()
{
    ctx_.shell.setMainButton(ControlId::RecordVideo_Btn, QStringLiteral("videorecord.bmp"), QStringLiteral("RecordVideo_Btn"));
    ctx_.state.setVideoRecording(false);
    statusTimer_->stop();
    refreshStatus();
    port_.showNewVideo(lastRecorded_);
    ctx_.shell.MemoryTrim();
}

void RecordingController::onRecordingEnded()
{
    // Queued: the camera has finished the file; the window may have stopped it meanwhile.
    if (!ctx_.state.flags().VideoRecording || camera_.isRecording())
        return;
    const platform::RecordingEnd end = camera_.lastRecordingEnd();
    const bool kept = !camera_.lastRecordingCounts().fileRemoved;
    showStopped();
    // The recording had started: the message says why it ended, names the folder and whether
    // the video recorded so far is there.
    if (end == platform::RecordingEnd::DiskFull)
        ctx_.shell.ShowMessageBox(kept ? QStringLiteral("RecordDiskFull_MsgBox") : QStringLiteral("RecordDiskFullNothing_MsgBox"),
                                  QStringLiteral("ErrorTitle_MsgBox"), false, state::kIconError, folderOf(lastRecorded_));
    else if (end == platform::RecordingEnd::Failed && kept)
        ctx_.shell.ShowMessageBox(QStringLiteral("RecordWriteFailed_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                                  state::kIconError, folderOf(lastRecorded_));
    else if (end == platform::RecordingEnd::Failed)
        ctx_.shell.ShowMessageBox(QStringLiteral("CannotRecordVideo_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                                  state::kIconError);
}

QString RecordingController::folderOf(const QString &path)
{
    return u'"' + QDir::toNativeSeparators(QFileInfo(path).absolutePath()) + u'"';
}

void RecordingController::VideoCompressClick()
{
    if (!compressorDialog_)
        compressorDialog_ = new TCompressorFilterDlg(&ctx_.window);
    applyCompressorTexts();
    compressorDialog_->prepare(camera_.compressors());
    if (ctx_.dialogs.runDialog(*compressorDialog_) != QDialog::Accepted)
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
    refreshStatus();
}

void RecordingController::applyCompressorTexts()
{
    const feature::ui::ShellPort &lang = ctx_.shell;
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
    EncoderSettingsDialog dialog(name, std::move(properties), camera_.compressorSettings(), &ctx_.window);
    dialog.setButtonTexts(ctx_.shell.text(QStringLiteral("OKBtn_Dlg")), ctx_.shell.text(QStringLiteral("CancelBtn_Dlg")));
    if (ctx_.dialogs.runDialog(dialog) == QDialog::Accepted)
        camera_.setCompressorSettings(dialog.settings());
}

} // namespace camera::ui
