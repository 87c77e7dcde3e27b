// The paced conversions with their pacing period set to 0, so what is measured is the decoding,
// encoding and writing they hand to their worker thread, against the ffmpeg tool doing the same
// work: 300 frames of a 1600 x 1200 MJPEG AVI to BMP and to JPEG files, and 300 JPEG pictures of
// that size into an uncompressed (BGR) and an MJPEG AVI. The ratio is ours / ffmpeg's time; the
// goal is at most 1.25 (at least 0.8 times ffmpeg's rate). ffmpeg's time includes starting its
// process.
#include "ratio.h"
#include "platform/aviwriter.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/gstaviwriter.h"
#include "platform/gst/gstinit.h"
#include "platform/gst/gstptr.h"
#include "platform/gst/gstvideoframereader.h"
#include "platform/videoframereader.h"
#include "tools/imagestovideoconverter.h"
#include "tools/videotoimagesconverter.h"

#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <gst/gst.h>

namespace {

constexpr int kFrames = 300;

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

bool run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(300000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool ffmpeg(QStringList args)
{
    args.prepend(QStringLiteral("-y"));
    args.prepend(QStringLiteral("error"));
    args.prepend(QStringLiteral("-v"));
    return run(QStringLiteral("ffmpeg"), args);
}

// The clip, written once through GStreamer; empty when that failed.
QString clip()
{
    const QString path = folder().filePath(QStringLiteral("clip.avi"));
    if (QFile::exists(path))
        return path;
    const QString description =
        QStringLiteral("videotestsrc num-buffers=%1 pattern=smpte ! video/x-raw,width=1600,height=1200,framerate=25/1 ! "
                       "videoconvert ! jpegenc quality=90 ! avimux ! filesink location=\"%2\"")
            .arg(kFrames)
            .arg(path);
    GError *raw = nullptr;
    platform::GstPtr<GstElement> pipeline =
        platform::GstPtr<GstElement>::sink(gst_parse_launch(description.toUtf8().constData(), &raw));
    platform::GErrorPtr error(raw);
    if (!pipeline || error)
        return {};
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    platform::GstPtr<GstBus> bus = platform::GstPtr<GstBus>::adopt(gst_element_get_bus(pipeline.get()));
    platform::GstMessagePtr msg(
        gst_bus_timed_pop_filtered(bus.get(), 120 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return msg && GST_MESSAGE_TYPE(msg.get()) == GST_MESSAGE_EOS ? path : QString();
}

// The 300 pictures, cut from the clip once.
QString pictures()
{
    const QString dir = folder().filePath(QStringLiteral("pictures"));
    if (QDir(dir).entryList(QDir::Files).size() == kFrames)
        return dir;
    QDir().mkpath(dir);
    const QString source = clip();
    if (source.isEmpty() || !ffmpeg({"-i", source, "-q:v", "2", dir + "/img_%03d.jpg"}))
        return {};
    return dir;
}

QString freshFolder(const QString &name)
{
    QDir(folder().filePath(name)).removeRecursively();
    QDir().mkpath(folder().filePath(name));
    return folder().filePath(name);
}

bool ourVideoToImages(const QString &source, const QString &out, bool jpg)
{
    platform::DiagnosticsLog log;
    tools::VideoToImagesConverter converter(
        log, [](const QString &p, QString *why) { return platform::openVideoFrameReader(p, why); });
    tools::VideoToImagesJob job;
    job.videoPath = source;
    job.baseName = QStringLiteral("clip");
    job.savePath = out;
    job.jpg = jpg;
    job.jpegQuality = 90;
    job.stepSeconds = 1.0 / 25;
    job.totalFiles = kFrames;
    job.periodMs = 0;
    QEventLoop loop;
    bool cancelled = true;
    QObject::connect(&converter, &tools::VideoToImagesConverter::finished, &loop, [&](bool c) {
        cancelled = c;
        loop.quit();
    });
    converter.start(job);
    loop.exec();
    return !cancelled && converter.filesDone() == kFrames;
}

bool ourImagesToVideo(const QString &dir, const QString &out, const QString &compressor)
{
    platform::DiagnosticsLog log;
    tools::ImagesToVideoConverter converter(log, [](const platform::AviWriterOptions &o) { return platform::createAviWriter(o); });
    tools::ImagesToVideoJob job;
    job.folder = dir;
    job.chosen = QDir(dir).entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name);
    job.outputPath = out;
    job.framePeriodMs = 40;
    job.compressor = compressor;
    job.periodMs = 0;
    QEventLoop loop;
    tools::ImagesToVideoResult result;
    QObject::connect(&converter, &tools::ImagesToVideoConverter::finished, &loop, [&](const tools::ImagesToVideoResult &r) {
        result = r;
        loop.quit();
    });
    converter.start(job);
    loop.exec();
    return result.fileWritten && result.framesWritten == kFrames;
}

bool haveFfmpeg(benchmark::State &state)
{
    if (!QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
        return true;
    state.SkipWithError("the ffmpeg tool is not installed");
    return false;
}

void BM_VideoToImages(benchmark::State &state, bool jpg)
{
    if (!haveFfmpeg(state))
        return;
    const QString source = clip();
    if (source.isEmpty()) {
        state.SkipWithError("the clip could not be written");
        return;
    }
    const QString pattern = jpg ? QStringLiteral("/f_%03d.jpg") : QStringLiteral("/f_%03d.bmp");
    bool ok = true;
    bench::measureRatio(
        state, [&] { ok = ourVideoToImages(source, freshFolder(QStringLiteral("ours")), jpg) && ok; },
        [&] {
            QStringList args{"-i", source};
            if (jpg)
                args << "-q:v" << "2";
            ok = ffmpeg(args << freshFolder(QStringLiteral("anchor")) + pattern) && ok;
        });
    if (!ok)
        state.SkipWithError("a conversion failed");
}

void BM_ImagesToVideo(benchmark::State &state, bool mjpeg)
{
    if (!haveFfmpeg(state))
        return;
    const QString dir = pictures();
    if (dir.isEmpty()) {
        state.SkipWithError("the pictures could not be written");
        return;
    }
    bool ok = true;
    bench::measureRatio(
        state,
        [&] {
            ok = ourImagesToVideo(dir, folder().filePath(QStringLiteral("ours.avi")),
                                  mjpeg ? QStringLiteral("jpegenc") : QString())
                 && ok;
        },
        [&] {
            QStringList args{"-framerate", "25", "-i", dir + "/img_%03d.jpg"};
            if (mjpeg)
                args << "-c:v" << "mjpeg" << "-q:v" << "2";
            else
                args << "-c:v" << "rawvideo" << "-pix_fmt" << "bgr24";
            ok = ffmpeg(args << folder().filePath(QStringLiteral("anchor.avi"))) && ok;
        });
    if (!ok)
        state.SkipWithError("a conversion failed");
}

BENCHMARK_CAPTURE(BM_VideoToImages, bmp, false)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_VideoToImages, jpg, true)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_ImagesToVideo, uncompressed, false)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_ImagesToVideo, mjpeg, true)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    platform::initGStreamer();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
