#pragma once

#include "imaging/editgesture.h"
#include "imaging/ui/editorviewport.h"

#include <QObject>
#include <QPoint>

class QMouseEvent;

namespace imaging {
class StillDocument;
}

namespace imaging::ui {

class EditTextBox;
class StillImageView;

// The mouse on the still picture while the editor is open. It maps the pointer through the
// viewport, hands presses, moves and releases to the edit gesture in picture pixels, shows the
// gesture's previews and commits its pictures in the still document, pans the view with the move
// tool, and writes and places the text box for the text tool. Attached to the picture control
// only while the editor is open. UI thread.
class EditorMouse final : public QObject
{
    Q_OBJECT
public:
    EditorMouse(StillImageView &view, StillDocument &document, EditTextBox &textBox, QObject *parent = nullptr);

    // The mouse reaches the gesture from now on / no more.
    void attach();
    void detach();

    EditGesture &gesture() { return gesture_; }
    const EditGesture &gesture() const { return gesture_; }
    EditorViewport &viewport() { return viewport_; }
    const EditorViewport &viewport() const { return viewport_; }

    // Shows a gesture's preview, or commits its picture (recorded when it counts as an edit).
    void show(EditGesture::Result r);
    // Writes the text box into the committed picture (an edit) when it holds text, then empties
    // and hides it. True when text was written.
    bool commitText();

Q_SIGNALS:
    // The right button went down outside a polygon and the text box: the picture's pop-up menu
    // is wanted at `global` (screen pixels).
    void popupRequested(QPoint global);
    // A drag with the text tool ended: `opened` when it was big enough for a box. A click
    // without a drag opens none, and the user needs to know that a box is dragged open.
    void textBoxPlaced(bool opened);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void press(QMouseEvent *e);
    void move(QMouseEvent *e);
    void release(QMouseEvent *e);

    StillImageView &view_;
    StillDocument &document_;
    EditTextBox &textBox_;
    EditGesture gesture_;
    EditorViewport viewport_;
    QPoint pressClamped_;   // control pixels, for the text box
    bool attached_ = false;
};

} // namespace imaging::ui
