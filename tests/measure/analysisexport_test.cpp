// The calibrated TIFF: tags read back with libtiff, pixels intact, failures leave nothing behind.
#include "measure/analysisexport.h"
#include "platform/tiffwriter.h"
#include "scales/rulerscale.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <tiffio.h>

#include <memory>

namespace measure {
namespace {

struct TiffCloser {
    void operator()(TIFF *t) const { TIFFClose(t); }
};
using TiffFile = std::unique_ptr<TIFF, TiffCloser>;

// 1.00 mm across a 1600 px wide picture: 0.000625 mm per pixel, 16000 pixels per centimetre.
scales::RulerScaleControl oneMillimetreOver1600()
{
    scales::RulerScaleControl s = scales::firstBuiltInScale();
    s.unit = scales::ScaleUnit::Millimetre;
    s.hLength = 1.0f;
    s.vLength = 0.75f;
    return s;
}

QImage testPicture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x * 7 + y * 3) & 0xFF));
    return image;
}

TEST(AnalysisExport, ResolutionFromTheScaleAndAnImageJDescriptionReadBack)
{
    const QSize size(1600, 1200);
    const platform::TiffOptions options = analysisTiffOptions(oneMillimetreOver1600(), size);
    EXPECT_DOUBLE_EQ(options.xPixelsPerCm, 16000.0);
    EXPECT_DOUBLE_EQ(options.yPixelsPerCm, 16000.0);
    // The description's unit agrees with ResolutionUnit: ImageJ reads 1/XResolution in it.
    EXPECT_EQ(options.description, QByteArray("ImageJ=1.53t\nunit=cm\n"));

    QTemporaryDir dir;
    const QImage picture = testPicture(size);
    for (platform::TiffCompression compression : {platform::TiffCompression::Deflate, platform::TiffCompression::None}) {
        platform::TiffOptions o = options;
        o.compression = compression;
        const QString path = dir.filePath(compression == platform::TiffCompression::None ? "plain.tif" : "deflate.tif");
        ASSERT_FALSE(platform::writeTiff(path, picture, o));
        TiffFile tif(TIFFOpen(QFile::encodeName(path).constData(), "r"));
        ASSERT_TRUE(tif);
        std::uint32_t width = 0, height = 0;
        std::uint16_t bits = 0, samples = 0, photometric = 0, unit = 0, compressionTag = 0;
        float xres = 0, yres = 0;
        char *description = nullptr;
        TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
        TIFFGetField(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
        TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
        TIFFGetField(tif.get(), TIFFTAG_COMPRESSION, &compressionTag);
        ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_XRESOLUTION, &xres));
        ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_YRESOLUTION, &yres));
        ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_RESOLUTIONUNIT, &unit));
        ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_IMAGEDESCRIPTION, &description));
        EXPECT_EQ(width, 1600u);
        EXPECT_EQ(height, 1200u);
        EXPECT_EQ(bits, 8);
        EXPECT_EQ(samples, 3);
        EXPECT_EQ(photometric, PHOTOMETRIC_RGB);
        EXPECT_EQ(compressionTag, compression == platform::TiffCompression::None ? COMPRESSION_NONE : COMPRESSION_ADOBE_DEFLATE);
        EXPECT_EQ(unit, RESUNIT_CENTIMETER);
        EXPECT_NEAR(xres, 16000.0f, 0.01f);
        EXPECT_NEAR(yres, 16000.0f, 0.01f);
        EXPECT_STREQ(description, "ImageJ=1.53t\nunit=cm\n");
        // Every pixel comes back.
        std::vector<std::uint32_t> raster(std::size_t(width) * height);
        ASSERT_TRUE(TIFFReadRGBAImageOriented(tif.get(), width, height, raster.data(), ORIENTATION_TOPLEFT, 0));
        int wrong = 0;
        for (int y = 0; y < 1200; y += 7)
            for (int x = 0; x < 1600; x += 5) {
                const std::uint32_t p = raster[std::size_t(y) * width + std::size_t(x)];
                const QRgb want = picture.pixel(x, y);
                wrong += TIFFGetR(p) != std::uint32_t(qRed(want)) || TIFFGetG(p) != std::uint32_t(qGreen(want))
                         || TIFFGetB(p) != std::uint32_t(qBlue(want));
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(AnalysisExport, EveryScaleUnitGivesPixelsPerCentimetre)
{
    scales::RulerScaleControl s = oneMillimetreOver1600();
    s.unit = scales::ScaleUnit::Micrometre;
    s.hLength = 1000.0f;
    s.vLength = 750.0f;
    EXPECT_NEAR(analysisTiffOptions(s, {1600, 1200}).xPixelsPerCm, 16000.0, 1e-6);
    s.unit = scales::ScaleUnit::Inch;
    s.hLength = 1.0f;
    EXPECT_NEAR(analysisTiffOptions(s, {1600, 1200}).xPixelsPerCm, 1600 / 2.54, 1e-6);
    s.unit = scales::ScaleUnit::Mil;
    s.hLength = 1000.0f;
    EXPECT_NEAR(analysisTiffOptions(s, {1600, 1200}).xPixelsPerCm, 1600 / 2.54, 1e-3);
}

TEST(AnalysisExport, AnUncalibratedScaleWritesNoResolutionAndNoUnit)
{
    scales::RulerScaleControl s = oneMillimetreOver1600();
    s.hLength = 0.0f;
    const platform::TiffOptions o = analysisTiffOptions(s, {640, 480});
    EXPECT_EQ(o.xPixelsPerCm, 0.0);
    EXPECT_TRUE(o.description.isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath("raw.tif");
    ASSERT_FALSE(platform::writeTiff(path, testPicture({64, 48}), o));
    TiffFile tif(TIFFOpen(QFile::encodeName(path).constData(), "r"));
    ASSERT_TRUE(tif);
    float xres = 0;
    EXPECT_FALSE(TIFFGetField(tif.get(), TIFFTAG_XRESOLUTION, &xres));
}

TEST(AnalysisExport, AFailedWriteLeavesNoFileAndANullPictureIsRefused)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const platform::TiffOptions o = analysisTiffOptions(oneMillimetreOver1600(), {64, 48});
    EXPECT_TRUE(platform::writeTiff(dir.filePath("blocker/x.tif"), testPicture({64, 48}), o));
    EXPECT_TRUE(platform::writeTiff(dir.filePath("null.tif"), QImage(), o));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"blocker"});
}

