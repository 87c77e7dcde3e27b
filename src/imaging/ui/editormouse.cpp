#include "editormouse.h"

#include "edittextbox.h"
#include "stillimageview.h"

#include "imaging/stilldocument.h"

#include <QMouseEvent>
#include <QPlainTextEdit>

#include <optional>

namespace imaging::ui {

EditorMouse::EditorMouse(StillImageView &view, StillDocument &document, EditTextBox &textBox, QObject *parent)
    : QObject(parent), view_(view), document_(document), textBox_(textBox), viewport_(view)
{
}

void EditorMouse::attach()
{
    if (!attached_)
        view_.pictureControl()->installEventFilter(this);
    attached_ = true;
    view_.pictureControl()->setMouseTracking(true);
}

void EditorMouse::detach()
{
    view_.pictureControl()->removeEventFilter(this);
    attached_ = false;
    view_.pictureControl()->setMouseTracking(false);
}

bool EditorMouse::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != view_.pictureControl())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        press(static_cast<QMouseEvent *>(event));
        return true;
    case QEvent::MouseMove:
        move(static_cast<QMouseEvent *>(event));
        return true;
    case QEvent::MouseButtonRelease:
        release(static_cast<QMouseEvent *>(event));
        return true;
    default:
        return false;
    }
}

void EditorMouse::show(EditGesture::Result r)
{
    if (r.committed && r.counts)
        document_.edit(std::move(*r.committed));
    else if (r.committed)
        document_.commit(std::move(*r.committed));
    else if (r.preview)
        document_.preview(std::move(*r.preview));
}

bool EditorMouse::commitText()
{
    bool written = false;
    if (!document_.isEmpty() && !textBox_.edit()->toPlainText().isEmpty()) {
        platform::Bitmap picture = document_.committedPicture().isNull() ? document_.picture() : document_.committedPicture();
        written = textBox_.commitInto(picture, viewport_.control());
        if (written)
            document_.edit(std::move(picture));
    }
    textBox_.clearAndHide();
    return written;
}

void EditorMouse::press(QMouseEvent *e)
{
    const QPoint pointer = e->position().toPoint();
    pressClamped_ = viewport_.clamp(pointer);
    if (e->button() == Qt::RightButton) {
        if (!textBox_.isShown() && gesture_.dragState() == DragState::Idle)
            Q_EMIT popupRequested(e->globalPosition().toPoint());
        if (!gesture_.polygonInProgress())
            return;
    }
    switch (gesture_.tool()) {
    case EditTool::SelectRange:
        document_.erasePreview();
        break;
    case EditTool::Text:
        // The box written so far goes into the picture; the next drag places a new one.
        commitText();
        document_.erasePreview();
        break;
    case EditTool::Move:
        viewport_.beginPan(pointer);
        break;
    default:
        break;
    }
    show(gesture_.press(viewport_.toPicture(pressClamped_), e->button()));
}

void EditorMouse::move(QMouseEvent *e)
{
    const QPoint pointer = e->position().toPoint();
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    QPoint at;
    switch (gesture_.dragState()) {
    case DragState::Selecting:
    case DragState::Drawing:
    case DragState::TextBox:
        at = viewport_.track(pointer, true);
        break;
    case DragState::PasteDragging:
        at = viewport_.toPicture(viewport_.clamp(pointer));
        break;
    case DragState::Panning:
        if (e->buttons() & Qt::LeftButton)
            viewport_.pan(pointer);
        return;
    default:
        return;
    }
    show(gesture_.move(at, shift, document_.committedPicture(), document_.picture(), viewport_.where()));
}

void EditorMouse::release(QMouseEvent *e)
{
    const QPoint at = viewport_.track(e->position().toPoint(), false);
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const DragState was = gesture_.dragState();
    const EditTool before = gesture_.tool();
    // Undo and redo bring the view back to where it was after this stroke.
    if (was != DragState::PasteDragging && was != DragState::Idle)
        document_.setSavedViewOffset(viewport_.control().topLeft());
    EditGesture::Result r = gesture_.release(at, e->button(), shift, document_.committedPicture(), document_.picture(),
                                             viewport_.where());
    std::optional<bool> boxOpened;
    if (was == DragState::TextBox) {
        const PlacedBox box = placeTextBox(pressClamped_, viewport_.lastClamped(), viewport_.control());
        document_.erasePreview();
        if (box.shown) {
            // The font is picture pixels; the box shows it at the view's stretch.
            const QSize picture = document_.picture().size();
            if (!picture.isEmpty())
                textBox_.setDisplayScale(double(viewport_.control().height()) / picture.height());
            textBox_.showAt(box.rect);
        }
        boxOpened = box.shown;
    }
    show(std::move(r));
    if (boxOpened)
        Q_EMIT textBoxPlaced(*boxOpened);
    // A placed paste leaves the select-range tool behind.
    if (gesture_.tool() != before)
        view_.pictureControl()->setCursor(Qt::CrossCursor);
}

} // namespace imaging::ui
