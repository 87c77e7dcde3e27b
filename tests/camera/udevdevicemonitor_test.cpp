#include "platform/diagnosticslog.h"
#include "platform/udev/udevdevicemonitor.h"

#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

TEST(DevicePathText, CarriesLowerCaseIdsSerialAndNode)
{
    EXPECT_EQ(platform::makeDevicePath(0xEB1A, 0x5060, QStringLiteral("sn01"), QStringLiteral("/dev/video0")),
              QByteArray("usb#vid_eb1a&pid_5060#sn01#/dev/video0"));
}

TEST(UdevDeviceMonitor, ListsExtraDevicesAfterRealOnesAndCoalescesNotices)
{
    platform::DiagnosticsLog log;
    platform::UdevDeviceMonitor monitor(log, [] {
        return std::vector<platform::DeviceRecord>{{"usb#vid_eb1a&pid_5060#vcam0#virtual", "V", "virtual:0", {}}};
    });
    const auto records = monitor.enumerate();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().devnode, "virtual:0");
    for (const auto &r : records) {   // real nodes on this machine, if any, end their path with the node
        if (r.devnode.startsWith(QLatin1String("/dev/"))) {
            EXPECT_TRUE(r.devicePath.endsWith(r.devnode.toUtf8()) || r.devicePath.isEmpty());
        }
    }

    int calls = 0;
    QEventLoop loop;
    monitor.setNodesChangedHandler([&] {
        ++calls;
        loop.quit();
    });
    monitor.notifyChanged();
    monitor.notifyChanged();
    monitor.notifyChanged();
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(calls, 1);
}
