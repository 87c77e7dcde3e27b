// The camera's snapshot button: KEY_CAMERA on an input node of the camera's USB device, replayed
// as kernel events through a made-up evdev node.

#include "devicewindow.h"
#include "mockdevices.h"

#include "platform/diagnosticslog.h"
#include "platform/gst/systemmediabackend.h"
#include "platform/udev/evdevstillbutton.h"
#include "platform/udev/udevdevicemonitor.h"

#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <linux/input.h>
#include <unistd.h>

using devtest::keyEvents;
using devtest::Testbed;
using devtest::V4l2Mock;

namespace {

// Waits until `button` has read every replayed event: each key event of keyEvents() comes with
// its report separator. The replay runs on its own thread, 10 ms per event.
bool readAll(const platform::EvdevStillButton &button, int keyEvents)
{
    return QTest::qWaitFor([&] { return button.eventsRead() >= 2 * keyEvents; }, 5000);
}

} // namespace

TEST(SnapshotButton, OnePressIsOneSnapshotAndAutoRepeatIsNone)
{
    Testbed bed;
    const QString usb = bed.addUsbDevice("1-1", "eb1a", "5060", "SN");
    bed.addInputNode(usb, 4);
    int presses = 0;
    platform::StillButtonAttempt attempt;
    const platform::StillButtonOpen &outcome = attempt.outcome;
    auto button = platform::openEvdevStillButton(usb, [&] { ++presses; }, attempt);
    ASSERT_TRUE(button);
    EXPECT_EQ(outcome, platform::StillButtonOpen::Opened);

    // Held long enough to repeat three times, released; then a short press.
    const std::vector<int> values{1, 2, 2, 2, 0, 1, 0};
    ASSERT_TRUE(bed.replayEvents("/dev/input/event4", keyEvents(values)));
    ASSERT_TRUE(readAll(*button, int(values.size())));
    EXPECT_EQ(presses, 2);
}

TEST(SnapshotButton, TheButtonOfAnotherUsbDeviceIsNotWatched)
{
    Testbed bed;
    const QString camera = bed.addUsbDevice("1-1", "eb1a", "5060", "SN");
    const QString webcam = bed.addUsbDevice("1-2", "046d", "0825", "W");
    bed.addInputNode(camera, 4);
    bed.addInputNode(webcam, 5);
    EXPECT_EQ(platform::inputNodesOfUsbDevice(camera), std::vector<QString>{"/dev/input/event4"});
    EXPECT_EQ(platform::inputNodesOfUsbDevice(webcam), std::vector<QString>{"/dev/input/event5"});
    EXPECT_TRUE(platform::inputNodesOfUsbDevice(QString()).empty());

    int presses = 0, webcamPresses = 0;
    platform::StillButtonAttempt attempt;
    auto button = platform::openEvdevStillButton(camera, [&] { ++presses; }, attempt);
    ASSERT_TRUE(button);
    // The webcam's own button shows when its presses have all arrived.
    auto other = platform::openEvdevStillButton(webcam, [&] { ++webcamPresses; }, attempt);
    ASSERT_TRUE(other);
    ASSERT_TRUE(bed.replayEvents("/dev/input/event5", keyEvents({1, 0, 1, 0})));
    ASSERT_TRUE(readAll(*other, 4));
    EXPECT_EQ(webcamPresses, 2);
    EXPECT_EQ(button->eventsRead(), 0);
    EXPECT_EQ(presses, 0);
}

TEST(SnapshotButton, AnUnreadableButtonIsLoggedOnceAndAMissingOneQuietly)
{
    Testbed bed;
    const QString locked = bed.addUsbDevice("1-1", "eb1a", "5060", "A");
    bed.addInputNode(locked, 4, false);   // listed by udev, but the node cannot be opened:
    // a Unix socket in its place refuses open(2) even for root, as root-only /dev/input does a user
    {
        QDir(bed.rootDir()).mkpath(QStringLiteral("dev/input"));
        const QByteArray path = (bed.rootDir() + QStringLiteral("/dev/input/event4")).toLocal8Bit();
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(std::size_t(path.size()), sizeof address.sun_path);
        std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::close(fd);
    }
    const QString bare = bed.addUsbDevice("1-2", "eb1a", "5060", "B");

    platform::StillButtonAttempt attempt;
    const platform::StillButtonOpen &outcome = attempt.outcome;
    EXPECT_FALSE(platform::openEvdevStillButton(locked, [] {}, attempt));
    EXPECT_EQ(outcome, platform::StillButtonOpen::NotReadable);
    EXPECT_FALSE(platform::openEvdevStillButton(bare, [] {}, attempt));
    EXPECT_EQ(outcome, platform::StillButtonOpen::NoInputNode);

    platform::DiagnosticsLog log;
    platform::SystemMediaBackend backend(log, nullptr);
    platform::DeviceRecord device;
    device.devnode = QStringLiteral("/dev/video0");
    device.usbSysPath = locked;
    for (int connect = 0; connect < 3; ++connect)
        EXPECT_FALSE(backend.watchStillButton(device, [] {}));
    device.usbSysPath = bare;
    EXPECT_FALSE(backend.watchStillButton(device, [] {}));
    EXPECT_EQ(log.lines().filter(QStringLiteral("Snapshot button")).size(), 1) << log.lines().join('\n').toStdString();
}

TEST(SnapshotButton, ANodeThatEndsIsWatchedNoMore)
{
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_NONBLOCK | O_CLOEXEC), 0);
    std::vector<platform::UniqueFd> fds;
    fds.emplace_back(ends[0]);
    int presses = 0;
    platform::EvdevStillButton button(std::move(fds), [&] { ++presses; });
    input_event press{};
    press.type = EV_KEY;
    press.code = KEY_CAMERA;
    press.value = 1;
    ASSERT_EQ(write(ends[1], &press, sizeof press), ssize_t(sizeof press));
    close(ends[1]);   // as an unplugged evdev node ends
    ASSERT_TRUE(QTest::qWaitFor([&] { return !button.isWatching(); }, 5000));
    EXPECT_EQ(presses, 1);
}

TEST(SnapshotButton, APressWhileStreamingTakesOneStillThroughTheListTimer)
{
    devtest::DeviceWindow w;
    V4l2Mock capture, metadata;
    V4l2Mock::makeUvcMicroscope(capture);
    V4l2Mock::makeMetadataNode(metadata);
    w.bed.addCamera("1-1", "eb1a", "5060", "SN", 0, capture, metadata, "Scope", 6);
    w.open();
    w.connect();
    ASSERT_TRUE(w.flags().VideoConnected);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.controller->camera().framesTaken() >= 1; }, 5000));

    ASSERT_TRUE(w.bed.replayEvents("/dev/input/event6", keyEvents({1, 2, 2, 0})));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.controller->camera().stillTrigger().isSet(); }, 5000));
    ASSERT_TRUE(w.backend.stillButton);
    ASSERT_TRUE(readAll(*w.backend.stillButton, 4));   // the repeats and the release as well
    w.controller->listTimerTick();
    w.controller->listTimerTick();
    ASSERT_EQ(w.stills.size(), 1u);
    EXPECT_EQ(w.stills[0].width(), 640);
    EXPECT_EQ(w.stills[0].height(), 480);
}
