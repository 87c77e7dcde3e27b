#include "automationcontroller.h"

#include "img2viddialog.h"
#include "timingcapdialog.h"
#include "toolinfodialog.h"
#include "vid2imgdialog.h"

#include "feature/actioninputs.h"
#include "feature/busyguard.h"
#include "feature/ui/controls.h"
#include "feature/ui/shellport.h"
#include "feature/ui/userdialogs.h"
#include "platform/diagnosticslog.h"
#include "platform/mediafiles.h"
#include "platform/mediapipeline.h"
#include "state/appstate.h"
#include "state/usersettings.h"
#include "state/uiprotocol.h"
#include "tools/imagestovideoconverter.h"
#include "tools/videotoimagesconverter.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

namespace tools::ui {

using feature::BusyGuard;
using feature::ui::Controls;
using state::ControlId;

AutomationController::AutomationController(feature::ui::FeatureContext context, AutomationPort &port,
                                           platform::MediaBackend &media, platform::MediaFiles &files, QObject *parent)
    : QObject(parent), ctx_(context), port_(port)
{
    QWidget *window = &ctx_.window;
    ToolDialogDeps deps;
    deps.text = [this](const QString &key) { return ctx_.shell.text(key); };
    deps.showMessage = [this](const QString &prefix, const QString &textKey, const QString &captionKey, bool withCancel,
                              int icon) { return ctx_.shell.ShowMessageBox(textKey, captionKey, withCancel, icon, prefix); };
    deps.showMessageWith = [this](const QString &textKey, const QStringList &arguments, const QString &captionKey,
                                  bool withCancel, int icon) {
        return ctx_.shell.ShowMessageBoxWith(textKey, arguments, captionKey, withCancel, icon);
    };
    deps.pickFolder = [this, window](const QString &title, const QString &start) -> std::optional<QString> {
        QFileDialog dialog(window, title, start);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        const std::optional<QString> chosen = feature::ui::askFile(ctx_.dialogs, dialog);
        return chosen && !chosen->isEmpty() ? chosen : std::nullopt;
    };
    deps.clock = &ctx_.clock;
    deps.log = &ctx_.log;
    deps.defListPath = ctx_.paths.defListPath;

    timing_ = new TTimingCapDlg(deps, window);
    timing_->chooseCompressor = [this] { port_.chooseCompressor(); };
    timing_->chooseJpegQuality = [this](int q) { port_.chooseJpegQuality(q); };
    timing_->currentJpegQuality = [this] { return port_.jpegQuality(); };
    timing_->schedule().log = [this](const QString &line) { ctx_.log.append(line); };
    // The scale bar and the shapes can always be burnt into a still (the built-in scales
    // exist even before any calibration).
    timing_->scaleBurnInAvailable = [] { return true; };
    vid2Img_ = new TVid2ImgDlg(deps, window);
    vid2Img_->chooseJpegQuality = [this](int q) { port_.chooseJpegQuality(q); };
    vid2Img_->currentJpegQuality = [this] { return port_.jpegQuality(); };
    vid2Img_->probe = [&files](const QString &path) { return files.probeVideo(path); };
    img2Vid_ = new TImg2VidDlg(deps, window);
    img2Vid_->listCompressors = [&media] { return media.compressors(); };
    info_ = new TToolInfoDlg(deps.text, window);

    vid2ImgRun_ = new tools::VideoToImagesConverter(
        ctx_.log, [&files](const QString &path, QString *why) { return files.openFrameReader(path, why); }, this);
    img2VidRun_ = new tools::ImagesToVideoConverter(
        ctx_.log, [&files](const platform::AviWriterOptions &o) { return files.createAviWriter(o); }, this);
    connect(vid2ImgRun_, &tools::VideoToImagesConverter::progressed, this,
            [this](const tools::ConversionProgress &p) { info_->setProgress(TToolInfoDlg::kVideoToImagesPage, p); });
    connect(vid2ImgRun_, &tools::VideoToImagesConverter::finished, this, [this] {
        vid2ImgDone_ = true;
        ctx_.shell.MemoryTrim();
        if (vid2ImgRun_->endedOnFullDisk())
            reportDiskFull(vid2ImgRun_->job().savePath);
    });
    connect(img2VidRun_, &tools::ImagesToVideoConverter::progressed, this,
            [this](const tools::ConversionProgress &p) { info_->setProgress(TToolInfoDlg::kImagesToVideoPage, p); });
    connect(img2VidRun_, &tools::ImagesToVideoConverter::finished, this, [this](const tools::ImagesToVideoResult &r) {
        img2VidDone_ = true;
        ctx_.shell.MemoryTrim();
        if (r.diskFull())
            reportDiskFull(QFileInfo(img2VidRun_->job().outputPath).absolutePath());
    });

    connect(info_, &TToolInfoDlg::timedEnableClicked, this, &AutomationController::toggleFromStatusWindow);
    connect(info_, &TToolInfoDlg::timedFolderClicked, this, [this] {
        const tools::ScheduleRecord &r = timing_->schedule().running();
        openFolder(r.savePath, ctx_.paths.defListPath[std::clamp(r.fileType, 0, 2)]);
    });
    connect(info_, &TToolInfoDlg::stopClicked, this, [this](int page) {
        if (page == TToolInfoDlg::kVideoToImagesPage)
            vid2ImgRun_->stop();
        else
            img2VidRun_->stop();
    });
    connect(info_, &TToolInfoDlg::sourceFolderClicked, this, [this](int page) {
        const state::ListPaths &def = ctx_.paths.defListPath;
        if (page == TToolInfoDlg::kVideoToImagesPage)
            openFolder(QFileInfo(vid2ImgRun_->job().videoPath).absolutePath(), def[state::kListAvi]);
        else
            openFolder(img2VidRun_->job().folder, def[state::kListJpg]);
    });
    connect(info_, &TToolInfoDlg::savingFolderClicked, this, [this](int page) {
        const state::ListPaths &def = ctx_.paths.defListPath;
        if (page == TToolInfoDlg::kVideoToImagesPage)
            openFolder(vid2ImgRun_->job().savePath, def[vid2ImgRun_->job().jpg ? state::kListJpg : state::kListBmp]);
        else
            openFolder(QFileInfo(img2VidRun_->job().outputPath).absolutePath(), def[state::kListAvi]);
    });

    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &AutomationController::TimingCapture_TimerTimer);
    Controls &c = ctx_.controls;
    connect(c.action(ControlId::TimingCapture_Tool), &QAction::triggered, this, &AutomationController::TimingCapture_ToolClick);
    connect(c.action(ControlId::Vid2Img_Tool), &QAction::triggered, this, &AutomationController::Vid2Img_ToolClick);
    connect(c.action(ControlId::Img2Vid_Tool), &QAction::triggered, this, &AutomationController::Img2Vid_ToolClick);
    connect(c.action(ControlId::InfoStatus_Tool), &QAction::triggered, this, &AutomationController::InfoStatus_ToolClick);
}

