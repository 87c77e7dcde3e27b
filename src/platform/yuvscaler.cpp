// Plane filtering and colour conversion for the shown picture. Three kernels, each in a portable,
// an SSE2 and an AVX2 version (colour also in AVX-512) that give the same bytes:
//  - rows: the taps of one output row combined, whole source rows at a time, back to bytes;
//  - columns: the taps of each output sample along the combined line (multiply-adds of tap
//    pairs; the AVX2 version shuffles sixteen outputs' pairs out of two loaded windows);
//  - colour (yuvcolour.cpp): luma and chroma lines to B, G, R, 0xFF pixels.
#include "yuvscaler.h"
#include "yuvcolour.h"

#include "platform/filtertaps.h"
#include "platform/frameanalyzer.h"

#include <algorithm>
#include <cstdint>
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
    if (!__builtin_cpu_supports("avx2"))
        return SimdLevel::Sse2;
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") ? SimdLevel::Avx512 : SimdLevel::Avx2;
#else
    return SimdLevel::Portable;
#endif
}

std::vector<SimdLevel> simdLevelsHere()
{
    std::vector<SimdLevel> levels;
    for (int l = int(SimdLevel::Portable); l <= int(bestSimdLevel()); ++l)
        levels.push_back(SimdLevel(l));
    return levels;
}

namespace {

// Rows are combined with weights summing to 128 and samples along the combined line with weights
// summing to 64, each rounded back to bytes: a byte-by-byte multiply-add takes weights up to 127.
constexpr int kRowUnit = 128;
constexpr int kRowShift = 7;
constexpr int kColumnUnit = 64;
constexpr int kColumnShift = 6;
constexpr int kColumnBlock = 16;   // outputs per step of the column kernels

inline std::uint8_t clampByte(int v) { return std::uint8_t(std::clamp(v, 0, 255)); }

// The taps of one direction as the kernels read them. Rows: per output row, the first source row
// and its weights. Columns: per block of sixteen outputs, each output's first source sample, then
// for every pair of taps the two weights packed in one 32-bit word (low half for the first
// sample), sixteen at a time; a missing tap has weight 0. When every block's taps lie within two
// 16-byte windows (one per eight outputs), the same taps are also kept as byte shuffles of those
// windows with byte weights, for the byte multiply-add of the AVX2 kernel.
struct RowTaps {
    std::vector<int> first, start, count;
    std::vector<std::int16_t> weight;
};

struct ColumnTaps {
    int outputs = 0;
    int blocks = 0;
    int pairs = 0;
    std::vector<std::int32_t> first;     // blocks x 16
    std::vector<std::int32_t> weights;   // blocks x pairs x 16
    bool windowed = false;
    std::vector<std::int32_t> windows;   // blocks x 2: where each half's window starts
    std::vector<std::int8_t> shuffles;   // blocks x pairs x 32: per output, its pair's two bytes
    std::vector<std::int8_t> bytes;      // blocks x pairs x 32: per output, the pair's two weights
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
    const std::size_t lanes = std::size_t(c.blocks) * kColumnBlock;
    c.first.assign(lanes, 0);
    c.weights.assign(lanes * std::size_t(c.pairs), 0);
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
    // Padding outputs past the last one read the last output's samples with no weight.
    for (std::size_t i = std::size_t(to); i < lanes; ++i)
        c.first[i] = c.first[std::size_t(to - 1)];

