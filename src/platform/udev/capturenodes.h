#pragma once

#include "platform/devicerecord.h"

#include <QString>

#include <vector>

struct udev;

namespace platform {

// A video4linux node the device search leaves out, and why: for the log and `--list-cameras`,
// so that "no camera" has an answer.
struct SkippedNode {
    enum class Why { Unknown, CannotOpen, RefusesCapabilities, Metadata, OutputOnly, NoCapture, NoFormat };
    QString devnode;
    Why why = Why::Unknown;
    QString detail;   // the system's words for CannotOpen / RefusesCapabilities
};

struct CaptureNodes {
    std::vector<DeviceRecord> records;   // by node number: the same cameras always come in the same order
    std::vector<SkippedNode> skipped;
};

// Every V4L2 node that captures video: its own device capabilities (not only those of the whole
// device) include video capture, and it lists at least one capture format. Metadata nodes,
// output-only nodes (a loopback device nobody feeds), nodes that refuse the queries and nodes
// that cannot be opened are skipped. One descriptor per node: open, VIDIOC_QUERYCAP,
// VIDIOC_ENUM_FMT, close. `context` is borrowed. UI thread (or any one thread).
CaptureNodes enumerateCaptureNodes(udev *context);

// "metadata node", "cannot be opened: Permission denied" ...: the reason as `--list-cameras`
// and the log print it (English, like every diagnostic line).
QString skippedReasonText(const SkippedNode &node);

} // namespace platform
