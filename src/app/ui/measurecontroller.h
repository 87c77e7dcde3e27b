#pragma once

#include "app/ui/feature.h"
#include "state/globalvar.h"

#include <QObject>
#include <QPoint>

#include <functional>

class QColor;
class QMenu;

namespace camera {
class TVideoCameraDS;
namespace ui {
class VideoWidget;
}
} // namespace camera

namespace measure {
class MeasuringSurface;
}

namespace app::ui {

class LayoutController;
class Shell;

// The main window's measuring side: the drawing surface over the live picture, the draw tool
// bar (shape tools, overlap, undo and redo, pen style, colour, clear) and the double-click toggle
// of "Full Screen (4:3)". UI thread only.
class MeasureController final : public QObject, public Feature
{
    Q_OBJECT
public:
    MeasureController(Shell &shell, LayoutController &layout, camera::TVideoCameraDS &camera,
                      camera::ui::VideoWidget &video, QObject *parent = nullptr);
    ~MeasureController() override;

    measure::MeasuringSurface &surface() { return *surface_; }
    QMenu *drawStyleMenu() const { return drawStyleMenu_; }

    // The draw mode button went down or up.
    void setDrawMode(bool on);
    // Leaving draw for compare or cross clears the drawing.
    void leaveDrawMode(int newMode);

    void readInputs(ActionInputs &in) const override;
    void applyRules(const ActionInputs &in, ActionState &s) const override;
    void leaveLiveMode(int oldMode, int newMode) override;
    void enterLiveMode(int mode) override { setDrawMode(mode == state::kLiveDraw); }
    void videoAreaChanged() override;

    // The colour button: the colour dialog, opened at the pen's colour; the choice (unless
    // cancelled) becomes the pen's colour.
    void DrawRulerTB_SetColorClick();
    // Asks for a colour starting at `initial`; an invalid colour means cancelled. Default: Qt's
    // colour dialog over the main window; tests answer instead.
    std::function<QColor(const QColor &initial)> pickColour;

private:
    void onConnected(bool connected);
    void refreshFlags();
    void showLayer();
    void buildDrawToolBar();

    Shell &shell_;
    LayoutController &layout_;
    camera::TVideoCameraDS &camera_;
    camera::ui::VideoWidget &video_;
    measure::MeasuringSurface *surface_ = nullptr;
    QMenu *drawStyleMenu_ = nullptr;
    bool drawMode_ = false;
};

} // namespace app::ui
