#include "camera/controlrestore.h"
#include "camera/picturecontrols.h"

#include <gtest/gtest.h>

#include <map>

using camera::CameraCtl;
using camera::PictureControls;
using camera::ProcAmp;
namespace cid = platform::cid;

namespace {

// A camera's controls in memory, with the V4L2 rule that a value control is not writable while
// its automatic switch is on.
class FakeControls final : public platform::ControlDevice
{
public:
    std::map<std::uint32_t, platform::ControlInfo> infos;
    std::map<std::uint32_t, int> values;
    std::vector<std::pair<std::uint32_t, int>> writes;

    void add(std::uint32_t id, int min, int max, int def, std::vector<platform::ControlMenuEntry> menu = {})
    {
        platform::ControlInfo i;
        i.id = id, i.minimum = min, i.maximum = max, i.defaultValue = def, i.menu = std::move(menu);
        i.type = i.menu.empty() ? platform::ControlType::Integer : platform::ControlType::Menu;
        infos[id] = i;
        values[id] = def;
    }
    std::vector<platform::ControlInfo> controls() override
    {
        std::vector<platform::ControlInfo> l;
        for (auto &[id, i] : infos)
            l.push_back(i);
        return l;
    }
    std::optional<platform::ControlInfo> info(std::uint32_t id) override
    {
        auto it = infos.find(id);
        return it == infos.end() ? std::nullopt : std::optional(it->second);
    }
    std::optional<int> value(std::uint32_t id) override
    {
        auto it = values.find(id);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
    std::error_code setValue(std::uint32_t id, int v) override
    {
        if (!infos.count(id))
            return std::make_error_code(std::errc::invalid_argument);
        if (id == cid::ExposureAbsolute && values[cid::ExposureAuto] != platform::exposuremode::Manual)
            return std::make_error_code(std::errc::permission_denied);
        if (id == cid::FocusAbsolute && values.count(cid::FocusAuto) && values[cid::FocusAuto] != 0)
            return std::make_error_code(std::errc::permission_denied);
        values[id] = v;
        writes.emplace_back(id, v);
        return {};
    }
};

struct Bar final : camera::TrackBar {
    int min = 0, max = 0, pos = 0;
    void setRange(int a, int b) override { min = a, max = b; }
    void setPosition(int p) override { pos = p; }
    int position() const override { return pos; }
};

FakeControls microscopeCamera()
{
    FakeControls c;
    c.add(cid::Brightness, -64, 64, 0);
    c.add(cid::Contrast, 0, 95, 32);
    c.add(cid::ExposureAuto, 0, 3, 3, {{1, "Manual Mode"}, {3, "Aperture Priority Mode"}});
    c.add(cid::ExposureAbsolute, 3, 2047, 250);
    return c;
}

} // namespace

TEST(PictureControls, WithoutACameraEveryOperationFails)
{
    PictureControls pc;
    Bar bar;
    int v = 0;
    EXPECT_FALSE(pc.VideoProcAmp_tbCom(&bar, ProcAmp::Brightness, 0, 0));
    EXPECT_FALSE(pc.CameraControl_tbCom(&bar, CameraCtl::Exposure, 0, 0));
    EXPECT_FALSE(pc.VideoProcAmp_Com(ProcAmp::Brightness, 2, v));
    EXPECT_FALSE(pc.CameraControl_Com(CameraCtl::Exposure, 2, v));
    EXPECT_FALSE(pc.VideoProcAmp_Auto(ProcAmp::Brightness, 1));
    EXPECT_FALSE(pc.CameraControl_Auto(CameraCtl::Exposure, 1));
}

TEST(PictureControls, BrightnessTrackBarSpansTheRangeAndDragSetsManualValue)
{
    FakeControls cam = microscopeCamera();
    PictureControls pc;
    pc.setDevice(&cam);
    Bar bar;
    ASSERT_TRUE(pc.VideoProcAmp_tbCom(&bar, ProcAmp::Brightness, 0, 0));
    EXPECT_EQ(bar.min, -64);
    EXPECT_EQ(bar.max, 64);
    EXPECT_EQ(bar.pos, 0);
    bar.pos = -30;   // dragged
    ASSERT_TRUE(pc.VideoProcAmp_tbCom(&bar, ProcAmp::Brightness, 0, 1));
    EXPECT_EQ(cam.values[cid::Brightness], -30);
    // Releasing the button: back to the default on the bar and in the camera.
    ASSERT_TRUE(pc.VideoProcAmp_tbCom(&bar, ProcAmp::Brightness, 0, 0));
    EXPECT_EQ(bar.pos, 0);
    EXPECT_EQ(cam.values[cid::Brightness], 0);
    // Modes outside 0..3 and unsupported properties are refused.
    EXPECT_FALSE(pc.VideoProcAmp_tbCom(&bar, ProcAmp::Brightness, 0, 4));
    EXPECT_FALSE(pc.VideoProcAmp_tbCom(&bar, ProcAmp::Gamma, 0, 0));
    EXPECT_FALSE(pc.VideoProcAmp_tbCom(&bar, ProcAmp::ColorEnable, 0, 0));
}

TEST(PictureControls, ExposureManualOnPressAndAutomaticAtDefaultOnRelease)
{
    FakeControls cam = microscopeCamera();
    PictureControls pc;
    pc.setDevice(&cam);
    Bar bar;
    ASSERT_TRUE(pc.CameraControl_tbCom(&bar, CameraCtl::Exposure, 0, 0));
    EXPECT_TRUE(cam.writes.empty());   // the query does not write for camera controls
    EXPECT_EQ(bar.min, 3);
    EXPECT_EQ(bar.pos, 250);
    // Pressed: manual at the current value; then the bar drives it.
    ASSERT_TRUE(pc.CameraControl_Auto(CameraCtl::Exposure, 2));
    EXPECT_EQ(cam.values[cid::ExposureAuto], platform::exposuremode::Manual);
    bar.pos = 800;
    ASSERT_TRUE(pc.CameraControl_tbCom(&bar, CameraCtl::Exposure, 0, 1));
    EXPECT_EQ(cam.values[cid::ExposureAbsolute], 800);
    // Released: default on the bar, automatic in the camera.
    ASSERT_TRUE(pc.CameraControl_tbCom(&bar, CameraCtl::Exposure, 0, 2));
    EXPECT_TRUE(pc.CameraControl_Auto(CameraCtl::Exposure, 1));
    EXPECT_EQ(bar.pos, 250);
    EXPECT_EQ(cam.values[cid::ExposureAuto], platform::exposuremode::AperturePriority);
}

TEST(PictureControls, AutomaticIsTheFirstOfAperturePriorityOrAutoTheMenuOffers)
{
    FakeControls cam;
    cam.add(cid::ExposureAuto, 0, 1, 0, {{0, "Auto Mode"}, {1, "Manual Mode"}});
    cam.add(cid::ExposureAbsolute, 1, 100, 10);
    cam.values[cid::ExposureAuto] = 1;
    PictureControls pc;
    pc.setDevice(&cam);
    ASSERT_TRUE(pc.CameraControl_Auto(CameraCtl::Exposure, 1));
    EXPECT_EQ(cam.values[cid::ExposureAuto], platform::exposuremode::Auto);
}

TEST(PictureControls, ComOperationsReadSetAndRestore)
{
    FakeControls cam = microscopeCamera();
    PictureControls pc;
    pc.setDevice(&cam);
    int v = 0;
    ASSERT_TRUE(pc.VideoProcAmp_Com(ProcAmp::Contrast, 0, v));
    EXPECT_EQ(v, 32);
    v = 50;
    ASSERT_TRUE(pc.VideoProcAmp_Com(ProcAmp::Contrast, 1, v));
    v = 0;
    ASSERT_TRUE(pc.VideoProcAmp_Com(ProcAmp::Contrast, 2, v));
    EXPECT_EQ(v, 50);
    EXPECT_FALSE(pc.VideoProcAmp_Com(ProcAmp::Contrast, 3, v));

    ASSERT_TRUE(pc.CameraControl_Com(CameraCtl::Exposure, 0, v));   // range has auto: sets default, manual
    EXPECT_EQ(v, 250);
    EXPECT_EQ(cam.values[cid::ExposureAuto], platform::exposuremode::Manual);
    v = 900;
    ASSERT_TRUE(pc.CameraControl_Com(CameraCtl::Exposure, 1, v));
    ASSERT_TRUE(pc.CameraControl_Auto(CameraCtl::Exposure, 0));   // a read: value 900, manual
    ASSERT_TRUE(pc.CameraControl_Com(CameraCtl::Exposure, 2, v));   // default of the last range, manual
    EXPECT_EQ(cam.values[cid::ExposureAbsolute], 250);
    ASSERT_TRUE(pc.CameraControl_Com(CameraCtl::Exposure, 3, v));   // write back the last read
    EXPECT_EQ(v, 900);
    EXPECT_EQ(cam.values[cid::ExposureAbsolute], 900);
}

TEST(PictureControls, WideRangesAreClampedToSixteenBits)
{
    FakeControls cam;
    cam.add(cid::ExposureAbsolute, 1, 100000, 5000);
    PictureControls pc;
    pc.setDevice(&cam);
    Bar bar;
    ASSERT_TRUE(pc.CameraControl_tbCom(&bar, CameraCtl::Exposure, 0, 0));
    EXPECT_EQ(bar.max, 32767);
}

// ---- restoring remembered values --------------------------------------------------------------------

TEST(ControlRestore, SwitchesGoFirstAndValuesTheCameraCannotHoldAreLeftOut)
{
    FakeControls c;
    c.add(cid::Brightness, -64, 64, 0);
    c.add(cid::ExposureAuto, 0, 3, 3, {{1, "Manual Mode"}, {3, "Aperture Priority Mode"}});
    c.add(cid::ExposureAbsolute, 3, 2047, 250);
    // Focus: the switch's id is above the distance's, so id order alone would write the distance first.
    c.add(cid::FocusAbsolute, 0, 1023, 0);
    c.add(cid::FocusAuto, 0, 1, 1);
    c.infos[cid::FocusAuto].type = platform::ControlType::Boolean;
    c.add(cid::Gain, 0, 100, 10);
    c.infos[cid::Gain].readOnly = true;

    const std::map<std::uint32_t, int> remembered{
        {cid::Brightness, -30}, {cid::ExposureAuto, 1}, {cid::ExposureAbsolute, 300}, {cid::FocusAbsolute, 512},
        {cid::FocusAuto, 0},
        {cid::Contrast, 40},     // the camera has no contrast
        {cid::Gain, 50},         // read-only
        {cid::Saturation, 1}};   // unknown to the camera
    const camera::ControlRestore r = camera::restoreControls(c, remembered);
    EXPECT_EQ(r.written, 5);
    EXPECT_EQ(r.skipped, 3);
    EXPECT_EQ(r.refused, 0);
    EXPECT_EQ(c.values[cid::Brightness], -30);
    EXPECT_EQ(c.values[cid::ExposureAbsolute], 300);
    EXPECT_EQ(c.values[cid::FocusAbsolute], 512);
    EXPECT_EQ(c.values[cid::Gain], 10);
    ASSERT_EQ(c.writes.size(), 5u);
    EXPECT_EQ(c.writes[0].first, cid::ExposureAuto);
    EXPECT_EQ(c.writes[1].first, cid::FocusAuto);
}

TEST(ControlRestore, OutOfRangeOrOffTheMenuIsSkippedAndARefusalCounted)
{
    FakeControls c;
    c.add(cid::Brightness, -64, 64, 0);
    c.add(cid::ExposureAuto, 0, 3, 3, {{1, "Manual Mode"}, {3, "Aperture Priority Mode"}});
    c.add(cid::ExposureAbsolute, 3, 2047, 250);
    const camera::ControlRestore r =
        camera::restoreControls(c, {{cid::Brightness, 65}, {cid::ExposureAuto, 2}, {cid::ExposureAbsolute, 100}});
    EXPECT_EQ(r.skipped, 2) << "65 is beyond the range, 2 not on the menu";
    EXPECT_EQ(r.refused, 1) << "exposure time while exposure stays automatic";
    EXPECT_EQ(r.written, 0);
    EXPECT_EQ(c.values[cid::Brightness], 0);
}
