#include "mockdevices.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <umockdev.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <linux/input.h>
#include <linux/videodev2.h>
#include <stdexcept>
#include <unistd.h>

namespace devtest {
namespace {

// Fixed-size, zero-filled driver strings (some sit in packed structs: no references to them).
void copyText(void *to, std::size_t size, const std::string &text)
{
    std::memset(to, 0, size);
    std::memcpy(to, text.data(), std::min(size - 1, text.size()));
}
#define COPY_TEXT(field, text) copyText(&(field), sizeof(field), text)

MockFormat format(const char *code, const char *description, bool compressed, std::vector<MockSize> sizes)
{
    MockFormat f;
    f.fourcc = v4l2_fourcc(code[0], code[1], code[2], code[3]);
    f.description = description;
    f.compressed = compressed;
    f.sizes = std::move(sizes);
    return f;
}

} // namespace

V4l2Mock::V4l2Mock()
{
    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&V4l2Mock::onIoctl), this);
    g_signal_connect(handler_, "handle-read", G_CALLBACK(&V4l2Mock::onRead), this);
}

// The testbed keeps its own reference to the handler: a late ioctl must not reach a dead driver.
V4l2Mock::~V4l2Mock()
{
    g_signal_handlers_disconnect_by_data(handler_, this);
    g_object_unref(handler_);
}

void V4l2Mock::makeUvcMicroscope(V4l2Mock &m)
{
    const std::vector<std::pair<int, int>> fast{{1, 30}, {1, 15}}, slow{{1, 10}, {1, 5}};
    m.formats = {format("YUYV", "YUYV 4:2:2", false, {{640, 480, fast}, {800, 600, fast}, {1280, 1024, slow}}),
                 format("MJPG", "Motion-JPEG", true, {{1600, 1200, fast}, {1600, 900, fast}, {640, 480, fast}})};
    m.currentFourcc = m.formats.front().fourcc;
    MockControl brightness{V4L2_CID_BRIGHTNESS, "Brightness", V4L2_CTRL_TYPE_INTEGER, -64, 64, 1, 0, 0, 0, {}};
    MockControl contrast{V4L2_CID_CONTRAST, "Contrast", V4L2_CTRL_TYPE_INTEGER, 0, 95, 1, 32, 32, 0, {}};
    MockControl saturation{V4L2_CID_SATURATION, "Saturation", V4L2_CTRL_TYPE_INTEGER, 0, 100, 1, 64, 64, 0, {}};
    MockControl awb{V4L2_CID_AUTO_WHITE_BALANCE, "White Balance, Automatic", V4L2_CTRL_TYPE_BOOLEAN, 0, 1, 1, 1, 1, 0, {}};
    MockControl wb{V4L2_CID_WHITE_BALANCE_TEMPERATURE, "White Balance Temperature", V4L2_CTRL_TYPE_INTEGER,
                   2800, 6500, 10, 4600, 4600, V4L2_CTRL_FLAG_INACTIVE, {}};
    // UVC cameras offer manual (1) and aperture priority (3) only.
    MockControl exposureAuto{V4L2_CID_EXPOSURE_AUTO, "Auto Exposure", V4L2_CTRL_TYPE_MENU, 0, 3, 1, 3, 3, 0,
                             {{1, "Manual Mode"}, {3, "Aperture Priority Mode"}}};
    MockControl exposure{V4L2_CID_EXPOSURE_ABSOLUTE, "Exposure Time, Absolute", V4L2_CTRL_TYPE_INTEGER, 3, 2047, 1,
                         250, 250, V4L2_CTRL_FLAG_INACTIVE, {}};
    m.controls = {brightness, contrast, saturation, awb, wb, exposureAuto, exposure};
}

void V4l2Mock::makeMetadataNode(V4l2Mock &m)
{
    m.capture = false;
    m.formats.clear();
    m.controls.clear();
}

void V4l2Mock::makeLoopbackOutput(V4l2Mock &m)
{
    m.card = "Dummy video device (0x0000)";
    m.deviceCaps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_READWRITE | V4L2_CAP_STREAMING;
    m.formats.clear();
    m.controls.clear();
}

int V4l2Mock::value(std::uint32_t id) const
{
    std::lock_guard lock(mutex_);
    for (const MockControl &c : controls)
        if (c.id == id)
            return c.value;
    throw std::out_of_range("no such control");
}

