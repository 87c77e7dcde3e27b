#include "library/capturenumber.h"
#include "library/capturesaver.h"
#include "library/scaleprefix.h"
#include "library/toolfolders.h"
#include "library/ui/savedialogs.h"

#include "state/usersettings.h"
#include "counterstore.h"
#include "fakes.h"
#include "platform/diagnosticslog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using library::SaveOutcome;

namespace {

platform::Bitmap gradient(int w, int h)
{
    platform::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, platform::rgbColor(x * 7, y * 5, (x + y) * 3));
    return b;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QByteArray headOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.read(2) : QByteArray();
}

// Plays the user at the real dialog: once exec() has made it the active modal widget, `act` sees
// it, then its Save button is clicked. The timer re-arms itself from the event loop that exec()
// runs, so nothing waits on the clock; `seen` records what the dialog looked like when it opened.
struct DialogUser {
    std::function<void(QFileDialog &)> act;
    QString seenName, seenSuffix, seenFilter;
    bool opened = false;
    int questions = 0;   // modal boxes the save raised on top of the dialog (overwrite?)

    void arm()
    {
        QTimer::singleShot(0, [this] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog) {
                arm();
                return;
            }
            opened = true;
            const auto *name = dialog->findChild<QLineEdit *>("fileNameEdit");
            seenName = name ? name->text() : QString();
            seenSuffix = dialog->defaultSuffix();
            seenFilter = dialog->selectedNameFilter();
            if (act)
                act(*dialog);
            closeLeftovers(dialog);
            auto *buttons = dialog->findChild<QDialogButtonBox *>("buttonBox");
            for (QAbstractButton *b : buttons ? buttons->buttons() : QList<QAbstractButton *>())
                if (buttons->buttonRole(b) == QDialogButtonBox::AcceptRole)
                    b->click();
        });
    }

    // Runs in whatever loop is left after the click: a question box on top is answered No, and a
    // dialog still open is cancelled, so a wrong save fails the test instead of hanging it.
    void closeLeftovers(QPointer<QFileDialog> dialog)
    {
        QTimer::singleShot(0, [this, dialog] {
            if (!dialog)
                return;
            if (auto *question = qobject_cast<QDialog *>(QApplication::activeModalWidget()); question && question != dialog) {
                ++questions;
                question->reject();
            }
            if (dialog->isVisible())
                dialog->reject();
        });
    }
};

} // namespace

struct SaverFixture : ::testing::Test {
    fakes::TemporaryProfile profile;
    fakes::FakeClock clock;   // 11 November 2014
    state::UserPaths paths = state::UserPaths::fromProfileDir(profile.path());
    state::DefaultData data;
    int settingsWrites = 0;
    platform::DiagnosticsLog log;
    fakes::SettingsCounterStore store{data, settingsWrites};
    library::CaptureCounter counter{store, clock, &log};
    library::CaptureSaver saver{counter, log};
    platform::Bitmap picture = gradient(64, 48);
    std::vector<library::SaveDialogRequest> asked;

    SaverFixture() { state::createUserFolders(paths); }

    library::SaveContext context(int page, bool automatic, QString prefix = {})
    {
        return {page, automatic, std::move(prefix), paths.defListPath, 90, {}, {}};
    }
    library::SaveDialog answer(std::optional<QString> path)
    {
        return [this, path](const library::SaveDialogRequest &r) {
            asked.push_back(r);
            return path;
        };
    }
    QString bmpDir() const { return paths.defListPath[state::kListBmp]; }
    QString jpgDir() const { return paths.defListPath[state::kListJpg]; }
};

TEST_F(SaverFixture, FirstAutomaticBmpOfTheDay)
{
    const library::SaveResult r = saver.Save_ImageFile(picture, context(0, true), {});
    ASSERT_EQ(r.outcome, SaveOutcome::Saved);
    EXPECT_EQ(r.path, bmpDir() + "/Bmp_20141111_00001.bmp");
    EXPECT_EQ(r.kindPage, 0);
    EXPECT_EQ(filesIn(bmpDir()), QStringList{"Bmp_20141111_00001.bmp"});
    const platform::DecodedPicture back = platform::readPictureFile(r.path);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.bitmap, picture);
    EXPECT_EQ(settingsWrites, 1);
}

