// The live path of an MJPEG camera: JPEGs decoded at the size shown on the streaming thread,
// full-size pictures decoded from the frame on screen, and "No Compressor" recordings that hold
// the camera's own JPEGs.
#include "camerafixture.h"
#include "clipcheck.h"

#include "fakes.h"
#include "platform/gst/gstcapturepipeline.h"
#include "platform/gst/specimen.h"
#include "platform/picturecodec.h"
#include "platform/previewdecoder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cmath>
#include <mutex>

using platform::kFourccMjpg;

namespace {

// The JPEG frames ("00dc" chunks) of an AVI's movi list, in file order.
std::vector<QByteArray> aviVideoChunks(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray avi = file.readAll();
    std::vector<QByteArray> chunks;
    auto u32 = [&](qsizetype at) {
        return quint32(quint8(avi[at])) | quint32(quint8(avi[at + 1])) << 8 | quint32(quint8(avi[at + 2])) << 16 |
               quint32(quint8(avi[at + 3])) << 24;
    };
    const qsizetype movi = avi.indexOf("movi");
    if (movi < 0)
        return {};
    for (qsizetype at = movi + 4; at + 8 <= avi.size();) {
        const QByteArray id = avi.mid(at, 4);
        const qsizetype size = qsizetype(u32(at + 4));
        if (id == "idx1" || at + 8 + size > avi.size())
            break;
        if (id == "LIST") {
            at += 12;   // a rec list: descend into it
            continue;
        }
        if (id == "00dc" || id == "00db")
            chunks.push_back(avi.mid(at + 8, size));
        at += 8 + size + (size & 1);
    }
    return chunks;
}

QByteArray encodedBytes(const platform::VideoFrame &frame)
{
    if (!frame.encoded)
        return {};
    return QByteArray(reinterpret_cast<const char *>(frame.encoded->data), qsizetype(frame.encoded->size));
}

// Columns of a row of `picture` that are darker than both neighbours and clearly darker than the
// backlight around them: the dark ticks a row crosses.
std::vector<double> darkColumns(const QImage &picture, int row)
{
    std::vector<int> level(std::size_t(picture.width()));
    for (int x = 0; x < picture.width(); ++x)
        level[std::size_t(x)] = qGray(picture.pixel(x, row));
    std::vector<double> centres;
    int x = 0;
    const int w = picture.width();
    while (x < w) {
        // The backlight level nearby: the brightest pixel within 8 columns.
        int light = 0;
        for (int k = std::max(0, x - 8); k < std::min(w, x + 9); ++k)
            light = std::max(light, level[std::size_t(k)]);
        if (light - level[std::size_t(x)] < 40) {
            ++x;
            continue;
        }
        // A run of dark pixels: its centre weighted by darkness.
        double sum = 0, weight = 0;
        while (x < w && light - level[std::size_t(x)] >= 20) {
            const double d = light - level[std::size_t(x)];
            sum += d * x;
            weight += d;
            ++x;
        }
        centres.push_back(sum / weight);
    }
    return centres;
}

// The row of the shown picture that crosses only the long ticks of every tenth division: below
// the numbers, above the tops of the half-millimetre ticks.
int majorTickRow(QSize shown)
{
    const double div = platform::specimenPixelsPerDivision(shown.width());
    return int(shown.height() * 0.42 - div * 6.8);
}

void expectEvenMajorTicks(const QImage &shown)
{
    const std::vector<double> ticks = darkColumns(shown, majorTickRow(shown.size()));
    ASSERT_EQ(ticks.size(), 11u) << "every tenth division shows as one dark column";
    const double spacing = platform::specimenPixelsPerDivision(shown.width()) * 10;
    for (std::size_t i = 1; i < ticks.size(); ++i)
        EXPECT_NEAR(ticks[i] - ticks[i - 1], spacing, 1.0) << "between ticks " << i - 1 << " and " << i;
}

} // namespace

