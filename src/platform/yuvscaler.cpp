// Plane filtering and colour conversion for the shown picture. Three kernels, each in a portable,
// an SSE2 and an AVX2 version that give the same bytes:
//  - rows: the taps of one output row combined, whole source rows at a time (16-bit sums);
//  - columns: the taps of each output sample along the combined row (32-bit multiply-adds; the
//    AVX2 version gathers eight outputs' taps at once);
//  - colour: luma and chroma lines to B, G, R, 0xFF pixels, in 16-bit fixed point.
#include "yuvscaler.h"

#include "platform/filtertaps.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#define SENDRA_X86 1
#include <immintrin.h>
#endif

namespace platform {

SimdLevel bestSimdLevel()
{
#ifdef SENDRA_X86
    return __builtin_cpu_supports("avx2") ? SimdLevel::Avx2 : SimdLevel::Sse2;
#else
    return SimdLevel::Portable;
#endif
}

namespace {

// Rows are combined with weights summing to 256 and kept at 15 bits (value x 128); samples along
// the row with weights summing to 2^14; 2^7 x 2^14 = 2^21 scales back to bytes.
constexpr int kRowUnit = 256;
constexpr int kColumnUnit = 1 << 14;
constexpr int kColumnShift = 21;
constexpr int kColumnBlock = 8;   // outputs per step of the column kernels

// JFIF colour conversion in units of a quarter: chroma enters as (c - 128) x 128, a coefficient
// K gives (c - 128) x K / 512 through a 16-bit high multiply, so K is the factor x 2048.
constexpr int kCrToR = 2871;    // 1.40200
constexpr int kCbToG = 705;     // 0.34414
constexpr int kCrToG = 1463;    // 0.71414
constexpr int kCbToB = 3629;    // 1.77200

inline int mulhi(int a, int k) { return (a * k) >> 16; }
inline std::uint8_t clampByte(int v) { return std::uint8_t(std::clamp(v, 0, 255)); }

// One pixel, the way every vector version computes it.
inline void convertPixel(int y, int cb, int cr, std::uint8_t *bgrx)
{
    const int y4 = y << 2, c = (cb - 128) << 7, r = (cr - 128) << 7;
    bgrx[0] = clampByte((y4 + mulhi(c, kCbToB) + 2) >> 2);
    bgrx[1] = clampByte((y4 - (mulhi(c, kCbToG) + mulhi(r, kCrToG)) + 2) >> 2);
    bgrx[2] = clampByte((y4 + mulhi(r, kCrToR) + 2) >> 2);
    bgrx[3] = 0xFF;
}

// The taps of one direction as the kernels read them. Rows: per output row, the first source row
// and its weights. Columns: per block of eight outputs, each output's first source sample, then for
// every pair of taps the two weights packed in one 32-bit word (low half for the first sample),
// eight at a time; a missing tap has weight 0.
struct RowTaps {
    std::vector<int> first, start, count;
    std::vector<std::int16_t> weight;
};

struct ColumnTaps {
    int outputs = 0;
    int blocks = 0;
    int pairs = 0;
    std::vector<std::int32_t> first;     // blocks x 8
    std::vector<std::int32_t> weights;   // blocks x pairs x 8
    // The same taps seen from each block's first source sample: the eight outputs' offsets from
    // it. `span` is the largest offset of any block; a span below 16 lets a vector kernel pick
    // the tap pairs out of two loaded vectors instead of loading each on its own.
    std::vector<std::int32_t> offsets;   // blocks x 8
    int span = 0;
};

RowTaps rowTaps(int from, int to)
{
    const FilterTaps t = makeFilterTaps(from, to, kRowUnit);
    RowTaps r;
    r.first.resize(std::size_t(to));
    r.start = t.first;
    r.count = t.count;
    r.weight = t.weight;
    for (int i = 0; i < to; ++i)
        r.first[std::size_t(i)] = t.source[std::size_t(t.first[std::size_t(i)])];
    return r;
}

ColumnTaps columnTaps(int from, int to)
{
    const FilterTaps t = makeFilterTaps(from, to, kColumnUnit);
    ColumnTaps c;
    c.outputs = to;
    c.blocks = (to + kColumnBlock - 1) / kColumnBlock;
    c.pairs = (*std::max_element(t.count.begin(), t.count.end()) + 1) / 2;
    c.first.assign(std::size_t(c.blocks) * kColumnBlock, 0);
    c.weights.assign(std::size_t(c.blocks) * std::size_t(c.pairs) * kColumnBlock, 0);
    for (int i = 0; i < to; ++i) {
        const int block = i / kColumnBlock, lane = i % kColumnBlock;
        const int tap0 = t.first[std::size_t(i)];
        c.first[std::size_t(i)] = t.source[std::size_t(tap0)];
        for (int k = 0; k < t.count[std::size_t(i)]; ++k) {
            const auto w = std::uint32_t(std::uint16_t(t.weight[std::size_t(tap0 + k)]));
            std::int32_t &slot =
                c.weights[(std::size_t(block) * std::size_t(c.pairs) + std::size_t(k / 2)) * kColumnBlock + std::size_t(lane)];
            slot = std::int32_t(std::uint32_t(slot) | (k % 2 ? w << 16 : w));
        }
    }
    c.offsets.assign(c.first.size(), 0);
    for (int b = 0; b < c.blocks; ++b)
        for (int lane = 0; lane < kColumnBlock; ++lane) {
            const std::size_t i = std::size_t(b * kColumnBlock + lane);
            // Padding lanes past the last output repeat the block's first sample.
            const int offset = int(i) < to ? c.first[i] - c.first[std::size_t(b * kColumnBlock)] : 0;
            c.offsets[i] = offset;
            c.span = std::max(c.span, offset);
        }
    return c;
}

// ---- rows: acc[x] = sum of rows[k][x] x weight[k], halved (value x 128) ------------------------

using RowKernel = void (*)(const std::uint8_t *const *rows, const std::int16_t *weight, int count, std::int16_t *acc,
                           int width);

void rowsPortable(const std::uint8_t *const *rows, const std::int16_t *weight, int count, std::int16_t *acc, int width)
{
    for (int x = 0; x < width; ++x) {
        unsigned sum = 0;
        for (int k = 0; k < count; ++k)
            sum += unsigned(rows[k][x]) * unsigned(weight[k]);
        acc[x] = std::int16_t((sum & 0xFFFF) >> 1);
    }
}

#ifdef SENDRA_X86
// `width` is a multiple of 32: the planes and the sum buffer are padded for it.
void rowsSse2(const std::uint8_t *const *rows, const std::int16_t *weight, int count, std::int16_t *acc, int width)
{
    const __m128i zero = _mm_setzero_si128();
    for (int x = 0; x < width; x += 16) {
        __m128i lo = zero, hi = zero;
        for (int k = 0; k < count; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(rows[k] + x));
            const __m128i w = _mm_set1_epi16(weight[k]);
            lo = _mm_add_epi16(lo, _mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), w));
            hi = _mm_add_epi16(hi, _mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), w));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i *>(acc + x), _mm_srli_epi16(lo, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(acc + x + 8), _mm_srli_epi16(hi, 1));
    }
}

