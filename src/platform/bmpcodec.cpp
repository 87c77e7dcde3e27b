// BMP reading and writing. The reader trusts nothing in the header: every size is checked
// against the bytes actually present before a pixel is touched.
#include "picturecodec.h"

#include "atomicfile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <immintrin.h>
#include <memory>
#include <new>
#include <vector>

namespace platform {
namespace {

quint16 u16(const uchar *p) { return quint16(p[0] | (p[1] << 8)); }
quint32 u32(const uchar *p) { return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24); }
qint32 s32(const uchar *p) { return qint32(u32(p)); }

void put16(uchar *p, quint16 v) { p[0] = uchar(v); p[1] = uchar(v >> 8); }
void put32(uchar *p, quint32 v) { for (int i = 0; i < 4; ++i) p[i] = uchar(v >> (8 * i)); }

constexpr qint64 kFileHeaderSize = 14;
constexpr qint64 kInfoHeaderSize = 40;
constexpr quint32 kBiRgb = 0;
constexpr quint32 kBiRle8 = 1;
constexpr quint32 kBiRle4 = 2;
constexpr quint32 kBiBitfields = 3;

DecodedPicture fail(PictureError e, QString detail) { return {Bitmap(), e, std::move(detail)}; }

qint64 rowStride(qint64 width, int bitsPerPixel) { return ((width * bitsPerPixel + 31) / 32) * 4; }

// One colour channel of a bit-field pixel: a run of 1 to 16 set bits.
struct Channel {
    quint32 mask = 0;
    int shift = 0;
    int bits = 0;
};

std::optional<Channel> channelOf(quint32 mask)
{
    if (mask == 0)
        return std::nullopt;
    const int shift = std::countr_zero(mask);
    const quint32 run = mask >> shift;
    const int bits = std::popcount(run);
    if (bits > 16 || (run & (run + 1)) != 0)   // wider than any writer uses, or holes in the run
        return std::nullopt;
    return Channel{mask, shift, bits};
}

// Spreads a narrow channel over 0..255 by repeating its bits (5-bit 10110 becomes 10110101):
// full scale stays full scale, and the result is the one other decoders show for the same file.
// Wider channels keep their top 8 bits.
quint32 expand(quint32 value, const Channel &c)
{
    const quint32 v = (value & c.mask) >> c.shift;
    if (c.bits >= 8)
        return v >> (c.bits - 8);
    quint32 repeated = 0;
    int filled = 0;
    for (; filled < 8; filled += c.bits)
        repeated = (repeated << c.bits) | v;
    return repeated >> (filled - 8);
}

quint32 pixelOf(quint32 value, const std::array<Channel, 3> &rgb)
{
    return 0xFF000000u | (expand(value, rgb[0]) << 16) | (expand(value, rgb[1]) << 8) | expand(value, rgb[2]);
}

// BGRx rows to BGR rows of a BMP. Each row kernel may store up to 32 bytes past the row's last
// pixel: the caller gives it room (the next row, or slack after the last one).
using PackRow = void (*)(const uchar *src, uchar *dst, int width);

// Every x86-64 processor this program meets has SSSE3, whose byte shuffle packs four pixels per
// instruction; AVX2 packs eight.
__attribute__((target("ssse3"))) void packRowSsse3(const uchar *src, uchar *dst, int width)
{
    const __m128i shuffle = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    // Each store writes 16 bytes of which 12 count.
    for (; x + 4 <= width; x += 4, src += 16, dst += 12)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst),
                         _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(src)), shuffle));
    for (; x < width; ++x, src += 4, dst += 3) {
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
    }
}

// Eight pixels as 24 bytes at the bottom of a vector: within each 128-bit lane four pixels become
// twelve bytes, then the lane permute closes the gap between the lanes.
__attribute__((target("avx2"))) inline __m256i eightPixels(const uchar *from)
{
    const __m256i shuffle = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0, 1, 2, 4, 5, 6, 8,
                                             9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i close = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    return _mm256_permutevar8x32_epi32(
        _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(from)), shuffle), close);
}

