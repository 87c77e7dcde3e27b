#include "camera/playback/ui/mediaplayercontroller.h"

#include "camera/flipmode.h"
#include "camera/ui/videowidget.h"
#include "platform/gst/frameextractor.h"
#include "platform/gst/gstplaybackengine.h"
#include "clipfolder.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace camera::playback;
using namespace platform;
using camera::playback::ui::MediaPlayerController;
using testclips::ClipFolder;
using testclips::decodeFrameIndex;

namespace {

template <typename Pred>
bool waitFor(Pred done, int timeoutMs = 8000)
{
    return QTest::qWaitFor(done, timeoutMs);
}

// The controls the main window creates, with the same object names.
struct MainWindowStandIn {
    QWidget window;
    QToolBar *bar = new QToolBar(&window);
    QMenu *popup = new QMenu(&window);
    camera::ui::VideoWidget *video = new camera::ui::VideoWidget(&window);

    MainWindowStandIn()
    {
        bar->setObjectName(QStringLiteral("MideaPlay_ToolBar"));
        for (const char *name : {"MediaPlay_Btn", "MediaPause_Btn", "MediaStop_Btn", "MediaRewind_Btn", "MediaRightOthers_Btn",
                                 "MediaRightSelf_Btn", "MediaLeftOthers_Btn", "MediaLeftSelf_Btn", "MediaExit_Btn"}) {
            auto *b = new QToolButton(bar);
            b->setObjectName(QLatin1String(name));
            bar->addWidget(b);
        }
        bar->hide();
        popup->setObjectName(QStringLiteral("PopupMenu_Video"));
        for (const char *name : {"PopupVideoPlay", "PopupVideoPause", "PopupVideoStop", "PopupVideoRePlay"})
            popup->addAction(QString())->setObjectName(QLatin1String(name));
        popup->addSeparator()->setObjectName(QStringLiteral("PopupVideoDash1"));
        popup->addAction(QString())->setObjectName(QStringLiteral("PopupVideoExit"));
    }
    QToolButton *button(const char *name) const { return window.findChild<QToolButton *>(QLatin1String(name)); }
    QAction *item(const char *name) const { return window.findChild<QAction *>(QLatin1String(name)); }
};

struct Message {
    QString text, caption;
    bool withCancel;
    int icon;
};

class MediaToolBar : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!ClipFolder::instance().ok())
            GTEST_SKIP() << "the test clips could not be written: " << ClipFolder::instance().why().toStdString();
        controller.attach([this](state::ControlId id) {
            return ui.window.findChild<QObject *>(QString::fromLatin1(state::controlName(id).data()));
        });
        controller.showMessage = [this](const QString &t, const QString &c, bool cancel, int icon) {
            messages.push_back({t, c, cancel, icon});
            return 1;
        };
        controller.disconnectCamera = [this] { steps.push_back("camera"); };
        controller.stopRecording = [this] { steps.push_back("recording"); };
    }
    const ClipFolder &clips = ClipFolder::instance();
    MainWindowStandIn ui;
    platform::GstPlaybackEngine engine;
    MediaPlayerController controller{ui.video, engine, [](const QString &p, std::uint32_t i) { return GetAviFrame(p, i); }};
    std::vector<Message> messages;
    std::vector<std::string> steps;
};

TEST_F(MediaToolBar, OpeningAFileShowsTheToolBarAndSetsThePlayingFlag)
{
    QSignalSpy playing(&controller, &MediaPlayerController::playingChanged);
    QSignalSpy cover(&controller, &MediaPlayerController::coverRequested);
    QSignalSpy refresh(&controller, &MediaPlayerController::aviPageRefreshRequested);
    ASSERT_TRUE(controller.PlayerVideoCom(clips.raw60()));
    EXPECT_EQ(steps, (std::vector<std::string>{"camera", "recording"}));   // the camera goes first
    EXPECT_FALSE(ui.bar->isHidden());
    EXPECT_TRUE(controller.isPlaying());
    ASSERT_EQ(playing.count(), 1);
    EXPECT_TRUE(playing.at(0).at(0).toBool());
    ASSERT_EQ(cover.count(), 1);
    EXPECT_FALSE(cover.at(0).at(0).toBool());
    EXPECT_EQ(refresh.count(), 1);
    EXPECT_FALSE(ui.button("MediaPlay_Btn")->isEnabled());
    EXPECT_TRUE(ui.button("MediaPause_Btn")->isEnabled());
    EXPECT_TRUE(ui.button("MediaStop_Btn")->isEnabled());
    EXPECT_TRUE(ui.button("MediaRightOthers_Btn")->isChecked());
    EXPECT_EQ(ui.video->contextMenuPolicy(), Qt::CustomContextMenu);   // the pop-up menu is attached
    ASSERT_TRUE(waitFor([&] { return ui.video->framesShown() >= 3; }));
    EXPECT_TRUE(messages.empty());
}

