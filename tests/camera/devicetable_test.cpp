#include "camera/devicetable.h"

#include <gtest/gtest.h>

#include <algorithm>

using camera::DeviceTable;
using platform::DeviceRecord;

namespace {

DeviceRecord device(const char *path, const char *name = "", const char *node = "/dev/video0")
{
    return DeviceRecord{QByteArray(path), QString::fromUtf8(name), QString::fromUtf8(node), {}};
}

} // namespace

TEST(DeviceTable, StartsWithTheOneSupportedPair)
{
    DeviceTable t;
    ASSERT_EQ(t.pairCount(), 1);
    EXPECT_EQ(t.pair(0).vendorText, "vid_eb1a");
    EXPECT_EQ(t.pair(0).productText, "pid_5060");
    // Overwriting a stored pair does not change the count.
    t.SetPidVidToString(0, 0x046D, 0x0825);
    EXPECT_EQ(t.pair(0).vendorText, "vid_046d");
    EXPECT_EQ(t.pairCount(), 1);
}

TEST(DeviceTable, TwoCamerasAreListedAndTheLastIsSelected)
{
    DeviceTable t;
    ASSERT_TRUE(t.SearchDevice({device("usb#vid_eb1a&pid_5060#a#/dev/video0", "Cam"),
                                device("usb#vid_eb1a&pid_5060#b#/dev/video2", "Cam", "/dev/video2")}));
    EXPECT_EQ(t.GetIndexDevice(), 1);
    EXPECT_TRUE(t.GetHasDevice());
    const auto menu = camera::deviceMenuEntries(t);
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_EQ(menu[0].caption, "Cam # 0");
    EXPECT_EQ(menu[1].caption, "Cam # 1");
    EXPECT_EQ(menu[1].slot, 1);
    EXPECT_EQ(menu[1].position, 1);
    EXPECT_EQ(t.record(1).devnode, "/dev/video2");
}

TEST(DeviceTable, MatchingNeedsBothIdsAndIgnoresCase)
{
    struct Row {
        const char *path;
        bool listed;
    };
    const Row rows[] = {
        {"usb#vid_eb1a&pid_9999#x#/dev/video0", false},   // vendor without product
        {"usb#vid_1234&pid_5060#x#/dev/video0", false},   // product without vendor
        {"USB#VID_EB1A&PID_5060#X#/DEV/VIDEO0", true},    // upper case
        {"", false},                                      // unreadable identity
    };
    for (const Row &r : rows) {
        DeviceTable t;
        EXPECT_EQ(t.SearchDevice({device(r.path)}), r.listed) << r.path;
        EXPECT_EQ(t.slotIsSupported(0), r.listed) << r.path;
    }
}

TEST(DeviceTable, UnsupportedDevicesKeepTheirSlotButStayOffTheMenu)
{
    DeviceTable t;
    ASSERT_TRUE(t.SearchDevice({device("usb#vid_046d&pid_0825#s#/dev/video0", "Webcam"),
                                device("usb#vid_eb1a&pid_5060#s#/dev/video2")}));
    EXPECT_EQ(t.deviceCount(), 2);
    const auto menu = camera::deviceMenuEntries(t);
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_EQ(menu[0].caption, "USB Video Device # 1");   // no name reported
    EXPECT_EQ(menu[0].position, 0);
}

TEST(DeviceTable, EmptyEnumerationClearsEverything)
{
    DeviceTable t;
    ASSERT_TRUE(t.SearchDevice({device("usb#vid_eb1a&pid_5060#s#/dev/video0")}));
    EXPECT_FALSE(t.SearchDevice({}));
    EXPECT_EQ(t.deviceCount(), 0);
    EXPECT_FALSE(t.GetHasDevice());
    EXPECT_TRUE(camera::deviceMenuEntries(t).empty());
}

TEST(DeviceTable, StopsFillingAtSixteenSlots)
{
    std::vector<DeviceRecord> many;
    for (int i = 0; i < 20; ++i)
        many.push_back(device("usb#vid_eb1a&pid_5060#s#/dev/video"));
    DeviceTable t;
    ASSERT_TRUE(t.SearchDevice(many));
    EXPECT_EQ(t.deviceCount(), 16);
    EXPECT_EQ(t.GetIndexDevice(), 15);
}

