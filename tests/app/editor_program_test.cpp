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

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
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

TEST(EditorProgram, SnapshotKeyOffersUnsavedEditsFirst)
{
    Editor e;
    e.enterWith();
    e.editor().beforeSnapshotKey();
    EXPECT_EQ(e.questions(), 0);
    e.trigger(ControlId::EDS_Line);
    e.drag({10, 10}, {50, 30});
    e.editor().beforeSnapshotKey();
    EXPECT_EQ(e.questions(), 1);
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
    EXPECT_FALSE(e.enabled(ControlId::ImgBar_Text));   // stretched: no drawing tools
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

TEST(EditorProgram, DrawingColourComesFromTheDialogAndWhiteIsKeptOffTheKey)
{
    Editor e;
    e.enterWith();
    e.dialogs.colour = [](const QColor &) { return QColor(Qt::white); };
    e.click(ControlId::ImgBar_Color);
    EXPECT_EQ(e.editor().drawColour(), QColor(0xFE, 0xFF, 0xFF));
    e.dialogs.colour = [](const QColor &) { return QColor(); };   // cancelled
    e.click(ControlId::ImgBar_Color);
    EXPECT_EQ(e.editor().drawColour(), QColor(0xFE, 0xFF, 0xFF));
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
