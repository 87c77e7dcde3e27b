#include "library/ui/thumbnailbrowserwidget.h"
#include "library/ui/savedialogs.h"

#include "library/trash.h"

#include "state/usersettings.h"
#include "fakes.h"
#include "platform/diagnosticslog.h"
#include "platform/picturecodec.h"
#include "widgets/textfit.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

using library::ui::ThumbnailBrowserWidget;
using platform::Bitmap;

namespace {

struct RecordingTrash final : library::Trash {
    QStringList taken;
    bool moveToTrash(const QString &path) override
    {
        taken << path;
        return QFile::remove(path);
    }
};

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

} // namespace

struct BrowserFixture : ::testing::Test {
    fakes::TemporaryProfile profile;
    state::UserPaths paths = state::UserPaths::fromProfileDir(profile.path());
    state::ListPaths cur = paths.defListPath;
    platform::DiagnosticsLog log;
    RecordingTrash trash;
    QStringList asked;
    int answer = 1;
    std::optional<QString> pickedFolder;
    QString pickerTitle, pickerStart;
    QList<QUrl> opened;
    bool blocked = false;
    std::unique_ptr<ThumbnailBrowserWidget> browser;

    BrowserFixture()
    {
        state::createUserFolders(paths);
        library::ui::ThumbnailBrowserDeps deps{cur, paths.defListPath, log, trash,
                                                [](const QString &, int) -> std::optional<Bitmap> { return std::nullopt; },
                                                profile.path() + "/Recording.bmp"};
        deps.showMessageBox = [this](const QString &text, const QStringList &arguments, const QString &caption,
                                     bool withCancel, int icon) {
            asked << QStringLiteral("%1|%2|%3|%4|%5").arg(text, arguments.join(u','), caption).arg(withCancel).arg(icon);
            return answer;
        };
        deps.text = [](const QString &key) { return QStringLiteral("<%1>").arg(key); };
        deps.setFolder = [this](int kind, const QString &folder) { cur[std::size_t(kind)] = folder; };
        deps.useToolFolder = [this](int kind, const QString &folder) { cur[std::size_t(kind)] = folder; };
        deps.pickFolder = [this](const QString &title, const QString &start) {
            pickerTitle = title;
            pickerStart = start;
            return pickedFolder;
        };
        deps.openUrl = [this](const QUrl &url) {
            opened << url;
            return true;
        };
        deps.pageChangeBlocked = [this] { return blocked; };
        browser = std::make_unique<ThumbnailBrowserWidget>(std::move(deps));
    }
    QString dir(int kind) const { return cur[kind]; }
    void jpegs(int count, const QString &folder)
    {
        for (int i = 1; i <= count; ++i)
            ASSERT_TRUE(platform::writeJpegFile(folder + QStringLiteral("/Jpg_20141111_%1.jpg").arg(i, 5, 10, QChar(u'0')),
                                                Bitmap(64, 48, platform::rgbColor(i * 20, 0, 0)))
                            .ok());
    }
    bool filled(int kind, int slot) const { return !browser->slotLabel(kind, slot)->pixmap().isNull(); }
};

TEST_F(BrowserFixture, ControlsCarryTheirDesignNames)
{
    EXPECT_EQ(browser->objectName(), "PageControl1");
    const char *names[] = {"TabSheet1", "TabSheet3", "Bmp_Image1", "Jpg_Image5", "Avi_Image3", "BmpNum_Label",
                           "AviNum_Label", "ListJpg_UpDown", "ListAviPath_Btn", "OpenFile1", "DeleteFile1",
                           "DeleteAllFile1"};
    for (const char *name : names)
        EXPECT_NE(browser->findChild<QObject *>(QLatin1String(name)), nullptr) << name;
    EXPECT_EQ(browser->contextMenu()->objectName(), "PopupMenu_ListView");
    EXPECT_EQ(browser->slotLabel(0, 0)->size(), QSize(128, 96));
    EXPECT_EQ(browser->currentIndex(), 1);

    browser->applyTexts();
    EXPECT_EQ(browser->tabText(0), "<TabSheet1->Caption>");
    // Too long for one line of the button: on two, nothing lost.
    EXPECT_EQ(browser->findChild<QPushButton *>("ListJpgPath_Btn")->text().remove(u'\n'), "<ListJpgPath_Btn->Caption>");
    EXPECT_EQ(browser->contextMenu()->actions().at(2)->text(), "<DeleteAllFile1->Caption>");
}

