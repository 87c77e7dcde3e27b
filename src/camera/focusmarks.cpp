#include "camera/focusmarks.h"

#include "camera/overlaycompositor.h"

#include "platform/yuvscaler.h"

#include <QImage>

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

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
void expandPieceScalar(std::uint32_t edge, std::uint32_t high, std::uint32_t low, int x0, int y, int n, quint32 tint,
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

#if defined(__x86_64__) && defined(__GNUC__)
// The same with masked moves, sixteen pixels a register: a clipped sky or a busy specimen marks
// most pixels of a piece, which one at a time cost several times the blend itself.
__attribute__((target("avx512f"))) void expandPieceAvx512(std::uint32_t edge, std::uint32_t high, std::uint32_t low,
                                                          int x0, int y, int n, quint32 tint, quint32 *out)
{
    static_assert(kZebraStripePx == 4, "the stripe pattern below repeats every eight pixels");
    // Bit i: pixel x0 + i lies in a stripe's first colour, ((x0 + i + y) / 4) even.
    const auto first = std::uint32_t(0x0F0F0F0F0F0F0F0Full >> ((x0 + y) & 7));
    const std::uint32_t inside = n >= 32 ? ~0u : (1u << n) - 1;
    for (int half = 0; half < 2 && 16 * half < n; ++half) {
        const auto bits = [&](std::uint32_t word) { return __mmask16(word >> (16 * half)); };
        // The tint first, then the stripes over it: a clipped edge shows its stripe.
        __m512i v = _mm512_maskz_mov_epi32(bits(edge), _mm512_set1_epi32(int(tint)));
        v = _mm512_mask_mov_epi32(v, bits(low & first), _mm512_set1_epi32(int(zebraColour(false, 0, 0))));
        v = _mm512_mask_mov_epi32(v, bits(low & ~first), _mm512_set1_epi32(int(zebraColour(false, 4, 0))));
        v = _mm512_mask_mov_epi32(v, bits(high & first), _mm512_set1_epi32(int(zebraColour(true, 0, 0))));
        v = _mm512_mask_mov_epi32(v, bits(high & ~first), _mm512_set1_epi32(int(zebraColour(true, 4, 0))));
        _mm512_mask_storeu_epi32(out + 16 * half, bits(inside), v);
    }
}
#endif

using ExpandPiece = void (*)(std::uint32_t, std::uint32_t, std::uint32_t, int, int, int, quint32, quint32 *);

ExpandPiece bestExpandPiece()
{
#if defined(__x86_64__) && defined(__GNUC__)
    if (platform::bestSimdLevel() == platform::SimdLevel::Avx512)
        return expandPieceAvx512;
#endif
    return expandPieceScalar;
}

void expandPiece(std::uint32_t edge, std::uint32_t high, std::uint32_t low, int x0, int y, int n, quint32 tint,
                 quint32 *out)
{
    static const ExpandPiece best = bestExpandPiece();
    best(edge, high, low, x0, y, n, tint, out);
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
