#include "library/imagefit.h"
#include "library/openfile.h"
#include "library/thumbnailmaker.h"
#include "library/trash.h"

#include "fakes.h"
#include "platform/diagnosticslog.h"
#include "platform/picturecodec.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using platform::Bitmap;

namespace {

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

constexpr platform::ColorRef kRed = 0x0000FF;
constexpr platform::ColorRef kBlue = 0xFF0000;

} // namespace

struct ThumbFixture : ::testing::Test {
    fakes::TemporaryProfile profile;
    platform::DiagnosticsLog log;
    QString recording = profile.path() + "/Recording.bmp";
    int grabs = 0;
    std::optional<Bitmap> frame = Bitmap(320, 240, kBlue);
    library::ThumbnailMaker maker{[this](const QString &, int index) -> std::optional<Bitmap> {
                                      ++grabs;
                                      EXPECT_EQ(index, 30);
                                      return frame;
                                  },
                                  recording, log};
    QString at(const QString &name) const { return profile.path() + u'/' + name; }
};

TEST_F(ThumbFixture, PicturesAreStretchedInto128By96)
{
    ASSERT_TRUE(platform::writeBmpFile(at("red.bmp"), Bitmap(40, 300, kRed)).ok());
    ASSERT_TRUE(platform::writeJpegFile(at("big.jpg"), Bitmap(2592, 1944, kBlue)).ok());
    const Bitmap bmp = maker.make(0, at("red.bmp"));
    ASSERT_EQ(bmp.size(), library::kThumbnailSize);
    EXPECT_EQ(bmp.pixel(64, 48), kRed);
    const Bitmap jpg = maker.make(1, at("big.jpg"));
    ASSERT_EQ(jpg.size(), library::kThumbnailSize);
    EXPECT_GT(platform::blueOf(jpg.pixel(10, 10)), 240);
    // The codec decodes this one at an eighth: a thumbnail never needs the full picture.
    EXPECT_EQ(platform::readPictureFile(at("big.jpg"), library::kThumbnailSize).bitmap.size(), QSize(324, 243));
}

TEST_F(ThumbFixture, UndecodableFilesGiveEmptySlotsAndTheNextOneStillWorks)
{
    put(at("cut.jpg"), QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10));
    put(at("cut.bmp"), QByteArray("BM\xFF\xFF\xFF\x7F", 6));
    ASSERT_TRUE(platform::writeBmpFile(at("good.bmp"), Bitmap(8, 8, kRed)).ok());
    EXPECT_TRUE(maker.make(1, at("cut.jpg")).isNull());
    EXPECT_TRUE(maker.make(0, at("cut.bmp")).isNull());
    EXPECT_TRUE(maker.make(0, at("vanished.bmp")).isNull());
    EXPECT_FALSE(maker.make(0, at("good.bmp")).isNull());
    EXPECT_EQ(log.lines().size(), 3);
    EXPECT_TRUE(log.lines().first().contains("cut.jpg"));
}

TEST_F(ThumbFixture, VideoFramesAreCachedUntilTheFileChanges)
{
    put(at("clip.avi"), "first version");
    EXPECT_EQ(maker.make(2, at("clip.avi")).pixel(0, 0), kBlue);
    EXPECT_EQ(maker.make(2, at("clip.avi")).pixel(0, 0), kBlue);
    EXPECT_EQ(grabs, 1);
    put(at("clip.avi"), "second, longer version");
    maker.make(2, at("clip.avi"));
    EXPECT_EQ(grabs, 2);
}

TEST_F(ThumbFixture, AVideoWithoutFramesShowsTheRecordingPicture)
{
    ASSERT_TRUE(platform::writeBmpFile(recording, Bitmap(64, 48, kRed)).ok());
    put(at("broken.avi"), "x");
    frame.reset();
    const Bitmap shown = maker.make(2, at("broken.avi"));
    ASSERT_EQ(shown.size(), library::kThumbnailSize);
    EXPECT_EQ(shown.pixel(5, 5), kRed);
    frame = Bitmap(10, 10, kBlue);   // recorded further: the next turn of the page tries again
    EXPECT_EQ(maker.make(2, at("broken.avi")).pixel(5, 5), kBlue);
    EXPECT_EQ(grabs, 2);
}

TEST_F(ThumbFixture, NoFrameAndNoRecordingPictureIsAnEmptySlot)
{
    put(at("broken.avi"), "x");
    frame.reset();
    EXPECT_TRUE(maker.make(2, at("broken.avi")).isNull());
    EXPECT_GE(log.lines().size(), 2);
}

TEST(ThumbnailCache, LeastRecentlyUsedGoesFirst)
{
    library::ThumbnailCache cache(2);
    const library::FileStamp s{1, 2, 3};
    cache.insert("a", s, Bitmap(1, 1));
    cache.insert("b", s, Bitmap(2, 2));
    EXPECT_TRUE(cache.find("a", s));
    cache.insert("c", s, Bitmap(3, 3));
    EXPECT_TRUE(cache.find("a", s));
    EXPECT_FALSE(cache.find("b", s));
    EXPECT_FALSE(cache.find("c", library::FileStamp{1, 2, 4}));   // replaced by another inode
    EXPECT_EQ(cache.size(), 2);
}