__attribute__((target("avx2"))) void rowsAvx2(const std::uint8_t *const *rows, const std::int16_t *weight, int count,
                                               std::int16_t *acc, int width)
{
    for (int x = 0; x < width; x += 32) {
        __m256i lo = _mm256_setzero_si256(), hi = _mm256_setzero_si256();
        for (int k = 0; k < count; ++k) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(rows[k] + x));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(rows[k] + x + 16));
            const __m256i w = _mm256_set1_epi16(weight[k]);
            lo = _mm256_add_epi16(lo, _mm256_mullo_epi16(_mm256_cvtepu8_epi16(a), w));
            hi = _mm256_add_epi16(hi, _mm256_mullo_epi16(_mm256_cvtepu8_epi16(b), w));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(acc + x), _mm256_srli_epi16(lo, 1));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(acc + x + 16), _mm256_srli_epi16(hi, 1));
    }
}
#endif

// ---- columns: out[x] = sum of acc[first + k] x weight[k], back to bytes ------------------------

using ColumnKernel = void (*)(const std::int16_t *acc, const ColumnTaps &taps, std::uint8_t *out);

void columnsPortable(const std::int16_t *acc, const ColumnTaps &taps, std::uint8_t *out)
{
    for (int b = 0; b < taps.blocks; ++b)
        for (int lane = 0; lane < kColumnBlock; ++lane) {
            const int first = taps.first[std::size_t(b * kColumnBlock + lane)];
            int sum = 1 << (kColumnShift - 1);
            for (int p = 0; p < taps.pairs; ++p) {
                const auto w = std::uint32_t(taps.weights[(std::size_t(b) * std::size_t(taps.pairs) + std::size_t(p)) * kColumnBlock + std::size_t(lane)]);
                sum += acc[first + 2 * p] * std::int16_t(w & 0xFFFF) + acc[first + 2 * p + 1] * std::int16_t(w >> 16);
            }
            out[b * kColumnBlock + lane] = clampByte(sum >> kColumnShift);
        }
}

