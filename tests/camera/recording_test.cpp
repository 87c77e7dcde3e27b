#include "camerafixture.h"
#include "clipcheck.h"

#include "camera/compressorchoice.h"
#include "camera/flipmode.h"
#include "fakes.h"
#include "platform/gst/gstcompressors.h"
#include "platform/gst/gstrecordingbranch.h"
#include "platform/picturecodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using camera::TVideoCameraDS;
using platform::RecordingEnd;
using platform::RecordingStart;

namespace {

bool hasFactory(const char *name) { return bool(platform::GstPtr<GstElementFactory>::adopt(gst_element_factory_find(name))); }

#define SKIP_WITHOUT_AVI()                                                                                        \
    do {                                                                                                          \
        SKIP_WITHOUT_GST_PLUGINS();                                                                               \
        if (!hasFactory("avimux") || !hasFactory("filesink"))                                                     \
            GTEST_SKIP() << "avimux (gst-plugins-good) is not installed";                                         \
    } while (0)

// A picture whose left and right halves and top and bottom halves differ.
QImage quadrants()
{
    QImage image(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixel(x, y, qRgb(x < 32 ? 250 : 10, y < 24 ? 200 : 20, 100));
    return image;
}


struct Recording : ::testing::Test {
    fakes::TemporaryProfile profile;
    QTemporaryDir dir;
    VirtualCameraStack s;
    QString clip(const QString &name) const { return dir.filePath(name); }
    void expectPlayable(const QString &path, int minFrames)
    {
        const ClipReport r = checkClip(path);
        EXPECT_TRUE(r.discovered) << path.toStdString() << ": the discoverer sees no video stream";
        EXPECT_EQ(QSize(r.width, r.height), QSize(640, 480));
        if (!r.ffprobeAvailable)
            return;   // gst-discoverer's answer above stands alone
        EXPECT_GE(r.ffprobeFrames, minFrames) << "ffprobe decoded " << r.ffprobeFrames << " frames of " << path.toStdString();
    }
};

} // namespace

// ---- compressor names and listing --------------------------------------------------------------

TEST(CompressorNames, ExclusionTextsAreMatchedCaseSensitivelyAnywhereInTheName)
{
    const std::vector<std::pair<const char *, bool>> table = {
        {"XviD MPEG-4 Codec", true},
        {"libav MPEG-4 part 2 Microsoft variant version 3 encoder", false},   // "Microsoft" anywhere
        {"Cinepak Codec by Radius", false},
        {"libav Cinepak encoder", true},
        {"WMVideo9 Encoder DMO", false},
        {"Some Decoder wrapper", false},
        {"some decoder wrapper", true},   // case-sensitive
        {"microsoft lower case", true},
        {"", false},
        {"JPEG image encoder", true},
    };
    for (const auto &[name, listed] : table)
        EXPECT_EQ(camera::isCompressorListed(QString::fromUtf8(name)), listed) << name;
}

TEST(CompressorNames, ComboPositionsMapToEnumerationPositionPlusOne)
{
    const std::vector<platform::CompressorInfo> enumeration = {
        {"a", "Microsoft Video 1", 0}, {"b", "XviD MPEG-4 Codec", 0}, {"c", "", 0}, {"d", "JPEG image encoder", 0}};
    const auto choices = camera::compressorChoices(enumeration, "No Compressor");
    const std::vector<camera::CompressorChoice> expected = {
        {"No Compressor", 0}, {"XviD MPEG-4 Codec", 2}, {"JPEG image encoder", 4}};
    EXPECT_EQ(choices, expected);
    EXPECT_FALSE(camera::compressorFactory(enumeration, 0).has_value());
    EXPECT_EQ(camera::compressorFactory(enumeration, 2).value(), "b");
    EXPECT_EQ(camera::compressorFactory(enumeration, 4).value(), "d");   // the last one enumerated
    EXPECT_EQ(camera::compressorFactory(enumeration, 5).value(), "");    // one past it
    EXPECT_EQ(camera::compressorFactory(enumeration, 9).value(), "");   // gone since it was chosen
}

TEST(CompressorListing, InstalledEncodersThatAvimuxTakesInAStableOrder)
{
    if (!hasFactory("avimux") || !hasFactory("jpegenc"))
        GTEST_SKIP() << "avimux and jpegenc (gst-plugins-good) are needed";
    const auto list = platform::listVideoCompressors();
    ASSERT_FALSE(list.empty());
    EXPECT_TRUE(std::any_of(list.begin(), list.end(), [](const auto &c) { return c.factory == "jpegenc"; }));
    for (std::size_t i = 1; i < list.size(); ++i) {
        const auto &a = list[i - 1], &b = list[i];
        EXPECT_TRUE(a.rank > b.rank || (a.rank == b.rank && a.factory < b.factory)) << a.factory.toStdString();
    }
    // Audio encoders never appear, whatever their output.
    EXPECT_TRUE(std::none_of(list.begin(), list.end(), [](const auto &c) { return c.factory == "lamemp3enc"; }));
    EXPECT_EQ(platform::listVideoCompressors().size(), list.size());
}

TEST(CompressorListing, SettingsAreTheEncodersWritablePropertiesWithTheirValues)
{
    if (!hasFactory("jpegenc"))
        GTEST_SKIP() << "jpegenc (gst-plugins-good) is not installed";
    const auto props = platform::encoderProperties("jpegenc");
    const auto quality = std::find_if(props.begin(), props.end(), [](const auto &p) { return p.name == "quality"; });
    ASSERT_NE(quality, props.end());
    EXPECT_EQ(quality->type, platform::EncoderProperty::Type::Integer);
    EXPECT_EQ(quality->maximum, 100);
    EXPECT_EQ(quality->value, "85");
    EXPECT_TRUE(std::none_of(props.begin(), props.end(), [](const auto &p) { return p.name == "name"; }));
    EXPECT_TRUE(platform::encoderProperties("no-such-encoder").empty());
    if (hasFactory("avenc_mpeg4")) {
        const auto mpeg4 = platform::encoderProperties("avenc_mpeg4");
        EXPECT_TRUE(std::any_of(mpeg4.begin(), mpeg4.end(), [](const auto &p) {
            return p.type == platform::EncoderProperty::Type::Choice && !p.choices.empty();
        }));
    }
}

// ---- snapshots and writers -------------------------------------------------------------------

TEST_F(Recording, SnapshotFollowsTheFlipModeAndTheSource)
{
    SKIP_WITHOUT_GST_PLUGINS();
    platform::Bitmap shot;
    EXPECT_FALSE(s.camera.VideoSnapShot(shot, 0)) << "not connected";
    ASSERT_TRUE(s.connect());
    ASSERT_TRUE(s.waitFrames(2));
    ASSERT_TRUE(s.camera.VideoSnapShot(shot, 0));
    const QImage asDelivered = s.camera.latestFrame().image.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(640, 480));

