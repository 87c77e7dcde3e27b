#pragma once

#include "platform/playbackengine.h"
#include "platform/bitmap.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace camera::playback {

enum class PlayerState { Unknown, Closed, Playing, Paused, Stopped };

// The player of recorded videos under the operation names the rest of the program uses
// (OpenPlayer ... ClosePlayer): its state, the repeat flag, the end-of-stream rule and the still
// layer shown over the video while paused or stopped. The media work is done by a
// PlaybackEngine; the stopped picture comes from a frame grabber (GetAviFrame in the program).
// UI thread only.
class VideoPlayer : public QObject
{
    Q_OBJECT
public:
    using FrameGrabber = std::function<std::optional<platform::Bitmap>(const QString &path, std::uint32_t index)>;
    // The frame a stopped player shows over its cued first picture.
    static constexpr std::uint32_t kStoppedFrameIndex = 30;

    VideoPlayer(platform::PlaybackEngine &engine, FrameGrabber grabFrame, QObject *parent = nullptr);
    ~VideoPlayer() override;

    // Only when no player is open; true when playback started.
    bool OpenPlayer(const QString &path);
    // False when no player was open.
    bool ClosePlayer();
    bool VideoPlay();
    bool VideoPause();
    // False when no file is open.
    bool VideoStop();
    // Toggles repeat.
    bool ReVideoPlay();
    // The seek bar: the video's length and position in nanoseconds (-1 while unknown), and a jump
    // to `positionNs`. Playing plays on from there; paused or stopped, the picture there is shown
    // paused instead of the still layer. False when no file is open.
    std::int64_t durationNs() const { return isOpen() ? engine_.durationNs() : -1; }
    std::int64_t positionNs() const { return isOpen() ? engine_.positionNs() : -1; }
    bool seek(std::int64_t positionNs);
    // The engine reported the end of the stream.
    void FilterGraphGraphComplete();
    bool GetPlayerEndState() const { return endReached_; }
    // The still layer as a 24-bit picture of its size (empty when nothing is shown).
    platform::Bitmap GetPlayImage() const;

    bool isOpen() const { return state_ != PlayerState::Closed; }
    PlayerState state() const { return state_; }
    const QString &path() const { return path_; }
    bool repeat() const { return repeat_; }
    // The commands of the pop-up menu and the tool bar.
    bool playEnabled() const { return playEnabled_; }
    bool pauseEnabled() const { return pauseEnabled_; }
    bool stopEnabled() const { return stopEnabled_; }
    // The still layer: shown over the video while paused or stopped.
    bool stillShown() const { return stillShown_; }
    const QImage &still() const { return still_; }

Q_SIGNALS:
    // A decoded picture to show (UI thread).
    void frame(const QImage &frame);
    // Any of the state above changed.
    void changed();
    // Stop released the tool bar's repeat button (the repeat flag itself is kept).
    void repeatButtonReleased();
    // The engine failed while playing; the player has stopped.
    void playbackFailed(const QString &message);

private:
    void setCommands(bool play, bool pause, bool stop);
    void rewindAndCue();

    platform::PlaybackEngine &engine_;
    FrameGrabber grabFrame_;
    PlayerState state_ = PlayerState::Closed;
    QString path_;
    bool repeat_ = false;
    bool endReached_ = false;
    bool playEnabled_ = false, pauseEnabled_ = false, stopEnabled_ = false;
    bool stillShown_ = false;
    QImage still_;
    QImage lastFrame_;
};

} // namespace camera::playback
