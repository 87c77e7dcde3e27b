#pragma once

#include "platform/videoframereader.h"

#include <QString>

#include <memory>

namespace platform {

// Opens the file's first video stream; null with `why` filled when it has none or cannot be
// decoded.
std::unique_ptr<VideoFrameReader> openVideoFrameReader(const QString &path, QString *why = nullptr);

} // namespace platform