TEST(PreviewReduction, TheSmallestDecodeThatCoversTheVideoArea)
{
    struct Case {
        QSize picture, shown;
        int reduction;
    };
    const Case cases[] = {
        {{1600, 1200}, {400, 300}, 4},     // Normal preset: a quarter is exactly the area
        {{1600, 1200}, {401, 300}, 2},     // one pixel wider no longer fits a quarter
        {{1600, 1200}, {200, 150}, 8},
        {{1600, 1200}, {800, 600}, 2},     // "800*600"
        {{1600, 1200}, {640, 480}, 2},
        {{1600, 1200}, {1024, 768}, 1},
        {{1600, 1200}, {1440, 1080}, 1},   // Full Screen on a 1920 x 1080 monitor
        {{1600, 1200}, {1920, 1080}, 1},
        {{1600, 900}, {400, 300}, 2},      // 900 / 4 = 225 is too short
        {{1601, 1201}, {201, 151}, 8},     // reduced sides round up
        {{640, 480}, {400, 300}, 1},
        {{1600, 1200}, {}, 1},             // no size known yet: the picture's own
    };
    for (const Case &c : cases)
        EXPECT_EQ(platform::previewReduction(c.picture, c.shown), c.reduction)
            << c.picture.width() << "x" << c.picture.height() << " shown at " << c.shown.width() << "x"
            << c.shown.height();
}

