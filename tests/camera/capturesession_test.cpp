#include "camerafixture.h"

#include "camera/flipmode.h"
#include "platform/picturecodec.h"

#include <QTemporaryDir>

#include <gst/gst.h>

using camera::TVideoCameraDS;

namespace {

// Mean brightness of a picture (0..255), sampled.
double meanLevel(const QImage &image)
{
    double sum = 0;
    int n = 0;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7) {
            const QRgb c = image.pixel(x, y);
            sum += (qRed(c) + qGreen(c) + qBlue(c)) / 3.0;
            ++n;
        }
    return n ? sum / n : 0;
}

} // namespace

TEST(VirtualCameraListing, OptionsGiveTheEdgeCasesOfTheDeviceSearch)
{
    {
        VirtualCameraStack s(QStringLiteral("two,decoy"));
        ASSERT_TRUE(s.camera.SearchDevice());
        const auto menu = camera::deviceMenuEntries(s.camera.deviceTable());
        std::vector<QString> virtualCaptions;
        for (const auto &e : menu)
            if (platform::VirtualCameraRig::isVirtual(s.camera.deviceTable().record(e.slot)))
                virtualCaptions.push_back(e.caption);
        ASSERT_EQ(virtualCaptions.size(), 2u);   // the decoy (other product id) is not listed
        EXPECT_TRUE(virtualCaptions[0].startsWith("Virtual USB Camera # "));
        EXPECT_EQ(s.camera.GetIndexDevice(), menu.back().slot);   // the last one is selected
    }
    {
        VirtualCameraStack s(QStringLiteral("upper"));
        ASSERT_TRUE(s.searchVirtual());
        EXPECT_TRUE(s.camera.deviceTable().record(s.camera.GetIndexDevice()).devicePath.startsWith("USB#VID_EB1A"));
    }
}

TEST(CaptureSessionIntegration, ConnectsAt640x480InTheDefaultFormatAndFramesArrive)
{
    SKIP_WITHOUT_GST_PLUGINS();
    VirtualCameraStack s;
    ASSERT_TRUE(s.connect()) << s.log.lines().join('\n').toStdString();
    EXPECT_TRUE(s.camera.isConnected());
    EXPECT_EQ(s.camera.currentFormat().code, platform::kFourccYuyv);
    EXPECT_EQ(s.camera.videoSize(), QSize(640, 480));
    ASSERT_TRUE(s.waitFrames(3));
    const QImage frame = s.camera.latestFrame().image;
    EXPECT_EQ(frame.size(), QSize(640, 480));
    EXPECT_EQ(frame.format(), QImage::Format_RGB32);
    EXPECT_GT(meanLevel(frame), 60);   // the lit specimen, not a black picture
    EXPECT_EQ(s.camera.GetFilterGraphState(), 3);
    s.camera.DeviceDisConnect();
    EXPECT_FALSE(s.camera.isConnected());
    EXPECT_EQ(s.camera.GetFilterGraphState(), 0);
}

TEST(CaptureSessionIntegration, MjpgPreviewConnectsAt1600x1200ThroughTheDecoder)
{
    SKIP_WITHOUT_GST_PLUGINS();
    VirtualCameraStack s;
    s.camera.SetPreviewDefalutState(1, true);
    EXPECT_FALSE(s.camera.GetPreviewDefalutState(0));   // only selector 1 means anything
    ASSERT_TRUE(s.connect());
    EXPECT_EQ(s.camera.currentFormat().code, platform::kFourccMjpg);
    ASSERT_TRUE(s.waitFrames(2));
    EXPECT_EQ(s.camera.latestFrame().image.size(), QSize(1600, 1200));
    EXPECT_EQ(s.camera.videoSize(), QSize(1600, 1200));
}

