#pragma once

#include "app/ui/feature.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QDialog;

namespace camera {
class TVideoCameraDS;
namespace ui {
class TCompressorFilterDlg;
}
} // namespace camera

namespace library {
struct SaveDialogRequest;
}

namespace app::ui {

class CameraController;
class Shell;
class StillImageController;

// The main window's recording side: the record button and the V key (start and stop), the
// "Video Compress" menu item with the compressor dialog, and the end of a recording when the
// camera is disconnected, unplugged, or the program closes. The only writer of VideoRecording.
// UI thread.
class RecordingController final : public QObject, public Feature
{
    Q_OBJECT
public:
    RecordingController(Shell &shell, CameraController &camera, StillImageController &still, QObject *parent = nullptr);
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

    // Outside-world hooks; tests replace them.
    // Timed video capture running (the timed-capture tool answers once it exists).
    std::function<bool()> timedVideoRunning = [] { return false; };
    // The video save dialog; nullopt when cancelled. Default: the library's dialog.
    std::function<std::optional<QString>(const library::SaveDialogRequest &)> saveDialog;
    // Runs a modal dialog and returns its result. Default: exec().
    std::function<int(QDialog &)> runDialog;

private:
    bool startRecording();
    void showStopped();
    void onRecordingEnded();
    // The compressor's settings dialog before a recording the user started by hand.
    void configureCompressor();
    void applyCompressorTexts();

    Shell &shell_;
    StillImageController &still_;
    // The camera side may go first when the window deletes its children.
    QPointer<CameraController> cameraSide_;
    camera::TVideoCameraDS &camera_;
    camera::ui::TCompressorFilterDlg *compressorDialog_ = nullptr;
    QString lastRecorded_;
    bool busy_ = false;
};

} // namespace app::ui