AutomationController::~AutomationController()
{
    // The converters are children and go after this object: nothing they report may reach it.
    vid2ImgRun_->disconnect(this);
    img2VidRun_->disconnect(this);
}

void AutomationController::reportDiskFull(const QString &folder)
{
    ctx_.shell.ShowMessageBoxWith(QStringLiteral("DiskFull_MsgBox"), {QDir::toNativeSeparators(folder)},
                                  QStringLiteral("ErrorTitle_MsgBox"), false, state::kIconError);
}

void AutomationController::openFolder(const QString &folder, const QString &fallback)
{
    const QString target = !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : fallback;
    ctx_.dialogs.openUrl(QUrl::fromLocalFile(target));
}

void AutomationController::refreshStatus()
{
    if (info_->isVisible())
        info_->refreshTimedCapture(timing_->schedule().running(), timing_->schedule().settings());
}

bool AutomationController::timedStillsWithScale() const
{
    return timedStills_ && timing_->schedule().running().saveScale;
}

void AutomationController::TimingCapture_ToolClick()
{
    if (ctx_.dialogs.runDialog(*timing_) != QDialog::Accepted)
        return;
    tools::TimedSchedule &schedule = timing_->schedule();
    const int kind = std::clamp(schedule.settings().fileType, 0, 2);
    // Captures are saved into the library folder of their type, so the schedule's folder becomes it.
    port_.useToolFolder(kind, schedule.settings().savePath);
    port_.showLibraryPage(kind);
    if (!ctx_.state.flags().VideoConnected)
        schedule.setActive(false);
    if (schedule.running().active) {
        info_->showPage(TToolInfoDlg::kTimedCapturePage);
        info_->show();
        refreshStatus();
    }
    startStop(schedule.running().active);
}

