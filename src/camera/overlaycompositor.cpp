#include "camera/overlaycompositor.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define SENDRA_HAVE_AVX2_PATH 1
#endif

namespace camera {

namespace {

constexpr int kTile = 64;
constexpr quint32 kOpaque = 0xFF000000u;

// f * (255 - alpha) / 255 for one 8-bit channel is f * factor >> 8, at most one step off.
int keepFactor(int alpha) { return ((255 - alpha) * 256 + 127) / 255; }

// The scalar tail of every row and the reference the vector paths are tested against.
void composeScalar(const quint32 *picture, const quint32 *overlay, quint32 *dst, int n, int alpha)
{
    const quint32 factor = quint32(keepFactor(alpha));
    for (int x = 0; x < n; ++x) {
        const quint32 o = overlay[x], f = picture[x];
        if ((o >> 24) == 0) {
            dst[x] = f | kOpaque;
        } else if (alpha == 255) {
            dst[x] = o;
        } else {
            quint32 r = 0;
            for (int shift = 0; shift < 24; shift += 8)
                r |= ((((f >> shift) & 0xFF) * factor) >> 8) << shift;
            // No channel overflows: the overlay channel is at most alpha, the kept part at most 255 - alpha.
            dst[x] = (r + (o & 0x00FFFFFFu)) | kOpaque;
        }
    }
}

#ifdef __SSE2__
int composeSse2(const quint32 *picture, const quint32 *overlay, quint32 *dst, int n, int alpha)
{
    int x = 0;
    const __m128i opaque = _mm_set1_epi32(int(kOpaque));
    if (alpha == 255) {
        // Visible pixels have alpha 0xFF, keyed ones are 0: the sign of each pixel selects.
        for (; x + 4 <= n; x += 4) {
            const __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i *>(overlay + x));
            const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i *>(picture + x));
            const __m128i visible = _mm_srai_epi32(o, 31);
            _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + x), _mm_or_si128(_mm_or_si128(o, _mm_andnot_si128(visible, f)), opaque));
        }
        return x;
    }
    const __m128i zero = _mm_setzero_si128();
    const __m128i factor = _mm_set1_epi16(short(keepFactor(alpha)));
    for (; x + 4 <= n; x += 4) {
        const __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i *>(overlay + x));
        const __m128i f = _mm_loadu_si128(reinterpret_cast<const __m128i *>(picture + x));
        const __m128i keyed = _mm_cmpeq_epi32(_mm_srli_epi32(o, 24), zero);
        // Unpacking with zero below puts f * 256 in each 16-bit lane; mulhi then gives f * factor >> 8.
        const __m128i lo = _mm_mulhi_epu16(_mm_unpacklo_epi8(zero, f), factor);
        const __m128i hi = _mm_mulhi_epu16(_mm_unpackhi_epi8(zero, f), factor);
        const __m128i blended = _mm_add_epi8(_mm_packus_epi16(lo, hi), o);
        const __m128i out = _mm_or_si128(_mm_and_si128(keyed, f), _mm_andnot_si128(keyed, blended));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + x), _mm_or_si128(out, opaque));
    }
    return x;
}
#endif

#ifdef SENDRA_HAVE_AVX2_PATH
__attribute__((target("avx2"))) int composeAvx2(const quint32 *picture, const quint32 *overlay, quint32 *dst, int n,
                                                int alpha)
{
    int x = 0;
    const __m256i opaque = _mm256_set1_epi32(int(kOpaque));
    if (alpha == 255) {
        for (; x + 8 <= n; x += 8) {
            const __m256i o = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(overlay + x));
            const __m256i f = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(picture + x));
            const __m256i visible = _mm256_srai_epi32(o, 31);
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst + x),
                                _mm256_or_si256(_mm256_or_si256(o, _mm256_andnot_si256(visible, f)), opaque));
        }
        return x;
    }
    const __m256i zero = _mm256_setzero_si256();
    const __m256i factor = _mm256_set1_epi16(short(keepFactor(alpha)));
    for (; x + 8 <= n; x += 8) {
        const __m256i o = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(overlay + x));
        const __m256i f = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(picture + x));
        const __m256i keyed = _mm256_cmpeq_epi32(_mm256_srli_epi32(o, 24), zero);
        // Unpack and pack work within each 128-bit half, so the pixels come back in order.
        const __m256i lo = _mm256_mulhi_epu16(_mm256_unpacklo_epi8(zero, f), factor);
        const __m256i hi = _mm256_mulhi_epu16(_mm256_unpackhi_epi8(zero, f), factor);
        const __m256i blended = _mm256_add_epi8(_mm256_packus_epi16(lo, hi), o);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst + x),
                            _mm256_or_si256(_mm256_blendv_epi8(blended, f, keyed), opaque));
    }
    return x;
}
#endif

} // namespace

QImage keyOverlay(const QImage &overlay, QRgb keyRgb)
{
    if (overlay.isNull())
        return QImage();
    const QImage src = overlay.format() == QImage::Format_RGB32 ? overlay : overlay.convertToFormat(QImage::Format_RGB32);
    const quint32 key = keyRgb & 0x00FFFFFFu;
    QImage keyed(src.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < src.height(); ++y) {
        const auto *from = reinterpret_cast<const quint32 *>(src.constScanLine(y));
        auto *to = reinterpret_cast<quint32 *>(keyed.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const quint32 rgb = from[x] & 0x00FFFFFFu;
            to[x] = rgb == key ? 0u : (rgb | kOpaque);
        }
    }
    return keyed;
}

