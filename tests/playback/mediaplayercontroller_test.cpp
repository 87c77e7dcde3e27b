#include "camera/playback/ui/mediaplayercontroller.h"

#include "camera/flipmode.h"
#include "camera/ui/videowidget.h"
#include "feature/ui/controls.h"
#include "feature/ui/shellport.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/frameextractor.h"
#include "platform/gst/gstplaybackengine.h"
#include "state/appstate.h"
#include "state/usersettings.h"

#include "clipfolder.h"
#include "fakes.h"
#include "scripteddialogs.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
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
    QSlider *seek = new QSlider(Qt::Horizontal, &window);

    MainWindowStandIn()
    {
        window.resize(400, 300);
        video->setGeometry(0, 0, 400, 288);
        seek->setObjectName(QStringLiteral("VideoSeek_TKB"));
        seek->setGeometry(0, 288, 400, 12);
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

// The player feature on the stand-in window; its ports record what it asks of its peers (the
// camera before the recording, the cover, the AVI page, messages by key, heap trims) and turn
// the video as the camera's flip mode would.
class MediaToolBar : public ::testing::Test,
                     public camera::playback::ui::PlayerPort,
                     public feature::ui::ShellPort
{
protected:
    void SetUp() override
    {
        if (!ClipFolder::instance().ok())
            GTEST_SKIP() << "the test clips could not be written: " << ClipFolder::instance().why().toStdString();
        for (const state::ControlRow &row : state::kControlTable)
            if (QObject *o = ui.window.findChild<QObject *>(QString::fromLatin1(state::controlName(row.id).data())))
                controls.add(row.id, o);
        controller = std::make_unique<MediaPlayerController>(
            feature::ui::FeatureContext{*this, dialogs, appState, controls, ui.window, log, clock, paths, QString()}, *this,
            ui.video, engine, [](const QString &p, std::uint32_t i) { return GetAviFrame(p, i); });
    }

    // PlayerPort
    void disconnectCamera() override { steps.push_back("camera"); }
    void stopRecording() override { steps.push_back("recording"); }
    bool cameraConnected() const override { return connected; }
    void setFlipMode(int mode) override
    {
        if (flip)
            flip(mode);
        else
            ui.video->setFlipMode(mode);
    }
    void showCover(bool shown) override { covers.push_back(shown); }
    void showLibraryPage(int kind) override { pagesShown.push_back(kind); }
    // ShellPort
    int ShowMessageBox(const QString &t, const QString &c, bool cancel, int icon, const QString &) override
    {
        messages.push_back({t, c, cancel, icon});
        return 1;
    }
    int ShowMessageBoxWith(const QString &t, const QStringList &, const QString &c, bool cancel, int icon) override
    {
        messages.push_back({t, c, cancel, icon});
        return 1;
    }
    void showStatusMessage(const QString &) override {}
    QString text(const QString &key) const override { return key; }
    void setMainButton(state::ControlId, const QString &, const QString &) override {}
    void SysInfoUserSet() override {}
    void MemoryTrim() override { ++trims; }

    const ClipFolder &clips = ClipFolder::instance();
    MainWindowStandIn ui;
    fakes::TemporaryProfile profile;
    fakes::FakeClock clock;
    state::UserPaths paths = state::UserPaths::fromProfileDir(profile.path());
    platform::DiagnosticsLog log;
    fakes::ScriptedDialogs dialogs;
    state::AppState appState;
    feature::ui::Controls controls;
    platform::GstPlaybackEngine engine;
    std::unique_ptr<MediaPlayerController> controller;
    std::vector<Message> messages;
    std::vector<std::string> steps;
    std::vector<bool> covers;
    std::vector<int> pagesShown;
    std::function<void(int)> flip;
    bool connected = false;
    int trims = 0;
};

TEST_F(MediaToolBar, OpeningAFileShowsTheToolBarAndSetsThePlayingFlag)
{
    QSignalSpy playing(controller.get(), &MediaPlayerController::playingChanged);
    ASSERT_TRUE(controller->PlayerVideoCom(clips.raw60()));
    EXPECT_EQ(steps, (std::vector<std::string>{"camera", "recording"}));   // the camera goes first
    EXPECT_FALSE(ui.bar->isHidden());
    EXPECT_TRUE(controller->isPlaying());
    ASSERT_EQ(playing.count(), 1);
    EXPECT_TRUE(playing.at(0).at(0).toBool());
    EXPECT_EQ(covers, std::vector<bool>{false});
    EXPECT_EQ(pagesShown, std::vector<int>{state::kListAvi});
    EXPECT_TRUE(appState.flags().VideoPlaying);
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
    EXPECT_FALSE(controller->PlayerVideoCom(clips.textFile()));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("CannotPlayVideo_MsgBox"));
    EXPECT_EQ(messages[0].caption, QStringLiteral("ErrorTitle_MsgBox"));
    EXPECT_FALSE(messages[0].withCancel);
    EXPECT_EQ(messages[0].icon, 2);
    EXPECT_TRUE(ui.bar->isHidden());
    EXPECT_FALSE(controller->isPlaying());
    EXPECT_EQ(pagesShown, std::vector<int>{state::kListAvi});   // the AVI page is refreshed either way
    EXPECT_FALSE(appState.flags().VideoPlaying);
}

