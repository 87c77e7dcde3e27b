#include "devicerecord.h"

#include <cstdio>

namespace platform {

QByteArray makeDevicePath(unsigned vendorId, unsigned productId, const QString &serialOrBusPath,
                          const QString &devnode)
{
    char ids[32];
    std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x", vendorId & 0xFFFFu, productId & 0xFFFFu);
    return QByteArray("usb#") + ids + '#' + serialOrBusPath.toUtf8() + '#' + devnode.toUtf8();
}

} // namespace platform
