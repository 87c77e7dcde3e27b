// The acceptance stack: nine frames of 1600 x 1200 of the tilted specimen with breathing and
// drift (zstackplan.h), stacked once per process and checked against the placements they were
// rendered with and against the exact all-in-focus picture.
#include "stackfixture.h"

#include "stack/sharpness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

using stackfixture::AcceptanceStack;

TEST(Acceptance, AlignmentRecoversBreathingAndDriftWithinAFifthOfAPixelAtTheCorners)
{
    const AcceptanceStack &s = AcceptanceStack::get();
    ASSERT_TRUE(s.result.ok()) << s.result.detail.toStdString();
    ASSERT_EQ(s.result.reference, 4);
    for (int i = 0; i < stackplan::kFrames; ++i) {
        const double error = stack::cornerDistance(s.result.warps[std::size_t(i)], stackplan::trueWarp(4, i), s.size());
        EXPECT_LE(error, 0.2) << "frame " << i;
        std::printf("frame %d: corner error %.3f px\n", i, error);
    }
}

TEST(Acceptance, EveryFrameOfALongPassAlignsThoughSomeCorrelationPeaksAreAPeriodAway)
{
    // Thirty frames of 1600 x 1200 from focus 30 to 70: the frames far from the reference's focus
    // are so blurred that phase correlation puts its highest peak a micrometer period away.
    constexpr int kFrames = 30;
    platform::SpecimenRenderer renderer(stackplan::kWidth, stackplan::kHeight, platform::SpecimenRelief::Tilted);
    std::vector<platform::Bitmap> frames;
    for (int i = 0; i < kFrames; ++i)
        frames.emplace_back(renderer.atFocus(stackplan::longPassFocus(i, kFrames), stackplan::longPassPlacement(i, kFrames)));
    auto shared = std::make_shared<std::vector<platform::Bitmap>>(std::move(frames));
    const stack::StackResult r = stack::focusStack(
        {kFrames, [shared](int i) { return stack::StackFrame{std::exchange((*shared)[std::size_t(i)], {}), {}}; }}, {});
    ASSERT_TRUE(r.ok()) << "status " << int(r.status) << " at frame " << r.frame;
    double worst = 0;
    for (int i = 0; i < kFrames; ++i) {
        const stack::Warp truth = stackplan::warpBetween(stackplan::longPassPlacement(r.reference, kFrames),
                                                         stackplan::longPassPlacement(i, kFrames), stackplan::kWidth,
                                                         stackplan::kHeight);
        const double error = stack::cornerDistance(r.warps[std::size_t(i)], truth, QSize(stackplan::kWidth, stackplan::kHeight));
        EXPECT_LE(error, 0.2) << "frame " << i;
        worst = std::max(worst, error);
    }
    std::printf("thirty frames: worst corner error %.3f px\n", worst);
}

TEST(Acceptance, EveryTileIsAtLeastNinetyFivePercentAsSharpAsTheBestFrame)
{
    const AcceptanceStack &s = AcceptanceStack::get();
    ASSERT_TRUE(s.result.ok());
    // The frames as the stacking saw them: laid over the reference with the true warps, so that a
    // tile compares the same part of the specimen in every picture.
    std::vector<platform::Bitmap> laid;
    for (int i = 0; i < stackplan::kFrames; ++i)
        laid.push_back(stack::warpToReference(s.frames[std::size_t(i)], stackplan::trueWarp(4, i)));
    const QRect inner = stackfixture::innerRect(s.size());
    int tiles = 0, detailed = 0;
    double worst = 10;
    for (int y = inner.top(); y + 64 <= inner.bottom() + 1; y += 64)
        for (int x = inner.left(); x + 64 <= inner.right() + 1; x += 64) {
            const QRect tile(x, y, 64, 64);
            double best = 0;
            for (const platform::Bitmap &f : laid)
                best = std::max(best, stack::laplacianEnergy(f, tile));
            const double fused = stack::laplacianEnergy(s.result.picture, tile);
            // Only tiles where the specimen itself has detail: in a tile the true picture shows flat,
            // a frame's only "sharpness" is the blur skirt of an edge outside the tile, and
            // reproducing it would be a halo. (Rounding a smooth shading to 8 bits alone gives an
            // energy of about 2.)
            if (stack::laplacianEnergy(s.truth, tile) > 4) {
                ++detailed;
                worst = std::min(worst, fused / best);
                EXPECT_GE(fused, 0.95 * best) << "tile at " << x << "," << y;
            }
            ++tiles;
        }
    std::printf("%d tiles, %d with detail, worst ratio %.3f\n", tiles, detailed, worst);
    EXPECT_EQ(tiles, 23 * 17);
    EXPECT_GT(detailed, 100);   // the micrometer, its numbers and the particles: 115 of the 391
}

TEST(Acceptance, FusedPictureIsCloseToTheTrueAllInFocusPicture)
{
    const AcceptanceStack &s = AcceptanceStack::get();
    ASSERT_TRUE(s.result.ok());
    const double ours = stackfixture::psnr(s.result.picture, s.truth, stackfixture::innerRect(s.size()));
    const double sharpest = stackfixture::psnr(s.result.sharpestPicture, s.truth, stackfixture::innerRect(s.size()));
    std::printf("PSNR fused %.2f dB, sharpest single frame %.2f dB\n", ours, sharpest);
    EXPECT_GE(ours, sharpest + 6);
    EXPECT_GE(ours, 34.0);
}

} // namespace
