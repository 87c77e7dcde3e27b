#include "platform/picturecodec.h"

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <csignal>

using namespace platform;

namespace {

Bitmap gradient(int w, int h)
{
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, rgbColor(x * 7, y * 5, (x + y) * 3));
    return b;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put32(QByteArray &b, int at, qint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((quint32(v) >> (8 * i)) & 0xFF);
}

// A BMP laid out as other programs write them: 14 + `infoSize` header bytes, then `table` (palette
// or masks), then `rows` exactly as stored, padding included. The pixel offset points past the table.
QByteArray handMadeBmp(int width, int height, int bits, quint32 compression, const QByteArray &table,
                       const QByteArray &rows, quint32 coloursUsed = 0, int infoSize = 40)
{
    QByteArray b(14 + infoSize, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 10, 14 + infoSize + int(table.size()));
    put32(b, 14, infoSize);
    put32(b, 18, width);
    put32(b, 22, height);
    b[26] = 1;
    b[28] = char(bits);
    put32(b, 30, qint32(compression));
    put32(b, 46, qint32(coloursUsed));
    b += table;
    b += rows;
    put32(b, 2, int(b.size()));
    return b;
}

QByteArray paletteOf(std::initializer_list<ColorRef> colours)
{
    QByteArray b;
    for (ColorRef c : colours)
        b.append(char(blueOf(c))).append(char(greenOf(c))).append(char(redOf(c))).append('\0');
    return b;
}

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b += char(v);
    return b;
}

QByteArray wordsOf(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v & 0xFF)).append(char(v >> 8));
    return b;
}

QByteArray masksOf(quint32 red, quint32 green, quint32 blue)
{
    QByteArray b(12, '\0');
    put32(b, 0, qint32(red));
    put32(b, 4, qint32(green));
    put32(b, 8, qint32(blue));
    return b;
}

constexpr quint32 kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3;

// Every pixel against the expected colours, rows top first; one message per wrong pixel.
void expectPixels(const DecodedPicture &d, const std::vector<std::vector<ColorRef>> &rows, const char *name)
{
    ASSERT_TRUE(d.ok()) << name << ": " << d.detail.toStdString();
    ASSERT_EQ(d.bitmap.height(), int(rows.size())) << name;
    ASSERT_EQ(d.bitmap.width(), int(rows[0].size())) << name;
    for (int y = 0; y < d.bitmap.height(); ++y)
        for (int x = 0; x < d.bitmap.width(); ++x)
            EXPECT_EQ(d.bitmap.pixel(x, y), rows[std::size_t(y)][std::size_t(x)]) << name << " at " << x << "," << y;
}

} // namespace

TEST(ColorRef, RedIsTheLowByte)
{
    EXPECT_EQ(rgbColor(255, 0, 0), 0x0000FFu);
    EXPECT_EQ(rgbColor(0, 0, 255), 0xFF0000u);
    Bitmap b(1, 1);
    b.setPixel(0, 0, 0x0000FF);
    EXPECT_EQ(qRed(b.image().pixel(0, 0)), 255);
    EXPECT_EQ(b.pixel(0, 0), 0x0000FFu);
    // BGRx in memory, as GStreamer delivers it.
    EXPECT_EQ(b.constScanLine(0)[0], 0x00);
    EXPECT_EQ(b.constScanLine(0)[2], 0xFF);
}

