// The editor's mouse gestures over picture pixels, without a window: rubber bands are previews
// over the committed picture and never reach it, releases commit the worked shapes of the editor
// (the Shift line, the square, the circle through its diameter, the polygon closed by the right
// button) with the same pixels whichever way they are dragged, freehand strokes accumulate,
// selections and pastes land where dragged.
#include "imaging/editgesture.h"

#include "darkpixels.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using imaging::DragState;
using imaging::EditGesture;
using imaging::EditTool;

namespace {

using fakes::darkIn;

constexpr platform::ColorRef kRed = platform::rgbColor(255, 0, 0);
constexpr platform::ColorRef kWhite = 0xFFFFFF;

// A 320 x 240 picture shown at its own size in the middle of the 400 x 300 panel.
const platform::Bitmap kBlank(320, 240);
const EditGesture::View kView{QRect(40, 30, 320, 240), QSize(400, 300)};

struct Gesture {
    EditGesture g;
    platform::Bitmap committed = kBlank;
    platform::Bitmap shown = kBlank;
    int edits = 0;   // commits that count

    explicit Gesture(EditTool tool) { g.setTool(tool); }
    // Takes a step's result as the editor does: previews shown, commits shown and committed.
    void take(EditGesture::Result r)
    {
        if (r.committed) {
            committed = shown = *r.committed;
            edits += r.counts ? 1 : 0;
        } else if (r.preview) {
            shown = *r.preview;
        }
    }
    void drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton, bool shift = false)
    {
        take(g.press(from, button));
        take(g.move((from + to) / 2, shift, committed, shown, kView));
        take(g.move(to, shift, committed, shown, kView));
        take(g.release(to, button, shift, committed, shown, kView));
    }
    void click(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        take(g.press(at, button));
        take(g.release(at, button, false, committed, shown, kView));
    }
};

} // namespace

TEST(EditGesture, ARubberBandIsAPreviewThatTheNextMoveErases)
{
    Gesture t(EditTool::Line);
    t.take(t.g.press({10, 10}, Qt::LeftButton));
    EXPECT_EQ(t.g.dragState(), DragState::Drawing);
    t.take(t.g.move({50, 30}, false, t.committed, t.shown, kView));
    EXPECT_EQ(t.shown.pixel(30, 20), kRed);
    EXPECT_EQ(t.committed, kBlank);
    t.take(t.g.move({10, 60}, false, t.committed, t.shown, kView));
    EXPECT_EQ(t.shown.pixel(30, 20), kWhite) << "the first rubber band was erased";
    EXPECT_EQ(t.shown.pixel(10, 35), kRed);
    t.take(t.g.release({10, 60}, Qt::LeftButton, false, t.committed, t.shown, kView));
    EXPECT_EQ(t.committed.pixel(10, 35), kRed);
    EXPECT_EQ(t.edits, 1);
    EXPECT_EQ(t.g.dragState(), DragState::Idle);
}

TEST(EditGesture, ShiftLinesSquaresAndCirclesFollowTheWorkedExamples)
{
    // With Shift, (10, 10) to (50, 20) is drawn from (10, 10) to (50, 10): an edit although level.
    Gesture line(EditTool::Line);
    line.drag({10, 10}, {50, 20}, Qt::LeftButton, true);
    EXPECT_EQ(line.committed.pixel(50, 10), kRed);
    EXPECT_EQ(line.committed.pixel(50, 20), kWhite);
    EXPECT_EQ(line.edits, 1);

    // A square dragged from (40, 40) to (70, 30) is drawn from (40, 40) to (70, 10): dragged
    // upwards its outline runs through both corners as it does dragged downwards.
    Gesture square(EditTool::Square);
    square.drag({40, 40}, {70, 30});
    for (QPoint corner : {QPoint(40, 40), QPoint(70, 10), QPoint(40, 10), QPoint(70, 40)})
        EXPECT_EQ(square.committed.pixel(corner.x(), corner.y()), kRed) << corner.x() << "," << corner.y();
    EXPECT_EQ(square.committed.pixel(55, 25), kWhite);   // no fill
    EXPECT_EQ(square.committed.pixel(70, 45), kWhite);
    EXPECT_EQ(square.committed.pixel(55, 9), kWhite);

    // A circle dragged from (40, 40) to (60, 40): diameter 20 centred on (50, 40).
    Gesture circle(EditTool::Circle);
    circle.drag({40, 40}, {60, 40});
    EXPECT_EQ(circle.committed.pixel(40, 40), kRed);
    EXPECT_EQ(circle.committed.pixel(60, 40), kRed);
    EXPECT_EQ(circle.committed.pixel(50, 30), kRed);
    EXPECT_EQ(circle.committed.pixel(50, 50), kRed);
    EXPECT_EQ(circle.committed.pixel(50, 40), kWhite);
    EXPECT_FALSE(darkIn(circle.committed, QRect(0, 0, 320, 29)));
    EXPECT_FALSE(darkIn(circle.committed, QRect(0, 52, 320, 100)));
}