TEST(CaptureSessionIntegration, FormatChangeOfWidthClearsMeasurementsAndOfHeightAloneDoesNot)
{
    SKIP_WITHOUT_GST_PLUGINS();
    VirtualCameraStack s;
    s.camera.SetPreviewDefalutState(1, true);
    ASSERT_TRUE(s.connect());
    QSignalSpy cleared(&s.camera, &TVideoCameraDS::measurementsCleared);

    // 1600 x 900: same width, measurements stay; the MJPG flag stays (width 1600).
    ASSERT_TRUE(s.camera.applyFormat({platform::kFourccMjpg, 1600, 900, {30, 1}}));
    EXPECT_EQ(cleared.count(), 0);
    EXPECT_FALSE(s.camera.resizeByResolutionNeeded());
    EXPECT_TRUE(s.camera.GetPreviewDefalutState(1));
    ASSERT_TRUE(s.waitFrames(1));
    EXPECT_EQ(s.camera.latestFrame().image.size(), QSize(1600, 900));

    // 1280 x 1024: another width, measurements cleared, flags raised, MJPG flag cleared.
    ASSERT_TRUE(s.camera.applyFormat({platform::kFourccYuyv, 1280, 1024, {30, 1}}));
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_TRUE(s.camera.scaleRedrawNeeded());
    EXPECT_TRUE(s.camera.resizeByResolutionNeeded());
    EXPECT_FALSE(s.camera.GetPreviewDefalutState(1));
    EXPECT_EQ(s.camera.videoSize(), QSize(1280, 1024));
}

TEST(CaptureSessionIntegration, RefusedFormatFailsTheRebuildInsteadOfFreezing)
{
    SKIP_WITHOUT_GST_PLUGINS();
    VirtualCameraStack s;
    ASSERT_TRUE(s.connect());
    EXPECT_FALSE(s.camera.applyFormat({platform::kFourccYuyv, 333, 222, {30, 1}}));
    EXPECT_EQ(s.camera.lastFailure(), camera::PreviewFailure::FormatRefused);
    EXPECT_EQ(s.camera.GetFilterGraphState(), 0);
}

TEST(CaptureSessionIntegration, FailingOpenIsReportedAndNothingRuns)
{
    SKIP_WITHOUT_GST_PLUGINS();
    VirtualCameraStack s(QStringLiteral("failopen"));
    ASSERT_TRUE(s.searchVirtual());
    EXPECT_FALSE(s.camera.DeviceConnect());
    EXPECT_EQ(s.camera.lastFailure(), camera::PreviewFailure::OpenFailed);
    EXPECT_FALSE(s.camera.isConnected());
    EXPECT_TRUE(s.log.contains(QStringLiteral("CAPTURE This graph cannot preview!")));
}

TEST(CaptureSessionIntegration, FlipModesApplyToGrabbedFramesAndModeFourIsRefused)
{
    SKIP_WITHOUT_GST_PLUGINS();
    VirtualCameraStack s;
    ASSERT_TRUE(s.connect());
    ASSERT_TRUE(s.waitFrames(1));
    const QImage asDelivered = s.camera.grabFrame().image();
    EXPECT_FALSE(s.camera.SetFlipMode(4));
    EXPECT_EQ(s.camera.GetFlipMode(), 3);
    struct Row {
        int mode;
        bool h, v;
    };
    for (const Row r : {Row{0, true, false}, Row{1, true, true}, Row{2, false, true}, Row{3, false, false}}) {
        ASSERT_TRUE(s.camera.SetFlipMode(r.mode));
        const QImage grabbed = s.camera.grabFrame().image();
        EXPECT_EQ(grabbed, asDelivered.mirrored(r.h, r.v)) << "mode " << r.mode;
    }
}

TEST(CaptureSessionIntegration, WithoutRendererFlippingIsUnavailable)
{
    qputenv("SENDRA_CAM_NO_RENDERER", "1");
    VirtualCameraStack s;
    qunsetenv("SENDRA_CAM_NO_RENDERER");
    EXPECT_FALSE(s.camera.CheckVMR_Functuon());
    EXPECT_FALSE(s.camera.SetFlipMode(0));
    EXPECT_EQ(s.camera.GetFlipMode(), 3);
}