TEST(Bmp, RoundTripKeepsEveryPixelAndWritesA24BitBottomUpFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.bmp");
    const Bitmap original = gradient(33, 7);   // odd width: rows need padding
    ASSERT_TRUE(writeBmpFile(path, original).ok());
    const QByteArray bytes = readAll(path);
    ASSERT_EQ(bytes.size(), 54 + 100 * 7);   // 33 * 3 = 99 bytes padded to 100
    EXPECT_EQ(bytes[28], 24);
    EXPECT_GT(qint32(uchar(bytes[22]) | uchar(bytes[23]) << 8), 0);   // positive height: bottom-up
    // First stored row is the bottom row; pixel (0, 6) is blue 18, green 30, red 0.
    EXPECT_EQ(uchar(bytes[54]), 18);
    EXPECT_EQ(uchar(bytes[55]), 30);
    const DecodedPicture back = readPictureFile(path);
    ASSERT_TRUE(back.ok()) << back.detail.toStdString();
    EXPECT_EQ(back.bitmap, original);
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(Bmp, ReadsTopDownAnd32BitFiles)
{
    const Bitmap original = gradient(5, 3);
    QTemporaryDir dir;
    ASSERT_TRUE(writeBmpFile(dir.filePath("a.bmp"), original).ok());
    QByteArray bytes = readAll(dir.filePath("a.bmp"));

    // Turn it into a top-down file: negative height, rows reversed.
    QByteArray topDown = bytes.first(54);
    put32(topDown, 22, -3);
    const int stride = 16;
    for (int r = 2; r >= 0; --r)
        topDown += bytes.mid(54 + r * stride, stride);
    const DecodedPicture td = decodeBmp(topDown);
    ASSERT_TRUE(td.ok()) << td.detail.toStdString();
    EXPECT_EQ(td.bitmap, original);

    // A 32-bit file with the pixels of the same picture.
    QByteArray wide = bytes.first(54);
    wide[28] = 32;
    for (int r = 0; r < 3; ++r)
        for (int x = 0; x < 5; ++x)
            wide += bytes.mid(54 + r * stride + 3 * x, 3) + QByteArray(1, '\xAA');
    put32(wide, 2, wide.size());
    const DecodedPicture w = decodeBmp(wide);
    ASSERT_TRUE(w.ok()) << w.detail.toStdString();
    EXPECT_EQ(w.bitmap, original);
}

TEST(Bmp, RefusesBrokenFilesWithAReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(writeBmpFile(dir.filePath("a.bmp"), gradient(8, 8)).ok());
    const QByteArray good = readAll(dir.filePath("a.bmp"));

    struct Case {
        const char *name;
        std::function<void(QByteArray &)> damage;
        PictureError expected;
    };
    const std::vector<Case> cases{
        {"empty", [](QByteArray &b) { b.clear(); }, PictureError::NotRecognised},
        {"signature only", [](QByteArray &b) { b.truncate(2); }, PictureError::Truncated},
        {"last rows missing", [](QByteArray &b) { b.truncate(b.size() - 30); }, PictureError::Truncated},
        {"height lies", [](QByteArray &b) { put32(b, 22, 9000); }, PictureError::Truncated},
        {"huge width", [](QByteArray &b) { put32(b, 18, 0x7FFFFFFF); }, PictureError::TooLarge},
        {"zero height", [](QByteArray &b) { put32(b, 22, 0); }, PictureError::Malformed},
        {"most negative height", [](QByteArray &b) { put32(b, 22, std::numeric_limits<qint32>::min()); }, PictureError::Malformed},
        {"negative width", [](QByteArray &b) { put32(b, 18, -8); }, PictureError::Malformed},
        {"pixel offset beyond the end", [](QByteArray &b) { put32(b, 10, 0x7FFFFFF0); }, PictureError::Malformed},
        {"pixel offset inside the header", [](QByteArray &b) { put32(b, 10, 20); }, PictureError::Malformed},
        {"8 bits per pixel with no room for the palette", [](QByteArray &b) { b[28] = 8; }, PictureError::Malformed},
        {"2 bits per pixel", [](QByteArray &b) { b[28] = 2; }, PictureError::Unsupported},
        {"RLE compression", [](QByteArray &b) { b[30] = 1; }, PictureError::Unsupported},
        {"bit fields on 24 bits", [](QByteArray &b) { b[30] = 3; }, PictureError::Malformed},
        {"OS/2 header", [](QByteArray &b) { put32(b, 14, 12); }, PictureError::Unsupported},
        {"info header past the end", [](QByteArray &b) { put32(b, 14, 124); b.truncate(100); }, PictureError::Truncated},
    };
    for (const Case &c : cases) {
        QByteArray b = good;
        c.damage(b);
        const DecodedPicture d = decodeBmp(b);
        EXPECT_EQ(d.error, c.expected) << c.name;
        EXPECT_TRUE(d.bitmap.isNull()) << c.name;
    }
}

TEST(Bmp, ReadsPaletteFilesOfEachDepthWithOddWidths)
{
    const ColorRef dark = rgbColor(10, 20, 30), warm = rgbColor(200, 100, 50);
    // 1 bit, 5 wide (one byte plus three padding), bottom-up; the unused low bits of each byte are set.
    expectPixels(decodeBmp(handMadeBmp(5, 2, 1, kRgb, paletteOf({dark, warm}),
                                       bytesOf({0b10110111, 0xEE, 0xEE, 0xEE, 0b01001111, 0, 0, 0}), 2)),
                 {{dark, warm, dark, dark, warm}, {warm, dark, warm, warm, dark}}, "1 bit");

    // 4 bits, 3 wide (two bytes plus two padding), top-down; no colour count means all 16.
    QByteArray sixteen;
    for (int i = 0; i < 16; ++i)
        sixteen += paletteOf({rgbColor(i * 16, 255 - i * 16, i)});
    const auto c4 = [](int i) { return rgbColor(i * 16, 255 - i * 16, i); };
    expectPixels(decodeBmp(handMadeBmp(3, -2, 4, kRgb, sixteen, bytesOf({0xF1, 0x80, 0, 0, 0x2E, 0x0F, 0, 0}))),
                 {{c4(15), c4(1), c4(8)}, {c4(2), c4(14), c4(0)}}, "4 bits");

    // 8 bits, 5 wide (five bytes plus three padding), bottom-up, a 6-colour palette.
    const std::initializer_list<ColorRef> six{0x000000, 0xFFFFFF, rgbColor(255, 0, 0), rgbColor(0, 255, 0),
                                              rgbColor(0, 0, 255), rgbColor(1, 2, 3)};
    const std::vector<ColorRef> p6(six);
    expectPixels(decodeBmp(handMadeBmp(5, 2, 8, kRgb, paletteOf(six), bytesOf({5, 4, 3, 2, 1, 9, 9, 9, 0, 1, 2, 3, 5, 0, 0, 0}), 6)),
                 {{p6[0], p6[1], p6[2], p6[3], p6[5]}, {p6[5], p6[4], p6[3], p6[2], p6[1]}}, "8 bits");
}

TEST(Bmp, Reads16BitFilesWithAndWithoutBitFields)
{
    const ColorRef red = rgbColor(255, 0, 0), green = rgbColor(0, 255, 0), blue = rgbColor(0, 0, 255);
    const ColorRef white = 0xFFFFFF, black = 0;
    // Narrow channels repeat their bits: 5-bit 16 is 132, 6-bit 32 is 130, 5-bit 7 is 57.
    const ColorRef mid555 = rgbColor(132, 132, 132), mid565 = rgbColor(132, 130, 132), low = rgbColor(57, 0, 57);

    // x555 without masks, 3 wide (six bytes plus two padding), bottom-up. The top bit is unused.
    const QByteArray rows555 = wordsOf({0x4210, 0x8000, 0x7FFF, 0, 0x7C00, 0x03E0, 0x001F, 0});
    expectPixels(decodeBmp(handMadeBmp(3, 2, 16, kRgb, {}, rows555)), {{red, green, blue}, {mid555, black, white}},
                 "555 plain");

    // 565 masks after a 40-byte header, top-down.
    const QByteArray rows565 = wordsOf({0xF800, 0x07E0, 0x001F, 0, 0x8410, 0xFFFF, 0x3807, 0});
    expectPixels(decodeBmp(handMadeBmp(3, -2, 16, kBitfields, masksOf(0xF800, 0x07E0, 0x001F), rows565)),
                 {{red, green, blue}, {mid565, white, low}}, "565 bit fields");

    // 555 masks inside a 124-byte header, the layout of newer writers.
    QByteArray v5 = handMadeBmp(3, 2, 16, kBitfields, {}, rows555, 0, 124);
    v5.replace(54, 12, masksOf(0x7C00, 0x03E0, 0x001F));
    expectPixels(decodeBmp(v5), {{red, green, blue}, {mid555, black, white}}, "555 bit fields in a long header");

    // 32 bits with the colours in the upper three bytes: bit fields are honoured, not assumed.
    QByteArray rows32(8, '\0');
    put32(rows32, 0, qint32(0xFF000000u));   // red
    put32(rows32, 4, 0x0000FF00 | 0x00800000);   // blue with green 128
    expectPixels(decodeBmp(handMadeBmp(2, 1, 32, kBitfields, masksOf(0xFF000000u, 0x00FF0000, 0x0000FF00), rows32)),
                 {{red, rgbColor(0, 128, 255)}}, "32-bit RGBx bit fields");
}

TEST(Bmp, LastRowMayLackItsPadding)
{
    // 8 bits, 5 wide: the last stored row has its five bytes but not the three padding bytes.
    QByteArray b = handMadeBmp(5, 2, 8, kRgb, paletteOf({0, 0xFFFFFF}), bytesOf({1, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0}), 2);
    b.chop(3);
    EXPECT_TRUE(decodeBmp(b).ok());
    b.chop(1);
    EXPECT_EQ(decodeBmp(b).error, PictureError::Truncated);
}

TEST(Bmp, RefusesBrokenPaletteAndBitFieldFiles)
{
    const QByteArray six = paletteOf({0, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x030201});
    const QByteArray rows8 = bytesOf({5, 4, 3, 2, 1, 0, 0, 0, 0, 1, 2, 3, 5, 0, 0, 0});
    const QByteArray rows16 = wordsOf({0xF800, 0x07E0, 0x001F, 0, 0x8410, 0xFFFF, 0x3807, 0});
    struct Case {
        const char *name;
        QByteArray file;
        PictureError expected;
    };
    QByteArray pastEnd16 = handMadeBmp(3, 2, 16, kRgb, {}, rows16);
    pastEnd16.chop(5);
    QByteArray pastEnd8 = handMadeBmp(5, 2, 8, kRgb, six, rows8, 6);
    pastEnd8.chop(4);
    QByteArray pastEnd1 = handMadeBmp(5, 3, 1, kRgb, paletteOf({0, 0xFFFFFF}), bytesOf({0, 0, 0, 0, 0xFF, 0, 0, 0}), 2);
    const std::vector<Case> cases{
        {"8-bit palette of 257 colours", handMadeBmp(5, 2, 8, kRgb, six, rows8, 257), PictureError::Malformed},
        {"4-bit palette of 17 colours", handMadeBmp(3, 1, 4, kRgb, six, bytesOf({0x01, 0x20, 0, 0}), 17), PictureError::Malformed},
        {"1-bit palette of 3 colours", handMadeBmp(5, 1, 1, kRgb, six, bytesOf({0, 0, 0, 0}), 3), PictureError::Malformed},
        {"palette past the pixel offset", handMadeBmp(5, 2, 8, kRgb, six, rows8, 0), PictureError::Malformed},
        {"palette of 7 with 6 present", handMadeBmp(5, 2, 8, kRgb, six, rows8, 7), PictureError::Malformed},
        {"8-bit index past the palette", handMadeBmp(5, 2, 8, kRgb, six, bytesOf({5, 4, 3, 2, 6, 0, 0, 0, 0, 1, 2, 3, 5, 0, 0, 0}), 6),
         PictureError::Malformed},
        {"4-bit index past the palette", handMadeBmp(3, 1, 4, kRgb, six, bytesOf({0x01, 0x60, 0, 0}), 6), PictureError::Malformed},
        {"1-bit index past a one-colour palette", handMadeBmp(5, 1, 1, kRgb, paletteOf({0}), bytesOf({0x08, 0, 0, 0}), 1),
         PictureError::Malformed},
        {"8-bit rows cut short", pastEnd8, PictureError::Truncated},
        {"16-bit rows cut short", pastEnd16, PictureError::Truncated},
        {"1-bit rows missing", pastEnd1, PictureError::Truncated},
        {"RLE8", handMadeBmp(5, 2, 8, kRle8, six, rows8, 6), PictureError::Unsupported},
        {"RLE4", handMadeBmp(3, 1, 4, kRle4, six, bytesOf({0x01, 0x20, 0, 0}), 6), PictureError::Unsupported},
        {"bit fields on 8 bits", handMadeBmp(5, 2, 8, kBitfields, six, rows8, 6), PictureError::Malformed},
        {"masks missing", handMadeBmp(3, 2, 16, kBitfields, {}, rows16), PictureError::Malformed},
        {"overlapping masks", handMadeBmp(3, 2, 16, kBitfields, masksOf(0xF800, 0x0FE0, 0x001F), rows16), PictureError::Malformed},
        {"mask with a hole", handMadeBmp(3, 2, 16, kBitfields, masksOf(0xF800, 0x07E0, 0x0015), rows16), PictureError::Malformed},
        {"zero mask", handMadeBmp(3, 2, 16, kBitfields, masksOf(0xF800, 0, 0x001F), rows16), PictureError::Malformed},
        {"mask beyond 16 bits", handMadeBmp(3, 2, 16, kBitfields, masksOf(0x1F0000, 0x07E0, 0x001F), rows16), PictureError::Malformed},
    };
    for (const Case &c : cases) {
        const DecodedPicture d = decodeBmp(c.file);
        EXPECT_EQ(d.error, c.expected) << c.name << ": " << d.detail.toStdString();
        EXPECT_TRUE(d.bitmap.isNull()) << c.name;
    }
    // The padding bits of a row are not pixels: a one-colour palette with them set still reads.
    EXPECT_TRUE(decodeBmp(handMadeBmp(5, 1, 1, kRgb, paletteOf({0}), bytesOf({0x07, 0xFF, 0xFF, 0xFF}), 1)).ok());
    EXPECT_TRUE(decodeBmp(handMadeBmp(3, 1, 4, kRgb, paletteOf({0, 0, 0}), bytesOf({0x12, 0x0F, 0xFF, 0xFF}), 3)).ok());
}

// Files written by ImageMagick must decode to exactly the pixels ImageMagick itself reads from them.
TEST(Bmp, MatchesAnIndependentDecoderOnFilesItWrote)
{
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        GTEST_SKIP() << "ImageMagick convert is not installed; it writes and decodes the reference files";
    QTemporaryDir dir;
    struct Made {
        const char *name;
        QStringList args;   // everything before the output file
        int bits;
    };
    const QString colourful = QStringLiteral("gradient:red-blue");
    const std::vector<Made> made{
        {"pal8.bmp", {"-size", "7x5", colourful, "-channel", "G", "-fx", "i/6", "+channel", "-type", "palette", "-compress", "none"}, 8},
        {"pal4.bmp", {"-size", "7x5", "gradient:", "-type", "palette", "-depth", "4"}, 4},
        {"mono.bmp", {"-size", "7x5", "gradient:", "-monochrome"}, 1},
        {"rgb565.bmp", {"-size", "7x5", colourful, "-define", "bmp:subtype=RGB565"}, 16},
        {"rgb555.bmp", {"-size", "7x5", colourful, "-define", "bmp:subtype=RGB555"}, 16},
    };
    for (const Made &m : made) {
        const QString path = dir.filePath(m.name);
        // BMP3 writes the 40-byte header and BMP the 124-byte one. With bit fields, BMP3 leaves
        // the masks out (a file this reader refuses), so 16-bit files use the long header.
        const QString format = m.bits == 16 ? "BMP:" : "BMP3:";
        QProcess write;
        write.start(convert, QStringList(m.args) << format + path);
        ASSERT_TRUE(write.waitForFinished(30000) && write.exitCode() == 0) << m.name << write.readAllStandardError().toStdString();
        const QByteArray bytes = readAll(path);
        ASSERT_GT(bytes.size(), 30) << m.name;
        ASSERT_EQ(int(bytes[28]), m.bits) << m.name << ": ImageMagick chose another depth";
        ASSERT_EQ(int(bytes[30]), m.bits == 16 ? 3 : 0) << m.name << ": unexpected compression";

        QProcess read;
        read.start(convert, {path, "-depth", "8", "rgb:-"});
        ASSERT_TRUE(read.waitForFinished(30000) && read.exitCode() == 0) << m.name;
        const QByteArray rgb = read.readAllStandardOutput();
        const DecodedPicture ours = decodeBmp(bytes);
        ASSERT_TRUE(ours.ok()) << m.name << ": " << ours.detail.toStdString();
        ASSERT_EQ(ours.bitmap.size(), QSize(7, 5)) << m.name;
        ASSERT_EQ(rgb.size(), 7 * 5 * 3) << m.name;
        QSet<ColorRef> seen;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) {
                const qsizetype at = 3 * (y * 7 + x);
                const ColorRef theirs = rgbColor(uchar(rgb[at]), uchar(rgb[at + 1]), uchar(rgb[at + 2]));
                EXPECT_EQ(ours.bitmap.pixel(x, y), theirs) << m.name << " at " << x << "," << y;
                seen.insert(theirs);
            }
        EXPECT_GE(seen.size(), 2) << m.name << ": a flat picture would prove little";
    }
}

