#pragma once

#include "platform/framemailbox.h"
#include "platform/mediapipeline.h"

#include <QObject>

#include <memory>

namespace platform {
class DiagnosticsLog;
}

namespace camera {

// One camera's running pipeline and its newest frame. Frames cross from the streaming thread
// through a FrameMailbox and one queued call; everything else happens on the UI thread.
class CaptureSession : public QObject
{
    Q_OBJECT
public:
    explicit CaptureSession(platform::MediaBackend &backend, QObject *parent = nullptr);
    ~CaptureSession() override;

    platform::StartResult start(const platform::DeviceRecord &device, const platform::CaptureFormat &format);
    void stop();
    bool setPaused(bool paused);
    platform::PipelineState state() const;
    bool isRunning() const { return pipeline_ && pipeline_->state() != platform::PipelineState::NoPipeline; }
    QSize negotiatedSize() const { return pipeline_ ? pipeline_->negotiatedSize() : QSize(); }
    const platform::CaptureFormat &format() const { return format_; }
    const platform::DeviceRecord &device() const { return device_; }
    // The size the video area shows frames at; the pipeline decodes and filters to it on its own
    // threads, from the next frame on. Empty: the picture's own size.
    void setPreviewSize(QSize size);
    QSize previewSize() const { return previewSize_; }
    // Runs on every shown frame of every pipeline started from now on (streaming thread); its
    // findings arrive with the frame in latestFrame().analysis. Null: none.
    void setFrameAnalyzer(std::shared_ptr<platform::FrameAnalyzer> analyzer) { analyzer_ = std::move(analyzer); }
    // The pipeline for a recording branch; null while stopped.
    platform::MediaPipeline *pipeline() const { return pipeline_.get(); }

    // The newest frame taken on the UI thread (null image before the first).
    const platform::VideoFrame &latestFrame() const { return latest_; }
    std::uint64_t framesTaken() const { return taken_; }
    std::uint64_t framesOverwritten() const { return mailbox_.overwritten(); }

Q_SIGNALS:
    // A new frame is in latestFrame(); at most one per frame, coalesced when the UI is busy.
    void frameReady();
    void pipelineEvent(const platform::PipelineEvent &event);

private:
    void takeLatest();

    platform::MediaBackend &backend_;
    std::unique_ptr<platform::MediaPipeline> pipeline_;
    platform::DeviceRecord device_;
    platform::CaptureFormat format_;
    platform::FrameMailbox mailbox_;
    platform::VideoFrame latest_;
    std::uint64_t taken_ = 0;
    QSize previewSize_;
    std::shared_ptr<platform::FrameAnalyzer> analyzer_;
};

} // namespace camera
