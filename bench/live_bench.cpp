// The live path of a 1600 x 1200 MJPEG camera, each figure beside its anchor from the same run.
// The camera is the virtual camera in its pre-encoded mode: one JPEG of the micrometer sent again
// at 30 fps, so that neither side counts the encoding a real camera does in its own chip.
//  (a) process CPU of the preview (pipeline, decode at the size shown, hand-off, painting) in the
//      Normal preset (400 x 300) and in Full Screen on a 1920 x 1080 screen (1920 x 972), against
//      the chain gst-launch-1.0 runs for "jpegdec ! videoconvert ! fakesink" on the same source,
//      built in this process (gst-launch itself cannot pace a pre-encoded JPEG stream with the
//      plugins installed here); frames the preview dropped;
//  (b) the same preview while recording with "No Compressor" (the camera's JPEGs into the AVI):
//      frames written and dropped, CPU against the preview alone;
//  (c) the UI thread's work for one 400 x 300 frame against a memcpy of one 1600 x 1200 frame.
// SENDRA_BENCH_LIVE_SECONDS sets the length of each side of (a) and (b) (60 by default), made in
// SENDRA_BENCH_LIVE_ROUNDS alternating pieces (4 by default).
#include "livepreview.h"
#include "ratio.h"

#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "platform/diagnosticslog.h"
#include "platform/framemailbox.h"
#include "platform/gst/gstinit.h"
#include "platform/gst/gstptr.h"
#include "platform/gst/systemmediabackend.h"
#include "platform/gst/virtualcamera.h"
#include "platform/gst/specimen.h"
#include "platform/jpegcodec.h"
#include "platform/picturecodec.h"
#include "platform/previewdecoder.h"
#include "platform/yuvplanes.h"
#include "platform/yuvscaler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <gst/gst.h>
#include <turbojpeg.h>

#include <cstring>

