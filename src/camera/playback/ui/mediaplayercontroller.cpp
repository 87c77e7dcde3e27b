#include "mediaplayercontroller.h"

#include "camera/flipmode.h"
#include "camera/ui/videowidget.h"
#include "feature/actioninputs.h"
#include "feature/ui/controls.h"
#include "feature/ui/shellport.h"
#include "feature/ui/userdialogs.h"
#include "state/appstate.h"
#include "state/usersettings.h"
#include "state/uiprotocol.h"

#include <QAction>
#include <QBoxLayout>
#include <QFileDialog>
#include <QPushButton>
#include <QLoggingCategory>
#include <QMenu>
#include <QSlider>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

Q_LOGGING_CATEGORY(lcPlayerUi, "sendra.camera.player.ui")

namespace camera::playback::ui {
namespace {

using state::ControlId;
constexpr ControlId kButtonIds[] = {ControlId::MediaPlay_Btn,        ControlId::MediaPause_Btn,
                                    ControlId::MediaStop_Btn,        ControlId::MediaRewind_Btn,
                                    ControlId::MediaRightOthers_Btn, ControlId::MediaRightSelf_Btn,
                                    ControlId::MediaLeftOthers_Btn,  ControlId::MediaLeftSelf_Btn,
                                    ControlId::MediaExit_Btn};
constexpr ControlId kItemIds[] = {ControlId::PopupVideoPlay, ControlId::PopupVideoPause, ControlId::PopupVideoStop,
                                  ControlId::PopupVideoRePlay, ControlId::PopupVideoExit};
// The flip mode each orientation button sets, by button.
constexpr int kOrientationMode[] = {-1, -1, -1, -1, kFlipNone, kFlipUpsideDown, kFlipMirrored, kFlipTurned, -1};
// How often the seek bar follows a playing clip.
constexpr int kSeekBarIntervalMs = 100;
constexpr std::int64_t kNsPerMs = 1'000'000;

} // namespace

MediaPlayerController::MediaPlayerController(feature::ui::FeatureContext context, PlayerPort &port,
                                             camera::ui::VideoWidget *video, platform::PlaybackEngine &engine,
                                             VideoPlayer::FrameGrabber grabFrame, QObject *parent)
    : QObject(parent), ctx_(context), port_(port), video_(video), player_(engine, std::move(grabFrame))
{
    connect(&player_, &VideoPlayer::frame, this, [this](const QImage &f) {
        if (video_)
            video_->setFrame(f);
    });
    connect(&player_, &VideoPlayer::changed, this, &MediaPlayerController::sync);
    connect(&player_, &VideoPlayer::repeatButtonReleased, this, [this] {
        if (QToolButton *b = buttons_[Rewind])
            b->setChecked(false);
    });
    if (video_)
        connect(video_, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
            if (popupAttached_ && popup_ && video_)
                popup_->popup(video_->mapToGlobal(at));
        });
    attach();
    seekTimer_ = new QTimer(this);
    seekTimer_->setObjectName(QStringLiteral("SeekBar_Timer"));
    seekTimer_->setInterval(kSeekBarIntervalMs);
    connect(seekTimer_, &QTimer::timeout, this, &MediaPlayerController::followClip);
    if (QPushButton *play = ctx_.controls.mainButton(ControlId::PlayVideo_Btn))
        connect(play, &QPushButton::clicked, this, &MediaPlayerController::PlayVideo_BtnClick);
}

MediaPlayerController::~MediaPlayerController() = default;

void MediaPlayerController::readInputs(feature::ActionInputs &in) const
{
    in.playerBarShown = toolBar_ && !toolBar_->isHidden();
    in.playerAtEnd = player_.GetPlayerEndState();
}

void MediaPlayerController::setPlaying(bool playing)
{
    playing_ = playing;
    ctx_.state.setVideoPlaying(playing);
    ctx_.shell.setMainButton(ControlId::PlayVideo_Btn,
                             playing ? QStringLiteral("stopplay.bmp") : QStringLiteral("playvideo.bmp"),
                             playing ? QStringLiteral("StopPlayVideo_Btn") : QStringLiteral("PlayVideo_Btn"));
    Q_EMIT playingChanged(playing);
}

