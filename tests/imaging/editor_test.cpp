// The still-image editor's history and arithmetic without a window: the undo ring, the pointer
// mapping and clamps, the shape constraints, quarter turns, zoom and pan (each step the way asked),
// the paste drop and the text box's placing, zones, drags (never below the minimum box), growth
// and line spacing.
#include "imaging/editgeometry.h"
#include "imaging/edithistory.h"

#include <gtest/gtest.h>

#include <string>

using namespace imaging;

namespace {

// A picture whose one pixel says which change it is.
platform::Bitmap change(int n)
{
    platform::Bitmap b(8, 8);
    b.setPixel(0, 0, platform::ColorRef(n));
    return b;
}
int changeOf(const platform::Bitmap &b) { return int(b.pixel(0, 0)); }

} // namespace

TEST(EditHistory, FiveChangesUndoThreeTimesThenStops)
{
    EditHistory h;
    h.record(change(0));   // the snapshot on entry
    for (int n = 1; n <= 5; ++n)
        h.record(change(n));
    for (int expected : {4, 3, 2}) {
        const auto back = h.undo();
        ASSERT_TRUE(back.has_value()) << expected;
        EXPECT_EQ(changeOf(*back), expected);
    }
    EXPECT_FALSE(h.canUndo());
    EXPECT_FALSE(h.undo().has_value());
    // Forward again to the newest, and no further.
    for (int expected : {3, 4, 5}) {
        const auto fwd = h.redo();
        ASSERT_TRUE(fwd.has_value()) << expected;
        EXPECT_EQ(changeOf(*fwd), expected);
    }
    EXPECT_FALSE(h.redo().has_value());
}

TEST(EditHistory, NewChangeAfterUndoLeavesNothingToRedo)
{
    EditHistory h;
    for (int n = 0; n <= 3; ++n)
        h.record(change(n));
    ASSERT_TRUE(h.undo().has_value());
    ASSERT_TRUE(h.undo().has_value());
    h.record(change(9));
    EXPECT_FALSE(h.canRedo());
    EXPECT_FALSE(h.redo().has_value());
    const auto back = h.undo();
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(changeOf(*back), 1);
}

TEST(EditHistory, TheEntrySnapshotAloneHasNoStepAndResetForgetsEverySnapshot)
{
    EditHistory h;
    h.record(change(0));
    EXPECT_FALSE(h.undo().has_value());
    EXPECT_FALSE(h.redo().has_value());
    h.record(change(1));
    ASSERT_TRUE(h.canUndo());
    h.reset();
    EXPECT_FALSE(h.canUndo());
    EXPECT_FALSE(h.canRedo());
    h.record(change(2));
    EXPECT_FALSE(h.canUndo());
}

TEST(EditGeometry, PointerMapsThroughTheStretchAndTruncates)
{
    EXPECT_EQ(pointerToPicture({100, 50}, {640, 480}, {320, 240}), QPoint(200, 100));
    EXPECT_EQ(pointerToPicture({10, 10}, {640, 480}, {640, 480}), QPoint(10, 10));
    EXPECT_EQ(pointerToPicture({1, 1}, {100, 100}, {300, 300}), QPoint(0, 0));   // 0.33 truncates
    EXPECT_EQ(pointerToPicture({5, 5}, {100, 100}, {0, 0}), QPoint(0, 0));      // no control: no division
}

TEST(EditGeometry, PointsStayOnTheVisiblePartOfTheControl)
{
    const QSize panel(400, 300);
    const QRect centred(40, 30, 320, 240);
    EXPECT_EQ(clampToVisible({-5, -5}, centred, panel), QPoint(0, 0));
    EXPECT_EQ(clampToVisible({500, 400}, centred, panel), QPoint(320, 240));
    // Scrolled 100 right and 50 down inside a 640 x 480 control: the visible part starts there.
    const QRect scrolled(-100, -50, 640, 480);
    EXPECT_EQ(clampToVisible({20, 10}, scrolled, panel), QPoint(100, 50));
    EXPECT_EQ(clampToVisible({600, 400}, scrolled, panel), QPoint(500, 350));
}

