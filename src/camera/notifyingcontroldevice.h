#pragma once

#include "platform/controldevice.h"

#include <functional>
#include <memory>

namespace camera {

// A camera's controls that report every value they accepted: the tool bar, the source dialog
// and the restore after a connect all set values through it, so whoever remembers the camera's
// settings hears of each change without asking the camera (which may be gone by then). UI thread.
class NotifyingControlDevice final : public platform::ControlDevice
{
public:
    using Written = std::function<void(std::uint32_t id, int value)>;
    NotifyingControlDevice(std::unique_ptr<platform::ControlDevice> inner, Written written)
        : inner_(std::move(inner)), written_(std::move(written))
    {
    }

    std::vector<platform::ControlInfo> controls() override { return inner_->controls(); }
    std::optional<platform::ControlInfo> info(std::uint32_t id) override { return inner_->info(id); }
    std::optional<int> value(std::uint32_t id) override { return inner_->value(id); }
    // Reports the value asked for once the camera took it; a refused value is not reported.
    std::error_code setValue(std::uint32_t id, int value) override
    {
        const std::error_code e = inner_->setValue(id, value);
        if (!e && written_)
            written_(id, value);
        return e;
    }

private:
    std::unique_ptr<platform::ControlDevice> inner_;
    Written written_;
};

} // namespace camera