namespace {

constexpr int kW = 1600, kH = 1200, kFps = 30;

using bench::cpuSeconds;
using bench::runSeconds;
using bench::spin;
using bench::LiveRun;

// The frames ("00dc" chunks) in an AVI's movi list.
int aviFrames(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray avi = file.readAll();
    const qsizetype movi = avi.indexOf("movi");
    int frames = 0;
    for (qsizetype at = movi + 4; movi >= 0 && at + 8 <= avi.size();) {
        const QByteArray id = avi.mid(at, 4);
        const auto size = qsizetype(quint8(avi[at + 4]) | quint8(avi[at + 5]) << 8 | quint8(avi[at + 6]) << 16 |
                                    quint32(quint8(avi[at + 7])) << 24);
        if (id == "idx1")
            break;
        if (id == "LIST") {
            at += 12;
            continue;
        }
        frames += id == "00dc" || id == "00db";   // avimux marks JPEG frames "db"
        at += 8 + size + (size & 1);
    }
    return frames;
}

// The program's camera component and video widget on the pre-encoded virtual camera.
LiveRun runPreview(QSize shown, int seconds, const QString &recordTo = {})
{
    platform::DiagnosticsLog log;
    platform::VirtualCameraRig rig(*platform::VirtualCameraOptions::parse(QStringLiteral("preencoded")), log);
    platform::SystemMediaBackend backend(log, &rig);
    camera::TVideoCameraDS cam(backend, log);
    camera::ui::VideoWidget widget;
    widget.resize(shown);
    widget.show();
    QObject::connect(&cam, &camera::TVideoCameraDS::frameReady, &widget, [&] { widget.setFrame(cam.latestFrame().image); });
    cam.setPreviewSize(widget.shownSize());
    cam.SetPreviewDefalutState(1, true);
    LiveRun run;
    if (!bench::connectVirtualCamera(cam))
        return run;
    spin(500);   // past the start-up frames
    if (!recordTo.isEmpty() && !cam.VideoCaptureAvi(recordTo))
        return run;
    const std::uint64_t sent0 = rig.preEncodedFramesSent(), seq0 = cam.latestFrame().sequence,
                        shown0 = widget.framesShown();
    const double cpu0 = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    spin(seconds * 1000);
    run.seconds = clock.elapsed() / 1000.0;
    run.cpu = cpuSeconds() - cpu0;
    run.sent = rig.preEncodedFramesSent() - sent0;
    run.decoded = cam.latestFrame().sequence - seq0;
    run.shown = widget.framesShown() - shown0;
    if (!recordTo.isEmpty()) {
        cam.VideoCaptureAviStop();
        const platform::RecordingCounts c = cam.session().pipeline()->recordingCounts();
        run.recordedIn = c.framesIn;
        run.recordedWritten = c.framesWritten;
        run.framesInFile = aviFrames(recordTo);
    }
    cam.DeviceDisConnect();
    return run;
}

GstPadProbeReturn countBuffer(GstPad *, GstPadProbeInfo *, gpointer user)
{
    ++*static_cast<std::uint64_t *>(user);
    return GST_PAD_PROBE_OK;
}

// "source ! jpegdec ! videoconvert ! fakesink" on the same pre-encoded source.
LiveRun runDecodeChain(int seconds)
{
    platform::DiagnosticsLog log;
    platform::VirtualCameraRig rig(*platform::VirtualCameraOptions::parse(QStringLiteral("preencoded")), log);
    LiveRun run;
    const std::vector<platform::DeviceRecord> devices = rig.devices();
    if (devices.empty())
        return run;
    QString why;
    GstElement *source = rig.createSource(devices.front(), {platform::kFourccMjpg, kW, kH, {kFps, 1}}, why);
    GError *error = nullptr;
    GstElement *tail = gst_parse_bin_from_description("jpegdec ! videoconvert ! fakesink name=sink", TRUE, &error);
    if (!source || !tail) {
        g_clear_error(&error);
        return run;
    }
    auto pipeline = platform::GstPtr<GstElement>::sink(gst_pipeline_new("anchor"));
    gst_bin_add_many(GST_BIN(pipeline.get()), source, tail, nullptr);
    gst_element_link(source, tail);
    std::uint64_t decoded = 0;
    auto sink = platform::GstPtr<GstElement>::adopt(gst_bin_get_by_name(GST_BIN(tail), "sink"));
    auto pad = platform::GstPtr<GstPad>::adopt(gst_element_get_static_pad(sink.get(), "sink"));
    gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, countBuffer, &decoded, nullptr);
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    spin(500);
    const std::uint64_t sent0 = rig.preEncodedFramesSent(), decoded0 = decoded;
    const double cpu0 = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    spin(seconds * 1000);
    run.seconds = clock.elapsed() / 1000.0;
    run.cpu = cpuSeconds() - cpu0;
    run.sent = rig.preEncodedFramesSent() - sent0;
    run.decoded = decoded - decoded0;
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return run;
}

void report(benchmark::State &state, const LiveRun &ours, const LiveRun &anchor)
{
    state.counters["ours_cpu_s"] = ours.cpu;
    state.counters["anchor_cpu_s"] = anchor.cpu;
    state.counters["cpu_ratio"] = anchor.cpu > 0 ? ours.cpu / anchor.cpu : 0;
    state.counters["sent"] = double(ours.sent);
    state.counters["dropped"] = double(ours.sent) - double(ours.decoded);
    state.counters["shown_fps"] = ours.seconds > 0 ? ours.shown / ours.seconds : 0;
}

// (a) Arguments: shown width and height. Goals: Normal at most 0.7, Full Screen at most 1.8.
void LivePreviewCpuVsDecodeChain(benchmark::State &state)
{
    const QSize shown(int(state.range(0)), int(state.range(1)));
    LiveRun ours, anchor;
    for (auto _ : state)
        bench::alternateRuns(ours, anchor, [&](int s) { return runPreview(shown, s); },
                             [&](int s) { return runDecodeChain(s); });
    report(state, ours, anchor);
}