TEST_F(SaverFixture, AutomaticSnapshotOnTheAviPageBecomesJpegAndTurnsToTheJpgPage)
{
    data.TodayDate = state::shortDateText(clock.today());
    data.JpgNumber = 2;
    const library::SaveResult r = saver.Save_ImageFile(picture, context(2, true), {});
    ASSERT_EQ(r.outcome, SaveOutcome::Saved);
    EXPECT_TRUE(r.turnedToJpgPage);
    EXPECT_EQ(r.kindPage, 1);
    EXPECT_EQ(r.path, jpgDir() + "/Jpg_20141111_00003.jpg");
    EXPECT_EQ(platform::sniffPictureFile(r.path), platform::PictureKind::Jpeg);
    EXPECT_TRUE(filesIn(paths.defListPath[state::kListAvi]).isEmpty());
}

TEST_F(SaverFixture, BurntInScaleGoesIntoTheAutomaticName)
{
    data.TodayDate = state::shortDateText(clock.today());
    data.BmpNumber = 3;
    const library::SaveResult r =
        saver.Save_ImageFile(picture, context(0, true, library::scalePrefix(true, 0, 100, 75)), {});
    EXPECT_EQ(r.path, bmpDir() + "/Bmp_h100v75mm_20141111_00004.bmp");
    EXPECT_FALSE(r.turnedToJpgPage);
}

TEST_F(SaverFixture, BurntInScaleOnTheAviPageSavesAJpegButKeepsThePage)
{
    const library::SaveResult r =
        saver.Save_ImageFile(picture, context(2, true, library::scalePrefix(true, 0, 100, 75)), {});
    ASSERT_EQ(r.outcome, SaveOutcome::Saved);
    EXPECT_FALSE(r.turnedToJpgPage);
    EXPECT_EQ(r.path, jpgDir() + "/Jpg_h100v75mm_20141111_00001.jpg");
    EXPECT_EQ(platform::sniffPictureFile(r.path), platform::PictureKind::Jpeg);
}

TEST_F(SaverFixture, ABackslashPathToTheBmpFolderIsRedirectedLikeASlashPath)
{
    // Typed the way another system writes folders; below the profile, so a wrong save stays there.
    const QString chosen = paths.userDataDir + "DATA\\Image\\Bmp\\typed.jpg";
    const library::SaveResult r = saver.Save_ImageFile(picture, context(0, false), answer(chosen));
    ASSERT_EQ(r.outcome, SaveOutcome::Saved);
    EXPECT_EQ(r.path, jpgDir() + "/Jpg_20141111_00001.jpg");
    EXPECT_EQ(platform::sniffPictureFile(r.path), platform::PictureKind::Jpeg);
    EXPECT_FALSE(QFile::exists(chosen));
}

TEST_F(SaverFixture, DialogIsPreparedForThePageShown)
{
    const QString prefix = library::scalePrefix(true, 2, 1000, 750);
    saver.Save_ImageFile(picture, context(0, false), answer(std::nullopt));
    saver.Save_ImageFile(picture, context(1, false), answer(std::nullopt));
    saver.Save_ImageFile(picture, context(2, false, prefix), answer(std::nullopt));
    saver.Save_ImageFile(picture, context(0, false, prefix), answer(std::nullopt));
    ASSERT_EQ(asked.size(), 4u);
    const struct {
        int filter;
        QString folder, name;
    } expect[] = {{1, bmpDir(), "Bmp_20141111_00001"},
                  {2, jpgDir(), "Jpg_20141111_00001"},
                  {2, jpgDir(), "h1000v750um_20141111_00002"},
                  {1, bmpDir(), "h1000v750um_20141111_00002"}};
    for (size_t i = 0; i < asked.size(); ++i) {
        EXPECT_EQ(asked[i].filterIndex, expect[i].filter) << i;
        EXPECT_EQ(asked[i].startFolder, expect[i].folder) << i;
        EXPECT_EQ(asked[i].proposedName, expect[i].name) << i;
    }
}

TEST_F(SaverFixture, CancelledDialogStillConsumesANumber)
{
    const library::SaveResult cancelled = saver.Save_ImageFile(picture, context(1, false), answer(std::nullopt));
    EXPECT_EQ(cancelled.outcome, SaveOutcome::Cancelled);
    EXPECT_EQ(cancelled.number, "20141111_00001");
    const library::SaveResult next = saver.Save_ImageFile(picture, context(1, true), {});
    EXPECT_EQ(next.path, jpgDir() + "/Jpg_20141111_00002.jpg");
    EXPECT_EQ(filesIn(jpgDir()).size(), 1);
}

