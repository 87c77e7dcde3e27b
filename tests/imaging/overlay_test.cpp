// The comparison overlay's arithmetic, the reticle's figures, the mixing bitmap and the compositing
// of an overlay over a picture, without a window or a camera.
#include "app/updateactions.h"
#include "camera/overlaycompositor.h"
#include "camera/ui/videowidget.h"
#include "imaging/compareoverlay.h"
#include "imaging/reticle.h"
#include "platform/canvas.h"
#include "platform/overlaybitmap.h"
#include "platform/picturecodec.h"
#include "recordingcanvas.h"

#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using imaging::CompareMode;
using imaging::SplitState;

namespace {

using Channel = int (*)(QRgb);
const Channel kChannels[] = {qRed, qGreen, qBlue};

// A reference whose every pixel names its column and row, and never white: red = x % 256,
// green = 40 * (x / 256) + 1, blue = y % 256 (kept below 255 so no pixel is the white key).
platform::Bitmap namedPixels(int w, int h)
{
    platform::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, platform::rgbColor(x % 256, 40 * (x / 256) + 1, y % 255));
    return b;
}

platform::ColorRef named(int x, int y) { return platform::rgbColor(x % 256, 40 * (x / 256) + 1, y % 255); }

constexpr platform::ColorRef kKnockout = 0x00FF00;   // green

} // namespace

// ---- split arithmetic ----------------------------------------------------------------------------

TEST(CompareSplit, StartsInTheMiddleWithTheCentreOfTheReference)
{
    EXPECT_EQ(imaging::splitStart(CompareMode::LeftRight, QSize(640, 480)), (SplitState{640, 320, 320, 160}));
    EXPECT_EQ(imaging::splitStart(CompareMode::RightLeft, QSize(640, 480)), (SplitState{640, 320, 320, 160}));
    EXPECT_EQ(imaging::splitStart(CompareMode::TopBottom, QSize(640, 480)), (SplitState{480, 240, 240, 120}));
    EXPECT_EQ(imaging::splitStart(CompareMode::BottomTop, QSize(641, 481)), (SplitState{481, 240, 240, 120}));
}

TEST(CompareSplit, SliderGrowsThePartAroundTheCentreOrSlidesAWindow)
{
    const SplitState start = imaging::splitStart(CompareMode::LeftRight, QSize(640, 480));
    // The whole reference at the maximum, only live video at 0.
    EXPECT_EQ(imaging::splitMoved(start, 640, false), (SplitState{640, 640, 640, 0}));
    EXPECT_EQ(imaging::splitMoved(start, 0, false), (SplitState{640, 0, 0, 320}));
    EXPECT_EQ(imaging::splitMoved(start, 101, false), (SplitState{640, 101, 101, 269}));
    // Window move at R = 320: position 640 shows the right half of the reference on the left.
    EXPECT_EQ(imaging::splitMoved(start, 640, true), (SplitState{640, 640, 320, 320}));
    EXPECT_EQ(imaging::splitMoved(start, 0, true), (SplitState{640, 0, 320, 0}));
    EXPECT_EQ(imaging::splitMoved(start, 333, true).offset, 166);   // 333 * 0.5 = 166.5, truncated
}

TEST(CompareSplit, AReferenceThatDidNotLoadGivesNothingRatherThanADivisionByZero)
{
    const SplitState none = imaging::splitStart(CompareMode::LeftRight, QSize());
    EXPECT_EQ(none, (SplitState{0, 0, 0, 0}));
    for (bool windowMove : {false, true}) {
        const SplitState moved = imaging::splitMoved(none, 0, windowMove);
        EXPECT_EQ(moved.extent, 0);
        EXPECT_EQ(moved.offset, 0);
    }
}

TEST(CompareSplit, TransparencyIsPositionOverMaximumInSinglePrecision)
{
    EXPECT_EQ(imaging::transparencyAlpha(3, 10), 0.3f);
    EXPECT_EQ(imaging::transparencyAlpha(5, 10), 0.5f);
    EXPECT_EQ(imaging::transparencyAlpha(10, 10), 1.0f);
    EXPECT_EQ(imaging::transparencyAlpha(0, 10), 0.0f);
}

// ---- split pictures --------------------------------------------------------------------------------

