#include "clips.h"
#include "fakes.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/gstvideoframereader.h"
#include "platform/picturecodec.h"
#include "platform/videoframereader.h"
#include "tools/toolnaming.h"
#include "tools/videotoimages.h"
#include "tools/videotoimagesconverter.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/frameextractor.h"
#include "platform/picturecodec.h"
#include "platform/videoframereader.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using tools::VideoInfo;

VideoInfo info(double length, double fps)
{
    platform::AviFrameData d;
    d.lengthSeconds = length;
    d.framesPerSecond = fps;
    return tools::videoInfoOf(d);
}

TEST(VideoToImages, TenSecondsAtTwentyFiveFramesGiveTenOrFourFiles)
{
    const VideoInfo clip = info(10, 25);
    EXPECT_EQ(clip.totalFrames, 250);
    EXPECT_EQ(tools::totalFramesText(clip), QStringLiteral("250  [ 25 fps]"));
    EXPECT_EQ(tools::totalTimeText(clip), QStringLiteral("00:00:10 [HH:MM:SS]"));
    const double step = tools::stepSeconds(25, tools::kIntervalFrames, clip.framesPerSecond);
    EXPECT_DOUBLE_EQ(step, 1.0);
    EXPECT_EQ(tools::totalFiles(clip.lengthSeconds, step), 10);
    EXPECT_EQ(tools::numberWidth(10), 1);
    EXPECT_EQ(tools::totalFiles(clip.lengthSeconds, tools::stepSeconds(3, tools::kIntervalSeconds, 25)), 4);
    // One frame at a time: 250 files, three digits.
    EXPECT_EQ(tools::totalFiles(clip.lengthSeconds, tools::stepSeconds(1, tools::kIntervalFrames, 25)), 250);
}

TEST(VideoToImages, TotalFramesOfARealClipIsTheCountThePlayerAndFfprobeKnow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("161.avi"));
    QString why;
    ASSERT_TRUE(testclips::writeClip(path, {161, 64, 48, 30, 1, {}}, why)) << why.toStdString();
    const std::optional<platform::AviFrameData> data = platform::probeVideo(path);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->totalFrames(), 161);
    const VideoInfo shown = tools::videoInfoOf(*data);
    EXPECT_EQ(shown.totalFrames, 161);
    EXPECT_EQ(tools::totalFramesText(shown), QStringLiteral("161  [ 30 fps]"));
    // ffprobe, where installed, counts the frames by decoding them.
    const QString ffprobe = QStandardPaths::findExecutable(QStringLiteral("ffprobe"));
    if (ffprobe.isEmpty())
        return;
    QProcess probe;
    probe.start(ffprobe, {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                          "stream=nb_read_frames", "-of", "default=nokey=1:noprint_wrappers=1", path});
    ASSERT_TRUE(probe.waitForFinished(20000));
    EXPECT_EQ(QString::fromLatin1(probe.readAllStandardOutput()).trimmed(), QStringLiteral("161"));
}

TEST(VideoToImages, IntervalsInEachUnitAndAWholeNumberOfStepsUpToRounding)
{
    struct Row {
        const char *what;
        int value, unit;
        double framesPerSecond, stepSeconds;
    };
    for (const Row &r : {Row{"25 frames at 25 fps", 25, tools::kIntervalFrames, 25, 1.0},
                         Row{"3 frames at 10 fps", 3, tools::kIntervalFrames, 10, 0.3},
                         Row{"4 seconds", 4, tools::kIntervalSeconds, 25, 4.0},
                         Row{"2 minutes", 2, tools::kIntervalMinutes, 25, 120.0}})
        EXPECT_DOUBLE_EQ(tools::stepSeconds(r.value, r.unit, r.framesPerSecond), r.stepSeconds) << r.what;
    // 2.1 s in steps of 0.3 s is seven steps, although the division gives 7.000000000000001.
    EXPECT_EQ(tools::totalFiles(2.1, tools::stepSeconds(3, tools::kIntervalFrames, 10)), 7);
    EXPECT_EQ(tools::totalFiles(2.2, 0.3), 8) << "a part step still gives a file";
    EXPECT_EQ(tools::totalFiles(7200, tools::stepSeconds(2, tools::kIntervalMinutes, 25)), 60);
}

