#include "app/ui/keyrouter.h"

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTextEdit>
#include <QWidget>

#include <utility>

namespace app::ui {

KeyRouter::KeyRouter(QWidget *window, std::function<bool()> live, QObject *parent)
    : QObject(parent), window_(window), live_(std::move(live))
{
    qApp->installEventFilter(this);
}

KeyRouter::~KeyRouter()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool KeyRouter::takesKeys(const QWidget *widget)
{
    // Walk up to the window: a widget placed inside an item view, spin box or combo box (an index
    // widget, the spin box's line edit) hands its keys to that control.
    for (const QWidget *w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (qobject_cast<const QLineEdit *>(w) || qobject_cast<const QTextEdit *>(w)
            || qobject_cast<const QPlainTextEdit *>(w) || qobject_cast<const QAbstractSpinBox *>(w)
            || qobject_cast<const QComboBox *>(w) || qobject_cast<const QAbstractSlider *>(w)
            || qobject_cast<const QAbstractItemView *>(w) || qobject_cast<const QTabBar *>(w))
            return true;
        if (w->testAttribute(Qt::WA_InputMethodEnabled) || w->inputMethodHints() != Qt::ImhNone)
            return true;
    }
    return false;
}

bool KeyRouter::mayAct(QWidget *receiver) const
{
    if (!window_ || receiver->window() != window_)
        return false;
    // The receiver is normally the focus widget; an event sent straight to another widget must
    // not take a key from a text field that has the focus, nor the other way round.
    const QWidget *focus = QApplication::focusWidget();
    if (focus && focus->window() == window_ && takesKeys(focus))
        return false;
    if (takesKeys(receiver))
        return false;
    return live_ && live_();
}

bool KeyRouter::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // Key events pass through here twice or more: once for the QWindow, then for the receiving
        // widget and each parent it propagates to. Only the widget deliveries count; the held-key
        // filter treats the parent deliveries as repeats of the same press.
        if (watched->isWidgetType())
            return handleKey(static_cast<QWidget *>(watched), static_cast<QKeyEvent *>(event));
        break;
    case QEvent::WindowDeactivate:
        if (watched == window_)
            held_.releaseAll();
        break;
    case QEvent::ApplicationStateChange:
        if (static_cast<QApplicationStateChangeEvent *>(event)->applicationState() != Qt::ApplicationActive)
            held_.releaseAll();
        break;
    default:
        break;
    }
    return false;
}

bool KeyRouter::handleKey(QWidget *receiver, QKeyEvent *event)
{
    const int key = event->key();
    if (key != Qt::Key_Space && key != Qt::Key_V)
        return false;
    bool &consumed = key == Qt::Key_Space ? spaceConsumed_ : vConsumed_;
    const bool ours = window_ && receiver->window() == window_;

    if (event->type() == QEvent::KeyRelease) {
        // Every window's releases count: a release that went to a dialog the key opened still
        // ends the hold.
        held_.release(key, event->isAutoRepeat(), event->timestamp());
        return consumed && ours;
    }

    switch (held_.press(key, event->isAutoRepeat(), event->timestamp())) {
    case HeldKeyFilter::Press::Repeat:
        return consumed && ours;
    case HeldKeyFilter::Press::First:
        break;
    case HeldKeyFilter::Press::Unknown:
        return false;
    }

    consumed = mayAct(receiver);
    if (!consumed)
        return false;
    // A slot may open a modal dialog and spin an event loop right here, or even delete the router:
    // all state is settled before the signal, and nothing touches `this` after it.
    if (key == Qt::Key_Space) {
        ++snapshotPresses_;
        Q_EMIT snapshotRequested();
    } else {
        Q_EMIT recordRequested();
    }
    return true;
}

} // namespace app::ui
