#include "videoplayer.h"

namespace camera::playback {

VideoPlayer::VideoPlayer(platform::PlaybackEngine &engine, FrameGrabber grabFrame, QObject *parent)
    : QObject(parent), engine_(engine), grabFrame_(std::move(grabFrame))
{
}

VideoPlayer::~VideoPlayer()
{
    if (isOpen())
        engine_.close();
}

void VideoPlayer::setCommands(bool play, bool pause, bool stop)
{
    playEnabled_ = play;
    pauseEnabled_ = pause;
    stopEnabled_ = stop;
}

bool VideoPlayer::OpenPlayer(const QString &path)
{
    if (isOpen())
        return false;
    platform::PlaybackEngine::Callbacks callbacks;
    callbacks.frame = [this](const QImage &f) {
        lastFrame_ = f;
        Q_EMIT frame(f);
    };
    callbacks.endOfStream = [this] { FilterGraphGraphComplete(); };
    callbacks.error = [this](const QString &message) {
        // A file that breaks mid-way stops like one that ended, whatever repeat says: repeating
        // would only run into the same fault again.
        if (!isOpen())
            return;
        VideoStop();
        Q_EMIT playbackFailed(message);
    };
    if (!engine_.open(path, std::move(callbacks)))
        return false;
    path_ = path;
    setCommands(false, true, true);
    repeat_ = false;
    endReached_ = false;
    lastFrame_ = QImage();
    if (!engine_.setPlaying(true)) {
        engine_.close();
        path_.clear();
        setCommands(false, false, false);
        return false;
    }
    state_ = PlayerState::Playing;
    Q_EMIT changed();
    return true;
}

bool VideoPlayer::VideoPlay()
{
    if (!isOpen())
        return true;
    engine_.setPlaying(true);
    stillShown_ = false;
    endReached_ = false;
    setCommands(false, true, true);
    state_ = PlayerState::Playing;
    Q_EMIT changed();
    return true;
}

bool VideoPlayer::VideoPause()
{
    if (!isOpen())
        return true;
    engine_.setPlaying(false);
    // The picture on screen becomes the still; without one the still keeps what it had.
    if (!lastFrame_.isNull())
        still_ = lastFrame_;
    stillShown_ = true;
    setCommands(true, false, true);
    state_ = PlayerState::Paused;
    Q_EMIT changed();
    return true;
}

void VideoPlayer::rewindAndCue()
{
    engine_.rewind();
    setCommands(true, false, false);
    state_ = PlayerState::Stopped;
}

bool VideoPlayer::VideoStop()
{
    if (!isOpen())
        return false;
    rewindAndCue();
    Q_EMIT repeatButtonReleased();
    // A failed extraction leaves the still as it was.
    if (grabFrame_)
        if (std::optional<platform::Bitmap> picture = grabFrame_(path_, kStoppedFrameIndex))
            still_ = picture->image();
    stillShown_ = true;
    Q_EMIT changed();
    return true;
}

bool VideoPlayer::ReVideoPlay()
{
    repeat_ = !repeat_;
    Q_EMIT changed();
    return true;
}

bool VideoPlayer::seek(std::int64_t positionNs)
{
    if (!isOpen() || !engine_.seek(positionNs))
        return false;
    endReached_ = false;
    if (state_ != PlayerState::Playing) {
        // The picture at the new place prerolls and is shown; the still layer would hide it.
        stillShown_ = false;
        setCommands(true, false, true);
        state_ = PlayerState::Paused;
    }
    Q_EMIT changed();
    return true;
}

void VideoPlayer::FilterGraphGraphComplete()
{
    if (state_ != PlayerState::Playing)
        return;   // an end reported just before a pause or stop took effect
    endReached_ = true;
    if (repeat_) {
        engine_.rewind();
        engine_.setPlaying(true);
        endReached_ = false;
        Q_EMIT changed();
        return;
    }
    VideoStop();
}

bool VideoPlayer::ClosePlayer()
{
    if (!isOpen())
        return false;
    // Closing passes through Stop, but the stopped picture would be emptied at once: no extraction.
    rewindAndCue();
    engine_.close();
    stillShown_ = false;
    still_ = QImage();
    lastFrame_ = QImage();
    repeat_ = false;
    endReached_ = false;
    path_.clear();
    setCommands(false, false, false);
    state_ = PlayerState::Closed;
    Q_EMIT changed();
    return true;
}

platform::Bitmap VideoPlayer::GetPlayImage() const
{
    if (!stillShown_ || still_.isNull())
        return {};
    return platform::Bitmap(still_.copy());
}

} // namespace camera::playback
