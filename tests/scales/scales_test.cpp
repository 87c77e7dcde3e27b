// Units, conversions, bounds, the dialog's rules and the calibration arithmetic.
#include "scales/calibration.h"
#include "scales/rulerscale.h"
#include "scales/scalesettings.h"

#include <gtest/gtest.h>

#include <limits>

using namespace scales;

namespace {
constexpr std::size_t kMm = 0, kInch = 1, kUm = 2, kMil = 3;
}

TEST(ScaleUnits, SpinValuesAreHeldToTheUnitsBounds)
{
    struct Row {
        ScaleUnit unit;
        double typed;
        std::int32_t held;
    };
    for (const Row &r : {Row{ScaleUnit::Millimetre, 16501, 16500}, Row{ScaleUnit::Millimetre, -3, 0},
                         Row{ScaleUnit::Inch, 70000, 64960}, Row{ScaleUnit::Micrometre, 16500000, 16500000},
                         Row{ScaleUnit::Micrometre, 1e12, 16500000}, Row{ScaleUnit::Mil, 649606, 649605},
                         Row{ScaleUnit::Mil, std::numeric_limits<double>::quiet_NaN(), 0}})
        EXPECT_EQ(clampSpin(r.unit, r.typed), r.held) << int(r.unit) << " " << r.typed;
}

TEST(ScaleUnits, LabelsShowTheLengthInTheUnitsFormat)
{
    EXPECT_EQ(lengthText(ScaleUnit::Millimetre, 11800), "118.00 mm");
    EXPECT_EQ(lengthText(ScaleUnit::Inch, 46456), "4.6456 in.");
    EXPECT_EQ(lengthText(ScaleUnit::Micrometre, 1000), "1000 um");
    EXPECT_EQ(lengthText(ScaleUnit::Mil, 39), "39 mil");
}

TEST(ScaleUnits, EveryUnitFollowsAnEditedOneWithTheStoresFactors)
{
    RulerScaleControl s;
    // 118 mm: inch is mm x 0.03937 (4.64566), not / 25.4 (4.64567), truncated to ten-thousandths.
    setLengthsFromSpin(s, ScaleUnit::Millimetre, 11800, 8850);
    EXPECT_EQ(s.spinValues[kInch].horizontal, 46456);
    EXPECT_EQ(s.spinValues[kUm].horizontal, 118000);
    EXPECT_EQ(s.spinValues[kMil].horizontal, 4645);
    EXPECT_EQ(s.spinValues[kMm].vertical, 8850);
    EXPECT_FLOAT_EQ(s.hLength, 118.0f);

    // One inch: 25.4 mm, 25400 um, 1000 mil.
    s.unit = ScaleUnit::Inch;
    setLengthsFromSpin(s, ScaleUnit::Inch, 10000, 7500);
    EXPECT_EQ(s.spinValues[kMm].horizontal, 2540);
    EXPECT_EQ(s.spinValues[kUm].horizontal, 25400);
    EXPECT_EQ(s.spinValues[kMil].horizontal, 1000);
    EXPECT_FLOAT_EQ(s.hLength, 1.0f);
    EXPECT_FLOAT_EQ(s.vLength, 0.75f);

    // 1000 um: 1 mm, 0.03937 in, 39 mil.
    setLengthsFromSpin(s, ScaleUnit::Micrometre, 1000, 750);
    EXPECT_EQ(s.spinValues[kMm].horizontal, 100);
    EXPECT_EQ(s.spinValues[kInch].horizontal, 393);
    EXPECT_EQ(s.spinValues[kMil].horizontal, 39);

    // 1000 mil: 25.4 mm, one inch.
    setLengthsFromSpin(s, ScaleUnit::Mil, 1000, 0);
    EXPECT_EQ(s.spinValues[kMm].horizontal, 2540);
    EXPECT_EQ(s.spinValues[kInch].horizontal, 10000);
    EXPECT_EQ(s.spinValues[kMil].vertical, 0);
}

TEST(BuiltInScales, NamesAndValuesComeFromTheInterfaceTexts)
{
    const BuiltInTexts t{"Low", "High", "Non-contact"};
    EXPECT_EQ(builtInScaleName(0, t), "@Low[12.0cm,Non-contact]");
    EXPECT_EQ(builtInScaleName(1, t), "@High[0.50cm,Non-contact]");
    const RulerScaleControl low = builtInScale(0, t), high = builtInScale(1, t);
    EXPECT_EQ(low.spinValues[kMm].horizontal, 11800);
    EXPECT_EQ(low.spinValues[kMm].vertical, 8850);
    EXPECT_EQ(high.spinValues[kMm].horizontal, 170);
    EXPECT_EQ(high.spinValues[kMm].vertical, 127);
    EXPECT_EQ(high.number, 2);
    EXPECT_EQ(low.colour, 0x0000FFu);   // red in 0x00BBGGRR
    EXPECT_EQ(low.magnificationMode, 3);
    EXPECT_TRUE(low.displayMagnification);
}

TEST(ScaleDialogRules, FixedRatioAndMonitorWidth)
{
    EXPECT_EQ(fixedRatioVertical(1000), 750);
    EXPECT_EQ(fixedRatioHorizontal(300), 400);
    EXPECT_EQ(fixedRatioVertical(11800), 8850);

    EXPECT_EQ(monitorSpinFor(50.8f, 1), 2000);
    EXPECT_EQ(monitorSpinFor(47.6f, 0), 4760);
    EXPECT_FLOAT_EQ(monitorWidthFromSpin(2000, 1), 50.8f);
    EXPECT_EQ(monitorWidthText(47.6f, 0), "47.60 cm");
    EXPECT_EQ(monitorWidthText(50.8f, 1), "20.00 in.");

    EXPECT_EQ(storableScaleColour(0xFFFFFF), 0xFFFFFEu);
    EXPECT_EQ(shownScaleColour(0xFFFFFE), 0xFFFFFFu);

    // No detected width: the mode becomes manual; a manual width of 0 takes the detected one.
    RulerScaleControl s = builtInScale(0, {});
    applyDetectedMonitorWidth(s, 0);
    EXPECT_EQ(s.monitorWidthMode, 1);
    s = builtInScale(0, {});
    applyDetectedMonitorWidth(s, 47.6f);
    EXPECT_EQ(s.monitorWidthMode, 0);
    EXPECT_FLOAT_EQ(s.pendingManualMonitorWidthCm, 47.6f);
}

