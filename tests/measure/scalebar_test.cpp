#include "measure/scalebar.h"
#include "platform/canvas.h"
#include "recordingcanvas.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace measure {
namespace {

using scales::RulerScaleControl;
using scales::ScaleUnit;
using testing::RecordingCanvas;

constexpr platform::ColorRef kBlue = 0xFF0000;
constexpr platform::ColorRef kWhite = 0xFFFFFF;
const QSize kPicture(1280, 1024);
// RecordingCanvas metrics: 7 px per character, 13 px high.

// A millimetre scale of h x v mm with the bars asked for (position 0 none).
RulerScaleControl scaleOf(float hMm, float vMm, int hPos, int hOrigin, int vPos, int vOrigin)
{
    RulerScaleControl s;
    s.unit = ScaleUnit::Millimetre;
    scales::setLengthsFromMillimetreSpin(s, std::int32_t(hMm * 100.0f + 0.5f), std::int32_t(vMm * 100.0f + 0.5f));
    s.horizontalPosition = hPos;
    s.horizontalOrigin = hOrigin;
    s.verticalPosition = vPos;
    s.verticalOrigin = vOrigin;
    s.colour = kBlue;
    return s;
}

// x of every vertical graduation line of length `length` (all start on the top edge here).
std::vector<int> verticalTicks(const RecordingCanvas &c, int length)
{
    std::vector<int> xs;
    for (const auto &l : c.lines)
        if (l.from.x() == l.to.x() && std::abs(l.to.y() - l.from.y()) == length)
            xs.push_back(l.from.x());
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    return xs;
}

const RecordingCanvas::Text *findText(const RecordingCanvas &c, const QString &text)
{
    for (const auto &t : c.texts)
        if (t.text == text)
            return &t;
    return nullptr;
}

TEST(TickUnit, FollowsTheTableByUnitAndLength)
{
    struct Row { ScaleUnit unit; double length; double major; UnitCode label; double factor; int decimals; };
    const Row rows[] = {
        {ScaleUnit::Millimetre, 1.7, 1.0, UnitCode::Mm, 1.0, 2},      {ScaleUnit::Millimetre, 10.0, 10.0, UnitCode::Cm, 0.1, 3},
        {ScaleUnit::Millimetre, 118.0, 100.0, UnitCode::Cm, 0.1, 2},  {ScaleUnit::Millimetre, 1000.0, 1000.0, UnitCode::Cm, 0.1, 1},
        {ScaleUnit::Inch, 0.0005, 0.0001, UnitCode::Mil, 1000.0, 1},  {ScaleUnit::Inch, 0.5, 0.1, UnitCode::Mil, 1000.0, 1},
        {ScaleUnit::Inch, 4.6, 1.0, UnitCode::In, 1.0, 4},            {ScaleUnit::Inch, 250.0, 100.0, UnitCode::In, 1.0, 4},
        {ScaleUnit::Micrometre, 9.0, 1.0, UnitCode::Um, 1.0, 0},      {ScaleUnit::Micrometre, 1700.0, 1000.0, UnitCode::Mm, 0.001, 3},
        {ScaleUnit::Micrometre, 118000.0, 100000.0, UnitCode::Mm, 0.001, 1},
        {ScaleUnit::Mil, 50.0, 10.0, UnitCode::Mil, 1.0, 0},          {ScaleUnit::Mil, 4645.0, 1000.0, UnitCode::In, 0.001, 3},
        {ScaleUnit::Mil, 20000.0, 10000.0, UnitCode::In, 0.001, 2},
    };
    for (const Row &r : rows) {
        const TickUnit t = tickUnitFor(r.unit, r.length);
        EXPECT_DOUBLE_EQ(t.major, r.major) << r.length;
        EXPECT_EQ(t.labelUnit, r.label) << r.length;
        EXPECT_DOUBLE_EQ(t.labelFactor, r.factor) << r.length;
        EXPECT_EQ(t.decimals, r.decimals) << r.length;
    }
}

TEST(DrawScale, TopBarOf118MillimetresOn1280Pixels)
{
    RecordingCanvas c;
    ScaleBar bar;
    bar.DrawScale(c, kPicture, scaleOf(118.0f, 88.5f, 1, 0, 0, 0));
    EXPECT_EQ(verticalTicks(c, 40), (std::vector<int>{0, 1084}));
    EXPECT_EQ(verticalTicks(c, 20), (std::vector<int>{0, 542, 1084}));
    const std::vector<int> tenths = verticalTicks(c, 10);
    ASSERT_EQ(tenths.size(), 12u);
    EXPECT_EQ(tenths.front(), 0);
    EXPECT_EQ(tenths[1], 108);
    EXPECT_EQ(tenths.back(), 1193);
    // Base line across the whole width on the top edge.
    ASSERT_FALSE(c.lines.empty());
    EXPECT_EQ(c.lines.front().from, QPoint(0, 0));
    EXPECT_EQ(c.lines.front().to, QPoint(1280, 0));

    EXPECT_EQ(c.textStrings(), (QStringList{"1", "0", "H=11.80cm"}));
    EXPECT_EQ(c.texts[0].x, 1081);   // the step 1280 / 1.18 = 1084.75, less half of "0" (3), truncated
    EXPECT_EQ(c.texts[0].y, 42);     // T 40, font height -11, text height 13
    EXPECT_EQ(QPoint(c.texts[1].x, c.texts[1].y), QPoint(20, 20));
    EXPECT_EQ(QPoint(c.texts[2].x, c.texts[2].y), QPoint(1, 53));
    EXPECT_EQ(c.texts[2].colour, kBlue);
}

TEST(DrawScale, TopBarPixelsOnARealLayer)
{
    platform::Bitmap layer(1280, 1024, kWhite);
    {
        platform::BitmapCanvas canvas(layer);
        ScaleBar bar;
        bar.DrawScale(canvas, layer.size(), scaleOf(118.0f, 88.5f, 1, 0, 0, 0));
    }
    // Major graduations run 40 pixels down, halves 20, tenths 10.
    EXPECT_EQ(layer.pixel(1084, 39), kBlue);
    EXPECT_EQ(layer.pixel(1084, 40), kWhite);
    EXPECT_EQ(layer.pixel(542, 19), kBlue);
    EXPECT_EQ(layer.pixel(542, 20), kWhite);
    EXPECT_EQ(layer.pixel(1193, 9), kBlue);
    EXPECT_EQ(layer.pixel(1193, 10), kWhite);
    EXPECT_EQ(layer.pixel(1194, 5), kWhite);
    EXPECT_EQ(layer.pixel(700, 0), kBlue);   // base line
    EXPECT_EQ(layer.pixel(700, 1), kWhite);
    // The total label is written in the scale colour below the graduations, at the left edge.
    int labelPixels = 0;
    for (int y = 40; y < 80; ++y)
        for (int x = 1; x < 120; ++x)
            labelPixels += layer.pixel(x, y) == kBlue;
    EXPECT_GT(labelPixels, 30);
    // Nothing but white and the scale colour: no halo escapes the white key.
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 1280; ++x)
            ASSERT_TRUE(layer.pixel(x, y) == kWhite || layer.pixel(x, y) == kBlue) << x << "," << y;
}

