#include "camera/focusmeasure.h"

#include "camera/bitplane.h"
#include "camera/clipmask.h"

#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define SENDRA_HAVE_AVX2_PATH 1
#endif

namespace camera {

double focusScore(const LaplacianSums &s)
{
    if (s.pixels == 0 || s.sumLuma == 0)
        return 0.0;
    const double n = double(s.pixels);
    const double meanL = double(s.sumL) / n;
    const double variance = std::max(0.0, double(s.sumL2) / n - meanL * meanL);
    const double meanLuma = double(s.sumLuma) / n;
    return 1000.0 * variance / (meanLuma * meanLuma);
}

namespace {

bool usable(const QImage &picture, QRect &rect, const BitPlane *marks)
{
    if (picture.isNull() || picture.format() != QImage::Format_RGB32)
        return false;
    rect &= picture.rect();
    if (rect.isEmpty())
        return false;
    return !marks || (marks->size() == picture.size() && rect == picture.rect());
}

// ---- one pixel at a time ------------------------------------------------------------------------

LaplacianSums referencePass(const QImage &picture, QRect rect, int threshold, BitPlane *marks)
{
    const int w = picture.width(), h = picture.height();
    const auto y = [&](int px, int py) {
        const auto *row = reinterpret_cast<const QRgb *>(picture.constScanLine(std::clamp(py, 0, h - 1)));
        return lumaOf(row[std::clamp(px, 0, w - 1)]);
    };
    LaplacianSums s;
    for (int py = rect.top(); py <= rect.bottom(); ++py) {
        if (marks)
            std::fill(marks->row(py), marks->row(py) + marks->wordsPerRow(), 0u);
        for (int px = rect.left(); px <= rect.right(); ++px) {
            const int c = y(px, py);
            const int l = 4 * c - y(px - 1, py) - y(px + 1, py) - y(px, py - 1) - y(px, py + 1);
            ++s.pixels;
            s.sumL += l;
            s.sumL2 += std::uint64_t(l * l);
            s.sumLuma += std::uint64_t(c);
            if (marks && std::abs(l) > threshold)
                marks->set(px, py);
        }
    }
    return s;
}

// ---- a row at a time ------------------------------------------------------------------------------
//
// Luma rows of the rectangle's width plus one pixel each side (the picture's neighbours, or its
// repeated edge), three at a time: above, the row itself, below. The sum of L over the rectangle
// telescopes to its border terms, so the vector loop only adds L squared and the luma; the border
// terms come from the rows' ends and sums.

// Elements before and after a luma row: x - 1 stays inside, and so does the vector code's last
// block, which reads up to 31 elements past the row's end and masks them out.
constexpr int kPad = 32;

struct LumaRow {
    std::vector<std::uint16_t> storage;
    std::uint16_t *at = nullptr;   // at[-1 .. n]
    std::uint64_t sum = 0;         // of at[0 .. n - 1]
    void reserve(int n)
    {
        storage.assign(std::size_t(n + 2 * kPad + 16), 0);
        // 32-byte alignment for the vector loads of the row itself.
        const auto base = reinterpret_cast<std::uintptr_t>(storage.data() + kPad);
        at = storage.data() + kPad + ((32 - base % 32) % 32) / sizeof(std::uint16_t);
    }
};

void lumaSpanScalar(const QRgb *pixels, int n, std::uint16_t *out)
{
    for (int i = 0; i < n; ++i)
        out[i] = std::uint16_t(lumaOf(pixels[i]));
}

#ifdef SENDRA_HAVE_AVX2_PATH
// SSE2, part of every x86-64 processor: the bytes widened to 16 bits, madd gives 15 B + 75 G and
// 38 R for each pixel, and the two halves are added.
void lumaSpanSse2(const QRgb *pixels, int n, std::uint16_t *out)
{
    const __m128i weights = _mm_setr_epi16(platform::kLumaBlue, platform::kLumaGreen, platform::kLumaRed, 0,
                                           platform::kLumaBlue, platform::kLumaGreen, platform::kLumaRed, 0);
    const __m128i zero = _mm_setzero_si128();
    const auto four = [&](const QRgb *p) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i lo = _mm_madd_epi16(_mm_unpacklo_epi8(v, zero), weights);   // pixels 0, 1
        const __m128i hi = _mm_madd_epi16(_mm_unpackhi_epi8(v, zero), weights);   // pixels 2, 3
        // Each pixel's two products added in its even lane, the even lanes gathered in order.
        const __m128i slo = _mm_shuffle_epi32(_mm_add_epi32(lo, _mm_srli_epi64(lo, 32)), _MM_SHUFFLE(3, 1, 2, 0));
        const __m128i shi = _mm_shuffle_epi32(_mm_add_epi32(hi, _mm_srli_epi64(hi, 32)), _MM_SHUFFLE(3, 1, 2, 0));
        return _mm_srli_epi32(_mm_unpacklo_epi64(slo, shi), 7);
    };
    int i = 0;
    for (; i + 8 <= n; i += 8)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_packs_epi32(four(pixels + i), four(pixels + i + 4)));
    lumaSpanScalar(pixels + i, n - i, out + i);
}

