#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include <vector>

namespace camera {

// Compositing of the overlay bitmap over the shown picture, kept apart from the widget so that it
// is tested and measured on its own. An overlay goes through three stages: keyed once when it is
// set, prepared once for the size it is shown at (and its opacity), then composited once per frame.

// `overlay` with every pixel of colour `keyRgb` (0xRRGGBB) made transparent and every other pixel
// opaque, as premultiplied ARGB. The key is applied before any scaling, so it never bleeds.
QImage keyOverlay(const QImage &overlay, QRgb keyRgb);

// A keyed overlay ready to be laid over pictures of one size.
struct PreparedOverlay {
    QImage image;                 // premultiplied ARGB at the picture size, opacity folded in
    int alpha = 255;              // the opacity as 1..255; every visible pixel has this alpha
    std::vector<QRect> tiles;     // 64 x 64 tiles that are not fully transparent
    bool dense = false;           // enough of it is visible that one fused pass beats tile blending
    bool isNull() const { return image.isNull(); }
};

// Scales the keyed overlay to `size`: nearest neighbour when enlarging; when shrinking, a shown
// pixel takes the first visible source pixel of its footprint, so that 1- and 2-pixel lines do
// not drop out of a reduced picture. `opacity` (0..1) is folded into the pixels; at opacity 0
// the result is null (nothing to draw).
PreparedOverlay prepareOverlay(const QImage &keyed, QSize size, double opacity);

// One pass: `picture` (RGB32, the prepared overlay's size) with the overlay laid over it, written
// as RGB32 rows into `dst` (stride in bytes). `dst` may be `picture`'s own bits.
void composeOverlay(const QImage &picture, const PreparedOverlay &overlay, uchar *dst, qsizetype dstStride);

// The same for one row of `width` pixels; `alpha` is the prepared overlay's alpha.
void composeRow(const quint32 *picture, const quint32 *overlay, quint32 *dst, int width, int alpha);

} // namespace camera
