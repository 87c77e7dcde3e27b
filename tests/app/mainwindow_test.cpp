#include "app/terminationwatcher.h"
#include "app/ui/aboutdialog.h"
#include "feature/feature.h"
#include "imaging/ui/editorcontroller.h"
#include "imaging/ui/filtercontroller.h"
#include "app/ui/layoutcontroller.h"
#include "app/ui/livemodecontroller.h"
#include "app/ui/mainwindow.h"
#include "app/ui/shell.h"
#include "imaging/ui/stillimagecontroller.h"
#include "app/ui/messageboxdialog.h"

#include "fakes.h"
#include "scripteddialogs.h"
#include "stillparts.h"

#include "platform/diagnosticslog.h"
#include "platform/iniprofilestore.h"
#include "platform/picturecodec.h"
#include "imaging/stilldocument.h"
#include "library/ui/thumbnailbrowserwidget.h"
#include "platform/vendorchannel.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <utility>

using namespace app::ui;
using C = state::ControlId;
using stillparts::Parts;

namespace {

const QString kProgramDir = QStringLiteral(SENDRA_PROGRAM_DIR);

struct ScriptedPresenter final : MessagePresenter {
    struct Shown {
        QString text, caption;
        bool withCancel;
        int icon;
    };
    std::vector<Shown> shown;
    std::vector<int> answers;   // consumed in order; OK when empty
    std::function<void()> whileOpen;   // stands for events the open box's loop delivers
    int depth = 0, deepest = 0;
    int show(const QString &text, const QString &caption, bool withCancel, int icon) override
    {
        shown.push_back({text, caption, withCancel, icon});
        deepest = std::max(deepest, ++depth);
        if (auto hook = std::exchange(whileOpen, {}))
            hook();
        --depth;
        if (answers.empty())
            return kResultOk;
        const int a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
};

// One main window over a throw-away profile.
struct Fixture {
    fakes::TemporaryProfile profile;
    fakes::FakeClock clock;
    state::UserPaths paths = state::UserPaths::fromProfileDir(profile.path());
    std::unique_ptr<platform::IniProfileStore> store = std::make_unique<platform::IniProfileStore>(paths.settingsFile());
    fakes::FakeBridge vendor;
    platform::DiagnosticsLog log;
    ScriptedPresenter presenter;
    QString programDir = kProgramDir;

    std::unique_ptr<Parts> make(const QString &localeId = {}, bool renderer = true);
};

std::unique_ptr<Parts> Fixture::make(const QString &localeId, bool renderer)
{
    auto p = std::make_unique<Parts>();
    p->build(ShellDeps{programDir, paths, clock, *store, vendor, log, localeId, renderer, &presenter, &p->dialogs});
    return p;
}

} // namespace

TEST(MainWindowStart, FirstStartCreatesFoldersAndACompleteSettingsFile)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    for (const char *sub : {"DATA/Image/Bmp", "DATA/Image/Jpg", "DATA/Video", "DATA/Image/Cover"})
        EXPECT_TRUE(QDir(f.paths.userDataDir + sub).exists()) << sub;
    platform::IniProfileStore reread(f.paths.settingsFile());
    EXPECT_EQ(reread.read("Initial", "DefData.Init"), "1");
    EXPECT_EQ(reread.read("Language", "DefData.Language"), "English");
    EXPECT_EQ(reread.read("User", "DefData.User"), f.profile.path());
    EXPECT_TRUE(reread.read("MI_Setting", "DefData.MI_OutputFmt"));
    EXPECT_EQ(w->windowTitle(), "Sendra-CAM Viewer");
    EXPECT_EQ(w->centralWidget()->size(), QSize(800, 556));
    EXPECT_EQ(w->videoArea()->geometry(), QRect(0, 64, 400, 300));
}