__attribute__((target("avx2"))) void lumaSpanAvx2(const QRgb *pixels, int n, std::uint16_t *out)
{
    // Bytes B, G, R, x of each pixel times 15, 75, 38, 0: maddubs adds the pairs into 16 bits
    // (15 B + 75 G <= 22950, 38 R <= 9690), hadd adds each pixel's two (at most 32640, still
    // 16 bits); hadd interleaves the two registers' halves, the permute puts them in order.
    const __m256i weights = _mm256_set1_epi32(platform::kLumaBlue | platform::kLumaGreen << 8 | platform::kLumaRed << 16);
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i a = _mm256_maddubs_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(pixels + i)), weights);
        const __m256i b = _mm256_maddubs_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(pixels + i + 8)), weights);
        const __m256i y = _mm256_srli_epi16(_mm256_permute4x64_epi64(_mm256_hadd_epi16(a, b), 0xD8), 7);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + i), y);
    }
    lumaSpanScalar(pixels + i, n - i, out + i);
}
#endif

using LumaSpan = void (*)(const QRgb *, int, std::uint16_t *);

std::uint64_t spanSum(const std::uint16_t *v, int n)
{
    std::uint64_t s = 0;
    for (int i = 0; i < n; ++i)
        s += v[i];
    return s;
}

// L squared and luma summed over [from, n) of one row, marks set in the words of `markRow` (the
// row's bits from pixel 0; `from` is a multiple of 32 when marks are written).
void laplacianTail(const std::uint16_t *up, const std::uint16_t *mid, const std::uint16_t *down, int from, int n,
                   int threshold, std::uint32_t *markRow, std::uint64_t &sumL2, std::uint64_t &sumLuma)
{
    std::uint32_t word = 0;
    for (int i = from; i < n; ++i) {
        const int l = 4 * mid[i] - mid[i - 1] - mid[i + 1] - up[i] - down[i];
        sumL2 += std::uint64_t(l * l);
        sumLuma += mid[i];
        if (markRow) {
            if (std::abs(l) > threshold)
                word |= 1u << (i & 31);
            if ((i & 31) == 31 || i == n - 1) {
                markRow[i >> 5] = word;
                word = 0;
            }
        }
    }
}

using LaplacianRow = void (*)(const std::uint16_t *, const std::uint16_t *, const std::uint16_t *, int, int,
                              std::uint32_t *, std::uint64_t &, std::uint64_t &);

void laplacianRowScalar(const std::uint16_t *up, const std::uint16_t *mid, const std::uint16_t *down, int n,
                        int threshold, std::uint32_t *markRow, std::uint64_t &sumL2, std::uint64_t &sumLuma)
{
    laplacianTail(up, mid, down, 0, n, threshold, markRow, sumL2, sumLuma);
}

