// The library as a user meets it in the whole program: Delete acts on the file chosen last and
// names it, a file that cannot be read says why wherever it is opened, and the automation tools'
// output folders are not stored as the user's library folders.
#include "imaging/stilldocument.h"
#include "imaging/ui/comparecontroller.h"
#include "imaging/ui/stillimagecontroller.h"
#include "library/ui/thumbnailbrowserwidget.h"
#include "platform/iniprofilestore.h"
#include "platform/picturecodec.h"
#include "tools/imagestovideoconverter.h"
#include "tools/ui/automationcontroller.h"
#include "tools/ui/img2viddialog.h"
#include "tools/ui/timingcapdialog.h"

#include "wholeprogram.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

using C = state::ControlId;
using wholeprogram::Program;

namespace {

platform::Bitmap shade(int n) { return platform::Bitmap(64, 48, platform::rgbColor(n * 30, 90, 200 - n * 20)); }

QString writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
    return path;
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A BMP whose header claims `width` x `height` pixels, with no pixels behind it.
QByteArray bmpClaiming(int width, int height)
{
    QByteArray b = platform::encodeBmpHeader(4, 4);
    for (int i = 0; i < 4; ++i) {
        b[18 + i] = char((width >> (8 * i)) & 0xFF);
        b[22 + i] = char((height >> (8 * i)) & 0xFF);
    }
    return b;
}

QString trashed(const QString &path)
{
    return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash/files/") + QFileInfo(path).fileName();
}

struct LibraryProgram : Program {
    library::ui::ThumbnailBrowserWidget &browser() { return app->still().browser(); }
    imaging::StillDocument &document() { return app->still().document(); }
    QString jpgFolder() { return shell().state().curListPath()[state::kListJpg]; }
    QString jpg(int n) { return jpgFolder() + QStringLiteral("/Jpg_20261210_%1.jpg").arg(n, 5, 10, QLatin1Char('0')); }
    void jpegs(int count)
    {
        for (int n = 1; n <= count; ++n)
            ASSERT_TRUE(platform::writeJpegFile(jpg(n), shade(n)).ok());
        browser().FileList(state::kListJpg);
    }
    void pressDelete()
    {
        shell().UpdateActions();
        QAbstractButton *del = shell().controls().mainButton(C::DelViewVideo_Btn);
        ASSERT_TRUE(del->isVisible());
        QTest::mouseClick(del, Qt::LeftButton);
    }
};

} // namespace

TEST(Library, DeleteActsOnTheThumbnailClickedLastAndNamesItWhileHighlighted)
{
    LibraryProgram p;
    p.jpegs(7);
    // 00007 is opened into the still area from the second page, then thumbnail 1 is clicked.
    p.browser().turnPage(state::kListJpg, true);
    QTest::mouseDClick(p.browser().slotLabel(state::kListJpg, 1), Qt::LeftButton);
    ASSERT_EQ(p.document().filePath(), p.jpg(7));
    EXPECT_EQ(p.browser().highlightedSlot(state::kListJpg), 1) << "the picture opened is the one chosen";
    p.browser().turnPage(state::kListJpg, false);
    QTest::mouseClick(p.browser().slotLabel(state::kListJpg, 0), Qt::LeftButton);
    EXPECT_EQ(p.document().filePath(), p.jpg(7)) << "a single click opens nothing";

    int highlighted = -2;
    int page = -1;
    p.presenter.whileOpen = [&](const QString &) {
        highlighted = p.browser().highlightedSlot(state::kListJpg);
        page = p.browser().pages().kind(state::kListJpg).page;
    };
    p.pressDelete();
    ASSERT_EQ(p.presenter.texts, QStringList{"Delete Jpg_20261210_00001.jpg?"});
    EXPECT_EQ(page, 0);
    EXPECT_EQ(highlighted, 0);
    EXPECT_FALSE(QFile::exists(p.jpg(1)));
    EXPECT_TRUE(QFile::exists(trashed(p.jpg(1))));
    EXPECT_TRUE(QFile::exists(p.jpg(7))) << "never another file";
    EXPECT_EQ(p.document().filePath(), p.jpg(7)) << "the picture shown stays";
    EXPECT_FALSE(p.document().isEmpty());

    // Now the picture shown is the last choice: its page turns up with it highlighted, by name.
    p.presenter.answers = {state::kResultCancel};
    p.pressDelete();
    ASSERT_EQ(p.presenter.texts.size(), 2);
    EXPECT_EQ(p.presenter.texts[1], "Delete Jpg_20261210_00007.jpg?");
    EXPECT_EQ(page, 1);   // 00002 .. 00007 are left: 00007 is the first of page 2
    EXPECT_EQ(highlighted, 0);
    EXPECT_TRUE(QFile::exists(p.jpg(7)));
    p.pressDelete();   // OK
    EXPECT_FALSE(QFile::exists(p.jpg(7)));
    EXPECT_TRUE(p.document().isEmpty());
    EXPECT_EQ(p.browser().highlightedSlot(state::kListJpg), -1);
}

