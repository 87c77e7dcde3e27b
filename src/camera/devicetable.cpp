#include "devicetable.h"

#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace camera {
namespace {

QString idText(const char *prefix, std::uint16_t id)
{
    char text[16];
    std::snprintf(text, sizeof text, "%s_%04x", prefix, unsigned(id));
    return QString::fromLatin1(text);
}

// "vid_046d" or "046d" to 0x046d; nullopt when it is not four hex digits at most.
std::optional<std::uint16_t> parseId(QString text, const QString &prefix)
{
    text = text.trimmed().toLower();
    if (text.startsWith(prefix))
        text = text.mid(prefix.size());
    if (text.isEmpty() || text.size() > 4)
        return std::nullopt;
    bool ok = false;
    const uint v = text.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return std::uint16_t(v);
}

} // namespace

DeviceTable::DeviceTable()
{
    indexMap_.fill(-1);
    SetPidVidToString(0, 0xEB1A, 0x5060);
    pairCount_ = 1;
}

void DeviceTable::SetPidVidToString(std::uint8_t index, std::uint16_t vendorId, std::uint16_t productId)
{
    if (index >= kMaxPairs)
        return;
    Pair &p = pairs_[index];
    p.vendorId = vendorId;
    p.productId = productId;
    p.vendorText = idText("vid", vendorId);
    p.productText = idText("pid", productId);
}

void DeviceTable::SetVidPid(const QString &vendorText, const QString &productText)
{
    if (pairCount_ >= kMaxPairs)
        return;
    Pair &p = pairs_[std::size_t(pairCount_)];
    p.vendorText = vendorText;
    p.productText = productText;
    p.vendorId = parseId(vendorText, QStringLiteral("vid_")).value_or(0);
    p.productId = parseId(productText, QStringLiteral("pid_")).value_or(0);
    ++pairCount_;
}

int DeviceTable::addPairsFromList(const QString &list)
{
    int taken = 0;
    for (const QString &entry : list.split(u',', Qt::SkipEmptyParts)) {
        const QStringList ids = entry.split(u':');
        if (ids.size() != 2)
            continue;
        const auto vendor = parseId(ids[0], QStringLiteral("vid_"));
        const auto product = parseId(ids[1], QStringLiteral("pid_"));
        if (!vendor || !product || pairCount_ >= kMaxPairs)
            continue;
        SetVidPid(idText("vid", *vendor), idText("pid", *product));
        ++taken;
    }
    return taken;
}

bool DeviceTable::dsGetDevicePath(const std::vector<platform::DeviceRecord> &devices,
                                  std::vector<QByteArray> &paths, int &count)
{
    paths.assign(kSlots, QByteArray());
    count = 0;
    for (const platform::DeviceRecord &d : devices) {
        if (count >= kSlots)
            break;   // the table has 16 slots; further devices are not listed
        records_[std::size_t(count)] = d;
        paths[std::size_t(count)] = d.devicePath;
        names_[std::size_t(count)] =
            d.friendlyName.isEmpty() ? QString::fromLatin1(kDefaultFriendlyName) : d.friendlyName;
        ++count;
    }
    return count > 0;
}

bool DeviceTable::GetAssingVidPidEnumNoSN(int /*pairIndex*/, const QString &vendorText, int count,
                                          const std::vector<QByteArray> &paths, const QString &productText)
{
    hasDevice_ = false;
    const QString vendor = vendorText.toLower();
    const QString product = productText.toLower();
    if (vendor.isEmpty() || product.isEmpty())
        return false;
    for (int i = 0; i < count && i < int(paths.size()); ++i) {
        if (paths[std::size_t(i)].isEmpty())
            continue;
        const QString path = QString::fromUtf8(paths[std::size_t(i)]).toLower();
        if (path.contains(vendor) && path.contains(product)) {
            hasDevice_ = true;
            selected_ = i;
            indexMap_[std::size_t(i)] = i;
        }
    }
    return hasDevice_;
}

