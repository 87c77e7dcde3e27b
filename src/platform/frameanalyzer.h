#pragma once

#include <QImage>

#include <cstdint>
#include <memory>

namespace platform {

// What an analyzer found in one frame. It travels with the frame to the UI thread as a value
// (read-only, shared), so the UI shows a frame and what was found in it together.
class FrameAnalysis
{
public:
    virtual ~FrameAnalysis() = default;
};

// Work done on each frame the video area shows, on the streaming thread that made the frame,
// after it was decoded and filtered to the size shown and before it is handed to the UI thread.
// The capture pipeline calls it once per frame; it must not keep `shown` beyond the call, and
// must hand nothing to the UI thread except through what it returns.
class FrameAnalyzer
{
public:
    virtual ~FrameAnalyzer() = default;
    // Streaming thread. `shown` is top-down Format_RGB32 at the size the video area shows, not
    // flipped; `sequence` counts the pipeline's frames. Null: nothing to pass on.
    virtual std::shared_ptr<const FrameAnalysis> analyze(const QImage &shown, std::uint64_t sequence) = 0;
};

} // namespace platform
