#include "specimenpainter.h"

#include "platform/picturecodec.h"

#include <QImage>
#include <QMetaObject>
#include <QObject>

#include <cstring>

namespace platform {

void JpegRepeater::replace(const QByteArray &jpeg)
{
    GstBufferPtr next(gst_buffer_new_memdup(jpeg.constData(), gsize(jpeg.size())));
    std::lock_guard lock(mutex);
    frame = std::move(next);
}

void repeatJpeg(GstAppSrc *src, guint, gpointer user)
{
    // Streaming thread of the appsrc.
    auto *r = static_cast<JpegRepeater *>(user);
    GstBuffer *buffer = nullptr;
    {
        std::lock_guard lock(r->mutex);
        buffer = gst_buffer_copy(r->frame.get());   // shares the JPEG's memory
    }
    GST_BUFFER_PTS(buffer) = r->sent * r->duration;
    GST_BUFFER_DURATION(buffer) = r->duration;
    ++r->sent;
    r->total->fetch_add(1, std::memory_order_relaxed);
    gst_app_src_push_buffer(src, buffer);
}

GstBuffer *specimenBuffer(int width, int height, int focus, SpecimenRelief relief)
{
    const QImage picture = drawSpecimenAtFocus(width, height, focus, relief);
    GstBuffer *buffer = gst_buffer_new_allocate(nullptr, gsize(width) * gsize(height) * 4, nullptr);
    GstMapInfo map;
    gst_buffer_map(buffer, &map, GST_MAP_WRITE);
    for (int y = 0; y < height; ++y)
        std::memcpy(map.data + std::size_t(y) * std::size_t(width) * 4, picture.constScanLine(y), std::size_t(width) * 4);
    gst_buffer_unmap(buffer, &map);
    return buffer;
}

QByteArray specimenJpeg(int width, int height, int focus, SpecimenRelief relief)
{
    return encodeJpeg(Bitmap(drawSpecimenAtFocus(width, height, focus, relief)), 85);
}

SpecimenPainter::SpecimenPainter(QObject *receiver, Drawn drawn)
    : receiver_(receiver), drawn_(std::move(drawn)), thread_([this] { run(); })
{
}

SpecimenPainter::~SpecimenPainter()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    thread_.join();
}

void SpecimenPainter::post(Job job)
{
    {
        std::lock_guard lock(mutex_);
        GstElement *key = job.appsrc.get();
        jobs_.erase(key);
        jobs_.emplace(key, std::move(job));
    }
    wake_.notify_one();
}

void SpecimenPainter::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_)
            return;
        Job job = std::move(jobs_.begin()->second);
        jobs_.erase(jobs_.begin());
        lock.unlock();
        if (job.repeater) {
            job.repeater->replace(specimenJpeg(job.width, job.height, job.focus, job.relief));
        } else {
            gst_app_src_push_buffer(GST_APP_SRC(job.appsrc.get()), specimenBuffer(job.width, job.height, job.focus, job.relief));
        }
        // The receiver owns the painter, so it outlives every call queued before the join.
        QMetaObject::invokeMethod(
            receiver_, [drawn = drawn_, source = job.appsrc.get(), focus = job.focus] { drawn(source, focus); },
            Qt::QueuedConnection);
        job = Job();   // the source's reference goes before the lock is taken again
        lock.lock();
    }
}

} // namespace platform