TEST(PreviewScaling, AveragesWhereItShrinksInterpolatesWhereItGrowsAndKeepsFlatAreasExact)
{
    // Flat stays flat, exactly, in every direction and ratio.
    QImage flat(1600, 1200, QImage::Format_RGB32);
    flat.fill(qRgb(200, 117, 3));
    for (QSize to : {QSize(400, 300), QSize(1920, 972), QSize(1376, 1032), QSize(7, 5), QSize(3000, 2000)}) {
        const QImage out = platform::scaleForPreview(flat, to);
        ASSERT_EQ(out.size(), to);
        for (QPoint p : {QPoint(0, 0), QPoint(to.width() - 1, to.height() - 1), QPoint(to.width() / 2, to.height() / 3)})
            EXPECT_EQ(out.pixel(p), qRgb(200, 117, 3)) << to.width() << "x" << to.height();
    }
    // Halving a one-pixel checkerboard averages every pair: mid grey, not black or white.
    QImage checker(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            checker.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    const QImage half = platform::scaleForPreview(checker, {4, 4});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_NEAR(qGray(half.pixel(x, y)), 128, 1);
    // Shrinking by 3 averages three columns: a single dark column in each group counts a third.
    QImage columns(9, 1, QImage::Format_RGB32);
    columns.fill(qRgb(240, 240, 240));
    columns.setPixel(4, 0, qRgb(0, 0, 0));
    const QImage third = platform::scaleForPreview(columns, {3, 1});
    EXPECT_NEAR(qGray(third.pixel(1, 0)), 160, 1);
    EXPECT_EQ(third.pixel(0, 0), qRgb(240, 240, 240));
    // Doubling two pixels interpolates between their centres.
    QImage two(2, 1, QImage::Format_RGB32);
    two.setPixel(0, 0, qRgb(0, 0, 0));
    two.setPixel(1, 0, qRgb(200, 200, 200));
    const QImage four = platform::scaleForPreview(two, {4, 1});
    EXPECT_EQ(qGray(four.pixel(0, 0)), 0);
    EXPECT_NEAR(qGray(four.pixel(1, 0)), 50, 1);
    EXPECT_NEAR(qGray(four.pixel(2, 0)), 150, 1);
    EXPECT_EQ(qGray(four.pixel(3, 0)), 200);
}

TEST(PreviewDecoder, DamagedFramesAreSkippedAndSizesFollowTheRequest)
{
    const QImage specimen = platform::drawSpecimen(1600, 1200);
    const QByteArray jpeg = platform::encodeJpeg(platform::Bitmap(specimen), 85);
    ASSERT_FALSE(jpeg.isEmpty());
    platform::PreviewDecoder decoder;
    auto decode = [&](const QByteArray &bytes, QSize shown, QSize &picture) {
        return decoder.decodeJpeg(reinterpret_cast<const unsigned char *>(bytes.constData()), std::size_t(bytes.size()),
                                  shown, picture);
    };
    QSize picture;
    EXPECT_EQ(decode(jpeg, {400, 300}, picture).size(), QSize(400, 300));
    EXPECT_EQ(picture, QSize(1600, 1200));
    EXPECT_EQ(decode(jpeg, {1440, 1080}, picture).size(), QSize(1440, 1080));
    EXPECT_EQ(decode(jpeg, {}, picture).size(), QSize(1600, 1200));
    EXPECT_EQ(decoder.reductionCounts()[2], 1u);   // 1/4 once
    EXPECT_EQ(decoder.reductionCounts()[0], 2u);   // full size twice

    QSize untouched(7, 7);
    EXPECT_TRUE(decode(QByteArray("\xFF\xD8garbage", 9), {400, 300}, untouched).isNull());
    EXPECT_TRUE(decode(jpeg.left(2), {400, 300}, untouched).isNull());
    EXPECT_TRUE(decode(QByteArray(), {400, 300}, untouched).isNull());
    EXPECT_TRUE(decode(QByteArray("BMxxxxxxxx"), {400, 300}, untouched).isNull());
    // A frame cut short still decodes what it has (the camera lost a packet): no crash, a picture.
    EXPECT_EQ(decode(jpeg.left(jpeg.size() / 2), {400, 300}, picture).size(), QSize(400, 300));
}

TEST(PreviewDecoder, TheMicrometerKeepsEvenDivisionsWhenShrunkOrEnlarged)
{
    const QImage specimen = platform::drawSpecimen(1600, 1200);
    const QByteArray jpeg = platform::encodeJpeg(platform::Bitmap(specimen), 85);
    platform::PreviewDecoder decoder;
    for (QSize shown : {QSize(400, 300), QSize(640, 480), QSize(1440, 1080), QSize(1920, 1440)}) {
        SCOPED_TRACE(QStringLiteral("%1 x %2").arg(shown.width()).arg(shown.height()).toStdString());
        QSize picture;
        const QImage image = decoder.decodeJpeg(reinterpret_cast<const unsigned char *>(jpeg.constData()),
                                                std::size_t(jpeg.size()), shown, picture);
        ASSERT_EQ(image.size(), shown);
        expectEvenMajorTicks(image);
    }
}

// ---- on the virtual camera's MJPEG stream ------------------------------------------------------

struct MjpegLive : ::testing::Test {
    fakes::TemporaryProfile profile;
    QTemporaryDir dir;
    VirtualCameraStack s;
    void SetUp() override
    {
        SKIP_WITHOUT_GST_PLUGINS();
        s.camera.SetPreviewDefalutState(1, true);   // the 2-megapixel MJPEG format
        s.camera.setPreviewSize({400, 300});
        ASSERT_TRUE(s.connect());
        ASSERT_EQ(s.camera.currentFormat().code, kFourccMjpg);
        ASSERT_TRUE(s.waitFrames(3));
    }
};

TEST_F(MjpegLive, TheShownPictureIsDecodedSmallButSnapshotsKeepTheFullFrameOnScreen)
{
    const platform::VideoFrame &frame = s.camera.latestFrame();
    EXPECT_EQ(frame.image.size(), QSize(400, 300));
    EXPECT_EQ(frame.pictureSize, QSize(1600, 1200));
    EXPECT_EQ(s.camera.videoSize(), QSize(1600, 1200)) << "measurement works in the camera's pixels";
    expectEvenMajorTicks(frame.image);

    // The snapshot is the frame on screen, decoded at full size from the camera's own JPEG.
    const QByteArray onScreen = encodedBytes(frame);
    ASSERT_FALSE(onScreen.isEmpty());
    platform::Bitmap shot;
    ASSERT_TRUE(s.camera.VideoSnapShot(shot, 0));
    EXPECT_EQ(shot.size(), QSize(1600, 1200));
    const platform::DecodedPicture full = platform::decodeJpeg(onScreen);
    ASSERT_TRUE(full.ok());
    EXPECT_EQ(shot.image(), full.bitmap.image());

    // A frozen frame is full size too, so measuring on it works in camera pixels.
    ASSERT_TRUE(s.camera.FilterGraph_Pause(0, {}));
    EXPECT_EQ(s.camera.stillImage().size(), QSize(1600, 1200));
    EXPECT_EQ(s.camera.videoSize(), QSize(1600, 1200));
    s.camera.FilterGraph_Play();
}

TEST_F(MjpegLive, PresetChangesSwitchTheDecodeSizeFromTheNextFrame)
{
    for (QSize shown : {QSize(800, 600), QSize(1440, 1080), QSize(400, 300)}) {
        s.camera.setPreviewSize(shown);
        // Frames already decoded may still arrive at the old size; within a few the new one shows.
        bool switched = false;
        for (int i = 0; i < 10 && !switched; ++i) {
            ASSERT_TRUE(s.waitFrames(1));
            const QImage &image = s.camera.latestFrame().image;
            ASSERT_FALSE(image.isNull());
            switched = image.size() == shown;
        }
        EXPECT_TRUE(switched) << shown.width() << "x" << shown.height();
        expectEvenMajorTicks(s.camera.latestFrame().image);
    }
}

TEST(MjpegPipeline, APresetChangeLosesNoFrameAndTearsNone)
{
    SKIP_WITHOUT_GST_PLUGINS();
    fakes::TemporaryProfile profile;
    VirtualCameraStack s;
    ASSERT_TRUE(s.searchVirtual());
    platform::GstCapturePipeline pipeline(s.log, &s.rig);
    std::mutex mutex;
    std::vector<std::pair<std::uint64_t, QSize>> seen;   // every frame the streaming thread made
    std::atomic<int> whole{0};
    pipeline.setCallbacks(
        [&](platform::VideoFrame &&frame) {
            // A whole frame has its specimen: the backlight at the centre and a lit bottom row.
            const QImage &i = frame.image;
            if (qGray(i.pixel(i.width() / 2, i.height() / 2)) > 150 && qGray(i.pixel(i.width() / 2, i.height() - 1)) > 90)
                ++whole;
            std::lock_guard lock(mutex);
            seen.emplace_back(frame.sequence, i.size());
        },
        [](const platform::PipelineEvent &) {});
    pipeline.setPreviewSize({400, 300});
    ASSERT_EQ(pipeline.start(s.camera.deviceTable().record(s.camera.GetIndexDevice()), {kFourccMjpg, 1600, 1200, {30, 1}}),
              platform::StartResult::Started);
    auto count = [&] {
        std::lock_guard lock(mutex);
        return seen.size();
    };
    auto waitFor = [&](std::size_t n) {
        for (int i = 0; i < 500 && count() < n; ++i)
            QTest::qWait(10);
        return count() >= n;
    };
    ASSERT_TRUE(waitFor(5));
    pipeline.setPreviewSize({800, 600});
    const std::size_t changedAt = count();
    ASSERT_TRUE(waitFor(changedAt + 5));
    pipeline.stop();

    std::lock_guard lock(mutex);
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].first, i + 1) << "the decoder handed over every frame in order";
        EXPECT_TRUE(seen[i].second == QSize(400, 300) || seen[i].second == QSize(800, 600));
        if (i > 0 && seen[i - 1].second == QSize(800, 600)) {
            EXPECT_EQ(seen[i].second, QSize(800, 600)) << "once switched it stays switched";
        }
    }
    EXPECT_EQ(seen.front().second, QSize(400, 300));
    EXPECT_EQ(seen.back().second, QSize(800, 600));
    EXPECT_EQ(whole.load(), int(seen.size()));
}

