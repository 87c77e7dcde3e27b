#pragma once

#include "platform/devicerecord.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace camera {

// The table of video input devices and the supported USB vendor/product pairs. A device is
// supported when its path text holds both "vid_xxxx" and "pid_xxxx" of one pair, compared
// without regard to case. Pure logic over device records; the names of the operations are those
// the rest of the program uses.
class DeviceTable
{
public:
    static constexpr int kSlots = 16;
    static constexpr int kMaxPairs = 16;

    struct Pair {
        std::uint16_t vendorId = 0;
        std::uint16_t productId = 0;
        QString vendorText;    // "vid_eb1a"
        QString productText;   // "pid_5060"
    };

    // Starts with the one supported pair 0xEB1A/0x5060.
    DeviceTable();

    // Stores a pair at `index` (0..15) without changing the count.
    void SetPidVidToString(std::uint8_t index, std::uint16_t vendorId, std::uint16_t productId);
    // Appends a pair given as texts ("vid_046d", "pid_0825") while fewer than 16 are stored.
    void SetVidPid(const QString &vendorText, const QString &productText);
    // Adds the pairs of a list such as "046d:0825,0c45:6366"; returns how many were taken.
    // Malformed entries are skipped.
    int addPairsFromList(const QString &list);

    // Rebuilds the table from `devices` (at most 16 are taken) and marks supported ones.
    bool SearchDevice(const std::vector<platform::DeviceRecord> &devices);
    // Fills the slots from `devices`; false when none was read.
    bool dsGetDevicePath(const std::vector<platform::DeviceRecord> &devices, std::vector<QByteArray> &paths,
                         int &count);
    // Marks the slots below `count` whose path holds both texts; the last match is selected.
    bool GetAssingVidPidEnumNoSN(int pairIndex, const QString &vendorText, int count,
                                 const std::vector<QByteArray> &paths, const QString &productText);
    void GetDeviceIndexName(std::array<QString, kSlots> &names, std::array<int, kSlots> &indexMap) const;
    void SetDeviceIndex(int slot) { selected_ = slot; }
    int GetIndexDevice() const { return selected_; }
    bool GetHasDevice() const { return hasDevice_; }

    int deviceCount() const { return count_; }
    int pairCount() const { return pairCount_; }
    const Pair &pair(int index) const { return pairs_.at(std::size_t(index)); }
    // The record a slot was filled from; the session opens its devnode, so a later enumeration
    // in another order cannot make it open another camera.
    const platform::DeviceRecord &record(int slot) const { return records_.at(std::size_t(slot)); }
    bool slotIsSupported(int slot) const { return slot >= 0 && slot < kSlots && indexMap_[std::size_t(slot)] != -1; }

    static constexpr const char *kDefaultFriendlyName = "USB Video Device";

private:
    std::array<Pair, kMaxPairs> pairs_{};
    int pairCount_ = 0;
    std::array<platform::DeviceRecord, kSlots> records_{};
    std::array<QString, kSlots> names_{};
    std::array<int, kSlots> indexMap_{};
    int count_ = 0;
    int selected_ = 0;
    bool hasDevice_ = false;
};

// One item of the device menu: caption "<name> # <slot>", the slot as tag, its position.
struct DeviceMenuEntry {
    QString caption;
    int slot = -1;
    int position = 0;
};

// The menu items for the supported slots, in slot order.
std::vector<DeviceMenuEntry> deviceMenuEntries(const DeviceTable &table);

} // namespace camera
