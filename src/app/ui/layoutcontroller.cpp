#include "layoutcontroller.h"

#include "mainwindow.h"
#include "shell.h"

#include "app/updateactions.h"
#include "app/windowpresets.h"

#include <QAction>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QToolBar>

namespace app::ui {

using state::ControlId;

namespace {

ControlId presetItem(int preset) { return ControlId(std::size_t(ControlId::NNormal_Screen) + std::size_t(preset)); }

} // namespace

LayoutController::LayoutController(Shell &shell, LayoutPort &port, QObject *parent)
    : QObject(parent), shell_(shell), port_(port)
{
    clock_.start();
    Controls &c = shell_.controls();
    for (int preset = state::kPresetNormal; preset <= state::kPresetByResolution; ++preset)
        connect(c.action(presetItem(preset)), &QAction::triggered, this, [this, preset] { Q_EMIT presetRequested(preset); });
    connect(c.action(ControlId::NDevCtrlToolbar), &QAction::triggered, this,
            [this] { Q_EMIT presetRequested(state::kPresetDevCtrlToolbar); });
    // The item is hidden, and a hidden action takes no short cut; Ctrl+D must still choose it.
    auto *devCtrlKey = new QShortcut(c.action(ControlId::NDevCtrlToolbar)->shortcut(), &shell_.window());
    devCtrlKey->setContext(Qt::ApplicationShortcut);
    connect(devCtrlKey, &QShortcut::activated, this, [this] { Q_EMIT presetRequested(state::kPresetDevCtrlToolbar); });
    connect(this, &LayoutController::presetRequested, this, &LayoutController::applyPreset);
    connect(c.mainButton(ControlId::ReturnMain_Btn), &QPushButton::clicked, this,
            [this] { applyPreset(state::kPresetNormal); });
    connect(&shell_.window(), &MainWindow::windowStateChanged, this, &LayoutController::onWindowStateChanged);
    // A window manager that restores the size the window had before it was maximised, after we
    // sized it for a windowed preset, is answered by sizing it again. Once it has answered, the
    // window's size is the user's: a resize then leaves the picture at the preset's size.
    connect(&shell_.window(), &MainWindow::resized, this, [this] {
        keepAtCorner();
        MainWindow &w = shell_.window();
        if (applying_ || wantMaximised_ || w.isMaximized() || !lastLayout_ || w.centralWidget()->size() == w.size()
            || !awaitingWindowManager())
            return;
        if (w.width() != lastLayout_->clientSize.width())
            QTimer::singleShot(0, this, [this] {
                if (!wantMaximised_ && lastLayout_ && !shell_.window().isMaximized()
                    && shell_.window().width() != lastLayout_->clientSize.width())
                    shell_.window().applyLayout(*lastLayout_);
            });
    });
    updatePresetAvailability();
}

QSize LayoutController::screenSize() const
{
    if (screenSizeOverride)
        return *screenSizeOverride;
    const QWidget &w = shell_.window();
    const QScreen *screen = w.screen() ? w.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

void LayoutController::updatePresetAvailability()
{
    const QSize screen = screenSize();
    for (int preset = state::kPreset640x480; preset <= state::kPreset1600x1200; ++preset)
        shell_.controls().action(presetItem(preset))->setEnabled(presetFitsScreen(preset, screen));
    lastScreen_ = screen;
}

void LayoutController::keepAtCorner()
{
    // The device control tool bar restored a maximised window: the window manager puts it back
    // where it was before it was maximised, later; it belongs at the screen's corner. Once the
    // window manager has answered, the window is the user's to move.
    if (!cornerPending_)
        return;
    MainWindow &w = shell_.window();
    if (shell_.state().flags().SizePreset != state::kPresetDevCtrlToolbar || w.isMaximized()) {
        cornerPending_ = false;
        return;
    }
    if (w.pos() != QPoint(0, 0))
        w.move(0, 0);
    if (!awaitingWindowManager())
        cornerPending_ = false;
}

void LayoutController::listTimerTick()
{
    keepAtCorner();
    if (screenSize() != lastScreen_)
        updatePresetAvailability();
    // A window manager's late answer that went past every event above still cannot leave the
    // window at a size other than its preset's for longer than a tick. Later sizes are the user's.
    MainWindow &w = shell_.window();
    if (!wantMaximised_ && lastLayout_ && !w.isMaximized() && w.width() != lastLayout_->clientSize.width()
        && awaitingWindowManager())
        w.applyLayout(*lastLayout_);
}


bool LayoutController::awaitingWindowManager() const
{
    const qint64 now = clock_.elapsed();
    return (sizedAtMs_ && now - *sizedAtMs_ < kEchoWindowMs)
           || std::any_of(requests_.begin(), requests_.end(), [now](const Request &r) { return now - r.atMs < kEchoWindowMs; });
}

void LayoutController::setCameraResolution(QSize resolution)
{
    cameraResolution_ = resolution;
    if (shell_.state().flags().SizePreset == state::kPresetByResolution && appliedResolution_ != resolution)
        applyPreset(state::kPresetByResolution);
}

void LayoutController::onWindowStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState)
{
    if (shell_.state().flags().IsClosing)
        return;
    const bool isMax = newState & Qt::WindowMaximized;
    if (newState & Qt::WindowMinimized)
        return;
    if (applying_)
        return;   // the toolkit's own echo of the request being made
    if (isMax == wantMaximised_) {
        // Ours: the window manager has caught up with the latest request (and answered the older
        // ones before it), so a later change against it is the user's. It restores the size the
        // window had before it was maximised, after we sized it for the new preset, so size it again.
        requests_.clear();
        if (!isMax && !(oldState & Qt::WindowMinimized) && lastLayout_) {
            shell_.window().applyLayout(*lastLayout_);
            sizedAtMs_ = clock_.elapsed();
        }
        return;
    }
    // A window manager answers a request that was already superseded (maximise, then restore
    // before the answer came) with the old state: that is not the user.
    const qint64 now = clock_.elapsed();
    for (std::size_t i = 0; i + 1 < requests_.size(); ++i)
        if (requests_[i].maximised == isMax && now - requests_[i].atMs < kEchoWindowMs)
            return;
    const int preset = isMax ? state::kPresetFullScreen : state::kPresetNormal;
    QTimer::singleShot(0, this, [this, preset] { applyPreset(preset); });
}

void LayoutController::applyPreset(int preset)
{
    Controls &c = shell_.controls();
    MainWindow &w = shell_.window();
    QAction *item = preset == state::kPresetDevCtrlToolbar ? c.action(ControlId::NDevCtrlToolbar)
                    : preset >= 0 && preset <= state::kPresetByResolution ? c.action(presetItem(preset))
                                                                          : nullptr;
    if (!item)
        return;
    const state::AppFlags &flags = shell_.state().flags();
    if (preset == flags.SizePreset && !(preset == state::kPresetByResolution && appliedResolution_ != cameraResolution_)) {
        item->setChecked(true);
        return;
    }
    setVideoDrag({});
    const QSize screen = screenSize();
    const PresetLayout layout = layoutForPreset(preset, screen, cameraResolution_);
    if (preset == state::kPresetByResolution && layout.appliedAs == state::kPreset640x480) {
        applyPreset(state::kPreset640x480);
        item->setChecked(true);
        shell_.state().setSizePreset(state::kPresetByResolution);
        appliedResolution_ = cameraResolution_;
        return;
    }
    if (preset == state::kPresetDevCtrlToolbar) {
        // The normal window state at the screen's corner: a maximised window is restored first.
        // The window keeps whatever size the window manager restores; no preset size is
        // applied again.
        lastLayout_.reset();
        sizedAtMs_.reset();
        if (w.isMaximized()) {
            wantMaximised_ = false;
            requests_.push_back({false, clock_.elapsed()});
            if (requests_.size() > 4)
                requests_.pop_front();
            applying_ = true;
            w.showNormal();
            applying_ = false;
            cornerPending_ = true;
        }
        w.move(screen.isValid() ? QPoint(0, 0) : w.pos());
        port_.stopVideo();
        w.layOutButtons(singleWindowButtons(w.central()->width(), w.toolBarSizes(), w.videoArea()->geometry(), false));
        item->setChecked(true);
        shell_.state().setSizePreset(preset);
        return;
    }
    const Plan planned = plan(preset);
    // Maximising or restoring from here comes back as a state change event that is ours.
    wantMaximised_ = planned.layout.maximised;
    if (planned.layout.maximised != w.isMaximized()) {
        requests_.push_back({planned.layout.maximised, clock_.elapsed()});
        if (requests_.size() > 4)
            requests_.pop_front();
    }
    applying_ = true;
    w.applyLayout(planned.layout);
    applying_ = false;
    lastLayout_ = planned.layout;
    sizedAtMs_ = planned.layout.maximised ? std::nullopt : std::optional<qint64>(clock_.elapsed());
    item->setChecked(true);
    w.layOutButtons(planned.buttons);
    shell_.state().setSizePreset(preset);
    if (preset == state::kPresetByResolution)
        appliedResolution_ = cameraResolution_;
    setVideoDrag({layout.dragEnabled, layout.dragMin, layout.dragMax});
    if (!flags.OverlayMode)
        shell_.videoAreaChanged();
}

LayoutController::Plan LayoutController::plan(int preset) const
{
    const MainWindow &w = shell_.window();
    QSize screen = screenSize();
    // A maximised window's picture reaches the bottom of the screen less what the window's own
    // frame and menu take (the presets' 48 pixels); the status line below it takes its height too.
    const bool maximised = layoutForPreset(preset, screen, cameraResolution_).maximised;
    if (maximised)
        screen.rheight() -= w.statusLineHeight();
    Plan p{layoutForPreset(preset, screen, cameraResolution_), bothWindowButtons()};
    if (maximised)
        p.layout.clientSize.rheight() += w.statusLineHeight();
    if (p.layout.singleWindow) {
        // Only a window of its own size can grow for the bars: not a maximised one, nor one
        // whose picture overhangs the screen.
        const bool mayGrow = !p.layout.maximised && !p.layout.dragEnabled;
        p.buttons = singleWindowButtons(p.layout.clientSize.width(), w.toolBarSizes(), p.layout.videoRect, mayGrow);
        if (mayGrow)
            p.layout.clientSize.setHeight(std::max(p.layout.clientSize.height(),
                                                   p.layout.videoRect.bottom() + 1 + p.buttons.rowsBelowVideo));
    }
    return p;
}

void LayoutController::setVideoDrag(const VideoDrag &drag)
{
    videoDrag_ = drag;
    Q_EMIT videoDragChanged();
}

} // namespace app::ui
