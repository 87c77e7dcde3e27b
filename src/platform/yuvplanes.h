#pragma once

#include <QSize>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// A picture as a JPEG holds it before colour conversion: a luma plane (Y) and, unless the picture
// is grey, two chroma planes (Cb, Cr) that may have fewer samples than the luma plane
// (`chromaStepX` x `chromaStepY` luma pixels share one sample: 2 x 2 for 4:2:0, 2 x 1 for 4:2:2).
// Samples are 8 bits, full range (JFIF), rows top-down.
//
// Every row is followed by at least kPlanePadding bytes that belong to the plane (their values are
// unspecified), so SIMD loops may read whole vectors past a row's last sample.
struct YuvPlanes {
    static constexpr int kPlanePadding = 64;
    static constexpr int kSlackRows = 16;

    QSize lumaSize;
    QSize chromaSize;   // empty for a grey picture
    int chromaStepX = 1;
    int chromaStepY = 1;
    std::vector<std::uint8_t> y, cb, cr;
    int lumaStride = 0;
    int chromaStride = 0;

    bool grey() const { return chromaSize.isEmpty(); }
    // Sizes the buffers (keeping their memory when it suffices); the sample values are undefined.
    void reshape(QSize luma, QSize chroma, int stepX, int stepY)
    {
        lumaSize = luma;
        chromaSize = chroma;
        chromaStepX = stepX;
        chromaStepY = stepY;
        lumaStride = paddedStride(luma.width());
        chromaStride = chroma.isEmpty() ? 0 : paddedStride(chroma.width());
        // Room for a whole last row of blocks: libjpeg-turbo 2.1 writes the rows of the last MCU
        // row past the picture's height into the planes.
        y.resize(std::size_t(lumaStride) * std::size_t(luma.height() + kSlackRows));
        const std::size_t chromaBytes =
            chroma.isEmpty() ? 0 : std::size_t(chromaStride) * std::size_t(chroma.height() + kSlackRows);
        cb.resize(chromaBytes);
        cr.resize(chromaBytes);
    }
    static int paddedStride(int width) { return (width + 31) / 32 * 32 + kPlanePadding; }
};

} // namespace platform