TEST(CompareSplitPicture, CopiesTheModesRectangleIntoAKnockoutFilledBitmap)
{
    const platform::Bitmap ref = namedPixels(640, 480);
    // Left-right, R = 320, O = 160: reference columns 160..479 fill the left half.
    platform::Bitmap out = imaging::splitPicture(ref, CompareMode::LeftRight, 320, 160, kKnockout);
    ASSERT_EQ(out.size(), QSize(640, 480));
    EXPECT_EQ(out.pixel(0, 0), named(160, 0));
    EXPECT_EQ(out.pixel(319, 479), named(479, 479));
    EXPECT_EQ(out.pixel(320, 10), kKnockout);
    EXPECT_EQ(out.pixel(639, 479), kKnockout);
    // Right-left: the same columns on the right half.
    out = imaging::splitPicture(ref, CompareMode::RightLeft, 320, 160, kKnockout);
    EXPECT_EQ(out.pixel(319, 5), kKnockout);
    EXPECT_EQ(out.pixel(320, 5), named(160, 5));
    EXPECT_EQ(out.pixel(639, 5), named(479, 5));
    // Top-bottom and bottom-top: rows 120..359.
    out = imaging::splitPicture(ref, CompareMode::TopBottom, 240, 120, kKnockout);
    EXPECT_EQ(out.pixel(7, 0), named(7, 120));
    EXPECT_EQ(out.pixel(7, 239), named(7, 359));
    EXPECT_EQ(out.pixel(7, 240), kKnockout);
    out = imaging::splitPicture(ref, CompareMode::BottomTop, 240, 120, kKnockout);
    EXPECT_EQ(out.pixel(7, 239), kKnockout);
    EXPECT_EQ(out.pixel(7, 240), named(7, 120));
    EXPECT_EQ(out.pixel(7, 479), named(7, 359));
    // Extent 0: only knockout; the whole extent: the reference itself.
    out = imaging::splitPicture(ref, CompareMode::LeftRight, 0, 320, kKnockout);
    EXPECT_EQ(out.pixel(0, 0), kKnockout);
    out = imaging::splitPicture(ref, CompareMode::LeftRight, 640, 0, kKnockout);
    EXPECT_EQ(out, ref);
}

TEST(CompareSplitPicture, RectanglesAreClippedToBothBitmaps)
{
    // The slider was measured on a 640-wide reference that was since replaced by a smaller one.
    const platform::Bitmap small = namedPixels(200, 80);
    platform::Bitmap out = imaging::splitPicture(small, CompareMode::LeftRight, 320, 160, kKnockout);
    ASSERT_EQ(out.size(), QSize(200, 80));
    EXPECT_EQ(out.pixel(0, 0), named(160, 0));   // columns 160..199 are all there is
    EXPECT_EQ(out.pixel(39, 79), named(199, 79));
    EXPECT_EQ(out.pixel(40, 0), kKnockout);
    out = imaging::splitPicture(small, CompareMode::RightLeft, 320, 160, kKnockout);
    EXPECT_EQ(out.pixel(0, 0), kKnockout);   // destination starts at 200 - 320: left of the bitmap
    out = imaging::splitPicture(small, CompareMode::BottomTop, 240, 120, kKnockout);
    EXPECT_EQ(out.pixel(0, 0), kKnockout);   // source rows 120.. lie below an 80-row reference
    out = imaging::splitPicture(small, CompareMode::TopBottom, 500, -30, kKnockout);
    EXPECT_EQ(out.pixel(3, 29), kKnockout);
    EXPECT_EQ(out.pixel(3, 30), named(3, 0));
    EXPECT_TRUE(imaging::splitPicture(platform::Bitmap(), CompareMode::LeftRight, 10, 0, kKnockout).isNull());
}

// ---- reference files -----------------------------------------------------------------------------

TEST(CompareReference, IsReadByItsExtensionWithoutRegardToCase)
{
    QTemporaryDir dir;
    const platform::Bitmap ref = namedPixels(64, 48);
    const QString bmp = dir.filePath("Ref.BMP"), jpg = dir.filePath("ref.jpg"), png = dir.filePath("ref.png"),
                  fake = dir.filePath("jpeg-inside.bmp");
    ASSERT_TRUE(platform::writeBmpFile(bmp, ref).ok());
    ASSERT_TRUE(platform::writeJpegFile(jpg, ref, 100).ok());
    ASSERT_TRUE(QFile::copy(bmp, png));
    ASSERT_TRUE(QFile::copy(jpg, fake));
    EXPECT_EQ(imaging::loadReference(bmp), ref);
    EXPECT_EQ(imaging::loadReference(jpg).size(), QSize(64, 48));
    EXPECT_TRUE(imaging::loadReference(png).isNull()) << "another extension leaves an empty bitmap";
    EXPECT_TRUE(imaging::loadReference(fake).isNull()) << "a .bmp must hold a bitmap";
    EXPECT_TRUE(imaging::loadReference(dir.filePath("missing.bmp")).isNull());
}

