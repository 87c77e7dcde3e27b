#include "controlrestore.h"

#include <algorithm>
#include <vector>

namespace camera {
namespace {

bool isSwitch(const platform::ControlInfo &c)
{
    return c.type == platform::ControlType::Boolean || c.type == platform::ControlType::Menu ||
           c.type == platform::ControlType::IntegerMenu;
}

bool holds(const platform::ControlInfo &c, int value)
{
    if (value < c.minimum || value > c.maximum)
        return false;
    if (c.type == platform::ControlType::Menu || c.type == platform::ControlType::IntegerMenu)
        return std::any_of(c.menu.begin(), c.menu.end(), [value](const platform::ControlMenuEntry &e) { return e.index == value; });
    return true;
}

} // namespace

ControlRestore restoreControls(platform::ControlDevice &device, const std::map<std::uint32_t, int> &values)
{
    ControlRestore result;
    std::vector<std::pair<platform::ControlInfo, int>> switches, others;
    for (const auto &[id, value] : values) {
        std::optional<platform::ControlInfo> info = device.info(id);
        if (!info || info->readOnly || info->type == platform::ControlType::Button ||
            info->type == platform::ControlType::Other || !holds(*info, value)) {
            ++result.skipped;
            continue;
        }
        (isSwitch(*info) ? switches : others).emplace_back(std::move(*info), value);
    }
    for (const auto *list : {&switches, &others})
        for (const auto &[info, value] : *list) {
            if (device.setValue(info.id, value))
                ++result.refused;
            else
                ++result.written;
        }
    return result;
}

} // namespace camera
