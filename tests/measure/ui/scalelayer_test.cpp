// The scale bar as the measuring surface draws it: into the drawing layer over the picture, kept
// through repaints, redrawn when the scale changes, and burnt into full-size pictures.
#include "measure/ui/measuringsurface.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace measure {
namespace {

constexpr platform::ColorRef kWhite = 0xFFFFFF;
constexpr platform::ColorRef kRed = 0x0000FF;
constexpr platform::ColorRef kBlue = 0xFF0000;

scales::RulerScaleControl topLeftScale(std::int32_t hSpin, std::int32_t vSpin)
{
    scales::RulerScaleControl s;
    scales::setLengthsFromMillimetreSpin(s, hSpin, vSpin);
    s.horizontalPosition = 1;
    s.verticalPosition = 1;
    s.colour = kRed;
    return s;
}

int countColour(const platform::Bitmap &b, platform::ColorRef colour, QRect area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += b.pixel(x, y) == colour;
    return n;
}

class ScaleLayer : public ::testing::Test
{
protected:
    MeasuringSurface surface;

    void SetUp() override
    {
        surface.setGeometry({640, 480}, {640, 480});
        surface.session().EntryMeasurementMode();
    }
    void line(QPoint a, QPoint b)
    {
        for (QPoint p : {a, b}) {
            PointerInput in;
            in.pos = p;
            surface.session().press(in);
            surface.session().release(in);
        }
    }
};

TEST_F(ScaleLayer, NewScaleRepaintsTheLayerWithItsBar)
{
    QSignalSpy changed(&surface, &MeasuringSurface::layerChanged);
    surface.session().setScale(topLeftScale(11800, 8850));
    EXPECT_GE(changed.count(), 1);
    const platform::Bitmap &layer = surface.layer();
    // Top and left base lines, and the left column's major graduation at the top.
    EXPECT_EQ(layer.pixel(300, 0), kRed);
    EXPECT_EQ(layer.pixel(0, 300), kRed);
    EXPECT_EQ(layer.pixel(39, 0), kRed);
    // 118 mm over 640 pixels: the "1" graduation at trunc(640 / 1.18) = 542, 40 pixels long.
    EXPECT_EQ(layer.pixel(542, 39), kRed);
    EXPECT_EQ(layer.pixel(542, 40), kWhite);

    // Another scale replaces it: 1.7 mm puts the major graduation at 376.
    surface.session().setScale(topLeftScale(170, 127));
    EXPECT_EQ(surface.layer().pixel(376, 39), kRed);
    EXPECT_EQ(surface.layer().pixel(542, 39), kWhite);
}

TEST_F(ScaleLayer, ShapesAndBarShareTheLayerAndTheBarSurvivesAClear)
{
    surface.session().setScale(topLeftScale(11800, 8850));
    surface.selectTool(ShapeKind::Line);
    line({100, 200}, {300, 200});
    EXPECT_EQ(surface.layer().pixel(200, 200), kBlue);
    EXPECT_EQ(surface.layer().pixel(542, 39), kRed);
    surface.clearFrame();
    EXPECT_EQ(surface.layer().pixel(200, 200), kWhite);
    EXPECT_EQ(surface.layer().pixel(542, 39), kRed);
}

TEST_F(ScaleLayer, AScaleChangeBetweenTheClicksOfAShapeDrawsNoHalfShape)
{
    surface.selectTool(ShapeKind::Line);
    line({100, 200}, {300, 200});
    PointerInput first;
    first.pos = {100, 400};
    surface.session().press(first);
    surface.session().release(first);
    surface.session().setScale(topLeftScale(11800, 8850));
    // Not a line from the new first point to the old shape's end.
    EXPECT_EQ(surface.layer().pixel(200, 300), kWhite);
    EXPECT_TRUE(surface.session().inProgress());
}

TEST_F(ScaleLayer, OverAFrozenPictureTheRubberBandKeepsTheBar)
{
    surface.session().setScale(topLeftScale(11800, 8850));
    SurfaceFlags frozen = surface.session().flags();
    frozen.live = false;
    frozen.drawMode = true;
    surface.session().setFlags(frozen);
    surface.selectTool(ShapeKind::Line);
    PointerInput in;
    in.pos = {100, 300};
    surface.session().press(in);
    surface.session().release(in);
    in.pos = {250, 300};
    surface.session().move(in);
    EXPECT_EQ(surface.layer().pixel(542, 39), kRed);
    EXPECT_GT(countColour(surface.layer(), kBlue, QRect(100, 300, 150, 1)), 50);   // the dotted rubber band
}

TEST_F(ScaleLayer, HiddenBarLeavesTheLayerWhite)
{
    surface.session().setScale(topLeftScale(11800, 8850));
    surface.setScaleBarHidden(true);
    EXPECT_EQ(countColour(surface.layer(), kRed, QRect(0, 0, 640, 480)), 0);
    surface.setScaleBarHidden(false);
    EXPECT_GT(countColour(surface.layer(), kRed, QRect(0, 0, 640, 480)), 1000);
}

TEST_F(ScaleLayer, BurnInDrawsBarAndShapesAtThePicturesOwnSize)
{
    surface.session().setScale(topLeftScale(11800, 8850));
    surface.setOverlap(true);
    surface.selectTool(ShapeKind::Line);
    line({100, 200}, {300, 200});
    line({100, 400}, {300, 400});
    const platform::Bitmap picture = surface.burnIn(platform::Bitmap(1600, 1200, 0x808080));
    ASSERT_EQ(picture.size(), QSize(1600, 1200));
    // Shapes scaled by 2.5 from the 640-pixel window; the bar graduated over 1600 pixels.
    EXPECT_EQ(picture.pixel(500, 500), kBlue);
    EXPECT_EQ(picture.pixel(500, 1000), kBlue);
    EXPECT_EQ(picture.pixel(int(1600 / 1.18), 39), kRed);
    EXPECT_EQ(picture.pixel(1000, 0), kRed);
    EXPECT_EQ(picture.pixel(800, 800), 0x808080u);
    EXPECT_FALSE(surface.scaleBar().burnIn());
    // The layer on screen is untouched by the burn-in.
    EXPECT_EQ(surface.layer().pixel(200, 200), kBlue);
    EXPECT_EQ(surface.session().shape().b, (MeasurePoint{300, 400}));
}

TEST_F(ScaleLayer, BurnInFollowsTheMagnificationModeWhenNoBarIsShown)
{
    scales::RulerScaleControl s = topLeftScale(11800, 8850);
    s.horizontalPosition = s.verticalPosition = 0;
    s.displayMagnification = true;
    s.magnificationMode = 0;
    surface.session().setScale(s);
    // On screen the figure is written; burnt in with mode 0 nothing is.
    EXPECT_GT(countColour(surface.layer(), 0x00FFFF, QRect(560, 0, 80, 30)), 10);
    const platform::Bitmap none = surface.burnIn(platform::Bitmap(1600, 1200, 0x808080));
    EXPECT_EQ(countColour(none, 0x00FFFF, QRect(1400, 0, 200, 60)), 0);
    s.magnificationMode = 3;
    surface.session().setScale(s);
    const platform::Bitmap both = surface.burnIn(platform::Bitmap(1600, 1200, 0x808080));
    EXPECT_GT(countColour(both, 0x00FFFF, QRect(1400, 0, 200, 22)), 10);    // S: line
    EXPECT_GT(countColour(both, 0x00FFFF, QRect(1400, 24, 200, 22)), 10);   // P: line
}

TEST_F(ScaleLayer, ScreenPitchFollowsTheMonitorAndTheScalesMode)
{
    scales::RulerScaleControl s = topLeftScale(11800, 8850);
    surface.session().setScale(s);
    surface.setScreen(47.6f, 1920);
    EXPECT_FLOAT_EQ(surface.scaleBar().screenPitch(), 476.0f / 1920.0f);
    s.monitorWidthMode = 1;
    s.manualMonitorWidthCm = 38.4f;
    surface.session().setScale(s);
    EXPECT_FLOAT_EQ(surface.scaleBar().screenPitch(), 384.0f / 1920.0f);
}

} // namespace
} // namespace measure