TEST_F(MediaToolBar, UnplayableFileShowsTheErrorMessageAndNoToolBar)
{
    QSignalSpy refresh(&controller, &MediaPlayerController::aviPageRefreshRequested);
    EXPECT_FALSE(controller.PlayerVideoCom(clips.textFile()));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("CannotPlayVideo_MsgBox"));
    EXPECT_EQ(messages[0].caption, QStringLiteral("ErrorTitle_MsgBox"));
    EXPECT_FALSE(messages[0].withCancel);
    EXPECT_EQ(messages[0].icon, 2);
    EXPECT_TRUE(ui.bar->isHidden());
    EXPECT_FALSE(controller.isPlaying());
    EXPECT_EQ(refresh.count(), 1);   // the AVI page is refreshed either way
}

TEST_F(MediaToolBar, StopButtonShowsFrameThirtyAndThePopupMirrorsTheCommands)
{
    ASSERT_TRUE(controller.PlayerVideoCom(clips.raw60()));
    ui.button("MediaStop_Btn")->click();
    ASSERT_TRUE(ui.video->showsStill());
    EXPECT_EQ(decodeFrameIndex(ui.video->grabVideo().scaled(176, 100)), 30);
    EXPECT_TRUE(ui.button("MediaPlay_Btn")->isEnabled());
    EXPECT_FALSE(ui.button("MediaPause_Btn")->isEnabled());
    EXPECT_FALSE(ui.button("MediaStop_Btn")->isEnabled());
    EXPECT_TRUE(ui.item("PopupVideoPlay")->isEnabled());
    EXPECT_FALSE(ui.item("PopupVideoStop")->isEnabled());
    // A disabled button does nothing, even when called directly.
    controller.MediaStop_BtnClick();
    EXPECT_EQ(controller.player().state(), PlayerState::Stopped);
    ui.item("PopupVideoPlay")->trigger();
    EXPECT_EQ(controller.player().state(), PlayerState::Playing);
    EXPECT_FALSE(ui.video->showsStill());
    ui.item("PopupVideoPause")->trigger();
    EXPECT_EQ(controller.player().state(), PlayerState::Paused);
    EXPECT_TRUE(ui.item("PopupVideoStop")->isEnabled());
}

TEST_F(MediaToolBar, TheStoppedFrameThirtyIsShownAsRecordedWhateverTheOrientation)
{
    ASSERT_TRUE(controller.PlayerVideoCom(clips.raw60()));
    controller.setFlipMode = [this](int mode) { ui.video->setFlipMode(mode); };
    ui.button("MediaLeftOthers_Btn")->click();   // mirrored: the frame-number bars would read backwards
    ASSERT_EQ(ui.video->flipMode(), camera::kFlipMirrored);
    ui.button("MediaStop_Btn")->click();
    ASSERT_TRUE(ui.video->showsStill());
    EXPECT_EQ(decodeFrameIndex(ui.video->grabVideo().scaled(176, 100)), 30) << "not turned by the playback's mode";
    EXPECT_EQ(ui.video->flipMode(), camera::kFlipMirrored) << "the orientation itself stays";
}

TEST_F(MediaToolBar, RepeatButtonAndMenuItemShareTheFlag)
{
    ASSERT_TRUE(controller.PlayerVideoCom(clips.short12()));
    ui.button("MediaRewind_Btn")->click();
    EXPECT_TRUE(controller.player().repeat());
    EXPECT_TRUE(ui.button("MediaRewind_Btn")->isChecked());
    EXPECT_TRUE(ui.item("PopupVideoRePlay")->isChecked());
    ui.item("PopupVideoRePlay")->trigger();
    EXPECT_FALSE(controller.player().repeat());
    EXPECT_FALSE(ui.item("PopupVideoRePlay")->isChecked());
}

