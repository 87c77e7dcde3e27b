#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <system_error>
#include <vector>

namespace platform {

// Control identifiers are the kernel's V4L2 control ids (a stable ABI), repeated here so that
// logic can name them without including <linux/videodev2.h>.
namespace cid {
constexpr std::uint32_t Brightness = 0x00980900;
constexpr std::uint32_t Contrast = 0x00980901;
constexpr std::uint32_t Saturation = 0x00980902;
constexpr std::uint32_t Hue = 0x00980903;
constexpr std::uint32_t AutoWhiteBalance = 0x0098090c;
constexpr std::uint32_t Gamma = 0x00980910;
constexpr std::uint32_t AutoGain = 0x00980912;
constexpr std::uint32_t Gain = 0x00980913;
constexpr std::uint32_t HueAuto = 0x00980919;
constexpr std::uint32_t WhiteBalanceTemperature = 0x0098091a;
constexpr std::uint32_t Sharpness = 0x0098091b;
constexpr std::uint32_t BacklightCompensation = 0x0098091c;
constexpr std::uint32_t ExposureAuto = 0x009a0901;
constexpr std::uint32_t ExposureAbsolute = 0x009a0902;
constexpr std::uint32_t PanAbsolute = 0x009a0908;
constexpr std::uint32_t TiltAbsolute = 0x009a0909;
constexpr std::uint32_t FocusAbsolute = 0x009a090a;
constexpr std::uint32_t FocusAuto = 0x009a090c;
constexpr std::uint32_t ZoomAbsolute = 0x009a090d;
constexpr std::uint32_t IrisAbsolute = 0x009a0911;
} // namespace cid

// Values of the exposure-mode menu (V4L2_CID_EXPOSURE_AUTO).
namespace exposuremode {
constexpr int Auto = 0;
constexpr int Manual = 1;
constexpr int ShutterPriority = 2;
constexpr int AperturePriority = 3;
} // namespace exposuremode

enum class ControlType { Unknown, Integer, Boolean, Menu, IntegerMenu, Button, Other };

struct ControlMenuEntry {
    int index = 0;
    QString name;
};

// One camera control described as data, so that dialogs build their widgets from it.
struct ControlInfo {
    std::uint32_t id = 0;
    QString name;
    ControlType type = ControlType::Unknown;
    int minimum = 0;
    int maximum = 0;
    int step = 1;
    int defaultValue = 0;
    bool readOnly = false;
    bool inactive = false;   // e.g. exposure time while exposure is automatic
    std::vector<ControlMenuEntry> menu;
};

// The camera's controls on a descriptor of their own, usable while the stream runs. UI thread only.
class ControlDevice
{
public:
    virtual ~ControlDevice() = default;
    virtual std::vector<ControlInfo> controls() = 0;
    virtual std::optional<ControlInfo> info(std::uint32_t id) = 0;
    virtual std::optional<int> value(std::uint32_t id) = 0;
    virtual std::error_code setValue(std::uint32_t id, int value) = 0;
};

} // namespace platform
