// Device discovery and hot-plug over a made-up sysfs: the real libudev enumeration and monitor,
// the QUERYCAP filter, the device table and the main window's device menu.

#include "devicewindow.h"
#include "mockdevices.h"

#include "camera/devicetable.h"
#include "platform/diagnosticslog.h"
#include "platform/udev/udevdevicemonitor.h"

#include <gtest/gtest.h>

#include <functional>

#include <linux/videodev2.h>

using devtest::Testbed;
using devtest::V4l2Mock;

namespace {

struct Drivers {
    Drivers()
    {
        V4l2Mock::makeUvcMicroscope(capture);
        V4l2Mock::makeMetadataNode(metadata);
    }
    V4l2Mock capture, metadata;
};

std::vector<platform::DeviceRecord> enumerate(platform::DiagnosticsLog &log)
{
    platform::UdevDeviceMonitor monitor(log);
    return monitor.enumerate();
}

QStringList menuCaptions(const camera::DeviceTable &table)
{
    QStringList list;
    for (const camera::DeviceMenuEntry &e : camera::deviceMenuEntries(table))
        list << e.caption;
    return list;
}

} // namespace

TEST(DeviceDiscovery, ASupportedCameraIsListedByItsCaptureNodeOnly)
{
    Testbed bed;
    Drivers d;
    const auto cam = bed.addCamera("1-1", "eb1a", "5060", "SN0042", 0, d.capture, d.metadata, "USB Microscope");
    platform::DiagnosticsLog log;
    const auto records = enumerate(log);

    ASSERT_EQ(records.size(), 1u) << "the metadata node /dev/video1 must not take a slot";
    EXPECT_EQ(records[0].devnode, "/dev/video0");
    EXPECT_EQ(records[0].devicePath, QByteArray("usb#vid_eb1a&pid_5060#sn0042#/dev/video0"));
    EXPECT_EQ(records[0].friendlyName, "USB Microscope");
    EXPECT_EQ(records[0].usbSysPath, cam.usb);

    camera::DeviceTable table;
    ASSERT_TRUE(table.SearchDevice(records));
    EXPECT_EQ(table.deviceCount(), 1);
    EXPECT_EQ(menuCaptions(table), QStringList{"USB Microscope # 0"});
    EXPECT_EQ(table.GetIndexDevice(), 0);
}

TEST(DeviceDiscovery, NamesComeFromUdevThenTheCardAndANodeRefusingTheQueryIsLeftOut)
{
    Testbed bed;
    Drivers d;
    const QString usb = bed.addUsbDevice("1-1", "eb1a", "5060");   // and no serial: the bus path stands in
    bed.addVideoNode(usb, 0, &d.capture);                           // no ID_V4L_PRODUCT
    const QString other = bed.addUsbDevice("1-2", "eb1a", "5060", "B");
    bed.addVideoNode(other, 2, nullptr);                            // ioctl() is refused

    platform::DiagnosticsLog log;
    platform::UdevDeviceMonitor monitor(log);
    const auto records = monitor.enumerate();
    ASSERT_EQ(records.size(), 1u) << "a node whose capabilities cannot be read is no camera to offer";
    EXPECT_EQ(records[0].friendlyName, "USB2.0 Microscope");
    EXPECT_EQ(records[0].devicePath, QByteArray("usb#vid_eb1a&pid_5060#1-1#/dev/video0"));
    ASSERT_EQ(monitor.lastSkipped().size(), 1u);
    EXPECT_EQ(monitor.lastSkipped()[0].devnode, "/dev/video2");
    EXPECT_EQ(monitor.lastSkipped()[0].why, platform::SkippedNode::Why::RefusesCapabilities);

    camera::DeviceTable table;
    ASSERT_TRUE(table.SearchDevice(records));
    EXPECT_EQ(menuCaptions(table), (QStringList{"USB2.0 Microscope # 0"}));
}

