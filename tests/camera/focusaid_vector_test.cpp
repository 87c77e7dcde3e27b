// The focus aids' vector code against the one-pixel-at-a-time rules, at every level the processor
// has (portable, SSE2, AVX2), on widths around the 32-pixel words and vector blocks; the fused
// passes against the separate ones; and the analyzer's reused planes never changing under marks
// the video area still holds.
#include "camera/bitplane.h"
#include "camera/clipmask.h"
#include "camera/focusaidanalyzer.h"
#include "camera/focusmeasure.h"
#include "camera/livehistogram.h"

#include <QImage>

#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <vector>

using namespace camera;
using platform::SimdLevel;

namespace {

std::vector<SimdLevel> levels() { return platform::simdLevelsHere(); }

// Noise with one pixel in three given a colour byte at 0 or 255, and a run of white and of black
// (whole blocks clipped, so the vector code's look-ahead takes both ways).
QImage clippedNoise(int w, int h, unsigned seed)
{
    std::mt19937 rng(seed);
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            QRgb p = rng() | 0xFF000000u;
            if (rng() % 3 == 0) {
                const int channel = int(rng() % 3) * 8;
                p = (p & ~(0xFFu << channel)) | ((rng() % 2 ? 0xFFu : 0u) << channel);
            }
            img.setPixel(x, y, p);
        }
    for (int x = 0; x < std::min(w, 70); ++x) {
        img.setPixel(x, 0, 0xFFFFFFFFu);
        img.setPixel(w - 1 - x, h - 1, 0xFF000000u);
    }
    return img;
}

const int kWidths[] = {1, 3, 7, 8, 15, 31, 32, 33, 63, 65, 97, 401};

} // namespace

TEST(FocusAidVectors, EveryLevelFindsTheClippedPixelsOfThePlainRule)
{
    for (int w : kWidths) {
        const QImage img = clippedNoise(w, 6, unsigned(w));
        for (SimdLevel level : levels()) {
            BitPlane high, low;
            findClippedPixels(img, high, low, level);
            ASSERT_EQ(high.size(), img.size());
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < w; ++x) {
                    const QRgb p = img.pixel(x, y);
                    const bool h = qRed(p) == 255 || qGreen(p) == 255 || qBlue(p) == 255;
                    const bool l = !h && (qRed(p) == 0 || qGreen(p) == 0 || qBlue(p) == 0);
                    ASSERT_EQ(high.test(x, y), h) << "width " << w << " level " << int(level) << " at " << x << "," << y;
                    ASSERT_EQ(low.test(x, y), l) << "width " << w << " level " << int(level) << " at " << x << "," << y;
                }
            // No bit beyond the row's end: the counts are the pixels'.
            std::size_t h = 0, l = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < w; ++x) {
                    h += high.test(x, y);
                    l += low.test(x, y);
                }
            EXPECT_EQ(high.count(), h) << w;
            EXPECT_EQ(low.count(), l) << w;
        }
    }
}

TEST(FocusAidVectors, EveryLevelGivesTheLumaOfEachPixel)
{
    for (int w : kWidths) {
        const QImage img = clippedNoise(w, 1, unsigned(w) + 100);
        const auto *pixels = reinterpret_cast<const QRgb *>(img.constScanLine(0));
        for (SimdLevel level : levels()) {
            std::vector<std::uint16_t> luma(std::size_t(w) + 1, 0xBEEF);
            lumaOfPixels(pixels, w, luma.data(), level);
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(luma[std::size_t(x)], lumaOf(pixels[x])) << "width " << w << " level " << int(level) << " at " << x;
            EXPECT_EQ(luma[std::size_t(w)], 0xBEEF) << "written past the end, width " << w;
        }
    }
}

TEST(FocusAidVectors, EveryLevelCountsTheSameHistogramAndItsClippedPixels)
{
    for (int w : kWidths) {
        const QImage img = clippedNoise(w, 9, unsigned(w) + 200);
        BitPlane high, low;
        findClippedPixels(img, high, low, SimdLevel::Portable);
        // The plain counts, one pixel at a time.
        std::array<std::uint32_t, 256> luma{}, red{}, green{}, blue{};
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < w; ++x) {
                const QRgb p = img.pixel(x, y);
                ++luma[std::size_t(lumaOf(p))];
                ++red[std::size_t(qRed(p))];
                ++green[std::size_t(qGreen(p))];
                ++blue[std::size_t(qBlue(p))];
            }
        for (SimdLevel level : levels()) {
            const LiveHistogram y = countHistogram(img, HistogramChannels::Luma, level);
            EXPECT_EQ(y.luma, luma) << "width " << w << " level " << int(level);
            EXPECT_EQ(y.pixels, std::uint64_t(w) * 9u);
            EXPECT_EQ(y.clippedHigh, high.count()) << "width " << w << " level " << int(level);
            EXPECT_EQ(y.clippedLow, low.count()) << "width " << w << " level " << int(level);
            const LiveHistogram rgb = countHistogram(img, HistogramChannels::Rgb, level);
            EXPECT_EQ(rgb.red, red) << "width " << w << " level " << int(level);
            EXPECT_EQ(rgb.green, green) << "width " << w << " level " << int(level);
            EXPECT_EQ(rgb.blue, blue) << "width " << w << " level " << int(level);
            EXPECT_EQ(rgb.clippedHigh, high.count());
            EXPECT_EQ(rgb.clippedLow, low.count());
        }
    }
}

