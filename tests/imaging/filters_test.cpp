// The five still-image filters: the worked values, the exact grey value over every colour, the
// wrap-around of the neighbourhood filters, and the fast row code against a plain per-pixel
// model on pictures whose widths end in every remainder the vector loops leave.
#include "imaging/filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <tuple>

using imaging::FilterKind;
using platform::Bitmap;
using platform::ColorRef;
using platform::rgbColor;

namespace {

Bitmap uniform(int w, int h, int r, int g, int b) { return Bitmap(w, h, rgbColor(r, g, b)); }

struct Rgb {
    int r, g, b;
    friend bool operator==(const Rgb &, const Rgb &) = default;
};
std::ostream &operator<<(std::ostream &o, const Rgb &c) { return o << '(' << c.r << ", " << c.g << ", " << c.b << ')'; }

Rgb at(const Bitmap &b, int x, int y)
{
    const ColorRef c = b.pixel(x, y);
    return {platform::redOf(c), platform::greenOf(c), platform::blueOf(c)};
}

// Every pixel of the picture equals `expected(x, y)`; reports the first that does not.
template <class F>
::testing::AssertionResult everyPixel(const Bitmap &b, F expected)
{
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (const Rgb want = expected(x, y), got = at(b, x, y); !(want == got))
                return ::testing::AssertionFailure() << "at (" << x << ", " << y << ") of " << b.width() << " x "
                                                     << b.height() << ": " << got << ", expected " << want;
    return ::testing::AssertionSuccess();
}

// Output pixels are opaque, as QImage's RGB32 requires.
bool opaque(const Bitmap &b)
{
    for (int y = 0; y < b.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        if (!std::all_of(row, row + b.width(), [](QRgb p) { return qAlpha(p) == 255; }))
            return false;
    }
    return true;
}

Bitmap run(FilterKind kind, int k, const Bitmap &source)
{
    Bitmap out;
    imaging::applyFilter(kind, k, source, out);
    return out;
}

// Widths 37 and 3 leave tails after the 16- and 8-pixel steps; 1 x 1 wraps onto itself.
const std::pair<int, int> kSizes[] = {{37, 5}, {3, 2}, {1, 1}, {16, 1}, {2, 33}};

} // namespace

TEST(ComplementFilter, GivesTheWorkedValues)
{
    for (const auto &[w, h] : kSizes) {
        const Bitmap source = uniform(w, h, 10, 20, 30);
        EXPECT_TRUE(everyPixel(run(FilterKind::Complement, 0, source), [](int, int) { return Rgb{245, 235, 225}; }));
        EXPECT_TRUE(everyPixel(run(FilterKind::Complement, 100, source), [](int, int) { return Rgb{145, 135, 125}; }));
        // |255 - 250 - 10| = 5, and the other channels by the same rule.
        EXPECT_TRUE(everyPixel(run(FilterKind::Complement, 250, source), [](int, int) { return Rgb{5, 15, 25}; }));
        EXPECT_TRUE(opaque(run(FilterKind::Complement, 250, source)));
    }
}

TEST(BinaryFilter, SplitsBetweenGrey127And128AtTheStartPosition)
{
    // Neutral greys, and colours whose luma sums are 127 999 and exactly 128 000.
    const std::tuple<Rgb, int, Rgb> rows[] = {
        {{127, 127, 127}, 127, {0, 0, 0}}, {{128, 128, 128}, 128, {255, 255, 255}},
        {{6, 215, 0}, 127, {0, 0, 0}},     {{4, 210, 31}, 128, {255, 255, 255}},
        {{0, 0, 255}, 29, {0, 0, 0}},      {{255, 255, 255}, 255, {255, 255, 255}},
    };
    for (const auto &[colour, grey, expected] : rows) {
        ASSERT_EQ(imaging::greyValue(colour.r, colour.g, colour.b), grey) << colour;
        for (const auto &[w, h] : kSizes) {
            const Bitmap out = run(FilterKind::Binary, 127, uniform(w, h, colour.r, colour.g, colour.b));
            EXPECT_TRUE(everyPixel(out, [&](int, int) { return expected; })) << colour;
            EXPECT_TRUE(opaque(out));
        }
    }
    // The ends of the slider: at 0 only black stays black, at 255 everything is black.
    EXPECT_TRUE(everyPixel(run(FilterKind::Binary, 0, uniform(9, 2, 1, 1, 1)), [](int, int) { return Rgb{255, 255, 255}; }));
    EXPECT_TRUE(everyPixel(run(FilterKind::Binary, 0, uniform(9, 2, 0, 1, 0)), [](int, int) { return Rgb{0, 0, 0}; }));
    EXPECT_TRUE(everyPixel(run(FilterKind::Binary, 255, uniform(9, 2, 255, 255, 255)), [](int, int) { return Rgb{0, 0, 0}; }));
}

