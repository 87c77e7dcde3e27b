#include "scales/ui/calibratewindow.h"

#include "scales/ui/decimalspinbox.h"
#include "scales/ui/radiogroup.h"

#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "measure/geometry.h"
#include "measure/ui/measuringsurface.h"
#include "platform/diagnosticslog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace scales::ui {

namespace {

QMouseEvent mouseEvent(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods,
                       QPoint pos)
{
    return QMouseEvent(type, QPointF(pos), QPointF(pos), button, buttons, mods);
}

// Shown while the window's camera is not running: a dark field with a lens.
QPixmap standbyPicture()
{
    QPixmap p(TCalibrateWindow::kViewWidth, TCalibrateWindow::kViewHeight);
    p.fill(QColor(32, 34, 40));
    QPainter painter(&p);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF c(p.width() / 2.0, p.height() / 2.0);
    painter.setPen(QPen(QColor(90, 96, 110), 6));
    painter.setBrush(QColor(48, 52, 62));
    painter.drawEllipse(c, 70, 70);
    painter.setPen(QPen(QColor(120, 128, 146), 3));
    painter.drawEllipse(c, 40, 40);
    painter.setBrush(QColor(150, 160, 180));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(c + QPointF(-14, -14), 9, 9);
    return p;
}

} // namespace

TCalibrateWindow::TCalibrateWindow(Deps deps, const RulerScaleControl &scale, QWidget *parent)
    : QDialog(parent), deps_(std::move(deps)), scale_(scale)
{
    setObjectName(QStringLiteral("TCalibrateWindow"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    if (!deps_.text)
        deps_.text = [](const QString &) { return QString(); };

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    auto *view = new QWidget(this);
    view->setObjectName(QStringLiteral("CameraArea"));
    view->setFixedSize(kViewWidth, kViewHeight);
    video_ = new camera::ui::VideoWidget(view);
    video_->setGeometry(0, 0, kViewWidth, kViewHeight);
    cover_ = new QLabel(view);
    cover_->setObjectName(QStringLiteral("CoverPanel"));
    cover_->setGeometry(0, 0, kViewWidth, kViewHeight);
    cover_->setPixmap(standbyPicture());
    root->addWidget(view);

    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("ControlPanel"));
    panel->setFixedSize(kViewWidth, 80);
    auto *g = new QGridLayout(panel);
    g->setContentsMargins(8, 4, 8, 4);
    g->setVerticalSpacing(2);
    lengthLabel_ = new QLabel(panel);
    lengthLabel_->setObjectName(QStringLiteral("Lab_Lenght"));
    auto *realLength = new DecimalSpinBox(panel);
    realLength->setObjectName(QStringLiteral("CSpinEdit_RealLength"));
    realLength->setRange(0, unitInfo(scale_.unit).bound);
    // The known length typed as a length ("0.5" mm), kept in spin steps of the unit.
    realLength->setDecimals(unitInfo(scale_.unit).decimals);
    realLength_ = realLength;
    realLength_->setValue(100);
    realLength_->setMinimumWidth(80);
    lengthText_ = new QLabel(QStringLiteral("1.00mm"), panel);
    lengthText_->setObjectName(QStringLiteral("ST_Length"));
    lengthText_->setMinimumWidth(64);
    distanceLabel_ = new QLabel(panel);
    distanceLabel_->setObjectName(QStringLiteral("Lab_MoveDistance"));
    distanceText_ = new QLabel(QStringLiteral("0"), panel);
    distanceText_->setObjectName(QStringLiteral("ST_Distance"));
    distanceText_->setMinimumWidth(60);
    displayRuler_ = new QCheckBox(panel);
    displayRuler_->setObjectName(QStringLiteral("CB_DisplayRuler"));
    quit_ = new QPushButton(panel);
    quit_->setObjectName(QStringLiteral("Btn_QuitDlg"));
    quit_->setAutoDefault(false);
    axis_ = new RadioGroup(QStringLiteral("RG_FixedAxis"), 3, panel);
    // The axis choice keeps the room its texts need; the numbers give way.
    axis_->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    g->addWidget(lengthLabel_, 0, 0);
    g->addWidget(realLength_, 0, 1);
    g->addWidget(lengthText_, 0, 2);
    g->addWidget(axis_, 0, 3, 2, 1);
    g->addWidget(distanceLabel_, 1, 0);
    g->addWidget(distanceText_, 1, 1, 1, 2);
    g->addWidget(quit_, 0, 4);
    g->addWidget(displayRuler_, 1, 4);
    root->addWidget(panel);
    setFixedSize(kViewWidth, kViewHeight + 80);
    applyTexts();
    axis_->setItemIndex(0);

    camera_ = new camera::TVideoCameraDS(deps_.backend, deps_.log, this);
    connect(camera_, &camera::TVideoCameraDS::frameReady, video_, [this] { video_->setFrame(camera_->latestFrame().image); });
    connect(camera_, &camera::TVideoCameraDS::flipModeChanged, video_, &camera::ui::VideoWidget::setFlipMode);
    connect(camera_, &camera::TVideoCameraDS::frozenChanged, video_, [this](bool frozen) {
        if (frozen)
            video_->setStill(camera_->stillImage());
        else
            video_->clearStill();
    });

    surface_ = new measure::MeasuringSurface(this);
    connect(video_, &camera::ui::VideoWidget::videoMousePressed, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
                if (active_)
                    surface_->mousePress(mouseEvent(QEvent::MouseButtonPress, b, b, m, p));
            });
    connect(video_, &camera::ui::VideoWidget::videoMouseMoved, this,
            [this](Qt::MouseButtons bs, Qt::KeyboardModifiers m, QPoint p) {
                if (active_)
                    surface_->mouseMove(mouseEvent(QEvent::MouseMove, Qt::NoButton, bs, m, p));
            });
    connect(video_, &camera::ui::VideoWidget::videoMouseReleased, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
                if (active_)
                    surface_->mouseRelease(mouseEvent(QEvent::MouseButtonRelease, b, Qt::NoButton, m, p));
            });
    connect(surface_, &measure::MeasuringSurface::layerChanged, this, &TCalibrateWindow::showLayer);
    connect(surface_, &measure::MeasuringSurface::calibrationChanged, this, &TCalibrateWindow::onCalibrationChanged);
    connect(surface_, &measure::MeasuringSurface::frozenToggleRequested, this, &TCalibrateWindow::toggleFrozen);
    connect(surface_, &measure::MeasuringSurface::cursorChangeRequested, video_,
            [this](Qt::CursorShape shape) { video_->setCursor(shape); });

    connect(realLength_, &QSpinBox::valueChanged, this, &TCalibrateWindow::CSpinEdit_RealLengthChange);
    connect(axis_, &RadioGroup::clicked, this, &TCalibrateWindow::RG_FixedAxisClick);
    connect(displayRuler_, &QCheckBox::clicked, this, &TCalibrateWindow::CB_DisplayRulerClick);
    connect(quit_, &QPushButton::clicked, this, &QDialog::accept);

    calibration_.setRealLengthSpin(scale_.unit, realLength_->value());
}