TEST_F(BrowserFixture, EmptyFolderAndTwelveFiles)
{
    browser->FileList(1);
    browser->updatePageLabel();
    EXPECT_EQ(browser->numberLabel(1)->text(), "001/001");
    for (int s = 0; s < 5; ++s) {
        EXPECT_FALSE(filled(1, s));
        EXPECT_TRUE(browser->slotLabel(1, s)->toolTip().isEmpty());
    }

    jpegs(12, dir(1));
    browser->FileList(1);
    auto *next = browser->findChild<QToolButton *>("ListJpg_UpDownNext");
    ASSERT_NE(next, nullptr);
    const char *labels[] = {"001/003", "002/003", "003/003", "003/003"};
    for (const char *label : labels) {
        browser->updatePageLabel();
        EXPECT_EQ(browser->numberLabel(1)->text(), QLatin1String(label));
        QTest::mouseClick(next, Qt::LeftButton);
    }
    EXPECT_TRUE(filled(1, 0) && filled(1, 1));
    EXPECT_FALSE(filled(1, 2));
    EXPECT_EQ(browser->slotLabel(1, 1)->toolTip(), dir(1) + "/Jpg_20141111_00012.jpg");
    EXPECT_EQ(browser->slotLabel(1, 1)->pixmap().size(), QSize(128, 96));

    // The BMP page's control is not on the page shown: its clicks do nothing.
    browser->turnPage(0, true);
    EXPECT_EQ(browser->pages().kind(0).page, 0);
    browser->turnPage(1, false);
    EXPECT_EQ(browser->pages().kind(1).page, 1);
}

TEST_F(BrowserFixture, AnUndecodableFileTakesOnlyItsOwnSlot)
{
    jpegs(3, dir(1));
    put(dir(1) + "/Jpg_20141111_00002.jpg", QByteArray("\xFF\xD8\xFF\xDB garbage", 12));
    browser->FileList(1);
    EXPECT_TRUE(filled(1, 0));
    EXPECT_TRUE(browser->slotLabel(1, 1)->toolTip().endsWith("<PictureDamaged_MsgBox>"));   // the placeholder
    EXPECT_TRUE(filled(1, 2));
    EXPECT_EQ(log.lines().size(), 1);
    QSignalSpy open(browser.get(), &ThumbnailBrowserWidget::pictureOpenRequested);
    browser->activateSlot(1, 3);
    EXPECT_EQ(open.count(), 0);
    browser->activateSlot(1, 2);
    ASSERT_EQ(open.count(), 1);
    EXPECT_EQ(open.at(0).at(0).toString(), dir(1) + "/Jpg_20141111_00003.jpg");
}

TEST_F(BrowserFixture, VideosWithoutAFrameShowTheRecordingPicture)
{
    ASSERT_TRUE(platform::writeBmpFile(profile.path() + "/Recording.bmp", Bitmap(32, 24, 0x0000FF)).ok());
    put(dir(2) + "/Avi_20141111_00001.avi", "RIFF");
    browser->showKind(2);
    // The grab runs on a worker; what the slot shows is settled once it came back.
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser->pendingThumbnails() == 0; }, 20000));
    EXPECT_TRUE(log.contains("No frame of " + dir(2) + "/Avi_20141111_00001.avi at FileList"));
    ASSERT_TRUE(filled(2, 0));
    EXPECT_EQ(browser->slotLabel(2, 0)->pixmap().toImage().pixel(10, 10), qRgb(255, 0, 0));
    QSignalSpy play(browser.get(), &ThumbnailBrowserWidget::videoPlayRequested);
    browser->activateSlot(2, 0);
    browser->activateSlot(2, 1);   // empty: nothing to play
    ASSERT_EQ(play.count(), 1);
    EXPECT_EQ(play.at(0).at(0).toString(), dir(2) + "/Avi_20141111_00001.avi");
}