TEST(MainWindowStart, LocaleChoosesTheFirstLanguageAndTextsReachTheControls)
{
    Fixture f;
    auto wp = f.make("0407"); Parts &w = *wp;
    EXPECT_EQ(w.defData().Language, "German");
    EXPECT_TRUE(w.action("Lang_German")->isChecked());
    const auto german = app::LanguageTexts::load(kProgramDir, "German");
    ASSERT_TRUE(german);
    EXPECT_EQ(w.action("Exit")->text(), german->caption("Exit"));
    EXPECT_EQ(w.action("File")->text(), german->caption("File"));
    EXPECT_EQ(w.mainButton(C::Exit_Btn)->toolTip(), german->text("Exit_Btn"));
    EXPECT_EQ(w->greyPicture(C::Connect_Btn)->toolTip(), german->text("Connect_Btn"));
    auto *compare = w.shell->controls().toolButton(C::CompareTB_Compare);
    ASSERT_TRUE(compare);
    EXPECT_EQ(compare->toolTip(), german->hint("CompareTB_Compare"));
    EXPECT_EQ(w.deviceLabel()->text(), german->text("DeviceNotToFound_Lab"));
    EXPECT_FALSE(w.action("Lang_Portuguese")->isVisible());
}

TEST(MainWindowLanguage, SwitchingAtRunTimeAndChoosingTheCurrentOneDoesNothing)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    w.action("Exit")->setText("untouched");
    w.action("Lang_English")->trigger();      // the current language: not even a reload
    EXPECT_EQ(w.action("Exit")->text(), "untouched");
    QSignalSpy changed(w.shell.get(), &Shell::languageChanged);
    w.action("Lang_French")->trigger();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(w.defData().Language, "French");
    EXPECT_EQ(w.action("Exit")->text(), app::LanguageTexts::load(kProgramDir, "French")->caption("Exit"));
}

TEST(MainWindowLanguage, AMissingFileIsRefusedFromTheMenuAndReplacedAtStart)
{
    Fixture f;
    QTemporaryDir programDir;
    QDir().mkpath(programDir.filePath("Lang"));
    QFile::copy(kProgramDir + "/Lang/English.ini", programDir.filePath("Lang/English.ini"));
    f.programDir = programDir.path();

    auto wp = f.make("0407"); Parts &w = *wp;   // German wanted, its file is missing: English instead
    EXPECT_TRUE(f.log.contains("Language file missing: " + programDir.path() + "/Lang/German.ini"));
    const auto english = app::LanguageTexts::load(programDir.path(), "English");
    EXPECT_EQ(w.action("Exit")->text(), english->caption("Exit"));

    const QString before = w.defData().Language;
    w.action("Lang_Japanese")->trigger();
    EXPECT_EQ(w.defData().Language, before);
    ASSERT_EQ(f.presenter.shown.size(), 1u);
    EXPECT_EQ(f.presenter.shown[0].text, english->text("LanguageFileMissing_MsgBox"));
    EXPECT_EQ(w.action("Exit")->text(), english->caption("Exit"));
    EXPECT_FALSE(w.action("Lang_Japanese")->isChecked());

    // With no language file at all the window still comes up, with empty texts.
    QFile::remove(programDir.filePath("Lang/English.ini"));
    Fixture bare;
    bare.programDir = programDir.path();
    auto w2p = bare.make(); Parts &w2 = *w2p;
    EXPECT_EQ(w2.action("Exit")->text(), "");
}

TEST(MainWindowSettings, AFailedSettingsWriteIsLoggedAsTheOperationsException)
{
    Fixture f;
    fakes::MemoryProfileStore failing;
    failing.failWrites = true;
    Shell shell(ShellDeps{f.programDir, f.paths, f.clock, failing, f.vendor, f.log, QString(), true, &f.presenter});
    f.log.append("before");
    shell.SysInfoUserSet();
    ASSERT_GT(f.log.lines().size(), 1);
    EXPECT_EQ(f.log.lines().last(), "Exception Error at SysInfoUserSet");
    EXPECT_EQ(f.log.lines().size(), f.log.lines().indexOf("before") + 2) << "one line for one failed write";
    EXPECT_TRUE(f.presenter.shown.empty()) << "the user is not told";
}

TEST(MainWindowLanguage, AStoredLanguageWithoutItsFileGivesWayToEnglishInTheMenuAndTheRecord)
{
    Fixture f;
    QTemporaryDir programDir;
    QDir().mkpath(programDir.filePath("Lang"));
    QFile::copy(kProgramDir + "/Lang/English.ini", programDir.filePath("Lang/English.ini"));
    f.programDir = programDir.path();

    auto wp = f.make("0407"); Parts &w = *wp;   // German wanted, its file is missing
    EXPECT_EQ(w.defData().Language, "English");
    EXPECT_TRUE(w.action("Lang_English")->isChecked());
    EXPECT_FALSE(w.action("Lang_German")->isChecked());
    w.shell->SysInfoUserSet();
    EXPECT_EQ(platform::IniProfileStore(f.paths.settingsFile()).read("Language", "DefData.Language"), "English");
    // The next choice of English is the current language: nothing happens, nothing is asked.
    w.action("Lang_English")->trigger();
    EXPECT_TRUE(f.presenter.shown.empty());
}