TEST_F(MediaToolBar, StopButtonShowsFrameThirtyAndThePopupMirrorsTheCommands)
{
    ASSERT_TRUE(controller->PlayerVideoCom(clips.raw60()));
    ui.button("MediaStop_Btn")->click();
    ASSERT_TRUE(ui.video->showsStill());
    EXPECT_EQ(decodeFrameIndex(ui.video->grabVideo().scaled(176, 100)), 30);
    EXPECT_TRUE(ui.button("MediaPlay_Btn")->isEnabled());
    EXPECT_FALSE(ui.button("MediaPause_Btn")->isEnabled());
    EXPECT_FALSE(ui.button("MediaStop_Btn")->isEnabled());
    EXPECT_TRUE(ui.item("PopupVideoPlay")->isEnabled());
    EXPECT_FALSE(ui.item("PopupVideoStop")->isEnabled());
    // A disabled button does nothing, even when called directly.
    controller->MediaStop_BtnClick();
    EXPECT_EQ(controller->player().state(), PlayerState::Stopped);
    ui.item("PopupVideoPlay")->trigger();
    EXPECT_EQ(controller->player().state(), PlayerState::Playing);
    EXPECT_FALSE(ui.video->showsStill());
    ui.item("PopupVideoPause")->trigger();
    EXPECT_EQ(controller->player().state(), PlayerState::Paused);
    EXPECT_TRUE(ui.item("PopupVideoStop")->isEnabled());
}

TEST_F(MediaToolBar, TheStoppedFrameThirtyIsShownAsRecordedWhateverTheOrientation)
{
    ASSERT_TRUE(controller->PlayerVideoCom(clips.raw60()));
    ui.button("MediaLeftOthers_Btn")->click();   // mirrored: the frame-number bars would read backwards
    ASSERT_EQ(ui.video->flipMode(), camera::kFlipMirrored);
    ui.button("MediaStop_Btn")->click();
    ASSERT_TRUE(ui.video->showsStill());
    EXPECT_EQ(decodeFrameIndex(ui.video->grabVideo().scaled(176, 100)), 30) << "not turned by the playback's mode";
    EXPECT_EQ(ui.video->flipMode(), camera::kFlipMirrored) << "the orientation itself stays";
}

TEST_F(MediaToolBar, RepeatButtonAndMenuItemShareTheFlag)
{
    ASSERT_TRUE(controller->PlayerVideoCom(clips.short12()));
    ui.button("MediaRewind_Btn")->click();
    EXPECT_TRUE(controller->player().repeat());
    EXPECT_TRUE(ui.button("MediaRewind_Btn")->isChecked());
    EXPECT_TRUE(ui.item("PopupVideoRePlay")->isChecked());
    ui.item("PopupVideoRePlay")->trigger();
    EXPECT_FALSE(controller->player().repeat());
    EXPECT_FALSE(ui.item("PopupVideoRePlay")->isChecked());
}

