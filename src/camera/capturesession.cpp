#include "capturesession.h"

namespace camera {

CaptureSession::CaptureSession(platform::MediaBackend &backend, QObject *parent) : QObject(parent), backend_(backend) {}

CaptureSession::~CaptureSession() { stop(); }

platform::StartResult CaptureSession::start(const platform::DeviceRecord &device, const platform::CaptureFormat &format)
{
    stop();
    device_ = device;
    format_ = format;
    pipeline_ = backend_.createPipeline();
    pipeline_->setCallbacks(
        [this](platform::VideoFrame &&frame) {
            // Streaming thread: hand over, wake the UI thread once.
            if (mailbox_.put(std::move(frame)))
                QMetaObject::invokeMethod(this, &CaptureSession::takeLatest, Qt::QueuedConnection);
        },
        [this](const platform::PipelineEvent &event) { Q_EMIT pipelineEvent(event); });
    pipeline_->setPreviewSize(previewSize_);
    pipeline_->setFrameAnalyzer(analyzer_);
    const platform::StartResult r = pipeline_->start(device, format);
    if (r != platform::StartResult::Started)
        stop();
    return r;
}

void CaptureSession::stop()
{
    if (pipeline_)
        pipeline_->stop();   // joins the streaming threads
    pipeline_.reset();
    mailbox_.take();
}

void CaptureSession::setPreviewSize(QSize size)
{
    previewSize_ = size;
    if (pipeline_)
        pipeline_->setPreviewSize(size);
}

bool CaptureSession::setPaused(bool paused) { return pipeline_ && pipeline_->setPaused(paused); }

platform::PipelineState CaptureSession::state() const
{
    return pipeline_ ? pipeline_->state() : platform::PipelineState::NoPipeline;
}

void CaptureSession::takeLatest()
{
    // UI thread.
    std::optional<platform::VideoFrame> frame = mailbox_.take();
    if (!frame || !pipeline_)
        return;
    latest_ = std::move(*frame);
    ++taken_;
    Q_EMIT frameReady();
}

} // namespace camera