TEST(MainWindowMessages, ABoxAskedForWhileOneIsOpenFollowsItAndAQuestionIsNotAsked)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    const auto english = app::LanguageTexts::load(kProgramDir, "English");
    int inner = -1, question = -1;
    f.presenter.whileOpen = [&] {
        inner = w.shell->ShowMessageBox("CannotRecordVideo_MsgBox", "ErrorTitle_MsgBox", false, kIconError);
        w.shell->ShowMessageBox("CannotRecordVideo_MsgBox", "ErrorTitle_MsgBox", false, kIconError);   // once is enough
        question = w.shell->ShowMessageBox("WhetherDeleteImage_MsgBox", "AttentionTitle_MsgBox", true, kIconQuestion);
    };
    w.shell->ShowMessageBox("CannotStartVideo_MsgBox", "AttentionTitle_MsgBox", false, kIconAttention);
    EXPECT_EQ(f.presenter.deepest, 1) << "never a box inside a box";
    EXPECT_EQ(inner, kResultOk);
    EXPECT_EQ(question, kResultCancel) << "a question that cannot be asked does nothing";
    ASSERT_EQ(f.presenter.shown.size(), 1u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.presenter.shown.size() >= 2; }, 5000));
    EXPECT_EQ(f.presenter.shown[1].text, english->text("CannotRecordVideo_MsgBox"));
    EXPECT_EQ(f.presenter.shown[1].icon, kIconError);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.presenter.shown.size(), 2u);
    EXPECT_TRUE(f.log.contains("Question not asked while another message is open: WhetherDeleteImage_MsgBox"));
}

TEST(MainWindowExit, CancelLeavesEverythingAsItWasAndOkRunsTheCloseSequence)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    w->show();
    QSignalSpy closing(&w.window(), &MainWindow::closing);
    f.presenter.answers = {kResultCancel};
    QFile::remove(f.paths.settingsFile());
    w.shell->ExitRequested();
    ASSERT_EQ(f.presenter.shown.size(), 1u);
    EXPECT_TRUE(f.presenter.shown[0].withCancel);
    EXPECT_EQ(f.presenter.shown[0].icon, kIconAttention);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w.flags().IsClosing);
    EXPECT_EQ(closing.count(), 0);
    EXPECT_FALSE(QFile::exists(f.paths.settingsFile()));   // nothing written

    w.setCaptureNumbers(0, 42);
    w.shell->ExitRequested();   // OK
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(w.flags().IsClosing);
    EXPECT_EQ(closing.count(), 1);
    EXPECT_EQ(f.vendor.closes, 2);   // before the first open, then at shutdown
    platform::IniProfileStore reread(f.paths.settingsFile());
    EXPECT_EQ(reread.read("PhotoNumber", "DefData.JpgNumber"), "42");
}

TEST(MainWindowExit, UnsavedStillIsOfferedBeforeTheExitQuestion)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    w.shell->state().setAutoSave(true);   // saving needs no dialog
    w.browser()->setCurrentIndex(state::kListBmp);
    w.document().load(platform::Bitmap(32, 24), QString());
    w.document().markUnsaved();
    f.presenter.answers = {kResultOk, kResultCancel};
    w.shell->ExitRequested();
    ASSERT_EQ(f.presenter.shown.size(), 2u);
    EXPECT_EQ(f.presenter.shown[0].icon, kIconQuestion);
    EXPECT_TRUE(QFile::exists(w.curListPath()[state::kListBmp] + "/Bmp_20141111_00001.bmp"));
    EXPECT_FALSE(w.flags().IsClosing);
}

