#pragma once

#include <QString>

#include <cstdint>

namespace camera {

// The status line's words for a running recording, without the language's own sentence around
// them: how long it runs and how large its file has grown.
class RecordingStatus
{
public:
    // "hh:mm:ss"; the hours grow past 99 rather than wrap. Negative times read as 0.
    static QString elapsedText(std::int64_t elapsedMs);
    // The file's size with "." as the decimal point, in decimal units as file managers show them:
    // "812 B", "45 kB", "12.4 MB", "1.95 GB". Digits beyond those shown are cut off, not rounded.
    static QString sizeText(std::int64_t bytes);
};

} // namespace camera