    ASSERT_TRUE(s.camera.SetFlipMode(camera::kFlipMirrored));
    platform::Bitmap mirrored;
    ASSERT_TRUE(s.camera.VideoSnapShot(mirrored, 0));
    const QImage frame = s.camera.latestFrame().image.convertToFormat(QImage::Format_RGB32);
    for (int x : {0, 7, 320, 639})
        EXPECT_EQ(mirrored.image().pixel(x, 240), frame.pixel(639 - x, 240)) << x;

    ASSERT_TRUE(s.camera.SetFlipMode(camera::kFlipTurned));
    platform::Bitmap turned, rendered;
    ASSERT_TRUE(s.camera.VideoSnapShot(turned, 0));
    EXPECT_EQ(turned.image().pixel(0, 0), frame.pixel(639, 479));
    ASSERT_TRUE(s.camera.VideoSnapShot(rendered, 1));   // the renderer shows the same orientation
    EXPECT_EQ(rendered.size(), turned.size());
    EXPECT_EQ(rendered.image().pixel(0, 0), frame.pixel(639, 479));
    (void)asDelivered;
}

TEST_F(Recording, WritersMakeReadableFilesAndOnlyLogTheirFailures)
{
    const platform::Bitmap picture(quadrants());
    EXPECT_EQ(s.camera.compressionQ(), 90);
    s.camera.SaveBmpFile(clip("a.bmp"), picture);
    const auto bmp = platform::readPictureFile(clip("a.bmp"));
    ASSERT_TRUE(bmp.ok());
    EXPECT_EQ(bmp.bitmap, picture);
    {
        QFile f(clip("a.bmp"));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray head = f.read(30);
        EXPECT_EQ(head.left(2), "BM");
        EXPECT_EQ(quint8(head[28]), 24);   // 24 bits per pixel on disk
    }
    s.camera.SaveJpgFile(clip("q90.jpg"), picture);
    s.camera.SetCompressionQ(0x150);   // only the low byte counts: 80
    EXPECT_EQ(s.camera.compressionQ(), 0x50);
    s.camera.SaveJpgFile(clip("q80.jpg"), picture);
    const auto jpg = platform::readPictureFile(clip("q90.jpg"));
    ASSERT_TRUE(jpg.ok());
    EXPECT_NEAR(qRed(jpg.bitmap.image().pixel(5, 5)), 250, 8);
    EXPECT_GT(QFileInfo(clip("q90.jpg")).size(), QFileInfo(clip("q80.jpg")).size());

    s.camera.SaveBmpFile(clip("missing/folder/b.bmp"), picture);
    s.camera.SaveJpgFile(clip("missing/folder/b.jpg"), picture);
    EXPECT_TRUE(s.log.contains("Exception Error at SaveBmpFile"));
    EXPECT_TRUE(s.log.contains("Exception Error at SaveJpgFile"));
}

