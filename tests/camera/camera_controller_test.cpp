#include "camera/ui/cameracontroller.h"
#include "app/ui/mainwindow.h"
#include "app/ui/shell.h"
#include "app/ui/messagepresenter.h"
#include "camera/ui/videocontroltoolbar.h"
#include "camera/ui/videoformatdialog.h"
#include "camera/ui/videosourcedialog.h"
#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "camerapeers.h"
#include "fakes.h"
#include "scripteddialogs.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/systemmediabackend.h"
#include "platform/gst/virtualcamera.h"
#include "platform/iniprofilestore.h"
#include "platform/vendorchannel.h"

#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace app::ui;
using camera::ui::CameraController;

namespace {

struct ScriptedPresenter final : MessagePresenter {
    QStringList captions;
    QStringList texts;
    int show(const QString &text, const QString &caption, bool, int) override
    {
        texts << text;
        captions << caption;
        return kResultOk;
    }
};

// The bridge chip's vendor library: missing (the ordinary machine), or present with a chip that
// refuses every open.
// The main window with its camera side on the virtual camera, driven from outside through the
// control FIFO as a test script or a user's shell would. Its peers are answered here: snapshots
// are collected, the cover is the window's, the rest does nothing.
struct Window final : fakes::CameraPeers {
    explicit Window(const QString &options = QStringLiteral("1"))
        : rig(*platform::VirtualCameraOptions::parse(options), log), backend(log, &rig)
    {
        fifoPath = fifoDir.filePath(QStringLiteral("control"));
        EXPECT_TRUE(rig.listenOnFifo(fifoPath));
        shell = std::make_unique<Shell>(ShellDeps{QStringLiteral(SENDRA_PROGRAM_DIR), paths, clock, *store, vendor, log,
                                                  QString(), true, &presenter, &dialogs});
        controller = std::make_unique<CameraController>(shell->context(), *this, backend, *shell->window().videoArea(),
                                                        shell->eetiCom());
        shell->addFeature(controller.get());
        cover = [this](bool shown) { shell->window().showCover(shown); };
        controller->startUp();
    }

