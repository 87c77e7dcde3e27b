#include "virtualcamera.h"

#include "platform/diagnosticslog.h"
#include "platform/gst/gstptr.h"
#include "platform/gst/specimen.h"
#include "platform/gst/specimenpainter.h"
#include "platform/picturecodec.h"

#include <QSocketNotifier>

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kBrightnessDefault = 0;
constexpr int kContrastDefault = 32;
constexpr int kExposureDefault = 250;
constexpr int kFocusDefault = kSpecimenFocusSharp;

const char *const kSourceName = "camera-source";

} // namespace

// What a running source shows the specimen from: the appsrc that feeds it (raw and MJPG sources:
// imagefreeze repeats the newest picture pushed; pre-encoded: the repeater sends its JPEG), and
// the focus its picture was drawn at. The reference keeps the appsrc, and with it the repeater,
// alive until the feed is dropped.
struct VirtualCameraRig::Feed {
    GstPtr<GstElement> appsrc;
    JpegRepeater *repeater = nullptr;
    int width = 0;
    int height = 0;
    int focus = kFocusDefault;   // the focus last asked for
    int drawn = kFocusDefault;   // the focus of the picture the source sends
};

struct VirtualCameraRig::Camera {
    int index = 0;
    DeviceRecord record;
    std::map<std::uint32_t, int> values;
    std::vector<GstPtr<GstElement>> balances;   // videobalance of each running source
    std::vector<Feed> feeds;                    // the specimen feed of each running source
};

// ---------------------------------------------------------------------------------------------
class VirtualControlDevice final : public ControlDevice
{
public:
    VirtualControlDevice(VirtualCameraRig &rig, int camera) : rig_(rig), camera_(camera) {}

    std::vector<ControlInfo> controls() override
    {
        std::vector<ControlInfo> list;
        for (std::uint32_t id : {cid::Brightness, cid::Contrast, cid::ExposureAuto, cid::ExposureAbsolute, cid::FocusAbsolute})
            if (auto i = info(id))
                list.push_back(*i);
        return list;
    }

    std::optional<ControlInfo> info(std::uint32_t id) override
    {
        if (!rig_.plugged_)
            return std::nullopt;
        ControlInfo c;
        c.id = id;
        c.type = ControlType::Integer;
        switch (id) {
        case cid::Brightness:
            c.name = QStringLiteral("Brightness");
            c.minimum = -64, c.maximum = 64, c.defaultValue = kBrightnessDefault;
            break;
        case cid::Contrast:
            if (!rig_.options_.contrast)
                return std::nullopt;
            c.name = QStringLiteral("Contrast");
            c.minimum = 0, c.maximum = 95, c.defaultValue = kContrastDefault;
            break;
        case cid::ExposureAuto:
            c.name = QStringLiteral("Auto Exposure");
            c.type = ControlType::Menu;
            c.minimum = 0, c.maximum = 3, c.defaultValue = exposuremode::AperturePriority;
            c.menu = {{exposuremode::Manual, QStringLiteral("Manual Mode")},
                      {exposuremode::AperturePriority, QStringLiteral("Aperture Priority Mode")}};
            break;
        case cid::ExposureAbsolute:
            c.name = QStringLiteral("Exposure Time, Absolute");
            c.minimum = 3, c.maximum = 2047, c.defaultValue = kExposureDefault;
            c.inactive = value(cid::ExposureAuto) != exposuremode::Manual;
            break;
        case cid::FocusAbsolute:
            // The lens: a part of the specimen is sharp where the focus meets its height (50 on a
            // flat one) and blurs in proportion to the distance.
            c.name = QStringLiteral("Focus (absolute)");
            c.minimum = kSpecimenFocusMin, c.maximum = kSpecimenFocusMax, c.defaultValue = kFocusDefault;
            break;
        default:
            return std::nullopt;
        }
        return c;
    }

    std::optional<int> value(std::uint32_t id) override
    {
        auto &values = rig_.cameras_[std::size_t(camera_)]->values;
        auto it = values.find(id);
        if (!rig_.plugged_ || it == values.end() || (id == cid::Contrast && !rig_.options_.contrast))
            return std::nullopt;
        return it->second;
    }