TEST(CompareOverlayBuild, ShowsTheReferenceKeyedByTheKnockoutColourAndReadsAReplacedFileAgain)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ref.bmp");
    ASSERT_TRUE(platform::writeBmpFile(path, namedPixels(640, 480)).ok());
    platform::OverlayBitmap bitmap;
    int shown = 0;
    bitmap.setSink([&](const platform::OverlayBitmap &) { ++shown; });
    imaging::CompareOverlay compare(bitmap);
    compare.knockout = kKnockout;
    compare.alpha = 0.3f;
    ASSERT_TRUE(compare.VMRBitmap_LoadAssignImage(path, CompareMode::Blend));
    EXPECT_EQ(compare.referenceSize, QSize(640, 480));
    EXPECT_TRUE(bitmap.visible());
    EXPECT_EQ(bitmap.keyColour(), kKnockout);
    EXPECT_EQ(bitmap.alpha(), 0.3f);
    EXPECT_EQ(bitmap.bitmap().pixel(100, 7), named(100, 7));
    EXPECT_EQ(shown, 1);
    compare.VMRBitmap_Transparent(0.8f);
    EXPECT_EQ(bitmap.alpha(), 0.8f);

    // Split modes use the recorded size; a replaced file is read again.
    ASSERT_TRUE(platform::writeBmpFile(path, namedPixels(100, 80)).ok());
    compare.referenceReplaced();
    compare.split = imaging::splitStart(CompareMode::LeftRight, compare.referenceSize);
    ASSERT_TRUE(compare.VMRBitmap_LoadAssignImage(path, CompareMode::LeftRight));
    EXPECT_EQ(compare.referenceSize, QSize(640, 480)) << "recorded in blend mode only";
    EXPECT_EQ(bitmap.bitmap().size(), QSize(100, 80));
    EXPECT_EQ(bitmap.bitmap().pixel(0, 0), kKnockout) << "columns 160.. lie outside the new file";

    // A reference that cannot be read clears the overlay.
    EXPECT_FALSE(compare.VMRBitmap_LoadAssignImage(dir.filePath("gone.bmp"), CompareMode::Blend));
    EXPECT_FALSE(bitmap.visible());
    EXPECT_TRUE(compare.referenceSize.isEmpty());
}

// ---- reticle -------------------------------------------------------------------------------------

namespace {
using Rec = measure::testing::RecordingCanvas;
std::vector<std::pair<QPoint, QPoint>> segments(const Rec &r)
{
    std::vector<std::pair<QPoint, QPoint>> out;
    for (const auto &l : r.lines)
        out.emplace_back(l.from, l.to);
    return out;
}
} // namespace

TEST(Reticle, FiguresOnA640x480VideoLieOnTheirPixels)
{
    const QSize video(640, 480);
    Rec cross;
    imaging::VMRBitmap_Cross(cross, video, 100);
    EXPECT_EQ(segments(cross), (std::vector<std::pair<QPoint, QPoint>>{{{220, 240}, {420, 240}}, {{320, 140}, {320, 340}}}));
    Rec tall;
    imaging::VMRBitmap_Cross(tall, QSize(640, 90), 100);
    EXPECT_EQ(tall.lines.size(), 1u) << "no vertical line when the video is lower than the size";

    Rec area;
    imaging::VMRBitmap_Area(area, video, 80);   // arm 80 / 8 + 4 = 14
    ASSERT_EQ(area.lines.size(), 8u);
    EXPECT_EQ(segments(area)[0], (std::pair<QPoint, QPoint>{{240, 161}, {254, 161}}));
    EXPECT_EQ(segments(area)[4], (std::pair<QPoint, QPoint>{{241, 160}, {241, 174}}));
    EXPECT_EQ(segments(area)[3], (std::pair<QPoint, QPoint>{{386, 320}, {400, 320}}));
    EXPECT_EQ(segments(area)[7], (std::pair<QPoint, QPoint>{{400, 306}, {400, 320}}));

    Rec rect;
    imaging::VMRBitmap_Rectangle(rect, video, 40);
    ASSERT_EQ(rect.boxes.size(), 1u);
    EXPECT_EQ(rect.boxes[0].box, QRect(QPoint(242, 182), QPoint(400, 300)));

    Rec circle;
    imaging::VMRBitmap_Circle(circle, video, 101);
    ASSERT_EQ(circle.boxes.size(), 1u);
    EXPECT_EQ(circle.boxes[0].what, 'e');
    EXPECT_EQ(circle.boxes[0].box, QRect(QPoint(270, 190), QPoint(370, 290)));

    EXPECT_EQ(imaging::reticleMaxima(video), (std::array<int, 4>{320, 240, 160, 480}));
    EXPECT_EQ(imaging::reticleMaxima(QSize(1601, 1201)), (std::array<int, 4>{800, 600, 400, 1201}));
}