#ifdef SENDRA_X86
inline std::int32_t twoSamples(const std::int16_t *at)
{
    std::int32_t v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

void columnsSse2(const std::int16_t *acc, const ColumnTaps &taps, std::uint8_t *out)
{
    const __m128i round = _mm_set1_epi32(1 << (kColumnShift - 1));
    for (int b = 0; b < taps.blocks; ++b) {
        const std::int32_t *first = taps.first.data() + b * kColumnBlock;
        const std::int32_t *weights = taps.weights.data() + std::size_t(b) * std::size_t(taps.pairs) * kColumnBlock;
        __m128i sumLo = round, sumHi = round;
        for (int p = 0; p < taps.pairs; ++p, weights += kColumnBlock) {
            const int o = 2 * p;
            const __m128i lo = _mm_setr_epi32(twoSamples(acc + first[0] + o), twoSamples(acc + first[1] + o),
                                              twoSamples(acc + first[2] + o), twoSamples(acc + first[3] + o));
            const __m128i hi = _mm_setr_epi32(twoSamples(acc + first[4] + o), twoSamples(acc + first[5] + o),
                                              twoSamples(acc + first[6] + o), twoSamples(acc + first[7] + o));
            sumLo = _mm_add_epi32(sumLo, _mm_madd_epi16(lo, _mm_loadu_si128(reinterpret_cast<const __m128i *>(weights))));
            sumHi = _mm_add_epi32(sumHi, _mm_madd_epi16(hi, _mm_loadu_si128(reinterpret_cast<const __m128i *>(weights + 4))));
        }
        const __m128i words = _mm_packs_epi32(_mm_srai_epi32(sumLo, kColumnShift), _mm_srai_epi32(sumHi, kColumnShift));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + b * kColumnBlock), _mm_packus_epi16(words, words));
    }
}

// The sums paired up: pairs[x] holds sums[x] in its low and sums[x + 1] in its high half, so that
// one 32-bit lane brings a tap pair to the multiply-add. `width` is a multiple of 16.
__attribute__((target("avx2"))) void pairUpAvx2(const std::int16_t *sums, std::int32_t *pairs, int width)
{
    for (int x = 0; x < width; x += 16) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(sums + x));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(sums + x + 1));
        const __m256i lo = _mm256_unpacklo_epi16(a, b), hi = _mm256_unpackhi_epi16(a, b);   // [0-3|8-11], [4-7|12-15]
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(pairs + x), _mm256_permute2x128_si256(lo, hi, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(pairs + x + 8), _mm256_permute2x128_si256(lo, hi, 0x31));
    }
}

