#include "capturenodes.h"

#include "platform/udev/udevptr.h"
#include "platform/v4l2/v4l2device.h"

#include <algorithm>
#include <utility>

namespace platform {
namespace {

QString text(const char *s) { return s ? QString::fromUtf8(s) : QString(); }

int nodeNumber(const QString &devnode)
{
    qsizetype i = devnode.size();
    while (i > 0 && devnode[i - 1].isDigit())
        --i;
    return devnode.mid(i).toInt();
}

// The node's identity from its USB parent, or from the node itself when it is not on USB.
// `dev` is borrowed; so is the parent it hands out.
void fillIdentity(udev_device *dev, const QString &devnode, DeviceRecord &r)
{
    if (udev_device *usb = udev_device_get_parent_with_subsystem_devtype(dev, "usb", "usb_device")) {
        r.onUsb = true;
        r.vendorId = std::uint16_t(text(udev_device_get_sysattr_value(usb, "idVendor")).toUInt(nullptr, 16));
        r.productId = std::uint16_t(text(udev_device_get_sysattr_value(usb, "idProduct")).toUInt(nullptr, 16));
        r.serial = text(udev_device_get_sysattr_value(usb, "serial")).trimmed();
        r.port = text(udev_device_get_sysname(usb));
        r.builtIn = text(udev_device_get_sysattr_value(usb, "removable")) == QLatin1String("fixed");
        r.usbSysPath = text(udev_device_get_syspath(usb));
        r.devicePath = makeDevicePath(r.vendorId, r.productId, r.serial.isEmpty() ? r.port : r.serial.toLower(), devnode);
        return;
    }
    r.port = text(udev_device_get_property_value(dev, "ID_PATH"));
    if (r.port.isEmpty())
        r.port = text(udev_device_get_sysname(dev));
    r.devicePath = QByteArray("platform#") + udev_device_get_sysname(dev) + '#' + devnode.toUtf8();
}

} // namespace

CaptureNodes enumerateCaptureNodes(udev *context)
{
    CaptureNodes result;
    if (!context)
        return result;
    std::vector<std::pair<int, DeviceRecord>> found;
    UdevEnumeratePtr e{udev_enumerate_new(context)};
    udev_enumerate_add_match_subsystem(e.get(), "video4linux");
    udev_enumerate_scan_devices(e.get());
    for (udev_list_entry *item = udev_enumerate_get_list_entry(e.get()); item; item = udev_list_entry_get_next(item)) {
        UdevDevicePtr dev{udev_device_new_from_syspath(context, udev_list_entry_get_name(item))};
        if (!dev || !udev_device_get_devnode(dev.get()))
            continue;
        const QString devnode = text(udev_device_get_devnode(dev.get()));
        std::error_code error;
        const std::optional<v4l2::NodeProbe> probe = v4l2::probeNode(devnode, error);
        SkippedNode skip{devnode, SkippedNode::Why::Unknown, {}};
        if (!probe) {
            // A node that vanished between the scan and the open was unplugged: not worth a word.
            if (error == std::errc::no_such_file_or_directory || error == std::errc::no_such_device)
                continue;
            skip.why = error == std::errc::inappropriate_io_control_operation || error == std::errc::invalid_argument
                           ? SkippedNode::Why::RefusesCapabilities
                           : SkippedNode::Why::CannotOpen;
            skip.detail = QString::fromStdString(error.message());
        } else if (!probe->videoCapture) {
            skip.why = probe->metadata     ? SkippedNode::Why::Metadata
                       : probe->videoOutput ? SkippedNode::Why::OutputOnly
                                            : SkippedNode::Why::NoCapture;
        } else if (probe->captureFormats.empty()) {
            skip.why = SkippedNode::Why::NoFormat;
            if (probe->formatQueryRefused)
                skip.detail = QStringLiteral("the format query was refused");
        }
        if (skip.why != SkippedNode::Why::Unknown) {
            result.skipped.push_back(std::move(skip));
            continue;
        }
        DeviceRecord r;
        r.devnode = devnode;
        fillIdentity(dev.get(), devnode, r);
        r.friendlyName = text(udev_device_get_property_value(dev.get(), "ID_V4L_PRODUCT"));
        if (r.friendlyName.isEmpty())
            r.friendlyName = probe->card;
        r.pixelFormats = probe->captureFormats;
        found.emplace_back(nodeNumber(devnode), std::move(r));
    }
    std::stable_sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (auto &f : found)
        result.records.push_back(std::move(f.second));
    std::stable_sort(result.skipped.begin(), result.skipped.end(),
                     [](const SkippedNode &a, const SkippedNode &b) { return nodeNumber(a.devnode) < nodeNumber(b.devnode); });
    return result;
}

QString skippedReasonText(const SkippedNode &node)
{
    switch (node.why) {
    case SkippedNode::Why::CannotOpen: return QStringLiteral("cannot be opened: ") + node.detail;
    case SkippedNode::Why::RefusesCapabilities: return QStringLiteral("refuses the capability query: ") + node.detail;
    case SkippedNode::Why::Metadata: return QStringLiteral("metadata node");
    case SkippedNode::Why::OutputOnly: return QStringLiteral("output only");
    case SkippedNode::Why::NoCapture: return QStringLiteral("does not capture video");
    case SkippedNode::Why::NoFormat:
        return node.detail.isEmpty() ? QStringLiteral("offers no capture format") : QStringLiteral("offers no capture format: ") + node.detail;
    default: return QStringLiteral("left out");
    }
}

} // namespace platform