// ImageJ's own answer: the Debian package run headless under Xvfb with a batch macro that prints
// getPixelSize() for each file. The second file carries "unit=mm" beside centimetre resolutions,
// the combination ImageJ misreads, to show why the export says "unit=cm".
TEST(AnalysisExport, ImageJReadsThePixelSizeOfTheScale)
{
    const QString imagej = QStandardPaths::findExecutable(QStringLiteral("imagej"));
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (imagej.isEmpty() || xvfb.isEmpty())
        GTEST_SKIP() << "imagej or xvfb-run is not installed (Debian packages imagej, xvfb)";
    QTemporaryDir dir;
    const QImage picture = testPicture({1600, 1200});
    platform::TiffOptions options = analysisTiffOptions(oneMillimetreOver1600(), picture.size());
    const QString good = dir.filePath("export.tif");
    ASSERT_FALSE(platform::writeTiff(good, picture, options));
    options.description = "ImageJ=1.53t\nunit=mm\n";
    const QString mixed = dir.filePath("mixed.tif");
    ASSERT_FALSE(platform::writeTiff(mixed, picture, options));

    const QString macro = dir.filePath("pixelsize.ijm");
    QFile m(macro);
    ASSERT_TRUE(m.open(QIODevice::WriteOnly));
    m.write("files = split(getArgument(), \"|\");\n"
            "for (i = 0; i < files.length; i++) {\n"
            "  open(files[i]);\n"
            "  getPixelSize(unit, pw, ph);\n"
            "  print(\"PIXELSIZE \" + unit + \" \" + d2s(pw, 9) + \" \" + d2s(ph, 9));\n"
            "  close();\n"
            "}\n");
    m.close();

    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir.path());   // ImageJ keeps its lock files and preferences there
    run.setProcessEnvironment(env);
    run.start(xvfb, {QStringLiteral("-a"), imagej, QStringLiteral("-b"), macro, good + u'|' + mixed});
    ASSERT_TRUE(run.waitForFinished(180000)) << "ImageJ did not finish";
    const QByteArray out = run.readAll();

    // Pixel widths in mm, by the unit ImageJ chose (it may turn small centimetres into microns).
    std::vector<std::pair<QByteArray, double>> sizes;
    for (const QByteArray &line : out.split('\n')) {
        const QList<QByteArray> f = line.trimmed().split(' ');
        if (f.size() != 4 || f[0] != "PIXELSIZE")
            continue;
        const QByteArray unit = f[1];
        double toMm = 0;
        if (unit == "cm")
            toMm = 10;
        else if (unit == "mm")
            toMm = 1;
        else if (unit.contains('\xB5') || unit == "um" || unit == "micron")
            toMm = 1e-3;
        sizes.emplace_back(unit, f[2].toDouble() * toMm);
        EXPECT_EQ(f[2], f[3]) << "square pixels";
    }
    ASSERT_EQ(sizes.size(), 2u) << out.toStdString();
    const double scaleMm = 1.0 / 1600;
    EXPECT_NE(sizes[0].first, "mm");
    EXPECT_NEAR(sizes[0].second, scaleMm, scaleMm * 0.001) << sizes[0].first.toStdString();
    EXPECT_EQ(sizes[1].first, "mm");
    EXPECT_NEAR(sizes[1].second, scaleMm / 10, scaleMm * 0.0001) << "ImageJ read 1/XResolution in the description's unit";
}

} // namespace
} // namespace measure