// A figure that had no size starts at a quarter of its maximum (integer division); a size the user
// chose stays; with no video (maximum 0) there is nothing to start at.
TEST(Reticle, AFigureOfSizeZeroStartsAtAQuarterOfItsMaximum)
{
    struct Row {
        int size, maximum, expected;
    };
    const Row rows[] = {{0, 320, 80}, {0, 481, 120}, {0, 3, 0}, {0, 0, 0}, {30, 320, 30}, {2, 1201, 2}};
    for (const Row &r : rows)
        EXPECT_EQ(imaging::reticleStartSize(r.size, r.maximum), r.expected) << r.size << " of " << r.maximum;
}

TEST(Reticle, DrawsTheFiguresWhoseButtonsAreDownInTwoPixelLinesOrClears)
{
    platform::OverlayBitmap bitmap;
    imaging::Reticle reticle(bitmap);
    reticle.down = {true, false, false, true};
    reticle.sizes = {100, 80, 40, 101};
    Rec rec;
    reticle.draw(rec, QSize(640, 480));
    ASSERT_EQ(rec.lines.size(), 2u);   // the cross
    ASSERT_EQ(rec.boxes.size(), 1u);   // the circle; area and rectangle are up
    EXPECT_EQ(rec.lines[0].width, 2);
    EXPECT_EQ(rec.lines[0].colour, platform::rgbColor(255, 0, 0));

    reticle.CrossTB_Command(QSize(640, 480));
    ASSERT_TRUE(bitmap.visible());
    EXPECT_EQ(bitmap.keyColour(), 0xFFFFFFu);
    EXPECT_EQ(bitmap.alpha(), 1.0f);
    const platform::Bitmap &b = bitmap.bitmap();
    EXPECT_EQ(b.size(), QSize(640, 480));
    EXPECT_EQ(b.pixel(300, 240), platform::rgbColor(255, 0, 0));   // on the horizontal line
    EXPECT_EQ(b.pixel(300, 239), platform::rgbColor(255, 0, 0));   // two pixels wide
    EXPECT_EQ(b.pixel(300, 243), 0xFFFFFFu);
    EXPECT_EQ(b.pixel(215, 240), 0xFFFFFFu);                       // beyond its start
    EXPECT_EQ(b.pixel(320, 200), platform::rgbColor(255, 0, 0));   // the vertical line

    // White is kept visible as red 254, green 255, blue 255.
    reticle.setLineColour(0xFFFFFF);
    EXPECT_EQ(reticle.lineColour(), platform::rgbColor(254, 255, 255));
    reticle.CrossTB_Command(QSize(640, 480));
    EXPECT_EQ(bitmap.bitmap().pixel(300, 240), platform::rgbColor(254, 255, 255));

    reticle.down = {};
    reticle.CrossTB_Command(QSize(640, 480));
    EXPECT_FALSE(bitmap.visible()) << "all buttons up: cleared, not drawn empty";
}

// ---- compositing -----------------------------------------------------------------------------------

