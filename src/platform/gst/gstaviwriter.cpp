// The AVI writer behind platform::createAviWriter: appsrc ! videoconvert ! [encoder] ! avimux !
// filesink into a temporary file beside the target, renamed into place when the stream ended.
#include "platform/gst/gstaviwriter.h"

#include "platform/gst/gstptr.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <gst/app/gstappsrc.h>

#include <cstdio>
#include <cstring>
#include <mutex>

Q_LOGGING_CATEGORY(lcAviWriter, "sendra.tools.aviwriter")

namespace platform {
namespace {

constexpr GstClockTime kEndWaitNs = 30 * GST_SECOND;

class GstAviWriter final : public AviWriter
{
public:
    explicit GstAviWriter(AviWriterOptions options) : options_(std::move(options))
    {
        if (options_.periodMs <= 0)
            options_.periodMs = 200;
        const QFileInfo target(options_.path);
        temp_ = target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".part");
    }

    ~GstAviWriter() override { close(); }

    FrameWrite addFrame(const Bitmap &frame) override
    {
        std::lock_guard lock(mutex_);
        if (failed_ || closed_)
            return FrameWrite::WriterError;
        if (frame.isNull() || (pipeline_ && frame.size() != size_))
            return FrameWrite::BadParameter;
        if (!pipeline_ && !build(frame.size())) {
            failed_ = true;
            return FrameWrite::WriterError;
        }
        const QImage &image = frame.image();
        const gsize rowBytes = gsize(size_.width()) * 4;
        GstBuffer *buffer = gst_buffer_new_allocate(nullptr, rowBytes * size_.height(), nullptr);
        GstMapInfo map;
        if (!buffer) {
            failed_ = true;
            return FrameWrite::WriterError;
        }
        if (!gst_buffer_map(buffer, &map, GST_MAP_WRITE)) {
            gst_buffer_unref(buffer);
            failed_ = true;
            return FrameWrite::WriterError;
        }
        for (int y = 0; y < size_.height(); ++y)
            std::memcpy(map.data + rowBytes * y, image.constScanLine(y), rowBytes);
        gst_buffer_unmap(buffer, &map);
        GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(guint64(frames_), guint64(options_.periodMs) * GST_MSECOND, 1);
        GST_BUFFER_DURATION(buffer) = guint64(options_.periodMs) * GST_MSECOND;
        // Takes the buffer. The queue is left to fill up to a few frames only; a pipeline that
        // stopped on an error never drains it, so the wait watches the bus instead of blocking.
        if (!waitForRoom()) {
            gst_buffer_unref(buffer);
            failed_ = true;
            return FrameWrite::WriterError;
        }
        if (gst_app_src_push_buffer(GST_APP_SRC(src_.get()), buffer) != GST_FLOW_OK) {
            failed_ = true;
            return FrameWrite::WriterError;
        }
        ++frames_;
        return FrameWrite::Written;
    }

    bool close() override
    {
        std::lock_guard lock(mutex_);
        if (closed_)
            return finished_;
        closed_ = true;
        if (!pipeline_)
            return false;
        bool ok = !failed_ && frames_ > 0;
        if (ok) {
            gst_app_src_end_of_stream(GST_APP_SRC(src_.get()));
            ok = waitForEnd();
        }
        gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
        pipeline_ = {};
        src_ = {};
        if (ok) {
            // rename() replaces an older file of that name in one step.
            ok = std::rename(QFile::encodeName(temp_).constData(), QFile::encodeName(options_.path).constData()) == 0;
            if (!ok)
                qCWarning(lcAviWriter) << "cannot rename" << temp_ << "to" << options_.path;
        }
        if (!ok)
            QFile::remove(temp_);
        finished_ = ok;
        return ok;
    }

    int framesWritten() const override
    {
        std::lock_guard lock(mutex_);
        return frames_;
    }