TEST_F(Recording, DeleteGoesToTheTrashOrForGood)
{
    QDir().mkpath(QDir(profile.path()).filePath(".local/share"));   // a desktop session has it
    const platform::Bitmap picture(quadrants());
    s.camera.SaveBmpFile(clip("trash.bmp"), picture);
    s.camera.SaveBmpFile(clip("gone.bmp"), picture);
    EXPECT_FALSE(s.camera.DeleteFileA(clip("trash.bmp"), true));
    EXPECT_FALSE(QFileInfo::exists(clip("trash.bmp")));
    EXPECT_TRUE(QFileInfo::exists(QDir(profile.path()).filePath(".local/share/Trash/files/trash.bmp")));
    EXPECT_FALSE(s.camera.DeleteFileA(clip("gone.bmp"), false));
    EXPECT_FALSE(QFileInfo::exists(clip("gone.bmp")));
    EXPECT_FALSE(s.camera.DeleteFileA(clip("never.bmp"), true));   // nothing there: no error
    EXPECT_FALSE(s.camera.DeleteFileA(QString(), true));
}

// ---- recording -------------------------------------------------------------------------------

TEST_F(Recording, RawAndCompressedClipsPlayElsewhereWhileThePreviewRuns)
{
    SKIP_WITHOUT_AVI();
    ASSERT_TRUE(s.connect());
    ASSERT_TRUE(s.waitFrames(2));
    const auto compressors = s.camera.compressors();
    int jpeg = 0;
    for (std::size_t i = 0; i < compressors.size(); ++i)
        if (compressors[i].factory == "jpegenc")
            jpeg = int(i) + 1;

    struct Case { const char *file; int index; const char *ffprobeCodec; const char *caps; };
    std::vector<Case> cases = {{"raw.avi", 0, "rawvideo", "video/x-raw"}};
    if (jpeg)
        cases.push_back({"mjpeg.avi", jpeg, "mjpeg", "image/jpeg"});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        s.camera.SetCompressorIndex(c.index);
        ASSERT_TRUE(s.camera.VideoCaptureAvi(clip(c.file))) << s.log.lines().join('\n').toStdString();
        EXPECT_TRUE(s.camera.isRecording());
        EXPECT_FALSE(s.camera.VideoCaptureAvi(clip("second.avi"))) << "a second start is refused";
        ASSERT_TRUE(s.waitFrames(10)) << "the live picture keeps running while recording";
        platform::Bitmap shot;
        EXPECT_TRUE(s.camera.VideoSnapShot(shot, 0));   // the renderer's image during a recording
        EXPECT_EQ(shot.size(), QSize(640, 480));
        EXPECT_TRUE(s.camera.VideoCaptureAviStop());
        EXPECT_EQ(s.camera.lastRecordingEnd(), RecordingEnd::Finished);
        EXPECT_FALSE(s.camera.isRecording());
        ASSERT_TRUE(s.waitFrames(2));
        expectPlayable(clip(c.file), 5);
        const ClipReport r = checkClip(clip(c.file));
        EXPECT_TRUE(r.videoCaps.startsWith(QLatin1String(c.caps))) << r.videoCaps.toStdString();
        if (r.ffprobeAvailable) {   // a second, independent reader when installed
            EXPECT_EQ(r.ffprobeCodec, c.ffprobeCodec);
        }
    }
    EXPECT_FALSE(QFileInfo::exists(clip("second.avi")));
}

