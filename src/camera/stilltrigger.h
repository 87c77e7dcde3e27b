#pragma once

#include <atomic>

namespace camera {

// The snapshot button's one-byte flag: set by a press (any thread) while grabbing is enabled
// and the flag is clear; read and cleared by the 400 ms list timer on the UI thread.
class StillTrigger
{
public:
    void press()
    {
        if (grabEnabled_.load(std::memory_order_acquire))
            flag_.store(true, std::memory_order_release);
    }
    bool isSet() const { return flag_.load(std::memory_order_acquire); }
    void clear() { flag_.store(false, std::memory_order_release); }
    void setGrabEnabled(bool on) { grabEnabled_.store(on, std::memory_order_release); }
    bool grabEnabled() const { return grabEnabled_.load(std::memory_order_acquire); }

private:
    std::atomic<bool> flag_{false};
    std::atomic<bool> grabEnabled_{true};
};

} // namespace camera
