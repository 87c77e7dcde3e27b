#pragma once

#include "platform/gst/gstptr.h"
#include "platform/mediapipeline.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

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
    bool noSpace = false;          // ... or a write that found the disk full
    bool eosSent = false;          // the idle probe unlinked the branch and sent the end of stream

    // The disk guard. Set once by the file sink's thread when the folder's disk has no more room
    // than the branch still needs to finish its file; the tee's thread then ends the stream into
    // the branch (once) and drops what follows. Written before the branch runs: the folder
    // (statvfs) and the queue (its fill level), which the bin keeps alive.
    QByteArray folder;
    GstElement *queue = nullptr;
    std::atomic<bool> lowSpace{false};
    std::atomic<bool> endSentForSpace{false};
    std::uint64_t largestBuffer = 0;   // the file sink's thread only

    // Any thread: true when `object` is the branch or inside it.
    bool contains(GstObject *object);
    // Any thread: an error of the branch arrived (first one wins).
    void fail(bool negotiation, bool outOfSpace = false);
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
    // takes the branch out. Safe to call when the source is already gone. A file whose end was
    // not written (a write error, a full disk, a timeout) is finished from what it holds
    // (AviRepair), and a file without a complete frame is removed (counts().fileRemoved).
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
    // The disk guard: a recording does not start on a disk with less room than this, and stops
    // itself while the room left still holds what is queued, twice the largest write seen, the
    // index of every frame (32 bytes: idx1 and OpenDML entries) and this margin.
    static constexpr std::uint64_t kMinimumStartBytes = 4u << 20;
    static constexpr std::uint64_t kReserveMarginBytes = 1u << 20;
    // The element message with which the branch says that it stopped itself for want of space.
    static constexpr const char *kDiskFullMessage = "sendra-recording-disk-full";
    // Bytes the file system grants an unprivileged writer in `folder`; nullopt when it cannot tell.
    static std::optional<std::uint64_t> freeBytes(const QByteArray &folder);

private:
    void remove();
    // After the branch is gone: finish an interrupted file, remove one without frames.
    void finishFile(bool interrupted, std::uint64_t framesWritten);

    DiagnosticsLog &log_;
    GstElement *pipeline_;   // borrowed: the tee's bin, which outlives the branch
    GstElement *tee_;
    std::shared_ptr<RecordingState> state_;
    GstPtr<GstPad> teePad_;      // the tee's request pad, released in remove()
    GstPtr<GstPad> entry_;       // the branch's ghost sink pad
    QString path_;
    bool passthrough_ = false;
    bool fileRemoved_ = false;
};

} // namespace platform
