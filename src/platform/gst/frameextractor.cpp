#include "platform/frameextractor.h"

#include "platform/gst/sampleimage.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/gstptr.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QUrl>

#include <gst/app/gstappsink.h>
#include <gst/pbutils/pbutils.h>

#include <chrono>
#include <cmath>
#include <memory>

Q_LOGGING_CATEGORY(lcFrames, "sendra.camera.playback")

namespace platform {
namespace {

using platform::GstPtr;
using Clock = std::chrono::steady_clock;

// GstDiscoverer and its results are plain GObjects, not GstObjects.
struct GObjectUnref {
    void operator()(gpointer p) const { g_object_unref(p); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct StreamListFree {
    void operator()(GList *l) const { gst_discoverer_stream_info_list_free(l); }
};

GstClockTime nanos(std::chrono::milliseconds ms) { return GstClockTime(ms.count()) * GST_MSECOND; }

StreamKind kindOf(GstDiscovererStreamInfo *s)
{
    if (GST_IS_DISCOVERER_VIDEO_INFO(s))
        return StreamKind::Video;
    if (GST_IS_DISCOVERER_AUDIO_INFO(s))
        return StreamKind::Audio;
    return StreamKind::Other;
}

// Waits on a private pipeline's bus until it has prerolled (ASYNC_DONE), it failed (ERROR) or the
// deadline passed. Nobody else pops this bus: the pipeline lives only for one call.
bool waitPrerolled(GstElement *pipeline, Clock::time_point deadline, QString &why)
{
    GstPtr<GstBus> bus = GstPtr<GstBus>::adopt(gst_element_get_bus(pipeline));
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            why = QStringLiteral("timed out");
            return false;
        }
        platform::GstMessagePtr msg(gst_bus_timed_pop_filtered(
            bus.get(), nanos(left), GstMessageType(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR)));
        if (!msg) {
            why = QStringLiteral("timed out");
            return false;
        }
        if (GST_MESSAGE_TYPE(msg.get()) == GST_MESSAGE_ERROR) {
            GError *raw = nullptr;
            gst_message_parse_error(msg.get(), &raw, nullptr);
            platform::GErrorPtr error(raw);
            why = QString::fromUtf8(error ? error->message : "error");
            return false;
        }
        if (GST_MESSAGE_SRC(msg.get()) == GST_OBJECT(pipeline))
            return true;
    }
}

// decodebin's pad-added, on a streaming thread: the first decoded video pad goes to the
// converter. Later video pads and every audio pad stay unlinked, so the demuxer drops their data.
void onDecodedPad(GstElement *, GstPad *pad, gpointer user)
{
    auto *convertSink = static_cast<GstPad *>(user);
    if (gst_pad_is_linked(convertSink))
        return;
    platform::GstCapsPtr caps(gst_pad_get_current_caps(pad));
    if (!caps)
        caps.reset(gst_pad_query_caps(pad, nullptr));
    if (!caps || gst_caps_is_empty(caps.get()))
        return;
    const gchar *name = gst_structure_get_name(gst_caps_get_structure(caps.get(), 0));
    if (g_str_has_prefix(name, "video/x-raw"))
        gst_pad_link(pad, convertSink);
}

class FramePipeline
{
public:
    bool build(const QString &path)
    {
        pipeline_ = GstPtr<GstElement>::sink(gst_pipeline_new("frame-extractor"));
        GstElement *src = gst_element_factory_make("filesrc", nullptr);
        GstElement *decode = gst_element_factory_make("decodebin", nullptr);
        GstElement *convert = gst_element_factory_make("videoconvert", nullptr);
        GstElement *filter = gst_element_factory_make("capsfilter", nullptr);
        GstElement *sink = gst_element_factory_make("appsink", nullptr);
        if (!src || !decode || !convert || !filter || !sink) {
            for (GstElement *e : {src, decode, convert, filter, sink})
                if (e)
                    gst_object_unref(gst_object_ref_sink(e));
            return false;
        }
        sink_ = GstPtr<GstElement>::ref(sink);
        g_object_set(src, "location", QFile::encodeName(path).constData(), nullptr);
        platform::GstCapsPtr bgrx(gst_caps_from_string("video/x-raw,format=BGRx"));
        g_object_set(filter, "caps", bgrx.get(), nullptr);
        // Only the prerolled buffer matters: no clock, no queueing beyond one picture.
        g_object_set(sink, "sync", FALSE, "max-buffers", 1u, "enable-last-sample", FALSE, nullptr);
        gst_bin_add_many(GST_BIN(pipeline_.get()), src, decode, convert, filter, sink, nullptr);
        if (!gst_element_link(src, decode) || !gst_element_link_many(convert, filter, sink, nullptr))
            return false;
        convertSink_ = GstPtr<GstPad>::adopt(gst_element_get_static_pad(convert, "sink"));
        // The pad outlives the pipeline's streaming threads: they are joined at NULL, in ~FramePipeline.
        g_signal_connect(decode, "pad-added", G_CALLBACK(onDecodedPad), convertSink_.get());
        return true;
    }

    ~FramePipeline()
    {
        if (pipeline_)
            gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
    }

    bool preroll(Clock::time_point deadline, QString &why)
    {
        if (gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
            why = QStringLiteral("cannot be opened");
            return false;
        }
        return waitPrerolled(pipeline_.get(), deadline, why);
    }

