#pragma once

#include "platform/mediapipeline.h"

#include <vector>

namespace camera {

// The preview format asked of a camera at connect: 640 x 480 in its default (first listed)
// pixel format, or MJPG 1600 x 1200 when MJPG preview is on. A camera without that size gets the
// nearest it offers; a camera without MJPG stays in its default format.
struct FormatChoice {
    platform::CaptureFormat format;
    bool found = false;       // the camera lists at least one format with a size
    bool exactSize = false;   // the asked size is offered
    bool mjpgMissing = false; // MJPG was asked for and the camera has none
};

constexpr int kPreviewWidth = 640, kPreviewHeight = 480;
constexpr int kMjpgPreviewWidth = 1600, kMjpgPreviewHeight = 1200;
constexpr int kPreferredFps = 30;

FormatChoice chooseCaptureFormat(const std::vector<platform::PixelFormatInfo> &formats, bool mjpgPreview);

// The size of `format` nearest to width x height (by the sum of the differences; the larger on a
// tie), with its preferred rate.
std::optional<platform::CaptureFormat> nearestSize(const platform::PixelFormatInfo &format, int width, int height);

// `wanted` when the camera offers its pixel format at its size: with its rate when listed for that
// size (or when the size lists none), else with the size's preferred rate. nullopt when the
// camera does not offer the format at that size (another camera, a firmware change).
std::optional<platform::CaptureFormat> offeredFormat(const std::vector<platform::PixelFormatInfo> &formats,
                                                     const platform::CaptureFormat &wanted);

// The preferred rate of a size: 30 fps when offered, else the fastest; 0/1 when none is listed.
platform::FrameRate preferredRate(const platform::FrameSizeInfo &size);

} // namespace camera