    std::error_code setValue(std::uint32_t id, int v) override
    {
        const auto i = info(id);
        if (!i)
            return std::make_error_code(rig_.plugged_ ? std::errc::invalid_argument : std::errc::no_such_device);
        if (id == cid::ExposureAuto && v != exposuremode::Manual && v != exposuremode::AperturePriority)
            return std::make_error_code(std::errc::invalid_argument);
        if (id == cid::ExposureAbsolute && i->inactive)
            return std::make_error_code(std::errc::permission_denied);   // as uvcvideo answers in auto mode
        rig_.cameras_[std::size_t(camera_)]->values[id] = std::clamp(v, i->minimum, i->maximum);
        rig_.applyControls(camera_);
        return {};
    }

private:
    VirtualCameraRig &rig_;
    int camera_;
};

class VirtualStillButton final : public StillButton
{
public:
    VirtualStillButton(VirtualCameraRig &rig, int camera, std::function<void()> pressed)
        : rig_(rig), pressed_(std::move(pressed))
    {
        rig_.stillWatchers_.emplace_back(camera, &pressed_);
    }
    ~VirtualStillButton() override
    {
        std::erase_if(rig_.stillWatchers_, [this](const auto &w) { return w.second == &pressed_; });
    }

private:
    VirtualCameraRig &rig_;
    std::function<void()> pressed_;
};

// ---------------------------------------------------------------------------------------------
std::optional<VirtualCameraOptions> VirtualCameraOptions::parse(const QString &text)
{
    const QString t = text.trimmed().toLower();
    if (t.isEmpty() || t == QLatin1String("0"))
        return std::nullopt;
    VirtualCameraOptions o;
    for (const QString &word : t.split(u',', Qt::SkipEmptyParts)) {
        const QString w = word.trimmed();
        if (w == QLatin1String("two"))
            o.cameras = 2;
        else if (w == QLatin1String("decoy"))
            o.decoy = true;
        else if (w == QLatin1String("upper"))
            o.upperCasePath = true;
        else if (w == QLatin1String("nostill"))
            o.stillButton = false;
        else if (w == QLatin1String("nocontrast"))
            o.contrast = false;
        else if (w == QLatin1String("failopen"))
            o.failOpen = true;
        else if (w == QLatin1String("preencoded"))
            o.preEncoded = true;
        else if (w == QLatin1String("tilted"))
            o.relief = SpecimenRelief::Tilted;
    }
    return o;
}

std::optional<VirtualCameraOptions> VirtualCameraOptions::fromEnvironment()
{
    return parse(qEnvironmentVariable("SENDRA_CAM_VIRTUAL_CAMERA"));
}

VirtualCameraRig::VirtualCameraRig(VirtualCameraOptions options, DiagnosticsLog &log, QObject *parent)
    : QObject(parent), options_(options), log_(log)
{
    const int count = std::clamp(options_.cameras, 1, 2) + (options_.decoy ? 1 : 0);
    for (int i = 0; i < count; ++i) {
        auto c = std::make_unique<Camera>();
        c->index = i;
        const bool decoy = options_.decoy && i == count - 1;
        const QString tag = QStringLiteral("vcam%1").arg(i);
        c->record.devicePath = makeDevicePath(0xEB1A, decoy ? 0x9999 : 0x5060, tag, QStringLiteral("virtual"));
        if (options_.upperCasePath && i == 0)
            c->record.devicePath = c->record.devicePath.toUpper();
        c->record.friendlyName = QStringLiteral("Virtual USB Camera");
        c->record.devnode = QStringLiteral("virtual:%1").arg(i);
        c->values = {{cid::Brightness, kBrightnessDefault},
                     {cid::Contrast, kContrastDefault},
                     {cid::ExposureAuto, exposuremode::AperturePriority},
                     {cid::ExposureAbsolute, kExposureDefault},
                     {cid::FocusAbsolute, kFocusDefault}};
        cameras_.push_back(std::move(c));
    }
}

// The notifier goes before the descriptor it watches; the painter's thread is joined before the
// feeds it reports on go.
VirtualCameraRig::~VirtualCameraRig()
{
    delete fifoNotifier_;
    painter_.reset();
}

bool VirtualCameraRig::isVirtual(const DeviceRecord &device) { return device.devnode.startsWith(QLatin1String("virtual:")); }

int VirtualCameraRig::cameraIndex(const DeviceRecord &device) const
{
    for (const auto &c : cameras_)
        if (c->record.devnode == device.devnode)
            return c->index;
    return -1;
}

std::vector<DeviceRecord> VirtualCameraRig::devices() const
{
    std::vector<DeviceRecord> list;
    if (plugged_)
        for (const auto &c : cameras_)
            list.push_back(c->record);
    return list;
}