TEST(Library, TheContextMenusDeleteNamesTheFileRightClicked)
{
    LibraryProgram p;
    p.jpegs(3);
    QLabel *slot = p.browser().slotLabel(state::kListJpg, 2);
    int highlighted = -2;
    p.presenter.whileOpen = [&](const QString &) { highlighted = p.browser().highlightedSlot(state::kListJpg); };
    p.presenter.answers = {state::kResultCancel};
    p.browser().rememberContext(state::kListJpg, 2);
    p.browser().DeleteFile1Click();
    EXPECT_EQ(p.presenter.texts, QStringList{"Delete Jpg_20261210_00003.jpg?"});
    EXPECT_EQ(highlighted, 2);
    EXPECT_TRUE(QFile::exists(p.jpg(3)));
    EXPECT_EQ(slot->toolTip(), p.jpg(3));
}

TEST(Library, AFileThatCannotBeReadSaysWhichAndWhyWhereverItIsOpened)
{
    LibraryProgram p;
    const QString folder = p.shell().paths().userDataDir + QStringLiteral("broken");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QByteArray bmp = platform::encodeBmpHeader(40, 30) + QByteArray(40 * 3 * 30, '\x40');
    struct Case {
        const char *name;
        QByteArray bytes;
        QString message;
    };
    const Case cases[] = {
        {"empty.jpg", {}, "empty.jpg cannot be opened: the file is empty."},
        {"notes.jpg", "hello", "notes.jpg cannot be opened: not a BMP or JPEG picture."},
        {"huge.bmp", bmpClaiming(20000, 20000),
         "huge.bmp cannot be opened: picture 20000 x 20000 is larger than 16384 x 16384 pixels."},
        {"cut.bmp", bmp.left(bmp.size() - 500), "cut.bmp cannot be opened: the file ends before the picture does."},
    };
    for (const Case &c : cases) {
        const QString path = writeBytes(QDir(folder).filePath(QLatin1String(c.name)), c.bytes);
        // Opened from the library (the double click's way) ...
        p.presenter.texts.clear();
        p.app->still().openPicture(path);
        EXPECT_EQ(p.presenter.texts, QStringList{c.message}) << c.name;
        EXPECT_TRUE(p.document().isEmpty()) << c.name;
        // ... and through File > Open, whose dialog opens with the JPEG type on the JPG page: the
        // reason is the one the chosen type gives.
        p.presenter.texts.clear();
        p.dialogs.file = [&](QFileDialog &) { return std::optional<QString>(path); };
        p.shell().controls().action(C::OpenFile)->trigger();
        ASSERT_EQ(p.presenter.texts.size(), 1) << c.name;
        EXPECT_TRUE(p.presenter.texts[0].startsWith(QLatin1String(c.name) + QStringLiteral(" cannot be opened: ")))
            << p.presenter.texts[0].toStdString();
    }
    // Through the menu as a JPEG, the BMP's own reason is that it is no JPEG.
    EXPECT_EQ(p.presenter.texts.last(), "cut.bmp cannot be opened: the file holds a BMP picture, not a JPEG one.");
}

