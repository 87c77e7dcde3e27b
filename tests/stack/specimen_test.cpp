// The virtual camera's specimen in depth: the flat one at focus 50 is the picture every other
// test knows, blur grows with the distance from the focus, the tilted one is sharp where its
// height meets the focus, and placements move the picture exactly.
#include "platform/gst/specimen.h"
#include "stack/sharpness.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

namespace {

using platform::SpecimenRelief;

TEST(Specimen, FlatAtFocusFiftyIsTodaysPictureExactly)
{
    for (const QSize size : {QSize(640, 480), QSize(1600, 1200)})
        EXPECT_EQ(platform::drawSpecimenAtFocus(size.width(), size.height(), 50), platform::drawSpecimen(size.width(), size.height()))
            << size.width();
}

TEST(Specimen, BlurSigmaGrowsInProportionToTheFocusDistanceAndThePictureWidth)
{
    // 0.04 divisions a unit, a division being width / 128 pixels: 0.5 px a unit at 1600.
    const std::array<std::array<double, 3>, 6> table{
        {{1600, 10, 5.0}, {1600, -40, 20.0}, {800, 10, 2.5}, {640, 30, 6.0}, {400, -30, 3.75}, {640, 0, 0.0}}};
    for (const auto &[width, distance, sigma] : table)
        EXPECT_NEAR(platform::specimenBlurSigma(int(width), distance), sigma, 1e-12) << width << " " << distance;
}

TEST(Specimen, FlatSpecimenIsSharpestAtFiftyAndBlursAlikeEitherSide)
{
    std::map<int, double> energy;
    for (int focus : {0, 20, 35, 50, 65, 80})
        energy[focus] = stack::laplacianEnergy(platform::Bitmap(platform::drawSpecimenAtFocus(640, 480, focus)));
    EXPECT_GT(energy[50], energy[35]);
    EXPECT_GT(energy[35], energy[20]);
    EXPECT_GT(energy[20], energy[0]);
    EXPECT_NEAR(energy[35] / energy[65], 1.0, 0.05);
    EXPECT_NEAR(energy[20] / energy[80], 1.0, 0.05);
}

TEST(Specimen, TiltedSpecimenIsSharpWhereItsHeightMeetsTheFocus)
{
    // Height 30 at the left edge, 70 at the right: focus 35 is sharp near x = 1/8 of the width,
    // focus 65 near 7/8.
    EXPECT_DOUBLE_EQ(platform::specimenHeight(SpecimenRelief::Tilted, 0.0), 30.0);
    EXPECT_DOUBLE_EQ(platform::specimenHeight(SpecimenRelief::Tilted, 0.125), 35.0);
    EXPECT_DOUBLE_EQ(platform::specimenHeight(SpecimenRelief::Flat, 0.9), 50.0);
    platform::SpecimenRenderer r(640, 480, SpecimenRelief::Tilted);
    const platform::Bitmap near(r.atFocus(35)), far(r.atFocus(65));
    const QRect left(40, 150, 80, 120), right(520, 150, 80, 120);   // the micrometer's ends
    EXPECT_GT(stack::laplacianEnergy(near, left), 4 * stack::laplacianEnergy(far, left));
    EXPECT_GT(stack::laplacianEnergy(far, right), 4 * stack::laplacianEnergy(near, right));
    const std::vector<float> heights = platform::specimenHeightMap(640, 480, SpecimenRelief::Tilted);
    ASSERT_EQ(heights.size(), 640u * 480u);
    EXPECT_NEAR(heights[0], 30.0 + 40.0 * 0.5 / 640, 1e-4);            // the first column's centre
    EXPECT_NEAR(heights[640 * 479 + 639], 70.0 - 40.0 * 0.5 / 640, 1e-4);
}

TEST(Specimen, AllInFocusIsSharperThanEveryFocusAndAShiftMovesItByWholePixels)
{
    platform::SpecimenRenderer r(640, 480, SpecimenRelief::Tilted);
    const platform::Bitmap sharp(r.allInFocus());
    for (int focus : {30, 50, 70})
        EXPECT_GT(stack::laplacianEnergy(sharp), stack::laplacianEnergy(platform::Bitmap(r.atFocus(focus)))) << focus;
    const QImage moved = r.allInFocus({1.0, 7, -3});
    EXPECT_EQ(moved.copy(107, 97, 400, 300), sharp.image().copy(100, 100, 400, 300));
}

} // namespace
