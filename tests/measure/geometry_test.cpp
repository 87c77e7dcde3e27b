#include "measure/geometry.h"

#include <QSize>

#include <gtest/gtest.h>

#include <cmath>

namespace measure {
namespace {

constexpr ScaleFactors kUnit{1.0f, 1.0f};

TEST(SameSpot, BothDifferencesMustTruncateToZero)
{
    struct Row { MeasurePoint b; bool same; };
    const MeasurePoint a{10, 10};
    for (const Row &r : {Row{{10.9f, 10.5f}, true}, Row{{9.1f, 9.5f}, true}, Row{{11.0f, 10.0f}, false},
                         Row{{10.0f, 9.0f}, false}, Row{{10, 10}, true}})
        EXPECT_EQ(SameSpot(a, r.b), r.same) << r.b.x << "," << r.b.y;
}

TEST(ScaleFactorsFor, PicksBitmapPictureOrWindow)
{
    struct Row { QSize window, picture, bitmap; bool useBitmap; float sx, sy; };
    for (const Row &r : {
             Row{{800, 600}, {640, 480}, {}, false, 118.0f / 640, 88.5f / 480},       // window wider: picture pixels
             Row{{640, 480}, {640, 480}, {}, false, 118.0f / 640, 88.5f / 480},
             Row{{640, 400}, {640, 360}, {}, false, 118.0f / 640, 88.5f / 360},       // same width: picture pixels
             Row{{400, 300}, {1600, 1200}, {}, false, 118.0f / 400, 88.5f / 300},     // narrower: window pixels
             Row{{400, 300}, {640, 480}, {1600, 1200}, true, 118.0f / 1600, 88.5f / 1200},
         }) {
        const auto f = ScaleFactorsFor(118.0f, 88.5f, r.window, r.picture, r.bitmap, r.useBitmap);
        ASSERT_TRUE(f);
        EXPECT_FLOAT_EQ(f->sx, r.sx);
        EXPECT_FLOAT_EQ(f->sy, r.sy);
    }
}

TEST(ScaleFactorsFor, ZeroSizeGivesNoFactors)
{
    EXPECT_FALSE(ScaleFactorsFor(118, 88.5f, {800, 600}, {0, 0}, {}, false));
    EXPECT_FALSE(ScaleFactorsFor(118, 88.5f, {0, 0}, {640, 480}, {}, false));
    EXPECT_FALSE(ScaleFactorsFor(118, 88.5f, {800, 600}, {640, 480}, {0, 0}, true));
}

TEST(SideOfLine, PositiveSideIsCounterClockwiseOfTheDirection)
{
    // y grows downwards: with A->B pointing right, the positive side is below.
    EXPECT_TRUE(SideOfLine({0, 0}, {10, 0}, {5, 5}));
    EXPECT_FALSE(SideOfLine({0, 0}, {10, 0}, {5, -5}));
    EXPECT_FALSE(SideOfLine({0, 0}, {10, 0}, {5, 0}));
}

TEST(RayAngle, ZeroLengthRaysGiveZero)
{
    EXPECT_EQ(RayCosine({1, 1}, {1, 1}, {0, 0}, {5, 5}), 0.0f);
    EXPECT_EQ(RayAngle({1, 1}, {1, 1}, {0, 0}, {5, 5}), 0.0f);
}

TEST(RayAngle, CollinearRaysStayInsideTheArccosDomain)
{
    // Long collinear rays whose float cosine can round past 1 must not give NaN.
    const MeasurePoint a{3, 7}, b{1003, 7007}, d{2003, 14007};
    EXPECT_FALSE(std::isnan(RayAngle(a, b, b, d)));
    for (int i = 1; i < 200; ++i) {
        const MeasurePoint p{float(i * 3), float(i * 7)}, q{float(i * 6 + 1), float(i * 14 + 1)};
        EXPECT_FALSE(std::isnan(RayAngle({0, 0}, p, {0, 0}, q)));
        EXPECT_LE(std::abs(RayCosine({0, 0}, p, {0, 0}, q)), 1.0f);
    }
}

TEST(Angles, RightAndStraightAnglesReadExactly)
{
    struct Row { const char *what; std::optional<float> value; float expected; };
    const MeasurePoint a{100, 10}, b{10, 10}, d{10, 100}, straight{200, 10};
    for (const Row &r : {Row{"3-point right", threePointAngle(a, b, d), 90.0f},
                         Row{"fillet right", threePointFillet(a, b, d), 90.0f},
                         Row{"4-point right", fourPointAngle({0, 50}, {100, 50}, {40, 0}, {40, 100}), 90.0f},
                         Row{"3-point straight", threePointAngle({0, 10}, {100, 10}, straight), 180.0f},
                         Row{"fillet straight", threePointFillet({0, 10}, {100, 10}, straight), 0.0f},
                         Row{"4-point parallel", fourPointAngle({0, 0}, {10, 0}, {30, 5}, {0, 5}), 0.0f},
                         Row{"4-point 45", fourPointAngle({0, 0}, {10, 0}, {0, 0}, {10, 10}), 45.0f}}) {
        ASSERT_TRUE(r.value) << r.what;
        EXPECT_NEAR(*r.value, r.expected, 1e-4) << r.what;
    }
}

TEST(Angles, ZeroLengthRayHasNoValue)
{
    EXPECT_FALSE(threePointAngle({5, 5}, {5, 5}, {10, 10}));
    EXPECT_FALSE(threePointFillet({0, 0}, {5, 5}, {5, 5}));
    EXPECT_FALSE(fourPointAngle({0, 0}, {10, 0}, {3, 3}, {3, 3}));
}

TEST(AxisSnap, SmallerOffsetDecidesTiesGoHorizontal)
{
    struct Row { MeasurePoint p; MeasurePoint expected; };
    const MeasurePoint anchor{10, 20};
    for (const Row &r : {Row{{40, 60}, {10, 60}},     // 30 right, 40 down: vertical
                         Row{{50, 50}, {50, 20}},     // 40 right, 30 down: horizontal
                         Row{{40, 50}, {40, 20}},     // exactly diagonal: horizontal
                         Row{{-20, -10}, {-20, 20}}}) // diagonal the other way
        EXPECT_EQ(AxisSnap(anchor, r.p), r.expected) << r.p.x << "," << r.p.y;
}

TEST(CircumCentre, CollinearPointsHaveNoCircle)
{
    EXPECT_FALSE(CircumCentre({0, 0}, {5, 5}, {10, 10}));
    EXPECT_FALSE(CircumCentre({0, 3}, {7, 3}, {2, 3}));
}

TEST(CircumCentre, FindsTheCentreOfAKnownCircle)
{
    const auto c = CircumCentre({10, 0}, {0, 10}, {-10, 0});
    ASSERT_TRUE(c);
    EXPECT_NEAR(c->x, 0, 1e-5);
    EXPECT_NEAR(c->y, 0, 1e-5);
    const auto m = circleMeasures(*c, {10, 0}, {0.5f, 0.5f});
    EXPECT_NEAR(m.radius, 5.0f, 1e-5);
    EXPECT_NEAR(m.circumference, 10.0 * kPi, 1e-4);
    EXPECT_NEAR(m.area, 25.0 * kPi, 1e-3);
    EXPECT_NEAR(m.diameter, 10.0f, 1e-5);
}

TEST(TwoPointCircle, VerticalDiameterIsANormalCircle)
{
    const TwoPointCircle c = twoPointCircle({50, 10}, {50, 70});
    EXPECT_NEAR(c.centre.x, 50, 1e-4);
    EXPECT_NEAR(c.centre.y, 40, 1e-4);
    EXPECT_FLOAT_EQ(c.radiusPx, 30);
    EXPECT_NEAR(circleMeasures(c.centre, {50, 10}, kUnit).diameter, 60, 1e-4);
}

TEST(CentreOnBisector, KeepsDistanceAndSide)
{
    const MeasurePoint a{0, 0}, b{100, 0};
    const MeasurePoint below = CentreOnBisector(a, b, {20, 30});   // positive side
    EXPECT_NEAR(below.x, 50, 1e-4);
    EXPECT_NEAR(below.y, PixelDistance({20, 30}, {50, 0}), 1e-4);
    const MeasurePoint above = CentreOnBisector(a, b, {80, -40});
    EXPECT_NEAR(above.x, 50, 1e-4);
    EXPECT_NEAR(above.y, -PixelDistance({80, -40}, {50, 0}), 1e-4);
    EXPECT_EQ(CentreOnBisector({5, 5}, {5, 5}, {9, 9}), (MeasurePoint{9, 9}));
}

TEST(Arc, CentreSideSwitchesBetweenMinorAndMajorArc)
{
    const MeasurePoint a{0, 0}, b{100, 0};
    const MeasurePoint above{50, -50}, below{50, 50};   // right angle at D either way
    const ArcMeasures minor = arcMeasures(a, b, above, kUnit);
    const ArcMeasures major = arcMeasures(a, b, below, kUnit);
    EXPECT_NEAR(minor.angleDeg, 90.0, 1e-3);
    EXPECT_NEAR(major.angleDeg, 270.0, 1e-3);
    const float r = std::sqrt(5000.0f);
    EXPECT_NEAR(minor.radius, r, 1e-4);
    EXPECT_NEAR(minor.arcLength, r * kPi / 2, 1e-3);
    EXPECT_NEAR(major.arcLength, r * 3 * kPi / 2, 1e-3);
    EXPECT_NEAR(major.perimeter, 2 * r + major.arcLength, 1e-3);
    EXPECT_NEAR(major.area, r * major.arcLength / 2, 1e-1);
}

TEST(Arch, SegmentOfAHalfCircle)
{
    // Half circle of radius 50: chord 100, arc 50*pi, segment area pi*50^2/2.
    const ArchMeasures m = archMeasures({0, 0}, {100, 0}, {50, 0}, kUnit);
    EXPECT_NEAR(m.angleDeg, 180.0, 1e-3);
    EXPECT_NEAR(m.chordLength, 100.0, 1e-3);
    EXPECT_NEAR(m.arcLength, 50 * kPi, 1e-3);
    EXPECT_NEAR(m.perimeter, 50 * kPi + 100, 1e-3);
    EXPECT_NEAR(m.area, kPi * 2500 / 2, 1e-1);
}

TEST(ArcOutline, StartAndMidLieOnTheCircle)
{
    const ArcOutline o = arcOutline({0, 0}, {100, 0}, {50, -50});
    EXPECT_NEAR(o.s.x, 0, 1e-3);
    EXPECT_NEAR(o.s.y, 0, 1e-3);
    EXPECT_NEAR(o.t.x, 50, 1e-3);
    EXPECT_NEAR(o.t.y, -50 + o.radiusPx, 1e-3);
}

TEST(Ellipse, DirectionOfDrawingDoesNotMatter)
{
    const ScaleFactors f{0.1f, 0.2f};
    const auto forward = ellipseMeasures({10, 10}, {110, 40}, f);
    const auto backward = ellipseMeasures({110, 40}, {10, 10}, f);
    ASSERT_TRUE(forward && backward);
    EXPECT_FLOAT_EQ(forward->shortRadius, backward->shortRadius);
    EXPECT_FLOAT_EQ(forward->longRadius, backward->longRadius);
    EXPECT_FLOAT_EQ(forward->shortRadius, 3.0f);
    EXPECT_FLOAT_EQ(forward->longRadius, 5.0f);
    EXPECT_NEAR(forward->area, kPi * 15, 1e-4);
    EXPECT_NEAR(forward->circumference, kPi * std::sqrt(2.0 * (9 + 25)), 1e-4);
    EXPECT_FALSE(ellipseMeasures({10, 10}, {10, 10}, f));
}

TEST(Rectangle, WorkedExampleGivesPerimeterFourAreaOne)
{
    const auto m = rectangleMeasures({10, 10}, {110, 60}, {0.01f, 0.02f});
    ASSERT_TRUE(m);
    EXPECT_EQ(m->perimeter, 4.0f);
    EXPECT_EQ(m->area, 1.0f);
    EXPECT_FALSE(rectangleMeasures({10, 10}, {10.9f, 10.5f}, {0.01f, 0.02f}));
}

TEST(Square, CornersAndMeasures)
{
    const SquareCorners c = squareCorners({0, 0}, {10, 10});
    EXPECT_EQ(c.p1, (MeasurePoint{10, 0}));
    EXPECT_EQ(c.p2, (MeasurePoint{0, 10}));
    const auto m = squareMeasures({0, 0}, {10, 10}, kUnit);
    ASSERT_TRUE(m);
    const double side = std::sqrt(200.0f) * kSquareSideFromDiagonal;
    EXPECT_NEAR(m->perimeter, 4 * side, 1e-4);
    EXPECT_NEAR(m->area, side * side, 1e-4);
    EXPECT_FALSE(squareMeasures({5, 5}, {5.5f, 5.9f}, kUnit));
}

TEST(Polygon, OpenForTwoClosedShoelaceForMore)
{
    const ScaleFactors f{0.5f, 2.0f};
    const MeasurePoint two[] = {{0, 0}, {6, 0}};
    EXPECT_FLOAT_EQ(polygonMeasures(two, 2, f).perimeter, 3.0f);
    EXPECT_FLOAT_EQ(polygonMeasures(two, 2, f).area, 0.0f);
    const MeasurePoint square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};   // 5 x 20 real units
    EXPECT_FLOAT_EQ(polygonMeasures(square, 4, f).perimeter, 50.0f);
    EXPECT_FLOAT_EQ(polygonMeasures(square, 4, f).area, 100.0f);
    const MeasurePoint bowtie[] = {{0, 0}, {10, 10}, {10, 0}, {0, 10}};   // self-crossing: lobes cancel
    EXPECT_FLOAT_EQ(polygonMeasures(bowtie, 4, kUnit).area, 0.0f);
}

TEST(Lines, PolylineSumsScaledSegments)
{
    const MeasurePoint pts[] = {{0, 0}, {3, 4}, {3, 14}};
    EXPECT_FLOAT_EQ(polylineLength(pts, 3, kUnit), 15.0f);
    EXPECT_FLOAT_EQ(polylineLength(pts, 3, {2.0f, 0.5f}), std::sqrt(36.0f + 4.0f) + 5.0f);
}

TEST(EndMarks, AuxiliaryMarksReachHalfTheSegment)
{
    const auto marks = auxiliaryEndMarks({10, 10}, {30, 10});
    EXPECT_EQ(marks[0].from, (MeasurePoint{10, 20}));
    EXPECT_EQ(marks[0].to, (MeasurePoint{10, 0}));
    EXPECT_EQ(marks[1].from, (MeasurePoint{30, 20}));
    EXPECT_EQ(marks[1].to, (MeasurePoint{30, 0}));
}

TEST(EndMarks, TicksArePerpendicularWithTheGivenReach)
{
    const auto ticks = endTicks({10, 10}, {110, 10}, 10);
    ASSERT_TRUE(ticks);
    EXPECT_EQ((*ticks)[0].from, (MeasurePoint{110, 0}));
    EXPECT_EQ((*ticks)[0].to, (MeasurePoint{110, 20}));
    EXPECT_EQ((*ticks)[1].from, (MeasurePoint{10, 0}));
    EXPECT_EQ((*ticks)[1].to, (MeasurePoint{10, 20}));
    EXPECT_FALSE(endTicks({5, 5}, {5, 5}, 20));
}

} // namespace
} // namespace measure