TEST_F(BrowserFixture, ANewFileTurnsToItsPage)
{
    jpegs(17, dir(1));
    browser->FileList(1);
    browser->turnPage(1, true);
    const QString newest = dir(1) + "/Jpg_20141111_00018.jpg";
    ASSERT_TRUE(platform::writeJpegFile(newest, Bitmap(8, 8)).ok());
    browser->markNewFile(1, newest);
    browser->showKind(1);
    browser->updatePageLabel();
    EXPECT_EQ(browser->numberLabel(1)->text(), "004/004");
    EXPECT_EQ(browser->slotLabel(1, 2)->toolTip(), newest);
}

TEST_F(BrowserFixture, DeleteFileAsksAndResetsTheStillImageWhateverTheAnswer)
{
    jpegs(2, dir(1));
    browser->FileList(1);
    QSignalSpy reset(browser.get(), &ThumbnailBrowserWidget::stillImageReset);

    answer = 2;
    browser->rememberContext(1, 0);
    browser->DeleteFile1Click();
    EXPECT_TRUE(trash.taken.isEmpty());
    EXPECT_EQ(reset.count(), 1);
    // The question names the file, whose thumbnail is highlighted.
    EXPECT_EQ(asked, QStringList{"WhetherDeleteFile_MsgBox|Jpg_20141111_00001.jpg|AttentionTitle_MsgBox|1|3"});
    EXPECT_EQ(browser->highlightedSlot(1), 0);

    answer = 1;
    browser->rememberContext(1, 0);
    browser->DeleteFile1Click();
    EXPECT_EQ(trash.taken, QStringList{dir(1) + "/Jpg_20141111_00001.jpg"});
    EXPECT_EQ(reset.count(), 2);
    EXPECT_EQ(browser->slotLabel(1, 0)->toolTip(), dir(1) + "/Jpg_20141111_00002.jpg");
}

TEST_F(BrowserFixture, ADeletedFilesThumbnailIsForgottenAndOnlyTheRemainingFilesShow)
{
    jpegs(3, dir(1));
    browser->FileList(1);
    const QString gone = dir(1) + "/Jpg_20141111_00002.jpg";
    const std::optional<library::FileStamp> stamp = library::stampOf(gone);
    ASSERT_TRUE(stamp);
    ASSERT_TRUE(browser->thumbnails().cache().find(gone, *stamp)) << "shown once, so cached";

    browser->rememberContext(1, 1);
    browser->DeleteFile1Click();   // answered OK
    ASSERT_FALSE(QFile::exists(gone));
    EXPECT_FALSE(browser->thumbnails().cache().find(gone, *stamp)) << "a file that is gone lends its picture to nobody";
    EXPECT_EQ(browser->slotLabel(1, 0)->toolTip(), dir(1) + "/Jpg_20141111_00001.jpg");
    EXPECT_EQ(browser->slotLabel(1, 1)->toolTip(), dir(1) + "/Jpg_20141111_00003.jpg");
    EXPECT_TRUE(filled(1, 0));
    EXPECT_TRUE(filled(1, 1));
    EXPECT_FALSE(filled(1, 2));
    EXPECT_EQ(browser->slotLabel(1, 2)->toolTip(), "");

    // Removed behind the browser's back: the next refresh forgets it as well.
    const QString third = dir(1) + "/Jpg_20141111_00003.jpg";
    const std::optional<library::FileStamp> thirdStamp = library::stampOf(third);
    ASSERT_TRUE(thirdStamp);
    ASSERT_TRUE(QFile::remove(third));
    browser->FileList(1);
    EXPECT_FALSE(browser->thumbnails().cache().find(third, *thirdStamp));
    EXPECT_FALSE(filled(1, 1));
}

