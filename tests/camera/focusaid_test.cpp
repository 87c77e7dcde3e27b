// The focus aids' logic: the Laplacian pass and its score, focus peaking on the micrometer, the
// live histogram and the clipping warning, the marks laid over a frame, and the analyzer that
// runs them on the streaming thread, measured against the specimen's focus blur.
#include "micrometeredges.h"

#include "camera/bitplane.h"
#include "camera/clipmask.h"
#include "camera/focusaidanalyzer.h"
#include "camera/focusmarks.h"
#include "camera/focusmeasure.h"
#include "camera/livehistogram.h"
#include "camera/ui/videowidget.h"
#include "platform/gst/specimen.h"
#include "platform/previewdecoder.h"

#include <QBackingStore>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

using namespace camera;

namespace {

QImage greyPicture(int w, int h, const std::vector<int> &values)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int v = values[std::size_t(y * w + x)];
            img.setPixel(x, y, qRgb(v, v, v));
        }
    return img;
}

QImage noisePicture(int w, int h, unsigned seed)
{
    std::mt19937 rng(seed);
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, rng() | 0xFF000000u);
    return img;
}

// The specimen at `focus`, drawn by the virtual camera at 640 x 480, as the video area shows it.
QImage shownSpecimen(int focus, QSize shown)
{
    return platform::scaleForPreview(platform::drawSpecimenAtFocus(640, 480, focus), shown);
}

} // namespace

// ---- the Laplacian pass and the focus score ---------------------------------------------------------

TEST(LaplacianPass, AWorkedRowOfThreeGreysWithItsEdgesRepeated)
{
    // 0, 100, 0 in one row: L = -100, 200, -100 (the missing neighbours repeat the pixel itself).
    const QImage img = greyPicture(3, 1, {0, 100, 0});
    const LaplacianSums s = laplacianPass(img, img.rect(), 150, nullptr);
    EXPECT_EQ(s.pixels, 3u);
    EXPECT_EQ(s.sumL, 0);
    EXPECT_EQ(s.sumL2, 60000u);
    EXPECT_EQ(s.sumLuma, 100u);
    // var(L) = 20000, mean luma 100/3: 1000 * 20000 / (10000 / 9) = 18000.
    EXPECT_NEAR(focusScore(s), 18000.0, 1e-9);
    BitPlane marks(3, 1);
    laplacianPass(img, img.rect(), 150, &marks);
    EXPECT_FALSE(marks.test(0, 0));
    EXPECT_TRUE(marks.test(1, 0));   // |200| > 150; |-100| is not
    EXPECT_FALSE(marks.test(2, 0));
}

TEST(LaplacianPass, FlatAndBlackPicturesScoreZero)
{
    const QImage grey = greyPicture(5, 4, std::vector<int>(20, 77));
    EXPECT_EQ(focusScore(laplacianPass(grey, grey.rect(), 24, nullptr)), 0.0);
    const QImage black = greyPicture(5, 4, std::vector<int>(20, 0));
    EXPECT_EQ(focusScore(laplacianPass(black, black.rect(), 24, nullptr)), 0.0);
    EXPECT_EQ(focusScore(LaplacianSums{}), 0.0);
}

TEST(LaplacianPass, ARectangleUsesThePictureAroundItAsNeighbours)
{
    // A bright pixel just outside the rectangle still pulls the L of its neighbour inside.
    std::vector<int> v(25, 10);
    v[2 * 5 + 0] = 210;   // (0, 2), left of the rectangle (1, 1) - (3, 3)
    const QImage img = greyPicture(5, 5, v);
    const LaplacianSums s = laplacianPass(img, QRect(1, 1, 3, 3), 24, nullptr);
    EXPECT_EQ(s.pixels, 9u);
    EXPECT_EQ(s.sumLuma, 90u);
    EXPECT_EQ(s.sumL, -200);        // only (1, 2) sees it: 40 - (210 + 10 + 10 + 10)
    EXPECT_EQ(s.sumL2, 40000u);
}

