// The scale settings dialog through its widgets, on a real store file.
#include "scales/ui/radiogroup.h"
#include "scales/ui/setrulerdlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>

using namespace scales;
using scales::ui::TSetRulerDlg;

namespace {

struct DialogRig {
    QTemporaryDir dir;
    QMap<QString, QString> texts{{"DrawRulerTB_Low", "Low"}, {"DrawRulerTB_High", "High"},
                                 {"DrawRulerTB_NonContact", "Non-contact"}, {"PosNone_rsDlg", "None"}};
    QStringList warnings;
    QStringList log;
    std::deque<std::optional<QString>> names;   // answers of the name dialog
    float detectedCm = 0;

    QString store() const { return dir.filePath("DATA/ScaleData_Temp.txt"); }
    QString marker() const { return dir.filePath("Sys/DefScaleData.ini"); }
    DialogRig()
    {
        QDir().mkpath(dir.filePath("DATA"));
        QDir().mkpath(dir.filePath("Sys"));
        QFile m(marker());
        m.open(QIODevice::WriteOnly);
    }
    std::vector<StoreWriteFailure> failures;

    // A library opened on the rig's store and the dialog editing it.
    struct Opened {
        std::unique_ptr<ScaleLibrary> library;
        std::unique_ptr<TSetRulerDlg> dialog;
        TSetRulerDlg *operator->() const { return dialog.get(); }
        TSetRulerDlg *get() const { return dialog.get(); }
    };
    Opened make()
    {
        ScaleLibrary::Deps store;
        store.storeFile = this->store();
        store.markerFile = marker();
        store.log = [this](const QString &l) { log << l; };
        store.builtInTexts = [this] {
            return BuiltInTexts{texts.value("DrawRulerTB_Low"), texts.value("DrawRulerTB_High"),
                                texts.value("DrawRulerTB_NonContact")};
        };
        store.detectedMonitorWidthCm = [this] { return detectedCm; };
        store.writeFailed = [this](const StoreWriteFailure &f) { failures.push_back(f); };
        Opened o;
        o.library = std::make_unique<ScaleLibrary>(std::move(store));
        o.library->open();
        TSetRulerDlg::Deps deps;
        deps.text = [this](const QString &k) { return texts.value(k); };
        deps.warn = [this](const QString &t, const QString &) { warnings << t; };
        o.dialog = std::make_unique<TSetRulerDlg>(*o.library, std::move(deps));
        o.dialog->askName = [this](const QString &) -> std::optional<QString> {
            if (names.empty())
                return std::nullopt;
            auto n = names.front();
            names.pop_front();
            return n;
        };
        return o;
    }
    QByteArray bytes() const
    {
        QFile f(store());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

} // namespace

TEST(SetRulerDlg, StartsOnTheFirstBuiltInScaleAndConvertsUnits)
{
    DialogRig rig;
    auto d = rig.make();
    EXPECT_EQ(d->ScaleFile_CB()->count(), 2);
    EXPECT_EQ(d->ScaleFile_CB()->itemText(0), "@Low[12.0cm,Non-contact]");
    EXPECT_EQ(d->hCSpinEdit()->value(), 11800);
    EXPECT_EQ(d->vCSpinEdit()->value(), 8850);
    EXPECT_EQ(d->hLabel_mm()->text(), "118.00 mm");
    EXPECT_FALSE(d->button("DeleteBtn")->isEnabled());
    EXPECT_FALSE(d->button("RenameBtn")->isEnabled());
    EXPECT_FALSE(d->saveEnabled());

    d->ScaleUnit_CB()->setCurrentIndex(1);
    EXPECT_EQ(d->hCSpinEdit()->value(), 46456);
    EXPECT_EQ(d->hLabel_mm()->text(), "4.6456 in.");
    EXPECT_TRUE(d->button("SaveBtn")->isEnabled());
    // Above the bound is held at the bound.
    d->hCSpinEdit()->setValue(99999);
    EXPECT_EQ(d->hCSpinEdit()->value(), 64960);

    // Fixed Ratio: one length sets the other at 4:3.
    d->ScaleUnit_CB()->setCurrentIndex(0);
    d->radioGroup("RulerRatio_RG")->findChild<QRadioButton *>("RulerRatio_RG1")->click();
    EXPECT_TRUE(d->findChild<QLabel *>("link")->isVisibleTo(d.get()));
    d->hCSpinEdit()->setValue(1000);
    EXPECT_EQ(d->vCSpinEdit()->value(), 750);
    d->vCSpinEdit()->setValue(300);
    EXPECT_EQ(d->hCSpinEdit()->value(), 400);

    // Save stores it; the current scale follows and the file has it.
    d->SaveBtnClick();
    EXPECT_FALSE(d->button("SaveBtn")->isEnabled());
    EXPECT_EQ(d.library->current().spinValues[0].horizontal, 400);
    EXPECT_FLOAT_EQ(d.library->current().hLength, 4.0f);
    auto again = rig.make();
    EXPECT_EQ(again->hCSpinEdit()->value(), 400);
}

TEST(SetRulerDlg, NewRenameAndDeleteKeepTheFileInStep)
{
    DialogRig rig;
    auto d = rig.make();
    // An empty name is refused with a message and asked again.
    rig.names = {QString(""), QString("10x objective")};
    d->NewBtnClick();
    EXPECT_EQ(rig.warnings, QStringList{"PleaseInputFolderName_MsgBox"});
    ASSERT_EQ(d->ScaleFile_CB()->count(), 3);
    EXPECT_EQ(d.library->selected(), 2);
    EXPECT_EQ(d->hCSpinEdit()->value(), 0);
    EXPECT_TRUE(d->button("DeleteBtn")->isEnabled());

    rig.names = {QString("20x objective")};
    d->RenameBtnClick();
    EXPECT_EQ(d->ScaleFile_CB()->itemText(2), "20x objective");
    rig.names = {QString("a"), QString("b")};
    d->NewBtnClick();
    d->NewBtnClick();
    ASSERT_EQ(d.library->count(), 5);

    // Deleting the fourth of five: the fifth becomes number 4, the third is selected.
    d->ScaleFile_CB()->setCurrentIndex(3);
    d->DeleteBtnClick();
    EXPECT_EQ(d.library->selected(), 2);
    EXPECT_EQ(d->ScaleFile_CB()->currentText(), "20x objective");
    ScaleStore reread(rig.store(), rig.marker());
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.names(), (QStringList{"@Low[12.0cm,Non-contact]", "@High[0.50cm,Non-contact]", "20x objective", "b"}));
    EXPECT_EQ(reread.lines()[3 * 15 + 1], "4");

