#pragma once

#include "platform/mediapipeline.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;

namespace platform {

class DiagnosticsLog;
class VirtualCameraRig;
class GstRecordingBranch;

// The preview pipeline of one capture session:
//   source ! caps ! tee ! queue (leaky) ! [videoconvert ! video/x-raw,format=BGRx] ! appsink
// The source is v4l2src on the device node, or the virtual camera's source bin. An MJPEG
// camera's JPEGs reach the appsink undecoded; its streaming thread decodes them at the size the
// video area shows (raw frames are filtered down to it), so the UI thread only copies a picture
// of the shown size. The appsink keeps one buffer and drops older ones, so a busy UI never stalls
// the camera. The tee, named "preview-tee", carries the camera's own stream to a recording branch.
class GstCapturePipeline final : public QObject, public MediaPipeline
{
    Q_OBJECT
public:
    GstCapturePipeline(DiagnosticsLog &log, VirtualCameraRig *rig, QObject *parent = nullptr);
    ~GstCapturePipeline() override;

    StartResult start(const DeviceRecord &device, const CaptureFormat &format) override;
    void stop() override;
    bool setPaused(bool paused) override;
    PipelineState state() const override;
    QSize negotiatedSize() const override;
    void setPreviewSize(QSize size) override;
    void setCallbacks(std::function<void(VideoFrame &&)> onFrame,
                      std::function<void(const PipelineEvent &)> onEvent) override;
    void setFrameAnalyzer(std::shared_ptr<FrameAnalyzer> analyzer) override;
    RecordingStart startRecording(const RecordingRequest &request) override;
    RecordingEnd stopRecording() override;
    bool isRecording() const override;
    RecordingCounts recordingCounts() const override;

    // For a recording branch: the pipeline and its tee (borrowed; valid until stop()).
    GstElement *pipelineElement() const;
    GstElement *teeElement() const;

    // How long start() waits for the first negotiated caps or an error.
    static constexpr int kStartTimeoutMs = 5000;
    // Frames the preview's queue holds before it lets the oldest go: 200 ms at 30 fps.
    static constexpr int kPreviewQueue = 6;

    struct Shared;   // state the streaming threads touch
    // UI thread: a bus message queued by the sync handler.
    void deliverQueued(const PipelineEvent &event, std::uint64_t generation);

private:
    void deliver(const PipelineEvent &event, std::uint64_t generation);

    DiagnosticsLog &log_;
    VirtualCameraRig *rig_;
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<GstRecordingBranch> recording_;
    std::function<void(VideoFrame &&)> pendingFrame_;
    std::shared_ptr<FrameAnalyzer> pendingAnalyzer_;
    std::function<void(const PipelineEvent &)> onEvent_;
    std::uint64_t generation_ = 0;
    bool paused_ = false;
    std::uint64_t previewSize_ = 0;   // packed as in Shared::previewSize
    RecordingCounts lastCounts_;
};

// Turns a bus message into a value; nullopt for messages nobody needs.
std::optional<PipelineEvent> toPipelineEvent(GstMessage *message, GstElement *source);

} // namespace platform
