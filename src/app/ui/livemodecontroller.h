#pragma once

#include "feature/feature.h"

#include <QObject>

namespace app::ui {

class Shell;

// The four live-mode buttons below the video (comparison, reticle, picture controls, drawing)
// and the comparison and reticle tool bars they show. The only writer of LiveMode and
// OverlayMode; entering and leaving a mode is passed on to every feature. UI thread.
class LiveModeController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    explicit LiveModeController(Shell &shell, QObject *parent = nullptr);

    void ChangeModeTB_Click(int mode);
    // Back to the start: compare down, the drawing tool bar's lock, load and overlap released.
    void resetModeButtons();
    // A comparison or reticle now covers the video (it can be built in the compare mode the
    // window starts in, before any mode button was pressed).
    void claimOverlay();

    void readInputs(feature::ActionInputs &in) const override;

private:
    Shell &shell_;
};

} // namespace app::ui
