// The still-image editor in the whole program: the mouse on the real picture control draws into
// the pixels, the history steps back and forward with the change counter, the clipboard carries
// selections both ways, quarter turns round-trip, the text box burns its lines into the picture,
// and unsaved edits are offered for saving.
#include "wholeprogram.h"

#include "darkpixels.h"

#include "imaging/ui/editorcontroller.h"
#include "app/ui/keyrouter.h"
#include "imaging/ui/stillimagecontroller.h"
#include "imaging/ui/edittextbox.h"
#include "imaging/stilldocument.h"
#include "imaging/ui/stillimageview.h"
#include "platform/picturecodec.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

using state::ControlId;

namespace {

using fakes::darkIn;

constexpr platform::ColorRef kRed = platform::rgbColor(255, 0, 0);
constexpr platform::ColorRef kWhite = 0xFFFFFF;

struct Editor : wholeprogram::Program {
    Editor()
    {
        // Saving goes straight into the library, without the save dialog.
        shell().state().setAutoSave(true);
    }
    imaging::StillDocument &doc() { return app->still().document(); }
    imaging::ui::EditorController &editor() { return app->editor(); }
    QWidget *picture() { return app->still().view().pictureControl(); }
    // As the user sees it: the idle-time rules have run, so a disabled button does not click.
    void click(ControlId id)
    {
        shell().UpdateActions();
        shell().controls().toolButton(id)->click();
    }
    void trigger(ControlId id) { shell().controls().action(id)->trigger(); }
    // The left button pressed and released over a shown, enabled button of the window.
    void mouseClick(ControlId id)
    {
        shell().UpdateActions();
        QWidget *button = shell().controls().widget(id);
        ASSERT_TRUE(button->isVisible() && button->isEnabled()) << state::controlName(id);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // The editor entered over a white picture with one red line drawn: one unsaved edit.
    void enterAndDrawALine()
    {
        enterWith();
        trigger(ControlId::EDS_Line);
        drag({10, 10}, {50, 30});
        ASSERT_EQ(k(), 2);
    }
    int k() { return doc().changeCount(); }
    int questions() { return int(presenter.texts.size()); }

    // A white 320 x 240 picture: smaller than the panel, so it is shown at its own size.
    void enterWith(platform::Bitmap picture = platform::Bitmap(320, 240))
    {
        doc().load(std::move(picture), QString());
        shell().UpdateActions();
        shell().controls().mainButton(ControlId::EditorImage_Btn)->click();
        ASSERT_TRUE(shell().state().flags().EditMode);
        shell().UpdateActions();
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = {}, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(picture(), button, mods, from);
        QTest::mouseMove(picture(), (from + to) / 2);
        QTest::mouseMove(picture(), to);
        QTest::mouseRelease(picture(), button, mods, to);
    }
    platform::ColorRef at(int x, int y) { return doc().picture().pixel(x, y); }
    imaging::ui::EditTextBox &box() { return editor().textBox(); }
    bool down(ControlId id) { return shell().controls().isDown(id); }
    // The window is the active one, as the user's window is: the keyboard goes where it says.
    void activate()
    {
        QApplication::setActiveWindow(&app->window());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&app->window()));
    }
    // The text tool chosen with the mouse, a box dragged open from `from` to `to` (control
    // pixels) and `text` typed into it with the keyboard.
    void typeInABox(QPoint from, QPoint to, const QString &text)
    {
        if (!down(ControlId::ImgBar_Text))
            mouseClick(ControlId::ImgBar_Text);
        drag(from, to);
        ASSERT_TRUE(box().isShown());
        QTest::keyClicks(box().edit(), text);
        ASSERT_EQ(box().edit()->toPlainText(), text);
    }
    bool enabled(ControlId id)
    {
        shell().UpdateActions();
        return shell().controls().widget(id)->isEnabled();
    }
};

} // namespace

TEST(EditorProgram, LinesAndRectanglesLandInThePixelsWhereDrawn)
{
    Editor e;
    e.enterWith();
    ASSERT_EQ(e.picture()->size(), QSize(320, 240));
    EXPECT_EQ(e.k(), 1);
    e.trigger(ControlId::EDS_Line);
    EXPECT_EQ(e.editor().tool(), imaging::EditTool::Line);
    e.drag({10, 10}, {50, 30});
    EXPECT_EQ(e.at(30, 20), kRed);
    EXPECT_EQ(e.at(30, 10), kWhite);
    EXPECT_EQ(e.k(), 2);
    // Shift makes the line from (10, 100) to (50, 110) horizontal.
    e.drag({10, 100}, {50, 110}, Qt::ShiftModifier);
    EXPECT_EQ(e.at(50, 100), kRed);
    EXPECT_EQ(e.at(50, 110), kWhite);
    // A purely horizontal line is an edit too.
    EXPECT_EQ(e.k(), 3);
    e.trigger(ControlId::EDS_Rectangle);
    e.drag({100, 100}, {140, 130});
    EXPECT_EQ(e.at(100, 115), kRed);
    EXPECT_EQ(e.at(120, 100), kRed);
    EXPECT_EQ(e.at(120, 115), kWhite);   // no fill
    EXPECT_EQ(e.k(), 4);
    // The committed picture is what the erase step draws back: the shapes stay.
    EXPECT_EQ(e.doc().committedPicture(), e.doc().picture());
}

