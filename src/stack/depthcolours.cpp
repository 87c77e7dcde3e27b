#include "depthcolours.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace stack {

namespace {

// Stops of the ramp, evenly spaced (a "turbo"-like rainbow without its near-black ends).
constexpr std::array<std::array<int, 3>, 7> kStops{{{48, 18, 160},
                                                    {40, 110, 240},
                                                    {30, 200, 200},
                                                    {90, 230, 90},
                                                    {230, 220, 40},
                                                    {245, 120, 30},
                                                    {160, 20, 20}}};

} // namespace

QColor depthColour(int index, int frames)
{
    const double t = frames > 1 ? std::clamp(double(index) / (frames - 1), 0.0, 1.0) : 0.0;
    const double at = t * (kStops.size() - 1);
    const std::size_t i = std::min(std::size_t(at), kStops.size() - 2);
    const double f = at - double(i);
    int c[3];
    for (int k = 0; k < 3; ++k)
        c[k] = int(std::lround(kStops[i][std::size_t(k)] * (1 - f) + kStops[i + 1][std::size_t(k)] * f));
    return QColor(c[0], c[1], c[2]);
}

platform::Bitmap depthPicture(const std::vector<std::uint8_t> &depth, int width, int height, int frames)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::vector<QRgb> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[std::size_t(i)] = depthColour(i, frames).rgb();
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::size_t at = std::size_t(y) * std::size_t(width) + std::size_t(x);
            row[x] = at < depth.size() ? palette[depth[at]] : qRgb(0, 0, 0);
        }
    }
    return platform::Bitmap(std::move(image));
}

} // namespace stack
