#pragma once

#include <QByteArray>
#include <QString>

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