TEST(EditGesture, APolygonGrowsWithLeftClicksAndClosesOnTheRightButton)
{
    Gesture t(EditTool::Polygon);
    t.click({20, 20});
    EXPECT_TRUE(t.g.polygonInProgress());
    EXPECT_EQ(t.g.dragState(), DragState::Drawing);
    t.click({100, 20});
    EXPECT_EQ(t.committed.pixel(60, 20), kRed);
    EXPECT_EQ(t.committed.pixel(60, 60), kWhite);
    t.click({100, 100}, Qt::RightButton);
    EXPECT_EQ(t.committed.pixel(100, 60), kRed);   // second side
    EXPECT_EQ(t.committed.pixel(60, 60), kRed);    // closing side back to the first vertex
    EXPECT_FALSE(t.g.polygonInProgress());
    EXPECT_EQ(t.g.dragState(), DragState::Idle);
    // The first click is a dot, not an edit; the side and the closing click are.
    EXPECT_EQ(t.edits, 2);
}

TEST(EditGesture, AFreehandStrokeAccumulatesAndAClickIsNoEdit)
{
    Gesture t(EditTool::Sketch);
    t.take(t.g.press({10, 10}, Qt::LeftButton));
    t.take(t.g.move({40, 10}, false, t.committed, t.shown, kView));
    t.take(t.g.move({40, 40}, false, t.committed, t.shown, kView));
    EXPECT_EQ(t.shown.pixel(25, 10), kRed);
    EXPECT_EQ(t.shown.pixel(40, 25), kRed);
    EXPECT_EQ(t.committed, kBlank);
    t.take(t.g.release({40, 40}, Qt::LeftButton, false, t.committed, t.shown, kView));
    EXPECT_EQ(t.committed.pixel(25, 10), kRed);
    EXPECT_EQ(t.edits, 1);

    Gesture dot(EditTool::Line);
    dot.click({70, 70});
    EXPECT_EQ(dot.committed.pixel(70, 70), kRed);
    EXPECT_EQ(dot.edits, 0);
}

TEST(EditGesture, TheStyleSetsPenWidthColourAndFill)
{
    Gesture t(EditTool::Rectangle);
    t.g.style().colour = QColor(0, 0, 255);
    t.g.style().penWidth = 4;
    t.g.style().brush = Qt::SolidPattern;
    t.drag({100, 100}, {140, 130});
    const platform::ColorRef blue = platform::rgbColor(0, 0, 255);
    EXPECT_EQ(t.committed.pixel(120, 115), blue);   // filled
    EXPECT_EQ(t.committed.pixel(120, 98), blue);    // four pixels wide around the top edge
    EXPECT_EQ(t.committed.pixel(120, 96), kWhite);
}

TEST(EditGesture, ASelectionNeedsWidthAndHeightAndItsMarqueeIsOnlyShown)
{
    Gesture t(EditTool::SelectRange);
    t.drag({20, 20}, {60, 20});
    EXPECT_FALSE(t.g.hasSelection());
    EXPECT_TRUE(t.g.selectionRect().isEmpty());
    t.drag({60, 50}, {20, 20});
    EXPECT_TRUE(t.g.hasSelection());
    EXPECT_EQ(t.g.selectionRect(), QRect(20, 20, 40, 30));
    EXPECT_TRUE(darkIn(t.shown, QRect(20, 50, 40, 1)));
    EXPECT_EQ(t.committed, kBlank);
    EXPECT_EQ(t.edits, 0);
    t.g.clearSelection(true);
    EXPECT_FALSE(t.g.hasSelection());
    EXPECT_EQ(t.g.pressPoint(), QPoint());
}