__attribute__((target("avx2"))) void packRowAvx2(const uchar *src, uchar *dst, int width)
{
    int x = 0;
    if ((reinterpret_cast<std::uintptr_t>(dst) & 31) == 0) {
        // Thirty-two pixels make three whole aligned vectors.
        const __m256i head = _mm256_setr_epi32(0, 0, 0, 0, 0, 0, 0, 1), mid1 = _mm256_setr_epi32(2, 3, 4, 5, 0, 0, 0, 0),
                      mid2 = _mm256_setr_epi32(0, 0, 0, 0, 0, 1, 2, 3), tail1 = _mm256_setr_epi32(4, 5, 0, 0, 0, 0, 0, 0),
                      tail2 = _mm256_setr_epi32(0, 0, 0, 1, 2, 3, 4, 5);
        for (; x + 32 <= width; x += 32, src += 128, dst += 96) {
            const __m256i a = eightPixels(src), b = eightPixels(src + 32), c = eightPixels(src + 64), d = eightPixels(src + 96);
            auto *o = reinterpret_cast<__m256i *>(dst);
            _mm256_store_si256(o, _mm256_blend_epi32(a, _mm256_permutevar8x32_epi32(b, head), 0xC0));
            _mm256_store_si256(o + 1, _mm256_blend_epi32(_mm256_permutevar8x32_epi32(b, mid1),
                                                          _mm256_permutevar8x32_epi32(c, mid2), 0xF0));
            _mm256_store_si256(o + 2, _mm256_blend_epi32(_mm256_permutevar8x32_epi32(c, tail1),
                                                          _mm256_permutevar8x32_epi32(d, tail2), 0xFC));
        }
    }
    // Each store writes 32 bytes of which 24 count.
    for (; x + 8 <= width; x += 8, src += 32, dst += 24)
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst), eightPixels(src));
    packRowSsse3(src, dst, width - x);
}

void packRowPortable(const uchar *src, uchar *dst, int width)
{
    for (int x = 0; x < width; ++x) {
        dst[3 * x] = src[4 * x];
        dst[3 * x + 1] = src[4 * x + 1];
        dst[3 * x + 2] = src[4 * x + 2];
    }
}

PackRow choosePackRow()
{
    if (__builtin_cpu_supports("avx2"))
        return packRowAvx2;
    return __builtin_cpu_supports("ssse3") ? packRowSsse3 : packRowPortable;
}

// Room the row kernels may write past the end of the last row.
constexpr std::size_t kPackSlack = 32;
// Rows packed before they go to the file together: well inside the processor's second-level cache.
constexpr std::size_t kPackBlockBytes = 512 * 1024;

} // namespace