TEST(GreyValue, IsTheTruncatedLumaSumForEveryColour)
{
    // One 4096 x 4096 picture holds each of the 2^24 colours once; the grey and binary filters
    // must give the exact value at every one of them.
    QImage all(4096, 4096, QImage::Format_RGB32);
    for (int y = 0; y < 4096; ++y) {
        auto *row = reinterpret_cast<QRgb *>(all.scanLine(y));
        for (int x = 0; x < 4096; ++x) {
            const int c = y * 4096 + x;
            row[x] = qRgb(c >> 16, (c >> 8) & 0xFF, c & 0xFF);
        }
    }
    const Bitmap source(all);
    Bitmap grey, binary;
    imaging::greyLevelFilter(source, grey);
    imaging::binaryFilter(source, 127, binary);
    ASSERT_EQ(grey.size(), source.size());
    std::int64_t wrongGrey = 0, wrongBinary = 0, belowInDouble = 0;
    for (int y = 0; y < 4096; ++y) {
        const auto *g = reinterpret_cast<const QRgb *>(grey.constScanLine(y));
        const auto *b = reinterpret_cast<const QRgb *>(binary.constScanLine(y));
        for (int x = 0; x < 4096; ++x) {
            const int c = y * 4096 + x, r = c >> 16, gr = (c >> 8) & 0xFF, bl = c & 0xFF;
            // The real value 0.299 R + 0.587 G + 0.114 B truncated, in integers.
            const int exact = (299 * r + 587 * gr + 114 * bl) / 1000;
            if (g[x] != qRgb(exact, exact, exact) || imaging::greyValue(r, gr, bl) != exact)
                ++wrongGrey;
            if (b[x] != (exact > 127 ? qRgb(255, 255, 255) : qRgb(0, 0, 0)))
                ++wrongBinary;
            if (int(0.299 * r + 0.587 * gr + 0.114 * bl) != exact)
                ++belowInDouble;
        }
    }
    EXPECT_EQ(wrongGrey, 0);
    EXPECT_EQ(wrongBinary, 0);
    // Why the value is not taken from a double: there the sum falls just short of a whole number
    // for a few thousand colours, among them neutral greys.
    EXPECT_GT(belowInDouble, 0);
    EXPECT_EQ(int(0.299 * 1 + 0.587 * 1 + 0.114 * 1), 0);
    for (int v = 0; v < 256; ++v)
        EXPECT_EQ(imaging::greyValue(v, v, v), v);
}

TEST(GreyLevelFilter, WritesTheGreyIntoAllThreeChannels)
{
    for (const auto &[w, h] : kSizes) {
        const Bitmap out = run(FilterKind::GreyLevel, 0, uniform(w, h, 10, 20, 30));
        // 2 990 + 11 740 + 3 420 = 18 150
        EXPECT_TRUE(everyPixel(out, [](int, int) { return Rgb{18, 18, 18}; }));
        EXPECT_TRUE(opaque(out));
    }
}

TEST(NeighbourhoodFilters, AUniformPictureIsBlackAfterEdgesAndUnchangedAfterHighPass)
{
    for (const auto &[w, h] : kSizes)
        for (int v : {0, 1, 77, 128, 255}) {
            const Bitmap source = uniform(w, h, v, v, v);
            EXPECT_TRUE(everyPixel(run(FilterKind::EdgeDetection, 0, source), [](int, int) { return Rgb{0, 0, 0}; }))
                << "value " << v;
            EXPECT_TRUE(everyPixel(run(FilterKind::HighPass, 0, source), [v](int, int) { return Rgb{v, v, v}; }))
                << "value " << v;
            EXPECT_TRUE(opaque(run(FilterKind::HighPass, 0, source)));
        }
    // A coloured uniform picture works on its grey: (10, 20, 30) is grey 18.
    EXPECT_TRUE(everyPixel(run(FilterKind::HighPass, 0, uniform(37, 5, 10, 20, 30)), [](int, int) { return Rgb{18, 18, 18}; }));
}

TEST(NeighbourhoodFilters, ASingleWhitePixelStaysAloneOnBlack)
{
    for (const QPoint p : {QPoint(20, 3), QPoint(0, 0), QPoint(36, 4)}) {
        Bitmap source = uniform(37, 5, 0, 0, 0);
        source.setPixel(p.x(), p.y(), 0xFFFFFF);
        const auto alone = [p](int x, int y) { return QPoint(x, y) == p ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; };
        EXPECT_TRUE(everyPixel(run(FilterKind::HighPass, 0, source), alone)) << p.x() << "," << p.y();
        EXPECT_TRUE(everyPixel(run(FilterKind::EdgeDetection, 0, source), alone)) << p.x() << "," << p.y();
    }
}