    c.windowed = true;
    c.windows.assign(std::size_t(c.blocks) * 2, 0);
    c.shuffles.assign(lanes * std::size_t(c.pairs) * 2, 0);
    c.bytes.assign(lanes * std::size_t(c.pairs) * 2, 0);
    for (int b = 0; b < c.blocks && c.windowed; ++b)
        for (int half = 0; half < 2; ++half) {
            const int lead = b * kColumnBlock + half * 8;
            const int window = c.first[std::size_t(lead)];
            c.windows[std::size_t(b * 2 + half)] = window;
            for (int lane = 0; lane < 8; ++lane) {
                const int i = lead + lane;
                const int offset = c.first[std::size_t(i)] - window;
                // The last pair's second byte must still lie in the 16-byte window.
                if (offset < 0 || offset + 2 * c.pairs > 16) {
                    c.windowed = false;
                    break;
                }
                for (int p = 0; p < c.pairs; ++p) {
                    const auto w = std::uint32_t(c.weights[(std::size_t(b) * std::size_t(c.pairs) + std::size_t(p)) * kColumnBlock +
                                                           std::size_t(i - b * kColumnBlock)]);
                    const std::size_t at = (std::size_t(b) * std::size_t(c.pairs) + std::size_t(p)) * 32 +
                                           std::size_t(half * 16 + lane * 2);
                    c.shuffles[at] = std::int8_t(offset + 2 * p);
                    c.shuffles[at + 1] = std::int8_t(offset + 2 * p + 1);
                    c.bytes[at] = std::int8_t(w & 0xFF);
                    c.bytes[at + 1] = std::int8_t((w >> 16) & 0xFF);
                }
            }
        }
    return c;
}

// ---- rows: out[x] = (sum of rows[k][x] x weight[k] + 64) / 128 --------------------------------

using RowKernel = void (*)(const std::uint8_t *const *rows, const std::int16_t *weight, int count, std::uint8_t *out,
                           int width);

void rowsPortable(const std::uint8_t *const *rows, const std::int16_t *weight, int count, std::uint8_t *out, int width)
{
    for (int x = 0; x < width; ++x) {
        unsigned sum = 1u << (kRowShift - 1);
        for (int k = 0; k < count; ++k)
            sum += unsigned(rows[k][x]) * unsigned(weight[k]);
        out[x] = std::uint8_t(std::min(255u, sum >> kRowShift));
    }
}

#ifdef SENDRA_X86
// `width` is a multiple of 32: the planes and the line buffer are padded for it.
void rowsSse2(const std::uint8_t *const *rows, const std::int16_t *weight, int count, std::uint8_t *out, int width)
{
    const __m128i zero = _mm_setzero_si128(), round = _mm_set1_epi16(1 << (kRowShift - 1));
    for (int x = 0; x < width; x += 16) {
        __m128i lo = round, hi = round;
        for (int k = 0; k < count; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(rows[k] + x));
            const __m128i w = _mm_set1_epi16(weight[k]);
            lo = _mm_add_epi16(lo, _mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), w));
            hi = _mm_add_epi16(hi, _mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), w));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + x),
                         _mm_packus_epi16(_mm_srli_epi16(lo, kRowShift), _mm_srli_epi16(hi, kRowShift)));
    }
}

// Rows taken two at a time: their bytes interleaved and multiplied by the two weights in one
// byte multiply-add. A single row (weight 128) is the row itself.
__attribute__((target("avx2"))) void rowsAvx2(const std::uint8_t *const *rows, const std::int16_t *weight, int count,
                                               std::uint8_t *out, int width)
{
    if (count == 1) {
        std::memcpy(out, rows[0], std::size_t(width));
        return;
    }
    const __m256i round = _mm256_set1_epi16(1 << (kRowShift - 1));
    __m256i pairWeights[8];
    const int pairs = (count + 1) / 2;
    // A byte multiply-add takes weights up to 127; more rows than eight pairs are rare.
    if (pairs > 8 || std::any_of(weight, weight + count, [](std::int16_t w) { return w > 127; })) {
        rowsSse2(rows, weight, count, out, width);
        return;
    }
    for (int p = 0; p < pairs; ++p) {
        const int w1 = 2 * p + 1 < count ? weight[2 * p + 1] : 0;
        pairWeights[p] = _mm256_set1_epi16(std::int16_t((weight[2 * p] & 0xFF) | (w1 << 8)));
    }
    for (int x = 0; x < width; x += 32) {
        __m256i lo = round, hi = round;
        for (int p = 0; p < pairs; ++p) {
            const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(rows[2 * p] + x));
            const __m256i b = 2 * p + 1 < count ? _mm256_loadu_si256(reinterpret_cast<const __m256i *>(rows[2 * p + 1] + x)) : a;
            lo = _mm256_add_epi16(lo, _mm256_maddubs_epi16(_mm256_unpacklo_epi8(a, b), pairWeights[p]));
            hi = _mm256_add_epi16(hi, _mm256_maddubs_epi16(_mm256_unpackhi_epi8(a, b), pairWeights[p]));
        }
        // The unpacks and the pack both work within 128-bit lanes, so the bytes come back in order.
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + x),
                            _mm256_packus_epi16(_mm256_srli_epi16(lo, kRowShift), _mm256_srli_epi16(hi, kRowShift)));
    }
}
#endif

