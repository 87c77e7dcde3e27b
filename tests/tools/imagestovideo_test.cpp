#include "clips.h"
#include "fakes.h"
#include "platform/aviwriter.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/frameextractor.h"
#include "platform/gst/gstaviwriter.h"
#include "platform/gst/gstvideoframereader.h"
#include "platform/picturecodec.h"
#include "platform/videoframereader.h"
#include "tools/imagestovideo.h"
#include "tools/imagestovideoconverter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ImagesToVideo, FramePeriodIsTheWholeMillisecondsOfOneFrame)
{
    EXPECT_EQ(tools::framePeriodMs(30), 33);
    EXPECT_EQ(tools::framePeriodMs(7), 142);
    EXPECT_EQ(tools::framePeriodMs(5), 200);
    EXPECT_EQ(tools::framePeriodMs(0), 1000);   // clamped to the slider's range
}

TEST(ImagesToVideo, PreviewRunsForwardOrBackAndRepeatsOnlyWhenAsked)
{
    EXPECT_EQ(tools::startIndex(3, false), 0);
    EXPECT_EQ(tools::startIndex(3, true), 2);
    EXPECT_EQ(tools::nextIndex(0, 3, false, false), 1);
    EXPECT_EQ(tools::nextIndex(2, 3, false, false), std::nullopt);
    EXPECT_EQ(tools::nextIndex(2, 3, false, true), 0);
    EXPECT_EQ(tools::nextIndex(0, 3, true, false), std::nullopt);
    EXPECT_EQ(tools::nextIndex(0, 3, true, true), 2);
    EXPECT_EQ(tools::nextIndex(0, 0, true, true), std::nullopt);
}

platform::Bitmap coded(int index, int w = 176, int h = 100) { return platform::Bitmap(testclips::codedFrame(index, w, h)); }

class ImagesToVideoRun : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString put(const QString &name, const platform::Bitmap &b)
    {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(name.endsWith(QStringLiteral(".jpg")) ? platform::writeJpegFile(path, b, 100).ok()
                                                           : platform::writeBmpFile(path, b).ok());
        return path;
    }

    tools::ImagesToVideoResult run(const QStringList &chosen, bool reverse, int rate = 30, const QString &compressor = {})
    {
        tools::ImagesToVideoJob job;
        job.folder = dir_.path();
        job.chosen = chosen;
        job.reverse = reverse;
        job.outputPath = output();
        job.framePeriodMs = tools::framePeriodMs(rate);
        job.compressor = compressor;
        job.periodMs = 0;
        QSignalSpy done(&converter_, &tools::ImagesToVideoConverter::finished);
        EXPECT_TRUE(converter_.start(job));
        EXPECT_TRUE(done.wait(60000));
        return done.isEmpty() ? tools::ImagesToVideoResult{} : done.first().at(0).value<tools::ImagesToVideoResult>();
    }

    // The index each frame of the output carries, read back in order.
    std::vector<int> framesOf(const QString &path)
    {
        std::vector<int> indexes;
        const std::optional<platform::AviFrameData> data = platform::probeVideo(path);
        if (!data)
            return indexes;
        std::unique_ptr<platform::VideoFrameReader> reader = platform::openVideoFrameReader(path);
        if (!reader)
            return indexes;
        const int frames = int(std::llround(data->lengthSeconds * data->framesPerSecond));
        for (int k = 0; k < frames; ++k) {
            const std::optional<platform::Bitmap> f = reader->frameAt(k / data->framesPerSecond);
            indexes.push_back(f ? testclips::decodeFrameIndex(f->image()) : -2);
        }
        return indexes;
    }

    QString output() const { return dir_.filePath(QStringLiteral("out.avi")); }

    QTemporaryDir dir_;
    platform::DiagnosticsLog log_;
    tools::ImagesToVideoConverter converter_{log_, [](const platform::AviWriterOptions &o) {
                                                 return platform::createAviWriter(o);
                                             }};
};

