#pragma once

#include "feature/feature.h"
#include "feature/ui/featurecontext.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace platform {
class MediaBackend;
class MediaFiles;
} // namespace platform

namespace tools {
class ImagesToVideoConverter;
class VideoToImagesConverter;
} // namespace tools

namespace tools::ui {

class TImg2VidDlg;
class TTimingCapDlg;
class TToolInfoDlg;
class TVid2ImgDlg;

// What the automation tools need from their peers; the composition root answers. UI thread.
class AutomationPort
{
public:
    // The camera and the recording, as the capture button and the record button work them.
    virtual void takeSnapshot() = 0;
    virtual void toggleRecording() = 0;
    virtual void stopRecording() = 0;
    virtual void chooseCompressor() = 0;
    // The library: a page shown (and refreshed), refreshed, a tool's output folder put in use for a
    // kind for the rest of the run (the folders the user chose stay the ones stored), and the page
    // shown now.
    virtual void showLibraryPage(int kind) = 0;
    virtual void refreshLibraryPage(int kind) = 0;
    virtual void useToolFolder(int kind, const QString &folder) = 0;
    virtual int libraryPage() const = 0;
    // The JPEG quality of the snapshots, and choosing one as the menu does.
    virtual int jpegQuality() const = 0;
    virtual void chooseJpegQuality(int quality) = 0;

protected:
    ~AutomationPort() = default;
};

// The Tools menu's automation: timed capture with its one-second timer, video to images,
// images to video, and the tool status window. Conversions are paced on the UI thread and do
// their decoding and encoding on worker threads. The close sequence finishes a running
// images-to-video file and stops every pacing. UI thread.
class AutomationController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    // `media` lists the compressors; `files` probes, reads and writes the clips. Both outlive this.
    AutomationController(feature::ui::FeatureContext context, AutomationPort &port, platform::MediaBackend &media,
                         platform::MediaFiles &files, QObject *parent = nullptr);
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

    TTimingCapDlg &timingDialog() const { return *timing_; }
    TVid2ImgDlg &vid2ImgDialog() const { return *vid2Img_; }
    TImg2VidDlg &img2VidDialog() const { return *img2Vid_; }
    TToolInfoDlg &infoDialog() const { return *info_; }
    tools::VideoToImagesConverter &vid2ImgConverter() const { return *vid2ImgRun_; }
    tools::ImagesToVideoConverter &img2VidConverter() const { return *img2VidRun_; }
    QTimer &timer() { return timer_; }

    void readInputs(feature::ActionInputs &in) const override;
    void languageChanged() override;
    void listTimerTick() override;
    void closing() override;

private:
    void startStop(bool on);
    void toggleFromStatusWindow();
    void refreshStatus();
    void openFolder(const QString &folder, const QString &fallback);
    // DiskFull_MsgBox naming the folder a conversion could not write to.
    void reportDiskFull(const QString &folder);

    feature::ui::FeatureContext ctx_;
    AutomationPort &port_;
    TTimingCapDlg *timing_ = nullptr;
    TVid2ImgDlg *vid2Img_ = nullptr;
    TImg2VidDlg *img2Vid_ = nullptr;
    TToolInfoDlg *info_ = nullptr;
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

} // namespace tools::ui
