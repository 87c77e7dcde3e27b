#include "decodechain.h"

#include <QFile>

namespace platform {
namespace {

// decodebin's pad-added, on a streaming thread: the first decoded video pad goes to the
// converter. Later video pads and every audio pad stay unlinked, so the demuxer drops their data.
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

} // namespace

DecodeChain::~DecodeChain()
{
    if (pipeline_)
        gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
}

bool DecodeChain::build(const char *name, const QString &path, unsigned maxBuffers, QString &why)
{
    pipeline_ = GstPtr<GstElement>::sink(gst_pipeline_new(name));
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
    g_object_set(sink, "sync", FALSE, "max-buffers", guint(maxBuffers), "enable-last-sample", FALSE, nullptr);
    gst_bin_add_many(GST_BIN(pipeline_.get()), src, decode, convert, filter, sink, nullptr);
    if (!gst_element_link(src, decode) || !gst_element_link_many(convert, filter, sink, nullptr)) {
        why = QStringLiteral("cannot link the decoder");
        return false;
    }
    convertSink_ = GstPtr<GstPad>::adopt(gst_element_get_static_pad(convert, "sink"));
    g_signal_connect(decode, "pad-added", G_CALLBACK(onDecodedPad), convertSink_.get());
    return true;
}

bool waitPrerolled(GstElement *pipeline, std::chrono::steady_clock::time_point deadline, QString &why)
{
    using namespace std::chrono;
    GstPtr<GstBus> bus = GstPtr<GstBus>::adopt(gst_element_get_bus(pipeline));
    for (;;) {
        const auto left = duration_cast<nanoseconds>(deadline - steady_clock::now());
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

} // namespace platform
