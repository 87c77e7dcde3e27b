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
    // The window has a fixed size in the windowed presets; a window manager that restores the size
    // the window had before it was maximised, after we sized it, is answered by sizing it again.
    connect(&shell_.window(), &MainWindow::resized, this, [this] {
        MainWindow &w = shell_.window();
        if (applying_ || wantMaximised_ || w.isMaximized() || !lastLayout_ || w.centralWidget()->size() == w.size())
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

void LayoutController::listTimerTick()
{
    if (screenSize() != lastScreen_)
        updatePresetAvailability();
    // A window manager's late answer that went past every event above still cannot leave the
    // window at a size other than its preset's for longer than a tick.
    MainWindow &w = shell_.window();
    if (!wantMaximised_ && lastLayout_ && !w.isMaximized() && w.width() != lastLayout_->clientSize.width())
        w.applyLayout(*lastLayout_);
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
        // Ours: the window manager restores the size the window had before it was maximised,
        // after we sized it for the new preset, so size it again.
        if (!isMax && !(oldState & Qt::WindowMinimized) && lastLayout_)
            shell_.window().applyLayout(*lastLayout_);
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
        w.move(screen.isValid() ? QPoint(0, 0) : w.pos());
        port_.stopVideo();
        w.layOutButtons(singleWindowButtons(w.central()->width(), w.toolBarSizes()));
        item->setChecked(true);
        shell_.state().setSizePreset(preset);
        return;
    }
    // Maximising or restoring from here comes back as a state change event that is ours.
    wantMaximised_ = layout.maximised;
    if (layout.maximised != w.isMaximized()) {
        requests_.push_back({layout.maximised, clock_.elapsed()});
        if (requests_.size() > 4)
            requests_.pop_front();
    }
    applying_ = true;
    w.applyLayout(layout);
    applying_ = false;
    lastLayout_ = layout;
    item->setChecked(true);
    w.layOutButtons(layout.singleWindow ? singleWindowButtons(layout.clientSize.width(), w.toolBarSizes())
                                        : bothWindowButtons());
    shell_.state().setSizePreset(preset);
    if (preset == state::kPresetByResolution)
        appliedResolution_ = cameraResolution_;
    setVideoDrag({layout.dragEnabled, layout.dragMin, layout.dragMax});
    if (!flags.OverlayMode)
        shell_.videoAreaChanged();
}

void LayoutController::setVideoDrag(const VideoDrag &drag)
{
    videoDrag_ = drag;
    Q_EMIT videoDragChanged();
}

} // namespace app::ui