    QMenu *menu() const { return shell->controls().menu(state::ControlId::DevicesEnum); }
    void click(state::ControlId id) const { shell->controls().mainButton(id)->click(); }
    void send(const char *line)
    {
        QFile f(fifoPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(line);
        f.write("\n");
    }
    bool waitFrames(int n)
    {
        const auto start = controller->camera().framesTaken();
        return QTest::qWaitFor([&] { return controller->camera().framesTaken() >= start + std::uint64_t(n); }, 5000);
    }

    fakes::TemporaryProfile profile;
    fakes::FakeClock clock;
    state::UserPaths paths = state::UserPaths::fromProfileDir(profile.path());
    std::unique_ptr<platform::IniProfileStore> store = std::make_unique<platform::IniProfileStore>(paths.settingsFile());
    fakes::FakeBridge vendor;
    ScriptedPresenter presenter;
    fakes::ScriptedDialogs dialogs;
    platform::DiagnosticsLog log;
    QTemporaryDir fifoDir;
    QString fifoPath;
    platform::VirtualCameraRig rig;
    platform::SystemMediaBackend backend;
    std::unique_ptr<Shell> shell;
    std::unique_ptr<CameraController> controller;
};

} // namespace

TEST(CameraControllerIntegration, ConnectShowsTheLiveSpecimenAndDisconnectShowsTheCover)
{
    Window w;
    EXPECT_TRUE(w.shell->state().flags().DeviceFound);
    ASSERT_FALSE(w.menu()->actions().isEmpty());
    EXPECT_TRUE(w.menu()->actions().last()->text().startsWith("Virtual USB Camera # "));
    EXPECT_TRUE(w.menu()->actions().last()->isChecked());

    w.shell->window().show();
    w.click(state::ControlId::Connect_Btn);
    ASSERT_TRUE(w.shell->state().flags().VideoConnected) << w.log.lines().join('\n').toStdString();
    EXPECT_FALSE(w.shell->controls().widget(state::ControlId::CoverPanel)->isVisible());
    EXPECT_TRUE(w.presenter.captions.isEmpty()) << "no bridge library: nothing to say";
    ASSERT_TRUE(w.waitFrames(3));
    EXPECT_GT(w.controller->videoWidget()->framesShown(), 0u);
    const QImage shown = w.controller->videoWidget()->grabVideo();
    EXPECT_NE(shown.pixel(shown.width() / 2, shown.height() / 2), 0xFF000000u);
    if (w.controller->controlToolBar()) {
        EXPECT_TRUE(w.controller->controlToolBar()->brightnessButton()->isEnabled());
    }
    const QString shot = qEnvironmentVariable("SENDRA_CAM_SCREENSHOT");
    if (!shot.isEmpty())
        w.shell->window().grab().save(shot);

    w.click(state::ControlId::Connect_Btn);
    EXPECT_FALSE(w.shell->state().flags().VideoConnected);
    EXPECT_TRUE(w.shell->controls().widget(state::ControlId::CoverPanel)->isVisible());
    EXPECT_FALSE(w.controller->camera().isConnected());
}

TEST(CameraControllerIntegration, UnplugAndPlugThroughTheControlFifo)
{
    Window w;
    w.click(state::ControlId::Connect_Btn);
    ASSERT_TRUE(w.shell->state().flags().VideoConnected);
    ASSERT_TRUE(w.waitFrames(1));
    const QString notFound = w.shell->texts().text("DeviceNotToFound_Lab");
    const QString found = w.shell->texts().text("DeviceToFound_Lab");

    w.send("unplug");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.shell->state().flags().DeviceFound; }, 5000));
    EXPECT_FALSE(w.shell->state().flags().VideoConnected);
    EXPECT_FALSE(w.controller->camera().isConnected());
    EXPECT_EQ(w.shell->controls().label(state::ControlId::DeviceStatus_Lab)->text(), notFound);
    EXPECT_FALSE(w.menu()->isEnabled());
    // The unplug is an event, not an error: no message box for it.
    EXPECT_FALSE(w.presenter.captions.contains(w.shell->texts().text("ErrorTitle_MsgBox")));

    w.send("plug");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.shell->state().flags().DeviceFound; }, 5000));
    EXPECT_EQ(w.shell->controls().label(state::ControlId::DeviceStatus_Lab)->text(), found);
    EXPECT_FALSE(w.shell->state().flags().VideoConnected);   // plugging in does not reconnect
}

TEST(CameraControllerIntegration, SnapshotButtonHandsOneFrameToTheListTimer)
{
    Window w;
    w.click(state::ControlId::Connect_Btn);
    ASSERT_TRUE(w.waitFrames(1));
    w.send("still");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.controller->camera().stillTrigger().isSet(); }, 5000));
    w.controller->listTimerTick();
    ASSERT_EQ(w.stills.size(), 1u);
    EXPECT_EQ(w.stills[0].size(), QSize(640, 480));
    EXPECT_FALSE(w.controller->camera().stillTrigger().isSet());
    w.controller->listTimerTick();
    EXPECT_EQ(w.stills.size(), 1u);
}

TEST(CameraControllerIntegration, ChoosingTheOtherCameraReconnectsToIt)
{
    Window w(QStringLiteral("two"));
    QMenu *menu = w.menu();
    ASSERT_GE(menu->actions().size(), 2);
    w.click(state::ControlId::Connect_Btn);
    ASSERT_TRUE(w.shell->state().flags().VideoConnected);
    QAction *first = menu->actions().at(menu->actions().size() - 2);
    first->trigger();
    EXPECT_TRUE(w.shell->state().flags().VideoConnected);
    EXPECT_TRUE(first->isChecked());
    EXPECT_FALSE(menu->actions().last()->isChecked());
    EXPECT_EQ(w.controller->camera().openedDevice().devnode, "virtual:0");
}

TEST(CameraControllerIntegration, FailedConnectSaysSo)
{
    Window w(QStringLiteral("failopen"));
    w.click(state::ControlId::Connect_Btn);
    EXPECT_FALSE(w.shell->state().flags().VideoConnected);
    EXPECT_TRUE(w.presenter.captions.contains(w.shell->texts().text("ErrorTitle_MsgBox")));
    EXPECT_FALSE(w.shell->controls().widget(state::ControlId::CoverPanel)->isHidden());   // the cover stays
}

