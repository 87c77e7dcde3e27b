// The device search the window and `--list-cameras` run, against its anchor, on a umockdev
// testbed of ten UVC cameras (each with its metadata node: twenty video4linux nodes):
//   ours:   the udev search with each node's identity and capture formats (open, QUERYCAP,
//           ENUM_FMT, close), the device table with every camera offered, and the menu captions;
//   anchor: a bare libudev enumeration of video4linux plus one open, VIDIOC_QUERYCAP and close per node.
// The ioctls are answered by the testbed's handler thread, as the kernel would answer them.
#include "mockdevices.h"
#include "preload.h"
#include "ratio.h"

#include "camera/devicetable.h"
#include "platform/diagnosticslog.h"
#include "platform/udev/udevdevicemonitor.h"

#include <QCoreApplication>

#include <fcntl.h>
#include <libudev.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace {

constexpr int kCameras = 10;

struct TenCameras {
    TenCameras()
    {
        for (int i = 0; i < kCameras; ++i) {
            capture.push_back(std::make_unique<devtest::V4l2Mock>());
            metadata.push_back(std::make_unique<devtest::V4l2Mock>());
            devtest::V4l2Mock::makeUvcMicroscope(*capture.back());
            devtest::V4l2Mock::makeMetadataNode(*metadata.back());
            bed.addCamera(QStringLiteral("1-%1").arg(i + 1), QStringLiteral("0c45"), QStringLiteral("636b"),
                          QStringLiteral("MS-%1").arg(i), 2 * i, *capture.back(), *metadata.back(), QStringLiteral("USB Microscope"));
        }
    }
    devtest::Testbed bed;
    std::vector<std::unique_ptr<devtest::V4l2Mock>> capture, metadata;
};

// The anchor: what any program that lists V4L2 devices has to do at least.
int bareEnumerationWithQuerycap(udev *context)
{
    int capturing = 0;
    udev_enumerate *e = udev_enumerate_new(context);
    udev_enumerate_add_match_subsystem(e, "video4linux");
    udev_enumerate_scan_devices(e);
    for (udev_list_entry *item = udev_enumerate_get_list_entry(e); item; item = udev_list_entry_get_next(item)) {
        udev_device *dev = udev_device_new_from_syspath(context, udev_list_entry_get_name(item));
        if (const char *node = dev ? udev_device_get_devnode(dev) : nullptr) {
            const int fd = open(node, O_RDWR | O_NONBLOCK | O_CLOEXEC);
            v4l2_capability cap{};
            if (fd >= 0 && ioctl(fd, VIDIOC_QUERYCAP, &cap) == 0 && (cap.device_caps & V4L2_CAP_VIDEO_CAPTURE))
                ++capturing;
            if (fd >= 0)
                close(fd);
        }
        if (dev)
            udev_device_unref(dev);
    }
    udev_enumerate_unref(e);
    return capturing;
}

void ListTenCameras(benchmark::State &state)
{
    TenCameras desk;
    platform::DiagnosticsLog log;
    platform::UdevDeviceMonitor monitor(log);
    udev *context = udev_new();
    camera::DeviceTable table;
    table.setShowAllCameras(true);
    std::size_t listed = 0;
    int anchored = 0;
    bench::measureRatio(
        state,
        [&] {
            table.SearchDevice(monitor.enumerate());
            listed = camera::deviceMenuEntries(table).size();
            benchmark::DoNotOptimize(listed);
        },
        [&] { benchmark::DoNotOptimize(anchored = bareEnumerationWithQuerycap(context)); });
    udev_unref(context);
    if (listed != kCameras || anchored != kCameras)
        state.SkipWithError("the testbed did not list ten capture nodes");
}
BENCHMARK(ListTenCameras)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace

int main(int argc, char **argv)
{
    devtest::startUnderUmockdevPreload(argv);
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
