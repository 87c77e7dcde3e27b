#pragma once

// Made-up hardware for the device layer: a umockdev testbed (sysfs, /dev nodes, uevents, evdev
// replay) and a V4L2 driver answering ioctls like a typical UVC microscope. The process must run
// with libumockdev-preload loaded (main() sees to it), so the real libudev and the real open()
// and ioctl() calls of the code under test land here.

#include <QString>

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;

namespace devtest {

struct MockControl {
    std::uint32_t id = 0;
    std::string name;
    std::uint32_t type = 1;   // V4L2_CTRL_TYPE_INTEGER
    int minimum = 0, maximum = 0, step = 1, defaultValue = 0;
    int value = 0;
    std::uint32_t flags = 0;
    std::vector<std::pair<int, std::string>> menu;   // index, name; missing indices are holes
};

struct MockSize {
    int width = 0, height = 0;
    std::vector<std::pair<int, int>> intervals;   // numerator/denominator seconds per frame
};

struct MockFormat {
    std::uint32_t fourcc = 0;
    std::string description;
    bool compressed = false;
    std::vector<MockSize> sizes;
    bool stepwise = false;   // sizes[0] is the minimum, sizes[1] the maximum
};

// One V4L2 node's driver. Its handlers run on umockdev's worker thread while the caller waits in
// ioctl(), so the state is behind a mutex for the test thread to read.
class V4l2Mock
{
public:
    V4l2Mock();
    ~V4l2Mock();
    V4l2Mock(const V4l2Mock &) = delete;
    V4l2Mock &operator=(const V4l2Mock &) = delete;

    // YUYV 640x480, 800x600, 1280x1024 and MJPG 1600x1200, 1600x900, 640x480; brightness -64..64
    // (0), contrast 0..95 (32), saturation, white balance with its automatic switch, exposure
    // automatic (aperture priority) or manual with an absolute time.
    static void makeUvcMicroscope(V4l2Mock &m);
    // A UVC metadata node: answers QUERYCAP without capture capability.
    static void makeMetadataNode(V4l2Mock &m);
    // A loopback device nobody feeds (v4l2loopback without exclusive_caps): its node claims both
    // capture and output, but lists no capture format until a writer sets one.
    static void makeLoopbackOutput(V4l2Mock &m);

    // The model; set before the code under test opens the node.
    std::string card = "USB2.0 Microscope";
    bool capture = true;
    std::uint32_t deviceCaps = 0;   // QUERYCAP's device_caps when set; else from `capture`
    int queryCapErrno = 0;          // QUERYCAP fails with this
    std::vector<MockFormat> formats;
    std::uint32_t currentFourcc = 0;
    std::vector<MockControl> controls;
    bool extendedQueries = true;   // VIDIOC_QUERY_EXT_CTRL; many UVC drivers know only QUERYCTRL
    int setControlErrno = 0;       // S_CTRL fails with this (ENODEV: unplugged mid-change)
    int setFormatErrno = 0;        // S_FMT/REQBUFS fail with this (EBUSY: another program streams)
    // Broken drivers: a size list without end, a control list that keeps answering its first control.
    bool endlessSizes = false;
    bool stuckControlList = false;
    // Frames through read() instead of mapped buffers (which a testbed cannot share): the node
    // reports read/write I/O and no streaming, so v4l2src reads grey YUYV frames of the format
    // last set, about 30 a second.
    bool readFrames = false;

    int value(std::uint32_t id) const;
    bool saw(unsigned long request) const;
    int setCount(std::uint32_t id) const;
    int framesRead() const;
    // The format of the last VIDIOC_S_FMT: code, width, height (all 0 before one).
    std::tuple<std::uint32_t, int, int> formatSet() const;

    UMockdevIoctlBase *handler() const { return handler_; }

private:
    static int onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *self);
    static int onRead(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *self);
    bool handle(UMockdevIoctlClient *client);
    bool read(UMockdevIoctlClient *client);
    MockControl *find(std::uint32_t id);
    const MockControl *next(std::uint32_t after) const;

    UMockdevIoctlBase *handler_ = nullptr;
    mutable std::mutex mutex_;
    std::set<unsigned long> seen_;
    std::vector<std::pair<std::uint32_t, int>> sets_;
    std::uint32_t setFourcc_ = 0;
    int setWidth_ = 0, setHeight_ = 0;
    int framesRead_ = 0;
};

// A testbed that lives as long as the object; UMOCKDEV_DIR points at it meanwhile.
class Testbed
{
public:
    Testbed();
    ~Testbed();
    Testbed(const Testbed &) = delete;
    Testbed &operator=(const Testbed &) = delete;

    // A USB device (devtype usb_device) named like the kernel does ("1-1"); returns its sysfs path.
    // `vid`/`pid` are written as given, so upper-case ids can be tried.
    QString addUsbDevice(const QString &name, const QString &vid, const QString &pid, const QString &serial = {});
    // /dev/video<number> on interface 0 of `usb`, answered by `driver` when given. `product` is
    // the udev property ID_V4L_PRODUCT (none when empty).
    QString addVideoNode(const QString &usb, int number, V4l2Mock *driver, const QString &product = {});
    // /dev/video<number> that is not on USB (a loopback device under /devices/virtual).
    QString addVirtualVideoNode(int number, V4l2Mock *driver, const QString &product = {});
    // A node is a pty in a testbed: its reader's poll() waits for the other end. One byte there
    // (never read: read() goes to the driver) makes the node ready for good, as a streaming
    // camera's node is; the driver's read() sets the pace.
    bool makeReadable(const QString &devnode);
    // A sysfs attribute of a device, e.g. "removable" = "fixed" for a laptop's own webcam.
    void setAttribute(const QString &sysPath, const char *name, const QString &value);
    // /dev/input/event<number> on interface 0 of `usb`. Without a node file it is listed by udev but
    // cannot be opened (as with root-only /dev/input).
    QString addInputNode(const QString &usb, int number, bool withNodeFile = true);
    // A USB camera with a capture node and a metadata node (the way uvcvideo exposes one).
    struct Camera {
        QString usb, capture, metadata, input;
        QString captureNode;
    };
    Camera addCamera(const QString &usbName, const QString &vid, const QString &pid, const QString &serial, int firstNode,
                     V4l2Mock &captureDriver, V4l2Mock &metadataDriver, const QString &product, int inputNumber = -1);

    void uevent(const QString &sysPath, const char *action);
    // Sends "remove" for the device and its children (deepest first) and takes them out of sysfs.
    void unplug(const QStringList &sysPathsDeepestFirst);
    // Replays evemu "E:" lines on an input node (its reader sees them as kernel events).
    bool replayEvents(const QString &devnode, const QString &evemuLines);

    QString rootDir() const;

private:
    // A video4linux node at the sysfs `path` (below /devices), answered by `driver` when given.
    QString addNodeAt(const QString &path, int number, V4l2Mock *driver, const QString &product);

    UMockdevTestbed *bed_ = nullptr;
    std::vector<QString> scratch_;
};

// evemu lines for the camera key: value 1 press, 2 auto-repeat, 0 release; one SYN after each.
QString keyEvents(const std::vector<int> &values);

} // namespace devtest
