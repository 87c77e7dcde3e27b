// Snapshot to a JPEG file at 1600 x 1200: the camera component's VideoSnapShot from the live
// virtual camera (MJPG, decoded by the real pipeline) plus SaveJpgFile at quality 90, against a
// bare tjCompress2 of the same frame plus its write(). Goal: at most 1.15 times the anchor.
#include "freshfiles.h"
#include "ratio.h"

#include "camera/videocamerads.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/gstinit.h"
#include "platform/gst/systemmediabackend.h"
#include "platform/gst/virtualcamera.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <turbojpeg.h>

namespace {

void SnapshotToJpegFile1600x1200(benchmark::State &state)
{
    platform::DiagnosticsLog log;
    platform::VirtualCameraRig rig(*platform::VirtualCameraOptions::parse(QStringLiteral("1")), log);
    platform::SystemMediaBackend backend(log, &rig);
    camera::TVideoCameraDS cam(backend, log);
    cam.SetPreviewDefalutState(1, true);   // the MJPG preview: 1600 x 1200
    bool found = false;
    if (cam.SearchDevice())
        for (int slot = cam.deviceTable().deviceCount() - 1; slot >= 0 && !found; --slot)
            if (cam.deviceTable().slotIsSupported(slot) && platform::VirtualCameraRig::isVirtual(cam.deviceTable().record(slot))) {
                cam.SetDeviceIndex(slot);
                found = true;
            }
    if (!found || !cam.DeviceConnect()) {
        state.SkipWithError("the virtual camera did not start");
        return;
    }
    QSignalSpy frames(&cam, &camera::TVideoCameraDS::frameReady);
    if (!frames.wait(5000) || cam.latestFrame().image.size() != QSize(1600, 1200)) {
        state.SkipWithError("no 1600 x 1200 frame");
        return;
    }
    bench::FreshFiles files(QStringLiteral("jpg"));
    tjhandle tj = tjInitCompress();
    bench::measureRatio(
        state,
        [&] {
            platform::Bitmap shot;
            cam.VideoSnapShot(shot, 0);
            cam.SaveJpgFile(files.ours(), shot);
        },
        [&] {
            const QImage &frame = cam.latestFrame().image;
            unsigned char *out = nullptr;
            unsigned long size = 0;
            tjCompress2(tj, frame.constBits(), frame.width(), int(frame.bytesPerLine()), frame.height(), TJPF_BGRX, &out,
                        &size, TJSAMP_420, 90, 0);
            bench::writeBytes(files.anchor(), out, size);
            tjFree(out);
            QCoreApplication::processEvents();   // new frames keep arriving, as in the program
        });
    tjDestroy(tj);
}
BENCHMARK(SnapshotToJpegFile1600x1200)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::initGStreamer();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
