#include "v4l2device.h"

#include "platform/uniquefd.h"

#include <fcntl.h>
#include <linux/videodev2.h>

#include <algorithm>
#include <cstring>

namespace platform::v4l2 {

static_assert(cid::Brightness == V4L2_CID_BRIGHTNESS && cid::Contrast == V4L2_CID_CONTRAST &&
              cid::Gain == V4L2_CID_GAIN && cid::ExposureAuto == V4L2_CID_EXPOSURE_AUTO &&
              cid::ExposureAbsolute == V4L2_CID_EXPOSURE_ABSOLUTE && cid::ZoomAbsolute == V4L2_CID_ZOOM_ABSOLUTE &&
              cid::WhiteBalanceTemperature == V4L2_CID_WHITE_BALANCE_TEMPERATURE &&
              cid::Sharpness == V4L2_CID_SHARPNESS && cid::FocusAuto == V4L2_CID_FOCUS_AUTO &&
              cid::BacklightCompensation == V4L2_CID_BACKLIGHT_COMPENSATION && cid::Hue == V4L2_CID_HUE);
static_assert(exposuremode::Manual == V4L2_EXPOSURE_MANUAL && exposuremode::AperturePriority == V4L2_EXPOSURE_APERTURE_PRIORITY);

namespace {

// A driver that never ends a list (no EINVAL) must not hang the window: no camera offers more.
constexpr __u32 kMaxListed = 64;
constexpr qint64 kMaxMenuEntries = 256;

UniqueFd openNode(const QString &devnode, std::error_code &error)
{
    return openFd(devnode.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK, error);
}

QString fixedText(const __u8 *text, std::size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(text), int(strnlen(reinterpret_cast<const char *>(text), size)));
}

std::vector<FrameRate> frameRates(int fd, FourCC code, int width, int height)
{
    std::vector<FrameRate> rates;
    v4l2_frmivalenum iv{};
    iv.pixel_format = code;
    iv.width = __u32(width);
    iv.height = __u32(height);
    for (iv.index = 0; iv.index < kMaxListed && !xioctl(fd, VIDIOC_ENUM_FRAMEINTERVALS, &iv); ++iv.index) {
        if (iv.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
            // An interval n/d seconds per frame is d/n frames per second.
            rates.push_back({int(iv.discrete.denominator), int(iv.discrete.numerator)});
        } else {
            rates.push_back({int(iv.stepwise.min.denominator), int(iv.stepwise.min.numerator)});
            break;
        }
    }
    std::sort(rates.begin(), rates.end(), [](const FrameRate &a, const FrameRate &b) { return a.fps() > b.fps(); });
    return rates;
}

class V4l2ControlDevice final : public ControlDevice
{
public:
    explicit V4l2ControlDevice(UniqueFd fd) : fd_(std::move(fd)) {}

    std::vector<ControlInfo> controls() override
    {
        std::vector<ControlInfo> list;
        std::uint32_t after = 0;
        // Ids grow along the list; a driver that repeats one would otherwise loop for ever.
        while (const auto q = query(after | V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND)) {
            if (q->id <= after)
                break;
            after = q->id;
            if (!(q->flags & V4L2_CTRL_FLAG_DISABLED) && q->type != V4L2_CTRL_TYPE_CTRL_CLASS)
                if (auto c = describe(*q))
                    list.push_back(std::move(*c));
        }
        return list;
    }

    std::optional<ControlInfo> info(std::uint32_t id) override
    {
        const auto q = query(id);
        if (!q || (q->flags & V4L2_CTRL_FLAG_DISABLED))
            return std::nullopt;
        return describe(*q);
    }

    std::optional<int> value(std::uint32_t id) override
    {
        v4l2_control c{};
        c.id = id;
        if (xioctl(fd_.get(), VIDIOC_G_CTRL, &c))
            return std::nullopt;
        return c.value;
    }

    std::error_code setValue(std::uint32_t id, int value) override
    {
        v4l2_control c{};
        c.id = id;
        c.value = value;
        return xioctl(fd_.get(), VIDIOC_S_CTRL, &c);
    }

private:
    // VIDIOC_QUERY_EXT_CTRL, or VIDIOC_QUERYCTRL where the driver does not know it (ENOTTY):
    // many UVC cameras answer only the older call.
    std::optional<v4l2_query_ext_ctrl> query(std::uint32_t id)
    {
        v4l2_query_ext_ctrl q{};
        if (!oldQueryOnly_) {
            q.id = id;
            const std::error_code e = xioctl(fd_.get(), VIDIOC_QUERY_EXT_CTRL, &q);
            if (!e)
                return q;
            if (e != std::errc::inappropriate_io_control_operation)
                return std::nullopt;
            oldQueryOnly_ = true;
        }
        v4l2_queryctrl old{};
        old.id = id & ~__u32(V4L2_CTRL_FLAG_NEXT_COMPOUND);
        if (xioctl(fd_.get(), VIDIOC_QUERYCTRL, &old))
            return std::nullopt;
        q = {};
        q.id = old.id;
        q.type = old.type;
        std::memcpy(q.name, old.name, std::min(sizeof q.name, sizeof old.name));
        q.minimum = old.minimum;
        q.maximum = old.maximum;
        q.step = __u64(std::max(old.step, 0));
        q.default_value = old.default_value;
        q.flags = old.flags;
        return q;
    }

