#include "gstcapturepipeline.h"

#include "platform/diagnosticslog.h"
#include "platform/frameanalyzer.h"
#include "platform/gst/gstptr.h"
#include "platform/gst/gstrecordingbranch.h"
#include "platform/gst/virtualcamera.h"
#include "platform/previewdecoder.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <chrono>
#include <cstring>

namespace platform {

struct GstCapturePipeline::Shared {
    GstPtr<GstElement> pipeline;
    GstPtr<GstElement> source;
    GstPtr<GstElement> tee;
    std::function<void(VideoFrame &&)> onFrame;
    std::shared_ptr<FrameAnalyzer> analyzer;   // called on the appsink's streaming thread
    GstCapturePipeline *owner = nullptr;   // UI-thread object; only used as a queued-call context
    std::uint64_t generation = 0;
    // The size the video area shows, packed as width << 32 | height (0: the picture's own size).
    // Written by the UI thread at any time, read once per frame by the appsink's thread.
    std::atomic<std::uint64_t> previewSize{0};
    PreviewDecoder decoder;   // the appsink's streaming thread only
    // Counts the frame callbacks that have returned. Going to NULL joins the streaming threads
    // through GLib, which thread checkers cannot see; reading this after it makes the join
    // visible to them as well (everything a callback did comes before its increment).
    std::atomic<std::uint64_t> callbacksDone{0};

