// The click protocol alone: which release places which point and which one completes a shape.
#include "measure/clickprotocol.h"

#include <gtest/gtest.h>

#include <vector>

namespace measure {
namespace {

using Paint = ClickProtocol::Paint;

struct Click {
    MeasurePoint at;
    PointerButton button = PointerButton::Left;
};

struct Row {
    const char *name;
    ShapeKind kind;
    std::vector<Click> releases;   // after the first press at (10, 10)
    std::size_t completesAt;       // 1-based release that completes the shape
    MeasurePoint a, b, c, d;       // the record once complete (c, d only where the kind uses them)
};

class ClickProtocolTable : public ::testing::TestWithParam<Row> {};

TEST_P(ClickProtocolTable, CompletesOnItsLastReleaseWithThePointsPlaced)
{
    const Row &r = GetParam();
    ClickProtocol protocol;
    protocol.setToolKind(r.kind);
    ShapeDraft shape;
    shape.kind = r.kind;
    LabelSettings labels;
    const SurfaceFlags flags;
    SurfaceOutcome out;
    protocol.press({PointerButton::Left, {}, false, false}, {10, 10}, flags, shape, labels, out);
    ASSERT_TRUE(protocol.inProgress());
    EXPECT_EQ(labels.counter, 1);
    for (std::size_t i = 0; i < r.releases.size(); ++i) {
        const Click &c = r.releases[i];
        const ClickProtocol::Step step = protocol.release({c.button, {}, false, false}, c.at, flags, shape, out);
        const bool last = i + 1 == r.completesAt;
        EXPECT_EQ(step.paint == Paint::Complete, last) << "release " << i + 1;
        EXPECT_EQ(protocol.inProgress(), !last && i + 1 < r.completesAt) << "release " << i + 1;
    }
    EXPECT_EQ(shape.a, r.a);
    EXPECT_EQ(shape.b, r.b);
    if (usesCAndD(r.kind)) {
        EXPECT_EQ(shape.c, r.c);
        EXPECT_EQ(shape.d, r.d);
    }
    EXPECT_EQ(protocol.clickCounter(r.kind), 0) << "the counter starts again for the next shape";
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ClickProtocolTable,
    ::testing::Values(
        Row{"Line", ShapeKind::Line, {{{10, 10}}, {{110, 10}}}, 2, {10, 10}, {110, 10}, {}, {}},
        Row{"Rectangle", ShapeKind::Rectangle, {{{10, 10}}, {{60, 40}}}, 2, {10, 10}, {60, 40}, {}, {}},
        Row{"ThreePointsCircle", ShapeKind::ThreePointsCircle, {{{10, 10}}, {{50, 10}}, {{30, 40}}}, 3, {10, 10}, {50, 10},
            {50, 10}, {30, 40}},
        Row{"ThreePointsAngle", ShapeKind::ThreePointsAngle, {{{10, 10}}, {{90, 10}}, {{10, 70}}}, 3, {10, 10}, {90, 10},
            {90, 10}, {10, 70}},
        Row{"FourPointsAngle", ShapeKind::FourPointsAngle, {{{10, 10}}, {{90, 10}}, {{20, 50}}, {{80, 90}}}, 4, {10, 10},
            {90, 10}, {20, 50}, {80, 90}},
        // A list shape: left releases place points, a right release away from the last one ends it there.
        Row{"NodeLine", ShapeKind::NodeLine, {{{10, 10}}, {{50, 10}}, {{50, 60}, PointerButton::Right}}, 3, {10, 10},
            {50, 60}, {}, {}}),
    [](const ::testing::TestParamInfo<Row> &info) { return std::string(info.param.name); });

TEST(ClickProtocol, ANodeLineKeepsEachPlacedPointAndTheRightReleaseAsTheLast)
{
    ClickProtocol protocol;
    protocol.setToolKind(ShapeKind::NodeLine);
    ShapeDraft shape;
    shape.kind = ShapeKind::NodeLine;
    LabelSettings labels;
    SurfaceOutcome out;
    const SurfaceFlags flags;
    protocol.press({}, {10, 10}, flags, shape, labels, out);
    const auto release = [&](MeasurePoint p, PointerButton b = PointerButton::Left) {
        return protocol.release({b, {}, false, false}, p, flags, shape, out);
    };
    EXPECT_EQ(release({10, 10}).paint, Paint::Preview);
    EXPECT_EQ(release({50, 10}).stage, 2);
    // A right release on the last placed point is a duplicate: nothing ends.
    EXPECT_NE(release({50, 10}, PointerButton::Right).paint, Paint::Complete);
    EXPECT_TRUE(protocol.inProgress());
    EXPECT_EQ(release({50, 60}, PointerButton::Right).paint, Paint::Complete);
    EXPECT_EQ(shape.nodeCount, 2);
    EXPECT_EQ(shape.nodes[0], (MeasurePoint{10, 10}));
    EXPECT_EQ(shape.nodes[1], (MeasurePoint{50, 10}));
    EXPECT_EQ(shape.nodes[2], (MeasurePoint{50, 60}));
}

TEST(ClickProtocol, ShiftSnapsTheLivePointOfALineToTheNearerAxis)
{
    ClickProtocol protocol;
    ShapeDraft shape;
    LabelSettings labels;
    SurfaceOutcome out;
    const SurfaceFlags flags;
    protocol.press({}, {10, 10}, flags, shape, labels, out);
    protocol.release({}, {10, 10}, flags, shape, out);
    const ClickProtocol::Step step = protocol.move({PointerButton::Left, {}, true, false}, {80, 17}, flags, shape, out);
    EXPECT_EQ(step.paint, Paint::Preview);
    EXPECT_EQ(step.stage, 1);
    EXPECT_EQ(shape.b, (MeasurePoint{80, 10}));
    // Back on A itself: nothing to preview.
    EXPECT_EQ(protocol.move({}, {10, 10}, flags, shape, out).paint, Paint::Nothing);
}

TEST(ClickProtocol, CalibratingKeepsTheChosenAxisAndMeasuresTheLine)
{
    ClickProtocol protocol;
    ShapeDraft shape;
    LabelSettings labels;
    SurfaceFlags flags;
    flags.calibrating = true;
    flags.calibrationAxis = 1;   // keep y
    SurfaceOutcome out;
    protocol.press({}, {10, 10}, flags, shape, labels, out);
    protocol.release({}, {10, 10}, flags, shape, out);
    protocol.move({}, {40, 50}, flags, shape, out);
    EXPECT_EQ(shape.b, (MeasurePoint{40, 10}));
    EXPECT_FLOAT_EQ(shape.calibrationPixelLength, 30.0f);
    EXPECT_TRUE(out.calibrationChanged);

    SurfaceOutcome right;
    protocol.press({PointerButton::Right, {}, false, false}, {0, 0}, flags, shape, labels, right);
    EXPECT_TRUE(right.toggleFrozen) << "a right press while calibrating freezes or unfreezes";
}

TEST(ClickProtocol, ThePressAndReleaseAfterADoubleClickPlaceNothing)
{
    ClickProtocol protocol;
    ShapeDraft shape;
    LabelSettings labels;
    SurfaceOutcome out;
    const SurfaceFlags flags;   // not in draw mode
    protocol.doubleClick(flags, out);
    EXPECT_TRUE(out.toggleFullScreen);
    protocol.press({}, {20, 20}, flags, shape, labels, out);
    EXPECT_FALSE(protocol.inProgress());
    EXPECT_EQ(labels.counter, 0);
    EXPECT_TRUE(protocol.takeSwallowedRelease());
    EXPECT_FALSE(protocol.takeSwallowedRelease()) << "only the one release is swallowed";
    protocol.press({}, {30, 30}, flags, shape, labels, out);
    EXPECT_TRUE(protocol.inProgress());
    EXPECT_EQ(shape.a, (MeasurePoint{30, 30}));
}

TEST(ClickProtocol, NoToolPlacesNothing)
{
    ClickProtocol protocol;
    protocol.setNoTool(true);
    ShapeDraft shape;
    LabelSettings labels;
    SurfaceOutcome out;
    const SurfaceFlags flags;
    protocol.press({}, {20, 20}, flags, shape, labels, out);
    EXPECT_FALSE(protocol.inProgress());
    EXPECT_EQ(protocol.release({}, {20, 20}, flags, shape, out).paint, Paint::Nothing);
}

} // namespace
} // namespace measure
