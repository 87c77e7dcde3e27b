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

TEST(FocusAidVectors, RowsPushedWhileAPictureIsMadeGiveThePassOverTheFinishedPicture)
{
    // Widths around the 32-pixel words and vector blocks, one-row and one-column pictures; the
    // stream is reused from picture to picture, as the analyzer does.
    LaplacianStream stream;
    unsigned seed = 1;
    for (const QSize size : {QSize(1, 1), QSize(1, 7), QSize(9, 1), QSize(31, 4), QSize(33, 5), QSize(101, 40),
                             QSize(64, 3), QSize(200, 13)}) {
        const QImage picture = clippedNoise(size.width(), size.height(), seed++);
        BitPlane expected(size.width(), size.height());
        const LaplacianSums passed = laplacianPass(picture, picture.rect(), kPeakingThreshold, &expected);
        BitPlane marks(size.width(), size.height());
        stream.begin(size, kPeakingThreshold, &marks);
        for (int y = 0; y < size.height(); ++y)
            stream.push(reinterpret_cast<const QRgb *>(picture.constScanLine(y)));
        stream.push(reinterpret_cast<const QRgb *>(picture.constScanLine(0)));   // one too many: ignored
        EXPECT_EQ(stream.finish(), passed) << size.width() << "x" << size.height();
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                ASSERT_EQ(marks.test(x, y), expected.test(x, y)) << x << "," << y;
        // Without marks the sums are the same.
        stream.begin(size, kPeakingThreshold, nullptr);
        for (int y = 0; y < size.height(); ++y)
            stream.push(reinterpret_cast<const QRgb *>(picture.constScanLine(y)));
        EXPECT_EQ(stream.finish(), passed);
    }
    // A picture whose rows stopped coming (a frame cut short) gives no sums rather than wrong ones.
    const QImage picture = clippedNoise(40, 10, 99);
    stream.begin(picture.size(), kPeakingThreshold, nullptr);
    for (int y = 0; y < 9; ++y)
        stream.push(reinterpret_cast<const QRgb *>(picture.constScanLine(y)));
    EXPECT_EQ(stream.finish(), LaplacianSums{});
}

namespace {

// Hands a picture's rows to the analyzer as a decoder that makes it row by row does.
std::shared_ptr<const FocusAidAnalysis> analyzeRowByRow(FocusAidAnalyzer &analyzer, const QImage &picture,
                                                        std::uint64_t sequence, int rows = -1)
{
    if (platform::ShownRows *sink = analyzer.shownRows()) {
        sink->begin(picture.size());
        for (int y = 0; y < (rows < 0 ? picture.height() : rows); ++y)
            sink->row(reinterpret_cast<const QRgb *>(picture.constScanLine(y)));
    }
    return std::dynamic_pointer_cast<const FocusAidAnalysis>(analyzer.analyze(picture, sequence));
}

void expectSameAnalysis(const FocusAidAnalysis &a, const FocusAidAnalysis &b)
{
    EXPECT_EQ(a.score.has_value(), b.score.has_value());
    if (a.score && b.score) {
        EXPECT_DOUBLE_EQ(*a.score, *b.score);
    }
    EXPECT_DOUBLE_EQ(a.best, b.best);
    ASSERT_EQ(bool(a.marks), bool(b.marks));
    if (a.marks) {
        const auto same = [](const BitPlane &p, const BitPlane &q) {
            if (p.size() != q.size())
                return false;
            for (int y = 0; y < p.height(); ++y)
                for (int x = 0; x < p.width(); ++x)
                    if (p.test(x, y) != q.test(x, y))
                        return false;
            return true;
        };
        EXPECT_TRUE(same(a.marks->peaking, b.marks->peaking));
        EXPECT_TRUE(same(a.marks->clippedHigh, b.marks->clippedHigh));
        EXPECT_TRUE(same(a.marks->clippedLow, b.marks->clippedLow));
    }
    ASSERT_EQ(bool(a.histogram), bool(b.histogram));
    if (a.histogram) {
        EXPECT_EQ(a.histogram->luma, b.histogram->luma);
        EXPECT_EQ(a.histogram->red, b.histogram->red);
        EXPECT_EQ(a.histogram->blue, b.histogram->blue);
        EXPECT_EQ(a.histogram->pixels, b.histogram->pixels);
        EXPECT_EQ(a.histogram->clippedHigh, b.histogram->clippedHigh);
        EXPECT_EQ(a.histogram->serial, b.histogram->serial);
    }
}

} // namespace

