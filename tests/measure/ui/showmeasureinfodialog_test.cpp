#include "measure/ui/showmeasureinfodialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace measure::ui {
namespace {

QString keyAsText(const QString &key)
{
    return QStringLiteral("<") + key + QStringLiteral(">");
}

QStringList itemTexts(QButtonGroup *group)
{
    QStringList out;
    for (QAbstractButton *b : group->buttons())
        out << b->text();
    return out;
}

TEST(ShowMeasureInfo, GroupsOfferTheirItemsFromTheInterfaceTexts)
{
    TShowMeasureInfoDlg dialog(keyAsText);
    EXPECT_EQ(dialog.windowTitle(), "<SMI_ShowMeasureInfo_Dlg>");
    EXPECT_EQ(itemTexts(dialog.group(TShowMeasureInfoDlg::Arch)),
              (QStringList{"<SMI_NoneItem_Dlg>", "<SMI_PerimeterItem_Dlg>", "<SMI_AreaItem_Dlg>"}));
    EXPECT_EQ(dialog.group(TShowMeasureInfoDlg::Line)->buttons().size(), 2);
    EXPECT_EQ(dialog.group(TShowMeasureInfoDlg::Polygon)->buttons().size(), 3);
    EXPECT_EQ(dialog.group(TShowMeasureInfoDlg::Circle)->buttons().size(), 5);
    EXPECT_EQ(dialog.group(TShowMeasureInfoDlg::Ellipse)->buttons().size(), 5);
    EXPECT_EQ(itemTexts(dialog.group(TShowMeasureInfoDlg::Arc)).last(), "<SMI_AngleItem_Dlg>");
    EXPECT_EQ(dialog.okButton()->text(), "<OKBtn_Dlg>");
    EXPECT_EQ(dialog.displayUnitBox()->text(), "<SMI_DisplayUnit_Dlg>");
}

TEST(ShowMeasureInfo, PrecisionSpinShowsItsStepAndStaysWithinOneToNine)
{
    EXPECT_EQ(TShowMeasureInfoDlg::stepText(3), "0.001");
    EXPECT_EQ(TShowMeasureInfoDlg::stepText(9), "0.000000001");
    EXPECT_EQ(TShowMeasureInfoDlg::stepText(1), "0.1");
    TShowMeasureInfoDlg dialog(keyAsText);
    dialog.FormShow(LabelSettings{});
    EXPECT_EQ(dialog.precisionStepLabel()->text(), "0.001");
    dialog.precisionSpin()->setValue(9);
    EXPECT_EQ(dialog.precisionStepLabel()->text(), "0.000000001");
    EXPECT_EQ(dialog.pending().precision, 9);
    dialog.precisionSpin()->setValue(12);
    EXPECT_EQ(dialog.pending().precision, 9);
    dialog.precisionSpin()->setValue(0);
    EXPECT_EQ(dialog.pending().precision, 1);
}

// Typing a digit into the precision field is a choice as good as the arrows; digits outside 1 to
// 9 are refused as they are typed.
TEST(ShowMeasureInfo, PrecisionTakesTypedDigits)
{
    TShowMeasureInfoDlg dialog(keyAsText);
    dialog.FormShow(LabelSettings{});
    dialog.show();
    QSpinBox *spin = dialog.precisionSpin();
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, "6");
    EXPECT_EQ(spin->value(), 6);
    EXPECT_EQ(dialog.pending().precision, 6);
    EXPECT_EQ(dialog.precisionStepLabel()->text(), "0.000001");
    spin->selectAll();
    QTest::keyClicks(spin, "0");
    EXPECT_EQ(dialog.pending().precision, 6);
    spin->selectAll();
    QTest::keyClicks(spin, "12");
    EXPECT_LE(dialog.pending().precision, 9);
    spin->selectAll();
    QTest::keyClicks(spin, "2");
    dialog.okButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.pending().precision, 2);
}

TEST(ShowMeasureInfo, OkHandsBackThePendingChoices)
{
    TShowMeasureInfoDlg dialog(keyAsText);
    LabelSettings live;
    live.counter = 7;
    dialog.FormShow(live);
    dialog.group(TShowMeasureInfoDlg::Circle)->button(2)->click();
    dialog.group(TShowMeasureInfoDlg::Arch)->button(0)->click();
    dialog.displayUnitBox()->click();
    dialog.precisionSpin()->setValue(5);
    dialog.okButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const LabelSettings &p = dialog.pending();
    EXPECT_EQ(p.circleItem, 2);
    EXPECT_EQ(p.archItem, 0);
    EXPECT_FALSE(p.displayUnit);
    EXPECT_EQ(p.precision, 5);
    EXPECT_EQ(p.lineItem, 1);
    EXPECT_EQ(p.counter, 7);
}

TEST(ShowMeasureInfo, CancelShowsTheLiveSettingsAgain)
{
    TShowMeasureInfoDlg dialog(keyAsText);
    LabelSettings live;
    live.ellipseItem = 3;
    dialog.FormShow(live);
    dialog.group(TShowMeasureInfoDlg::Ellipse)->button(4)->click();
    dialog.precisionSpin()->setValue(8);
    dialog.cancelButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.group(TShowMeasureInfoDlg::Ellipse)->checkedId(), 3);
    EXPECT_EQ(dialog.precisionSpin()->value(), 3);
    EXPECT_EQ(dialog.pending().ellipseItem, 3);
    // The next opening shows the old choices.
    dialog.FormShow(live);
    EXPECT_EQ(dialog.group(TShowMeasureInfoDlg::Ellipse)->checkedId(), 3);
}

TEST(ShowMeasureInfo, WhiteLabelColourIsStoredAsNearWhiteAndShownAsWhite)
{
    TShowMeasureInfoDlg dialog(keyAsText);
    QColor offered;
    dialog.pickColour = [&offered](const QColor &initial) {
        offered = initial;
        return QColor(Qt::white);
    };
    dialog.FormShow(LabelSettings{});
    dialog.colourButton()->click();
    EXPECT_EQ(offered, QColor(0, 0, 255));   // the initial label colour 0xFF0000 is blue
    EXPECT_EQ(dialog.pending().labelColour, 0xFFFFFEu);
    EXPECT_TRUE(dialog.colourEdit()->styleSheet().contains("#ffffff"));
    dialog.colourButton()->click();
    EXPECT_EQ(offered, QColor(Qt::white));
    // A cancelled colour dialog changes nothing.
    dialog.pickColour = [](const QColor &) { return QColor(); };
    dialog.colourButton()->click();
    EXPECT_EQ(dialog.pending().labelColour, 0xFFFFFEu);
}

TEST(ShowMeasureInfo, AnArchItemTheGroupDoesNotOfferShowsNoSelection)
{
    TShowMeasureInfoDlg dialog(keyAsText);
    LabelSettings live;
    live.archItem = 5;
    dialog.FormShow(live);
    EXPECT_EQ(dialog.group(TShowMeasureInfoDlg::Arch)->checkedId(), -1);
    EXPECT_EQ(dialog.pending().archItem, 5);
}

} // namespace
} // namespace measure::ui