TEST_F(SaverFixture, DialogPathsAndRedirections)
{
    const QString elsewhere = profile.path() + "/elsewhere";
    QDir().mkpath(elsewhere);
    struct Row {
        int page;
        QString chosen;
        SaveOutcome outcome;
        QString written;   // empty: nothing written
    } rows[] = {
        // A JPEG aimed at the default BMP folder lands in the JPG folder under the generated name.
        {0, bmpDir() + "/mine.jpg", SaveOutcome::Saved, jpgDir() + "/Jpg_20141111_00001.jpg"},
        {1, jpgDir() + "/mine.bmp", SaveOutcome::Saved, bmpDir() + "/Bmp_20141111_00001.bmp"},
        {1, elsewhere + "/Chosen.JPG", SaveOutcome::Saved, elsewhere + "/Chosen.JPG"},
        {0, elsewhere + "/chosen.bmp", SaveOutcome::Saved, elsewhere + "/chosen.bmp"},
        {0, elsewhere + "/chosen.png", SaveOutcome::UnsupportedType, {}},
        {1, elsewhere + "/chosen.jpeg", SaveOutcome::UnsupportedType, {}},
    };
    for (const Row &row : rows) {
        const library::SaveResult r = saver.Save_ImageFile(picture, context(row.page, false), answer(row.chosen));
        EXPECT_EQ(r.outcome, row.outcome) << row.chosen.toStdString();
        if (row.written.isEmpty())
            continue;
        EXPECT_EQ(r.path, row.written);
        EXPECT_TRUE(QFile::exists(row.written)) << row.written.toStdString();
        const bool jpeg = row.written.endsWith(".jpg", Qt::CaseInsensitive);
        EXPECT_EQ(platform::sniffPictureFile(row.written), jpeg ? platform::PictureKind::Jpeg : platform::PictureKind::Bmp);
        EXPECT_EQ(r.kindPage, jpeg ? 1 : 0);
    }
    EXPECT_FALSE(QFile::exists(bmpDir() + "/mine.jpg"));
    EXPECT_FALSE(QFile::exists(elsewhere + "/chosen.png"));
}

TEST_F(SaverFixture, AcceptingTheProposalOnTheJpgPageWritesThatJpeg)
{
    DialogUser user;
    std::vector<int> typesShown;
    user.arm();
    const library::SaveResult r = saver.Save_ImageFile(
        picture, context(1, false), library::ui::stillSaveDialog(nullptr, [&](int f) { typesShown.push_back(f); }));
    ASSERT_TRUE(user.opened);
    EXPECT_EQ(user.questions, 0);
    EXPECT_EQ(user.seenName, "Jpg_20141111_00001");
    EXPECT_EQ(user.seenFilter, "JPEG Image File (*.jpg)");
    EXPECT_EQ(user.seenSuffix, "jpg");
    ASSERT_EQ(r.outcome, SaveOutcome::Saved);
    EXPECT_EQ(r.path, jpgDir() + "/Jpg_20141111_00001.jpg");
    EXPECT_EQ(r.kindPage, 1);
    EXPECT_EQ(headOf(r.path), QByteArray("\xFF\xD8", 2));
    EXPECT_EQ(filesIn(jpgDir()), QStringList{"Jpg_20141111_00001.jpg"});
    EXPECT_TRUE(filesIn(bmpDir()).isEmpty());
    EXPECT_TRUE(typesShown.empty());   // the user changed nothing
}

