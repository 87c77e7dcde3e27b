#pragma once

// What the live-path benchmarks share: the length of a run, the process's CPU time, a wait that
// keeps the event loop turning, and the virtual camera found, selected and connected.
#include "camera/videocamerads.h"
#include "platform/gst/virtualcamera.h"

#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

namespace bench {

// SENDRA_BENCH_LIVE_SECONDS, 60 by default.
inline int runSeconds()
{
    bool ok = false;
    const int s = qEnvironmentVariableIntValue("SENDRA_BENCH_LIVE_SECONDS", &ok);
    return ok && s > 0 ? s : 60;
}

inline double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

inline void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Searches the devices, selects the virtual camera and connects to it.
inline bool connectVirtualCamera(camera::TVideoCameraDS &cam)
{
    if (!cam.SearchDevice())
        return false;
    for (int slot = 0; slot < camera::DeviceTable::kSlots; ++slot)
        if (cam.deviceTable().slotIsSupported(slot) && platform::VirtualCameraRig::isVirtual(cam.deviceTable().record(slot)))
            cam.SetDeviceIndex(slot);
    return cam.DeviceConnect();
}

} // namespace bench
