// BMP reading and writing. The reader trusts nothing in the header: every size is checked
// against the bytes actually present before a pixel is touched.
#include "picturecodec.h"

#include "atomicfile.h"

#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <optional>
#include <tmmintrin.h>
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
constexpr std::size_t kBlockBytes = 2048 * 1024;

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

// BGRx to BGR. Every x86-64 processor this program meets has SSSE3, whose byte shuffle packs
// four pixels per instruction; the portable loop copies four bytes and advances three.
__attribute__((target("ssse3"))) void packRowSsse3(const uchar *src, uchar *dst, int width)
{
    const __m128i shuffle = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    // Each store writes 16 bytes of which 12 count; stop early enough to stay inside the row.
    for (; x + 6 <= width; x += 4, src += 16, dst += 12)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst),
                         _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(src)), shuffle));
    for (; x < width; ++x, src += 4, dst += 3) {
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
    }
}

void packRowPortable(const uchar *src, uchar *dst, int width)
{
    int x = 0;
    for (; x + 1 < width; ++x)
        std::memcpy(dst + 3 * x, src + 4 * x, 4);
    for (; x < width; ++x) {
        dst[3 * x] = src[4 * x];
        dst[3 * x + 1] = src[4 * x + 1];
        dst[3 * x + 2] = src[4 * x + 2];
    }
}

using PackRow = void (*)(const uchar *, uchar *, int);
PackRow choosePackRow() { return __builtin_cpu_supports("ssse3") ? packRowSsse3 : packRowPortable; }

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
    AtomicFileWriter file(path);
    const QByteArray header =
        metadata.hasResolution()
            ? encodeBmpHeader(width, height, pelsPerMetre(metadata.pixelsPerCmX), pelsPerMetre(metadata.pixelsPerCmY))
            : encodeBmpHeader(width, height);
    file.write(header.constData(), std::size_t(header.size()));

    // Rows are converted a block at a time: large enough that the kernel copies in big runs,
    // small enough to stay in the cache between conversion and write.
    const int rowsPerBlock = std::max(1, int(kBlockBytes / stride));
    const PackRow packRow = choosePackRow();
    std::vector<uchar> block(stride * std::size_t(rowsPerBlock));
    for (int first = 0; first < height && !file.error(); first += rowsPerBlock) {
        const int rows = std::min(rowsPerBlock, height - first);
        for (int r = 0; r < rows; ++r) {
            const uchar *src = bitmap.constScanLine(height - 1 - (first + r));
            uchar *dst = block.data() + stride * std::size_t(r);
            packRow(src, dst, width);
            std::memset(dst + 3 * width, 0, stride - std::size_t(3 * width));
        }
        file.write(block.data(), stride * std::size_t(rows));
    }
    if (const std::error_code ec = file.commit())
        return {PictureError::WriteFailed, ec};
    return {};
}

} // namespace platform
