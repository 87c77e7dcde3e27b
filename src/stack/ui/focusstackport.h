#pragma once

#include "platform/bitmap.h"
#include "platform/picturemetadata.h"

#include <QSize>
#include <QString>

#include <optional>

namespace stack::ui {

// What the focus-stack tool needs from the rest of the program. The composition root hands one
// over; tests answer it themselves. UI thread.
class FocusStackPort
{
public:
    // The newest live frame as the video shows it (flipped by the flip mode); null when the
    // camera is not streaming.
    virtual platform::Bitmap liveFrame() = 0;
    // The current ruler scale as metadata for a picture of that size (no shapes); empty when
    // the scale covers no length.
    virtual platform::PictureMetadata currentCalibration(QSize picture) = 0;
    // Shows the picture in the still area and saves it at once as a snapshot is saved, its name
    // led by "Stack_", carrying `metadata`. The path written, or none when nothing was.
    virtual std::optional<QString> saveStack(const platform::Bitmap &picture, const platform::PictureMetadata &metadata) = 0;

protected:
    ~FocusStackPort() = default;
};

} // namespace stack::ui
