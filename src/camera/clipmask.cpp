#include "camera/clipmask.h"

#include "camera/bitplane.h"

#include <QImage>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define SENDRA_HAVE_AVX2_PATH 1
#endif

namespace camera {

namespace {

void clippedScalar(const QRgb *pixels, int from, int n, std::uint32_t *high, std::uint32_t *low)
{
    std::uint32_t h = 0, l = 0;
    for (int x = from; x < n; ++x) {
        const QRgb p = pixels[x];
        const int r = qRed(p), g = qGreen(p), b = qBlue(p);
        if (r == 255 || g == 255 || b == 255)
            h |= 1u << (x & 31);
        else if (r == 0 || g == 0 || b == 0)
            l |= 1u << (x & 31);
        if ((x & 31) == 31 || x == n - 1) {
            high[x >> 5] = h;
            low[x >> 5] = l;
            h = l = 0;
        }
    }
}

#ifdef SENDRA_HAVE_AVX2_PATH
__attribute__((target("avx2"))) void clippedAvx2(const QRgb *pixels, int n, std::uint32_t *high, std::uint32_t *low)
{
    const __m256i colour = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i full = _mm256_set1_epi8(char(0xFF));
    const __m256i zero = _mm256_setzero_si256();
    // A colour byte at 0 or 255 becomes 1 or 0 after adding 1, and only those stay at 0 after a
    // saturating subtraction of 1; the x byte is set to 0x80 first so that it never counts.
    const __m256i neutralX = _mm256_set1_epi32(int(0x80000000u));
    const __m256i one = _mm256_set1_epi8(1);
    int x = 0;
    for (; x + 32 <= n; x += 32) {
        // Most blocks hold no clipped pixel: one cheap look at all 32 first.
        __m256i low8 = _mm256_set1_epi8(char(0xFF));
        for (int part = 0; part < 4; ++part) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(pixels + x + 8 * part));
            const __m256i shifted = _mm256_add_epi8(_mm256_or_si256(_mm256_and_si256(v, colour), neutralX), one);
            low8 = _mm256_min_epu8(low8, _mm256_subs_epu8(shifted, one));
        }
        if (_mm256_testz_si256(_mm256_cmpeq_epi8(low8, zero), _mm256_cmpeq_epi8(low8, zero))) {
            high[x >> 5] = low[x >> 5] = 0;
            continue;
        }
        std::uint32_t h = 0, l = 0;
        for (int part = 0; part < 4; ++part) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(pixels + x + 8 * part));
            // A pixel is marked when any of its three colour bytes matched: its 32-bit lane is not 0.
            const __m256i at255 = _mm256_and_si256(_mm256_cmpeq_epi8(v, full), colour);
            const __m256i at0 = _mm256_and_si256(_mm256_cmpeq_epi8(v, zero), colour);
            const int h8 = ~_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(at255, zero))) & 0xFF;
            const int l8 = ~_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(at0, zero))) & 0xFF & ~h8;
            h |= std::uint32_t(h8) << (8 * part);
            l |= std::uint32_t(l8) << (8 * part);
        }
        high[x >> 5] = h;
        low[x >> 5] = l;
    }
    clippedScalar(pixels, x, n, high, low);
}
#endif

} // namespace

void findClippedPixels(const QImage &picture, BitPlane &high, BitPlane &low)
{
    if (picture.isNull()) {
        high = BitPlane();
        low = BitPlane();
        return;
    }
    const QImage src = picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    const int w = src.width(), h = src.height();
    if (high.size() != src.size())
        high = BitPlane(w, h);
    if (low.size() != src.size())
        low = BitPlane(w, h);
#ifdef SENDRA_HAVE_AVX2_PATH
    const bool avx2 = __builtin_cpu_supports("avx2");
#endif
    for (int y = 0; y < h; ++y) {
        const auto *pixels = reinterpret_cast<const QRgb *>(src.constScanLine(y));
#ifdef SENDRA_HAVE_AVX2_PATH
        if (avx2) {
            clippedAvx2(pixels, w, high.row(y), low.row(y));
            continue;
        }
#endif
        clippedScalar(pixels, 0, w, high.row(y), low.row(y));
    }
}

} // namespace camera
