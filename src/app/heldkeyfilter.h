#pragma once

#include <cstdint>
#include <vector>

namespace app {

// Tells the first press of a key from the repeats that follow while it is held, so a held key
// acts once. Input is what a key event carries: key code, press or release, the auto-repeat
// flag and the event timestamp in milliseconds (0 = unknown, as in synthesized events).
//
// Two kinds of repeat are recognised:
//  - a press flagged auto-repeat, or any press while the key is still held;
//  - a release followed by a press of the same key within kRepeatGapMs. Some X servers (Xvfb,
//    and X servers without the detectable auto-repeat extension) send no auto-repeat flag; a
//    held key then arrives as release/press pairs with the same or nearly the same timestamp.
// A key stays held until its real release or releaseAll(). Pure value logic; no Qt, no clock.
class HeldKeyFilter
{
public:
    // A repeat pair arrives within a millisecond or two of each other, while a person tapping a
    // key as fast as possible keeps it up for roughly 50 ms or more; 40 ms lies between and is
    // below the shortest repeat interval a desktop lets users pick (about 1/30 s).
    static constexpr std::uint64_t kRepeatGapMs = 40;

    enum class Press { Unknown, First, Repeat };

    Press press(int key, bool autoRepeat, std::uint64_t timestampMs);
    void release(int key, bool autoRepeat, std::uint64_t timestampMs);
    // Forgets every held key and recent release: the window or the application lost activation,
    // so the matching releases may never be seen.
    void releaseAll();
    bool isHeld(int key) const;

private:
    struct KeyState {
        int key = 0;
        bool held = false;
        bool recentlyReleased = false;
        std::uint64_t releasedAtMs = 0;
    };
    KeyState &stateOf(int key);
    const KeyState *find(int key) const;

    std::vector<KeyState> keys_; // a handful of keys at most, so a linear search is fine
};

} // namespace app
