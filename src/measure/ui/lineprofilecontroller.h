#pragma once

#include "feature/feature.h"
#include "feature/ui/featurecontext.h"
#include "measure/lineprofile.h"

#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QString>

#include <optional>

class QImage;
class QWidget;

namespace camera {
class TVideoCameraDS;
namespace ui {
class GuideOverlay;
class VideoWidget;
} // namespace ui
} // namespace camera

namespace platform {
class Bitmap;
}

namespace measure::ui {

class LineProfileDialog;
class MeasureController;

// What the line profile needs from its peers; the composition root answers. UI thread.
class LineProfilePort
{
public:
    // The still image shown beside the live picture (null when there is none): the profile is
    // read from it when the line is drawn on the still-image area.
    virtual platform::Bitmap stillPicture() const = 0;

protected:
    ~LineProfilePort() = default;
};

// The line profile tool: while it is on, a line dragged over the locked (or loaded) frame in the
// video area or over the still picture opens a plot of the intensity along it, its distances in
// the current scale's unit through the pixel size the labels use; the plot exports to CSV. The
// switch is in the Tools menu and on the focus tool bar. UI thread.
class LineProfileController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    // `camera` and `video` are the camera controller's, `stillSurface` the still-image area's
    // picture control; `port` is answered by the composition root. All outlive the controller.
    LineProfileController(feature::ui::FeatureContext context, LineProfilePort &port, MeasureController &measure,
                          camera::TVideoCameraDS &camera, camera::ui::VideoWidget &video, QWidget &stillSurface,
                          QObject *parent = nullptr);
    ~LineProfileController() override;

    void setToolOn(bool on);
    bool toolOn() const { return on_; }
    // The profile of the line from `from` to `to` (picture pixels) on `picture`, measured with
    // the current scale, shown in the profile window.
    void showProfile(const QImage &picture, QPointF from, QPointF to);
    // Export: asks for a .csv name (through the program's dialogs) and writes the profile shown
    // atomically; a failure is reported. False when nothing was written.
    bool exportCsv();
    LineProfileDialog &dialog() const { return *dialog_; }
    // The still picture was replaced or edited: a line drawn on it belongs to the old one.
    void stillPictureChanged();

    void readInputs(feature::ActionInputs &in) const override;
    void languageChanged() override;
    void closing() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The picture under `surface` now (the frozen frame, or the still picture), null when there
    // is none to draw on.
    QImage pictureUnder(QWidget *surface) const;
    QPointF toPicture(QWidget *surface, QPoint at, QSize picture) const;
    void clearLines();

    feature::ui::FeatureContext ctx_;
    LineProfilePort &port_;
    MeasureController &measure_;
    camera::TVideoCameraDS &camera_;
    camera::ui::VideoWidget &video_;
    QWidget &stillSurface_;
    LineProfileDialog *dialog_ = nullptr;
    camera::ui::GuideOverlay *videoGuide_ = nullptr;
    camera::ui::GuideOverlay *stillGuide_ = nullptr;
    bool on_ = false;
    QWidget *dragOn_ = nullptr;
    QPoint dragFrom_;
    QString lastFolder_;
};

} // namespace measure::ui
