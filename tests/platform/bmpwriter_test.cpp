// The BMP writer packs the rows a block at a time on their way to the file: the bytes are those
// of the plainest possible writer, for every width the row kernels treat differently.
#include "platform/picturecodec.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::Bitmap;

namespace {

// The file spelled out byte by byte: header, then rows bottom-up, B G R per pixel, each row
// padded with zeros to four bytes.
QByteArray plainBmp(const Bitmap &b)
{
    QByteArray file = platform::encodeBmpHeader(b.width(), b.height());
    const int stride = (b.width() * 3 + 3) / 4 * 4;
    for (int y = b.height() - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < b.width(); ++x) {
            const platform::ColorRef c = b.pixel(x, y);
            row[3 * x] = char(platform::blueOf(c));
            row[3 * x + 1] = char(platform::greenOf(c));
            row[3 * x + 2] = char(platform::redOf(c));
        }
        file += row;
    }
    return file;
}

Bitmap noise(int w, int h)
{
    Bitmap b(w, h);
    quint32 state = 12345u + quint32(w * 31 + h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            state = state * 1664525u + 1013904223u;
            b.setPixel(x, y, state >> 8);
        }
    return b;
}

} // namespace

TEST(BmpWriter, EveryWidthGivesThePlainWritersBytes)
{
    QTemporaryDir dir;
    // Widths below, at and around the vector steps (4 and 8 pixels), and a capture size.
    for (int w : {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 15, 16, 17, 31, 33, 640, 1601}) {
        for (int h : {1, 3}) {
            const Bitmap b = noise(w, h);
            const QString path = dir.filePath(QStringLiteral("w%1h%2.bmp").arg(w).arg(h));
            ASSERT_TRUE(platform::writeBmpFile(path, b).ok());
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(f.readAll(), plainBmp(b)) << w << " x " << h;
        }
    }
}

TEST(BmpWriter, PicturesOfManyRowBlocksGiveThePlainWritersBytes)
{
    // The writer hands the file to the kernel a block of rows at a time: pictures of several
    // blocks with a partial last one, on aligned (4800-byte) and unaligned (15000-byte) rows, and
    // the widest picture there is, a few rows to a block, its rows padded by three bytes.
    QTemporaryDir dir;
    for (const QSize size : {QSize(1600, 123), QSize(5000, 60), QSize(16383, 25)}) {
        const Bitmap b = noise(size.width(), size.height());
        const QString path = dir.filePath(QStringLiteral("big.bmp"));
        ASSERT_TRUE(platform::writeBmpFile(path, b).ok()) << size.width() << " x " << size.height();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll() == plainBmp(b)) << size.width() << " x " << size.height();
    }
}