    std::mutex mutex;   // guards the fields below
    std::shared_ptr<RecordingState> recording;   // the running recording branch, if any
    std::condition_variable changed;
    QSize size;
    bool failed = false;
    PipelineEvent firstError;   // what made it fail: start() reports it, the queued copy comes too late
    std::uint64_t frames = 0;
};

namespace {

QString gstFormatName(FourCC code)
{
    switch (code) {
    case fourcc('Y', 'U', 'Y', 'V'): return QStringLiteral("YUY2");
    case fourcc('U', 'Y', 'V', 'Y'): return QStringLiteral("UYVY");
    case fourcc('N', 'V', '1', '2'): return QStringLiteral("NV12");
    case fourcc('Y', 'U', '1', '2'): return QStringLiteral("I420");
    case fourcc('Y', 'V', '1', '2'): return QStringLiteral("YV12");
    case fourcc('G', 'R', 'E', 'Y'): return QStringLiteral("GRAY8");
    case fourcc('R', 'G', 'B', '3'): return QStringLiteral("RGB");
    case fourcc('B', 'G', 'R', '3'): return QStringLiteral("BGR");
    default: return fourccText(code);
    }
}

QString capsText(const CaptureFormat &f)
{
    QString caps = f.code == kFourccMjpg ? QStringLiteral("image/jpeg")
                                         : QStringLiteral("video/x-raw,format=%1").arg(gstFormatName(f.code));
    if (f.width > 0 && f.height > 0)
        caps += QStringLiteral(",width=%1,height=%2").arg(f.width).arg(f.height);
    if (f.rate.numerator > 0)
        caps += QStringLiteral(",framerate=%1/%2").arg(f.rate.numerator).arg(f.rate.denominator);
    return caps;
}

// Streaming thread. Wraps the mapped buffer in a QImage that keeps the sample alive: no copy.
struct MappedSample {
    GstSamplePtr sample;
    GstMapInfo map{};
};

void releaseMapped(void *info)
{
    auto *m = static_cast<MappedSample *>(info);
    gst_buffer_unmap(gst_sample_get_buffer(m->sample.get()), &m->map);
    delete m;
}

QSize unpackSize(std::uint64_t packed) { return QSize(int(packed >> 32), int(packed & 0xFFFFFFFFu)); }

// Streaming thread: a mapped buffer kept alive for as long as a frame refers to it.
std::shared_ptr<MappedSample> mapSample(GstSamplePtr sample)
{
    GstBuffer *buffer = gst_sample_get_buffer(sample.get());
    if (!buffer)
        return nullptr;
    auto *mapped = new MappedSample{std::move(sample), {}};
    if (!gst_buffer_map(buffer, &mapped->map, GST_MAP_READ)) {
        delete mapped;
        return nullptr;
    }
    return std::shared_ptr<MappedSample>(mapped, [](MappedSample *m) { releaseMapped(m); });
}

// A raw frame after videoconvert: the BGRx picture at full size, sharing the buffer.
bool rawFrame(GstSamplePtr sample, VideoFrame &frame)
{
    GstVideoInfo info;
    GstBuffer *buffer = gst_sample_get_buffer(sample.get());
    if (!buffer || !gst_video_info_from_caps(&info, gst_sample_get_caps(sample.get())) ||
        GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_BGRx)
        return false;
    int stride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 0);
    gsize offset = GST_VIDEO_INFO_PLANE_OFFSET(&info, 0);
    if (GstVideoMeta *meta = gst_buffer_get_video_meta(buffer)) {
        stride = meta->stride[0];
        offset = meta->offset[0];
    }
    auto *mapped = new MappedSample{std::move(sample), {}};
    if (!gst_buffer_map(buffer, &mapped->map, GST_MAP_READ)) {
        delete mapped;
        return false;
    }
    const int w = GST_VIDEO_INFO_WIDTH(&info), h = GST_VIDEO_INFO_HEIGHT(&info);
    if (gsize(stride) * gsize(h - 1) + gsize(w) * 4 + offset > mapped->map.size) {
        releaseMapped(mapped);
        return false;
    }
    frame.full = QImage(static_cast<const uchar *>(mapped->map.data + offset), w, h, stride, QImage::Format_RGB32,
                        releaseMapped, mapped);
    frame.pictureSize = frame.full.size();
    return true;
}

GstFlowReturn onNewSample(GstAppSink *sink, gpointer user)
{
    // Runs on the appsink's streaming thread: make the picture the video area shows (decoded and
    // filtered to its size here, not on the UI thread), hand it over, nothing else.
    auto *shared = static_cast<GstCapturePipeline::Shared *>(user);
    struct Done {
        std::atomic<std::uint64_t> &count;
        ~Done() { count.fetch_add(1, std::memory_order_release); }
    } done{shared->callbacksDone};
    GstSamplePtr sample(gst_app_sink_pull_sample(sink));
    if (!sample)
        return GST_FLOW_OK;
    const QSize shown = unpackSize(shared->previewSize.load(std::memory_order_relaxed));
    VideoFrame frame;
    const GstStructure *format = gst_caps_get_structure(gst_sample_get_caps(sample.get()), 0);
    if (format && gst_structure_has_name(format, "image/jpeg")) {
        std::shared_ptr<MappedSample> mapped = mapSample(std::move(sample));
        if (!mapped)
            return GST_FLOW_OK;
        auto encoded = std::make_shared<EncodedFrame>();
        encoded->data = mapped->map.data;
        encoded->size = mapped->map.size;
        encoded->keep = mapped;
        // The analyzer reads the rows while they are made, where the decoder makes them one by one.
        ShownRows *rows = shared->analyzer ? shared->analyzer->shownRows() : nullptr;
        frame.image = shared->decoder.decodeJpeg(encoded->data, encoded->size, shown, frame.pictureSize, rows);
        if (frame.image.isNull())
            return GST_FLOW_OK;   // a damaged frame: the next one shows
        frame.encoded = std::move(encoded);
    } else {
        if (!rawFrame(std::move(sample), frame))
            return GST_FLOW_OK;
        frame.image = shared->decoder.scaleFrame(frame.full, shown);
    }
    {
        std::lock_guard lock(shared->mutex);
        frame.sequence = ++shared->frames;
        if (shared->size != frame.pictureSize) {
            shared->size = frame.pictureSize;
            shared->changed.notify_all();
        }
    }
    if (shared->analyzer)
        frame.analysis = shared->analyzer->analyze(frame.image, frame.sequence);
    if (shared->onFrame)
        shared->onFrame(std::move(frame));
    return GST_FLOW_OK;
}

} // namespace

