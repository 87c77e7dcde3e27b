#include "lineprofilecontroller.h"

#include "lineprofiledialog.h"
#include "measurecontroller.h"
#include "measuringsurface.h"

#include "camera/ui/guideoverlay.h"
#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "feature/actioninputs.h"
#include "feature/ui/controls.h"
#include "feature/ui/shellport.h"
#include "feature/ui/userdialogs.h"
#include "platform/bitmap.h"
#include "state/appstate.h"
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

LineProfileController::LineProfileController(feature::ui::FeatureContext context, LineProfilePort &port,
                                             MeasureController &measure, camera::TVideoCameraDS &camera,
                                             camera::ui::VideoWidget &video, QWidget &stillSurface, QObject *parent)
    : QObject(parent), ctx_(context), port_(port), measure_(measure), camera_(camera), video_(video),
      stillSurface_(stillSurface)
{
    dialog_ = new LineProfileDialog(&ctx_.window);
    connect(dialog_, &LineProfileDialog::exportRequested, this, &LineProfileController::exportCsv);
    connect(dialog_, &QDialog::finished, this, &LineProfileController::clearLines);
    videoGuide_ = new camera::ui::GuideOverlay(&video_);
    stillGuide_ = new camera::ui::GuideOverlay(&stillSurface_);
    videoGuide_->setObjectName(QStringLiteral("ProfileLineGuide"));
    stillGuide_->setObjectName(QStringLiteral("ProfileLineGuide"));
    video_.installEventFilter(this);
    stillSurface_.installEventFilter(this);
    // A line belongs to the picture it was drawn on.
    connect(&camera_, &camera::TVideoCameraDS::frozenChanged, this, [this] { videoGuide_->clearLine(); });

    feature::ui::Controls &c = ctx_.controls;
    connect(c.action(ControlId::LineProfile_Tool), &QAction::toggled, this, &LineProfileController::setToolOn);
    connect(c.button(ControlId::FocusTB_Profile), &QAbstractButton::toggled, this, &LineProfileController::setToolOn);
    languageChanged();
}

LineProfileController::~LineProfileController() = default;

void LineProfileController::stillPictureChanged() { stillGuide_->clearLine(); }

void LineProfileController::setToolOn(bool on)
{
    feature::ui::Controls &c = ctx_.controls;
    {
        const QSignalBlocker a(c.action(ControlId::LineProfile_Tool)), b(c.button(ControlId::FocusTB_Profile));
        c.action(ControlId::LineProfile_Tool)->setChecked(on);
        c.button(ControlId::FocusTB_Profile)->setChecked(on);
    }
    on_ = on;
    dragOn_ = nullptr;
    for (QWidget *surface : {static_cast<QWidget *>(&video_), &stillSurface_}) {
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
    if (surface == &video_)
        return camera_.isFrozen() ? camera_.stillImage() : QImage();
    // The still picture, unless the editor owns its mouse.
    if (surface == &stillSurface_ && !ctx_.state.flags().EditMode)
        return port_.stillPicture().image();
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
        const QRect frame = ctx_.window.frameGeometry();
        QRect at(QPoint(std::max(frame.left(), frame.right() - dialog_->frameGeometry().width() - 8), frame.top() + 400),
                 dialog_->frameGeometry().size());
        if (const QScreen *screen = ctx_.window.screen())
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
        lastFolder_ = ctx_.state.curListPath()[state::kListJpg];
    QFileDialog picker(dialog_->isVisible() ? static_cast<QWidget *>(dialog_) : &ctx_.window, QString(), lastFolder_,
                       QStringLiteral("CSV (*.csv)"));
    picker.setAcceptMode(QFileDialog::AcceptSave);
    picker.selectFile(QStringLiteral("Profile.csv"));
    const std::optional<QString> path = feature::ui::askFile(ctx_.dialogs, picker);
    if (!path)
        return false;
    lastFolder_ = QFileInfo(*path).absolutePath();
    if (writeLineProfileCsv(*path, profile)) {
        ctx_.shell.ShowMessageBox(QStringLiteral("CannotExportProfile_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
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
    camera::ui::GuideOverlay *guide = surface == &video_ ? videoGuide_ : stillGuide_;
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

void LineProfileController::readInputs(feature::ActionInputs &in) const { in.profileToolOn = on_; }

void LineProfileController::languageChanged()
{
    const feature::ui::ShellPort &t = ctx_.shell;
    dialog_->setTexts(t.text(QStringLiteral("ProfileTitle_Dlg")), t.text(QStringLiteral("ProfileDistance_Lab")),
                      t.text(QStringLiteral("ProfileIntensity_Lab")), t.text(QStringLiteral("ProfileLength_Lab")),
                      t.text(QStringLiteral("ProfileExport_Btn")), t.text(QStringLiteral("CloseBtn_Dlg")));
}

void LineProfileController::closing() { dialog_->hide(); }

} // namespace measure::ui
