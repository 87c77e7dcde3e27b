#include "library/filelister.h"
#include "library/librarypages.h"

#include "platform/picturecodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using library::LibraryPages;

namespace {

const QByteArray kBmpHead("BM\x36\x00\x00\x00", 6);
const QByteArray kJpgHead("\xFF\xD8\xFF\xE0", 4);

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

QStringList names(const QStringList &paths)
{
    QStringList out;
    for (const QString &p : paths)
        out << p.section(u'/', -1);
    return out;
}

} // namespace

struct ListerFixture : ::testing::Test {
    QTemporaryDir dir;
    QString at(const QString &name) const { return dir.filePath(name); }
    void captures(int count, const char *word, const QByteArray &head)
    {
        for (int i = 1; i <= count; ++i)
            put(at(QStringLiteral("%1_20141111_%2.%3").arg(QLatin1String(word)).arg(i, 5, 10, QLatin1Char('0'))
                       .arg(QString::fromLatin1(word).toLower())),
                head);
    }
};

TEST_F(ListerFixture, ExtensionAndHeaderDecideTheKind)
{
    put(at("a.bmp"), kBmpHead);
    put(at("B.BMP"), kBmpHead);
    put(at("bmp-inside.jpg"), kBmpHead);   // a .jpg holding a BMP
    put(at("jpeg-inside.bmp"), kJpgHead);
    put(at("c.jpg"), kJpgHead);
    put(at("d.JPEG"), kJpgHead);
    put(at("e.jpg.txt"), kJpgHead);
    put(at("short.bmp"), "B");
    put(at("empty.jpg"), QByteArray());
    put(at("clip.avi"), "not checked");
    put(at(".hidden.avi"), "");
    QDir(dir.path()).mkdir("folder.avi");
    QDir(dir.path()).mkdir("sub");
    put(at("sub/deeper.bmp"), kBmpHead);

    EXPECT_EQ(names(library::listLibraryFiles(dir.path(), 0)), (QStringList{"a.bmp", "B.BMP"}));
    EXPECT_EQ(names(library::listLibraryFiles(dir.path(), 1)), (QStringList{"c.jpg", "d.JPEG"}));
    EXPECT_EQ(names(library::listLibraryFiles(dir.path(), 2)), (QStringList{".hidden.avi", "clip.avi"}));
    EXPECT_EQ(library::listLibraryFiles(dir.path(), 0).first(), dir.path() + "/a.bmp");

    QStringList out;
    library::FindFiles(dir.path(), QString(), 2, out);
    EXPECT_TRUE(out.isEmpty());
}