#include "scales/rulerscale.h"

namespace measure {
namespace {

TEST(FirstBuiltInScale, CoversOneHundredEighteenByEightyEightAndAHalfMillimetres)
{
    const scales::RulerScaleControl s = scales::firstBuiltInScale("Low", "Non-contact");
    EXPECT_EQ(s.name, "@Low[12.0cm,Non-contact]");
    EXPECT_EQ(s.unit, scales::ScaleUnit::Millimetre);
    EXPECT_FLOAT_EQ(s.hLength, 118.0f);
    EXPECT_FLOAT_EQ(s.vLength, 88.5f);
    EXPECT_EQ(s.spinValues[0].horizontal, 11800);
    EXPECT_EQ(s.spinValues[0].vertical, 8850);
    EXPECT_FLOAT_EQ(s.lengths[1].horizontal, 118.0f * 0.03937f);   // the store's inch factor
    EXPECT_EQ(s.colour, 0x0000FFu);
    const auto f = ScaleFactorsFor(s.hLength, s.vLength, {640, 480}, {640, 480}, {}, false);
    ASSERT_TRUE(f);
    EXPECT_FLOAT_EQ(f->sx, 118.0f / 640.0f);
    EXPECT_FLOAT_EQ(f->sy, 88.5f / 480.0f);
}

} // namespace
} // namespace measure