struct OrientationRow {
    const char *button;
    int flipMode;
};
class OrientationButton : public MediaToolBar, public ::testing::WithParamInterface<OrientationRow> {};

TEST_P(OrientationButton, SetsTheFlipModeOfThePlayedVideo)
{
    ASSERT_TRUE(controller.PlayerVideoCom(clips.raw60()));
    std::vector<int> requested;
    controller.setFlipMode = [&](int mode) {
        requested.push_back(mode);
        ui.video->setFlipMode(mode);
    };
    ui.button(GetParam().button)->click();
    EXPECT_EQ(requested, std::vector<int>{GetParam().flipMode});
    EXPECT_EQ(ui.video->flipMode(), GetParam().flipMode);
    int checked = 0;
    for (const char *name : {"MediaRightOthers_Btn", "MediaRightSelf_Btn", "MediaLeftOthers_Btn", "MediaLeftSelf_Btn"})
        checked += ui.button(name)->isChecked() ? 1 : 0;
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(ui.button(GetParam().button)->isChecked());
}

INSTANTIATE_TEST_SUITE_P(Table, OrientationButton,
                         ::testing::Values(OrientationRow{"MediaRightOthers_Btn", 3}, OrientationRow{"MediaRightSelf_Btn", 2},
                                           OrientationRow{"MediaLeftSelf_Btn", 1}, OrientationRow{"MediaLeftOthers_Btn", 0}));

TEST_F(MediaToolBar, ExitLeavesThePlayerAndShowsTheCoverWithoutACamera)
{
    ASSERT_TRUE(controller.PlayerVideoCom(clips.raw60()));
    ui.button("MediaRewind_Btn")->click();
    QSignalSpy playing(&controller, &MediaPlayerController::playingChanged);
    QSignalSpy cover(&controller, &MediaPlayerController::coverRequested);
    ui.item("PopupVideoExit")->trigger();
    EXPECT_FALSE(controller.isPlaying());
    EXPECT_FALSE(controller.player().isOpen());
    EXPECT_TRUE(ui.bar->isHidden());
    EXPECT_FALSE(ui.button("MediaRewind_Btn")->isChecked());
    EXPECT_FALSE(ui.item("PopupVideoRePlay")->isChecked());
    EXPECT_FALSE(ui.video->showsStill());
    EXPECT_EQ(ui.video->contextMenuPolicy(), Qt::DefaultContextMenu);
    ASSERT_EQ(playing.count(), 1);
    ASSERT_EQ(cover.count(), 1);
    EXPECT_TRUE(cover.at(0).at(0).toBool());
    // Only while the tool bar is shown: a second exit does nothing.
    controller.ExitMediaPlayer();
    EXPECT_EQ(playing.count(), 1);
}

TEST_F(MediaToolBar, PlayButtonWhilePlayingLeavesAndTrimsElseOpensTheChosenFile)
{
    int trims = 0;
    controller.memoryTrim = [&] { ++trims; };
    controller.chooseFile = [&] { return clips.short12(); };
    controller.PlayVideo_BtnClick();
    EXPECT_TRUE(controller.isPlaying());
    EXPECT_EQ(controller.player().path(), clips.short12());
    controller.PlayVideo_BtnClick();
    EXPECT_FALSE(controller.isPlaying());
    EXPECT_EQ(trims, 1);
    controller.chooseFile = [] { return QString(); };   // the dialog was cancelled
    controller.PlayVideo_BtnClick();
    EXPECT_FALSE(controller.isPlaying());
    EXPECT_TRUE(messages.empty());
}

TEST_F(MediaToolBar, OpeningAnotherFileClosesTheFirst)
{
    ASSERT_TRUE(controller.PlayerVideoCom(clips.raw60()));
    ASSERT_TRUE(controller.PlayerVideoCom(clips.mjpg60()));
    EXPECT_EQ(controller.player().path(), clips.mjpg60());
    EXPECT_TRUE(controller.isPlaying());
    controller.cameraConnected = [] { return true; };
    EXPECT_TRUE(controller.ClosePlayer());
    EXPECT_FALSE(controller.ClosePlayer());   // nothing open any more
}

} // namespace