std::vector<PixelFormatInfo> VirtualCameraRig::formats(const DeviceRecord &device) const
{
    if (!plugged_ || cameraIndex(device) < 0)
        return {};
    const std::vector<FrameRate> rates{{kFramesPerSecond, 1}, {15, 1}};
    return {
        {kFourccYuyv, QStringLiteral("YUYV 4:2:2"), false, {{640, 480, rates}, {800, 600, rates}, {1280, 1024, rates}}},
        {kFourccMjpg, QStringLiteral("Motion-JPEG"), true, {{1600, 1200, rates}, {1600, 900, rates}}},
    };
}

std::unique_ptr<ControlDevice> VirtualCameraRig::openControls(const DeviceRecord &device)
{
    const int i = cameraIndex(device);
    if (i < 0 || !plugged_)
        return nullptr;
    return std::make_unique<VirtualControlDevice>(*this, i);
}

std::unique_ptr<StillButton> VirtualCameraRig::watchStillButton(const DeviceRecord &device, std::function<void()> pressed)
{
    const int i = cameraIndex(device);
    if (i < 0 || !options_.stillButton)
        return nullptr;
    return std::make_unique<VirtualStillButton>(*this, i, std::move(pressed));
}

GstElement *VirtualCameraRig::createPreEncodedSource(int camera, int width, int height, int fps, QString &why)
{
    const int focus = cameras_[std::size_t(camera)]->values[cid::FocusAbsolute];
    const QByteArray jpeg = specimenJpeg(width, height, focus, options_.relief);
    GError *rawError = nullptr;
    GstElement *bin = gst_parse_bin_from_description("appsrc name=jpegs is-live=true format=time ! clocksync", TRUE,
                                                     &rawError);
    GErrorPtr error(rawError);
    if (!bin || jpeg.isEmpty()) {
        why = QString::fromUtf8(error ? error->message : "cannot build the pre-encoded source");
        return nullptr;
    }
    gst_object_set_name(GST_OBJECT(bin), kSourceName);
    GstPtr<GstElement> appsrc = GstPtr<GstElement>::adopt(gst_bin_get_by_name(GST_BIN(bin), "jpegs"));
    GstCapsPtr caps(gst_caps_new_simple("image/jpeg", "width", G_TYPE_INT, width, "height", G_TYPE_INT, height,
                                        "framerate", GST_TYPE_FRACTION, fps, 1, nullptr));
    gst_app_src_set_caps(GST_APP_SRC(appsrc.get()), caps.get());
    auto *repeater = new JpegRepeater;
    repeater->frame.reset(gst_buffer_new_memdup(jpeg.constData(), gsize(jpeg.size())));
    repeater->duration = gst_util_uint64_scale_int(GST_SECOND, 1, fps);
    repeater->total = &preEncodedSent_;
    GstAppSrcCallbacks callbacks{};
    callbacks.need_data = repeatJpeg;
    gst_app_src_set_callbacks(GST_APP_SRC(appsrc.get()), &callbacks, repeater,
                              [](gpointer r) { delete static_cast<JpegRepeater *>(r); });
    cameras_[std::size_t(camera)]->feeds.push_back({std::move(appsrc), repeater, width, height, focus, focus});
    return bin;
}

std::uint64_t VirtualCameraRig::preEncodedFramesSent() const { return preEncodedSent_.load(std::memory_order_relaxed); }

void VirtualCameraRig::applyControls(int camera)
{
    Camera &c = *cameras_[std::size_t(camera)];
    // Exposure time acts like a brightness offset on a log scale; automatic exposure leaves the
    // picture as lit.
    double exposure = 0;
    if (c.values[cid::ExposureAuto] == exposuremode::Manual)
        exposure = std::clamp(std::log2(double(c.values[cid::ExposureAbsolute]) / kExposureDefault) * 0.2, -0.6, 0.6);
    const double brightness = std::clamp(c.values[cid::Brightness] / 128.0 + exposure, -1.0, 1.0);
    const double contrast = options_.contrast ? std::clamp(c.values[cid::Contrast] / double(kContrastDefault), 0.0, 2.0) : 1.0;
    std::erase_if(c.balances, [](const GstPtr<GstElement> &e) { return GST_OBJECT_PARENT(e.get()) == nullptr; });
    for (const GstPtr<GstElement> &balance : c.balances)
        g_object_set(balance.get(), "brightness", brightness, "contrast", contrast, nullptr);
    // Focus: the specimen is drawn again at the new position, off this thread, and replaces the
    // picture the source repeats from the frame after it is ready (focusSettled() tells when).
    // A feed whose pipeline has gone is dropped.
    const int focus = c.values[cid::FocusAbsolute];
    std::erase_if(c.feeds, [](const Feed &f) { return GST_OBJECT_PARENT(f.appsrc.get()) == nullptr; });
    for (Feed &feed : c.feeds) {
        if (feed.focus == focus)
            continue;
        feed.focus = focus;
        if (!painter_)
            painter_ = std::make_unique<SpecimenPainter>(
                this, [this](GstElement *source, int drawnFocus) { focusDrawn(source, drawnFocus); });
        painter_->post({GstPtr<GstElement>::ref(feed.appsrc.get()), feed.repeater, feed.width, feed.height, focus,
                        options_.relief});
    }
}