TEST(FocusAidVectors, TheFusedPassEqualsTheLaplacianAndTheClippingPassesApart)
{
    for (int w : kWidths) {
        const QImage img = clippedNoise(w, 7, unsigned(w) + 300);
        BitPlane marks(w, 7), high, low;
        const LaplacianSums apart = laplacianPassReference(img, img.rect(), kPeakingThreshold, &marks);
        findClippedPixels(img, high, low, SimdLevel::Portable);
        // Planes of another size, and stale bits in planes of this size, are both replaced.
        BitPlane fusedMarks(3, 3), fusedHigh(w, 7), fusedLow;
        for (int y = 0; y < 7; ++y)
            fusedHigh.set(w - 1, y);
        const LaplacianSums fused = laplacianAndClippingPass(img, kPeakingThreshold, fusedMarks, fusedHigh, fusedLow);
        EXPECT_EQ(fused, apart) << w;
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < w; ++x) {
                ASSERT_EQ(fusedMarks.test(x, y), marks.test(x, y)) << w << ": " << x << "," << y;
                ASSERT_EQ(fusedHigh.test(x, y), high.test(x, y)) << w << ": " << x << "," << y;
                ASSERT_EQ(fusedLow.test(x, y), low.test(x, y)) << w << ": " << x << "," << y;
            }
    }
}

TEST(FocusAidVectors, CountBitsCountsEveryWord)
{
    std::mt19937 rng(5);
    std::vector<std::uint32_t> words(37);
    for (std::uint32_t &w : words)
        w = rng();
    words[3] = 0xFFFFFFFFu;   // 32 where a random word had its own count
    std::uint64_t expected = 0;
    for (std::uint32_t w : words)
        expected += std::uint64_t(std::popcount(w));
    EXPECT_EQ(countBits(words.data(), words.size()), expected);
    EXPECT_EQ(countBits(words.data(), 0), 0u);
}

TEST(FocusAidAnalyzer, ReusedPlanesNeverChangeUnderMarksStillHeld)
{
    FocusAidAnalyzer analyzer([] { return std::int64_t(0); });
    FocusAidSettings s;
    s.peaking = s.zebra = true;
    analyzer.setSettings(s);
    const auto marksOf = [&](const QImage &img, std::uint64_t n) {
        auto a = std::dynamic_pointer_cast<const FocusAidAnalysis>(analyzer.analyze(img, n));
        return a ? a->marks : nullptr;
    };
    const QImage first = clippedNoise(101, 40, 1);
    const std::shared_ptr<const FocusMarks> held = marksOf(first, 1);
    ASSERT_TRUE(held);
    const BitPlane peaking = held->peaking, high = held->clippedHigh, low = held->clippedLow;
    // Many frames later, some of their marks let go at once (their planes reused), the first
    // frame's marks are as they were, and each frame's marks are its own.
    for (unsigned i = 2; i < 12; ++i) {
        const QImage other = clippedNoise(101, 40, i);
        const std::shared_ptr<const FocusMarks> m = marksOf(other, i);
        ASSERT_TRUE(m);
        EXPECT_NE(m.get(), held.get());
        EXPECT_EQ(m->imageKey, other.cacheKey());
        BitPlane p(101, 40), h, l;
        laplacianPassReference(other, other.rect(), kPeakingThreshold, &p);
        findClippedPixels(other, h, l, SimdLevel::Portable);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 101; ++x) {
                ASSERT_EQ(m->peaking.test(x, y), p.test(x, y)) << i;
                ASSERT_EQ(m->clippedHigh.test(x, y), h.test(x, y)) << i;
                ASSERT_EQ(m->clippedLow.test(x, y), l.test(x, y)) << i;
            }
    }
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 101; ++x) {
            ASSERT_EQ(held->peaking.test(x, y), peaking.test(x, y));
            ASSERT_EQ(held->clippedHigh.test(x, y), high.test(x, y));
            ASSERT_EQ(held->clippedLow.test(x, y), low.test(x, y));
        }
    // Switched to the clipping warning alone, the reused marks carry no old peaking plane.
    s.peaking = false;
    analyzer.setSettings(s);
    const std::shared_ptr<const FocusMarks> zebraOnly = marksOf(first, 20);
    ASSERT_TRUE(zebraOnly);
    EXPECT_TRUE(zebraOnly->peaking.isNull());
    EXPECT_EQ(zebraOnly->clippedHigh.count(), high.count());
}
