#include "editorcontroller.h"

#include "editormouse.h"
#include "editortoolbars.h"
#include "edittextbox.h"
#include "stillimageview.h"

#include "feature/actioninputs.h"
#include "feature/actionstate.h"
#include "feature/ui/controls.h"
#include "feature/ui/shellport.h"
#include "feature/ui/userdialogs.h"
#include "imaging/stilldocument.h"
#include "state/appstate.h"
#include "state/usersettings.h"
#include "state/uiprotocol.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

namespace imaging::ui {

using feature::ui::Controls;
using imaging::DragState;
using imaging::EditTool;
using state::ControlId;

EditorController::EditorController(feature::ui::FeatureContext context, EditorPort &port, StillDocument &document,
                                   StillImageView &stillView, QObject *parent)
    : QObject(parent), ctx_(context), port_(port), doc_(document), view_(stillView)
{
    textBox_ = new EditTextBox(&view(), control(), this);
    mouse_ = new EditorMouse(view(), doc(), *textBox_, this);
    connect(mouse_, &EditorMouse::popupRequested, this,
            [this](QPoint global) { ctx_.controls.menu(ControlId::TntPM_ViewerImage)->popup(global); });
    connect(mouse_, &EditorMouse::textBoxPlaced, this, [this](bool opened) {
        if (opened)
            hideHint();
        else
            showHint(QStringLiteral("EditorDragTextBox_Lab"));
    });
    // A new picture in place: a box typed over the one before has nothing left to go into
    // (whoever replaced the picture committed it and asked about it first).
    connect(&doc_, &StillDocument::changed, this, [this](StillDocument::Change change) { onDocumentChanged(int(change)); });
    Controls &c = ctx_.controls;
    toolBars_ = new EditorToolBars([&c](ControlId id) { return c.object(id); }, this);
    connect(toolBars_, &EditorToolBars::lineStyleChosen, this, [this](Qt::PenStyle style, int width) {
        gesture().style().pen = style;
        gesture().style().penWidth = width;
    });
    connect(toolBars_, &EditorToolBars::brushStyleChosen, this,
            [this](Qt::BrushStyle style) { gesture().style().brush = style; });
    connect(toolBars_, &EditorToolBars::toolChosen, this, &EditorController::chooseTool);
    connect(toolBars_, &EditorToolBars::drawStyleMenuOpening, this, [this] {
        eraseMarquee();
        commitText();
    });
    connect(toolBars_, &EditorToolBars::textSizeChosen, this, [this](int points) {
        textBox_->setPointSize(points);
        // Typing goes on in the box, not in the size box the mouse just used.
        if (textBox_->isShown())
            textBox_->edit()->setFocus(Qt::OtherFocusReason);
    });
    connect(toolBars_, &EditorToolBars::textBackgroundTransparent, textBox_,
            &EditTextBox::setTransparentBackground);
    connectControls();
    connectPopupMenu();
}

EditorController::~EditorController() = default;

StillImageView &EditorController::view() const { return view_; }

StillDocument &EditorController::doc() const { return doc_; }

QWidget *EditorController::control() const { return view().pictureControl(); }

imaging::EditGesture &EditorController::gesture() const { return mouse_->gesture(); }

EditorViewport &EditorController::viewport() const { return mouse_->viewport(); }

bool EditorController::editing() const { return ctx_.state.flags().EditMode; }

void EditorController::connectControls()
{
    Controls &c = ctx_.controls;
    auto click = [this, &c](ControlId id, auto handler) { connect(c.toolButton(id), &QToolButton::clicked, this, handler); };
    connect(c.mainButton(ControlId::EditorImage_Btn), &QAbstractButton::clicked, this,
            &EditorController::EditorImage_BtnClick);
    click(ControlId::ImgBar_ExitToolBar, [this] {
        eraseMarquee();
        commitText();
        askToSave();
        leave();
    });
    click(ControlId::ImgBar_NewFile, [this] { newFile(); });
    click(ControlId::ImgBar_Save, [this] {
        eraseMarquee();
        commitText();
        port_.saveStill(doc().picture());
    });
    click(ControlId::ImgBar_RotateLeft, [this] { rotate(true); });
    click(ControlId::ImgBar_RotateRight, [this] { rotate(false); });
    click(ControlId::ImgBar_ZoomFit, [this] { zoomFit(); });
    click(ControlId::ImgBar_ZoomIn, [this] { zoomStep(true); });
    click(ControlId::ImgBar_ZoomOut, [this] { zoomStep(false); });
    click(ControlId::ImgBar_OriginalFit, [this] {
        // The box sits on the view; the view is about to change under it.
        commitText();
        viewport().originalSize();
    });
    click(ControlId::ImgBar_Undo, [this] { ImgBar_UndoClick(); });
    click(ControlId::ImgBar_Redo, [this] { ImgBar_RedoClick(); });
    click(ControlId::ImgBar_Color, [this] { pickDrawColour(); });
    click(ControlId::ImgBar_DeleteToolBar, [this] {
        eraseMarquee();
        port_.deleteStill();
    });
    click(ControlId::ImgBar_TextColor, [this] { pickTextColour(false); });
    click(ControlId::ImgBar_TextBgColor, [this] { pickTextColour(true); });
    click(ControlId::ImgBar_Cut, [this] { cut(); });
    click(ControlId::ImgBar_Copy, [this] { ImgBar_CopyClick(); });
    click(ControlId::ImgBar_Paste, [this] { paste(); });
    click(ControlId::ImgBar_SelectSave, [this] { selectSave(); });
}

void EditorController::connectPopupMenu()
{
    // The pop-up menu's whole-picture cut and paste are edits like any other: committed and
    // recorded, so they survive the next stroke and the exit, count as unsaved and can be undone.
    Controls &c = ctx_.controls;
    connect(c.action(ControlId::VI_Cut), &QAction::triggered, this, [this] {
        if (doc().isEmpty())
            return;
        eraseMarquee();
        QGuiApplication::clipboard()->setImage(doc().picture().image());
        doc().edit(platform::Bitmap(doc().picture().width(), doc().picture().height()));
    });
    connect(c.action(ControlId::VI_Copy), &QAction::triggered, this, [this] {
        if (doc().isEmpty())
            return;
        eraseMarquee();
        QGuiApplication::clipboard()->setImage(doc().picture().image());
    });
    connect(c.action(ControlId::VI_Paste), &QAction::triggered, this, [this] {
        const QImage image = QGuiApplication::clipboard()->image();
        if (image.isNull() || doc().isEmpty())
            return;
        eraseMarquee();
        doc().edit(platform::Bitmap(image));
        zoomFit();
    });
}

// --- Tools ---

void EditorController::chooseTool(EditTool tool)
{
    eraseMarquee();
    hideHint();
    // Another tool: what was typed goes into the picture, it is not thrown away.
    if (tool != EditTool::Text)
        commitText();
    if (tool == EditTool::SelectRange || tool == EditTool::Text)
        gesture().clearSelection(true);
    if (tool == EditTool::Text)
        textBox_->setTransparentBackground(false);
    gesture().setTool(tool);
    control()->setCursor(tool == EditTool::Normal ? Qt::ArrowCursor : tool == EditTool::Move ? Qt::SizeAllCursor
                                                                                           : Qt::CrossCursor);
}

void EditorController::resetTool()
{
    toolBars_->resetTool();
    chooseTool(EditTool::Normal);
}

void EditorController::eraseMarquee() { doc().erasePreview(); }

bool EditorController::commitText() { return mouse_->commitText(); }

void EditorController::onDocumentChanged(int change)
{
    if (StillDocument::Change(change) == StillDocument::Change::Loaded) {
        textBox_->clearAndHide();
        hideHint();
    }
}

void EditorController::showHint(const QString &key)
{
    hintKey_ = key;
    QLabel *line = ctx_.controls.label(ControlId::EditorStatus_Lab);
    line->setText(ctx_.shell.text(key));
    // Along the foot of the picture's panel, over the picture.
    QWidget *panel = line->parentWidget();
    const int height = line->sizeHint().height();
    line->setGeometry(0, panel->height() - height, panel->width(), height);
    line->show();
    line->raise();
}

void EditorController::hideHint()
{
    hintKey_.clear();
    ctx_.controls.label(ControlId::EditorStatus_Lab)->hide();
}

void EditorController::languageChanged()
{
    if (!hintKey_.isEmpty())
        showHint(hintKey_);
}

// --- Entering and leaving ---

void EditorController::EditorImage_BtnClick()
{
    if (!editing())
        return enter();
    commitText();
    askToSave();
    leave();
    ctx_.shell.MemoryTrim();
}

// Edits beyond the entry snapshot (K > 1) are offered for saving.
void EditorController::askToSave()
{
    const imaging::StillDocument &still = doc();
    if (still.changeCount() > 1 && !still.isEmpty()
        && ctx_.shell.ShowMessageBox(QStringLiteral("WhetherSaveImage_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                                 state::kIconQuestion)
               == state::kResultOk)
        port_.saveStill(still.picture());
}

void EditorController::enter()
{
    if (doc().isEmpty())
        return;
    toolBars_->show();
    ctx_.shell.setMainButton(ControlId::EditorImage_Btn, QStringLiteral("exitedit.bmp"), QStringLiteral("EditorImageExit_Btn"));
    ctx_.state.setEditMode(true);
    // Edits the picture carries in (a filter result kept, a snapshot that was not stored) stay
    // unsaved: the document keeps K.
    doc().beginEditing();
    viewport().takeCurrentAsFit();
    mouse_->attach();
    port_.leaveFilterMode();
}

void EditorController::ExitImageEdit() { leave(); }

void EditorController::leave()
{
    if (!editing())
        return;
    ctx_.shell.setMainButton(ControlId::EditorImage_Btn, QStringLiteral("edit.bmp"), QStringLiteral("EditorImage_Btn"));
    // Typed text stays in the picture whoever ends the editor (the filters, the library).
    commitText();
    resetTool();
    hideHint();
    // Unsaved edits stay unsaved whether the user saved them or not: the document keeps K and
    // takes the picture as the filters' source.
    doc().endEditing();
    ctx_.state.setEditMode(false);
    port_.resetFilterButtons();
    toolBars_->hide();
    mouse_->detach();
    control()->unsetCursor();
}

// --- History, turns, zoom, New ---

void EditorController::ImgBar_UndoClick()
{
    eraseMarquee();
    if (doc().undo())
        viewport().restore(doc().savedViewOffset());
}

void EditorController::ImgBar_RedoClick()
{
    eraseMarquee();
    if (doc().redo())
        viewport().restore(doc().savedViewOffset());
}

void EditorController::rotate(bool left)
{
    if (doc().isEmpty())
        return;
    eraseMarquee();
    commitText();
    const platform::Bitmap &source = doc().committedPicture().isNull() ? doc().picture() : doc().committedPicture();
    doc().replace(left ? imaging::rotateLeft(source) : imaging::rotateRight(source));
    viewport().fit();
}

void EditorController::zoomStep(bool in)
{
    // Without the move button the zoomed picture is centred and no tool stays chosen.
    const bool keep = ctx_.controls.isDown(ControlId::ImgBar_Move);
    // The box sits on the view; the view is about to change under it.
    commitText();
    if (viewport().zoomStep(in, keep) && !keep)
        resetTool();
}

void EditorController::zoomFit()
{
    eraseMarquee();
    commitText();
    viewport().fit();
    doc().setSavedViewOffset(QPoint());
    port_.resetFilterButtons();
}

void EditorController::newFile()
{
    eraseMarquee();
    commitText();
    askToSave();
    // A new picture, the history's first snapshot and the filters' source; it is nobody's file,
    // so Delete cannot reach the file saved a moment ago.
    doc().load(platform::Bitmap(640, 480), QString());
    viewport().fit();
    port_.resetFilterButtons();
}

// --- Colours ---

void EditorController::pickDrawColour()
{
    eraseMarquee();
    // The still picture is no keyed layer: white is drawn as white.
    const QColor c = feature::ui::askColour(ctx_.dialogs, &ctx_.window, gesture().style().colour);
    if (!c.isValid())
        return;
    gesture().style().colour = c;
}

void EditorController::pickTextColour(bool background)
{
    eraseMarquee();
    const QColor c = feature::ui::askColour(ctx_.dialogs, &ctx_.window,
                                            background ? textBox_->backgroundColor() : textBox_->textColor());
    if (!c.isValid())
        return;
    if (background)
        textBox_->setBackgroundColor(c);
    else
        textBox_->setTextColor(c);
}

// --- Selection and clipboard ---

void EditorController::cut()
{
    if (!ctx_.controls.isDown(ControlId::ImgBar_SelectRang))
        return;
    gesture().clearSelection();
    eraseMarquee();
    // A selection without width or height holds no picture: nothing to put anywhere.
    const QRect r = gesture().selectionRect();
    if (r.isEmpty())
        return;
    QGuiApplication::clipboard()->setImage(doc().picture().image().copy(r));
    platform::Bitmap live = doc().picture();
    QPainter(&live.image()).fillRect(r, Qt::white);
    doc().edit(std::move(live));
}

void EditorController::ImgBar_CopyClick()
{
    if (!ctx_.controls.isDown(ControlId::ImgBar_SelectRang))
        return;
    gesture().clearSelection();
    eraseMarquee();
    if (const QRect r = gesture().selectionRect(); !r.isEmpty())
        QGuiApplication::clipboard()->setImage(doc().picture().image().copy(r));
}

void EditorController::selectSave()
{
    gesture().clearSelection();
    eraseMarquee();
    if (const QRect r = gesture().selectionRect(); !r.isEmpty())
        port_.saveStill(platform::Bitmap(doc().picture().image().copy(r)));
}

void EditorController::paste()
{
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull() || doc().isEmpty())
        return;
    eraseMarquee();
    mouse_->show(gesture().startPaste(platform::Bitmap(image), doc().committedPicture(), viewport().where()));
    control()->setCursor(Qt::SizeAllCursor);
}

// --- Idle-time rules ---

void EditorController::readInputs(feature::ActionInputs &in) const
{
    if (!editing() || doc().isEmpty())
        return;
    // Text typed into the box is work the save button must offer, as an edit is.
    if (!textBox_->edit()->toPlainText().isEmpty())
        in.unsavedEdits = true;
    feature::EditorFacts &e = in.editor;
    const Controls &c = ctx_.controls;
    e.selectDown = c.isDown(ControlId::ImgBar_SelectRang);
    e.textDown = c.isDown(ControlId::ImgBar_Text);
    e.textBoxShown = textBox_->isShown();
    e.selection = gesture().hasSelection();
    const EditorViewport::Facts v = viewport().facts();
    e.controlLargerThanPanel = v.largerThanPanel;
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    e.clipboardBitmap = mime && mime->hasImage();
    e.canUndo = doc().canUndo();
    e.canRedo = doc().canRedo();
    e.zoomInChanges = v.zoomInChanges;
    e.zoomOutChanges = v.zoomOutChanges;
    e.fitChanges = v.fitChanges;
    e.originalChanges = v.originalChanges;
}

void EditorController::applyActions(const feature::ActionState &s)
{
    if (s.commitEditorTextBox)
        commitText();
}

} // namespace imaging::ui