DecodedPicture decodeBmp(QByteArrayView bytes)
{
    const qint64 size = bytes.size();
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    if (size < 2 || data[0] != 'B' || data[1] != 'M')
        return fail(PictureError::NotRecognised, QStringLiteral("no BM signature"));
    if (size < kFileHeaderSize + kInfoHeaderSize)
        return fail(PictureError::Truncated, QStringLiteral("file shorter than its headers"));

    const quint32 offBits = u32(data + 10);
    const uchar *info = data + kFileHeaderSize;
    const quint32 infoSize = u32(info);
    if (infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 && infoSize != 124)
        return fail(PictureError::Unsupported, QStringLiteral("info header of %1 bytes").arg(infoSize));
    if (kFileHeaderSize + qint64(infoSize) > size)
        return fail(PictureError::Truncated, QStringLiteral("info header runs past the end"));

    const qint64 width = s32(info + 4);
    const qint32 rawHeight = s32(info + 8);
    const quint16 planes = u16(info + 12);
    const int bitCount = u16(info + 14);
    const quint32 compression = u32(info + 16);
    if (planes != 1)
        return fail(PictureError::Malformed, QStringLiteral("%1 planes").arg(planes));
    if (width <= 0 || rawHeight == 0 || rawHeight == std::numeric_limits<qint32>::min())
        return fail(PictureError::Malformed, QStringLiteral("size %1 x %2").arg(width).arg(rawHeight));
    const bool topDown = rawHeight < 0;
    const qint64 height = topDown ? -qint64(rawHeight) : rawHeight;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return fail(PictureError::Unsupported, QStringLiteral("%1 bits per pixel").arg(bitCount));
    if (compression == kBiRle8 || compression == kBiRle4)
        return fail(PictureError::Unsupported, QStringLiteral("run-length compression"));
    if (compression != kBiRgb && compression != kBiBitfields)
        return fail(PictureError::Unsupported, QStringLiteral("compression %1").arg(compression));
    if (!sizeIsAcceptable(width, height)) {
        DecodedPicture tooLarge = fail(PictureError::TooLarge, QStringLiteral("size %1 x %2").arg(width).arg(height));
        tooLarge.claimedSize = QSize(int(std::min<qint64>(width, std::numeric_limits<int>::max())),
                                     int(std::min<qint64>(height, std::numeric_limits<int>::max())));
        return tooLarge;
    }
    if (offBits < kFileHeaderSize + infoSize || offBits > size)
        return fail(PictureError::Malformed, QStringLiteral("pixel offset %1").arg(offBits));

    // What sits between the info header and the pixels: a palette, three masks, or nothing.
    const qint64 tableAt = kFileHeaderSize + infoSize;
    std::array<quint32, 256> palette{};
    int colours = 0;
    std::array<Channel, 3> channels{};   // red, green, blue
    bool plainBgr = compression == kBiRgb && bitCount >= 24;
    if (bitCount <= 8) {
        if (compression != kBiRgb)
            return fail(PictureError::Malformed, QStringLiteral("bit fields with %1 bits per pixel").arg(bitCount));
        const quint32 clrUsed = u32(info + 32);
        const quint32 maxColours = 1u << bitCount;
        if (clrUsed > maxColours)
            return fail(PictureError::Malformed, QStringLiteral("%1 colours for %2 bits").arg(clrUsed).arg(bitCount));
        colours = int(clrUsed == 0 ? maxColours : clrUsed);
        if (tableAt + 4 * colours > offBits)
            return fail(PictureError::Malformed, QStringLiteral("palette of %1 colours runs into the pixels").arg(colours));
        for (int i = 0; i < colours; ++i) {
            const uchar *entry = data + tableAt + 4 * i;   // blue, green, red, reserved
            palette[std::size_t(i)] = 0xFF000000u | (quint32(entry[2]) << 16) | (quint32(entry[1]) << 8) | entry[0];
        }
    } else if (compression == kBiBitfields) {
        if (bitCount != 16 && bitCount != 32)
            return fail(PictureError::Malformed, QStringLiteral("bit fields with %1 bits per pixel").arg(bitCount));
        // The masks belong to the longer info headers; after a 40-byte one they follow it.
        const qint64 maskAt = infoSize >= 52 ? kFileHeaderSize + 40 : tableAt;
        if (infoSize < 52 && maskAt + 12 > offBits)
            return fail(PictureError::Malformed, QStringLiteral("bit field masks run into the pixels"));
        const quint32 limit = bitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
        quint32 seen = 0;
        for (int c = 0; c < 3; ++c) {
            const quint32 mask = u32(data + maskAt + 4 * c);
            const std::optional<Channel> channel = channelOf(mask);
            if (!channel || (mask & ~limit) || (mask & seen))
                return fail(PictureError::Malformed, QStringLiteral("bit field mask %1").arg(mask, 8, 16, QLatin1Char('0')));
            seen |= mask;
            channels[std::size_t(c)] = *channel;
        }
        plainBgr = bitCount == 32 && channels[0].mask == 0x00FF0000 && channels[1].mask == 0x0000FF00
                   && channels[2].mask == 0x000000FF;
    } else if (bitCount == 16) {
        channels = {*channelOf(0x7C00), *channelOf(0x03E0), *channelOf(0x001F)};   // x1555 without masks
    }

    const qint64 stride = rowStride(width, bitCount);
    // The last row may come without its padding; everything before it must be whole.
    const qint64 needed = qint64(offBits) + stride * (height - 1) + (width * bitCount + 7) / 8;
    if (needed > size)
        return fail(PictureError::Truncated, QStringLiteral("%1 pixel bytes missing").arg(needed - size));

    Bitmap bitmap{int(width), int(height)};
    if (bitmap.isNull())
        return {Bitmap(), PictureError::TooLarge, QStringLiteral("out of memory"), QSize(int(width), int(height))};
    // Two bytes have only 65536 values: one table turns each into its pixel.
    std::vector<quint32> wordTable;
    if (bitCount == 16) {
        wordTable.resize(65536);
        for (quint32 v = 0; v < 65536; ++v)
            wordTable[v] = pixelOf(v, channels);
    }
    for (qint64 row = 0; row < height; ++row) {
        const uchar *src = data + offBits + stride * (topDown ? row : height - 1 - row);
        auto *dst = reinterpret_cast<quint32 *>(bitmap.scanLine(int(row)));
        if (bitCount <= 8) {
            for (qint64 x = 0; x < width; ++x) {
                const int index = bitCount == 8 ? src[x]
                                  : bitCount == 4 ? (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F
                                                  : (src[x >> 3] >> (7 - (x & 7))) & 0x01;
                // A colour the file never defined is damage, not a picture: inventing one (black, or
                // the last entry) would show a plausible image of something that was never captured.
                if (index >= colours)
                    return fail(PictureError::Malformed, QStringLiteral("pixel %1,%2 uses colour %3 of a %4-colour palette")
                                                             .arg(x).arg(row).arg(index).arg(colours));
                dst[x] = palette[std::size_t(index)];
            }
        } else if (bitCount == 16) {
            for (qint64 x = 0; x < width; ++x, src += 2)
                dst[x] = wordTable[u16(src)];
        } else if (plainBgr) {
            const int bytesPerPixel = bitCount / 8;
            for (qint64 x = 0; x < width; ++x, src += bytesPerPixel)
                dst[x] = 0xFF000000u | (quint32(src[2]) << 16) | (quint32(src[1]) << 8) | src[0];
        } else {
            for (qint64 x = 0; x < width; ++x, src += 4)
                dst[x] = pixelOf(u32(src), channels);
        }
    }
    return {std::move(bitmap), PictureError::None, {}};
}

QByteArray encodeBmpHeader(int width, int height, int pelsPerMetreX, int pelsPerMetreY)
{
    const quint32 imageSize = quint32(rowStride(width, 24) * height);
    QByteArray header(int(kFileHeaderSize + kInfoHeaderSize), '\0');
    auto *h = reinterpret_cast<uchar *>(header.data());
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, quint32(header.size()) + imageSize);
    put32(h + 10, quint32(header.size()));
    uchar *info = h + kFileHeaderSize;
    put32(info, quint32(kInfoHeaderSize));
    put32(info + 4, quint32(width));
    put32(info + 8, quint32(height));
    put16(info + 12, 1);
    put16(info + 14, 24);
    put32(info + 16, kBiRgb);
    put32(info + 20, imageSize);
    put32(info + 24, quint32(pelsPerMetreX));
    put32(info + 28, quint32(pelsPerMetreY));
    return header;
}

