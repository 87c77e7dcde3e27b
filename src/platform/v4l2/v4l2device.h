#pragma once

#include "platform/mediapipeline.h"
#include "platform/controldevice.h"

#include <QString>

#include <memory>
#include <optional>
#include <system_error>
#include <vector>

namespace platform::v4l2 {

// What the device search needs to know of a node, asked through one descriptor: VIDIOC_QUERYCAP
// (the node's own device capabilities, not those of the whole device) and, for a capture node,
// the capture pixel formats of VIDIOC_ENUM_FMT. Null when the node cannot be opened or refuses
// the capability query; `error` says why.
struct NodeProbe {
    QString card;
    bool videoCapture = false;
    bool videoOutput = false;
    bool metadata = false;                   // a UVC camera's metadata node
    std::vector<FourCC> captureFormats;      // empty: the node offers no capture format
    bool formatQueryRefused = false;         // VIDIOC_ENUM_FMT failed with something else than the end of the list
};
std::optional<NodeProbe> probeNode(const QString &devnode, std::error_code &error);

// VIDIOC_ENUM_FMT / ENUM_FRAMESIZES / ENUM_FRAMEINTERVALS of a capture node. Stepwise size
// ranges are reduced to their two ends. The format in effect (VIDIOC_G_FMT) comes first.
std::vector<PixelFormatInfo> enumerateFormats(const QString &devnode, std::error_code &error);

// Controls on a second descriptor of the node, so they work while the stream runs.
std::unique_ptr<ControlDevice> openControlDevice(const QString &devnode, std::error_code &error);

} // namespace platform::v4l2
