#pragma once

#include "thumbnailcache.h"

#include "platform/bitmap.h"

#include <QSize>
#include <QString>

#include <functional>
#include <optional>

namespace platform {
class DiagnosticsLog;
}

namespace library {

constexpr QSize kThumbnailSize{128, 96};
// The frame of a video that stands for it.
constexpr int kThumbnailFrame = 30;

// Takes frame `frameIndex` of a video, or its last frame when it has fewer; nullopt when no frame
// can be taken. Supplied by the player.
using FrameGrabber = std::function<std::optional<platform::Bitmap>(const QString &path, int frameIndex)>;

// Stretches a picture into 128 x 96 (the aspect ratio is not kept).
platform::Bitmap scaleToThumbnail(const platform::Bitmap &picture);

// The small picture of one library file. JPEGs are decoded at reduced size by the codec's scaled
// decoding; a video shows frame 30, or the recording picture when no frame can be taken.
// Finished thumbnails are cached by path and file version.
//
// A file that cannot be decoded gives a null Bitmap (an empty slot) and a log line naming the
// file; it never ends the refresh of the other slots.
class ThumbnailMaker
{
public:
    ThumbnailMaker(FrameGrabber grabFrame, QString recordingPicturePath, platform::DiagnosticsLog &log);

    platform::Bitmap make(int kind, const QString &path);

    ThumbnailCache &cache() { return cache_; }

private:
    platform::Bitmap recordingPicture();

    FrameGrabber grabFrame_;
    QString recordingPicturePath_;
    std::optional<platform::Bitmap> recordingThumbnail_;
    platform::DiagnosticsLog &log_;
    ThumbnailCache cache_;
};

} // namespace library