TEST(MainWindowExit, TerminationSignalsCloseThroughTheCloseSequenceAskingNothing)
{
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        Fixture f;
        auto wp = f.make(); Parts &w = *wp;
        w->show();
        app::TerminationWatcher watcher;
        QObject::connect(&watcher, &app::TerminationWatcher::terminationRequested, &w.window(), [&w](int) { w->close(); });
        QSignalSpy closing(&w.window(), &MainWindow::closing);
        w.setCaptureNumbers(7, 0);
        std::raise(sig);
        EXPECT_TRUE(closing.wait(2000)) << sig;
        EXPECT_TRUE(f.presenter.shown.empty());
        platform::IniProfileStore reread(f.paths.settingsFile());
        EXPECT_EQ(reread.read("PhotoNumber", "DefData.BmpNumber"), "7");
    }
}

TEST(MainWindowStart, WithoutTheRendererTheFirstActivationWarnsOnce)
{
    Fixture f;
    auto wp = f.make({}, false); Parts &w = *wp;
    w->show();
    QApplication::setActiveWindow(&w.window());
    QEvent activate(QEvent::ActivationChange);
    QApplication::sendEvent(&w.window(), &activate);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.presenter.shown.empty(); }, 5000));
    // A second activation, and everything it may have queued, adds no second warning.
    QApplication::sendEvent(&w.window(), &activate);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    ASSERT_EQ(f.presenter.shown.size(), 1u);
    const auto english = app::LanguageTexts::load(kProgramDir, "English");
    EXPECT_EQ(f.presenter.shown[0].text, english->text("NoSupportVMR_MsgBox"));
    EXPECT_EQ(f.presenter.shown[0].icon, kIconAttention);
    EXPECT_FALSE(f.presenter.shown[0].withCancel);
}

TEST(MainWindowButtons, ConnectFollowsTheDeviceAndUncoversItsGreyPicture)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    w->show();
    w.shell->UpdateActions();
    EXPECT_FALSE(w.mainButton(C::Connect_Btn)->isVisible());
    EXPECT_TRUE(w->greyPicture(C::Connect_Btn)->isVisible());
    EXPECT_TRUE(w.mainButton(C::Exit_Btn)->isVisible());
    EXPECT_TRUE(w.mainButton(C::PlayVideo_Btn)->isVisible());
    w.shell->state().setDeviceFound(true);
    EXPECT_FALSE(w.mainButton(C::Connect_Btn)->isVisible());   // nothing changes until the idle update
    w.shell->UpdateActions();
    EXPECT_TRUE(w.mainButton(C::Connect_Btn)->isVisible());
    EXPECT_FALSE(w.mainButton(C::RecordVideo_Btn)->isVisible());
    w.shell->LabLanguage_CaptionSet();
    EXPECT_EQ(w.deviceLabel()->text(), app::LanguageTexts::load(kProgramDir, "English")->text("DeviceToFound_Lab"));
    // Layout: ten 80 x 60 buttons side by side.
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(w.mainButton(C(int(C::Connect_Btn) + i))->geometry(), QRect(80 * i, 0, 80, 60));
}

TEST(MainWindowMenus, EveryItemIsPresentWithItsShortCut)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    for (const char *name : {"OpenFile", "SaveFile", "PrintSet", "PrintImage", "Exit", "DevicesEnum", "VideoFormat",
                             "VideoSource", "VideoCompress", "JPG_Quality", "NHeight_Q", "NMiddle_Q", "NLow_Q",
                             "AutoSave", "SetMJPGPreview", "NNormal_Screen", "NBy_Resolution", "NDevCtrlToolbar",
                             "OpenDirector", "BmpDir", "JpgDir", "AviDir", "RestoreDefaultPath", "TimingCapture_Tool",
                             "Vid2Img_Tool", "Img2Vid_Tool", "InfoStatus_Tool", "ImageViewer_Tool", "About",
                             "mmMagniShow", "PopupVideoPlay", "PopupVideoExit"})
        EXPECT_TRUE(w.action(name)) << name;
    EXPECT_EQ(w.action("Exit")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    EXPECT_EQ(w.action("NFull_Screen_4_3")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F7));
    EXPECT_EQ(w.action("NDevCtrlToolbar")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
    EXPECT_FALSE(w.action("NDevCtrlToolbar")->isVisible());
    EXPECT_TRUE(w.action("NNormal_Screen")->isChecked());
    EXPECT_TRUE(w.toolBar("ChangeMode_ToolBar"));
    EXPECT_EQ(w.toolBar("ChangeMode_ToolBar")->geometry().topLeft(), QPoint(300, 392));
    EXPECT_EQ(w.toolBar("DrawRuler_ToolBar")->pos(), QPoint(0, 364));
    const QList<QShortcut *> keys = w->findChildren<QShortcut *>();
    ASSERT_EQ(keys.size(), 1);   // the hidden item's own short cut
    QShortcut *devCtrlKey = keys.front();
    EXPECT_EQ(devCtrlKey->key(), QKeySequence(Qt::CTRL | Qt::Key_D));
    EXPECT_TRUE(devCtrlKey->isEnabled());
    QSignalSpy preset(w.layout, &LayoutController::presetRequested);
    Q_EMIT devCtrlKey->activated();
    ASSERT_EQ(preset.count(), 1);
    EXPECT_EQ(preset[0][0].toInt(), state::kPresetDevCtrlToolbar);
}

