#include "focusaidcontroller.h"

#include "guideoverlay.h"
#include "histogramdialog.h"
#include "sharpnessmeterwidget.h"
#include "videowidget.h"

#include "camera/flipmode.h"
#include "camera/videocamerads.h"
#include "feature/actioninputs.h"
#include "feature/ui/controls.h"
#include "feature/ui/shellport.h"
#include "feature/ui/userdialogs.h"
#include "state/appstate.h"

#include <QAbstractButton>
#include <QAction>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QToolBar>

#include <algorithm>
#include <cstdlib>

namespace camera::ui {

using state::ControlId;

namespace {

// A drag shorter than this either way is a click: the whole picture again.
constexpr int kMinRegionPx = 4;

// The rectangle a drag from `a` to `b` spans: `b` is its far corner, not a pixel inside it.
QRect spanOf(QPoint a, QPoint b)
{
    return QRect(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
}

} // namespace

FocusAidController::FocusAidController(feature::ui::FeatureContext context, TVideoCameraDS &camera, VideoWidget &video,
                                       QWidget &videoArea, QObject *parent)
    : QObject(parent), ctx_(context), camera_(camera), video_(&video), videoArea_(videoArea),
      analyzer_(std::make_shared<FocusAidAnalyzer>())
{
    camera_.session().setFrameAnalyzer(analyzer_);
    build();
    connect(&camera_, &TVideoCameraDS::frameReady, this, &FocusAidController::onFrame);
    connect(&camera_, &TVideoCameraDS::connectedChanged, this, [this](bool connected) {
        if (connected)
            resetBest();
        else
            video_->clearFocusMarks();
        onFlagsChanged();
    });
    connect(&camera_, &TVideoCameraDS::flipModeChanged, this, [this] {
        if (guide_)
            guide_->setRect(settings_.meter ? regionInWidget() : QRect());
    });
    connect(&ctx_.state, &state::AppState::flagsChanged, this, &FocusAidController::onFlagsChanged);
    // The window was laid out and its texts loaded before the features came.
    place();
    languageChanged();
}

FocusAidController::~FocusAidController() = default;

void FocusAidController::build()
{
    feature::ui::Controls &c = ctx_.controls;
    meter_ = new SharpnessMeterWidget(videoArea_.parentWidget());
    meter_->hide();
    connect(meter_, &SharpnessMeterWidget::resetRequested, this, &FocusAidController::resetBest);
    histogram_ = new HistogramDialog(&ctx_.window);
    connect(histogram_, &HistogramDialog::closed, this, [this] { setHistogramOn(false); });
    connect(histogram_, &HistogramDialog::channelsChanged, this, [this](HistogramChannels channels) {
        settings_.channels = channels;
        applySettings();
    });
    guide_ = new GuideOverlay(video_);
    guide_->setObjectName(QStringLiteral("FocusRegionGuide"));
    video_->installEventFilter(this);
    videoArea_.installEventFilter(this);
    c.toolBar(ControlId::ChangeMode_ToolBar)->installEventFilter(this);

    // Each switch is a menu item and a tool button; either one moves both.
    const auto pair = [&](ControlId item, ControlId button, void (FocusAidController::*set)(bool)) {
        connect(c.action(item), &QAction::toggled, this, [this, set](bool on) { (this->*set)(on); });
        connect(c.button(button), &QAbstractButton::toggled, this, [this, set](bool on) { (this->*set)(on); });
    };
    pair(ControlId::SharpnessMeter_Tool, ControlId::FocusTB_Meter, &FocusAidController::setMeterOn);
    pair(ControlId::FocusPeaking_Tool, ControlId::FocusTB_Peaking, &FocusAidController::setPeakingOn);
    pair(ControlId::LiveHistogram_Tool, ControlId::FocusTB_Histogram, &FocusAidController::setHistogramOn);
    pair(ControlId::ClippingWarning_Tool, ControlId::FocusTB_Zebra, &FocusAidController::setZebraOn);
    connect(c.button(ControlId::FocusTB_Region), &QAbstractButton::toggled, this, &FocusAidController::setRegionToolOn);
    connect(c.action(ControlId::PeakingColor_Tool), &QAction::triggered, this, &FocusAidController::choosePeakingColour);
    connect(c.button(ControlId::FocusTB_PeakingColor), &QAbstractButton::clicked, this,
            &FocusAidController::choosePeakingColour);
}

bool FocusAidController::live() const
{
    const state::AppFlags &f = ctx_.state.flags();
    return f.VideoConnected && !f.VideoPlaying && !camera_.isFrozen();
}

namespace {

void setBoth(feature::ui::Controls &c, ControlId item, ControlId button, bool on)
{
    const QSignalBlocker a(c.action(item)), b(c.button(button));
    c.action(item)->setChecked(on);
    c.button(button)->setChecked(on);
}

} // namespace

void FocusAidController::setMeterOn(bool on)
{
    setBoth(ctx_.controls, ControlId::SharpnessMeter_Tool, ControlId::FocusTB_Meter, on);
    if (settings_.meter == on)
        return;
    settings_.meter = on;
    if (!on) {
        setRegionToolOn(false);
        meter_->clearScore();
    }
    applySettings();
    resetBest();
    onFlagsChanged();
}

void FocusAidController::setPeakingOn(bool on)
{
    setBoth(ctx_.controls, ControlId::FocusPeaking_Tool, ControlId::FocusTB_Peaking, on);
    settings_.peaking = on;
    applySettings();
}

void FocusAidController::setZebraOn(bool on)
{
    setBoth(ctx_.controls, ControlId::ClippingWarning_Tool, ControlId::FocusTB_Zebra, on);
    settings_.zebra = on;
    applySettings();
}

void FocusAidController::setHistogramOn(bool on)
{
    setBoth(ctx_.controls, ControlId::LiveHistogram_Tool, ControlId::FocusTB_Histogram, on);
    if (settings_.histogram == on)
        return;
    settings_.histogram = on;
    settings_.channels = histogram_->channels();
    applySettings();
    if (on) {
        if (!histogramPlaced_) {
            // First opening: beside the main window's right edge at the video's height, or over
            // the window's right side where the screen ends there.
            const QRect frame = ctx_.window.frameGeometry();
            // Before its first showing the window has neither its laid-out size nor the window
            // manager's frame: take its size hint and the main window's frame around it.
            if (!histogram_->testAttribute(Qt::WA_Resized))
                histogram_->adjustSize();
            const QSize framed = histogram_->size() + (frame.size() - ctx_.window.geometry().size());
            QRect at(QPoint(frame.right() + 8, frame.top() + 60), framed);
            if (const QScreen *screen = ctx_.window.screen()) {
                const QRect room = screen->availableGeometry();
                at.moveRight(std::min(at.right(), room.right()));
                at.moveBottom(std::min(at.bottom(), room.bottom()));
            }
            // Moved over the window (a maximised one has no room beside it): left of the meter,
            // whose reading it would hide, as far as the screen allows.
            if (meter_->isVisible() && at.left() <= frame.right()) {
                const int meterLeft = meter_->mapToGlobal(QPoint(0, 0)).x();
                at.moveRight(std::max(at.width() - 1, meterLeft - 8));
            }
            histogram_->move(at.topLeft());
            histogramPlaced_ = true;
        }
        histogram_->show();
        histogram_->raise();
    } else {
        const QSignalBlocker block(histogram_);
        histogram_->hide();
    }
}

void FocusAidController::setRegionToolOn(bool on)
{
    QAbstractButton *b = ctx_.controls.button(ControlId::FocusTB_Region);
    const QSignalBlocker block(b);
    b->setChecked(on);
    regionTool_ = on;
    dragging_ = false;
    if (on)
        video_->setCursor(Qt::CrossCursor);
    else
        video_->unsetCursor();
    if (!on && guide_)
        guide_->setRect(settings_.meter ? regionInWidget() : QRect());
}

void FocusAidController::resetBest()
{
    analyzer_->resetBest();
    if (meter_->hasScore())
        meter_->setScore(meter_->score(), meter_->score());
}

void FocusAidController::choosePeakingColour()
{
    const QColor chosen = feature::ui::askColour(ctx_.dialogs, &ctx_.window, QColor::fromRgb(peakingColour_));
    if (!chosen.isValid())
        return;
    peakingColour_ = chosen.rgb();
    onFrame();   // the marks of the frame shown take the new colour at once
}

QRect FocusAidController::widgetRectOf(const QRectF &region) const
{
    if (region.isEmpty())
        return QRect();
    QRectF r = region;
    const int mode = camera_.GetFlipMode();
    if (flipsHorizontally(mode))
        r.moveLeft(1.0 - r.right());
    if (flipsVertically(mode))
        r.moveTop(1.0 - r.bottom());
    const QSizeF size = video_->size();
    return QRectF(r.left() * size.width(), r.top() * size.height(), r.width() * size.width(), r.height() * size.height())
        .toRect();
}

QRect FocusAidController::regionInWidget() const { return widgetRectOf(settings_.region); }

void FocusAidController::setRegionFromWidget(const QRect &widgetRect)
{
    const QRect r = widgetRect.normalized() & video_->rect();
    QRectF region;
    if (r.width() >= kMinRegionPx && r.height() >= kMinRegionPx && video_->width() > 0 && video_->height() > 0) {
        region = QRectF(double(r.left()) / video_->width(), double(r.top()) / video_->height(),
                        double(r.width()) / video_->width(), double(r.height()) / video_->height());
        // The analyzer sees the picture as the camera sends it, before the flip.
        const int mode = camera_.GetFlipMode();
        if (flipsHorizontally(mode))
            region.moveLeft(1.0 - region.right());
        if (flipsVertically(mode))
            region.moveTop(1.0 - region.bottom());
    }
    settings_.region = region;
    applySettings();
    guide_->setRect(settings_.meter ? regionInWidget() : QRect());
}

void FocusAidController::applySettings()
{
    analyzer_->setSettings(settings_);
    if (!settings_.peaking && !settings_.zebra)
        video_->clearFocusMarks();
    guide_->setRect(settings_.meter ? regionInWidget() : QRect());
}

void FocusAidController::onFrame()
{
    const auto analysis = std::dynamic_pointer_cast<const FocusAidAnalysis>(camera_.latestFrame().analysis);
    if (!analysis) {
        video_->clearFocusMarks();
        return;
    }
    if (analysis->marks && (settings_.peaking || settings_.zebra))
        video_->setFocusMarks(analysis->marks, peakingColour_);
    else
        video_->clearFocusMarks();
    if (settings_.meter && analysis->score)
        meter_->setScore(*analysis->score, analysis->best);
    if (settings_.histogram && analysis->histogram && analysis->histogram->serial != histogramShown_) {
        histogramShown_ = analysis->histogram->serial;
        histogram_->setHistogram(analysis->histogram);
    }
}

void FocusAidController::onFlagsChanged()
{
    const state::AppFlags &f = ctx_.state.flags();
    const bool shown = settings_.meter && f.VideoConnected && !f.VideoPlaying;
    if (shown != meter_->isVisible()) {
        meter_->setVisible(shown);
        if (shown)
            place();
    }
}

void FocusAidController::place()
{
    QWidget *central = videoArea_.parentWidget();
    // The meter beside the video where the window has room, else along its inner right edge.
    const QRect video = videoArea_.geometry();
    const int x = video.right() + 1 + SharpnessMeterWidget::kWidth <= central->width()
                      ? video.right() + 1
                      : video.right() + 1 - SharpnessMeterWidget::kWidth;
    meter_->setGeometry(x, video.top(), SharpnessMeterWidget::kWidth, video.height());
    meter_->raise();
    // The focus tool bar beside the live-mode buttons: to their left when that leaves the live
    // tool bars free, else to their right, else under them.
    feature::ui::Controls &c = ctx_.controls;
    QToolBar *bar = c.toolBar(ControlId::FocusAid_ToolBar);
    const QRect change = c.toolBar(ControlId::ChangeMode_ToolBar)->geometry();
    bar->adjustSize();
    const QSize size = bar->sizeHint();
    const auto freeOf = [&](const QRect &r) {
        if (r.left() < 0 || r.right() >= central->width() || r.bottom() >= central->height())
            return false;
        for (ControlId id : {ControlId::Compare_ToolBar, ControlId::Cross_ToolBar, ControlId::VideoCtrl_ToolBar,
                             ControlId::DrawRuler_ToolBar, ControlId::MideaPlay_ToolBar}) {
            // A bar above the live-mode buttons keeps only the rows they leave it.
            QRect taken = c.toolBar(id)->geometry();
            if (taken.top() < change.top())
                taken.setBottom(std::min(taken.bottom(), change.top() - 1));
            if (taken.intersects(r))
                return false;
        }
        return true;
    };
    QRect at(QPoint(change.left() - 4 - size.width(), change.top()), size);
    if (!freeOf(at))
        at.moveLeft(change.right() + 5);
    if (!freeOf(at))
        at.moveTopLeft(QPoint(change.left(), change.bottom() + 1));
    bar->setGeometry(at);
    bar->raise();
}

void FocusAidController::readInputs(feature::ActionInputs &in) const
{
    in.focusMeterOn = settings_.meter;
    in.frameFrozen = camera_.isFrozen();
}

void FocusAidController::languageChanged()
{
    const feature::ui::ShellPort &t = ctx_.shell;
    meter_->setTexts(t.text(QStringLiteral("FocusMeterTitle_Lab")), t.text(QStringLiteral("FocusMeterReset_Btn")));
    histogram_->setTexts(t.text(QStringLiteral("HistogramTitle_Dlg")), t.text(QStringLiteral("HistogramLuma_Dlg")),
                         t.text(QStringLiteral("HistogramRgb_Dlg")), t.text(QStringLiteral("HistogramClipped_Lab")));
}

void FocusAidController::closing()
{
    settings_ = FocusAidSettings();
    analyzer_->setSettings(settings_);
    const QSignalBlocker block(histogram_);
    histogram_->hide();
}

bool FocusAidController::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched != video_) {
        if (type == QEvent::Move || type == QEvent::Resize)
            place();
        return false;
    }
    if (type == QEvent::Resize)
        guide_->setRect(settings_.meter ? regionInWidget() : QRect());
    if (!regionTool_ || !live())
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    switch (type) {
    case QEvent::MouseButtonPress:
        if (mouse->button() != Qt::LeftButton)
            return false;
        dragging_ = true;
        dragFrom_ = mouse->position().toPoint();
        guide_->setRect(QRect(dragFrom_, QSize(1, 1)));
        return true;
    case QEvent::MouseMove:
        if (dragging_)
            guide_->setRect(spanOf(dragFrom_, mouse->position().toPoint()));
        return dragging_;
    case QEvent::MouseButtonRelease:
        if (!dragging_ || mouse->button() != Qt::LeftButton)
            return false;
        dragging_ = false;
        setRegionFromWidget(spanOf(dragFrom_, mouse->position().toPoint()));
        setRegionToolOn(false);
        return true;
    case QEvent::MouseButtonDblClick:
        return true;
    default:
        return false;
    }
}

} // namespace camera::ui