#ifdef SENDRA_HAVE_AVX2_PATH
__attribute__((target("avx2"))) inline __m256i load(const std::uint16_t *p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
}

__attribute__((target("avx2"))) void laplacianRowAvx2(const std::uint16_t *up, const std::uint16_t *mid,
                                                      const std::uint16_t *down, int n, int threshold,
                                                      std::uint32_t *markRow, std::uint64_t &sumL2,
                                                      std::uint64_t &sumLuma)
{
    const __m256i limit = _mm256_set1_epi16(short(threshold));
    const __m256i ones = _mm256_set1_epi16(1);
    // 32-bit lane sums of one row: L squared pairs are at most 2 * 1020^2, so a row of up to
    // 16384 pixels stays below 2^32 in every lane.
    __m256i squares = _mm256_setzero_si256(), luma = _mm256_setzero_si256();
    // Lane numbers, for the last block's mask of the lanes inside the row.
    const __m256i lanes0 = _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m256i lanes1 = _mm256_add_epi16(lanes0, _mm256_set1_epi16(16));
    for (int i = 0; i < n; i += 32) {
        __m256i c0 = load(mid + i), c1 = load(mid + i + 16);
        __m256i l0 = _mm256_sub_epi16(_mm256_slli_epi16(c0, 2),
                                            _mm256_add_epi16(_mm256_add_epi16(load(mid + i - 1), load(mid + i + 1)),
                                                             _mm256_add_epi16(load(up + i), load(down + i))));
        __m256i l1 = _mm256_sub_epi16(_mm256_slli_epi16(c1, 2),
                                            _mm256_add_epi16(_mm256_add_epi16(load(mid + i + 15), load(mid + i + 17)),
                                                             _mm256_add_epi16(load(up + i + 16), load(down + i + 16))));
        std::uint32_t inside = ~0u;
        if (n - i < 32) {
            // The row ends inside this block: the lanes past it count for nothing.
            const __m256i left = _mm256_set1_epi16(short(n - i));
            const __m256i m0 = _mm256_cmpgt_epi16(left, lanes0), m1 = _mm256_cmpgt_epi16(left, lanes1);
            l0 = _mm256_and_si256(l0, m0);
            l1 = _mm256_and_si256(l1, m1);
            c0 = _mm256_and_si256(c0, m0);
            c1 = _mm256_and_si256(c1, m1);
            inside = (1u << (n - i)) - 1;
        }
        squares = _mm256_add_epi32(squares, _mm256_add_epi32(_mm256_madd_epi16(l0, l0), _mm256_madd_epi16(l1, l1)));
        luma = _mm256_add_epi32(luma, _mm256_madd_epi16(_mm256_add_epi16(c0, c1), ones));
        if (markRow) {
            const __m256i edges = _mm256_packs_epi16(_mm256_cmpgt_epi16(_mm256_abs_epi16(l0), limit),
                                                     _mm256_cmpgt_epi16(_mm256_abs_epi16(l1), limit));
            markRow[i >> 5] = inside & std::uint32_t(_mm256_movemask_epi8(_mm256_permute4x64_epi64(edges, 0xD8)));
        }
    }
    alignas(32) std::uint32_t lanes[8];
    _mm256_store_si256(reinterpret_cast<__m256i *>(lanes), squares);
    for (std::uint32_t v : lanes)
        sumL2 += v;
    _mm256_store_si256(reinterpret_cast<__m256i *>(lanes), luma);
    for (std::uint32_t v : lanes)
        sumLuma += v;
}