TEST(DrawScale, SmallMillimetreScaleIsLabelledInMillimetres)
{
    RecordingCanvas c;
    ScaleBar bar;
    bar.DrawScale(c, kPicture, scaleOf(1.7f, 1.27f, 1, 0, 0, 0));
    EXPECT_EQ(c.textStrings(), (QStringList{"1", "0", "H=1.70mm"}));
    EXPECT_EQ(c.texts[0].x, 749);   // 1280 / 1.7 = 752.94, less 3
    EXPECT_EQ(verticalTicks(c, 40), (std::vector<int>{0, 752}));
}

TEST(DrawScale, TopAndLeftBarsShareOneZeroAndMoveTheirTotals)
{
    RecordingCanvas c;
    ScaleBar bar;
    bar.DrawScale(c, kPicture, scaleOf(118.0f, 150.0f, 1, 0, 1, 0));
    EXPECT_EQ(c.textStrings().count("0"), 1);
    EXPECT_EQ(QPoint(findText(c, "0")->x, findText(c, "0")->y), QPoint(20, 20));
    // The H label moves to the right edge: W - wR - 1 with the reserve text "vh0.00mm" 56 wide.
    const auto *h = findText(c, "H=11.80cm");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(QPoint(h->x, h->y), QPoint(1223, 53));
    // The V label moves to the bottom: H - h0.
    const auto *v = findText(c, "V=15.00cm");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(QPoint(v->x, v->y), QPoint(61, 1011));
    // The vertical "1" sits beside its graduation: step 1024 / 1.5 = 682.67, plus -11/2 - 1.
    const auto vOne = std::find_if(c.texts.begin(), c.texts.end(), [](const auto &t) { return t.text == "1" && t.x == 40; });
    ASSERT_NE(vOne, c.texts.end());
    EXPECT_EQ(vOne->y, 676);
}