TEST_F(BrowserFixture, DeleteAllTakesTheRightClickedPagesFolder)
{
    // Another page was listed last (refresh of all three); the BMP thumbnail's command must still
    // empty the BMP folder only.
    ASSERT_TRUE(platform::writeBmpFile(dir(0) + "/Bmp_20141111_00001.bmp", Bitmap(8, 8)).ok());
    ASSERT_TRUE(platform::writeBmpFile(dir(0) + "/Bmp_20141111_00002.bmp", Bitmap(8, 8)).ok());
    jpegs(2, dir(1));
    put(dir(2) + "/Avi_20141111_00001.avi", "RIFF");
    browser->refreshAll();
    QSignalSpy videoLeaving(browser.get(), &ThumbnailBrowserWidget::videoDeletionStarting);
    browser->rememberContext(0, 1);
    browser->DeleteAllFile1Click();
    EXPECT_EQ(asked, QStringList{"WhetherDeleteAllImage_MsgBox||AttentionTitle_MsgBox|1|3"});
    EXPECT_EQ(trash.taken.size(), 2);
    EXPECT_TRUE(QDir(dir(0)).isEmpty());
    EXPECT_EQ(QDir(dir(1)).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(videoLeaving.count(), 0);
    EXPECT_FALSE(filled(0, 0));

    browser->rememberContext(2, 0);
    browser->DeleteAllFile1Click();
    EXPECT_EQ(videoLeaving.count(), 1);
    EXPECT_TRUE(QDir(dir(2)).isEmpty());
}

TEST_F(BrowserFixture, FolderButtonsRestoreAndOpenFolder)
{
    const QString other = profile.path() + "/other";
    QDir().mkpath(other);
    jpegs(1, other);
    pickedFolder = other + "/";
    browser->findChild<QPushButton *>("ListJpgPath_Btn")->click();
    EXPECT_EQ(pickerTitle, "<PathOptionInfo_Dlg>");
    EXPECT_EQ(pickerStart, paths.defListPath[1]);
    EXPECT_EQ(cur[1], other);
    EXPECT_TRUE(filled(1, 0));

    pickedFolder.reset();
    browser->chooseFolder(0);
    EXPECT_EQ(cur[0], paths.defListPath[0]);

    cur[2] = profile.path() + "/gone";
    pickedFolder.reset();
    browser->chooseFolder(2);
    EXPECT_TRUE(pickerStart.isEmpty());   // a folder that no longer exists is not offered

    browser->RestoreDefaultPath();
    EXPECT_EQ(cur, paths.defListPath);
    EXPECT_FALSE(filled(1, 0));

    EXPECT_TRUE(browser->openFolder(2));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(paths.defListPath[2]));
}

TEST_F(BrowserFixture, PageChangesRefreshUnlessAToolRuns)
{
    ASSERT_TRUE(platform::writeBmpFile(dir(0) + "/a.bmp", Bitmap(8, 8)).ok());
    QSignalSpy changed(browser.get(), &ThumbnailBrowserWidget::pageChanged);
    blocked = true;
    browser->setCurrentIndex(0);
    EXPECT_FALSE(filled(0, 0));
    EXPECT_EQ(changed.count(), 0);
    blocked = false;
    browser->setCurrentIndex(2);
    browser->setCurrentIndex(0);
    EXPECT_TRUE(filled(0, 0));
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed.at(1).at(0).toInt(), 0);
}

