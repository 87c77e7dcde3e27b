#include "platform/gst/frameextractor.h"

#include "clipfolder.h"
#include "platform/diagnosticslog.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace platform;
using testclips::ClipFolder;

namespace {

class FrameExtraction : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!ClipFolder::instance().ok())
            GTEST_SKIP() << "the test clips could not be written: " << ClipFolder::instance().why().toStdString();
    }
    const ClipFolder &clips = ClipFolder::instance();
};

struct FrameRow {
    const char *clip;   // "raw" or "mjpg"
    std::uint32_t index;
    int expectFrame;
};
class FrameByIndex : public FrameExtraction, public ::testing::WithParamInterface<FrameRow> {};

TEST_P(FrameByIndex, IsTheFrameAtIndexOverRateAtTheStreamSize)
{
    const FrameRow r = GetParam();
    const QString path = QLatin1String(r.clip) == QLatin1String("raw") ? clips.raw60() : clips.mjpg60();
    const std::optional<platform::Bitmap> frame = GetAviFrame(path, r.index);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->size(), QSize(clips.recipe().width, clips.recipe().height));
    EXPECT_EQ(testclips::decodeFrameIndex(frame->image()), r.expectFrame);
}

INSTANTIATE_TEST_SUITE_P(Table, FrameByIndex,
                         ::testing::Values(FrameRow{"raw", 0, 0}, FrameRow{"raw", 1, 1}, FrameRow{"raw", 29, 29},
                                           FrameRow{"raw", 30, 30}, FrameRow{"raw", 59, 59},
                                           FrameRow{"raw", 60, 59},     // index = total: the last picture
                                           FrameRow{"raw", 100000, 59}, // clamped to the total
                                           FrameRow{"mjpg", 30, 30}, FrameRow{"mjpg", 31, 31}, FrameRow{"mjpg", 7, 7}));

TEST_F(FrameExtraction, ProbeReportsSizeRateAndLength)
{
    const std::optional<AviFrameData> data = probeVideo(clips.raw60());
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->size, QSize(176, 100));   // not 4:3, so a swapped width and height shows
    EXPECT_DOUBLE_EQ(data->framesPerSecond, 30.0);
    EXPECT_NEAR(data->lengthSeconds, 2.0, 1e-6);
    EXPECT_EQ(data->totalFrames(), 60);
}

TEST_F(FrameExtraction, ClipShorterThanThirtyFramesGivesItsLastFrame)
{
    const std::optional<platform::Bitmap> frame = grabFrameForThumbnail(clips.short12(), 30);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(testclips::decodeFrameIndex(frame->image()), 11);
}

TEST_F(FrameExtraction, AudioStreamFirstUsesTheVideoStreamAfterIt)
{
    if (!clips.hasAudioFirst())
        GTEST_SKIP() << "the ffmpeg tool, which writes the audio-first container, is not installed";
    const std::optional<AviFrameData> data = probeVideo(clips.audioFirst());
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->size, QSize(176, 100));
    EXPECT_DOUBLE_EQ(data->framesPerSecond, 30.0);
    const std::optional<platform::Bitmap> frame = GetAviFrame(clips.audioFirst(), 30);
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(testclips::decodeFrameIndex(frame->image()), 30);
}

TEST_F(FrameExtraction, AudioRunningPastTheLastPictureDoesNotCountAsFrames)
{
    if (!clips.hasAudioFirst())
        GTEST_SKIP() << "the ffmpeg tool, which writes the clip with audio, is not installed";
    // 12 pictures at 30 fps (0.4 s) beside 3 s of audio: the container lasts 3 s, the video does not.
    const std::optional<AviFrameData> data = probeVideo(clips.longAudio());
    ASSERT_TRUE(data.has_value());
    EXPECT_NEAR(data->lengthSeconds, 0.4, 1e-6);
    EXPECT_EQ(data->totalFrames(), 12);
    // Frame 30 (the stopped player's picture) and the last frame are the video's last picture,
    // not a seek past its end.
    for (std::uint32_t index : {30u, 12u, 11u}) {
        const std::optional<platform::Bitmap> frame = GetAviFrame(clips.longAudio(), index);
        ASSERT_TRUE(frame.has_value()) << index;
        EXPECT_EQ(testclips::decodeFrameIndex(frame->image()), 11) << index;
    }
    const std::optional<platform::Bitmap> fifth = GetAviFrame(clips.longAudio(), 5);
    ASSERT_TRUE(fifth.has_value());
    EXPECT_EQ(testclips::decodeFrameIndex(fifth->image()), 5);
}

TEST_F(FrameExtraction, TotalTimeIsInHundredsOfNanoseconds)
{
    EXPECT_EQ(GetVideoTotalTime(clips.raw60()), std::optional<std::int64_t>(20'000'000));
    EXPECT_EQ(GetVideoTotalTime(clips.short12()), std::optional<std::int64_t>(4'000'000));
    EXPECT_FALSE(GetVideoTotalTime(clips.missing()).has_value());
    EXPECT_FALSE(GetVideoTotalTime(clips.textFile()).has_value());
}

// Each broken file fails in bounded time and leaves nothing half-done behind.
class BrokenFile : public FrameExtraction, public ::testing::WithParamInterface<const char *> {};

TEST_P(BrokenFile, FailsWithoutHanging)
{
    const QString which = QLatin1String(GetParam());
    const QString path = which == QLatin1String("missing")  ? clips.missing()
                         : which == QLatin1String("text")   ? clips.textFile()
                         : which == QLatin1String("still")  ? clips.stillPicture()
                         : which == QLatin1String("empty")  ? QString()
                                                            : clips.textFile();
    QElapsedTimer timer;
    timer.start();
    platform::DiagnosticsLog log;
    EXPECT_FALSE(GetAviFrame(path, 30, &log).has_value());
    EXPECT_LT(timer.elapsed(), 3 * kFrameTimeoutMs);   // a hang never returns; room for a loaded machine
}

INSTANTIATE_TEST_SUITE_P(Table, BrokenFile, ::testing::Values("missing", "text", "still", "empty"));

TEST_F(FrameExtraction, StillPictureHasNoFrameRateAndIsRefused)
{
    const std::optional<AviFrameData> data = probeVideo(clips.stillPicture());
    if (data) {   // probing may succeed: it is a picture; what matters is that nothing divides by 0
        EXPECT_FALSE(data->hasUsableRate());
        EXPECT_FALSE(GetAviFrame(clips.stillPicture(), *data, 30).has_value());
    }
    EXPECT_FALSE(GetAviFrame(clips.stillPicture(), 30).has_value());   // whichever way the probe went
}

TEST_F(FrameExtraction, TruncatedClipGivesAnEarlierPictureOrNothingInBoundedTime)
{
    QElapsedTimer timer;
    timer.start();
    const std::optional<platform::Bitmap> frame = GetAviFrame(clips.truncated(), 30);
    EXPECT_LT(timer.elapsed(), 3 * kFrameTimeoutMs);   // a hang never returns; room for a loaded machine
    if (frame) {
        EXPECT_EQ(frame->size(), QSize(176, 100));
        const int index = testclips::decodeFrameIndex(frame->image());
        EXPECT_GE(index, 0);
        EXPECT_LT(index, 6);   // only the first frames are in the file
    }
}

} // namespace
