#pragma once

#include "platform/bitmap.h"

#include <QSize>
#include <QString>

#include <memory>
#include <optional>

namespace platform {

// Pictures of one video file in increasing time, decoded in memory. Reading forward decodes
// each frame once; a jump far ahead or back seeks. Not thread-safe: one thread at a time (a
// worker job), and every wait is bounded so a broken file fails instead of hanging.
class VideoFrameReader
{
public:
    virtual ~VideoFrameReader() = default;
    // The stream's picture size.
    virtual QSize size() const = 0;
    // The picture shown at `seconds` (the last one when the time is past the end); nullopt when
    // the file cannot be decoded that far or a wait timed out.
    virtual std::optional<Bitmap> frameAt(double seconds) = 0;
};

} // namespace platform