TEST_F(BrowserFixture, ASingleClickChoosesAndHighlightsWithoutOpening)
{
    jpegs(7, dir(1));
    browser->show();
    browser->FileList(1);
    QSignalSpy chosen(browser.get(), &ThumbnailBrowserWidget::fileChosen);
    QSignalSpy opened(browser.get(), &ThumbnailBrowserWidget::pictureOpenRequested);
    EXPECT_EQ(browser->highlightedSlot(1), -1);
    QTest::mouseClick(browser->slotLabel(1, 1), Qt::LeftButton);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(1).toString(), dir(1) + "/Jpg_20141111_00002.jpg");
    EXPECT_EQ(opened.count(), 0) << "opening stays with the double click";
    EXPECT_EQ(browser->highlightedSlot(1), 1);
    EXPECT_EQ(browser->slotLabel(1, 1)->parentWidget()->backgroundRole(), QPalette::Highlight);
    QTest::mouseClick(browser->slotLabel(1, 3), Qt::LeftButton);
    EXPECT_EQ(browser->highlightedSlot(1), 3);
    EXPECT_EQ(browser->slotLabel(1, 1)->parentWidget()->backgroundRole(), QPalette::Window);
    QTest::mouseClick(browser->slotLabel(1, 4), Qt::LeftButton);   // slot 5 is empty on page 2 only
    EXPECT_EQ(browser->highlightedSlot(1), 4);

    // Turning the page: the highlight goes with its file, and comes back with it.
    browser->turnPage(1, true);
    EXPECT_EQ(browser->highlightedSlot(1), -1);
    QTest::mouseClick(browser->slotLabel(1, 4), Qt::LeftButton);   // empty: chooses nothing
    EXPECT_EQ(chosen.count(), 3);
    browser->turnPage(1, false);
    EXPECT_EQ(browser->highlightedSlot(1), 4);
}

TEST_F(BrowserFixture, RevealTurnsToThePageOfTheFileAndHighlightsIt)
{
    jpegs(12, dir(1));
    ASSERT_TRUE(platform::writeBmpFile(dir(0) + "/Bmp_20141111_00001.bmp", Bitmap(8, 8)).ok());
    browser->FileList(1);
    EXPECT_TRUE(browser->reveal(dir(1) + "/Jpg_20141111_00012.jpg"));
    EXPECT_EQ(browser->currentIndex(), 1);
    EXPECT_EQ(browser->pages().kind(1).page, 2);
    EXPECT_EQ(browser->highlightedSlot(1), 1);
    EXPECT_TRUE(browser->reveal(dir(0) + "/Bmp_20141111_00001.bmp"));
    EXPECT_EQ(browser->currentIndex(), 0);
    EXPECT_EQ(browser->highlightedSlot(0), 0);
    EXPECT_EQ(browser->highlightedSlot(1), -1);
    // Not in a library folder, or while a tool holds the pages: nothing turns.
    EXPECT_FALSE(browser->reveal(profile.path() + "/elsewhere.jpg"));
    blocked = true;
    EXPECT_FALSE(browser->reveal(dir(1) + "/Jpg_20141111_00003.jpg"));
    EXPECT_EQ(browser->currentIndex(), 0);
}

TEST_F(BrowserFixture, APictureThatCannotBeReadShowsAPlaceholderWithItsNameAndReason)
{
    jpegs(2, dir(1));
    QByteArray cut;
    {
        QFile whole(dir(1) + "/Jpg_20141111_00002.jpg");
        ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
        cut = whole.read(40);   // the signature and part of a header: nothing to show
    }
    put(dir(1) + "/Jpg_20141111_00002.jpg", cut);
    browser->FileList(1);
    EXPECT_TRUE(filled(1, 0));
    ASSERT_TRUE(filled(1, 1)) << "a broken file is not an empty slot";
    EXPECT_EQ(browser->slotLabel(1, 1)->toolTip(),
              dir(1) + "/Jpg_20141111_00002.jpg\n<PictureDamaged_MsgBox>");
    // The placeholder is grey with dark writing: the words and the name are drawn on it.
    const QImage shown = browser->slotLabel(1, 1)->pixmap().toImage();
    EXPECT_EQ(shown.size(), QSize(128, 96));
    EXPECT_EQ(shown.pixelColor(64, 2), QColor(0xD8, 0xD8, 0xD8));
    int dark = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x)
            dark += qGray(shown.pixel(x, y)) < 100;
    EXPECT_GT(dark, 40);
    // Opening it is still offered: the window then says why it cannot be opened.
    QSignalSpy opened(browser.get(), &ThumbnailBrowserWidget::pictureOpenRequested);
    browser->activateSlot(1, 1);
    EXPECT_EQ(opened.count(), 1);
}

