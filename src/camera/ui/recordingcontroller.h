#pragma once

#include "feature/feature.h"
#include "feature/ui/featurecontext.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QTimer;

namespace camera {
class TVideoCameraDS;
}

namespace library {
class CaptureCounter;
}

namespace camera::ui {

class TCompressorFilterDlg;

// What the recording needs from its peers; the composition root answers. UI thread.
class RecordingPort
{
public:
    // A timed video capture runs: the file is named without asking.
    virtual bool timedVideoRunning() const = 0;
    // A recording started or ended in `path`: the library marks it new and shows its AVI page.
    virtual void showNewVideo(const QString &path) = 0;

protected:
    ~RecordingPort() = default;
};

// The main window's recording side: the record button and the V key (start and stop), the
// "Video Compress" menu item with the compressor dialog, and the end of a recording when the
// camera is disconnected, unplugged, or the program closes. The only writer of VideoRecording.
// UI thread.
class RecordingController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    // AVI names take the next number of `counter`, the library's capture counter.
    RecordingController(feature::ui::FeatureContext context, RecordingPort &port, TVideoCameraDS &camera,
                        library::CaptureCounter &counter, QObject *parent = nullptr);
    ~RecordingController() override;

    // Starts a recording under the next "Avi_" name, or stops the running one.
    void RecordVideo_BtnClick();
    // The compressor dialog; unless cancelled its choice becomes the camera's compressor index.
    void VideoCompressClick();
    // Ends a running recording (button, disconnect, unplug, closing).
    void stopRecording();

    // The close sequence (and SIGTERM) must leave a finished file behind.
    void closing() override { stopRecording(); }
    void languageChanged() override;

    // The file last recorded (the save dialog's file name).
    const QString &lastRecordedFile() const { return lastRecorded_; }
    // While recording, the status line says so with the running time and the file's size; it is
    // refreshed twice a second.
    void refreshStatus();
    static constexpr int kStatusIntervalMs = 500;

private:
    bool startRecording();
    void showStopped();
    void onRecordingEnded();
    // The compressor's settings dialog before a recording the user started by hand.
    void configureCompressor();
    void applyCompressorTexts();
    // The folder of a recording as the messages name it: in quotes, before the text.
    static QString folderOf(const QString &path);

    feature::ui::FeatureContext ctx_;
    RecordingPort &port_;
    TVideoCameraDS &camera_;
    library::CaptureCounter &counter_;
    TCompressorFilterDlg *compressorDialog_ = nullptr;
    QString lastRecorded_;
    QTimer *statusTimer_ = nullptr;
    QElapsedTimer running_;
    bool busy_ = false;
};

} // namespace camera::ui