void VirtualCameraRig::focusDrawn(GstElement *source, int focus)
{
    for (const auto &c : cameras_)
        for (Feed &feed : c->feeds)
            if (feed.appsrc.get() == source)
                feed.drawn = focus;
    if (focusSettled())
        Q_EMIT focusSettledChanged();
}

bool VirtualCameraRig::focusSettled() const
{
    for (const auto &c : cameras_)
        for (const Feed &feed : c->feeds)
            if (GST_OBJECT_PARENT(feed.appsrc.get()) != nullptr && feed.drawn != feed.focus)
                return false;
    return true;
}

GstElement *VirtualCameraRig::createSource(const DeviceRecord &device, const CaptureFormat &format, QString &why)
{
    const int i = cameraIndex(device);
    if (i < 0 || !plugged_) {
        why = QStringLiteral("virtual camera %1 is not plugged in").arg(device.devnode);
        return nullptr;
    }
    if (options_.failOpen) {
        why = QStringLiteral("virtual camera %1 refuses to open (failopen)").arg(device.devnode);
        return nullptr;
    }
    const bool mjpg = format.code == kFourccMjpg;
    bool offered = false;
    for (const PixelFormatInfo &f : formats(device))
        if (f.code == format.code)
            for (const FrameSizeInfo &s : f.sizes)
                offered = offered || (s.width == format.width && s.height == format.height);
    if (!offered) {
        // A real camera would refuse the caps; let negotiation fail the same way.
        why = QStringLiteral("virtual camera does not offer %1 %2 x %3").arg(fourccText(format.code)).arg(format.width).arg(format.height);
    }
    const int fps = format.rate.numerator > 0 ? int(format.rate.fps() + 0.5) : kFramesPerSecond;
    if (mjpg && offered && options_.preEncoded)
        return createPreEncodedSource(i, format.width, format.height, fps, why);
    // imagefreeze repeats the newest picture the appsrc pushed: the focus control pushes another.
    QString desc = QStringLiteral("appsrc name=specimen format=time ! imagefreeze is-live=true allow-replace=true ! "
                                  "video/x-raw,framerate=%1/1 ! videobalance name=balance ! videoconvert ! ")
                       .arg(fps);
    // A JPEG holds full-range YCbCr (JFIF): the I420 before the encoder must be full range too,
    // or a decoder shows white as 235 and black as 16.
    if (mjpg)
        desc += QStringLiteral("video/x-raw,format=I420,colorimetry=1:4:0:0 ! jpegenc quality=85 ! "
                               "capsfilter caps=image/jpeg");
    else if (offered)
        desc += QStringLiteral("capsfilter caps=video/x-raw,format=YUY2");
    else
        desc += QStringLiteral("capsfilter caps=video/x-raw,format=YUY2");   // caps downstream refuse the size
    GError *rawError = nullptr;
    GstElement *bin = gst_parse_bin_from_description(desc.toUtf8().constData(), TRUE, &rawError);
    GErrorPtr error(rawError);
    if (!bin) {
        why = QString::fromUtf8(error ? error->message : "cannot build the virtual source");
        return nullptr;
    }
    gst_object_set_name(GST_OBJECT(bin), kSourceName);

    // The specimen is drawn at the asked size and the current focus; imagefreeze repeats it live
    // until the focus control pushes the next one (no end of stream, so the appsrc stays open).
    const int w = offered ? format.width : 640, h = offered ? format.height : 480;
    const int focus = cameras_[std::size_t(i)]->values[cid::FocusAbsolute];
    GstPtr<GstElement> appsrc = GstPtr<GstElement>::adopt(gst_bin_get_by_name(GST_BIN(bin), "specimen"));
    GstCapsPtr caps(gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "BGRx", "width", G_TYPE_INT, w,
                                        "height", G_TYPE_INT, h, "framerate", GST_TYPE_FRACTION, 1, 1, nullptr));
    gst_app_src_set_caps(GST_APP_SRC(appsrc.get()), caps.get());
    GstBuffer *first = specimenBuffer(w, h, focus, options_.relief);
    GST_BUFFER_PTS(first) = 0;
    gst_app_src_push_buffer(GST_APP_SRC(appsrc.get()), first);   // takes the buffer
    cameras_[std::size_t(i)]->feeds.push_back({std::move(appsrc), nullptr, w, h, focus, focus});

    cameras_[std::size_t(i)]->balances.push_back(GstPtr<GstElement>::adopt(gst_bin_get_by_name(GST_BIN(bin), "balance")));
    applyControls(i);
    return bin;
}