bool V4l2Mock::saw(unsigned long request) const
{
    std::lock_guard lock(mutex_);
    return seen_.count(request) > 0;
}

int V4l2Mock::setCount(std::uint32_t id) const
{
    std::lock_guard lock(mutex_);
    return int(std::count_if(sets_.begin(), sets_.end(), [id](const auto &s) { return s.first == id; }));
}

int V4l2Mock::framesRead() const
{
    std::lock_guard lock(mutex_);
    return framesRead_;
}

std::tuple<std::uint32_t, int, int> V4l2Mock::formatSet() const
{
    std::lock_guard lock(mutex_);
    return {setFourcc_, setWidth_, setHeight_};
}

int V4l2Mock::onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *self)
{
    return static_cast<V4l2Mock *>(self)->handle(client);
}

int V4l2Mock::onRead(UMockdevIoctlBase *, UMockdevIoctlClient *client, void *self)
{
    return static_cast<V4l2Mock *>(self)->read(client);
}

// umockdev worker thread. One grey YUYV frame of the format set, at most as much as asked for.
bool V4l2Mock::read(UMockdevIoctlClient *client)
{
    UMockdevIoctlData *arg = umockdev_ioctl_client_get_arg(client);
    std::vector<guint8> frame;
    {
        std::lock_guard lock(mutex_);
        if (!readFrames || setFourcc_ != V4L2_PIX_FMT_YUYV) {
            umockdev_ioctl_client_complete(client, -1, EINVAL);
            return true;
        }
        frame.assign(std::min<std::size_t>(std::size_t(arg->data_len), std::size_t(setWidth_) * setHeight_ * 2), 0x80);
        ++framesRead_;
    }
    // The pace of a camera, so that the reader does not spin; only this node's reads wait.
    g_usleep(30000);
    umockdev_ioctl_data_update(arg, 0, frame.data(), int(frame.size()));
    umockdev_ioctl_client_complete(client, long(frame.size()), 0);
    return true;
}

