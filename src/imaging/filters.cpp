#include "filters.h"

#include <algorithm>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define SENDRA_FILTERS_AVX2 1
#endif

// Pixels are RGB32: bytes B, G, R, x in memory. Every loop works on whole rows through row
// pointers; the SSE2 paths take 4 to 16 pixels per step and leave the last few of a row to the
// scalar code, which computes the very same values.

namespace imaging {

namespace {

using platform::Bitmap;

constexpr std::uint32_t kOpaque = 0xFF000000u;

constexpr std::uint32_t greyPixel(int g)
{
    return kOpaque | std::uint32_t(g) * 0x010101u;
}

// The sum 299 R + 587 G + 114 B of one pixel; g is this divided by 1000.
inline int lumaSum(const std::uint8_t *p) { return 114 * p[0] + 587 * p[1] + 299 * p[2]; }

// Makes `target` an unshared RGB32 picture of the source's size; false for a null source.
bool prepareTarget(const Bitmap &source, Bitmap &target)
{
    if (source.isNull()) {
        target = Bitmap();
        return false;
    }
    if (target.size() != source.size() || !target.image().isDetached())
        target = Bitmap(QImage(source.size(), QImage::Format_RGB32));
    return !target.isNull();
}

#if defined(__SSE2__)

// The luma sums of four pixels as four 32-bit lanes.
inline __m128i lumaSums4(__m128i pixels)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i weights = _mm_set_epi16(0, 299, 587, 114, 0, 299, 587, 114);
    // Per pixel two lanes: 114 B + 587 G and 299 R + 0 x.
    const __m128i lo = _mm_madd_epi16(_mm_unpacklo_epi8(pixels, zero), weights);
    const __m128i hi = _mm_madd_epi16(_mm_unpackhi_epi8(pixels, zero), weights);
    const __m128 l = _mm_castsi128_ps(lo), h = _mm_castsi128_ps(hi);
    const __m128i even = _mm_castps_si128(_mm_shuffle_ps(l, h, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m128i odd = _mm_castps_si128(_mm_shuffle_ps(l, h, _MM_SHUFFLE(3, 1, 3, 1)));
    return _mm_add_epi32(even, odd);
}

// trunc(sum / 1000) for sums up to 255000. (sum + 0.5) / 1000 lies at least 0.0005 away from
// the next whole number and single precision is off by far less, so truncating it is exact
// (the tests check every input).
inline __m128i divideBy1000(__m128i sums)
{
    const __m128 f = _mm_add_ps(_mm_cvtepi32_ps(sums), _mm_set1_ps(0.5f));
    return _mm_cvttps_epi32(_mm_mul_ps(f, _mm_set1_ps(0.001f)));
}

// The grey values of sixteen pixels at `s` as sixteen bytes.
inline __m128i greyBytes16(const std::uint8_t *s)
{
    __m128i g[4];
    for (int i = 0; i < 4; ++i)
        g[i] = divideBy1000(lumaSums4(_mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 16 * i))));
    return _mm_packus_epi16(_mm_packs_epi32(g[0], g[1]), _mm_packs_epi32(g[2], g[3]));
}

// Sixteen grey bytes as sixteen opaque grey pixels, stored at `out`.
inline void storeGrey16(__m128i g, std::uint32_t *out)
{
    const __m128i ones = _mm_set1_epi8(char(0xFF));
    const __m128i ggLo = _mm_unpacklo_epi8(g, g), gfLo = _mm_unpacklo_epi8(g, ones);
    const __m128i ggHi = _mm_unpackhi_epi8(g, g), gfHi = _mm_unpackhi_epi8(g, ones);
    auto *o = reinterpret_cast<__m128i *>(out);
    _mm_storeu_si128(o, _mm_unpacklo_epi16(ggLo, gfLo));
    _mm_storeu_si128(o + 1, _mm_unpackhi_epi16(ggLo, gfLo));
    _mm_storeu_si128(o + 2, _mm_unpacklo_epi16(ggHi, gfHi));
    _mm_storeu_si128(o + 3, _mm_unpackhi_epi16(ggHi, gfHi));
}

#endif

// Grey values of one row as bytes.
void greyBytes(const std::uint8_t *s, std::uint8_t *d, int width)
{
    int x = 0;
#if defined(__SSE2__)
    for (; x + 16 <= width; x += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(d + x), greyBytes16(s + 4 * x));
#endif
    for (; x < width; ++x)
        d[x] = std::uint8_t(lumaSum(s + 4 * x) / 1000);
}

#if defined(SENDRA_FILTERS_AVX2)

// The grey filter is the one whose arithmetic outweighs its memory traffic, so where the
// processor has AVX2 it takes 32 pixels per step. Checked once at start-up.
bool processorHasAvx2()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
const bool kHasAvx2 = processorHasAvx2();

__attribute__((target("avx2"))) inline __m256i greyWords8x2(const std::uint8_t *s)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i weights = _mm256_set_epi16(0, 299, 587, 114, 0, 299, 587, 114, 0, 299, 587, 114, 0, 299, 587, 114);
    const __m256 half = _mm256_set1_ps(0.5f), thousandth = _mm256_set1_ps(0.001f);
    __m256i g[2];
    for (int i = 0; i < 2; ++i) {
        // Eight pixels; each 128-bit lane works on its own four, in order.
        const __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(s + 32 * i));
        const __m256 lo = _mm256_castsi256_ps(_mm256_madd_epi16(_mm256_unpacklo_epi8(px, zero), weights));
        const __m256 hi = _mm256_castsi256_ps(_mm256_madd_epi16(_mm256_unpackhi_epi8(px, zero), weights));
        const __m256i sums = _mm256_add_epi32(_mm256_castps_si256(_mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0))),
                                              _mm256_castps_si256(_mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1))));
        g[i] = _mm256_cvttps_epi32(_mm256_mul_ps(_mm256_add_ps(_mm256_cvtepi32_ps(sums), half), thousandth));
    }
    // 16-bit words: pixels 0-3, 8-11 | 4-7, 12-15.
    return _mm256_packs_epi32(g[0], g[1]);
}

