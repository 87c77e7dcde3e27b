#include "measure/edgesnap.h"

#include "syntheticpicture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace measure {
namespace {

using testing::drawBand;
using testing::Greys;

constexpr double kDegree = 3.141592653589793 / 180.0;

// A bar 37.30 px wide whose length runs 7 degrees off the vertical. n points across it, from the
// first edge (n.p = kLow) to the second (n.p = kLow + kWidth).
constexpr double kWidth = 37.30;
const PrecisePoint kAcross{std::cos(7 * kDegree), -std::sin(7 * kDegree)};
const PrecisePoint kAlong{std::sin(7 * kDegree), std::cos(7 * kDegree)};
const PrecisePoint kOnFirstEdge{101.23, 100.0};
const double kLow = kAcross.x * kOnFirstEdge.x + kAcross.y * kOnFirstEdge.y;

PrecisePoint plus(PrecisePoint p, PrecisePoint dir, double t) { return {p.x + t * dir.x, p.y + t * dir.y}; }
PrecisePoint whole(PrecisePoint p) { return {std::round(p.x), std::round(p.y)}; }
double distance(PrecisePoint a, PrecisePoint b) { return std::hypot(b.x - a.x, b.y - a.y); }
double across(PrecisePoint p) { return kAcross.x * p.x + kAcross.y * p.y; }

platform::Bitmap bar(double noise = 0)
{
    Greys g;
    g.noiseSigma = noise;
    return drawBand(240, 200, kAcross, kLow, kLow + kWidth, g);
}

TEST(SyntheticPicture, CoverageIsExactArea)
{
    // Half the pixel on either side of a line through its centre; the whole pixel inside a disc.
    EXPECT_NEAR(testing::bandCoverage(-0.5, 0.5, -0.5, 0.5, kAcross, 0.0, 10.0), 0.5, 1e-12);
    EXPECT_NEAR(testing::discCoverage(-0.5, 0.5, -0.5, 0.5, 3.0), 1.0, 1e-12);
    // A quarter of a disc of radius 1 in the unit square at its centre.
    EXPECT_NEAR(testing::discCoverage(0, 1, 0, 1, 1.0), 3.141592653589793 / 4, 1e-12);
    // Summed over the picture, the disc's coverage is its area.
    double sum = 0;
    for (int y = -50; y <= 50; ++y)
        for (int x = -50; x <= 50; ++x)
            sum += testing::discCoverage(x - 0.5 - 0.37, x + 0.5 - 0.37, y - 0.5 + 0.61, y + 0.5 + 0.61, 41.70);
    EXPECT_NEAR(sum, 3.141592653589793 * 41.70 * 41.70, 1e-6);
}

// Clicks up to 3 px off each edge of the bar, at whole pixels as a mouse gives them; the snapped
// line across measures the bar's width.
void measureAcrossBar(double noise, double tolerance)
{
    const platform::Bitmap picture = bar(noise);
    const LumaSampler luma(picture);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> off(-3.0, 3.0);
    double worstSnapped = 0, worstClicked = 0, worstOnEdge = 0;
    for (int row = 0; row < 24; ++row) {
        const PrecisePoint first = plus(kOnFirstEdge, kAlong, -60 + 5.3 * row);
        const PrecisePoint second = plus(first, kAcross, kWidth);
        const PrecisePoint clickA = whole(plus(first, kAcross, off(random)));
        const PrecisePoint clickB = whole(plus(second, kAcross, off(random)));
        const auto a = snapToEdge(luma, clickA);
        const auto b = snapToEdge(luma, clickB);
        ASSERT_TRUE(a && b) << "row " << row;
        const double snapped = distance(a->point, b->point) - kWidth;
        const double clicked = distance(clickA, clickB) - kWidth;
        EXPECT_NEAR(snapped, 0.0, tolerance) << "row " << row;
        worstSnapped = std::max(worstSnapped, std::abs(snapped));
        worstClicked = std::max(worstClicked, std::abs(clicked));
        worstOnEdge = std::max({worstOnEdge, std::abs(across(a->point) - kLow), std::abs(across(b->point) - kLow - kWidth)});
        // The first edge goes dark going across, the second light again.
        EXPECT_LT(a->normal.x * kAcross.x + a->normal.y * kAcross.y, -0.99);
        EXPECT_GT(b->normal.x * kAcross.x + b->normal.y * kAcross.y, 0.99);
    }
    std::printf("[ bar 37.30 px at 7 deg, noise sigma %.0f ] snapped width error at most %.3f px (point off its "
                "edge at most %.3f px); unsnapped clicks err by up to %.3f px\n",
                noise, worstSnapped, worstOnEdge, worstClicked);
}

TEST(EdgeSnap, LineAcrossATiltedBarMeasuresItsWidth) { measureAcrossBar(0.0, 0.10); }

TEST(EdgeSnap, LineAcrossANoisyBarMeasuresItsWidth) { measureAcrossBar(5.0, 0.20); }

TEST(EdgeSnap, MovesAcrossTheEdgeOnlyNeverAlongIt)
{
    const platform::Bitmap picture = bar();
    const LumaSampler luma(picture);
    const PrecisePoint click = whole(plus(plus(kOnFirstEdge, kAlong, 20), kAcross, 2.6));
    const auto s = snapToEdge(luma, click);
    ASSERT_TRUE(s);
    // Across by the distance to the edge; along it only as far as the direction found is off the
    // true one (a fraction of a degree).
    const double along = (s->point.x - click.x) * kAlong.x + (s->point.y - click.y) * kAlong.y;
    const double acrossBy = (s->point.x - click.x) * kAcross.x + (s->point.y - click.y) * kAcross.y;
    EXPECT_NEAR(acrossBy, kLow - across(click), 0.05);
    EXPECT_NEAR(along, 0.0, 0.05);
}

TEST(EdgeSnap, StaysPutWithoutAnEdgeAboveTheNoise)
{
    struct Row {
        const char *what;
        platform::Bitmap picture;
        PrecisePoint click;
    };
    Greys flat;
    flat.shape = flat.background;
    Greys noiseOnly = flat;
    noiseOnly.noiseSigma = 5;
    Greys faint;   // a step of 5 grey levels is below the minimum gradient
    faint.shape = faint.background - 5;
    const Row rows[] = {
        {"flat", drawBand(80, 80, kAcross, 30, 50, flat), {40, 40}},
        {"noise only", drawBand(80, 80, kAcross, 30, 50, noiseOnly), {40, 40}},
        {"faint edge", drawBand(80, 80, kAcross, 30, 50, faint), {31, 40}},
        {"edge beyond the radius", bar(), whole(plus(kOnFirstEdge, kAcross, -9))},
        {"outside the picture", bar(), {-3, 40}},
        {"empty picture", platform::Bitmap(), {0, 0}},
    };
    for (const Row &r : rows)
        EXPECT_FALSE(snapToEdge(LumaSampler(r.picture), r.click)) << r.what;
    // Everywhere on the noise: never an edge.
    const platform::Bitmap noise = drawBand(120, 120, kAcross, 30, 50, noiseOnly);
    const LumaSampler noiseLuma(noise);
    int snapped = 0;
    for (int y = 10; y < 110; y += 7)
        for (int x = 10; x < 110; x += 7)
            snapped += snapToEdge(noiseLuma, {double(x), double(y)}) ? 1 : 0;
    EXPECT_EQ(snapped, 0);
}

TEST(EdgeSnap, RadiusBoundsHowFarAPointMoves)
{
    const platform::Bitmap picture = bar();
    const LumaSampler luma(picture);
    const PrecisePoint click = whole(plus(kOnFirstEdge, kAcross, -5));
    EdgeSnapOptions near;
    near.radiusPx = 3;
    EXPECT_FALSE(snapToEdge(luma, click, near));
    const auto s = snapToEdge(luma, click);   // default radius 6
    ASSERT_TRUE(s);
    EXPECT_LE(distance(s->point, click), 6.0);
}

TEST(EdgeSnap, StrongerOfTwoEdgesInReachWins)
{
    // A 3 px dark line on light: the darker background side on the right makes the left edge
    // the stronger; every click within reach of both goes there.
    platform::Bitmap picture(60, 40, platform::rgbColor(200, 200, 200));
    for (int y = 0; y < 40; ++y) {
        for (int x = 30; x < 33; ++x)
            picture.setPixel(x, y, platform::rgbColor(40, 40, 40));
        for (int x = 33; x < 60; ++x)
            picture.setPixel(x, y, platform::rgbColor(150, 150, 150));
    }
    const LumaSampler luma(picture);
    for (int x = 26; x <= 35; ++x) {
        const auto s = snapToEdge(luma, {double(x), 20});
        ASSERT_TRUE(s) << x;
        EXPECT_NEAR(s->point.x, 29.5, 0.25) << x;   // the left edge, not the right one at 32.5
    }
}

} // namespace
} // namespace measure
