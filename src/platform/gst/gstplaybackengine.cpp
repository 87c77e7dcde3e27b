#include "gstplaybackengine.h"

#include "platform/framemailbox.h"
#include "platform/gst/sampleimage.h"
#include "platform/gst/gstptr.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QUrl>

#include <gst/app/gstappsink.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

Q_LOGGING_CATEGORY(lcPlayer, "sendra.camera.player")

namespace platform {

using platform::GstPtr;

struct GstPlaybackEngine::Shared {
    GstPtr<GstElement> playbin;
    GstPlaybackEngine *owner = nullptr;   // UI-thread object, used only as the queued calls' context
    platform::FrameMailbox mailbox;
    // Bumped by the UI thread at open and rewind; a queued call of an older generation is stale.
    std::atomic<std::uint64_t> generation{0};

    std::mutex mutex;   // guards the two flags
    std::condition_variable changed;
    bool prerolled = false;
    bool failed = false;
};

namespace {

constexpr guint kPlayFlagVideo = 1u << 0;   // GstPlayFlags: video only, no audio, no subtitles

// Streaming thread (appsink): the newest picture into the mailbox, at most one wake-up queued.
void handOver(GstPlaybackEngine::Shared *shared, GstSample *sample)
{
    QImage image = imageFromSample(sample, true);
    if (image.isNull())
        return;
    if (shared->mailbox.put(platform::VideoFrame::of(std::move(image)))) {
        GstPlaybackEngine *owner = shared->owner;
        QMetaObject::invokeMethod(owner, [owner] { owner->takeFrame(); }, Qt::QueuedConnection);
    }
}

// Streaming thread: a picture rendered while playing.
GstFlowReturn onNewSample(GstAppSink *sink, gpointer user)
{
    platform::GstSamplePtr sample(gst_app_sink_pull_sample(sink));
    if (sample)
        handOver(static_cast<GstPlaybackEngine::Shared *>(user), sample.get());
    return GST_FLOW_OK;
}

// Streaming thread: the picture a paused pipeline holds (after open and after a rewind).
GstFlowReturn onNewPreroll(GstAppSink *sink, gpointer user)
{
    platform::GstSamplePtr sample(gst_app_sink_pull_preroll(sink));
    if (sample)
        handOver(static_cast<GstPlaybackEngine::Shared *>(user), sample.get());
    return GST_FLOW_OK;
}

// Runs on whichever thread posted the message. Only flags and values leave this function.
GstBusSyncReply onBusMessage(GstBus *, GstMessage *message, gpointer user)
{
    auto *shared = static_cast<GstPlaybackEngine::Shared *>(user);
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    if (type == GST_MESSAGE_ASYNC_DONE && GST_MESSAGE_SRC(message) == GST_OBJECT(shared->playbin.get())) {
        std::lock_guard lock(shared->mutex);
        shared->prerolled = true;
        shared->changed.notify_all();
    } else if (type == GST_MESSAGE_ERROR || type == GST_MESSAGE_EOS) {
        QString text;
        if (type == GST_MESSAGE_ERROR) {
            GError *raw = nullptr;
            gchar *debug = nullptr;
            gst_message_parse_error(message, &raw, &debug);
            platform::GErrorPtr error(raw);
            platform::GCharPtr debugText(debug);
            text = QString::fromUtf8(error ? error->message : "error");
            std::lock_guard lock(shared->mutex);
            shared->failed = true;
            shared->changed.notify_all();
        }
        GstPlaybackEngine *owner = shared->owner;
        const std::uint64_t generation = shared->generation.load();
        const bool failed = type == GST_MESSAGE_ERROR;
        QMetaObject::invokeMethod(
            owner, [owner, generation, failed, text] { owner->deliverEnd(generation, failed, text); }, Qt::QueuedConnection);
    }
    return GST_BUS_DROP;   // nobody pops this bus
}

} // namespace

GstPlaybackEngine::GstPlaybackEngine(QObject *parent) : QObject(parent) {}

GstPlaybackEngine::~GstPlaybackEngine() { close(); }

bool GstPlaybackEngine::open(const QString &path, Callbacks callbacks)
{
    close();
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        qCInfo(lcPlayer) << "cannot play" << path << ": no such file";
        return false;
    }
    auto shared = std::make_shared<Shared>();
    shared->owner = this;
    shared->playbin = GstPtr<GstElement>::sink(gst_element_factory_make("playbin", "player"));
    GstElement *sink = gst_element_factory_make("appsink", "player-video");
    if (!shared->playbin || !sink) {
        if (sink)
            gst_object_unref(gst_object_ref_sink(sink));
        qCWarning(lcPlayer) << "playbin or appsink is missing (gstreamer1.0-plugins-base)";
        return false;
    }
    platform::GstCapsPtr bgrx(gst_caps_from_string("video/x-raw,format=BGRx"));
    // The sink keeps the file's pace (sync); the callbacks pull each picture at once, so one
    // queued buffer is all it ever holds.
    g_object_set(sink, "caps", bgrx.get(), "max-buffers", 1u, "drop", TRUE, "enable-last-sample", FALSE, nullptr);
    GstAppSinkCallbacks sinkCallbacks{};
    sinkCallbacks.new_sample = onNewSample;
    sinkCallbacks.new_preroll = onNewPreroll;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &sinkCallbacks, shared.get(), nullptr);
    const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded();
    g_object_set(shared->playbin.get(), "uri", uri.constData(), "video-sink", sink, "flags", kPlayFlagVideo, nullptr);

    GstPtr<GstBus> bus = GstPtr<GstBus>::adopt(gst_element_get_bus(shared->playbin.get()));
    gst_bus_set_sync_handler(bus.get(), onBusMessage, shared.get(), nullptr);
    shared->generation = ++generations_;
    shared_ = shared;
    callbacks_ = std::move(callbacks);

    if (gst_element_set_state(shared->playbin.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        qCInfo(lcPlayer) << "cannot play" << path << ": the pipeline refused to start";
        close();
        return false;
    }
    std::unique_lock lock(shared->mutex);
    const bool settled = shared->changed.wait_for(lock, std::chrono::milliseconds(kOpenTimeoutMs),
                                                  [&] { return shared->prerolled || shared->failed; });
    const bool ok = settled && shared->prerolled && !shared->failed;
    lock.unlock();
    if (!ok) {
        qCInfo(lcPlayer) << "cannot play" << path << (settled ? ": not a playable video" : ": timed out");
        close();
        return false;
    }
    return true;
}