struct PassCase {
    int w, h;
    QRect rect;   // empty: the whole picture
};

class VectorPass : public ::testing::TestWithParam<PassCase> {};

TEST_P(VectorPass, MatchesTheReferenceToTheBit)
{
    const PassCase c = GetParam();
    const QImage img = noisePicture(c.w, c.h, unsigned(c.w * 131 + c.h));
    const QRect rect = c.rect.isEmpty() ? img.rect() : c.rect;
    const bool whole = rect == img.rect();
    BitPlane slow(c.w, c.h);
    const LaplacianSums b = laplacianPassReference(img, rect, 300, whole ? &slow : nullptr);
    for (platform::SimdLevel level : platform::simdLevelsHere()) {
        SCOPED_TRACE(int(level));
        BitPlane fast(c.w, c.h);
        const LaplacianSums a = laplacianPass(img, rect, 300, whole ? &fast : nullptr, level);
        EXPECT_EQ(a, b);
        if (!whole)
            continue;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                ASSERT_EQ(fast.test(x, y), slow.test(x, y)) << x << "," << y;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, VectorPass,
                         ::testing::Values(PassCase{1, 1, {}}, PassCase{2, 3, {}}, PassCase{31, 5, {}}, PassCase{32, 2, {}},
                                           PassCase{33, 9, {}}, PassCase{64, 4, {}}, PassCase{97, 31, {}},
                                           PassCase{400, 300, {}}, PassCase{95, 7, {}}, PassCase{97, 31, QRect(5, 3, 70, 20)},
                                           PassCase{97, 31, QRect(0, 0, 33, 31)}, PassCase{97, 31, QRect(60, 10, 37, 21)},
                                           PassCase{640, 480, QRect(100, 100, 240, 180)}));

TEST(FocusScore, DoesNotChangeWithExposureGain)
{
    // The same picture at half the light: L and the mean luma halve together.
    const QImage sharp = platform::drawSpecimen(640, 480);
    QImage dim(sharp.size(), QImage::Format_RGB32);
    for (int y = 0; y < sharp.height(); ++y)
        for (int x = 0; x < sharp.width(); ++x) {
            const QRgb p = sharp.pixel(x, y);
            dim.setPixel(x, y, qRgb(qRed(p) / 2, qGreen(p) / 2, qBlue(p) / 2));
        }
    const double a = focusScore(laplacianPass(sharp, sharp.rect(), 24, nullptr));
    const double b = focusScore(laplacianPass(dim, dim.rect(), 24, nullptr));
    EXPECT_NEAR(b / a, 1.0, 0.03);
}

// ---- the sweep and peaking on the micrometer -----------------------------------------------------------

TEST(FocusSweep, TheScorePeaksAtFiftyAndFallsOnBothSides)
{
    for (const QSize shown : {QSize(400, 300), QSize(640, 480)}) {
        std::array<double, 11> score{};
        for (int k = 0; k <= 10; ++k) {
            const QImage img = shownSpecimen(10 * k, shown);
            score[std::size_t(k)] = focusScore(laplacianPass(img, img.rect(), kPeakingThreshold, nullptr));
        }
        // Strictly down for three steps each side; further out the blur has taken the lines away.
        EXPECT_EQ(std::max_element(score.begin(), score.end()) - score.begin(), 5) << shown.width();
        for (int k = 5; k > 2; --k)
            EXPECT_GT(score[std::size_t(k)], score[std::size_t(k - 1)]) << "focus " << 10 * k;
        for (int k = 5; k < 8; ++k)
            EXPECT_GT(score[std::size_t(k)], score[std::size_t(k + 1)]) << "focus " << 10 * k;
    }
}

TEST(FocusPeaking, MarksTheTenthDivisionEdgesWhenSharpAndFewFromTwentyStepsAway)
{
    // The specimen's blur is 0.04 divisions per focus step (sigma 4 px at 20 steps, 6 px at 30 on
    // the 640 pixels drawn): at every shown size, from the default 400 x 300 up, peaking tells the
    // sharp lines from the blurred ones on either side of 50. (Ten steps away, 640 x 480 and larger
    // show no edge left; 400 x 300, where a shown pixel is 1.6 drawn ones, still shows them all.)
    for (const QSize shown : {QSize(400, 300), QSize(640, 480), QSize(1280, 960)}) {
        BitPlane sharp(shown.width(), shown.height());
        laplacianPass(shownSpecimen(50, shown), QRect(QPoint(0, 0), shown), kPeakingThreshold, &sharp);
        const micrometer::EdgeCount atFifty = micrometer::tenthDivisionEdges(sharp);
        EXPECT_GT(atFifty.total, 100) << shown.width();
        EXPECT_GE(atFifty.share(), 0.9) << shown.width();
        for (int focus : {30, 70, 20, 80, 0, 100}) {
            BitPlane blurred(shown.width(), shown.height());
            laplacianPass(shownSpecimen(focus, shown), QRect(QPoint(0, 0), shown), kPeakingThreshold, &blurred);
            EXPECT_LT(micrometer::tenthDivisionEdges(blurred).share(), 0.1) << shown.width() << " focus " << focus;
        }
    }
}

// ---- the histogram and the clipping warning -----------------------------------------------------------

namespace {

// 400 pixels in a 40 x 10 picture, in a shuffled order: 100 black, 100 white, 100 grey 128,
// 60 of (200, 100, 50) and 40 pure red.
QImage knownCounts()
{
    std::vector<QRgb> pixels;
    const auto add = [&](int n, QRgb c) { pixels.insert(pixels.end(), std::size_t(n), c); };
    add(100, qRgb(0, 0, 0));
    add(100, qRgb(255, 255, 255));
    add(100, qRgb(128, 128, 128));
    add(60, qRgb(200, 100, 50));
    add(40, qRgb(255, 0, 0));
    std::shuffle(pixels.begin(), pixels.end(), std::mt19937(7));
    QImage img(40, 10, QImage::Format_RGB32);
    for (int i = 0; i < 400; ++i)
        img.setPixel(i % 40, i / 40, pixels[std::size_t(i)]);
    return img;
}

std::vector<std::pair<int, std::uint32_t>> nonZero(const std::array<std::uint32_t, 256> &bins)
{
    std::vector<std::pair<int, std::uint32_t>> out;
    for (int v = 0; v < 256; ++v)
        if (bins[std::size_t(v)])
            out.emplace_back(v, bins[std::size_t(v)]);
    return out;
}

using Bins = std::vector<std::pair<int, std::uint32_t>>;

} // namespace

TEST(LiveHistogram, CountsAPictureOfKnownCountsExactly)
{
    const QImage img = knownCounts();
    const LiveHistogram luma = countHistogram(img, HistogramChannels::Luma);
    EXPECT_EQ(luma.pixels, 400u);
    // (38 * 200 + 75 * 100 + 15 * 50) >> 7 = 123; pure red: 9690 >> 7 = 75.
    EXPECT_EQ(nonZero(luma.luma), (Bins{{0, 100}, {75, 40}, {123, 60}, {128, 100}, {255, 100}}));
    EXPECT_TRUE(nonZero(luma.red).empty());
    const LiveHistogram rgb = countHistogram(img, HistogramChannels::Rgb);
    EXPECT_EQ(nonZero(rgb.red), (Bins{{0, 100}, {128, 100}, {200, 60}, {255, 140}}));
    EXPECT_EQ(nonZero(rgb.green), (Bins{{0, 140}, {100, 60}, {128, 100}, {255, 100}}));
    EXPECT_EQ(nonZero(rgb.blue), (Bins{{0, 140}, {50, 60}, {128, 100}, {255, 100}}));
    EXPECT_TRUE(nonZero(rgb.luma).empty());
}

TEST(LiveHistogram, AFlatPictureOfMoreThan65535PixelsACopyStillCountsExactly)
{
    // Eight pixels a row: every one of the eight partial tables counts each row once, so its
    // 16-bit counts pass 65535 in a tall picture unless they are added up in time.
    QImage flat(9, 70001, QImage::Format_RGB32);
    flat.fill(qRgb(7, 8, 9));
    const LiveHistogram rgb = countHistogram(flat, HistogramChannels::Rgb);
    EXPECT_EQ(nonZero(rgb.red), (Bins{{7, 9u * 70001u}}));
    EXPECT_EQ(nonZero(rgb.green), (Bins{{8, 9u * 70001u}}));
    EXPECT_EQ(nonZero(rgb.blue), (Bins{{9, 9u * 70001u}}));
}

TEST(ClippingWarning, FindsExactlyThePixelsWithAChannelAtAnEnd)
{
    const QImage img = knownCounts();
    BitPlane high, low;
    findClippedPixels(img, high, low);
    EXPECT_EQ(high.count(), 140u);   // white and pure red
    EXPECT_EQ(low.count(), 100u);    // black
    // Every width around the 32-pixel words, every kind of pixel: against the plain rule.
    for (int w : {1, 7, 31, 32, 33, 65, 100}) {
        QImage noise = noisePicture(w, 5, unsigned(w));
        std::mt19937 rng(unsigned(w) + 1);
        for (int i = 0; i < w * 5 / 2; ++i) {
            const int channel = int(rng() % 3) * 8;
            const quint32 end = rng() % 2 ? 0xFFu : 0u;
            QRgb p = noise.pixel(int(rng() % unsigned(w)), 0);
            p = (p & ~(0xFFu << channel)) | (end << channel);
            noise.setPixel(int(rng() % unsigned(w)), int(rng() % 5), p);
        }
        findClippedPixels(noise, high, low);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < w; ++x) {
                const QRgb p = noise.pixel(x, y);
                const bool h = qRed(p) == 255 || qGreen(p) == 255 || qBlue(p) == 255;
                const bool l = !h && (qRed(p) == 0 || qGreen(p) == 0 || qBlue(p) == 0);
                ASSERT_EQ(high.test(x, y), h) << w << ": " << x << "," << y;
                ASSERT_EQ(low.test(x, y), l) << w << ": " << x << "," << y;
            }
    }
}