TEST_F(SaverFixture, SwitchingTheFileTypeInTheDialogWritesThatType)
{
    // The user picks the other entry of the type list with an arrow key; a file aimed at the other
    // kind's folder goes to its own kind's folder under its generated name.
    const struct {
        int page;
        Qt::Key key;
        QString suffix;
        int typeShown;     // 1 BMP, 2 JPEG, as the browser is told
        QString written;   // in the folder of that type
        QByteArray head;
    } rows[] = {
        {1, Qt::Key_Up, "bmp", 1, "Bmp_20141111_00001.bmp", "BM"},
        // The BMP page proposes Bmp_20141111_00001, which the row above wrote: the dialog first
        // shows that file selected, and the switch must let go of it rather than overwrite it.
        {0, Qt::Key_Down, "jpg", 2, "Jpg_20141111_00001.jpg", QByteArray("\xFF\xD8", 2)},
    };
    for (const auto &row : rows) {
        DialogUser user;
        std::vector<int> typesShown;
        QString suffixAfterSwitch;
        user.act = [&](QFileDialog &dialog) {
            auto *types = dialog.findChild<QComboBox *>("fileTypeCombo");
            ASSERT_NE(types, nullptr);
            QTest::keyClick(types, row.key);
            suffixAfterSwitch = dialog.defaultSuffix();
        };
        user.arm();
        const library::SaveResult r = saver.Save_ImageFile(
            picture, context(row.page, false), library::ui::stillSaveDialog(nullptr, [&](int f) { typesShown.push_back(f); }));
        ASSERT_TRUE(user.opened);
        EXPECT_EQ(user.questions, 0);
        EXPECT_EQ(suffixAfterSwitch, row.suffix);
        EXPECT_EQ(typesShown, std::vector<int>{row.typeShown});
        ASSERT_EQ(r.outcome, SaveOutcome::Saved) << row.written.toStdString();
        EXPECT_EQ(r.path, (row.typeShown == 2 ? jpgDir() : bmpDir()) + '/' + row.written);
        EXPECT_EQ(r.kindPage, row.typeShown - 1);
        EXPECT_EQ(headOf(r.path), row.head);
    }
    EXPECT_EQ(filesIn(bmpDir()), QStringList{"Bmp_20141111_00001.bmp"});
    EXPECT_EQ(filesIn(jpgDir()), QStringList{"Jpg_20141111_00001.jpg"});
}

TEST_F(SaverFixture, AcceptingTheProposalOnTheBmpPageWritesThatBitmap)
{
    DialogUser user;
    user.arm();
    const library::SaveResult r = saver.Save_ImageFile(picture, context(0, false), library::ui::stillSaveDialog(nullptr, {}));
    ASSERT_TRUE(user.opened);
    EXPECT_EQ(user.seenSuffix, "bmp");
    ASSERT_EQ(r.outcome, SaveOutcome::Saved);
    EXPECT_EQ(r.path, bmpDir() + "/Bmp_20141111_00001.bmp");
    EXPECT_EQ(headOf(r.path), QByteArray("BM"));
}

TEST_F(SaverFixture, ProgramChosenNamesNeverOverwriteEarlierCaptures)
{
    // The settings file was lost: the counters start again at 0 while the morning's files remain.
    const QString first = bmpDir() + "/Bmp_20141111_00001.bmp";
    const QString second = bmpDir() + "/Bmp_20141111_00002.bmp";
    ASSERT_TRUE(platform::writeBmpFile(first, gradient(4, 4)).ok());
    ASSERT_TRUE(platform::writeBmpFile(second, gradient(5, 5)).ok());
    const QString redirected = jpgDir() + "/Jpg_20141111_00001.jpg";
    ASSERT_TRUE(platform::writeJpegFile(redirected, gradient(6, 6)).ok());

    const library::SaveResult automatic = saver.Save_ImageFile(picture, context(0, true), {});
    EXPECT_EQ(automatic.path, bmpDir() + "/Bmp_20141111_00003.bmp");
    EXPECT_EQ(platform::readPictureFile(first).bitmap, gradient(4, 4));
    EXPECT_EQ(platform::readPictureFile(second).bitmap, gradient(5, 5));

    data.JpgNumber = 0;
    const library::SaveResult viaDialog =
        saver.Save_ImageFile(picture, context(1, false), answer(bmpDir() + "/anything.jpg"));
    EXPECT_EQ(viaDialog.path, jpgDir() + "/Jpg_20141111_00002.jpg");
    EXPECT_EQ(platform::readPictureFile(redirected).bitmap.size(), QSize(6, 6));
}

