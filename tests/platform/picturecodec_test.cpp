#include "platform/picturecodec.h"

#include <QFile>
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
        {"8 bits per pixel", [](QByteArray &b) { b[28] = 8; }, PictureError::Unsupported},
        {"RLE compression", [](QByteArray &b) { b[30] = 1; }, PictureError::Unsupported},
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
    setrlimit(RLIMIT_FSIZE, &old);

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