TEST(EditorProgram, ShapesLandWhereDrawnWhenThePictureIsStretched)
{
    Editor e;
    e.enterWith(platform::Bitmap(800, 600));   // fitted at half size into the 400 x 300 panel
    ASSERT_EQ(e.picture()->size(), QSize(400, 300));
    e.trigger(ControlId::EDS_Line);
    e.drag({50, 50}, {150, 50});
    EXPECT_EQ(e.at(200, 100), kRed);
    EXPECT_EQ(e.at(200, 110), kWhite);
}

TEST(EditorProgram, UndoAndRedoStepThroughThePixelsAndTheCounter)
{
    Editor e;
    e.enterWith();
    e.trigger(ControlId::EDS_Line);
    e.drag({10, 10}, {50, 30});
    ASSERT_EQ(e.at(30, 20), kRed);
    EXPECT_TRUE(e.enabled(ControlId::ImgBar_Undo));
    EXPECT_FALSE(e.enabled(ControlId::ImgBar_Redo));
    e.click(ControlId::ImgBar_Undo);
    EXPECT_EQ(e.at(30, 20), kWhite);
    EXPECT_EQ(e.k(), 1);
    EXPECT_TRUE(e.enabled(ControlId::ImgBar_Redo));
    // Nothing before the entry snapshot: the counter stays.
    e.editor().ImgBar_UndoClick();
    EXPECT_EQ(e.k(), 1);
    e.click(ControlId::ImgBar_Redo);
    EXPECT_EQ(e.at(30, 20), kRed);
    EXPECT_EQ(e.k(), 2);
    e.editor().ImgBar_RedoClick();
    EXPECT_EQ(e.k(), 2);
}

TEST(EditorProgram, LeavingAsksOnlyAfterAnEditAndSaves)
{
    Editor e;
    e.enterWith();
    e.shell().controls().mainButton(ControlId::EditorImage_Btn)->click();
    EXPECT_FALSE(e.shell().state().flags().EditMode);
    EXPECT_EQ(e.questions(), 0);
    e.enterWith();
    e.trigger(ControlId::EDS_Ellipse);
    e.drag({20, 20}, {80, 60});
    ASSERT_EQ(e.k(), 2);
    e.click(ControlId::ImgBar_ExitToolBar);
    EXPECT_FALSE(e.shell().state().flags().EditMode);
    ASSERT_EQ(e.questions(), 1);
    EXPECT_EQ(e.presenter.texts[0], e.shell().texts().text("WhetherSaveImage_MsgBox"));
    // OK saved the edited picture into the library.
    const QString jpg = e.shell().state().curListPath()[state::kListJpg];
    const QString bmp = e.shell().state().curListPath()[state::kListBmp];
    EXPECT_EQ(QDir(jpg).entryList(QDir::Files).size() + QDir(bmp).entryList(QDir::Files).size(), 1);
    EXPECT_FALSE(e.doc().hasUnsavedEdits());
}

TEST(EditorProgram, LeavingWithCancelKeepsTheEditUnsavedAndOfferedAgain)
{
    Editor e;
    e.enterAndDrawALine();
    e.presenter.answers = {app::ui::kResultCancel};
    e.mouseClick(ControlId::EditorImage_Btn);
    ASSERT_EQ(e.questions(), 1);
    EXPECT_FALSE(e.shell().state().flags().EditMode);
    // Nothing was stored, so the edit is still unsaved: the picture keeps its line, the save
    // button stays offered, and the exit asks about it.
    EXPECT_EQ(e.at(30, 20), kRed);
    EXPECT_EQ(e.k(), 2);
    EXPECT_TRUE(e.doc().hasUnsavedEdits());
    e.shell().UpdateActions();
    EXPECT_TRUE(e.shell().controls().mainButton(ControlId::SaveImage_Btn)->isVisible());
    // The same through the tool bar's exit button, after entering again.
    e.mouseClick(ControlId::EditorImage_Btn);
    ASSERT_TRUE(e.shell().state().flags().EditMode);
    e.presenter.answers = {app::ui::kResultCancel};
    e.mouseClick(ControlId::ImgBar_ExitToolBar);
    EXPECT_EQ(e.questions(), 2);
    EXPECT_TRUE(e.doc().hasUnsavedEdits());
    e.presenter.answers = {app::ui::kResultOk, app::ui::kResultCancel};   // save, then do not exit
    e.shell().ExitRequested();
    ASSERT_EQ(e.questions(), 4);
    EXPECT_EQ(e.presenter.texts[2], e.shell().texts().text("WhetherSaveImage_MsgBox"));
    EXPECT_FALSE(e.doc().hasUnsavedEdits());
}

TEST(EditorProgram, SavingStartsTheHistoryAgainFromTheSavedPicture)
{
    Editor e;
    e.enterAndDrawALine();
    e.drag({10, 100}, {50, 130});
    ASSERT_EQ(e.k(), 3);
    ASSERT_TRUE(e.enabled(ControlId::ImgBar_Undo));
    e.mouseClick(ControlId::ImgBar_Save);
    EXPECT_FALSE(e.doc().filePath().isEmpty());
    EXPECT_EQ(e.k(), 1);
    EXPECT_FALSE(e.doc().hasUnsavedEdits());
    // Nothing to undo behind the save: the saved lines stay.
    EXPECT_FALSE(e.enabled(ControlId::ImgBar_Undo));
    e.editor().ImgBar_UndoClick();
    EXPECT_EQ(e.at(30, 20), kRed);
    EXPECT_EQ(e.at(30, 115), kRed);
    EXPECT_EQ(e.k(), 1);
    // The next edit is undone back to the saved picture, and no further.
    e.trigger(ControlId::EDS_Rectangle);
    e.drag({100, 100}, {140, 130});
    EXPECT_EQ(e.k(), 2);
    e.mouseClick(ControlId::ImgBar_Undo);
    EXPECT_EQ(e.at(100, 115), kWhite);
    EXPECT_EQ(e.at(30, 20), kRed);
    EXPECT_EQ(e.k(), 1);
    EXPECT_FALSE(e.enabled(ControlId::ImgBar_Undo));
}

