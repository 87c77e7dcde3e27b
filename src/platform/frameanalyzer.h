#pragma once

#include <QImage>
#include <QRgb>
#include <QSize>

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

// Sees the rows of a shown frame while it is made, top to bottom, each while it is still in the
// processor's cache: an analyzer that reads every pixel spares reading the finished frame back
// from memory, which at full-screen sizes costs more than the analysis itself.
class ShownRows
{
public:
    virtual ~ShownRows() = default;
    // Streaming thread: a frame of `size` starts; its rows follow from row 0.
    virtual void begin(QSize size) = 0;
    // Streaming thread: the next row, size.width() pixels as the frame holds them (top-down
    // Format_RGB32); valid during the call only.
    virtual void row(const QRgb *pixels) = 0;
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
    // Streaming thread, before each frame is made: where its rows go while it is made, or null.
    // Frames made without handing rows over (some decoders cannot) are read whole by analyze().
    virtual ShownRows *shownRows() { return nullptr; }
};

} // namespace platform
