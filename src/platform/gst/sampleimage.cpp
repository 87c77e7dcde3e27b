#include "sampleimage.h"

#include "platform/gst/gstptr.h"

#include <gst/video/video.h>

#include <cstring>

namespace platform {
namespace {

struct MappedSample {
    platform::GstSamplePtr sample;
    GstMapInfo map{};
};

void releaseMapped(void *info)
{
    auto *m = static_cast<MappedSample *>(info);
    gst_buffer_unmap(gst_sample_get_buffer(m->sample.get()), &m->map);
    delete m;
}

} // namespace

QImage imageFromSample(GstSample *sample, bool shareSample)
{
    GstBuffer *buffer = sample ? gst_sample_get_buffer(sample) : nullptr;
    GstCaps *caps = sample ? gst_sample_get_caps(sample) : nullptr;
    GstVideoInfo info;
    if (!buffer || !caps || !gst_video_info_from_caps(&info, caps) || GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_BGRx)
        return {};
    const int w = GST_VIDEO_INFO_WIDTH(&info), h = GST_VIDEO_INFO_HEIGHT(&info);
    if (w <= 0 || h <= 0)
        return {};
    int stride = GST_VIDEO_INFO_PLANE_STRIDE(&info, 0);
    gsize offset = GST_VIDEO_INFO_PLANE_OFFSET(&info, 0);
    if (GstVideoMeta *meta = gst_buffer_get_video_meta(buffer)) {
        stride = meta->stride[0];
        offset = meta->offset[0];
    }
    if (stride < w * 4)
        return {};
    auto *mapped = new MappedSample{platform::GstSamplePtr(gst_sample_ref(sample)), {}};
    if (!gst_buffer_map(buffer, &mapped->map, GST_MAP_READ)) {
        delete mapped;
        return {};
    }
    if (offset + gsize(stride) * gsize(h - 1) + gsize(w) * 4 > mapped->map.size) {
        releaseMapped(mapped);
        return {};
    }
    const uchar *first = static_cast<const uchar *>(mapped->map.data) + offset;
    if (shareSample)
        return QImage(first, w, h, stride, QImage::Format_RGB32, releaseMapped, mapped);
    QImage copy(w, h, QImage::Format_RGB32);
    if (!copy.isNull())
        for (int y = 0; y < h; ++y)
            std::memcpy(copy.scanLine(y), first + gsize(stride) * gsize(y), std::size_t(w) * 4);
    releaseMapped(mapped);
    return copy;
}

} // namespace platform