TEST_F(MjpegLive, NoCompressorWritesTheCamerasOwnJpegsWithoutLosingOne)
{
    s.camera.SetCompressorIndex(0);
    const QString path = dir.filePath(QStringLiteral("passthrough.avi"));
    ASSERT_TRUE(s.camera.VideoCaptureAvi(path)) << s.log.lines().join('\n').toStdString();
    ASSERT_TRUE(s.waitFrames(30));
    const QByteArray cameraFrame = encodedBytes(s.camera.latestFrame());
    ASSERT_TRUE(s.camera.VideoCaptureAviStop());
    EXPECT_EQ(s.camera.lastRecordingEnd(), platform::RecordingEnd::Finished);

    const std::vector<QByteArray> chunks = aviVideoChunks(path);
    ASSERT_GE(chunks.size(), 20u);
    // The virtual camera sends the same specimen every frame, so each frame in the file must be
    // the very bytes it sent: nothing decoded, nothing re-encoded.
    int identical = 0;
    for (const QByteArray &chunk : chunks)
        identical += chunk == cameraFrame;
    EXPECT_EQ(identical, int(chunks.size()));

    const platform::RecordingCounts counts = s.camera.session().pipeline()->recordingCounts();
    EXPECT_EQ(counts.framesWritten, chunks.size());
    EXPECT_EQ(counts.dropped(), 0u);
    EXPECT_TRUE(s.log.lines().join('\n').contains(
        QStringLiteral("frames written, 0 dropped")))
        << s.log.lines().join('\n').toStdString();

    const ClipReport r = checkClip(path);
    EXPECT_TRUE(r.discovered);
    EXPECT_TRUE(r.videoCaps.startsWith(QLatin1String("image/jpeg"))) << r.videoCaps.toStdString();
    EXPECT_EQ(QSize(r.width, r.height), QSize(1600, 1200));
    // At the camera's rate: the clip lasts as many thirtieths of a second as it has frames.
    EXPECT_NEAR(r.seconds, chunks.size() / 30.0, 0.1);
    if (r.ffprobeAvailable) {
        EXPECT_EQ(r.ffprobeCodec, QStringLiteral("mjpeg"));
        EXPECT_EQ(r.ffprobeFrames, int(chunks.size()));
    }
}

