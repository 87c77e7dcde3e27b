#pragma once

#include "app/ui/feature.h"

#include <QObject>
#include <QTimer>

#include <functional>

class QDialog;
class QUrl;

namespace platform {
class MediaBackend;
class MediaFiles;
} // namespace platform

namespace tools {
class ImagesToVideoConverter;
class VideoToImagesConverter;
namespace ui {
class TImg2VidDlg;
class TTimingCapDlg;
class TToolInfoDlg;
class TVid2ImgDlg;
} // namespace ui
} // namespace tools

namespace app::ui {

class Shell;

// The Tools menu's automation: timed capture with its one-second timer, video to images,
// images to video, and the tool status window. Conversions are paced on the UI thread and do
// their decoding and encoding on worker threads. The close sequence finishes a running
// images-to-video file and stops every pacing. UI thread.
class AutomationController final : public QObject, public Feature
{
    Q_OBJECT
public:
    // `media` lists the compressors; `files` probes, reads and writes the clips. Both outlive this.
    AutomationController(Shell &shell, platform::MediaBackend &media, platform::MediaFiles &files,
                         QObject *parent = nullptr);
    ~AutomationController() override;

    void TimingCapture_ToolClick();
    void TimingCapture_TimerTimer();
    void Vid2Img_ToolClick();
    void Img2Vid_ToolClick();
    void InfoStatus_ToolClick();

    // Read by the still saving and the recording: files are stored without asking.
    bool timedStillsRunning() const { return timedStills_; }
    bool timedVideoRunning() const { return timedVideo_; }
    // The running timed capture of stills burns the scale into each picture.
    bool timedStillsWithScale() const;

    tools::ui::TTimingCapDlg &timingDialog() const { return *timing_; }
    tools::ui::TVid2ImgDlg &vid2ImgDialog() const { return *vid2Img_; }
    tools::ui::TImg2VidDlg &img2VidDialog() const { return *img2Vid_; }
    tools::ui::TToolInfoDlg &infoDialog() const { return *info_; }
    tools::VideoToImagesConverter &vid2ImgConverter() const { return *vid2ImgRun_; }
    tools::ImagesToVideoConverter &img2VidConverter() const { return *img2VidRun_; }
    QTimer &timer() { return timer_; }

    // What other features answer; each does nothing until set.
    std::function<void()> takeSnapshot = [] {};
    std::function<void()> toggleRecording = [] {};
    std::function<void()> stopRecording = [] {};
    std::function<bool()> recording = [] { return false; };
    std::function<void()> chooseCompressor = [] {};
    std::function<void(int kind)> showLibraryPage = [](int) {};
    std::function<void(int kind)> refreshLibraryPage = [](int) {};
    std::function<int()> currentLibraryPage = [] { return 0; };
    std::function<int()> jpegQuality = [] { return 90; };
    std::function<void(int quality)> chooseJpegQuality = [](int) {};
    // Opens a folder in the desktop's file manager. Default: QDesktopServices.
    std::function<bool(const QUrl &)> openUrl;
    // Runs a tool dialog modally. Default: exec(); tests answer instead.
    std::function<int(QDialog &)> runDialog;

    void readInputs(ActionInputs &in) const override;
    void applyRules(const ActionInputs &in, ActionState &s) const override;
    void languageChanged() override;
    void listTimerTick() override;
    void closing() override;

private:
    void startStop(bool on);
    void toggleFromStatusWindow();
    void refreshStatus();
    void openFolder(const QString &folder, const QString &fallback);

    Shell &shell_;
    tools::ui::TTimingCapDlg *timing_ = nullptr;
    tools::ui::TVid2ImgDlg *vid2Img_ = nullptr;
    tools::ui::TImg2VidDlg *img2Vid_ = nullptr;
    tools::ui::TToolInfoDlg *info_ = nullptr;
    tools::VideoToImagesConverter *vid2ImgRun_ = nullptr;
    tools::ImagesToVideoConverter *img2VidRun_ = nullptr;
    QTimer timer_;
    bool timedStills_ = false;
    bool timedVideo_ = false;
    bool busy_ = false;
    bool ticking_ = false;
    bool vid2ImgDone_ = false;
    bool img2VidDone_ = false;
};

} // namespace app::ui