// Eight outputs a step, their tap pairs picked out of the sixteen pairs that start at the block's
// first source sample (two loads and a lane permute each, where a gather would load eight times).
// Only for taps whose span is below 16.
__attribute__((target("avx2"))) void columnsAvx2(const std::int32_t *pairs, const ColumnTaps &taps, std::uint8_t *out)
{
    const __m256i round = _mm256_set1_epi32(1 << (kColumnShift - 1));
    const bool narrow = taps.span < 8;
    for (int b = 0; b < taps.blocks; ++b) {
        const std::int32_t *from = pairs + taps.first[std::size_t(b * kColumnBlock)];
        const __m256i offsets = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(taps.offsets.data() + b * kColumnBlock));
        const __m256i upper = _mm256_cmpgt_epi32(offsets, _mm256_set1_epi32(7));
        const std::int32_t *weights = taps.weights.data() + std::size_t(b) * std::size_t(taps.pairs) * kColumnBlock;
        __m256i sum = round;
        for (int p = 0; p < taps.pairs; ++p, weights += kColumnBlock, from += 2) {
            __m256i two = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(from)), offsets);
            if (!narrow)
                two = _mm256_blendv_epi8(
                    two, _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(from + 8)), offsets),
                    upper);
            sum = _mm256_add_epi32(sum, _mm256_madd_epi16(two, _mm256_loadu_si256(reinterpret_cast<const __m256i *>(weights))));
        }
        sum = _mm256_srai_epi32(sum, kColumnShift);
        const __m128i words = _mm_packs_epi32(_mm256_castsi256_si128(sum), _mm256_extracti128_si256(sum, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + b * kColumnBlock), _mm_packus_epi16(words, words));
    }
}
#endif

// ---- colour: luma and chroma lines to BGRX -----------------------------------------------------

// `pixels` is a multiple of the kernel's step (16 for SSE2, 32 for AVX2, any for portable).
// Chroma lines hold one sample per `halfChroma ? 2 : 1` pixels; null for a grey picture.
using ColourKernel = void (*)(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr, std::uint8_t *bgrx,
                              int pixels, bool halfChroma);

void colourPortable(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr, std::uint8_t *bgrx, int pixels,
                    bool halfChroma)
{
    for (int x = 0; x < pixels; ++x, bgrx += 4) {
        if (!cb) {
            bgrx[0] = bgrx[1] = bgrx[2] = y[x];
            bgrx[3] = 0xFF;
            continue;
        }
        const int c = halfChroma ? x / 2 : x;
        convertPixel(y[x], cb[c], cr[c], bgrx);
    }
}

#ifdef SENDRA_X86
// Eight chroma samples as the quarter-unit terms that colour pixels: B's, G's (to subtract), R's.
struct ChromaTerms {
    __m128i b, g, r;
};

inline ChromaTerms chromaTerms(__m128i cb16, __m128i cr16)
{
    const __m128i bias = _mm_set1_epi16(128);
    const __m128i c = _mm_slli_epi16(_mm_sub_epi16(cb16, bias), 7);
    const __m128i r = _mm_slli_epi16(_mm_sub_epi16(cr16, bias), 7);
    return {_mm_mulhi_epi16(c, _mm_set1_epi16(kCbToB)),
            _mm_add_epi16(_mm_mulhi_epi16(c, _mm_set1_epi16(kCbToG)), _mm_mulhi_epi16(r, _mm_set1_epi16(kCrToG))),
            _mm_mulhi_epi16(r, _mm_set1_epi16(kCrToR))};
}

// Eight pixels: luma (16-bit) plus the terms, rounded back to 16-bit channel values.
struct Channels {
    __m128i b, g, r;
};

