#include "measure/circlefit.h"

#include "syntheticpicture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace measure {
namespace {

using testing::drawDisc;
using testing::Greys;

// A disc of radius 41.70 px about a point between pixel centres.
constexpr double kRadius = 41.70;
constexpr PrecisePoint kCentre{97.37, 103.61};

double distance(PrecisePoint a, PrecisePoint b) { return std::hypot(b.x - a.x, b.y - a.y); }

platform::Bitmap disc(double noise, bool darkOnLight = true)
{
    Greys g;
    g.noiseSigma = noise;
    if (!darkOnLight)
        std::swap(g.background, g.shape);
    return drawDisc(200, 210, kCentre, kRadius, g);
}

// The three-point circle through clicks up to 3 px off the rim, at whole pixels: what measuring
// the disc without snapping gives.
void unsnappedErrors(std::mt19937 &random, double &radiusError, double &centreError)
{
    std::uniform_real_distribution<double> off(-3.0, 3.0);
    MeasurePoint p[3];
    for (int i = 0; i < 3; ++i) {
        const double angle = 0.3 + 2.1 * i;
        const double r = kRadius + off(random);
        p[i] = {float(std::round(kCentre.x + r * std::cos(angle))), float(std::round(kCentre.y + r * std::sin(angle)))};
    }
    const auto c = CircumCentre(p[0], p[1], p[2]);
    ASSERT_TRUE(c);
    radiusError = std::abs(double(PixelDistance(*c, p[0])) - kRadius);
    centreError = distance({c->x, c->y}, kCentre);
}

void fitFromInside(double noise, double tolerance, bool darkOnLight)
{
    const platform::Bitmap picture = disc(noise, darkOnLight);
    const LumaSampler luma(picture);
    std::mt19937 random(11);
    double worstRadius = 0, worstCentre = 0, worstRms = 0, clickedRadius = 0, clickedCentre = 0;
    // Clicks anywhere well inside the disc.
    const PrecisePoint clicks[] = {{97, 104}, {80, 90}, {120, 115}, {100, 130}, {75, 110}, {105, 80}};
    for (const PrecisePoint click : clicks) {
        const auto fit = circleByEdge(luma, click);
        ASSERT_TRUE(fit) << click.x << "," << click.y;
        EXPECT_NEAR(fit->radius, kRadius, tolerance) << click.x << "," << click.y;
        EXPECT_LE(distance(fit->centre, kCentre), tolerance) << click.x << "," << click.y;
        EXPECT_GE(fit->pointsKept, 56);
        worstRadius = std::max(worstRadius, std::abs(fit->radius - kRadius));
        worstCentre = std::max(worstCentre, distance(fit->centre, kCentre));
        worstRms = std::max(worstRms, fit->rmsResidual);
        double r = 0, c = 0;
        unsnappedErrors(random, r, c);
        clickedRadius = std::max(clickedRadius, r);
        clickedCentre = std::max(clickedCentre, c);
    }
    std::printf("[ %s disc r 41.70 px at (97.37, 103.61), noise sigma %.0f ] circle by edge: radius error at most "
                "%.3f px, centre error at most %.3f px, RMS residual at most %.3f px; three clicks up to 3 px off "
                "the rim: radius error up to %.3f px, centre error up to %.3f px\n",
                darkOnLight ? "dark" : "light", noise, worstRadius, worstCentre, worstRms, clickedRadius, clickedCentre);
}

TEST(CircleByEdge, FindsTheDiscFromAnInnerClick) { fitFromInside(0, 0.10, true); }

TEST(CircleByEdge, FindsALightDiscOnDarkAsWell) { fitFromInside(0, 0.10, false); }

TEST(CircleByEdge, FindsTheNoisyDiscWithinAFifthOfAPixel) { fitFromInside(5, 0.20, true); }

TEST(CircleByEdge, ASpeckInsideStopsNoRay)
{
    // A fainter speck of radius 3 beside the click: the rays through it walk on to the rim.
    platform::Bitmap picture = disc(0);
    const PrecisePoint speck{105.2, 99.6};
    for (int y = 90; y < 110; ++y)
        for (int x = 95; x < 116; ++x) {
            const double c = testing::discCoverage(x - 0.5 - speck.x, x + 0.5 - speck.x, y - 0.5 - speck.y,
                                                   y + 0.5 - speck.y, 3.0);
            const int g = int(std::lround(platform::redOf(picture.pixel(x, y)) * (1 - c) + 130 * c));
            picture.setPixel(x, y, platform::rgbColor(g, g, g));
        }
    const auto fit = circleByEdge(LumaSampler(picture), {97, 101});
    ASSERT_TRUE(fit);
    EXPECT_NEAR(fit->radius, kRadius, 0.10);
    EXPECT_LE(distance(fit->centre, kCentre), 0.10);
    EXPECT_GE(fit->pointsKept, 60);   // a ray grazing the speck may still be dropped as an outlier
}

TEST(CircleByEdge, AShadedParticleIsFoundByItsOutlineNotItsDarkerBorder)
{
    // A particle as a microscope shows one: lighter in the middle, darker towards a border band,
    // then the light background. The shading and the band change the luma long before the rim.
    constexpr PrecisePoint centre{60.3, 58.6};
    constexpr double radius = 12.5;
    platform::Bitmap picture(120, 120, platform::rgbColor(210, 210, 210));
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x) {
            const double r = std::hypot(x - centre.x, y - centre.y) / radius;
            const double inner = r < 0.8 ? 95 - 35 * r / 0.8 : 60 - 150 * (r - 0.8);
            const double c = testing::discCoverage(x - 0.5 - centre.x, x + 0.5 - centre.x, y - 0.5 - centre.y,
                                                   y + 0.5 - centre.y, radius);
            const int g = int(std::lround(210 * (1 - c) + std::max(30.0, inner) * c));
            picture.setPixel(x, y, platform::rgbColor(g, g, g));
        }
    for (const PrecisePoint click : {PrecisePoint{60, 59}, PrecisePoint{58, 57}, PrecisePoint{63, 61}}) {
        const auto fit = circleByEdge(LumaSampler(picture), click);
        ASSERT_TRUE(fit) << click.x << "," << click.y;
        EXPECT_NEAR(fit->radius, radius, 0.15);
        EXPECT_LE(distance(fit->centre, centre), 0.15);
    }
}

