#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>

namespace platform {

// What the player needs from a media framework: one file at a time, played, paused and cued.
// UI thread. Every call returns within a bounded time, whatever the file holds.
class PlaybackEngine
{
public:
    // Delivered on the UI thread, never after close() returned.
    struct Callbacks {
        std::function<void(const QImage &frame)> frame;   // top-down, Format_RGB32; may share the decoder's buffer
        std::function<void()> endOfStream;
        std::function<void(const QString &message)> error;
    };

    virtual ~PlaybackEngine() = default;
    // Loads the file and leaves it paused on its first picture. False when it cannot be played
    // (missing, not a video, undecodable, or not ready within the engine's time limit).
    virtual bool open(const QString &path, Callbacks callbacks) = 0;
    virtual void close() = 0;
    virtual bool setPlaying(bool playing) = 0;
    // Paused at position 0 with the first picture cued; an end of stream reported before the
    // rewind is not delivered any more.
    virtual bool rewind() = 0;
    // The played video's length and the current position in nanoseconds; -1 while not known.
    virtual std::int64_t durationNs() const { return -1; }
    virtual std::int64_t positionNs() const { return -1; }
    // Jumps to `positionNs` and shows the picture there, playing on or staying paused as before;
    // an end of stream reported before the jump is not delivered any more.
    virtual bool seek(std::int64_t /*positionNs*/) { return false; }
};

} // namespace platform