TEST(DeviceTable, ExtraPairsFromAListAreAppendedUpToSixteen)
{
    DeviceTable t;
    EXPECT_EQ(t.addPairsFromList(QStringLiteral("046d:0825, 0C45:6366,bad,12345:1,:")), 2);
    ASSERT_EQ(t.pairCount(), 3);
    EXPECT_EQ(t.pair(2).vendorText, "vid_0c45");
    EXPECT_EQ(t.pair(2).productId, 0x6366);
    EXPECT_TRUE(t.SearchDevice({device("usb#vid_046d&pid_0825#s#/dev/video0")}));
    for (int i = 0; i < 20; ++i)
        t.SetVidPid(QStringLiteral("vid_0001"), QStringLiteral("pid_0001"));
    EXPECT_EQ(t.pairCount(), 16);
}

TEST(DeviceTable, HasDeviceFollowsTheLastPairButTheSearchAnyPair)
{
    DeviceTable t;
    t.SetVidPid(QStringLiteral("vid_046d"), QStringLiteral("pid_0825"));
    // Only the first pair matches: the search succeeds, the flag reflects the last matching.
    EXPECT_TRUE(t.SearchDevice({device("usb#vid_eb1a&pid_5060#s#/dev/video0")}));
    EXPECT_FALSE(t.GetHasDevice());
}

// ---- every camera offered -------------------------------------------------------------------------

namespace {

// A USB camera as the udev search reports it.
DeviceRecord usbCamera(const char *node, std::uint16_t vid, std::uint16_t pid, const char *name, const char *serial,
                       const char *port, bool builtIn = false)
{
    DeviceRecord r;
    r.devnode = QString::fromUtf8(node);
    r.friendlyName = QString::fromUtf8(name);
    r.onUsb = true;
    r.vendorId = vid;
    r.productId = pid;
    r.serial = QString::fromUtf8(serial);
    r.port = QString::fromUtf8(port);
    r.builtIn = builtIn;
    r.devicePath = platform::makeDevicePath(vid, pid, r.serial.isEmpty() ? r.port : r.serial.toLower(), r.devnode);
    return r;
}

std::vector<QString> captions(const DeviceTable &t)
{
    std::vector<QString> list;
    for (const auto &e : camera::deviceMenuEntries(t))
        list.push_back(e.caption);
    return list;
}

const std::vector<DeviceRecord> kDesk{
    usbCamera("/dev/video0", 0x04f2, 0xb6dd, "Integrated Camera", "", "1-6", true),
    usbCamera("/dev/video2", 0x0c45, 0x636b, "USB Microscope", "MS-A1", "1-1"),
    usbCamera("/dev/video4", 0x0c45, 0x636b, "USB Microscope", "MS-B2", "1-2"),
    usbCamera("/dev/video6", 0x0c45, 0x636b, "USB Microscope", "", "1-3.4"),
    usbCamera("/dev/video8", 0xeb1a, 0x5060, "USB2.0 Microscope", "SN0042", "2-1"),
};

} // namespace

TEST(DeviceTableAllCameras, TheKnownBridgeLeadsThenEveryCameraInNodeOrderNamedApart)
{
    DeviceTable t;
    t.setShowAllCameras(true);
    ASSERT_TRUE(t.SearchDevice(kDesk));
    EXPECT_EQ(captions(t), (std::vector<QString>{"USB2.0 Microscope (SN0042) # 0", "Integrated Camera (USB 1-6) # 1",
                                                 "USB Microscope (MS-A1) # 2", "USB Microscope (MS-B2) # 3",
                                                 "USB Microscope (USB 1-3.4) # 4"}));
    EXPECT_TRUE(t.slotIsSupported(0));
    for (int slot = 1; slot < 5; ++slot) {
        EXPECT_TRUE(t.slotIsListed(slot)) << slot;
        EXPECT_FALSE(t.slotIsSupported(slot)) << slot;
    }
    EXPECT_EQ(t.record(0).devnode, "/dev/video8");
    EXPECT_EQ(t.offeredSlot(), 0) << "the supported camera, not the laptop's webcam";
    EXPECT_EQ(t.GetIndexDevice(), 0);
    EXPECT_TRUE(t.GetHasDevice());
}

TEST(DeviceTableAllCameras, SupportedOnlyIsTheClassicTableWithPlainNames)
{
    DeviceTable t;   // the default
    ASSERT_TRUE(t.SearchDevice(kDesk));
    EXPECT_EQ(captions(t), std::vector<QString>{"USB2.0 Microscope # 4"});
    EXPECT_FALSE(t.slotIsListed(1));
    EXPECT_EQ(t.offeredSlot(), 4);
    // SENDRA_CAM_EXTRA_IDS marks more ids as supported, in both ways of offering.
    t.addPairsFromList(QStringLiteral("0c45:636b"));
    ASSERT_TRUE(t.SearchDevice(kDesk));
    EXPECT_EQ(captions(t), (std::vector<QString>{"USB Microscope # 1", "USB Microscope # 2", "USB Microscope # 3",
                                                 "USB2.0 Microscope # 4"}));
    t.setShowAllCameras(true);
    ASSERT_TRUE(t.SearchDevice(kDesk));
    EXPECT_EQ(captions(t).back(), "Integrated Camera (USB 1-6) # 4");
    EXPECT_EQ(t.offeredSlot(), 3) << "the last supported camera";
}

