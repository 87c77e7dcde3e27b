#include "camera/flipmode.h"
#include "camera/formatchoice.h"
#include "platform/framemailbox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace platform;

namespace {

const std::vector<FrameRate> kRates{{60, 1}, {30, 1}, {15, 1}};

std::vector<PixelFormatInfo> usbCamera(bool mjpg, std::vector<FrameSizeInfo> rawSizes)
{
    std::vector<PixelFormatInfo> f{{kFourccYuyv, "YUYV", false, std::move(rawSizes)}};
    if (mjpg)
        f.push_back({kFourccMjpg, "MJPG", true, {{1600, 1200, kRates}, {1280, 720, kRates}}});
    return f;
}

} // namespace

TEST(FormatChoice, PreviewSizeAndFormatFollowTheMjpgFlag)
{
    struct Row {
        bool mjpgCamera, mjpgFlag;
        std::vector<FrameSizeInfo> raw;
        CaptureFormat expect;
        bool exact;
    };
    const Row rows[] = {
        {true, false, {{640, 480, kRates}, {1280, 1024, kRates}}, {kFourccYuyv, 640, 480, {30, 1}}, true},
        {true, true, {{640, 480, kRates}}, {kFourccMjpg, 1600, 1200, {30, 1}}, true},
        // No 640 x 480: the nearest size, and the caller logs it.
        {false, false, {{320, 240, {{15, 1}}}, {800, 600, {}}}, {kFourccYuyv, 800, 600, {0, 1}}, false},
        // No MJPG at all: the default format nearest to 1600 x 1200.
        {false, true, {{640, 480, kRates}, {1280, 1024, {{9, 1}}}}, {kFourccYuyv, 1280, 1024, {9, 1}}, false},
    };
    for (const Row &r : rows) {
        const auto c = camera::chooseCaptureFormat(usbCamera(r.mjpgCamera, r.raw), r.mjpgFlag);
        ASSERT_TRUE(c.found);
        EXPECT_EQ(c.format, r.expect) << c.format.width << "x" << c.format.height;
        EXPECT_EQ(c.exactSize, r.exact);
    }
    EXPECT_FALSE(camera::chooseCaptureFormat({}, false).found);
    EXPECT_FALSE(camera::chooseCaptureFormat({{kFourccYuyv, "YUYV", false, {}}}, false).found);
}

TEST(FlipMode, NormalizedRectanglesOfTheFourModes)
{
    using camera::NormalizedRect;
    EXPECT_EQ(camera::flipRect(0), (NormalizedRect{1, 0, 0, 1}));
    EXPECT_EQ(camera::flipRect(1), (NormalizedRect{1, 1, 0, 0}));
    EXPECT_EQ(camera::flipRect(2), (NormalizedRect{0, 1, 1, 0}));
    EXPECT_EQ(camera::flipRect(3), (NormalizedRect{0, 0, 1, 1}));
    EXPECT_FALSE(camera::flipRect(4));
    EXPECT_FALSE(camera::flipRect(-1));

    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixel(0, 0, 0xFF0000FF);   // top-left marker
    img.setPixel(1, 0, 0xFF000000);
    img.setPixel(0, 1, 0xFF000000);
    img.setPixel(1, 1, 0xFF000000);
    EXPECT_EQ(camera::flipped(img, 0).pixel(1, 0), 0xFF0000FFu);
    EXPECT_EQ(camera::flipped(img, 1).pixel(1, 1), 0xFF0000FFu);
    EXPECT_EQ(camera::flipped(img, 2).pixel(0, 1), 0xFF0000FFu);
    EXPECT_EQ(camera::flipped(img, 3).pixel(0, 0), 0xFF0000FFu);
}

TEST(FrameMailbox, NewestFrameWinsWithOneWakeUpInFlight)
{
    platform::FrameMailbox box;
    EXPECT_TRUE(box.put(platform::VideoFrame::of(QImage(1, 1, QImage::Format_RGB32), 1)));
    EXPECT_FALSE(box.put(platform::VideoFrame::of(QImage(1, 1, QImage::Format_RGB32), 2)));   // a wake-up is already queued
    auto f = box.take();
    ASSERT_TRUE(f);
    EXPECT_EQ(f->sequence, 2u);
    EXPECT_EQ(box.overwritten(), 1u);
    EXPECT_FALSE(box.take());
    EXPECT_TRUE(box.put(platform::VideoFrame::of(QImage(), 3)));   // taken: the next put wakes again
}

