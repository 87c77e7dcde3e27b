#include "measure/shaperenderer.h"
#include "platform/canvas.h"
#include "recordingcanvas.h"

#include <gtest/gtest.h>

namespace measure {
namespace {

using testing::RecordingCanvas;

// Scale factors sx = sy = hLength / 1000 for a 1000 x 1000 picture in a larger window.
LabelContext contextFor(float perPixel, int unitIndex = 0)
{
    LabelContext c;
    c.hLength = perPixel * 1000.0f;
    c.vLength = perPixel * 1000.0f;
    c.scaleUnitIndex = unitIndex;
    c.window = QSize(1200, 1000);
    c.picture = QSize(1000, 1000);
    return c;
}

ShapeDraft shapeOf(ShapeKind kind, MeasurePoint a, MeasurePoint b)
{
    ShapeDraft s;
    s.kind = kind;
    s.a = a;
    s.b = b;
    return s;
}

LabelSettings labelsWith(int counter, int precision = 3, bool displayUnit = true)
{
    LabelSettings l;
    l.counter = counter;
    l.precision = precision;
    l.displayUnit = displayUnit;
    return l;
}

TEST(DrawTextA, AreaGetsARaisedTwoAfterTheText)
{
    RecordingCanvas canvas;
    ShapeRenderer::DrawTextA(canvas, 50, 60, 1.0, 3, UnitCode::Mm, "[01]A");
    ASSERT_EQ(canvas.texts.size(), 2u);
    EXPECT_EQ(canvas.texts[0].text, "[01]A=1.000mm");
    EXPECT_EQ(canvas.texts[0].x, 50);
    EXPECT_EQ(canvas.texts[0].y, 60);
    EXPECT_EQ(canvas.texts[0].fontPx, kLabelFontPx);
    EXPECT_EQ(canvas.texts[1].text, "2");
    EXPECT_EQ(canvas.texts[1].x, 50 + 7 * 13);
    EXPECT_EQ(canvas.texts[1].y, 60 - 6);   // half of the 13-pixel "m", truncated
}

TEST(DrawTextA, NoValueWritesTheLabelAsItStands)
{
    RecordingCanvas canvas;
    ShapeRenderer::DrawTextA(canvas, 1, 2, 123.0, 3, UnitCode::NoValue, "[05]");
    EXPECT_EQ(canvas.textStrings(), QStringList{"[05]"});
}

TEST(ShowDrawInfo, LineLabelsFollowThePrecision)
{
    struct Row { int precision; const char *text; };
    for (const Row &r : {Row{2, "[01]L=12.35mm"}, Row{1, "[01]L=12.3mm"}, Row{3, "[01]L=12.346mm"}}) {
        RecordingCanvas canvas;
        ShapeDraft s = shapeOf(ShapeKind::Line, {100, 100}, {200, 100});
        ShapeRenderer::ShowDrawInfo(canvas, s, labelsWith(1, r.precision), contextFor(0.123456f));
        ASSERT_EQ(canvas.texts.size(), 1u);
        EXPECT_EQ(canvas.texts[0].text, r.text);
        EXPECT_EQ(canvas.texts[0].x, 154);   // midpoint + 4
        EXPECT_EQ(canvas.texts[0].y, 104);
    }
}

TEST(ShowDrawInfo, CircleWithoutUnitAndItemNone)
{
    RecordingCanvas canvas;
    ShapeDraft circle = shapeOf(ShapeKind::TwoPointsCircle, {0, 0}, {100, 0});
    ShapeRenderer::ShowDrawInfo(canvas, circle, labelsWith(4, 3, false), contextFor(0.1f));
    EXPECT_EQ(canvas.textStrings(), QStringList{"[04]C=31.416"});
    EXPECT_EQ(canvas.texts[0].x, 104);   // anchored at B

    RecordingCanvas none;
    LabelSettings l = labelsWith(5);
    l.lineItem = 0;
    ShapeDraft line = shapeOf(ShapeKind::Line, {0, 0}, {100, 0});
    ShapeRenderer::ShowDrawInfo(none, line, l, contextFor(0.1f));
    EXPECT_EQ(none.textStrings(), QStringList{"[05]"});
}

TEST(ShowDrawInfo, LettersPerKindAndItem)
{
    struct Row { ShapeKind kind; int item; MeasurePoint a, b, d; const char *text; };
    const Row rows[] = {
        {ShapeKind::TwoPointsCircle, 2, {0, 0}, {20, 0}, {}, "[01]A=314.159mm"},
        {ShapeKind::TwoPointsCircle, 3, {0, 0}, {20, 0}, {}, "[01]R=10.000mm"},
        {ShapeKind::TwoPointsCircle, 4, {0, 0}, {20, 0}, {}, "[01]D=20.000mm"},
        {ShapeKind::Rectangle, 1, {10, 10}, {110, 60}, {}, "[01]P=300.000mm"},
        {ShapeKind::Arc, 1, {0, 0}, {100, 0}, {50, 0}, "[01]L=157.080mm"},
        {ShapeKind::Arc, 4, {0, 0}, {100, 0}, {50, 0}, "[01]R=50.000mm"},
        {ShapeKind::Arch, 4, {0, 0}, {100, 0}, {50, 0}, "[01]cL=100.000mm"},
        {ShapeKind::Arch, 6, {0, 0}, {100, 0}, {50, 0}, "[01]\u03B8=180.0\u00B0"},
        {ShapeKind::Arc, 5, {0, 0}, {100, 0}, {50, 50}, "[01]\u03B8=270.0\u00B0"},
        {ShapeKind::Ellipse, 1, {0, 0}, {20, 20}, {}, "[01]C=62.832mm"},
    };
    for (const Row &r : rows) {
        LabelSettings l = labelsWith(1);
        l.circleItem = l.squareItem = l.arcItem = l.archItem = l.ellipseItem = r.item;
        ShapeDraft s = shapeOf(r.kind, r.a, r.b);
        s.d = r.d;
        RecordingCanvas canvas;
        ShapeRenderer::ShowDrawInfo(canvas, s, l, contextFor(1.0f));
        ASSERT_FALSE(canvas.texts.empty()) << r.text;
        EXPECT_EQ(canvas.texts[0].text, QString::fromUtf8(r.text));
    }
}

TEST(ShowDrawInfo, AnglesHaveOneDecimalAndLeaveThePrecisionAlone)
{
    struct Row { ShapeKind kind; MeasurePoint a, b, c, d; const char *text; };
    const Row rows[] = {
        {ShapeKind::ThreePointsAngle, {100, 10}, {10, 10}, {10, 10}, {10, 100}, "[03]\u03B8=90.0\u00B0"},
        {ShapeKind::ThreePointsFillet, {100, 10}, {10, 10}, {10, 10}, {10, 100}, "[03]\u03B8=90.0\u00B0"},
        {ShapeKind::FourPointsAngle, {0, 50}, {100, 50}, {40, 0}, {40, 100}, "[03]\u03B8=90.0\u00B0"},
        {ShapeKind::ThreePointsAngle, {0, 10}, {100, 10}, {100, 10}, {200, 10}, "[03]\u03B8=180.0\u00B0"},
        {ShapeKind::ThreePointsFillet, {0, 10}, {100, 10}, {100, 10}, {200, 10}, "[03]\u03B8=0.0\u00B0"},
    };
    for (const Row &r : rows) {
        const LabelSettings l = labelsWith(3, 4);
        ShapeDraft s = shapeOf(r.kind, r.a, r.b);
        s.c = r.c;
        s.d = r.d;
        RecordingCanvas canvas;
        ShapeRenderer::ShowDrawInfo(canvas, s, l, contextFor(1.0f));
        ASSERT_EQ(canvas.texts.size(), 1u);
        EXPECT_EQ(canvas.texts[0].text, QString::fromUtf8(r.text));
        EXPECT_EQ(canvas.texts[0].fontPx, kAngleFontPx);
        EXPECT_EQ(l.precision, 4);
    }
    LabelSettings noUnit = labelsWith(2, 3, false);
    ShapeDraft s = shapeOf(ShapeKind::ThreePointsAngle, {100, 10}, {10, 10});
    s.c = {10, 10};
    s.d = {10, 100};
    RecordingCanvas canvas;
    ShapeRenderer::ShowDrawInfo(canvas, s, noUnit, contextFor(1.0f));
    EXPECT_EQ(canvas.textStrings(), QStringList{QStringLiteral("[02]\u03B8=90.0")});
}

TEST(ShowDrawInfo, MultipleLineLabelsOfEvenHorizontalSegmentsAreRaised)
{
    ShapeDraft s;
    s.kind = ShapeKind::MultiLine;
    s.multiCount = 3;
    s.multi[0] = {0, 100};
    s.multi[1] = {100, 100};
    s.multi[2] = {200, 100};
    s.multi[3] = {300, 100};
    s.a = s.multi[0];
    s.b = s.multi[3];
    RecordingCanvas canvas;
    ShapeRenderer::ShowDrawInfo(canvas, s, labelsWith(2, 1), contextFor(0.01f));
    ASSERT_EQ(canvas.texts.size(), 3u);
    const int lift = 13 + 8;
    EXPECT_EQ(canvas.texts[0].y, 104 - lift);
    EXPECT_EQ(canvas.texts[1].y, 104);
    EXPECT_EQ(canvas.texts[2].y, 104 - lift);
    EXPECT_EQ(canvas.texts[0].x, 54);
    EXPECT_EQ(canvas.texts[2].x, 254);
    for (const auto &t : canvas.texts)
        EXPECT_EQ(t.text, "[02]L=1.0mm");
    EXPECT_FLOAT_EQ(s.segmentLengths[1], 1.0f);
}

TEST(ShowDrawInfo, MultipleLineStopsAtTheFirstZeroSegment)
{
    ShapeDraft s;
    s.kind = ShapeKind::MultiLine;
    s.multiCount = 3;
    s.multi[0] = {0, 0};
    s.multi[1] = {0, 100};
    s.multi[2] = {0, 100};
    s.multi[3] = {50, 100};
    s.a = s.multi[0];
    s.b = s.multi[3];
    RecordingCanvas canvas;
    ShapeRenderer::ShowDrawInfo(canvas, s, labelsWith(1), contextFor(1.0f));
    EXPECT_EQ(canvas.textStrings(), QStringList{"[01]L=100.000mm"});
}

TEST(ShowDrawInfo, EllipseTwoValuesOneLineApart)
{
    LabelSettings l = labelsWith(1, 1);
    l.ellipseItem = 3;
    ShapeDraft s = shapeOf(ShapeKind::Ellipse, {100, 100}, {0, 40});
    RecordingCanvas canvas;
    ShapeRenderer::ShowDrawInfo(canvas, s, l, contextFor(1.0f));
    ASSERT_EQ(canvas.texts.size(), 2u);
    EXPECT_EQ(canvas.texts[0].text, "[01]sR=30.0mm");
    EXPECT_EQ(canvas.texts[1].text, "[01]lR=50.0mm");
    EXPECT_EQ(canvas.texts[0].x, 54);
    EXPECT_EQ(canvas.texts[0].y, 74);
    EXPECT_EQ(canvas.texts[1].y, 74 + 13);
}

TEST(ShowDrawInfo, PolygonCoversTheClosedListAndAnchorsWithoutOffset)
{
    ShapeDraft s;
    s.kind = ShapeKind::Polygon;
    s.polygonCount = 3;
    s.polygon[0] = {0, 0};
    s.polygon[1] = {30, 0};
    s.polygon[2] = {30, 40};
    s.polygon[3] = {0, 40};   // live point
    s.polygon[4] = {0, 0};
    s.a = s.polygon[0];
    s.b = s.polygon[3];
    LabelSettings l = labelsWith(1, 1);
    RecordingCanvas perimeter;
    ShapeRenderer::ShowDrawInfo(perimeter, s, l, contextFor(1.0f));
    EXPECT_EQ(perimeter.textStrings(), QStringList{"[01]P=140.0mm"});
    EXPECT_EQ(perimeter.texts[0].x, 0);
    EXPECT_EQ(perimeter.texts[0].y, 20);
    l.squareItem = 2;
    RecordingCanvas area;
    ShapeRenderer::ShowDrawInfo(area, s, l, contextFor(1.0f));
    EXPECT_EQ(area.texts[0].text, "[01]A=1200.0mm");
    EXPECT_EQ(area.texts[1].text, "2");
}

TEST(ShowDrawInfo, NothingWithoutSizesOrForSameSpot)
{
    RecordingCanvas canvas;
    ShapeDraft s = shapeOf(ShapeKind::Line, {0, 0}, {100, 0});
    LabelContext zero = contextFor(1.0f);
    zero.picture = QSize(0, 0);
    ShapeRenderer::ShowDrawInfo(canvas, s, labelsWith(1), zero);
    ShapeDraft same = shapeOf(ShapeKind::Line, {10, 10}, {10.5f, 10.9f});
    ShapeRenderer::ShowDrawInfo(canvas, same, labelsWith(1), contextFor(1.0f));
    ShapeDraft collinear = shapeOf(ShapeKind::ThreePointsCircle, {0, 0}, {10, 10});
    collinear.d = {20, 20};
    ShapeRenderer::ShowDrawInfo(canvas, collinear, labelsWith(1), contextFor(1.0f));
    EXPECT_TRUE(canvas.texts.empty());
}

TEST(AngleMarker, NearEndOfTheFourPointAngle)
{
    ShapeDraft s = shapeOf(ShapeKind::FourPointsAngle, {0, 0}, {100, 0});
    s.c = {0, 10};   // closest to A
    s.d = {0, 110};
    const MeasurePoint m = ShapeRenderer::angleMarkerPoint(s);
    // N = A, M1 = (50, 0), R = (0, 60): m = ((25, 0) + (0, 30)) / 2
    EXPECT_FLOAT_EQ(m.x, 12.5f);
    EXPECT_FLOAT_EQ(m.y, 15.0f);
    s.kind = ShapeKind::ThreePointsFillet;
    s.c = s.b;
    s.d = {100, 100};
    // N = B, R = (B + 2C - D) / 2 = (100, -50): m = ((75, 0) + (100, -25)) / 2
    const MeasurePoint f = ShapeRenderer::angleMarkerPoint(s);
    EXPECT_FLOAT_EQ(f.x, 87.5f);
    EXPECT_FLOAT_EQ(f.y, -12.5f);
}

// --- pixels ---------------------------------------------------------------------------------------

constexpr platform::ColorRef kWhite = 0xFFFFFF;

TEST(BitmapCanvas, LineLeavesOutItsEndPointAndKeepsColourOrder)
{
    platform::Bitmap bmp(200, 50, kWhite);
    {
        platform::BitmapCanvas canvas(bmp);
        canvas.setPen(1, 1, 0x0000FF);
        canvas.moveTo(10, 10);
        canvas.lineTo(110, 10);
    }
    EXPECT_EQ(bmp.pixel(10, 10), 0x0000FFu);
    EXPECT_EQ(bmp.pixel(109, 10), 0x0000FFu);
    EXPECT_EQ(bmp.pixel(110, 10), kWhite);
    EXPECT_EQ(bmp.pixel(9, 10), kWhite);
    EXPECT_EQ(qRed(bmp.image().pixel(50, 10)), 255);   // 0x0000FF is red
    EXPECT_EQ(qBlue(bmp.image().pixel(50, 10)), 0);
}

TEST(BitmapCanvas, MultipleLineTicksSitAtTheSegmentEnds)
{
    platform::Bitmap bmp(200, 60, kWhite);
    ShapeDraft s;
    s.kind = ShapeKind::MultiLine;
    s.colour = 0x00FF00;
    s.multiCount = 1;
    s.multi[0] = {10, 30};
    s.multi[1] = {110, 30};
    {
        platform::BitmapCanvas canvas(bmp);
        ShapeRenderer::applyUserPen(canvas, s);
        ShapeRenderer::drawFinalOutline(canvas, s, LabelSettings{});
    }
    for (int y = 20; y < 40; ++y) {   // ticks run from y - 10 to y + 10, end point left out
        EXPECT_EQ(bmp.pixel(110, y), 0x00FF00u) << y;
        EXPECT_EQ(bmp.pixel(10, y), 0x00FF00u) << y;
    }
    EXPECT_EQ(bmp.pixel(110, 40), kWhite);
    EXPECT_EQ(bmp.pixel(110, 19), kWhite);
    EXPECT_EQ(bmp.pixel(111, 30), kWhite);
}

TEST(BitmapCanvas, NodeCirclesCoverSevenPixelsAroundEachNode)
{
    platform::Bitmap bmp(100, 100, kWhite);
    ShapeDraft s;
    s.kind = ShapeKind::NodeLine;
    s.colour = 0x123456;
    s.nodeCount = 1;
    s.nodes[0] = {20, 50};
    s.nodes[1] = {80, 50};
    {
        platform::BitmapCanvas canvas(bmp);
        ShapeRenderer::applyUserPen(canvas, s);
        ShapeRenderer::drawFinalOutline(canvas, s, LabelSettings{});
    }
    for (const MeasurePoint p : {s.nodes[0], s.nodes[1]}) {
        const int x = int(p.x), y = int(p.y);
        EXPECT_EQ(bmp.pixel(x - 3, y), 0x123456u);
        EXPECT_EQ(bmp.pixel(x + 3, y), 0x123456u);
        EXPECT_EQ(bmp.pixel(x, y - 3), 0x123456u);
        EXPECT_EQ(bmp.pixel(x, y + 3), 0x123456u);
        EXPECT_EQ(bmp.pixel(x, y + 4), kWhite);
        EXPECT_EQ(bmp.pixel(x - 4, y - 1), kWhite);
    }
    EXPECT_EQ(bmp.pixel(50, 50), 0x123456u);   // the segment between them
}

TEST(BitmapCanvas, WhitePenIsStoredNearWhiteAndStaysVisible)
{
    platform::Bitmap bmp(50, 50, kWhite);
    ShapeDraft s = shapeOf(ShapeKind::Line, {5, 5}, {45, 5});
    s.colour = storableColour(0xFFFFFF);
    {
        platform::BitmapCanvas canvas(bmp);
        ShapeRenderer::applyUserPen(canvas, s);
        ShapeRenderer::drawFinalOutline(canvas, s, LabelSettings{});
    }
    EXPECT_EQ(bmp.pixel(20, 5), 0xFFFFFEu);
}

TEST(BitmapCanvas, PenComboItemDrawsARedMiddleLine)
{
    platform::Bitmap bmp(60, 20, 0);
    {
        platform::BitmapCanvas canvas(bmp);
        ShapeRenderer::drawPenComboItem(canvas, 0, 0, 60, 20, 6);
    }
    EXPECT_EQ(bmp.pixel(0, 0), kWhite);
    EXPECT_EQ(bmp.pixel(30, 10), 0x0000FFu);
    EXPECT_EQ(bmp.pixel(30, 9), 0x0000FFu);   // width 3
    EXPECT_EQ(bmp.pixel(30, 3), kWhite);
}

TEST(BitmapCanvas, LabelTextIsDrawnBelowItsTopLeftCorner)
{
    platform::Bitmap bmp(200, 60, kWhite);
    {
        platform::BitmapCanvas canvas(bmp);
        canvas.setTextColour(0x0000FF);
        ShapeRenderer::DrawTextA(canvas, 20, 20, 8.0, 1, UnitCode::Mm, "[01]L");
    }
    int top = -1, left = -1;
    for (int y = 0; y < 60 && top < 0; ++y)
        for (int x = 0; x < 200; ++x)
            if (bmp.pixel(x, y) != kWhite) {
                top = y;
                break;
            }
    for (int x = 0; x < 200 && left < 0; ++x)
        for (int y = 0; y < 60; ++y)
            if (bmp.pixel(x, y) != kWhite) {
                left = x;
                break;
            }
    EXPECT_GE(top, 20);
    EXPECT_LT(top, 20 + kLabelFontPx);
    EXPECT_GE(left, 20);
    EXPECT_LT(left, 24);
    for (int y = 0; y < 60; ++y)   // no antialiased halo: only the text colour and the key
        for (int x = 0; x < 200; ++x)
            ASSERT_TRUE(bmp.pixel(x, y) == kWhite || bmp.pixel(x, y) == 0x0000FFu) << x << "," << y;
}

} // namespace
} // namespace measure