TEST_F(MediaToolBar, AnotherFileOpenedDuringPlaybackReleasesTheRepeatButtonAsCloseTurnsRepeatOff)
{
    ASSERT_TRUE(controller->PlayerVideoCom(clips.raw60()));
    ui.button("MediaRewind_Btn")->click();
    ASSERT_TRUE(ui.button("MediaRewind_Btn")->isChecked());
    // The library opens another clip while this one plays: the first is closed, repeat is off.
    ASSERT_TRUE(controller->PlayerVideoCom(clips.mjpg60()));
    EXPECT_FALSE(controller->player().repeat());
    EXPECT_FALSE(ui.button("MediaRewind_Btn")->isChecked());
    EXPECT_FALSE(ui.item("PopupVideoRePlay")->isChecked());
    // One click turns it on again, as the button shows.
    ui.button("MediaRewind_Btn")->click();
    EXPECT_TRUE(controller->player().repeat());
    EXPECT_TRUE(ui.button("MediaRewind_Btn")->isChecked());
}

// A drag of the seek bar's thumb with the mouse, from where it is to `x` in the bar.
void dragThumb(QSlider *bar, int x)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    const QPoint from = bar->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, bar).center();
    const QPoint to(x, from.y());
    QMouseEvent press(QEvent::MouseButtonPress, from, bar->mapToGlobal(from), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &press);
    for (int step = 1; step <= 4; ++step) {
        const QPoint at = from + (to - from) * step / 4;
        QMouseEvent move(QEvent::MouseMove, at, bar->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &move);
    }
    QMouseEvent release(QEvent::MouseButtonRelease, to, bar->mapToGlobal(to), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &release);
}

TEST_F(MediaToolBar, SeekBarShowsAtZeroOnOpenFollowsTheClipSeeksWhenDraggedAndHidesOnClose)
{
    ui.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ui.window));
    ASSERT_TRUE(ui.seek->isHidden());
    ASSERT_TRUE(controller->PlayerVideoCom(clips.raw60()));   // 60 frames at 30 fps: 2 s
    EXPECT_TRUE(ui.seek->isVisible());
    EXPECT_EQ(ui.seek->minimum(), 0);
    EXPECT_TRUE(waitFor([&] { return ui.seek->maximum() == 2000; })) << ui.seek->maximum();
    // Moving with the clip while it plays.
    EXPECT_TRUE(waitFor([&] { return ui.seek->value() > 300; })) << ui.seek->value();
    controller->MediaPause_BtnClick();
    const int paused = ui.seek->value();
    // A paused clip stands still: the bar has followed it three times since.
    auto *follow = controller->findChild<QTimer *>(QStringLiteral("SeekBar_Timer"));
    ASSERT_NE(follow, nullptr);
    QSignalSpy ticks(follow, &QTimer::timeout);
    EXPECT_TRUE(waitFor([&] { return ticks.count() >= 3; }));
    EXPECT_NEAR(ui.seek->value(), paused, 100);

    // Dragging the thumb to the middle shows the picture there: frame 30 of 60.
    dragThumb(ui.seek, ui.seek->width() / 2);
    EXPECT_FALSE(ui.video->showsStill());
    EXPECT_TRUE(waitFor([&] {
        const int frame = decodeFrameIndex(ui.video->grabVideo().scaled(176, 100));
        return frame >= 28 && frame <= 32;
    })) << decodeFrameIndex(ui.video->grabVideo().scaled(176, 100));
    EXPECT_NEAR(ui.seek->value(), 1000, 80);

    // Stop goes back to 0; closing hides the bar.
    controller->MediaStop_BtnClick();
    EXPECT_TRUE(waitFor([&] { return ui.seek->value() == 0; })) << ui.seek->value();
    controller->ExitMediaPlayer();
    EXPECT_TRUE(ui.seek->isHidden());
    // A second file starts at 0 again.
    ASSERT_TRUE(controller->PlayerVideoCom(clips.short12()));
    EXPECT_EQ(ui.seek->value(), 0);
    EXPECT_TRUE(ui.seek->isVisible());
    EXPECT_TRUE(waitFor([&] { return ui.seek->maximum() == 400; })) << ui.seek->maximum();
}

