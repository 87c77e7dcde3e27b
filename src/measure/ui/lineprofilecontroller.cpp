#include "measure/ui/lineprofilecontroller.h"

#include "app/ui/cameracontroller.h"
#include "app/ui/controls.h"
#include "app/ui/mainwindow.h"
#include "app/ui/measurecontroller.h"
#include "app/ui/shell.h"
#include "app/ui/stillimagecontroller.h"
#include "app/updateactions.h"
#include "camera/ui/guideoverlay.h"
#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "imaging/ui/stillimageview.h"
#include "measure/ui/lineprofiledialog.h"
#include "measure/ui/measuringsurface.h"
#include "state/uiprotocol.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

namespace measure::ui {

using state::ControlId;

LineProfileController::LineProfileController(app::ui::Shell &shell, app::ui::MeasureController &measure,
                                             app::ui::StillImageController &still, app::ui::CameraController &camera,
                                             QObject *parent)
    : QObject(parent), shell_(shell), measure_(measure), still_(still), camera_(camera)
{
    chooseCsvPath = [this](const QString &folder, const QString &name) -> std::optional<QString> {
        const QString path = QFileDialog::getSaveFileName(&shell_.window(), QString(), folder + u'/' + name,
                                                          QStringLiteral("CSV (*.csv)"));
        return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
    };
    dialog_ = new LineProfileDialog(&shell_.window());
    connect(dialog_, &LineProfileDialog::exportRequested, this, &LineProfileController::exportCsv);
    connect(dialog_, &QDialog::finished, this, &LineProfileController::clearLines);
    videoGuide_ = new camera::ui::GuideOverlay(camera_.videoWidget());
    stillGuide_ = new camera::ui::GuideOverlay(still_.view().pictureControl());
    videoGuide_->setObjectName(QStringLiteral("ProfileLineGuide"));
    stillGuide_->setObjectName(QStringLiteral("ProfileLineGuide"));
    camera_.videoWidget()->installEventFilter(this);
    still_.view().pictureControl()->installEventFilter(this);
    // A line belongs to the picture it was drawn on.
    connect(&camera_.camera(), &camera::TVideoCameraDS::frozenChanged, this, [this] { videoGuide_->clearLine(); });
    connect(&still_.view(), &imaging::ui::StillImageView::pictureChanged, this, [this] { stillGuide_->clearLine(); });

    app::ui::Controls &c = shell_.controls();
    connect(c.action(ControlId::LineProfile_Tool), &QAction::toggled, this, &LineProfileController::setToolOn);
    connect(c.button(ControlId::FocusTB_Profile), &QAbstractButton::toggled, this, &LineProfileController::setToolOn);
    languageChanged();
}

LineProfileController::~LineProfileController() = default;

void LineProfileController::setToolOn(bool on)
{
    app::ui::Controls &c = shell_.controls();
    {
        const QSignalBlocker a(c.action(ControlId::LineProfile_Tool)), b(c.button(ControlId::FocusTB_Profile));
        c.action(ControlId::LineProfile_Tool)->setChecked(on);
        c.button(ControlId::FocusTB_Profile)->setChecked(on);
    }
    on_ = on;
    dragOn_ = nullptr;
    for (QWidget *surface : {static_cast<QWidget *>(camera_.videoWidget()), still_.view().pictureControl()}) {
        if (on)
            surface->setCursor(Qt::CrossCursor);
        else
            surface->unsetCursor();
    }
    if (!on)
        clearLines();
}

void LineProfileController::clearLines()
{
    videoGuide_->clearLine();
    stillGuide_->clearLine();
}

QImage LineProfileController::pictureUnder(QWidget *surface) const
{
    if (surface == camera_.videoWidget())
        return camera_.camera().isFrozen() ? camera_.camera().stillImage() : QImage();
    // The still picture, unless the editor owns its mouse.
    if (surface == still_.view().pictureControl() && !shell_.state().flags().EditMode && !still_.view().isEmpty())
        return still_.view().picture().image();
    return QImage();
}

QPointF LineProfileController::toPicture(QWidget *surface, QPoint at, QSize picture) const
{
    // Both surfaces stretch their picture over the whole widget.
    const double sx = surface->width() > 0 ? double(picture.width()) / surface->width() : 1.0;
    const double sy = surface->height() > 0 ? double(picture.height()) / surface->height() : 1.0;
    return QPointF((at.x() + 0.5) * sx - 0.5, (at.y() + 0.5) * sy - 0.5);
}

void LineProfileController::showProfile(const QImage &picture, QPointF from, QPointF to)
{
    dialog_->setProfile(sampleLineProfile(picture, from, to, measure_.surface().session().scale()));
    if (!dialog_->isVisible()) {
        // Over the main window's lower right, below the video's height: the line drawn on the
        // video stays in sight. Kept on the screen.
        const QRect frame = shell_.window().frameGeometry();
        QRect at(QPoint(std::max(frame.left(), frame.right() - dialog_->frameGeometry().width() - 8), frame.top() + 400),
                 dialog_->frameGeometry().size());
        if (const QScreen *screen = shell_.window().screen())
            at.moveBottom(std::min(at.bottom(), screen->availableGeometry().bottom()));
        dialog_->move(at.topLeft());
        dialog_->show();
    }
    dialog_->raise();
}

bool LineProfileController::exportCsv()
{
    const LineProfile &profile = dialog_->profile();
    if (profile.samples.empty())
        return false;
    if (lastFolder_.isEmpty())
        lastFolder_ = shell_.state().curListPath()[state::kListJpg];
    const std::optional<QString> path = chooseCsvPath(lastFolder_, QStringLiteral("Profile.csv"));
    if (!path)
        return false;
    lastFolder_ = QFileInfo(*path).absolutePath();
    if (writeLineProfileCsv(*path, profile)) {
        shell_.ShowMessageBox(QStringLiteral("CannotExportProfile_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                              state::kIconError);
        return false;
    }
    return true;
}

bool LineProfileController::eventFilter(QObject *watched, QEvent *event)
{
    if (!on_)
        return false;
    auto *surface = qobject_cast<QWidget *>(watched);
    const QEvent::Type type = event->type();
    if (!surface || (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
                     type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick))
        return false;
    const QImage picture = pictureUnder(surface);
    if (picture.isNull())
        return false;   // the live picture: measuring goes on as usual
    camera::ui::GuideOverlay *guide = surface == camera_.videoWidget() ? videoGuide_ : stillGuide_;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const QPoint at = mouse->position().toPoint();
    switch (type) {
    case QEvent::MouseButtonPress:
        if (mouse->button() != Qt::LeftButton)
            return true;
        dragOn_ = surface;
        dragFrom_ = at;
        clearLines();
        guide->setLine(QLineF(at, at));
        return true;
    case QEvent::MouseMove:
        if (dragOn_ == surface)
            guide->setLine(QLineF(dragFrom_, at));
        return true;
    case QEvent::MouseButtonRelease:
        if (dragOn_ != surface || mouse->button() != Qt::LeftButton)
            return true;
        dragOn_ = nullptr;
        if (at == dragFrom_) {
            guide->clearLine();
            return true;
        }
        guide->setLine(QLineF(dragFrom_, at));
        showProfile(picture, toPicture(surface, dragFrom_, picture.size()), toPicture(surface, at, picture.size()));
        return true;
    default:
        return true;
    }
}

void LineProfileController::applyRules(const app::ActionInputs &in, app::ActionState &s) const
{
    // A profile needs a picture that stands still: the locked or loaded frame, or the still picture.
    const bool picture = !in.stillEmpty || camera_.camera().isFrozen();
    s.enabled.set(ControlId::LineProfile_Tool, picture || on_);
    s.enabled.set(ControlId::FocusTB_Profile, picture || on_);
}

void LineProfileController::languageChanged()
{
    const app::LanguageTexts &t = shell_.texts();
    dialog_->setTexts(t.text(QStringLiteral("ProfileTitle_Dlg")), t.text(QStringLiteral("ProfileDistance_Lab")),
                      t.text(QStringLiteral("ProfileIntensity_Lab")), t.text(QStringLiteral("ProfileLength_Lab")),
                      t.text(QStringLiteral("ProfileExport_Btn")), t.text(QStringLiteral("CloseBtn_Dlg")));
}

void LineProfileController::closing() { dialog_->hide(); }

} // namespace measure::ui
