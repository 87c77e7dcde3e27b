#include "measurecontroller.h"

#include "mainwindow.h"

#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "measure/canvas.h"
#include "measure/shaperenderer.h"
#include "measure/ui/measuringsurface.h"

#include <QAction>
#include <QColorDialog>
#include <QComboBox>
#include <QMenu>
#include <QMouseEvent>
#include <QToolBar>
#include <QToolButton>

namespace app::ui {
namespace {

QMouseEvent mouseEvent(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods,
                       QPoint pos)
{
    return QMouseEvent(type, QPointF(pos), QPointF(pos), button, buttons, mods);
}

// The pen combo shows each style as a drawn line, as the design's owner-drawn list does.
QIcon penIcon(int item)
{
    platform::Bitmap b(64, 12);
    measure::BitmapCanvas canvas(b);
    measure::ShapeRenderer::drawPenComboItem(canvas, 0, 0, 64, 12, item);
    return QIcon(QPixmap::fromImage(b.image()));
}

} // namespace

MeasureController::MeasureController(MainWindow &window, camera::TVideoCameraDS &camera, camera::ui::VideoWidget &video,
                                     QObject *parent)
    : QObject(parent), window_(window), camera_(camera), video_(video)
{
    surface_ = new measure::MeasuringSurface(this);

    connect(&video_, &camera::ui::VideoWidget::videoMousePressed, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
                if (drawMode_)
                    surface_->mousePress(mouseEvent(QEvent::MouseButtonPress, b, b, m, p));
            });
    connect(&video_, &camera::ui::VideoWidget::videoMouseMoved, this,
            [this](Qt::MouseButtons bs, Qt::KeyboardModifiers m, QPoint p) {
                if (drawMode_)
                    surface_->mouseMove(mouseEvent(QEvent::MouseMove, Qt::NoButton, bs, m, p));
            });
    connect(&video_, &camera::ui::VideoWidget::videoMouseReleased, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
                if (drawMode_)
                    surface_->mouseRelease(mouseEvent(QEvent::MouseButtonRelease, b, Qt::NoButton, m, p));
            });
    connect(&video_, &camera::ui::VideoWidget::videoDoubleClicked, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
                if (drawMode_)
                    surface_->mouseDoubleClick(mouseEvent(QEvent::MouseButtonDblClick, b, b, m, p));
            });
    connect(surface_, &measure::MeasuringSurface::layerChanged, this, &MeasureController::showLayer);
    connect(surface_, &measure::MeasuringSurface::cursorChangeRequested, &video_,
            [this](Qt::CursorShape shape) { video_.setCursor(shape); });
    connect(surface_, &measure::MeasuringSurface::fullScreenToggleRequested, this, [this] {
        window_.applyPreset(window_.flags().SizePreset == state::kPresetFullScreen4x3 ? state::kPresetNormal : state::kPresetFullScreen4x3);
    });
    connect(&camera_, &camera::TVideoCameraDS::connectedChanged, this, &MeasureController::onConnected);
    connect(&camera_, &camera::TVideoCameraDS::measurementsCleared, this, [this] { surface_->clearFrame(); });
    connect(&camera_, &camera::TVideoCameraDS::frozenChanged, this, [this] { refreshFlags(); });

    window_.probes.shapeInProgress = [this] { return surface_->session().inProgress(); };
    window_.probes.undoAvailable = [this] { return surface_->session().undoEnabled(); };
    window_.probes.redoAvailable = [this] { return surface_->session().redoEnabled(); };
    window_.videoAreaChanged = [this] {
        if (camera_.isConnected())
            surface_->resizeWindow(video_.size());
    };
    buildDrawToolBar();
}

MeasureController::~MeasureController() = default;

void MeasureController::buildDrawToolBar()
{
    drawStyleMenu_ = new QMenu(&window_);
    drawStyleMenu_->setObjectName(QStringLiteral("TntPM_DrawStyle"));
    for (const measure::ShapeToolItem &item : measure::kShapeToolMenu) {
        QAction *a = drawStyleMenu_->addAction(QString::fromLatin1(item.caption.data(), qsizetype(item.caption.size())));
        a->setObjectName(QString::fromLatin1(item.itemName.data(), qsizetype(item.itemName.size())));
        a->setProperty("sendraLangKind", 1);
        const measure::ShapeKind kind = item.kind;
        connect(a, &QAction::triggered, this, [this, kind] { surface_->selectTool(kind); });
    }
    auto find = [this](const char *name) { return window_.findChild<QToolButton *>(QLatin1String(name)); };
    if (QToolButton *b = find("DrawRulerTB_DrawStyle")) {
        b->setMenu(drawStyleMenu_);
        b->setPopupMode(QToolButton::InstantPopup);
    }
    if (QToolButton *b = find("DrawRulerTB_Overlap"))
        connect(b, &QToolButton::toggled, this, [this](bool on) { surface_->setOverlap(on); });
    if (QToolButton *b = find("DrawRulerTB_Undo"))
        connect(b, &QToolButton::clicked, surface_, &measure::MeasuringSurface::undo);
    if (QToolButton *b = find("DrawRulerTB_Redo"))
        connect(b, &QToolButton::clicked, surface_, &measure::MeasuringSurface::redo);
    if (QToolButton *b = find("DrawRulerTB_ClearFrame"))
        connect(b, &QToolButton::clicked, surface_, &measure::MeasuringSurface::clearFrame);
    if (QToolButton *b = find("DrawRulerTB_SetColor"))
        connect(b, &QToolButton::clicked, this, [this] {
            const QColor c = QColorDialog::getColor(Qt::red, &window_);
            if (c.isValid())
                surface_->session().setColour(platform::fromQRgb(c.rgb()));
        });
    if (auto *combo = window_.findChild<QComboBox *>(QStringLiteral("DrawRulerTB_PenStyle"))) {
        combo->setIconSize(QSize(64, 12));
        combo->setFixedWidth(90);
        for (int item = 0; item < 7; ++item)
            combo->addItem(penIcon(item), QString());
        connect(combo, &QComboBox::currentIndexChanged, this,
                [this](int item) { surface_->session().setPenComboItem(item); });
    }
    if (QToolBar *bar = window_.toolBar(QStringLiteral("DrawRuler_ToolBar")))
        bar->adjustSize();
}

void MeasureController::onConnected(bool connected)
{
    if (connected) {
        surface_->setGeometry(video_.size(), QSize(camera_.currentFormat().width, camera_.currentFormat().height));
        surface_->session().EntryMeasurementMode();
        refreshFlags();
        showLayer();
    } else {
        surface_->session().ExitMeasurementMode();
        video_.clearOverlay();
    }
}

void MeasureController::refreshFlags()
{
    measure::SurfaceFlags f = surface_->session().flags();
    f.live = camera_.isConnected() && !camera_.isFrozen();
    f.rendererAvailable = window_.flags().VmrAvailable;
    f.drawMode = drawMode_;
    surface_->session().setFlags(f);
}

void MeasureController::showLayer()
{
    if (window_.flags().OverlayMode || !camera_.isConnected())
        return;
    const platform::Bitmap &layer = surface_->layer();
    if (layer.isNull())
        video_.clearOverlay();
    else
        video_.setOverlay(layer);
}

void MeasureController::setDrawMode(bool on)
{
    drawMode_ = on;
    refreshFlags();
    if (on)
        showLayer();
}

void MeasureController::leaveDrawMode(int newMode)
{
    if (newMode == state::kLiveCompare || newMode == state::kLiveCross) {
        surface_->clearFrame();
        video_.clearOverlay();
    }
    setDrawMode(false);
}

} // namespace app::ui
