#pragma once

namespace platform {

// Gives freed heap pages back to the system after a memory-hungry mode (editor, filters, player,
// recording) ends.
void trimWorkingSet();

} // namespace platform
