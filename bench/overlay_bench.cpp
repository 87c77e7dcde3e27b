// Compositing the overlay bitmap onto a 1600 x 1200 frame, each figure timed in the same
// iterations as its anchor, a memcpy of the frame, and reported as their ratio (goal <= 3).
#include "ratio.h"

#include "camera/overlaycompositor.h"
#include "camera/ui/videowidget.h"
#include "platform/bitmap.h"

#include <QApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

constexpr int kW = 1600, kH = 1200;

QImage frame()
{
    QImage f(kW, kH, QImage::Format_RGB32);
    for (int y = 0; y < kH; ++y) {
        auto *row = reinterpret_cast<QRgb *>(f.scanLine(y));
        for (int x = 0; x < kW; ++x)
            row[x] = qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF);
    }
    return f;
}

// A reference covering the whole frame, with one pixel in nine of the knockout colour (green)
// scattered through it so the key is really tested everywhere.
platform::Bitmap reference()
{
    QImage r(kW, kH, QImage::Format_RGB32);
    for (int y = 0; y < kH; ++y) {
        auto *row = reinterpret_cast<QRgb *>(r.scanLine(y));
        for (int x = 0; x < kW; ++x)
            row[x] = (x + y) % 9 == 0 ? qRgb(0, 255, 0) : qRgb((x * 3) & 0xFF, (y * 5) & 0xFF, 200);
    }
    return platform::Bitmap(r);
}

// The fused pass: frame + keyed reference at `range(0)` percent opacity -> the shown picture.
void BM_ComposeFullFrameOverlay(benchmark::State &state)
{
    const QImage f = frame();
    const camera::PreparedOverlay overlay = camera::prepareOverlay(
        camera::keyOverlay(reference().image(), qRgb(0, 255, 0)), f.size(), double(state.range(0)) / 100.0);
    QImage out(f.size(), QImage::Format_RGB32), copy(f.size(), QImage::Format_RGB32);
    out.fill(0);
    copy.fill(0);
    bench::measureRatio(
        state, [&] { camera::composeOverlay(f, overlay, out.bits(), out.bytesPerLine()); benchmark::DoNotOptimize(out.constBits()); },
        [&] {
            std::memcpy(copy.bits(), f.constBits(), std::size_t(f.sizeInBytes()));
            benchmark::DoNotOptimize(copy.constBits());
        });
}

// The same through the video widget's paint, into an image (its direct path) at 1:1.
void BM_WidgetPaintWithFullFrameOverlay(benchmark::State &state)
{
    const QImage f = frame();
    camera::ui::VideoWidget widget;
    widget.resize(kW, kH);
    widget.setFrame(f);
    widget.setOverlay(reference(), platform::rgbColor(0, 255, 0), double(state.range(0)) / 100.0);
    QImage target(f.size(), QImage::Format_RGB32), copy(f.size(), QImage::Format_RGB32);
    target.fill(0);
    copy.fill(0);
    bench::measureRatio(
        state,
        [&] {
            QPainter p(&target);
            widget.paintVideo(p, target.rect());
            p.end();
            benchmark::DoNotOptimize(target.constBits());
        },
        [&] {
            std::memcpy(copy.bits(), f.constBits(), std::size_t(f.sizeInBytes()));
            benchmark::DoNotOptimize(copy.constBits());
        });
}

} // namespace

// Opacity 50 % (blend) and 100 % (split, the key only).
BENCHMARK(BM_ComposeFullFrameOverlay)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WidgetPaintWithFullFrameOverlay)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
