// A scale calibrated at one picture size and used at another, and its side file.
#include "scales/scaleatsize.h"
#include "scales/scalefacts.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace scales;

namespace {

const QString kFormat = QStringLiteral("%1 @%2x%3, used at %4x%5");

// Micro1mm: 100 divisions (1.00 mm) over 500 of 640 view pixels, calibrated at 1600x1200.
RulerScaleControl micro1mm(ScaleUnit unit = ScaleUnit::Millimetre)
{
    RulerScaleControl s;
    s.name = "Micro1mm";
    s.unit = unit;
    if (unit == ScaleUnit::Millimetre)
        setLengthsFromSpin(s, unit, 128, 96);
    else
        setLengthsFromSpin(s, unit, 1280, 960);
    s.calibratedSize = QSize(1600, 1200);
    s.cameraKey = "eb1a:5060:vcam0";
    return s;
}

} // namespace

TEST(ScaleAtPictureSize, TheFieldKeepsItsWidthAndThePixelsStaySquare)
{
    struct Row {
        QSize picture;
        double hLength, vLength;
        const char *name;
    };
    const Row rows[] = {
        {{1600, 1200}, 1.28, 0.96, "Micro1mm"},
        {{800, 600}, 1.28, 0.96, "Micro1mm @1600x1200, used at 800x600"},
        {{640, 480}, 1.28, 0.96, "Micro1mm @1600x1200, used at 640x480"},
        {{1600, 900}, 1.28, 0.72, "Micro1mm @1600x1200, used at 1600x900"},
        {{1280, 1024}, 1.28, 1.024, "Micro1mm @1600x1200, used at 1280x1024"},
        {{}, 1.28, 0.96, "Micro1mm"},   // no live picture: as stored
    };
    for (const Row &r : rows) {
        const RulerScaleControl s = scaleAtPictureSize(micro1mm(), r.picture, kFormat);
        EXPECT_NEAR(s.hLength, r.hLength, 1e-6) << r.name;
        EXPECT_NEAR(s.vLength, r.vLength, 1e-6) << r.name;
        EXPECT_EQ(s.name, r.name);
    }
}

TEST(ScaleAtPictureSize, EveryUnitFollowsAndAScaleWithoutASizeStaysAsItIs)
{
    const RulerScaleControl um = scaleAtPictureSize(micro1mm(ScaleUnit::Micrometre), QSize(1600, 900), kFormat);
    EXPECT_NEAR(um.hLength, 1280, 1e-3);
    EXPECT_NEAR(um.vLength, 720, 1e-3);
    EXPECT_NEAR(um.lengths[0].vertical, 0.72, 1e-6) << "the millimetres follow the micrometres";

    RulerScaleControl typed = micro1mm();
    typed.calibratedSize = QSize();
    const RulerScaleControl same = scaleAtPictureSize(typed, QSize(1600, 900), kFormat);
    EXPECT_EQ(same.name, "Micro1mm");
    EXPECT_NEAR(same.vLength, 0.96, 1e-6);
}

TEST(ScaleAtPictureSize, ANameShownAtAnotherSizeLeadsBackToTheStoredScale)
{
    const QStringList names{"@Low[12.0cm,Non-contact]", "Micro1mm", "Micro1mm @1600x1200"};
    EXPECT_EQ(storedScaleName("Micro1mm @1600x1200, used at 800x600", names, kFormat), "Micro1mm");
    EXPECT_EQ(storedScaleName("Micro1mm @1600x1200 @1600x1200, used at 800x600", names, kFormat), "Micro1mm @1600x1200");
    EXPECT_EQ(storedScaleName("Micro1mm", names, kFormat), "");
    EXPECT_EQ(storedScaleName("Other @1600x1200, used at 800x600", names, kFormat), "");
    // The format's own characters are literal: "(" and "." mean themselves.
    EXPECT_EQ(storedScaleName("Micro1mm (1600x1200 -> 800x600.)", names, "%1 (%2x%3 -> %4x%5.)"), "Micro1mm");
}

TEST(ScaleFacts, RoundTripThroughTheSideFileAndDamagedLinesAreNamed)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ScaleData_Calibration.ini");
    {
        ScaleFacts f(path);
        EXPECT_TRUE(f.load().isEmpty()) << "no file: no facts";
        f.set("a = b [c]", {QSize(800, 600), "0c45:636b:MS-A1"});
        f.set("only size", {QSize(1600, 900), ""});
        f.set("nothing", {});
        ASSERT_FALSE(f.write());
    }
    ScaleFacts again(path);
    EXPECT_TRUE(again.load().isEmpty());
    EXPECT_EQ(again.fact("a = b [c]"), (ScaleFact{QSize(800, 600), "0c45:636b:MS-A1"}));
    EXPECT_EQ(again.fact("only size"), (ScaleFact{QSize(1600, 900), ""}));
    EXPECT_TRUE(again.fact("nothing").empty());

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Scale 1]\nName=x\nCalibratedSize=wide\nCamera=k\n[Scale 2]\nCalibratedSize=10x10\n");
    file.close();
    const QStringList problems = again.load();
    ASSERT_EQ(problems.size(), 2);
    EXPECT_EQ(problems[0], path + ": [Scale 1] CalibratedSize=wide: not a size such as 1600x1200; left out");
    EXPECT_EQ(problems[1], path + ": [Scale 2] has no Name; left out");
    EXPECT_EQ(again.fact("x"), (ScaleFact{QSize(), "k"}));
}
