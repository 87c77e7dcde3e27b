#include "measure/ui/windowdrag.h"

#include <algorithm>
#include <utility>

namespace measure {

void WindowDrag::setRange(int minLeft, int minTop, int maxLeft, int maxTop)
{
    minLeft_ = minLeft;
    minTop_ = minTop;
    maxLeft_ = maxLeft;
    maxTop_ = maxTop;
}

bool WindowDrag::press(const PointerInput &in)
{
    if (in.button != PointerButton::Left || !in.ctrl || !enabled_)
        return false;
    active_ = true;
    pressPos_ = in.pos;
    return true;
}

std::optional<QPoint> WindowDrag::move(const PointerInput &in)
{
    if (!in.ctrl || !active_)
        return std::nullopt;
    QPoint pos = position_;
    if (minLeft_ < maxLeft_)
        pos.setX(std::clamp(in.pos.x() + position_.x() - pressPos_.x(), minLeft_, maxLeft_));
    if (minTop_ < maxTop_)
        pos.setY(std::clamp(in.pos.y() + position_.y() - pressPos_.y(), minTop_, maxTop_));
    position_ = pos;
    return pos;
}

bool WindowDrag::release()
{
    return std::exchange(active_, false);
}

} // namespace measure
