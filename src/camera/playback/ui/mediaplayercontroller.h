#pragma once

#include "camera/playback/videoplayer.h"
#include "feature/feature.h"
#include "feature/ui/featurecontext.h"
#include "platform/bitmap.h"

#include <QObject>
#include <QPointer>
#include <QSlider>

#include <array>

class QAction;
class QMenu;
class QTimer;
class QToolBar;
class QToolButton;
class QWidget;

namespace camera::ui {
class VideoWidget;
}

namespace camera::playback::ui {

// What the player needs from its peers; the composition root answers. UI thread.
class PlayerPort
{
public:
    // Before a file plays: the live camera disconnects, then a running recording ends.
    virtual void disconnectCamera() = 0;
    virtual void stopRecording() = 0;
    // A camera is connected (the cover stays off when the player closes over it).
    virtual bool cameraConnected() const = 0;
    // The orientation buttons turn the video as the camera's flip mode does.
    virtual void setFlipMode(int mode) = 0;
    // The cover over the video area while no picture runs.
    virtual void showCover(bool shown) = 0;
    // The library shows (and refreshes) the page of `kind`: the AVI page after a file is opened.
    virtual void showLibraryPage(int kind) = 0;

protected:
    ~PlayerPort() = default;
};

// The main window's player side: the play button, the media tool bar `MideaPlay_ToolBar`, the
// video's pop-up menu `PopupMenu_Video`, opening a file (`PlayerVideoCom`) and leaving the player
// (`ExitMediaPlayer`); the only writer of VideoPlaying. Frames are shown in the camera's
// VideoWidget with its flip mode; the still layer is the widget's still picture. The controls are
// the main window's, found by table identifier (missing ones are skipped and logged). UI thread.
class MediaPlayerController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    MediaPlayerController(feature::ui::FeatureContext context, PlayerPort &port, camera::ui::VideoWidget *video,
                          platform::PlaybackEngine &engine, VideoPlayer::FrameGrabber grabFrame, QObject *parent = nullptr);
    ~MediaPlayerController() override;

    VideoPlayer &player() { return player_; }
    // The playing flag (`VideoPlaying`): the media tool bar is active.
    bool isPlaying() const { return playing_; }

    // The main play button: leaves a playing video, else asks for a file and plays it.
    void PlayVideo_BtnClick();
    // Stops the camera and a recording, closes an open player and plays `path`. On failure the
    // message box shows CannotPlayVideo_MsgBox. Either way the AVI page is to be refreshed.
    bool PlayerVideoCom(const QString &path);
    // Only while the media tool bar is shown: clears the playing flag, hides the tool bar and
    // closes the player.
    void ExitMediaPlayer();
    // Closes the player; true when a camera is still connected (false when no player was open).
    bool ClosePlayer();
    // The still layer as a 24-bit picture (for the comparison overlay).
    platform::Bitmap GetPlayImage() const { return player_.GetPlayImage(); }

    void MediaPlay_BtnClick();
    void MediaPause_BtnClick();
    void MediaStop_BtnClick();
    void MediaRewind_BtnClick();
    void MediaExit_BtnClick() { ExitMediaPlayer(); }
    // Orientation buttons: 3 MediaRightOthers_Btn, 2 MediaRightSelf_Btn, 1 MediaLeftSelf_Btn,
    // 0 MediaLeftOthers_Btn.
    void orientationClick(int flipMode);

    // The seek bar along the bottom of the video (null when the window has none).
    QSlider *seekBar() const { return seekBar_; }

    void readInputs(feature::ActionInputs &in) const override;
    // The close sequence: the player closes before the capture session.
    void closing() override { ClosePlayer(); }

Q_SIGNALS:
    // The playing flag changed (VideoPlaying, the play button's picture and hint follow it).
    void playingChanged(bool playing);

private:
    void attach();
    void setPlaying(bool playing);
    enum Button { Play, Pause, Stop, Rewind, RightOthers, RightSelf, LeftOthers, LeftSelf, Exit, ButtonCount };
    enum Item { ItemPlay, ItemPause, ItemStop, ItemRePlay, ItemExit, ItemCount };

    void sync();
    void setPopupAttached(bool attached);
    void showOrientation(int flipMode);
    QString chooseFile();
    // The seek bar follows the clip (range and position in milliseconds) unless the user holds it.
    void followClip();
    void seekToBar();

    feature::ui::FeatureContext ctx_;
    PlayerPort &port_;
    camera::ui::VideoWidget *video_;
    VideoPlayer player_;
    bool playing_ = false;
    bool popupAttached_ = false;
    QPointer<QToolBar> toolBar_;
    QPointer<QMenu> popup_;
    QPointer<QSlider> seekBar_;
    QTimer *seekTimer_ = nullptr;
    std::array<QPointer<QToolButton>, ButtonCount> buttons_{};
    std::array<QPointer<QAction>, ItemCount> items_{};
};

} // namespace camera::playback::ui
