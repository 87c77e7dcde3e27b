#include "app/main/systemservices.h"

#include "platform/diagnosticslog.h"
#include "platform/gst/gstmediafiles.h"
#include "platform/gst/gstplaybackengine.h"
#include "platform/gst/systemmediabackend.h"
#include "platform/gst/virtualcamera.h"
#include "platform/vendor/dlvendorchannel.h"

#include <QString>

namespace app {

SystemServices::SystemServices(const QString &programDir, platform::DiagnosticsLog &log)
{
    auto vendor = std::make_unique<platform::DlVendorChannel>(platform::DlVendorChannel::defaultLibraryPath(programDir));
    if (!vendor->loaded())
        log.append(QStringLiteral("Bridge library not loaded: ") + vendor->loadError());
    vendor_ = std::move(vendor);
    if (const auto options = platform::VirtualCameraOptions::fromEnvironment()) {
        rig_ = std::make_unique<platform::VirtualCameraRig>(*options, log);
        // A test outside the process presses the snapshot button or pulls the cable through it.
        if (const QString fifo = qEnvironmentVariable("SENDRA_CAM_VIRTUAL_CONTROL"); !fifo.isEmpty())
            rig_->listenOnFifo(fifo);
    }
    backend_ = std::make_unique<platform::SystemMediaBackend>(log, rig_.get());
    engine_ = std::make_unique<platform::GstPlaybackEngine>();
    files_ = std::make_unique<platform::GstMediaFiles>(log);
    // Once per run, as the monitor description is read once.
    monitor_ = platform::EnumMonitorDevices();
}

SystemServices::~SystemServices() = default;

ui::PlatformServices SystemServices::services()
{
    return {*backend_, *engine_, *files_, *vendor_, rig_.get(), monitor_};
}

} // namespace app