TEST(FocusMarks, ZebraCoversExactlyTheClippedPixelsAndPeakingTintsTheRest)
{
    const QImage img = knownCounts();
    FocusMarks marks;
    findClippedPixels(img, marks.clippedHigh, marks.clippedLow);
    QImage shown(img.size(), QImage::Format_RGB32);
    composeMarks(img, marks, kDefaultPeakingColour, shown.bits(), shown.bytesPerLine());
    int changed = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const bool clipped = marks.clippedHigh.test(x, y) || marks.clippedLow.test(x, y);
            const bool differs = (shown.pixel(x, y) & 0xFFFFFF) != (img.pixel(x, y) & 0xFFFFFF);
            EXPECT_EQ(differs, clipped) << x << "," << y;
            if (clipped) {
                EXPECT_EQ(shown.pixel(x, y) | 0xFF000000u, zebraColour(marks.clippedHigh.test(x, y), x, y));
            }
            changed += differs;
        }
    EXPECT_EQ(changed, 240);
    // Peaking under the stripes: a clipped edge keeps its stripe, an unclipped one takes the tint.
    marks.peaking = BitPlane(img.width(), img.height());
    for (int x = 0; x < img.width(); ++x)
        marks.peaking.set(x, 4);
    composeMarks(img, marks, 0xFF00FF00u, shown.bits(), shown.bytesPerLine());
    for (int x = 0; x < img.width(); ++x) {
        const bool clipped = marks.clippedHigh.test(x, 4) || marks.clippedLow.test(x, 4);
        EXPECT_EQ(shown.pixel(x, 4) | 0xFF000000u, clipped ? zebraColour(marks.clippedHigh.test(x, 4), x, 4) : 0xFF00FF00u);
    }
}

