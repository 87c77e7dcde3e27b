#pragma once

#include "platform/mediapipeline.h"

#include <mutex>
#include <optional>
#include <utility>

namespace platform {

// The newest frame wins, with one wake-up in flight: a streaming thread puts, the UI thread
// takes. A UI that falls behind sees fewer frames, never older ones.
class FrameMailbox
{
public:
    // Streaming thread. True means: queue one take on the UI thread.
    bool put(platform::VideoFrame frame)
    {
        std::lock_guard lock(mutex_);
        if (slot_)
            ++overwritten_;
        slot_ = std::move(frame);
        return !std::exchange(wakePending_, true);
    }
    // UI thread.
    std::optional<platform::VideoFrame> take()
    {
        std::lock_guard lock(mutex_);
        wakePending_ = false;
        return std::exchange(slot_, std::nullopt);
    }
    // Frames replaced before the UI took them.
    std::uint64_t overwritten() const
    {
        std::lock_guard lock(mutex_);
        return overwritten_;
    }

private:
    mutable std::mutex mutex_;
    std::optional<platform::VideoFrame> slot_;
    bool wakePending_ = false;
    std::uint64_t overwritten_ = 0;
};

} // namespace platform
