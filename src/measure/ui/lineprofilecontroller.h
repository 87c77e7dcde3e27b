#pragma once

#include "app/ui/feature.h"
#include "measure/lineprofile.h"

#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QString>

#include <functional>
#include <optional>

class QImage;
class QWidget;

namespace app::ui {
class CameraController;
class MeasureController;
class Shell;
class StillImageController;
} // namespace app::ui

namespace camera::ui {
class GuideOverlay;
}

namespace measure::ui {

class LineProfileDialog;

// The line profile tool: while it is on, a line dragged over the locked (or loaded) frame in the
// video area or over the still picture opens a plot of the intensity along it, its distances in
// the current scale's unit through the pixel size the labels use; the plot exports to CSV. The
// switch is in the Tools menu and on the focus tool bar. UI thread.
class LineProfileController final : public QObject, public app::ui::Feature
{
    Q_OBJECT
public:
    LineProfileController(app::ui::Shell &shell, app::ui::MeasureController &measure,
                          app::ui::StillImageController &still, app::ui::CameraController &camera,
                          QObject *parent = nullptr);
    ~LineProfileController() override;

    void setToolOn(bool on);
    bool toolOn() const { return on_; }
    // The profile of the line from `from` to `to` (picture pixels) on `picture`, measured with
    // the current scale, shown in the profile window.
    void showProfile(const QImage &picture, QPointF from, QPointF to);
    // Export: asks for a .csv name and writes the profile shown atomically; a failure is reported.
    // False when nothing was written.
    bool exportCsv();
    LineProfileDialog &dialog() const { return *dialog_; }

    // The save dialog: start folder and proposed name (with extension); none when cancelled.
    // Default: a file dialog over the main window. Tests answer instead.
    std::function<std::optional<QString>(const QString &folder, const QString &name)> chooseCsvPath;

    void applyRules(const app::ActionInputs &in, app::ActionState &s) const override;
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

    app::ui::Shell &shell_;
    app::ui::MeasureController &measure_;
    app::ui::StillImageController &still_;
    app::ui::CameraController &camera_;
    LineProfileDialog *dialog_ = nullptr;
    camera::ui::GuideOverlay *videoGuide_ = nullptr;
    camera::ui::GuideOverlay *stillGuide_ = nullptr;
    bool on_ = false;
    QWidget *dragOn_ = nullptr;
    QPoint dragFrom_;
    QString lastFolder_;
};

} // namespace measure::ui
