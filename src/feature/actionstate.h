#pragma once

#include "state/controltable.h"

#include <array>
#include <cstdint>
#include <optional>

namespace feature {

// One yes/no per control, or "not named": controls a rule does not name keep their state.
class ControlStates
{
public:
    void set(state::ControlId id, bool on) { v_[std::size_t(id)] = on ? 1 : 0; }
    bool named(state::ControlId id) const { return v_[std::size_t(id)] >= 0; }
    bool value(state::ControlId id, bool otherwise = false) const
    {
        const std::int8_t v = v_[std::size_t(id)];
        return v < 0 ? otherwise : v == 1;
    }

private:
    std::array<std::int8_t, state::kControlCount> v_ = filled();
    static constexpr std::array<std::int8_t, state::kControlCount> filled()
    {
        std::array<std::int8_t, state::kControlCount> a{};
        a.fill(-1);
        return a;
    }
};

// Which of the image viewer window's menu items are enabled (they are the viewer's own, not in
// the main window's control table).
struct ViewerItems {
    bool save = false;
    bool remove = false;
    bool imageProcess = false;
    bool print = false;
    friend bool operator==(const ViewerItems &, const ViewerItems &) = default;
};

// What every control should be, and the few states outside the control table.
struct ActionState {
    ControlStates visible;
    ControlStates enabled;
    ControlStates checked;
    std::optional<ViewerItems> viewerItems;   // named while the viewer is open
    bool commitEditorTextBox = false;         // the text box is written into the picture when its tool is up
};

} // namespace feature
