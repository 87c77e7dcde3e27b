#include "edithistory.h"

namespace imaging {

void EditHistory::reset()
{
    w_ = c_ = n_ = a_ = 0;
    valid_.fill(false);
    live_.fill(false);
    savedViewOffset_ = QPoint();
}

void EditHistory::releaseSlots()
{
    for (platform::Bitmap &slot : slots_)
        slot = platform::Bitmap();
}

void EditHistory::record(const platform::Bitmap &picture)
{
    slots_[std::size_t(w_)] = picture;
    c_ = w_;
    n_ = w_;
    valid_[std::size_t(w_)] = true;
    live_[std::size_t(c_)] = true;
    // Slots beyond the current one hold an undone future: they cannot be redone any more.
    valid_ = live_;
    w_ = wrap(w_ + 1);
    a_ = w_;
}

bool EditHistory::canUndo() const
{
    const int p = wrap(c_ - 1);
    return valid_[std::size_t(p)] && p != n_;
}

bool EditHistory::canRedo() const
{
    const int p = wrap(c_ + 1);
    return valid_[std::size_t(p)] && p != a_;
}

std::optional<platform::Bitmap> EditHistory::undo()
{
    if (!canUndo())
        return std::nullopt;
    const int p = wrap(c_ - 1);
    live_[std::size_t(c_)] = false;
    c_ = p;
    w_ = wrap(w_ - 1);
    return slots_[std::size_t(p)];
}

std::optional<platform::Bitmap> EditHistory::redo()
{
    if (!canRedo())
        return std::nullopt;
    const int p = wrap(c_ + 1);
    c_ = p;
    w_ = wrap(w_ + 1);
    live_[std::size_t(c_)] = true;
    return slots_[std::size_t(p)];
}

} // namespace imaging
