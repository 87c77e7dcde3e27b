// A 1600 x 1200 JPEG saved with its calibration and 50 shapes in EXIF and XMP, against the same
// save without metadata, in the same run.
#include "freshfiles.h"
#include "ratio.h"

#include "measure/measurementpacket.h"
#include "platform/picturecodec.h"

namespace {

platform::Bitmap frame()
{
    platform::Bitmap b(1600, 1200);
    for (int y = 0; y < b.height(); ++y) {
        auto *row = reinterpret_cast<quint32 *>(b.scanLine(y));
        for (int x = 0; x < b.width(); ++x)
            row[x] = 0xFF000000u | ((quint32((x * 7) ^ y) & 0xFF) << 16) | ((quint32(x + y * 3) & 0xFF) << 8) | (quint32(x * y) & 0xFF);
    }
    return b;
}

// Fifty shapes: lines, rectangles and polygons of eight vertices, spread over the picture.
std::vector<measure::HistoryNode> fiftyShapes()
{
    std::vector<measure::HistoryNode> shapes;
    for (int i = 0; i < 50; ++i) {
        measure::HistoryNode n;
        n.labels.counter = i + 1;
        const float x = float(20 + (i * 31) % 1400), y = float(20 + (i * 47) % 1000);
        switch (i % 3) {
        case 0:
            n.shape.kind = measure::ShapeKind::Line;
            n.shape.a = {x, y};
            n.shape.b = {x + 150, y + 80};
            break;
        case 1:
            n.shape.kind = measure::ShapeKind::Rectangle;
            n.shape.a = {x, y};
            n.shape.b = {x + 120, y + 90};
            break;
        default:
            n.shape.kind = measure::ShapeKind::Polygon;
            for (int k = 0; k < 8; ++k)
                n.shape.polygon[std::size_t(k)] = {x + float(k * 20), y + float((k * 37) % 150)};
            n.shape.polygonCount = 7;
            n.shape.polygon[8] = n.shape.polygon[0];
            n.shape.a = n.shape.polygon[0];
            n.shape.b = n.shape.polygon[7];
            break;
        }
        shapes.push_back(n);
    }
    return shapes;
}

void JpegSaveWithFiftyShapes(benchmark::State &state)
{
    bench::FreshFiles files(QStringLiteral("jpg"));
    const platform::Bitmap b = frame();
    scales::RulerScaleControl scale;
    scale.name = QStringLiteral("Stage 1 mm");
    scales::setLengthsFromMillimetreSpin(scale, 100, 75);
    const std::vector<measure::HistoryNode> shapes = fiftyShapes();
    // The packet is built from the session's shapes at every save, so that is timed as well.
    bench::measureRatio(
        state,
        [&] {
            const auto packet = measure::packetFor(scale, b.size(), shapes, 12.5, 3.25);
            platform::writeJpegFile(files.ours(), b, platform::kDefaultJpegQuality, measure::toMetadata(*packet));
        },
        [&] { platform::writeJpegFile(files.anchor(), b, platform::kDefaultJpegQuality); });
}
BENCHMARK(JpegSaveWithFiftyShapes)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

BENCHMARK_MAIN();
