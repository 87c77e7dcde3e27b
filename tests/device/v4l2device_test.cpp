// Formats and controls through real ioctl() calls answered like a UVC microscope, from the V4L2
// adapter up to the format dialog and the picture-control tool bar.

#include "devicewindow.h"
#include "mockdevices.h"

#include "camera/formatchoice.h"
#include "camera/picturecontrols.h"
#include "camera/ui/videocontroltoolbar.h"
#include "camera/ui/videoformatdialog.h"
#include "platform/v4l2/v4l2device.h"

#include <QAction>
#include <QComboBox>
#include <QSlider>
#include <QToolButton>

#include <gtest/gtest.h>

#include <linux/videodev2.h>

using devtest::Testbed;
using devtest::V4l2Mock;
namespace cid = platform::cid;

namespace {

struct Scope {
    Scope()
    {
        V4l2Mock::makeUvcMicroscope(capture);
        V4l2Mock::makeMetadataNode(metadata);
    }
    devtest::Testbed::Camera plugInto(Testbed &bed)
    {
        return bed.addCamera("1-1", "eb1a", "5060", "SN", 0, capture, metadata, "Scope");
    }
    devtest::MockControl &control(std::uint32_t id)
    {
        for (auto &c : capture.controls)
            if (c.id == id)
                return c;
        throw std::out_of_range("control");
    }
    void remove(std::uint32_t id)
    {
        std::erase_if(capture.controls, [id](const devtest::MockControl &c) { return c.id == id; });
    }
    V4l2Mock capture, metadata;
};

std::vector<std::pair<int, int>> sizes(const platform::PixelFormatInfo &f)
{
    std::vector<std::pair<int, int>> list;
    for (const auto &s : f.sizes)
        list.emplace_back(s.width, s.height);
    return list;
}

QStringList items(const QComboBox *box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

} // namespace

TEST(V4l2Formats, AUvcMicroscopeListsItsFormatsSizesAndRates)
{
    Testbed bed;
    Scope s;
    s.plugInto(bed);
    std::error_code error;
    const auto formats = platform::v4l2::enumerateFormats("/dev/video0", error);
    ASSERT_FALSE(error) << error.message();
    ASSERT_EQ(formats.size(), 2u);
    EXPECT_EQ(formats[0].code, platform::kFourccYuyv);
    EXPECT_EQ(formats[0].description, "YUYV 4:2:2");
    EXPECT_FALSE(formats[0].compressed);
    EXPECT_EQ(sizes(formats[0]), (std::vector<std::pair<int, int>>{{640, 480}, {800, 600}, {1280, 1024}}));
    EXPECT_EQ(formats[0].sizes[0].rates, (std::vector<platform::FrameRate>{{30, 1}, {15, 1}})) << "fastest first";
    EXPECT_EQ(formats[0].sizes[2].rates, (std::vector<platform::FrameRate>{{10, 1}, {5, 1}}));
    EXPECT_EQ(formats[1].code, platform::kFourccMjpg);
    EXPECT_TRUE(formats[1].compressed);
    EXPECT_EQ(sizes(formats[1]), (std::vector<std::pair<int, int>>{{1600, 1200}, {1600, 900}, {640, 480}}));

    // What a connect asks for: 640 x 480 in the camera's default format, or MJPG 1600 x 1200.
    const auto plain = camera::chooseCaptureFormat(formats, false);
    EXPECT_TRUE(plain.exactSize);
    EXPECT_EQ(plain.format, (platform::CaptureFormat{platform::kFourccYuyv, 640, 480, {30, 1}}));
    const auto mjpg = camera::chooseCaptureFormat(formats, true);
    EXPECT_TRUE(mjpg.exactSize);
    EXPECT_EQ(mjpg.format, (platform::CaptureFormat{platform::kFourccMjpg, 1600, 1200, {30, 1}}));
}

TEST(V4l2Formats, TheFormatInEffectComesFirstAndStepwiseSizesGiveTheirEnds)
{
    Testbed bed;
    Scope s;
    s.capture.currentFourcc = platform::kFourccMjpg;
    s.capture.formats[0].stepwise = true;
    s.capture.formats[0].sizes = {{320, 240, {{1, 25}}}, {2048, 1536, {{1, 25}}}};
    s.plugInto(bed);
    std::error_code error;
    const auto formats = platform::v4l2::enumerateFormats("/dev/video0", error);
    ASSERT_EQ(formats.size(), 2u);
    EXPECT_EQ(formats[0].code, platform::kFourccMjpg);
    EXPECT_EQ(sizes(formats[1]), (std::vector<std::pair<int, int>>{{320, 240}, {2048, 1536}}));
    EXPECT_EQ(formats[1].sizes[1].rates, (std::vector<platform::FrameRate>{{25, 1}}));
    // With MJPG first, the plain preview's default format is MJPG, at its size nearest 640 x 480.
    EXPECT_EQ(camera::chooseCaptureFormat(formats, false).format.code, platform::kFourccMjpg);
}

TEST(V4l2Formats, AMissingNodeOrAMetadataNodeGivesNoFormats)
{
    Testbed bed;
    Scope s;
    s.plugInto(bed);
    std::error_code error;
    EXPECT_TRUE(platform::v4l2::enumerateFormats("/dev/video1", error).empty());
    EXPECT_TRUE(platform::v4l2::enumerateFormats("/dev/video9", error).empty());
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(platform::v4l2::probeNode("/dev/video1", error)->videoCapture);
    EXPECT_EQ(platform::v4l2::probeNode("/dev/video0", error)->card, "USB2.0 Microscope");
}

TEST(V4l2Formats, TheFormatDialogOffersTheCamerasFormatsAndKeepsTheMjpgRule)
{
    devtest::DeviceWindow w;
    Scope s;
    s.plugInto(w.bed);
    w.open();
    w.shell->controls().action(state::ControlId::SetMJPGPreview)->setChecked(true);
    w.connect();
    ASSERT_TRUE(w.flags().VideoConnected);
    EXPECT_EQ(w.backend.streams.lastFormat, (platform::CaptureFormat{platform::kFourccMjpg, 1600, 1200, {30, 1}}));

    QStringList offered, mjpgSizes;
    platform::CaptureFormat pick{platform::kFourccMjpg, 1600, 900, {30, 1}};
    w.dialogs.other = [&](QDialog &d) {
        auto &dialog = dynamic_cast<camera::ui::VideoFormatDialog &>(d);
        offered = items(dialog.formatBox());
        EXPECT_TRUE(dialog.select(pick));
        mjpgSizes = items(dialog.sizeBox());
        return int(QDialog::Accepted);
    };
    w.shell->controls().action(state::ControlId::VideoFormat)->trigger();
    EXPECT_EQ(offered.size(), 2);
    EXPECT_EQ(mjpgSizes.size(), 3);
    EXPECT_EQ(w.backend.streams.lastFormat, pick);
    EXPECT_TRUE(w.controller->camera().GetPreviewDefalutState(1)) << "1600 wide: still the MJPG preview";

    pick = {platform::kFourccYuyv, 1280, 1024, {10, 1}};
    w.shell->controls().action(state::ControlId::VideoFormat)->trigger();
    EXPECT_EQ(w.backend.streams.lastFormat, pick);
    EXPECT_FALSE(w.controller->camera().GetPreviewDefalutState(1));
    EXPECT_FALSE(w.shell->controls().action(state::ControlId::SetMJPGPreview)->isChecked());
}

// ---- controls -----------------------------------------------------------------------------------

TEST(V4l2Controls, DescribesTheCamerasControlsAsData)
{
    for (bool extended : {true, false}) {
        SCOPED_TRACE(extended ? "VIDIOC_QUERY_EXT_CTRL" : "VIDIOC_QUERYCTRL only");
        Testbed bed;
        Scope s;
        s.capture.extendedQueries = extended;
        s.control(V4L2_CID_SATURATION).flags = V4L2_CTRL_FLAG_DISABLED;
        s.plugInto(bed);
        std::error_code error;
        auto device = platform::v4l2::openControlDevice("/dev/video0", error);
        ASSERT_TRUE(device) << error.message();

        const auto all = device->controls();
        std::vector<std::uint32_t> ids;
        for (const auto &c : all)
            ids.push_back(c.id);
        EXPECT_EQ(ids, (std::vector<std::uint32_t>{cid::Brightness, cid::Contrast, cid::AutoWhiteBalance,
                                                   cid::WhiteBalanceTemperature, cid::ExposureAuto, cid::ExposureAbsolute}))
            << "in id order, the disabled saturation left out";

        const auto brightness = device->info(cid::Brightness);
        ASSERT_TRUE(brightness);
        EXPECT_EQ(brightness->name, "Brightness");
        EXPECT_EQ(brightness->type, platform::ControlType::Integer);
        EXPECT_EQ(brightness->minimum, -64);
        EXPECT_EQ(brightness->maximum, 64);
        EXPECT_EQ(brightness->defaultValue, 0);
        const auto mode = device->info(cid::ExposureAuto);
        ASSERT_TRUE(mode);
        ASSERT_EQ(mode->menu.size(), 2u) << "the menu's holes are skipped";
        EXPECT_EQ(mode->menu[0].index, 1);
        EXPECT_EQ(mode->menu[1].name, "Aperture Priority Mode");
        EXPECT_TRUE(device->info(cid::ExposureAbsolute)->inactive);
        EXPECT_FALSE(device->info(cid::ZoomAbsolute));

        EXPECT_EQ(device->value(cid::Contrast), 32);
        EXPECT_FALSE(device->setValue(cid::Brightness, -30));
        EXPECT_EQ(s.capture.value(cid::Brightness), -30);
        EXPECT_TRUE(device->setValue(cid::ZoomAbsolute, 1));
        EXPECT_FALSE(device->value(cid::ZoomAbsolute));
    }
}

TEST(V4l2Controls, TheToolBarShowsTheCameraRangesAndDrivesTheRightControls)
{
    devtest::DeviceWindow w;
    Scope s;
    s.control(V4L2_CID_BRIGHTNESS).value = 20;   // left over from another program
    s.plugInto(w.bed);
    w.open();
    w.connect();
    ASSERT_TRUE(w.flags().VideoConnected);
    auto *bar = w.controller->controlToolBar();
    ASSERT_TRUE(bar);

    EXPECT_TRUE(bar->brightnessButton()->isEnabled());
    EXPECT_TRUE(bar->contrastButton()->isEnabled());
    EXPECT_TRUE(bar->exposureButton()->isEnabled());
    EXPECT_EQ(bar->brightnessBar()->minimum(), -64);
    EXPECT_EQ(bar->brightnessBar()->maximum(), 64);
    EXPECT_EQ(bar->brightnessBar()->value(), 0);
    EXPECT_EQ(s.capture.value(cid::Brightness), 0) << "connecting puts brightness to its default";
    EXPECT_EQ(bar->contrastBar()->maximum(), 95);
    EXPECT_EQ(bar->contrastBar()->value(), 32);
    EXPECT_EQ(bar->exposureBar()->minimum(), 3);
    EXPECT_EQ(bar->exposureBar()->maximum(), 2047);
    EXPECT_EQ(bar->exposureBar()->value(), 250);
    EXPECT_EQ(s.capture.value(cid::ExposureAuto), 3) << "exposure stays automatic";

    // Brightness: pressed, dragged to -30; released, back to the default.
    bar->brightnessButton()->click();
    bar->brightnessBar()->setValue(-30);
    EXPECT_EQ(s.capture.value(cid::Brightness), -30);
    EXPECT_EQ(s.capture.value(cid::Contrast), 32);
    bar->brightnessButton()->click();
    EXPECT_EQ(bar->brightnessBar()->value(), 0);
    EXPECT_EQ(s.capture.value(cid::Brightness), 0);

    bar->contrastButton()->click();
    bar->contrastBar()->setValue(50);
    EXPECT_EQ(s.capture.value(cid::Contrast), 50);
    EXPECT_EQ(s.capture.value(cid::Brightness), 0);

    // Exposure: pressed is manual at the current time; dragging sets the time; released is
    // automatic again with the bar at the default.
    bar->exposureButton()->click();
    EXPECT_EQ(s.capture.value(cid::ExposureAuto), 1);
    bar->exposureBar()->setValue(800);
    EXPECT_EQ(s.capture.value(cid::ExposureAbsolute), 800);
    EXPECT_EQ(s.capture.value(cid::ExposureAuto), 1);
    bar->exposureButton()->click();
    EXPECT_EQ(s.capture.value(cid::ExposureAuto), 3);
    EXPECT_EQ(bar->exposureBar()->value(), 250);
}

TEST(V4l2Controls, AControlTheCameraLacksOrMisreportsLeavesItsButtonDisabled)
{
    struct Case {
        const char *what;
        std::function<void(Scope &)> change;
        bool brightness, contrast, exposure;
    };
    const Case cases[] = {
        {"no contrast", [](Scope &s) { s.remove(V4L2_CID_CONTRAST); }, true, false, true},
        {"no exposure", [](Scope &s) { s.remove(V4L2_CID_EXPOSURE_ABSOLUTE); s.remove(V4L2_CID_EXPOSURE_AUTO); }, true, true, false},
        {"only QUERYCTRL", [](Scope &s) { s.capture.extendedQueries = false; }, true, true, true},
        {"contrast 95..0", [](Scope &s) { std::swap(s.control(V4L2_CID_CONTRAST).minimum, s.control(V4L2_CID_CONTRAST).maximum); },
         true, false, true},
        {"brightness step 0", [](Scope &s) { s.control(V4L2_CID_BRIGHTNESS).step = 0; }, true, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        devtest::DeviceWindow w;
        Scope s;
        c.change(s);
        s.plugInto(w.bed);
        w.open();
        w.connect();
        ASSERT_TRUE(w.flags().VideoConnected);
        auto *bar = w.controller->controlToolBar();
        EXPECT_EQ(bar->brightnessButton()->isEnabled(), c.brightness);
        EXPECT_EQ(bar->contrastButton()->isEnabled(), c.contrast);
        EXPECT_EQ(bar->exposureButton()->isEnabled(), c.exposure);
        if (c.brightness) {
            EXPECT_EQ(bar->brightnessBar()->minimum(), -64);
            EXPECT_EQ(bar->brightnessBar()->maximum(), 64);
        }
    }
}

TEST(V4l2Controls, StepZeroIsOneAndAnInvertedRangeIsNoControl)
{
    Testbed bed;
    Scope s;
    s.control(V4L2_CID_BRIGHTNESS).step = 0;
    std::swap(s.control(V4L2_CID_CONTRAST).minimum, s.control(V4L2_CID_CONTRAST).maximum);
    s.plugInto(bed);
    std::error_code error;
    auto device = platform::v4l2::openControlDevice("/dev/video0", error);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->info(cid::Brightness)->step, 1);
    EXPECT_FALSE(device->info(cid::Contrast)) << "a range of 95 to 0 cannot be shown or set";
    for (const auto &c : device->controls())
        EXPECT_NE(c.id, cid::Contrast);
    camera::PictureControls pc;
    pc.setDevice(device.get());
    int value = 0;
    EXPECT_FALSE(pc.VideoProcAmp_Com(camera::ProcAmp::Contrast, 0, value));
}

TEST(V4l2Controls, ADriverWhoseListsNeverEndDoesNotHangTheWindow)
{
    Testbed bed;
    Scope s;
    s.capture.endlessSizes = true;
    s.capture.stuckControlList = true;
    s.plugInto(bed);
    std::error_code error;
    const auto formats = platform::v4l2::enumerateFormats("/dev/video0", error);
    ASSERT_EQ(formats.size(), 2u);
    EXPECT_GE(formats[0].sizes.size(), 3u);
    EXPECT_LE(formats[0].sizes.size(), 64u);
    auto device = platform::v4l2::openControlDevice("/dev/video0", error);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->controls().size(), 1u);
}