    // An accurate flushing seek: the decoder starts at the key frame before and hands the sink
    // the frame that holds `timeNs`, which the sink keeps as its preroll.
    QImage frameAt(std::int64_t timeNs, Clock::time_point deadline, QString &why)
    {
        if (!gst_element_seek_simple(pipeline_.get(), GST_FORMAT_TIME,
                                     GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), timeNs)) {
            why = QStringLiteral("seek refused");
            return {};
        }
        if (!waitPrerolled(pipeline_.get(), deadline, why))
            return {};
        platform::GstSamplePtr sample(gst_app_sink_try_pull_preroll(GST_APP_SINK(sink_.get()), 0));
        if (!sample) {
            why = QStringLiteral("no picture at that time");
            return {};
        }
        QImage image = imageFromSample(sample.get(), false);
        if (image.isNull())
            why = QStringLiteral("the picture is not BGRx");
        return image;
    }

private:
    GstPtr<GstElement> pipeline_;
    GstPtr<GstElement> sink_;
    GstPtr<GstPad> convertSink_;
};

QString uriOf(const QString &path) { return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded); }

} // namespace

std::optional<AviFrameData> probeVideo(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    GError *rawError = nullptr;
    GObjectPtr<GstDiscoverer> discoverer(gst_discoverer_new(nanos(std::chrono::milliseconds(kFrameTimeoutMs)), &rawError));
    platform::GErrorPtr error(rawError);
    if (!discoverer)
        return std::nullopt;
    rawError = nullptr;
    // Synchronous, bounded by the discoverer's own timeout.
    GObjectPtr<GstDiscovererInfo> info(gst_discoverer_discover_uri(discoverer.get(), uriOf(path).toUtf8().constData(), &rawError));
    error.reset(rawError);
    if (!info || gst_discoverer_info_get_result(info.get()) != GST_DISCOVERER_OK) {
        qCDebug(lcFrames) << "cannot probe" << path << (error ? error->message : "");
        return std::nullopt;
    }
    // The elementary streams in the order the file lists them; the container itself is skipped.
    std::unique_ptr<GList, StreamListFree> all(gst_discoverer_info_get_stream_list(info.get()));
    std::vector<GstDiscovererStreamInfo *> streams;
    std::vector<StreamKind> kinds;
    for (GList *l = all.get(); l; l = l->next) {
        auto *s = static_cast<GstDiscovererStreamInfo *>(l->data);
        if (GST_IS_DISCOVERER_CONTAINER_INFO(s))
            continue;
        streams.push_back(s);
        kinds.push_back(kindOf(s));
    }
    const std::optional<std::size_t> chosen = chooseVideoStream(kinds);
    if (!chosen)
        return std::nullopt;
    auto *video = GST_DISCOVERER_VIDEO_INFO(streams[*chosen]);
    AviFrameData data;
    data.size = QSize(int(gst_discoverer_video_info_get_width(video)), std::abs(int(gst_discoverer_video_info_get_height(video))));
    const guint num = gst_discoverer_video_info_get_framerate_num(video);
    const guint den = gst_discoverer_video_info_get_framerate_denom(video);
    data.framesPerSecond = den ? double(num) / den : 0.0;
    const GstClockTime duration = gst_discoverer_info_get_duration(info.get());
    data.lengthSeconds = GST_CLOCK_TIME_IS_VALID(duration) ? double(duration) / GST_SECOND : 0.0;
    return data;
}

std::optional<platform::Bitmap> GetAviFrame(const QString &path, std::uint32_t frameIndex, platform::DiagnosticsLog *log)
{
    const std::optional<AviFrameData> data = probeVideo(path);
    if (!data)
        return std::nullopt;
    return GetAviFrame(path, *data, frameIndex, log);
}

std::optional<platform::Bitmap> GetAviFrame(const QString &path, const AviFrameData &data, std::uint32_t frameIndex,
                                            platform::DiagnosticsLog *log)
{
    const std::optional<std::int64_t> timeNs = frameSeekTimeNs(data, frameIndex);
    if (!timeNs) {
        qCDebug(lcFrames) << path << "has no usable frame rate:" << data.framesPerSecond;
        return std::nullopt;
    }
    FramePipeline pipeline;
    if (!pipeline.build(path)) {
        qCWarning(lcFrames) << "cannot build the frame pipeline: a GStreamer base plugin is missing";
        return std::nullopt;
    }
    // One budget for everything, so a file that stalls at each step still fails in bounded time.
    const auto deadline = Clock::now() + std::chrono::milliseconds(kFrameTimeoutMs);
    QString why;
    if (!pipeline.preroll(deadline, why)) {
        qCDebug(lcFrames) << path << why;
        return std::nullopt;
    }
    QImage image = pipeline.frameAt(*timeNs, deadline, why);
    if (image.isNull()) {
        if (log)
            log->append(QStringLiteral("WriteBitmapBits1 error"));
        if (Clock::now() < deadline)
            image = pipeline.frameAt(*timeNs, deadline, why);
        if (image.isNull()) {
            if (log)
                log->append(QStringLiteral("WriteBitmapBits2 error"));
            qCDebug(lcFrames) << path << "frame" << frameIndex << why;
            return std::nullopt;
        }
    }
    return platform::Bitmap(std::move(image));
}

std::optional<std::int64_t> GetVideoTotalTime(const QString &path)
{
    const std::optional<AviFrameData> data = probeVideo(path);
    if (!data || data->lengthSeconds <= 0)
        return std::nullopt;
    return std::llround(data->lengthSeconds * 1e7);
}

std::optional<platform::Bitmap> grabFrameForThumbnail(const QString &path, int frameIndex)
{
    return GetAviFrame(path, std::uint32_t(std::max(0, frameIndex)));
}

} // namespace platform
