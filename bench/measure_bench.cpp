// Each benchmark times its figure and its anchor in the same iterations and reports the ratio,
// so the result does not depend on how busy the machine was between two separate runs.
#include "measure/measuringsession.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <clocale>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;
using measure::MeasuringSession;
using measure::PointerButton;
using measure::PointerInput;
using measure::ShapeKind;

constexpr QSize kPicture(1600, 1200);

double secondsBetween(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

void click(MeasuringSession &s, int x, int y)
{
    const PointerInput in{PointerButton::Left, QPoint(x, y), false, false};
    s.press(in);
    s.release(in);
}

// A session on a 1600 x 1200 picture with overlap on and `shapes` completed lines.
void prepare(MeasuringSession &s, int shapes)
{
    s.setGeometry(kPicture, kPicture);
    s.EntryMeasurementMode();
    s.setOverlap(true);
    s.selectTool(ShapeKind::Line);
    for (int i = 0; i < shapes; ++i) {
        const int y = 20 + (i * 7) % 1160;
        const int x = 20 + (i * 13) % 1000;
        click(s, x, y);
        click(s, x + 300, y + 17);
    }
}

// One mouse move while a line is drawn: the layer is rebuilt from the committed bitmap, the rubber
// band and the live label are drawn. Anchor: one memcpy of a layer of the same size.
void BM_MouseMoveRedrawVsLayerCopy(benchmark::State &state)
{
    MeasuringSession s;
    prepare(s, 20);
    click(s, 400, 600);   // first point of a new line: the shape is in progress
    platform::Bitmap from(kPicture.width(), kPicture.height(), 0x123456);
    platform::Bitmap to(kPicture.width(), kPicture.height(), 0xFFFFFF);
    const size_t bytes = size_t(from.bytesPerLine()) * size_t(from.height());
    double moveSeconds = 0, copySeconds = 0;
    int i = 0;
    for (auto _ : state) {
        const Clock::time_point t0 = Clock::now();
        std::memcpy(to.scanLine(0), from.constScanLine(0), bytes);
        benchmark::ClobberMemory();
        const Clock::time_point t1 = Clock::now();
        const PointerInput in{PointerButton::Left, QPoint(900 + (i++ % 2) * 50, 700), false, false};
        benchmark::DoNotOptimize(s.move(in));
        const Clock::time_point t2 = Clock::now();
        copySeconds += secondsBetween(t0, t1);
        moveSeconds += secondsBetween(t1, t2);
        state.SetIterationTime(secondsBetween(t1, t2));
    }
    state.counters["layer_memcpy_us"] = benchmark::Counter(copySeconds * 1e6 / double(state.iterations()));
    state.counters["ratio_to_memcpy"] = benchmark::Counter(moveSeconds / copySeconds);
}
BENCHMARK(BM_MouseMoveRedrawVsLayerCopy)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Repainting a 1,000-node history (undo's DrawUndoRedo) against 1,000 single-shape redraws
// (ReDrawBitmap of the current shape, each rebuilding the layer and committing it).
void BM_HistoryRepaintVsSingleRedraws(benchmark::State &state)
{
    const int nodes = int(state.range(0));
    MeasuringSession s;
    prepare(s, nodes - 1);   // plus the cleared state recorded first
    double historySeconds = 0, singleSeconds = 0;
    for (auto _ : state) {
        const Clock::time_point t0 = Clock::now();
        benchmark::DoNotOptimize(s.DrawUndoRedo());
        const Clock::time_point t1 = Clock::now();
        for (int i = 0; i < nodes; ++i)
            benchmark::DoNotOptimize(s.redraw());
        const Clock::time_point t2 = Clock::now();
        historySeconds += secondsBetween(t0, t1);
        singleSeconds += secondsBetween(t1, t2);
        state.SetIterationTime(secondsBetween(t0, t1));
    }
    state.counters["single_redraws_ms"] = benchmark::Counter(singleSeconds * 1e3 / double(state.iterations()));
    state.counters["ratio_to_singles"] = benchmark::Counter(historySeconds / singleSeconds);
}
BENCHMARK(BM_HistoryRepaintVsSingleRedraws)->Arg(1000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);   // labels need fonts
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