std::optional<PipelineEvent> toPipelineEvent(GstMessage *message, GstElement *source)
{
    PipelineEvent ev;
    GError *raw = nullptr;
    gchar *debug = nullptr;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR:
        ev.kind = PipelineEvent::Kind::Error;
        gst_message_parse_error(message, &raw, &debug);
        break;
    case GST_MESSAGE_WARNING:
        ev.kind = PipelineEvent::Kind::Warning;
        gst_message_parse_warning(message, &raw, &debug);
        break;
    case GST_MESSAGE_EOS:
        ev.kind = PipelineEvent::Kind::EndOfStream;
        return ev;
    case GST_MESSAGE_ELEMENT:
        // The recording branch stopped itself before its disk was full: a warning, since its
        // file is finished properly, but the recording is over.
        if (!gst_message_has_name(message, GstRecordingBranch::kDiskFullMessage))
            return std::nullopt;
        ev.kind = PipelineEvent::Kind::Warning;
        ev.noSpaceLeft = true;
        ev.element = QString::fromUtf8(GST_MESSAGE_SRC_NAME(message));
        ev.message = QStringLiteral("the disk is full");
        return ev;
    default:
        return std::nullopt;
    }
    GErrorPtr error(raw);
    GCharPtr debugText(debug);
    GObject *src = G_OBJECT(GST_MESSAGE_SRC(message));
    ev.element = QString::fromUtf8(GST_MESSAGE_SRC_NAME(message));
    ev.fromSource = source && (src == G_OBJECT(source) || gst_object_has_as_ancestor(GST_OBJECT(src), GST_OBJECT(source)));
    if (error) {
        ev.message = QString::fromUtf8(error->message);
        ev.resourceError = error->domain == GST_RESOURCE_ERROR;
        ev.noSpaceLeft = ev.resourceError && error->code == GST_RESOURCE_ERROR_NO_SPACE_LEFT;
        ev.negotiationError = (error->domain == GST_STREAM_ERROR && error->code == GST_STREAM_ERROR_FORMAT) ||
                              (debug && std::strstr(debug, "not-negotiated"));
    }
    ev.debug = QString::fromUtf8(debug ? debug : "");
    return ev;
}

GstCapturePipeline::GstCapturePipeline(DiagnosticsLog &log, VirtualCameraRig *rig, QObject *parent)
    : QObject(parent), log_(log), rig_(rig)
{
}

GstCapturePipeline::~GstCapturePipeline() { stop(); }

void GstCapturePipeline::setCallbacks(std::function<void(VideoFrame &&)> onFrame,
                                      std::function<void(const PipelineEvent &)> onEvent)
{
    pendingFrame_ = std::move(onFrame);
    onEvent_ = std::move(onEvent);
}

void GstCapturePipeline::setFrameAnalyzer(std::shared_ptr<FrameAnalyzer> analyzer) { pendingAnalyzer_ = std::move(analyzer); }

static GstBusSyncReply onBusMessage(GstBus *, GstMessage *message, gpointer user)
{
    // Runs on whichever thread posted the message. Only values leave this function.
    auto *shared = static_cast<GstCapturePipeline::Shared *>(user);
    if (std::optional<PipelineEvent> ev = toPipelineEvent(message, shared->source.get())) {
        std::shared_ptr<RecordingState> recording;
        {
            std::lock_guard lock(shared->mutex);
            recording = shared->recording;
        }
        // An error of the recording branch ends the recording, not the preview.
        ev->fromRecording = recording && ev->kind != PipelineEvent::Kind::EndOfStream &&
                            recording->contains(GST_MESSAGE_SRC(message));
        if (ev->fromRecording && ev->kind == PipelineEvent::Kind::Error)
            recording->fail(ev->negotiationError, ev->noSpaceLeft);
        if (ev->kind == PipelineEvent::Kind::Error && !ev->fromRecording) {
            std::lock_guard lock(shared->mutex);
            if (!shared->failed)
                shared->firstError = *ev;
            shared->failed = true;
            shared->changed.notify_all();
        }
        GstCapturePipeline *owner = shared->owner;
        const std::uint64_t generation = shared->generation;
        QMetaObject::invokeMethod(
            owner, [owner, e = std::move(*ev), generation] { owner->deliverQueued(e, generation); }, Qt::QueuedConnection);
    }
    return GST_BUS_DROP;   // nobody pops this bus
}

void GstCapturePipeline::deliverQueued(const PipelineEvent &event, std::uint64_t generation) { deliver(event, generation); }

void GstCapturePipeline::deliver(const PipelineEvent &event, std::uint64_t generation)
{
    // UI thread. Events of a pipeline already stopped are stale.
    if (generation != generation_ || !shared_)
        return;
    if (event.kind != PipelineEvent::Kind::EndOfStream)
        log_.append(QStringLiteral("GStreamer %1 from %2: %3")
                        .arg(event.kind == PipelineEvent::Kind::Error ? QStringLiteral("error") : QStringLiteral("warning"),
                             event.element, event.message));
    if (onEvent_)
        onEvent_(event);
}

