#pragma once

#include "platform/aviwriter.h"

#include <memory>

namespace platform {

// appsrc ! videoconvert ! [encoder] ! avimux ! filesink, written to a temporary file that close()
// renames into place.
std::unique_ptr<AviWriter> createAviWriter(const AviWriterOptions &options);

} // namespace platform