TEST(FocusMarks, DenseMarksOnEveryStripePhaseFollowTheRuleAsTheFlipShowsThem)
{
    // Marks on most pixels, at widths around the 32-pixel pieces, every row's stripe phase: each
    // pixel takes its stripe, else the tint, else keeps the picture, also mirrored either way.
    std::mt19937 rng(7);
    for (const int w : {5, 32, 45, 67, 96}) {
        const int h = 9;
        QImage img(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                img.setPixel(x, y, qRgb(int(rng() % 200) + 20, 90, 130));
        FocusMarks marks;
        marks.peaking = BitPlane(w, h);
        marks.clippedHigh = BitPlane(w, h);
        marks.clippedLow = BitPlane(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const unsigned r = rng() % 8;
                if (r < 4)
                    marks.peaking.set(x, y);
                if (r % 3 == 0)
                    marks.clippedHigh.set(x, y);
                else if (r == 1 || r == 5)
                    marks.clippedLow.set(x, y);
            }
        const auto expected = [&](int x, int y) {
            if (marks.clippedHigh.test(x, y))
                return zebraColour(true, x, y);
            if (marks.clippedLow.test(x, y))
                return zebraColour(false, x, y);
            return marks.peaking.test(x, y) ? 0xFF00FF00u : img.pixel(x, y);
        };
        QImage shown(img.size(), QImage::Format_RGB32);
        composeMarks(img, marks, 0xFF00FF00u, shown.bits(), shown.bytesPerLine());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(shown.pixel(x, y) | 0xFF000000u, expected(x, y)) << w << ": " << x << "," << y;
        for (const bool mirroredX : {false, true})
            for (const bool mirroredY : {false, true}) {
                QImage onto = img.mirrored(mirroredX, mirroredY);
                composeMarksOnto(marks, 0xFF00FF00u, onto.bits(), onto.bytesPerLine(), mirroredX, mirroredY);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        ASSERT_EQ(onto.pixel(mirroredX ? w - 1 - x : x, mirroredY ? h - 1 - y : y) | 0xFF000000u,
                                  expected(x, y))
                            << w << (mirroredX ? " mirrored" : "") << (mirroredY ? " upside down" : "") << ": " << x
                            << "," << y;
            }
    }
}

TEST(FocusMarks, StripesAlternateAlongTheDiagonal)
{
    EXPECT_EQ(zebraColour(true, 0, 0), 0xFF000000u);
    EXPECT_EQ(zebraColour(true, 3, 0), 0xFF000000u);
    EXPECT_EQ(zebraColour(true, 4, 0), zebraColour(true, 0, 4));
    EXPECT_NE(zebraColour(true, 4, 0), zebraColour(true, 0, 0));
    EXPECT_EQ(zebraColour(false, 1, 2), 0xFFFFFFFFu);
    // The second colours have no channel at an end, so they differ from every clipped pixel.
    for (bool high : {true, false}) {
        const QRgb c = zebraColour(high, 4, 0);
        for (int v : {qRed(c), qGreen(c), qBlue(c)})
            EXPECT_TRUE(v > 0 && v < 255);
    }
}

// ---- the analyzer ----------------------------------------------------------------------------------------

TEST(RegionInPixels, ScalesTheNormalisedRectangleOutwardsAndKeepsItInside)
{
    const QSize size(400, 300);
    EXPECT_EQ(regionInPixels(QRectF(), size), QRect(0, 0, 400, 300));
    EXPECT_EQ(regionInPixels(QRectF(0.25, 0.5, 0.5, 0.25), size), QRect(100, 150, 200, 75));
    EXPECT_EQ(regionInPixels(QRectF(0.1001, 0.1, 0.1, 0.1), size), QRect(40, 30, 41, 30));
    EXPECT_EQ(regionInPixels(QRectF(0.9, 0.9, 0.5, 0.5), size), QRect(360, 270, 40, 30));
    EXPECT_EQ(regionInPixels(QRectF(1.5, 1.5, 0.1, 0.1), size), QRect(0, 0, 400, 300));   // outside: all of it
}

TEST(FocusAidAnalyzer, NothingRunsUntilAnAidIsSwitchedOn)
{
    FocusAidAnalyzer analyzer([] { return std::int64_t(0); });
    EXPECT_EQ(analyzer.analyze(shownSpecimen(50, {400, 300}), 1), nullptr);
}

TEST(FocusAidAnalyzer, TheBestFollowsTheHighestScoreUntilAReset)
{
    FocusAidAnalyzer analyzer([] { return std::int64_t(0); });
    FocusAidSettings s;
    s.meter = true;
    analyzer.setSettings(s);
    const auto scoreOf = [&](int focus, std::uint64_t n) {
        auto a = std::dynamic_pointer_cast<const FocusAidAnalysis>(analyzer.analyze(shownSpecimen(focus, {400, 300}), n));
        return std::pair(*a->score, a->best);
    };
    const auto [sharp, best1] = scoreOf(50, 1);
    EXPECT_EQ(best1, sharp);
    const auto [soft, best2] = scoreOf(70, 2);
    EXPECT_LT(soft, sharp);
    EXPECT_EQ(best2, sharp);
    EXPECT_FALSE(scoreNearBest(soft, best2));
    EXPECT_TRUE(scoreNearBest(sharp * 0.96, sharp));
    analyzer.resetBest();
    EXPECT_EQ(scoreOf(70, 3).second, soft);
    // A new rectangle starts over as well: its scores are not comparable with the old ones.
    EXPECT_EQ(scoreOf(50, 4).second, sharp);
    s.region = QRectF(0.1, 0.5, 0.3, 0.3);
    analyzer.setSettings(s);
    const auto [inRegion, best5] = scoreOf(70, 5);
    EXPECT_EQ(best5, inRegion);
    EXPECT_NE(inRegion, soft);
}

TEST(FocusAidAnalyzer, MarksBelongToTheirFrameAndTheHistogramComesAtMostFourTimesASecondRgbTwice)
{
    std::int64_t now = 1000;
    FocusAidAnalyzer analyzer([&now] { return now; });
    FocusAidSettings s;
    s.peaking = s.zebra = s.histogram = true;
    analyzer.setSettings(s);
    const QImage frame = shownSpecimen(50, {400, 300});
    std::uint64_t n = 0;
    const auto histogramAt = [&](std::int64_t ms) {
        now = ms;
        auto a = std::dynamic_pointer_cast<const FocusAidAnalysis>(analyzer.analyze(frame, ++n));
        EXPECT_EQ(a->marks->imageKey, frame.cacheKey());
        EXPECT_EQ(a->marks->peaking.size(), QSize(400, 300));
        EXPECT_FALSE(a->score.has_value());
        return a->histogram->serial;
    };
    EXPECT_EQ(histogramAt(1000), 1u);
    EXPECT_EQ(histogramAt(1033), 1u);
    EXPECT_EQ(histogramAt(1100), 1u);
    EXPECT_EQ(histogramAt(1249), 1u);
    EXPECT_EQ(histogramAt(1250), 2u);
    EXPECT_EQ(histogramAt(1400), 2u);
    // Another choice of channels is counted at once.
    s.channels = HistogramChannels::Rgb;
    analyzer.setSettings(s);
    EXPECT_EQ(histogramAt(1410), 3u);
    // Red, green and blue twice a second.
    EXPECT_EQ(histogramAt(1660), 3u);
    EXPECT_EQ(histogramAt(1909), 3u);
    EXPECT_EQ(histogramAt(1910), 4u);
}

// ---- the marks as the video widget paints them ------------------------------------------------------

TEST(VideoWidgetMarks, PaintedInPlaceTheyEqualTheMarkedFrameFlippedInEveryFlipMode)
{
    QImage frame = shownSpecimen(50, {400, 300});
    for (int y = 20; y < 60; ++y)
        for (int x = 250; x < 330; ++x)
            frame.setPixel(x, y, qRgb(255, 255, 255));   // a clipped patch for the stripes
    FocusAidAnalyzer analyzer([] { return std::int64_t(0); });
    FocusAidSettings s;
    s.peaking = s.zebra = true;
    analyzer.setSettings(s);
    const auto a = std::dynamic_pointer_cast<const FocusAidAnalysis>(analyzer.analyze(frame, 1));
    ASSERT_TRUE(a && a->marks);
    QImage marked(frame.size(), QImage::Format_RGB32);
    composeMarks(frame, *a->marks, 0xFF00FF00u, marked.bits(), marked.bytesPerLine());
    camera::ui::VideoWidget widget;
    widget.resize(400, 300);
    widget.setFrame(frame);
    widget.setFocusMarks(a->marks, 0xFF00FF00u);
    struct Mode {
        int mode;
        bool horizontal, vertical;
    };
    for (const Mode m : {Mode{3, false, false}, Mode{0, true, false}, Mode{1, true, true}, Mode{2, false, true}}) {
        widget.setFlipMode(m.mode);
        EXPECT_EQ(widget.grabVideo(), marked.mirrored(m.horizontal, m.vertical)) << "flip mode " << m.mode;
    }
    // Scaled, the marked frame is scaled as a whole: the marks are there too.
    widget.setFlipMode(3);
    widget.resize(200, 150);
    EXPECT_EQ(widget.grabVideo(), marked.scaled(200, 150));
    // Marks of another frame are not drawn over this one.
    widget.resize(400, 300);
    widget.setFrame(frame.copy());
    EXPECT_FALSE(widget.showsFocusMarks());
    EXPECT_EQ(widget.grabVideo(), frame);
}

TEST(VideoWidgetMarks, PaintedOnScreenTheyLandInTheWindowAndSpareAChildOverTheVideo)
{
    // A widget paints into its window's backing store: the frame and only its marked pieces go
    // straight in there. A child over the video keeps its own pixels.
    QImage frame = shownSpecimen(50, {200, 150});
    for (int y = 10; y < 30; ++y)
        for (int x = 120; x < 180; ++x)
            frame.setPixel(x, y, qRgb(255, 255, 255));
    FocusAidAnalyzer analyzer([] { return std::int64_t(0); });
    FocusAidSettings s;
    s.peaking = s.zebra = true;
    analyzer.setSettings(s);
    const auto a = std::dynamic_pointer_cast<const FocusAidAnalysis>(analyzer.analyze(frame, 1));
    ASSERT_TRUE(a && a->marks && a->marks->peaking.count() > 0 && a->marks->clippedHigh.count() > 0);
    QImage marked(frame.size(), QImage::Format_RGB32);
    composeMarks(frame, *a->marks, 0xFF00FF00u, marked.bits(), marked.bytesPerLine());

    QWidget window;
    window.resize(260, 190);
    camera::ui::VideoWidget widget(&window);
    widget.setGeometry(30, 20, 200, 150);
    QWidget child(&widget);
    child.setGeometry(10, 100, 40, 30);
    child.setAutoFillBackground(true);
    QPalette palette = child.palette();
    palette.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
    child.setPalette(palette);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    widget.setFrame(frame);
    widget.setFocusMarks(a->marks, 0xFF00FF00u);
    widget.repaint();
    auto *device = window.backingStore() ? window.backingStore()->paintDevice() : nullptr;
    ASSERT_TRUE(device && device->devType() == QInternal::Image);
    const QImage shown = static_cast<QImage *>(device)->copy(QRect(30, 20, 200, 150)).convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool underChild = QRect(10, 100, 40, 30).contains(x, y);
            ASSERT_EQ(shown.pixel(x, y), underChild ? 0xFF123456u : marked.pixel(x, y)) << x << "," << y;
        }
}