TEST(DrawScale, CentreOriginIsNumberedOutwardsFromZero)
{
    // 50 mm: major unit 10 mm, five divisions of 256 pixels.
    RecordingCanvas plain;
    ScaleBar bar;
    bar.DrawScale(plain, kPicture, scaleOf(50.0f, 40.0f, 1, 1, 0, 0));
    EXPECT_EQ(plain.textStrings(), (QStringList{"0", "1", "2", "1", "2", "H=5.000cm"}));
    std::vector<int> xs;
    for (int i = 0; i < 5; ++i)
        xs.push_back(plain.texts[std::size_t(i)].x);
    EXPECT_EQ(xs, (std::vector<int>{637, 893, 1149, 381, 125}));
    EXPECT_EQ(verticalTicks(plain, 40), (std::vector<int>{128, 384, 640, 896, 1152}));

    // With a vertical bar through the middle the "0" steps left of it.
    RecordingCanvas crossed;
    bar.DrawScale(crossed, kPicture, scaleOf(50.0f, 40.0f, 1, 1, 2, 1));
    QStringList horizontal = crossed.textStrings().mid(0, 6);
    EXPECT_EQ(horizontal, (QStringList{"1", "2", "0", "1", "2", "H=5.000cm"}));
    EXPECT_EQ(QPoint(crossed.texts[2].x, crossed.texts[2].y), QPoint(619, 22));   // W/2 - w3
    // The vertical middle bar (no horizontal middle bar) counts from its own "0".
    const QStringList vertical = crossed.textStrings().mid(6);
    EXPECT_EQ(vertical.first(), "0");
    EXPECT_EQ(vertical.last(), "V=4.000cm");
}

TEST(DrawScale, RightOriginAndBottomRowCountFromTheFarCorner)
{
    RecordingCanvas c;
    ScaleBar bar;
    bar.DrawScale(c, kPicture, scaleOf(118.0f, 88.5f, 3, 2, 0, 0));
    // Graduations rise from the bottom edge, positions from the right edge.
    std::vector<int> majors;
    for (const auto &l : c.lines)
        if (l.from.x() == l.to.x() && l.from.y() == 1024 && l.to.y() == 1024 - 40)
            majors.push_back(l.from.x());
    std::sort(majors.begin(), majors.end());
    EXPECT_EQ(majors, (std::vector<int>{194, 1279}));   // 1279 - 1084.75, truncated
    const auto *zero = findText(c, "0");
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(QPoint(zero->x, zero->y), QPoint(1259, 991));
    const auto *total = findText(c, "H=11.80cm");
    ASSERT_NE(total, nullptr);
    EXPECT_EQ(total->y, 960);
}

TEST(DrawScale, NothingForZeroLengthOrAHiddenBar)
{
    ScaleBar bar;
    RecordingCanvas zero;
    bar.DrawScale(zero, kPicture, scaleOf(0.0f, 88.5f, 1, 0, 1, 0));
    EXPECT_TRUE(zero.lines.empty() && zero.texts.empty());
    RecordingCanvas hidden;
    bar.setHidden(true);
    bar.DrawScale(hidden, kPicture, scaleOf(118.0f, 88.5f, 1, 0, 1, 0));
    EXPECT_TRUE(hidden.lines.empty() && hidden.texts.empty());
}

TEST(DrawScale, AnAbsurdScaleDrawsAtMostOneGraduationPerPixel)
{
    RulerScaleControl s = scaleOf(118.0f, 88.5f, 1, 0, 0, 0);
    s.unit = ScaleUnit::Inch;
    s.hLength = 1e12f;   // 1e10 major units of 100 inches
    s.vLength = 1e12f;
    RecordingCanvas c;
    ScaleBar bar;
    bar.DrawScale(c, QSize(100, 80), s);
    EXPECT_LE(c.lines.size(), 3u * 101u + 1u);
}

// The magnification example: a 118 mm scale in a 640-pixel window, a 47.6 cm monitor of 1920 pixels.
RulerScaleControl magnificationScale(int mode)
{
    RulerScaleControl s = scaleOf(118.0f, 88.5f, 0, 0, 0, 0);
    s.displayMagnification = true;
    s.magnificationMode = mode;
    return s;
}

