#include "camera/playback/videoplayer.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <vector>

using namespace camera::playback;

namespace {

// Records what the player asked of the media framework and lets the test play the framework's part.
struct FakeEngine final : platform::PlaybackEngine {
    bool openResult = true;
    std::vector<std::string> calls;
    Callbacks cb;
    bool open(const QString &path, Callbacks callbacks) override
    {
        calls.push_back("open " + path.toStdString());
        if (openResult)
            cb = std::move(callbacks);
        return openResult;
    }
    void close() override
    {
        calls.push_back("close");
        cb = {};
    }
    bool setPlaying(bool playing) override
    {
        calls.push_back(playing ? "play" : "pause");
        return true;
    }
    bool rewind() override
    {
        calls.push_back("rewind");
        return true;
    }
};

QImage picture(QRgb colour)
{
    QImage i(8, 6, QImage::Format_RGB32);
    i.fill(colour);
    return i;
}

class Player : public ::testing::Test
{
protected:
    FakeEngine engine;
    std::vector<std::pair<QString, std::uint32_t>> grabs;
    std::optional<platform::Bitmap> nextGrab = platform::Bitmap(picture(qRgb(0, 0, 255)));
    VideoPlayer player{engine, [this](const QString &p, std::uint32_t i) {
                           grabs.emplace_back(p, i);
                           return nextGrab;
                       }};

    void openClip()
    {
        ASSERT_TRUE(player.OpenPlayer(QStringLiteral("/clips/a.avi")));
        engine.calls.clear();
    }
    void expectCommands(bool play, bool pause, bool stop)
    {
        EXPECT_EQ(player.playEnabled(), play);
        EXPECT_EQ(player.pauseEnabled(), pause);
        EXPECT_EQ(player.stopEnabled(), stop);
    }
};

TEST_F(Player, OpenStartsPlayingOnlyWhenNothingIsOpen)
{
    ASSERT_TRUE(player.OpenPlayer(QStringLiteral("/clips/a.avi")));
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"open /clips/a.avi", "play"}));
    EXPECT_EQ(player.state(), PlayerState::Playing);
    expectCommands(false, true, true);
    EXPECT_FALSE(player.repeat());
    EXPECT_FALSE(player.OpenPlayer(QStringLiteral("/clips/b.avi")));   // one player per program
    EXPECT_EQ(player.path(), QStringLiteral("/clips/a.avi"));
}

TEST_F(Player, UnplayableFileLeavesThePlayerClosed)
{
    engine.openResult = false;
    EXPECT_FALSE(player.OpenPlayer(QStringLiteral("/clips/text.avi")));
    EXPECT_FALSE(player.isOpen());
    EXPECT_FALSE(player.VideoStop());
    EXPECT_FALSE(player.ClosePlayer());
}

TEST_F(Player, PauseShowsThePictureOnScreenAsTheStill)
{
    openClip();
    engine.cb.frame(picture(qRgb(10, 20, 30)));
    ASSERT_TRUE(player.VideoPause());
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"pause"}));
    EXPECT_EQ(player.state(), PlayerState::Paused);
    EXPECT_TRUE(player.stillShown());
    EXPECT_EQ(player.still().pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(player.GetPlayImage().pixel(0, 0), platform::rgbColor(10, 20, 30));
    expectCommands(true, false, true);
    player.VideoPlay();
    EXPECT_FALSE(player.stillShown());
    expectCommands(false, true, true);
}

TEST_F(Player, StopRewindsAndShowsFrameThirtyOfTheFile)
{
    openClip();
    QSignalSpy released(&player, &VideoPlayer::repeatButtonReleased);
    ASSERT_TRUE(player.VideoStop());
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"rewind"}));
    ASSERT_EQ(grabs.size(), 1u);
    EXPECT_EQ(grabs[0], std::make_pair(QStringLiteral("/clips/a.avi"), std::uint32_t(30)));
    EXPECT_EQ(player.state(), PlayerState::Stopped);
    EXPECT_TRUE(player.stillShown());
    EXPECT_EQ(player.still().pixel(0, 0), qRgb(0, 0, 255));
    expectCommands(true, false, false);
    EXPECT_EQ(released.count(), 1);
}

TEST_F(Player, FailedExtractionKeepsTheStillItHad)
{
    openClip();
    engine.cb.frame(picture(qRgb(1, 2, 3)));
    player.VideoPause();
    nextGrab.reset();
    player.VideoStop();
    EXPECT_EQ(player.still().pixel(0, 0), qRgb(1, 2, 3));
}

TEST_F(Player, EndWithoutRepeatStopsAndStaysAtTheEnd)
{
    openClip();
    engine.cb.endOfStream();
    EXPECT_TRUE(player.GetPlayerEndState());
    EXPECT_EQ(player.state(), PlayerState::Stopped);
    EXPECT_EQ(grabs.size(), 1u);
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"rewind"}));
    player.VideoPlay();
    EXPECT_FALSE(player.GetPlayerEndState());
}

TEST_F(Player, EndWithRepeatRestartsWithoutTheStoppedPicture)
{
    openClip();
    player.ReVideoPlay();
    ASSERT_TRUE(player.repeat());
    engine.cb.endOfStream();
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"rewind", "play"}));
    EXPECT_FALSE(player.GetPlayerEndState());
    EXPECT_EQ(player.state(), PlayerState::Playing);
    EXPECT_FALSE(player.stillShown());
    EXPECT_TRUE(grabs.empty());
    player.ReVideoPlay();
    EXPECT_FALSE(player.repeat());
}

TEST_F(Player, EndReportedAfterPauseOrStopIsIgnored)
{
    openClip();
    player.VideoPause();
    engine.cb.endOfStream();
    EXPECT_EQ(player.state(), PlayerState::Paused);
    EXPECT_FALSE(player.GetPlayerEndState());
}

TEST_F(Player, FailureWhilePlayingStopsEvenWithRepeat)
{
    openClip();
    player.ReVideoPlay();
    QSignalSpy failed(&player, &VideoPlayer::playbackFailed);
    engine.cb.error(QStringLiteral("Internal data stream error."));
    EXPECT_EQ(player.state(), PlayerState::Stopped);
    EXPECT_EQ(failed.count(), 1);
}

TEST_F(Player, CloseReleasesEverythingWithoutExtracting)
{
    openClip();
    player.ReVideoPlay();
    engine.cb.frame(picture(qRgb(5, 5, 5)));
    player.VideoPause();
    ASSERT_TRUE(player.ClosePlayer());
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"pause", "rewind", "close"}));
    EXPECT_TRUE(grabs.empty());
    EXPECT_FALSE(player.isOpen());
    EXPECT_FALSE(player.stillShown());
    EXPECT_TRUE(player.still().isNull());
    EXPECT_FALSE(player.repeat());
    EXPECT_FALSE(player.ClosePlayer());
    ASSERT_TRUE(player.OpenPlayer(QStringLiteral("/clips/b.avi")));   // and it opens again
}

} // namespace