    std::error_code error() const override
    {
        std::lock_guard lock(mutex_);
        return error_;
    }

private:
    bool build(QSize size)
    {
        size_ = size;
        pipeline_ = GstPtr<GstElement>::sink(gst_pipeline_new("avi-writer"));
        GstElement *src = gst_element_factory_make("appsrc", nullptr);
        GstElement *convert = gst_element_factory_make("videoconvert", nullptr);
        GstElement *encoder = options_.compressor.isEmpty()
                                  ? gst_element_factory_make("capsfilter", nullptr)
                                  : gst_element_factory_make(options_.compressor.toUtf8().constData(), nullptr);
        GstElement *mux = gst_element_factory_make("avimux", nullptr);
        GstElement *sink = gst_element_factory_make("filesink", nullptr);
        if (!src || !convert || !encoder || !mux || !sink) {
            for (GstElement *e : {src, convert, encoder, mux, sink})
                if (e)
                    gst_object_unref(gst_object_ref_sink(e));
            qCWarning(lcAviWriter) << "missing element for" << (options_.compressor.isEmpty() ? "BGR" : options_.compressor);
            return false;
        }
        src_ = GstPtr<GstElement>::ref(src);
        GstCapsPtr caps(gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", "width", G_TYPE_INT,
                                            size.width(), "height", G_TYPE_INT, size.height(), "framerate",
                                            GST_TYPE_FRACTION, 1000, options_.periodMs, nullptr));
        g_object_set(src, "caps", caps.get(), "format", GST_FORMAT_TIME, "block", FALSE, "max-bytes", guint64(0),
                     nullptr);
        if (options_.compressor.isEmpty()) {
            // Uncompressed 24-bit rows, as a "DIB " stream.
            GstCapsPtr bgr(gst_caps_from_string("video/x-raw,format=BGR"));
            g_object_set(encoder, "caps", bgr.get(), nullptr);
        }
        g_object_set(sink, "location", QFile::encodeName(temp_).constData(), nullptr);
        gst_bin_add_many(GST_BIN(pipeline_.get()), src, convert, encoder, mux, sink, nullptr);
        if (!gst_element_link_many(src, convert, encoder, mux, sink, nullptr)) {
            qCWarning(lcAviWriter) << "cannot link" << options_.compressor << "to avimux";
            return false;
        }
        if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
            qCWarning(lcAviWriter) << "cannot open" << temp_;
            return false;
        }
        return true;
    }

    // Waits until fewer than three frames are queued; false on an error posted by any element
    // (the disk is full, the encoder refused the format) or a stall.
    bool waitForRoom()
    {
        const guint64 limit = guint64(size_.width()) * size_.height() * 4 * 3;
        GstPtr<GstBus> bus = GstPtr<GstBus>::adopt(gst_element_get_bus(pipeline_.get()));
        for (int waited = 0; waited < 30000; waited += 5) {
            if (GstMessagePtr msg{gst_bus_pop_filtered(bus.get(), GST_MESSAGE_ERROR)}) {
                logError(msg.get());
                return false;
            }
            if (gst_app_src_get_current_level_bytes(GST_APP_SRC(src_.get())) < limit)
                return true;
            g_usleep(5000);
        }
        qCWarning(lcAviWriter) << "the encoder stalled:" << options_.path;
        return false;
    }

    bool waitForEnd()
    {
        GstPtr<GstBus> bus = GstPtr<GstBus>::adopt(gst_element_get_bus(pipeline_.get()));
        GstMessagePtr msg(gst_bus_timed_pop_filtered(bus.get(), kEndWaitNs,
                                                     GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
        if (!msg) {
            qCWarning(lcAviWriter) << "the stream did not end in time:" << options_.path;
            return false;
        }
        if (GST_MESSAGE_TYPE(msg.get()) == GST_MESSAGE_ERROR) {
            logError(msg.get());
            return false;
        }
        return true;
    }

    // Called with the mutex held.
    void logError(GstMessage *msg)
    {
        GError *raw = nullptr;
        gst_message_parse_error(msg, &raw, nullptr);
        GErrorPtr error(raw);
        qCWarning(lcAviWriter) << options_.path << (error ? error->message : "error");
        // filesink says a full disk with its own code; the caller tells the user which folder.
        if (error && error->domain == GST_RESOURCE_ERROR && error->code == GST_RESOURCE_ERROR_NO_SPACE_LEFT)
            error_ = std::make_error_code(std::errc::no_space_on_device);
    }

    AviWriterOptions options_;
    QString temp_;
    mutable std::mutex mutex_;
    GstPtr<GstElement> pipeline_;
    GstPtr<GstElement> src_;
    QSize size_;
    int frames_ = 0;
    std::error_code error_;
    bool failed_ = false;
    bool closed_ = false;
    bool finished_ = false;
};

} // namespace

std::unique_ptr<AviWriter> createAviWriter(const AviWriterOptions &options)
{
    return std::make_unique<GstAviWriter>(options);
}

} // namespace platform
