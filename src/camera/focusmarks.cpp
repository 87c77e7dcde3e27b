#include "camera/focusmarks.h"

#include "camera/overlaycompositor.h"

#include <QImage>

#include <algorithm>
#include <cstring>
#include <vector>

namespace camera {

namespace {

constexpr QRgb kStripeDark = 0xFF000000u;
constexpr QRgb kStripeHighColour = 0xFFEB4040u;   // no channel at 0 or 255
constexpr QRgb kStripeLight = 0xFFFFFFFFu;
constexpr QRgb kStripeLowColour = 0xFF4080EBu;

} // namespace

QRgb zebraColour(bool high, int x, int y)
{
    const bool first = ((x + y) / kZebraStripePx) % 2 == 0;
    if (high)
        return first ? kStripeDark : kStripeHighColour;
    return first ? kStripeLight : kStripeLowColour;
}

void composeMarks(const QImage &picture, const FocusMarks &marks, QRgb peakingColour, uchar *dst, qsizetype dstStride)
{
    const int w = picture.width(), h = picture.height();
    if (picture.format() != QImage::Format_RGB32 || marks.size() != picture.size())
        return;
    const bool peaking = !marks.peaking.isNull(), zebra = !marks.clippedHigh.isNull() && !marks.clippedLow.isNull();
    const quint32 tint = 0xFF000000u | peakingColour;
    // One row of the overlay at a time, premultiplied and opaque where marked, 0 elsewhere: what
    // composeRow takes from a prepared overlay at full opacity.
    std::vector<quint32> overlay(static_cast<std::size_t>(w));
    const int words = (w + 31) / 32;
    for (int y = 0; y < h; ++y) {
        const auto *from = reinterpret_cast<const quint32 *>(picture.constScanLine(y));
        auto *to = reinterpret_cast<quint32 *>(dst + y * dstStride);
        const std::uint32_t *edge = peaking ? marks.peaking.row(y) : nullptr;
        const std::uint32_t *high = zebra ? marks.clippedHigh.row(y) : nullptr;
        const std::uint32_t *low = zebra ? marks.clippedLow.row(y) : nullptr;
        bool any = false;
        for (int k = 0; k < words; ++k) {
            const std::uint32_t e = edge ? edge[k] : 0, hi = high ? high[k] : 0, lo = low ? low[k] : 0;
            quint32 *o = overlay.data() + 32 * k;
            const int n = std::min(32, w - 32 * k);
            if ((e | hi | lo) == 0) {
                std::fill(o, o + n, 0u);
                continue;
            }
            any = true;
            for (int i = 0; i < n; ++i) {
                const std::uint32_t bit = 1u << i;
                const int x = 32 * k + i;
                o[i] = (hi & bit)   ? zebraColour(true, x, y)
                       : (lo & bit) ? zebraColour(false, x, y)
                       : (e & bit)  ? tint
                                    : 0u;
            }
        }
        if (!any) {
            if (reinterpret_cast<const uchar *>(from) != reinterpret_cast<const uchar *>(to))
                std::memcpy(to, from, std::size_t(w) * 4);
            continue;
        }
        composeRow(from, overlay.data(), to, w, 255);
    }
}

} // namespace camera
