#pragma once

#include <Qt>

class QDialog;
class QWidget;

namespace widgets {

// The title bar every dialog of the program has: a caption and a close button, never minimise or
// maximise (a modal dialog that is minimised leaves a main window that ignores every click).
inline constexpr Qt::WindowFlags kDialogFlags =
    Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;

// Gives `dialog` kDialogFlags and centres it on its parent's window each time it is shown (on its
// screen when it has no parent), so it opens over the window the user is looking at whatever the
// window manager's own placement rule is. Call once, in the dialog's constructor.
void frameDialog(QDialog &dialog);

// Moves the top-level `window` so that its centre is the centre of `anchor`'s window (of the
// screen's free area when `anchor` is null), kept inside that screen's free area so the title bar
// stays reachable. Uses the current size: call it when the size is final (at the show event).
void centreOn(QWidget &window, const QWidget *anchor);

} // namespace widgets
