#include "platform/aviframedata.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using platform::AviFrameData;
using platform::StreamKind;

namespace {

AviFrameData clip(double fps, double seconds) { return AviFrameData{QSize(640, 480), fps, seconds}; }

} // namespace

TEST(AviFrameData, TotalFramesIsLengthTimesRateTruncated)
{
    EXPECT_EQ(clip(30, 2).totalFrames(), 60);
    EXPECT_EQ(clip(29.97, 10).totalFrames(), 299);   // 299.7 truncates, never rounds up
    EXPECT_EQ(clip(15, 0.4).totalFrames(), 6);
    EXPECT_EQ(clip(0, 10).totalFrames(), 0);
    EXPECT_EQ(clip(30, -1).totalFrames(), 0);
    EXPECT_EQ(clip(std::numeric_limits<double>::quiet_NaN(), 1).totalFrames(), 0);
    EXPECT_EQ(clip(1e300, 1e300).totalFrames(), 0);   // a lying header is not a frame count
}

TEST(AviFrameData, AWholeFrameTakenAwayByRoundingIsCounted)
{
    // Lengths arrive as whole nanoseconds, cut off: 161 frames at 30 fps last 5.366666666 s.
    EXPECT_EQ(clip(30, 5.366666666).totalFrames(), 161);
    EXPECT_EQ(clip(1000.0 / 33, 161 * 0.033).totalFrames(), 161);   // the images-to-video rates
    EXPECT_EQ(clip(30000.0 / 1001, 10.677333333).totalFrames(), 320);
    // A part of a frame that is really there still truncates.
    EXPECT_EQ(clip(30, 5.36).totalFrames(), 160);
    EXPECT_EQ(clip(30, 5.3666).totalFrames(), 160);
}

struct SeekRow {
    double fps, seconds;
    std::uint32_t index;
    std::int64_t expectNs;   // -1: no time at all
};
class FrameSeekTime : public ::testing::TestWithParam<SeekRow> {};

TEST_P(FrameSeekTime, LandsInTheMiddleOfTheClampedFrame)
{
    const SeekRow r = GetParam();
    const std::optional<std::int64_t> t = platform::frameSeekTimeNs(clip(r.fps, r.seconds), r.index);
    if (r.expectNs < 0) {
        EXPECT_FALSE(t.has_value());
    } else {
        ASSERT_TRUE(t.has_value());
        EXPECT_NEAR(double(*t), double(r.expectNs), 2.0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, FrameSeekTime,
    ::testing::Values(SeekRow{30, 2, 0, 16'666'666},               // first frame
                      SeekRow{30, 2, 30, 1'016'666'666},           // frame 30 at 1 s
                      SeekRow{30, 2, 59, 1'983'333'333},           // last frame
                      SeekRow{30, 2, 60, 1'983'333'333},           // index = total: the end shows the last frame
                      SeekRow{30, 0.4, 30, 383'333'333},           // 12 frames: frame 30 is the last one
                      SeekRow{25, 4, 4'000'000'000u, 3'980'000'000},   // huge index clamped, no overflow
                      SeekRow{30, 0, 30, 16'666'666},              // unknown length: the first frame
                      SeekRow{0, 2, 30, -1},                       // rate 0: no division
                      SeekRow{-30, 2, 30, -1},
                      SeekRow{std::numeric_limits<double>::infinity(), 2, 30, -1},
                      SeekRow{std::numeric_limits<double>::quiet_NaN(), 2, 30, -1}));

TEST(AviFrameData, IndexIsClampedToTheTotal)
{
    EXPECT_EQ(platform::clampedFrameIndex(clip(30, 2), 30), 30);
    EXPECT_EQ(platform::clampedFrameIndex(clip(30, 2), 500), 60);
    EXPECT_EQ(platform::clampedFrameIndex(clip(0, 2), 30), 0);
}

TEST(ChooseVideoStream, StepsThroughTheStreamsInOrder)
{
    using platform::chooseVideoStream;
    EXPECT_EQ(chooseVideoStream({StreamKind::Video}), 0u);
    EXPECT_EQ(chooseVideoStream({StreamKind::Audio, StreamKind::Video}), 1u);
    EXPECT_EQ(chooseVideoStream({StreamKind::Other, StreamKind::Audio, StreamKind::Video, StreamKind::Video}), 2u);
    EXPECT_FALSE(chooseVideoStream({StreamKind::Audio}).has_value());
    EXPECT_FALSE(chooseVideoStream({}).has_value());
}