TEST(EditorProgram, CutCopyAndPasteGoThroughTheClipboard)
{
    Editor e;
    platform::Bitmap picture(320, 240);
    for (int y = 20; y < 50; ++y)
        for (int x = 20; x < 60; ++x)
            picture.setPixel(x, y, platform::rgbColor(0, 0, 200));
    e.enterWith(picture);
    QClipboard *clip = QGuiApplication::clipboard();
    clip->clear();
    EXPECT_FALSE(e.enabled(ControlId::ImgBar_Copy));
    e.click(ControlId::ImgBar_SelectRang);
    ASSERT_EQ(e.editor().tool(), imaging::EditTool::SelectRange);
    // A selection without height copies nothing.
    e.drag({20, 20}, {60, 20});
    e.editor().ImgBar_CopyClick();
    EXPECT_TRUE(clip->image().isNull());
    e.drag({20, 20}, {60, 50});
    EXPECT_TRUE(e.enabled(ControlId::ImgBar_Copy));
    EXPECT_TRUE(darkIn(e.doc().picture(), QRect(20, 50, 40, 1)));   // the dotted marquee is in the live picture ...
    e.click(ControlId::ImgBar_Copy);
    EXPECT_FALSE(darkIn(e.doc().picture(), QRect(20, 50, 40, 1)));   // ... and gone after the copy
    const QImage copied = clip->image();
    ASSERT_EQ(copied.size(), QSize(40, 30));
    EXPECT_EQ(platform::fromQRgb(copied.pixel(5, 5)), platform::rgbColor(0, 0, 200));
    EXPECT_EQ(e.k(), 1);
    // Cut: white is left behind and the change is recorded.
    e.drag({20, 20}, {60, 50});
    e.click(ControlId::ImgBar_Cut);
    EXPECT_EQ(e.at(30, 30), kWhite);
    EXPECT_EQ(e.k(), 2);
    // Paste what was cut at the visible top-left, then drag it to (100, 100).
    EXPECT_TRUE(e.enabled(ControlId::ImgBar_Paste));
    e.click(ControlId::ImgBar_Paste);
    EXPECT_EQ(e.editor().tool(), imaging::EditTool::PastePlacing);
    e.drag({5, 5}, {105, 105});
    EXPECT_EQ(e.at(100, 100), platform::rgbColor(0, 0, 200));
    EXPECT_EQ(e.at(139, 129), platform::rgbColor(0, 0, 200));
    EXPECT_EQ(e.at(140, 130), kWhite);
    EXPECT_EQ(e.at(5, 5), kWhite);
    EXPECT_EQ(e.k(), 3);
}

TEST(EditorProgram, TurningLeftThenRightRestoresThePicture)
{
    Editor e;
    platform::Bitmap picture(640, 480);
    for (int y = 0; y < 480; y += 3)
        for (int x = 0; x < 640; x += 5)
            picture.setPixel(x, y, platform::rgbColor(x & 0xFF, y & 0xFF, 7));
    e.enterWith(picture);
    e.click(ControlId::ImgBar_RotateLeft);
    ASSERT_EQ(e.doc().picture().size(), QSize(480, 640));
    EXPECT_EQ(e.at(3, 640 - 1 - 5), picture.pixel(5, 3));
    EXPECT_EQ(e.picture()->height(), 300);   // fitted again
    e.click(ControlId::ImgBar_RotateRight);
    EXPECT_EQ(e.doc().picture(), picture);
    EXPECT_EQ(e.k(), 3);
}

TEST(EditorProgram, ZoomStepsAndOwnSizeFollowThePanel)
{
    Editor e;
    e.enterWith(platform::Bitmap(800, 600));
    EXPECT_TRUE(e.enabled(ControlId::ImgBar_Text));   // stretched: the tools draw through the stretch
    EXPECT_FALSE(e.enabled(ControlId::ImgBar_Move));
    e.click(ControlId::ImgBar_ZoomIn);
    EXPECT_EQ(e.picture()->size(), QSize(444, 333));
    EXPECT_TRUE(e.enabled(ControlId::ImgBar_Move));
    e.click(ControlId::ImgBar_OriginalFit);
    EXPECT_EQ(e.picture()->geometry(), QRect(-200, -150, 800, 600));
    EXPECT_TRUE(e.enabled(ControlId::ImgBar_Text));
    EXPECT_FALSE(e.enabled(ControlId::ImgBar_ZoomIn));
    // Panning moves the picture inside its bounds.
    e.click(ControlId::ImgBar_Move);
    // (A test pointer is given in the control's own pixels, which move with it: one step.)
    QTest::mousePress(e.picture(), Qt::LeftButton, {}, {300, 200});
    QTest::mouseMove(e.picture(), {350, 240});
    QTest::mouseRelease(e.picture(), Qt::LeftButton, {}, {350, 240});
    EXPECT_EQ(e.picture()->pos(), QPoint(-150, -110));
    // Not past the picture's edge.
    QTest::mousePress(e.picture(), Qt::LeftButton, {}, {10, 10});
    QTest::mouseMove(e.picture(), {700, 500});
    QTest::mouseRelease(e.picture(), Qt::LeftButton, {}, {700, 500});
    EXPECT_EQ(e.picture()->pos(), QPoint(0, 0));
    e.click(ControlId::ImgBar_ZoomFit);
    EXPECT_EQ(e.picture()->geometry(), QRect(0, 0, 400, 300));
}