void MediaPlayerController::attach()
{
    const auto control = [this](ControlId id) { return ctx_.controls.object(id); };
    toolBar_ = qobject_cast<QToolBar *>(control(ControlId::MideaPlay_ToolBar));
    popup_ = qobject_cast<QMenu *>(control(ControlId::PopupMenu_Video));
    seekBar_ = qobject_cast<QSlider *>(control(ControlId::VideoSeek_TKB));
    if (seekBar_) {
        // Along the bottom of the video area: the picture above it is shortened by its height
        // while it shows, rather than covered.
        if (auto *column = seekBar_->parentWidget() ? qobject_cast<QBoxLayout *>(seekBar_->parentWidget()->layout()) : nullptr)
            column->addWidget(seekBar_);
        seekBar_->hide();
        // Dragging the thumb, and a click on the bar, jump there.
        connect(seekBar_, &QSlider::sliderMoved, this, &MediaPlayerController::seekToBar);
        connect(seekBar_, &QSlider::actionTriggered, this, [this](int action) {
            if (action != QAbstractSlider::SliderMove)
                seekToBar();
        });
    }
    for (int b = 0; b < ButtonCount; ++b) {
        buttons_[b] = qobject_cast<QToolButton *>(control(kButtonIds[b]));
        if (!buttons_[b]) {
            qCWarning(lcPlayerUi) << "no tool button" << state::controlName(kButtonIds[b]).data();
            continue;
        }
        QToolButton *button = buttons_[b];
        if (b >= RightOthers && b <= LeftSelf) {
            button->setCheckable(true);
            const int mode = kOrientationMode[b];
            connect(button, &QToolButton::clicked, this, [this, mode] { orientationClick(mode); });
            continue;
        }
        switch (b) {
        case Play: connect(button, &QToolButton::clicked, this, &MediaPlayerController::MediaPlay_BtnClick); break;
        case Pause: connect(button, &QToolButton::clicked, this, &MediaPlayerController::MediaPause_BtnClick); break;
        case Stop: connect(button, &QToolButton::clicked, this, &MediaPlayerController::MediaStop_BtnClick); break;
        case Rewind:
            button->setCheckable(true);
            connect(button, &QToolButton::clicked, this, &MediaPlayerController::MediaRewind_BtnClick);
            break;
        case Exit: connect(button, &QToolButton::clicked, this, &MediaPlayerController::MediaExit_BtnClick); break;
        default: break;
        }
    }
    for (int i = 0; i < ItemCount; ++i) {
        items_[i] = qobject_cast<QAction *>(control(kItemIds[i]));
        if (!items_[i]) {
            qCWarning(lcPlayerUi) << "no menu item" << state::controlName(kItemIds[i]).data();
            continue;
        }
        QAction *item = items_[i];
        switch (i) {
        case ItemPlay: connect(item, &QAction::triggered, this, [this] { player_.VideoPlay(); }); break;
        case ItemPause: connect(item, &QAction::triggered, this, [this] { player_.VideoPause(); }); break;
        case ItemStop: connect(item, &QAction::triggered, this, [this] { player_.VideoStop(); }); break;
        case ItemRePlay:
            item->setCheckable(true);
            connect(item, &QAction::triggered, this, [this] { player_.ReVideoPlay(); });
            break;
        case ItemExit:
            connect(item, &QAction::triggered, this, [this] {
                ExitMediaPlayer();
                if (video_)
                    video_->clearStill();
            });
            break;
        default: break;
        }
    }
    sync();
}

void MediaPlayerController::sync()
{
    // The pop-up menu and the tool bar show the player's commands; the still layer its picture.
    const bool commands[] = {player_.playEnabled(), player_.pauseEnabled(), player_.stopEnabled()};
    for (int i = 0; i < 3; ++i) {
        if (QAction *item = items_[i])
            item->setEnabled(commands[i]);
        if (QToolButton *b = buttons_[i])
            b->setEnabled(commands[i]);
    }
    if (QAction *item = items_[ItemRePlay])
        item->setChecked(player_.repeat());
    if (!video_)
        return;
    // A paused still is the picture the video showed, so it is turned by the same flip mode and
    // does not jump. The stopped one is frame 30 of the file, which stands for the file as it
    // was recorded: it is shown as it is, whatever orientation the playback had.
    if (player_.stillShown() && !player_.still().isNull())
        video_->setStill(player_.state() == PlayerState::Stopped
                             ? player_.still()
                             : camera::flipped(player_.still(), video_->flipMode()));
    else if (!player_.stillShown())
        video_->clearStill();
}

void MediaPlayerController::setPopupAttached(bool attached)
{
    popupAttached_ = attached;
    if (video_)
        video_->setContextMenuPolicy(attached ? Qt::CustomContextMenu : Qt::DefaultContextMenu);
}

void MediaPlayerController::showOrientation(int flipMode)
{
    for (int b = RightOthers; b <= LeftSelf; ++b)
        if (QToolButton *button = buttons_[b])
            button->setChecked(kOrientationMode[b] == flipMode);
}

