#include "cameraidentity.h"

#include "camera/devicetable.h"

#include <QRegularExpression>
#include <QUrl>

#include <cstdio>

namespace camera {
namespace {

QString encoded(const QString &text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); }

void finish(CameraIdentity &id, const QString &friendlyName)
{
    const QString base = friendlyName.isEmpty() ? QString::fromLatin1(DeviceTable::kDefaultFriendlyName) : friendlyName;
    if (!id.onUsb) {
        id.key = QStringLiteral("v4l2@") + encoded(id.port);
        id.name = id.port.isEmpty() ? base : QStringLiteral("%1 (%2)").arg(base, id.port);
        return;
    }
    const QString ids = vendorProductText(id);
    if (!id.serial.isEmpty()) {
        id.key = ids + u':' + encoded(id.serial);
        id.name = QStringLiteral("%1 (%2)").arg(base, id.serial);
    } else {
        id.key = ids + u'@' + encoded(id.port);
        id.name = QStringLiteral("%1 (USB %2)").arg(base, id.port);
    }
}

// The parts of a record that make its identity, before the name and the key are built.
CameraIdentity partsOf(const platform::DeviceRecord &r)
{
    CameraIdentity id;
    if (r.onUsb || !r.port.isEmpty()) {
        id.onUsb = r.onUsb;
        id.vendorId = r.vendorId;
        id.productId = r.productId;
        id.serial = r.serial;
        id.port = r.port;
        return id;
    }
    static const QRegularExpression path(QStringLiteral("^usb#vid_([0-9a-f]{4})&pid_([0-9a-f]{4})#([^#]*)#"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = path.match(QString::fromUtf8(r.devicePath)); m.hasMatch()) {
        id.onUsb = true;
        id.vendorId = std::uint16_t(m.captured(1).toUInt(nullptr, 16));
        id.productId = std::uint16_t(m.captured(2).toUInt(nullptr, 16));
        id.serial = m.captured(3);
        return id;
    }
    id.port = r.devnode;   // nothing better is known of it
    return id;
}

} // namespace

QString vendorProductText(const CameraIdentity &identity)
{
    if (!identity.onUsb)
        return QStringLiteral("-");
    char text[16];
    std::snprintf(text, sizeof text, "%04x:%04x", unsigned(identity.vendorId), unsigned(identity.productId));
    return QString::fromLatin1(text);
}

CameraIdentity identityOf(const platform::DeviceRecord &record)
{
    CameraIdentity id = partsOf(record);
    finish(id, record.friendlyName);
    return id;
}

std::vector<CameraIdentity> identitiesOf(const std::vector<platform::DeviceRecord> &records)
{
    std::vector<CameraIdentity> ids;
    ids.reserve(records.size());
    for (const platform::DeviceRecord &r : records)
        ids.push_back(partsOf(r));
    auto sameSerial = [](const CameraIdentity &a, const CameraIdentity &b) {
        return a.onUsb && b.onUsb && !a.serial.isEmpty() && a.vendorId == b.vendorId && a.productId == b.productId &&
               a.serial == b.serial;
    };
    std::vector<bool> shared(ids.size(), false);
    for (std::size_t i = 0; i < ids.size(); ++i)
        for (std::size_t j = 0; j < ids.size(); ++j)
            if (j != i && sameSerial(ids[i], ids[j]) && !ids[i].port.isEmpty())
                shared[i] = true;
    for (std::size_t i = 0; i < ids.size(); ++i)
        if (shared[i])
            ids[i].serial.clear();
    for (std::size_t i = 0; i < ids.size(); ++i)
        finish(ids[i], records[i].friendlyName);
    return ids;
}

} // namespace camera