TCalibrateWindow::~TCalibrateWindow()
{
    if (camera_->isConnected())
        camera_->DeviceDisConnect();
}

bool TCalibrateWindow::connected() const { return camera_->isConnected(); }

void TCalibrateWindow::applyTexts()
{
    const auto key = [this](const char *k) { return deps_.text(QString::fromLatin1(k)); };
    QString title = key("CalibrationTittle_Dlg_CW");
    if (active_)
        title += QStringLiteral(" [") + scale_.name + QLatin1Char(']');
    setWindowTitle(title);
    lengthLabel_->setText(key("Lab_Lenght_CW"));
    distanceLabel_->setText(key("Lab_MoveDistance_CW"));
    displayRuler_->setText(key("CB_DisplayScale_CW"));
    quit_->setText(key("Btn_QuitDlg_CW"));
    axis_->setTitle(key("RG_FixedAxisTittle_CW"));
    axis_->setItems({key("RG_NoneAxis_CW"), key("RG_HorizontalAxis_CW"), key("RG_VerticalAxis_CW")});
}

void TCalibrateWindow::showEvent(QShowEvent *event)
{
    applyTexts();
    // TntFormShow: the real length as typed.
    lengthText_->setText(calibration_.realLengthText());
    surface_->session().setCalibrationLengths(float(pixelLength_), float(calibration_.realLength()));
    QDialog::showEvent(event);
    // The camera starts from the event loop, with the window already on the screen.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            FormActivate();
    });
}

bool TCalibrateWindow::connectCamera()
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Search, then connect; the caller's preparation searches with the main camera's table
        // and picks its device.
        const bool found = deps_.prepareCamera ? (deps_.prepareCamera(*camera_), camera_->GetHasDevice())
                                               : camera_->SearchDevice();
        if (found && camera_->DeviceConnect())
            return true;
        deps_.log.append(QStringLiteral("Calibration camera not connected, attempt %1").arg(attempt + 1));
        camera_->DeviceDisConnect();
    }
    return false;
}

