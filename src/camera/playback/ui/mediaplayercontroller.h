#pragma once

#include "camera/playback/videoplayer.h"
#include "platform/bitmap.h"
#include "state/controltable.h"
#include "state/uiprotocol.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>

class QAction;
class QMenu;
class QToolBar;
class QToolButton;
class QWidget;

namespace camera::ui {
class VideoWidget;
}

namespace camera::playback::ui {

// The main window's player side: the media tool bar `MideaPlay_ToolBar`, the video's pop-up
// menu `PopupMenu_Video`, opening a file (`PlayerVideoCom`) and leaving the player
// (`ExitMediaPlayer`). Frames are shown in the camera's VideoWidget with its flip mode; the
// still layer is the widget's still picture. The main window creates the tool bar and the menu
// with their object names; attach() finds and connects them. Texts are the main window's: this
// class names message keys only. UI thread only.
class MediaPlayerController final : public QObject
{
    Q_OBJECT
public:
    // The program's message box by language keys.
    using MessageBox = state::ShowMessageBoxFn;

    MediaPlayerController(camera::ui::VideoWidget *video, platform::PlaybackEngine &engine, VideoPlayer::FrameGrabber grabFrame,
                          QObject *parent = nullptr);
    ~MediaPlayerController() override;

    // Takes MideaPlay_ToolBar with its buttons and PopupMenu_Video with its items from the main
    // window's controls and connects them. Missing controls are skipped (and logged).
    using ControlLookup = std::function<QObject *(state::ControlId)>;
    void attach(const ControlLookup &control);

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

    // Hooks into the rest of the main window; each does nothing until set.
    MessageBox showMessage = [](const QString &, const QString &, bool, int) { return 1; };
    std::function<void()> disconnectCamera = [] {};   // the connect action, when a camera runs
    std::function<void()> stopRecording = [] {};      // when a recording runs
    std::function<bool()> cameraConnected = [] { return false; };
    std::function<void(int mode)> setFlipMode;        // default: the widget's flip mode
    std::function<QString()> chooseFile;              // default: an open dialog in the AVI folder
    std::function<QString()> aviFolder = [] { return QString(); };
    std::function<void()> memoryTrim = [] {};


Q_SIGNALS:
    // The playing flag changed: the main window sets VideoPlaying and the play button's picture
    // ("stopplay.bmp" / "playvideo.bmp") and hint (StopPlayVideo_Btn / PlayVideo_Btn).
    void playingChanged(bool playing);
    // The cover panel over the video area is to be shown or hidden.
    void coverRequested(bool shown);
    // The browser shows its AVI page and refreshes it.
    void aviPageRefreshRequested();

private:
    enum Button { Play, Pause, Stop, Rewind, RightOthers, RightSelf, LeftOthers, LeftSelf, Exit, ButtonCount };
    enum Item { ItemPlay, ItemPause, ItemStop, ItemRePlay, ItemExit, ItemCount };

    void sync();
    void setPopupAttached(bool attached);
    void showOrientation(int flipMode);
    QString defaultChooseFile();

    camera::ui::VideoWidget *video_;
    VideoPlayer player_;
    bool playing_ = false;
    bool popupAttached_ = false;
    QPointer<QToolBar> toolBar_;
    QPointer<QMenu> popup_;
    std::array<QPointer<QToolButton>, ButtonCount> buttons_{};
    std::array<QPointer<QAction>, ItemCount> items_{};
};

} // namespace camera::playback::ui