TEST(Library, ATruncatedJpegOpensWithAWarningInTheStatusLine)
{
    LibraryProgram p;
    const QString whole = p.jpg(1);
    QImage busy(320, 240, QImage::Format_RGB32);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            busy.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, (x * y) % 256));
    ASSERT_TRUE(platform::writeJpegFile(whole, platform::Bitmap(busy)).ok());
    const QByteArray bytes = bytesOf(whole);
    const QString cut = writeBytes(p.jpgFolder() + QStringLiteral("/cut.jpg"), bytes.left(bytes.size() / 2));
    p.app->still().openPicture(cut);
    EXPECT_TRUE(p.presenter.texts.isEmpty());
    EXPECT_EQ(p.document().filePath(), cut);
    EXPECT_EQ(p.document().picture().size(), QSize(320, 240));
    EXPECT_EQ(p.shell().window().statusBar()->currentMessage(),
              "cut.jpg is incomplete: the end of the picture is missing and shown in grey.");
}

TEST(Library, OpeningAPictureEmptiesTheClipboard)
{
    LibraryProgram p;
    p.jpegs(1);
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setImage(QImage(8, 8, QImage::Format_RGB32));
    ASSERT_FALSE(clipboard->image().isNull());
    QTest::mouseDClick(p.browser().slotLabel(state::kListJpg, 0), Qt::LeftButton);
    ASSERT_EQ(p.document().filePath(), p.jpg(1));
    EXPECT_TRUE(clipboard->image().isNull());
}

TEST(Library, OpenFileAsksAboutUnsavedEditsBeforeTheDialogEvenWhenItIsCancelled)
{
    LibraryProgram p;
    p.document().load(shade(1), QString());
    p.document().markUnsaved();
    const QString question = p.shell().texts().text("WhetherSaveImage_MsgBox");
    int askedBeforeDialog = -1;
    p.dialogs.file = [&](QFileDialog &) {
        askedBeforeDialog = int(p.presenter.texts.size());
        return std::optional<QString>();
    };
    p.presenter.answers = {state::kResultCancel};
    p.shell().controls().action(C::OpenFile)->trigger();
    EXPECT_EQ(askedBeforeDialog, 1);
    EXPECT_EQ(p.presenter.texts, QStringList{question});
    EXPECT_TRUE(p.document().hasUnsavedEdits()) << "Cancel keeps the edits";

    // Chosen after the question: nothing is asked a second time.
    p.jpegs(1);
    p.presenter.texts.clear();
    p.presenter.answers = {state::kResultCancel};
    p.dialogs.file = [&](QFileDialog &) { return std::optional<QString>(p.jpg(1)); };
    p.shell().controls().action(C::OpenFile)->trigger();
    EXPECT_EQ(p.presenter.texts, QStringList{question});
    EXPECT_EQ(p.document().filePath(), p.jpg(1));
}

TEST(Library, AComparisonReferenceThatCannotBeReadSaysWhy)
{
    LibraryProgram p;
    ASSERT_TRUE(p.connect());
    p.shell().UpdateActions();
    const QString empty = writeBytes(p.jpgFolder() + QStringLiteral("/reference.jpg"), {});
    p.dialogs.file = [&](QFileDialog &) { return std::optional<QString>(empty); };
    QAbstractButton *assign = p.shell().controls().button(C::CompareTB_AssignFile);
    ASSERT_TRUE(assign->isVisible() && assign->isEnabled());
    QTest::mouseClick(assign, Qt::LeftButton);
    EXPECT_EQ(p.presenter.texts, QStringList{"reference.jpg cannot be opened: the file is empty."});
    // It is the reference still, showing nothing, as a file that later goes bad.
    EXPECT_EQ(p.app->compare().state().referencePath, empty);
}

TEST(Library, LoadImageOfTheDrawBarSaysWhyAPictureCannotBeMeasured)
{
    LibraryProgram p;
    ASSERT_TRUE(p.connect());
    p.shell().controls().button(C::ChangeModeTB_Draw)->click();
    p.shell().UpdateActions();
    const QString huge = writeBytes(p.jpgFolder() + QStringLiteral("/huge.bmp"), bmpClaiming(20000, 20000));
    p.dialogs.file = [&](QFileDialog &) { return std::optional<QString>(huge); };
    QAbstractButton *load = p.shell().controls().button(C::DrawRulerTB_LoadImage);
    ASSERT_TRUE(load->isVisible() && load->isEnabled());
    QTest::mouseClick(load, Qt::LeftButton);
    EXPECT_EQ(p.presenter.texts,
              QStringList{"huge.bmp cannot be opened: picture 20000 x 20000 is larger than 16384 x 16384 pixels."});
    EXPECT_FALSE(load->isChecked());
    EXPECT_FALSE(p.app->camera().camera().isFrozen());
}

