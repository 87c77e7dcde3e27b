#pragma once

#include "measure/surfaceevents.h"

#include <QPoint>

#include <optional>

namespace measure {

// Ctrl + left drag moves the measurement window inside its range (a window larger than the area
// that shows it). Positions are the window's top-left in its parent's pixels; pointer positions are
// window pixels. The surface asks it first, so a drag never reaches the click protocol.
// UI thread only.
class WindowDrag
{
public:
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool enabled() const { return enabled_; }
    // (minimum left, minimum top, maximum left, maximum top) of the window's position; an axis
    // whose minimum is not below its maximum does not move.
    void setRange(int minLeft, int minTop, int maxLeft, int maxTop);
    void setPosition(QPoint topLeft) { position_ = topLeft; }
    bool active() const { return active_; }

    // True when the press starts a drag (left button with Ctrl, dragging enabled).
    bool press(const PointerInput &in);
    // While dragging with Ctrl held: the window's new top-left, clamped to the range.
    std::optional<QPoint> move(const PointerInput &in);
    // True when the release ends a drag.
    bool release();

private:
    bool enabled_ = false;
    bool active_ = false;
    QPoint pressPos_;
    QPoint position_;
    int minLeft_ = 0, minTop_ = 0, maxLeft_ = 0, maxTop_ = 0;
};

} // namespace measure
