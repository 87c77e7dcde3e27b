// The sequential frame reader behind platform::openVideoFrameReader.
#include "platform/videoframereader.h"

#include "platform/gst/gstptr.h"
#include "platform/gst/sampleimage.h"

#include <QFile>
#include <QFileInfo>

#include <gst/app/gstappsink.h>

#include <chrono>
#include <cmath>

namespace platform {
namespace {

constexpr GstClockTime kWaitNs = 5 * GST_SECOND;
// Reading forward costs a decode per frame; beyond this a seek is cheaper.
constexpr GstClockTime kSeekAheadNs = 2 * GST_SECOND;
// Times computed from a step land on a frame's start up to rounding.
constexpr GstClockTime kToleranceNs = GST_MSECOND;

// decodebin's pad-added, on a streaming thread: the first raw video pad goes to the converter.
void onDecodedPad(GstElement *, GstPad *pad, gpointer user)
{
    auto *convertSink = static_cast<GstPad *>(user);
    if (gst_pad_is_linked(convertSink))
        return;
    GstCapsPtr caps(gst_pad_get_current_caps(pad));
    if (!caps)
        caps.reset(gst_pad_query_caps(pad, nullptr));
    if (!caps || gst_caps_is_empty(caps.get()))
        return;
    if (g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps.get(), 0)), "video/x-raw"))
        gst_pad_link(pad, convertSink);
}

// Waits for the pipeline's preroll, an error or the timeout; `why` names the failure.
bool waitAsyncDone(GstElement *pipeline, QString &why)
{
    GstPtr<GstBus> bus = GstPtr<GstBus>::adopt(gst_element_get_bus(pipeline));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::nanoseconds(kWaitNs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        GstMessagePtr msg(gst_bus_timed_pop_filtered(bus.get(), GstClockTime(left.count()),
                                                     GstMessageType(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR)));
        if (!msg)
            break;
        if (GST_MESSAGE_TYPE(msg.get()) == GST_MESSAGE_ERROR) {
            GError *raw = nullptr;
            gst_message_parse_error(msg.get(), &raw, nullptr);
            GErrorPtr error(raw);
            why = QString::fromUtf8(error ? error->message : "error");
            return false;
        }
        if (GST_MESSAGE_SRC(msg.get()) == GST_OBJECT(pipeline))
            return true;
    }
    why = QStringLiteral("timed out");
    return false;
}

class GstVideoFrameReader final : public VideoFrameReader
{
public:
    ~GstVideoFrameReader() override
    {
        if (pipeline_)
            gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
    }