TEST(MessageBoxDialog, LaysOutButtonsAndShowsOneIcon)
{
    MessageBoxDialog d(kProgramDir);
    d.setButtonTexts("OK", "Cancel");
    d.prepare("Do you want to exit?", "Attention", true, kIconAttention);
    EXPECT_EQ(d.windowTitle(), "Attention");
    EXPECT_EQ(d.visibleIcon(), kIconAttention);
    EXPECT_FALSE(d.cancelButton()->isHidden());
    const int width = d.width();
    EXPECT_GE(width, d.okButton()->width() + d.cancelButton()->width() + 40);
    EXPECT_LT(d.okButton()->geometry().right(), d.cancelButton()->geometry().left());
    const int labelWidth = d.textLabel()->width();
    d.prepare("Do you want to exit?", "Attention", false, 7);
    EXPECT_EQ(d.textLabel()->width(), labelWidth);   // same text: not widened again
    EXPECT_TRUE(d.cancelButton()->isHidden());
    EXPECT_EQ(d.visibleIcon(), -1);
    EXPECT_EQ(d.okButton()->geometry().center().x() / 2, d.width() / 4);
}

TEST(MessageBoxDialog, ALongTextWrapsAndTheBoxIsNoWiderThanTheMainWindow)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    const QString text = app::LanguageTexts::load(kProgramDir, "German")->text("UsingAdminPower_MsgBox");
    ASSERT_GT(text.size(), 100);
    MessageBoxDialog d(kProgramDir);
    d.setButtonTexts("OK", "Cancel");
    d.prepare(text, "Achtung", false, kIconAttention);
    EXPECT_LE(d.width(), w->width()) << d.width();
    EXPECT_TRUE(d.textLabel()->wordWrap());
    EXPECT_GT(d.textLabel()->height(), 2 * d.textLabel()->fontMetrics().height()) << "wrapped onto several lines";
    EXPECT_LE(d.textLabel()->geometry().right(), d.width());
    EXPECT_LT(d.textLabel()->geometry().bottom(), d.okButton()->geometry().top());

    // A narrow window narrows the box with it.
    d.setWindowWidth(360);
    d.prepare(text, "Achtung", true, kIconAttention);
    EXPECT_LE(d.width(), 360);
    EXPECT_LT(d.okButton()->geometry().right(), d.cancelButton()->geometry().left());

    // A short text keeps its one line.
    d.prepare("Do you want to exit?", "Attention", true, kIconAttention);
    EXPECT_FALSE(d.textLabel()->wordWrap());
    EXPECT_LE(d.textLabel()->height(), d.textLabel()->fontMetrics().height() + 4);
}

TEST(AboutDialog, ShowsTheVersion)
{
    AboutDialog d;
    d.applyTexts(*app::LanguageTexts::load(kProgramDir, "English"), kProgramDir + "/sendra-cam.png");
    EXPECT_EQ(d.versionLabel()->text(), "Version 2.407.5.00FBs");
    EXPECT_EQ(d.versionLabel()->font().pointSize(), 9);
}

namespace {

// The modal dialog the next event-loop turn finds open: its title-bar flags and where it stands
// relative to the main window, then closed.
struct ModalSeen {
    bool seen = false;
    Qt::WindowFlags flags;
    QPoint centre;
};

// Looks at the next modal dialog once it is open and closes it. Polled: the message box opens only
// once the window it speaks for is exposed, a few event-loop turns after that window's show().
void inspectNextModal(ModalSeen &seen)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [&seen, poll] {
        auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!d || !d->isVisible())
            return;
        seen = {true, d->windowFlags(), d->frameGeometry().center()};
        d->done(kResultCancel);
        poll->deleteLater();
    });
    poll->start(5);
}

