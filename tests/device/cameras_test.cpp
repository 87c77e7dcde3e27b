// Every capture camera offered, and each one remembered: a desk with a laptop webcam (and its
// metadata node), two identical microscopes told apart by their serials, one without a serial, a
// loopback device nobody feeds and the known bridge, all through the real libudev, open() and
// ioctl() calls answered by a umockdev testbed.

#include "desk.h"
#include "devicewindow.h"
#include "mockdevices.h"

#include "app/main/cameralisting.h"
#include "app/main/systemservices.h"
#include "app/ui/sendraapplication.h"
#include "camera/ui/videocontroltoolbar.h"
#include "camera/ui/videoformatdialog.h"
#include "platform/clock.h"

#include <QAction>
#include <QProcess>
#include <QSlider>
#include <QToolButton>

#include <gtest/gtest.h>

#include <linux/videodev2.h>

using devtest::Camera;
using devtest::Desk;
using devtest::Testbed;
using devtest::V4l2Mock;
namespace cid = platform::cid;

namespace {

const QStringList kDeskMenu{"USB2.0 Microscope (SN0042) # 0", "Integrated Camera (USB 1-6) # 1",
                            "USB Microscope (MS-A1) # 2", "USB Microscope (MS-B2) # 3", "USB Microscope (USB 1-3.4) # 4"};

const QString kDeskListing = QStringLiteral(
    "USB2.0 Microscope (SN0042) # 0\t/dev/video8\teb1a:5060\tserial=SN0042\tsupported=yes\tformats=YUYV,MJPG\n"
    "Integrated Camera (USB 1-6) # 1\t/dev/video0\t04f2:b6dd\tport=1-6\tsupported=no\tformats=YUYV,MJPG\n"
    "USB Microscope (MS-A1) # 2\t/dev/video2\t0c45:636b\tserial=MS-A1\tsupported=no\tformats=YUYV,MJPG\n"
    "USB Microscope (MS-B2) # 3\t/dev/video4\t0c45:636b\tserial=MS-B2\tsupported=no\tformats=YUYV,MJPG\n"
    "USB Microscope (USB 1-3.4) # 4\t/dev/video6\t0c45:636b\tport=1-3.4\tsupported=no\tformats=YUYV,MJPG\n");

const QString kDeskLeftOut = QStringLiteral(
    "/dev/video1: not offered: metadata node\n/dev/video3: not offered: metadata node\n"
    "/dev/video5: not offered: metadata node\n/dev/video7: not offered: metadata node\n"
    "/dev/video9: not offered: metadata node\n/dev/video10: not offered: offers no capture format\n");

// `sendra-cam --list-cameras` as a user starts it, with no display at all. The child inherits
// libumockdev-preload and the testbed's folder, so it sees the same made-up hardware.
struct ProgramRun {
    int exitCode = -1;
    QString out, err;
};
ProgramRun listCamerasProgram()
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(SENDRA_PROGRAM), {QStringLiteral("--list-cameras")});
    ProgramRun run;
    if (!p.waitForFinished(30000))
        return run;
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(p.readAllStandardError());
    return run;
}

devtest::DeviceWindow *openRemembering(devtest::DeviceWindow &w)
{
    w.rememberCameras = true;
    w.open();
    return &w;
}

QAction *item(devtest::DeviceWindow &w, const QString &caption)
{
    for (QAction *a : w.menu()->actions())
        if (a->text() == caption)
            return a;
    return nullptr;
}

// Chooses a camera in the device menu, which connects it; true once it streams.
bool choose(devtest::DeviceWindow &w, const QString &caption)
{
    QAction *a = item(w, caption);
    if (!a)
        return false;
    a->trigger();
    return w.flags().VideoConnected &&
           QTest::qWaitFor([&] { return w.controller->camera().framesTaken() >= 1; }, 5000);
}

void chooseFormat(devtest::DeviceWindow &w, platform::CaptureFormat format)
{
    // The user picks the entry in the real format dialog and presses OK.
    w.dialogs.other = [format](QDialog &d) {
        auto *dialog = qobject_cast<camera::ui::VideoFormatDialog *>(&d);
        return dialog && dialog->select(format) ? int(QDialog::Accepted) : int(QDialog::Rejected);
    };
    w.controller->VideoFormatClick();
    w.dialogs.other = nullptr;
}