TEST(FrameMailbox, ConcurrentPutsNeverLoseTheLastFrame)
{
    platform::FrameMailbox box;
    constexpr int kFrames = 20000;
    std::thread producer([&] {
        for (int i = 1; i <= kFrames; ++i)
            box.put(platform::VideoFrame::of(QImage(), std::uint64_t(i)));
    });
    // Taking until the producer has finished, then once more, ends whatever the mailbox does: a
    // lost last frame fails the test instead of spinning for ever.
    std::atomic<bool> produced = false;
    std::thread watcher([&] {
        producer.join();
        produced = true;
    });
    std::uint64_t last = 0;
    auto takeOne = [&] {
        if (auto f = box.take()) {
            EXPECT_GT(f->sequence, last);   // never older than what was seen
            last = f->sequence;
        }
    };
    while (!produced)
        takeOne();
    watcher.join();
    takeOne();
    EXPECT_EQ(last, std::uint64_t(kFrames)) << "the newest frame was lost";
}

TEST(FormatChoice, TheMjpgSizeInARawFormatIsNotAnExactMatch)
{
    // A camera without MJPG that offers 1600 x 1200 raw: the size is right, the format is not.
    const auto c = camera::chooseCaptureFormat(usbCamera(false, {{640, 480, kRates}, {1600, 1200, kRates}}), true);
    ASSERT_TRUE(c.found);
    EXPECT_TRUE(c.mjpgMissing);
    EXPECT_EQ(c.format, (CaptureFormat{kFourccYuyv, 1600, 1200, {30, 1}}));
    EXPECT_FALSE(c.exactSize);
}

TEST(FormatChoice, OfTwoEquallyNearSizesTheLargerWinsInEitherOrder)
{
    // 600 x 440 and 680 x 520 both lie 80 pixels (in sum) from 640 x 480.
    for (bool reversed : {false, true}) {
        std::vector<FrameSizeInfo> sizes{{600, 440, kRates}, {680, 520, kRates}};
        if (reversed)
            std::swap(sizes[0], sizes[1]);
        const auto c = camera::chooseCaptureFormat(usbCamera(false, sizes), false);
        ASSERT_TRUE(c.found);
        EXPECT_EQ(c.format.width, 680) << (reversed ? "reversed" : "in order");
        EXPECT_EQ(c.format.height, 520);
        EXPECT_FALSE(c.exactSize);
    }
}

TEST(FormatChoice, ARememberedFormatIsTakenOnlyWhenTheCameraStillOffersIt)
{
    const auto formats = usbCamera(true, {{640, 480, kRates}, {800, 600, {{20, 1}, {10, 1}}}, {1024, 768, {}}});
    struct Row {
        const char *what;
        CaptureFormat wanted;
        std::optional<CaptureFormat> expect;
    };
    const Row rows[] = {
        {"as remembered", {kFourccMjpg, 1280, 720, {15, 1}}, CaptureFormat{kFourccMjpg, 1280, 720, {15, 1}}},
        {"the same rate written another way", {kFourccYuyv, 800, 600, {40, 2}}, CaptureFormat{kFourccYuyv, 800, 600, {40, 2}}},
        {"a rate no longer listed: the size's preferred one", {kFourccYuyv, 800, 600, {30, 1}},
         CaptureFormat{kFourccYuyv, 800, 600, {20, 1}}},
        {"a size that lists no rate keeps the remembered rate", {kFourccYuyv, 1024, 768, {30, 1}},
         CaptureFormat{kFourccYuyv, 1024, 768, {30, 1}}},
        {"a size the camera lacks", {kFourccYuyv, 1600, 1200, {30, 1}}, std::nullopt},
        {"a pixel format the camera lacks", {fourcc('N', 'V', '1', '2'), 640, 480, {30, 1}}, std::nullopt},
    };
    for (const Row &r : rows)
        EXPECT_EQ(camera::offeredFormat(formats, r.wanted), r.expect) << r.what;
}