void expectCloseButtonOnly(Qt::WindowFlags f)
{
    EXPECT_EQ(f & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(f & Qt::CustomizeWindowHint);
    EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(f & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
}

void expectNear(QPoint a, QPoint b)
{
    EXPECT_LE(std::abs(a.x() - b.x()), 1) << a.x() << " vs " << b.x();
    EXPECT_LE(std::abs(a.y() - b.y()), 1) << a.y() << " vs " << b.y();
}

} // namespace

TEST(MessageBoxDialog, OpensCentredOnTheMainWindowWithACloseButtonOnly)
{
    Fixture f;
    Shell shell(ShellDeps{f.programDir, f.paths, f.clock, *f.store, f.vendor, f.log, QString(), true, nullptr});
    shell.window().move(12, 20);   // away from the screen's centre, where the dialog used to open
    shell.window().show();
    ModalSeen seen;
    inspectNextModal(seen);
    shell.ShowMessageBox(QStringLiteral("WhetherExitQuila_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                         kIconAttention);
    ASSERT_TRUE(seen.seen);
    expectCloseButtonOnly(seen.flags);
    expectNear(seen.centre, shell.window().frameGeometry().center());
}

TEST(AboutDialog, OpensCentredOnTheMainWindowWithACloseButtonOnly)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    w->move(12, 20);
    w->show();
    ModalSeen seen;
    inspectNextModal(seen);
    w.action("About")->trigger();
    ASSERT_TRUE(seen.seen);
    expectCloseButtonOnly(seen.flags);
    expectNear(seen.centre, w->frameGeometry().center());
}

TEST(MainWindowLanguage, QtsOwnDialogsAndButtonsFollowTheInterfaceLanguage)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char *file : {"qtbase_de.qm", "qtbase_fr.qm"})
        if (!QFileInfo::exists(folder + "/" + file))
            GTEST_SKIP() << file << " is not installed in " << folder.toStdString() << " (Debian: qt6-translations-l10n)";
    const auto cancelText = [] { return QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text(); };
    {
        Fixture f;
        auto wp = f.make(); Parts &w = *wp;
        EXPECT_EQ(cancelText(), "Cancel");
        w.action("Lang_German")->trigger();
        EXPECT_EQ(w.shell->qtTranslationLocale(), "de");
        EXPECT_EQ(cancelText(), "Abbrechen");
        EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
        w.action("Lang_French")->trigger();   // replaced, not stacked over the German one
        EXPECT_EQ(cancelText(), "Annuler");
        w.action("Lang_English")->trigger();
        EXPECT_EQ(cancelText(), "Cancel");
        w.action("Lang_ChineseTradition")->trigger();
        EXPECT_EQ(w.shell->qtTranslationLocale(), "zh_TW");
    }
    EXPECT_EQ(cancelText(), "Cancel") << "the shell takes its translation with it";
    Fixture f;
    auto wp = f.make("0407");   // German chosen at the first start
    EXPECT_EQ(cancelText(), "Abbrechen");
}

TEST(MainWindowPresets, MaximisingGivesFullScreenAndRestoringGivesNormal)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    w.layout->screenSizeOverride = QSize(1920, 1200);
    w->show();
    w.layout->applyPreset(state::kPreset800x600);
    EXPECT_EQ(w.flags().SizePreset, state::kPreset800x600);
    // The live-mode bars do not fit beside the buttons: they have a row of their own below the picture.
    EXPECT_EQ(w->centralWidget()->size(), QSize(800, 660 + w->toolBarSizes().modes.height()));
    EXPECT_EQ(w->videoArea()->geometry(), QRect(0, 60, 800, 600));
    EXPECT_TRUE(w.action("N800_600_Screen")->isChecked());
    // Single-window row: connect, capture, record, play, return, exit.
    EXPECT_EQ(w.mainButton(C::RecordVideo_Btn)->pos(), QPoint(160, 0));
    EXPECT_EQ(w.mainButton(C::Exit_Btn)->pos(), QPoint(400, 0));
    EXPECT_TRUE(w->greyPicture(C::SaveImage_Btn)->isHidden());

    w->showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.flags().SizePreset == state::kPresetFullScreen; }, 5000));
    EXPECT_TRUE(w.action("NFull_Screen")->isChecked());
    w->showNormal();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.flags().SizePreset == state::kPresetNormal; }, 5000));
    EXPECT_EQ(w->videoArea()->geometry(), QRect(0, 64, 400, 300));
    EXPECT_EQ(w.mainButton(C::Exit_Btn)->pos(), QPoint(720, 0));
}