TEST_F(MjpegLive, AChosenCompressorStillGetsDecodedFullSizeFrames)
{
    const auto compressors = s.camera.compressors();
    int jpegenc = 0;
    for (std::size_t i = 0; i < compressors.size(); ++i)
        if (compressors[i].factory == QLatin1String("jpegenc"))
            jpegenc = int(i) + 1;
    if (!jpegenc)
        GTEST_SKIP() << "jpegenc is not installed";
    s.camera.SetCompressorIndex(jpegenc);
    s.camera.setCompressorSettings({{QStringLiteral("quality"), QStringLiteral("40")}});
    const QString path = dir.filePath(QStringLiteral("encoded.avi"));
    ASSERT_TRUE(s.camera.VideoCaptureAvi(path));
    ASSERT_TRUE(s.waitFrames(10));
    const QByteArray cameraFrame = encodedBytes(s.camera.latestFrame());
    ASSERT_TRUE(s.camera.VideoCaptureAviStop());
    const std::vector<QByteArray> chunks = aviVideoChunks(path);
    ASSERT_GE(chunks.size(), 5u);
    EXPECT_NE(chunks.front(), cameraFrame) << "re-encoded at the chosen quality, not passed through";
    const platform::DecodedPicture first = platform::decodeJpeg(chunks.front());
    ASSERT_TRUE(first.ok());
    EXPECT_EQ(first.bitmap.size(), QSize(1600, 1200));
}
