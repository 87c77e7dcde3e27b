#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace platform {

// One video capture node as the device search sees it.
struct DeviceRecord {
    // "usb#vid_xxxx&pid_xxxx#<serial or bus path>#<devnode>", lower-case hex: the text the
    // vendor/product matching looks into. Empty when the node's identity could not be read.
    QByteArray devicePath;
    // The product name the device reports; empty means "no name" (the table substitutes one).
    QString friendlyName;
    // What the capture session opens: "/dev/videoN", or "virtual:N" for the built-in camera.
    QString devnode;
    // sysfs path of the USB device the node belongs to; the snapshot button's input device shares it.
    QString usbSysPath;

    // What tells one camera from another, for its name in the menu and the memory of its
    // settings. A USB camera has its ids, its serial (as the device reports it, case kept; empty
    // when it has none) and the port it is plugged into ("1-1.2", the kernel's name of the USB
    // device). A node that is not on USB (a loopback device, a board camera) has only `port`,
    // its node's sysfs name. Records made before these fields existed (the virtual camera) leave
    // them empty: the identity is then read back from `devicePath`.
    bool onUsb = false;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    QString serial{};
    QString port{};
    // The USB port is marked as fixed (sysfs `removable` = "fixed"): a laptop's own webcam.
    bool builtIn = false;
    // The capture pixel formats the node listed when it was found (V4L2 four-character codes).
    std::vector<std::uint32_t> pixelFormats{};
};

// Builds the device path text from the USB identity of a node.
QByteArray makeDevicePath(unsigned vendorId, unsigned productId, const QString &serialOrBusPath,
                          const QString &devnode);

// The source of device records and of "nodes changed" notices. UI thread only.
class DeviceMonitor
{
public:
    virtual ~DeviceMonitor() = default;
    // Capture nodes in a stable order (real nodes by number, then the virtual camera's).
    virtual std::vector<DeviceRecord> enumerate() = 0;
    // Called on the UI thread once per burst of device changes.
    virtual void setNodesChangedHandler(std::function<void()> handler) = 0;
};

} // namespace platform
