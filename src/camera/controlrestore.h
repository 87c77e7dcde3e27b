#pragma once

#include "platform/controldevice.h"

#include <cstdint>
#include <map>

namespace camera {

// What a restore did.
struct ControlRestore {
    int written = 0;    // values the camera took
    int skipped = 0;    // controls the camera does not have (any more), read-only ones, values out of range
    int refused = 0;    // values the camera refused (an inactive control, an unplug)
};

// Puts remembered control values back on a camera. The switches (boolean and menu controls:
// automatic exposure, white balance, focus, gain) go first, so that a value that only counts in
// manual mode (exposure time, colour temperature, focus distance) lands after its switch,
// whatever the order of the control ids. Values the camera's present range does not hold are
// skipped, not clamped: the camera is not the one remembered. UI thread.
ControlRestore restoreControls(platform::ControlDevice &device, const std::map<std::uint32_t, int> &values);

} // namespace camera