// AVX-512BW: thirty-two pixels per vector, the row's last block masked instead of patched up.
__attribute__((target("avx512f,avx512bw"))) void lumaSpanAvx512(const QRgb *pixels, int n, std::uint16_t *out)
{
    // As the AVX2 path: maddubs gives 15 B + 75 G and 38 R per pixel; madd against ones adds
    // the two into 32 bits, which are shifted and packed back to 16; the permute undoes the
    // pack's interleaving of the two registers' 128-bit lanes.
    const __m512i weights = _mm512_set1_epi32(platform::kLumaBlue | platform::kLumaGreen << 8 | platform::kLumaRed << 16);
    const __m512i ones = _mm512_set1_epi16(1);
    const __m512i order = _mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7);
    const __mmask16 all = 0xFFFF;
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m512i a = _mm512_madd_epi16(_mm512_maddubs_epi16(_mm512_loadu_si512(pixels + i), weights), ones);
        const __m512i b = _mm512_madd_epi16(_mm512_maddubs_epi16(_mm512_loadu_si512(pixels + i + 16), weights), ones);
        // The zero-masked forms with every lane kept: GCC 12's plain forms start from an
        // undefined vector and warn about it.
        const __m512i y = _mm512_packus_epi32(_mm512_maskz_srli_epi32(all, a, 7), _mm512_maskz_srli_epi32(all, b, 7));
        _mm512_storeu_si512(out + i, _mm512_maskz_permutexvar_epi64(0xFF, order, y));
    }
    lumaSpanAvx2(pixels + i, n - i, out + i);
}

__attribute__((target("avx512f,avx512bw"))) inline __m512i at(const std::uint16_t *p)
{
    return _mm512_loadu_si512(p);
}

__attribute__((target("avx512f,avx512bw"))) void laplacianRowAvx512(const std::uint16_t *up, const std::uint16_t *mid,
                                                                  const std::uint16_t *down, int n, int threshold,
                                                                  std::uint32_t *markRow, std::uint64_t &sumL2,
                                                                  std::uint64_t &sumLuma)
{
    const __m512i limit = _mm512_set1_epi16(short(threshold));
    const __m512i ones = _mm512_set1_epi16(1);
    // 32-bit lane sums, as in the AVX2 path (each lane takes two products per block).
    __m512i squares = _mm512_setzero_si512(), luma = _mm512_setzero_si512();
    for (int i = 0; i < n; i += 32) {
        const __mmask32 inside = n - i >= 32 ? ~__mmask32(0) : __mmask32((1u << (n - i)) - 1);
        const __m512i c = _mm512_maskz_mov_epi16(inside, at(mid + i));
        const __m512i l = _mm512_maskz_sub_epi16(
            inside, _mm512_slli_epi16(c, 2),
            _mm512_add_epi16(_mm512_add_epi16(at(mid + i - 1), at(mid + i + 1)), _mm512_add_epi16(at(up + i), at(down + i))));
        squares = _mm512_add_epi32(squares, _mm512_madd_epi16(l, l));
        luma = _mm512_add_epi32(luma, _mm512_madd_epi16(c, ones));
        if (markRow)
            markRow[i >> 5] = _mm512_mask_cmpgt_epi16_mask(inside, _mm512_abs_epi16(l), limit);
    }
    alignas(64) std::uint32_t lanes[16];
    _mm512_store_si512(lanes, squares);
    for (std::uint32_t v : lanes)
        sumL2 += v;
    _mm512_store_si512(lanes, luma);
    for (std::uint32_t v : lanes)
        sumLuma += v;
}
#endif

struct RowCode {
    LumaSpan span = lumaSpanScalar;
    LaplacianRow laplacian = laplacianRowScalar;
};

RowCode rowCode(platform::SimdLevel level)
{
#ifdef SENDRA_HAVE_AVX2_PATH
    if (level == platform::SimdLevel::Avx512)
        return {lumaSpanAvx512, laplacianRowAvx512};
    if (level == platform::SimdLevel::Avx2)
        return {lumaSpanAvx2, laplacianRowAvx2};
#endif
    (void)level;
    return {};
}

RowCode bestRowCode()
{
    static const RowCode best = rowCode(platform::bestSimdLevel());
    return best;
}

} // namespace

