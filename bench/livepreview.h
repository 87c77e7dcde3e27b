#pragma once

// What the live-path benchmarks share: the length of a run, the process's CPU time, a wait that
// keeps the event loop turning, the virtual camera found, selected and connected, and main().
#include "camera/videocamerads.h"
#include "platform/gst/gstinit.h"
#include "platform/gst/virtualcamera.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>

namespace bench {

// SENDRA_BENCH_LIVE_SECONDS, 60 by default.
inline int runSeconds()
{
    bool ok = false;
    const int s = qEnvironmentVariableIntValue("SENDRA_BENCH_LIVE_SECONDS", &ok);
    return ok && s > 0 ? s : 60;
}

// Each side's live run is made in this many alternating pieces (SENDRA_BENCH_LIVE_ROUNDS, 4 by
// default): a drift of the machine's speed over a minute (another guest on the host, a clock
// change) then weighs on both sides alike instead of on whichever side ran second.
inline int liveRounds()
{
    bool ok = false;
    const int r = qEnvironmentVariableIntValue("SENDRA_BENCH_LIVE_ROUNDS", &ok);
    return ok && r > 0 ? r : 4;
}

// Runs `runOurs` and `runAnchor` (each given its seconds) alternately, liveRounds() times each,
// runSeconds() split between the rounds, and adds up each side's rounds (Run::operator+=).
template <class Run, class Ours, class Anchor>
void alternateRuns(Run &ours, Run &anchor, Ours &&runOurs, Anchor &&runAnchor)
{
    const int rounds = liveRounds();
    const int seconds = std::max(1, runSeconds() / rounds);
    ours = {};
    anchor = {};
    for (int r = 0; r < rounds; ++r) {
        ours += runOurs(seconds);
        anchor += runAnchor(seconds);
    }
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

// The main() of a live-path benchmark: a widget application, offscreen unless a platform is
// set, at one device pixel per pixel, with GStreamer ready.
inline int runLiveBenchmarks(int argc, char **argv)
{
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::initGStreamer();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace bench
