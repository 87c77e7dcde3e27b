// A refresh that remembers what it learnt of each file: the same list as a fresh listing after
// every kind of change to the folder, with only new or changed files opened.
#include "library/filelister.h"
#include "library/librarypages.h"
#include "library/listingcache.h"
#include "library/thumbnailmaker.h"

#include "platform/diagnosticslog.h"
#include "platform/picturecodec.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include <sys/stat.h>
#include <utime.h>

namespace {

const QByteArray kJpgHead("\xFF\xD8\xFF\xE0", 4);
const QByteArray kBmpHead("BM\x36\x00\x00\x00", 6);

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// Sets the file's modification time, so that a rewrite is seen even on a file system whose clock
// is coarser than the test.
void touch(const QString &path, int seconds)
{
    struct utimbuf times {seconds, seconds};
    ASSERT_EQ(utime(QFile::encodeName(path).constData(), &times), 0);
}

} // namespace

struct ListingFixture : ::testing::Test {
    QTemporaryDir dir;
    library::ListingCache listing;
    QString at(const QString &name) const { return dir.filePath(name); }
    QStringList fresh(int kind) const { return library::listLibraryFiles(dir.path(), kind); }
};

TEST_F(ListingFixture, EveryChangeListsAsAFreshListingAndOpensOnlyWhatChanged)
{
    for (int i = 1; i <= 12; ++i)
        put(at(QStringLiteral("Jpg_20141111_%1.jpg").arg(i, 5, 10, QLatin1Char('0'))), kJpgHead);
    put(at("b.JPEG"), kJpgHead);
    put(at("A.jpg"), kJpgHead);
    put(at("bmp-inside.jpg"), kBmpHead);

    struct Step {
        const char *what;
        std::function<void()> change;
        int opened;   // signatures read by the refresh after the change
    };
    const Step steps[] = {
        {"first listing", [] {}, 15},
        {"nothing changed", [] {}, 0},
        {"a new capture", [&] { put(at("Jpg_20141111_00013.jpg"), kJpgHead); }, 1},
        {"a JPEG rewritten as a BMP under its name",
         [&] {
             put(at("Jpg_20141111_00004.jpg"), kBmpHead);
             touch(at("Jpg_20141111_00004.jpg"), 1000);
         },
         1},
        {"the BMP inside a .jpg becomes a JPEG",
         [&] {
             put(at("bmp-inside.jpg"), kJpgHead + "more");
             touch(at("bmp-inside.jpg"), 2000);
         },
         1},
        {"a file deleted", [&] { QFile::remove(at("Jpg_20141111_00007.jpg")); }, 0},
        {"a file renamed over another",
         [&] {
             put(at("new.tmp"), kJpgHead);
             touch(at("new.tmp"), 3000);
             ASSERT_EQ(::rename(QFile::encodeName(at("new.tmp")).constData(),
                                QFile::encodeName(at("Jpg_20141111_00001.jpg")).constData()),
                       0);
         },
         1},
        {"a file of another kind", [&] { put(at("x.bmp"), kBmpHead); }, 0},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        const QStringList listed = listing.list(dir.path(), 1);
        EXPECT_EQ(listed, fresh(1));
        EXPECT_EQ(listing.signaturesRead(), step.opened);
    }
    // 13 captures + A + b + the former BMP, less the one rewritten as a BMP and the deleted one.
    EXPECT_EQ(listing.list(dir.path(), 1).size(), 14);
    EXPECT_EQ(listing.list(dir.path(), 1).first(), at("A.jpg"));
}

TEST_F(ListingFixture, AnotherFolderOrKindStartsAfresh)
{
    QTemporaryDir other;
    put(at("a.bmp"), kBmpHead);
    put(other.filePath("b.bmp"), kBmpHead);
    EXPECT_EQ(listing.list(dir.path(), 0), QStringList{at("a.bmp")});
    EXPECT_EQ(listing.list(other.path(), 0), QStringList{other.filePath("b.bmp")});
    EXPECT_EQ(listing.signaturesRead(), 1);
    EXPECT_TRUE(listing.list(other.path(), 1).isEmpty());
    EXPECT_TRUE(listing.list(dir.filePath("missing"), 0).isEmpty());
    EXPECT_EQ(listing.list(dir.path(), 0), QStringList{at("a.bmp")});
    EXPECT_EQ(listing.signaturesRead(), 1);
}

TEST_F(ListingFixture, PagesCountExactlyWhenAFileOffThePageStopsBeingAPicture)
{
    for (int i = 1; i <= 11; ++i)
        put(at(QStringLiteral("Bmp_20141111_%1.bmp").arg(i, 5, 10, QLatin1Char('0'))), kBmpHead);
    library::LibraryPages pages;
    pages.refresh(0, dir.path());
    EXPECT_EQ(pages.label(0), "001/003");
    // The eleventh file, alone on page 3, is overwritten with something that is no BMP.
    put(at("Bmp_20141111_00011.bmp"), "not a picture");
    touch(at("Bmp_20141111_00011.bmp"), 1000);
    pages.refresh(0, dir.path());
    EXPECT_EQ(pages.label(0), "001/002");
    EXPECT_EQ(pages.kind(0).files.size(), 10);
}

TEST(ThumbnailPage, PreparedPicturesAreTheOnesMadeOneByOne)
{
    QTemporaryDir dir;
    platform::DiagnosticsLog log;
    QStringList paths;
    for (int i = 0; i < 5; ++i) {
        paths << dir.filePath(QStringLiteral("p%1.jpg").arg(i));
        ASSERT_TRUE(platform::writeJpegFile(paths.back(), platform::Bitmap(640 + 64 * i, 480, 0x203040 * (i + 1))).ok());
    }
    paths << dir.filePath("cut.jpg") << QString() << dir.filePath("missing.jpg");
    put(paths[5], QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10));

    library::ThumbnailMaker prepared({}, QString(), log);
    prepared.preparePictures(1, paths);
    EXPECT_EQ(prepared.cache().size(), 5);
    EXPECT_TRUE(log.lines().isEmpty()) << "failures are left to start(), which logs them";
    library::ThumbnailMaker oneByOne({}, QString(), log);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(prepared.make(1, paths[i]), oneByOne.make(1, paths[i])) << i;
    EXPECT_TRUE(prepared.make(1, paths[5]).isNull());
    // A prepared page asks nothing more of the cache than it holds.
    prepared.preparePictures(1, paths);
    EXPECT_EQ(prepared.cache().size(), 5);
}