TEST(EditorProgram, TextIsWrittenLineByLineIntoThePicture)
{
    Editor e;
    e.enterWith();
    imaging::ui::EditTextBox &box = e.editor().textBox();
    e.click(ControlId::ImgBar_Text);
    EXPECT_TRUE(e.enabled(ControlId::ImgBar_ComboBox_TextSize));
    e.shell().controls().comboBox(ControlId::ImgBar_ComboBox_TextSize)->setCurrentText("12");
    EXPECT_EQ(box.fontHeight(), -16);
    // A drag of 15 pixels shows no box, and the next press writes nothing.
    e.drag({20, 20}, {35, 80});
    EXPECT_FALSE(box.isShown());
    const int before = e.k();
    e.drag({20, 20}, {180, 100});
    ASSERT_TRUE(box.isShown());
    EXPECT_EQ(e.k(), before);
    EXPECT_EQ(box.geometry(), QRect(40 + 20, 30 + 20, 160, 80));   // the picture sits at (40, 30)
    box.edit()->setPlainText(QStringLiteral("HEEH\nHEEH"));
    box.setTransparentBackground(true);
    // The next press commits: line 0 at the box's top, line 1 twenty pixels below.
    QTest::mousePress(e.picture(), Qt::LeftButton, {}, {300, 200});
    QTest::mouseRelease(e.picture(), Qt::LeftButton, {}, {300, 200});
    EXPECT_FALSE(box.isShown());
    EXPECT_EQ(e.k(), before + 1);
    const platform::Bitmap &pic = e.doc().picture();
    EXPECT_TRUE(darkIn(pic, QRect(20, 20, 60, 16)));
    EXPECT_TRUE(darkIn(pic, QRect(20, 40, 60, 16)));
    EXPECT_FALSE(darkIn(pic, QRect(20, 57, 150, 40)));
    EXPECT_FALSE(darkIn(pic, QRect(20, 0, 150, 19)));
    // A box on a coloured background fills its whole rectangle first.
    e.dialogs.colour = [](const QColor &) { return QColor(0, 0, 255); };
    e.click(ControlId::ImgBar_TextBgColor);
    e.drag({100, 120}, {200, 180});
    ASSERT_TRUE(box.isShown());
    box.setTransparentBackground(false);
    box.edit()->setPlainText(QStringLiteral("X"));
    QTest::mousePress(e.picture(), Qt::LeftButton, {}, {10, 200});
    QTest::mouseRelease(e.picture(), Qt::LeftButton, {}, {10, 200});
    EXPECT_EQ(e.at(195, 175), platform::rgbColor(0, 0, 255));
    EXPECT_EQ(e.at(201, 181), kWhite);
    // A press with an empty box writes nothing and records nothing.
    const int after = e.k();
    QTest::mousePress(e.picture(), Qt::LeftButton, {}, {10, 10});
    QTest::mouseRelease(e.picture(), Qt::LeftButton, {}, {10, 10});
    EXPECT_EQ(e.k(), after);
}

TEST(EditorProgram, DrawingColourComesFromTheDialogAndWhiteIsDrawnAsWhite)
{
    Editor e;
    platform::Bitmap black(320, 240);
    black.image().fill(Qt::black);
    e.enterWith(black);
    e.dialogs.colour = [](const QColor &) { return QColor(Qt::white); };
    e.mouseClick(ControlId::ImgBar_Color);
    EXPECT_EQ(e.editor().drawColour(), QColor(Qt::white));
    e.dialogs.colour = [](const QColor &) { return QColor(); };   // cancelled
    e.mouseClick(ControlId::ImgBar_Color);
    EXPECT_EQ(e.editor().drawColour(), QColor(Qt::white));
    // The still picture is no keyed layer: a white line is white in the pixels.
    e.trigger(ControlId::EDS_Line);
    e.drag({10, 10}, {50, 30});
    EXPECT_EQ(e.at(30, 20), kWhite);
    EXPECT_EQ(e.at(30, 10), platform::rgbColor(0, 0, 0));
}

TEST(EditorProgram, APolygonClosesOnTheRightClick)
{
    Editor e;
    e.enterWith();
    e.trigger(ControlId::EDS_Polygon);
    QTest::mouseClick(e.picture(), Qt::LeftButton, {}, {20, 20});
    QTest::mouseClick(e.picture(), Qt::LeftButton, {}, {100, 20});
    QTest::mouseClick(e.picture(), Qt::RightButton, {}, {100, 100});
    EXPECT_EQ(e.at(60, 20), kRed);    // first side
    EXPECT_EQ(e.at(100, 60), kRed);   // second side
    EXPECT_EQ(e.at(60, 60), kRed);    // closing side back to the first vertex
    EXPECT_EQ(e.editor().dragState(), imaging::DragState::Idle);
}

