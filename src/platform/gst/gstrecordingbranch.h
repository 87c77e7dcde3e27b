#pragma once

#include "platform/gst/gstptr.h"
#include "platform/mediapipeline.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace platform {

class DiagnosticsLog;

// What the streaming threads and the bus handler share with a recording branch.
struct RecordingState {
    std::mutex mutex;   // guards everything below
    std::condition_variable changed;
    GstPtr<GstElement> bin;        // the branch; null once removed
    std::uint64_t buffersWritten = 0;   // buffers that reached the file sink
    // Streaming threads count without the lock: frames handed to the branch, frames that left
    // its queue for the multiplexer.
    std::atomic<std::uint64_t> framesIn{0};
    std::atomic<std::uint64_t> framesOut{0};
    bool endOfStream = false;      // the end of stream reached the file sink
    bool failed = false;           // an element of the branch posted an error
    bool refused = false;          // ... and it was a negotiation failure
    bool eosSent = false;          // the idle probe unlinked the branch and sent the end of stream

    // Any thread: true when `object` is the branch or inside it.
    bool contains(GstObject *object);
    // Any thread: an error of the branch arrived (first one wins).
    void fail(bool negotiation);
};

// The AVI branch of a running capture pipeline, on the camera's own stream:
//   tee ! queue ! image/jpeg ! avimux ! filesink        (MJPEG camera, "No Compressor")
//   tee ! queue ! [jpegdec] ! [videorate ! framerate] ! videoconvert ! (BGR | encoder) ! avimux ! filesink
// It hangs on a request pad of the tee while the preview keeps running. A failing branch (disk
// full, a refused format) never hands its error upstream: the branch's entry pad swallows the
// flow error so the tee, and with it the camera, carry on. UI thread only, apart from RecordingState.
class GstRecordingBranch
{
public:
    GstRecordingBranch(DiagnosticsLog &log, GstElement *pipeline, GstElement *tee);
    ~GstRecordingBranch();
    GstRecordingBranch(const GstRecordingBranch &) = delete;
    GstRecordingBranch &operator=(const GstRecordingBranch &) = delete;

    RecordingStart start(const RecordingRequest &request);
    // Sends the end of stream into the branch, waits (bounded) for it at the file sink, then
    // takes the branch out. Safe to call when the source is already gone.
    RecordingEnd stop();
    bool running() const { return bool(teePad_); }
    // True when the branch writes the camera's JPEGs unchanged.
    bool passthrough() const { return passthrough_; }
    RecordingCounts counts() const;
    const std::shared_ptr<RecordingState> &state() const { return state_; }
    // Called (UI thread) with each recording's new state before its branch joins the pipeline.
    std::function<void(std::shared_ptr<RecordingState>)> onStateRenewed;

    // The frame rate written when the camera's caps carry none: avimux needs one.
    static constexpr int kFallbackFramesPerSecond = 30;
    // How long start() waits for the first frames to reach the file, and stop() for the end of stream.
    static constexpr int kFirstFramesTimeoutMs = 3000;
    static constexpr int kEndOfStreamTimeoutMs = 3000;
    // avimux's frame limits.
    static constexpr int kMinSide = 16;
    static constexpr int kMaxSide = 4096;

private:
    void remove();

    DiagnosticsLog &log_;
    GstElement *pipeline_;   // borrowed: the tee's bin, which outlives the branch
    GstElement *tee_;
    std::shared_ptr<RecordingState> state_;
    GstPtr<GstPad> teePad_;      // the tee's request pad, released in remove()
    GstPtr<GstPad> entry_;       // the branch's ghost sink pad
    QString path_;
    bool passthrough_ = false;
};

} // namespace platform