TEST_F(ImagesToVideoRun, ListingKeepsOnlyFilesWhoseContentMatchesTheirName)
{
    put(QStringLiteral("b.bmp"), coded(1));
    put(QStringLiteral("a.bmp"), coded(2));
    // A JPEG under a BMP name, and a text file under a JPEG name.
    QFile::copy(put(QStringLiteral("real.jpg"), coded(3)), dir_.filePath(QStringLiteral("fake.bmp")));
    QFile text(dir_.filePath(QStringLiteral("notes.jpg")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("hello");
    text.close();
    EXPECT_EQ(tools::listPictures(dir_.path(), false), (QStringList{"a.bmp", "b.bmp"}));
    EXPECT_EQ(tools::listPictures(dir_.path(), true), (QStringList{"real.jpg"}));
}

TEST_F(ImagesToVideoRun, ReverseWritesTheChosenPicturesLastToFirstAtThirtyFrames)
{
    put(QStringLiteral("a.bmp"), coded(1));
    put(QStringLiteral("b.bmp"), coded(2));
    put(QStringLiteral("c.bmp"), coded(3));
    const tools::ImagesToVideoResult r = run({"a.bmp", "b.bmp", "c.bmp"}, true, 30);
    EXPECT_TRUE(r.fileWritten);
    EXPECT_EQ(r.framesWritten, 3);
    EXPECT_EQ(framesOf(output()), (std::vector<int>{3, 2, 1}));
    // A 33 ms period: the stream runs at 1000/33 frames a second.
    const std::optional<platform::AviFrameData> data = platform::probeVideo(output());
    ASSERT_TRUE(data);
    EXPECT_NEAR(data->framesPerSecond, 1000.0 / 33, 1e-3);
}

TEST_F(ImagesToVideoRun, TheChosenOrderWinsOverTheFolderOrder)
{
    put(QStringLiteral("a.jpg"), coded(1));
    put(QStringLiteral("b.jpg"), coded(2));
    put(QStringLiteral("c.jpg"), coded(3));
    run({"c.jpg", "a.jpg", "b.jpg"}, false, 5);
    EXPECT_EQ(framesOf(output()), (std::vector<int>{3, 1, 2}));
}

TEST_F(ImagesToVideoRun, UncompressedFramesDecodeBitExact)
{
    platform::Bitmap noise(64, 48);
    std::uint32_t seed = 12345;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            seed = seed * 1103515245u + 12345u;
            noise.setPixel(x, y, seed >> 8 & 0xFFFFFF);
        }
    put(QStringLiteral("n.bmp"), noise);
    const tools::ImagesToVideoResult r = run({"n.bmp"}, false, 10);
    ASSERT_TRUE(r.fileWritten);
    std::unique_ptr<platform::VideoFrameReader> reader = platform::openVideoFrameReader(output());
    ASSERT_TRUE(reader);
    const std::optional<platform::Bitmap> back = reader->frameAt(0);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), noise.size());
    int differing = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            differing += back->pixel(x, y) != noise.pixel(x, y);
    EXPECT_EQ(differing, 0);
}

TEST_F(ImagesToVideoRun, MjpegOutputHoldsEveryFrame)
{
    for (int i = 0; i < 5; ++i)
        put(QStringLiteral("f%1.jpg").arg(i), coded(i + 10));
    const tools::ImagesToVideoResult r =
        run({"f0.jpg", "f1.jpg", "f2.jpg", "f3.jpg", "f4.jpg"}, false, 25, QStringLiteral("jpegenc"));
    ASSERT_TRUE(r.fileWritten);
    EXPECT_EQ(framesOf(output()), (std::vector<int>{10, 11, 12, 13, 14}));
}