QString camerasFile(const devtest::DeviceWindow &w)
{
    QFile f(w.paths.cameraMemoryFile());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

TEST(EveryCamera, TheDeskIsOfferedBridgeFirstNamedApartWithoutMetadataOrLoopbackNodes)
{
    devtest::DeviceWindow w;
    Desk desk(w.bed);
    openRemembering(w);
    EXPECT_TRUE(w.flags().DeviceFound);
    EXPECT_EQ(w.captions(), kDeskMenu);
    EXPECT_EQ(w.checkedPosition(), 0) << "the known bridge, not the laptop's webcam";
    EXPECT_EQ(w.controller->camera().GetIndexDevice(), 0);
    EXPECT_TRUE(w.shell->controls().action(state::ControlId::ShowAllCameras)->isChecked());
    for (int slot = 0; slot < 5; ++slot)
        for (const char *node : {"/dev/video1", "/dev/video3", "/dev/video5", "/dev/video7", "/dev/video9", "/dev/video10"})
            EXPECT_NE(w.controller->camera().deviceTable().record(slot).devnode, node);
    EXPECT_FALSE(desk.loopback.saw(VIDIOC_S_FMT));

    // The same list, in the same order, on the command line; and what was left out, and why.
    const app::CameraListing listing = app::listCameras();
    EXPECT_EQ(listing.output, kDeskListing);
    EXPECT_EQ(listing.errors, kDeskLeftOut);
}

TEST(EveryCamera, SupportedOnlyFallsBackToTheBridgeAloneAndIsRemembered)
{
    devtest::DeviceWindow w;
    Desk desk(w.bed);
    openRemembering(w);
    QAction *showAll = w.shell->controls().action(state::ControlId::ShowAllCameras);
    showAll->setChecked(false);
    EXPECT_EQ(w.captions(), QStringList{"USB2.0 Microscope # 4"}) << "the classic slot: fifth of the five nodes";
    EXPECT_EQ(w.checkedPosition(), 0);
    state::CameraMemory stored(w.paths.cameraMemoryFile());
    EXPECT_TRUE(stored.load().isEmpty());
    EXPECT_FALSE(stored.showAllCameras());
    EXPECT_TRUE(app::listCameras().output.startsWith("USB2.0 Microscope # 4\t/dev/video8\t"));
    showAll->setChecked(true);
    EXPECT_EQ(w.captions(), kDeskMenu);
}

TEST(EveryCamera, ExtraIdsStillMarkCamerasAsSupported)
{
    qputenv("SENDRA_CAM_EXTRA_IDS", "0c45:636b");
    devtest::DeviceWindow w;
    Desk desk(w.bed);
    openRemembering(w);
    const QString listing = app::listCameras().output;
    qunsetenv("SENDRA_CAM_EXTRA_IDS");
    EXPECT_EQ(w.captions(),
              (QStringList{"USB Microscope (MS-A1) # 0", "USB Microscope (MS-B2) # 1", "USB Microscope (USB 1-3.4) # 2",
                           "USB2.0 Microscope (SN0042) # 3", "Integrated Camera (USB 1-6) # 4"}));
    EXPECT_EQ(w.checkedPosition(), 3) << "the last supported camera";
    EXPECT_TRUE(listing.contains("USB Microscope (MS-A1) # 0\t/dev/video2\t0c45:636b\tserial=MS-A1\tsupported=yes\t"))
        << listing.toStdString();
}

TEST(EveryCamera, AReplugOfTheSecondMicroscopeRestoresItsOwnFormatAndControls)
{
    devtest::DeviceWindow w;
    Desk desk(w.bed);
    openRemembering(w);
    camera::ui::VideoControlToolBar &bar = *w.controller->controlToolBar();

    // Microscope A: MJPG 1600 x 900, brightness -20, turned by 180 degrees.
    ASSERT_TRUE(choose(w, "USB Microscope (MS-A1) # 2")) << w.log.lines().join('\n').toStdString();
    EXPECT_EQ(w.backend.streams.lastFormat, (platform::CaptureFormat{platform::kFourccYuyv, 640, 480, {30, 1}}))
        << "a camera seen for the first time starts with the defaults";
    chooseFormat(w, {platform::kFourccMjpg, 1600, 900, {30, 1}});
    bar.brightnessButton()->click();
    bar.brightnessBar()->setValue(-20);
    bar.orientationButton(1)->click();
    EXPECT_EQ(desk.scopeA.capture.value(cid::Brightness), -20);
    w.connect();   // disconnects
    ASSERT_FALSE(w.flags().VideoConnected);

    // Microscope B, the same model: its own settings, from the defaults.
    ASSERT_TRUE(choose(w, "USB Microscope (MS-B2) # 3"));
    EXPECT_EQ(w.backend.streams.lastFormat.width, 640) << "not A's format";
    EXPECT_EQ(desk.scopeB.capture.value(cid::Brightness), 0) << "not A's brightness";
    EXPECT_EQ(w.controller->camera().GetFlipMode(), 3) << "not A's orientation";
    chooseFormat(w, {platform::kFourccYuyv, 800, 600, {15, 1}});
    bar.brightnessButton()->click();
    bar.brightnessBar()->setValue(35);
    bar.contrastButton()->click();
    bar.contrastBar()->setValue(60);
    bar.exposureButton()->click();
    bar.exposureBar()->setValue(500);
    bar.orientationButton(2)->click();

    // Pulled out while streaming, and plugged in again at another port: a fresh camera whose
    // controls are back at the factory values.
    int changes = w.backend.monitor.changes;
    w.bed.unplug({desk.scopeB.nodes.metadata, desk.scopeB.nodes.capture, desk.scopeB.nodes.usb});
    ASSERT_TRUE(w.waitChanges(++changes));
    EXPECT_FALSE(w.flags().VideoConnected);
    EXPECT_FALSE(w.captions().contains("USB Microscope (MS-B2) # 3"));
    Camera replugged;
    replugged.nodes = w.bed.addCamera("1-5", "0c45", "636b", "MS-B2", 12, replugged.capture, replugged.metadata,
                                      "USB Microscope");
    for (const QString &p : {replugged.nodes.usb, replugged.nodes.capture, replugged.nodes.metadata})
        w.bed.uevent(p, "add");
    ASSERT_TRUE(w.waitChanges(++changes));
    EXPECT_EQ(w.captions().last(), "USB Microscope (MS-B2) # 4");
    EXPECT_EQ(w.checkedPosition(), 4) << "the camera used last is selected again";
    EXPECT_FALSE(w.flags().VideoConnected) << "plugging in does not connect";

    w.connect();
    ASSERT_TRUE(w.flags().VideoConnected);
    EXPECT_EQ(w.backend.streams.lastDevnode, "/dev/video12");
    EXPECT_EQ(w.backend.streams.lastFormat, (platform::CaptureFormat{platform::kFourccYuyv, 800, 600, {15, 1}}));
    EXPECT_EQ(replugged.capture.value(cid::Brightness), 35);
    EXPECT_EQ(replugged.capture.value(cid::Contrast), 60);
    EXPECT_EQ(replugged.capture.value(cid::ExposureAuto), platform::exposuremode::Manual);
    EXPECT_EQ(replugged.capture.value(cid::ExposureAbsolute), 500);
    EXPECT_EQ(w.controller->camera().GetFlipMode(), 2);
    // The tool bar shows what the camera now does.
    EXPECT_TRUE(bar.brightnessButton()->isChecked());
    EXPECT_EQ(bar.brightnessBar()->value(), 35);
    EXPECT_TRUE(bar.brightnessBar()->isEnabled());
    EXPECT_TRUE(bar.exposureButton()->isChecked());
    EXPECT_EQ(bar.exposureBar()->value(), 500);
    EXPECT_TRUE(bar.orientationButton(2)->isChecked());
    w.connect();

    // And A still has its own.
    ASSERT_TRUE(choose(w, "USB Microscope (MS-A1) # 2"));
    EXPECT_EQ(w.backend.streams.lastFormat, (platform::CaptureFormat{platform::kFourccMjpg, 1600, 900, {30, 1}}));
    EXPECT_EQ(desk.scopeA.capture.value(cid::Brightness), -20);
    EXPECT_EQ(w.controller->camera().GetFlipMode(), 1);
    EXPECT_TRUE(bar.orientationButton(1)->isChecked());
    EXPECT_FALSE(bar.exposureButton()->isChecked());
    w.connect();

    const QString file = camerasFile(w);
    for (const char *line : {"LastCamera=0c45:636b:MS-A1\n", "[Camera 0c45:636b:MS-A1]\n", "Format=MJPG\nSize=1600x900\n",
                             "[Camera 0c45:636b:MS-B2]\n", "Size=800x600\nFrameRate=15/1\n", "Control.00980900=35\n",
                             "Control.009a0902=500\n", "Flip=2\n"})
        EXPECT_TRUE(file.contains(QLatin1String(line))) << line << "\n" << file.toStdString();
    EXPECT_TRUE(w.presenter.texts.isEmpty()) << w.presenter.texts.join('|').toStdString();
}

TEST(EveryCamera, TheKnownBridgeKeepsItsChannelAndOtherCamerasAskNothingOfIt)
{
    devtest::DeviceWindow w;
    Desk desk(w.bed);
    w.vendor.present = true;   // a bridge library that finds no chip: the admin message per connect
    openRemembering(w);
    const int atStart = w.vendor.opens;   // the channel object opens once when it is made
    ASSERT_TRUE(choose(w, "USB Microscope (MS-A1) # 2"));
    EXPECT_EQ(w.vendor.opens, atStart) << "a microscope without the bridge has no channel to open";
    EXPECT_TRUE(w.presenter.texts.isEmpty());
    w.connect();
    ASSERT_TRUE(choose(w, "USB2.0 Microscope (SN0042) # 0"));
    EXPECT_EQ(w.vendor.opens, atStart + 2) << "opened, and once more";
    EXPECT_EQ(w.presenter.texts, QStringList{w.text("UsingAdminPower_MsgBox")});
}

TEST(EveryCamera, TheListOnTheCommandLineNeedsNoDisplayAndExitsZero)
{
    Testbed bed;
    Desk desk(bed);
    fakes::TemporaryProfile profile;
    const ProgramRun run = listCamerasProgram();
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, kDeskListing);
    EXPECT_EQ(run.err, kDeskLeftOut);
}

