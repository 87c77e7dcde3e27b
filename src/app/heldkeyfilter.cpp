#include "app/heldkeyfilter.h"

#include <algorithm>
#include <utility>

namespace app {

HeldKeyFilter::KeyState &HeldKeyFilter::stateOf(int key)
{
    auto it = std::find_if(keys_.begin(), keys_.end(), [key](const KeyState &s) { return s.key == key; });
    if (it != keys_.end())
        return *it;
    keys_.push_back(KeyState{key});
    return keys_.back();
}

const HeldKeyFilter::KeyState *HeldKeyFilter::find(int key) const
{
    auto it = std::find_if(keys_.begin(), keys_.end(), [key](const KeyState &s) { return s.key == key; });
    return it != keys_.end() ? &*it : nullptr;
}

HeldKeyFilter::Press HeldKeyFilter::press(int key, bool autoRepeat, std::uint64_t timestampMs)
{
    KeyState &s = stateOf(key);
    const bool wasHeld = std::exchange(s.held, true);
    if (autoRepeat || wasHeld)
        return Press::Repeat;
    const bool recent = std::exchange(s.recentlyReleased, false);
    // Timestamps of 0 carry no timing, and one earlier than the release (the 32-bit X server
    // clock wrapped) cannot be compared: both count as a new press rather than risk a lost one.
    if (recent && timestampMs != 0 && s.releasedAtMs != 0 && timestampMs >= s.releasedAtMs
        && timestampMs - s.releasedAtMs <= kRepeatGapMs)
        return Press::Repeat;
    return Press::First;
}

void HeldKeyFilter::release(int key, bool autoRepeat, std::uint64_t timestampMs)
{
    if (autoRepeat)
        return; // the key is still down; Qt pairs each flagged repeat press with such a release
    KeyState &s = stateOf(key);
    if (!s.held)
        return; // the same release seen again on its way up the parent chain, or a press never seen
    s.held = false;
    s.recentlyReleased = true;
    s.releasedAtMs = timestampMs;
}

void HeldKeyFilter::releaseAll()
{
    keys_.clear();
}

bool HeldKeyFilter::isHeld(int key) const
{
    const KeyState *s = find(key);
    return s && s->held;
}

} // namespace app
