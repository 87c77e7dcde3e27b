#pragma once

#include "app/ui/feature.h"
#include "imaging/editgeometry.h"
#include "platform/bitmap.h"
#include "state/controltable.h"

#include <QColor>
#include <QObject>
#include <QPoint>

#include <functional>

class QPainter;

class QMenu;
class QMouseEvent;
class QPainter;

namespace imaging {
class StillDocument;
namespace ui {
class EditTextBox;
class StillImageView;
} // namespace ui
} // namespace imaging

namespace app::ui {

class Shell;
class StillImageController;

// The still-image editor: the edit button and the editor's two tool bars, their drop-down menus
// and the picture's pop-up menu, the mouse on the picture (select, paste, draw, pan, text box),
// zoom and pan, quarter turns, the clipboard, and the text tool's box. Every change of the
// picture goes through the still document (its history and K are the document's). Shapes and text are drawn in picture pixels;
// the pointer is mapped through the control's stretch, so they land where the user drew them at
// any zoom. UI thread.
class EditorController final : public QObject, public Feature
{
    Q_OBJECT
public:
    EditorController(Shell &shell, StillImageController &still, QObject *parent = nullptr);
    ~EditorController() override;

    // The edit button: enters the editor, or asks about unsaved edits and leaves it.
    void EditorImage_BtnClick();
    // Leaves the editor when others take the picture (filters, opening, deleting). The unsaved
    // state is kept: whoever replaces the picture decides about it.
    void ExitImageEdit();
    // The editor's part of resetting the tool buttons: "None" draw style, select-range, text and
    // move buttons up, no tool, no drag.
    void resetTool();
    // Space over the live video: with enough unsaved edits, offer to save before the snapshot.
    void beforeSnapshotKey();

    // What the filters answer; each does nothing until set.
    std::function<void()> resetFilterButtons = [] {};
    std::function<void()> leaveFilterMode = [] {};
    // The colour dialogs (drawing, text, text background): the choice, or an invalid colour when
    // cancelled. Default: the toolkit's colour dialog. Tests answer it.
    std::function<QColor(const QColor &initial)> pickColour;

    imaging::EditTool tool() const { return tool_; }
    imaging::DragState dragState() const { return drag_; }
    imaging::ui::EditTextBox &textBox() const { return *textBox_; }
    QColor drawColour() const { return drawColour_; }
    const imaging::ZoomState &zoom() const { return zoom_; }

    // The tool bar actions, as the buttons and menus call them.
    void ImgBar_UndoClick();
    void ImgBar_RedoClick();
    void rotate(bool left);
    void ImgBar_ZoomInClick() { zoomStep(true); }
    void ImgBar_ZoomOutClick() { zoomStep(false); }
    void ImgBar_ZoomFitClick();
    void ImgBar_OriginalFitClick();
    void ImgBar_NewFileClick();
    void ImgBar_CutClick();
    void ImgBar_CopyClick();
    void ImgBar_PasteClick();
    void ImgBar_SelectSaveClick();
    void ImgBar_ColorClick();
    void ImgBar_TextColorClick();
    void ImgBar_TextBgColorClick();
    void chooseDrawTool(imaging::EditTool tool);

    void readInputs(ActionInputs &in) const override;
    void applyRules(const ActionInputs &in, ActionState &s) const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void zoomStep(bool in);
    void showOverCommitted(const std::function<void(QPainter &)> &draw);
    void showPastePreview(QPoint at);
    imaging::ui::StillImageView &view() const;
    imaging::StillDocument &doc() const;
    QWidget *control() const;
    void connectControls();
    void buildMenuIcons();
    void enter();
    void leave();
    bool editing() const;
    void askToSave();

    void mouseDown(QMouseEvent *e);
    void mouseMove(QMouseEvent *e);
    void mouseUp(QMouseEvent *e);
    // The pointer (control pixels) after auto-scroll and clamping, in control and picture pixels.
    QPoint trackPointer(QPoint pointer, bool scroll);
    QPoint toPicture(QPoint pointer) const;

    void eraseMarquee();
    void setupPainter(QPainter &p) const;
    void drawShape(QPainter &p, QPoint from, QPoint to, bool shift) const;
    // After undo and redo: the view goes back to where it was after that stroke.
    void restoreViewOffset();
    void selectionRelease();
    platform::Bitmap selectedPicture() const;
    void fitPicture();
    void setDrawStyleIcon(imaging::EditTool tool);
    void setCursorShape(Qt::CursorShape shape);
    void releaseButtons(std::initializer_list<state::ControlId> ids);
    void hideTextBox();
    void commitText();

    Shell &shell_;
    StillImageController &still_;
    imaging::ui::EditTextBox *textBox_ = nullptr;
    imaging::EditTool tool_ = imaging::EditTool::Normal;
    imaging::DragState drag_ = imaging::DragState::Idle;
    imaging::ZoomState zoom_;

    // Picture pixels: press (x1, y1) and release (x2, y2); the current point; the polygon anchor.
    QPoint p1_, p2_, current_, anchor_;
    QPoint lastPen_;        // the freehand stroke's last point
    bool polygonInProgress_ = false;
    bool sketchDrew_ = false;
    bool selectionValid_ = false;
    QPoint pressClamped_, releaseClamped_;   // control pixels, for the text box
    platform::Bitmap pasteBuffer_;
    // Panning: the pointer in panel pixels and the control's place at press.
    QPoint panPressPanel_, panPressControl_;
    imaging::PanBounds panBounds_;

    // Style settings, kept for the life of the window.
    QColor drawColour_ = QColor(255, 0, 0);
    int penWidth_ = 1;
    Qt::PenStyle penStyle_ = Qt::SolidLine;
    Qt::BrushStyle brushStyle_ = Qt::NoBrush;
    QColor textColour_ = Qt::black;
    QColor textBgColour_ = Qt::white;
};

} // namespace app::ui
