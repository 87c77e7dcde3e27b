// Colour conversion of the shown pixels: luma and chroma lines to B, G, R, 0xFF pixels, in 16-bit
// fixed point, JFIF full-range BT.601 as libjpeg converts. A portable, an SSE2, an AVX2 and an
// AVX-512 version give the same bytes.
#include "yuvcolour.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#define SENDRA_X86 1
#include <immintrin.h>
#endif

namespace platform::colour {

namespace {

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

} // namespace

void colourPortable(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr, std::uint8_t *bgrx, int pixels,
                    bool halfChroma, bool)
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
                bool halfChroma, bool)
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
__attribute__((target("avx2"))) inline void storeBgrx256(__m256i b8, __m256i g8, __m256i r8, std::uint8_t *out,
                                                          bool stream)
{
    // b8 etc. hold pixels [0-7, 16-23 | 8-15, 24-31] (as _mm256_packus_epi16 of two halves leaves them).
    const __m256i opaque = _mm256_set1_epi8(char(0xFF));
    const __m256i bgLo = _mm256_unpacklo_epi8(b8, g8), bgHi = _mm256_unpackhi_epi8(b8, g8);     // [0-7|8-15], [16-23|24-31]
    const __m256i raLo = _mm256_unpacklo_epi8(r8, opaque), raHi = _mm256_unpackhi_epi8(r8, opaque);
    const __m256i p0 = _mm256_unpacklo_epi16(bgLo, raLo), p1 = _mm256_unpackhi_epi16(bgLo, raLo);   // [0-3|8-11], [4-7|12-15]
    const __m256i p2 = _mm256_unpacklo_epi16(bgHi, raHi), p3 = _mm256_unpackhi_epi16(bgHi, raHi);   // [16-19|24-27], [20-23|28-31]
    const __m256i q[4] = {_mm256_permute2x128_si256(p0, p1, 0x20), _mm256_permute2x128_si256(p0, p1, 0x31),
                          _mm256_permute2x128_si256(p2, p3, 0x20), _mm256_permute2x128_si256(p2, p3, 0x31)};
    if (stream && (reinterpret_cast<std::uintptr_t>(out) & 15) == 0) {
        // The picture goes to the UI thread, not back to this one: streaming stores spare the
        // reads that ordinary stores make of every line they fill.
        auto *o = reinterpret_cast<__m128i *>(out);
        for (int i = 0; i < 4; ++i) {
            _mm_stream_si128(o + 2 * i, _mm256_castsi256_si128(q[i]));
            _mm_stream_si128(o + 2 * i + 1, _mm256_extracti128_si256(q[i], 1));
        }
        return;
    }
    auto *o = reinterpret_cast<__m256i *>(out);
    for (int i = 0; i < 4; ++i)
        _mm256_storeu_si256(o + i, q[i]);
}

__attribute__((target("avx2"))) void colourAvx2(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr,
                                                 std::uint8_t *bgrx, int pixels, bool halfChroma,
                                                 bool stream)
{
    const __m256i round = _mm256_set1_epi16(2);
    for (int x = 0; x < pixels; x += 32, bgrx += 128) {
        const __m128i y0 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(y + x));
        const __m128i y1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(y + x + 16));
        if (!cb) {
            // [0-7, 16-23 | 8-15, 24-31], the order storeBgrx256 expects.
            const __m256i luma = _mm256_permute4x64_epi64(_mm256_set_m128i(y1, y0), 0xD8);
            storeBgrx256(luma, luma, luma, bgrx, stream);
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
                     _mm256_packus_epi16(channel256(yA, a.r, false), channel256(yB, b.r, false)), bgrx, stream);
    }
}

// The AVX-512 version: thirty-two 16-bit lanes, sixty-four pixels a step. Each channel is
// clamped in its 16-bit lane and B with G and R with 0xFF are put together as 16-bit pairs, so
// the pixels come out of two unpacks and two cross-lane permutes instead of a chain of packs.
#define SENDRA_AVX512 __attribute__((target("avx512f,avx512bw")))

struct ChromaTerms512 {
    __m512i b, g, r;
};

SENDRA_AVX512 inline ChromaTerms512 chromaTerms512(__m512i cb16, __m512i cr16)
{
    const __m512i bias = _mm512_set1_epi16(128);
    const __m512i c = _mm512_slli_epi16(_mm512_sub_epi16(cb16, bias), 7);
    const __m512i r = _mm512_slli_epi16(_mm512_sub_epi16(cr16, bias), 7);
    return {_mm512_mulhi_epi16(c, _mm512_set1_epi16(kCbToB)),
            _mm512_add_epi16(_mm512_mulhi_epi16(c, _mm512_set1_epi16(kCbToG)),
                             _mm512_mulhi_epi16(r, _mm512_set1_epi16(kCrToG))),
            _mm512_mulhi_epi16(r, _mm512_set1_epi16(kCrToR))};
}