TEST(CaptureSessionIntegration, FreezingShowsTheFrameOrAFileAndJpegExtensionLoadsNothing)
{
    SKIP_WITHOUT_GST_PLUGINS();
    VirtualCameraStack s;
    ASSERT_TRUE(s.connect());
    ASSERT_TRUE(s.waitFrames(1));
    QTemporaryDir dir;
    platform::Bitmap picture(320, 200, 0x0000FF);
    ASSERT_TRUE(platform::writeJpegFile(dir.filePath("a.JPG"), picture).ok());
    ASSERT_TRUE(platform::writeJpegFile(dir.filePath("b.jpeg"), platform::Bitmap(50, 50, 0xFF0000)).ok());
    QFile bad(dir.filePath("bad.bmp"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("BMnonsense");
    bad.close();

    ASSERT_TRUE(s.camera.FilterGraph_Pause(0, {}));
    EXPECT_EQ(s.camera.GetFilterGraphState(), 2);
    EXPECT_EQ(s.camera.stillImage().size(), QSize(640, 480));
    EXPECT_TRUE(s.camera.FilterGraph_Play());
    EXPECT_EQ(s.camera.GetFilterGraphState(), 3);

    ASSERT_TRUE(s.camera.FilterGraph_Pause(1, dir.filePath("a.JPG")));
    EXPECT_EQ(s.camera.videoSize(), QSize(320, 200));
    const QImage fromJpg = s.camera.stillImage();
    s.camera.FilterGraph_Play();
    EXPECT_EQ(s.camera.videoSize(), QSize(640, 480));

    ASSERT_TRUE(s.camera.FilterGraph_Pause(1, dir.filePath("b.jpeg")));
    EXPECT_EQ(s.camera.stillImage(), fromJpg);   // nothing new
    s.camera.FilterGraph_Play();

    EXPECT_FALSE(s.camera.FilterGraph_Pause(1, dir.filePath("bad.bmp")));
    EXPECT_EQ(s.camera.GetFilterGraphState(), 3);   // played again
    ASSERT_TRUE(s.waitFrames(1));                     // and frames flow again
}

TEST(CaptureSessionIntegration, StillButtonSetsTheFlagOnlyWhileGrabbingIsEnabled)
{
    SKIP_WITHOUT_GST_PLUGINS();
    VirtualCameraStack s;
    ASSERT_TRUE(s.connect());
    EXPECT_FALSE(s.camera.stillTrigger().isSet());
    s.rig.pressStill();
    EXPECT_TRUE(s.camera.stillTrigger().isSet());
    s.camera.stillTrigger().clear();
    s.camera.stillTrigger().setGrabEnabled(false);
    s.rig.pressStill();
    EXPECT_FALSE(s.camera.stillTrigger().isSet());
    s.camera.stillTrigger().setGrabEnabled(true);
    s.camera.DeviceDisConnect();
    s.rig.pressStill();   // no camera open: nobody listens
    EXPECT_FALSE(s.camera.stillTrigger().isSet());

    VirtualCameraStack noButton(QStringLiteral("nostill"));
    ASSERT_TRUE(noButton.connect());
    noButton.rig.pressStill();
    EXPECT_FALSE(noButton.camera.stillTrigger().isSet());
}

TEST(CaptureSessionIntegration, UnplugWhileStreamingDisconnectsAsDeviceGone)
{
    SKIP_WITHOUT_GST_PLUGINS();
    VirtualCameraStack s;
    ASSERT_TRUE(s.connect());
    ASSERT_TRUE(s.waitFrames(1));
    QSignalSpy lost(&s.camera, &TVideoCameraDS::previewLost);
    QSignalSpy changed(&s.rig, &platform::VirtualCameraRig::devicesChanged);
    s.rig.unplug();
    EXPECT_EQ(changed.count(), 1);
    ASSERT_TRUE(lost.count() > 0 || lost.wait(5000));
    EXPECT_EQ(lost.at(0).at(0).value<camera::PreviewLoss>(), camera::PreviewLoss::DeviceGone);
    EXPECT_FALSE(s.camera.isConnected());
    EXPECT_EQ(s.camera.GetFilterGraphState(), 0);
    EXPECT_FALSE(s.searchVirtual());

    s.rig.plug();
    ASSERT_TRUE(s.searchVirtual());
    EXPECT_FALSE(s.camera.isConnected());   // plugging in does not reconnect
    ASSERT_TRUE(s.camera.DeviceConnect());
    EXPECT_TRUE(s.waitFrames(1));
}

TEST(CaptureSessionIntegration, ControlsVisiblyChangeThePicture)
{
    SKIP_WITHOUT_GST_PLUGINS();
    VirtualCameraStack s;
    ASSERT_TRUE(s.connect());
    ASSERT_TRUE(s.waitFrames(1));
    const double before = meanLevel(s.camera.latestFrame().image);
    ASSERT_NE(s.camera.controlDevice(), nullptr);
    ASSERT_FALSE(s.camera.controlDevice()->setValue(platform::cid::Brightness, 64));
    ASSERT_TRUE(s.waitFrames(3));
    EXPECT_GT(meanLevel(s.camera.latestFrame().image), before + 20);
}
