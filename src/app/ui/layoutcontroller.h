#pragma once

#include "app/windowpresets.h"
#include "feature/feature.h"

#include <QObject>
#include <QElapsedTimer>
#include <QPoint>
#include <QSize>

#include <deque>

#include <optional>

namespace app::ui {

class Shell;

// What the window presets need from their peers; the composition root answers. UI thread.
class LayoutPort
{
public:
    // The device control tool bar preset disconnects the camera or leaves the player.
    virtual void stopVideo() = 0;

protected:
    ~LayoutPort() = default;
};

// Ctrl-dragging the video area: allowed only when the preset in force makes the picture overhang
// the screen ("By Resolution" on a small screen), and only between min and max (top left corner,
// client coordinates).
struct VideoDrag {
    bool enabled = false;
    QPoint min, max;
};

// Window-size presets: the Window Size menu and its short cuts, the return button, maximise and
// restore by the user, "By Resolution" following the camera, and which presets the screen can
// hold. The only writer of SizePreset. UI thread.
class LayoutController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    LayoutController(Shell &shell, LayoutPort &port, QObject *parent = nullptr);

    // Applies a window-size preset (the menu handlers).
    void applyPreset(int preset);
    // What `preset` makes of the window now: its layout (the client grown by the tool bar rows
    // below the picture that the single-window row needed) and its buttons and bars.
    struct Plan {
        PresetLayout layout;
        ButtonLayout buttons;
    };
    Plan plan(int preset) const;
    // The camera's picture size, for "By Resolution"; re-applies it when it is in force.
    void setCameraResolution(QSize resolution);
    QSize cameraResolution() const { return cameraResolution_; }
    // The screen the presets are judged against: the window's screen, or the size tests set.
    QSize screenSize() const;
    std::optional<QSize> screenSizeOverride;
    void updatePresetAvailability();
    const VideoDrag &videoDrag() const { return videoDrag_; }
    // A maximise, restore or sizing of ours is young enough that the window manager's answer to
    // it may still come: a change against the preset then is taken for that answer, not for the user.
    bool awaitingWindowManager() const;

    void listTimerTick() override;

Q_SIGNALS:
    // A window-size preset was chosen from the menu or by its short cut.
    void presetRequested(int preset);
    // videoDrag() changed: every preset first disables dragging, then sets its own.
    void videoDragChanged();

private:
    void onWindowStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState);
    void setVideoDrag(const VideoDrag &drag);
    void keepAtCorner();

    Shell &shell_;
    LayoutPort &port_;
    QSize cameraResolution_{640, 480};
    QSize appliedResolution_;
    QSize lastScreen_;
    // Whether the preset in force wants the window maximised. A window-state change that agrees
    // with it is ours coming back from the window manager (later, not inside the call, and
    // sometimes more than once); only a change against it was made by the user and follows the
    // maximise/restore rule.
    bool wantMaximised_ = false;
    // Our maximise/restore requests of the last moments, oldest first.
    struct Request {
        bool maximised;
        qint64 atMs;
    };
    static constexpr qint64 kEchoWindowMs = 2000;
    std::deque<Request> requests_;
    // When a windowed preset last sized the window: a window manager may still answer with the
    // size the window had before, which is then sized again. A resize after that is the user's.
    std::optional<qint64> sizedAtMs_;
    QElapsedTimer clock_;
    bool applying_ = false;
    // The device control tool bar's restored window waits for the window manager's answer.
    bool cornerPending_ = false;
    std::optional<PresetLayout> lastLayout_;
    VideoDrag videoDrag_;
};

} // namespace app::ui