// Sixteen-bit B, G, R of thirty-two pixels in order to 128 bytes of B, G, R, 0xFF, streamed
// when the target allows (see storeBgrx256).
SENDRA_AVX512 inline void storeBgrx512(__m512i b, __m512i g, __m512i r, std::uint8_t *out, bool stream)
{
    const __m512i zero = _mm512_setzero_si512(), top = _mm512_set1_epi16(255);
    b = _mm512_min_epi16(_mm512_max_epi16(b, zero), top);
    g = _mm512_min_epi16(_mm512_max_epi16(g, zero), top);
    r = _mm512_min_epi16(_mm512_max_epi16(r, zero), top);
    const __m512i bg = _mm512_or_si512(b, _mm512_slli_epi16(g, 8));
    const __m512i ra = _mm512_or_si512(r, _mm512_set1_epi16(short(0xFF00)));
    // Within each 128-bit lane: lo holds pixels 8k..8k+3, hi 8k+4..8k+7.
    const __m512i lo = _mm512_unpacklo_epi16(bg, ra), hi = _mm512_unpackhi_epi16(bg, ra);
    const __m512i first = _mm512_permutex2var_epi64(lo, _mm512_setr_epi64(0, 1, 8, 9, 2, 3, 10, 11), hi);
    const __m512i second = _mm512_permutex2var_epi64(lo, _mm512_setr_epi64(4, 5, 12, 13, 6, 7, 14, 15), hi);
    if (stream && (reinterpret_cast<std::uintptr_t>(out) & 63) == 0) {
        _mm512_stream_si512(reinterpret_cast<__m512i *>(out), first);
        _mm512_stream_si512(reinterpret_cast<__m512i *>(out + 64), second);
        return;
    }
    _mm512_storeu_si512(out, first);
    _mm512_storeu_si512(out + 64, second);
}

SENDRA_AVX512 void colourAvx512(const std::uint8_t *y, const std::uint8_t *cb, const std::uint8_t *cr, std::uint8_t *bgrx,
                                int pixels, bool halfChroma, bool stream)
{
    const __m512i round = _mm512_set1_epi16(2);
    // Each chroma term of pixels 0-15 (16-31) doubled for pixels 0-31 (32-63).
    const __m512i doubleLow = _mm512_setr_epi32(0x00000000, 0x00010001, 0x00020002, 0x00030003, 0x00040004, 0x00050005,
                                                0x00060006, 0x00070007, 0x00080008, 0x00090009, 0x000A000A, 0x000B000B,
                                                0x000C000C, 0x000D000D, 0x000E000E, 0x000F000F);
    const __m512i doubleHigh = _mm512_add_epi16(doubleLow, _mm512_set1_epi16(16));
    for (int x = 0; x < pixels; x += 64, bgrx += 256) {
        const __m512i yA = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(y + x)));
        const __m512i yB = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(y + x + 32)));
        if (!cb) {
            storeBgrx512(yA, yA, yA, bgrx, stream);
            storeBgrx512(yB, yB, yB, bgrx + 128, stream);
            continue;
        }
        const __m512i y4A = _mm512_add_epi16(_mm512_slli_epi16(yA, 2), round);
        const __m512i y4B = _mm512_add_epi16(_mm512_slli_epi16(yB, 2), round);
        ChromaTerms512 a, b;
        if (halfChroma) {
            const ChromaTerms512 t =
                chromaTerms512(_mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(cb + x / 2))),
                               _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(cr + x / 2))));
            a = {_mm512_permutexvar_epi16(doubleLow, t.b), _mm512_permutexvar_epi16(doubleLow, t.g),
                 _mm512_permutexvar_epi16(doubleLow, t.r)};
            b = {_mm512_permutexvar_epi16(doubleHigh, t.b), _mm512_permutexvar_epi16(doubleHigh, t.g),
                 _mm512_permutexvar_epi16(doubleHigh, t.r)};
        } else {
            a = chromaTerms512(_mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(cb + x))),
                               _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(cr + x))));
            b = chromaTerms512(_mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(cb + x + 32))),
                               _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(cr + x + 32))));
        }
        storeBgrx512(_mm512_srai_epi16(_mm512_add_epi16(y4A, a.b), 2), _mm512_srai_epi16(_mm512_sub_epi16(y4A, a.g), 2),
                     _mm512_srai_epi16(_mm512_add_epi16(y4A, a.r), 2), bgrx, stream);
        storeBgrx512(_mm512_srai_epi16(_mm512_add_epi16(y4B, b.b), 2), _mm512_srai_epi16(_mm512_sub_epi16(y4B, b.g), 2),
                     _mm512_srai_epi16(_mm512_add_epi16(y4B, b.r), 2), bgrx + 128, stream);
    }
}
#endif

void streamCopy(const std::uint8_t *from, std::uint8_t *to, std::size_t bytes)
{
#ifdef SENDRA_X86
    // Up to the first 16-byte boundary of the target by plain stores, then whole vectors streamed.
    const std::size_t head = std::min(bytes, (16 - reinterpret_cast<std::uintptr_t>(to) % 16) % 16);
    std::memcpy(to, from, head);
    std::size_t i = head;
    for (; i + 16 <= bytes; i += 16)
        _mm_stream_si128(reinterpret_cast<__m128i *>(to + i), _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + i)));
    std::memcpy(to + i, from + i, bytes - i);
#else
    std::memcpy(to, from, bytes);
#endif
}

} // namespace platform::colour