TEST(SaveDialogs, PreparedAsRequested)
{
    QTemporaryDir dir;
    const auto still = library::ui::makeStillSaveDialog(nullptr, {2, dir.path(), "Jpg_20141111_00003"});
    EXPECT_EQ(still->selectedNameFilter(), "JPEG Image File (*.jpg)");
    EXPECT_EQ(still->nameFilters().size(), 2);
    EXPECT_EQ(still->defaultSuffix(), "jpg");   // the JPEG filter is selected
    EXPECT_EQ(still->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(QDir(still->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
    const auto video = library::ui::makeVideoSaveDialog(nullptr, {1, dir.path(), "Avi_20141111_00001"});
    EXPECT_TRUE(video->selectedNameFilter().endsWith("(*.avi)"));   // Qt folds the double space
    EXPECT_EQ(video->defaultSuffix(), "avi");
}

// The page fits the height the tab row leaves it, whatever the language's font: in the program's
// 800 x 136 place, with a tall font (as Chinese, Japanese and Korean have), every frame, the page
// number, the up-down and the folder button lie inside the sheet, and a caption too long for the
// button takes two lines that the button is tall enough for (languages_fit_at_1024x768 checks
// the real captions in their real fonts).
TEST_F(BrowserFixture, APageFitsTheSheetTheTabRowLeavesIt)
{
    for (int pointSize : {9, 11}) {
        SCOPED_TRACE(pointSize);
        QFont font = browser->font();
        font.setPointSize(pointSize);
        browser->setFont(font);
        browser->setGeometry(0, 0, 800, 136);
        browser->show();
        browser->applyTexts();
        QWidget *sheet = browser->widget(1);
        for (QWidget *w : sheet->findChildren<QWidget *>()) {
            if (w->parentWidget() != sheet)
                continue;
            EXPECT_TRUE(sheet->rect().contains(w->geometry())) << w->objectName().toStdString();
        }
        // Thumbnails stay whole and centred across.
        EXPECT_EQ(browser->slotLabel(1, 0)->size(), QSize(128, 96));
        EXPECT_EQ(browser->slotLabel(1, 0)->x(), 5);
        // The caption goes on two lines, and the button is tall enough for them.
        auto *button = browser->findChild<QPushButton *>("ListJpgPath_Btn");
        EXPECT_EQ(button->text().count(u'\n'), 1);
        EXPECT_LE(button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).height(), button->height());
    }
}

// Two lines where the wider one is narrowest: at a space when there is one, else between
// characters. A fake font: every character 10 pixels wide.
TEST(TwoLines, BreaksWhereTheWiderLineIsNarrowest)
{
    const widgets::TextWidth tenEach = [](QStringView t) { return int(t.size()) * 10; };
    struct Row {
        const char *text;
        int width;
        const char *expected;
    };
    const Row rows[] = {
        {"Image Folder", 120, "Image Folder"},              // fits: as it is
        {"Image Folder", 80, "Image\nFolder"},
        {"Dossier d'images", 80, "Dossier\nd'images"},
        {"Pasta de imagens", 100, "Pasta de\nimagens"},    // 80 | 70 beats 50 | 100
        {"ABCDEFG", 40, "ABCD\nEFG"},                      // no space: between characters
        {"AB", 10, "A\nB"},
    };
    for (const Row &r : rows)
        EXPECT_EQ(widgets::twoLines(QString::fromUtf8(r.text), r.width, tenEach), QString::fromUtf8(r.expected)) << r.text;
    // Japanese, 7 characters: 4 and 3.
    EXPECT_EQ(widgets::twoLines(QStringLiteral("画像フォルダー"), 50, tenEach), QStringLiteral("画像フォ\nルダー"));
    // A character outside the basic plane is never cut in half.
    const QString wide = QStringLiteral("A") + QString::fromUcs4(U"\U0001F4C1") + QStringLiteral("B");
    for (const QString &line : widgets::twoLines(wide, 10, tenEach).split(u'\n'))
        EXPECT_FALSE(line.front().isLowSurrogate() || line.back().isHighSurrogate());
}