TEST(MainWindowPresets, ASmallScreenDisablesTheLargePresets)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    w.layout->screenSizeOverride = QSize(1024, 768);
    w.layout->updatePresetAvailability();
    EXPECT_TRUE(w.action("N1024_768_Screen")->isEnabled());
    EXPECT_FALSE(w.action("N1280_800_Screen")->isEnabled());
    EXPECT_FALSE(w.action("N1280_960_Screen")->isEnabled());
    EXPECT_FALSE(w.action("N1600_1200_Screen")->isEnabled());
    // The refresh timer notices a new screen.
    w.layout->screenSizeOverride = QSize(1920, 1200);
    QSignalSpy tick(w.shell->listTimer(), &QTimer::timeout);
    ASSERT_TRUE(tick.wait(2000));
    EXPECT_TRUE(w.action("N1600_1200_Screen")->isEnabled());
}

TEST(MainWindowModes, LiveModesSetTheOverlayFlag)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    struct Recorder final : Feature {
        std::vector<std::pair<int, int>> left;
        std::vector<int> entered;
        void leaveLiveMode(int from, int to) override { left.emplace_back(from, to); }
        void enterLiveMode(int mode) override { entered.push_back(mode); }
    } recorder;
    w.shell->addFeature(&recorder);
    auto &left = recorder.left;
    auto &entered = recorder.entered;
    w.live->ChangeModeTB_Click(state::kLiveCross);
    EXPECT_TRUE(w.flags().OverlayMode);
    EXPECT_EQ(w.flags().LiveMode, state::kLiveCross);
    w.live->ChangeModeTB_Click(state::kLiveVideoCtrl);
    EXPECT_TRUE(w.flags().OverlayMode);   // only draw clears it
    w.live->ChangeModeTB_Click(state::kLiveDraw);
    EXPECT_FALSE(w.flags().OverlayMode);
    EXPECT_EQ(left, (std::vector<std::pair<int, int>>{{0, 1}, {1, 2}, {2, 3}}));
    EXPECT_EQ(entered, (std::vector<int>{1, 2, 3}));
}

namespace {
platform::Bitmap specimen()
{
    platform::Bitmap b(64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            b.setPixel(x, y, platform::rgbColor(x * 4, y * 5, 90));
    return b;
}
} // namespace

TEST(MainWindowCapture, AutoSaveOnTheBmpPageWritesTheFirstNumberOfTheDay)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    w.shell->state().setAutoSave(true);
    w.browser()->setCurrentIndex(state::kListBmp);
    w.still->CaptureImageCom(specimen());
    const QString expected = w.curListPath()[state::kListBmp] + "/Bmp_20141111_00001.bmp";
    ASSERT_TRUE(QFile::exists(expected));
    EXPECT_EQ(w.document().filePath(), "");   // a snapshot names no file, even once stored
    EXPECT_FALSE(w.document().hasUnsavedEdits());
    EXPECT_EQ(platform::readPictureFile(expected).bitmap, specimen());
    EXPECT_EQ(w.browser()->currentIndex(), state::kListBmp);
    platform::IniProfileStore reread(f.paths.settingsFile());
    EXPECT_EQ(reread.read("PhotoNumber", "DefData.BmpNumber"), "1");   // written after every number
}

TEST(MainWindowCapture, OnTheAviPageASnapshotBecomesJpegAndTheJpgPageShows)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    w.shell->state().setAutoSave(true);
    w.browser()->setCurrentIndex(state::kListAvi);
    w.still->CaptureImageCom(specimen());
    EXPECT_TRUE(QFile::exists(w.curListPath()[state::kListJpg] + "/Jpg_20141111_00001.jpg"));
    EXPECT_EQ(w.browser()->currentIndex(), state::kListJpg);
}

