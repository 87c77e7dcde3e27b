#pragma once

#include "app/heldkeyfilter.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QKeyEvent;
class QWidget;

namespace app::ui {

// The camera keys of one top-level window: Space asks for a snapshot, V starts or stops a
// recording. Installed as an application event filter, so it sees each key before the focused
// widget does, and also releases and deactivations that go to other windows (a message box the
// key opened), which keep a key from staying "held" for ever.
//
// Space and V act only when all hold:
//  - the key event is for a widget inside the served window (not a dialog or another window);
//  - live() returns true (a camera is connected and the window is not closing);
//  - neither the focused widget nor the receiver takes text or arrow keys (line and text edits,
//    spin boxes, combo boxes, sliders and scroll bars, item views, tab bars, or any widget that
//    accepts input-method text), nor sits inside one of those.
// A key that acts is consumed (press, its repeats and its release); every other key, and Space
// or V when they do not act, reach their widget untouched. One action per physical press: see
// app::HeldKeyFilter for how repeats are told apart without the auto-repeat flag.
// UI thread only. The router must not outlive QApplication.
class KeyRouter final : public QObject
{
    Q_OBJECT
public:
    KeyRouter(QWidget *window, std::function<bool()> live, QObject *parent = nullptr);
    ~KeyRouter() override;

    // Presses of Space that emitted snapshotRequested().
    int snapshotPresses() const { return snapshotPresses_; }

    // True when a focused `widget` keeps Space and V for itself (typing, stepping, choosing).
    static bool takesKeys(const QWidget *widget);

Q_SIGNALS:
    void snapshotRequested();
    void recordRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool handleKey(QWidget *receiver, QKeyEvent *event);
    bool mayAct(QWidget *receiver) const;

    QPointer<QWidget> window_;
    std::function<bool()> live_;
    HeldKeyFilter held_;
    // Whether the current (or last) press of Space / V was consumed; its repeats and release follow it.
    bool spaceConsumed_ = false;
    bool vConsumed_ = false;
    int snapshotPresses_ = 0;
};

} // namespace app::ui