bool DeviceTable::SearchDevice(const std::vector<platform::DeviceRecord> &devices)
{
    records_.fill(platform::DeviceRecord{});
    names_.fill(QString());
    indexMap_.fill(-1);
    supported_.fill(false);
    identities_.fill(CameraIdentity{});
    count_ = 0;
    offered_ = -1;
    std::vector<QByteArray> paths;
    // Every camera: the supported ones take the first slots, so they lead the menu and are
    // never the ones crowded out beyond the sixteenth slot.
    std::vector<platform::DeviceRecord> ordered = devices;
    if (showAll_)
        std::stable_partition(ordered.begin(), ordered.end(),
                              [this](const platform::DeviceRecord &d) { return isSupportedPath(d.devicePath); });
    if (!dsGetDevicePath(ordered, paths, count_)) {
        hasDevice_ = false;
        return false;
    }
    const std::vector<CameraIdentity> ids =
        identitiesOf(std::vector<platform::DeviceRecord>(records_.begin(), records_.begin() + count_));
    std::copy(ids.begin(), ids.end(), identities_.begin());
    bool any = false;
    for (int i = 0; i < pairCount_; ++i)
        any = GetAssingVidPidEnumNoSN(i, pairs_[std::size_t(i)].vendorText, count_, paths,
                                      pairs_[std::size_t(i)].productText) || any;
    for (int slot = 0; slot < count_; ++slot)
        supported_[std::size_t(slot)] = indexMap_[std::size_t(slot)] != -1;
    if (!showAll_) {
        for (int slot = count_ - 1; slot >= 0 && offered_ < 0; --slot)
            if (indexMap_[std::size_t(slot)] != -1)
                offered_ = slot;
        return any;
    }
    for (int slot = 0; slot < count_; ++slot) {
        indexMap_[std::size_t(slot)] = slot;
        names_[std::size_t(slot)] = identities_[std::size_t(slot)].name;
    }
    offered_ = chooseOffered();
    selected_ = offered_;
    hasDevice_ = true;
    return true;
}

bool DeviceTable::isSupportedPath(const QByteArray &devicePath) const
{
    const QString path = QString::fromUtf8(devicePath).toLower();
    for (int i = 0; i < pairCount_; ++i) {
        const Pair &p = pairs_[std::size_t(i)];
        if (!p.vendorText.isEmpty() && !p.productText.isEmpty() && path.contains(p.vendorText.toLower()) &&
            path.contains(p.productText.toLower()))
            return true;
    }
    return false;
}

int DeviceTable::chooseOffered() const
{
    if (!preferredKey_.isEmpty())
        for (int slot = 0; slot < count_; ++slot)
            if (identities_[std::size_t(slot)].key == preferredKey_)
                return slot;
    for (int slot = count_ - 1; slot >= 0; --slot)
        if (supported_[std::size_t(slot)])
            return slot;
    for (int slot = 0; slot < count_; ++slot)
        if (!records_[std::size_t(slot)].builtIn)
            return slot;
    return count_ > 0 ? 0 : -1;
}

void DeviceTable::GetDeviceIndexName(std::array<QString, kSlots> &names, std::array<int, kSlots> &indexMap) const
{
    names = names_;
    indexMap = indexMap_;
}

QString addExtraIdsFromEnvironment(DeviceTable &table)
{
    const QString extra = qEnvironmentVariable("SENDRA_CAM_EXTRA_IDS");
    if (extra.isEmpty() || table.addPairsFromList(extra) > 0)
        return {};
    return QStringLiteral("SENDRA_CAM_EXTRA_IDS holds no vvvv:pppp pair: ") + extra;
}

std::vector<DeviceMenuEntry> deviceMenuEntries(const DeviceTable &table)
{
    std::array<QString, DeviceTable::kSlots> names;
    std::array<int, DeviceTable::kSlots> map;
    table.GetDeviceIndexName(names, map);
    std::vector<DeviceMenuEntry> entries;
    for (int slot = 0; slot < DeviceTable::kSlots; ++slot) {
        if (map[std::size_t(slot)] == -1)
            continue;
        entries.push_back({names[std::size_t(slot)] + QStringLiteral(" # ") + QString::number(slot), slot,
                           int(entries.size()), slot == table.offeredSlot()});
    }
    return entries;
}

} // namespace camera
