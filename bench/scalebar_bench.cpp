// The scale bar layer against a plain copy of the layer, and a burn-in save against a plain JPEG
// save of the same frame. Both sides run in the same iterations (bench/ratio.h).
#include "freshfiles.h"
#include "ratio.h"

#include "measure/scalebar.h"
#include "measure/ui/measuringsurface.h"
#include "platform/canvas.h"
#include "platform/picturecodec.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <clocale>
#include <cstring>

namespace {

constexpr QSize kPicture(1600, 1200);

// The stand-in scale with bars through the middle in both directions, numbered from the centre:
// the layout with the most graduations and labels.
scales::RulerScaleControl busyScale()
{
    scales::RulerScaleControl s = scales::firstBuiltInScale();
    s.horizontalPosition = 2;
    s.verticalPosition = 2;
    s.horizontalOrigin = 1;
    s.verticalOrigin = 1;
    return s;
}

// A specimen-like frame: a gradient, so the JPEG encoder has real work.
platform::Bitmap frame()
{
    platform::Bitmap b(kPicture.width(), kPicture.height());
    for (int y = 0; y < b.height(); ++y) {
        auto *row = reinterpret_cast<quint32 *>(b.scanLine(y));
        for (int x = 0; x < b.width(); ++x)
            row[x] = qRgb((x * 7) & 0xFF, (y * 3) & 0xFF, ((x ^ y) * 5) & 0xFF);
    }
    return b;
}

// StartDrawScale: the layer emptied and the bar drawn into it. Anchor: one memcpy of the layer.
void BM_ScaleBarLayerVsLayerCopy(benchmark::State &state)
{
    const scales::RulerScaleControl scale = busyScale();
    measure::ScaleBar bar;
    platform::Bitmap layer(kPicture.width(), kPicture.height());
    platform::Bitmap from(kPicture.width(), kPicture.height(), 0x123456);
    platform::Bitmap to(kPicture.width(), kPicture.height());
    const std::size_t bytes = std::size_t(from.bytesPerLine()) * std::size_t(from.height());
    bench::measureRatio(
        state,
        [&] {
            layer.fill(0xFFFFFF);
            platform::BitmapCanvas canvas(layer);
            bar.DrawScale(canvas, layer.size(), scale);
            benchmark::DoNotOptimize(layer.constScanLine(0));
        },
        [&] {
            std::memcpy(to.scanLine(0), from.constScanLine(0), bytes);
            benchmark::DoNotOptimize(to.constScanLine(0));
        });
}
BENCHMARK(BM_ScaleBarLayerVsLayerCopy)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Save with scale: the frame copied, the bar and 50 shapes of the history burnt in, written as
// JPEG. Anchor: the same frame written as JPEG.
void BM_BurnInSaveVsPlainJpeg(benchmark::State &state)
{
    measure::MeasuringSurface surface;
    measure::MeasuringSession &s = surface.session();
    s.setGeometry(kPicture, kPicture);
    s.EntryMeasurementMode();
    s.setScale(busyScale());
    surface.setOverlap(true);
    surface.selectTool(measure::ShapeKind::Line);
    for (int i = 0; i < 50; ++i) {
        const int y = 20 + (i * 23) % 1160, x = 20 + (i * 13) % 1000;
        for (QPoint p : {QPoint(x, y), QPoint(x + 300, y + 17)}) {
            measure::PointerInput in;
            in.pos = p;
            s.press(in);
            s.release(in);
        }
    }
    const platform::Bitmap picture = frame();
    bench::FreshFiles files(QStringLiteral("jpg"));
    bench::measureRatio(
        state,
        [&] {
            const platform::Bitmap burnt = surface.burnIn(platform::Bitmap(picture.image().copy()));
            platform::writeJpegFile(files.ours(), burnt, platform::kDefaultJpegQuality);
        },
        [&] { platform::writeJpegFile(files.anchor(), picture, platform::kDefaultJpegQuality); });
}
BENCHMARK(BM_BurnInSaveVsPlainJpeg)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