TEST(NeighbourhoodFilters, TheNeighboursOfACornerPixelWrapAroundThePicture)
{
    // Grey 100 with a black pixel at (0, 0): each of its eight neighbours sees one dark
    // neighbour, across the edges too; every other pixel sees only 100s.
    const int w = 37, h = 5;
    Bitmap source = uniform(w, h, 100, 100, 100);
    source.setPixel(0, 0, 0);
    const auto neighbour = [&](int x, int y) {
        const int dx = std::min((x - 0 + w) % w, (0 - x + w) % w), dy = std::min((y - 0 + h) % h, (0 - y + h) % h);
        return dx <= 1 && dy <= 1 && (dx | dy) != 0;
    };
    EXPECT_TRUE(everyPixel(run(FilterKind::HighPass, 0, source), [&](int x, int y) {
        if (x == 0 && y == 0)
            return Rgb{0, 0, 0};   // 9 x 0 - 800
        return neighbour(x, y) ? Rgb{200, 200, 200} : Rgb{100, 100, 100};
    }));
    EXPECT_TRUE(everyPixel(run(FilterKind::EdgeDetection, 0, source), [&](int x, int y) {
        return neighbour(x, y) ? Rgb{100, 100, 100} : Rgb{0, 0, 0};
    }));
    EXPECT_EQ(at(run(FilterKind::EdgeDetection, 0, source), w - 1, h - 1), (Rgb{100, 100, 100}));
}

TEST(Filters, TheRowCodeAgreesWithAPerPixelModelOnEveryWidth)
{
    std::mt19937 random(12345);
    for (int w = 1; w <= 40; ++w)
        for (int h : {1, 2, 3, 4, 7}) {
            QImage img(w, h, QImage::Format_RGB32);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    img.setPixel(x, y, qRgb(int(random() & 0xFF), int(random() & 0xFF), int(random() & 0xFF)));
            const Bitmap source(img);
            const auto grey = [&](int x, int y) {
                const QRgb p = img.pixel((x + w) % w, (y + h) % h);
                return imaging::greyValue(qRed(p), qGreen(p), qBlue(p));
            };
            const auto neighbourhood = [&](int weight) {
                return [&, weight](int x, int y) {
                    int sum = 0;
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx)
                            if (dx || dy)
                                sum += grey(x + dx, y + dy);
                    const int e = std::clamp(weight * grey(x, y) - sum, 0, 255);
                    return Rgb{e, e, e};
                };
            };
            const int k = int(random() % 256);
            const auto complement = [&](int x, int y) {
                const QRgb p = img.pixel(x, y);
                return Rgb{std::abs(255 - k - qRed(p)), std::abs(255 - k - qGreen(p)), std::abs(255 - k - qBlue(p))};
            };
            SCOPED_TRACE(testing::Message() << w << " x " << h << ", k " << k);
            EXPECT_TRUE(everyPixel(run(FilterKind::EdgeDetection, k, source), neighbourhood(8)));
            EXPECT_TRUE(everyPixel(run(FilterKind::HighPass, k, source), neighbourhood(9)));
            EXPECT_TRUE(everyPixel(run(FilterKind::Complement, k, source), complement));
            EXPECT_TRUE(everyPixel(run(FilterKind::GreyLevel, k, source), [&](int x, int y) {
                const int g = grey(x, y);
                return Rgb{g, g, g};
            }));
            EXPECT_TRUE(everyPixel(run(FilterKind::Binary, k, source), [&](int x, int y) {
                const int v = grey(x, y) > k ? 255 : 0;
                return Rgb{v, v, v};
            }));
        }
}

TEST(Filters, LeaveTheSourceAloneAndAcceptAnyTarget)
{
    const Bitmap source = uniform(20, 4, 10, 20, 30);
    // A target sharing the source's pixels gets pixels of its own.
    Bitmap target = source;
    imaging::complementFilter(source, 0, target);
    EXPECT_EQ(at(source, 5, 2), (Rgb{10, 20, 30}));
    EXPECT_EQ(at(target, 5, 2), (Rgb{245, 235, 225}));
    // A target of another size is made the source's size.
    Bitmap small(3, 3);
    imaging::edgeDetectionFilter(source, small);
    EXPECT_EQ(small.size(), source.size());
    // Nothing in, nothing out.
    Bitmap none(4, 4);
    imaging::highPassFilter(Bitmap(), none);
    EXPECT_TRUE(none.isNull());
    // No filter copies; a slider position beyond the range counts as its end.
    EXPECT_EQ(run(FilterKind::None, 0, source), source);
    EXPECT_EQ(at(run(FilterKind::Complement, 999, source), 0, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(at(run(FilterKind::Complement, -5, source), 0, 0), (Rgb{245, 235, 225}));
}

TEST(Filters, OnlyComplementAndBinaryTakeTheSlider)
{
    EXPECT_FALSE(imaging::sliderFor(FilterKind::GreyLevel).enabled);
    EXPECT_FALSE(imaging::sliderFor(FilterKind::EdgeDetection).enabled);
    EXPECT_FALSE(imaging::sliderFor(FilterKind::HighPass).enabled);
    EXPECT_FALSE(imaging::sliderFor(FilterKind::None).enabled);
    const imaging::FilterSlider complement = imaging::sliderFor(FilterKind::Complement);
    EXPECT_TRUE(complement.enabled);
    EXPECT_EQ(complement.maximum, 255);
    EXPECT_EQ(complement.position, 0);
    const imaging::FilterSlider binary = imaging::sliderFor(FilterKind::Binary);
    EXPECT_TRUE(binary.enabled);
    EXPECT_EQ(binary.maximum, 255);
    EXPECT_EQ(binary.position, 127);
}