// ---- columns: out[x] = (sum of line[first + k] x weight[k] + 32) / 64 --------------------------

using ColumnKernel = void (*)(const std::uint8_t *line, const ColumnTaps &taps, std::uint8_t *out);

void columnsPortable(const std::uint8_t *line, const ColumnTaps &taps, std::uint8_t *out)
{
    for (int b = 0; b < taps.blocks; ++b)
        for (int lane = 0; lane < kColumnBlock; ++lane) {
            const int first = taps.first[std::size_t(b * kColumnBlock + lane)];
            int sum = 1 << (kColumnShift - 1);
            for (int p = 0; p < taps.pairs; ++p) {
                const auto w = std::uint32_t(taps.weights[(std::size_t(b) * std::size_t(taps.pairs) + std::size_t(p)) * kColumnBlock + std::size_t(lane)]);
                sum += line[first + 2 * p] * int(w & 0xFFFF) + line[first + 2 * p + 1] * int(w >> 16);
            }
            out[b * kColumnBlock + lane] = clampByte(sum >> kColumnShift);
        }
}

#ifdef SENDRA_X86
// Two neighbouring samples as one 32-bit lane: the first in the low half.
inline std::int32_t twoSamples(const std::uint8_t *at) { return std::int32_t(at[0] | (at[1] << 16)); }

void columnsSse2(const std::uint8_t *line, const ColumnTaps &taps, std::uint8_t *out)
{
    const __m128i round = _mm_set1_epi32(1 << (kColumnShift - 1));
    for (int b = 0; b < taps.blocks; ++b) {
        const std::int32_t *first = taps.first.data() + b * kColumnBlock;
        __m128i sum[4] = {round, round, round, round};
        const std::int32_t *weights = taps.weights.data() + std::size_t(b) * std::size_t(taps.pairs) * kColumnBlock;
        for (int p = 0; p < taps.pairs; ++p, weights += kColumnBlock) {
            const int o = 2 * p;
            for (int q = 0; q < 4; ++q) {
                const std::int32_t *f = first + 4 * q;
                const __m128i two = _mm_setr_epi32(twoSamples(line + f[0] + o), twoSamples(line + f[1] + o),
                                                   twoSamples(line + f[2] + o), twoSamples(line + f[3] + o));
                sum[q] = _mm_add_epi32(sum[q], _mm_madd_epi16(two, _mm_loadu_si128(reinterpret_cast<const __m128i *>(weights + 4 * q))));
            }
        }
        const __m128i lo = _mm_packs_epi32(_mm_srai_epi32(sum[0], kColumnShift), _mm_srai_epi32(sum[1], kColumnShift));
        const __m128i hi = _mm_packs_epi32(_mm_srai_epi32(sum[2], kColumnShift), _mm_srai_epi32(sum[3], kColumnShift));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + b * kColumnBlock), _mm_packus_epi16(lo, hi));
    }
}

