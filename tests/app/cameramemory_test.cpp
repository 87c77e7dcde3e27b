// What is remembered per camera, through real files: round trips, a first start, damaged values
// and a file that cannot be read.
#include "state/cameramemory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>


using state::CameraMemory;
using state::CameraRecord;
namespace cid = platform::cid;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

TEST(CameraMemory, AFirstStartShowsAllCamerasAndKnowsNoCamera)
{
    QTemporaryDir dir;
    CameraMemory m(dir.filePath("Cameras.ini"));
    EXPECT_TRUE(m.load().isEmpty());
    EXPECT_TRUE(m.showAllCameras());
    EXPECT_TRUE(m.lastCamera().isEmpty());
    EXPECT_EQ(m.find("eb1a:5060:SN0042"), nullptr);
    EXPECT_EQ(m.current(), nullptr);
    EXPECT_FALSE(QFile::exists(dir.filePath("Cameras.ini"))) << "reading writes nothing";
}

TEST(CameraMemory, TwoCamerasRoundTripThroughTheFileAsWritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Cameras.ini");
    {
        CameraMemory m(path);
        m.load();
        m.setShowAllCameras(false);
        m.setLastCamera("0c45:636b:MS-B2");
        m.setCurrentCamera("0c45:636b:MS-A1");
        CameraRecord &a = *m.current();
        a.name = "USB Microscope (MS-A1)";
        a.format = state::RememberedFormat{{platform::kFourccMjpg, 1600, 1200, {30, 1}}, true};
        a.controls = {{cid::Brightness, -30}, {cid::ExposureAuto, 1}, {cid::ExposureAbsolute, 300}};
        a.flipMode = 1;
        a.scale = "Micro1mm = 100 div";
        CameraRecord &b = m.recordFor("0c45:636b@1-3.4");
        b.format = state::RememberedFormat{{platform::kFourccYuyv, 800, 600, {0, 1}}, false};
        QString error;
        ASSERT_TRUE(m.save(error)) << error.toStdString();
    }
    const QByteArray text = readAll(path);
    for (const char *line : {"[Cameras]\n", "ShowAllCameras=0\n", "LastCamera=0c45:636b:MS-B2\n",
                             "[Camera 0c45:636b:MS-A1]\n", "Name=USB Microscope (MS-A1)\n", "Format=MJPG\n",
                             "Size=1600x1200\n", "FrameRate=30/1\n", "MjpgPreview=1\n", "Flip=1\n",
                             "Scale=Micro1mm = 100 div\n", "Control.00980900=-30\n", "Control.009a0901=1\n", "Control.009a0902=300\n",
                             "[Camera 0c45:636b@1-3.4]\n", "Size=800x600\n", "FrameRate=0/1\n"})
        EXPECT_TRUE(text.contains(line)) << line << "\n" << text.toStdString();

    CameraMemory again(path);
    EXPECT_TRUE(again.load().isEmpty());
    EXPECT_FALSE(again.showAllCameras());
    EXPECT_EQ(again.lastCamera(), "0c45:636b:MS-B2");
    const CameraRecord *a = again.find("0c45:636b:MS-A1");
    ASSERT_NE(a, nullptr);
    CameraRecord expectA;
    expectA.name = "USB Microscope (MS-A1)";
    expectA.format = state::RememberedFormat{{platform::kFourccMjpg, 1600, 1200, {30, 1}}, true};
    expectA.controls = {{cid::Brightness, -30}, {cid::ExposureAuto, 1}, {cid::ExposureAbsolute, 300}};
    expectA.flipMode = 1;
    expectA.scale = "Micro1mm = 100 div";
    EXPECT_EQ(*a, expectA);
    ASSERT_NE(again.find("0c45:636b@1-3.4"), nullptr);
    EXPECT_FALSE(again.find("0c45:636b@1-3.4")->flipMode.has_value());
    // A camera that never chose a scale takes the one chosen last with any camera.
    EXPECT_FALSE(again.find("0c45:636b@1-3.4")->scale.has_value());
}