TEST(ScaleDialogRules, SaveIsNeededExactlyWhenAStoredValueDiffers)
{
    RulerScaleControl s = builtInScale(0, {"Low", "High", "Non-contact"});
    ScaleControls c = controlsFor(s);
    EXPECT_FALSE(saveNeeded(c, s));
    // The same length shown in another unit is still a change of unit.
    c.unit = ScaleUnit::Inch;
    c.hSpin = s.spinValues[kInch].horizontal;
    c.vSpin = s.spinValues[kInch].vertical;
    EXPECT_TRUE(saveNeeded(c, s));
    for (auto edit : {+[](ScaleControls &x) { x.hSpin += 1; }, +[](ScaleControls &x) { x.vSpin += 1; },
                      +[](ScaleControls &x) { x.verticalOrigin = 0; },
                      +[](ScaleControls &x) { x.colour = 0x00FF00; }, +[](ScaleControls &x) { x.monitorWidthUnit = 1; },
                      +[](ScaleControls &x) { x.manualMonitorWidthCm = 30; }, +[](ScaleControls &x) { x.magnificationMode = 1; },
                      +[](ScaleControls &x) { x.displayMagnification = false; }}) {
        ScaleControls changed = controlsFor(s);
        edit(changed);
        EXPECT_TRUE(saveNeeded(changed, s));
        RulerScaleControl stored = s;
        storeControls(changed, 1, stored);
        EXPECT_FALSE(saveNeeded(changed, stored));
    }
}

TEST(Calibration, OneMillimetreOverTwoHundredPixelsGivesTheWholeWindow)
{
    Calibration cal;
    cal.setRealLengthSpin(ScaleUnit::Millimetre, 100);
    EXPECT_EQ(cal.realLengthText(), "1.00 mm");
    RulerScaleControl s = builtInScale(0, {});
    EXPECT_EQ(cal.compute(200, s), 200);
    EXPECT_EQ(s.spinValues[kMm].horizontal, 320);
    EXPECT_EQ(s.spinValues[kMm].vertical, 240);
    EXPECT_EQ(lengthText(ScaleUnit::Millimetre, s.spinValues[kMm].horizontal), "3.20 mm");
    EXPECT_EQ(lengthText(ScaleUnit::Millimetre, s.spinValues[kMm].vertical), "2.40 mm");
    EXPECT_FLOAT_EQ(s.hLength, 3.2f);
    EXPECT_FLOAT_EQ(s.vLength, 2.4f);
    EXPECT_EQ(Calibration::distanceText(200), "200.00");

    // The stage micrometer of the virtual camera: 100 divisions over 500 px of a 640-px picture.
    EXPECT_EQ(cal.compute(500, s), 500);
    EXPECT_EQ(s.spinValues[kMm].horizontal, 128);
    EXPECT_EQ(s.spinValues[kMm].vertical, 96);

    // In um: 1000 um over 200 px.
    cal.setRealLengthSpin(ScaleUnit::Micrometre, 1000);
    cal.compute(200, s);
    EXPECT_EQ(s.unit, ScaleUnit::Micrometre);
    EXPECT_EQ(s.spinValues[kUm].horizontal, 3200);
    EXPECT_EQ(s.spinValues[kMm].horizontal, 320);
}

TEST(Calibration, AShortLineIsHeldWhereTheScaleFirstReachedTheBound)
{
    Calibration cal;
    cal.setRealLengthSpin(ScaleUnit::Millimetre, 100);
    RulerScaleControl s;
    cal.compute(20, s);   // 32.00 mm: below the bound
    EXPECT_EQ(cal.minimumPixelLength(), 0);
    cal.compute(3.6, s);   // 177.77 mm: held to 165.00 mm
    EXPECT_EQ(s.spinValues[kMm].horizontal, 16500);
    EXPECT_EQ(cal.minimumPixelLength(), 3);
    EXPECT_EQ(cal.compute(2, s), 3);   // shorter lines are held at 3 px
    EXPECT_EQ(s.spinValues[kMm].horizontal, 16500);
    // A new real length clears the hold.
    cal.setRealLengthSpin(ScaleUnit::Millimetre, 1);
    EXPECT_EQ(cal.minimumPixelLength(), 0);
    EXPECT_EQ(cal.compute(2, s), 2);
    EXPECT_EQ(s.spinValues[kMm].horizontal, 320);

    // A fixed axis can leave a line of no length: nothing is recomputed, no division by zero.
    const RulerScaleControl before = s;
    EXPECT_LT(cal.compute(0, s), 0);
    EXPECT_LT(cal.compute(0.5, s), 0);
    EXPECT_EQ(s.spinValues[kMm].horizontal, before.spinValues[kMm].horizontal);

    // Lengths beyond int32 are clamped before they become integers.
    cal.setRealLengthSpin(ScaleUnit::Micrometre, 16500000);
    cal.compute(1, s);
    EXPECT_EQ(s.spinValues[kUm].horizontal, 16500000);
    EXPECT_EQ(s.spinValues[kUm].vertical, 16500000);
}
