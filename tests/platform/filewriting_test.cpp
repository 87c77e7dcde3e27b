// Writing files: the atomic replacement every saved file goes through, what it leaves behind when
// the disk refuses, and the JPEG writer's quality rule. Real files in a temporary folder.
#include "platform/atomicfile.h"
#include "platform/picturecodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "fakes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace platform;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every entry, hidden ones included: a half-written file starts with a dot.
QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void writeText(const QString &path, const QByteArray &text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}


Bitmap gradient(int w, int h)
{
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, rgbColor(x * 7, y * 5, (x + y) * 3));
    return b;
}

} // namespace

TEST(AtomicFile, PiecesReplaceTheOldContentWholeAndInOrder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.ini");
    writeText(path, "old content that is longer than the new one");
    const char head[] = "[Initial]\n";
    const char body[] = "DefData.Init=1\n";
    ASSERT_FALSE(writeFileAtomically(path, {ByteSpan{head, sizeof head - 1}, ByteSpan{body, sizeof body - 1}}));
    EXPECT_EQ(readAll(path), "[Initial]\nDefData.Init=1\n");
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"settings.ini"});
}

TEST(AtomicFile, AWriterDroppedBeforeCommitLeavesTheOldFileAndNothingElse)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.bmp");
    writeText(path, "previous");
    {
        AtomicFileWriter writer(path);
        writer.write("half", 4);
    }
    EXPECT_EQ(readAll(path), "previous");
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"a.bmp"});
}

TEST(AtomicFile, AFailedWriteLeavesTheOldFileAndNoTemporaryFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("big.bmp");
    writeText(path, "previous");
    const QByteArray data(256 * 1024, 'x');
    std::error_code ec;
    {
        fakes::FileSizeLimit limit(64 * 1024);
        ASSERT_TRUE(limit.ok);
        ec = writeFileAtomically(path, data.constData(), std::size_t(data.size()));
    }
    EXPECT_EQ(ec, std::make_error_code(std::errc::file_too_large));
    EXPECT_EQ(readAll(path), "previous");
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"big.bmp"}) << "the half-written file must go";
}

TEST(AtomicFile, AFailedRenameLeavesNoTemporaryFile)
{
    QTemporaryDir dir;
    // A non-empty folder where the file should go: the data is written, the rename is refused.
    ASSERT_TRUE(QDir(dir.path()).mkpath("taken.jpg/inside"));
    const std::error_code ec = writeFileAtomically(dir.filePath("taken.jpg"), "data", 4);
    EXPECT_TRUE(ec);
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"taken.jpg"});
    EXPECT_TRUE(QFileInfo(dir.filePath("taken.jpg")).isDir());
}

TEST(AtomicFile, AMissingFolderIsReportedAndCreatesNothing)
{
    QTemporaryDir dir;
    const std::error_code ec = writeFileAtomically(dir.filePath("missing/x.ini"), "data", 4);
    EXPECT_EQ(ec, std::make_error_code(std::errc::no_such_file_or_directory));
    EXPECT_TRUE(entriesOf(dir.path()).isEmpty());
}

TEST(JpegWriter, QualityOutsideOneToHundredMeansTheDefault)
{
    const Bitmap picture = gradient(48, 32);
    const QByteArray standard = encodeJpeg(picture, kDefaultJpegQuality);
    ASSERT_FALSE(standard.isEmpty());
    for (int quality : {0, -5, 101, 1000})
        EXPECT_EQ(encodeJpeg(picture, quality), standard) << quality;
    EXPECT_NE(encodeJpeg(picture, 1), standard);     // the ends of the range are real qualities
    EXPECT_NE(encodeJpeg(picture, 100), standard);
    EXPECT_LT(encodeJpeg(picture, 1).size(), encodeJpeg(picture, 100).size());
}

TEST(JpegWriter, ThumbnailScalingKeepsBothSidesCoveredForAPortraitPicture)
{
    // 480 x 960 to cover 100 x 300: 3/8 (180 x 360); 1/4 (120 x 240) is too short.
    const QByteArray bytes = encodeJpeg(gradient(480, 960));
    const DecodedPicture tall = decodeJpeg(bytes, QSize(100, 300));
    ASSERT_TRUE(tall.ok());
    EXPECT_EQ(tall.bitmap.size(), QSize(180, 360));
    // To cover 300 x 100: 5/8 (300 x 600); 1/2 (240 wide) is too narrow.
    const DecodedPicture wide = decodeJpeg(bytes, QSize(300, 100));
    ASSERT_TRUE(wide.ok());
    EXPECT_EQ(wide.bitmap.size(), QSize(300, 600));
}

TEST(JpegWriter, WrittenFileReadsBackByItsContent)
{
    QTemporaryDir dir;
    const Bitmap picture(40, 30, rgbColor(200, 40, 10));
    ASSERT_TRUE(writeJpegFile(dir.filePath("shot.bmp"), picture).ok());   // the name does not decide
    const DecodedPicture back = readPictureFile(dir.filePath("shot.bmp"));
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.bitmap.size(), QSize(40, 30));
    EXPECT_NEAR(int(back.bitmap.pixel(20, 15) & 0xFF), 200, 6);   // red is the low byte
    EXPECT_EQ(entriesOf(dir.path()), QStringList{"shot.bmp"});
}

TEST(PictureSniffing, OnlyTheFullSignatureCounts)
{
    EXPECT_EQ(sniffPicture("BM"), PictureKind::Bmp);
    EXPECT_EQ(sniffPicture("BA"), PictureKind::Unknown);   // an OS/2 bitmap array is not ours
    EXPECT_EQ(sniffPicture("B"), PictureKind::Unknown);
    EXPECT_EQ(sniffPicture("\xFF\xD8"), PictureKind::Jpeg);
    EXPECT_EQ(sniffPicture("\xFF\xD9"), PictureKind::Unknown);
    EXPECT_EQ(sniffPicture("\xD8\xFF"), PictureKind::Unknown);
    QTemporaryDir dir;
    writeText(dir.filePath("array.bmp"), QByteArray("BA") + QByteArray(60, '\0'));
    EXPECT_EQ(readPictureFile(dir.filePath("array.bmp")).error, PictureError::NotRecognised);
    writeText(dir.filePath("one.bmp"), "B");
    EXPECT_EQ(readPictureFile(dir.filePath("one.bmp")).error, PictureError::NotRecognised);
}