TEST(Jpeg, RoundTripAtEachQualityStaysCloseAndSmallerAtLowerQuality)
{
    QTemporaryDir dir;
    const Bitmap original = gradient(64, 48);
    qint64 previous = std::numeric_limits<qint64>::max();
    for (int q : {100, 90, 80}) {
        const QString path = dir.filePath(QString("q%1.jpg").arg(q));
        ASSERT_TRUE(writeJpegFile(path, original, q).ok());
        const QByteArray bytes = readAll(path);
        ASSERT_EQ(sniffPicture(bytes), PictureKind::Jpeg);
        EXPECT_LT(bytes.size(), previous);
        previous = bytes.size();
        const DecodedPicture back = readPictureFile(path);
        ASSERT_TRUE(back.ok());
        ASSERT_EQ(back.bitmap.size(), original.size());
        const ColorRef a = original.pixel(20, 20), b = back.bitmap.pixel(20, 20);
        EXPECT_NEAR(redOf(a), redOf(b), 12);
        EXPECT_NEAR(blueOf(a), blueOf(b), 12);
        // Baseline: the frame header is SOF0 (FF C0), never progressive SOF2.
        EXPECT_TRUE(bytes.contains(QByteArray("\xFF\xC0", 2)));
        EXPECT_FALSE(bytes.contains(QByteArray("\xFF\xC2", 2)));
    }
}

