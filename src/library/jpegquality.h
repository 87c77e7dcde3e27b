#pragma once

#include "platform/picturecodec.h"

namespace library {

// The "JPG Quility" menu: Height 100, Middle 90, Low 80. Middle at every start; the level is not
// stored. choose() is false when the level is already the checked one, so the menu neither
// re-sends it to the video component nor moves the check mark.
class JpegQuality
{
public:
    static constexpr int kHigh = 100;
    static constexpr int kMiddle = platform::kDefaultJpegQuality;
    static constexpr int kLow = 80;

    int quality() const { return quality_; }
    bool choose(int quality)
    {
        if (quality == quality_)
            return false;
        quality_ = quality;
        return true;
    }

private:
    int quality_ = kMiddle;
};

} // namespace library
