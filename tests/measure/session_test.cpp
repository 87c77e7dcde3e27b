#include "measure/measuringsession.h"
#include "measure/textcellcanvas.h"
#include "recordingcanvas.h"

#include <gtest/gtest.h>

namespace measure {
namespace {

using testing::RecordingCanvas;

constexpr platform::ColorRef kWhite = 0xFFFFFF;

class Session : public ::testing::Test
{
protected:
    MeasuringSession s;

    void SetUp() override
    {
        s.setGeometry({640, 480}, {640, 480});
        scales::RulerScaleControl scale = scales::firstBuiltInScale();
        scale.hLength = 640.0f;   // one millimetre per pixel keeps expected labels readable
        scale.vLength = 480.0f;
        s.setScale(scale);
        s.EntryMeasurementMode();
    }

    // Routes every repaint to a recorder; returns it so a test can read what was written.
    std::shared_ptr<RecordingCanvas> record()
    {
        auto last = std::make_shared<RecordingCanvas>();
        s.setCanvasFactory([last](platform::Bitmap &) {
            struct Forward final : platform::Canvas {
                std::shared_ptr<RecordingCanvas> to;
                void setPen(int a, int b, platform::ColorRef c) override { to->setPen(a, b, c); }
                void moveTo(int x, int y) override { to->moveTo(x, y); }
                void lineTo(int x, int y) override { to->lineTo(x, y); }
                void ellipse(int l, int t, int r, int b) override { to->ellipse(l, t, r, b); }
                void rectangle(int l, int t, int r, int b) override { to->rectangle(l, t, r, b); }
                void arc(int l, int t, int r, int b, int a, int c, int d, int e) override { to->arc(l, t, r, b, a, c, d, e); }
                void fillRect(int l, int t, int r, int b, platform::ColorRef c) override { to->fillRect(l, t, r, b, c); }
                void setFont(int px, bool bold) override { to->setFont(px, bold); }
                void setTextColour(platform::ColorRef c) override { to->setTextColour(c); }
                void textOut(int x, int y, const QString &t) override { to->textOut(x, y, t); }
                int textWidth(const QString &t) override { return to->textWidth(t); }
                int textHeight(const QString &t) override { return to->textHeight(t); }
            };
            auto f = std::make_unique<Forward>();
            f->to = last;
            return f;
        });
        return last;
    }