TEST(Jpeg, ScaledDecodeCoversTheRequestedSize)
{
    const QByteArray bytes = encodeJpeg(gradient(1024, 768));
    const DecodedPicture small = decodeJpeg(bytes, QSize(128, 96));
    ASSERT_TRUE(small.ok());
    EXPECT_EQ(small.bitmap.size(), QSize(128, 96));   // 1/8
    const DecodedPicture mid = decodeJpeg(bytes, QSize(300, 200));
    EXPECT_EQ(mid.bitmap.size(), QSize(384, 288));    // 3/8 is the smallest that still covers it
}

TEST(Jpeg, RefusesGarbageAndOversizedHeaders)
{
    EXPECT_EQ(decodeJpeg(QByteArray("\xFF\xD8garbage", 9)).error, PictureError::Malformed);
    EXPECT_EQ(decodeJpeg(QByteArray("GIF89a")).error, PictureError::NotRecognised);
    QByteArray bytes = encodeJpeg(gradient(16, 16));
    // Claim 60000 x 60000 in the SOF0 header.
    const qsizetype sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    bytes[sof + 5] = char(0xEA);
    bytes[sof + 6] = char(0x60);
    bytes[sof + 7] = char(0xEA);
    bytes[sof + 8] = char(0x60);
    EXPECT_EQ(decodeJpeg(bytes).error, PictureError::TooLarge);
}

