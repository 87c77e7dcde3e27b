// The display options kept in the settings file between runs.
#include "measure/labelsettingsstore.h"

#include "platform/iniprofilestore.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace measure {
namespace {

TEST(LabelSettingsStore, SurviveARealSettingsFileAndLeaveItsOtherKeys)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("UserSysInfo.ini");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Language]\r\nDefData.Language=German\r\n");
    }
    LabelSettings chosen;
    chosen.lineItem = 0;
    chosen.circleItem = 3;
    chosen.squareItem = 2;
    chosen.ellipseItem = 4;
    chosen.arcItem = 5;
    chosen.archItem = 2;
    chosen.displayUnit = false;
    chosen.precision = 7;
    chosen.labelColour = 0x0000FF;
    chosen.counter = 12;
    platform::IniProfileStore store(path);
    ASSERT_TRUE(store.write(labelSettingsEntries(chosen)));

    const LabelSettings back = readLabelSettings(platform::IniProfileStore(path));
    EXPECT_EQ(back.lineItem, 0);
    EXPECT_EQ(back.circleItem, 3);
    EXPECT_EQ(back.squareItem, 2);
    EXPECT_EQ(back.ellipseItem, 4);
    EXPECT_EQ(back.arcItem, 5);
    EXPECT_EQ(back.archItem, 2);
    EXPECT_FALSE(back.displayUnit);
    EXPECT_EQ(back.precision, 7);
    EXPECT_EQ(back.labelColour, 0x0000FFu);
    EXPECT_EQ(back.counter, 0);   // a new run counts from the start
    EXPECT_EQ(platform::IniProfileStore(path).read("Language", "DefData.Language"), "German");
}

TEST(LabelSettingsStore, MissingOrDamagedKeysTakeTheInitialValues)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("UserSysInfo.ini");
    const LabelSettings initial;
    const LabelSettings none = readLabelSettings(platform::IniProfileStore(path));
    EXPECT_EQ(none.precision, initial.precision);
    EXPECT_EQ(none.labelColour, initial.labelColour);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[MeasureInfo]\r\nPrecision=12\r\nCircleItem=x\r\nArcItem=-1\r\nDisplayUnit=2\r\n"
                "LabelColour=16777215\r\nLineItem=0\r\n");
    }
    const LabelSettings damaged = readLabelSettings(platform::IniProfileStore(path));
    EXPECT_EQ(damaged.precision, 3);
    EXPECT_EQ(damaged.circleItem, 1);
    EXPECT_EQ(damaged.arcItem, 1);
    EXPECT_TRUE(damaged.displayUnit);
    EXPECT_EQ(damaged.labelColour, 0xFFFFFEu);   // white is the layers' key: kept near-white
    EXPECT_EQ(damaged.lineItem, 0);
}

} // namespace
} // namespace measure
