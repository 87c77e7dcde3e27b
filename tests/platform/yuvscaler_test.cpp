// The shown picture made from luma and chroma planes: the codec's planes, the colour conversion
// against worked JFIF examples, every vector version against the portable one, and the shown
// picture against the one made by converting first and filtering after.
#include "platform/filtertaps.h"
#include "platform/frameanalyzer.h"
#include "platform/jpegcodec.h"
#include "platform/picturecodec.h"
#include "platform/previewdecoder.h"
#include "platform/yuvplanes.h"
#include "platform/yuvscaler.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using platform::JpegCodec;
using platform::SimdLevel;
using platform::YuvPlanes;
using platform::YuvScaler;

namespace {

// Planes of one flat colour, 4:2:0.
YuvPlanes flatPlanes(QSize luma, int y, int cb, int cr)
{
    YuvPlanes p;
    p.reshape(luma, QSize((luma.width() + 1) / 2, (luma.height() + 1) / 2), 2, 2);
    std::fill(p.y.begin(), p.y.end(), std::uint8_t(y));
    std::fill(p.cb.begin(), p.cb.end(), std::uint8_t(cb));
    std::fill(p.cr.begin(), p.cr.end(), std::uint8_t(cr));
    return p;
}

QImage shown(const YuvPlanes &planes, QSize size, SimdLevel level = platform::bestSimdLevel())
{
    YuvScaler scaler(level);
    QImage out(size, QImage::Format_RGB32);
    scaler.scale(planes, out);
    return out;
}

// A busy colour picture with fine detail, odd-sized so that every kernel runs its tail.
QImage busyPicture(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 255) / w, (y * 255) / h, ((x ^ y) & 0x3F) * 4));
    QPainter p(&image);
    p.setPen(QPen(Qt::red, 1));
    for (int x = 3; x < w; x += 7)
        p.drawLine(x, 0, x, h - 1);
    return image;
}

std::vector<SimdLevel> levelsHere() { return platform::simdLevelsHere(); }

// Keeps the rows a scaler hands on, as an analyzer reading them while they are made sees them.
struct RowRecorder final : platform::ShownRows {
    QImage rows;
    int count = 0;
    void begin(QSize size) override
    {
        rows = QImage(size, QImage::Format_RGB32);
        rows.fill(Qt::black);
        count = 0;
    }
    void row(const QRgb *pixels) override
    {
        if (count < rows.height())
            std::memcpy(rows.scanLine(count), pixels, std::size_t(rows.width()) * 4);
        ++count;
    }
};

} // namespace

TEST(YuvScaler, ConvertsAsJfifDoesWithinOneLevel)
{
    struct Case {
        int y, cb, cr;
        int r, g, b;   // worked from R = Y + 1.402 Cr', G = Y - 0.34414 Cb' - 0.71414 Cr', B = Y + 1.772 Cb'
    };
    const Case cases[] = {
        {128, 128, 128, 128, 128, 128}, {255, 128, 128, 255, 255, 255}, {0, 128, 128, 0, 0, 0},
        {76, 85, 255, 254, 0, 0},      // red
        {150, 44, 21, 0, 255, 1},      // green
        {29, 255, 107, 0, 0, 254},     // blue
        {200, 100, 170, 255, 180, 150}, // 258.9 clamps; 200 + 9.64 - 29.99 = 179.6; 150.4
    };
    for (const Case &c : cases)
        for (SimdLevel level : levelsHere()) {
            const QImage out = shown(flatPlanes({40, 6}, c.y, c.cb, c.cr), {40, 6}, level);
            for (QPoint at : {QPoint(0, 0), QPoint(39, 5), QPoint(17, 3)}) {
                const QRgb px = out.pixel(at);
                EXPECT_NEAR(qRed(px), c.r, 1) << c.y << "," << c.cb << "," << c.cr << " level " << int(level);
                EXPECT_NEAR(qGreen(px), c.g, 1) << c.y << "," << c.cb << "," << c.cr << " level " << int(level);
                EXPECT_NEAR(qBlue(px), c.b, 1) << c.y << "," << c.cb << "," << c.cr << " level " << int(level);
                EXPECT_EQ(qAlpha(px), 255);
            }
        }
}

TEST(YuvScaler, FlatPlanesStayExactlyFlatAtEverySize)
{
    const YuvPlanes planes = flatPlanes({1600, 1200}, 180, 90, 200);
    const QRgb expected = shown(planes, {1600, 1200}).pixel(0, 0);
    for (QSize to : {QSize(1920, 972), QSize(400, 300), QSize(7, 5), QSize(1376, 1032), QSize(3000, 2000), QSize(1, 1)}) {
        const QImage out = shown(planes, to);
        for (QPoint p : {QPoint(0, 0), QPoint(to.width() - 1, to.height() - 1), QPoint(to.width() / 2, to.height() / 3)})
            EXPECT_EQ(out.pixel(p), expected) << to.width() << "x" << to.height();
    }
}

