// The line profile: sampling along a line through the current scale's pixel size, and its CSV.
#include "measure/lineprofile.h"
#include "csvreader.h"
#include "profileminima.h"

#include "fakes.h"
#include "scales/rulerscale.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace measure {
namespace {

using testing::parseCsv;
using testing::profileMinima;

scales::RulerScaleControl scaleMm(float h, float v, const QString &name = QStringLiteral("Bench"))
{
    scales::RulerScaleControl s;
    s.name = name;
    s.unit = scales::ScaleUnit::Millimetre;
    s.hLength = h;
    s.vLength = v;
    return s;
}

QImage row(std::initializer_list<int> greys)
{
    QImage img(int(greys.size()), 1, QImage::Format_RGB32);
    int x = 0;
    for (int g : greys)
        img.setPixel(x++, 0, qRgb(g, g, g));
    return img;
}

// Dark lines one pixel wide every five pixels on a light ground, 1.00 mm over 500 pixels: the
// stage micrometer as a calibrated picture shows it.
QImage micrometer()
{
    QImage img(640, 40, QImage::Format_RGB32);
    img.fill(qRgb(230, 226, 210));
    for (int i = 0; i <= 100; ++i)
        for (int y = 5; y < 35; ++y)
            img.setPixel(70 + 5 * i, y, qRgb(28, 28, 36));
    return img;
}

} // namespace

TEST(LineProfile, SamplesEveryPixelWithDistancesInTheScaleUnit)
{
    // 0.3 mm over 3 pixels: 0.1 mm a pixel.
    const LineProfile p = sampleLineProfile(row({0, 100, 200}), {0, 0}, {2, 0}, scaleMm(0.3f, 0.1f));
    ASSERT_EQ(p.samples.size(), 3u);
    EXPECT_TRUE(p.calibrated);
    EXPECT_EQ(p.unit, QStringLiteral("mm"));
    EXPECT_NEAR(p.length, 0.2, 1e-7);
    const double intensity[] = {0, 100, 200};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(p.samples[std::size_t(i)].distance, 0.1 * i, 1e-7);
        EXPECT_DOUBLE_EQ(p.samples[std::size_t(i)].intensity, intensity[i]);
        EXPECT_DOUBLE_EQ(p.samples[std::size_t(i)].red, intensity[i]);
    }
}

