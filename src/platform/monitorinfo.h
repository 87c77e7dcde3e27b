#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform {

// Physical image size of a monitor as its EDID block states it.
struct MonitorSize {
    float widthCm = 0.0f;    // byte 21
    float heightCm = 0.0f;   // byte 22
    float widthMm = 0.0f;    // first detailed timing descriptor
    float heightMm = 0.0f;
    // The width and height the scale settings use: the descriptor's millimetres x 0.1, or the
    // whole centimetres of bytes 21 and 22 when the descriptor gives none.
    float detectedWidthCm = 0.0f;
    float detectedHeightCm = 0.0f;
};

// Reads the size fields of an EDID 1.x block. None unless the blob is at least 128 bytes and
// starts with the 8-byte EDID header (00 FF FF FF FF FF FF 00): anything else is not an EDID.
std::optional<MonitorSize> parseEdid(const QByteArray &blob);

// EnumMonitorDevices: the connected connectors under `drmRoot` (normally /sys/class/drm), in name
// order; the first monitor that gives a field keeps it. All zero when no monitor says anything.
MonitorSize EnumMonitorDevices(const QString &drmRoot = QStringLiteral("/sys/class/drm"));

} // namespace platform
