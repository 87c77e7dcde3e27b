#include "platform/gst/gstmediafiles.h"

#include "platform/gst/frameextractor.h"
#include "platform/gst/gstaviwriter.h"
#include "platform/gst/gstvideoframereader.h"

namespace platform {

std::optional<AviFrameData> GstMediaFiles::probeVideo(const QString &path) { return platform::probeVideo(path); }

std::optional<Bitmap> GstMediaFiles::videoFrame(const QString &path, std::uint32_t frameIndex)
{
    return GetAviFrame(path, frameIndex, &log_);
}

std::optional<Bitmap> GstMediaFiles::thumbnailFrame(const QString &path, int frameIndex)
{
    return grabFrameForThumbnail(path, frameIndex);
}

std::unique_ptr<VideoFrameReader> GstMediaFiles::openFrameReader(const QString &path, QString *why)
{
    return openVideoFrameReader(path, why);
}

std::unique_ptr<AviWriter> GstMediaFiles::createAviWriter(const AviWriterOptions &options)
{
    return platform::createAviWriter(options);
}

} // namespace platform