TEST_F(MediaToolBar, SeekingAStoppedClipShowsThePictureThereInsteadOfTheStill)
{
    ASSERT_TRUE(controller->PlayerVideoCom(clips.raw60()));
    controller->MediaStop_BtnClick();
    ASSERT_TRUE(ui.video->showsStill());
    EXPECT_TRUE(waitFor([&] { return ui.seek->maximum() == 2000; }));
    ui.seek->setSliderPosition(1500);
    ui.seek->triggerAction(QAbstractSlider::SliderPageStepAdd);   // a click on the bar beside the thumb
    EXPECT_FALSE(ui.video->showsStill());
    EXPECT_EQ(controller->player().state(), PlayerState::Paused);
    EXPECT_TRUE(ui.button("MediaPlay_Btn")->isEnabled());
    const int expected = (1500 + ui.seek->pageStep()) * 30 / 1000;
    EXPECT_TRUE(waitFor([&] { return decodeFrameIndex(ui.video->grabVideo().scaled(176, 100)) == expected; }))
        << decodeFrameIndex(ui.video->grabVideo().scaled(176, 100)) << " wanted " << expected;
}

struct OrientationRow {
    const char *button;
    int flipMode;
};
class OrientationButton : public MediaToolBar, public ::testing::WithParamInterface<OrientationRow> {};

TEST_P(OrientationButton, SetsTheFlipModeOfThePlayedVideo)
{
    ASSERT_TRUE(controller->PlayerVideoCom(clips.raw60()));
    std::vector<int> requested;
    flip = [&](int mode) {
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
    ASSERT_TRUE(controller->PlayerVideoCom(clips.raw60()));
    ui.button("MediaRewind_Btn")->click();
    QSignalSpy playing(controller.get(), &MediaPlayerController::playingChanged);
    covers.clear();
    ui.item("PopupVideoExit")->trigger();
    EXPECT_FALSE(controller->isPlaying());
    EXPECT_FALSE(controller->player().isOpen());
    EXPECT_TRUE(ui.bar->isHidden());
    EXPECT_FALSE(ui.button("MediaRewind_Btn")->isChecked());
    EXPECT_FALSE(ui.item("PopupVideoRePlay")->isChecked());
    EXPECT_FALSE(ui.video->showsStill());
    EXPECT_EQ(ui.video->contextMenuPolicy(), Qt::DefaultContextMenu);
    ASSERT_EQ(playing.count(), 1);
    EXPECT_EQ(covers, std::vector<bool>{true});
    EXPECT_FALSE(appState.flags().VideoPlaying);
    // Only while the tool bar is shown: a second exit does nothing.
    controller->ExitMediaPlayer();
    EXPECT_EQ(playing.count(), 1);
}

TEST_F(MediaToolBar, PlayButtonWhilePlayingLeavesAndTrimsElseOpensTheChosenFile)
{
    dialogs.file = [&](QFileDialog &) { return std::optional<QString>(clips.short12()); };
    controller->PlayVideo_BtnClick();
    EXPECT_TRUE(controller->isPlaying());
    EXPECT_EQ(controller->player().path(), clips.short12());
    controller->PlayVideo_BtnClick();
    EXPECT_FALSE(controller->isPlaying());
    EXPECT_EQ(trims, 1);
    dialogs.file = [](QFileDialog &) { return std::optional<QString>(); };   // the dialog was cancelled
    controller->PlayVideo_BtnClick();
    EXPECT_FALSE(controller->isPlaying());
    EXPECT_TRUE(messages.empty());
}

TEST_F(MediaToolBar, OpeningAnotherFileClosesTheFirst)
{
    ASSERT_TRUE(controller->PlayerVideoCom(clips.raw60()));
    ASSERT_TRUE(controller->PlayerVideoCom(clips.mjpg60()));
    EXPECT_EQ(controller->player().path(), clips.mjpg60());
    EXPECT_TRUE(controller->isPlaying());
    connected = true;
    EXPECT_TRUE(controller->ClosePlayer());
    EXPECT_FALSE(controller->ClosePlayer());   // nothing open any more
}

} // namespace
