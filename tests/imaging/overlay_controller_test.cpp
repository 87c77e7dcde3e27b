// The comparison and reticle tool bars in the whole program on the virtual camera. Every check
// that matters looks at the frame the video widget composites, at 1:1 in the 640 x 480 preset.
#include "app/main/systemservices.h"
#include "imaging/ui/comparecontroller.h"
#include "app/ui/layoutcontroller.h"
#include "app/ui/mainwindow.h"
#include "app/ui/messagepresenter.h"
#include "imaging/ui/reticlecontroller.h"
#include "app/ui/sendraapplication.h"
#include "app/ui/shell.h"
#include "camera/ui/cameracontroller.h"

#include "fakes.h"
#include "scripteddialogs.h"

#include "camera/ui/videowidget.h"
#include "camera/videocamerads.h"
#include "imaging/ui/stillimagecontroller.h"
#include "imaging/stilldocument.h"
#include "platform/diagnosticslog.h"
#include "platform/picturecodec.h"
#include "widgets/sliderdropdown.h"
#include "widgets/toolbarslider.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPushButton>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace app::ui;
using measure::ui::MeasureController;
using measure::ui::ResultsController;
using scales::ui::ScaleController;
using C = state::ControlId;
using imaging::CompareMode;

namespace {

using Channel = int (*)(QRgb);
const Channel kChannels[] = {qRed, qGreen, qBlue};

struct AnswerOk final : MessagePresenter {
    QStringList texts;
    int show(const QString &text, const QString &, bool, int) override
    {
        texts << text;
        return kResultOk;
    }
};

// Every pixel names its column and row and none is white or green: red = x % 256,
// green = 40 * (x / 256) + 1, blue = y % 255. A 20 x 20 block at (300, 200) is pure green, the
// knockout colour the tests choose.
constexpr QRect kGreenBlock(300, 200, 20, 20);
QRgb named(int x, int y) { return qRgb(x % 256, 40 * (x / 256) + 1, y % 255); }
platform::Bitmap reference()
{
    QImage img(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            img.setPixel(x, y, kGreenBlock.contains(x, y) ? qRgb(0, 255, 0) : named(x, y));
    return platform::Bitmap(img);
}

struct Program {
    fakes::TemporaryProfile profile;
    fakes::FakeClock clock;
    platform::DiagnosticsLog log;
    AnswerOk presenter;
    fakes::ScriptedDialogs dialogs;
    // Built before the program and destroyed after it.
    std::unique_ptr<::app::SystemServices> system;
    std::unique_ptr<SendraApplication> app;
    QString refPath;

    Program()
    {
        qputenv("SENDRA_CAM_VIRTUAL_CAMERA", "1");
        system = std::make_unique<::app::SystemServices>(QStringLiteral(SENDRA_PROGRAM_DIR), log);
        app = std::make_unique<SendraApplication>(QStringLiteral(SENDRA_PROGRAM_DIR), log, clock, system->services(), &presenter,
                                                  &dialogs);
        app->window().show();
        refPath = profile.path() + "/reference.bmp";
        EXPECT_TRUE(platform::writeBmpFile(refPath, reference()).ok());
        dialogs.file = [this](QFileDialog &) { return std::optional<QString>(refPath); };
    }
    ~Program() { qunsetenv("SENDRA_CAM_VIRTUAL_CAMERA"); }

    Shell &shell() { return app->shell(); }
    Controls &controls() { return app->shell().controls(); }
    imaging::ui::CompareController &compare() { return app->compare(); }
    camera::ui::VideoWidget &video() { return *app->camera().videoWidget(); }
    // A click as the user makes it: after the idle-time update, on an enabled button.
    void click(C id)
    {
        shell().UpdateActions();
        QAbstractButton *b = controls().button(id);
        EXPECT_TRUE(b->isEnabled() && b->isVisible()) << state::controlName(id);
        b->click();
    }
    QAbstractSlider *slider(C id) { return controls().slider(id); }

    // Connected, with the video shown at the camera's 640 x 480, one widget pixel per pixel.
    bool connect()
    {
        Shell &w = shell();
        w.UpdateActions();
        if (!w.state().flags().DeviceFound)
            return false;
        QSignalSpy frames(&app->camera().camera(), &camera::TVideoCameraDS::frameReady);
        w.controls().mainButton(C::Connect_Btn)->click();
        if (!w.state().flags().VideoConnected || !(frames.count() > 0 || frames.wait(5000)))
            return false;
        app->layout().applyPreset(state::kPreset640x480);
        return QTest::qWaitFor([this] { return video().size() == QSize(640, 480); }, 3000)
            && app->camera().camera().videoSize() == QSize(640, 480);
    }

    // What the widget shows now, and the live frame alone as it would show without an overlay.
    struct Shot {
        QImage composite, live;
    };
    Shot shot()
    {
        Shot s;
        s.composite = video().grabVideo();
        s.live = QImage(video().size(), QImage::Format_RGB32);
        QPainter painter(&s.live);
        painter.drawImage(s.live.rect(), video().shownFrame());
        return s;
    }
    bool overlayShown() { return video().hasOverlay(); }
};

// The composite at `at` is `overlay` laid over the live pixel with `alpha`, within 2 steps.
::testing::AssertionResult blendedAt(const Program::Shot &s, QPoint at, QRgb overlay, double alpha)
{
    const QRgb got = s.composite.pixel(at), live = s.live.pixel(at);
    for (Channel ch : kChannels) {
        const double expected = alpha * ch(overlay) + (1 - alpha) * ch(live);
        if (std::abs(ch(got) - expected) > 2.0)
            return ::testing::AssertionFailure() << "at " << at.x() << "," << at.y() << " got " << std::hex << got
                                                 << " overlay " << overlay << " live " << live;
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult liveAt(const Program::Shot &s, QPoint at)
{
    if (s.composite.pixel(at) == s.live.pixel(at))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "at " << at.x() << "," << at.y() << " the overlay shows: " << std::hex
                                         << s.composite.pixel(at) << " over live " << s.live.pixel(at);
}

} // namespace

TEST(CompareOverlayProgram, BlendsAndSplitsAReferenceFileOverTheLiveVideo)
{
    Program p;
    ASSERT_TRUE(p.connect());
    QString askedIn;
    p.dialogs.file = [&](QFileDialog &dialog) {
        askedIn = dialog.directory().absolutePath();
        return std::optional<QString>(p.refPath);
    };
    p.shell().UpdateActions();
    EXPECT_FALSE(p.controls().widget(C::CompareTB_LeftRight)->isEnabled()) << "no reference yet";

    // The file button: the dialog starts in the cover folder, then blend at half opacity.
    p.click(C::CompareTB_AssignFile);
    EXPECT_TRUE(askedIn.endsWith("DATA/Image/Cover")) << askedIn.toStdString();
    EXPECT_TRUE(p.controls().isDown(C::CompareTB_AssignFile));
    EXPECT_TRUE(p.controls().isDown(C::CompareTB_Compare));
    EXPECT_EQ(p.slider(C::CompareTB_TransparentSB)->value(), 5);
    EXPECT_TRUE(p.slider(C::CompareTB_TransparentSB)->isEnabled());
    EXPECT_FALSE(p.slider(C::CompareTB_SideRatioSB)->isEnabled());
    EXPECT_TRUE(p.shell().state().flags().OverlayMode);
    p.shell().UpdateActions();
    EXPECT_TRUE(p.controls().widget(C::CompareTB_LeftRight)->isEnabled());
    auto s = p.shot();
    EXPECT_TRUE(blendedAt(s, {100, 100}, named(100, 100), 0.5));
    EXPECT_TRUE(blendedAt(s, {639, 479}, named(639, 479), 0.5));

    // Left-right: the slider runs 0..640 from 320, O = 160: reference columns 160..479 on the
    // left half, the live video on the right half.
    p.click(C::CompareTB_LeftRight);
    QAbstractSlider *split = p.slider(C::CompareTB_SideRatioSB);
    EXPECT_EQ(split->maximum(), 640);
    EXPECT_EQ(split->value(), 320);
    EXPECT_TRUE(split->isEnabled());
    EXPECT_TRUE(p.controls().widget(C::CompareTB_WinImg_Mode)->isEnabled());
    EXPECT_EQ(p.slider(C::CompareTB_TransparentSB)->value(), 10);
    EXPECT_EQ(p.compare().state().split, (imaging::SplitState{640, 320, 320, 160}));
    s = p.shot();
    EXPECT_EQ(s.composite.pixel(0, 3), named(160, 3));
    EXPECT_EQ(s.composite.pixel(319, 479), named(479, 479));
    EXPECT_TRUE(liveAt(s, {320, 3}));
    EXPECT_TRUE(liveAt(s, {639, 479}));

    // The slider at the maximum shows the whole reference, at 0 only live video.
    split->setValue(640);
    s = p.shot();
    EXPECT_EQ(s.composite.pixel(5, 5), named(5, 5));
    EXPECT_EQ(s.composite.pixel(600, 400), named(600, 400));
    split->setValue(0);
    s = p.shot();
    EXPECT_EQ(s.composite, s.live);

    // Window move at R = 320: position 640 gives O = 320, the right half of the reference on the left.
    split->setValue(320);
    p.click(C::CompareTB_WinImg_Mode);
    split->setValue(640);
    EXPECT_EQ(p.compare().state().split.offset, 320);
    s = p.shot();
    EXPECT_EQ(s.composite.pixel(0, 9), named(320, 9));
    EXPECT_EQ(s.composite.pixel(319, 9), named(639, 9));
    EXPECT_TRUE(liveAt(s, {330, 9}));
    // Up again: the slider returns to R and the part is centred again.
    p.click(C::CompareTB_WinImg_Mode);
    EXPECT_EQ(split->value(), 320);
    EXPECT_EQ(p.compare().state().split, (imaging::SplitState{640, 320, 320, 160}));

    // Transparency 3 is alpha 0.3, also kept when the split moves afterwards.
    p.slider(C::CompareTB_TransparentSB)->setValue(3);
    EXPECT_EQ(p.compare().state().alpha, 0.3f);
    s = p.shot();
    EXPECT_TRUE(blendedAt(s, {10, 50}, named(170, 50), 0.3));
    EXPECT_TRUE(liveAt(s, {400, 50}));
    split->setValue(330);
    s = p.shot();
    EXPECT_TRUE(blendedAt(s, {10, 50}, named(165, 50), 0.3));

    // Top-bottom and bottom-top split the height.
    p.click(C::CompareTB_TopBottom);
    EXPECT_EQ(split->maximum(), 480);
    s = p.shot();
    EXPECT_EQ(s.composite.pixel(7, 0), named(7, 120));
    EXPECT_TRUE(liveAt(s, {7, 240}));
    p.click(C::CompareTB_BottomTop);
    EXPECT_FALSE(p.controls().isDown(C::CompareTB_TopBottom));
    s = p.shot();
    EXPECT_TRUE(liveAt(s, {7, 239}));
    EXPECT_EQ(s.composite.pixel(7, 479), named(7, 359));
}

TEST(CompareOverlayProgram, AKnockoutColouredReferencePixelShowsTheLiveVideoInEveryMode)
{
    Program p;
    ASSERT_TRUE(p.connect());
    p.dialogs.colour = [](const QColor &initial) {
        EXPECT_EQ(initial, QColor(Qt::white)) << "the knockout colour starts white";
        return QColor(0, 255, 0);
    };
    p.click(C::CompareTB_AssignFile);
    p.click(C::CompareTB_knockoutColor);
    EXPECT_EQ(p.compare().state().knockout, platform::rgbColor(0, 255, 0));
    // Where the green block lands in each mode (split at the start: R half, O a quarter).
    struct Row {
        C button;
        QPoint inBlock, beside;
        double alpha;
    };
    for (const Row &r : {Row{C::CompareTB_Compare, {310, 210}, {295, 210}, 0.5}, Row{C::CompareTB_LeftRight, {150, 210}, {135, 210}, 1.0},
                         Row{C::CompareTB_RightLeft, {470, 210}, {455, 210}, 1.0}, Row{C::CompareTB_TopBottom, {310, 90}, {295, 90}, 1.0},
                         Row{C::CompareTB_BottomTop, {310, 330}, {295, 330}, 1.0}}) {
        p.click(r.button);
        const auto s = p.shot();
        EXPECT_TRUE(liveAt(s, r.inBlock)) << state::controlName(r.button);
        EXPECT_FALSE(liveAt(s, r.beside)) << state::controlName(r.button);
    }
}

TEST(CompareOverlayProgram, TheShownPictureBecomesTheReferenceAndACancelledDialogChangesNothing)
{
    Program p;
    ASSERT_TRUE(p.connect());
    // A cancelled dialog with nothing assigned: the button comes up, nothing is assigned.
    p.dialogs.file = [](QFileDialog &) { return std::optional<QString>(); };
    p.click(C::CompareTB_AssignFile);
    EXPECT_FALSE(p.controls().isDown(C::CompareTB_AssignFile));
    EXPECT_FALSE(p.compare().state().referenceAssigned);

    // A snapshot is shown beside the video; it becomes the reference through CoverTemp.bmp.
    p.shell().controls().mainButton(C::CaptureImage_Btn)->click();
    const platform::Bitmap still = p.app->still().document().picture();
    ASSERT_FALSE(still.isNull());
    p.shell().UpdateActions();
    ASSERT_TRUE(p.controls().widget(C::CompareTB_AssignWindowsImage)->isEnabled());
    p.click(C::CompareTB_AssignWindowsImage);
    const QString cover = p.shell().paths().coverTemp();
    EXPECT_EQ(p.compare().state().referencePath, cover);
    ASSERT_TRUE(QFile::exists(cover));
    EXPECT_EQ(platform::readPictureFile(cover).bitmap, still);
    EXPECT_TRUE(p.controls().isDown(C::CompareTB_Compare));
    p.click(C::CompareTB_LeftRight);
    auto s = p.shot();
    EXPECT_EQ(s.composite.pixel(4, 4), platform::toQRgb(still.pixel(164, 4)));

    // Now the file button, cancelled: reference, mode, overlay and the other button stay.
    p.click(C::CompareTB_AssignFile);
    EXPECT_FALSE(p.controls().isDown(C::CompareTB_AssignFile));
    EXPECT_TRUE(p.controls().isDown(C::CompareTB_AssignWindowsImage));
    EXPECT_TRUE(p.controls().isDown(C::CompareTB_LeftRight));
    EXPECT_EQ(p.compare().state().referencePath, cover);
    EXPECT_EQ(p.compare().state().mode, CompareMode::LeftRight);
    EXPECT_TRUE(p.overlayShown());
    EXPECT_EQ(p.shot().composite.pixel(4, 4), platform::toQRgb(still.pixel(164, 4)));

    // Releasing the shown-picture button clears the overlay and the mode buttons.
    p.click(C::CompareTB_AssignWindowsImage);
    EXPECT_FALSE(p.overlayShown());
    EXPECT_FALSE(p.controls().isDown(C::CompareTB_LeftRight));
    EXPECT_FALSE(p.slider(C::CompareTB_TransparentSB)->isEnabled());
    EXPECT_FALSE(p.slider(C::CompareTB_SideRatioSB)->isEnabled());
}

TEST(CompareOverlayProgram, LeavingAndEnteringTheModeKeepTheComparison)
{
    Program p;
    ASSERT_TRUE(p.connect());
    p.click(C::CompareTB_AssignFile);
    p.click(C::CompareTB_LeftRight);
    p.slider(C::CompareTB_SideRatioSB)->setValue(400);
    const QRgb shown = p.shot().composite.pixel(10, 10);
    EXPECT_EQ(shown, named(130, 10));

    p.click(C::ChangeModeTB_VideoCtrl);
    EXPECT_FALSE(p.controls().isDown(C::CompareTB_AssignFile));
    EXPECT_FALSE(p.slider(C::CompareTB_SideRatioSB)->isEnabled());
    EXPECT_FALSE(p.controls().widget(C::CompareTB_WinImg_Mode)->isEnabled());
    EXPECT_TRUE(p.overlayShown()) << "the picture controls leave the overlay alone";

    // The reticle takes the overlay over; coming back rebuilds the comparison as it was.
    p.click(C::ChangeModeTB_Cross);
    EXPECT_FALSE(p.overlayShown());
    p.click(C::ChangeModeTB_Compare);
    EXPECT_TRUE(p.overlayShown());
    EXPECT_EQ(p.shot().composite.pixel(10, 10), shown);

    // A size change while the comparison shows does not let the reticle wipe it.
    p.app->reticle().videoSizeChanged();
    EXPECT_EQ(p.shot().composite.pixel(10, 10), shown);

    // The drawing mode hands its own layer to the video.
    p.click(C::ChangeModeTB_Draw);
    EXPECT_FALSE(p.shell().state().flags().OverlayMode);
    EXPECT_NE(p.shot().composite.pixel(10, 10), shown);
}

TEST(CompareOverlayProgram, TheSnapshotSourceButtonTakesThePictureWithTheOverlay)
{
    Program p;
    ASSERT_TRUE(p.connect());
    p.click(C::CompareTB_AssignFile);
    p.click(C::CompareTB_LeftRight);
    ASSERT_TRUE(p.controls().widget(C::CompareTB_CombineNone)->isEnabled());
    QPushButton *capture = p.shell().controls().mainButton(C::CaptureImage_Btn);
    capture->click();
    EXPECT_NE(p.app->still().document().picture().pixel(10, 10), platform::fromQRgb(named(170, 10)));
    p.click(C::CompareTB_CombineNone);
    capture->click();
    const platform::Bitmap withOverlay = p.app->still().document().picture();
    EXPECT_EQ(withOverlay.size(), QSize(640, 480));
    EXPECT_EQ(withOverlay.pixel(10, 10), platform::fromQRgb(named(170, 10)));
}

TEST(CompareOverlayProgram, AReferenceThatDoesNotLoadShowsNothingAndSplitsToNothing)
{
    Program p;
    ASSERT_TRUE(p.connect());
    const QString broken = p.profile.path() + "/broken.bmp";
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("BM this is not a bitmap");
    f.close();
    p.dialogs.file = [&](QFileDialog &) { return std::optional<QString>(broken); };
    p.click(C::CompareTB_AssignFile);
    EXPECT_TRUE(p.compare().state().referenceAssigned);
    EXPECT_FALSE(p.overlayShown());
    p.click(C::CompareTB_LeftRight);
    EXPECT_EQ(p.slider(C::CompareTB_SideRatioSB)->maximum(), 0);
    EXPECT_EQ(p.compare().state().split, (imaging::SplitState{}));
    p.click(C::CompareTB_WinImg_Mode);
    p.slider(C::CompareTB_SideRatioSB)->setValue(0);
    EXPECT_EQ(p.compare().state().split.extent, 0);
    EXPECT_EQ(p.compare().state().split.offset, 0);
    EXPECT_FALSE(p.overlayShown());

    // The file replaced by a smaller picture after the split was measured on a larger one.
    p.dialogs.file = [&](QFileDialog &) { return std::optional<QString>(p.refPath); };
    p.click(C::CompareTB_AssignFile);   // up: clears
    p.click(C::CompareTB_AssignFile);   // down: blend records 640 x 480
    QImage small(100, 80, QImage::Format_RGB32);
    small.fill(qRgb(1, 2, 3));
    ASSERT_TRUE(platform::writeBmpFile(p.refPath, platform::Bitmap(small)).ok());
    p.click(C::CompareTB_LeftRight);
    EXPECT_EQ(p.compare().state().split, (imaging::SplitState{640, 320, 320, 160}));
    const auto s = p.shot();
    EXPECT_TRUE(liveAt(s, {5, 5})) << "reference columns 160.. do not exist in the new file";
}

// ---- reticle --------------------------------------------------------------------------------------

TEST(ReticleProgram, DrawsTheFourFiguresOverTheLiveVideoAndClears)
{
    Program p;
    ASSERT_TRUE(p.connect());
    p.click(C::ChangeModeTB_Cross);
    EXPECT_TRUE(p.shell().state().flags().OverlayMode);
    EXPECT_EQ(p.slider(C::CrossTB_CrossSB)->maximum(), 320);
    EXPECT_EQ(p.slider(C::CrossTB_AreaSB)->maximum(), 240);
    EXPECT_EQ(p.slider(C::CrossTB_RectSB)->maximum(), 160);
    EXPECT_EQ(p.slider(C::CrossTB_CircleSB)->maximum(), 480);
    EXPECT_EQ(p.slider(C::CrossTB_CrossSB)->singleStep(), 2);
    EXPECT_EQ(p.slider(C::CrossTB_CrossSB)->pageStep(), 32);   // a tenth of the range
    EXPECT_FALSE(p.overlayShown());

    p.click(C::CrossTB_Cross);
    p.shell().UpdateActions();
    EXPECT_TRUE(p.slider(C::CrossTB_CrossSB)->isEnabled());
    EXPECT_FALSE(p.slider(C::CrossTB_AreaSB)->isEnabled());
    p.slider(C::CrossTB_CrossSB)->setValue(100);
    for (C b : {C::CrossTB_Area, C::CrossTB_Rect, C::CrossTB_Circle})
        p.click(b);
    p.slider(C::CrossTB_AreaSB)->setValue(80);
    p.slider(C::CrossTB_RectSB)->setValue(40);
    p.slider(C::CrossTB_CircleSB)->setValue(101);
    const QRgb red = qRgb(255, 0, 0);
    auto s = p.shot();
    auto redNear = [&](QPoint at) {   // the 2-pixel pen covers the point or its upper/left neighbour
        return s.composite.pixel(at) == red || s.composite.pixel(at - QPoint(0, 1)) == red
            || s.composite.pixel(at - QPoint(1, 0)) == red;
    };
    EXPECT_EQ(s.composite.pixel(300, 240), red);              // cross, horizontal
    EXPECT_EQ(s.composite.pixel(320, 300), red);              // cross, vertical
    EXPECT_TRUE(liveAt(s, {300, 245}));
    EXPECT_TRUE(liveAt(s, {215, 240})) << "the cross ends at 220";
    EXPECT_TRUE(redNear({247, 161}));                          // area: top-left bracket
    EXPECT_TRUE(redNear({241, 167}));
    EXPECT_TRUE(liveAt(s, {300, 161})) << "brackets, not a frame";
    EXPECT_TRUE(redNear({260, 182}));                          // rectangle: top edge
    EXPECT_TRUE(redNear({400, 250}));                          // right edge
    EXPECT_TRUE(redNear({320, 190}) || redNear({320, 191}));   // circle: top
    EXPECT_TRUE(redNear({270, 240}) || redNear({271, 240}));   // circle: left
    EXPECT_TRUE(liveAt(s, {20, 20}));

    // White as the line colour stays visible as (254, 255, 255); the dialog shows it as white.
    p.dialogs.colour = [](const QColor &) { return QColor(Qt::white); };
    p.click(C::CrossTB_LineColor);
    s = p.shot();
    EXPECT_EQ(s.composite.pixel(300, 240), qRgb(254, 255, 255));
    QColor offered;
    p.dialogs.colour = [&](const QColor &initial) {
        offered = initial;
        return QColor();
    };
    p.click(C::CrossTB_LineColor);
    EXPECT_EQ(offered, QColor(Qt::white));
    EXPECT_EQ(p.shot().composite.pixel(300, 240), qRgb(254, 255, 255)) << "cancelled: unchanged";

    // Leaving and entering the mode redraws the figures; all buttons up clears the overlay.
    p.click(C::ChangeModeTB_VideoCtrl);
    p.click(C::ChangeModeTB_Cross);
    EXPECT_EQ(p.shot().composite.pixel(300, 240), qRgb(254, 255, 255));
    for (C b : {C::CrossTB_Cross, C::CrossTB_Area, C::CrossTB_Rect, C::CrossTB_Circle})
        p.click(b);
    EXPECT_FALSE(p.overlayShown());
    s = p.shot();
    EXPECT_EQ(s.composite, s.live);

    // A figure button brings its stored size back; Clear raises every button.
    p.click(C::CrossTB_Circle);
    EXPECT_EQ(p.slider(C::CrossTB_CircleSB)->value(), 101);
    EXPECT_TRUE(p.overlayShown());
    p.click(C::CrossTB_Clear);
    EXPECT_FALSE(p.controls().isDown(C::CrossTB_Circle));
    EXPECT_FALSE(p.overlayShown());
}

TEST(CompareOverlayProgram, AShownPictureThatCannotBeStoredAssignsNothing)
{
    Program p;
    ASSERT_TRUE(p.connect());
    p.shell().controls().mainButton(C::CaptureImage_Btn)->click();
    ASSERT_FALSE(p.app->still().document().isEmpty());
    // A folder where CoverTemp.bmp should be written: the write fails.
    ASSERT_TRUE(QDir().mkpath(p.shell().paths().coverTemp()));
    p.click(C::CompareTB_AssignWindowsImage);
    EXPECT_FALSE(p.controls().isDown(C::CompareTB_AssignWindowsImage));
    EXPECT_FALSE(p.compare().state().referenceAssigned);
    EXPECT_TRUE(p.compare().state().referencePath.isEmpty());
    EXPECT_TRUE(p.log.contains("Exception Error at CompareTB_AssignWindowsImageClick")) << p.log.lines().join('\n').toStdString();
}

// ---- the sliders a hand uses --------------------------------------------------------------------

// The split, transparency and reticle controls are sliders a hand can use: a small handle on a
// track of at least 120 pixels, a page (a click beside the handle, Page Up) of a tenth of the
// range, and their value beside them. The live bars share 400 pixels of the Normal window, so each
// slider sits in the drop-down of a bar button that shows its value. A reticle figure of size 0
// starts at a quarter of its maximum when its button goes down, so that pressing the button shows
// something.
// The button of `bar` whose drop-down holds `slider`.
static widgets::SliderDropDown *dropDownOf(Program &p, C bar, const QWidget *slider)
{
    for (auto *b : p.controls().toolBar(bar)->findChildren<widgets::SliderDropDown *>())
        if (b->slider() == slider)
            return b;
    return nullptr;
}

TEST(OverlaySliders, AreLongSlidersWithATenthPageAndTheirValueBeside)
{
    Program p;
    ASSERT_TRUE(p.connect());
    for (C id : {C::CompareTB_SideRatioSB, C::CompareTB_TransparentSB, C::CrossTB_CrossSB, C::CrossTB_AreaSB,
                 C::CrossTB_RectSB, C::CrossTB_CircleSB}) {
        auto *slider = qobject_cast<QSlider *>(p.slider(id));
        ASSERT_NE(slider, nullptr) << "not a slider: " << state::controlRow(id).name;
        EXPECT_EQ(slider->orientation(), Qt::Horizontal);
        EXPECT_GE(slider->width(), widgets::ToolBarSlider::kMinimumLength) << state::controlRow(id).name;
    }
    QLabel *splitValue = p.controls().label(C::CompareTB_SideRatio_Lab);
    QLabel *transparencyValue = p.controls().label(C::CompareTB_Transparent_Lab);
    ASSERT_TRUE(splitValue && transparencyValue);
    // The value stands beside its slider, right of it on one row.
    QWidget *splitSlider = p.slider(C::CompareTB_SideRatioSB);
    EXPECT_EQ(splitValue->parentWidget(), splitSlider->parentWidget());
    auto *splitButton = dropDownOf(p, C::Compare_ToolBar, splitSlider);
    ASSERT_NE(splitButton, nullptr);
    EXPECT_EQ(splitButton->parentWidget(), static_cast<QWidget *>(p.controls().toolBar(C::Compare_ToolBar)));

    // Split 0..640 from the middle: a page is 64 pixels (10 %), an arrow key 1 % (6 pixels).
    p.dialogs.file = [&](QFileDialog &) { return std::optional<QString>(p.refPath); };
    p.click(C::CompareTB_AssignFile);
    EXPECT_EQ(transparencyValue->text(), QStringLiteral("50%"));
    EXPECT_EQ(p.slider(C::CompareTB_TransparentSB)->pageStep(), 1);
    p.click(C::CompareTB_LeftRight);
    QAbstractSlider *split = p.slider(C::CompareTB_SideRatioSB);
    EXPECT_EQ(split->pageStep(), 64);
    EXPECT_EQ(split->singleStep(), 6);
    EXPECT_EQ(splitValue->text(), QStringLiteral("50%"));
    EXPECT_EQ(splitButton->text(), QStringLiteral("50%"));
    EXPECT_TRUE(splitButton->isEnabled());
    EXPECT_EQ(transparencyValue->text(), QStringLiteral("100%"));
    // A click on the bar's button opens the slider at its full length with the value beside it;
    // the keys move it while it is open, Escape closes it. (The drop-down runs its own event loop
    // until it closes, as a menu does: the checks run from inside it.)
    bool opened = false;
    QTimer::singleShot(0, [&] {
        QTRY_VERIFY(splitSlider->isVisible());
        opened = true;
        EXPECT_GE(splitSlider->width(), widgets::ToolBarSlider::kMinimumLength);
        EXPECT_TRUE(splitValue->isVisible());
        EXPECT_GE(splitValue->mapToGlobal(QPoint()).x(), splitSlider->mapToGlobal(QPoint(splitSlider->width(), 0)).x());
        EXPECT_EQ(QApplication::focusWidget(), splitSlider);
        QTest::keyClick(splitSlider, Qt::Key_PageUp);
        EXPECT_EQ(splitButton->text(), QStringLiteral("60%"));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    });
    QTest::mouseClick(splitButton, Qt::LeftButton);
    EXPECT_TRUE(opened);
    QTRY_VERIFY(!splitSlider->isVisible());
    EXPECT_EQ(split->value(), 384);
    // The wheel over the closed button moves the split an arrow's step.
    QWheelEvent wheel(QPointF(5, 5), splitButton->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(splitButton, &wheel);
    EXPECT_EQ(split->value(), 390);
    split->setValue(320);
    split->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(split->value(), 384);
    EXPECT_EQ(p.compare().state().split.position, 384);
    EXPECT_EQ(splitValue->text(), QStringLiteral("60%"));
    // Six arrow presses move it 36 pixels, not 3.
    for (int i = 0; i < 6; ++i)
        split->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(split->value(), 348);
    EXPECT_EQ(splitValue->text(), QStringLiteral("54%"));
    // A 10-pixel drag of the handle moves the split, but not to the end.
    split->setValue(320);
    auto *asSlider = qobject_cast<QSlider *>(split);
    QStyleOptionSlider option;
    option.initFrom(asSlider);
    option.orientation = Qt::Horizontal;
    option.minimum = split->minimum();
    option.maximum = split->maximum();
    option.sliderPosition = split->value();
    option.sliderValue = split->value();
    const QRect handle = asSlider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, asSlider);
    QTest::mousePress(split, Qt::LeftButton, {}, handle.center());
    QTest::mouseMove(split, handle.center() + QPoint(10, 0));
    QTest::mouseRelease(split, Qt::LeftButton, {}, handle.center() + QPoint(10, 0));
    EXPECT_GT(split->value(), 320);
    EXPECT_LT(split->value(), split->maximum());
    // Transparency 3 reads 30 %.
    p.slider(C::CompareTB_TransparentSB)->setValue(3);
    EXPECT_EQ(transparencyValue->text(), QStringLiteral("30%"));

    // The reticle: maxima 320, 240, 160, 480 at 640 x 480; pages of 32, 24, 16, 48.
    p.click(C::ChangeModeTB_Cross);
    const C sliders[] = {C::CrossTB_CrossSB, C::CrossTB_AreaSB, C::CrossTB_RectSB, C::CrossTB_CircleSB};
    const C buttons[] = {C::CrossTB_Cross, C::CrossTB_Area, C::CrossTB_Rect, C::CrossTB_Circle};
    const C values[] = {C::CrossTB_Cross_Lab, C::CrossTB_Area_Lab, C::CrossTB_Rect_Lab, C::CrossTB_Circle_Lab};
    const int pages[] = {32, 24, 16, 48};
    const int quarters[] = {80, 60, 40, 120};
    for (int f = 0; f < 4; ++f) {
        SCOPED_TRACE(state::controlRow(sliders[f]).name);
        QAbstractSlider *s = p.slider(sliders[f]);
        EXPECT_EQ(s->singleStep(), 2);
        EXPECT_EQ(s->pageStep(), pages[f]);
        ASSERT_NE(p.controls().label(values[f]), nullptr);
        EXPECT_EQ(s->value(), 0);
        // Its button is idle while the figure is off, and shows the size once it is on.
        widgets::SliderDropDown *dropDown = dropDownOf(p, C::Cross_ToolBar, s);
        ASSERT_NE(dropDown, nullptr);
        EXPECT_FALSE(dropDown->isEnabled());
        p.click(buttons[f]);
        p.shell().UpdateActions();   // the idle-time update enables the slider of a button down
        EXPECT_EQ(s->value(), quarters[f]);
        EXPECT_EQ(p.controls().label(values[f])->text(), QString::number(quarters[f]));
        EXPECT_TRUE(dropDown->isEnabled());
        EXPECT_EQ(dropDown->text(), QString::number(quarters[f]));
        EXPECT_TRUE(p.overlayShown());
    }
    // The cross of 80 reaches 80 pixels left of the centre at (320, 240).
    auto s = p.shot();
    EXPECT_EQ(s.composite.pixel(245, 240), qRgb(255, 0, 0));
    EXPECT_TRUE(liveAt(s, {235, 240}));
    // A size the user chose stays: up, 30, down again gives 30, not a quarter.
    p.click(C::CrossTB_Cross);
    p.slider(C::CrossTB_CrossSB)->setValue(30);
    p.click(C::CrossTB_Cross);
    p.shell().UpdateActions();
    EXPECT_EQ(p.slider(C::CrossTB_CrossSB)->value(), 30);
    EXPECT_EQ(p.controls().label(C::CrossTB_Cross_Lab)->text(), QStringLiteral("30"));
}