TEST(CameraControllerIntegration, WithoutTheBridgeLibraryConnectsAskNothingAndLogOnce)
{
    Window w;
    const QString line = QStringLiteral("Camera model unknown: the bridge library is not installed");
    const int opensAtCreation = w.vendor.opens;
    for (int round = 0; round < 2; ++round) {
        w.click(state::ControlId::Connect_Btn);
        ASSERT_TRUE(w.shell->state().flags().VideoConnected);
        w.click(state::ControlId::Connect_Btn);
        ASSERT_FALSE(w.shell->state().flags().VideoConnected);
    }
    EXPECT_FALSE(w.presenter.texts.contains(w.shell->texts().text("UsingAdminPower_MsgBox")));
    EXPECT_TRUE(w.presenter.texts.isEmpty()) << w.presenter.texts.join(" | ").toStdString();
    EXPECT_EQ(w.log.lines().count(line), 1) << "once per program run, not per connect";
    EXPECT_EQ(w.vendor.opens, opensAtCreation) << "nothing to open without the library";
}

TEST(CameraControllerIntegration, AChipThatRefusesBothOpensAsksForAccessRightsAtEachConnect)
{
    Window w;
    w.vendor.present = true;
    for (int round = 1; round <= 2; ++round) {
        const int before = w.vendor.opens;
        w.click(state::ControlId::Connect_Btn);
        ASSERT_TRUE(w.shell->state().flags().VideoConnected);
        EXPECT_EQ(w.vendor.opens - before, 2);
        EXPECT_EQ(w.presenter.texts.count(w.shell->texts().text("UsingAdminPower_MsgBox")), round);
        EXPECT_EQ(w.presenter.captions.last(), w.shell->texts().text("AttentionTitle_MsgBox"));
        w.click(state::ControlId::Connect_Btn);
    }
}

TEST(CameraControllerIntegration, FormatAndSourceDialogsSpeakTheInterfaceLanguage)
{
    Window w;
    w.click(state::ControlId::Connect_Btn);
    ASSERT_TRUE(w.shell->state().flags().VideoConnected) << w.log.lines().join('\n').toStdString();
    w.shell->UpdateInterface("Russian");
    const app::LanguageTexts &t = w.shell->texts();
    QStringList shown;
    w.dialogs.other = [&](QDialog &d) {
        shown << d.objectName();
        if (auto *format = qobject_cast<camera::ui::VideoFormatDialog *>(&d)) {
            EXPECT_EQ(format->windowTitle(), t.caption("VideoFormat"));
            EXPECT_EQ(format->formatLabel()->text(), t.text("VF_Format_Dlg"));
            EXPECT_EQ(format->sizeLabel()->text(), t.text("VF_Size_Dlg"));
            EXPECT_EQ(format->rateLabel()->text(), t.text("VF_FrameRate_Dlg"));
            EXPECT_EQ(format->okButton()->text(), t.text("OKBtn_Dlg"));
            EXPECT_EQ(format->cancelButton()->text(), t.text("CancelBtn_Dlg"));
            EXPECT_NE(format->formatLabel()->text(), "Format");
        }
        if (auto *source = qobject_cast<camera::ui::VideoSourceDialog *>(&d)) {
            EXPECT_EQ(source->windowTitle(), t.caption("VideoSource"));
            EXPECT_EQ(source->closeButton()->text(), t.text("CloseBtn_Dlg"));
        }
        return int(QDialog::Rejected);
    };
    w.controller->VideoFormatClick();
    EXPECT_EQ(shown, QStringList{"VideoFormatDialog"});
    // The virtual camera offers brightness, contrast and exposure, as a UVC camera does.
    ASSERT_TRUE(w.controller->camera().controlDevice());
    w.controller->VideoSourceClick();
    EXPECT_EQ(shown, (QStringList{"VideoFormatDialog", "VideoSourceDialog"}));
}