QString MediaPlayerController::chooseFile()
{
    // An open dialog in the AVI folder in use.
    QFileDialog dialog(&ctx_.window);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDirectory(ctx_.state.curListPath()[state::kListAvi]);
    dialog.setDefaultSuffix(QStringLiteral("avi"));
    dialog.setNameFilter(QStringLiteral("Audio Video Interleave  (*.avi)"));
    return feature::ui::askFile(ctx_.dialogs, dialog).value_or(QString());
}

void MediaPlayerController::PlayVideo_BtnClick()
{
    if (playing_) {
        ExitMediaPlayer();
        ctx_.shell.MemoryTrim();
        return;
    }
    const QString path = chooseFile();
    if (path.isEmpty())
        return;
    PlayerVideoCom(path);
}

bool MediaPlayerController::PlayerVideoCom(const QString &path)
{
    port_.disconnectCamera();
    port_.stopRecording();
    if (player_.isOpen())
        ClosePlayer();
    const bool ok = player_.OpenPlayer(path);
    if (ok) {
        setPopupAttached(true);
        port_.showCover(false);
        if (toolBar_)
            toolBar_->show();
        sync();
        // The pressed button says "as recorded" whatever the flip mode is; a click applies one.
        showOrientation(kFlipNone);
        if (seekBar_) {
            seekBar_->setRange(0, 0);
            seekBar_->setValue(0);
            seekBar_->show();
            followClip();
        }
        seekTimer_->start();
        setPlaying(true);
    } else {
        ctx_.shell.ShowMessageBox(QStringLiteral("CannotPlayVideo_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                                  state::kIconError);
    }
    port_.showLibraryPage(state::kListAvi);
    return ok;
}

void MediaPlayerController::ExitMediaPlayer()
{
    if (!toolBar_ || toolBar_->isHidden())
        return;
    setPlaying(false);
    toolBar_->hide();
    if (QToolButton *b = buttons_[Rewind])
        b->setChecked(false);
    if (!ClosePlayer())
        port_.showCover(true);
}

bool MediaPlayerController::ClosePlayer()
{
    if (!player_.ClosePlayer())
        return false;
    setPopupAttached(false);
    seekTimer_->stop();
    if (seekBar_)
        seekBar_->hide();
    if (video_) {
        video_->clearStill();
        video_->clearFrame();
    }
    // Repeat is off again, so its button and item come up, as Stop releases the button: also
    // when another file replaces this one while it plays.
    if (QToolButton *b = buttons_[Rewind])
        b->setChecked(false);
    if (QAction *item = items_[ItemRePlay])
        item->setChecked(false);
    return port_.cameraConnected();
}

void MediaPlayerController::MediaPlay_BtnClick()
{
    if (buttons_[Play] && !buttons_[Play]->isEnabled())
        return;
    player_.VideoPlay();
}

void MediaPlayerController::MediaPause_BtnClick()
{
    if (buttons_[Pause] && !buttons_[Pause]->isEnabled())
        return;
    player_.VideoPause();
}

void MediaPlayerController::MediaStop_BtnClick()
{
    if (buttons_[Stop] && !buttons_[Stop]->isEnabled())
        return;
    player_.VideoStop();
}

void MediaPlayerController::MediaRewind_BtnClick()
{
    player_.ReVideoPlay();
    if (QToolButton *b = buttons_[Rewind])
        b->setChecked(player_.repeat());
}

void MediaPlayerController::followClip()
{
    if (!seekBar_ || !player_.isOpen() || seekBar_->isSliderDown())
        return;
    const std::int64_t duration = player_.durationNs();
    if (duration > 0 && seekBar_->maximum() != int(duration / kNsPerMs)) {
        seekBar_->setMaximum(int(duration / kNsPerMs));
        seekBar_->setPageStep(std::max(1, seekBar_->maximum() / 10));
    }
    // A stopped clip stands at 0 whatever its last position query said.
    const std::int64_t position = player_.state() == PlayerState::Stopped ? 0 : player_.positionNs();
    if (position >= 0)
        seekBar_->setValue(int(position / kNsPerMs));
}

void MediaPlayerController::seekToBar()
{
    if (seekBar_)
        player_.seek(std::int64_t(seekBar_->sliderPosition()) * kNsPerMs);
}

void MediaPlayerController::orientationClick(int flipMode)
{
    showOrientation(flipMode);
    port_.setFlipMode(flipMode);
    sync();   // a shown still turns with the video
}

} // namespace camera::playback::ui