TEST(PictureFile, RecognisedByContentNotByExtension)
{
    QTemporaryDir dir;
    const QString disguised = dir.filePath("photo.jpg");
    ASSERT_TRUE(writeBmpFile(disguised, gradient(4, 4)).ok());
    EXPECT_EQ(sniffPictureFile(disguised), PictureKind::Bmp);
    EXPECT_TRUE(readPictureFile(disguised).ok());
    QFile text(dir.filePath("notes.bmp"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("hello");
    text.close();
    EXPECT_EQ(readPictureFile(text.fileName()).error, PictureError::NotRecognised);
    EXPECT_EQ(readPictureFile(dir.filePath("missing.bmp")).error, PictureError::CannotOpen);
}

TEST(PictureFile, AFullDiskFailsTheWriteAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.bmp");
    ASSERT_TRUE(writeBmpFile(path, gradient(10, 10)).ok());
    const QByteArray before = readAll(path);

    // A file-size limit stands in for a full disk: writes past it fail with EFBIG.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &tight);
    const WriteResult bmp = writeBmpFile(path, gradient(200, 200));
    const WriteResult jpg = writeJpegFile(dir.filePath("new.jpg"), gradient(400, 400), 100);
    // A picture of many row blocks, packed ahead of the writes, stopped by the disk midway.
    tight.rlim_cur = 1200000;
    setrlimit(RLIMIT_FSIZE, &tight);
    const WriteResult big = writeBmpFile(dir.filePath("big.bmp"), gradient(1600, 1200));
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(big.error, PictureError::WriteFailed);
    EXPECT_FALSE(QFile::exists(dir.filePath("big.bmp")));

    EXPECT_EQ(bmp.error, PictureError::WriteFailed);
    EXPECT_TRUE(bmp.system);
    EXPECT_EQ(jpg.error, PictureError::WriteFailed);
    EXPECT_EQ(readAll(path), before);
    EXPECT_FALSE(QFile::exists(dir.filePath("new.jpg")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);   // no temporary left
}

TEST(PictureFile, AReadOnlyFolderFailsTheWrite)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(writeBmpFile(dir.filePath("x.bmp"), gradient(2, 2)).error, PictureError::WriteFailed);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// What the decoders hand back for the user's message: the code, the size a picture too large
// claims, and a warning for a JPEG shown although not whole.
TEST(PictureFile, ReasonsComeBackAsCodesWithTheClaimedSize)
{
    QTemporaryDir dir;
    const auto file = [&](const char *name, const QByteArray &bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    QByteArray huge = handMadeBmp(4, 4, 24, 0, {}, QByteArray(48, '\0'));
    put32(huge, 18, 20000);
    put32(huge, 22, 20000);
    QByteArray hugeJpeg = encodeJpeg(gradient(16, 16));
    const qsizetype sof = hugeJpeg.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    hugeJpeg[sof + 5] = char(0x4E);   // 20000 = 0x4E20 rows
    hugeJpeg[sof + 6] = char(0x20);
    hugeJpeg[sof + 7] = char(0x27);   // 10000 = 0x2710 columns
    hugeJpeg[sof + 8] = char(0x10);
    struct Case {
        const char *name;
        QString path;
        PictureError error;
        QSize claimed;
    };
    const Case cases[] = {
        {"empty file", file("empty.jpg", {}), PictureError::Empty, {}},
        {"20000 x 20000 BMP", file("huge.bmp", huge), PictureError::TooLarge, {20000, 20000}},
        {"10000 x 20000 JPEG", file("huge.jpg", hugeJpeg), PictureError::TooLarge, {10000, 20000}},
        {"text", file("text.jpg", "hello"), PictureError::NotRecognised, {}},
        {"missing", dir.filePath("none.bmp"), PictureError::CannotOpen, {}},
    };
    for (const Case &c : cases) {
        const DecodedPicture d = readPictureFile(c.path);
        EXPECT_EQ(d.error, c.error) << c.name;
        EXPECT_EQ(d.claimedSize, c.claimed) << c.name;
    }
}

TEST(PictureFile, ReadAsAKindRefusesTheOtherKind)
{
    QTemporaryDir dir;
    const QString jpeg = dir.filePath("p.bmp");
    ASSERT_TRUE(writeJpegFile(jpeg, gradient(8, 8)).ok());
    const DecodedPicture asBmp = readPictureFile(jpeg, {}, PictureKind::Bmp);
    EXPECT_EQ(asBmp.error, PictureError::OtherKind);
    EXPECT_EQ(asBmp.content, PictureKind::Jpeg);
    EXPECT_TRUE(readPictureFile(jpeg, {}, PictureKind::Jpeg).ok());
    QFile empty(dir.filePath("e.bmp"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_EQ(readPictureFile(empty.fileName(), {}, PictureKind::Bmp).error, PictureError::Empty);
}

TEST(Jpeg, ACutOffFileIsShownWithAWarningAndADamagedOneWithAnother)
{
    const QByteArray whole = encodeJpeg(gradient(256, 192), 90);
    const DecodedPicture intact = decodeJpeg(whole);
    ASSERT_TRUE(intact.ok());
    EXPECT_EQ(intact.warning, PictureWarning::None);

    // Cut in the middle of the compressed data: the upper rows decode, the rest is grey.
    const DecodedPicture cut = decodeJpeg(whole.left(whole.size() * 2 / 3));
    ASSERT_TRUE(cut.ok()) << cut.detail.toStdString();
    EXPECT_EQ(cut.warning, PictureWarning::Incomplete);
    EXPECT_EQ(cut.bitmap.size(), QSize(256, 192));
    EXPECT_EQ(cut.bitmap.image().pixel(10, 5), intact.bitmap.image().pixel(10, 5));
    const QRgb bottom = cut.bitmap.image().pixel(128, 190);
    EXPECT_EQ(qRed(bottom), qGreen(bottom));   // grey where the data ran out
    EXPECT_EQ(qGreen(bottom), qBlue(bottom));

    // Stray bytes before the end marker: the end is there, the data is damaged.
    QByteArray stray = whole;
    stray.insert(stray.size() - 2, QByteArray("\x12\x34\x56", 3));
    const DecodedPicture damaged = decodeJpeg(stray);
    ASSERT_TRUE(damaged.ok());
    EXPECT_EQ(damaged.warning, PictureWarning::Damaged);
}
