// The focus aids, each figure beside its anchor from the same run. The picture is the virtual
// camera's micrometer at 1600 x 1200 filtered to the shown size, as the preview makes it.
//  (a) the streaming thread's focus score plus focus peaking for one shown frame (one Laplacian
//      pass that also writes the edge marks) against a memcpy of the shown frame, at 400 x 300 and
//      1920 x 1080; goal at most 2;
//  (b) the live histogram for one shown frame (the counts and the clipped pixels it reports, one
//      fused pass) against the same memcpy; luma is counted at most every 250 ms and red, green
//      and blue every 500 ms (FocusAidAnalyzer::histogramIntervalMs), so at 30 fps one frame in
//      7.5 or in 15 pays for it: per_frame_ratio is the ratio over the frames it runs on. Goal at
//      most 1;
//  (c) the clipping warning's pass and the UI thread's marks (stripes and tint laid over the
//      frame where it is painted: only the 32-pixel pieces that hold a mark, as the video area
//      does into its window), against the same memcpy;
//  (d) process CPU of the live preview of the pre-encoded 1600 x 1200 MJPEG camera at 30 fps with
//      the meter, peaking, the clipping warning and the histogram window on, against the same
//      preview with them all off, at the Normal preset's 400 x 300 and at 1920 x 1080; frames
//      dropped by each. Goal at most 1.15, 0 dropped.
// SENDRA_BENCH_LIVE_SECONDS sets the length of each side of (d) (60 by default), made in
// SENDRA_BENCH_LIVE_ROUNDS alternating pieces (4 by default).
#include "livepreview.h"
#include "ratio.h"

#include "camera/bitplane.h"
#include "camera/clipmask.h"
#include "camera/focusaidanalyzer.h"
#include "camera/focusmarks.h"
#include "camera/focusmeasure.h"
#include "camera/livehistogram.h"
#include "camera/ui/histogramwidget.h"
#include "camera/ui/sharpnessmeterwidget.h"
#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/gstinit.h"
#include "platform/gst/specimen.h"
#include "platform/gst/systemmediabackend.h"
#include "platform/gst/virtualcamera.h"
#include "platform/previewdecoder.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstring>