__attribute__((target("avx2"))) void greyRowAvx2(const std::uint8_t *s, std::uint32_t *d, int width)
{
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    int x = 0;
    for (; x + 32 <= width; x += 32) {
        // Bytes 0-3, 8-11, 16-19, 24-27 | 4-7, 12-15, 20-23, 28-31, put back in order.
        const __m256i bytes = _mm256_permutevar8x32_epi32(
            _mm256_packus_epi16(greyWords8x2(s + 4 * x), greyWords8x2(s + 4 * x + 64)), order);
        storeGrey16(_mm256_castsi256_si128(bytes), d + x);
        storeGrey16(_mm256_extracti128_si256(bytes, 1), d + x + 16);
    }
    for (; x + 16 <= width; x += 16)
        storeGrey16(greyBytes16(s + 4 * x), d + x);
    for (; x < width; ++x)
        d[x] = greyPixel(lumaSum(s + 4 * x) / 1000);
}

#endif

void greyRow(const std::uint8_t *s, std::uint32_t *d, int width)
{
#if defined(SENDRA_FILTERS_AVX2)
    if (kHasAvx2) {
        greyRowAvx2(s, d, width);
        return;
    }
#endif
    int x = 0;
#if defined(__SSE2__)
    for (; x + 16 <= width; x += 16)
        storeGrey16(greyBytes16(s + 4 * x), d + x);
#endif
    for (; x < width; ++x)
        d[x] = greyPixel(lumaSum(s + 4 * x) / 1000);
}