TEST(EditorProgram, TheTextBoxEdgeStopsAtThePanelBorderAndTheBoxMovesWithTheRightButton)
{
    Editor e;
    e.enterWith(platform::Bitmap(640, 480));
    e.click(ControlId::ImgBar_OriginalFit);
    ASSERT_EQ(e.picture()->geometry(), QRect(-120, -90, 640, 480));
    e.click(ControlId::ImgBar_Text);
    // Picture pixels (220, 190) are panel pixels (100, 100).
    e.drag({220, 190}, {320, 240});
    imaging::ui::EditTextBox &box = e.editor().textBox();
    ASSERT_TRUE(box.isShown());
    ASSERT_EQ(box.geometry(), QRect(100, 100, 100, 50));
    QWidget *vp = box.edit()->viewport();
    const QPoint rightEdge(98, 25);
    QTest::mousePress(vp, Qt::LeftButton, {}, rightEdge);
    QTest::mouseMove(vp, rightEdge + QPoint(500, 0));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, rightEdge + QPoint(500, 0));
    EXPECT_EQ(box.geometry(), QRect(100, 100, 300, 50));   // the panel is 400 wide
    // The eight handles follow: the right-hand ones sit at the new right edge.
    EXPECT_EQ(box.handles()[7]->pos(), QPoint(100 + 300 - 4, 100 + 50 - 4));
    QTest::mousePress(vp, Qt::RightButton, {}, {50, 25});
    QTest::mouseMove(vp, {30, 5});
    QTest::mouseRelease(vp, Qt::RightButton, {}, {30, 5});
    EXPECT_EQ(box.geometry(), QRect(80, 80, 300, 50));
}

TEST(EditorProgram, ThePopupMenuCopiesAndPastesTheWholePicture)
{
    Editor e;
    e.enterWith();
    e.shell().UpdateActions();
    e.trigger(ControlId::VI_Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(320, 240));
    QImage other(200, 100, QImage::Format_RGB32);
    other.fill(Qt::green);
    QGuiApplication::clipboard()->setImage(other);
    e.shell().UpdateActions();   // Paste is offered only while the clipboard holds a picture
    e.trigger(ControlId::VI_Paste);
    EXPECT_EQ(e.doc().picture().size(), QSize(200, 100));
    EXPECT_EQ(e.doc().committedPicture().size(), QSize(200, 100));
    // An edit like any other: counted, and undone back to the picture before.
    EXPECT_EQ(e.k(), 2);
    e.editor().ImgBar_UndoClick();
    EXPECT_EQ(e.doc().picture().size(), QSize(320, 240));
    EXPECT_EQ(e.picture()->size(), QSize(320, 240));
    e.trigger(ControlId::VI_Cut);
    EXPECT_EQ(e.at(5, 5), kWhite);
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(320, 240));
    EXPECT_EQ(e.k(), 2);
}

TEST(EditorProgram, NewFileOffersTheEditsThenStartsABlankPictureOfNobodysFile)
{
    Editor e;
    e.enterWith();
    e.doc().saved(QStringLiteral("/somewhere/Jpg_20141111_00001.jpg"));
    e.trigger(ControlId::EDS_Line);
    e.drag({10, 10}, {50, 30});
    e.click(ControlId::ImgBar_NewFile);
    EXPECT_EQ(e.questions(), 1);
    EXPECT_EQ(e.doc().picture(), platform::Bitmap(640, 480));
    EXPECT_EQ(e.picture()->geometry(), QRect(0, 0, 400, 300));
    EXPECT_TRUE(e.doc().filePath().isEmpty());
    EXPECT_EQ(e.k(), 1);
    EXPECT_FALSE(e.enabled(ControlId::ImgBar_Undo));
}

TEST(EditorProgram, SpaceOverTheLiveVideoAsksAboutTheEditBeforeTheSnapshotReplacesIt)
{
    Editor e;
    QApplication::setActiveWindow(&e.app->window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&e.app->window()));
    ASSERT_TRUE(e.connect());
    e.enterWith();
    e.trigger(ControlId::EDS_Line);
    e.drag({10, 10}, {50, 30});
    ASSERT_EQ(e.k(), 2);
    e.app->window().centralWidget()->setFocus();
    QTest::keyClick(&e.app->window(), Qt::Key_Space);
    EXPECT_EQ(e.app->keys().snapshotPresses(), 1);
    ASSERT_EQ(e.questions(), 1);
    EXPECT_EQ(e.presenter.texts[0], e.shell().texts().text("WhetherSaveImage_MsgBox"));
}

// --- The keyboard, typed text, every direction, every zoom, and the snapshot over unsaved work

// A click never gives a button the keyboard: Space and Enter afterwards press nothing, Tab never
// lands on one, and a text box that goes away hands the keyboard back to the window.
TEST(EditorProgram, NoButtonTakesTheKeyboardSoSpaceAndEnterPressNothing)
{
    Editor e;
    e.activate();
    QMainWindow *window = &e.app->window();
    int buttons = 0;
    for (QAbstractButton *b : window->findChildren<QAbstractButton *>()) {
        const bool onABar = qobject_cast<QToolBar *>(b->parentWidget()) != nullptr;
        const bool mainRow = b->parentWidget() == window->centralWidget();
        if (!onABar && !mainRow)
            continue;
        ++buttons;
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus) << b->objectName().toStdString();
    }
    EXPECT_GT(buttons, 100);

    e.enterWith();
    e.mouseClick(ControlId::ImgBar_SelectRang);
    e.mouseClick(ControlId::ImgBar_Text);
    e.typeInABox({20, 20}, {180, 100}, QStringLiteral("HEEH"));
    EXPECT_TRUE(e.box().edit()->hasFocus());
    // A size chosen in the size box (which the mouse gives the keyboard): typing goes on in the box.
    QComboBox *sizes = e.shell().controls().comboBox(ControlId::ImgBar_ComboBox_TextSize);
    sizes->setFocus(Qt::MouseFocusReason);
    sizes->setCurrentText(QStringLiteral("12"));
    EXPECT_TRUE(e.box().edit()->hasFocus());
    e.mouseClick(ControlId::ImgBar_NormalMode);
    EXPECT_FALSE(e.box().isShown());
    EXPECT_EQ(QApplication::focusWidget(), window->centralWidget());
    const int k = e.k();
    for (int key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    EXPECT_EQ(e.editor().tool(), imaging::EditTool::Normal);
    for (ControlId id : {ControlId::ImgBar_Text, ControlId::ImgBar_SelectRang, ControlId::ImgBar_Move})
        EXPECT_FALSE(e.down(id)) << state::controlName(id);
    EXPECT_TRUE(e.shell().state().flags().EditMode);
    EXPECT_EQ(e.k(), k);
    EXPECT_EQ(e.questions(), 0);
    for (int i = 0; i < 80; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(qobject_cast<QAbstractButton *>(QApplication::focusWidget()), nullptr)
            << "Tab reached " << QApplication::focusWidget()->objectName().toStdString();
    }
}

