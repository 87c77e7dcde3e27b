#pragma once

#include "camera/cameraidentity.h"
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
//
// Two ways of offering cameras. Supported only (the default of a new table): only supported
// devices are listed, under their friendly name, and the last one is selected. Every camera
// (setShowAllCameras): every device is listed, the supported ones first (their bridge extras
// follow them), each named by CameraIdentity; the selection is the camera used last when it is
// present, else the last supported one, else the first that is not built into the computer.
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

    // Rebuilds the table from `devices` (at most 16 are taken) and marks supported ones. True
    // when a device is listed.
    bool SearchDevice(const std::vector<platform::DeviceRecord> &devices);

    void setShowAllCameras(bool on) { showAll_ = on; }
    bool showAllCameras() const { return showAll_; }
    // The key (CameraIdentity::key) of the camera used last; preferred by the next search.
    void setPreferredCamera(const QString &key) { preferredKey_ = key; }
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
    // The slot is on the device menu and may be opened.
    bool slotIsListed(int slot) const { return slot >= 0 && slot < kSlots && indexMap_[std::size_t(slot)] != -1; }
    // The slot holds a device of a supported pair: the bridge channel, the model-based scale
    // reload are for it. With "supported only" the same as slotIsListed.
    bool slotIsSupported(int slot) const { return slot >= 0 && slot < kSlots && supported_[std::size_t(slot)]; }
    // The identity of a filled slot (key and shown name).
    const CameraIdentity &identity(int slot) const { return identities_.at(std::size_t(slot)); }
    // The slot the menu selects after this search: the last listed one with "supported only",
    // otherwise the rule of the class comment. -1 when nothing is listed.
    int offeredSlot() const { return offered_; }

    static constexpr const char *kDefaultFriendlyName = "USB Video Device";

private:
    bool isSupportedPath(const QByteArray &devicePath) const;
    int chooseOffered() const;

    std::array<Pair, kMaxPairs> pairs_{};
    int pairCount_ = 0;
    std::array<platform::DeviceRecord, kSlots> records_{};
    std::array<QString, kSlots> names_{};
    std::array<int, kSlots> indexMap_{};
    std::array<bool, kSlots> supported_{};
    std::array<CameraIdentity, kSlots> identities_{};
    int count_ = 0;
    int offered_ = -1;
    bool showAll_ = false;
    QString preferredKey_;
    int selected_ = 0;
    bool hasDevice_ = false;
};

// One item of the device menu: caption "<name> # <slot>", the slot as tag, its position.
struct DeviceMenuEntry {
    QString caption;
    int slot = -1;
    int position = 0;
    bool selected = false;   // the table's offeredSlot(): the item the menu checks and selects
};

// Users of other cameras mark them as supported: SENDRA_CAM_EXTRA_IDS=046d:0825,0c45:6366.
// Returns a line for the log when the variable is set but holds no pair, else an empty text.
QString addExtraIdsFromEnvironment(DeviceTable &table);

// The menu items for the listed slots, in slot order.
std::vector<DeviceMenuEntry> deviceMenuEntries(const DeviceTable &table);

} // namespace camera