    static PointerInput at(int x, int y, PointerButton button = PointerButton::Left, bool shift = false, bool ctrl = false)
    {
        return {button, QPoint(x, y), shift, ctrl};
    }
    void click(int x, int y, PointerButton button = PointerButton::Left, bool shift = false, bool ctrl = false)
    {
        s.press(at(x, y, button, shift, ctrl));
        s.release(at(x, y, button, shift, ctrl));
    }
    void line(int x0, int y0, int x1, int y1)
    {
        click(x0, y0);
        click(x1, y1);
    }
};

TEST_F(Session, LineCompletesOnTheSecondClick)
{
    s.selectTool(ShapeKind::Line);
    s.press(at(10, 10));
    s.release(at(10, 10));
    EXPECT_TRUE(s.inProgress());
    s.press(at(300, 300));   // in progress: places nothing new
    EXPECT_EQ(s.shape().a, (MeasurePoint{10, 10}));
    EXPECT_EQ(s.labels().counter, 1);
    s.release(at(110, 10));
    EXPECT_FALSE(s.inProgress());
    EXPECT_EQ(s.shape().b, (MeasurePoint{110, 10}));
    EXPECT_FLOAT_EQ(PixelDistance(s.shape().a, s.shape().b), 100.0f);
    EXPECT_EQ(s.clickCounter(ShapeKind::Line), 0);
    EXPECT_EQ(s.layer().pixel(10, 10), 0xFF0000u);
    EXPECT_EQ(s.layer().pixel(109, 10), 0xFF0000u);
    EXPECT_EQ(s.layer().pixel(110, 10), kWhite);
}

TEST_F(Session, PressDragReleaseDoesNotFinishALine)
{
    s.selectTool(ShapeKind::Line);
    s.press(at(10, 10));
    const SurfaceOutcome moved = s.move(at(110, 10));
    EXPECT_TRUE(moved.layerChanged);
    EXPECT_EQ(s.layer().pixel(11, 10), 0xFF0000u);   // the rubber band is dotted 3 on, 3 off
    EXPECT_EQ(s.layer().pixel(14, 10), kWhite);
    s.release(at(110, 10));
    EXPECT_TRUE(s.inProgress());
    click(200, 10);
    EXPECT_FALSE(s.inProgress());
    EXPECT_EQ(s.shape().b, (MeasurePoint{200, 10}));
}

TEST_F(Session, MovesOnTheFirstPointDrawNothing)
{
    s.selectTool(ShapeKind::Line);
    s.press(at(10, 10));
    EXPECT_FALSE(s.move(at(10, 10)).layerChanged);
    EXPECT_TRUE(s.move(at(50, 50)).layerChanged);
}

TEST_F(Session, NodeLineDuplicatesAndRightClicks)
{
    s.selectTool(ShapeKind::NodeLine);
    click(10, 10);
    click(10, 10);   // exactly the same spot: one point only
    EXPECT_EQ(s.shape().nodeCount, 1);
    click(60, 60, PointerButton::Right);   // only one point placed: never finishes
    EXPECT_TRUE(s.inProgress());
    click(50, 10);
    EXPECT_EQ(s.shape().nodeCount, 2);
    click(50, 10, PointerButton::Right);   // exactly on the last placed point: does not finish
    EXPECT_TRUE(s.inProgress());
    click(90, 40, PointerButton::Right);
    EXPECT_FALSE(s.inProgress());
    EXPECT_EQ(s.shape().nodeCount, 2);
    EXPECT_EQ(s.shape().nodes[2], (MeasurePoint{90, 40}));   // the right-click spot is the final point
    EXPECT_EQ(s.clickCounter(ShapeKind::NodeLine), 0);
}

TEST_F(Session, RightReleaseBeforeAnyPointIsIgnored)
{
    s.selectTool(ShapeKind::Polygon);
    s.press(at(10, 10));   // the press starts the shape but the right release places nothing
    s.release(at(10, 10, PointerButton::Right));
    EXPECT_EQ(s.shape().polygonCount, 0);
    EXPECT_TRUE(s.inProgress());
}

TEST_F(Session, ListsFinishAtTheSixtyFourthPoint)
{
    for (ShapeKind kind : {ShapeKind::NodeLine, ShapeKind::MultiLine, ShapeKind::Polygon}) {
        s.selectTool(kind);
        for (int i = 0; i < 63; ++i)
            click(5 + i * 9, 100 + (i % 2) * 50);
        EXPECT_TRUE(s.inProgress());
        click(600, 400);
        EXPECT_FALSE(s.inProgress());
        const ShapeDraft &d = s.shape();
        const int count = kind == ShapeKind::NodeLine ? d.nodeCount : kind == ShapeKind::MultiLine ? d.multiCount : d.polygonCount;
        const MeasurePoint last = kind == ShapeKind::NodeLine ? d.nodes[63] : kind == ShapeKind::MultiLine ? d.multi[63] : d.polygon[63];
        EXPECT_EQ(count, 63);
        EXPECT_EQ(last, (MeasurePoint{600, 400}));
        if (kind == ShapeKind::Polygon) {
            EXPECT_EQ(d.polygon[64], (MeasurePoint{5, 100}));
        }
    }
}

TEST_F(Session, PolygonLabelCoversTheClosedPolygonAfterEachVertex)
{
    s.selectTool(ShapeKind::Polygon);
    auto rec = record();
    struct Step { int x, y; bool moveOnly; const char *label; };
    const Step steps[] = {{0, 0, false, nullptr},   // A == B: no label yet
                          {30, 0, false, "[01]P=60.000mm"},
                          {30, 40, false, "[01]P=120.000mm"},
                          {0, 40, true, "[01]P=140.000mm"}};
    for (const Step &step : steps) {
        rec->texts.clear();
        if (step.moveOnly)
            s.move(at(step.x, step.y));
        else
            click(step.x, step.y);
        if (step.label)
            EXPECT_EQ(rec->textStrings(), QStringList{step.label});
        else
            EXPECT_TRUE(rec->texts.empty());
    }
}

TEST_F(Session, ShiftSnapsTheLineEndToAnAxis)
{
    s.selectTool(ShapeKind::Line);
    click(100, 100);
    s.move(at(130, 140, PointerButton::Left, true));
    EXPECT_EQ(s.shape().b, (MeasurePoint{100, 140}));
    s.move(at(140, 130, PointerButton::Left, true));
    EXPECT_EQ(s.shape().b, (MeasurePoint{140, 100}));
    click(130, 140, PointerButton::Left, true);
    EXPECT_EQ(s.shape().b, (MeasurePoint{100, 140}));
}

TEST_F(Session, CtrlSwapsArcEndsOncePerPress)
{
    s.selectTool(ShapeKind::Arc);
    click(100, 200);
    click(300, 200);
    const auto ctrlMove = [&](int x, int y, bool ctrl) { s.move(at(x, y, PointerButton::Left, false, ctrl)); };
    ctrlMove(200, 100, true);
    EXPECT_EQ(s.shape().a, (MeasurePoint{300, 200}));
    EXPECT_EQ(s.shape().b, (MeasurePoint{100, 200}));
    ctrlMove(210, 100, true);   // still held: no second swap
    EXPECT_EQ(s.shape().a, (MeasurePoint{300, 200}));
    ctrlMove(220, 100, false);
    EXPECT_EQ(s.shape().a, (MeasurePoint{300, 200}));
    ctrlMove(230, 100, true);   // pressed again: swapped back
    EXPECT_EQ(s.shape().a, (MeasurePoint{100, 200}));
    EXPECT_EQ(s.shape().b, (MeasurePoint{300, 200}));
    // Without Shift the centre sits on the bisector of AB.
    EXPECT_FLOAT_EQ(s.shape().d.x, 200.0f);
    click(200, 120);
    EXPECT_FALSE(s.inProgress());
    EXPECT_FLOAT_EQ(s.shape().d.x, 200.0f);
}

TEST_F(Session, ThreePointKindsAndTheFourPointAngle)
{
    s.selectTool(ShapeKind::ThreePointsAngle);
    click(100, 10);
    click(10, 10);
    EXPECT_EQ(s.shape().c, (MeasurePoint{10, 10}));
    auto rec = record();
    click(10, 100);
    EXPECT_FALSE(s.inProgress());
    EXPECT_EQ(rec->textStrings(), QStringList{QStringLiteral("[01]\u03B8=90.0\u00B0")});

    s.selectTool(ShapeKind::FourPointsAngle);
    rec->texts.clear();
    click(0, 50);
    click(100, 50);
    click(40, 0);
    EXPECT_TRUE(s.inProgress());
    click(40, 100);
    EXPECT_FALSE(s.inProgress());
    EXPECT_EQ(rec->textStrings(), QStringList{QStringLiteral("[01]\u03B8=90.0\u00B0")});
}

TEST_F(Session, ToolChangeClearsOnlyWithoutOverlap)
{
    s.selectTool(ShapeKind::Line);
    line(10, 10, 110, 10);
    s.selectTool(ShapeKind::Rectangle);
    EXPECT_EQ(s.layer().pixel(50, 10), kWhite);
    EXPECT_EQ(s.shape().a, (MeasurePoint{}));
    EXPECT_EQ(s.labels().counter, 0);

    s.setOverlap(true);
    s.selectTool(ShapeKind::Line);
    line(10, 10, 110, 10);
    s.selectTool(ShapeKind::Rectangle);
    EXPECT_EQ(s.layer().pixel(50, 10), 0xFF0000u);
    EXPECT_EQ(s.shape().kind, ShapeKind::Rectangle);
}

TEST_F(Session, DoubleClickWithoutToolTogglesFullScreenAndPlacesNothing)
{
    s.selectTool(ShapeKind::None);
    const SurfaceOutcome out = s.doubleClick();
    EXPECT_TRUE(out.toggleFullScreen);
    click(50, 50);
    EXPECT_FALSE(s.inProgress());
    EXPECT_EQ(s.shape().a, (MeasurePoint{}));

    // A tool selected in draw mode keeps double-clicks for drawing.
    s.selectTool(ShapeKind::Line);
    SurfaceFlags flags;
    flags.drawMode = true;
    s.setFlags(flags);
    EXPECT_FALSE(s.doubleClick().toggleFullScreen);
    flags.drawMode = false;
    flags.calibrating = true;
    s.setFlags(flags);
    EXPECT_FALSE(s.doubleClick().toggleFullScreen);
}

TEST_F(Session, SwallowedPressDoesNotLeaveAShapeInProgress)
{
    s.selectTool(ShapeKind::Line);
    line(10, 10, 110, 10);
    EXPECT_TRUE(s.doubleClick().toggleFullScreen);   // not in draw mode
    click(20, 20);                                    // the press and release of the double-click
    EXPECT_FALSE(s.inProgress());
    click(30, 30);
    EXPECT_TRUE(s.inProgress());
    EXPECT_EQ(s.shape().a, (MeasurePoint{30, 30}));
}

TEST_F(Session, ThreeOverlappingLinesMakeFourNodes)
{
    s.setOverlap(true);
    s.selectTool(ShapeKind::Line);
    line(10, 10, 110, 10);
    line(10, 30, 110, 30);
    line(10, 50, 110, 50);
    ASSERT_EQ(s.history().size(), 4u);
    EXPECT_TRUE(s.undoEnabled());
    EXPECT_FALSE(s.redoEnabled());
    for (int i = 0; i < 3; ++i)
        s.UndoList();
    EXPECT_FALSE(s.undoEnabled());
    EXPECT_TRUE(s.redoEnabled());
    for (int y : {10, 30, 50})
        EXPECT_EQ(s.layer().pixel(50, y), kWhite);
    s.RedoList();
    EXPECT_EQ(s.layer().pixel(50, 10), 0xFF0000u);
    EXPECT_EQ(s.layer().pixel(50, 30), kWhite);
    EXPECT_EQ(s.committed(), s.layer());
}

TEST_F(Session, DrawingAfterUndoDropsTheUndoneShapes)
{
    s.setOverlap(true);
    s.selectTool(ShapeKind::Line);
    line(10, 10, 110, 10);
    line(10, 30, 110, 30);
    line(10, 50, 110, 50);
    s.UndoList();
    s.UndoList();
    line(10, 70, 110, 70);
    EXPECT_EQ(s.history().size(), 3u);
    EXPECT_FALSE(s.redoEnabled());
    EXPECT_EQ(s.layer().pixel(50, 70), 0xFF0000u);
    EXPECT_EQ(s.layer().pixel(50, 30), kWhite);
}

TEST_F(Session, UndoAndRedoAreDisabledWhileAShapeIsInProgress)
{
    s.setOverlap(true);
    s.selectTool(ShapeKind::Line);
    line(10, 10, 110, 10);
    line(10, 30, 110, 30);
    s.UndoList();
    click(200, 200);
    EXPECT_FALSE(s.undoEnabled());
    EXPECT_FALSE(s.redoEnabled());
}

// The display options act on what is shown: OK relabels the shapes already drawn, each with its
// own running number.
TEST_F(Session, NewLabelSettingsRelabelTheShapesAlreadyDrawn)
{
    s.setOverlap(true);
    s.selectTool(ShapeKind::Line);
    line(10, 10, 110, 10);
    line(10, 30, 60, 30);
    LabelSettings two = s.labels();
    two.precision = 1;
    two.labelColour = 0x00FF00;
    s.setLabelSettings(two);
    auto rec = record();
    s.DrawUndoRedo();
    EXPECT_EQ(rec->textStrings(), (QStringList{"[01]L=100.0mm", "[02]L=50.0mm"}));
    EXPECT_EQ(rec->texts[0].colour, 0x00FF00u);
    line(10, 50, 40, 50);
    rec->texts.clear();
    s.UndoList();
    EXPECT_EQ(rec->textStrings(), (QStringList{"[01]L=100.0mm", "[02]L=50.0mm"}));
    EXPECT_EQ(s.labels().counter, 3);   // the live record comes back from the saved copy
    EXPECT_EQ(s.labels().precision, 1);
}

TEST_F(Session, SwitchingOverlapClearsPictureAndHistory)
{
    s.setOverlap(true);
    s.selectTool(ShapeKind::Line);
    line(10, 10, 110, 10);
    s.setOverlap(false);
    EXPECT_TRUE(s.history().empty());
    s.setOverlap(true);
    EXPECT_EQ(s.history().size(), 1u);
    EXPECT_EQ(s.layer().pixel(50, 10), kWhite);
    EXPECT_EQ(s.labels().counter, 0);
}

TEST_F(Session, FifthShapeWithItemNoneShowsOnlyItsNumber)
{
    s.setOverlap(true);
    s.selectTool(ShapeKind::Line);
    for (int i = 0; i < 4; ++i)
        line(10, 10 + 20 * i, 110, 10 + 20 * i);
    LabelSettings none = s.labels();
    none.lineItem = 0;
    s.setLabelSettings(none);
    auto rec = record();
    line(10, 200, 110, 200);
    EXPECT_EQ(rec->textStrings(), QStringList{"[05]"});
}

TEST_F(Session, LineAfterAnAngleKeepsThePrecision)
{
    LabelSettings p2 = s.labels();
    p2.precision = 2;
    s.setLabelSettings(p2);
    s.setOverlap(true);
    auto rec = record();
    s.selectTool(ShapeKind::ThreePointsAngle);
    click(100, 10);
    click(10, 10);
    click(10, 100);
    s.selectTool(ShapeKind::Line);
    rec->texts.clear();
    line(10, 300, 110, 300);
    EXPECT_EQ(rec->textStrings(), QStringList{"[02]L=100.00mm"});
}

TEST_F(Session, WhiteColourIsStoredNearWhiteAndStaysVisible)
{
    s.setColour(0xFFFFFF);
    EXPECT_EQ(s.shape().colour, 0xFFFFFEu);
    s.selectTool(ShapeKind::Line);
    line(10, 10, 110, 10);
    EXPECT_EQ(s.layer().pixel(50, 10), 0xFFFFFEu);
}

TEST_F(Session, PenComboSetsStyleAndWidth)
{
    s.setPenComboItem(6);
    EXPECT_EQ(s.shape().penStyle, 7);
    EXPECT_EQ(s.shape().penWidth, 3);
    s.selectTool(ShapeKind::Line);
    line(10, 10, 110, 10);
    EXPECT_EQ(s.layer().pixel(50, 11), 0xFF0000u);   // three pixels wide
}

TEST_F(Session, MouseMapsToPicturePixelsWhenTheWindowIsWider)
{
    s.setGeometry({1280, 960}, {640, 480});
    EXPECT_EQ(s.mapPoint({101, 51}), (MeasurePoint{50, 25}));
    s.setGeometry({320, 240}, {640, 480});
    EXPECT_EQ(s.mapPoint({101, 51}), (MeasurePoint{101, 51}));
    EXPECT_EQ(s.layer().size(), QSize(320, 240));
}

TEST_F(Session, EnlargingTheWindowPastThePictureConvertsOnce)
{
    for (bool overlap : {false, true}) {
        s.setGeometry({320, 240}, {640, 480});
        s.setOverlap(overlap);
        s.selectTool(ShapeKind::Line);
        line(10, 10, 110, 20);
        s.resizeWindow({800, 600});
        EXPECT_EQ(s.shape().a, (MeasurePoint{20, 20}));
        EXPECT_EQ(s.shape().b, (MeasurePoint{220, 40}));
        if (overlap) {
            EXPECT_EQ(s.history().node(1).shape.b, (MeasurePoint{220, 40}));
        }
        s.ChangeWindows();   // a second repaint at the same size converts nothing
        EXPECT_EQ(s.shape().b, (MeasurePoint{220, 40}));
        EXPECT_EQ(s.layer().size(), QSize(640, 480));
        EXPECT_EQ(s.layer().pixel(20, 20), 0xFF0000u);
        s.setOverlap(false);
    }
}

TEST_F(Session, ShrinkingTheWindowBelowThePictureConvertsToWindowPixels)
{
    s.selectTool(ShapeKind::Line);
    line(100, 100, 300, 100);
    s.resizeWindow({320, 240});
    EXPECT_EQ(s.shape().a, (MeasurePoint{50, 50}));
    EXPECT_EQ(s.shape().b, (MeasurePoint{150, 50}));
}

TEST_F(Session, ZeroSizesDrawNothingAndDoNotDivideByZero)
{
    s.setGeometry({0, 0}, {0, 0});
    s.selectTool(ShapeKind::Line);
    auto rec = record();
    click(10, 10);
    s.move(at(50, 50));
    click(100, 100);
    EXPECT_TRUE(rec->texts.empty());
    EXPECT_TRUE(rec->lines.empty());
}

TEST_F(Session, BurnInScalesShapesToThePicture)
{
    s.setGeometry({320, 240}, {640, 480});
    s.selectTool(ShapeKind::Line);
    line(10, 10, 110, 10);
    platform::Bitmap picture(640, 480, 0x000000);
    s.drawInto(picture);
    EXPECT_EQ(picture.pixel(20, 20), 0xFF0000u);
    EXPECT_EQ(picture.pixel(218, 20), 0xFF0000u);
    EXPECT_EQ(s.shape().b, (MeasurePoint{110, 10}));   // coordinates put back
}

// Two circles on one particle: the second label would cover the first, so it goes to the nearest
// free place (just below) with a thin line from its anchor, B of the second circle.
TEST_F(Session, TwoCirclesOnOneParticleKeepTheirLabelsApart)
{
    s.setOverlap(true);
    s.selectTool(ShapeKind::TwoPointsCircle);
    line(300, 200, 340, 200);
    auto rec = record();
    line(300, 200, 342, 203);
    ASSERT_EQ(rec->texts.size(), 1u);
    EXPECT_EQ(rec->texts[0].text.left(6), "[02]C=");
    EXPECT_EQ(QPoint(rec->texts[0].x, rec->texts[0].y), QPoint(346, 217));   // wanted (346, 207)
    ASSERT_FALSE(rec->lines.empty());
    const RecordingCanvas::Line &leader = rec->lines.back();
    EXPECT_EQ(leader.from, QPoint(342, 203));
    EXPECT_EQ(leader.to, QPoint(346, 217));
    EXPECT_EQ(leader.width, 1);
    EXPECT_EQ(leader.colour, s.labels().labelColour);

    // A repaint (undo, redo, window change) places them the same way.
    rec->texts.clear();
    s.DrawUndoRedo();
    ASSERT_EQ(rec->texts.size(), 2u);
    EXPECT_EQ(QPoint(rec->texts[0].x, rec->texts[0].y), QPoint(344, 204));
    EXPECT_EQ(QPoint(rec->texts[1].x, rec->texts[1].y), QPoint(346, 217));
}

TEST_F(Session, TheFirstLabelKeepsItsPlaceAndUnitsStayInsideThePicture)
{
    auto rec = record();
    s.selectTool(ShapeKind::Line);
    line(100, 100, 200, 100);
    ASSERT_EQ(rec->texts.size(), 1u);
    EXPECT_EQ(QPoint(rec->texts[0].x, rec->texts[0].y), QPoint(154, 104));   // (A + B)/2 + 4
    EXPECT_EQ(rec->lines.size(), 1u);                                         // the line only

    // "[02]L=70.000mm" is 98 px wide: at x = 599 its unit would be cut at the right edge.
    rec->texts.clear();
    rec->lines.clear();
    line(560, 100, 630, 100);
    ASSERT_EQ(rec->texts.size(), 1u);
    EXPECT_EQ(rec->texts[0].text, "[02]L=70.000mm");
    EXPECT_EQ(QPoint(rec->texts[0].x, rec->texts[0].y), QPoint(542, 104));
    ASSERT_EQ(rec->lines.size(), 2u);
    EXPECT_EQ(rec->lines[1].from, QPoint(595, 100));
    EXPECT_EQ(rec->lines[1].to, QPoint(595, 104));
}

// The scale bar's numbers and totals are written before the shapes: labels keep clear of them, on
// the layer and on a burnt-in picture.
TEST_F(Session, LabelsKeepClearOfTheScaleBarsTexts)
{
    ScaleBarHooks hooks;
    hooks.drawInto = [](platform::Bitmap &bitmap) {
        RecordingCanvas recorder;
        TextCellCanvas canvas(recorder);
        // "H=11.80cm" where the line's label would go, scaled with the picture as a bar is.
        canvas.textOut(150 * bitmap.width() / 640, 100 * bitmap.height() / 480, QStringLiteral("H=11.80cm"));
        return canvas.cells();
    };
    s.setScaleBarHooks(std::move(hooks));
    s.setOverlap(true);
    auto rec = record();
    s.selectTool(ShapeKind::Line);
    line(100, 100, 200, 100);
    ASSERT_EQ(rec->texts.size(), 1u);
    // The total's cell is (150, 100) to (212, 112); the label wanted (154, 104).
    EXPECT_EQ(QPoint(rec->texts[0].x, rec->texts[0].y), QPoint(154, 113));
    // Further shapes keep counting the bar's cell, whoever repaints.
    rec->texts.clear();
    line(100, 100, 200, 100);
    ASSERT_EQ(rec->texts.size(), 1u);
    EXPECT_EQ(QPoint(rec->texts[0].x, rec->texts[0].y), QPoint(154, 87));   // above the bar: nearer than below [01]

    rec->texts.clear();
    platform::Bitmap picture(1280, 960, 0x000000);
    s.drawInto(picture);
    ASSERT_EQ(rec->texts.size(), 2u);
    // Bar total at (300, 200) to (362, 212); the first label wanted (304, 204).
    EXPECT_EQ(QPoint(rec->texts[0].x, rec->texts[0].y), QPoint(304, 213));
}

TEST(TextCellCanvas, NotesTheCellOfEveryTextItPassesOn)
{
    RecordingCanvas recorder;
    TextCellCanvas canvas(recorder);
    canvas.textOut(5, 6, QStringLiteral("100"));
    canvas.textOut(7, 8, QString());
    canvas.moveTo(0, 0);
    canvas.lineTo(10, 0);
    EXPECT_EQ(recorder.textStrings(), (QStringList{"100", ""}));
    EXPECT_EQ(recorder.lines.size(), 1u);
    EXPECT_EQ(canvas.cells(), (std::vector<QRect>{QRect(5, 6, 21, 13)}));
}

// Burnt in at twice the window's size the shapes grow and the labels do not: the labels are placed
// anew on the picture.
TEST_F(Session, BurntInLabelsAreKeptApartOnThePicture)
{
    s.setOverlap(true);
    s.selectTool(ShapeKind::TwoPointsCircle);
    line(300, 200, 340, 200);
    line(300, 200, 342, 203);
    auto rec = record();
    platform::Bitmap picture(1280, 960, 0x000000);
    s.drawInto(picture);
    ASSERT_EQ(rec->texts.size(), 2u);
    EXPECT_EQ(QPoint(rec->texts[0].x, rec->texts[0].y), QPoint(684, 404));
    EXPECT_EQ(QPoint(rec->texts[1].x, rec->texts[1].y), QPoint(688, 417));   // wanted (688, 410)
    EXPECT_EQ(rec->lines.back().from, QPoint(684, 406));
    EXPECT_EQ(rec->lines.back().to, QPoint(688, 417));

    // The same burn-in again starts from an empty picture, not from the last one's labels.
    rec->texts.clear();
    platform::Bitmap again(1280, 960, 0x000000);
    s.drawInto(again);
    ASSERT_EQ(rec->texts.size(), 2u);
    EXPECT_EQ(QPoint(rec->texts[0].x, rec->texts[0].y), QPoint(684, 404));
}

} // namespace
} // namespace measure

