#pragma once

#include "platform/bitmap.h"

namespace imaging::ui {

// What the comparison and the reticle need from their peers; the composition root answers.
// UI thread.
class OverlayPort
{
public:
    // A comparison or a reticle now covers the video: the measurement layer must not be handed
    // over it (the live-mode controller takes note).
    virtual void claimOverlay() = 0;
    // The still picture shown beside the video (a reference for the comparison); null when none.
    virtual platform::Bitmap stillPicture() const = 0;

protected:
    ~OverlayPort() = default;
};

} // namespace imaging::ui