StartResult GstCapturePipeline::start(const DeviceRecord &device, const CaptureFormat &format)
{
    stop();
    auto shared = std::make_shared<Shared>();
    shared->owner = this;
    shared->onFrame = pendingFrame_;
    shared->analyzer = pendingAnalyzer_;
    shared->generation = ++generation_;
    shared->previewSize.store(previewSize_, std::memory_order_relaxed);

    GstElement *source = nullptr;
    if (VirtualCameraRig::isVirtual(device)) {
        QString why;
        source = rig_ ? rig_->createSource(device, format, why) : nullptr;
        if (!source) {
            log_.append(QStringLiteral("CAPTURE cannot open %1: %2").arg(device.devnode, why));
            return StartResult::OpenFailed;
        }
    } else {
        source = gst_element_factory_make("v4l2src", "camera-source");
        if (!source) {
            log_.append(QStringLiteral("CAPTURE v4l2src is not installed"));
            return StartResult::OpenFailed;
        }
        g_object_set(source, "device", device.devnode.toLocal8Bit().constData(), nullptr);
    }
    shared->source = GstPtr<GstElement>::sink(source);

    // The tee hands the camera's own stream to a recording, before anything decodes it. The
    // preview's queue lets old frames go rather than hold the camera up; an MJPEG camera's JPEGs
    // reach the appsink as they are, decoded there at the size shown. It holds up to kPreviewQueue
    // frames: the decoding thread is now and then held up by the scheduler for longer than two
    // frame periods on a busy machine (up to 160 ms measured at 30 fps), and the frames that
    // arrive meanwhile wait instead of being lost; the queue is empty again a few frames later,
    // so it adds no delay while the thread keeps up.
    const bool mjpg = format.code == kFourccMjpg;
    const QString tail = QStringLiteral("capsfilter name=camera-caps caps=\"%1\" ! tee name=preview-tee ! "
                                        "queue max-size-buffers=%3 max-size-bytes=0 max-size-time=0 leaky=downstream ! "
                                        "%2appsink name=preview-sink")
                             .arg(capsText(format),
                                  mjpg ? QString() : QStringLiteral("videoconvert ! video/x-raw,format=BGRx ! "))
                             .arg(kPreviewQueue);
    GError *rawError = nullptr;
    GstElement *bin = gst_parse_bin_from_description(tail.toUtf8().constData(), FALSE, &rawError);
    GErrorPtr error(rawError);
    if (!bin) {
        log_.append(QStringLiteral("CAPTURE cannot build the pipeline: %1").arg(QString::fromUtf8(error ? error->message : "?")));
        return StartResult::OpenFailed;
    }
    shared->pipeline = GstPtr<GstElement>::sink(gst_pipeline_new("capture"));
    gst_bin_add_many(GST_BIN(shared->pipeline.get()), GST_ELEMENT(gst_object_ref(source)), bin, nullptr);
    GstPtr<GstElement> caps = GstPtr<GstElement>::adopt(gst_bin_get_by_name(GST_BIN(bin), "camera-caps"));
    GstPtr<GstElement> sink = GstPtr<GstElement>::adopt(gst_bin_get_by_name(GST_BIN(bin), "preview-sink"));
    shared->tee = GstPtr<GstElement>::adopt(gst_bin_get_by_name(GST_BIN(bin), "preview-tee"));
    g_object_set(shared->tee.get(), "allow-not-linked", TRUE, nullptr);
    if (!gst_element_link(source, caps.get())) {
        log_.append(QStringLiteral("CAPTURE cannot link the source"));
        return StartResult::OpenFailed;
    }
    gst_app_sink_set_max_buffers(GST_APP_SINK(sink.get()), 1);
    gst_app_sink_set_drop(GST_APP_SINK(sink.get()), TRUE);
    g_object_set(sink.get(), "sync", FALSE, "enable-last-sample", FALSE, nullptr);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = onNewSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink.get()), &callbacks, shared.get(), nullptr);

    GstPtr<GstBus> bus = GstPtr<GstBus>::adopt(gst_element_get_bus(shared->pipeline.get()));
    gst_bus_set_sync_handler(bus.get(), onBusMessage, shared.get(), nullptr);
    shared_ = shared;
    paused_ = false;

    log_.append(QStringLiteral("CAPTURE %1 as %2").arg(device.devnode, capsText(format)));
    if (gst_element_set_state(shared->pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        stop();
        return StartResult::StateChangeFailed;
    }
    // A live source does not preroll: wait for the first frame or an error, bounded.
    std::unique_lock lock(shared->mutex);
    const bool settled = shared->changed.wait_for(lock, std::chrono::milliseconds(kStartTimeoutMs),
                                                  [&] { return shared->failed || shared->size.isValid(); });
    const bool failed = shared->failed || !settled;
    const PipelineEvent why = shared->firstError;
    lock.unlock();
    if (failed) {
        stop();
        if (!settled) {
            log_.append(QStringLiteral("CAPTURE %1 gave no picture in time").arg(device.devnode));
            return StartResult::StateChangeFailed;
        }
        // The event itself is stale once stopped: the reason goes to the log here.
        log_.append(QStringLiteral("CAPTURE %1 did not start: %2").arg(device.devnode, why.message));
        // A camera that cannot be opened (held by another program, gone) is not a format question.
        return why.fromSource && why.resourceError && !why.negotiationError ? StartResult::OpenFailed
                                                                             : StartResult::FormatRefused;
    }
    return StartResult::Started;
}

