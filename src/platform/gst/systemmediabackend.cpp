#include "systemmediabackend.h"

#include "platform/gst/gstcompressors.h"

#include "platform/diagnosticslog.h"
#include "platform/gst/gstcapturepipeline.h"
#include "platform/gst/virtualcamera.h"
#include "platform/udev/evdevstillbutton.h"
#include "platform/udev/udevdevicemonitor.h"
#include "platform/v4l2/v4l2device.h"

#include <QObject>

namespace platform {

SystemMediaBackend::SystemMediaBackend(DiagnosticsLog &log, VirtualCameraRig *rig) : log_(log), rig_(rig)
{
    std::function<std::vector<DeviceRecord>()> extra;
    if (rig_)
        extra = [rig] { return rig->devices(); };
    monitor_ = std::make_unique<UdevDeviceMonitor>(log_, std::move(extra));
    if (rig_)
        QObject::connect(rig_, &VirtualCameraRig::devicesChanged, monitor_.get(), &UdevDeviceMonitor::notifyChanged);
}

SystemMediaBackend::~SystemMediaBackend() = default;

DeviceMonitor &SystemMediaBackend::deviceMonitor() { return *monitor_; }

std::unique_ptr<MediaPipeline> SystemMediaBackend::createPipeline()
{
    return std::make_unique<GstCapturePipeline>(log_, rig_);
}

std::vector<PixelFormatInfo> SystemMediaBackend::formats(const DeviceRecord &device)
{
    if (VirtualCameraRig::isVirtual(device))
        return rig_ ? rig_->formats(device) : std::vector<PixelFormatInfo>{};
    std::error_code error;
    auto list = v4l2::enumerateFormats(device.devnode, error);
    if (error)
        log_.append(QStringLiteral("V4L2 %1: formats not readable: %2").arg(device.devnode, QString::fromStdString(error.message())));
    return list;
}

std::unique_ptr<ControlDevice> SystemMediaBackend::openControls(const DeviceRecord &device)
{
    if (VirtualCameraRig::isVirtual(device))
        return rig_ ? rig_->openControls(device) : nullptr;
    std::error_code error;
    auto controls = v4l2::openControlDevice(device.devnode, error);
    if (!controls)
        log_.append(QStringLiteral("V4L2 %1: controls not reachable: %2").arg(device.devnode, QString::fromStdString(error.message())));
    return controls;
}

std::unique_ptr<StillButton> SystemMediaBackend::watchStillButton(const DeviceRecord &device, std::function<void()> pressed)
{
    if (VirtualCameraRig::isVirtual(device))
        return rig_ ? rig_->watchStillButton(device, std::move(pressed)) : nullptr;
    StillButtonAttempt attempt;
    auto button = openEvdevStillButton(device.usbSysPath, std::move(pressed), attempt);
    // Once per run: every connect would otherwise repeat it.
    if (attempt.outcome == StillButtonOpen::NotReadable && !stillUnreadableLogged_) {
        stillUnreadableLogged_ = true;
        log_.append(stillButtonAccessHint(attempt, device.devicePath));
    }
    return button;
}

std::vector<CompressorInfo> SystemMediaBackend::compressors() { return listVideoCompressors(); }

std::vector<EncoderProperty> SystemMediaBackend::compressorProperties(const QString &factory)
{
    return encoderProperties(factory);
}

} // namespace platform