    // A cancelled name dialog changes nothing.
    const QByteArray before = rig.bytes();
    d->NewBtnClick();
    EXPECT_EQ(rig.bytes(), before);
}

TEST(SetRulerDlg, RulerDefaultThenCancelKeepsTheListAndOkResetsIt)
{
    DialogRig rig;
    auto d = rig.make();
    rig.names = {QString("mine")};
    d->NewBtnClick();
    const QByteArray withMine = rig.bytes();

    d->DefaultValue_CB()->click();
    EXPECT_EQ(d->ScaleFile_CB()->count(), 2);
    EXPECT_FALSE(d->button("SaveBtn")->isEnabled());
    d->CancelBtnClick();
    EXPECT_EQ(d->ScaleFile_CB()->count(), 3);
    EXPECT_EQ(rig.bytes(), withMine);

    d->DefaultValue_CB()->click();
    d->OKBtnClick();
    EXPECT_FALSE(d->DefaultValue_CB()->isChecked());
    EXPECT_EQ(d->ScaleFile_CB()->count(), 2);
    ScaleStore reread(rig.store(), rig.marker());
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.count(), 2);

    // Another change while "Ruler Default" is checked unchecks it and keeps the list.
    d->DefaultValue_CB()->click();
    d->hCSpinEdit()->setValue(5000);
    EXPECT_FALSE(d->DefaultValue_CB()->isChecked());
    EXPECT_TRUE(d->button("SaveBtn")->isEnabled());
}

TEST(SetRulerDlg, ColourAndMonitorWidth)
{
    DialogRig rig;
    rig.detectedCm = 47.6f;
    auto d = rig.make();
    EXPECT_TRUE(d->AutoDetect_RB()->isEnabled());
    EXPECT_EQ(d->amdh_Label()->text(), "47.60 cm");
    EXPECT_EQ(d->mdh_CSE()->value(), 4760);   // a manual width of 0 takes the detected one

    d->pickColour = [](platform::ColorRef initial) -> std::optional<platform::ColorRef> {
        EXPECT_EQ(initial, 0x0000FFu);
        return 0xFFFFFF;
    };
    d->RulerColorBtnClick();
    d->ManualAdjust_RB()->click();
    EXPECT_TRUE(d->mdh_CSE()->isEnabled());
    d->mdh_CSE()->setValue(5080);
    d->Unit_CB()->setCurrentIndex(1);
    EXPECT_EQ(d->mdh_CSE()->value(), 2000);   // 50.8 cm in hundredths of an inch
    EXPECT_EQ(d->mmdh_Label()->text(), "20.00 in.");
    d->SaveBtnClick();
    EXPECT_EQ(d.library->current().colour, 0xFFFFFEu);
    EXPECT_EQ(d.library->current().monitorWidthMode, 1);
    EXPECT_FLOAT_EQ(d.library->current().manualMonitorWidthCm, 50.8f);
    ScaleStore reread(rig.store(), rig.marker());
    ASSERT_TRUE(reread.load());
    EXPECT_EQ(reread.lines()[9], "16777214");
    EXPECT_EQ(reread.lines()[11], "50.8");
    EXPECT_EQ(reread.lines()[12], "1");

    // Without a detected width auto-detect is not offered.
    rig.detectedCm = 0;
    auto noMonitor = rig.make();
    EXPECT_FALSE(noMonitor->AutoDetect_RB()->isEnabled());
    EXPECT_TRUE(noMonitor->ManualAdjust_RB()->isChecked());
}