TEST(CameraMemory, DamagedValuesAreNamedLeftOutAndKeptInTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Cameras.ini");
    ASSERT_TRUE(writeAll(path, "[Cameras]\nShowAllCameras=yes\nFutureKey=kept\n"
                               "[Camera eb1a:5060:SN0042]\nFormat=MJPEG\nSize=1600x1200\nFlip=7\n"
                               "Control.00980900=-30\nControl.zz=1\nControl.00980901=bright\n"
                               "[Camera 046d:0825:W]\nFormat=YUYV\nSize=640x\n"
                               "[Camera 0c45:636b:A]\nFormat=YUYV\nSize=640x480\nFrameRate=30\n"));
    CameraMemory m(path);
    const QStringList problems = m.load();
    const QStringList expected{
        path + ": [Cameras] ShowAllCameras=yes: not a number; left out",
        path + ": [Camera eb1a:5060:SN0042] Format=MJPEG: not a four-character pixel format; left out",
        path + ": [Camera eb1a:5060:SN0042] Flip=7: not an orientation (0 to 3); left out",
        path + ": [Camera eb1a:5060:SN0042] Control.zz=1: not a control id and a number; left out",
        path + ": [Camera eb1a:5060:SN0042] Control.00980901=bright: not a control id and a number; left out",
        path + ": [Camera 046d:0825:W] Size=640x: not a size such as 1600x1200; left out",
        path + ": [Camera 0c45:636b:A] FrameRate=30: not a frame rate such as 30/1; left out",
    };
    EXPECT_EQ(problems, expected);
    EXPECT_TRUE(m.showAllCameras()) << "the default stands";
    const CameraRecord *bridge = m.find("eb1a:5060:SN0042");
    ASSERT_NE(bridge, nullptr);
    EXPECT_FALSE(bridge->format);
    EXPECT_FALSE(bridge->flipMode);
    EXPECT_EQ(bridge->controls, (std::map<std::uint32_t, int>{{cid::Brightness, -30}}));
    // A frame rate that cannot be read leaves "whatever the camera gives", not the whole format.
    ASSERT_TRUE(m.find("0c45:636b:A")->format);
    EXPECT_EQ(m.find("0c45:636b:A")->format->format, (platform::CaptureFormat{platform::kFourccYuyv, 640, 480, {0, 1}}));

    // Writing back keeps what could not be read, beside the new values.
    m.setCurrentCamera("eb1a:5060:SN0042");
    m.current()->flipMode = 2;
    QString error;
    ASSERT_TRUE(m.save(error)) << error.toStdString();
    const QByteArray text = readAll(path);
    for (const char *line : {"FutureKey=kept\n", "Control.zz=1\n", "Format=MJPEG\n", "Flip=2\n", "ShowAllCameras=1\n"})
        EXPECT_TRUE(text.contains(line)) << line << "\n" << text.toStdString();
}

TEST(CameraMemory, AFileThatCannotBeReadIsNeverOverwritten)
{
    // A name that exists but cannot be read as a file (root reads any file, so no permission
    // trick): nothing may replace it in this run.
    QTemporaryDir dir;
    const QString path = dir.filePath("Cameras.ini");
    ASSERT_TRUE(QDir().mkdir(path));
    ASSERT_TRUE(writeAll(path + "/inside", "x"));
    CameraMemory m(path);
    const QStringList problems = m.load();
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].startsWith(path + ": cannot be read (")) << problems[0].toStdString();
    EXPECT_TRUE(problems[0].endsWith("); the cameras' settings are not written in this run")) << problems[0].toStdString();
    m.recordFor("eb1a:5060:S").flipMode = 1;
    QString error;
    EXPECT_FALSE(m.save(error));
    EXPECT_EQ(error, path + ": not written, it could not be read at start");
    EXPECT_EQ(readAll(path + "/inside"), "x");
}

TEST(CameraMemory, AFolderThatRefusesTheFileGivesTheReason)
{
    QTemporaryDir dir;
    CameraMemory m(dir.filePath("missing/Cameras.ini"));
    m.load();
    QString error;
    EXPECT_FALSE(m.save(error));
    EXPECT_TRUE(error.startsWith(dir.filePath("missing/Cameras.ini") + ": not written: ")) << error.toStdString();
}
