#pragma once

namespace platform {

// gst_init for a program without GStreamer command-line options; call once from main().
void initGStreamer();

} // namespace platform
