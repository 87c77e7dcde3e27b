#include "measure/labels.h"
#include "measure/shapes.h"

#include <gtest/gtest.h>

namespace measure {
namespace {

TEST(UnitCodes, TextsAndScaleIndexMapping)
{
    struct Row { int index; UnitCode code; const char *text; };
    for (const Row &r : {Row{0, UnitCode::Mm, "mm"}, Row{1, UnitCode::In, "in"}, Row{2, UnitCode::Um, "um"},
                         Row{3, UnitCode::Mil, "mil"}, Row{4, UnitCode::Cm, "cm"}, Row{5, UnitCode::Deg, "Deg"}}) {
        EXPECT_EQ(unitCodeFor(r.index, true), r.code);
        EXPECT_EQ(GetUnitStr(r.code), QString::fromUtf8(r.text));
        EXPECT_EQ(unitCodeFor(r.index, false), UnitCode::None);
    }
    EXPECT_EQ(GetUnitStr(UnitCode::NoValue), QString());
    EXPECT_EQ(GetUnitStr(UnitCode(33)), QString());
}

TEST(LabelRounding, TiesToEvenThenHalfUpInDouble)
{
    struct Row { double value; int precision; double expected; };
    for (const Row &r : {Row{12.3456, 2, 12.35}, Row{12.3456, 1, 12.3}, Row{0.125, 2, 0.12}, Row{0.375, 2, 0.38},
                         Row{2.5, 1, 2.5}, Row{-0.00002, 1, 0.0}, Row{31.4159, 3, 31.416}})
        EXPECT_DOUBLE_EQ(roundForLabel(r.value, r.precision), r.expected) << r.value << " @" << r.precision;
    // Far beyond the 32-bit integer range at nine decimals: no overflow, the value survives.
    EXPECT_NEAR(roundForLabel(123456789.0, 9), 123456789.0, 1e-6);
}

TEST(LabelRounding, ValuesJustBelowAStepInBinaryKeepTheirLastDigit)
{
    // 0.29 and 0.58 are stored a hair below themselves; the half added before flooring keeps them.
    EXPECT_DOUBLE_EQ(roundForLabel(0.29, 2), 0.29);
    EXPECT_DOUBLE_EQ(roundForLabel(0.58, 2), 0.58);
    EXPECT_EQ(composeLabel(0.29, 2, UnitCode::Mm, QStringLiteral("L")).text, QStringLiteral("L=0.29mm"));
}

TEST(ComposeLabel, WorkedExamples)
{
    struct Row { double value; int precision; UnitCode unit; const char *label; const char *text; bool two; };
    const Row rows[] = {
        {12.3456f, 2, UnitCode::Mm, "[01]L", "[01]L=12.35mm", false},
        {12.3456f, 1, UnitCode::Mm, "[01]L", "[01]L=12.3mm", false},
        {31.4159f, 3, UnitCode::None, "[04]C", "[04]C=31.416", false},
        {3.0, 3, UnitCode::NoValue, "[05]", "[05]", false},
        {7.5, 2, UnitCode::Mm, "[02]A", "[02]A=7.50mm", true},
        {7.5, 2, UnitCode::None, "[02]A", "[02]A=7.50", true},
        {2.0, 3, UnitCode::Um, "", "2.000um", false},
        {1.25, 3, UnitCode::Mil, "[03]lR", "[03]lR=1.250mil", false},
    };
    for (const Row &r : rows) {
        const LabelLine line = composeLabel(r.value, r.precision, r.unit, QString::fromUtf8(r.label));
        EXPECT_EQ(line.text, QString::fromUtf8(r.text));
        EXPECT_EQ(line.raisedTwo, r.two) << r.text;
        EXPECT_FALSE(line.symbolSized);
    }
}

TEST(ComposeLabel, AnglesUseThetaAndDegreeSign)
{
    const LabelLine withUnit = composeLabel(90.0f, 1, UnitCode::Deg, labelText(3, kTheta));
    EXPECT_EQ(withUnit.text, QStringLiteral("[03]\u03B8=90.0\u00B0"));
    EXPECT_TRUE(withUnit.symbolSized);
    const LabelLine withoutUnit = composeLabel(45.25f, 1, UnitCode::None, labelText(3, kTheta));
    EXPECT_EQ(withoutUnit.text, QStringLiteral("[03]\u03B8=45.2"));
}

TEST(LabelText, RunningNumberHasTwoDigitsAtLeast)
{
    EXPECT_EQ(labelText(1, "L"), "[01]L");
    EXPECT_EQ(labelText(0, ""), "[00]");
    EXPECT_EQ(labelText(123, "cL"), "[123]cL");
}

TEST(PenCombo, ItemGivesStyleAndWidth)
{
    struct Row { int item, style, width; };
    for (const Row &r : {Row{0, 1, 1}, Row{1, 2, 1}, Row{4, 5, 1}, Row{5, 6, 2}, Row{6, 7, 3}}) {
        EXPECT_EQ(penForComboItem(r.item).style, r.style);
        EXPECT_EQ(penForComboItem(r.item).width, r.width);
    }
}

TEST(Colour, WhiteIsStoredAsNearWhite)
{
    EXPECT_EQ(storableColour(0xFFFFFF), 0xFFFFFEu);
    EXPECT_EQ(storableColour(0x0000FF), 0x0000FFu);
    EXPECT_EQ(dialogColour(0xFFFFFE), 0xFFFFFFu);
    EXPECT_EQ(dialogColour(0xFF0000), 0xFF0000u);
}

} // namespace
} // namespace measure
