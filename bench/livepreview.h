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
#include <cstdint>

namespace bench {

// SENDRA_BENCH_LIVE_SECONDS, 60 by default.
inline int runSeconds()
{
    bool ok = false;
    const int s = qEnvironmentVariableIntValue("SENDRA_BENCH_LIVE_SECONDS", &ok);
    return ok && s > 0 ? s : 60;
}

// What one live run counted: process CPU, its length, frames sent by the camera, decoded and
// shown, and when it recorded, the frames handed to the file, written, and found in it (-1: the
// file could not be read). Runs add up round by round.
struct LiveRun {
    double cpu = 0, seconds = 0;
    std::uint64_t sent = 0, decoded = 0, shown = 0;
    std::uint64_t recordedIn = 0, recordedWritten = 0;
    int framesInFile = 0;
    LiveRun &operator+=(const LiveRun &o)
    {
        cpu += o.cpu;
        seconds += o.seconds;
        sent += o.sent;
        decoded += o.decoded;
        shown += o.shown;
        recordedIn += o.recordedIn;
        recordedWritten += o.recordedWritten;
        framesInFile = framesInFile < 0 || o.framesInFile < 0 ? -1 : framesInFile + o.framesInFile;
        return *this;
    }
};

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
// runSeconds() split between the rounds, and adds up each side's rounds.
template <class Ours, class Anchor>
void alternateRuns(LiveRun &ours, LiveRun &anchor, Ours &&runOurs, Anchor &&runAnchor)
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
