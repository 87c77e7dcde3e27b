#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace platform {

// What finishing an interrupted AVI recording did to its file.
struct AviRepairResult {
    enum class Outcome {
        Unknown,
        Finished,   // the file holds `frames` frames, an index and a header that says so
        Removed,    // it held no complete frame (or no AVI header): it is gone
        Failed,     // it could not be read or written; it was left as it was
    };
    Outcome outcome = Outcome::Unknown;
    std::uint32_t frames = 0;          // complete video frames the finished file holds
    std::uint32_t framesDropped = 0;   // complete frames given up at the end to make room for the index
    bool cutAtContinuation = false;    // the part after the first 1 GB RIFF (OpenDML "AVIX") was cut off
    QString why;                       // for Failed, and for the log
};

// An AVI recording whose writer stopped before its end (the disk filled up, the writer failed)
// has a header that counts no frames and no index, and may end inside a frame: players take it
// for a clip of no length, or refuse it. finish() turns it into a playable AVI 1.0 file: the
// frames that were written completely are kept, a partly written one is cut off, an index
// ("idx1", every frame a key frame) is written after them and the header's frame counts and
// sizes are set. On a full disk the index may not fit: complete frames are then given up from
// the end, one at a time, until it does. A file with no complete frame is removed, so that no
// recording of no length is ever left behind. Plain file operations; any thread, one file at a
// time.
class AviRepair
{
public:
    static AviRepairResult finish(const QString &path);
    // The complete video frames an AVI's "movi" list holds, counted by its chunks; nullopt when
    // the file is not an AVI we can read.
    static std::optional<std::uint32_t> countFrames(const QString &path);
};

} // namespace platform