void TCalibrateWindow::FormActivate()
{
    if (!camera_->isConnected()) {
        if (!connectCamera()) {
            if (deps_.error)
                deps_.error(QStringLiteral("ConnectFailed_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"));
            return;
        }
        cover_->hide();
        camera_->SetFlipMode(deps_.flipMode);
        video_->setFlipMode(deps_.flipMode);
        surface_->setGeometry(QSize(kViewWidth, kViewHeight), camera_->videoSize());
        surface_->session().EntryMeasurementMode();
    }
    measure::MeasuringSession &session = surface_->session();
    if (!active_) {
        active_ = true;
        pixelLength_ = 0;
    }
    // Lengths are measured in the pixels the session maps to: the view, or a smaller picture.
    const QSize picture = camera_->videoSize();
    calibration_.setArea(kViewWidth >= picture.width() && !picture.isEmpty() ? picture : QSize(kViewWidth, kViewHeight));
    calibration_.setRealLengthSpin(scale_.unit, realLength_->value());
    session.setCalibrationLengths(float(pixelLength_), float(calibration_.realLength()));
    session.setScale(scale_);
    scaleBarHidden_ = !displayRuler_->isChecked();
    surface_->setScaleBarHidden(scaleBarHidden_);
    refreshFlags();
    video_->setCursor(Qt::CrossCursor);
    surface_->selectTool(measure::ShapeKind::Line);
    axis_->setItemIndex(0);
    RG_FixedAxisClick(0);
    applyTexts();
    showLayer();
    Q_EMIT calibrationStarted();
}

void TCalibrateWindow::FormClose()
{
    cover_->show();
    active_ = false;
    pixelLength_ = 0;
    surface_->session().setCalibrationLengths(0, float(calibration_.realLength()));
    if (frozen_ && camera_->isConnected())
        camera_->FilterGraph_Play();
    frozen_ = false;
    refreshFlags();
    video_->setCursor(Qt::ArrowCursor);
    if (camera_->isConnected())
        camera_->DeviceDisConnect();
    video_->clearFrame();
    video_->clearOverlay();
    axis_->setItemIndex(0);
    RG_FixedAxisClick(0);
}

void TCalibrateWindow::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TCalibrateWindow::refreshFlags()
{
    measure::SurfaceFlags f = surface_->session().flags();
    f.live = camera_->isConnected() && !frozen_;
    f.rendererAvailable = camera_->CheckVMR_Functuon();
    f.calibrating = active_;
    f.drawMode = active_;
    surface_->session().setFlags(f);
}

void TCalibrateWindow::RG_FixedAxisClick(int axis)
{
    measure::SurfaceFlags f = surface_->session().flags();
    f.calibrationAxis = std::clamp(axis, 0, 2);
    surface_->session().setFlags(f);
}

void TCalibrateWindow::CB_DisplayRulerClick(bool checked)
{
    scaleBarHidden_ = !checked;
    surface_->setScaleBarHidden(scaleBarHidden_);
    if (frozen_)
        surface_->clearFrame();
    else if (active_)
        surface_->redraw();
}

void TCalibrateWindow::onCalibrationChanged()
{
    pixelLength_ = surface_->session().shape().calibrationPixelLength;
    recompute();
}

void TCalibrateWindow::recompute()
{
    const double used = calibration_.compute(pixelLength_, scale_);
    if (used >= 0) {
        pixelLength_ = used;
        calibrated_ = true;
        // The lengths hold for the picture size the camera streams now.
        scale_.calibratedSize = camera_->videoSize();
        surface_->session().setScale(scale_);
    }
    distanceText_->setText(Calibration::distanceText(pixelLength_));
}

void TCalibrateWindow::CSpinEdit_RealLengthChange(int value)
{
    calibration_.setRealLengthSpin(scale_.unit, value);
    lengthText_->setText(calibration_.realLengthText());
    surface_->session().setCalibrationLengths(float(pixelLength_), float(calibration_.realLength()));
    ReDrawLineAtCalibrate();
}

void TCalibrateWindow::ReDrawLineAtCalibrate()
{
    const measure::ShapeDraft &shape = surface_->session().shape();
    if (!active_ || measure::SameSpot(shape.a, shape.b))
        return;
    recompute();
    if (!surface_->session().inProgress())
        surface_->redraw();
}

void TCalibrateWindow::toggleFrozen()
{
    if (!camera_->isConnected())
        return;
    if (frozen_)
        camera_->FilterGraph_Play();
    else
        camera_->FilterGraph_Pause(0, QString());
    frozen_ = camera_->isFrozen();
    refreshFlags();
}

void TCalibrateWindow::showLayer()
{
    const platform::Bitmap &layer = surface_->layer();
    if (layer.isNull() || !camera_->isConnected())
        video_->clearOverlay();
    else
        video_->setOverlay(layer);
}

} // namespace scales::ui
