// The snapshot button's input device: presses read from a real descriptor, and what the log says
// when the device is there but cannot be opened.
#include "platform/udev/evdevstillbutton.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using platform::StillButtonAttempt;
using platform::StillButtonOpen;

// A node that exists but refuses open(2) even for root: a Unix socket (ENXIO), as a stand-in for an
// input device the user has no permission on.
QString refusingNode(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("event7"));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = path.toLocal8Bit();
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ::close(fd);
    return path;
}

TEST(EvdevStillButtonTest, PressOnAnOpenedNodeTakesAStill)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("event3"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    int presses = 0;
    StillButtonAttempt attempt;
    // A vanished node beside the live one does not spoil the open.
    auto button = platform::openEvdevStillButtonNodes({dir.filePath(QStringLiteral("gone")), fifo}, [&presses] { ++presses; },
                                                 attempt);
    ASSERT_TRUE(button);
    EXPECT_EQ(attempt.outcome, StillButtonOpen::Opened);
    EXPECT_TRUE(attempt.refusedNode.isEmpty());

    const int writer = ::open(fifo.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    // Press, release and an unrelated key: one still.
    input_event events[3]{};
    events[0].type = EV_KEY, events[0].code = KEY_CAMERA, events[0].value = 1;
    events[1].type = EV_KEY, events[1].code = KEY_CAMERA, events[1].value = 0;
    events[2].type = EV_KEY, events[2].code = KEY_A, events[2].value = 1;
    ASSERT_EQ(::write(writer, events, sizeof events), ssize_t(sizeof events));
    EXPECT_TRUE(QTest::qWaitFor([&] { return presses > 0; }, 10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(presses, 1);
    ::close(writer);
}

TEST(EvdevStillButtonTest, RefusedNodeIsNamedWithTheRuleThatFixesIt)
{
    QTemporaryDir dir;
    const QString node = refusingNode(dir);
    StillButtonAttempt attempt;
    EXPECT_FALSE(platform::openEvdevStillButtonNodes({node}, [] {}, attempt));
    EXPECT_EQ(attempt.outcome, StillButtonOpen::NotReadable);
    EXPECT_EQ(attempt.refusedNode, node);

    const QString builtIn = platform::stillButtonAccessHint(attempt, "usb#vid_eb1a&pid_5060#1-2#/dev/video0");
    EXPECT_TRUE(builtIn.startsWith(QStringLiteral("Snapshot button input device %1 cannot be opened (").arg(node)))
        << builtIn.toStdString();
    EXPECT_TRUE(builtIn.contains(QLatin1String("/usr/lib/udev/rules.d/70-sendra-cam.rules")));

    // A camera added with SENDRA_CAM_EXTRA_IDS needs its own line, spelled out with its ids.
    const QString extra = platform::stillButtonAccessHint(attempt, "usb#vid_046d&pid_0825#1-3#/dev/video2");
    EXPECT_TRUE(extra.contains(QLatin1String(
        R"(SUBSYSTEM=="input", KERNEL=="event*", ATTRS{idVendor}=="046d", ATTRS{idProduct}=="0825", TAG+="uaccess")")))
        << extra.toStdString();
    EXPECT_TRUE(extra.contains(QLatin1String("/etc/udev/rules.d/70-sendra-cam-local.rules")));
}

TEST(EvdevStillButtonTest, NoNodeOrOnlyVanishedNodesIsNoPermissionProblem)
{
    QTemporaryDir dir;
    StillButtonAttempt attempt;
    EXPECT_FALSE(platform::openEvdevStillButtonNodes(std::vector<QString>{}, [] {}, attempt));
    EXPECT_EQ(attempt.outcome, StillButtonOpen::NoInputNode);
    EXPECT_FALSE(platform::openEvdevStillButtonNodes({dir.filePath(QStringLiteral("event9"))}, [] {}, attempt));
    EXPECT_EQ(attempt.outcome, StillButtonOpen::NoInputNode);
    EXPECT_TRUE(attempt.refusedNode.isEmpty());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