TEST(EditGesture, APastedPictureStartsAtTheVisibleTopLeftAndDropsWhereDragged)
{
    EditGesture g;
    platform::Bitmap blue(40, 30, platform::rgbColor(0, 0, 200));
    const EditGesture::Result first = g.startPaste(blue, kBlank, kView);
    EXPECT_EQ(g.tool(), EditTool::PastePlacing);
    ASSERT_TRUE(first.preview.has_value());
    EXPECT_FALSE(first.committed.has_value());
    EXPECT_EQ(first.preview->pixel(5, 5), platform::rgbColor(0, 0, 200));
    g.press({5, 5}, Qt::LeftButton);
    EXPECT_EQ(g.dragState(), DragState::PasteDragging);
    const EditGesture::Result moved = g.move({55, 55}, false, kBlank, *first.preview, kView);
    ASSERT_TRUE(moved.preview.has_value());
    EXPECT_EQ(moved.preview->pixel(5, 5), kWhite);
    const EditGesture::Result dropped = g.release({105, 105}, Qt::LeftButton, false, kBlank, *moved.preview, kView);
    ASSERT_TRUE(dropped.committed.has_value());
    EXPECT_TRUE(dropped.counts);
    EXPECT_EQ(dropped.committed->pixel(100, 100), platform::rgbColor(0, 0, 200));
    EXPECT_EQ(dropped.committed->pixel(139, 129), platform::rgbColor(0, 0, 200));
    EXPECT_EQ(dropped.committed->pixel(140, 130), kWhite);
    EXPECT_EQ(dropped.committed->pixel(5, 5), kWhite);
    EXPECT_EQ(g.tool(), EditTool::SelectRange);
}

TEST(EditGesture, PanningAndTheTextToolPaintNothingAndChoosingAToolEndsAPolygon)
{
    Gesture pan(EditTool::Move);
    pan.take(pan.g.press({10, 10}, Qt::LeftButton));
    EXPECT_EQ(pan.g.dragState(), DragState::Panning);
    const EditGesture::Result r = pan.g.move({60, 60}, false, pan.committed, pan.shown, kView);
    EXPECT_FALSE(r.preview.has_value());
    EXPECT_FALSE(r.committed.has_value());

    Gesture text(EditTool::Text);
    text.take(text.g.press({20, 20}, Qt::LeftButton));
    EXPECT_EQ(text.g.dragState(), DragState::TextBox);
    text.take(text.g.move({120, 80}, false, text.committed, text.shown, kView));
    EXPECT_TRUE(darkIn(text.shown, QRect(20, 80, 100, 1)));   // the box's rubber band
    EXPECT_FALSE(darkIn(text.shown, QRect(21, 21, 98, 58)));
    text.take(text.g.release({120, 80}, Qt::LeftButton, false, text.committed, text.shown, kView));
    EXPECT_EQ(text.committed, kBlank);

    Gesture poly(EditTool::Polygon);
    poly.click({20, 20});
    ASSERT_TRUE(poly.g.polygonInProgress());
    poly.g.setTool(EditTool::Line);
    EXPECT_FALSE(poly.g.polygonInProgress());
    EXPECT_EQ(poly.g.dragState(), DragState::Idle);
}

namespace {

// The four ways of dragging the box from `a` to `b`: from each corner to the opposite one.
std::array<std::pair<QPoint, QPoint>, 4> fourWays(QPoint a, QPoint b)
{
    return {{{a, b}, {b, a}, {QPoint(b.x(), a.y()), QPoint(a.x(), b.y())}, {QPoint(a.x(), b.y()), QPoint(b.x(), a.y())}}};
}

const char *const kWayNames[] = {"down-right", "up-left", "down-left", "up-right"};

struct ShapeRow {
    const char *what;
    EditTool tool;
    // The drags: for the box tools the corners of the box, for the circle its diameter both ways
    // along both axes.
    std::array<std::pair<QPoint, QPoint>, 4> drags;
    std::vector<QPoint> drawn;    // pixels the outline passes through
    std::vector<QPoint> clear;    // pixels just outside it, and the inside (no fill)
};

} // namespace

