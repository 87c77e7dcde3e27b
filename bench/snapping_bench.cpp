// Each figure is timed in the same iterations as its anchor, a memcpy of the whole picture: the
// work a click costs is set against the cheapest thing anything can do with a frame.
#include "ratio.h"

#include "measure/circlefit.h"
#include "measure/edgesnap.h"
#include "measure/lumasampler.h"

#include <QGuiApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <clocale>
#include <cstdint>
#include <cstring>

namespace {

constexpr QSize kPicture(1600, 1200);
constexpr QPointF kHoleCentre(803.4, 597.7);
constexpr double kHoleRadius = 181.3;

// A round hole and a bar on a lit background, antialiased, with a little deterministic noise as
// a camera gives: the edges the benchmarks snap to.
platform::Bitmap scene()
{
    QImage image(kPicture, QImage::Format_RGB32);
    image.fill(QColor(205, 200, 190));
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 38, 45));
        p.drawEllipse(kHoleCentre, kHoleRadius, kHoleRadius);
        p.translate(300, 600);
        p.rotate(7);
        p.drawRect(QRectF(-18.65, -400, 37.3, 800));
    }
    std::uint32_t seed = 12345;
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int n = int(seed >> 29) - 4;   // -4 ... 3
            const int g = std::clamp(qGreen(line[x]) + n, 0, 255);
            line[x] = qRgb(std::clamp(qRed(line[x]) + n, 0, 255), g, std::clamp(qBlue(line[x]) + n, 0, 255));
        }
    }
    return platform::Bitmap(image);
}

// Snapping one point: a click 3 px off the hole's rim. Anchor: a memcpy of the picture.
void BM_SnapOnePointVsPictureCopy(benchmark::State &state)
{
    const platform::Bitmap picture = scene();
    platform::Bitmap copy(kPicture.width(), kPicture.height());
    const std::size_t bytes = std::size_t(picture.bytesPerLine()) * std::size_t(picture.height());
    const measure::PrecisePoint click{kHoleCentre.x() + kHoleRadius * 0.6 - 2, kHoleCentre.y() + kHoleRadius * 0.8 - 1};
    bench::measureRatio(
        state,
        [&] {
            const measure::LumaSampler luma(picture);
            benchmark::DoNotOptimize(measure::snapToEdge(luma, {std::round(click.x), std::round(click.y)}));
        },
        [&] {
            std::memcpy(copy.scanLine(0), picture.constScanLine(0), bytes);
            benchmark::DoNotOptimize(copy.constScanLine(0));
        });
}
BENCHMARK(BM_SnapOnePointVsPictureCopy)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Fitting one circle by edge: 64 rays from a click inside the hole of radius 181 px. Anchor: a
// memcpy of the picture.
void BM_CircleByEdgeVsPictureCopy(benchmark::State &state)
{
    const platform::Bitmap picture = scene();
    platform::Bitmap copy(kPicture.width(), kPicture.height());
    const std::size_t bytes = std::size_t(picture.bytesPerLine()) * std::size_t(picture.height());
    bench::measureRatio(
        state,
        [&] {
            const measure::LumaSampler luma(picture);
            benchmark::DoNotOptimize(measure::circleByEdge(luma, {790, 610}));
        },
        [&] {
            std::memcpy(copy.scanLine(0), picture.constScanLine(0), bytes);
            benchmark::DoNotOptimize(copy.constScanLine(0));
        });
}
BENCHMARK(BM_CircleByEdgeVsPictureCopy)->Unit(benchmark::kMillisecond)->MinTime(2.0);

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