void VirtualCameraRig::setFocus(int focus)
{
    for (const auto &c : cameras_) {
        c->values[cid::FocusAbsolute] = std::clamp(focus, kSpecimenFocusMin, kSpecimenFocusMax);
        applyControls(c->index);
    }
}

void VirtualCameraRig::pressStill()
{
    if (!plugged_ || !options_.stillButton)
        return;
    const auto watchers = stillWatchers_;   // a callback may end a watch
    for (const auto &w : watchers)
        if (std::find(stillWatchers_.begin(), stillWatchers_.end(), w) != stillWatchers_.end())
            (*w.second)();
}

void VirtualCameraRig::unplug()
{
    if (!plugged_)
        return;
    plugged_ = false;
    log_.append(QStringLiteral("Virtual camera unplugged"));
    for (const auto &c : cameras_) {
        std::erase_if(c->balances, [](const GstPtr<GstElement> &e) { return GST_OBJECT_PARENT(e.get()) == nullptr; });
        for (const GstPtr<GstElement> &balance : c->balances) {
            // The source element reports a read error, as v4l2src does when its device vanishes.
            GstObject *source = GST_OBJECT_PARENT(balance.get());
            GError *e = g_error_new_literal(GST_RESOURCE_ERROR, GST_RESOURCE_ERROR_READ, "Could not read from resource.");
            gst_element_post_message(GST_ELEMENT(source),
                                     gst_message_new_error(source, e, "virtual camera: device was unplugged"));
            g_error_free(e);
        }
    }
    Q_EMIT devicesChanged();
}

void VirtualCameraRig::plug()
{
    if (plugged_)
        return;
    plugged_ = true;
    log_.append(QStringLiteral("Virtual camera plugged in"));
    Q_EMIT devicesChanged();
}

bool VirtualCameraRig::listenOnFifo(const QString &path)
{
    const QByteArray p = path.toLocal8Bit();
    struct stat st {};
    if (::stat(p.constData(), &st) != 0 && ::mkfifo(p.constData(), 0600) != 0) {
        log_.append(QStringLiteral("Virtual camera: cannot create control FIFO %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    std::error_code error;
    fifo_ = openFd(p.constData(), O_RDONLY | O_NONBLOCK, error);
    if (fifo_)
        fifoKeepOpen_ = openFd(p.constData(), O_WRONLY | O_NONBLOCK, error);
    if (!fifo_ || !fifoKeepOpen_) {
        log_.append(QStringLiteral("Virtual camera: cannot open control FIFO %1: %2").arg(path, QString::fromStdString(error.message())));
        fifo_.reset();
        return false;
    }
    fifoNotifier_ = new QSocketNotifier(fifo_.get(), QSocketNotifier::Read, this);
    connect(fifoNotifier_, &QSocketNotifier::activated, this, &VirtualCameraRig::readFifo);
    log_.append(QStringLiteral("Virtual camera: listening on %1").arg(path));
    return true;
}

void VirtualCameraRig::readFifo()
{
    char buf[256];
    ssize_t n;
    while ((n = ::read(fifo_.get(), buf, sizeof buf)) > 0)
        fifoPending_.append(buf, int(n));
    qsizetype nl;
    while ((nl = fifoPending_.indexOf('\n')) >= 0) {
        const QByteArray line = fifoPending_.left(nl).trimmed();
        fifoPending_.remove(0, nl + 1);
        if (line == "still")
            pressStill();
        else if (line == "unplug")
            unplug();
        else if (line == "plug")
            plug();
        else if (line.startsWith("focus "))
            setFocus(line.mid(6).trimmed().toInt());
        else if (!line.isEmpty())
            log_.append(QStringLiteral("Virtual camera: unknown control line \"%1\"").arg(QString::fromUtf8(line)));
    }
}

} // namespace platform
