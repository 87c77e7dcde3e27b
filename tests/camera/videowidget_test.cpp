#include "camerafixture.h"

#include "camera/ui/videocontroltoolbar.h"
#include "camera/ui/videoformatdialog.h"
#include "camera/ui/videosourcedialog.h"
#include "camera/flipmode.h"
#include "camera/ui/videowidget.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QPainter>
#include <QSlider>
#include <QTest>
#include <QToolButton>

using camera::ui::VideoWidget;

namespace {

QImage quadrants()
{
    // Top-left red, top-right green, bottom-left blue, bottom-right black (RGB32).
    QImage img(4, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            img.setPixel(x, y, y < 2 ? (x < 2 ? 0xFFFF0000 : 0xFF00FF00) : (x < 2 ? 0xFF0000FF : 0xFF000000));
    return img;
}

} // namespace

TEST(VideoWidget, ScalesWithoutKeepingAspectAndFlipsByMode)
{
    VideoWidget w;
    w.resize(40, 20);
    w.setFrame(quadrants());
    struct Row {
        int mode;
        QRgb topLeft;
    };
    for (const Row r : {Row{3, 0xFFFF0000}, Row{0, 0xFF00FF00}, Row{1, 0xFF000000}, Row{2, 0xFF0000FF}}) {
        w.setFlipMode(r.mode);
        const QImage shown = w.grabVideo();
        ASSERT_EQ(shown.size(), QSize(40, 20));
        EXPECT_EQ(shown.pixel(1, 1), r.topLeft) << "mode " << r.mode;
        EXPECT_EQ(shown.pixel(19, 9), r.topLeft) << "mode " << r.mode;   // a quarter of the widget
    }
}

TEST(VideoWidget, WhiteOfTheOverlayIsTransparentAndNeverBleeds)
{
    VideoWidget w;
    w.resize(30, 30);   // 3x upscale of a 10x10 overlay
    QImage black(10, 10, QImage::Format_RGB32);
    black.fill(0xFF000000);
    w.setFrame(black);
    platform::Bitmap overlay(10, 10, 0xFFFFFF);
    overlay.setPixel(5, 5, 0x0000FF);          // red
    overlay.setPixel(2, 2, 0xFEFFFF);          // almost white: drawn, not keyed
    w.setOverlay(overlay);
    const QImage shown = w.grabVideo();
    EXPECT_EQ(shown.pixel(0, 0), 0xFF000000u);                 // keyed: the frame shows through
    EXPECT_EQ(shown.pixel(16, 16), qRgb(255, 0, 0));           // the red pixel, scaled 3x
    EXPECT_EQ(shown.pixel(14, 16), 0xFF000000u);               // its neighbour: no halo
    EXPECT_EQ(shown.pixel(7, 7), qRgb(255, 255, 254));
    w.clearOverlay();
    EXPECT_EQ(w.grabVideo().pixel(16, 16), 0xFF000000u);
}

TEST(VideoWidget, ForwardsMouseEventsWithWidgetCoordinates)
{
    VideoWidget w;
    w.resize(100, 80);
    QSignalSpy press(&w, &VideoWidget::videoMousePressed);
    QSignalSpy release(&w, &VideoWidget::videoMouseReleased);
    QSignalSpy dbl(&w, &VideoWidget::videoDoubleClicked);
    QTest::mousePress(&w, Qt::LeftButton, Qt::ShiftModifier, QPoint(12, 34));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(13, 35));
    QTest::mouseDClick(&w, Qt::RightButton, {}, QPoint(50, 60));
    ASSERT_GE(press.count(), 1);
    EXPECT_EQ(press.at(0).at(2).toPoint(), QPoint(12, 34));
    EXPECT_EQ(press.at(0).at(1).value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
    ASSERT_GE(release.count(), 1);
    EXPECT_EQ(release.at(0).at(2).toPoint(), QPoint(13, 35));
    ASSERT_EQ(dbl.count(), 1);
    EXPECT_EQ(dbl.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
}

TEST(VideoWidgetIntegration, ShowsTheLiveSpecimenAndTheFrozenPicture)
{
    SKIP_WITHOUT_GST_PLUGINS();
    VirtualCameraStack s;
    VideoWidget w;
    w.resize(400, 300);
    QObject::connect(&s.camera, &camera::TVideoCameraDS::frameReady, &w, [&] { w.setFrame(s.camera.latestFrame().image); });
    ASSERT_TRUE(s.connect());
    ASSERT_TRUE(s.waitFrames(2));
    const QImage shown = w.grabVideo();
    EXPECT_NE(shown.pixel(200, 150), 0xFF000000u);   // not the black of "no picture"
    EXPECT_GT(w.framesShown(), 0u);
}

namespace {

// The picture-control buttons and bars as the main window builds them.
camera::ui::VideoControlToolBar::Controls barControls(QWidget &host)
{
    camera::ui::VideoControlToolBar::Controls c;
    for (QToolButton *&b : c.orientation) {
        b = new QToolButton(&host);
        b->setCheckable(true);
    }
    for (QToolButton **b : {&c.brightness, &c.contrast, &c.exposure, &c.whiteBalance})
        *b = new QToolButton(&host);
    for (QSlider **s : {&c.brightnessBar, &c.contrastBar, &c.exposureBar})
        *s = new QSlider(Qt::Horizontal, &host);
    return c;
}

} // namespace

TEST(VideoControlToolBarIntegration, BrightnessExposureAndOrientationOnTheVirtualCamera)
{
    SKIP_WITHOUT_GST_PLUGINS();
    VirtualCameraStack s;
    QWidget host;
    camera::ui::VideoControlToolBar bar(s.camera, barControls(host));
    EXPECT_FALSE(bar.brightnessButton()->isEnabled());
    ASSERT_TRUE(s.connect());
    EXPECT_EQ(bar.initialiseAfterConnect(), 3);
    EXPECT_EQ(bar.brightnessBar()->minimum(), -64);
    EXPECT_EQ(bar.brightnessBar()->maximum(), 64);
    EXPECT_EQ(bar.brightnessBar()->value(), 0);

    bar.brightnessButton()->click();
    bar.brightnessBar()->setValue(-30);   // dragged
    EXPECT_EQ(s.camera.controlDevice()->value(platform::cid::Brightness), -30);
    bar.brightnessButton()->click();      // released: back to the default
    EXPECT_EQ(bar.brightnessBar()->value(), 0);
    EXPECT_EQ(s.camera.controlDevice()->value(platform::cid::Brightness), 0);

    bar.exposureButton()->click();
    EXPECT_EQ(s.camera.controlDevice()->value(platform::cid::ExposureAuto), platform::exposuremode::Manual);
    bar.exposureBar()->setValue(900);
    EXPECT_EQ(s.camera.controlDevice()->value(platform::cid::ExposureAbsolute), 900);
    bar.exposureButton()->click();
    EXPECT_EQ(s.camera.controlDevice()->value(platform::cid::ExposureAuto), platform::exposuremode::AperturePriority);
    EXPECT_EQ(bar.exposureBar()->value(), 250);

    bar.orientationButton(1)->click();
    EXPECT_EQ(s.camera.GetFlipMode(), 1);
    EXPECT_EQ(bar.lastFlipMode(), 1);

    VirtualCameraStack noContrast(QStringLiteral("nocontrast"));
    camera::ui::VideoControlToolBar bar2(noContrast.camera, barControls(host));
    ASSERT_TRUE(noContrast.connect());
    EXPECT_EQ(bar2.initialiseAfterConnect(), 2);
    EXPECT_FALSE(bar2.contrastButton()->isEnabled());
}

TEST(VideoDialogsIntegration, ListTheCamerasRealFormatsAndControls)
{
    SKIP_WITHOUT_GST_PLUGINS();
    VirtualCameraStack s;
    ASSERT_TRUE(s.connect());
    camera::ui::VideoFormatDialog formats;
    formats.setFormats(s.camera.availableFormats(), s.camera.currentFormat());
    EXPECT_EQ(formats.formatBox()->count(), 2);
    EXPECT_EQ(formats.sizeBox()->count(), 3);   // the raw sizes
    EXPECT_EQ(formats.selectedFormat(), s.camera.currentFormat());
    ASSERT_TRUE(formats.select({platform::kFourccMjpg, 1600, 900, {30, 1}}));
    EXPECT_EQ(formats.selectedFormat().height, 900);
    EXPECT_FALSE(formats.select({platform::kFourccMjpg, 123, 45, {}}));

    camera::ui::VideoSourceDialog source(*s.camera.controlDevice());
    EXPECT_EQ(source.controlCount(), 5);   // brightness, contrast, exposure mode and time, focus
    auto *brightness = source.findChild<QWidget *>(QStringLiteral("control_00980900"));
    ASSERT_NE(brightness, nullptr);
    auto *slider = brightness->findChild<QSlider *>();
    ASSERT_NE(slider, nullptr);
    slider->setValue(12);
    EXPECT_EQ(s.camera.controlDevice()->value(platform::cid::Brightness), 12);
    // The focus is a slider like the others: users sweep it from here.
    auto *focus = source.findChild<QWidget *>(QStringLiteral("control_009a090a"));
    ASSERT_NE(focus, nullptr);
    ASSERT_NE(focus->findChild<QSlider *>(), nullptr);
    focus->findChild<QSlider *>()->setValue(70);
    EXPECT_EQ(s.camera.controlDevice()->value(platform::cid::FocusAbsolute), 70);
}

TEST(VideoWidget, FlipsAtFullSizeExactlyLikeTheReferenceFlipWithTheKeyedOverlayOnTop)
{
    // At 1:1 the widget flips by copying rows, straight into an RGB32 target or through its own
    // buffer for any other target: both must match the reference flip pixel for pixel.
    QImage frame(7, 5, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            frame.setPixel(x, y, qRgb(x * 30, y * 40, 200));
    platform::Bitmap overlay(7, 5, 0xFFFFFF);
    overlay.setPixel(1, 3, 0x0000FF);   // red
    VideoWidget w;
    w.resize(frame.size());
    w.setFrame(frame);
    w.setOverlay(overlay);
    for (int mode : {0, 1, 2, 3}) {
        w.setFlipMode(mode);
        QImage expected = camera::flipped(frame, mode).convertToFormat(QImage::Format_RGB32);
        expected.setPixel(1, 3, qRgb(255, 0, 0));   // the overlay is not flipped
        for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
            QImage shown(QSize(9, 7), format);   // painted at an offset, inside a larger image
            shown.fill(Qt::black);
            QPainter p(&shown);
            w.paintVideo(p, QRect(QPoint(1, 1), frame.size()));
            p.end();
            const QImage inner = shown.copy(QRect(QPoint(1, 1), frame.size())).convertToFormat(QImage::Format_RGB32);
            EXPECT_EQ(inner, expected) << "mode " << mode << " format " << format;
            EXPECT_EQ(shown.pixel(0, 0), 0xFF000000u) << "mode " << mode << ": nothing written outside the target";
            EXPECT_EQ(shown.pixel(8, 6), 0xFF000000u) << "mode " << mode << ": nothing written outside the target";
        }
    }
    // A new frame is flipped anew, not taken from the previous frame's copy.
    w.setFlipMode(1);
    QImage black(frame.size(), QImage::Format_RGB32);
    black.fill(0xFF000000);
    w.setFrame(black);
    EXPECT_EQ(w.grabVideo().pixel(6, 4), 0xFF000000u);
    QImage viaBuffer(frame.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter p(&viaBuffer);
    w.paintVideo(p, viaBuffer.rect());
    p.end();
    EXPECT_EQ(viaBuffer.pixel(6, 4), 0xFF000000u);
}
