#pragma once

#include "platform/bitmap.h"
#include "stack/warp.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <vector>

namespace stack {

// At most this many frames in one stack (the depth map's index is a byte).
inline constexpr int kMaxStackFrames = 255;

// One frame handed to the stacking: a picture, or why there is none (shown with the file name).
struct StackFrame {
    platform::Bitmap picture;
    QString error;
};

// Where the frames come from: `count` frames, in stack order, each loaded once when the stacking
// asks for it (so a loader may hand its own copy over and forget it). Called on the stacking's
// thread.
struct StackInput {
    int count = 0;
    std::function<StackFrame(int index)> load;
};

struct StackOptions {
    bool depthMap = false;   // make the false-colour depth map too
};

enum class StackStatus {
    Unknown,
    Done,
    Cancelled,
    TooFewFrames,      // fewer than two frames, or more than kMaxStackFrames
    UnreadableFrame,   // `frame` could not be loaded; `detail` says why
    SizeMismatch,      // `frame` differs in size from the reference
    AlignmentFailed,   // `frame` could not be laid over the reference
};

// Progress of a running stack, read by another thread: `done` of `total` steps.
struct StackProgress {
    std::atomic<int> done{0};
    std::atomic<int> total{0};
};

struct StackResult {
    StackStatus status = StackStatus::Unknown;
    int frame = -1;     // the frame at fault
    QString detail;
    int reference = -1;   // the frame the others are laid over (the middle one)
    platform::Bitmap picture;           // the fused picture, in the reference frame's geometry
    platform::Bitmap depthMap;          // false colour, when asked for
    std::vector<std::uint8_t> depth;    // the sharpest frame's index at every pixel, row by row
    std::vector<Warp> warps;            // reference -> frame, one per frame
    int sharpestFrame = -1;             // the frame with the most detail of all
    platform::Bitmap sharpestPicture;   // that frame, laid over the reference
    bool ok() const { return status == StackStatus::Done; }
};

// Aligns and fuses a focus stack: the middle frame is the reference; the others are aligned
// outwards from it, each starting from its neighbour's warp; then the focus measure pass and the
// blend pass (PyramidFusion), two frames at a time. Aligned frames are kept in memory as 8-bit BGR
// (3 bytes a pixel); inputs are released as soon as they are aligned. Checks `stop` between steps
// and returns Cancelled when asked; `progress` (may be null) counts 3 steps a frame plus one. The
// result is the same on every run, whatever the number of threads.
// Runs on the calling thread (a worker thread in the program) and OpenCV's threads; `progress`
// and `stop` are the only state it shares while it runs.
StackResult focusStack(const StackInput &input, const StackOptions &options, StackProgress *progress = nullptr,
                       std::stop_token stop = {});

// A frame laid over the reference through its warp (bicubic), the reference's size.
platform::Bitmap warpToReference(const platform::Bitmap &frame, const Warp &warp);

} // namespace stack
