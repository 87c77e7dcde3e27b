#include "dialogframe.h"

#include <QDialog>
#include <QEvent>
#include <QScreen>

#include <algorithm>

namespace widgets {
namespace {

// Centres its dialog at every show event. The event comes after the layout has given the dialog
// its final size and after QDialog's own placement, and before the native window is mapped, so
// the dialog appears in place without a jump.
class CentreOnShow final : public QObject
{
public:
    explicit CentreOnShow(QDialog &dialog) : QObject(&dialog), dialog_(dialog) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &dialog_ && event->type() == QEvent::Show && !event->spontaneous())
            centreOn(dialog_, dialog_.parentWidget());
        return false;
    }

private:
    QDialog &dialog_;
};

} // namespace

void frameDialog(QDialog &dialog)
{
    dialog.setWindowFlags(kDialogFlags);
    dialog.installEventFilter(new CentreOnShow(dialog));
}

void centreOn(QWidget &window, const QWidget *anchor)
{
    const QWidget *anchorWindow = anchor ? anchor->window() : nullptr;
    QScreen *screen = anchorWindow ? anchorWindow->screen() : window.screen();
    const QRect free = screen ? screen->availableGeometry() : QRect();
    QRect area = anchorWindow ? anchorWindow->frameGeometry() : free;
    // Qt reads a window's frame once, and may read it while the window manager's frame is still
    // 1 x 1 (a loaded window manager framing the window); such a frame stays wrong until the
    // window is moved. A frame that does not hold the window is not believed.
    if (anchorWindow && !area.contains(anchorWindow->geometry()))
        area = anchorWindow->geometry();
    if (area.isEmpty())
        return;
    QSize size = window.frameGeometry().size();
    // Before its first mapping a window knows nothing of the title bar and border the window
    // manager will put around it (its frame may even read 1 x 1 while it is being framed); the
    // anchor's are the best guess (the same window manager).
    if (size.width() < window.width() || size.height() < window.height())
        size = window.size();
    if (size == window.size() && anchorWindow)
        size += anchorWindow->frameGeometry().size() - anchorWindow->size();
    QPoint topLeft(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
    if (!free.isEmpty()) {
        topLeft.setX(std::clamp(topLeft.x(), free.left(), std::max(free.left(), free.x() + free.width() - size.width())));
        topLeft.setY(std::clamp(topLeft.y(), free.top(), std::max(free.top(), free.y() + free.height() - size.height())));
    }
    window.move(topLeft);
}

} // namespace widgets
