#include "camera/clipmask.h"

#include "camera/bitplane.h"

#include <QImage>

#include <algorithm>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define SENDRA_HAVE_AVX2_PATH 1
#define SENDRA_HAVE_SSE2_PATH 1
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

using ClippedRow = void (*)(const QRgb *, int, std::uint32_t *, std::uint32_t *);

// The last, partial word of a row through the vector code: its pixels copied into a block of 32
// padded with a pixel that is never clipped, the padding's bits cleared.
void paddedTail(const QRgb *pixels, int x, int n, std::uint32_t *high, std::uint32_t *low, ClippedRow row)
{
    QRgb block[32];
    std::fill(std::copy(pixels + x, pixels + n, block), block + 32, QRgb(0xFF808080u));
    std::uint32_t h = 0, l = 0;
    row(block, 32, &h, &l);
    const std::uint32_t inside = (1u << (n - x)) - 1;   // n - x < 32
    high[x >> 5] = h & inside;
    low[x >> 5] = l & inside;
}

#ifdef SENDRA_HAVE_SSE2_PATH
// SSE2, part of every x86-64 processor: the AVX2 code's steps on four pixels a register.
void clippedSse2(const QRgb *pixels, int n, std::uint32_t *high, std::uint32_t *low)
{
    const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
    const __m128i full = _mm_set1_epi8(char(0xFF));
    const __m128i zero = _mm_setzero_si128();
    const __m128i neutralX = _mm_set1_epi32(int(0x80000000u));
    const __m128i one = _mm_set1_epi8(1);
    const auto at = [&](int i) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(pixels + i)); };
    int x = 0;
    for (; x + 32 <= n; x += 32) {
        __m128i low8 = full;
        for (int part = 0; part < 8; ++part) {
            const __m128i shifted = _mm_add_epi8(_mm_or_si128(_mm_and_si128(at(x + 4 * part), colour), neutralX), one);
            low8 = _mm_min_epu8(low8, _mm_subs_epu8(shifted, one));
        }
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(low8, zero)) == 0) {
            high[x >> 5] = low[x >> 5] = 0;
            continue;
        }
        std::uint32_t h = 0, l = 0;
        for (int part = 0; part < 8; ++part) {
            const __m128i v = at(x + 4 * part);
            const __m128i at255 = _mm_and_si128(_mm_cmpeq_epi8(v, full), colour);
            const __m128i at0 = _mm_and_si128(_mm_cmpeq_epi8(v, zero), colour);
            const int h4 = ~_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(at255, zero))) & 0xF;
            const int l4 = ~_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(at0, zero))) & 0xF & ~h4;
            h |= std::uint32_t(h4) << (4 * part);
            l |= std::uint32_t(l4) << (4 * part);
        }
        high[x >> 5] = h;
        low[x >> 5] = l;
    }
    if (x < n)
        paddedTail(pixels, x, n, high, low, clippedSse2);
}
#endif

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
    if (x < n)
        paddedTail(pixels, x, n, high, low, clippedAvx2);
}

// AVX-512BW: sixteen pixels a register, the byte comparisons straight into mask registers, so a
// block needs no first look to skip the second: clipped pixels cost no more than others.
__attribute__((target("avx512f,avx512bw"))) void clippedAvx512(const QRgb *pixels, int n, std::uint32_t *high,
                                                              std::uint32_t *low)
{
    const __m512i full = _mm512_set1_epi8(char(0xFF));
    const __m512i zero = _mm512_setzero_si512();
    const __mmask64 colourBytes = 0x7777777777777777ull;   // blue, green and red of each pixel, not x
    int x = 0;
    for (; x + 32 <= n; x += 32) {
        std::uint32_t h = 0, l = 0;
        for (int half = 0; half < 2; ++half) {
            const __m512i v = _mm512_loadu_si512(pixels + x + 16 * half);
            const __mmask64 at255 = _mm512_mask_cmpeq_epi8_mask(colourBytes, v, full);
            const __mmask64 at0 = _mm512_mask_cmpeq_epi8_mask(colourBytes, v, zero);
            if ((at255 | at0) == 0)
                continue;
            // A pixel is marked when any of its bytes matched: its 32-bit lane of the byte masks
            // spread back into a register is not 0.
            const __m512i bytes255 = _mm512_movm_epi8(at255), bytes0 = _mm512_movm_epi8(at0);
            const std::uint32_t h16 = _mm512_test_epi32_mask(bytes255, bytes255);
            const std::uint32_t l16 = _mm512_test_epi32_mask(bytes0, bytes0) & ~h16;
            h |= h16 << (16 * half);
            l |= l16 << (16 * half);
        }
        high[x >> 5] = h;
        low[x >> 5] = l;
    }
    if (x < n)
        paddedTail(pixels, x, n, high, low, clippedAvx512);
}
#endif

} // namespace

void findClippedInRow(const QRgb *pixels, int n, std::uint32_t *high, std::uint32_t *low, platform::SimdLevel level)
{
#ifdef SENDRA_HAVE_AVX2_PATH
    if (level == platform::SimdLevel::Avx512) {
        clippedAvx512(pixels, n, high, low);
        return;
    }
    if (platform::atLeast(level, platform::SimdLevel::Avx2)) {
        clippedAvx2(pixels, n, high, low);
        return;
    }
#endif
#ifdef SENDRA_HAVE_SSE2_PATH
    if (platform::atLeast(level, platform::SimdLevel::Sse2)) {
        clippedSse2(pixels, n, high, low);
        return;
    }
#endif
    clippedScalar(pixels, 0, n, high, low);
}

void findClippedPixels(const QImage &picture, BitPlane &high, BitPlane &low, platform::SimdLevel level)
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
    for (int y = 0; y < h; ++y)
        findClippedInRow(reinterpret_cast<const QRgb *>(src.constScanLine(y)), w, high.row(y), low.row(y), level);
}

} // namespace camera