// Each shape dragged each way gives the same pixels, with the outline through the pressed and the
// released point: nothing is one pixel short at the start or the end of an upward or leftward drag.
TEST(EditGesture, EveryShapeGivesTheSamePixelsWhicheverWayItIsDragged)
{
    const std::vector<QPoint> boxDrawn = {{100, 100}, {140, 130}, {100, 130}, {140, 100}, {120, 100}, {120, 130},
                                          {100, 115}, {140, 115}};
    const std::vector<QPoint> boxClear = {{99, 115}, {141, 115}, {120, 99}, {120, 131}, {120, 115}};
    const std::vector<QPoint> ellipseDrawn = {{100, 115}, {140, 115}, {120, 100}, {120, 130}};
    const std::vector<QPoint> ellipseClear = {{99, 115}, {141, 115}, {120, 99}, {120, 131}, {120, 115}, {100, 100}};
    const ShapeRow rows[] = {
        {"rectangle", EditTool::Rectangle, fourWays({100, 100}, {140, 130}), boxDrawn, boxClear},
        {"ellipse", EditTool::Ellipse, fourWays({100, 100}, {140, 130}), ellipseDrawn, ellipseClear},
        // The worked square: dragged from (40, 40) to (70, 30) it is drawn from (40, 40) to (70, 10);
        // the same square from its other corners.
        {"square",
         EditTool::Square,
         {{{{40, 40}, {70, 30}}, {{70, 10}, {40, 20}}, {{70, 40}, {40, 30}}, {{40, 10}, {70, 20}}}},
         {{40, 40}, {70, 10}, {40, 10}, {70, 40}, {55, 10}, {55, 40}, {40, 25}, {70, 25}},
         {{39, 25}, {71, 25}, {55, 9}, {55, 41}, {55, 25}}},
        // The worked circle: dragged from (40, 40) to (60, 40) it is the circle of diameter 20 on
        // (50, 40), in the box (40, 50)-(60, 30); so is its diameter dragged back or upright.
        {"circle",
         EditTool::Circle,
         {{{{40, 40}, {60, 40}}, {{60, 40}, {40, 40}}, {{50, 30}, {50, 50}}, {{50, 50}, {50, 30}}}},
         {{40, 40}, {60, 40}, {50, 30}, {50, 50}},
         {{39, 40}, {61, 40}, {50, 29}, {50, 51}, {50, 40}, {40, 30}}},
    };
    for (const ShapeRow &row : rows) {
        std::optional<platform::Bitmap> first;
        for (std::size_t way = 0; way < 4; ++way) {
            SCOPED_TRACE(std::string(row.what) + " dragged " + kWayNames[way]);
            Gesture t(row.tool);
            t.drag(row.drags[way].first, row.drags[way].second);
            for (QPoint p : row.drawn)
                EXPECT_EQ(t.committed.pixel(p.x(), p.y()), kRed) << p.x() << "," << p.y();
            for (QPoint p : row.clear)
                EXPECT_EQ(t.committed.pixel(p.x(), p.y()), kWhite) << p.x() << "," << p.y();
            EXPECT_EQ(t.edits, 1);
            if (!first)
                first = t.committed;
            else
                EXPECT_TRUE(t.committed == *first) << "other pixels than the drag down and right";
        }
    }
}

// The marquee and the text tool's rubber band are previews; they too run through both points,
// whichever way the drag goes.
TEST(EditGesture, TheMarqueeAndTheTextRubberBandRunThroughBothPointsInEveryDirection)
{
    for (EditTool tool : {EditTool::SelectRange, EditTool::Text}) {
        std::optional<platform::Bitmap> first;
        const auto ways = fourWays({20, 20}, {60, 50});
        for (std::size_t way = 0; way < 4; ++way) {
            SCOPED_TRACE(std::string(tool == EditTool::Text ? "text box" : "marquee") + " dragged " + kWayNames[way]);
            Gesture t(tool);
            t.take(t.g.press(ways[way].first, Qt::LeftButton));
            t.take(t.g.move(ways[way].second, false, t.committed, t.shown, kView));
            // All four sides, on the rows and columns of the two points, and nothing beyond.
            EXPECT_TRUE(darkIn(t.shown, QRect(20, 20, 41, 1)));
            EXPECT_TRUE(darkIn(t.shown, QRect(20, 50, 41, 1)));
            EXPECT_TRUE(darkIn(t.shown, QRect(20, 20, 1, 31)));
            EXPECT_TRUE(darkIn(t.shown, QRect(60, 20, 1, 31)));
            EXPECT_FALSE(darkIn(t.shown, QRect(0, 0, 320, 20)));
            EXPECT_FALSE(darkIn(t.shown, QRect(0, 51, 320, 100)));
            EXPECT_FALSE(darkIn(t.shown, QRect(0, 0, 20, 240)));
            EXPECT_FALSE(darkIn(t.shown, QRect(61, 0, 100, 240)));
            EXPECT_EQ(t.committed, kBlank);
            if (!first)
                first = t.shown;
            else
                EXPECT_TRUE(t.shown == *first);
        }
    }
}
