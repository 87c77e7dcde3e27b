#pragma once

#include "feature/feature.h"
#include "feature/ui/featurecontext.h"
#include "imaging/editgeometry.h"
#include "imaging/editgesture.h"
#include "platform/bitmap.h"

#include <QColor>
#include <QObject>

namespace imaging {
class StillDocument;
}

namespace imaging::ui {

class EditorMouse;
class EditorToolBars;
class EditorViewport;
class EditTextBox;
class StillImageView;

// What the editor needs from its peers; the composition root answers. UI thread.
class EditorPort
{
public:
    // The filter mode is left when the editor is entered; its buttons are reset with the editor's.
    virtual void leaveFilterMode() = 0;
    virtual void resetFilterButtons() = 0;
    // The still image's saving (true when a file was written) and deleting.
    virtual bool saveStill(const platform::Bitmap &picture) = 0;
    virtual void deleteStill() = 0;

protected:
    ~EditorPort() = default;
};

// The still-image editor: the edit button and the editor's two tool bars, the picture's pop-up
// menu, the mouse on the picture (handed to the edit gesture in picture pixels, or panning the
// view), zoom and pan, quarter turns, the clipboard, and the text tool's box. Every change of the
// picture goes through the still document (its history and K are the document's); the gesture
// paints, the tool bars set styles and tools. The pointer is mapped through the control's
// stretch, so shapes land where the user drew them at any zoom. UI thread.
class EditorController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    EditorController(feature::ui::FeatureContext context, EditorPort &port, StillDocument &document, StillImageView &view,
                     QObject *parent = nullptr);
    ~EditorController() override;

    // The edit button: enters the editor, or asks about unsaved edits and leaves it.
    void EditorImage_BtnClick();
    // Leaves the editor when others take the picture (filters, opening, deleting). The unsaved
    // state is kept: whoever replaces the picture decides about it.
    void ExitImageEdit();
    // The editor's part of resetting the tool buttons: "None" draw style, select-range, text and
    // move buttons up, no tool, no drag.
    void resetTool();
    // Text typed into the text box goes into the picture (an edit), and the box is emptied and
    // hidden: before the picture is saved, asked about or handed on. True when text was written.
    bool commitText();

    imaging::EditTool tool() const { return gesture().tool(); }
    imaging::DragState dragState() const { return gesture().dragState(); }
    EditTextBox &textBox() const { return *textBox_; }
    QColor drawColour() const { return gesture().style().colour; }

    void ImgBar_UndoClick();
    void ImgBar_RedoClick();
    void ImgBar_CopyClick();

    void readInputs(feature::ActionInputs &in) const override;
    void applyActions(const feature::ActionState &s) override;
    void languageChanged() override;

private:
    StillImageView &view() const;
    StillDocument &doc() const;
    QWidget *control() const;
    EditGesture &gesture() const;
    EditorViewport &viewport() const;
    bool editing() const;
    void connectControls();
    void connectPopupMenu();
    void enter();
    void leave();
    void askToSave();


    // A tool chosen on the tool bars: the cursor follows it.
    void chooseTool(imaging::EditTool tool);
    void eraseMarquee();
    // The editor's status line at the foot of the picture: a hint, or nothing.
    void showHint(const QString &key);
    void hideHint();
    void onDocumentChanged(int change);

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

    feature::ui::FeatureContext ctx_;
    EditorPort &port_;
    StillDocument &doc_;
    StillImageView &view_;
    EditTextBox *textBox_ = nullptr;
    EditorToolBars *toolBars_ = nullptr;
    EditorMouse *mouse_ = nullptr;
    QString hintKey_;   // the language key the status line shows; empty while hidden
};

} // namespace imaging::ui