inline Channels channels(__m128i y16, const ChromaTerms &t)
{
    const __m128i y4 = _mm_add_epi16(_mm_slli_epi16(y16, 2), _mm_set1_epi16(2));
    return {_mm_srai_epi16(_mm_add_epi16(y4, t.b), 2), _mm_srai_epi16(_mm_sub_epi16(y4, t.g), 2),
            _mm_srai_epi16(_mm_add_epi16(y4, t.r), 2)};
}

// Sixteen pixels from three byte vectors to four stores of B, G, R, 0xFF.
inline void storeBgrx(__m128i b8, __m128i g8, __m128i r8, std::uint8_t *out)
{
    const __m128i opaque = _mm_set1_epi8(char(0xFF));
    const __m128i bgLo = _mm_unpacklo_epi8(b8, g8), bgHi = _mm_unpackhi_epi8(b8, g8);
    const __m128i raLo = _mm_unpacklo_epi8(r8, opaque), raHi = _mm_unpackhi_epi8(r8, opaque);
    auto *o = reinterpret_cast<__m128i *>(out);
    _mm_storeu_si128(o, _mm_unpacklo_epi16(bgLo, raLo));
    _mm_storeu_si128(o + 1, _mm_unpackhi_epi16(bgLo, raLo));
    _mm_storeu_si128(o + 2, _mm_unpacklo_epi16(bgHi, raHi));
    _mm_storeu_si128(o + 3, _mm_unpackhi_epi16(bgHi, raHi));
}

void colourSse2(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr, std::uint8_t *bgrx, int pixels,
                bool halfChroma)
{
    const __m128i zero = _mm_setzero_si128();
    for (int x = 0; x < pixels; x += 16, bgrx += 64) {
        const __m128i luma = _mm_loadu_si128(reinterpret_cast<const __m128i *>(y + x));
        if (!cb) {
            storeBgrx(luma, luma, luma, bgrx);
            continue;
        }
        const __m128i yLo = _mm_unpacklo_epi8(luma, zero), yHi = _mm_unpackhi_epi8(luma, zero);
        ChromaTerms lo, hi;
        if (halfChroma) {
            const ChromaTerms t =
                chromaTerms(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(cb + x / 2)), zero),
                            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(cr + x / 2)), zero));
            // Each chroma term serves two neighbouring pixels.
            lo = {_mm_unpacklo_epi16(t.b, t.b), _mm_unpacklo_epi16(t.g, t.g), _mm_unpacklo_epi16(t.r, t.r)};
            hi = {_mm_unpackhi_epi16(t.b, t.b), _mm_unpackhi_epi16(t.g, t.g), _mm_unpackhi_epi16(t.r, t.r)};
        } else {
            const __m128i b8 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(cb + x));
            const __m128i r8 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(cr + x));
            lo = chromaTerms(_mm_unpacklo_epi8(b8, zero), _mm_unpacklo_epi8(r8, zero));
            hi = chromaTerms(_mm_unpackhi_epi8(b8, zero), _mm_unpackhi_epi8(r8, zero));
        }
        const Channels a = channels(yLo, lo), b = channels(yHi, hi);
        storeBgrx(_mm_packus_epi16(a.b, b.b), _mm_packus_epi16(a.g, b.g), _mm_packus_epi16(a.r, b.r), bgrx);
    }
}

// The AVX2 version: the same arithmetic on sixteen 16-bit lanes, thirty-two pixels a step.
struct ChromaTerms256 {
    __m256i b, g, r;
};

__attribute__((target("avx2"))) inline ChromaTerms256 chromaTerms256(__m256i cb16, __m256i cr16)
{
    const __m256i bias = _mm256_set1_epi16(128);
    const __m256i c = _mm256_slli_epi16(_mm256_sub_epi16(cb16, bias), 7);
    const __m256i r = _mm256_slli_epi16(_mm256_sub_epi16(cr16, bias), 7);
    return {_mm256_mulhi_epi16(c, _mm256_set1_epi16(kCbToB)),
            _mm256_add_epi16(_mm256_mulhi_epi16(c, _mm256_set1_epi16(kCbToG)),
                             _mm256_mulhi_epi16(r, _mm256_set1_epi16(kCrToG))),
            _mm256_mulhi_epi16(r, _mm256_set1_epi16(kCrToR))};
}

