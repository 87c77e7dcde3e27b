#pragma once

#include "platform/devicerecord.h"
#include "platform/udev/capturenodes.h"

#include <QObject>

#include <functional>
#include <memory>
#include <set>
#include <vector>

class QSocketNotifier;
class QTimer;

namespace platform {

class DiagnosticsLog;

// Video capture nodes from libudev, with the identity of their USB parent, and hot-plug through
// a udev monitor on `video4linux` and `input` watched on the UI thread. A burst of uevents
// (a camera brings several nodes) becomes one "nodes changed" call.
class UdevDeviceMonitor final : public QObject, public DeviceMonitor
{
    Q_OBJECT
public:
    // `extraDevices` are listed after the real ones (the virtual camera).
    UdevDeviceMonitor(DiagnosticsLog &log, std::function<std::vector<DeviceRecord>()> extraDevices = {},
                      QObject *parent = nullptr);
    ~UdevDeviceMonitor() override;

    // The capture nodes (see enumerateCaptureNodes), then the extra devices.
    std::vector<DeviceRecord> enumerate() override;
    // The nodes the last enumerate() left out, with the reason.
    const std::vector<SkippedNode> &lastSkipped() const { return skipped_; }
    void setNodesChangedHandler(std::function<void()> handler) override { handler_ = std::move(handler); }

    // Something other than udev changed the device list: take the same coalesced path.
    void notifyChanged();
    // A burst is being gathered: uevents were read and "nodes changed" follows once the burst
    // has been quiet for kCoalesceMs.
    bool changePending() const;

    static constexpr int kCoalesceMs = 250;

private:
    void drainMonitor();

    struct Udev;
    std::unique_ptr<Udev> udev_;
    DiagnosticsLog &log_;
    std::function<std::vector<DeviceRecord>()> extra_;
    std::function<void()> handler_;
    QSocketNotifier *notifier_ = nullptr;
    QTimer *coalesce_ = nullptr;
    std::vector<SkippedNode> skipped_;
    std::set<QString> loggedUnopenable_;
};

// The input node(s) of the same USB device whose KEY_CAMERA is the camera's snapshot button.
// Returns the /dev/input/event* paths.
std::vector<QString> inputNodesOfUsbDevice(const QString &usbSysPath);

} // namespace platform