TEST(YuvScaler, EveryVectorVersionGivesThePortableBytes)
{
    const QByteArray jpeg = platform::encodeJpeg(platform::Bitmap(busyPicture(803, 601)), 90);
    JpegCodec codec;
    YuvPlanes planes;
    ASSERT_TRUE(codec.decodePlanes(reinterpret_cast<const std::uint8_t *>(jpeg.constData()), std::size_t(jpeg.size()),
                                   planes, false));
    ASSERT_EQ(planes.lumaSize, QSize(803, 601));
    ASSERT_EQ(planes.chromaSize, QSize(402, 301));
    // Shrinking by more than two, by a little, the same size, enlarging; odd widths for the tails.
    for (QSize to : {QSize(200, 150), QSize(640, 480), QSize(803, 601), QSize(1021, 767), QSize(1920, 972), QSize(33, 600)}) {
        const QImage portable = shown(planes, to, SimdLevel::Portable);
        for (SimdLevel level : levelsHere()) {
            EXPECT_EQ(shown(planes, to, level), portable) << to.width() << "x" << to.height() << " level " << int(level);
            // With an analyzer reading the rows as they are made: the same picture, and the rows
            // it saw are the picture's, each once.
            YuvScaler scaler(level);
            QImage out(to, QImage::Format_RGB32);
            RowRecorder recorder;
            scaler.scale(planes, out, &recorder);
            EXPECT_EQ(out, portable) << to.width() << "x" << to.height() << " level " << int(level);
            EXPECT_EQ(recorder.count, to.height());
            EXPECT_EQ(recorder.rows, portable);
        }
    }
}

TEST(YuvScaler, GreyPicturesComeOutGrey)
{
    QImage grey(64, 48, QImage::Format_Grayscale8);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            grey.scanLine(y)[x] = uchar(x * 4);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&buffer, "jpeg").write(grey));
    JpegCodec codec;
    const auto *data = reinterpret_cast<const std::uint8_t *>(jpeg.constData());
    const std::optional<platform::JpegHeader> header = codec.readHeader(data, std::size_t(jpeg.size()));
    ASSERT_TRUE(header);
    EXPECT_TRUE(header->grey);
    EXPECT_TRUE(header->planar);
    YuvPlanes planes;
    ASSERT_TRUE(codec.decodePlanes(data, std::size_t(jpeg.size()), planes, false));
    EXPECT_TRUE(planes.grey());
    for (SimdLevel level : levelsHere()) {
        const QImage out = shown(planes, {100, 30}, level);
        for (int x = 0; x < 100; x += 9) {
            const QRgb px = out.pixel(x, 15);
            EXPECT_EQ(qRed(px), qGreen(px));
            EXPECT_EQ(qGreen(px), qBlue(px));
        }
        EXPECT_LT(qGray(out.pixel(2, 15)), qGray(out.pixel(97, 15)));
    }
}

TEST(JpegCodec, HeadersAndReducedSizes)
{
    const QByteArray jpeg = platform::encodeJpeg(platform::Bitmap(busyPicture(101, 75)), 90);
    JpegCodec codec;
    const std::optional<platform::JpegHeader> header =
        codec.readHeader(reinterpret_cast<const std::uint8_t *>(jpeg.constData()), std::size_t(jpeg.size()));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->size, QSize(101, 75));
    EXPECT_EQ(header->chromaStepX, 2);   // the encoder writes 4:2:0
    EXPECT_EQ(header->chromaStepY, 2);
    EXPECT_TRUE(header->planar);
    EXPECT_FALSE(header->grey);
    EXPECT_EQ(JpegCodec::reducedSize({101, 75}, 8), QSize(13, 10));   // sides round up
    EXPECT_EQ(JpegCodec::reducedSize({1600, 1200}, 4), QSize(400, 300));
    const QByteArray garbage("\xFF\xD8garbage", 9);
    EXPECT_FALSE(codec.readHeader(reinterpret_cast<const std::uint8_t *>(garbage.constData()), std::size_t(garbage.size())));
    EXPECT_FALSE(codec.readHeader(nullptr, 0));
    YuvPlanes planes;
    EXPECT_FALSE(codec.decodePlanes(reinterpret_cast<const std::uint8_t *>(garbage.constData()),
                                    std::size_t(garbage.size()), planes, false));
}