__attribute__((target("avx2"))) inline __m256i channel256(__m256i y4, __m256i term, bool subtract)
{
    return _mm256_srai_epi16(subtract ? _mm256_sub_epi16(y4, term) : _mm256_add_epi16(y4, term), 2);
}

// Thirty-two pixels. The packs and unpacks work within 128-bit lanes; the halves are ordered so
// that the final cross-lane moves put the pixels back in sequence.
__attribute__((target("avx2"))) inline void storeBgrx256(__m256i b8, __m256i g8, __m256i r8, std::uint8_t *out)
{
    // b8 etc. hold pixels [0-7, 16-23 | 8-15, 24-31] (as _mm256_packus_epi16 of two halves leaves them).
    const __m256i opaque = _mm256_set1_epi8(char(0xFF));
    const __m256i bgLo = _mm256_unpacklo_epi8(b8, g8), bgHi = _mm256_unpackhi_epi8(b8, g8);     // [0-7|8-15], [16-23|24-31]
    const __m256i raLo = _mm256_unpacklo_epi8(r8, opaque), raHi = _mm256_unpackhi_epi8(r8, opaque);
    const __m256i p0 = _mm256_unpacklo_epi16(bgLo, raLo), p1 = _mm256_unpackhi_epi16(bgLo, raLo);   // [0-3|8-11], [4-7|12-15]
    const __m256i p2 = _mm256_unpacklo_epi16(bgHi, raHi), p3 = _mm256_unpackhi_epi16(bgHi, raHi);   // [16-19|24-27], [20-23|28-31]
    auto *o = reinterpret_cast<__m256i *>(out);
    _mm256_storeu_si256(o, _mm256_permute2x128_si256(p0, p1, 0x20));
    _mm256_storeu_si256(o + 1, _mm256_permute2x128_si256(p0, p1, 0x31));
    _mm256_storeu_si256(o + 2, _mm256_permute2x128_si256(p2, p3, 0x20));
    _mm256_storeu_si256(o + 3, _mm256_permute2x128_si256(p2, p3, 0x31));
}

__attribute__((target("avx2"))) void colourAvx2(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr,
                                                 std::uint8_t *bgrx, int pixels, bool halfChroma)
{
    const __m256i round = _mm256_set1_epi16(2);
    for (int x = 0; x < pixels; x += 32, bgrx += 128) {
        const __m128i y0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(y + x));
        const __m128i y1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(y + x + 16));
        if (!cb) {
            // [0-7, 16-23 | 8-15, 24-31], the order storeBgrx256 expects.
            const __m256i luma = _mm256_permute4x64_epi64(_mm256_set_m128i(y1, y0), 0xD8);
            storeBgrx256(luma, luma, luma, bgrx);
            continue;
        }
        const __m256i yA = _mm256_add_epi16(_mm256_slli_epi16(_mm256_cvtepu8_epi16(y0), 2), round);   // pixels 0-15
        const __m256i yB = _mm256_add_epi16(_mm256_slli_epi16(_mm256_cvtepu8_epi16(y1), 2), round);   // 16-31
        ChromaTerms256 a, b;
        if (halfChroma) {
            const ChromaTerms256 t =
                chromaTerms256(_mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(cb + x / 2))),
                               _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(cr + x / 2))));
            // Terms 0-15 in order; [0-3, 8-11 | 4-7, 12-15] makes the in-lane doubling come out in
            // pixel order: the low unpack gives pixels 0-15, the high one 16-31.
            const __m256i qb = _mm256_permute4x64_epi64(t.b, 0xD8), qg = _mm256_permute4x64_epi64(t.g, 0xD8),
                          qr = _mm256_permute4x64_epi64(t.r, 0xD8);
            a = {_mm256_unpacklo_epi16(qb, qb), _mm256_unpacklo_epi16(qg, qg), _mm256_unpacklo_epi16(qr, qr)};
            b = {_mm256_unpackhi_epi16(qb, qb), _mm256_unpackhi_epi16(qg, qg), _mm256_unpackhi_epi16(qr, qr)};
        } else {
            const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(cb + x));
            const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(cb + x + 16));
            const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(cr + x));
            const __m128i r1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(cr + x + 16));
            a = chromaTerms256(_mm256_cvtepu8_epi16(b0), _mm256_cvtepu8_epi16(r0));
            b = chromaTerms256(_mm256_cvtepu8_epi16(b1), _mm256_cvtepu8_epi16(r1));
        }
        storeBgrx256(_mm256_packus_epi16(channel256(yA, a.b, false), channel256(yB, b.b, false)),
                     _mm256_packus_epi16(channel256(yA, a.g, true), channel256(yB, b.g, true)),
                     _mm256_packus_epi16(channel256(yA, a.r, false), channel256(yB, b.r, false)), bgrx);
    }
}
#endif

} // namespace

