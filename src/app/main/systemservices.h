#pragma once

#include "app/ui/sendraapplication.h"

#include <memory>

class QString;

namespace platform {
class DiagnosticsLog;
class MediaBackend;
class MediaFiles;
class PlaybackEngine;
class VendorChannel;
class VirtualCameraRig;
} // namespace platform

namespace app {

// The system services of one run, created by the executable and lent to SendraApplication: the
// camera stack (udev, V4L2, evdev and GStreamer), the player, the clip reader and writer, the
// vendor library of the bridge chip, and the virtual camera when SENDRA_CAM_VIRTUAL_CAMERA asks
// for one. This is the one place that knows the adapters; everything above sees the interfaces
// of platform/. Construct it before the application and destroy it after. UI thread only.
class SystemServices
{
public:
    // GStreamer must be initialised before.
    SystemServices(const QString &programDir, platform::DiagnosticsLog &log);
    ~SystemServices();
    SystemServices(const SystemServices &) = delete;
    SystemServices &operator=(const SystemServices &) = delete;

    ui::PlatformServices services();
    platform::VirtualCameraRig *virtualCamera() { return rig_.get(); }

private:
    std::unique_ptr<platform::VendorChannel> vendor_;
    std::unique_ptr<platform::VirtualCameraRig> rig_;
    std::unique_ptr<platform::MediaBackend> backend_;
    std::unique_ptr<platform::PlaybackEngine> engine_;
    std::unique_ptr<platform::MediaFiles> files_;
    platform::MonitorSize monitor_;
};

} // namespace app
