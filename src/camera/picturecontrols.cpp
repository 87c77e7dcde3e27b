#include "picturecontrols.h"

#include <algorithm>
#include <array>

namespace camera {
namespace {

namespace cid = platform::cid;

constexpr std::array<PictureControls::Mapping, 10> kProcAmp{{
    {cid::Brightness, 0},
    {cid::Contrast, 0},
    {cid::Hue, cid::HueAuto},
    {cid::Saturation, 0},
    {cid::Sharpness, 0},
    {cid::Gamma, 0},
    {0, 0},   // colour enable: no V4L2 counterpart
    {cid::WhiteBalanceTemperature, cid::AutoWhiteBalance},
    {cid::BacklightCompensation, 0},
    {cid::Gain, cid::AutoGain},
}};
constexpr std::array<PictureControls::Mapping, 7> kCamera{{
    {cid::PanAbsolute, 0},
    {cid::TiltAbsolute, 0},
    {0, 0},   // roll
    {cid::ZoomAbsolute, 0},
    {cid::ExposureAbsolute, cid::ExposureAuto},
    {cid::IrisAbsolute, 0},
    {cid::FocusAbsolute, cid::FocusAuto},
}};

int clamp16(int v) { return std::clamp(v, -32768, 32767); }

} // namespace

PictureControls::Mapping PictureControls::mapping(ProcAmp p)
{
    const auto i = std::size_t(p);
    return i < kProcAmp.size() ? kProcAmp[i] : Mapping{};
}

PictureControls::Mapping PictureControls::mapping(CameraCtl p)
{
    const auto i = std::size_t(p);
    return i < kCamera.size() ? kCamera[i] : Mapping{};
}

std::optional<int> PictureControls::automaticValue(const platform::ControlInfo &c) const
{
    if (c.type != platform::ControlType::Menu)
        return 1;
    for (int wanted : {platform::exposuremode::AperturePriority, platform::exposuremode::Auto})
        for (const auto &e : c.menu)
            if (e.index == wanted)
                return wanted;
    return std::nullopt;
}

std::optional<PictureControls::Range> PictureControls::getRange(Mapping m)
{
    if (!device_ || !m.valueId)
        return std::nullopt;
    const auto info = device_->info(m.valueId);
    if (!info)
        return std::nullopt;
    int caps = kFlagManual;
    if (m.autoId)
        if (const auto a = device_->info(m.autoId); a && automaticValue(*a))
            caps |= kFlagAuto;
    return Range{info->minimum, info->maximum, info->step, info->defaultValue, caps};
}

std::optional<PictureControls::Reading> PictureControls::get(Mapping m)
{
    if (!device_ || !m.valueId)
        return std::nullopt;
    const auto value = device_->value(m.valueId);
    if (!value)
        return std::nullopt;
    int flags = kFlagManual;
    if (m.autoId)
        if (const auto a = device_->value(m.autoId))
            flags = (*a == platform::exposuremode::Manual && m.autoId == cid::ExposureAuto) || (*a == 0 && m.autoId != cid::ExposureAuto)
                        ? kFlagManual
                        : kFlagAuto;
    return Reading{*value, flags};
}

bool PictureControls::set(Mapping m, int value, int flags)
{
    if (!device_ || !m.valueId)
        return false;
    if (m.autoId) {
        const auto a = device_->info(m.autoId);
        if (a) {
            if (flags & kFlagAuto) {
                // Automatic: the camera picks the value; writing one would be refused.
                const auto on = automaticValue(*a);
                return on && !device_->setValue(m.autoId, *on);
            }
            const int manual = m.autoId == cid::ExposureAuto ? platform::exposuremode::Manual : 0;
            if (device_->setValue(m.autoId, manual))
                return false;
        }
    } else if (flags == kFlagAuto) {
        return false;   // the property has no automatic mode
    }
    return !device_->setValue(m.valueId, value);
}

bool PictureControls::tbCom(TrackBar *bar, Mapping m, int value, int mode, Range &range, bool writeOnQuery)
{
    if (!device_)
        return false;
    switch (mode) {
    case 0: {
        const auto r = getRange(m);
        if (!r)
            return false;
        range = *r;
        if (bar) {
            bar->setRange(clamp16(r->minimum), clamp16(r->maximum));
            bar->setPosition(r->defaultValue);
        }
        return writeOnQuery ? set(m, r->defaultValue, r->capsFlags) : true;
    }
    case 1:
        return bar && set(m, bar->position(), kFlagManual);
    case 2: {
        const auto r = getRange(m);
        if (!r)
            return false;
        range = *r;
        if (bar)
            bar->setPosition(r->defaultValue);
        return set(m, r->defaultValue, kFlagAuto);
    }
    case 3:
        if (bar)
            bar->setPosition(value);
        return set(m, value, kFlagManual);
    default:
        return false;
    }
}

bool PictureControls::VideoProcAmp_tbCom(TrackBar *bar, ProcAmp property, int value, int mode)
{
    return tbCom(bar, mapping(property), value, mode, procRange_, true);
}

bool PictureControls::CameraControl_tbCom(TrackBar *bar, CameraCtl property, int value, int mode)
{
    return tbCom(bar, mapping(property), value, mode, camRange_, false);
}

bool PictureControls::VideoProcAmp_Com(ProcAmp property, int mode, int &value)
{
    const Mapping m = mapping(property);
    switch (mode) {
    case 0: {
        const auto r = getRange(m);
        if (!r)
            return false;
        procRange_ = *r;
        value = r->defaultValue;
        procLastFlags_ = r->capsFlags;
        return set(m, r->defaultValue, r->capsFlags);
    }
    case 1:
        return set(m, value, procLastFlags_);
    case 2: {
        const auto g = get(m);
        if (!g)
            return false;
        procRead_ = *g;
        procLastFlags_ = g->flags;
        value = g->value;
        return true;
    }
    default:
        return false;
    }
}

bool PictureControls::CameraControl_Com(CameraCtl property, int mode, int &value)
{
    const Mapping m = mapping(property);
    switch (mode) {
    case 0: {
        const auto r = getRange(m);
        if (!r)
            return false;
        camRange_ = *r;
        value = r->defaultValue;
        return r->capsFlags == kFlagManual || set(m, r->defaultValue, kFlagManual);
    }
    case 1:
        return set(m, value, kFlagManual);
    case 2:
        return device_ && set(m, camRange_.defaultValue, kFlagManual);
    case 3:
        if (!device_ || !set(m, camRead_.value, camRead_.flags))
            return false;
        value = camRead_.value;
        return true;
    default:
        return false;
    }
}

bool PictureControls::autoOp(Mapping m, int mode, Reading &reading)
{
    const auto g = get(m);
    if (!g)
        return false;
    reading = *g;
    if (mode == 1 && !(g->flags & kFlagAuto))
        return set(m, g->value, kFlagAuto);
    if (mode == 2 && !(g->flags & kFlagManual)) {
        if (!set(m, g->value, kFlagManual))
            return false;
        if (const auto again = get(m))
            reading = *again;
    }
    return true;
}

bool PictureControls::VideoProcAmp_Auto(ProcAmp property, int mode) { return autoOp(mapping(property), mode, procRead_); }

bool PictureControls::CameraControl_Auto(CameraCtl property, int mode) { return autoOp(mapping(property), mode, camRead_); }

} // namespace camera