// The taps and line buffers of one source layout and shown size.
struct YuvScaler::Plan {
    QSize luma, chroma, shown;
    int stepX = 1, stepY = 1;

    RowTaps lumaRows, chromaRows;
    ColumnTaps lumaColumns, chromaColumns;
    int shownStepX = 1, shownStepY = 1;   // luma pixels per shown chroma sample
    QSize shownChroma;

    std::vector<std::int16_t> sums;     // one row's combined taps
    std::vector<std::int32_t> pairs;    // the same, paired up for the AVX2 column kernel
    bool avx2 = false;
    std::vector<std::uint8_t> lineY, lineCb, lineCr, tail;
    std::vector<const std::uint8_t *> rows;

    RowKernel rowKernel = rowsPortable;
    ColumnKernel columnKernel = columnsPortable;
    ColourKernel colourKernel = colourPortable;
    int colourStep = 1;

    bool fits(const YuvPlanes &p, QSize to) const
    {
        return p.lumaSize == luma && p.chromaSize == chroma && p.chromaStepX == stepX && p.chromaStepY == stepY &&
               to == shown;
    }

    Plan(const YuvPlanes &p, QSize to, SimdLevel level)
        : luma(p.lumaSize), chroma(p.chromaSize), shown(to), stepX(p.chromaStepX), stepY(p.chromaStepY)
    {
        lumaRows = rowTaps(luma.height(), shown.height());
        lumaColumns = columnTaps(luma.width(), shown.width());
        int widest = luma.width(), pairs = lumaColumns.pairs;
        if (!p.grey()) {
            shownStepX = std::min(stepX, 2);
            shownStepY = std::min(stepY, 2);
            shownChroma = QSize((shown.width() + shownStepX - 1) / shownStepX, (shown.height() + shownStepY - 1) / shownStepY);
            chromaRows = rowTaps(chroma.height(), shownChroma.height());
            chromaColumns = columnTaps(chroma.width(), shownChroma.width());
            widest = std::max(widest, chroma.width());
            pairs = std::max(pairs, chromaColumns.pairs);
        }
        // Room for the row kernel's whole vectors and the column kernel's last pair.
        sums.assign(std::size_t(YuvPlanes::paddedStride(widest) + 2 * pairs + 64), 0);
        this->pairs.assign(sums.size() + 16, 0);
        const std::size_t line = std::size_t(YuvPlanes::paddedStride(shown.width()) + kColumnBlock);
        lineY.assign(line, 0);
        lineCb.assign(line, 128);
        lineCr.assign(line, 128);
        tail.assign(32 * 4, 0);
#ifdef SENDRA_X86
        if (level == SimdLevel::Avx2) {
            avx2 = true;
            rowKernel = rowsAvx2;
            columnKernel = columnsSse2;   // for taps too far apart to pick out of two vectors
            colourKernel = colourAvx2;
            colourStep = 32;
        } else if (level == SimdLevel::Sse2) {
            rowKernel = rowsSse2;
            columnKernel = columnsSse2;
            colourKernel = colourSse2;
            colourStep = 16;
        }
#else
        (void)level;
#endif
    }