TEST_F(Recording, CompressorSettingsReachTheEncoder)
{
    SKIP_WITHOUT_AVI();
    if (!hasFactory("jpegenc"))
        GTEST_SKIP() << "jpegenc is not installed";
    ASSERT_TRUE(s.connect());
    const auto compressors = s.camera.compressors();
    const auto it = std::find_if(compressors.begin(), compressors.end(), [](const auto &c) { return c.factory == "jpegenc"; });
    s.camera.SetCompressorIndex(int(it - compressors.begin()) + 1);
    qint64 sizes[2] = {};
    int i = 0;
    for (const char *quality : {"20", "98"}) {
        s.camera.setCompressorSettings({{"quality", quality}});
        const QString path = clip(QStringLiteral("q%1.avi").arg(quality));
        ASSERT_TRUE(s.camera.VideoCaptureAvi(path));
        ASSERT_TRUE(s.waitFrames(8));
        ASSERT_TRUE(s.camera.VideoCaptureAviStop());
        sizes[i++] = QFileInfo(path).size() / std::max(1, checkClip(path).ffprobeFrames);
    }
    EXPECT_LT(sizes[0] * 2, sizes[1]) << "quality 20 frames should be much smaller than quality 98 ones";
}

TEST_F(Recording, UnplugMidRecordingLeavesAPlayableClip)
{
    SKIP_WITHOUT_AVI();
    ASSERT_TRUE(s.connect());
    QSignalSpy ended(&s.camera, &TVideoCameraDS::recordingEnded);
    QSignalSpy lost(&s.camera, &TVideoCameraDS::previewLost);
    ASSERT_TRUE(s.camera.VideoCaptureAvi(clip("unplugged.avi")));
    ASSERT_TRUE(s.waitFrames(10));
    s.rig.unplug();
    // The loss may already have been delivered inside unplug(); waiting then would only time out.
    ASSERT_TRUE(QTest::qWaitFor([&] { return lost.count() > 0; }, 10000));
    ASSERT_EQ(ended.count(), 1);
    EXPECT_EQ(ended.at(0).at(0).value<RecordingEnd>(), RecordingEnd::Finished);
    EXPECT_FALSE(s.camera.isRecording());
    EXPECT_FALSE(s.camera.isConnected());
    expectPlayable(clip("unplugged.avi"), 5);
}

TEST_F(Recording, DisconnectAndDestructionFinishTheFile)
{
    SKIP_WITHOUT_AVI();
    ASSERT_TRUE(s.connect());
    ASSERT_TRUE(s.camera.VideoCaptureAvi(clip("disconnect.avi")));
    ASSERT_TRUE(s.waitFrames(8));
    s.camera.DeviceDisConnect();
    EXPECT_FALSE(s.camera.isRecording());
    expectPlayable(clip("disconnect.avi"), 4);
    {
        VirtualCameraStack other;
        ASSERT_TRUE(other.connect());
        ASSERT_TRUE(other.camera.VideoCaptureAvi(clip("closing.avi")));
        ASSERT_TRUE(other.waitFrames(8));
    }   // the program closes with the recording running
    expectPlayable(clip("closing.avi"), 4);
}