TEST(VideoToImages, AnUnknownRateGivesNoFilesRatherThanAnEndlessRun)
{
    const VideoInfo clip = info(10, 0);
    const double step = tools::stepSeconds(5, tools::kIntervalFrames, clip.framesPerSecond);
    EXPECT_EQ(step, 0);
    EXPECT_EQ(tools::totalFiles(clip.lengthSeconds, step), 0);
    EXPECT_EQ(tools::totalFiles(0, 1), 0);
}

TEST(VideoToImages, IntervalIsClampedToTheLengthOfLongVideosOnly)
{
    const VideoInfo twoMinutes = info(120, 25);
    EXPECT_EQ(tools::clampInterval(5, tools::kIntervalMinutes, twoMinutes), 2);
    EXPECT_EQ(tools::clampInterval(1, tools::kIntervalMinutes, twoMinutes), 1);
    EXPECT_EQ(tools::clampInterval(500, tools::kIntervalSeconds, twoMinutes), 120);
    EXPECT_EQ(tools::clampInterval(9999, tools::kIntervalFrames, twoMinutes), 3000);
    // Under a minute nothing is clamped.
    EXPECT_EQ(tools::clampInterval(5, tools::kIntervalMinutes, info(30, 25)), 5);
    EXPECT_EQ(tools::totalTimeText(info(3725.5, 25)), QStringLiteral("01:02:05 [HH:MM:SS]"));
}

// A converter run on a real clip written in the test; the pacing period is 0 so it is quick.
class VideoToImagesRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        clip_ = dir_.filePath(QStringLiteral("clip.avi"));
        out_ = dir_.filePath(QStringLiteral("out"));
        QDir().mkpath(out_);
        testclips::ClipRecipe recipe;
        recipe.frames = 250;
        recipe.fpsNum = 25;
        recipe.encoder = QStringLiteral("jpegenc");
        QString why;
        ASSERT_TRUE(testclips::writeClip(clip_, recipe, why)) << why.toStdString();
    }

    tools::VideoToImagesJob job(double step, long long files, bool jpg = false) const
    {
        tools::VideoToImagesJob j;
        j.videoPath = clip_;
        j.baseName = QStringLiteral("clip");
        j.savePath = out_;
        j.jpg = jpg;
        j.stepSeconds = step;
        j.totalFiles = files;
        j.periodMs = 0;
        return j;
    }

    int frameIndexOf(const QString &name) const
    {
        const platform::DecodedPicture p = platform::readPictureFile(QDir(out_).filePath(name));
        return p.ok() ? testclips::decodeFrameIndex(p.bitmap.image()) : -2;
    }

    QTemporaryDir dir_;
    QString clip_, out_;
    platform::DiagnosticsLog log_;
    tools::VideoToImagesConverter converter_{log_, [](const QString &p, QString *why) {
                                                 return platform::openVideoFrameReader(p, why);
                                             }};
};

TEST_F(VideoToImagesRun, OneSecondStepsWriteTenOneDigitBmpFilesOfTheRightFrames)
{
    QSignalSpy done(&converter_, &tools::VideoToImagesConverter::finished);
    QSignalSpy progress(&converter_, &tools::VideoToImagesConverter::progressed);
    ASSERT_TRUE(converter_.start(job(1.0, 10)));
    ASSERT_TRUE(done.wait(60000));
    EXPECT_FALSE(done.first().at(0).toBool());
    const QStringList files = QDir(out_).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 10) << files.join(u' ').toStdString();
    for (int k = 0; k < 10; ++k) {
        const QString name = QStringLiteral("clip_%1.bmp").arg(k);
        EXPECT_EQ(files.at(k), name);
        EXPECT_EQ(frameIndexOf(name), 25 * k) << name.toStdString();
    }
    const auto last = progress.last().at(0).value<tools::ConversionProgress>();
    EXPECT_EQ(last.status, tools::ConversionStatus::Finished);
    EXPECT_EQ(last.percent, 100);
    EXPECT_EQ(last.done, 10);
    EXPECT_TRUE(log_.contains(QStringLiteral("V2I Thread Terminate")));
}

