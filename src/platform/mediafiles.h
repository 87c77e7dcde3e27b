#pragma once

#include "platform/aviframedata.h"
#include "platform/aviwriter.h"
#include "platform/bitmap.h"
#include "platform/videoframereader.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace platform {

// What the program reads from and writes to video files, decoded and encoded in memory: the
// player's stopped picture, the browser's thumbnails, and the conversions between pictures and
// clips. Every call bounds its waits, so a broken file fails instead of hanging. Calls come from
// the UI thread, except openFrameReader, which a conversion calls on its worker thread; an
// implementation keeps no state between calls.
class MediaFiles
{
public:
    virtual ~MediaFiles() = default;
    // Size, rate and length of the file's first video stream; nullopt when it has none or cannot
    // be decoded.
    virtual std::optional<AviFrameData> probeVideo(const QString &path) = 0;
    // The picture at frameIndex / rate seconds (GetAviFrame), the index clamped to the stream's
    // length; nullopt when the file cannot be decoded that far.
    virtual std::optional<Bitmap> videoFrame(const QString &path, std::uint32_t frameIndex) = 0;
    // The thumbnail picture of a clip: frame `frameIndex`, or the last one of a shorter clip.
    virtual std::optional<Bitmap> thumbnailFrame(const QString &path, int frameIndex) = 0;
    // Pictures of one clip in increasing time; null with `why` filled when it cannot be read.
    virtual std::unique_ptr<VideoFrameReader> openFrameReader(const QString &path, QString *why) = 0;
    // A new AVI file written frame by frame; null when no writer can be built.
    virtual std::unique_ptr<AviWriter> createAviWriter(const AviWriterOptions &options) = 0;
};

} // namespace platform