// Typed text goes into the picture when another tool is chosen, when the editor is left and when
// the picture is saved: the pixels carry it, it is one edit, and Undo takes it back.
TEST(EditorProgram, TypedTextIsWrittenWhenAnotherToolIsChosenTheEditorIsLeftOrThePictureSaved)
{
    Editor e;
    e.activate();
    e.enterWith();
    // The picture sits at (40, 30) in the panel: the box opens at picture pixels (20, 20).
    const QRect written(20, 20, 60, 14);
    e.typeInABox({20, 20}, {180, 100}, QStringLiteral("HEEH"));
    EXPECT_FALSE(darkIn(e.doc().picture(), written));
    e.mouseClick(ControlId::ImgBar_NormalMode);
    EXPECT_TRUE(darkIn(e.doc().picture(), written));
    EXPECT_FALSE(darkIn(e.doc().picture(), QRect(0, 40, 320, 200)));
    EXPECT_EQ(e.doc().committedPicture(), e.doc().picture());
    EXPECT_EQ(e.k(), 2);
    EXPECT_TRUE(e.enabled(ControlId::ImgBar_Undo));
    e.mouseClick(ControlId::ImgBar_Undo);
    EXPECT_FALSE(darkIn(e.doc().picture(), written));

    // A drawing tool from the draw-style menu.
    e.typeInABox({20, 120}, {180, 200}, QStringLiteral("HEEH"));
    e.trigger(ControlId::EDS_Rectangle);
    EXPECT_TRUE(darkIn(e.doc().picture(), QRect(20, 120, 60, 14)));
    EXPECT_FALSE(e.box().isShown());

    // Leaving the editor: the text counts as an edit and is asked about (Cancel keeps it unsaved).
    e.typeInABox({150, 20}, {300, 100}, QStringLiteral("HEEH"));
    e.shell().UpdateActions();
    EXPECT_TRUE(e.shell().controls().mainButton(ControlId::SaveImage_Btn)->isVisible()) << "typed text is work to save";
    const int asked = e.questions();
    e.presenter.answers = {app::ui::kResultCancel};
    e.mouseClick(ControlId::EditorImage_Btn);
    EXPECT_FALSE(e.shell().state().flags().EditMode);
    EXPECT_EQ(e.questions(), asked + 1);
    EXPECT_TRUE(darkIn(e.doc().picture(), QRect(150, 20, 60, 14)));
    EXPECT_TRUE(e.doc().hasUnsavedEdits());

    // Saving with the editor's save button: the file holds the text.
    e.mouseClick(ControlId::EditorImage_Btn);
    e.typeInABox({20, 120}, {180, 200}, QStringLiteral("EEEE"));
    e.mouseClick(ControlId::ImgBar_Save);
    ASSERT_FALSE(e.doc().filePath().isEmpty());
    const platform::DecodedPicture saved = platform::readPictureFile(e.doc().filePath());
    ASSERT_TRUE(saved.ok());
    EXPECT_TRUE(darkIn(saved.bitmap, QRect(20, 120, 60, 14)));
    EXPECT_TRUE(darkIn(saved.bitmap, QRect(150, 20, 60, 14)));
    EXPECT_FALSE(e.doc().hasUnsavedEdits());

    // And with the main window's save button.
    e.typeInABox({20, 170}, {180, 230}, QStringLiteral("HHHH"));
    e.mouseClick(ControlId::SaveImage_Btn);
    const platform::DecodedPicture again = platform::readPictureFile(e.doc().filePath());
    ASSERT_TRUE(again.ok());
    EXPECT_TRUE(darkIn(again.bitmap, QRect(20, 170, 60, 14)));
    EXPECT_FALSE(e.box().isShown());
}

// An edge dragged past the opposite one stops where the box still holds its text (16 x 16 at
// least); the text stays in sight and reaches the picture.
TEST(EditorProgram, TheTextBoxNeverCollapsesUnderAnEdgeDrag)
{
    Editor e;
    e.activate();
    e.enterWith();
    e.typeInABox({20, 20}, {180, 100}, QStringLiteral("HEEHHEEH"));
    imaging::ui::EditTextBox &box = e.box();
    ASSERT_EQ(box.geometry(), QRect(60, 50, 160, 80));
    QWidget *vp = box.edit()->viewport();
    // The left edge dragged 300 pixels right, far past the right edge: the right edge stays, and
    // the box keeps the width eight characters need at 11 pixels ((11 - 0.5) x 0.5 x 8 = 42).
    QTest::mousePress(vp, Qt::LeftButton, {}, {2, 40});
    QTest::mouseMove(vp, {302, 40});
    QTest::mouseRelease(vp, Qt::LeftButton, {}, {302, 40});
    EXPECT_EQ(box.geometry(), QRect(220 - 42, 50, 42, 80));
    // The bottom edge dragged far above the top: one line of 11 + 4 pixels, 16 at least.
    const QPoint bottom(20, 78);
    QTest::mousePress(vp, Qt::LeftButton, {}, bottom);
    QTest::mouseMove(vp, bottom - QPoint(0, 300));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, bottom - QPoint(0, 300));
    EXPECT_EQ(box.geometry(), QRect(178, 50, 42, 16));
    e.mouseClick(ControlId::ImgBar_NormalMode);
    EXPECT_TRUE(darkIn(e.doc().picture(), QRect(178 - 40, 50 - 30, 42, 14)));
}

