// Frame 30 of a recorded clip (640 x 480, 30 fps, 60 frames; raw BGR and MJPG) taken with
// GetAviFrame (probe, preroll, accurate seek, pull, all in memory) against `ffmpeg -ss 1 -i clip
// -frames:v 1 frame.bmp`, the same frame to a BMP file. The ratio is ours / ffmpeg; the goal is
// at most 1.0. ffmpeg's time includes starting its process, which is what a caller of the tool
// pays as well.
#include "platform/gst/frameextractor.h"
#include "ratio.h"
#include "platform/gst/gstinit.h"
#include "platform/gst/gstptr.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <gst/gst.h>

namespace {

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

// Writes the clip once through GStreamer; empty when that failed.
QString clip(const char *name, const char *encoder)
{
    const QString path = folder().filePath(QLatin1String(name));
    if (QFile::exists(path))
        return path;
    const QString description = QStringLiteral("videotestsrc num-buffers=60 pattern=smpte ! video/x-raw,width=640,height=480,"
                                               "framerate=30/1 ! videoconvert ! %1 ! avimux ! filesink location=\"%2\"")
                                    .arg(QLatin1String(encoder), path);
    GError *raw = nullptr;
    platform::GstPtr<GstElement> pipeline = platform::GstPtr<GstElement>::sink(gst_parse_launch(description.toUtf8().constData(), &raw));
    platform::GErrorPtr error(raw);
    if (!pipeline || error)
        return {};
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    platform::GstPtr<GstBus> bus = platform::GstPtr<GstBus>::adopt(gst_element_get_bus(pipeline.get()));
    platform::GstMessagePtr msg(
        gst_bus_timed_pop_filtered(bus.get(), 30 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return msg && GST_MESSAGE_TYPE(msg.get()) == GST_MESSAGE_EOS ? path : QString();
}

bool ffmpegFrame(const QString &path, const QString &bmp)
{
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-ss"),
                                       QStringLiteral("1"), QStringLiteral("-i"), path, QStringLiteral("-frames:v"),
                                       QStringLiteral("1"), bmp});
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void BM_FrameThirty(benchmark::State &state, const char *name, const char *encoder)
{
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty()) {
        state.SkipWithError("the ffmpeg tool is not installed");
        return;
    }
    const QString path = clip(name, encoder);
    if (path.isEmpty()) {
        state.SkipWithError("the clip could not be written");
        return;
    }
    const QString bmp = folder().filePath(QStringLiteral("frame.bmp"));
    bool ok = true;
    bench::measureRatio(
        state,
        [&] {
            std::optional<platform::Bitmap> frame = platform::GetAviFrame(path, 30);
            ok = ok && frame.has_value();
            benchmark::DoNotOptimize(frame);
        },
        [&] { ok = ffmpegFrame(path, bmp) && ok; });
    if (!ok)
        state.SkipWithError("an extraction failed");
}

BENCHMARK_CAPTURE(BM_FrameThirty, raw, "raw.avi", "video/x-raw,format=BGR")->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_FrameThirty, mjpg, "mjpg.avi", "jpegenc")->Unit(benchmark::kMillisecond)->MinTime(2.0);

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