TEST_F(ListerFixture, MissingAndUnreadableFoldersListNothing)
{
    EXPECT_TRUE(library::listLibraryFiles(at("missing"), 0).isEmpty());
    put(at("x.bmp"), kBmpHead);
    EXPECT_TRUE(library::listLibraryFiles(at("x.bmp"), 0).isEmpty());   // a file, not a folder
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads folders without permission";
    QFile::setPermissions(dir.path(), QFileDevice::WriteOwner);
    EXPECT_TRUE(library::listLibraryFiles(dir.path(), 0).isEmpty());
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(LibraryOrder, CaseInsensitiveThenDateAndNumber)
{
    QStringList paths{"/f/b.bmp", "/f/A.bmp", "/f/c.bmp", "/f/Bmp_20141112_00001.bmp", "/f/Bmp_20141111_00010.bmp",
                      "/f/Bmp_20141111_00002.bmp"};
    library::sortLibraryPaths(paths);
    EXPECT_EQ(paths, (QStringList{"/f/A.bmp", "/f/b.bmp", "/f/Bmp_20141111_00002.bmp", "/f/Bmp_20141111_00010.bmp",
                                  "/f/Bmp_20141112_00001.bmp", "/f/c.bmp"}));
}

TEST(PageArithmetic, LastPageAndLabel)
{
    const std::pair<int, int> last[] = {{0, 0}, {1, 0}, {5, 0}, {6, 1}, {12, 2}, {15, 2}, {16, 3}};
    for (const auto &[count, page] : last)
        EXPECT_EQ(library::lastPageOf(count), page) << count;
    EXPECT_EQ(library::pageLabel(0, 0), "001/001");
    EXPECT_EQ(library::pageLabel(1, 2), "002/003");
    EXPECT_EQ(library::pageLabel(999, 1200), "1000/1201");
}

TEST_F(ListerFixture, EmptyFolderShowsFiveEmptySlotsOnPageOne)
{
    LibraryPages pages;
    const LibraryPages::Kind &k = pages.refresh(1, dir.path());
    EXPECT_EQ(pages.label(1), "001/001");
    for (const QString &slot : k.slots)
        EXPECT_TRUE(slot.isEmpty());
    EXPECT_FALSE(pages.next(1));
    EXPECT_FALSE(pages.previous(1));
}

TEST_F(ListerFixture, TwelveFilesMakeThreePages)
{
    captures(12, "Jpg", kJpgHead);
    LibraryPages pages;
    pages.refresh(1, dir.path());
    const char *labels[] = {"001/003", "002/003", "003/003"};
    for (int page = 0; page < 3; ++page) {
        EXPECT_EQ(pages.label(1), QLatin1String(labels[page]));
        if (page < 2) {
            ASSERT_TRUE(pages.next(1));
            pages.refresh(1, dir.path());
        }
    }
    EXPECT_FALSE(pages.next(1));
    const LibraryPages::Kind &last = pages.kind(1);
    EXPECT_EQ(last.slots[0].section(u'/', -1), "Jpg_20141111_00011.jpg");
    EXPECT_EQ(last.slots[1].section(u'/', -1), "Jpg_20141111_00012.jpg");
    EXPECT_TRUE(last.slots[2].isEmpty() && last.slots[3].isEmpty() && last.slots[4].isEmpty());
}

TEST_F(ListerFixture, DeletingTheOnlyFileOfTheLastPageTurnsBack)
{
    captures(6, "Bmp", kBmpHead);
    LibraryPages pages;
    pages.refresh(0, dir.path());
    pages.next(0);
    EXPECT_EQ(pages.refresh(0, dir.path()).page, 1);
    QFile::remove(at("Bmp_20141111_00006.bmp"));
    const LibraryPages::Kind &k = pages.refresh(0, dir.path());
    EXPECT_EQ(k.page, 0);
    EXPECT_EQ(pages.label(0), "001/001");
    EXPECT_FALSE(k.slots[4].isEmpty());
}

TEST_F(ListerFixture, ANewFileTurnsToItsPageOnce)
{
    captures(17, "Jpg", kJpgHead);
    LibraryPages pages;
    pages.refresh(1, dir.path());
    pages.next(1);
    EXPECT_EQ(pages.refresh(1, dir.path()).page, 1);   // page 2 of 4
    put(at("Jpg_20141111_00018.jpg"), kJpgHead);
    pages.markNewFile(1, at("Jpg_20141111_00018.jpg"));
    const LibraryPages::Kind &k = pages.refresh(1, dir.path());
    EXPECT_EQ(k.page, 3);
    EXPECT_EQ(k.slots[2], at("Jpg_20141111_00018.jpg"));
    EXPECT_FALSE(pages.hasMark(1));
    pages.previous(1);
    EXPECT_EQ(pages.refresh(1, dir.path()).page, 2);   // the mark is used once

    pages.markNewFile(1, "/elsewhere/chosen.jpg");   // saved outside the folder: index -1, page 0
    EXPECT_EQ(pages.refresh(1, dir.path()).page, 0);
}

TEST_F(ListerFixture, LinksCountByWhatTheyPointTo)
{
    QDir(dir.path()).mkpath("store");
    put(at("store/real.bmp"), kBmpHead);
    put(at("store/text.bmp"), "not a picture");
    ASSERT_EQ(::symlink(qPrintable(at("store/real.bmp")), qPrintable(at("linked.bmp"))), 0);
    ASSERT_EQ(::symlink(qPrintable(at("store/text.bmp")), qPrintable(at("linked-text.bmp"))), 0);
    ASSERT_EQ(::symlink(qPrintable(at("store/gone.bmp")), qPrintable(at("dangling.bmp"))), 0);
    ASSERT_EQ(::symlink(qPrintable(at("store")), qPrintable(at("folder.bmp"))), 0);
    EXPECT_EQ(library::listLibraryFiles(dir.path(), 0), QStringList{at("linked.bmp")});
}

TEST_F(ListerFixture, AFileWrittenBetweenOthersTurnsToThePageItLandsOn)
{
    captures(10, "Jpg", kJpgHead);
    QFile::remove(at("Jpg_20141111_00005.jpg"));
    LibraryPages pages;
    pages.refresh(1, dir.path());
    ASSERT_TRUE(pages.next(1));
    EXPECT_EQ(pages.refresh(1, dir.path()).page, 1);
    put(at("Jpg_20141111_00005.jpg"), kJpgHead);   // fifth of ten: the last slot of page one
    pages.markNewFile(1, at("Jpg_20141111_00005.jpg"));
    const LibraryPages::Kind &k = pages.refresh(1, dir.path());
    EXPECT_EQ(k.page, 0);
    EXPECT_EQ(k.slots[4], at("Jpg_20141111_00005.jpg"));
    EXPECT_EQ(pages.label(1), "001/002");
}