namespace {

// 30 fps, and a histogram at most every histogramIntervalMs().
constexpr double framesPerHistogram(camera::HistogramChannels channels)
{
    return 30.0 * double(camera::FocusAidAnalyzer::histogramIntervalMs(channels)) / 1000.0;
}

QImage shownSpecimen(QSize shown)
{
    return platform::scaleForPreview(platform::drawSpecimen(1600, 1200), shown).convertToFormat(QImage::Format_RGB32);
}

// The anchor: a memcpy of the shown frame into another buffer of its size.
struct FrameCopy {
    explicit FrameCopy(const QImage &frame) : from(frame), to(frame.size(), QImage::Format_RGB32) {}
    void operator()()
    {
        std::memcpy(to.bits(), from.constBits(), std::size_t(from.sizeInBytes()));
        benchmark::DoNotOptimize(to.bits());
        benchmark::ClobberMemory();
    }
    QImage from, to;
};

// (a) Arguments: shown width and height.
void FocusScorePlusPeakingVsMemcpy(benchmark::State &state)
{
    const QImage frame = shownSpecimen(QSize(int(state.range(0)), int(state.range(1))));
    camera::BitPlane marks(frame.width(), frame.height());
    FrameCopy copy(frame);
    double score = 0;
    bench::measureRatio(
        state,
        [&] {
            score = camera::focusScore(camera::laplacianPass(frame, frame.rect(), camera::kPeakingThreshold, &marks));
            benchmark::DoNotOptimize(score);
        },
        copy);
    state.counters["marked"] = double(marks.count());
}

// (b) Arguments: shown width and height, 0 luma or 1 red, green and blue.
void HistogramVsMemcpy(benchmark::State &state)
{
    const QImage frame = shownSpecimen(QSize(int(state.range(0)), int(state.range(1))));
    const auto channels = state.range(2) ? camera::HistogramChannels::Rgb : camera::HistogramChannels::Luma;
    FrameCopy copy(frame);
    bench::measureRatio(
        state,
        [&] {
            camera::LiveHistogram h = camera::countHistogram(frame, channels);
            benchmark::DoNotOptimize(h);
        },
        copy);
    state.counters["per_frame_ratio"] = state.counters["ratio"] / framesPerHistogram(channels);
}

// (c) The clipping warning's pass (argument 2: 0), or the marks laid over the frame on the UI
// thread (1), with peaking and zebra both on.
void ClippingAndMarksVsMemcpy(benchmark::State &state)
{
    const QImage frame = shownSpecimen(QSize(int(state.range(0)), int(state.range(1))));
    camera::FocusMarks marks;
    marks.peaking = camera::BitPlane(frame.width(), frame.height());
    camera::laplacianPass(frame, frame.rect(), camera::kPeakingThreshold, &marks.peaking);
    camera::findClippedPixels(frame, marks.clippedHigh, marks.clippedLow);
    QImage shown(frame.size(), QImage::Format_RGB32);
    FrameCopy copy(frame);
    if (state.range(2) == 0)
        bench::measureRatio(state, [&] { camera::findClippedPixels(frame, marks.clippedHigh, marks.clippedLow); }, copy);
    else {
        // The frame is already there (the painter's copy, paid with the aids off as well); the
        // marks go over it in place. Done again over the same pixels, the work is the same.
        std::memcpy(shown.bits(), frame.constBits(), std::size_t(frame.sizeInBytes()));
        bench::measureRatio(
            state,
            [&] {
                camera::composeMarksOnto(marks, camera::kDefaultPeakingColour, shown.bits(), shown.bytesPerLine(), false,
                                         false);
                benchmark::DoNotOptimize(shown.bits());
            },
            copy);
    }
}

using bench::cpuSeconds;
using bench::runSeconds;
using bench::spin;
using bench::LiveRun;

// The program's camera component and video widget on the pre-encoded virtual camera, with the
// focus aids wired as the program wires them: the analyzer on the capture session, the marks,
// the meter and the histogram window's plot fed from each frame on the UI thread.
LiveRun runPreview(QSize shown, bool aids, int seconds)
{
    platform::DiagnosticsLog log;
    platform::VirtualCameraRig rig(*platform::VirtualCameraOptions::parse(QStringLiteral("preencoded")), log);
    platform::SystemMediaBackend backend(log, &rig);
    camera::TVideoCameraDS cam(backend, log);
    auto analyzer = std::make_shared<camera::FocusAidAnalyzer>();
    camera::FocusAidSettings settings;
    settings.meter = settings.peaking = settings.zebra = settings.histogram = aids;
    analyzer->setSettings(settings);
    cam.session().setFrameAnalyzer(analyzer);
    camera::ui::VideoWidget widget;
    widget.resize(shown);
    widget.show();
    camera::ui::SharpnessMeterWidget meter;
    camera::ui::HistogramWidget histogram;
    if (aids) {
        meter.show();
        histogram.show();
    }
    std::uint64_t histogramShown = 0;
    QObject::connect(&cam, &camera::TVideoCameraDS::frameReady, &widget, [&] {
        const platform::VideoFrame &frame = cam.latestFrame();
        widget.setFrame(frame.image);
        const auto a = std::dynamic_pointer_cast<const camera::FocusAidAnalysis>(frame.analysis);
        if (!a)
            return;
        widget.setFocusMarks(a->marks, camera::kDefaultPeakingColour);
        if (a->score)
            meter.setScore(*a->score, a->best);
        if (a->histogram && a->histogram->serial != histogramShown) {
            histogramShown = a->histogram->serial;
            histogram.setHistogram(a->histogram);
        }
    });
    cam.setPreviewSize(widget.shownSize());
    cam.SetPreviewDefalutState(1, true);
    LiveRun run;
    if (!bench::connectVirtualCamera(cam))
        return run;
    spin(500);   // past the start-up frames
    const std::uint64_t sent0 = rig.preEncodedFramesSent(), seq0 = cam.latestFrame().sequence, shown0 = widget.framesShown();
    const double cpu0 = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    spin(seconds * 1000);
    run.seconds = clock.elapsed() / 1000.0;
    run.cpu = cpuSeconds() - cpu0;
    run.sent = rig.preEncodedFramesSent() - sent0;
    run.decoded = cam.latestFrame().sequence - seq0;
    run.shown = widget.framesShown() - shown0;
    cam.DeviceDisConnect();
    return run;
}

// (d) Arguments: shown width and height.
void LiveCpuAllAidsOnVsAllOff(benchmark::State &state)
{
    const QSize shown(int(state.range(0)), int(state.range(1)));
    LiveRun on, off;
    for (auto _ : state)
        bench::alternateRuns(on, off, [&](int s) { return runPreview(shown, true, s); },
                             [&](int s) { return runPreview(shown, false, s); });
    state.counters["on_cpu_s"] = on.cpu;
    state.counters["off_cpu_s"] = off.cpu;
    state.counters["cpu_ratio"] = off.cpu > 0 ? on.cpu / off.cpu : 0;
    state.counters["sent"] = double(on.sent);
    state.counters["on_dropped"] = double(on.sent) - double(on.decoded);
    state.counters["off_dropped"] = double(off.sent) - double(off.decoded);
    state.counters["on_shown_fps"] = on.seconds > 0 ? on.shown / on.seconds : 0;
}

} // namespace

BENCHMARK(FocusScorePlusPeakingVsMemcpy)->Args({400, 300})->Args({1920, 1080})->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(HistogramVsMemcpy)
    ->Args({400, 300, 0})
    ->Args({400, 300, 1})
    ->Args({1920, 1080, 0})
    ->Args({1920, 1080, 1})
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(2.0);
BENCHMARK(ClippingAndMarksVsMemcpy)
    ->Args({400, 300, 0})
    ->Args({400, 300, 1})
    ->Args({1920, 1080, 0})
    ->Args({1920, 1080, 1})
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(2.0);
BENCHMARK(LiveCpuAllAidsOnVsAllOff)->Args({400, 300})->Args({1920, 1080})->Iterations(1)->Unit(benchmark::kSecond);

int main(int argc, char **argv) { return bench::runLiveBenchmarks(argc, argv); }