TEST_F(VideoToImagesRun, ThreeSecondStepsWriteFourJpegFilesAtZeroThreeSixNine)
{
    QSignalSpy done(&converter_, &tools::VideoToImagesConverter::finished);
    ASSERT_TRUE(converter_.start(job(3.0, tools::totalFiles(10, 3), true)));
    ASSERT_TRUE(done.wait(60000));
    const QStringList files = QDir(out_).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files, (QStringList{"clip_0.jpg", "clip_1.jpg", "clip_2.jpg", "clip_3.jpg"}));
    EXPECT_EQ(platform::sniffPictureFile(QDir(out_).filePath(files.at(0))), platform::PictureKind::Jpeg);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(frameIndexOf(files.at(k)), 75 * k);
}

TEST_F(VideoToImagesRun, StoppingEndsTheRunAndKeepsTheFilesWritten)
{
    QSignalSpy done(&converter_, &tools::VideoToImagesConverter::finished);
    QSignalSpy progress(&converter_, &tools::VideoToImagesConverter::progressed);
    // One file per frame, numbered with three digits.
    ASSERT_TRUE(converter_.start(job(0.04, 250)));
    while (progress.size() < 4)
        ASSERT_TRUE(progress.wait(30000));
    converter_.stop();
    ASSERT_TRUE(done.wait(30000));
    EXPECT_TRUE(done.first().at(0).toBool());
    EXPECT_EQ(progress.last().at(0).value<tools::ConversionProgress>().status, tools::ConversionStatus::Stopped);
    const QStringList files = QDir(out_).entryList(QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 3);
    EXPECT_LT(files.size(), 250);
    EXPECT_EQ(files.at(0), QStringLiteral("clip_000.bmp"));
    for (int k = 0; k < files.size(); ++k)
        EXPECT_EQ(frameIndexOf(files.at(k)), k);
    EXPECT_FALSE(converter_.running());
}

TEST_F(VideoToImagesRun, AFileThatIsNoVideoEndsCancelledAfterSixteenRetries)
{
    const QString bogus = dir_.filePath(QStringLiteral("bogus.avi"));
    QFile f(bogus);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a video");
    f.close();
    tools::VideoToImagesJob j = job(1.0, 10);
    j.videoPath = bogus;
    QSignalSpy done(&converter_, &tools::VideoToImagesConverter::finished);
    ASSERT_TRUE(converter_.start(j));
    ASSERT_TRUE(done.wait(120000));
    EXPECT_TRUE(done.first().at(0).toBool());
    EXPECT_EQ(log_.lines().count(QStringLiteral("VFW_E_INVALIDMEDIATYPE")), 17);
    EXPECT_TRUE(QDir(out_).entryList(QDir::Files).isEmpty());
}

TEST_F(VideoToImagesRun, WritesThatKeepFailingEndTheRun)
{
    // The save folder is a file: every write fails.
    tools::VideoToImagesJob j = job(1.0, 10);
    j.savePath = clip_;
    QSignalSpy done(&converter_, &tools::VideoToImagesConverter::finished);
    ASSERT_TRUE(converter_.start(j));
    ASSERT_TRUE(done.wait(120000));
    EXPECT_TRUE(done.first().at(0).toBool());
    EXPECT_EQ(log_.lines().count(QStringLiteral("WriteBitmapBits2 error")), 17);
    EXPECT_EQ(converter_.filesDone(), 0);
}

} // namespace