void AutomationController::startStop(bool on)
{
    tools::TimedSchedule &schedule = timing_->schedule();
    const bool avi = schedule.running().isAvi();
    if (on) {
        timer_.start();
        (avi ? timedVideo_ : timedStills_) = true;
    } else {
        timer_.stop();
        const bool wasVideo = timedVideo_;
        schedule.setActive(false);
        timedStills_ = timedVideo_ = false;
        if (wasVideo && ctx_.state.flags().VideoRecording)
            port_.stopRecording();
        refreshStatus();
    }
    const int kind = std::clamp(schedule.running().fileType, 0, 2);
    port_.showLibraryPage(kind);
    busy_ = false;
}

void AutomationController::TimingCapture_TimerTimer()
{
    // A message shown by a failed snapshot runs a nested loop that delivers further ticks.
    if (ticking_ || ctx_.state.flags().IsClosing)
        return;
    BusyGuard guard(ticking_);
    tools::TimedSchedule &schedule = timing_->schedule();
    const bool connected = ctx_.state.flags().VideoConnected;
    if (connected) {
        switch (schedule.advance()) {
        case tools::TickAction::Bmp:
        case tools::TickAction::Jpg:
            port_.showLibraryPage(schedule.running().fileType);
            port_.takeSnapshot();
            break;
        case tools::TickAction::Avi:
            port_.showLibraryPage(state::kListAvi);
            port_.toggleRecording();
            break;
        default:
            break;
        }
    }
    refreshStatus();
    if (!connected)
        schedule.markRunningInactive();
    if (!schedule.running().active)
        startStop(false);
}

void AutomationController::toggleFromStatusWindow()
{
    if (busy_)
        return;
    busy_ = true;
    tools::TimedSchedule &schedule = timing_->schedule();
    const bool on = !schedule.running().active && ctx_.state.flags().VideoConnected;
    if (on) {
        schedule.setActive(true);
        const int kind = std::clamp(schedule.settings().fileType, 0, 2);
        port_.useToolFolder(kind, schedule.settings().savePath);
    }
    startStop(on);
    refreshStatus();
}

void AutomationController::Vid2Img_ToolClick()
{
    if (vid2ImgRun_->running() || ctx_.dialogs.runDialog(*vid2Img_) != QDialog::Accepted)
        return;
    const tools::VideoToImagesJob &job = vid2Img_->job();
    const int kind = job.jpg ? state::kListJpg : state::kListBmp;
    port_.useToolFolder(kind, job.savePath);
    port_.showLibraryPage(kind);
    info_->setProgress(TToolInfoDlg::kVideoToImagesPage,
                       {tools::ConversionStatus::Ready, 0, 0, job.totalFiles});
    vid2ImgRun_->start(job);
    info_->showPage(TToolInfoDlg::kVideoToImagesPage);
    info_->show();
}

void AutomationController::Img2Vid_ToolClick()
{
    if (img2VidRun_->converting() || ctx_.dialogs.runDialog(*img2Vid_) != QDialog::Accepted)
        return;
    const tools::ImagesToVideoJob &job = img2Vid_->job();
    port_.useToolFolder(state::kListAvi, QFileInfo(job.outputPath).absolutePath());
    port_.showLibraryPage(state::kListAvi);
    img2VidRun_->start(job);
    info_->showPage(TToolInfoDlg::kImagesToVideoPage);
    info_->show();
}

void AutomationController::InfoStatus_ToolClick()
{
    info_->show();
    info_->raise();
    refreshStatus();
}

void AutomationController::readInputs(feature::ActionInputs &in) const
{
    in.timedCaptureRunning = timing_->schedule().running().active;
    in.vid2ImgRunning = vid2ImgRun_->running();
    in.img2VidRunning = img2VidRun_->converting();
    in.toolStatusOpen = info_->isVisible();
}

void AutomationController::languageChanged()
{
    timing_->InfoSet();
    vid2Img_->InfoSet();
    img2Vid_->InfoSet();
    info_->InfoSet();
    refreshStatus();
}

void AutomationController::listTimerTick()
{
    if (!vid2ImgDone_ && !img2VidDone_)
        return;
    vid2ImgDone_ = img2VidDone_ = false;
    port_.refreshLibraryPage(port_.libraryPage());
}

void AutomationController::closing()
{
    // The images-to-video file is closed with the frames written so far; nothing paces after.
    img2VidRun_->finishNow();
    vid2ImgRun_->abandon();
    if (timer_.isActive()) {
        timer_.stop();
        timing_->schedule().setActive(false);
        timedStills_ = timedVideo_ = false;
    }
    info_->hide();
}

} // namespace tools::ui
