#include "measure/measurehistory.h"

#include <gtest/gtest.h>

namespace measure {
namespace {

ShapeDraft lineTo(float x)
{
    ShapeDraft s;
    s.b = {x, 0};
    return s;
}

TEST(MeasureHistory, FirstNodeResetsTheCounterAndEnablesNothing)
{
    MeasureHistory h;
    LabelSettings labels;
    labels.counter = 7;
    h.recordNode(ShapeDraft{}, labels);
    EXPECT_EQ(labels.counter, 0);
    EXPECT_EQ(h.node(0).labels.counter, 0);
    EXPECT_FALSE(h.canUndo());
    EXPECT_FALSE(h.canRedo());
}

TEST(MeasureHistory, UndoStopsAtTheFirstShapeAndRedoAtTheLast)
{
    MeasureHistory h;
    LabelSettings labels;
    h.recordNode(ShapeDraft{}, labels);
    h.recordNode(lineTo(1), labels);
    EXPECT_TRUE(h.stepBack());
    EXPECT_FALSE(h.stepBack()) << "nothing before the first shape";
    EXPECT_EQ(h.currentIndex(), 0);
    EXPECT_FALSE(h.canUndo());
    EXPECT_TRUE(h.stepForward());
    EXPECT_FALSE(h.stepForward());
    EXPECT_EQ(h.currentIndex(), 1);
    EXPECT_EQ(h.node(h.currentIndex()).shape.b.x, 1.0f);
}

TEST(MeasureHistory, StepsAndTruncation)
{
    MeasureHistory h;
    LabelSettings labels;
    h.recordNode(ShapeDraft{}, labels);
    for (int i = 1; i <= 3; ++i) {
        labels.counter = i;
        h.recordNode(lineTo(float(i)), labels);
    }
    ASSERT_EQ(h.size(), 4u);
    EXPECT_TRUE(h.canUndo());
    EXPECT_TRUE(h.stepBack());
    EXPECT_TRUE(h.stepBack());
    EXPECT_EQ(h.currentIndex(), 1);
    EXPECT_TRUE(h.canRedo());
    labels.counter = 9;
    h.recordNode(lineTo(9), labels);   // discards the two undone shapes
    EXPECT_EQ(h.size(), 3u);
    EXPECT_EQ(h.node(2).shape.b.x, 9.0f);
    EXPECT_EQ(h.node(2).labels.counter, 9);
    EXPECT_TRUE(h.canUndo());
    EXPECT_FALSE(h.canRedo());
    EXPECT_FALSE(h.stepForward());
}

TEST(MeasureHistory, InsertInTheMiddleKeepsTheRedoPart)
{
    MeasureHistory h;
    LabelSettings labels;
    h.recordNode(ShapeDraft{}, labels);
    h.recordNode(lineTo(1), labels);
    h.recordNode(lineTo(2), labels);
    h.stepBack();
    h.insertNode(lineTo(5), labels);
    ASSERT_EQ(h.size(), 4u);
    EXPECT_EQ(h.currentIndex(), 2);
    EXPECT_EQ(h.node(2).shape.b.x, 5.0f);
    EXPECT_EQ(h.node(3).shape.b.x, 2.0f);
    EXPECT_TRUE(h.canUndo());
    EXPECT_TRUE(h.canRedo());
    h.deleteNode();
    EXPECT_EQ(h.currentIndex(), 1);
    EXPECT_EQ(h.size(), 3u);
    h.clear();
    EXPECT_TRUE(h.empty());
    EXPECT_EQ(h.currentIndex(), -1);
}

TEST(CopyShapeInto, CopiesOnlyTheListEntriesInUse)
{
    ShapeDraft from;
    from.kind = ShapeKind::Polygon;
    from.polygonCount = 2;
    for (int i = 0; i < kMaxPolygonEntries; ++i)
        from.polygon[i] = {float(i), float(i)};
    from.segmentLengths[0] = 5;
    from.calibrationRealLength = 3;
    ShapeDraft to;
    to.polygon.fill({-1, -1});
    copyShapeInto(from, to);
    EXPECT_EQ(to.polygon[3], (MeasurePoint{3, 3}));      // entry count + 1
    EXPECT_EQ(to.polygon[4], (MeasurePoint{-1, -1}));    // beyond: left as it was
    EXPECT_EQ(to.segmentLengths[0], 0.0f);
    EXPECT_EQ(to.calibrationRealLength, 0.0f);
    EXPECT_EQ(to.kind, ShapeKind::Polygon);
}

} // namespace
} // namespace measure
