#pragma once

#include "platform/mediapipeline.h"

#include <memory>

namespace platform {

class DiagnosticsLog;
class UdevDeviceMonitor;
class VirtualCameraRig;

// The media stack of the running program: udev discovery, V4L2 formats and controls, evdev
// snapshot buttons and GStreamer pipelines, with the virtual camera (when given) listed after
// the real cameras and served through the same interfaces.
class SystemMediaBackend final : public MediaBackend
{
public:
    SystemMediaBackend(DiagnosticsLog &log, VirtualCameraRig *rig);
    ~SystemMediaBackend() override;

    DeviceMonitor &deviceMonitor() override;
    std::unique_ptr<MediaPipeline> createPipeline() override;
    std::vector<PixelFormatInfo> formats(const DeviceRecord &device) override;
    std::unique_ptr<ControlDevice> openControls(const DeviceRecord &device) override;
    std::unique_ptr<StillButton> watchStillButton(const DeviceRecord &device, std::function<void()> pressed) override;
    std::vector<CompressorInfo> compressors() override;
    std::vector<EncoderProperty> compressorProperties(const QString &factory) override;

private:
    DiagnosticsLog &log_;
    VirtualCameraRig *rig_;
    std::unique_ptr<UdevDeviceMonitor> monitor_;
    bool stillUnreadableLogged_ = false;
};

} // namespace platform
