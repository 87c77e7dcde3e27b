// Picture writers against their anchors: our BMP writer against a bare write() of the same file
// bytes, our JPEG writer against a bare tjCompress2 of the same pixels (plus its write()).
#include "freshfiles.h"
#include "ratio.h"

#include "platform/atomicfile.h"
#include "platform/picturecodec.h"

#include <QDir>
#include <QTemporaryDir>

#include <turbojpeg.h>


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

// The BMP file our writer makes of `b`, as the anchor writes it.
QByteArray bmpFileBytes(const platform::Bitmap &b, bench::FreshFiles &files)
{
    const QString path = files.path(QStringLiteral("reference.bmp"));
    platform::writeBmpFile(path, b);
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

void BmpWrite(benchmark::State &state)
{
    bench::FreshFiles files(QStringLiteral("bmp"));
    const platform::Bitmap b = frame();
    const QByteArray fileBytes = bmpFileBytes(b, files);
    bench::measureRatio(
        state, [&] { platform::writeBmpFile(files.ours(), b); },
        [&] { bench::writeBytes(files.anchor(), fileBytes.constData(), std::size_t(fileBytes.size())); });
}
BENCHMARK(BmpWrite)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// How much of the BMP figure is the temporary file and rename rather than the 32-to-24-bit pack.
void AtomicWriteSameBytes(benchmark::State &state)
{
    bench::FreshFiles files(QStringLiteral("bmp"));
    const QByteArray fileBytes = bmpFileBytes(frame(), files);
    bench::measureRatio(
        state,
        [&] { platform::writeFileAtomically(files.ours(), fileBytes.constData(), std::size_t(fileBytes.size())); },
        [&] { bench::writeBytes(files.anchor(), fileBytes.constData(), std::size_t(fileBytes.size())); });
}
BENCHMARK(AtomicWriteSameBytes)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void JpegWriteQuality90(benchmark::State &state)
{
    bench::FreshFiles files(QStringLiteral("jpg"));
    const platform::Bitmap b = frame();
    tjhandle tj = tjInitCompress();
    bench::measureRatio(
        state, [&] { platform::writeJpegFile(files.ours(), b, 90); },
        [&] {
            unsigned char *out = nullptr;
            unsigned long size = 0;
            tjCompress2(tj, b.constScanLine(0), b.width(), int(b.bytesPerLine()), b.height(), TJPF_BGRX, &out, &size,
                        TJSAMP_420, 90, 0);
            bench::writeBytes(files.anchor(), out, size);
            tjFree(out);
        });
    tjDestroy(tj);
}
BENCHMARK(JpegWriteQuality90)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