void GstCapturePipeline::stop()
{
    if (!shared_)
        return;
    // A pipeline never goes away with a half-written AVI: without its end of stream the file
    // has no index.
    stopRecording();
    ++generation_;
    // NULL joins the streaming threads; after that no callback can run.
    gst_element_set_state(shared_->pipeline.get(), GST_STATE_NULL);
    (void)shared_->callbacksDone.load(std::memory_order_acquire);
    GstPtr<GstBus> bus = GstPtr<GstBus>::adopt(gst_element_get_bus(shared_->pipeline.get()));
    gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    shared_.reset();
    paused_ = false;
}

bool GstCapturePipeline::setPaused(bool paused)
{
    if (!shared_)
        return false;
    const GstStateChangeReturn r =
        gst_element_set_state(shared_->pipeline.get(), paused ? GST_STATE_PAUSED : GST_STATE_PLAYING);
    if (r == GST_STATE_CHANGE_FAILURE)
        return false;
    paused_ = paused;
    return true;
}

PipelineState GstCapturePipeline::state() const
{
    if (!shared_)
        return PipelineState::NoPipeline;
    return paused_ ? PipelineState::Paused : PipelineState::Playing;
}

void GstCapturePipeline::setPreviewSize(QSize size)
{
    previewSize_ = size.isValid() && !size.isEmpty() ? (std::uint64_t(size.width()) << 32) | std::uint64_t(size.height())
                                                     : 0;
    if (shared_)
        shared_->previewSize.store(previewSize_, std::memory_order_relaxed);
}

QSize GstCapturePipeline::negotiatedSize() const
{
    if (!shared_)
        return {};
    std::lock_guard lock(shared_->mutex);
    return shared_->size;
}

RecordingStart GstCapturePipeline::startRecording(const RecordingRequest &request)
{
    if (!shared_)
        return RecordingStart::NotRunning;
    if (recording_ && recording_->running())
        return RecordingStart::AlreadyRecording;
    recording_ = std::make_unique<GstRecordingBranch>(log_, shared_->pipeline.get(), shared_->tee.get());
    // The bus handler must know the branch before its first message; start() renews the state,
    // so it is handed over through this hook.
    recording_->onStateRenewed = [shared = shared_](std::shared_ptr<RecordingState> state) {
        std::lock_guard lock(shared->mutex);
        shared->recording = std::move(state);
    };
    const RecordingStart r = recording_->start(request);
    if (r != RecordingStart::Started)
        recording_.reset();
    return r;
}

RecordingEnd GstCapturePipeline::stopRecording()
{
    if (!recording_)
        return RecordingEnd::Unknown;
    const RecordingEnd end = recording_->stop();
    lastCounts_ = recording_->counts();
    recording_.reset();
    if (shared_) {
        std::lock_guard lock(shared_->mutex);
        shared_->recording.reset();
    }
    return end;
}

bool GstCapturePipeline::isRecording() const { return recording_ && recording_->running(); }

RecordingCounts GstCapturePipeline::recordingCounts() const { return recording_ ? recording_->counts() : lastCounts_; }

GstElement *GstCapturePipeline::pipelineElement() const { return shared_ ? shared_->pipeline.get() : nullptr; }
GstElement *GstCapturePipeline::teeElement() const { return shared_ ? shared_->tee.get() : nullptr; }

} // namespace platform