TEST_F(SaverFixture, AFullDiskIsReportedAndLeavesNoFile)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = 1000;   // a 64 x 48 picture needs about 9 KB
    setrlimit(RLIMIT_FSIZE, &tight);
    const library::SaveResult bmp = saver.Save_ImageFile(picture, context(0, true), {});
    const library::SaveResult jpg = saver.Save_ImageFile(gradient(400, 300), context(1, true), {});
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_EQ(bmp.outcome, SaveOutcome::WriteFailed);
    EXPECT_EQ(bmp.kindPage, -1);
    EXPECT_TRUE(bmp.write.system);
    EXPECT_EQ(jpg.outcome, SaveOutcome::WriteFailed);
    EXPECT_TRUE(filesIn(bmpDir()).isEmpty());   // neither the picture nor a temporary
    EXPECT_TRUE(filesIn(jpgDir()).isEmpty());
    EXPECT_TRUE(log.contains("Exception Error at SaveBmpFile"));
    EXPECT_TRUE(log.contains("Exception Error at SaveJpgFile"));
    // The numbers stay consumed: the next capture does not reuse them.
    EXPECT_EQ(saver.Save_ImageFile(picture, context(0, true), {}).path, bmpDir() + "/Bmp_20141111_00002.bmp");
}

TEST_F(SaverFixture, AnUnwritableFolderIsAWriteFailure)
{
    // A plain file where the folder should be: no folder can be made there, for root either.
    QFile blocker(profile.path() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    paths.defListPath[state::kListJpg] = profile.path() + "/blocker/folder";
    const library::SaveResult r = saver.Save_ImageFile(picture, context(1, true), {});
    EXPECT_EQ(r.outcome, SaveOutcome::WriteFailed);
    EXPECT_FALSE(QFile::exists(r.path));
}

TEST_F(SaverFixture, ARemovedLibraryFolderIsCreatedAgainByTheNextSave)
{
    ASSERT_TRUE(QDir(jpgDir()).removeRecursively());
    const library::SaveResult r = saver.Save_ImageFile(picture, context(1, true), {});
    ASSERT_EQ(r.outcome, SaveOutcome::Saved);
    EXPECT_EQ(filesIn(jpgDir()), QStringList{"Jpg_20141111_00001.jpg"});

    // The dialog's redirection into the library folder of the other kind, too.
    ASSERT_TRUE(QDir(bmpDir()).removeRecursively());
    const library::SaveResult redirected =
        saver.Save_ImageFile(picture, context(1, false), answer(jpgDir() + "/chosen.bmp"));
    ASSERT_EQ(redirected.outcome, SaveOutcome::Saved);
    EXPECT_EQ(QFileInfo(redirected.path).absolutePath(), bmpDir());
    EXPECT_TRUE(QFile::exists(redirected.path));

    // And a recording's automatic name.
    const QString aviDir = paths.defListPath[state::kListAvi];
    ASSERT_TRUE(QDir(aviDir).removeRecursively());
    const library::RecordingTarget t = library::aviRecordingTarget(counter, aviDir, true, {});
    ASSERT_EQ(t.outcome, SaveOutcome::Saved);
    EXPECT_TRUE(QFileInfo(aviDir).isDir());
}

TEST_F(SaverFixture, NoFreeNumberWritesNothing)
{
    data.TodayDate = state::shortDateText(clock.today());
    data.BmpNumber = std::numeric_limits<qint32>::max();
    EXPECT_EQ(saver.Save_ImageFile(picture, context(0, true), {}).outcome, SaveOutcome::NoNumber);
    EXPECT_EQ(saver.Save_ImageFile(picture, context(0, false), answer(bmpDir() + "/x.bmp")).outcome,
              SaveOutcome::NoNumber);
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(filesIn(bmpDir()).isEmpty());
}

TEST_F(SaverFixture, RecordingNames)
{
    const QString avi = paths.defListPath[state::kListAvi];
    QFile taken(avi + "/Avi_20141111_00001.avi");
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.close();

    const library::RecordingTarget automatic = library::aviRecordingTarget(counter, avi, true, {});
    EXPECT_EQ(automatic.outcome, SaveOutcome::Saved);
    EXPECT_EQ(automatic.path, avi + "/Avi_20141111_00002.avi");

    const library::RecordingTarget chosen = library::aviRecordingTarget(counter, avi, false, answer(avi + "/clip.avi"));
    EXPECT_EQ(chosen.path, avi + "/clip.avi");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].proposedName, "Avi_20141111_00003");
    EXPECT_EQ(asked[0].startFolder, avi);

    EXPECT_EQ(library::aviRecordingTarget(counter, avi, false, answer(std::nullopt)).outcome, SaveOutcome::Cancelled);
    EXPECT_EQ(data.AviNumber, 4);
    EXPECT_EQ(data.BmpNumber, 0);
}