TEST_F(Recording, AStartThatCannotWriteLeavesThePreviewAndAcceptsTheNextStart)
{
    SKIP_WITHOUT_AVI();
    ASSERT_TRUE(s.connect());
    // A missing folder, then a read-only one.
    EXPECT_FALSE(s.camera.VideoCaptureAvi(clip("missing/folder/x.avi")));
    EXPECT_EQ(s.camera.lastRecordingStart(), RecordingStart::CannotOpenFile);
    QDir(dir.path()).mkdir("readonly");
    QFile::setPermissions(clip("readonly"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (!QFileInfo(clip("readonly")).isWritable()) {   // root writes anywhere
        EXPECT_FALSE(s.camera.VideoCaptureAvi(clip("readonly/x.avi")));
        EXPECT_EQ(s.camera.lastRecordingStart(), RecordingStart::CannotOpenFile);
    }
    // A disk that fills up at once: the header fits, the first frame does not.
    {
        fakes::FileSizeLimit limit(64 * 1024);
        ASSERT_TRUE(limit.ok);
        EXPECT_FALSE(s.camera.VideoCaptureAvi(clip("full.avi")));
        EXPECT_EQ(s.camera.lastRecordingStart(), RecordingStart::WriteFailed);
    }
    EXPECT_FALSE(QFileInfo::exists(clip("full.avi")));
    EXPECT_TRUE(s.camera.isConnected());
    ASSERT_TRUE(s.waitFrames(3)) << "the preview survives every failed start";
    ASSERT_TRUE(s.camera.VideoCaptureAvi(clip("after.avi")));
    ASSERT_TRUE(s.waitFrames(6));
    ASSERT_TRUE(s.camera.VideoCaptureAviStop());
    expectPlayable(clip("after.avi"), 3);
}

TEST_F(Recording, ADiskFillingUpMidRecordingEndsTheRecordingNotThePreview)
{
    SKIP_WITHOUT_AVI();
    ASSERT_TRUE(s.connect());
    QSignalSpy ended(&s.camera, &TVideoCameraDS::recordingEnded);
    {
        fakes::FileSizeLimit limit(8 * 1024 * 1024);   // about nine raw 640 x 480 frames
        ASSERT_TRUE(limit.ok);
        ASSERT_TRUE(s.camera.VideoCaptureAvi(clip("fills.avi")));
        // How soon the limit is reached depends on the frame rate a loaded machine delivers, so
        // the test waits for the end itself; the bound only keeps a lost end from hanging the run.
        ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() > 0; }, 60000)) << "the write error must end the recording";
    }
    ASSERT_EQ(ended.count(), 1);
    EXPECT_EQ(ended.at(0).at(0).value<RecordingEnd>(), RecordingEnd::Failed);
    EXPECT_FALSE(s.camera.isRecording());
    EXPECT_TRUE(s.camera.isConnected());
    ASSERT_TRUE(s.waitFrames(5)) << "the live picture keeps running";
    EXPECT_TRUE(s.camera.VideoCaptureAviStop()) << "stopping an ended recording leaves the preview playing";
    EXPECT_FALSE(s.camera.isRecording());
    EXPECT_EQ(ended.count(), 1) << "an ended recording is not announced twice";
    EXPECT_EQ(s.camera.lastRecordingEnd(), RecordingEnd::Failed);
}

TEST_F(Recording, ACompressorThatRefusesTheFormatFailsTheStartOnly)
{
    SKIP_WITHOUT_AVI();
    if (!hasFactory("avenc_dvvideo"))
        GTEST_SKIP() << "avenc_dvvideo (gstreamer1.0-libav) is not installed; it takes only 720 x 480/576";
    ASSERT_TRUE(s.connect());
    const auto compressors = s.camera.compressors();
    const auto it = std::find_if(compressors.begin(), compressors.end(), [](const auto &c) { return c.factory == "avenc_dvvideo"; });
    ASSERT_NE(it, compressors.end());
    s.camera.SetCompressorIndex(int(it - compressors.begin()) + 1);
    EXPECT_FALSE(s.camera.VideoCaptureAvi(clip("dv.avi")));
    EXPECT_EQ(s.camera.lastRecordingStart(), RecordingStart::Refused);
    EXPECT_TRUE(s.camera.isConnected());
    ASSERT_TRUE(s.waitFrames(3));
    s.camera.SetCompressorIndex(int(compressors.size()) + 5);   // uninstalled since it was chosen
    EXPECT_FALSE(s.camera.VideoCaptureAvi(clip("gone.avi")));
    EXPECT_EQ(s.camera.lastRecordingStart(), RecordingStart::EncoderMissing);
    s.camera.SetCompressorIndex(0);
    EXPECT_TRUE(s.camera.VideoCaptureAvi(clip("raw.avi")));
    EXPECT_TRUE(s.camera.VideoCaptureAviStop());
}
