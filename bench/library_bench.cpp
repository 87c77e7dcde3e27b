// Thumbnail pages and folder listing, each against its anchor in the same run:
//  - a page of five 2592 x 1944 JPEG thumbnails made as the browser makes a page (reduced-size
//    decoding on two threads, cache cold) against five full-size decodes of the same files, in
//    wall time and in CPU time;
//  - listing a folder of 10,000 captures (extension, header, locale order) as the browser's
//    refresh lists it (its listing cache kept from the refresh before) and as a first listing
//    (nothing known), against a bare QDir listing of the same folder.
#include "ratio.h"

#include "library/filelister.h"
#include "library/listingcache.h"
#include "library/thumbnailmaker.h"
#include "platform/diagnosticslog.h"
#include "platform/picturecodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

// A microscope picture: smooth illumination, a scale of fine lines and round particles.
platform::Bitmap specimen(int w, int h)
{
    platform::Bitmap b(w, h);
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<quint32 *>(b.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int light = 200 - (std::abs(x - w / 2) + std::abs(y - h / 2)) / 40;
            const bool line = y > h / 2 - 40 && y < h / 2 + 40 && x % 26 < 3;
            const int dx = x % 400 - 200, dy = y % 400 - 200;
            const bool particle = dx * dx + dy * dy < 60 * 60;
            const int v = line ? 30 : particle ? light / 3 : light;
            row[x] = qRgb(v, v - 10, v - 30);
        }
    }
    return b;
}

// The worst case for the decoder: detail in every block, so entropy decoding (which no scaling
// saves) dominates.
platform::Bitmap detailed(int w, int h)
{
    platform::Bitmap b(w, h);
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<quint32 *>(b.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb((x * 255) / w, (y * 255) / h, ((x ^ y) & 0x3F) * 4);
    }
    return b;
}

void thumbnailPage(benchmark::State &state, const QStringList &files)
{
    platform::DiagnosticsLog log;
    bench::measureRatioAndCpu(
        state,
        [&] {
            // A new maker each round: the cache must not answer.
            library::ThumbnailMaker maker({}, QString(), log);
            maker.preparePictures(1, files);
            for (const QString &f : files)
                benchmark::DoNotOptimize(maker.make(1, f));
        },
        [&] {
            for (const QString &f : files)
                benchmark::DoNotOptimize(platform::readPictureFile(f));
        });
}

// A page shown again (a refresh after a save, a page turned back): the maker kept from before finds
// every picture in its cache by name, size and modification time, and decodes nothing.
void thumbnailPageAgain(benchmark::State &state, const QStringList &files)
{
    platform::DiagnosticsLog log;
    library::ThumbnailMaker maker({}, QString(), log);
    maker.preparePictures(1, files);
    bench::measureRatio(
        state,
        [&] {
            maker.preparePictures(1, files);
            for (const QString &f : files)
                benchmark::DoNotOptimize(maker.make(1, f));
        },
        [&] {
            for (const QString &f : files)
                benchmark::DoNotOptimize(platform::readPictureFile(f));
        });
}

// The codec's own share: reduced-size decodes alone, without scaling into the slot or the cache.
void scaledDecodes(benchmark::State &state, const QStringList &files)
{
    bench::measureRatio(
        state,
        [&] {
            for (const QString &f : files)
                benchmark::DoNotOptimize(platform::readPictureFile(f, library::kThumbnailSize));
        },
        [&] {
            for (const QString &f : files)
                benchmark::DoNotOptimize(platform::readPictureFile(f));
        });
}

// The browser's refresh: the listing cache remembers the folder from the refresh before.
void listFolder(benchmark::State &state, const QString &folder)
{
    library::ListingCache listing;
    listing.list(folder, 1);
    bench::measureRatio(
        state, [&] { benchmark::DoNotOptimize(listing.list(folder, 1)); },
        [&] {
            benchmark::DoNotOptimize(
                QDir(folder).entryList(QStringList{QStringLiteral("*.jpg")}, QDir::Files, QDir::NoSort));
        });
}

// A folder listed for the first time: every signature read, every name sorted.
void listFolderFirstTime(benchmark::State &state, const QString &folder)
{
    bench::measureRatio(
        state, [&] { benchmark::DoNotOptimize(library::listLibraryFiles(folder, 1)); },
        [&] {
            benchmark::DoNotOptimize(
                QDir(folder).entryList(QStringList{QStringLiteral("*.jpg")}, QDir::Files, QDir::NoSort));
        });
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir pictures, folder;
    QStringList files, detailedFiles;
    const platform::Bitmap big = specimen(2592, 1944), busy = detailed(2592, 1944);
    for (int i = 0; i < 5; ++i) {
        files << pictures.filePath(QStringLiteral("Jpg_20141111_%1.jpg").arg(i + 1, 5, 10, QChar(u'0')));
        detailedFiles << pictures.filePath(QStringLiteral("Jpg_20141112_%1.jpg").arg(i + 1, 5, 10, QChar(u'0')));
        if (!platform::writeJpegFile(files.back(), big).ok() || !platform::writeJpegFile(detailedFiles.back(), busy).ok()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(files.back()));
            return 1;
        }
    }
    const QByteArray head("\xFF\xD8\xFF\xE0", 4);
    for (int i = 0; i < 10000; ++i) {
        QFile f(folder.filePath(QStringLiteral("Jpg_2014%1_%2.jpg").arg(1101 + i % 30).arg(i, 5, 10, QChar(u'0'))));
        if (!f.open(QIODevice::WriteOnly) || f.write(head) != head.size())
            return 1;
    }

    benchmark::RegisterBenchmark("ThumbnailPage/Five2592x1944Jpegs_vs_FullDecodes",
                                 [&](benchmark::State &s) { thumbnailPage(s, files); })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(2.0);
    benchmark::RegisterBenchmark("ScaledDecodeOnly/Five2592x1944Jpegs_vs_FullDecodes",
                                 [&](benchmark::State &s) { scaledDecodes(s, files); })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(2.0);
    // The floor under the detailed page: the codec's 1/8 decode alone, which every coefficient's
    // entropy decoding dominates.
    benchmark::RegisterBenchmark("ScaledDecodeOnly/Five2592x1944DetailedJpegs_vs_FullDecodes",
                                 [&](benchmark::State &s) { scaledDecodes(s, detailedFiles); })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(2.0);
    benchmark::RegisterBenchmark("ThumbnailPage/Five2592x1944DetailedJpegs_vs_FullDecodes",
                                 [&](benchmark::State &s) { thumbnailPage(s, detailedFiles); })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(2.0);
    benchmark::RegisterBenchmark("ThumbnailPageAgain/Five2592x1944DetailedJpegs_vs_FullDecodes",
                                 [&](benchmark::State &s) { thumbnailPageAgain(s, detailedFiles); })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(2.0);
    benchmark::RegisterBenchmark("ListFolder/10000Files_vs_BareQDir",
                                 [&](benchmark::State &s) { listFolder(s, folder.path()); })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(2.0);
    benchmark::RegisterBenchmark("ListFolderFirstTime/10000Files_vs_BareQDir",
                                 [&](benchmark::State &s) { listFolderFirstTime(s, folder.path()); })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(2.0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