PreparedOverlay prepareOverlay(const QImage &keyed, QSize size, double opacity)
{
    PreparedOverlay out;
    const int alpha = int(std::lround(std::clamp(opacity, 0.0, 1.0) * 255.0));
    if (keyed.isNull() || size.isEmpty() || alpha == 0)
        return out;
    out.alpha = alpha;
    const int sw = keyed.width(), sh = keyed.height(), tw = size.width(), th = size.height();
    const bool sameSize = keyed.size() == size;
    // At its own size and opaque (a measurement layer on every mouse move) the keyed layer is
    // used as it is: one pass to find its tiles, no copy.
    out.image = sameSize && alpha == 255 ? keyed : QImage(size, QImage::Format_ARGB32_Premultiplied);
    // Source span [first, end) of each shown column and row, and the nearest source index.
    auto spans = [](int source, int shown) {
        std::vector<std::array<int, 3>> s(static_cast<std::size_t>(shown));
        for (int i = 0; i < shown; ++i) {
            const int first = int(std::int64_t(i) * source / shown);
            const int end = std::max(first + 1, int(std::int64_t(i + 1) * source / shown));
            const int nearest = int((2 * std::int64_t(i) + 1) * source / (2 * std::int64_t(shown)));
            s[std::size_t(i)] = {first, std::min(end, source), std::min(nearest, source - 1)};
        }
        return s;
    };
    const auto cols = spans(sw, tw), rows = spans(sh, th);
    const bool shrinks = sw > tw || sh > th;
    const int tilesAcross = (tw + kTile - 1) / kTile, tilesDown = (th + kTile - 1) / kTile;
    std::vector<char> used(std::size_t(tilesAcross) * std::size_t(tilesDown), 0);
    for (int y = 0; y < th && sameSize && alpha == 255; ++y) {
        const auto *line = reinterpret_cast<const quint32 *>(keyed.constScanLine(y));
        char *usedRow = used.data() + std::size_t(y / kTile) * std::size_t(tilesAcross);
        for (int x = 0; x < tw; ++x)
            if (line[x] != 0)
                usedRow[x / kTile] = 1;
    }
    for (int y = 0; y < th && !(sameSize && alpha == 255); ++y) {
        const auto &row = rows[std::size_t(y)];
        const auto *nearestLine = reinterpret_cast<const quint32 *>(keyed.constScanLine(row[2]));
        auto *to = reinterpret_cast<quint32 *>(out.image.scanLine(y));
        char *usedRow = used.data() + std::size_t(y / kTile) * std::size_t(tilesAcross);
        for (int x = 0; x < tw; ++x) {
            const auto &col = cols[std::size_t(x)];
            quint32 p = nearestLine[col[2]];
            if (p == 0 && shrinks) {
                for (int sy = row[0]; sy < row[1] && p == 0; ++sy) {
                    const auto *line = reinterpret_cast<const quint32 *>(keyed.constScanLine(sy));
                    for (int sx = col[0]; sx < col[1] && p == 0; ++sx)
                        p = line[sx];
                }
            }
            if (p != 0) {
                if (alpha != 255)
                    p = qPremultiply(qRgba(qRed(p), qGreen(p), qBlue(p), alpha));
                usedRow[x / kTile] = 1;
            }
            to[x] = p;
        }
    }
    std::size_t visibleTiles = 0;
    for (std::size_t i = 0; i < used.size(); ++i)
        if (used[i]) {
            ++visibleTiles;
            out.tiles.push_back(QRect(int(i % std::size_t(tilesAcross)) * kTile, int(i / std::size_t(tilesAcross)) * kTile,
                                      kTile, kTile)
                                    .intersected(out.image.rect()));
        }
    // Blending tile by tile costs a copy of the frame plus the tiles; the fused pass costs about two
    // copies whatever is visible. A third of the picture is where they meet.
    out.dense = visibleTiles * 3 >= used.size();
    return out;
}

void composeRow(const quint32 *picture, const quint32 *overlay, quint32 *dst, int width, int alpha)
{
    int done = 0;
#ifdef SENDRA_HAVE_AVX2_PATH
    if (__builtin_cpu_supports("avx2"))
        done = composeAvx2(picture, overlay, dst, width, alpha);
    else
#endif
#ifdef __SSE2__
        done = composeSse2(picture, overlay, dst, width, alpha);
#endif
    composeScalar(picture + done, overlay + done, dst + done, width - done, alpha);
}

void composeOverlay(const QImage &picture, const PreparedOverlay &overlay, uchar *dst, qsizetype dstStride)
{
    const int w = std::min(picture.width(), overlay.image.width());
    const int h = std::min(picture.height(), overlay.image.height());
    for (int y = 0; y < h; ++y)
        composeRow(reinterpret_cast<const quint32 *>(picture.constScanLine(y)),
                   reinterpret_cast<const quint32 *>(overlay.image.constScanLine(y)),
                   reinterpret_cast<quint32 *>(dst + y * dstStride), w, overlay.alpha);
}

} // namespace camera