// Full Screen on a 1920 x 1080 monitor: the planes are filtered and only the shown pixels
// converted, and the picture is the one the old order (convert all, then filter) made, within a
// level or so on average (chroma is filtered at its own resolution now).
TEST(PreviewDecoder, FullScreenFromPlanesMatchesConvertingFirst)
{
    const QImage picture = busyPicture(1600, 1200);
    const QByteArray jpeg = platform::encodeJpeg(platform::Bitmap(picture), 85);
    const auto *data = reinterpret_cast<const unsigned char *>(jpeg.constData());
    platform::PreviewDecoder decoder;
    QSize size;
    const QImage fromPlanes = decoder.decodeJpeg(data, std::size_t(jpeg.size()), {1920, 972}, size);
    ASSERT_EQ(fromPlanes.size(), QSize(1920, 972));
    EXPECT_EQ(decoder.reductionCounts()[0], 1u);
    const platform::DecodedPicture full = platform::decodeJpeg(jpeg);
    ASSERT_TRUE(full.ok());
    const QImage convertedFirst = platform::scaleForPreview(full.bitmap.image(), {1920, 972});
    double sum = 0;
    for (int y = 0; y < 972; y += 3)
        for (int x = 0; x < 1920; x += 3)
            sum += std::abs(qGray(fromPlanes.pixel(x, y)) - qGray(convertedFirst.pixel(x, y)));
    EXPECT_LT(sum / (324.0 * 640.0), 1.5);
}

// A strong reduction in few weight steps: before, the rounding surplus of many small taps was
// taken from the largest one, which went negative, and a shrunk gradient came out as noise.
TEST(FilterTaps, WeightsStayBetweenZeroAndTheUnitAndSumToIt)
{
    struct Case {
        int from, to, unit;
    };
    for (const Case &c : {Case{803, 33, 64}, Case{1600, 7, 128}, Case{1600, 7, 256}, Case{1200, 972, 128},
                          Case{1600, 1920, 64}, Case{601, 600, 128}, Case{2592, 1, 64}, Case{5, 3000, 64}}) {
        const platform::FilterTaps t = platform::makeFilterTaps(c.from, c.to, c.unit);
        for (int i = 0; i < c.to; ++i) {
            int sum = 0;
            for (int k = 0; k < t.count[std::size_t(i)]; ++k) {
                const int w = t.weight[std::size_t(t.first[std::size_t(i)] + k)];
                EXPECT_GE(w, 0) << c.from << "->" << c.to << " output " << i;
                EXPECT_LE(w, c.unit);
                sum += w;
            }
            EXPECT_EQ(sum, c.unit) << c.from << "->" << c.to << " output " << i;
        }
    }
    // A 1600-pixel ramp shrunk to 7: each pixel is the mean of the 228 or so it covers.
    QImage ramp(1600, 2, QImage::Format_RGB32);
    for (int x = 0; x < 1600; ++x)
        for (int y = 0; y < 2; ++y)
            ramp.setPixel(x, y, qRgb(x * 255 / 1599, x * 255 / 1599, x * 255 / 1599));
    const QImage seven = platform::scaleForPreview(ramp, {7, 1});
    for (int i = 0; i < 7; ++i)
        EXPECT_NEAR(qGray(seven.pixel(i, 0)), (i + 0.5) * 1600 / 7 * 255 / 1599, 2) << i;
}

// The header read just before a decode is reused for that decode only, and only for the same
// bytes: a frame of another size in between is decoded by its own header.
TEST(JpegCodec, AHeaderServesOnlyTheNextDecodeOfItsOwnBytes)
{
    const QByteArray small = platform::encodeJpeg(platform::Bitmap(busyPicture(64, 48)), 90);
    const QByteArray large = platform::encodeJpeg(platform::Bitmap(busyPicture(320, 240)), 90);
    auto bytes = [](const QByteArray &b) { return reinterpret_cast<const std::uint8_t *>(b.constData()); };
    JpegCodec codec;
    YuvPlanes planes;
    ASSERT_TRUE(codec.readHeader(bytes(small), std::size_t(small.size())));
    ASSERT_TRUE(codec.decodePlanes(bytes(large), std::size_t(large.size()), planes, false));
    EXPECT_EQ(planes.lumaSize, QSize(320, 240));
    ASSERT_TRUE(codec.readHeader(bytes(small), std::size_t(small.size())));
    ASSERT_TRUE(codec.decodePlanes(bytes(small), std::size_t(small.size()), planes, false));
    EXPECT_EQ(planes.lumaSize, QSize(64, 48));
    QImage out(QSize(320, 240), QImage::Format_RGB32);
    ASSERT_TRUE(codec.decodeBgrx(bytes(large), std::size_t(large.size()), 1, out.bits(), out.bytesPerLine(), false));
    EXPECT_NEAR(qRed(out.pixel(319, 120)), 255, 8);   // the right edge of the red ramp, decoded whole
}