TEST(EditGeometry, DragPastTheEdgeScrollsByHalfTheOvershoot)
{
    const QSize panel(400, 300);
    const QRect big(-100, -100, 640, 480);
    // 20 above the panel's top (control y 80 with the top at -100): scrolls 10 down.
    EXPECT_EQ(autoScroll({200, 80}, big, panel), QPoint(-100, -90));
    // Past the right edge by 40: scrolls 20 left, never beyond the control's end.
    EXPECT_EQ(autoScroll({540, 200}, big, panel), QPoint(-120, -100));
    EXPECT_EQ(autoScroll({2000, 200}, big, panel), QPoint(-240, -100));
    // A control smaller than the panel stays centred.
    EXPECT_EQ(autoScroll({-50, -50}, QRect(40, 30, 320, 240), panel), QPoint(40, 30));
}

TEST(EditGeometry, ShiftSquareAndCircleFollowTheDrag)
{
    EXPECT_EQ(shiftConstrain({10, 10}, {50, 20}), QPoint(50, 10));
    EXPECT_EQ(shiftConstrain({10, 10}, {15, 60}), QPoint(10, 60));
    EXPECT_EQ(squareCorner({40, 40}, {70, 30}), QPoint(70, 10));
    EXPECT_EQ(squareCorner({40, 40}, {30, 80}), QPoint(0, 80));
    const auto box = circleBox({40, 40}, {60, 40});
    EXPECT_EQ(box[0], QPoint(40, 50));
    EXPECT_EQ(box[1], QPoint(60, 30));
}