void GstPlaybackEngine::close()
{
    if (!shared_)
        return;
    shared_->generation = ++generations_;
    // NULL joins the streaming threads; no callback runs after this.
    gst_element_set_state(shared_->playbin.get(), GST_STATE_NULL);
    GstPtr<GstBus> bus = GstPtr<GstBus>::adopt(gst_element_get_bus(shared_->playbin.get()));
    gst_bus_set_sync_handler(bus.get(), nullptr, nullptr, nullptr);
    shared_.reset();
    callbacks_ = {};
}

bool GstPlaybackEngine::setPlaying(bool playing)
{
    if (!shared_)
        return false;
    return gst_element_set_state(shared_->playbin.get(), playing ? GST_STATE_PLAYING : GST_STATE_PAUSED) !=
           GST_STATE_CHANGE_FAILURE;
}

bool GstPlaybackEngine::rewind()
{
    if (!shared_)
        return false;
    shared_->generation = ++generations_;
    if (gst_element_set_state(shared_->playbin.get(), GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE)
        return false;
    // Flushing: whatever was queued, an end of stream included, is dropped and the first
    // picture prerolls again.
    return gst_element_seek_simple(shared_->playbin.get(), GST_FORMAT_TIME,
                                   GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT), 0);
}

std::int64_t GstPlaybackEngine::durationNs() const
{
    gint64 duration = -1;
    if (!shared_ || !gst_element_query_duration(shared_->playbin.get(), GST_FORMAT_TIME, &duration))
        return -1;
    return duration;
}

std::int64_t GstPlaybackEngine::positionNs() const
{
    gint64 position = -1;
    if (!shared_ || !gst_element_query_position(shared_->playbin.get(), GST_FORMAT_TIME, &position))
        return -1;
    return position;
}

bool GstPlaybackEngine::seek(std::int64_t positionNs)
{
    if (!shared_ || positionNs < 0)
        return false;
    shared_->generation = ++generations_;
    // Accurate: the picture shown is the one at that time, not the key frame before it.
    return gst_element_seek_simple(shared_->playbin.get(), GST_FORMAT_TIME,
                                   GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), positionNs);
}

void GstPlaybackEngine::takeFrame()
{
    // A wake-up queued for a file closed since finds the new file's mailbox: at worst it shows
    // that file's newest picture a little early.
    if (!shared_)
        return;
    std::optional<platform::VideoFrame> f = shared_->mailbox.take();
    if (f && callbacks_.frame)
        callbacks_.frame(f->image);
}

void GstPlaybackEngine::deliverEnd(std::uint64_t generation, bool failed, const QString &message)
{
    if (!shared_ || generation != shared_->generation.load())
        return;
    if (failed) {
        qCInfo(lcPlayer) << "playback failed:" << message;
        if (callbacks_.error)
            callbacks_.error(message);
    } else if (callbacks_.endOfStream) {
        callbacks_.endOfStream();
    }
}

} // namespace platform
