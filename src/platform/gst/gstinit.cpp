#include "gstinit.h"

#include <gst/gst.h>

namespace platform {

void initGStreamer() { gst_init(nullptr, nullptr); }

} // namespace platform
