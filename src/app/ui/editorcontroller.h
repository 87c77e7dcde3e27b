#pragma once

#include "app/ui/feature.h"
#include "imaging/editgeometry.h"
#include "imaging/editgesture.h"
#include "platform/bitmap.h"
#include "state/controltable.h"

#include <QColor>
#include <QObject>
#include <QPoint>

#include <functional>

namespace imaging {
class StillDocument;
namespace ui {
class EditorMouse;
class EditorToolBars;
class EditorViewport;
class EditTextBox;
class StillImageView;
} // namespace ui
} // namespace imaging

namespace app::ui {

class Shell;
class StillImageController;

// The still-image editor: the edit button and the editor's two tool bars, the picture's pop-up
// menu, the mouse on the picture (handed to the edit gesture in picture pixels, or panning the
// view), zoom and pan, quarter turns, the clipboard, and the text tool's box. Every change of the
// picture goes through the still document (its history and K are the document's); the gesture
// paints, the tool bars set styles and tools. The pointer is mapped through the control's
// stretch, so shapes land where the user drew them at any zoom. UI thread.
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

    imaging::EditTool tool() const { return gesture().tool(); }
    imaging::DragState dragState() const { return gesture().dragState(); }
    imaging::ui::EditTextBox &textBox() const { return *textBox_; }
    QColor drawColour() const { return gesture().style().colour; }

    void ImgBar_UndoClick();
    void ImgBar_RedoClick();
    void ImgBar_CopyClick();

    void readInputs(ActionInputs &in) const override;
    void applyRules(const ActionInputs &in, ActionState &s) const override;

private:
    imaging::ui::StillImageView &view() const;
    imaging::StillDocument &doc() const;
    QWidget *control() const;
    imaging::EditGesture &gesture() const;
    imaging::ui::EditorViewport &viewport() const;
    bool editing() const;
    void connectControls();
    void connectPopupMenu();
    void enter();
    void leave();
    void askToSave();


    // A tool chosen on the tool bars: the cursor follows it.
    void chooseTool(imaging::EditTool tool);
    void eraseMarquee();

    // The tool bar's operations.
    void rotate(bool left);
    void zoomStep(bool in);
    void zoomFit();
    void newFile();
    void cut();
    void paste();
    void selectSave();
    void pickDrawColour();
    void pickTextColour(bool background);

    Shell &shell_;
    StillImageController &still_;
    imaging::ui::EditTextBox *textBox_ = nullptr;
    imaging::ui::EditorToolBars *toolBars_ = nullptr;
    imaging::ui::EditorMouse *mouse_ = nullptr;
};

} // namespace app::ui
