#include "editorviewport.h"

#include "stillimageview.h"

#include "imaging/stilldocument.h"
#include "library/imagefit.h"

namespace imaging::ui {

EditorViewport::EditorViewport(StillImageView &view) : view_(view) {}

QWidget *EditorViewport::widget() const { return view_.pictureControl(); }

QRect EditorViewport::control() const { return widget()->geometry(); }

QSize EditorViewport::panel() const { return view_.size(); }

QSize EditorViewport::pictureSize() const
{
    const StillDocument *doc = view_.document();
    return doc ? doc->picture().size() : QSize();
}

void EditorViewport::takeCurrentAsFit()
{
    const QRect ctl = control();
    zoom_ = {1.0f, float(ctl.width()), float(ctl.height())};
}

void EditorViewport::fit()
{
    widget()->setGeometry(library::fitViewImage(pictureSize(), panel()));
    takeCurrentAsFit();
}

void EditorViewport::originalSize()
{
    widget()->setGeometry(originalSizeRect(pictureSize(), panel()));
    takeCurrentAsFit();
}

bool EditorViewport::zoomStep(bool in, bool keepCentre)
{
    const ZoomStep s = (in ? zoomIn : zoomOut)(zoom_, control(), pictureSize(), panel(), keepCentre);
    widget()->setGeometry(s.control);
    zoom_ = s.zoom;
    return s.stepped;
}

void EditorViewport::restore(QPoint topLeft) { widget()->move(panBounds(control().size(), panel()).clamp(topLeft)); }

QPoint EditorViewport::toPicture(QPoint pointer) const { return pointerToPicture(pointer, pictureSize(), control().size()); }

QPoint EditorViewport::clamp(QPoint pointer) const { return clampToVisible(pointer, control(), panel()); }

QPoint EditorViewport::track(QPoint pointer, bool scroll)
{
    QRect ctl = control();
    if (scroll) {
        const QPoint topLeft = autoScroll(pointer, ctl, panel());
        if (topLeft != ctl.topLeft()) {
            // The pointer stays where it is on the panel; the picture moved under it.
            pointer += ctl.topLeft() - topLeft;
            widget()->move(topLeft);
            ctl.moveTopLeft(topLeft);
        }
    }
    lastClamped_ = clampToVisible(pointer, ctl, panel());
    return toPicture(lastClamped_);
}

void EditorViewport::beginPan(QPoint pointer)
{
    const QRect ctl = control();
    panBounds_ = panBounds(ctl.size(), panel());
    panPressPanel_ = ctl.topLeft() + pointer;
    panPressControl_ = ctl.topLeft();
}

void EditorViewport::pan(QPoint pointer)
{
    const QRect ctl = control();
    const QPoint onPanel = ctl.topLeft() + pointer;
    QPoint topLeft = ctl.topLeft();
    if (panel().width() < ctl.width())
        topLeft.setX(panPressControl_.x() + onPanel.x() - panPressPanel_.x());
    if (panel().height() < ctl.height())
        topLeft.setY(panPressControl_.y() + onPanel.y() - panPressPanel_.y());
    widget()->move(panBounds_.clamp(topLeft));
}

EditorViewport::Facts EditorViewport::facts() const
{
    Facts f;
    const QRect ctl = control();
    const QSize p = panel();
    const QSize picture = pictureSize();
    f.largerThanPanel = ctl.width() > p.width() || ctl.height() > p.height();
    f.zoomInChanges = zoomIn(zoom_, ctl, picture, p, false).control.size() != ctl.size();
    f.zoomOutChanges = zoomOut(zoom_, ctl, picture, p, false).control.size() != ctl.size();
    f.fitChanges = library::fitViewImage(picture, p) != ctl;
    f.originalChanges = originalSizeRect(picture, p) != ctl;
    return f;
}

} // namespace imaging::ui