// A click with the text tool opens no box: the status line at the foot of the picture says how,
// in the language of the window, until a box is dragged open or another tool chosen.
TEST(EditorProgram, AClickWithoutADragTellsTheUserToDragABoxOpen)
{
    Editor e;
    e.enterWith();
    QLabel *line = e.shell().controls().label(ControlId::EditorStatus_Lab);
    ASSERT_NE(line, nullptr);
    EXPECT_FALSE(line->isVisible());
    e.mouseClick(ControlId::ImgBar_Text);
    QTest::mouseClick(e.picture(), Qt::LeftButton, {}, {50, 50});
    EXPECT_FALSE(e.box().isShown());
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(line->text(), e.shell().texts().text("EditorDragTextBox_Lab"));
    EXPECT_EQ(line->text(), QStringLiteral("drag to open a text box"));
    // Along the foot of the picture's panel.
    EXPECT_EQ(line->parentWidget(), &e.app->still().view());
    EXPECT_EQ(line->geometry().bottom(), 299);
    EXPECT_EQ(line->width(), 400);
    // Dragged open: the hint goes.
    e.drag({20, 20}, {180, 100});
    EXPECT_TRUE(e.box().isShown());
    EXPECT_FALSE(line->isVisible());
    // Too small a drag is no box either; another tool takes the hint away.
    e.drag({20, 20}, {30, 30});
    EXPECT_TRUE(line->isVisible());
    e.mouseClick(ControlId::ImgBar_NormalMode);
    EXPECT_FALSE(line->isVisible());
}

// From the fitted view, zoom out has nowhere to go (the own size would enlarge the picture); zoom
// in and out step the size the way asked, and at the own size zoom out steps down again.
TEST(EditorProgram, ZoomOutNeverEnlargesAndZoomInNeverShrinks)
{
    Editor e;
    e.enterWith(platform::Bitmap(800, 600));
    ASSERT_EQ(e.picture()->geometry(), QRect(0, 0, 400, 300));
    EXPECT_FALSE(e.enabled(ControlId::ImgBar_ZoomOut));
    e.mouseClick(ControlId::ImgBar_ZoomIn);
    EXPECT_EQ(e.picture()->size(), QSize(444, 333));
    e.mouseClick(ControlId::ImgBar_ZoomOut);
    EXPECT_EQ(e.picture()->size(), QSize(400, 300));
    e.mouseClick(ControlId::ImgBar_OriginalFit);
    ASSERT_EQ(e.picture()->size(), QSize(800, 600));
    EXPECT_FALSE(e.enabled(ControlId::ImgBar_ZoomIn));
    EXPECT_TRUE(e.enabled(ControlId::ImgBar_ZoomOut));
    e.mouseClick(ControlId::ImgBar_ZoomOut);
    EXPECT_EQ(e.picture()->size(), QSize(727, 545));
    e.mouseClick(ControlId::ImgBar_ZoomIn);
    EXPECT_EQ(e.picture()->size(), QSize(800, 600));
}

// At half zoom (800 x 600 fitted into the 400 x 300 panel) the text tool works: a box dragged
// over control pixels (50, 50)-(150, 100) writes its text at picture pixels (100, 100), in the
// size chosen (picture pixels), shown in the box at half that size.
TEST(EditorProgram, TextWorksAtHalfZoom)
{
    Editor e;
    e.activate();
    e.enterWith(platform::Bitmap(800, 600));
    ASSERT_EQ(e.picture()->size(), QSize(400, 300));
    ASSERT_TRUE(e.enabled(ControlId::ImgBar_Text));
    e.typeInABox({50, 50}, {150, 100}, QStringLiteral("HEEH"));
    EXPECT_EQ(e.box().geometry(), QRect(50, 50, 100, 50));
    EXPECT_EQ(e.box().shownFontHeight(), -6);   // the 11-pixel font shown at half its size
    e.mouseClick(ControlId::ImgBar_NormalMode);
    const platform::Bitmap &pic = e.doc().picture();
    EXPECT_TRUE(darkIn(pic, QRect(100, 100, 40, 13)));
    EXPECT_FALSE(darkIn(pic, QRect(0, 0, 800, 99)));
    EXPECT_FALSE(darkIn(pic, QRect(0, 0, 99, 600)));
    EXPECT_FALSE(darkIn(pic, QRect(0, 118, 800, 482)));
    EXPECT_EQ(e.k(), 2);
}

