#pragma once

#include "platform/mediapipeline.h"
#include "platform/controldevice.h"

#include <QString>

#include <memory>
#include <optional>
#include <system_error>

namespace platform::v4l2 {

struct Capabilities {
    QString card;
    bool videoCapture = false;   // the node delivers pictures (a UVC metadata node does not)
};

std::optional<Capabilities> queryCapabilities(const QString &devnode, std::error_code &error);

// VIDIOC_ENUM_FMT / ENUM_FRAMESIZES / ENUM_FRAMEINTERVALS of a capture node. Stepwise size
// ranges are reduced to their two ends. The format in effect (VIDIOC_G_FMT) comes first.
std::vector<PixelFormatInfo> enumerateFormats(const QString &devnode, std::error_code &error);

// Controls on a second descriptor of the node, so they work while the stream runs.
std::unique_ptr<ControlDevice> openControlDevice(const QString &devnode, std::error_code &error);

} // namespace platform::v4l2
