#pragma once

#include "platform/devicerecord.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace camera {

// Who a listed camera is: the key its settings are remembered under and the name the device
// menu shows, so that two identical microscopes can be told apart.
struct CameraIdentity {
    bool onUsb = false;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    // The serial that tells this camera apart; empty when it has none (or shares it, below).
    QString serial;
    // The USB port ("1-1.2"), or for a node not on USB its udev path or sysfs name.
    QString port;
    // "eb1a:5060:SN0042" with a serial, "eb1a:5060@1-1.2" without, "v4l2@platform-fe801000.csi"
    // off USB. Characters other than letters, digits and "-._~" of the serial and the port are
    // percent-encoded, so the key can name a section of a settings file.
    QString key;
    // The device's own name (the default name when it reports none), then the serial, or "USB"
    // and the port: "USB Microscope (SN0042)", "USB Microscope (USB 1-1.2)".
    QString name;
};

// The identity of one record alone. Records without the identity fields (the virtual camera)
// are read from their device path "usb#vid_xxxx&pid_xxxx#<serial or port>#<node>".
CameraIdentity identityOf(const platform::DeviceRecord &record);

// The identities of the cameras of one search, in the same order. A serial that two cameras of
// the same vendor and product share (a cheap batch often carries one serial for all) tells them
// apart no better than none: both are then known by their port.
std::vector<CameraIdentity> identitiesOf(const std::vector<platform::DeviceRecord> &records);

// "eb1a:5060", or "-" for a node that is not on USB.
QString vendorProductText(const CameraIdentity &identity);

} // namespace camera