void binaryRow(const std::uint8_t *s, std::uint32_t *d, int width, int k)
{
    // g > k exactly when the luma sum reaches 1000 (k + 1): no division needed.
    const int threshold = 1000 * (k + 1);
    int x = 0;
#if defined(__SSE2__)
    const __m128i below = _mm_set1_epi32(threshold - 1);
    const __m128i opaque = _mm_set1_epi32(int(kOpaque));
    for (; x + 8 <= width; x += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 4 * x));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 4 * x + 16));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(d + x), _mm_or_si128(_mm_cmpgt_epi32(lumaSums4(a), below), opaque));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(d + x + 4),
                         _mm_or_si128(_mm_cmpgt_epi32(lumaSums4(b), below), opaque));
    }
#endif
    for (; x < width; ++x)
        d[x] = lumaSum(s + 4 * x) >= threshold ? 0xFFFFFFFFu : kOpaque;
}

void complementRow(const std::uint8_t *s, std::uint32_t *d, int width, int k)
{
    // |255 - k - v| = |v - t| with t = 255 - k, which stays in 0..255.
    const int t = 255 - k;
    int x = 0;
#if defined(__SSE2__)
    const __m128i tv = _mm_set1_epi8(char(t));
    const __m128i opaque = _mm_set1_epi32(int(kOpaque));
    for (; x + 8 <= width; x += 8) {
        for (int half = 0; half < 2; ++half) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 4 * x + 16 * half));
            const __m128i diff = _mm_or_si128(_mm_subs_epu8(v, tv), _mm_subs_epu8(tv, v));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(d + x + 4 * half), _mm_or_si128(diff, opaque));
        }
    }
#endif
    for (; x < width; ++x) {
        const std::uint8_t *p = s + 4 * x;
        const auto c = [t](int v) { return std::uint32_t(v > t ? v - t : t - v); };
        d[x] = kOpaque | c(p[0]) | c(p[1]) << 8 | c(p[2]) << 16;
    }
}

// e = w c - (sum of the 3 x 3 box around c) for w = 9 (edge: 8 c minus the eight neighbours) or
// w = 10 (high-pass: 9 c minus the eight neighbours), on the grey picture, clamped to 0..255.
// Both products and sums stay within 16 bits (10 x 255 and 9 x 255).
void neighbourhoodFilter(const Bitmap &source, Bitmap &target, int centreWeight)
{
    if (!prepareTarget(source, target))
        return;
    const int w = source.width(), h = source.height();
    // Grey rows padded by one wrapped pixel at each end, so column -1 is column w - 1 and
    // column w is column 0. Rows 0 and h - 1 are kept apart (they are the neighbours across the
    // wrap); the rows between go round a ring of three.
    const int stride = w + 2;
    std::vector<std::uint8_t> rows(std::size_t(5) * std::size_t(stride));
    std::vector<std::uint16_t> columnSums(std::size_t(stride) + 8);
    std::uint8_t *first = rows.data();
    std::uint8_t *last = first + stride;
    std::uint8_t *ring = first + 2 * stride;
    const auto makeRow = [&](int y, std::uint8_t *out) {
        greyBytes(source.constScanLine(y), out + 1, w);
        out[0] = out[w];
        out[w + 1] = out[1];
    };
    makeRow(0, first);
    if (h > 1)
        makeRow(h - 1, last);
    else
        last = first;
    const auto rowOf = [&](int y) -> const std::uint8_t * {
        if (y == 0)
            return first;
        if (y == h - 1)
            return last;
        return ring + (y % 3) * stride;
    };

    for (int y = 0; y < h; ++y) {
        if (y + 1 <= h - 2)
            makeRow(y + 1, ring + ((y + 1) % 3) * stride);
        const std::uint8_t *up = rowOf(y == 0 ? h - 1 : y - 1);
        const std::uint8_t *mid = rowOf(y);
        const std::uint8_t *down = rowOf(y == h - 1 ? 0 : y + 1);
        std::uint16_t *v = columnSums.data();
        auto *d = reinterpret_cast<std::uint32_t *>(target.scanLine(y));

        // Column sums over the padded row.
        int i = 0;
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        for (; i + 16 <= stride; i += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(up + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(mid + i));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(down + i));
            const __m128i lo = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero)),
                                             _mm_unpacklo_epi8(c, zero));
            const __m128i hi = _mm_add_epi16(_mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero)),
                                             _mm_unpackhi_epi8(c, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(v + i), lo);
            _mm_storeu_si128(reinterpret_cast<__m128i *>(v + i + 8), hi);
        }
