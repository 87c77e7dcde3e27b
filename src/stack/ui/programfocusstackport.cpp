#include "programfocusstackport.h"

#include "app/ui/cameracontroller.h"
#include "app/ui/measurecontroller.h"
#include "app/ui/stillimagecontroller.h"
#include "camera/videocamerads.h"
#include "imaging/ui/stillimageview.h"
#include "measure/measurementpacket.h"
#include "measure/ui/measuringsurface.h"
#include "stack/stackfolder.h"

namespace stack::ui {

ProgramFocusStackPort::ProgramFocusStackPort(app::ui::CameraController &camera, app::ui::StillImageController &still,
                                             app::ui::MeasureController &measure)
    : camera_(camera), still_(still), measure_(measure)
{
}

platform::Bitmap ProgramFocusStackPort::liveFrame()
{
    camera::TVideoCameraDS &cam = camera_.camera();
    if (!cam.isConnected() || cam.isFrozen())
        return {};
    return cam.grabFrame();
}

platform::PictureMetadata ProgramFocusStackPort::currentCalibration(QSize picture)
{
    const std::optional<measure::MeasurementPacket> packet =
        measure::packetFor(measure_.surface().session().scale(), picture, {}, 0, 0);
    return packet ? measure::toMetadata(*packet) : platform::PictureMetadata{};
}

std::optional<QString> ProgramFocusStackPort::saveStack(const platform::Bitmap &picture,
                                                        const platform::PictureMetadata &metadata)
{
    if (!still_.saveToolPicture(picture, QLatin1String(kStackNamePrefix), metadata))
        return std::nullopt;
    return still_.view().hintPath();
}

} // namespace stack::ui