namespace measure {
namespace {

TEST(WindowChangeScale, FourRules)
{
    struct Row { QSize current, reference; bool rescaledBefore; std::optional<float> factor; bool rescaledAfter; };
    const QSize picture(640, 480);
    const Row rows[] = {
        {{800, 600}, {320, 240}, true, 2.0f, false},      // grew past the picture: window -> picture pixels
        {{800, 600}, {640, 480}, true, std::nullopt, false},
        {{400, 300}, {320, 240}, false, 1.25f, true},     // narrow window grew
        {{300, 225}, {400, 300}, true, 0.75f, true},      // shrank again after growing
        {{300, 225}, {400, 300}, false, 0.75f, false},    // shrank: window pixels of the old window
        {{320, 240}, {800, 600}, false, 0.5f, false},     // shrank below the picture: picture -> window pixels
    };
    for (const Row &r : rows) {
        bool rescaled = r.rescaledBefore;
        const auto f = windowChangeScale(r.current, picture, r.reference, rescaled);
        ASSERT_EQ(f.has_value(), r.factor.has_value()) << r.current.width() << " from " << r.reference.width();
        if (f) {
            EXPECT_FLOAT_EQ(f->first, *r.factor);
            EXPECT_FLOAT_EQ(f->second, *r.factor);
        }
        EXPECT_EQ(rescaled, r.rescaledAfter) << r.current.width() << " from " << r.reference.width();
    }
}

} // namespace
} // namespace measure