TEST(DeviceDiscovery, OnlyNodesThatCaptureWithAFormatAreOfferedAndTheOthersSayWhy)
{
    struct Row {
        const char *what;
        std::function<void(V4l2Mock &)> make;
        platform::SkippedNode::Why why;
        const char *reason;
    };
    const Row rows[] = {
        {"a UVC metadata node", &V4l2Mock::makeMetadataNode, platform::SkippedNode::Why::Metadata, "metadata node"},
        {"a loopback device with exclusive capabilities", [](V4l2Mock &m) { m.deviceCaps = V4L2_CAP_VIDEO_OUTPUT; },
         platform::SkippedNode::Why::OutputOnly, "output only"},
        {"a loopback device nobody feeds", &V4l2Mock::makeLoopbackOutput, platform::SkippedNode::Why::NoFormat,
         "offers no capture format"},
        // Overall capabilities alone would call this node a capture node.
        {"a node whose own capabilities lack capture", [](V4l2Mock &m) { m.deviceCaps = V4L2_CAP_STREAMING; },
         platform::SkippedNode::Why::NoCapture, "does not capture video"},
        {"a node refusing the capability query", [](V4l2Mock &m) { m.queryCapErrno = ENOTTY; },
         platform::SkippedNode::Why::RefusesCapabilities, "refuses the capability query: Inappropriate ioctl for device"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.what);
        Testbed bed;
        V4l2Mock scope, odd;
        V4l2Mock::makeUvcMicroscope(scope);
        V4l2Mock::makeUvcMicroscope(odd);
        r.make(odd);
        bed.addVideoNode(bed.addUsbDevice("1-1", "0c45", "636b", "A"), 0, &scope, "Scope");
        bed.addVideoNode(bed.addUsbDevice("1-2", "0c45", "636b", "B"), 1, &odd, "Odd");
        platform::DiagnosticsLog log;
        platform::UdevDeviceMonitor monitor(log);
        const auto records = monitor.enumerate();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].devnode, "/dev/video0");
        EXPECT_EQ(records[0].pixelFormats, (std::vector<std::uint32_t>{V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_MJPEG}));
        ASSERT_EQ(monitor.lastSkipped().size(), 1u);
        EXPECT_EQ(monitor.lastSkipped()[0].devnode, "/dev/video1");
        EXPECT_EQ(monitor.lastSkipped()[0].why, r.why);
        EXPECT_EQ(platform::skippedReasonText(monitor.lastSkipped()[0]), r.reason);
        EXPECT_TRUE(log.lines().isEmpty()) << "only a node the user may not open is worth a log line";
    }
}

TEST(DeviceDiscovery, TwoCamerasTakeSlotsInNodeOrderAndTheSecondIsSelected)
{
    Testbed bed;
    Drivers a, b;
    // udev lists "1-1" first, but its node is /dev/video10: slots follow the node numbers,
    // numerically, so the same cameras always get the same slots.
    bed.addCamera("1-1", "eb1a", "5060", "TWO", 10, a.capture, a.metadata, "Scope B");
    bed.addCamera("1-2", "eb1a", "5060", "ONE", 2, b.capture, b.metadata, "Scope A");
    platform::DiagnosticsLog log;
    const auto records = enumerate(log);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].devnode, "/dev/video2");
    EXPECT_EQ(records[1].devnode, "/dev/video10");

    camera::DeviceTable table;
    ASSERT_TRUE(table.SearchDevice(records));
    EXPECT_EQ(menuCaptions(table), (QStringList{"Scope A # 0", "Scope B # 1"}));
    EXPECT_EQ(table.GetIndexDevice(), 1) << "the last match is selected";
    EXPECT_EQ(table.record(1).devnode, "/dev/video10");
}

TEST(DeviceDiscovery, OnlySupportedIdsAreListedWhateverTheirCase)
{
    struct Case {
        const char *vid, *pid;
        bool listed;
    };
    const Case cases[] = {
        {"046d", "0825", false},   // an ordinary UVC webcam
        {"eb1a", "2861", false},   // the bridge vendor, another product
        {"0000", "5060", false},   // the product id alone
        {"EB1A", "5060", true},    // sysfs in upper case
        {"eb1a", "5060", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.vid) + ":" + c.pid);
        Testbed bed;
        Drivers d;
        bed.addCamera("1-1", c.vid, c.pid, "SN", 0, d.capture, d.metadata, "Camera");
        platform::DiagnosticsLog log;
        const auto records = enumerate(log);
        ASSERT_EQ(records.size(), 1u) << "every capture node takes a slot";
        camera::DeviceTable table;
        EXPECT_EQ(table.SearchDevice(records), c.listed);
        EXPECT_EQ(menuCaptions(table).size(), c.listed ? 1 : 0);
    }
}