// ---------------------------------------------------------------------------------------------
// The automation tools' output folders

namespace {

QString storedFolder(Program &p, const char *key)
{
    return platform::IniProfileStore(p.shell().paths().settingsFile()).read("ListPath", key).value_or(QString());
}

} // namespace

TEST(Library, ATimedCaptureShowsItsFolderForTheRunButStoresTheUsersOwn)
{
    LibraryProgram p;
    tools::ui::AutomationController &a = p.app->automation();
    const QString mine = p.shell().paths().userDataDir + QStringLiteral("mine");
    ASSERT_TRUE(QDir().mkpath(mine));
    p.browser().useFolder(state::kListJpg, mine);   // the user's folder button
    ASSERT_TRUE(p.connect());
    p.dialogs.other = [](QDialog &d) {
        auto &dlg = static_cast<tools::ui::TTimingCapDlg &>(d);
        dlg.setFileType(tools::kCaptureJpg);
        dlg.field(tools::ScheduleField::StartTime)->setText(QStringLiteral("0"));
        dlg.field(tools::ScheduleField::FilesNumber)->setText(QStringLiteral("1"));
        dlg.TC_Execute_BtnClick();
        return dlg.result();
    };
    ASSERT_TRUE(p.enabled(C::TimingCapture_Tool));
    p.shell().controls().action(C::TimingCapture_Tool)->trigger();
    ASSERT_TRUE(a.timedStillsRunning());
    a.TimingCapture_TimerTimer();   // the still: a capture number, so the settings file is written
    a.TimingCapture_TimerTimer();
    ASSERT_FALSE(a.timedStillsRunning());
    const QString series = p.jpgFolder();
    EXPECT_TRUE(QFileInfo(series).fileName().startsWith(QStringLiteral("TCjpg_"))) << series.toStdString();
    EXPECT_EQ(QDir(series).entryList({QStringLiteral("*.jpg")}, QDir::Files).size(), 1);
    EXPECT_EQ(storedFolder(p, "DefData.JpgPath"), mine);
    p.shell().window().close();   // the close sequence writes every key again
    EXPECT_EQ(storedFolder(p, "DefData.JpgPath"), mine);
}

TEST(Library, ImagesToVideoShowsItsOutputFolderWithoutStoringItAndHoldsThePages)
{
    LibraryProgram p;
    tools::ui::AutomationController &a = p.app->automation();
    QSignalSpy finished(&a.img2VidConverter(), &tools::ImagesToVideoConverter::finished);
    QSignalSpy pageChanges(&p.browser(), &library::ui::ThumbnailBrowserWidget::pageChanged);
    QString out;
    ASSERT_TRUE(p.startImagesToVideo(40, out));
    ASSERT_TRUE(a.img2VidConverter().converting());
    EXPECT_EQ(p.shell().state().curListPath()[state::kListAvi], out);
    // A page change while the conversion runs is ignored: no refresh, no trim.
    const int before = int(pageChanges.size());
    p.browser().setCurrentIndex(state::kListBmp);
    p.browser().setCurrentIndex(state::kListJpg);
    EXPECT_EQ(pageChanges.size(), before);
    ASSERT_TRUE(!finished.isEmpty() || finished.wait(30000));
    p.browser().setCurrentIndex(state::kListBmp);
    EXPECT_EQ(pageChanges.size(), before + 1);
    p.shell().SysInfoUserSet();
    EXPECT_EQ(storedFolder(p, "DefData.AviPath"), p.shell().paths().defListPath[state::kListAvi]);
    EXPECT_TRUE(QFileInfo::exists(out + QStringLiteral("/I2Vvid.avi")));
}