#endif
        for (; i < stride; ++i)
            v[i] = std::uint16_t(up[i] + mid[i] + down[i]);

        // Output column x is padded column x + 1.
        int x = 0;
#if defined(__SSE2__)
        const __m128i weight = _mm_set1_epi16(std::int16_t(centreWeight));
        for (; x + 16 <= w; x += 16) {
            __m128i e[2];
            for (int half = 0; half < 2; ++half) {
                const std::uint16_t *p = v + x + 8 * half;
                const __m128i box = _mm_add_epi16(
                    _mm_add_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)),
                                  _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 1))),
                    _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 2)));
                e[half] = box;
            }
            const __m128i centre = _mm_loadu_si128(reinterpret_cast<const __m128i *>(mid + x + 1));
            const __m128i cLo = _mm_mullo_epi16(_mm_unpacklo_epi8(centre, zero), weight);
            const __m128i cHi = _mm_mullo_epi16(_mm_unpackhi_epi8(centre, zero), weight);
            storeGrey16(_mm_packus_epi16(_mm_sub_epi16(cLo, e[0]), _mm_sub_epi16(cHi, e[1])), d + x);
        }
#endif
        for (; x < w; ++x) {
            const int e = centreWeight * mid[x + 1] - (v[x] + v[x + 1] + v[x + 2]);
            d[x] = greyPixel(std::clamp(e, 0, 255));
        }
    }
}

template <class Row>
void perRow(const Bitmap &source, Bitmap &target, Row row)
{
    if (!prepareTarget(source, target))
        return;
    const int w = source.width();
    for (int y = 0; y < source.height(); ++y)
        row(source.constScanLine(y), reinterpret_cast<std::uint32_t *>(target.scanLine(y)), w);
}

} // namespace

void greyLevelFilter(const Bitmap &source, Bitmap &target) { perRow(source, target, greyRow); }

void complementFilter(const Bitmap &source, int k, Bitmap &target)
{
    k = std::clamp(k, 0, 255);
    perRow(source, target, [k](const std::uint8_t *s, std::uint32_t *d, int w) { complementRow(s, d, w, k); });
}

void binaryFilter(const Bitmap &source, int k, Bitmap &target)
{
    k = std::clamp(k, 0, 255);
    perRow(source, target, [k](const std::uint8_t *s, std::uint32_t *d, int w) { binaryRow(s, d, w, k); });
}

void edgeDetectionFilter(const Bitmap &source, Bitmap &target) { neighbourhoodFilter(source, target, 9); }

void highPassFilter(const Bitmap &source, Bitmap &target) { neighbourhoodFilter(source, target, 10); }

void applyFilter(FilterKind kind, int k, const Bitmap &source, Bitmap &target)
{
    switch (kind) {
    case FilterKind::GreyLevel:
        greyLevelFilter(source, target);
        return;
    case FilterKind::Complement:
        complementFilter(source, k, target);
        return;
    case FilterKind::Binary:
        binaryFilter(source, k, target);
        return;
    case FilterKind::EdgeDetection:
        edgeDetectionFilter(source, target);
        return;
    case FilterKind::HighPass:
        highPassFilter(source, target);
        return;
    case FilterKind::None:
        break;
    }
    target = source;
}

FilterSlider sliderFor(FilterKind kind)
{
    switch (kind) {
    case FilterKind::Complement:
        return {true, 255, 0};
    case FilterKind::Binary:
        return {true, 255, 127};
    default:
        return {};
    }
}

} // namespace imaging