TEST(DeviceDiscovery, ExtraIdsFromTheEnvironmentListAnotherCamera)
{
    qputenv("SENDRA_CAM_EXTRA_IDS", "046d:0825");
    devtest::DeviceWindow w;
    Drivers ours, webcam;
    w.bed.addCamera("1-1", "046d", "0825", "W", 0, webcam.capture, webcam.metadata, "Webcam");
    w.bed.addCamera("1-2", "eb1a", "5060", "S", 2, ours.capture, ours.metadata, "Scope");
    w.open();
    qunsetenv("SENDRA_CAM_EXTRA_IDS");
    EXPECT_TRUE(w.flags().DeviceFound);
    EXPECT_EQ(w.captions(), (QStringList{"Webcam # 0", "Scope # 1"}));
    EXPECT_EQ(w.checkedPosition(), 1);
    EXPECT_TRUE(w.menu()->isEnabled());
}

TEST(DeviceDiscovery, MoreThanSixteenNodesFillSixteenSlots)
{
    Testbed bed;
    std::vector<std::unique_ptr<V4l2Mock>> drivers;
    for (int i = 0; i < 18; ++i) {
        drivers.push_back(std::make_unique<V4l2Mock>());
        V4l2Mock::makeUvcMicroscope(*drivers.back());
        const QString usb = bed.addUsbDevice(QStringLiteral("1-%1").arg(i + 1), "eb1a", "5060", QString::number(i));
        bed.addVideoNode(usb, i, drivers.back().get(), QStringLiteral("Scope"));
    }
    platform::DiagnosticsLog log;
    camera::DeviceTable table;
    ASSERT_TRUE(table.SearchDevice(enumerate(log)));
    EXPECT_EQ(table.deviceCount(), 16);
    EXPECT_EQ(menuCaptions(table).size(), 16);
    EXPECT_EQ(table.record(15).devnode, "/dev/video15");
}

// ---- hot-plug ---------------------------------------------------------------------------------

TEST(DeviceHotPlug, PluggingInListsTheCameraOncePerBurst)
{
    devtest::DeviceWindow w;
    w.open();
    EXPECT_FALSE(w.flags().DeviceFound);
    EXPECT_FALSE(w.menu()->isEnabled());
    EXPECT_EQ(w.statusText(), w.text("DeviceNotToFound_Lab"));

    Drivers d;
    const auto cam = w.bed.addCamera("1-1", "eb1a", "5060", "SN", 0, d.capture, d.metadata, "Scope", 7);
    // A camera brings its USB device, interface, two video nodes and an input node at once.
    for (const QString &p : {cam.usb, cam.capture, cam.metadata, cam.input})
        w.bed.uevent(p, "add");
    ASSERT_TRUE(w.waitChanges(1));
    EXPECT_EQ(w.backend.monitor.changes, 1);
    EXPECT_TRUE(w.flags().DeviceFound);
    EXPECT_EQ(w.captions(), QStringList{"Scope # 0"});
    EXPECT_EQ(w.checkedPosition(), 0);
    EXPECT_TRUE(w.menu()->isEnabled());
    EXPECT_EQ(w.statusText(), w.text("DeviceToFound_Lab"));
}

TEST(DeviceHotPlug, ACableWiggleIsOneChangeAndKeepsTheCamera)
{
    devtest::DeviceWindow w;
    Drivers d;
    auto cam = w.bed.addCamera("1-1", "eb1a", "5060", "SN", 0, d.capture, d.metadata, "Scope");
    w.open();
    ASSERT_TRUE(w.flags().DeviceFound);
    const int searches = w.backend.monitor.enumerations;

    // Out and back in at once; the monitor reads the removal before the new nodes come. The camera
    // comes back under new names (a testbed cannot give a removed device's or node's name out again).
    auto *udev = dynamic_cast<platform::UdevDeviceMonitor *>(&w.backend.system.deviceMonitor());
    ASSERT_TRUE(udev);
    w.bed.unplug({cam.metadata, cam.capture, cam.usb});
    ASSERT_TRUE(QTest::qWaitFor([&] { return udev->changePending(); }, 5000)) << "the removal was read";
    Drivers again;
    cam = w.bed.addCamera("1-2", "eb1a", "5060", "SN", 2, again.capture, again.metadata, "Scope");
    for (const QString &p : {cam.usb, cam.capture, cam.metadata})
        w.bed.uevent(p, "add");
    ASSERT_TRUE(w.waitChanges(1));
    EXPECT_EQ(w.backend.monitor.changes, 1) << "remove and add of one wiggle are one device change";
    EXPECT_EQ(w.backend.monitor.enumerations, searches + 1);
    EXPECT_TRUE(w.flags().DeviceFound);
    EXPECT_EQ(w.captions(), QStringList{"Scope # 0"});
    EXPECT_TRUE(w.presenter.texts.isEmpty());
}