TEST(DeviceTableAllCameras, TheSelectionIsTheCameraUsedLastThenSupportedThenNotBuiltIn)
{
    struct Row {
        const char *what;
        std::vector<DeviceRecord> devices;
        QString preferred;
        QString expectNode;
    };
    const std::vector<DeviceRecord> noBridge(kDesk.begin(), kDesk.end() - 1);
    const Row rows[] = {
        {"used last and present", kDesk, "0c45:636b:MS-B2", "/dev/video4"},
        {"used last, gone: the supported one", kDesk, "0c45:636b:GONE", "/dev/video8"},
        {"no bridge: the first not built in", noBridge, "", "/dev/video2"},
        {"only the webcam", {kDesk[0]}, "", "/dev/video0"},
        {"a serial-less camera remembered by its port", noBridge, "0c45:636b@1-3.4", "/dev/video6"},
    };
    for (const Row &r : rows) {
        DeviceTable t;
        t.setShowAllCameras(true);
        t.setPreferredCamera(r.preferred);
        ASSERT_TRUE(t.SearchDevice(r.devices)) << r.what;
        EXPECT_EQ(t.record(t.offeredSlot()).devnode, r.expectNode) << r.what;
        const auto menu = camera::deviceMenuEntries(t);
        EXPECT_EQ(std::count_if(menu.begin(), menu.end(), [](const auto &e) { return e.selected; }), 1) << r.what;
    }
}

TEST(CameraIdentity, KeysAndNamesTellIdenticalCamerasApart)
{
    struct Row {
        DeviceRecord record;
        const char *key, *name, *ids;
    };
    DeviceRecord loopback;
    loopback.devnode = "/dev/video20";
    loopback.friendlyName = "Dummy video device (0x0000)";
    loopback.port = "video20";
    DeviceRecord virtualCamera{platform::makeDevicePath(0xeb1a, 0x5060, "vcam1", "virtual"), "Virtual USB Camera", "virtual:1", {}};
    const Row rows[] = {
        {kDesk[1], "0c45:636b:MS-A1", "USB Microscope (MS-A1)", "0c45:636b"},
        {kDesk[3], "0c45:636b@1-3.4", "USB Microscope (USB 1-3.4)", "0c45:636b"},
        // A serial with spaces and brackets still names a settings section.
        {usbCamera("/dev/video0", 0x1234, 0xabcd, "", "A B]=1", "3-1"), "1234:abcd:A%20B%5D%3D1",
         "USB Video Device (A B]=1)", "1234:abcd"},
        {loopback, "v4l2@video20", "Dummy video device (0x0000) (video20)", "-"},
        {virtualCamera, "eb1a:5060:vcam1", "Virtual USB Camera (vcam1)", "eb1a:5060"},
    };
    for (const Row &r : rows) {
        const camera::CameraIdentity id = camera::identityOf(r.record);
        EXPECT_EQ(id.key, r.key);
        EXPECT_EQ(id.name, r.name);
        EXPECT_EQ(camera::vendorProductText(id), r.ids);
    }
}

TEST(CameraIdentity, ASerialSharedByTwoCamerasOfOneModelFallsBackToThePort)
{
    const std::vector<DeviceRecord> batch{usbCamera("/dev/video0", 0x0c45, 0x636b, "Scope", "20200101", "1-1"),
                                          usbCamera("/dev/video2", 0x0c45, 0x636b, "Scope", "20200101", "1-2"),
                                          usbCamera("/dev/video4", 0x046d, 0x0825, "Webcam", "20200101", "1-3")};
    const auto ids = camera::identitiesOf(batch);
    ASSERT_EQ(ids.size(), 3u);
    EXPECT_EQ(ids[0].key, "0c45:636b@1-1");
    EXPECT_EQ(ids[1].name, "Scope (USB 1-2)");
    EXPECT_EQ(ids[2].key, "046d:0825:20200101") << "another model may share the text";
    // Alone, the camera keeps its serial.
    EXPECT_EQ(camera::identitiesOf({batch[0]})[0].key, "0c45:636b:20200101");
}
