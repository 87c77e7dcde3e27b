#include "platform/gst/frameextractor.h"

#include "platform/gst/decodechain.h"
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

class FramePipeline
{
public:
    // Only the prerolled buffer matters: no queueing beyond one picture.
    bool build(const QString &path)
    {
        QString why;
        return chain_.build("frame-extractor", path, 1, why);
    }

    bool preroll(Clock::time_point deadline, QString &why)
    {
        if (gst_element_set_state(chain_.pipeline(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
            why = QStringLiteral("cannot be opened");
            return false;
        }
        return waitPrerolled(chain_.pipeline(), deadline, why);
    }

    // An accurate flushing seek: the decoder starts at the key frame before and hands the sink
    // the frame that holds `timeNs`, which the sink keeps as its preroll.
    QImage frameAt(std::int64_t timeNs, Clock::time_point deadline, QString &why)
    {
        if (!gst_element_seek_simple(chain_.pipeline(), GST_FORMAT_TIME,
                                     GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), timeNs)) {
            why = QStringLiteral("seek refused");
            return {};
        }
        if (!waitPrerolled(chain_.pipeline(), deadline, why))
            return {};
        platform::GstSamplePtr sample(gst_app_sink_try_pull_preroll(GST_APP_SINK(chain_.sink()), 0));
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
    DecodeChain chain_;
};

QString uriOf(const QString &path) { return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded); }

// The length of the file's first video stream alone, in seconds. The discoverer reports the
// container's duration, which is the longest stream's: an audio track that runs on past the last
// picture would make frame numbers point past the video's end. The demuxer answers a duration
// query on a stream's own pad with that stream's length. nullopt when it cannot tell.
std::optional<double> videoStreamSeconds(const QString &path)
{
    DecodeChain chain;
    QString why;
    if (!chain.build("video-length", path, 1, why))
        return std::nullopt;
    if (gst_element_set_state(chain.pipeline(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE ||
        !waitPrerolled(chain.pipeline(), Clock::now() + std::chrono::milliseconds(kFrameTimeoutMs), why))
        return std::nullopt;
    GstPtr<GstPad> pad = GstPtr<GstPad>::adopt(gst_element_get_static_pad(chain.sink(), "sink"));
    gint64 duration = -1;
    if (!pad || !gst_pad_peer_query_duration(pad.get(), GST_FORMAT_TIME, &duration) || duration <= 0)
        return std::nullopt;
    return double(duration) / GST_SECOND;
}

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
    // With other streams beside the video the container's length may be theirs.
    if (kinds.size() > 1)
        if (const std::optional<double> video = videoStreamSeconds(path); video && *video < data.lengthSeconds)
            data.lengthSeconds = *video;
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
