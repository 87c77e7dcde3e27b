#include "app/main/cameralisting.h"

#include "camera/devicetable.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/virtualcamera.h"
#include "platform/udev/udevdevicemonitor.h"
#include "state/cameramemory.h"
#include "state/usersettings.h"

#include <QStringList>

#include <memory>

namespace app {
namespace {

QString formatsText(const std::vector<platform::FourCC> &codes)
{
    QStringList names;
    for (platform::FourCC c : codes)
        names << platform::fourccText(c);
    return names.join(u',');
}

} // namespace

CameraListing listCameras()
{
    CameraListing listing;
    platform::DiagnosticsLog log;
    std::unique_ptr<platform::VirtualCameraRig> rig;
    if (const auto options = platform::VirtualCameraOptions::fromEnvironment())
        rig = std::make_unique<platform::VirtualCameraRig>(*options, log);
    std::function<std::vector<platform::DeviceRecord>()> extra;
    if (rig)
        extra = [&rig] { return rig->devices(); };
    platform::UdevDeviceMonitor udev(log, std::move(extra));
    const std::vector<platform::DeviceRecord> records = udev.enumerate();

    camera::DeviceTable table;
    if (const QString problem = camera::addExtraIdsFromEnvironment(table); !problem.isEmpty())
        listing.errors += problem + u'\n';
    const state::UserPaths paths = state::UserPaths::fromProfileDir(state::UserPaths::profileDirFromEnvironment());
    state::CameraMemory memory(paths.cameraMemoryFile());
    for (const QString &problem : memory.load())
        listing.errors += problem + u'\n';
    table.setShowAllCameras(memory.showAllCameras());
    table.setPreferredCamera(memory.lastCamera());
    table.SearchDevice(records);

    for (const camera::DeviceMenuEntry &e : camera::deviceMenuEntries(table)) {
        const platform::DeviceRecord &r = table.record(e.slot);
        const camera::CameraIdentity &id = table.identity(e.slot);
        std::vector<platform::FourCC> formats = r.pixelFormats;
        if (formats.empty() && rig && platform::VirtualCameraRig::isVirtual(r))
            for (const platform::PixelFormatInfo &f : rig->formats(r))
                formats.push_back(f.code);
        listing.output += QStringList{e.caption,
                                      r.devnode,
                                      camera::vendorProductText(id),
                                      id.serial.isEmpty() ? QStringLiteral("port=") + id.port : QStringLiteral("serial=") + id.serial,
                                      table.slotIsSupported(e.slot) ? QStringLiteral("supported=yes") : QStringLiteral("supported=no"),
                                      QStringLiteral("formats=") + formatsText(formats)}
                              .join(u'\t') +
                          u'\n';
    }
    for (const platform::SkippedNode &skip : udev.lastSkipped())
            listing.errors += QStringLiteral("%1: not offered: %2\n").arg(skip.devnode, platform::skippedReasonText(skip));
    return listing;
}

} // namespace app
