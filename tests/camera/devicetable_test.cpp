#include "camera/devicetable.h"

#include <gtest/gtest.h>

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
