#pragma once

#include <span>

namespace app::ui {

// The controls of the main window's tool bars, as data: the window builds them from this table
// and the language loader finds them by name.
enum class ControlKind { Unknown, Button, CheckButton, ComboBox, TrackBar, ScrollBar, Separator };

struct ToolControl {
    const char *name;
    ControlKind kind;
};

struct ToolBarLayout {
    const char *name;
    std::span<const ToolControl> controls;
};

std::span<const ToolBarLayout> toolBarTable();

} // namespace app::ui