TEST(OverlayCompositor, VectorRowsMatchTheScalarReferenceAtEveryOpacity)
{
    // Widths that end in every remainder of the 4- and 8-pixel loops.
    QRandomGenerator rng(7);
    for (int alpha : {255, 254, 128, 77, 1}) {
        for (int width : {1, 3, 8, 13, 64, 101}) {
            std::vector<quint32> picture(static_cast<std::size_t>(width)), overlay(static_cast<std::size_t>(width)),
                out(static_cast<std::size_t>(width));
            for (int x = 0; x < width; ++x) {
                picture[std::size_t(x)] = rng.generate() | 0xFF000000u;
                const QRgb c = rng.generate() | 0xFF000000u;
                overlay[std::size_t(x)] = (x % 3 == 0) ? 0u : (alpha == 255 ? c : qPremultiply(qRgba(qRed(c), qGreen(c), qBlue(c), alpha)));
            }
            camera::composeRow(picture.data(), overlay.data(), out.data(), width, alpha);
            for (int x = 0; x < width; ++x) {
                const QRgb f = picture[std::size_t(x)], o = overlay[std::size_t(x)], r = out[std::size_t(x)];
                ASSERT_EQ(qAlpha(r), 255);
                if (o == 0) {
                    ASSERT_EQ(r, f) << "keyed pixel, alpha " << alpha << " x " << x;
                    continue;
                }
                // o + f * (255 - a) / 255, within one step.
                for (Channel ch : kChannels) {
                    const int expected = ch(o) + ch(f) * (255 - alpha) / 255;
                    ASSERT_NEAR(ch(r), expected, 1) << "alpha " << alpha << " width " << width << " x " << x;
                }
            }
        }
    }
}

TEST(OverlayCompositor, ShrinkingKeepsThinLinesAndEnlargingNeverBleeds)
{
    // A 2-pixel line on a 1600 x 1200 layer shown at 400 x 300 (a quarter in each direction).
    QImage layer(1600, 1200, QImage::Format_RGB32);
    layer.fill(Qt::white);
    for (int x = 100; x < 1500; ++x) {
        layer.setPixel(x, 601, qRgb(255, 0, 0));
        layer.setPixel(x, 602, qRgb(255, 0, 0));
    }
    const camera::PreparedOverlay small = camera::prepareOverlay(camera::keyOverlay(layer, 0xFFFFFF), QSize(400, 300), 1.0);
    ASSERT_EQ(small.image.size(), QSize(400, 300));
    EXPECT_EQ(small.image.pixel(200, 150), qRgb(255, 0, 0));   // rows 600..603 meet in row 150
    EXPECT_EQ(small.image.pixel(200, 149), 0u);
    EXPECT_FALSE(small.dense);
    EXPECT_FALSE(small.tiles.empty());
    // Opacity folds into the pixels; opacity 0 draws nothing.
    const camera::PreparedOverlay half = camera::prepareOverlay(camera::keyOverlay(layer, 0xFFFFFF), QSize(1600, 1200), 0.5);
    EXPECT_EQ(qAlpha(half.image.pixel(200, 601)), 128);
    EXPECT_TRUE(camera::prepareOverlay(camera::keyOverlay(layer, 0xFFFFFF), QSize(400, 300), 0.0).isNull());
}

TEST(OverlayCompositor, AKnockoutColouredPixelShowsThePictureWhateverTheOpacity)
{
    QImage ref(4, 1, QImage::Format_RGB32);
    ref.setPixel(0, 0, qRgb(0, 255, 0));   // the knockout colour
    ref.setPixel(1, 0, qRgb(200, 100, 50));
    ref.setPixel(2, 0, qRgb(255, 255, 255));   // white is an ordinary colour under another key
    ref.setPixel(3, 0, qRgb(0, 255, 1));
    QImage picture(4, 1, QImage::Format_RGB32);
    picture.fill(qRgb(10, 20, 30));
    for (double opacity : {1.0, 0.5, 0.3}) {
        const camera::PreparedOverlay o = camera::prepareOverlay(camera::keyOverlay(ref, qRgb(0, 255, 0)), ref.size(), opacity);
        QImage out(4, 1, QImage::Format_RGB32);
        camera::composeOverlay(picture, o, out.bits(), out.bytesPerLine());
        EXPECT_EQ(out.pixel(0, 0), qRgb(10, 20, 30)) << opacity;
        EXPECT_NE(out.pixel(2, 0), qRgb(10, 20, 30)) << opacity;
        EXPECT_NE(out.pixel(3, 0), qRgb(10, 20, 30)) << opacity;
    }
}