MockControl *V4l2Mock::find(std::uint32_t id)
{
    for (MockControl &c : controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

const MockControl *V4l2Mock::next(std::uint32_t after) const
{
    if (stuckControlList && !controls.empty())
        return &controls.front();
    const MockControl *best = nullptr;
    for (const MockControl &c : controls)
        if (c.id > after && (!best || c.id < best->id))
            best = &c;
    return best;
}

// umockdev worker thread.
bool V4l2Mock::handle(UMockdevIoctlClient *client)
{
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData *arg = umockdev_ioctl_client_get_arg(client);
    auto data = [&]<typename T>(T *) -> T * {
        GError *error = nullptr;
        UMockdevIoctlData *d = umockdev_ioctl_data_resolve(arg, 0, sizeof(T), &error);
        if (!d) {
            g_clear_error(&error);
            return nullptr;
        }
        return reinterpret_cast<T *>(d->data);
    };
    auto done = [&](int error) {
        umockdev_ioctl_client_complete(client, error ? -1 : 0, error);
        return true;
    };

    std::lock_guard lock(mutex_);
    seen_.insert(request);
    switch (request) {
    case VIDIOC_QUERYCAP: {
        if (queryCapErrno)
            return done(queryCapErrno);
        auto *cap = data((v4l2_capability *)nullptr);
        COPY_TEXT(cap->driver, "uvcvideo");
        COPY_TEXT(cap->card, card);
        COPY_TEXT(cap->bus_info, "usb-0000:00:14.0-1");
        cap->version = 0x060100;
        cap->device_caps = deviceCaps   ? deviceCaps
                           : readFrames ? V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_READWRITE
                                        : (capture ? V4L2_CAP_VIDEO_CAPTURE : V4L2_CAP_META_CAPTURE) | V4L2_CAP_STREAMING;
        cap->capabilities = cap->device_caps | V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE | V4L2_CAP_DEVICE_CAPS;
        return done(0);
    }
    case VIDIOC_ENUM_FMT: {
        auto *d = data((v4l2_fmtdesc *)nullptr);
        if (!capture || d->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || d->index >= formats.size())
            return done(EINVAL);
        const MockFormat &f = formats[d->index];
        d->pixelformat = f.fourcc;
        d->flags = f.compressed ? V4L2_FMT_FLAG_COMPRESSED : 0;
        COPY_TEXT(d->description, f.description);
        return done(0);
    }
    case VIDIOC_ENUM_FRAMESIZES: {
        auto *d = data((v4l2_frmsizeenum *)nullptr);
        auto f = std::find_if(formats.begin(), formats.end(), [&](const MockFormat &x) { return x.fourcc == d->pixel_format; });
        if (f == formats.end())
            return done(EINVAL);
        if (f->stepwise) {
            if (d->index != 0)
                return done(EINVAL);
            d->type = V4L2_FRMSIZE_TYPE_STEPWISE;
            d->stepwise = {__u32(f->sizes[0].width), __u32(f->sizes[1].width), 8,
                           __u32(f->sizes[0].height), __u32(f->sizes[1].height), 8};
            return done(0);
        }
        if (d->index >= f->sizes.size() && !endlessSizes)
            return done(EINVAL);
        const MockSize &size = f->sizes[std::min<std::size_t>(d->index, f->sizes.size() - 1)];
        d->type = V4L2_FRMSIZE_TYPE_DISCRETE;
        d->discrete = {__u32(size.width), __u32(size.height)};
        return done(0);
    }
    case VIDIOC_ENUM_FRAMEINTERVALS: {
        auto *d = data((v4l2_frmivalenum *)nullptr);
        auto f = std::find_if(formats.begin(), formats.end(), [&](const MockFormat &x) { return x.fourcc == d->pixel_format; });
        if (f == formats.end())
            return done(EINVAL);
        const MockSize *size = nullptr;
        for (const MockSize &s : f->sizes)
            if (f->stepwise || (__u32(s.width) == d->width && __u32(s.height) == d->height)) {
                size = &s;
                break;
            }
        if (!size || d->index >= size->intervals.size())
            return done(EINVAL);
        d->type = V4L2_FRMIVAL_TYPE_DISCRETE;
        d->discrete = {__u32(size->intervals[d->index].first), __u32(size->intervals[d->index].second)};
        return done(0);
    }
    case VIDIOC_G_FMT:
    case VIDIOC_TRY_FMT:
    case VIDIOC_S_FMT: {
        auto *d = data((v4l2_format *)nullptr);
        if (!capture || d->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || formats.empty())
            return done(EINVAL);
        if (request == VIDIOC_S_FMT && setFormatErrno)
            return done(setFormatErrno);
        if (request == VIDIOC_G_FMT) {
            d->fmt.pix.pixelformat = setFourcc_ ? setFourcc_ : currentFourcc;
            d->fmt.pix.width = __u32(setFourcc_ ? setWidth_ : formats.front().sizes.front().width);
            d->fmt.pix.height = __u32(setFourcc_ ? setHeight_ : formats.front().sizes.front().height);
        }
        if (request == VIDIOC_S_FMT) {
            setFourcc_ = d->fmt.pix.pixelformat;
            setWidth_ = int(d->fmt.pix.width);
            setHeight_ = int(d->fmt.pix.height);
        }
        d->fmt.pix.field = V4L2_FIELD_NONE;
        d->fmt.pix.bytesperline = d->fmt.pix.width * 2;
        d->fmt.pix.sizeimage = d->fmt.pix.bytesperline * d->fmt.pix.height;
        d->fmt.pix.colorspace = V4L2_COLORSPACE_SRGB;
        return done(0);
    }
    case VIDIOC_REQBUFS:
        return done(setFormatErrno ? setFormatErrno : EINVAL);
    case VIDIOC_QUERYCTRL: {
        auto *q = data((v4l2_queryctrl *)nullptr);
        const std::uint32_t id = q->id & ~(V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND);
        const MockControl *c = (q->id & V4L2_CTRL_FLAG_NEXT_CTRL) ? next(id) : find(id);
        if (!c)
            return done(EINVAL);
        q->id = c->id;
        q->type = c->type;
        COPY_TEXT(q->name, c->name);
        q->minimum = c->minimum;
        q->maximum = c->maximum;
        q->step = c->step;
        q->default_value = c->defaultValue;
        q->flags = c->flags;
        return done(0);
    }
    case VIDIOC_QUERY_EXT_CTRL: {
        if (!extendedQueries)
            return done(ENOTTY);
        auto *q = data((v4l2_query_ext_ctrl *)nullptr);
        const std::uint32_t id = q->id & ~(V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND);
        const MockControl *c = (q->id & V4L2_CTRL_FLAG_NEXT_CTRL) ? next(id) : find(id);
        if (!c)
            return done(EINVAL);
        std::memset(q, 0, sizeof *q);
        q->id = c->id;
        q->type = c->type;
        COPY_TEXT(q->name, c->name);
        q->minimum = c->minimum;
        q->maximum = c->maximum;
        q->step = __u64(c->step);
        q->default_value = c->defaultValue;
        q->flags = c->flags;
        q->elem_size = 4;
        q->elems = 1;
        return done(0);
    }
    case VIDIOC_QUERYMENU: {
        auto *q = data((v4l2_querymenu *)nullptr);
        const MockControl *c = find(q->id);
        if (!c)
            return done(EINVAL);
        for (const auto &[index, name] : c->menu)
            if (__u32(index) == q->index) {
                COPY_TEXT(q->name, name);
                return done(0);
            }
        return done(EINVAL);
    }
    case VIDIOC_G_CTRL: {
        auto *v = data((v4l2_control *)nullptr);
        const MockControl *c = find(v->id);
        if (!c)
            return done(EINVAL);
        v->value = c->value;
        return done(0);
    }
    case VIDIOC_S_CTRL: {
        auto *v = data((v4l2_control *)nullptr);
        if (setControlErrno)
            return done(setControlErrno);
        MockControl *c = find(v->id);
        if (!c)
            return done(EINVAL);
        if (c->type == V4L2_CTRL_TYPE_MENU &&
            std::none_of(c->menu.begin(), c->menu.end(), [&](const auto &e) { return e.first == v->value; }))
            return done(EINVAL);
        c->value = std::clamp(v->value, c->minimum, std::max(c->minimum, c->maximum));
        v->value = c->value;
        sets_.emplace_back(c->id, c->value);
        return done(0);
    }
    default:
        return done(ENOTTY);
    }
}

// ---- testbed ------------------------------------------------------------------------------------

Testbed::Testbed() { bed_ = umockdev_testbed_new(); }

Testbed::~Testbed() { g_object_unref(bed_); }

QString Testbed::rootDir() const
{
    gchar *dir = umockdev_testbed_get_root_dir(bed_);
    const QString s = QString::fromUtf8(dir);
    g_free(dir);
    return s;
}

namespace {

const QString kBus = QStringLiteral("/devices/pci0000:00/0000:00:14.0/usb1/");

void add(UMockdevTestbed *bed, const QString &record)
{
    GError *error = nullptr;
    if (!umockdev_testbed_add_from_string(bed, record.toUtf8().constData(), &error)) {
        const std::string message = error ? error->message : "unknown";
        g_clear_error(&error);
        throw std::runtime_error("umockdev record refused: " + message);
    }
}

QString devicesPath(const QString &sysPath) { return sysPath.mid(4); }   // without "/sys"


} // namespace

QString Testbed::addUsbDevice(const QString &name, const QString &vid, const QString &pid, const QString &serial)
{
    QString record = QStringLiteral("P: %1%2\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nA: idVendor=%3\nA: idProduct=%4\n")
                         .arg(kBus, name, vid, pid);
    if (!serial.isEmpty())
        record += QStringLiteral("A: serial=%1\n").arg(serial);
    add(bed_, record + QStringLiteral("\nP: %1%2/%2:1.0\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n").arg(kBus, name));
    return QStringLiteral("/sys") + kBus + name;
}

QString Testbed::addVideoNode(const QString &usb, int number, V4l2Mock *driver, const QString &product)
{
    const QString name = usb.section(u'/', -1);
    return addNodeAt(QStringLiteral("%1/%2:1.0/video4linux/video%3").arg(devicesPath(usb), name).arg(number), number,
                     driver, product);
}

QString Testbed::addVirtualVideoNode(int number, V4l2Mock *driver, const QString &product)
{
    return addNodeAt(QStringLiteral("/devices/virtual/video4linux/video%1").arg(number), number, driver, product);
}

QString Testbed::addNodeAt(const QString &path, int number, V4l2Mock *driver, const QString &product)
{
    QString record = QStringLiteral("P: %1\nN: video%2\nE: SUBSYSTEM=video4linux\nE: DEVNAME=/dev/video%2\nA: dev=81:%2\n")
                         .arg(path)
                         .arg(number);
    if (!product.isEmpty())
        record += QStringLiteral("E: ID_V4L_PRODUCT=%1\n").arg(product);
    add(bed_, record);
    if (driver) {
        GError *error = nullptr;
        const QByteArray node = QStringLiteral("/dev/video%1").arg(number).toUtf8();
        if (!umockdev_testbed_attach_ioctl(bed_, node.constData(), driver->handler(), &error)) {
            g_clear_error(&error);
            throw std::runtime_error("cannot attach the V4L2 driver");
        }
    }
    return QStringLiteral("/sys") + path;
}

bool Testbed::makeReadable(const QString &devnode)
{
    const int fd = umockdev_testbed_get_dev_fd(bed_, devnode.toUtf8().constData());
    return fd >= 0 && ::write(fd, "r", 1) == 1;
}

void Testbed::setAttribute(const QString &sysPath, const char *name, const QString &value)
{
    umockdev_testbed_set_attribute(bed_, sysPath.toUtf8().constData(), name, value.toUtf8().constData());
}

QString Testbed::addInputNode(const QString &usb, int number, bool withNodeFile)
{
    const QString name = usb.section(u'/', -1);
    const QString input = QStringLiteral("%1/%2:1.0/input/input%3").arg(devicesPath(usb), name).arg(number);
    add(bed_, QStringLiteral("P: %1\nE: SUBSYSTEM=input\nE: ID_INPUT_KEY=1\n").arg(input));
    const QString event = QStringLiteral("%1/event%2").arg(input).arg(number);
    QString record = QStringLiteral("P: %1\n").arg(event);
    if (withNodeFile)
        record += QStringLiteral("N: input/event%1\n").arg(number);
    record += QStringLiteral("E: SUBSYSTEM=input\nE: DEVNAME=/dev/input/event%1\nA: dev=13:%2\n").arg(number).arg(64 + number);
    add(bed_, record);
    return QStringLiteral("/sys") + event;
}

Testbed::Camera Testbed::addCamera(const QString &usbName, const QString &vid, const QString &pid, const QString &serial,
                                   int firstNode, V4l2Mock &captureDriver, V4l2Mock &metadataDriver,
                                   const QString &product, int inputNumber)
{
    Camera c;
    c.usb = addUsbDevice(usbName, vid, pid, serial);
    c.capture = addVideoNode(c.usb, firstNode, &captureDriver, product);
    c.metadata = addVideoNode(c.usb, firstNode + 1, &metadataDriver, product);
    c.captureNode = QStringLiteral("/dev/video%1").arg(firstNode);
    if (inputNumber >= 0)
        c.input = addInputNode(c.usb, inputNumber);
    return c;
}

void Testbed::uevent(const QString &sysPath, const char *action)
{
    umockdev_testbed_uevent(bed_, sysPath.toUtf8().constData(), action);
}

void Testbed::unplug(const QStringList &sysPathsDeepestFirst)
{
    for (const QString &p : sysPathsDeepestFirst)
        uevent(p, "remove");
    for (const QString &p : sysPathsDeepestFirst)
        umockdev_testbed_remove_device(bed_, p.toUtf8().constData());
}

bool Testbed::replayEvents(const QString &devnode, const QString &evemuLines)
{
    const QString file = QDir(rootDir()).filePath(QStringLiteral("events%1.evemu").arg(scratch_.size()));
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(evemuLines.toUtf8()) < 0)
        return false;
    f.close();
    scratch_.push_back(file);
    GError *error = nullptr;
    const bool ok = umockdev_testbed_load_evemu_events(bed_, devnode.toUtf8().constData(), file.toUtf8().constData(), &error);
    g_clear_error(&error);
    return ok;
}

QString keyEvents(const std::vector<int> &values)
{
    QString lines;
    int ms = 0;
    for (int v : values) {
        const QString t = QStringLiteral("%1.%2").arg(ms / 1000).arg((ms % 1000) * 1000, 6, 10, QLatin1Char('0'));
        lines += QStringLiteral("E: %1 %2 %3 %4\n").arg(t).arg(EV_KEY, 4, 16, QLatin1Char('0')).arg(KEY_CAMERA, 4, 16, QLatin1Char('0')).arg(v, 4, 10, QLatin1Char('0'));
        lines += QStringLiteral("E: %1 0000 0000 0000\n").arg(t);
        ms += 10;
    }
    return lines;
}

} // namespace devtest
