#include "automationcontroller.h"

#include "app/ui/busyguard.h"
#include "app/ui/controls.h"
#include "app/ui/mainwindow.h"
#include "app/ui/shell.h"
#include "app/updateactions.h"
#include "platform/diagnosticslog.h"
#include "platform/mediafiles.h"
#include "platform/mediapipeline.h"
#include "tools/imagestovideoconverter.h"
#include "tools/ui/img2viddialog.h"
#include "tools/ui/timingcapdialog.h"
#include "tools/ui/toolinfodialog.h"
#include "tools/ui/vid2imgdialog.h"
#include "tools/videotoimagesconverter.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

namespace app::ui {

using state::ControlId;

AutomationController::AutomationController(Shell &shell, platform::MediaBackend &media, platform::MediaFiles &files,
                                           QObject *parent)
    : QObject(parent), shell_(shell)
{
    runDialog = [](QDialog &d) { return d.exec(); };
    openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    MainWindow *window = &shell_.window();
    tools::ui::ToolDialogDeps deps;
    deps.text = [this](const QString &key) { return shell_.texts().text(key); };
    deps.showMessage = [this](const QString &prefix, const QString &textKey, const QString &captionKey, bool withCancel,
                              int icon) { return shell_.ShowMessageBox(textKey, captionKey, withCancel, icon, prefix); };
    deps.pickFolder = [window](const QString &title, const QString &start) -> std::optional<QString> {
        const QString chosen = QFileDialog::getExistingDirectory(window, title, start);
        return chosen.isEmpty() ? std::nullopt : std::optional<QString>(QDir::fromNativeSeparators(chosen));
    };
    deps.clock = &shell_.clock();
    deps.log = &shell_.log();
    deps.defListPath = shell_.paths().defListPath;

    timing_ = new tools::ui::TTimingCapDlg(deps, window);
    timing_->chooseCompressor = [this] { chooseCompressor(); };
    timing_->chooseJpegQuality = [this](int q) { chooseJpegQuality(q); };
    timing_->currentJpegQuality = [this] { return jpegQuality(); };
    timing_->schedule().log = [this](const QString &line) { shell_.log().append(line); };
    // The scale bar and the shapes can always be burnt into a still (the built-in scales
    // exist even before any calibration).
    timing_->scaleBurnInAvailable = [] { return true; };
    vid2Img_ = new tools::ui::TVid2ImgDlg(deps, window);
    vid2Img_->chooseJpegQuality = [this](int q) { chooseJpegQuality(q); };
    vid2Img_->currentJpegQuality = [this] { return jpegQuality(); };
    vid2Img_->probe = [&files](const QString &path) { return files.probeVideo(path); };
    img2Vid_ = new tools::ui::TImg2VidDlg(deps, window);
    img2Vid_->listCompressors = [&media] { return media.compressors(); };
    info_ = new tools::ui::TToolInfoDlg(deps.text, window);

    vid2ImgRun_ = new tools::VideoToImagesConverter(
        shell_.log(), [&files](const QString &path, QString *why) { return files.openFrameReader(path, why); }, this);
    img2VidRun_ = new tools::ImagesToVideoConverter(
        shell_.log(), [&files](const platform::AviWriterOptions &o) { return files.createAviWriter(o); }, this);
    connect(vid2ImgRun_, &tools::VideoToImagesConverter::progressed, this,
            [this](const tools::ConversionProgress &p) { info_->setProgress(tools::ui::TToolInfoDlg::kVideoToImagesPage, p); });
    connect(vid2ImgRun_, &tools::VideoToImagesConverter::finished, this, [this] {
        vid2ImgDone_ = true;
        shell_.MemoryTrim();
    });
    connect(img2VidRun_, &tools::ImagesToVideoConverter::progressed, this,
            [this](const tools::ConversionProgress &p) { info_->setProgress(tools::ui::TToolInfoDlg::kImagesToVideoPage, p); });
    connect(img2VidRun_, &tools::ImagesToVideoConverter::finished, this, [this] {
        img2VidDone_ = true;
        shell_.MemoryTrim();
    });

    connect(info_, &tools::ui::TToolInfoDlg::timedEnableClicked, this, &AutomationController::toggleFromStatusWindow);
    connect(info_, &tools::ui::TToolInfoDlg::timedFolderClicked, this, [this] {
        const tools::ScheduleRecord &r = timing_->schedule().running();
        openFolder(r.savePath, shell_.paths().defListPath[std::clamp(r.fileType, 0, 2)]);
    });
    connect(info_, &tools::ui::TToolInfoDlg::stopClicked, this, [this](int page) {
        if (page == tools::ui::TToolInfoDlg::kVideoToImagesPage)
            vid2ImgRun_->stop();
        else
            img2VidRun_->stop();
    });
    connect(info_, &tools::ui::TToolInfoDlg::sourceFolderClicked, this, [this](int page) {
        const state::ListPaths &def = shell_.paths().defListPath;
        if (page == tools::ui::TToolInfoDlg::kVideoToImagesPage)
            openFolder(QFileInfo(vid2ImgRun_->job().videoPath).absolutePath(), def[state::kListAvi]);
        else
            openFolder(img2VidRun_->job().folder, def[state::kListJpg]);
    });
    connect(info_, &tools::ui::TToolInfoDlg::savingFolderClicked, this, [this](int page) {
        const state::ListPaths &def = shell_.paths().defListPath;
        if (page == tools::ui::TToolInfoDlg::kVideoToImagesPage)
            openFolder(vid2ImgRun_->job().savePath, def[vid2ImgRun_->job().jpg ? state::kListJpg : state::kListBmp]);
        else
            openFolder(QFileInfo(img2VidRun_->job().outputPath).absolutePath(), def[state::kListAvi]);
    });

    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &AutomationController::TimingCapture_TimerTimer);
    Controls &c = shell_.controls();
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

void AutomationController::openFolder(const QString &folder, const QString &fallback)
{
    const QString target = !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : fallback;
    openUrl(QUrl::fromLocalFile(target));
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
    if (runDialog(*timing_) != QDialog::Accepted)
        return;
    tools::TimedSchedule &schedule = timing_->schedule();
    const int kind = std::clamp(schedule.settings().fileType, 0, 2);
    // Captures are saved into the library folder of their type, so the schedule's folder becomes it.
    shell_.state().listPathsRecord()[kind] = schedule.settings().savePath;
    showLibraryPage(kind);
    if (!shell_.state().flags().VideoConnected)
        schedule.setActive(false);
    if (schedule.running().active) {
        info_->showPage(tools::ui::TToolInfoDlg::kTimedCapturePage);
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
        if (wasVideo && recording())
            stopRecording();
        refreshStatus();
    }
    const int kind = std::clamp(schedule.running().fileType, 0, 2);
    showLibraryPage(kind);
    busy_ = false;
}

void AutomationController::TimingCapture_TimerTimer()
{
    // A message shown by a failed snapshot runs a nested loop that delivers further ticks.
    if (ticking_ || shell_.state().flags().IsClosing)
        return;
    BusyGuard guard(ticking_);
    tools::TimedSchedule &schedule = timing_->schedule();
    const bool connected = shell_.state().flags().VideoConnected;
    if (connected) {
        switch (schedule.advance()) {
        case tools::TickAction::Bmp:
        case tools::TickAction::Jpg:
            showLibraryPage(schedule.running().fileType);
            takeSnapshot();
            break;
        case tools::TickAction::Avi:
            showLibraryPage(state::kListAvi);
            toggleRecording();
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
    const bool on = !schedule.running().active && shell_.state().flags().VideoConnected;
    if (on) {
        schedule.setActive(true);
        const int kind = std::clamp(schedule.settings().fileType, 0, 2);
        shell_.state().listPathsRecord()[kind] = schedule.settings().savePath;
    }
    startStop(on);
    refreshStatus();
}

void AutomationController::Vid2Img_ToolClick()
{
    if (vid2ImgRun_->running() || runDialog(*vid2Img_) != QDialog::Accepted)
        return;
    const tools::VideoToImagesJob &job = vid2Img_->job();
    const int kind = job.jpg ? state::kListJpg : state::kListBmp;
    shell_.state().listPathsRecord()[kind] = job.savePath;
    showLibraryPage(kind);
    info_->setProgress(tools::ui::TToolInfoDlg::kVideoToImagesPage,
                       {tools::ConversionStatus::Ready, 0, 0, job.totalFiles});
    vid2ImgRun_->start(job);
    info_->showPage(tools::ui::TToolInfoDlg::kVideoToImagesPage);
    info_->show();
}

void AutomationController::Img2Vid_ToolClick()
{
    if (img2VidRun_->converting() || runDialog(*img2Vid_) != QDialog::Accepted)
        return;
    const tools::ImagesToVideoJob &job = img2Vid_->job();
    shell_.state().listPathsRecord()[state::kListAvi] = QFileInfo(job.outputPath).absolutePath();
    showLibraryPage(state::kListAvi);
    img2VidRun_->start(job);
    info_->showPage(tools::ui::TToolInfoDlg::kImagesToVideoPage);
    info_->show();
}

void AutomationController::InfoStatus_ToolClick()
{
    info_->show();
    info_->raise();
    refreshStatus();
}

void AutomationController::readInputs(ActionInputs &in) const
{
    in.timedCaptureRunning = timing_->schedule().running().active;
    in.vid2ImgRunning = vid2ImgRun_->running();
    in.img2VidRunning = img2VidRun_->converting();
    in.toolStatusOpen = info_->isVisible();
}

void AutomationController::applyRules(const ActionInputs &in, ActionState &s) const { toolRules(in, s); }

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
    refreshLibraryPage(currentLibraryPage());
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

} // namespace app::ui
