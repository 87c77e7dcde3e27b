#include "focusstackcontroller.h"

#include "focusstackdialog.h"
#include "focusstackport.h"

#include "feature/ui/controls.h"
#include "feature/ui/shellport.h"
#include "feature/ui/userdialogs.h"
#include "measure/measurementpacket.h"
#include "platform/diagnosticslog.h"
#include "platform/mediaworker.h"
#include "platform/picturecodec.h"
#include "stack/stackfolder.h"
#include "state/appstate.h"
#include "state/uiprotocol.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>

namespace stack::ui {

using state::ControlId;

FocusStackController::FocusStackController(feature::ui::FeatureContext context, FocusStackPort &port, QObject *parent)
    : QObject(parent), ctx_(context), port_(port), worker_(std::make_unique<platform::MediaWorker>(1))
{
    dialog_ = new FocusStackDialog([this](const QString &key) { return ctx_.shell.text(key); }, &ctx_.window);
    connect(ctx_.controls.action(ControlId::FocusStack_Tool), &QAction::triggered, this,
            &FocusStackController::FocusStack_ToolClick);
    connect(dialog_, &FocusStackDialog::startLiveRequested, this, &FocusStackController::startLive);
    connect(dialog_, &FocusStackDialog::stopLiveRequested, this, &FocusStackController::stopLive);
    connect(dialog_, &FocusStackDialog::frameKeyPressed, this, &FocusStackController::takeLiveFrame);
    connect(dialog_, &FocusStackDialog::chooseFolderRequested, this, &FocusStackController::chooseFolder);
    connect(dialog_, &FocusStackDialog::stackFolderRequested, this, &FocusStackController::stackFolder);
    connect(dialog_, &FocusStackDialog::cancelRequested, this, &FocusStackController::cancel);
    connect(&liveTimer_, &QTimer::timeout, this, &FocusStackController::takeLiveFrame);
    progressTimer_.setInterval(100);
    connect(&progressTimer_, &QTimer::timeout, this, &FocusStackController::pollProgress);
}

// The worker goes first: it waits for a running stack, whose delivery then never comes.
FocusStackController::~FocusStackController() { worker_.reset(); }

void FocusStackController::FocusStack_ToolClick()
{
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void FocusStackController::startLive()
{
    if (dialog_->phase() != FocusStackDialog::Phase::Idle)
        return;
    if (port_.liveFrame().isNull()) {
        ctx_.shell.ShowMessageBox(QStringLiteral("FocusStackNoCamera_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), false,
                              state::kIconAttention);
        return;
    }
    live_.clear();
    files_.clear();
    dialog_->clearResults();
    dialog_->setFrameCount(0);
    dialog_->setPhase(FocusStackDialog::Phase::Collecting);
    dialog_->setStatus(QStringLiteral("FS_Collecting_Lab"));
    dialog_->setFocus();
    if (!dialog_->onSpacePress()) {
        liveTimer_.start(dialog_->intervalMs());
        takeLiveFrame();
    }
}

void FocusStackController::takeLiveFrame()
{
    if (dialog_->phase() != FocusStackDialog::Phase::Collecting)
        return;
    platform::Bitmap frame = port_.liveFrame();
    if (frame.isNull())
        return;   // the camera is gone or frozen: Stop or Cancel decides
    live_.push_back(std::move(frame));
    dialog_->setFrameCount(int(live_.size()));
    if (int(live_.size()) >= kMaxLiveFrames)
        stopLive();
}

void FocusStackController::stopLive()
{
    if (dialog_->phase() != FocusStackDialog::Phase::Collecting)
        return;
    liveTimer_.stop();
    if (live_.size() < 2) {
        live_.clear();
        dialog_->setPhase(FocusStackDialog::Phase::Idle);
        dialog_->setStatus(QString());
        ctx_.shell.ShowMessageBox(QStringLiteral("FocusStackTooFew_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                              state::kIconError);
        return;
    }
    // The frames move to the run, which releases each one as soon as it is aligned.
    auto frames = std::make_shared<std::vector<platform::Bitmap>>(std::move(live_));
    live_.clear();
    StackInput input;
    input.count = int(frames->size());
    input.load = [frames](int i) { return StackFrame{std::exchange((*frames)[std::size_t(i)], platform::Bitmap()), {}}; };
    run(std::move(input), {});
}

void FocusStackController::chooseFolder()
{
    const QString start = dialog_->folder().isEmpty() ? ctx_.state.curListPath()[state::kListJpg] : dialog_->folder();
    QFileDialog picker(dialog_, dialog_->windowTitle(), start);
    picker.setFileMode(QFileDialog::Directory);
    picker.setOption(QFileDialog::ShowDirsOnly);
    const std::optional<QString> chosen = feature::ui::askFile(ctx_.dialogs, picker);
    if (!chosen || chosen->isEmpty())
        return;
    dialog_->setFolder(*chosen, int(stackFolderPictures(*chosen).size()));
}

void FocusStackController::stackFolder()
{
    if (dialog_->phase() != FocusStackDialog::Phase::Idle)
        return;
    const QStringList files = stackFolderPictures(dialog_->folder());
    if (files.size() < 2 || files.size() > kMaxStackFrames) {
        ctx_.shell.ShowMessageBox(QStringLiteral("FocusStackTooFew_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                              state::kIconError);
        return;
    }
    dialog_->clearResults();
    run(filesInput(files), files);
}

void FocusStackController::run(StackInput input, QStringList files)
{
    files_ = std::move(files);
    stacking_ = true;
    progress_ = std::make_shared<StackProgress>();
    dialog_->setPhase(FocusStackDialog::Phase::Stacking);
    dialog_->setProgress(0, 3 * input.count + 1);
    dialog_->setStatus(QStringLiteral("FS_Stacking_Lab"));
    ctx_.log.append(QStringLiteral("Focus stack of %1 frames started").arg(input.count));
    const StackOptions options{dialog_->depthMap()};
    // Worker thread: the job owns its input and the progress counters it shares with the UI.
    ticket_ = worker_->post(
        [input = std::move(input), options, progress = progress_](std::stop_token stop) {
            return focusStack(input, options, progress.get(), std::move(stop));
        },
        [this](StackResult result) { delivered(std::move(result)); });
    progressTimer_.start();
}

void FocusStackController::pollProgress()
{
    if (progress_)
        dialog_->setProgress(progress_->done.load(), progress_->total.load());
}

void FocusStackController::cancel()
{
    if (dialog_->phase() == FocusStackDialog::Phase::Collecting) {
        liveTimer_.stop();
        live_.clear();
    } else if (stacking_) {
        worker_->cancel(ticket_);   // asks the run to stop; its result is dropped
        stacking_ = false;
        progressTimer_.stop();
        ctx_.log.append(QStringLiteral("Focus stack cancelled"));
    } else {
        return;
    }
    dialog_->setPhase(FocusStackDialog::Phase::Idle);
    dialog_->setStatus(QStringLiteral("FS_Cancelled_Lab"));
    Q_EMIT finished(false);
}

void FocusStackController::delivered(StackResult result)
{
    stacking_ = false;
    progressTimer_.stop();
    pollProgress();
    dialog_->setPhase(FocusStackDialog::Phase::Idle);
    last_ = std::move(result);
    lastSaved_.clear();
    if (!last_.ok()) {
        report(last_);
        Q_EMIT finished(false);
        return;
    }
    const std::optional<QString> path = port_.saveStack(last_.picture, calibrationFor(last_.picture.size()));
    if (path) {
        lastSaved_ = *path;
        ctx_.log.append(QStringLiteral("Focus stack saved: ") + *path);
        dialog_->setStatus(QStringLiteral("FS_Saved_Lab"), QFileInfo(*path).fileName());
    } else {
        dialog_->setStatus(QString());
    }
    dialog_->showResults(last_.picture, last_.sharpestPicture, last_.depthMap, int(last_.warps.size()));
    Q_EMIT finished(path.has_value());
}

void FocusStackController::report(const StackResult &r)
{
    QString key;
    switch (r.status) {
    case StackStatus::TooFewFrames: key = QStringLiteral("FocusStackTooFew_MsgBox"); break;
    case StackStatus::UnreadableFrame: key = QStringLiteral("FocusStackUnreadable_MsgBox"); break;
    case StackStatus::SizeMismatch: key = QStringLiteral("FocusStackSize_MsgBox"); break;
    case StackStatus::AlignmentFailed: key = QStringLiteral("FocusStackAlign_MsgBox"); break;
    default: dialog_->setStatus(QStringLiteral("FS_Cancelled_Lab")); return;
    }
    // Which picture: its file name from a folder, its number among the live frames.
    QString which;
    if (r.frame >= 0)
        which = r.frame < files_.size() ? QFileInfo(files_[r.frame]).fileName() : u'#' + QString::number(r.frame + 1);
    const QString prefix = which.isEmpty() ? QString() : u'"' + which + QStringLiteral("\" ");
    ctx_.log.append(QStringLiteral("Focus stack failed at %1: %2").arg(which, r.detail));
    dialog_->setStatus(QString(), QString());
    ctx_.shell.ShowMessageBox(key, QStringLiteral("ErrorTitle_MsgBox"), false, state::kIconError, prefix);
}

platform::PictureMetadata FocusStackController::calibrationFor(QSize picture) const
{
    // From a folder, the reference picture's own calibration, when it carries one of ours: the
    // pictures may have been taken under another scale than the one selected now.
    if (last_.reference >= 0 && last_.reference < files_.size()) {
        const QString &path = files_[last_.reference];
        if (platform::sniffPictureFile(path) == platform::PictureKind::Jpeg) {
            const platform::MetadataRead read = platform::readJpegMetadataFile(path);
            const measure::PacketRead packet = measure::parsePacket(read.metadata.properties, picture);
            if (packet.packet) {
                const std::optional<measure::MeasurementPacket> own =
                    measure::packetFor(measure::scaleFromPacket(*packet.packet), picture, {},
                                       packet.packet->screenMagnification, packet.packet->printMagnification);
                if (own)
                    return measure::toMetadata(*own);
            }
        }
    }
    return port_.currentCalibration(picture);
}

void FocusStackController::languageChanged() { dialog_->applyTexts(); }

void FocusStackController::closing()
{
    cancel();
    dialog_->hide();
}

} // namespace stack::ui
