#pragma once

#include "stack/ui/focusstackport.h"

namespace app::ui {
class CameraController;
class MeasureController;
class StillImageController;
} // namespace app::ui

namespace stack::ui {

// The port as the program answers it: frames from the camera, the scale from the measurement,
// saving and showing through the still image. UI thread.
class ProgramFocusStackPort final : public FocusStackPort
{
public:
    ProgramFocusStackPort(app::ui::CameraController &camera, app::ui::StillImageController &still,
                          app::ui::MeasureController &measure);

    platform::Bitmap liveFrame() override;
    platform::PictureMetadata currentCalibration(QSize picture) override;
    std::optional<QString> saveStack(const platform::Bitmap &picture, const platform::PictureMetadata &metadata) override;

private:
    app::ui::CameraController &camera_;
    app::ui::StillImageController &still_;
    app::ui::MeasureController &measure_;
};

} // namespace stack::ui