TEST_F(SaverFixture, ARecordingIsAlwaysAnAviFileWhateverExtensionIsTyped)
{
    const QString avi = paths.defListPath[state::kListAvi];
    struct Row {
        const char *typed, *recorded;
        bool changed;
    };
    const Row rows[] = {
        {"clip.avi", "clip.avi", false},   {"clip.AVI", "clip.AVI", false}, {"clip.jpg", "clip.avi", true},
        {"clip.bmp", "clip.avi", true},    {"my.clip.JPG", "my.clip.avi", true},
        {"clip", "clip.avi", true},        {"clip.", "clip.avi", true},
    };
    for (const Row &r : rows) {
        const library::RecordingTarget t =
            library::aviRecordingTarget(counter, avi, false, answer(avi + "/" + QLatin1String(r.typed)));
        EXPECT_EQ(t.outcome, SaveOutcome::Saved) << r.typed;
        EXPECT_EQ(t.path, avi + "/" + QLatin1String(r.recorded)) << r.typed;
        EXPECT_EQ(t.extensionChanged, r.changed) << r.typed;
    }
}

TEST(CaptureCompletion, AutomaticSaveViewerAndUnsavedMark)
{
    using library::AutoSaveKind;
    struct Row {
        bool autoSave, timed, withScale;
        int preset;
        AutoSaveKind save;
        bool viewer;
    } rows[] = {{false, false, false, state::kPresetNormal, AutoSaveKind::None, false},
                {true, false, false, state::kPresetNormal, AutoSaveKind::Plain, false},
                {false, true, true, state::kPreset800x600, AutoSaveKind::WithScale, true},
                {true, true, false, state::kPresetFullScreen, AutoSaveKind::Plain, true}};
    for (const Row &r : rows) {
        const library::CaptureCompletion c = library::captureCompletion(r.autoSave, r.timed, r.withScale, r.preset);
        EXPECT_EQ(c.save, r.save);
        EXPECT_EQ(c.showInViewer, r.viewer);
    }
    EXPECT_FALSE(library::needsUnsavedMark(SaveOutcome::Saved));
    EXPECT_TRUE(library::needsUnsavedMark(SaveOutcome::WriteFailed));   // the picture exists nowhere else
}

TEST(ToolFolders, NamesBelowTheDefaultFolders)
{
    const state::ListPaths def{"/d/Bmp", "/d/Jpg", "/d/Video"};
    using library::ToolFolder;
    const std::pair<ToolFolder, const char *> rows[] = {
        {ToolFolder::TimedBmp, "/d/Bmp/TCbmp"},    {ToolFolder::TimedJpg, "/d/Jpg/TCjpg"},
        {ToolFolder::TimedAvi, "/d/Video/TCavi"},  {ToolFolder::VideoToBmp, "/d/Bmp/V2Ibmp"},
        {ToolFolder::VideoToJpg, "/d/Jpg/V2Ijpg"}, {ToolFolder::ImagesToVideo, "/d/Video/I2Vvid"},
        {ToolFolder::Unknown, ""}};
    for (const auto &[folder, path] : rows)
        EXPECT_EQ(library::toolFolderPath(folder, def), QLatin1String(path));
}

// A tool's picture (a focus stack) goes before the library's own name, and shares its numbering
// and its free-name search.
TEST_F(SaverFixture, LeadWordGoesBeforeTheLibraryName)
{
    library::SaveContext jpg = context(1, true);
    jpg.lead = QStringLiteral("Stack_");
    const library::SaveResult first = saver.Save_ImageFile(picture, jpg, {});
    ASSERT_EQ(first.outcome, SaveOutcome::Saved);
    EXPECT_EQ(first.path, jpgDir() + "/Stack_Jpg_20141111_00001.jpg");
    library::SaveContext bmp = context(0, true);
    bmp.lead = QStringLiteral("Stack_");
    EXPECT_EQ(saver.Save_ImageFile(picture, bmp, {}).path, bmpDir() + "/Stack_Bmp_20141111_00001.bmp");
    // A file of that name already there: the next free number.
    QFile taken(jpgDir() + "/Stack_Jpg_20141111_00002.jpg");
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.close();
    EXPECT_EQ(saver.Save_ImageFile(picture, jpg, {}).path, jpgDir() + "/Stack_Jpg_20141111_00003.jpg");
}
