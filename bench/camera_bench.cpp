// Two figures, each printed beside its anchor measured in the same run:
//  (a) UI-thread work per 1600 x 1200 frame (hand-off, flip, overlay, painting) / memcpy of a frame;
//  (b) 20 s of the virtual camera at MJPG 1600 x 1200, 30 fps, through the program's pipeline into
//      the video widget: frames delivered / produced, and process CPU time / gst-launch-1.0 running
//      the same source, decoder and converter into fakesink.
#include "platform/framemailbox.h"
#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/gstcapturepipeline.h"
#include "platform/gst/gstinit.h"
#include "platform/gst/gstptr.h"
#include "platform/gst/specimen.h"
#include "platform/gst/systemmediabackend.h"
#include "platform/gst/virtualcamera.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <sys/resource.h>

namespace {

constexpr int kW = 1600, kH = 1200;

double cpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void BM_MemcpyFrame(benchmark::State &state)
{
    QImage a(kW, kH, QImage::Format_RGB32), b(kW, kH, QImage::Format_RGB32);
    a.fill(0x808080);
    for (auto _ : state) {
        std::memcpy(b.bits(), a.constBits(), std::size_t(a.sizeInBytes()));
        benchmark::DoNotOptimize(b.bits());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * a.sizeInBytes());
}

// Everything the UI thread does for one frame: take it from the mailbox, hand it to the widget,
// paint it flipped with the keyed overlay at the widget's size. Arguments: widget width, flip mode.
void BM_UiThreadFrame(benchmark::State &state)
{
    const int widgetW = int(state.range(0)), widgetH = widgetW * 3 / 4;
    platform::FrameMailbox box;
    camera::ui::VideoWidget widget;
    widget.resize(widgetW, widgetH);
    widget.setFlipMode(int(state.range(1)));
    platform::Bitmap overlay(kW, kH, 0xFFFFFF);
    {
        QPainter p(&overlay.image());
        p.setPen(QColor(255, 0, 0));
        p.drawLine(100, 100, 1500, 1100);
        p.drawEllipse(600, 400, 300, 300);
    }
    widget.setOverlay(overlay);
    const QImage frame = platform::drawSpecimen(kW, kH);
    QImage target(widgetW, widgetH, QImage::Format_RGB32);
    std::uint64_t seq = 0;
    for (auto _ : state) {
        box.put(platform::VideoFrame::of(frame, ++seq));   // (streaming side, a pointer copy)
        auto f = box.take();
        widget.setFrame(f->image);
        QPainter p(&target);
        widget.paintVideo(p, target.rect());
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
}

struct PipelineRun {
    std::uint64_t produced = 0, delivered = 0, shown = 0;
    double cpu = 0, seconds = 0;
};

GstPadProbeReturn countBuffer(GstPad *, GstPadProbeInfo *, gpointer user)
{
    static_cast<std::atomic<std::uint64_t> *>(user)->fetch_add(1, std::memory_order_relaxed);
    return GST_PAD_PROBE_OK;
}

PipelineRun runProgramPipeline(int seconds)
{
    platform::DiagnosticsLog log;
    platform::VirtualCameraRig rig(*platform::VirtualCameraOptions::parse(QStringLiteral("1")), log);
    platform::SystemMediaBackend backend(log, &rig);
    camera::TVideoCameraDS cam(backend, log);
    camera::ui::VideoWidget widget;
    widget.resize(400, 300);
    widget.show();
    QObject::connect(&cam, &camera::TVideoCameraDS::frameReady, &widget, [&] { widget.setFrame(cam.latestFrame().image); });
    cam.SetPreviewDefalutState(1, true);
    PipelineRun run;
    if (!cam.SearchDevice())
        return run;
    for (int slot = 0; slot < camera::DeviceTable::kSlots; ++slot)
        if (cam.deviceTable().slotIsSupported(slot) && platform::VirtualCameraRig::isVirtual(cam.deviceTable().record(slot)))
            cam.SetDeviceIndex(slot);
    if (!cam.DeviceConnect())
        return run;
    std::atomic<std::uint64_t> produced{0};
    auto *gst = dynamic_cast<platform::GstCapturePipeline *>(cam.session().pipeline());
    auto source = platform::GstPtr<GstElement>::adopt(gst_bin_get_by_name(GST_BIN(gst->pipelineElement()), "camera-source"));
    auto pad = platform::GstPtr<GstPad>::adopt(gst_element_get_static_pad(source.get(), "src"));
    // Count from the next frame on, so start-up frames do not skew the ratio.
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();
    gst_pad_add_probe(pad.get(), GST_PAD_PROBE_TYPE_BUFFER, countBuffer, &produced, nullptr);
    const std::uint64_t taken0 = cam.framesTaken(), shown0 = widget.framesShown();
    const double cpu0 = cpuSeconds(RUSAGE_SELF);
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    run.seconds = clock.elapsed() / 1000.0;
    run.cpu = cpuSeconds(RUSAGE_SELF) - cpu0;
    run.delivered = cam.framesTaken() - taken0;
    run.shown = widget.framesShown() - shown0;
    run.produced = produced.load();
    cam.DeviceDisConnect();
    return run;
}

double runGstLaunch(int seconds)
{
    // The same picture, source elements, encoder, decoder and converter, into fakesink.
    QTemporaryDir dir;
    const QImage specimen = platform::drawSpecimen(kW, kH);
    QFile raw(dir.filePath(QStringLiteral("specimen.bgrx")));
    if (!raw.open(QIODevice::WriteOnly))
        return 0;
    for (int y = 0; y < kH; ++y)
        raw.write(reinterpret_cast<const char *>(specimen.constScanLine(y)), kW * 4);
    raw.close();
    const QString launch = QStringLiteral(
        "filesrc location=%1 blocksize=%2 ! rawvideoparse width=%3 height=%4 format=bgrx framerate=1/1 ! "
        "imagefreeze is-live=true ! video/x-raw,framerate=30/1 ! videobalance ! videoconvert ! video/x-raw,format=I420 ! "
        "jpegenc quality=85 ! image/jpeg ! queue max-size-buffers=3 ! jpegdec ! videoconvert ! video/x-raw,format=BGRx ! "
        "tee ! queue max-size-buffers=2 ! fakesink sync=false")
                               .arg(raw.fileName())
                               .arg(kW * kH * 4)
                               .arg(kW)
                               .arg(kH);
    const double before = cpuSeconds(RUSAGE_CHILDREN);
    QProcess p;
    p.setProgram(QStringLiteral("gst-launch-1.0"));
    p.setArguments(QStringList{QStringLiteral("-q"), QStringLiteral("-e")} + QProcess::splitCommand(launch));
    p.start();
    if (!p.waitForStarted(5000))
        return 0;
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    p.terminate();   // SIGTERM; -e is for SIGINT, the figure is the CPU time either way
    p.waitForFinished(5000);
    return cpuSeconds(RUSAGE_CHILDREN) - before;
}

void BM_PreviewPipeline20s(benchmark::State &state)
{
    const int seconds = int(state.range(0));
    PipelineRun run;
    double baseline = 0;
    for (auto _ : state) {
        run = runProgramPipeline(seconds);
        baseline = runGstLaunch(seconds);
    }
    state.counters["produced"] = double(run.produced);
    state.counters["delivered"] = double(run.delivered);
    state.counters["dropped"] = double(run.produced) - double(run.delivered);
    state.counters["cpu_s"] = run.cpu;
    state.counters["gst_launch_cpu_s"] = baseline;
    state.counters["cpu_vs_gst_launch"] = baseline > 0 ? run.cpu / baseline : 0;
    state.counters["fps"] = run.seconds > 0 ? run.delivered / run.seconds : 0;
}

} // namespace

BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UiThreadFrame)->ArgsProduct({{400, 1600}, {0, 1, 2, 3}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PreviewPipeline20s)->Arg(20)->Iterations(1)->Unit(benchmark::kSecond);

int main(int argc, char **argv)
{
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::initGStreamer();
    benchmark::Initialize(&argc, argv);
    // The ratios of (a) are printed by a reporter below from the two measured times.
    struct Ratio : benchmark::ConsoleReporter {
        double memcpyNs = 0;
        void ReportRuns(const std::vector<Run> &runs) override
        {
            ConsoleReporter::ReportRuns(runs);
            for (const Run &r : runs) {
                const double ns = r.GetAdjustedRealTime() * (r.time_unit == benchmark::kMicrosecond ? 1e3 : 1.0);
                if (r.benchmark_name().find("BM_MemcpyFrame") != std::string::npos)
                    memcpyNs = ns;
                else if (r.benchmark_name().find("BM_UiThreadFrame") != std::string::npos && memcpyNs > 0)
                    std::printf("   -> %s: %.2f x memcpy of one 1600x1200 frame (goal <= 3)\n", r.benchmark_name().c_str(),
                                ns / memcpyNs);
            }
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