TEST(V4l2Controls, AnUnplugInTheMiddleOfAChangeIsAFailedChange)
{
    devtest::DeviceWindow w;
    Scope s;
    s.plugInto(w.bed);
    w.open();
    w.connect();
    ASSERT_TRUE(w.flags().VideoConnected);
    auto *bar = w.controller->controlToolBar();
    bar->brightnessButton()->click();
    s.capture.setControlErrno = ENODEV;
    bar->brightnessBar()->setValue(40);
    EXPECT_EQ(s.capture.value(cid::Brightness), 0);
    camera::PictureControls &pc = w.controller->camera().pictureControls();
    int value = 12;
    EXPECT_FALSE(pc.VideoProcAmp_Com(camera::ProcAmp::Brightness, 1, value));
    EXPECT_FALSE(pc.CameraControl_Auto(camera::CameraCtl::Exposure, 2));
    EXPECT_TRUE(w.flags().VideoConnected) << "the stream decides whether the camera is gone";
    EXPECT_TRUE(w.presenter.texts.isEmpty());
}

TEST(V4l2Controls, ACameraHeldByAnotherProgramFailsToConnectWithAMessage)
{
    SKIP_WITHOUT_V4L2SRC();
    devtest::DeviceWindow w(true);
    Scope s;
    s.capture.setFormatErrno = EBUSY;
    s.plugInto(w.bed);
    w.open();
    ASSERT_TRUE(w.flags().DeviceFound);
    w.connect();
    EXPECT_FALSE(w.flags().VideoConnected);
    EXPECT_FALSE(w.controller->camera().isConnected());
    EXPECT_EQ(w.presenter.texts, QStringList{w.text("ConnectFailed_MsgBox")});
    EXPECT_TRUE(w.log.contains("CAPTURE /dev/video0 did not start: Device '/dev/video0' is busy"))
        << w.log.lines().join('\n').toStdString();
    EXPECT_EQ(w.controller->camera().lastFailure(), camera::PreviewFailure::OpenFailed);
    EXPECT_FALSE(w.controller->controlToolBar()->brightnessButton()->isEnabled());
    EXPECT_TRUE(s.capture.saw(VIDIOC_S_FMT));
}