// Three luma rows of a rectangle's columns, moved down the picture one row per load: above, the
// row itself, below. A row's Laplacian is taken as soon as the row below it is loaded, so each
// picture row is read once, whether from a finished picture or while one is being made.
struct LaplacianRing {
    int x0 = 0, n = 0, width = 0, threshold = 0, firstRow = 0;
    BitPlane *marks = nullptr;
    RowCode code;
    LumaRow rows[3];
    LumaRow *ring[3] = {&rows[0], &rows[1], &rows[2]};
    int loaded = 0;
    LaplacianSums sums;
    std::int64_t borders = 0;
    std::uint64_t sumAbove = 0, firstRowSum = 0, lastRowSum = 0;

    // The rectangle's columns [x0, x0 + n) of a picture `width` wide; the first row loaded is the
    // one above `firstRow`, whose Laplacian the third load gives.
    void start(int x0_, int n_, int width_, int threshold_, int firstRow_, BitPlane *marks_, RowCode code_)
    {
        if (n_ != n || rows[0].storage.empty())
            for (LumaRow &r : rows)
                r.reserve(n_);
        x0 = x0_, n = n_, width = width_, threshold = threshold_, firstRow = firstRow_;
        marks = marks_;
        code = code_;
        ring[0] = &rows[0], ring[1] = &rows[1], ring[2] = &rows[2];
        loaded = 0;
        sums = {};
        borders = 0;
        sumAbove = firstRowSum = lastRowSum = 0;
    }

    LumaRow &next() { return *ring[std::min(loaded, 2)]; }
    const LumaRow &last() const { return *ring[loaded >= 3 ? 1 : loaded - 1]; }

    // The next row from a whole picture row: the columns and one neighbour each side, the
    // picture's own or its repeated edge.
    void load(const QRgb *pixels)
    {
        LumaRow &row = next();
        code.span(pixels + x0, n, row.at);
        row.at[-1] = std::uint16_t(lumaOf(pixels[std::max(x0 - 1, 0)]));
        row.at[n] = std::uint16_t(lumaOf(pixels[std::min(x0 + n, width - 1)]));
        advance();
    }

    // The next row is the last one again: the picture's edge repeated below it.
    void repeat()
    {
        const LumaRow &from = last();
        LumaRow &to = next();
        std::copy(from.at - 1, from.at + n + 1, to.at - 1);
        advance();
    }

    void advance()
    {
        if (++loaded == 1)
            sumAbove = spanSum(ring[0]->at, n);
        if (loaded < 3)
            return;
        const int py = firstRow + loaded - 3;
        const std::uint16_t *mid = ring[1]->at;
        std::uint64_t rowLuma = 0;
        code.laplacian(ring[0]->at, mid, ring[2]->at, n, threshold, marks ? marks->row(py) : nullptr, sums.sumL2, rowLuma);
        sums.sumLuma += rowLuma;
        if (loaded == 3)
            firstRowSum = rowLuma;
        lastRowSum = rowLuma;
        // The row's horizontal second differences add up to its two ends.
        borders += (std::int64_t(mid[0]) - mid[-1]) + (std::int64_t(mid[n - 1]) - mid[n]);
        std::rotate(ring, ring + 1, ring + 3);
    }

    // The sums of the rows whose Laplacian was taken. The sum of L telescopes to the border
    // terms: the rows' ends, and the first and last rows against the rows beyond them.
    LaplacianSums result() const
    {
        if (loaded < 3)
            return {};
        LaplacianSums s = sums;
        // ring[1] holds the last row loaded: the one below the last row taken.
        const std::uint64_t sumBelow = spanSum(ring[1]->at, n);
        s.pixels = std::uint64_t(n) * std::uint64_t(loaded - 2);
        s.sumL = borders + (std::int64_t(firstRowSum) - std::int64_t(sumAbove)) +
                 (std::int64_t(lastRowSum) - std::int64_t(sumBelow));
        return s;
    }
};