TEST(DeviceHotPlug, PullingOutTheStreamingCameraDisconnectsOnce)
{
    devtest::DeviceWindow w;
    Drivers d;
    const auto cam = w.bed.addCamera("1-1", "eb1a", "5060", "SN", 0, d.capture, d.metadata, "Scope", 3);
    w.open();
    w.connect();
    ASSERT_TRUE(w.flags().VideoConnected) << w.log.lines().join('\n').toStdString();
    EXPECT_EQ(w.backend.streams.lastDevnode, "/dev/video0");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.controller->camera().framesTaken() >= 2; }, 5000));

    // The source notices first (v4l2src's read fails), then udev reports the nodes gone.
    ASSERT_TRUE(w.backend.streams.pullOut);
    w.backend.streams.pullOut();
    w.bed.unplug({cam.input, cam.metadata, cam.capture, cam.usb});
    ASSERT_TRUE(w.waitChanges(1));

    EXPECT_EQ(w.backend.monitor.changes, 1);
    EXPECT_FALSE(w.flags().VideoConnected);
    EXPECT_FALSE(w.flags().DeviceFound);
    EXPECT_FALSE(w.controller->camera().isConnected());
    EXPECT_EQ(w.backend.streams.starts, 1);
    EXPECT_EQ(w.backend.streams.stops, 1);
    EXPECT_TRUE(w.menu()->actions().isEmpty());
    EXPECT_FALSE(w.menu()->isEnabled());
    EXPECT_EQ(w.statusText(), w.text("DeviceNotToFound_Lab"));
    EXPECT_EQ(w.connectHint(), w.text("Connect_Btn"));
    EXPECT_TRUE(w.shell->controls().widget(state::ControlId::CoverPanel)->isVisibleTo(&w.shell->window()));
    EXPECT_TRUE(w.presenter.texts.isEmpty()) << "an unplugged camera is an event, not an error: "
                                             << w.presenter.texts.join('|').toStdString();
}

TEST(DeviceHotPlug, UdevAloneEndsAStreamThatDidNotNotice)
{
    devtest::DeviceWindow w;
    Drivers d;
    const auto cam = w.bed.addCamera("1-1", "eb1a", "5060", "SN", 0, d.capture, d.metadata, "Scope");
    w.open();
    w.connect();
    ASSERT_TRUE(w.flags().VideoConnected);

    w.bed.unplug({cam.metadata, cam.capture, cam.usb});
    ASSERT_TRUE(w.waitChanges(1));
    EXPECT_EQ(w.backend.monitor.changes, 1);
    EXPECT_FALSE(w.flags().VideoConnected);
    EXPECT_FALSE(w.flags().DeviceFound);
    EXPECT_EQ(w.backend.streams.stops, 1);
    EXPECT_TRUE(w.menu()->actions().isEmpty());
}

TEST(DeviceHotPlug, ASecondCameraArrivingWhileConnectedDisconnectsBeforeTheMenuChanges)
{
    devtest::DeviceWindow w;
    Drivers a, b;
    w.bed.addCamera("1-1", "eb1a", "5060", "A", 0, a.capture, a.metadata, "Scope");
    w.open();
    w.connect();
    ASSERT_TRUE(w.flags().VideoConnected);

    const auto second = w.bed.addCamera("1-2", "eb1a", "5060", "B", 2, b.capture, b.metadata, "Scope");
    for (const QString &p : {second.usb, second.capture, second.metadata})
        w.bed.uevent(p, "add");
    ASSERT_TRUE(w.waitChanges(1));
    EXPECT_FALSE(w.flags().VideoConnected);
    EXPECT_TRUE(w.flags().DeviceFound);
    EXPECT_EQ(w.captions(), (QStringList{"Scope # 0", "Scope # 1"}));
    EXPECT_EQ(w.checkedPosition(), 1);
    EXPECT_EQ(w.controller->camera().GetIndexDevice(), 1);
}