// Sixteen outputs a step, their taps picked out of two 16-byte windows by one byte shuffle and
// multiplied byte by byte, where loading each tap pair on its own would take sixteen loads. Only
// for windowed taps.
__attribute__((target("avx2"))) void columnsAvx2(const std::uint8_t *line, const ColumnTaps &taps, std::uint8_t *out)
{
    const __m256i round = _mm256_set1_epi16(1 << (kColumnShift - 1));
    const auto *shuffles = reinterpret_cast<const __m256i *>(taps.shuffles.data());
    const auto *bytes = reinterpret_cast<const __m256i *>(taps.bytes.data());
    for (int b = 0; b < taps.blocks; ++b) {
        const __m256i windows = _mm256_loadu2_m128i(
            reinterpret_cast<const __m128i *>(line + taps.windows[std::size_t(b * 2 + 1)]),
            reinterpret_cast<const __m128i *>(line + taps.windows[std::size_t(b * 2)]));
        __m256i sum = round;
        for (int p = 0; p < taps.pairs; ++p, ++shuffles, ++bytes) {
            const __m256i pairs = _mm256_shuffle_epi8(windows, _mm256_loadu_si256(shuffles));
            sum = _mm256_add_epi16(sum, _mm256_maddubs_epi16(pairs, _mm256_loadu_si256(bytes)));
        }
        const __m256i packed = _mm256_packus_epi16(_mm256_srai_epi16(sum, kColumnShift), _mm256_setzero_si256());
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + b * kColumnBlock),
                         _mm256_castsi256_si128(_mm256_permute4x64_epi64(packed, 0x08)));
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

    std::vector<std::uint8_t> combined;   // one line's rows combined
    bool avx2 = false;
    std::vector<std::uint8_t> lineY, lineCb, lineCr, tail;
    // A shown row made here first when an analyzer reads the rows: it stays in the cache while
    // read, then goes on to the picture by streaming stores.
    std::vector<std::uint8_t> rowStorage;
    std::uint8_t *rowBuffer = nullptr;
    std::vector<const std::uint8_t *> rows;

    RowKernel rowKernel = rowsPortable;
    ColumnKernel columnKernel = columnsPortable;
    colour::Kernel colourKernel = colour::colourPortable;
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
        // Room for the row kernel's whole vectors and the column kernels' last pair or window.
        combined.assign(std::size_t(YuvPlanes::paddedStride(widest) + 2 * pairs + 32), 0);
        const std::size_t line = std::size_t(YuvPlanes::paddedStride(shown.width()) + kColumnBlock);
        lineY.assign(line, 0);
        lineCb.assign(line, 128);
        lineCr.assign(line, 128);
        tail.assign(64 * 4, 0);
        rowStorage.assign(std::size_t(shown.width()) * 4 + 64, 0);
        rowBuffer = rowStorage.data() + (64 - reinterpret_cast<std::uintptr_t>(rowStorage.data()) % 64) % 64;
#ifdef SENDRA_X86
        if (atLeast(level, SimdLevel::Avx2)) {
            avx2 = true;
            rowKernel = rowsAvx2;
            columnKernel = columnsSse2;   // for taps too far apart to pick out of two windows
            colourKernel = colour::colourAvx2;
            colourStep = 32;
            if (level == SimdLevel::Avx512) {
                colourKernel = colour::colourAvx512;
                colourStep = 64;
            }
        } else if (level == SimdLevel::Sse2) {
            rowKernel = rowsSse2;
            columnKernel = columnsSse2;
            colourKernel = colour::colourSse2;
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
        rowKernel(rows.data(), rowTaps.weight.data() + rowTaps.start[std::size_t(outputRow)], count, combined.data(),
                  (width + 31) / 32 * 32);
#ifdef SENDRA_X86
        if (avx2 && columns.windowed) {
            columnsAvx2(combined.data(), columns, out);
            return;
        }
#endif
        columnKernel(combined.data(), columns, out);
    }

    void run(const YuvPlanes &p, QImage &out, ShownRows *shownRows)
    {
        if (shownRows)
            shownRows->begin(shown);
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
            uchar *row = shownRows ? rowBuffer : out.scanLine(y);
            colourKernel(lineY.data(), cb, cr, row, whole, half, !shownRows);
            if (whole < w) {
                // The last pixels through a whole vector into a spare buffer: the row itself ends
                // exactly at the picture's edge.
                const int chromaAt = half ? whole / 2 : whole;
                colourKernel(lineY.data() + whole, cb ? cb + chromaAt : nullptr, cr ? cr + chromaAt : nullptr,
                             tail.data(), colourStep, half, false);
                std::memcpy(row + 4 * std::ptrdiff_t(whole), tail.data(), std::size_t(w - whole) * 4);
            }
            if (shownRows) {
                shownRows->row(reinterpret_cast<const QRgb *>(rowBuffer));
                colour::streamCopy(rowBuffer, out.scanLine(y), std::size_t(w) * 4);
            }
        }
#ifdef SENDRA_X86
        _mm_sfence();   // the streamed rows are complete before the picture is handed on
#endif
    }
};

YuvScaler::YuvScaler(SimdLevel level) : level_(level)
{
    const SimdLevel best = bestSimdLevel();
    if (level_ == SimdLevel::Unknown || int(level_) > int(best))
        level_ = best;
}

YuvScaler::~YuvScaler() = default;

void YuvScaler::scale(const YuvPlanes &planes, QImage &out, ShownRows *rows)
{
    if (out.isNull() || planes.lumaSize.isEmpty())
        return;
    if (!plan_ || !plan_->fits(planes, out.size()))
        plan_ = std::make_unique<Plan>(planes, out.size(), level_);
    plan_->run(planes, out, rows);
}

} // namespace platform
