#pragma once

#include "platform/controldevice.h"

#include <cstdint>
#include <optional>

namespace camera {

// Property numbers of the picture controls as the toolbar names them.
enum class ProcAmp { Brightness = 0, Contrast = 1, Hue = 2, Saturation = 3, Sharpness = 4, Gamma = 5, ColorEnable = 6,
                     WhiteBalance = 7, BacklightCompensation = 8, Gain = 9 };
enum class CameraCtl { Pan = 0, Tilt = 1, Roll = 2, Zoom = 3, Exposure = 4, Iris = 5, Focus = 6 };

// Control flags: 1 automatic, 2 manual.
constexpr int kFlagAuto = 1;
constexpr int kFlagManual = 2;

// A track bar as the operations see it. The range is held in 16 bits per end, as the toolbar's
// track bars store it: wider ranges are clamped.
class TrackBar
{
public:
    virtual ~TrackBar() = default;
    virtual void setRange(int minimum, int maximum) = 0;
    virtual void setPosition(int position) = 0;
    virtual int position() const = 0;
};

// The six picture-control operations over a camera's controls. A property maps to a V4L2 value
// control and, where the camera has one, its automatic switch (a boolean, or the exposure menu
// whose manual value is 1 and whose automatic value is the first of aperture priority or auto
// that the menu offers). Without a device (not connected) every operation returns false.
class PictureControls
{
public:
    struct Range {
        int minimum = 0, maximum = 0, step = 1, defaultValue = 0, capsFlags = 0;
    };
    struct Reading {
        int value = 0, flags = 0;
    };

    void setDevice(platform::ControlDevice *device) { device_ = device; }
    bool hasDevice() const { return device_ != nullptr; }

    bool VideoProcAmp_tbCom(TrackBar *bar, ProcAmp property, int value, int mode);
    bool CameraControl_tbCom(TrackBar *bar, CameraCtl property, int value, int mode);
    bool VideoProcAmp_Com(ProcAmp property, int mode, int &value);
    bool CameraControl_Com(CameraCtl property, int mode, int &value);
    bool VideoProcAmp_Auto(ProcAmp property, int mode);
    bool CameraControl_Auto(CameraCtl property, int mode);

    // The last range query and read of each family.
    const Range &procAmpRange() const { return procRange_; }
    const Range &cameraRange() const { return camRange_; }
    const Reading &cameraReading() const { return camRead_; }

    // The V4L2 mapping, as data.
    struct Mapping {
        std::uint32_t valueId = 0;
        std::uint32_t autoId = 0;   // 0: no automatic mode
    };
    static Mapping mapping(ProcAmp property);
    static Mapping mapping(CameraCtl property);

private:
    std::optional<Range> getRange(Mapping m);
    std::optional<Reading> get(Mapping m);
    bool set(Mapping m, int value, int flags);
    bool tbCom(TrackBar *bar, Mapping m, int value, int mode, Range &range, bool writeOnQuery);
    bool autoOp(Mapping m, int mode, Reading &reading);
    std::optional<int> automaticValue(const platform::ControlInfo &autoControl) const;

    platform::ControlDevice *device_ = nullptr;
    Range procRange_, camRange_;
    Reading procRead_, camRead_;
    int procLastFlags_ = kFlagManual;
};

} // namespace camera
