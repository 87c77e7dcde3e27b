#pragma once

#include "platform/playbackengine.h"

#include <QObject>

#include <cstdint>
#include <memory>

namespace platform {

// The player's engine: playbin with an appsink (BGRx) as its video sink and no audio output (the
// program's recordings are silent, and a desktop without a sound device must still play them).
// Streaming threads only put the newest picture into a platform::FrameMailbox and queue one call;
// bus messages become flags and queued calls in a sync handler, so nothing depends on which
// thread iterates the GLib context. Opening waits for the first picture or an error, at most
// kOpenTimeoutMs. Stop is a flushing seek to 0 in PAUSED.
class GstPlaybackEngine final : public QObject, public PlaybackEngine
{
    Q_OBJECT
public:
    explicit GstPlaybackEngine(QObject *parent = nullptr);
    ~GstPlaybackEngine() override;

    bool open(const QString &path, Callbacks callbacks) override;
    void close() override;
    bool setPlaying(bool playing) override;
    bool rewind() override;
    std::int64_t durationNs() const override;
    std::int64_t positionNs() const override;
    bool seek(std::int64_t positionNs) override;

    static constexpr int kOpenTimeoutMs = 5000;

    struct Shared;   // what the streaming threads touch
    // UI thread, queued from a streaming thread: the newest picture is waiting in the mailbox.
    void takeFrame();
    // UI thread, queued from the bus: the stream ended or failed.
    void deliverEnd(std::uint64_t generation, bool failed, const QString &message);

private:

    std::shared_ptr<Shared> shared_;
    Callbacks callbacks_;
    std::uint64_t generations_ = 0;   // across files, so a call queued for a closed file never matches
};

} // namespace platform