TEST_F(ImagesToVideoRun, PicturesOfAnotherSizeOrUnreadableOnesAreSkippedAndLogged)
{
    put(QStringLiteral("a.bmp"), coded(1));
    put(QStringLiteral("big.bmp"), coded(2, 352, 200));
    QFile broken(dir_.filePath(QStringLiteral("broken.bmp")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("BM but nothing else");
    broken.close();
    put(QStringLiteral("c.bmp"), coded(3));
    QSignalSpy progress(&converter_, &tools::ImagesToVideoConverter::progressed);
    const tools::ImagesToVideoResult r = run({"a.bmp", "big.bmp", "broken.bmp", "c.bmp"}, false, 5);
    EXPECT_EQ(r.framesWritten, 2);
    EXPECT_EQ(framesOf(output()), (std::vector<int>{1, 3}));
    EXPECT_TRUE(log_.contains(QStringLiteral("I2V skipped big.bmp: not the size of the first frame")));
    EXPECT_TRUE(log_.contains(QStringLiteral("I2V convert bmp error")));
    const auto last = progress.last().at(0).value<tools::ConversionProgress>();
    EXPECT_EQ(last.status, tools::ConversionStatus::Finished);
    EXPECT_EQ(last.percent, 100);
}

TEST_F(ImagesToVideoRun, ARunThatWroteNothingLeavesNoFileAndSaysSo)
{
    QFile broken(dir_.filePath(QStringLiteral("x.jpg")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("\xFF\xD8 not really");
    broken.close();
    QSignalSpy progress(&converter_, &tools::ImagesToVideoConverter::progressed);
    const tools::ImagesToVideoResult r = run({"x.jpg"}, false);
    EXPECT_FALSE(r.fileWritten);
    EXPECT_FALSE(QFileInfo::exists(output()));
    EXPECT_TRUE(QDir(dir_.path()).entryList({"*.part"}, QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_EQ(progress.last().at(0).value<tools::ConversionProgress>().status, tools::ConversionStatus::Stopped);
}

TEST_F(ImagesToVideoRun, OnePictureShowsAHundredPercentWhenWritten)
{
    put(QStringLiteral("only.jpg"), coded(7));
    QSignalSpy progress(&converter_, &tools::ImagesToVideoConverter::progressed);
    const tools::ImagesToVideoResult r = run({"only.jpg"}, false);
    EXPECT_TRUE(r.fileWritten);
    const auto last = progress.last().at(0).value<tools::ConversionProgress>();
    EXPECT_EQ(last.percent, 100);
    EXPECT_EQ(last.done, 1);
    EXPECT_EQ(last.status, tools::ConversionStatus::Finished);
}

TEST_F(ImagesToVideoRun, FinishingNowClosesTheFileWithTheFramesWrittenSoFar)
{
    QStringList chosen;
    for (int i = 0; i < 40; ++i)
        chosen << QFileInfo(put(QStringLiteral("p%1.bmp").arg(i, 2, 10, QLatin1Char('0')), coded(i))).fileName();
    tools::ImagesToVideoJob job;
    job.folder = dir_.path();
    job.chosen = chosen;
    job.outputPath = output();
    job.framePeriodMs = 100;
    job.periodMs = 0;
    QSignalSpy progress(&converter_, &tools::ImagesToVideoConverter::progressed);
    QSignalSpy done(&converter_, &tools::ImagesToVideoConverter::finished);
    ASSERT_TRUE(converter_.start(job));
    while (progress.size() < 4)
        ASSERT_TRUE(progress.wait(30000));
    converter_.finishNow();
    ASSERT_EQ(done.size(), 1);
    const auto r = done.first().at(0).value<tools::ImagesToVideoResult>();
    EXPECT_TRUE(r.fileWritten);
    const std::vector<int> frames = framesOf(output());
    ASSERT_EQ(int(frames.size()), r.framesWritten);
    for (int k = 0; k < int(frames.size()); ++k)
        EXPECT_EQ(frames[k], k);
    EXPECT_FALSE(converter_.converting());
}

TEST_F(ImagesToVideoRun, AReplacedFileKeepsItsOldContentUntilTheNewOneIsComplete)
{
    QFile old(output());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old video");
    old.close();
    QFile broken(dir_.filePath(QStringLiteral("x.jpg")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("\xFF\xD8 not really");
    broken.close();
    run({"x.jpg"}, false);
    // Nothing could be written: the older file is still there, unchanged.
    QFile again(output());
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), QByteArray("old video"));
}

} // namespace