TEST(CircleByEdge, AClickBesideTheFeaturesFitsNothing)
{
    // Open ground between a bar and a disc: the rays meet both at all distances.
    platform::Bitmap picture = disc(0);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 160; x < 180; ++x)
            picture.setPixel(x, y, platform::rgbColor(60, 60, 60));
    EXPECT_FALSE(circleByEdge(LumaSampler(picture), {150, 40}));
    EXPECT_TRUE(circleByEdge(LumaSampler(picture), {97, 104}));
}

TEST(CircleByEdge, NothingToFitGivesNoCircle)
{
    Greys flat;
    flat.shape = flat.background;
    const platform::Bitmap blank = drawDisc(120, 120, {60, 60}, 30, flat);
    EXPECT_FALSE(circleByEdge(LumaSampler(blank), {60, 60}));
    const platform::Bitmap round = disc(0), none;
    EXPECT_FALSE(circleByEdge(LumaSampler(round), {-5, 40}));   // outside the picture
    EXPECT_FALSE(circleByEdge(LumaSampler(none), {0, 0}));
}

TEST(CircleFit, RejectsOutliersAndReportsTheResidualOfTheRest)
{
    std::vector<PrecisePoint> points;
    for (int i = 0; i < 40; ++i) {
        const double a = 6.283185307179586 * i / 40;
        points.push_back({10.5 + 20 * std::cos(a), -4.25 + 20 * std::sin(a)});
    }
    // Five rays stopped at something else first.
    for (int i : {3, 11, 17, 25, 33})
        points[std::size_t(i)] = {10.5 + 12 * std::cos(6.283185307179586 * i / 40),
                                  -4.25 + 12 * std::sin(6.283185307179586 * i / 40)};
    const auto fit = fitCircle(points);
    ASSERT_TRUE(fit);
    EXPECT_NEAR(fit->centre.x, 10.5, 1e-9);
    EXPECT_NEAR(fit->centre.y, -4.25, 1e-9);
    EXPECT_NEAR(fit->radius, 20.0, 1e-9);
    EXPECT_EQ(fit->pointsKept, 35);
    EXPECT_EQ(fit->pointsFound, 40);
    EXPECT_NEAR(fit->rmsResidual, 0.0, 1e-9);
}

TEST(CircleFit, APointFarBeyondTheRimDoesNotPullTheCircle)
{
    // A small circle and one ray that escaped to something 200 px away.
    std::vector<PrecisePoint> points;
    for (int i = 0; i < 64; ++i) {
        const double a = 6.283185307179586 * i / 64, r = i == 54 ? 200.0 : 12.5;
        points.push_back({306.8 + r * std::cos(a), 373.9 + r * std::sin(a)});
    }
    const auto fit = fitCircle(points);
    ASSERT_TRUE(fit);
    EXPECT_NEAR(fit->radius, 12.5, 1e-9);
    EXPECT_NEAR(fit->centre.x, 306.8, 1e-9);
    EXPECT_EQ(fit->pointsKept, 63);
}

TEST(CircleFit, ResidualIsTheRmsDistanceFromTheCircle)
{
    // Alternately 0.1 px outside and inside a circle of radius 10: every distance is 0.1.
    std::vector<PrecisePoint> points;
    for (int i = 0; i < 36; ++i) {
        const double a = 6.283185307179586 * i / 36, r = i % 2 == 0 ? 10.1 : 9.9;
        points.push_back({r * std::cos(a), r * std::sin(a)});
    }
    const auto fit = fitCircle(points);
    ASSERT_TRUE(fit);
    EXPECT_NEAR(fit->radius, 10.0, 1e-6);
    EXPECT_NEAR(fit->rmsResidual, 0.1, 1e-6);
    EXPECT_EQ(fit->pointsKept, 36);
}

TEST(CircleFit, DegenerateInputGivesNoCircle)
{
    std::vector<PrecisePoint> line;
    for (int i = 0; i < 20; ++i)
        line.push_back({double(i), 2.0 * i});
    EXPECT_FALSE(fitCircle(line));
    EXPECT_FALSE(fitCircle({{0, 0}, {1, 0}, {0, 1}}, 6));   // fewer points than asked for
    EXPECT_FALSE(fitCircle({}));
}

} // namespace
} // namespace measure