TEST(EditGeometry, QuarterTurnsMovePixelsAndLeftThenRightRestores)
{
    platform::Bitmap src(640, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            src.setPixel(x, y, platform::rgbColor(x & 0xFF, y & 0xFF, (x >> 8) | ((y >> 8) << 4)));
    const platform::Bitmap left = rotateLeft(src);
    ASSERT_EQ(left.size(), QSize(480, 640));
    EXPECT_EQ(left.pixel(7, 640 - 1 - 3), src.pixel(3, 7));
    EXPECT_EQ(left.pixel(479, 0), src.pixel(639, 479));
    const platform::Bitmap right = rotateRight(src);
    EXPECT_EQ(right.pixel(480 - 1 - 7, 3), src.pixel(3, 7));
    EXPECT_EQ(rotateRight(left), src);
    EXPECT_EQ(rotateLeft(right), src);
}

TEST(EditGeometry, PanBoundsCentreSmallAndClampLarge)
{
    const PanBounds small = panBounds({320, 240}, {400, 300});
    EXPECT_EQ(small.clamp({0, 0}), QPoint(40, 30));
    const PanBounds large = panBounds({640, 480}, {400, 300});
    EXPECT_EQ(large.clamp({10, 10}), QPoint(0, 0));
    EXPECT_EQ(large.clamp({-500, -500}), QPoint(-240, -180));
    EXPECT_EQ(large.clamp({-100, -50}), QPoint(-100, -50));
}

TEST(EditGeometry, ZoomStepsDivideTheFitAndStopAtTheLimit)
{
    const QSize panel(400, 300);
    const QSize picture(8000, 6000);   // twenty times the panel
    ZoomState z{1.0f, 400.0f, 300.0f};
    QRect control(0, 0, 400, 300);
    ZoomStep s = zoomIn(z, control, picture, panel, false);
    ASSERT_TRUE(s.stepped);
    EXPECT_FLOAT_EQ(s.zoom.divisor, 0.9f);
    EXPECT_EQ(s.control, QRect((400 - 444) / 2, (300 - 333) / 2, 444, 333));
    int steps = 1;
    while (s.stepped && steps < 50) {
        z = s.zoom;
        control = s.control;
        s = zoomIn(z, control, picture, panel, false);
        steps += s.stepped ? 1 : 0;
    }
    // Nine steps to 0.1, then no more: the divisor never reaches zero.
    EXPECT_EQ(steps, 9);
    EXPECT_NEAR(z.divisor, 0.1f, 1e-4f);
    EXPECT_EQ(control.size(), QSize(4000, 3000));
    EXPECT_EQ(s.control, control);
    // Zoom out from there steps back up.
    const ZoomStep out = zoomOut(z, control, picture, panel, false);
    EXPECT_TRUE(out.stepped);
    EXPECT_NEAR(out.zoom.divisor, 0.2f, 1e-4f);
    // A control inside the panel zooms out to the picture's own size.
    const ZoomStep own = zoomOut(ZoomState{1.0f, 320.0f, 240.0f}, QRect(40, 30, 320, 240), {320, 240}, panel, false);
    EXPECT_FALSE(own.stepped);
    EXPECT_EQ(own.control.size(), QSize(320, 240));
}

// From the fitted view of a picture larger than the panel, zoom out has nowhere to go: the
// picture's own size would enlarge it. Zoom in from a view larger than the picture has nowhere to
// go either: the own size would shrink it.
TEST(EditGeometry, ZoomOutNeverEnlargesAndZoomInNeverShrinks)
{
    const QSize panel(400, 300);
    const ZoomStep fromFit = zoomOut(ZoomState{1.0f, 400.0f, 300.0f}, QRect(0, 0, 400, 300), {800, 600}, panel, false);
    EXPECT_FALSE(fromFit.stepped);
    EXPECT_EQ(fromFit.control, QRect(0, 0, 400, 300));
    // 1600 x 900 fitted at 400 x 225: the step to divisor 0.2 passes the own size (2000 x 1125).
    const ZoomStep past = zoomIn(ZoomState{0.2f, 400.0f, 225.0f}, QRect(-800, -412, 2000, 1125), {1600, 900}, panel,
                                 false);
    EXPECT_FALSE(past.stepped);
    EXPECT_EQ(past.control, QRect(-800, -412, 2000, 1125));
    // At the own size reached from the fit, zoom out steps down again.
    const ZoomStep down = zoomOut(ZoomState{1.0f, 800.0f, 600.0f}, QRect(-200, -150, 800, 600), {800, 600}, panel, false);
    EXPECT_TRUE(down.stepped);
    EXPECT_EQ(down.control.size(), QSize(727, 545));
}

// Any walk of zoom steps from the fitted view, over pictures of every shape: each step in gives a
// view at least as large on both axes, each step out one at most as large.
TEST(EditGeometry, EveryZoomStepGoesTheWayAsked)
{
    const QSize panel(400, 300);
    const QSize pictures[] = {{800, 600}, {1600, 900}, {1280, 1024}, {480, 640}, {320, 240}, {8000, 6000}, {401, 299}};
    const char *const walk = "iiiiiooooooooiiiiiiiiiiiiiiooooooooooooooooioioio";
    for (const QSize picture : pictures) {
        SCOPED_TRACE(std::to_string(picture.width()) + "x" + std::to_string(picture.height()));
        QRect control(0, 0, 400, 300);
        // As the view is fitted: the fitted rectangle is the zoom's base.
        if (picture.width() < panel.width() && picture.height() < panel.height())
            control = QRect((400 - picture.width()) / 2, (300 - picture.height()) / 2, picture.width(), picture.height());
        ZoomState zoom{1.0f, float(control.width()), float(control.height())};
        for (const char *step = walk; *step; ++step) {
            const bool in = *step == 'i';
            const ZoomStep s = (in ? zoomIn : zoomOut)(zoom, control, picture, panel, false);
            const QSize before = control.size(), after = s.control.size();
            if (in)
                EXPECT_TRUE(after.width() >= before.width() && after.height() >= before.height())
                    << "zoom in from " << before.width() << "x" << before.height() << " to " << after.width() << "x"
                    << after.height();
            else
                EXPECT_TRUE(after.width() <= before.width() && after.height() <= before.height())
                    << "zoom out from " << before.width() << "x" << before.height() << " to " << after.width() << "x"
                    << after.height();
            zoom = s.zoom;
            control = s.control;
        }
    }
}

TEST(EditGeometry, ZoomWithTheMoveButtonKeepsTheCentre)
{
    const QSize panel(400, 300);
    const ZoomState z{1.0f, 800.0f, 600.0f};
    // Centred 800 x 600 control: left -200, top -150.
    const ZoomStep s = zoomIn(z, QRect(-200, -150, 800, 600), {1600, 1200}, panel, true);
    ASSERT_TRUE(s.stepped);
    EXPECT_EQ(s.control.size(), QSize(888, 666));
    EXPECT_EQ(s.control.topLeft(), QPoint(-244, -183));
}

TEST(EditGeometry, OwnSizeIsCentredWhereItDiffers)
{
    EXPECT_EQ(originalSizeRect({640, 480}, {400, 300}), QRect(-120, -90, 640, 480));
    EXPECT_EQ(originalSizeRect({200, 300}, {400, 300}), QRect(100, 0, 200, 300));
}

TEST(EditGeometry, PastedPictureDropsInsideTheVisiblePart)
{
    const QSize panel(400, 300);
    const QRect oneToOne(-100, -50, 640, 480);
    // Dragged 30 right and 20 down from the visible top-left.
    EXPECT_EQ(pasteDropPosition({10, 10}, {40, 30}, {50, 50}, oneToOne, {640, 480}, panel), QPoint(130, 70));
    // Dragged far beyond the panel: kept inside the visible part.
    EXPECT_EQ(pasteDropPosition({0, 0}, {900, 900}, {50, 50}, oneToOne, {640, 480}, panel), QPoint(450, 300));
    // Dragged up and left of the picture: at the visible top-left.
    EXPECT_EQ(pasteDropPosition({300, 300}, {0, 0}, {50, 50}, oneToOne, {640, 480}, panel), QPoint(100, 50));
}

TEST(TextBoxGeometry, SmallDragsStayHiddenAndHandlesFollowTheBox)
{
    const QRect control(40, 30, 320, 240);
    EXPECT_FALSE(placeTextBox({10, 10}, {25, 60}, control).shown);   // 15 wide
    EXPECT_FALSE(placeTextBox({10, 10}, {60, 25}, control).shown);
    const PlacedBox b = placeTextBox({60, 50}, {10, 10}, control);
    EXPECT_TRUE(b.shown);
    EXPECT_EQ(b.rect, QRect(50, 40, 50, 40));
    const auto h = handlePositions(QRect(50, 40, 50, 40));
    EXPECT_EQ(h[0], QPoint(50, 40));
    EXPECT_EQ(h[1], QPoint(50, 58));
    EXPECT_EQ(h[2], QPoint(50, 76));
    EXPECT_EQ(h[3], QPoint(73, 40));
    EXPECT_EQ(h[4], QPoint(73, 76));
    EXPECT_EQ(h[5], QPoint(96, 40));
    EXPECT_EQ(h[6], QPoint(96, 58));
    EXPECT_EQ(h[7], QPoint(96, 76));
}

TEST(TextBoxGeometry, CursorZonesPickTheEdges)
{
    const QSize box(100, 50);
    struct Row {
        QPoint at;
        BoxZone zone;
        int edges;
    };
    const Row rows[] = {{{2, 2}, BoxZone::SizeNwSe, EdgeTop | EdgeLeft},
                        {{97, 47}, BoxZone::SizeNwSe, EdgeBottom | EdgeRight},
                        {{2, 47}, BoxZone::SizeNeSw, EdgeBottom | EdgeLeft},
                        {{97, 2}, BoxZone::SizeNeSw, EdgeTop | EdgeRight},
                        {{2, 25}, BoxZone::SizeWe, EdgeLeft},
                        {{97, 25}, BoxZone::SizeWe, EdgeRight},
                        {{50, 2}, BoxZone::SizeNs, EdgeTop},
                        {{50, 47}, BoxZone::SizeNs, EdgeBottom},
                        {{50, 25}, BoxZone::Text, EdgeNone}};
    for (const Row &r : rows) {
        EXPECT_EQ(boxZone(r.at, box, false), r.zone) << r.at.x() << "," << r.at.y();
        EXPECT_EQ(edgesForPress(r.at, r.zone, false), r.edges) << r.at.x() << "," << r.at.y();
        EXPECT_EQ(edgesForPress(r.at, r.zone, true), EdgeMove);
    }
    EXPECT_EQ(boxZone({50, 25}, box, true), BoxZone::Move);
}

TEST(TextBoxGeometry, DragsStopAtTheControlAndThePanel)
{
    const QSize panel(400, 300);
    // The control overhangs the panel on the right: the panel border stops the right edge.
    const QRect wide(0, 0, 640, 300);
    const QRect box(300, 100, 50, 40);
    EXPECT_EQ(dragTextBox(box, EdgeRight, {200, 0}, wide, panel), QRect(300, 100, 100, 40));
    // A narrower control stops it at the control's right end.
    const QRect narrow(40, 30, 320, 240);
    EXPECT_EQ(dragTextBox(box, EdgeRight, {200, 0}, narrow, panel), QRect(300, 100, 60, 40));
    // The left edge stops at the control's left, the right edge staying.
    EXPECT_EQ(dragTextBox(box, EdgeLeft, {-400, 0}, narrow, panel), QRect(40, 100, 310, 40));
    // Moving keeps the whole box on the control.
    EXPECT_EQ(dragTextBox(box, EdgeMove, {100, 500}, narrow, panel), QRect(310, 230, 50, 40));
    EXPECT_EQ(dragTextBox(box, EdgeMove, {-500, -500}, narrow, panel), QRect(40, 30, 50, 40));
    EXPECT_EQ(dragTextBox(box, EdgeBottom | EdgeRight, {5, 7}, narrow, panel), QRect(300, 100, 55, 47));
}

// An edge dragged towards the opposite one, and past it, stops where the box is at its minimum:
// 16 x 16, or what its text needs; the opposite edge stays. The box never collapses to a line.
TEST(TextBoxGeometry, AnEdgeDraggedPastTheOppositeOneStopsAtTheMinimumBox)
{
    const QSize panel(400, 300);
    const QRect control(40, 30, 320, 240);
    const QRect box(200, 100, 50, 40);
    struct Row {
        int edges;
        QPoint delta;
        QSize minimum;
        QRect expected;
    };
    const Row rows[] = {
        {EdgeLeft, {200, 0}, kMinTextBox, QRect(234, 100, 16, 40)},
        {EdgeRight, {-200, 0}, kMinTextBox, QRect(200, 100, 16, 40)},
        {EdgeTop, {0, 100}, kMinTextBox, QRect(200, 124, 50, 16)},
        {EdgeBottom, {0, -100}, kMinTextBox, QRect(200, 100, 50, 16)},
        {EdgeTop | EdgeLeft, {60, 60}, kMinTextBox, QRect(234, 124, 16, 16)},
        {EdgeBottom | EdgeRight, {-60, -60}, kMinTextBox, QRect(200, 100, 16, 16)},
        // A box holding text keeps room for it.
        {EdgeLeft, {200, 0}, QSize(30, 20), QRect(220, 100, 30, 40)},
        {EdgeBottom, {0, -100}, QSize(30, 20), QRect(200, 100, 50, 20)},
        // Short of the minimum, an edge moves as dragged.
        {EdgeLeft, {20, 0}, kMinTextBox, QRect(220, 100, 30, 40)},
    };
    for (const Row &r : rows)
        EXPECT_EQ(dragTextBox(box, r.edges, r.delta, control, panel, r.minimum), r.expected)
            << r.edges << " by " << r.delta.x() << "," << r.delta.y();
    // A box already below the minimum is not pushed: its edges cannot move inwards.
    EXPECT_EQ(dragTextBox(QRect(200, 100, 10, 10), EdgeLeft, {5, 0}, control, panel), QRect(200, 100, 10, 10));
}

TEST(TextBoxGeometry, TypingGrowsTheBoxAndLinesAreHeightPlusFourApart)
{
    EXPECT_EQ(grownTextBox(QRect(0, 0, 40, 100), {20}, -12).width(), 115);
    EXPECT_EQ(grownTextBox(QRect(0, 0, 200, 100), {20}, -12).width(), 200);   // never shrinks
    EXPECT_EQ(grownTextBox(QRect(0, 0, 200, 30), {1, 1}, -16).height(), 40);
    EXPECT_EQ(grownTextBox(QRect(0, 0, 200, 50), {1, 1}, -16).height(), 50);
    EXPECT_EQ(textLineTop(1, -16), 20);
    EXPECT_EQ(textLineTop(2, -16), 40);
    EXPECT_EQ(fontHeightForPointSize(12), -16);
    EXPECT_EQ(fontHeightForPointSize(8), -11);
}