    // Null for a range no control can have (minimum above maximum): it could be neither shown nor set.
    std::optional<ControlInfo> describe(const v4l2_query_ext_ctrl &q)
    {
        if (q.minimum > q.maximum)
            return std::nullopt;
        ControlInfo info;
        info.id = q.id;
        info.name = fixedText(reinterpret_cast<const __u8 *>(q.name), sizeof q.name);
        info.minimum = int(q.minimum);
        info.maximum = int(q.maximum);
        info.step = int(q.step ? q.step : 1);
        info.defaultValue = int(q.default_value);
        info.readOnly = q.flags & V4L2_CTRL_FLAG_READ_ONLY;
        info.inactive = q.flags & V4L2_CTRL_FLAG_INACTIVE;
        switch (q.type) {
        case V4L2_CTRL_TYPE_INTEGER: info.type = ControlType::Integer; break;
        case V4L2_CTRL_TYPE_BOOLEAN: info.type = ControlType::Boolean; break;
        case V4L2_CTRL_TYPE_MENU: info.type = ControlType::Menu; break;
        case V4L2_CTRL_TYPE_INTEGER_MENU: info.type = ControlType::IntegerMenu; break;
        case V4L2_CTRL_TYPE_BUTTON: info.type = ControlType::Button; break;
        default: info.type = ControlType::Other; break;
        }
        if (info.type == ControlType::Menu || info.type == ControlType::IntegerMenu) {
            for (qint64 i = q.minimum; i <= q.maximum && i < q.minimum + kMaxMenuEntries; ++i) {
                v4l2_querymenu m{};
                m.id = q.id;
                m.index = __u32(i);
                if (xioctl(fd_.get(), VIDIOC_QUERYMENU, &m))
                    continue;   // menus may have holes
                info.menu.push_back({int(i), info.type == ControlType::Menu
                                                 ? fixedText(m.name, sizeof m.name)
                                                 : QString::number(qlonglong(m.value))});
            }
        }
        return info;
    }

    UniqueFd fd_;
    bool oldQueryOnly_ = false;
};

} // namespace

std::optional<NodeProbe> probeNode(const QString &devnode, std::error_code &error)
{
    UniqueFd fd = openNode(devnode, error);
    if (!fd)
        return std::nullopt;
    v4l2_capability cap{};
    if ((error = xioctl(fd.get(), VIDIOC_QUERYCAP, &cap)))
        return std::nullopt;
    // `capabilities` describes the whole device (a UVC camera's metadata node reports video
    // capture there too); `device_caps` is this node's own.
    const __u32 caps = (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
    NodeProbe probe;
    probe.card = fixedText(cap.card, sizeof cap.card);
    probe.videoCapture = caps & V4L2_CAP_VIDEO_CAPTURE;
    probe.videoOutput = caps & (V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_VIDEO_OUTPUT_MPLANE);
    probe.metadata = caps & V4L2_CAP_META_CAPTURE;
    if (probe.videoCapture) {
        v4l2_fmtdesc desc{};
        desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        std::error_code e;
        for (desc.index = 0; desc.index < kMaxListed && !(e = xioctl(fd.get(), VIDIOC_ENUM_FMT, &desc)); ++desc.index)
            probe.captureFormats.push_back(desc.pixelformat);
        // EINVAL ends the list; a first call failing with anything else is a refusal.
        probe.formatQueryRefused = probe.captureFormats.empty() && e && e != std::errc::invalid_argument;
    }
    error = {};
    return probe;
}

std::vector<PixelFormatInfo> enumerateFormats(const QString &devnode, std::error_code &error)
{
    std::vector<PixelFormatInfo> formats;
    UniqueFd fd = openNode(devnode, error);
    if (!fd)
        return formats;
    v4l2_fmtdesc desc{};
    desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    for (desc.index = 0; desc.index < kMaxListed && !xioctl(fd.get(), VIDIOC_ENUM_FMT, &desc); ++desc.index) {
        PixelFormatInfo f;
        f.code = desc.pixelformat;
        f.description = fixedText(desc.description, sizeof desc.description);
        f.compressed = desc.flags & V4L2_FMT_FLAG_COMPRESSED;
        v4l2_frmsizeenum fs{};
        fs.pixel_format = desc.pixelformat;
        for (fs.index = 0; fs.index < kMaxListed && !xioctl(fd.get(), VIDIOC_ENUM_FRAMESIZES, &fs); ++fs.index) {
            if (fs.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
                const int w = int(fs.discrete.width), h = int(fs.discrete.height);
                f.sizes.push_back({w, h, frameRates(fd.get(), f.code, w, h)});
            } else {
                for (auto [w, h] : {std::pair{int(fs.stepwise.min_width), int(fs.stepwise.min_height)},
                                    std::pair{int(fs.stepwise.max_width), int(fs.stepwise.max_height)}})
                    f.sizes.push_back({w, h, frameRates(fd.get(), f.code, w, h)});
                break;
            }
        }
        formats.push_back(std::move(f));
    }
    // The format in effect is the camera's default: put it first.
    v4l2_format current{};
    current.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (!xioctl(fd.get(), VIDIOC_G_FMT, &current)) {
        auto it = std::find_if(formats.begin(), formats.end(),
                               [&](const PixelFormatInfo &f) { return f.code == current.fmt.pix.pixelformat; });
        if (it != formats.end())
            std::rotate(formats.begin(), it, it + 1);
    }
    error = {};
    return formats;
}

std::unique_ptr<ControlDevice> openControlDevice(const QString &devnode, std::error_code &error)
{
    UniqueFd fd = openNode(devnode, error);
    if (!fd)
        return nullptr;
    return std::make_unique<V4l2ControlDevice>(std::move(fd));
}

} // namespace platform::v4l2