// (b) Goal: 0 dropped, every frame in the file, CPU at most 1.05 of the preview alone.
void RecordingNoCompressorVsPreviewAlone(benchmark::State &state)
{
    QTemporaryDir dir;
    LiveRun recording, alone;
    for (auto _ : state)
        bench::alternateRuns(recording, alone,
                             [&](int s) { return runPreview({400, 300}, s, dir.filePath(QStringLiteral("passthrough.avi"))); },
                             [&](int s) { return runPreview({400, 300}, s); });
    report(state, recording, alone);
    state.counters["rec_in"] = double(recording.recordedIn);
    state.counters["rec_written"] = double(recording.recordedWritten);
    state.counters["rec_dropped"] = double(recording.recordedIn) - double(recording.recordedWritten);
    state.counters["frames_in_file"] = recording.framesInFile;
}

// (c) One frame as the UI thread handles it at 400 x 300: mailbox, widget, painting into the
// window's backing store; against one memcpy of a 1600 x 1200 frame. Goal: at most 1.
void UiThreadFrame400x300VsMemcpy1600x1200(benchmark::State &state)
{
    const QImage shownFrame = platform::scaleForPreview(QImage(kW, kH, QImage::Format_RGB32), {400, 300});
    platform::FrameMailbox box;
    camera::ui::VideoWidget widget;
    widget.resize(400, 300);
    QImage store(400, 300, QImage::Format_RGB32);   // stands for the window's backing store
    QImage from(kW, kH, QImage::Format_RGB32), to(kW, kH, QImage::Format_RGB32);
    from.fill(0x808080);
    std::uint64_t seq = 0;
    bench::measureRatio(
        state,
        [&] {
            box.put(platform::VideoFrame::of(shownFrame, ++seq));
            auto f = box.take();
            widget.setFrame(f->image);
            QPainter p(&store);
            widget.paintVideo(p, store.rect());
            p.end();
            benchmark::DoNotOptimize(store.constBits());
        },
        [&] {
            std::memcpy(to.bits(), from.constBits(), std::size_t(from.sizeInBytes()));
            benchmark::DoNotOptimize(to.bits());
            benchmark::ClobberMemory();
        });
}

// (d) The streaming thread's work for one frame at a shown size (decode at the reduction, filter
// to the size) against what jpegdec does with the same JPEG: a full decode to YUV planes, no
// colour conversion. Arguments: shown width and height.
void ShownFrameFromJpegVsFullYuvDecode(benchmark::State &state)
{
    const QSize shown(int(state.range(0)), int(state.range(1)));
    const QByteArray jpeg = platform::encodeJpeg(platform::Bitmap(platform::drawSpecimen(kW, kH)), 85);
    const auto *data = reinterpret_cast<const unsigned char *>(jpeg.constData());
    platform::PreviewDecoder decoder;
    tjhandle tj = tjInitDecompress();
    std::vector<unsigned char> yuv(tjBufSizeYUV2(kW, 4, kH, TJSAMP_420));
    QImage picture;
    bench::measureRatio(
        state,
        [&] {
            QSize size;
            picture = decoder.decodeJpeg(data, std::size_t(jpeg.size()), shown, size);
            benchmark::DoNotOptimize(picture.constBits());
        },
        [&] {
            tjDecompressToYUV2(tj, data, static_cast<unsigned long>(jpeg.size()), yuv.data(), kW, 4, kH, 0);
            benchmark::DoNotOptimize(yuv.data());
        });
    tjDestroy(tj);
}

