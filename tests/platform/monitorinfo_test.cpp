#include "platform/monitorinfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace platform {
namespace {

// An EDID 1.3 block as monitors send it: header, image size in cm at bytes 21 and 22, and the
// first detailed timing descriptor (bytes 54 to 71) with the image size in mm.
QByteArray edid(int widthCm, int heightCm, int widthMm, int heightMm, bool timingDescriptor = true)
{
    QByteArray b(128, '\0');
    const unsigned char header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    for (int i = 0; i < 8; ++i)
        b[i] = char(header[i]);
    b[8] = 0x10;   // manufacturer and product, as any real block has
    b[9] = 0xAC;
    b[18] = 1;
    b[19] = 3;
    b[21] = char(widthCm);
    b[22] = char(heightCm);
    if (timingDescriptor) {
        b[54] = char(0x02);   // pixel clock 148.50 MHz
        b[55] = char(0x3A);
        b[66] = char(widthMm & 0xFF);
        b[67] = char(heightMm & 0xFF);
        b[68] = char(((widthMm >> 8) << 4) | ((heightMm >> 8) & 0x0F));
    } else {
        b[57] = char(0xFC);   // monitor name descriptor: zero pixel clock, text in bytes 59 onwards
        const QByteArray name("DELL P2217H\n ");
        for (int i = 0; i < name.size(); ++i)
            b[59 + i] = name[i];
    }
    return b;
}

void connector(const QDir &root, const QString &name, const QByteArray &blob, const QByteArray &status = "connected\n")
{
    ASSERT_TRUE(root.mkpath(name));
    QFile e(root.filePath(name + "/edid"));
    ASSERT_TRUE(e.open(QIODevice::WriteOnly));
    e.write(blob);
    QFile s(root.filePath(name + "/status"));
    ASSERT_TRUE(s.open(QIODevice::WriteOnly));
    s.write(status);
}

TEST(Edid, SizesFromTheHeaderBytesAndTheFirstTimingDescriptor)
{
    const std::optional<MonitorSize> m = parseEdid(edid(48, 27, 476, 268));
    ASSERT_TRUE(m);
    EXPECT_FLOAT_EQ(m->widthCm, 48.0f);
    EXPECT_FLOAT_EQ(m->heightCm, 27.0f);
    EXPECT_FLOAT_EQ(m->widthMm, 476.0f);
    EXPECT_FLOAT_EQ(m->heightMm, 268.0f);
    EXPECT_FLOAT_EQ(m->detectedWidthCm, 47.6f);
    EXPECT_FLOAT_EQ(m->detectedHeightCm, 26.8f);
    // Extension blocks after the first 128 bytes do not matter.
    EXPECT_TRUE(parseEdid(edid(48, 27, 476, 268) + QByteArray(128, '\x02')));
}

TEST(Edid, ShortOrForeignBlobsAreNoMonitor)
{
    EXPECT_FALSE(parseEdid(QByteArray()));
    EXPECT_FALSE(parseEdid(edid(48, 27, 476, 268).left(127)));
    QByteArray noHeader = edid(48, 27, 476, 268);
    noHeader[7] = char(0xFF);
    EXPECT_FALSE(parseEdid(noHeader));
    EXPECT_FALSE(parseEdid(QByteArray(256, '\xFF')));
    EXPECT_FALSE(parseEdid(QByteArray(128, '\0')));
}

TEST(Edid, ANameDescriptorFirstFallsBackToTheWholeCentimetres)
{
    const std::optional<MonitorSize> m = parseEdid(edid(48, 27, 0, 0, false));
    ASSERT_TRUE(m);
    EXPECT_FLOAT_EQ(m->widthMm, 0.0f);
    EXPECT_FLOAT_EQ(m->detectedWidthCm, 48.0f);
}

TEST(EnumMonitorDevices, FirstConnectedMonitorWithAValidBlockWins)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir root(dir.path());
    connector(root, "card0-DP-1", QByteArray("garbage that is far too short"));
    connector(root, "card0-DP-2", edid(60, 34, 597, 336), "disconnected\n");
    connector(root, "card0-HDMI-A-1", edid(48, 27, 476, 268));
    connector(root, "card0-HDMI-A-2", edid(53, 30, 527, 296));
    ASSERT_TRUE(root.mkpath("card0"));   // the card itself has no edid
    const MonitorSize m = EnumMonitorDevices(dir.path());
    EXPECT_FLOAT_EQ(m.detectedWidthCm, 47.6f);
    EXPECT_FLOAT_EQ(m.widthCm, 48.0f);
    EXPECT_FLOAT_EQ(m.heightMm, 268.0f);
}

TEST(EnumMonitorDevices, NothingFoundGivesZeros)
{
    QTemporaryDir dir;
    const MonitorSize missing = EnumMonitorDevices(dir.path() + "/nowhere");
    EXPECT_FLOAT_EQ(missing.detectedWidthCm, 0.0f);
    connector(QDir(dir.path()), "card1-eDP-1", QByteArray(127, '\0'));
    EXPECT_FLOAT_EQ(EnumMonitorDevices(dir.path()).detectedWidthCm, 0.0f);
}

} // namespace
} // namespace platform