// ---- a machine without the bridge ----------------------------------------------------------------

TEST(NoBridge, AGenericUvcCameraIsListedAndTheWindowConnectsToIt)
{
    Testbed bed;
    Camera scope;
    // Frames come through read(): a testbed cannot share mapped buffers, which v4l2src would use
    // with a node that offers streaming I/O.
    scope.capture.readFrames = true;
    scope.nodes = bed.addCamera("3-2", "0c45", "636b", "MS-A1", 0, scope.capture, scope.metadata, "USB Microscope");
    ASSERT_TRUE(bed.makeReadable("/dev/video0"));
    fakes::TemporaryProfile profile;
    const ProgramRun run = listCamerasProgram();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "USB Microscope (MS-A1) # 0\t/dev/video0\t0c45:636b\tserial=MS-A1\tsupported=no\tformats=YUYV,MJPG\n");
    EXPECT_EQ(run.err, "/dev/video1: not offered: metadata node\n");

    // The window as main() builds it, with the real v4l2src on the camera's node.
    SKIP_WITHOUT_V4L2SRC();
    platform::DiagnosticsLog log;
    fakes::FakeClock clock;
    devtest::ScriptedPresenter presenter;
    app::SystemServices system(QStringLiteral(SENDRA_PROGRAM_DIR), log);
    app::ui::SendraApplication program(QStringLiteral(SENDRA_PROGRAM_DIR), log, clock, system.services(), &presenter);
    app::ui::Shell &shell = program.shell();
    EXPECT_TRUE(shell.state().flags().DeviceFound);
    QMenu *menu = shell.controls().menu(state::ControlId::DevicesEnum);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), "USB Microscope (MS-A1) # 0");
    EXPECT_TRUE(menu->actions()[0]->isChecked());
    shell.controls().mainButton(state::ControlId::Connect_Btn)->click();
    ASSERT_TRUE(shell.state().flags().VideoConnected) << presenter.texts.join('|').toStdString() << "\n"
                                                       << log.lines().join('\n').toStdString();
    camera::TVideoCameraDS &cam = program.camera().camera();
    EXPECT_EQ(cam.openedDevice().devnode, "/dev/video0");
    EXPECT_EQ(scope.capture.formatSet(), std::make_tuple(std::uint32_t(V4L2_PIX_FMT_YUYV), 640, 480));
    ASSERT_TRUE(QTest::qWaitFor([&] { return cam.framesTaken() >= 3; }, 10000)) << log.lines().join('\n').toStdString();
    EXPECT_GE(scope.capture.framesRead(), 3);
    const QImage frame = cam.latestFrame().image;
    ASSERT_FALSE(frame.isNull());
    EXPECT_NEAR(qGray(frame.pixel(frame.width() / 2, frame.height() / 2)), 128, 12) << "the camera's grey picture";
    EXPECT_TRUE(program.camera().controlToolBar()->brightnessButton()->isEnabled());
    EXPECT_TRUE(presenter.texts.isEmpty()) << presenter.texts.join('|').toStdString();
    shell.controls().mainButton(state::ControlId::Connect_Btn)->click();
    EXPECT_FALSE(shell.state().flags().VideoConnected);
}
