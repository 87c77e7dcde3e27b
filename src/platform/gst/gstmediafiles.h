#pragma once

#include "platform/mediafiles.h"

namespace platform {

class DiagnosticsLog;

// MediaFiles over GStreamer: the frame extractor, the sequential frame reader and the AVI writer
// of this folder. `log` receives the frame extractor's failure lines and must outlive this.
class GstMediaFiles final : public MediaFiles
{
public:
    explicit GstMediaFiles(DiagnosticsLog &log) : log_(log) {}

    std::optional<AviFrameData> probeVideo(const QString &path) override;
    std::optional<Bitmap> videoFrame(const QString &path, std::uint32_t frameIndex) override;
    std::optional<Bitmap> thumbnailFrame(const QString &path, int frameIndex) override;
    std::unique_ptr<VideoFrameReader> openFrameReader(const QString &path, QString *why) override;
    std::unique_ptr<AviWriter> createAviWriter(const AviWriterOptions &options) override;

private:
    DiagnosticsLog &log_;
};

} // namespace platform