namespace {

// The rectangle's rows and the one above and below it (the picture's edge rows repeated past
// it); with `clip` (whole picture only), the clipping warning's planes of each row as well, while
// the row is in the cache.
LaplacianSums rowPass(const QImage &picture, QRect rect, int threshold, BitPlane *marks, RowCode code,
                      BitPlane *clippedHigh = nullptr, BitPlane *clippedLow = nullptr)
{
    LaplacianRing ring;
    ring.start(rect.left(), rect.width(), picture.width(), threshold, rect.top(), marks, code);
    const platform::SimdLevel level = platform::bestSimdLevel();
    for (int py = rect.top() - 1; py <= rect.bottom() + 1; ++py) {
        const auto *pixels = reinterpret_cast<const QRgb *>(picture.constScanLine(std::clamp(py, 0, picture.height() - 1)));
        if (clippedHigh && py >= 0 && py < picture.height())
            findClippedInRow(pixels, picture.width(), clippedHigh->row(py), clippedLow->row(py), level);
        ring.load(pixels);
    }
    return ring.result();
}

} // namespace

LaplacianStream::LaplacianStream() : ring_(std::make_unique<LaplacianRing>()) {}
LaplacianStream::~LaplacianStream() = default;

void LaplacianStream::begin(QSize size, int threshold, BitPlane *marks)
{
    size_ = size;
    pushed_ = 0;
    ring_->start(0, size.width(), size.width(), threshold, 0, marks, bestRowCode());
}

void LaplacianStream::push(const QRgb *pixels)
{
    if (pushed_ < 0 || pushed_ >= size_.height())
        return;   // finished, or more rows than the picture has
    ring_->load(pixels);
    if (pushed_++ == 0)
        ring_->repeat();   // the row above the picture repeats its first: the same luma
}

LaplacianSums LaplacianStream::finish()
{
    if (pushed_ != size_.height() || size_.isEmpty())
        return {};
    ring_->repeat();   // the row below the picture repeats its last
    pushed_ = -1;      // finished: no more rows
    return ring_->result();
}

void lumaOfPixels(const QRgb *pixels, int n, std::uint16_t *out)
{
    lumaOfPixels(pixels, n, out, platform::bestSimdLevel());
}

void lumaOfPixels(const QRgb *pixels, int n, std::uint16_t *out, platform::SimdLevel level)
{
#ifdef SENDRA_HAVE_AVX2_PATH
    if (level == platform::SimdLevel::Avx512) {
        lumaSpanAvx512(pixels, n, out);
        return;
    }
    if (level == platform::SimdLevel::Avx2) {
        lumaSpanAvx2(pixels, n, out);
        return;
    }
    if (level == platform::SimdLevel::Sse2) {
        lumaSpanSse2(pixels, n, out);
        return;
    }
#endif
    (void)level;
    lumaSpanScalar(pixels, n, out);
}

LaplacianSums laplacianPassReference(const QImage &picture, QRect rect, int threshold, BitPlane *marks)
{
    if (!usable(picture, rect, marks))
        return {};
    return referencePass(picture, rect, threshold, marks);
}


LaplacianSums laplacianPass(const QImage &picture, QRect rect, int threshold, BitPlane *marks, platform::SimdLevel level)
{
    if (!usable(picture, rect, marks))
        return {};
    return rowPass(picture, rect, threshold, marks, rowCode(level));
}

LaplacianSums laplacianPass(const QImage &picture, QRect rect, int threshold, BitPlane *marks)
{
    if (!usable(picture, rect, marks))
        return {};
    return rowPass(picture, rect, threshold, marks, bestRowCode());
}

} // namespace camera

namespace camera {

LaplacianSums laplacianAndClippingPass(const QImage &picture, int threshold, BitPlane &marks, BitPlane &clippedHigh,
                                       BitPlane &clippedLow)
{
    QRect rect = picture.rect();
    if (marks.size() != picture.size())
        marks = BitPlane(picture.width(), picture.height());
    if (!usable(picture, rect, &marks))
        return {};
    if (clippedHigh.size() != picture.size())
        clippedHigh = BitPlane(picture.width(), picture.height());
    if (clippedLow.size() != picture.size())
        clippedLow = BitPlane(picture.width(), picture.height());
    return rowPass(picture, rect, threshold, &marks, bestRowCode(), &clippedHigh, &clippedLow);
}

} // namespace camera
