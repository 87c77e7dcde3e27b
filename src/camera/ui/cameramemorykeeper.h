#pragma once

#include "state/cameramemory.h"

#include <QObject>

#include <optional>

class QAction;

namespace platform {
class DiagnosticsLog;
}

namespace camera {
class TVideoCameraDS;
}

namespace camera::ui {

class VideoControlToolBar;

// Remembers each camera's format, picture controls and orientation, and gives them back when the
// camera is connected again (after a reconnect or a replug); runs the "Show all cameras" switch.
//
// The memory of the camera being opened or open is state::CameraMemory::current(), reached
// through memory(): that is where a feature that remembers more per camera finds its record.
//
// A connect: cameraOpening makes the opened camera current and keeps a copy of its record; the
// format preference answers from that copy; once the tool bar has put the controls to their
// defaults, the copy's orientation (the default orientation for a camera seen first) and control
// values are restored. Every value the camera takes afterwards updates the record. The camera has
// one orientation: one chosen while no camera runs (in the player) is kept by the next connect
// instead of the remembered one, and becomes that camera's. The file is written at each connect,
// disconnect (an unplug too) and change of the switch. UI thread only.
class CameraMemoryKeeper final : public QObject
{
    Q_OBJECT
public:
    // `showAllCameras` is the Settings menu's check item. The file is read here (problems go to
    // the log) and the device table set up from it, so construct this before the first search.
    CameraMemoryKeeper(const QString &file, camera::TVideoCameraDS &camera, VideoControlToolBar &toolBar,
                       QAction *showAllCameras, platform::DiagnosticsLog &log, QObject *parent = nullptr);
    ~CameraMemoryKeeper() override;

    state::CameraMemory &memory() { return memory_; }

Q_SIGNALS:
    // The switch changed: the camera side searches for devices again.
    void searchRequested();

private:
    void onCameraOpening();
    void onFormatStarted(const platform::CaptureFormat &format);
    void onConnectedChanged(bool connected);
    void restore();
    void setShowAllCameras(bool on);
    void save();

    state::CameraMemory memory_;
    camera::TVideoCameraDS &camera_;
    VideoControlToolBar &toolBar_;
    platform::DiagnosticsLog &log_;
    // The opened camera's record as it was before this connect touched it.
    state::CameraRecord remembered_;
    bool restorePending_ = false;
    // From cameraOpening to the end of that connect: the pipeline re-applies the flip in force,
    // which is not a choice of the user's.
    bool opening_ = false;
    // The orientation chosen while no camera was connected, for the next connect.
    std::optional<int> carriedFlip_;
};

} // namespace camera::ui