// The worked square and circle, and a rectangle dragged each of the four ways, with the mouse on
// the real picture control at the picture's own size.
TEST(EditorProgram, TheWorkedSquareAndCircleAndEveryDirectionLandInThePixels)
{
    Editor e;
    e.enterWith();
    ASSERT_EQ(e.picture()->size(), QSize(320, 240));
    e.trigger(ControlId::EDS_Square);
    e.drag({40, 40}, {70, 30});
    for (QPoint corner : {QPoint(40, 40), QPoint(70, 10), QPoint(40, 10), QPoint(70, 40)})
        EXPECT_EQ(e.at(corner.x(), corner.y()), kRed) << corner.x() << "," << corner.y();
    for (QPoint outside : {QPoint(55, 9), QPoint(55, 41), QPoint(39, 25), QPoint(71, 25), QPoint(55, 25)})
        EXPECT_EQ(e.at(outside.x(), outside.y()), kWhite) << outside.x() << "," << outside.y();
    e.mouseClick(ControlId::ImgBar_Undo);
    ASSERT_EQ(e.doc().picture(), platform::Bitmap(320, 240));
    e.trigger(ControlId::EDS_Circle);
    e.drag({40, 40}, {60, 40});
    for (QPoint p : {QPoint(40, 40), QPoint(60, 40), QPoint(50, 30), QPoint(50, 50)})
        EXPECT_EQ(e.at(p.x(), p.y()), kRed) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(39, 40), QPoint(61, 40), QPoint(50, 29), QPoint(50, 51), QPoint(50, 40)})
        EXPECT_EQ(e.at(p.x(), p.y()), kWhite) << p.x() << "," << p.y();

    e.trigger(ControlId::EDS_Rectangle);
    const QPoint a(100, 100), b(140, 130);
    const std::pair<QPoint, QPoint> ways[] = {{a, b}, {b, a}, {{b.x(), a.y()}, {a.x(), b.y()}}, {{a.x(), b.y()}, {b.x(), a.y()}}};
    std::optional<QImage> first;
    for (const auto &[from, to] : ways) {
        const platform::Bitmap before = e.doc().picture();
        e.drag(from, to);
        const QImage drawn = e.doc().picture().image().copy(95, 95, 50, 40);
        for (QPoint p : {a, b, QPoint(a.x(), b.y()), QPoint(b.x(), a.y())})
            EXPECT_EQ(e.at(p.x(), p.y()), kRed) << from.x() << "," << from.y() << " to " << to.x() << "," << to.y();
        if (!first)
            first = drawn;
        else
            EXPECT_EQ(drawn, *first) << from.x() << "," << from.y() << " to " << to.x() << "," << to.y();
        e.editor().ImgBar_UndoClick();
        ASSERT_EQ(e.doc().picture(), before);
    }
}

// The Normal-mode button comes up when another tool is chosen, by menu or by button.
TEST(EditorProgram, TheNormalModeButtonComesUpWhenAnotherToolIsChosen)
{
    Editor e;
    e.enterWith();
    e.mouseClick(ControlId::ImgBar_NormalMode);
    ASSERT_TRUE(e.down(ControlId::ImgBar_NormalMode));
    e.trigger(ControlId::EDS_Line);
    EXPECT_FALSE(e.down(ControlId::ImgBar_NormalMode));
    EXPECT_EQ(e.editor().tool(), imaging::EditTool::Line);
    for (ControlId other : {ControlId::ImgBar_Text, ControlId::ImgBar_SelectRang}) {
        e.mouseClick(ControlId::ImgBar_NormalMode);
        ASSERT_TRUE(e.down(ControlId::ImgBar_NormalMode));
        e.mouseClick(other);
        EXPECT_FALSE(e.down(ControlId::ImgBar_NormalMode)) << state::controlName(other);
    }
}

// The capture button and Space, outside the editor, ask before a snapshot replaces a picture
// with unsaved work, and ask nothing over saved work.
TEST(EditorProgram, TheCaptureButtonAndSpaceAskBeforeASnapshotReplacesUnsavedWork)
{
    Editor e;
    e.activate();
    ASSERT_TRUE(e.connect());
    auto leaveAnEditUnsaved = [&e] {
        e.enterAndDrawALine();
        e.presenter.answers = {app::ui::kResultCancel};
        e.mouseClick(ControlId::EditorImage_Btn);
        ASSERT_FALSE(e.shell().state().flags().EditMode);
        ASSERT_TRUE(e.doc().hasUnsavedEdits());
    };
    leaveAnEditUnsaved();
    int asked = e.questions();
    e.presenter.answers = {app::ui::kResultCancel};
    e.mouseClick(ControlId::CaptureImage_Btn);
    ASSERT_EQ(e.questions(), asked + 1);
    EXPECT_EQ(e.presenter.texts.last(), e.shell().texts().text("WhetherSaveImage_MsgBox"));
    // Cancel goes on: the snapshot took the place (and was stored: auto save is on here).
    EXPECT_EQ(e.doc().picture().size(), e.app->camera().camera().videoSize());
    EXPECT_FALSE(e.doc().hasUnsavedEdits());
    // Over saved work, no question.
    e.mouseClick(ControlId::CaptureImage_Btn);
    EXPECT_EQ(e.questions(), asked + 1);

    // Space, with the keyboard on the window.
    leaveAnEditUnsaved();
    asked = e.questions();
    e.app->window().centralWidget()->setFocus();
    const int presses = e.app->keys().snapshotPresses();
    QTest::keyClick(&e.app->window(), Qt::Key_Space);
    EXPECT_EQ(e.app->keys().snapshotPresses(), presses + 1);
    ASSERT_EQ(e.questions(), asked + 1);
    EXPECT_EQ(e.presenter.texts.last(), e.shell().texts().text("WhetherSaveImage_MsgBox"));
    // OK saved the edited picture before the snapshot replaced it.
    EXPECT_FALSE(e.doc().hasUnsavedEdits());
    EXPECT_EQ(e.doc().picture().size(), e.app->camera().camera().videoSize());
}