    bool open(const QString &path, QString &why)
    {
        if (!QFileInfo(path).isFile()) {
            why = QStringLiteral("no such file");
            return false;
        }
        pipeline_ = GstPtr<GstElement>::sink(gst_pipeline_new("frame-reader"));
        GstElement *src = gst_element_factory_make("filesrc", nullptr);
        GstElement *decode = gst_element_factory_make("decodebin", nullptr);
        GstElement *convert = gst_element_factory_make("videoconvert", nullptr);
        GstElement *filter = gst_element_factory_make("capsfilter", nullptr);
        GstElement *sink = gst_element_factory_make("appsink", nullptr);
        if (!src || !decode || !convert || !filter || !sink) {
            for (GstElement *e : {src, decode, convert, filter, sink})
                if (e)
                    gst_object_unref(gst_object_ref_sink(e));
            why = QStringLiteral("a GStreamer base plugin is missing");
            return false;
        }
        sink_ = GstPtr<GstElement>::ref(sink);
        g_object_set(src, "location", QFile::encodeName(path).constData(), nullptr);
        GstCapsPtr bgrx(gst_caps_from_string("video/x-raw,format=BGRx"));
        g_object_set(filter, "caps", bgrx.get(), nullptr);
        // Decoding runs ahead of the caller by a few pictures; no clock paces it.
        g_object_set(sink, "sync", FALSE, "max-buffers", 4u, "enable-last-sample", FALSE, nullptr);
        gst_bin_add_many(GST_BIN(pipeline_.get()), src, decode, convert, filter, sink, nullptr);
        if (!gst_element_link(src, decode) || !gst_element_link_many(convert, filter, sink, nullptr)) {
            why = QStringLiteral("cannot link the decoder");
            return false;
        }
        convertSink_ = GstPtr<GstPad>::adopt(gst_element_get_static_pad(convert, "sink"));
        // The pad outlives the streaming threads, which are joined at NULL in the destructor.
        g_signal_connect(decode, "pad-added", G_CALLBACK(onDecodedPad), convertSink_.get());
        if (gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
            why = QStringLiteral("cannot be opened");
            return false;
        }
        if (!waitAsyncDone(pipeline_.get(), why))
            return false;
        GstSamplePtr preroll(gst_app_sink_try_pull_preroll(GST_APP_SINK(sink_.get()), 0));
        if (!preroll) {
            why = QStringLiteral("no video stream");
            return false;
        }
        GstCaps *caps = gst_sample_get_caps(preroll.get());
        const GstStructure *s = caps ? gst_caps_get_structure(caps, 0) : nullptr;
        int w = 0, h = 0;
        if (!s || !gst_structure_get_int(s, "width", &w) || !gst_structure_get_int(s, "height", &h)) {
            why = QStringLiteral("the stream has no picture size");
            return false;
        }
        size_ = QSize(w, h);
        if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
            why = QStringLiteral("cannot be played");
            return false;
        }
        return true;
    }

    QSize size() const override { return size_; }

    std::optional<Bitmap> frameAt(double seconds) override
    {
        if (!(seconds >= 0) || !std::isfinite(seconds))
            return std::nullopt;
        const GstClockTime target = GstClockTime(std::llround(seconds * 1e9)) + kToleranceNs;
        if (current_ && (target < ptsOf(current_.get()) || target - ptsOf(current_.get()) > kSeekAheadNs)) {
            if (!seek(target - kToleranceNs))
                return std::nullopt;
        }
        // Keep the last picture that starts at or before the time; the one after it is kept for
        // the next call.
        for (;;) {
            if (!next_ && !eos_) {
                next_.reset(gst_app_sink_try_pull_sample(GST_APP_SINK(sink_.get()), kWaitNs));
                if (!next_) {
                    if (!gst_app_sink_is_eos(GST_APP_SINK(sink_.get())))
                        return std::nullopt;   // an error or a stall
                    eos_ = true;
                }
            }
            if (eos_ || ptsOf(next_.get()) > target)
                break;
            current_ = std::move(next_);
        }
        if (!current_)
            return std::nullopt;
        QImage image = imageFromSample(current_.get(), false);
        if (image.isNull())
            return std::nullopt;
        return Bitmap(std::move(image));
    }

private:
    static GstClockTime ptsOf(GstSample *sample)
    {
        GstBuffer *b = gst_sample_get_buffer(sample);
        return b && GST_BUFFER_PTS_IS_VALID(b) ? GST_BUFFER_PTS(b) : 0;
    }

    bool seek(GstClockTime to)
    {
        current_.reset();
        next_.reset();
        eos_ = false;
        return gst_element_seek_simple(pipeline_.get(), GST_FORMAT_TIME,
                                       GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), gint64(to));
    }

    GstPtr<GstElement> pipeline_;
    GstPtr<GstElement> sink_;
    GstPtr<GstPad> convertSink_;
    GstSamplePtr current_;
    GstSamplePtr next_;
    bool eos_ = false;
    QSize size_;
};

} // namespace

std::unique_ptr<VideoFrameReader> openVideoFrameReader(const QString &path, QString *why)
{
    auto reader = std::make_unique<GstVideoFrameReader>();
    QString reason;
    if (!reader->open(path, reason)) {
        if (why)
            *why = reason;
        return nullptr;
    }
    return reader;
}

} // namespace platform