struct RefusingTrash final : library::Trash {
    QString refuse;
    QStringList taken;
    bool moveToTrash(const QString &path) override
    {
        if (path.endsWith(refuse))
            return false;
        taken << path;
        return QFile::remove(path);
    }
};

TEST_F(ThumbFixture, SystemTrashKeepsTheFileRecoverable)
{
    library::SystemTrash trash(log);
    put(at("a.bmp"), "BM");
    EXPECT_EQ(library::deleteToTrash(trash, at("a.bmp")), library::DeleteOutcome::Trashed);
    EXPECT_FALSE(QFile::exists(at("a.bmp")));
    EXPECT_TRUE(QFile::exists(profile.path() + "/.local/share/Trash/files/a.bmp"));
    EXPECT_EQ(library::deleteToTrash(trash, QString()), library::DeleteOutcome::NothingToDelete);
    EXPECT_EQ(library::deleteToTrash(trash, at("gone.bmp")), library::DeleteOutcome::NothingToDelete);
}

TEST_F(ThumbFixture, WithoutATrashTheFileIsKept)
{
    put(at("blocker"), "a file where the trash folder would be");
    qputenv("XDG_DATA_HOME", at("blocker").toLocal8Bit());
    library::SystemTrash trash(log);
    put(at("keep.bmp"), "BM");
    const library::DeleteOutcome outcome = library::deleteToTrash(trash, at("keep.bmp"));
    if (outcome == library::DeleteOutcome::Trashed)
        GTEST_SKIP() << "this file system offers a trash of its own at its top folder";
    EXPECT_EQ(outcome, library::DeleteOutcome::Failed);
    EXPECT_TRUE(QFile::exists(at("keep.bmp")));
    EXPECT_TRUE(log.lines().last().contains("keep.bmp"));
}

TEST_F(ThumbFixture, DeleteAllTakesOnlyFilesOfTheKindAndStopsAtARefusal)
{
    QDir().mkpath(at("lib"));
    for (const char *name : {"a.jpg", "b.jpg", "c.jpeg", "d.jpg"})
        put(at("lib/") + name, "\xFF\xD8");
    put(at("lib/bmp-inside.jpg"), "BM");
    put(at("lib/clip.avi"), "");
    RefusingTrash trash;
    trash.refuse = "c.jpeg";
    const library::DeleteAllResult r = library::deleteAllOfKind(trash, at("lib"), 1, log);
    EXPECT_EQ(r.trashed, 2);
    EXPECT_TRUE(r.stopped);
    EXPECT_TRUE(log.contains("Exception Error at DeleteAllFile1Click"));
    EXPECT_EQ(QDir(at("lib")).entryList(QDir::Files, QDir::Name),
              (QStringList{"bmp-inside.jpg", "c.jpeg", "clip.avi", "d.jpg"}));
}

TEST(ImageFit, PanelPlacement)
{
    const QSize panel(400, 300);
    struct Row {
        QSize picture;
        QRect area;
    } rows[] = {
        {{640, 480}, {0, 0, 400, 300}},
        {{1600, 900}, {0, 37, 400, 225}},
        {{480, 640}, {88, 0, 224, 300}},   // 224.99998 in single precision
        {{1280, 1024}, {0, 0, 400, 300}},  // landscape, but narrower than the panel's ratio: stretched
        {{200, 100}, {100, 100, 200, 100}},
        // Narrower than the panel after the fit: the picture's own width wins again (the same for height).
        {{300, 2000}, {50, 0, 300, 300}},
        {{1000, 200}, {0, 50, 400, 200}},
        {{400, 300}, {0, 0, 400, 300}},
    };
    for (const Row &r : rows)
        EXPECT_EQ(library::fitViewImage(r.picture, panel), r.area) << r.picture.width() << "x" << r.picture.height();
}

TEST(OpenFile, DialogByPage)
{
    const QString data = "/p/Talvent Technology/Sendra-CAM/";
    struct Row {
        int page;
        bool viewer;
        bool turn, video;
        int filter;
        QString folder;
    } rows[] = {{0, false, false, false, 1, data + "DATA/Image/Bmp/"},
                {1, true, false, false, 2, data + "DATA/Image/Jpg/"},
                {2, false, false, true, 1, data + "DATA/Video"},
                {2, true, true, false, 2, data + "DATA/Image/Jpg/"}};
    for (const Row &r : rows) {
        const library::OpenFilePlan p = library::openFilePlan(r.page, r.viewer, data);
        EXPECT_EQ(p.turnToJpgPage, r.turn);
        EXPECT_EQ(p.video, r.video);
        EXPECT_EQ(p.filterIndex, r.filter);
        EXPECT_EQ(p.startFolder, r.folder);
    }
}

TEST_F(ThumbFixture, TheChosenTypeDecidesTheDecoding)
{
    ASSERT_TRUE(platform::writeBmpFile(at("p.jpg"), Bitmap(3, 2, kRed)).ok());
    EXPECT_TRUE(library::loadPictureAs(at("p.jpg"), 1).ok());
    EXPECT_EQ(library::loadPictureAs(at("p.jpg"), 2).error, platform::PictureError::OtherKind);   // it holds a BMP
    EXPECT_EQ(library::loadPictureAs(at("none.bmp"), 1).error, platform::PictureError::CannotOpen);
}