    // One shown line of one plane: its rows combined, then its samples.
    void filterLine(const std::uint8_t *plane, int stride, int width, const RowTaps &rowTaps, const ColumnTaps &columns,
                    int outputRow, std::uint8_t *out)
    {
        const int count = rowTaps.count[std::size_t(outputRow)];
        const int first = rowTaps.first[std::size_t(outputRow)];
        rows.resize(std::size_t(count));
        for (int k = 0; k < count; ++k)
            rows[std::size_t(k)] = plane + std::ptrdiff_t(first + k) * stride;
        rowKernel(rows.data(), rowTaps.weight.data() + rowTaps.start[std::size_t(outputRow)], count, sums.data(),
                  (width + 31) / 32 * 32);
#ifdef SENDRA_X86
        if (avx2 && columns.span < 16) {
            // Every pair the kernel may pick: up to the last block's first sample + 2 x pairs + 16.
            pairUpAvx2(sums.data(), pairs.data(), (width + 2 * columns.pairs + 16 + 15) / 16 * 16);
            columnsAvx2(pairs.data(), columns, out);
            return;
        }
#endif
        columnKernel(sums.data(), columns, out);
    }

    void run(const YuvPlanes &p, QImage &out)
    {
        const bool grey = p.grey();
        const int w = shown.width();
        const int whole = w / colourStep * colourStep;
        int chromaRow = -1;
        for (int y = 0; y < shown.height(); ++y) {
            filterLine(p.y.data(), p.lumaStride, luma.width(), lumaRows, lumaColumns, y, lineY.data());
            if (!grey && y / shownStepY != chromaRow) {
                chromaRow = y / shownStepY;
                filterLine(p.cb.data(), p.chromaStride, chroma.width(), chromaRows, chromaColumns, chromaRow, lineCb.data());
                filterLine(p.cr.data(), p.chromaStride, chroma.width(), chromaRows, chromaColumns, chromaRow, lineCr.data());
            }
            const std::uint8_t *cb = grey ? nullptr : lineCb.data();
            const std::uint8_t *cr = grey ? nullptr : lineCr.data();
            const bool half = shownStepX == 2;
            uchar *row = out.scanLine(y);
            colourKernel(lineY.data(), cb, cr, row, whole, half);
            if (whole < w) {
                // The last pixels through a whole vector into a spare buffer: the row itself ends
                // exactly at the picture's edge.
                const int chromaAt = half ? whole / 2 : whole;
                colourKernel(lineY.data() + whole, cb ? cb + chromaAt : nullptr, cr ? cr + chromaAt : nullptr,
                             tail.data(), colourStep, half);
                std::memcpy(row + 4 * std::ptrdiff_t(whole), tail.data(), std::size_t(w - whole) * 4);
            }
        }
    }
};

YuvScaler::YuvScaler(SimdLevel level) : level_(level)
{
    const SimdLevel best = bestSimdLevel();
    if (level_ == SimdLevel::Unknown || int(level_) > int(best))
        level_ = best;
}

YuvScaler::~YuvScaler() = default;

void YuvScaler::scale(const YuvPlanes &planes, QImage &out)
{
    if (out.isNull() || planes.lumaSize.isEmpty())
        return;
    if (!plan_ || !plan_->fits(planes, out.size()))
        plan_ = std::make_unique<Plan>(planes, out.size(), level_);
    plan_->run(planes, out);
}

} // namespace platform