TEST(FocusAidAnalyzer, RowsHandedWhileTheFrameIsMadeGiveWhatReadingTheFrameGives)
{
    // Every mix of aids, the meter over the whole picture and over a rectangle, histograms in
    // luma and in colour as they fall due on an injected clock; and frames cut short, which the
    // analyzer reads whole instead.
    std::int64_t now = 0;
    FocusAidAnalyzer byRows([&] { return now; }), read([&] { return now; });
    std::uint64_t sequence = 0;
    for (int mix = 1; mix < 16; ++mix) {
        FocusAidSettings s;
        s.meter = mix & 1;
        s.peaking = mix & 2;
        s.zebra = mix & 4;
        s.histogram = mix & 8;
        for (const bool rgb : {false, true})
            for (const bool region : {false, true}) {
                s.channels = rgb ? HistogramChannels::Rgb : HistogramChannels::Luma;
                s.region = region ? QRectF(0.2, 0.3, 0.5, 0.4) : QRectF();
                byRows.setSettings(s);
                read.setSettings(s);
                for (const int rows : {-1, 17}) {
                    const QImage picture = clippedNoise(133, 41, unsigned(++sequence));
                    now += 300;
                    const auto a = analyzeRowByRow(byRows, picture, sequence, rows);
                    const auto b = std::dynamic_pointer_cast<const FocusAidAnalysis>(read.analyze(picture, sequence));
                    ASSERT_TRUE(a && b);
                    SCOPED_TRACE(testing::Message() << "mix " << mix << (rgb ? " rgb" : "") << (region ? " region" : "")
                                                    << " rows " << rows);
                    expectSameAnalysis(*a, *b);
                    EXPECT_EQ(a->marks ? a->marks->imageKey : 0, b->marks ? picture.cacheKey() : 0);
                }
            }
    }
}

TEST(FocusAidAnalyzer, AFrameFollowsTheSettingsItsRowsStartedWith)
{
    // The user switches peaking off while a frame is being made: the frame, begun with peaking
    // on, still comes with whole planes, and the next frame follows the new settings.
    FocusAidAnalyzer analyzer([] { return std::int64_t(0); });
    FocusAidSettings s;
    s.peaking = s.zebra = true;
    analyzer.setSettings(s);
    const QImage picture = clippedNoise(70, 20, 5);
    platform::ShownRows *sink = analyzer.shownRows();
    ASSERT_TRUE(sink);
    sink->begin(picture.size());
    s.peaking = false;
    analyzer.setSettings(s);
    for (int y = 0; y < picture.height(); ++y)
        sink->row(reinterpret_cast<const QRgb *>(picture.constScanLine(y)));
    auto a = std::dynamic_pointer_cast<const FocusAidAnalysis>(analyzer.analyze(picture, 1));
    ASSERT_TRUE(a && a->marks);
    BitPlane expected(70, 20);
    laplacianPassReference(picture, picture.rect(), kPeakingThreshold, &expected);
    EXPECT_EQ(a->marks->peaking.count(), expected.count());
    a = analyzeRowByRow(analyzer, picture, 2);
    ASSERT_TRUE(a && a->marks);
    EXPECT_TRUE(a->marks->peaking.isNull());
    // With every aid off, no rows are asked for and nothing is found.
    analyzer.setSettings({});
    EXPECT_EQ(analyzer.shownRows(), nullptr);
    EXPECT_FALSE(analyzer.analyze(picture, 3));
}