TEST(Magnification, ScreenPitchAndScreenFigureOfTheExample)
{
    const RulerScaleControl s = magnificationScale(0);
    const float pitch = CaclculateScreenSize(s, 47.6f, 1920);
    EXPECT_FLOAT_EQ(pitch, 0.24791667f);   // 476 mm over 1920 pixels
    ScaleBar bar;
    bar.setScreenPitch(pitch);
    bar.setWindowWidth(640);
    RecordingCanvas c;
    bar.DrawScale(c, QSize(640, 480), s);
    ASSERT_EQ(c.textStrings(), QStringList{"1.3X"});
    EXPECT_EQ(QPoint(c.texts[0].x, c.texts[0].y), QPoint(612, 0));   // flush right from the top: 4 characters of 7
    EXPECT_EQ(c.texts[0].colour, kMagnificationColour);
    EXPECT_EQ(c.texts[0].fontPx, kMagnificationFontPx);
    EXPECT_EQ(bar.magnificationCaption(), "1.3X");

    // Manual mode takes the manual width; an unknown monitor gives 0.0X.
    RulerScaleControl manual = s;
    manual.monitorWidthMode = 1;
    manual.manualMonitorWidthCm = 0.0f;
    bar.setScreenPitch(CaclculateScreenSize(manual, 47.6f, 1920));
    RecordingCanvas unknown;
    bar.DrawScale(unknown, QSize(640, 480), manual);
    EXPECT_EQ(unknown.textStrings(), QStringList{"0.0X"});
}

TEST(Magnification, BurnInWritesTheLinesOfItsMode)
{
    ScaleBar bar;
    bar.setScreenPitch(476.0f / 1920.0f);
    bar.setWindowWidth(640);
    bar.setBurnIn(true);
    RecordingCanvas both;
    bar.DrawScale(both, QSize(640, 480), magnificationScale(3));
    ASSERT_EQ(both.textStrings(), (QStringList{"S:1.3X", "P:1.4X"}));
    EXPECT_EQ(both.texts[0].y, 0);
    EXPECT_EQ(both.texts[1].y, 13);
    EXPECT_EQ(both.texts[1].x, 598);
    RecordingCanvas none;
    bar.DrawScale(none, QSize(640, 480), magnificationScale(0));
    EXPECT_TRUE(none.texts.empty());

    // On a real layer: yellow text on a black box at the top-right corner.
    platform::Bitmap layer(640, 480, kWhite);
    {
        platform::BitmapCanvas canvas(layer);
        bar.DrawScale(canvas, layer.size(), magnificationScale(1));
    }
    int yellow = 0, black = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 560; x < 640; ++x) {
            yellow += layer.pixel(x, y) == kMagnificationColour;
            black += layer.pixel(x, y) == 0;
        }
    EXPECT_GT(yellow, 20);
    EXPECT_GT(black, 200);
    EXPECT_EQ(layer.pixel(5, 5), kWhite);
}

TEST(Magnification, PrintingFigureDoesNotDependOnTheUnit)
{
    RulerScaleControl mm = magnificationScale(2);
    RulerScaleControl um = mm;
    um.unit = ScaleUnit::Micrometre;
    um.hLength = um.lengths[std::size_t(ScaleUnit::Micrometre)].horizontal;
    RulerScaleControl inch = mm;
    inch.unit = ScaleUnit::Inch;
    inch.hLength = inch.lengths[std::size_t(ScaleUnit::Inch)].horizontal;
    const double p = magnificationFor(mm, 0.25f, 1280).printing;
    EXPECT_NEAR(p, 2.8700564, 1e-6);   // 0.26458332 mm a pixel, 1280 pixels over 118 mm
    EXPECT_NEAR(magnificationFor(um, 0.25f, 1280).printing, p, 1e-5);
    // The inch scale is kept with the store's factor 0.03937, so it agrees to that factor's accuracy.
    EXPECT_NEAR(magnificationFor(inch, 0.25f, 1280).printing, p, 1e-3);
    EXPECT_NEAR(magnificationFor(um, 0.25f, 1280).screen, magnificationFor(mm, 0.25f, 1280).screen, 1e-5);
}

TEST(Magnification, DisplayFlagOffDrawsNothingAndEmptiesTheCaption)
{
    ScaleBar bar;
    bar.setWindowWidth(640);
    RecordingCanvas first;
    bar.DrawScale(first, QSize(640, 480), magnificationScale(0));
    EXPECT_FALSE(bar.magnificationCaption().isEmpty());
    RulerScaleControl off = magnificationScale(0);
    off.displayMagnification = false;
    RecordingCanvas c;
    bar.DrawScale(c, QSize(640, 480), off);
    EXPECT_TRUE(c.texts.empty());
    EXPECT_TRUE(bar.magnificationCaption().isEmpty());
}

} // namespace
} // namespace measure