WriteResult writeBmpFile(const QString &path, const Bitmap &bitmap) { return writeBmpFile(path, bitmap, PictureMetadata{}); }

WriteResult writeBmpFile(const QString &path, const Bitmap &bitmap, const PictureMetadata &metadata)
{
    if (bitmap.isNull())
        return {PictureError::Malformed, {}};
    const int width = bitmap.width();
    const int height = bitmap.height();
    const std::size_t stride = std::size_t(rowStride(width, 24));
    const QByteArray header =
        metadata.hasResolution()
            ? encodeBmpHeader(width, height, pelsPerMetre(metadata.pixelsPerCmX), pelsPerMetre(metadata.pixelsPerCmY))
            : encodeBmpHeader(width, height);
    // Rows are packed a block at a time into a buffer that stays in the processor's cache, and
    // each block goes to the temporary file from there: the file's bytes are written once, by the
    // kernel's copy, instead of once into a whole-file buffer and then again into the kernel.
    // The block starts on a 64-byte boundary, so rows whose length is a multiple of 32 bytes take
    // aligned stores.
    const int rowsPerBlock = std::clamp(int(kPackBlockBytes / stride), 1, height);
    std::unique_ptr<uchar[]> buffer(new (std::nothrow) uchar[stride * std::size_t(rowsPerBlock) + kPackSlack + 64]);
    if (!buffer)
        return {PictureError::WriteFailed, std::make_error_code(std::errc::not_enough_memory)};
    uchar *const block = buffer.get() + (64 - reinterpret_cast<std::uintptr_t>(buffer.get()) % 64) % 64;
    AtomicFileWriter file(path);
    file.write(header.constData(), std::size_t(header.size()));
    const PackRow packRow = choosePackRow();
    const std::size_t padding = stride - std::size_t(3 * width);
    for (int row = height - 1; row >= 0 && !file.error();) {
        uchar *dst = block;
        for (int n = 0; n < rowsPerBlock && row >= 0; ++n, --row, dst += stride) {
            packRow(bitmap.constScanLine(row), dst, width);
            std::memset(dst + 3 * width, 0, padding);
        }
        file.write(block, std::size_t(dst - block));
    }
    if (const std::error_code ec = file.commit())
        return {PictureError::WriteFailed, ec};
    return {};
}

} // namespace platform
