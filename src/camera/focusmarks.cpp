#include "camera/focusmarks.h"

#include "camera/overlaycompositor.h"

#include <QImage>

#include <algorithm>
#include <bit>
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

namespace {

// The overlay of one 32-pixel piece of row `y` from pixel `x0`: `n` premultiplied, opaque colours
// where marked, 0 elsewhere; what composeRow takes from a prepared overlay at full opacity.
void expandPiece(std::uint32_t edge, std::uint32_t high, std::uint32_t low, int x0, int y, int n, quint32 tint,
                 quint32 *out)
{
    // Only the marked pixels are looked at: a piece of an edge holds a few.
    std::fill(out, out + n, 0u);
    const std::uint32_t inside = n >= 32 ? ~0u : (1u << n) - 1;
    for (std::uint32_t marked = (edge | high | low) & inside; marked; marked &= marked - 1) {
        const int i = std::countr_zero(marked);
        const std::uint32_t bit = 1u << i;
        out[i] = (high & bit) ? zebraColour(true, x0 + i, y) : (low & bit) ? zebraColour(false, x0 + i, y) : tint;
    }
}

struct MarkRows {
    const FocusMarks &marks;
    bool peaking, zebra;
    std::uint32_t edge(int y, int k) const { return peaking ? marks.peaking.row(y)[k] : 0u; }
    std::uint32_t high(int y, int k) const { return zebra ? marks.clippedHigh.row(y)[k] : 0u; }
    std::uint32_t low(int y, int k) const { return zebra ? marks.clippedLow.row(y)[k] : 0u; }
};

MarkRows rowsOf(const FocusMarks &marks)
{
    return {marks, !marks.peaking.isNull(), !marks.clippedHigh.isNull() && !marks.clippedLow.isNull()};
}

} // namespace

void composeMarks(const QImage &picture, const FocusMarks &marks, QRgb peakingColour, uchar *dst, qsizetype dstStride)
{
    const int w = picture.width(), h = picture.height();
    if (picture.format() != QImage::Format_RGB32 || marks.size() != picture.size())
        return;
    const MarkRows m = rowsOf(marks);
    const quint32 tint = 0xFF000000u | peakingColour;
    std::vector<quint32> overlay(static_cast<std::size_t>(w));
    const int words = (w + 31) / 32;
    for (int y = 0; y < h; ++y) {
        const auto *from = reinterpret_cast<const quint32 *>(picture.constScanLine(y));
        auto *to = reinterpret_cast<quint32 *>(dst + y * dstStride);
        bool any = false;
        for (int k = 0; k < words; ++k) {
            const std::uint32_t e = m.edge(y, k), hi = m.high(y, k), lo = m.low(y, k);
            const int n = std::min(32, w - 32 * k);
            quint32 *o = overlay.data() + 32 * k;
            if ((e | hi | lo) == 0) {
                std::fill(o, o + n, 0u);
                continue;
            }
            any = true;
            expandPiece(e, hi, lo, 32 * k, y, n, tint, o);
        }
        if (any)
            composeRow(from, overlay.data(), to, w, 255);
        else if (reinterpret_cast<const uchar *>(from) != reinterpret_cast<const uchar *>(to))
            std::memcpy(to, from, std::size_t(w) * 4);
    }
}

void composeMarksOnto(const FocusMarks &marks, QRgb peakingColour, uchar *dst, qsizetype dstStride, bool mirroredX,
                      bool mirroredY)
{
    const int w = marks.size().width(), h = marks.size().height();
    const MarkRows m = rowsOf(marks);
    const quint32 tint = 0xFF000000u | peakingColour;
    const int words = (w + 31) / 32;
    quint32 piece[32], reversed[32];
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<quint32 *>(dst + (mirroredY ? h - 1 - y : y) * dstStride);
        for (int k = 0; k < words; ++k) {
            const std::uint32_t e = m.edge(y, k), hi = m.high(y, k), lo = m.low(y, k);
            if ((e | hi | lo) == 0)
                continue;
            const int n = std::min(32, w - 32 * k);
            expandPiece(e, hi, lo, 32 * k, y, n, tint, piece);
            if (!mirroredX) {
                composeRow(row + 32 * k, piece, row + 32 * k, n, 255);
                continue;
            }
            // Mirrored, the piece lands at the other end of the row, its pixels in reverse order.
            std::reverse_copy(piece, piece + n, reversed);
            quint32 *at = row + (w - 32 * k - n);
            composeRow(at, reversed, at, n, 255);
        }
    }
}

} // namespace camera