// (e) The floors under (a) and (d) that no preview built on libjpeg-turbo goes below, on the same
// JPEG: its own decode at 1/4 into BGRX (the Normal preset's reduction), at 1/8 (little more than
// the entropy decoding every frame needs), and at full size into BGRX (the colour conversion any
// RGB picture on the screen needs, before any scaling), each against the full decode to YUV
// planes that jpegdec does. Argument: the reduction.
void LibjpegTurboDecodeVsFullYuvDecode(benchmark::State &state)
{
    const int n = int(state.range(0));
    const QByteArray jpeg = platform::encodeJpeg(platform::Bitmap(platform::drawSpecimen(kW, kH)), 85);
    const auto *data = reinterpret_cast<const unsigned char *>(jpeg.constData());
    tjhandle tj = tjInitDecompress();
    std::vector<unsigned char> yuv(tjBufSizeYUV2(kW, 4, kH, TJSAMP_420));
    std::vector<unsigned char> bgrx(std::size_t(kW) * kH * 4);
    const auto size = static_cast<unsigned long>(jpeg.size());
    bench::measureRatio(
        state,
        [&] {
            tjDecompress2(tj, data, size, bgrx.data(), kW / n, 0, kH / n, TJPF_BGRX, TJFLAG_FASTDCT);
            benchmark::DoNotOptimize(bgrx.data());
        },
        [&] {
            tjDecompressToYUV2(tj, data, size, yuv.data(), kW, 4, kH, 0);
            benchmark::DoNotOptimize(yuv.data());
        });
    tjDestroy(tj);
}

// (f) The two orders of making the shown frame, each against the full decode to YUV planes:
// order 0 decodes at the reduction into BGRX (the decoder converts colour) and filters the result
// when its size is not yet the shown one; order 1 decodes full-size planes, filters them to the
// shown size and converts only the shown pixels. The preview takes order 0 where the reduction
// already gives the shown size and order 1 where full-size pixels are filtered. Arguments: shown
// width and height, order.
void ShownFrameOrderVsFullYuvDecode(benchmark::State &state)
{
    const QSize shown(int(state.range(0)), int(state.range(1)));
    const bool planesFirst = state.range(2) == 1;
    const QByteArray jpeg = platform::encodeJpeg(platform::Bitmap(platform::drawSpecimen(kW, kH)), 85);
    const auto *data = reinterpret_cast<const unsigned char *>(jpeg.constData());
    const auto size = std::size_t(jpeg.size());
    platform::JpegCodec codec;
    platform::YuvPlanes planes;
    platform::YuvScaler scaler;
    const int n = platform::previewReduction({kW, kH}, shown);
    QImage decoded(platform::JpegCodec::reducedSize({kW, kH}, n), QImage::Format_RGB32);
    QImage out(shown, QImage::Format_RGB32);
    tjhandle tj = tjInitDecompress();
    std::vector<unsigned char> yuv(tjBufSizeYUV2(kW, 4, kH, TJSAMP_420));
    bench::measureRatio(
        state,
        [&] {
            if (planesFirst) {
                codec.decodePlanes(data, size, planes, true);
                scaler.scale(planes, out);
                benchmark::DoNotOptimize(out.constBits());
            } else {
                codec.decodeBgrx(data, size, n, decoded.bits(), decoded.bytesPerLine(), true);
                benchmark::DoNotOptimize(platform::scaleForPreview(decoded, shown).constBits());
            }
        },
        [&] {
            tjDecompressToYUV2(tj, data, static_cast<unsigned long>(size), yuv.data(), kW, 4, kH, 0);
            benchmark::DoNotOptimize(yuv.data());
        });
    tjDestroy(tj);
}

} // namespace

BENCHMARK(ShownFrameOrderVsFullYuvDecode)
    ->Args({400, 300, 0})
    ->Args({400, 300, 1})
    ->Args({1920, 972, 0})
    ->Args({1920, 972, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK(LibjpegTurboDecodeVsFullYuvDecode)->Arg(4)->Arg(8)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ShownFrameFromJpegVsFullYuvDecode)->Args({400, 300})->Args({1376, 1032})->Args({1920, 972})->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(LivePreviewCpuVsDecodeChain)->Args({400, 300})->Args({1920, 972})->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(RecordingNoCompressorVsPreviewAlone)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(UiThreadFrame400x300VsMemcpy1600x1200)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

int main(int argc, char **argv) { return bench::runLiveBenchmarks(argc, argv); }
