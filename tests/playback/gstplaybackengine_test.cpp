#include "platform/gst/gstplaybackengine.h"

#include "camera/playback/videoplayer.h"
#include "platform/gst/frameextractor.h"
#include "clipfolder.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace camera::playback;
using namespace platform;
using testclips::ClipFolder;
using testclips::decodeFrameIndex;

namespace {

// Spins the event loop (so queued hand-overs run) until `done` holds; the bound only stops a hang.
template <typename Pred>
bool waitFor(Pred done, int timeoutMs = 8000)
{
    return QTest::qWaitFor(done, timeoutMs);
}

class RealPlayer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!ClipFolder::instance().ok())
            GTEST_SKIP() << "the test clips could not be written: " << ClipFolder::instance().why().toStdString();
        QObject::connect(&player, &VideoPlayer::frame, [this](const QImage &f) { shown.push_back(decodeFrameIndex(f)); });
    }
    const ClipFolder &clips = ClipFolder::instance();
    platform::GstPlaybackEngine engine;
    VideoPlayer player{engine, [](const QString &path, std::uint32_t index) { return GetAviFrame(path, index); }};
    std::vector<int> shown;   // index of each picture handed to the screen
};

TEST_F(RealPlayer, PlaysToTheEndThenStopsOnFrameThirtyOverTheCuedFirstPicture)
{
    ASSERT_TRUE(player.OpenPlayer(clips.raw60()));
    ASSERT_TRUE(waitFor([&] { return player.GetPlayerEndState(); }));
    EXPECT_EQ(player.state(), PlayerState::Stopped);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), 0);
    EXPECT_TRUE(std::find(shown.begin(), shown.end(), 59) != shown.end());
    EXPECT_TRUE(std::is_sorted(shown.begin(), std::find(shown.begin(), shown.end(), 59)));
    EXPECT_TRUE(player.stillShown());
    EXPECT_EQ(decodeFrameIndex(player.still()), 30);
    // The rewind cues the first picture under the still.
    ASSERT_TRUE(waitFor([&] { return shown.back() == 0; }));
}

TEST_F(RealPlayer, ShortClipStoppedShowsItsLastFrame)
{
    ASSERT_TRUE(player.OpenPlayer(clips.short12()));
    ASSERT_TRUE(waitFor([&] { return player.GetPlayerEndState(); }));
    EXPECT_EQ(decodeFrameIndex(player.still()), 11);
}

TEST_F(RealPlayer, RepeatRestartsFromTheBeginningAtTheEnd)
{
    ASSERT_TRUE(player.OpenPlayer(clips.short12()));
    player.ReVideoPlay();
    // Past the last frame the first one comes again, twice over, and nothing stops.
    ASSERT_TRUE(waitFor([&] {
        return std::count(shown.begin(), shown.end(), 11) >= 2 && shown.back() >= 0 && shown.back() < 11;
    }));
    EXPECT_EQ(player.state(), PlayerState::Playing);
    EXPECT_FALSE(player.GetPlayerEndState());
    EXPECT_FALSE(player.stillShown());
    EXPECT_GE(std::count(shown.begin(), shown.end(), 0), 2);
}

TEST_F(RealPlayer, PauseHoldsThePictureAndPlayGoesOn)
{
    ASSERT_TRUE(player.OpenPlayer(clips.mjpg60()));
    ASSERT_TRUE(waitFor([&] { return !shown.empty() && shown.back() >= 5; }));
    player.VideoPause();
    ASSERT_TRUE(player.stillShown());
    const int held = decodeFrameIndex(player.still());
    EXPECT_GE(held, 5);
    player.VideoPlay();
    ASSERT_TRUE(waitFor([&] { return shown.back() > held + 3; }));
    player.ClosePlayer();
    EXPECT_FALSE(player.isOpen());
}

TEST_F(RealPlayer, StopWhilePlayingShowsFrameThirty)
{
    ASSERT_TRUE(player.OpenPlayer(clips.raw60()));
    ASSERT_TRUE(waitFor([&] { return !shown.empty() && shown.back() >= 2; }));
    ASSERT_TRUE(player.VideoStop());
    EXPECT_EQ(decodeFrameIndex(player.still()), 30);
    EXPECT_FALSE(player.GetPlayerEndState());
    ASSERT_TRUE(waitFor([&] { return shown.back() == 0; }));
    // Playing again runs from the start.
    player.VideoPlay();
    ASSERT_TRUE(waitFor([&] { return shown.back() >= 3; }));
}

TEST_F(RealPlayer, AudioStreamFirstPlays)
{
    if (!clips.hasAudioFirst())
        GTEST_SKIP() << "the ffmpeg tool, which writes the audio-first container, is not installed";
    ASSERT_TRUE(player.OpenPlayer(clips.audioFirst()));
    ASSERT_TRUE(waitFor([&] { return !shown.empty() && shown.back() >= 3; }));
}

class UnplayableFile : public RealPlayer, public ::testing::WithParamInterface<const char *> {};

TEST_P(UnplayableFile, IsRefusedInBoundedTime)
{
    const QString which = QLatin1String(GetParam());
    const QString path = which == QLatin1String("text") ? clips.textFile() : which == QLatin1String("missing") ? clips.missing() : QString();
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(player.OpenPlayer(path));
    // A hang never returns; three open timeouts leave room for a loaded machine.
    EXPECT_LE(timer.elapsed(), 3 * platform::GstPlaybackEngine::kOpenTimeoutMs);
    EXPECT_FALSE(player.isOpen());
}

INSTANTIATE_TEST_SUITE_P(Table, UnplayableFile, ::testing::Values("text", "missing", "empty"));

TEST_F(RealPlayer, TruncatedClipPlaysWhatItHasAndEnds)
{
    // The frames before the cut are whole: the clip opens, plays them and ends by itself.
    ASSERT_TRUE(player.OpenPlayer(clips.truncated()));
    EXPECT_TRUE(player.isOpen());
    ASSERT_TRUE(waitFor([&] { return player.state() == PlayerState::Stopped; }));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), 0) << "the first picture of the clip";
}

} // namespace