TEST(LineProfile, InterpolatesBetweenPixelsAndTakesTheEdgeBeyondThePicture)
{
    // From 0.5 to 1.5 on 0, 100, 200: one step, the ends halfway between pixels.
    const LineProfile half = sampleLineProfile(row({0, 100, 200}), {0.5, 0}, {1.5, 0}, scaleMm(3, 1));
    ASSERT_EQ(half.samples.size(), 2u);
    EXPECT_DOUBLE_EQ(half.samples[0].intensity, 50);
    EXPECT_DOUBLE_EQ(half.samples[1].intensity, 150);
    const LineProfile beyond = sampleLineProfile(row({0, 100, 200}), {2, 0}, {5, 0}, scaleMm(3, 1));
    ASSERT_EQ(beyond.samples.size(), 4u);
    for (const ProfileSample &s : beyond.samples)
        EXPECT_DOUBLE_EQ(s.intensity, 200);
    // A colour's intensity is its luma, not truncated: (38 * 255) / 128.
    QImage red(2, 1, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    EXPECT_DOUBLE_EQ(sampleLineProfile(red, {0, 0}, {1, 0}, scaleMm(2, 1)).samples[0].intensity, 9690.0 / 128);
}

TEST(LineProfile, ADiagonalUsesBothPixelSizes)
{
    // 0.1 mm a pixel across, 0.2 mm down: 3 right and 4 down is sqrt(0.3^2 + 0.8^2).
    QImage img(10, 10, QImage::Format_RGB32);
    img.fill(qRgb(50, 50, 50));
    const LineProfile p = sampleLineProfile(img, {1, 1}, {4, 5}, scaleMm(1.0f, 2.0f));
    EXPECT_NEAR(p.length, std::sqrt(0.09 + 0.64), 1e-6);
    EXPECT_EQ(p.samples.size(), 6u);   // 5 pixels long: 5 steps
    EXPECT_NEAR(p.samples.back().distance, p.length, 1e-12);
}

TEST(LineProfile, AnUncalibratedScaleMeasuresInPixels)
{
    const LineProfile p = sampleLineProfile(row({0, 100, 200, 50}), {0, 0}, {3, 0}, scaleMm(0, 0));
    EXPECT_FALSE(p.calibrated);
    EXPECT_EQ(p.unit, QStringLiteral("px"));
    EXPECT_DOUBLE_EQ(p.length, 3.0);
    EXPECT_DOUBLE_EQ(p.samples[2].distance, 2.0);
    EXPECT_TRUE(sampleLineProfile(QImage(), {0, 0}, {3, 0}, scaleMm(1, 1)).samples.empty());
}

TEST(LineProfile, AcrossTheCalibratedMicrometerTheMinimaAreTenMicrometresApart)
{
    // 1.00 mm over 500 pixels: the 640-pixel picture is 1.28 mm wide; one pixel is 0.002 mm.
    const LineProfile p = sampleLineProfile(micrometer(), {60, 20}, {580, 20}, scaleMm(1.28f, 0.08f));
    const std::vector<double> minima = profileMinima(p, 128);
    ASSERT_EQ(minima.size(), 101u);
    for (std::size_t i = 1; i < minima.size(); ++i)
        EXPECT_NEAR(minima[i] - minima[i - 1], 0.010, 0.002) << i;
    EXPECT_NEAR((minima.back() - minima.front()) / 100, 0.010, 0.0001);
}

TEST(LineProfileCsv, IsWrittenInTheResultsTableRules)
{
    const LineProfile p = sampleLineProfile(row({0, 100, 200}), {0, 0}, {2, 0}, scaleMm(0.3f, 0.1f, "Bench, x10"));
    const QString csv = QString::fromUtf8(lineProfileCsv(p));
    const QStringList lines = csv.split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 15);
    EXPECT_EQ(lines[0], QStringLiteral("scale,\"Bench, x10\""));
    EXPECT_EQ(lines[1], QStringLiteral("unit,mm"));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("pixel width (mm),0.1")));
    EXPECT_EQ(lines[4], QStringLiteral("picture width (px),3"));
    EXPECT_EQ(lines[5], QStringLiteral("picture height (px),1"));
    EXPECT_EQ(lines[6], QStringLiteral("line start (px),0 0"));
    EXPECT_EQ(lines[7], QStringLiteral("line end (px),2 0"));
    EXPECT_EQ(lines[9], QString());
    EXPECT_EQ(lines[10], QStringLiteral("Distance (mm),Intensity,Red,Green,Blue"));
    EXPECT_EQ(lines[11], QStringLiteral("0,0,0,0,0"));
    EXPECT_EQ(lines[13].section(u',', 1), QStringLiteral("200,200,200,200"));
    EXPECT_TRUE(csv.endsWith(QStringLiteral("\r\n")));
    EXPECT_FALSE(csv.contains(QStringLiteral("\n\n")));
}

TEST(LineProfileCsv, ReadsBackToThePlottedValuesExactly)
{
    const LineProfile p = sampleLineProfile(micrometer(), {60.25, 11.5}, {581.75, 27.125}, scaleMm(1.28f, 0.08f));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("profile.csv"));
    ASSERT_FALSE(writeLineProfileCsv(path, p));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const std::vector<QStringList> rows = parseCsv(QString::fromUtf8(f.readAll()));
    ASSERT_EQ(rows.size(), 11 + p.samples.size());
    for (std::size_t i = 0; i < p.samples.size(); ++i) {
        const QStringList &r = rows[11 + i];
        ASSERT_EQ(r.size(), 5);
        const ProfileSample &s = p.samples[i];
        EXPECT_EQ(r[0].toDouble(), s.distance) << i;
        EXPECT_EQ(r[1].toDouble(), s.intensity) << i;
        EXPECT_EQ(r[2].toDouble(), s.red) << i;
        EXPECT_EQ(r[3].toDouble(), s.green) << i;
        EXPECT_EQ(r[4].toDouble(), s.blue) << i;
    }
    EXPECT_EQ(rows[8][1].toDouble(), p.length);
}

TEST(LineProfileCsv, AFailedWriteKeepsTheOldFileAndSaysSo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("profile.csv"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    // A full disk, as a file-size limit below the profile's size.
    const LineProfile p = sampleLineProfile(micrometer(), {0, 20}, {639, 20}, scaleMm(1.28f, 0.08f));
    ASSERT_GT(lineProfileCsv(p).size(), 4096);
    std::error_code e;
    {
        fakes::FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.ok);
        e = writeLineProfileCsv(path, p);
    }
    EXPECT_TRUE(e);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old"));
    EXPECT_TRUE(writeLineProfileCsv(dir.filePath(QStringLiteral("missing/profile.csv")), p));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing"))));
}

} // namespace measure