TEST(VideoWidgetOverlay, FusedAndTiledPathsShowTheSameBlendAndTheSnapshotIncludesIt)
{
    // A picture with a blended, knocked-out overlay: the widget's own grab (fused pass) and a
    // paint into an image the widget cannot write directly (tiles through the painter) agree.
    QImage frame(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            frame.setPixel(x, y, qRgb(x * 4, y * 5, 90));
    platform::Bitmap overlay(64, 48, kKnockout);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 40; ++x)
            overlay.setPixel(x, y, platform::rgbColor(250, 10, 10));
    camera::ui::VideoWidget w;
    w.resize(64, 48);
    w.setFrame(frame);
    w.setOverlay(overlay, kKnockout, 0.3);
    const QImage fused = w.grabVideo();
    const QRgb blended = fused.pixel(5, 5);
    EXPECT_NEAR(qRed(blended), int(0.3 * 250 + 0.7 * 20), 2);
    EXPECT_NEAR(qGreen(blended), int(0.3 * 10 + 0.7 * 25), 2);
    EXPECT_NEAR(qBlue(blended), int(0.3 * 10 + 0.7 * 90), 2);
    EXPECT_EQ(fused.pixel(50, 5), frame.pixel(50, 5)) << "the knockout area shows the frame";

    QImage viaPainter(64, 48, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&viaPainter);
    w.paintVideo(p, viaPainter.rect());
    p.end();
    const QImage tiled = viaPainter.convertToFormat(QImage::Format_RGB32);
    for (QPoint at : {QPoint(5, 5), QPoint(39, 47), QPoint(50, 5)})
        for (Channel ch : kChannels)
            EXPECT_NEAR(ch(tiled.pixel(at)), ch(fused.pixel(at)), 1) << at.x() << "," << at.y();

    // The picture as shown, at the picture's own size.
    const QImage snap = w.withOverlay(frame);
    EXPECT_EQ(snap.pixel(5, 5), blended);
    EXPECT_EQ(snap.pixel(50, 5), frame.pixel(50, 5));
    // A new opacity for the same bitmap, then no overlay at all.
    w.setOverlayOpacity(1.0);
    EXPECT_EQ(w.grabVideo().pixel(5, 5), qRgb(250, 10, 10));
    w.clearOverlay();
    EXPECT_EQ(w.grabVideo().pixel(5, 5), frame.pixel(5, 5));
    EXPECT_EQ(w.withOverlay(frame), frame);
}

// ---- the tool bars' idle-time rules -------------------------------------------------------------

TEST(OverlayToolBarRules, OfferTheControlsOnlyWhenTheyCanWork)
{
    using C = state::ControlId;
    app::ActionInputs in;
    in.flags.DeviceFound = in.flags.VideoConnected = in.flags.VmrAvailable = true;
    in.stillEmpty = true;
    in.crossShapeDown = {true, false, true, false};
    app::ActionState s = app::computeActions(in);
    EXPECT_FALSE(s.enabled.value(C::CompareTB_AssignWindowsImage, true)) << "needs a shown picture";
    EXPECT_FALSE(s.enabled.value(C::CompareTB_LeftRight, true)) << "needs an assigned reference";
    EXPECT_TRUE(s.enabled.value(C::CompareTB_AssignFile, true));
    EXPECT_TRUE(s.enabled.value(C::CrossTB_CrossSB));
    EXPECT_FALSE(s.enabled.value(C::CrossTB_AreaSB, true));
    EXPECT_TRUE(s.enabled.value(C::CrossTB_RectSB));
    EXPECT_FALSE(s.enabled.value(C::CrossTB_CircleSB, true));
    EXPECT_TRUE(s.enabled.value(C::CrossTB_LineColor, true));
    // The sliders and buttons the handlers enable are left to them.
    for (C id : {C::CompareTB_SideRatioSB, C::CompareTB_TransparentSB, C::CompareTB_WinImg_Mode, C::CompareTB_CombineNone})
        EXPECT_FALSE(s.enabled.named(id)) << state::controlName(id);

    in.stillEmpty = false;
    in.compareImageAssigned = true;
    s = app::computeActions(in);
    EXPECT_TRUE(s.enabled.value(C::CompareTB_AssignWindowsImage));
    for (C id : {C::CompareTB_Compare, C::CompareTB_LeftRight, C::CompareTB_RightLeft, C::CompareTB_TopBottom,
                 C::CompareTB_BottomTop})
        EXPECT_TRUE(s.enabled.value(id)) << state::controlName(id);
}