TEST(MainWindowCapture, ARefusedWriteIsReportedAndThePictureStaysUnsaved)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    w.shell->state().setAutoSave(true);
    w.browser()->setCurrentIndex(state::kListBmp);
    // Root ignores folder permissions; a plain file where the folder should be refuses the
    // write for everyone (a missing folder would be made again).
    const QString folder = w.curListPath()[state::kListBmp];
    QFile blocker(folder + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    w.browser()->useFolder(state::kListBmp, folder + "/blocker/gone");
    w.still->CaptureImageCom(specimen());
    ASSERT_EQ(f.presenter.shown.size(), 1u);
    const auto english = app::LanguageTexts::load(kProgramDir, "English");
    EXPECT_EQ(f.presenter.shown[0].text, english->text("CannotSaveImage_MsgBox"));
    EXPECT_EQ(f.presenter.shown[0].icon, kIconError);
    EXPECT_TRUE(w.document().hasUnsavedEdits());
    EXPECT_EQ(w.defData().BmpNumber, 1);   // the number stays taken: numbers never repeat
}

TEST(MainWindowCapture, DeletingAnAutoSavedSnapshotClearsTheStillAndKeepsTheFile)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    w.shell->state().setAutoSave(true);
    w.browser()->setCurrentIndex(state::kListJpg);
    w.still->CaptureImageCom(specimen());
    const QString path = w.curListPath()[state::kListJpg] + "/Jpg_20141111_00001.jpg";
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(w.document().filePath(), "");
    w.still->DeleteImage();   // OK
    EXPECT_TRUE(QFile::exists(path)) << "the capture just stored stays in the library";
    EXPECT_TRUE(w.document().isEmpty());
    const QString trashed = qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files/" + QFileInfo(path).fileName();
    EXPECT_FALSE(QFile::exists(trashed));
}

TEST(MainWindowCapture, DeletingAnOpenedPictureMovesItToTheTrash)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    w.shell->state().setAutoSave(true);
    w.browser()->setCurrentIndex(state::kListJpg);
    w.still->CaptureImageCom(specimen());
    const QString path = w.curListPath()[state::kListJpg] + "/Jpg_20141111_00001.jpg";
    ASSERT_TRUE(QFile::exists(path));
    w.still->openPicture(path);
    ASSERT_EQ(w.document().filePath(), path);
    f.presenter.answers = {kResultCancel};
    w.still->DeleteImage();
    EXPECT_TRUE(QFile::exists(path));
    w.still->DeleteImage();   // OK
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(w.document().isEmpty());
    const QString trashed = qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files/" + QFileInfo(path).fileName();
    EXPECT_TRUE(QFile::exists(trashed)) << trashed.toStdString();
}

TEST(MainWindowModes, EditorAndFiltersExcludeEachOther)
{
    Fixture f;
    auto wp = f.make(); Parts &w = *wp;
    w->show();
    w.document().load(specimen(), QString());
    w.editor->EditorImage_BtnClick();
    EXPECT_TRUE(w.flags().EditMode);
    EXPECT_TRUE(w.toolBar("ToolBar_ImageEdit1")->isVisible());
    EXPECT_EQ(w.toolBar("ToolBar_ImageEdit2")->pos(), QPoint(400, 392));
    EXPECT_EQ(w.mainButton(C::EditorImage_Btn)->toolTip(),
              app::LanguageTexts::load(kProgramDir, "English")->text("EditorImageExit_Btn"));
    w.filters->ImageProcess_BtnClick();
    EXPECT_FALSE(w.flags().EditMode);
    EXPECT_TRUE(w.flags().ImageProcessMode);
    EXPECT_FALSE(w.toolBar("ToolBar_ImageEdit1")->isVisible());
    EXPECT_TRUE(w.toolBar("ToolBar_ImageProcess")->isVisible());
    // Leaving the filters with a filtered picture asks whether to keep it.
    w.document().filter(specimen());
    w.filters->ImageProcess_BtnClick();
    ASSERT_EQ(f.presenter.shown.size(), 1u);
    EXPECT_FALSE(w.flags().ImageProcessMode);
    EXPECT_TRUE(w.document().hasUnsavedEdits());   // OK kept it as an unsaved edit
    // An edited picture is offered for saving when the editor is left.
    w.editor->EditorImage_BtnClick();
    f.presenter.answers = {kResultCancel};
    w.editor->EditorImage_BtnClick();
    EXPECT_EQ(f.presenter.shown.size(), 2u);
    EXPECT_FALSE(w.flags().EditMode);
    // Cancel kept the picture as it was: still unsaved, still offered.
    EXPECT_TRUE(w.document().hasUnsavedEdits());
}
