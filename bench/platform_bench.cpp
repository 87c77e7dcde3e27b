// Picture writers against their anchors: our BMP writer against a bare write() of the same file
// bytes, our JPEG writer against a bare tjCompress2 of the same pixels (plus its write()).
#include "ratio.h"

#include "platform/atomicfile.h"
#include "platform/picturecodec.h"

#include <QDir>
#include <QTemporaryDir>

#include <turbojpeg.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

platform::Bitmap frame()
{
    // A busy 1600 x 1200 picture, so the JPEG coder does real work.
    platform::Bitmap b(1600, 1200);
    for (int y = 0; y < b.height(); ++y) {
        auto *row = reinterpret_cast<quint32 *>(b.scanLine(y));
        for (int x = 0; x < b.width(); ++x)
            row[x] = 0xFF000000u | ((quint32((x * 7) ^ y) & 0xFF) << 16) | ((quint32(x + y * 3) & 0xFF) << 8) | (quint32(x * y) & 0xFF);
    }
    return b;
}

void writeBytes(const QString &path, const char *data, size_t size)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            break;
        data += n;
        size -= size_t(n);
    }
    ::close(fd);
}

void BmpWrite(benchmark::State &state)
{
    QTemporaryDir dir;
    const platform::Bitmap b = frame();
    platform::writeBmpFile(dir.filePath("ours.bmp"), b);
    QFile f(dir.filePath("ours.bmp"));
    f.open(QIODevice::ReadOnly);
    const QByteArray fileBytes = f.readAll();
    // Captures are new files: each round writes a fresh name on both sides and removes the
    // previous round's file first, so both pay the same file-system bookkeeping.
    int round = 0;
    auto name = [&](const char *side, int n) { return dir.filePath(QStringLiteral("%1_%2.bmp").arg(side).arg(n)); };
    bench::measureRatio(
        state,
        [&] {
            QFile::remove(name("ours", round - 1));
            platform::writeBmpFile(name("ours", round), b);
        },
        [&] {
            QFile::remove(name("anchor", round - 1));
            writeBytes(name("anchor", round), fileBytes.constData(), size_t(fileBytes.size()));
            ++round;
        });
}
BENCHMARK(BmpWrite)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// How much of the BMP figure is the temporary file and rename rather than the 32-to-24-bit pack.
void AtomicWriteSameBytes(benchmark::State &state)
{
    QTemporaryDir dir;
    const platform::Bitmap b = frame();
    platform::writeBmpFile(dir.filePath("ours.bmp"), b);
    QFile f(dir.filePath("ours.bmp"));
    f.open(QIODevice::ReadOnly);
    const QByteArray fileBytes = f.readAll();
    int round = 0;
    auto name = [&](const char *side, int n) { return dir.filePath(QStringLiteral("%1_%2.bmp").arg(side).arg(n)); };
    bench::measureRatio(
        state,
        [&] {
            QFile::remove(name("ours", round - 1));
            platform::writeFileAtomically(name("ours", round), fileBytes.constData(), size_t(fileBytes.size()));
        },
        [&] {
            QFile::remove(name("anchor", round - 1));
            writeBytes(name("anchor", round), fileBytes.constData(), size_t(fileBytes.size()));
            ++round;
        });
}
BENCHMARK(AtomicWriteSameBytes)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void JpegWriteQuality90(benchmark::State &state)
{
    QTemporaryDir dir;
    const platform::Bitmap b = frame();
    tjhandle tj = tjInitCompress();
    int round = 0;
    auto name = [&](const char *side, int n) { return dir.filePath(QStringLiteral("%1_%2.jpg").arg(side).arg(n)); };
    bench::measureRatio(
        state,
        [&] {
            QFile::remove(name("ours", round - 1));
            platform::writeJpegFile(name("ours", round), b, 90);
        },
        [&] {
            QFile::remove(name("anchor", round - 1));
            unsigned char *out = nullptr;
            unsigned long size = 0;
            tjCompress2(tj, b.constScanLine(0), b.width(), int(b.bytesPerLine()), b.height(), TJPF_BGRX, &out, &size,
                        TJSAMP_420, 90, 0);
            writeBytes(name("anchor", round), reinterpret_cast<const char *>(out), size);
            tjFree(out);
            ++round;
        });
    tjDestroy(tj);
}
BENCHMARK(JpegWriteQuality90)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