TEST(SetRulerDlg, LanguageChangeRenamesTheBuiltInScalesAndADamagedStoreIsRebuilt)
{
    DialogRig rig;
    auto d = rig.make();
    d->ScaleFile_CB()->setCurrentIndex(1);
    rig.texts["DrawRulerTB_Low"] = "Niedrig";
    rig.texts["DrawRulerTB_High"] = "Hoch";
    rig.texts["DrawRulerTB_NonContact"] = "Berührungslos";
    d->applyTexts();
    d.library->retranslate();
    d->refresh();
    EXPECT_EQ(d->ScaleFile_CB()->itemText(0), "@Niedrig[12.0cm,Berührungslos]");
    EXPECT_EQ(d.library->selected(), 1);
    EXPECT_EQ(d->hCSpinEdit()->value(), 170);

    // A built-in entry without "@": the store is kept as .bak and rebuilt when it is loaded.
    ScaleStore s(rig.store(), rig.marker());
    ASSERT_TRUE(s.load());
    s.rename(0, "broken");
    s.write();
    const QByteArray broken = rig.bytes();
    auto fresh = rig.make();
    EXPECT_EQ(fresh->ScaleFile_CB()->itemText(0), "@Niedrig[12.0cm,Berührungslos]");
    QFile bak(rig.store() + ".bak");
    ASSERT_TRUE(bak.open(QIODevice::ReadOnly));
    EXPECT_EQ(bak.readAll(), broken);
}

TEST(SetRulerDlg, SwitchingUnitsThereAndBackDoesNotDrift)
{
    DialogRig rig;
    auto d = rig.make();
    ASSERT_EQ(d->hCSpinEdit()->value(), 11800);
    struct Step {
        int unit;
        int h, v;
        const char *label;
    };
    const Step steps[] = {
        {1, 46456, 34842, "4.6456 in."},   // the record's own inch values
        {3, 4645, 3484, "4645 mil"},
        {2, 118000, 88500, "118000 um"},
        {0, 11800, 8850, "118.00 mm"},     // back: not 117.99 (via mil 117.98)
    };
    for (const Step &s : steps) {
        d->ScaleUnit_CB()->setCurrentIndex(s.unit);
        EXPECT_EQ(d->hCSpinEdit()->value(), s.h) << s.label;
        EXPECT_EQ(d->vCSpinEdit()->value(), s.v) << s.label;
        EXPECT_EQ(d->hLabel_mm()->text(), s.label);
    }
    EXPECT_FALSE(d->button("SaveBtn")->isEnabled()) << "nothing changed";

    // A length typed since is converted: 50.00 mm shown in inches.
    d->hCSpinEdit()->setValue(5000);
    d->ScaleUnit_CB()->setCurrentIndex(1);
    EXPECT_EQ(d->hCSpinEdit()->value(), 19685);
}

TEST(SetRulerDlg, DecimalsTypedAreDecimalsKept)
{
    DialogRig rig;
    auto d = rig.make();
    d->show();
    struct Row {
        QSpinBox *field;
        int unit;            // of the scale, -1 for the monitor width
        const char *typed;
        int value;           // the spin steps kept
        const char *shown;
    };
    const Row rows[] = {
        {d->hCSpinEdit(), 0, "1.5", 150, "1.50"},
        {d->hCSpinEdit(), 0, "1,25", 125, "1.25"},
        {d->hCSpinEdit(), 0, "118", 11800, "118.00"},
        {d->hCSpinEdit(), 1, "0.5", 5000, "0.5000"},
        {d->hCSpinEdit(), 2, "1500", 1500, "1500"},
        {d->mdh_CSE(), -1, "40.6", 4060, "40.60"},
    };
    d->ManualAdjust_RB()->click();
    for (const Row &r : rows) {
        if (r.unit >= 0)
            d->ScaleUnit_CB()->setCurrentIndex(r.unit);
        r.field->findChild<QLineEdit *>()->selectAll();
        QTest::keyClicks(r.field, r.typed);
        QTest::keyClick(r.field, Qt::Key_Enter);
        EXPECT_EQ(r.field->value(), r.value) << r.typed;
        EXPECT_EQ(r.field->text(), r.shown) << r.typed;
    }
    EXPECT_EQ(d->mmdh_Label()->text(), "40.60 cm") << "not 4.06 cm";
    // A step of the arrows is one step of the unit.
    d->ScaleUnit_CB()->setCurrentIndex(0);
    d->hCSpinEdit()->setValue(150);
    d->hCSpinEdit()->stepUp();
    EXPECT_EQ(d->hCSpinEdit()->text(), "1.51");
    // Letters and a second point are refused; beyond the bound is refused.
    d->hCSpinEdit()->findChild<QLineEdit *>()->selectAll();
    QTest::keyClicks(d->hCSpinEdit(), "2.3.4x");
    EXPECT_EQ(d->hCSpinEdit()->findChild<QLineEdit *>()->text(), "2.34");
    d->hCSpinEdit()->findChild<QLineEdit *>()->selectAll();
    QTest::keyClicks(d->hCSpinEdit(), "999");
    EXPECT_EQ(d->hCSpinEdit()->findChild<QLineEdit *>()->text(), "99") << "165.00 mm is the largest";
}
