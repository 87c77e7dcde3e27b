#include "udevdevicemonitor.h"

#include "platform/diagnosticslog.h"
#include "platform/udev/udevptr.h"

#include <QSocketNotifier>
#include <QTimer>


namespace platform {

struct UdevDeviceMonitor::Udev {
    UdevPtr context;
    UdevMonitorPtr monitor;
};

namespace {

QString text(const char *s) { return s ? QString::fromUtf8(s) : QString(); }

} // namespace

UdevDeviceMonitor::UdevDeviceMonitor(DiagnosticsLog &log, std::function<std::vector<DeviceRecord>()> extraDevices,
                                     QObject *parent)
    : QObject(parent), udev_(std::make_unique<Udev>()), log_(log), extra_(std::move(extraDevices))
{
    coalesce_ = new QTimer(this);
    coalesce_->setSingleShot(true);
    coalesce_->setInterval(kCoalesceMs);
    connect(coalesce_, &QTimer::timeout, this, [this] {
        if (handler_)
            handler_();
    });

    udev_->context.reset(udev_new());
    if (!udev_->context) {
        log_.append(QStringLiteral("udev: no context, devices are not listed"));
        return;
    }
    udev_->monitor.reset(udev_monitor_new_from_netlink(udev_->context.get(), "udev"));
    if (!udev_->monitor) {
        log_.append(QStringLiteral("udev: no monitor, hot-plug is not noticed"));
        return;
    }
    udev_monitor_filter_add_match_subsystem_devtype(udev_->monitor.get(), "video4linux", nullptr);
    udev_monitor_filter_add_match_subsystem_devtype(udev_->monitor.get(), "input", nullptr);
    if (udev_monitor_enable_receiving(udev_->monitor.get()) < 0) {
        log_.append(QStringLiteral("udev: monitor refused, hot-plug is not noticed"));
        udev_->monitor.reset();
        return;
    }
    notifier_ = new QSocketNotifier(udev_monitor_get_fd(udev_->monitor.get()), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &UdevDeviceMonitor::drainMonitor);
}

UdevDeviceMonitor::~UdevDeviceMonitor() = default;

void UdevDeviceMonitor::notifyChanged() { coalesce_->start(); }

bool UdevDeviceMonitor::changePending() const { return coalesce_->isActive(); }

void UdevDeviceMonitor::drainMonitor()
{
    // UI thread. Every pending uevent is read so the notifier does not fire again for it.
    while (UdevDevicePtr dev{udev_monitor_receive_device(udev_->monitor.get())})
        ;
    coalesce_->start();
}

std::vector<DeviceRecord> UdevDeviceMonitor::enumerate()
{
    CaptureNodes nodes = enumerateCaptureNodes(udev_->context.get());
    // A node the user may not open is the usual reason for "no camera": say so once per node.
    for (const SkippedNode &skip : nodes.skipped)
        if (skip.why == SkippedNode::Why::CannotOpen && loggedUnopenable_.insert(skip.devnode).second)
            log_.append(QStringLiteral("udev: %1 %2").arg(skip.devnode, skippedReasonText(skip)));
    skipped_ = std::move(nodes.skipped);
    std::vector<DeviceRecord> records = std::move(nodes.records);
    if (extra_)
        for (DeviceRecord &r : extra_())
            records.push_back(std::move(r));
    return records;
}

std::vector<QString> inputNodesOfUsbDevice(const QString &usbSysPath)
{
    std::vector<QString> nodes;
    UdevPtr context{udev_new()};
    if (!context || usbSysPath.isEmpty())
        return nodes;
    UdevEnumeratePtr e{udev_enumerate_new(context.get())};
    udev_enumerate_add_match_subsystem(e.get(), "input");
    udev_enumerate_scan_devices(e.get());
    for (udev_list_entry *item = udev_enumerate_get_list_entry(e.get()); item; item = udev_list_entry_get_next(item)) {
        UdevDevicePtr dev{udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(item))};
        const char *node = dev ? udev_device_get_devnode(dev.get()) : nullptr;
        if (!node || !QString::fromUtf8(node).contains(QLatin1String("/event")))
            continue;
        udev_device *usb = udev_device_get_parent_with_subsystem_devtype(dev.get(), "usb", "usb_device");
        if (usb && text(udev_device_get_syspath(usb)) == usbSysPath)
            nodes.push_back(QString::fromUtf8(node));
    }
    return nodes;
}

} // namespace platform
