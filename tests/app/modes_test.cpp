#include "app/updateactions.h"
#include "app/windowpresets.h"

#include <gtest/gtest.h>

using namespace app;
using C = state::ControlId;

namespace {

ActionInputs live(bool renderer)
{
    ActionInputs in;
    in.flags.DeviceFound = true;
    in.flags.VideoConnected = true;
    in.flags.VmrAvailable = renderer;
    in.canSnapShot = true;
    return in;
}

} // namespace

TEST(UpdateActions, WithoutTheRendererOnlyThePictureControlsAreOffered)
{
    ActionInputs in = live(false);
    in.pressedMode = state::kLiveDraw;
    const ActionState s = computeActions(in);
    for (C name : {C::ChangeModeTB_Compare, C::ChangeModeTB_Cross, C::ChangeModeTB_Draw}) {
        EXPECT_FALSE(s.enabled.value(name)) << int(name);
        EXPECT_FALSE(s.checked.value(name, true)) << int(name);
    }
    EXPECT_TRUE(s.checked.value(C::ChangeModeTB_VideoCtrl));
    EXPECT_TRUE(s.visible.value(C::VideoCtrl_ToolBar));
    EXPECT_FALSE(s.visible.value(C::DrawRuler_ToolBar));
    EXPECT_FALSE(s.enabled.value(C::VideoCtrlTB_LeftSelf));   // orientation needs the renderer
    EXPECT_FALSE(s.enabled.value(C::TimingCapture_Tool));
}

TEST(UpdateActions, ExactlyThePressedModesToolBarShowsOverLiveVideo)
{
    for (int mode : {state::kLiveCompare, state::kLiveCross, state::kLiveVideoCtrl, state::kLiveDraw}) {
        ActionInputs in = live(true);
        in.pressedMode = mode;
        const ActionState s = computeActions(in);
        const C bars[] = {C::Compare_ToolBar, C::Cross_ToolBar, C::VideoCtrl_ToolBar, C::DrawRuler_ToolBar};
        for (int m = 0; m < 4; ++m)
            EXPECT_EQ(s.visible.value(bars[m]), m == mode) << mode << " " << int(bars[m]);
        EXPECT_TRUE(s.visible.value(C::ChangeMode_ToolBar));
    }
    // Playing a recording hides every live tool bar.
    ActionInputs playing = live(true);
    playing.flags.VideoPlaying = true;
    const ActionState s = computeActions(playing);
    EXPECT_FALSE(s.visible.value(C::ChangeMode_ToolBar));
    EXPECT_FALSE(s.visible.value(C::Compare_ToolBar));
}

TEST(UpdateActions, MainButtonsFollowTheFlags)
{
    ActionInputs idle;
    ActionState s = computeActions(idle);
    EXPECT_FALSE(s.visible.value(C::Connect_Btn));
    EXPECT_FALSE(s.visible.value(C::CaptureImage_Btn));
    EXPECT_FALSE(s.visible.value(C::RecordVideo_Btn));
    EXPECT_TRUE(s.visible.value(C::PlayVideo_Btn));
    EXPECT_TRUE(s.visible.value(C::Exit_Btn));
    EXPECT_TRUE(s.enabled.value(C::SetMJPGPreview));

    ActionInputs in = live(true);
    s = computeActions(in);
    EXPECT_TRUE(s.visible.value(C::CaptureImage_Btn));
    EXPECT_TRUE(s.visible.value(C::RecordVideo_Btn));
    EXPECT_FALSE(s.enabled.value(C::SetMJPGPreview));
    EXPECT_TRUE(s.enabled.value(C::VideoFormat));
    in.frameLockedOrLoaded = true;   // a locked frame cannot be snapped again
    EXPECT_FALSE(computeActions(in).visible.value(C::CaptureImage_Btn));
    in.frameLockedOrLoaded = false;
    in.canSnapShot = false;
    EXPECT_FALSE(computeActions(in).visible.value(C::CaptureImage_Btn));
}

TEST(UpdateActions, SaveIsOfferedOnlyForAStillWithUnsavedChanges)
{
    ActionInputs in = live(true);
    in.stillEmpty = false;
    in.flags.SizePreset = state::kPresetNormal;
    for (bool unsaved : {false, true}) {
        in.unsavedEdits = unsaved;
        const ActionState s = computeActions(in);
        EXPECT_EQ(s.visible.value(C::SaveImage_Btn), unsaved);
        EXPECT_TRUE(s.visible.value(C::EditorImage_Btn)) << "the other still buttons do not wait for a change";
    }
}

TEST(UpdateActions, StillButtonsOnlyInTheNormalPreset)
{
    for (int preset = state::kPresetNormal; preset <= state::kPresetDevCtrlToolbar; ++preset) {
        ActionInputs in = live(true);
        in.stillEmpty = false;
        in.unsavedEdits = true;
        in.flags.SizePreset = preset;
        const ActionState s = computeActions(in);
        const bool normal = preset == state::kPresetNormal;
        for (C name : {C::SaveImage_Btn, C::EditorImage_Btn, C::DelViewVideo_Btn, C::ImageProcess_Btn})
            EXPECT_EQ(s.visible.value(name), normal) << preset << " " << int(name);
        EXPECT_EQ(s.enabled.value(C::OpenFile), normal) << preset;
        EXPECT_EQ(s.visible.value(C::CoverLayer), !normal) << preset;
        EXPECT_EQ(s.visible.value(C::ReturnMain_Btn), !normal) << preset;
    }
}

TEST(UpdateActions, UndoRedoNeedOverlapAStepAndNoShapeInProgress)
{
    ActionInputs in = live(true);
    in.pressedMode = state::kLiveDraw;
    in.overlapDown = true;
    in.undoAvailable = true;
    EXPECT_TRUE(computeActions(in).enabled.value(C::DrawRulerTB_Undo));
    EXPECT_FALSE(computeActions(in).enabled.value(C::DrawRulerTB_Redo));
    in.shapeInProgress = true;
    const ActionState s = computeActions(in);
    EXPECT_FALSE(s.enabled.value(C::DrawRulerTB_Undo));
    EXPECT_FALSE(s.enabled.value(C::DrawRuler_ToolBar));
    in.shapeInProgress = false;
    in.overlapDown = false;
    EXPECT_FALSE(computeActions(in).enabled.value(C::DrawRulerTB_Undo));
}

TEST(UpdateActions, MagnificationShowsOnLiveVideoWithoutOverlay)
{
    ActionInputs in = live(true);
    EXPECT_TRUE(computeActions(in).visible.value(C::mmMagniShow));
    in.flags.OverlayMode = true;
    EXPECT_FALSE(computeActions(in).visible.value(C::mmMagniShow));
}

TEST(WindowPresets, LargePresetsNeedAScreenThatHoldsThem)
{
    const QSize screen(1024, 768);
    EXPECT_TRUE(presetFitsScreen(state::kPreset640x480, screen));
    EXPECT_TRUE(presetFitsScreen(state::kPreset800x600, screen));
    EXPECT_TRUE(presetFitsScreen(state::kPreset1024x768, screen));
    EXPECT_FALSE(presetFitsScreen(state::kPreset1280x800, screen));
    EXPECT_FALSE(presetFitsScreen(state::kPreset1280x960, screen));
    EXPECT_FALSE(presetFitsScreen(state::kPreset1600x1200, screen));
    EXPECT_TRUE(presetFitsScreen(state::kPresetFullScreen, screen));
}

TEST(WindowPresets, FixedAndFullScreenGeometry)
{
    const QSize screen(1920, 1080);
    PresetLayout l = layoutForPreset(state::kPreset640x480, screen, {});
    EXPECT_EQ(l.clientSize, QSize(640, 540));
    EXPECT_EQ(l.videoRect, QRect(0, 60, 640, 480));
    EXPECT_EQ(l.coverPanelPos, QPoint(120, 60 + 90 + 60));
    l = layoutForPreset(state::kPreset1280x960, screen, {});
    EXPECT_EQ(l.clientSize, QSize(1280, 1020));
    l = layoutForPreset(state::kPresetFullScreen4x3, screen, {});
    EXPECT_TRUE(l.maximised);
    // 1032 * 1.3333334f = 1376.0000... truncated.
    EXPECT_EQ(l.videoRect, QRect((1920 - 1376) / 2, 0, 1376, 1032));
    l = layoutForPreset(state::kPresetFullScreen, screen, {});
    EXPECT_EQ(l.videoRect, QRect(0, 60, 1920, 972));
    l = layoutForPreset(state::kPresetNormal, screen, {});
    EXPECT_EQ(l.videoRect, QRect(0, 64, 400, 300));
    EXPECT_FALSE(l.singleWindow);
}

TEST(WindowPresets, ByResolutionSizesToTheCamera)
{
    // Fits: client W x H + 60.
    PresetLayout l = layoutForPreset(state::kPresetByResolution, QSize(1920, 1200), QSize(1600, 1200));
    EXPECT_EQ(l.appliedAs, state::kPresetByResolution);
    EXPECT_EQ(l.clientSize, QSize(1600, 1260));
    EXPECT_EQ(l.videoRect, QRect(0, 60, 1600, 1200));
    // 640 x 480 or less: the 640*480 preset instead.
    EXPECT_EQ(layoutForPreset(state::kPresetByResolution, QSize(1920, 1200), QSize(640, 480)).appliedAs, state::kPreset640x480);
    // Overhang on a small screen, centred, draggable within the overhang.
    l = layoutForPreset(state::kPresetByResolution, QSize(1280, 1024), QSize(1600, 1200));
    EXPECT_EQ(l.clientSize, QSize(1280, 1024));
    EXPECT_EQ(l.videoRect, QRect(-160, -88, 1600, 1200));
    EXPECT_TRUE(l.dragEnabled);
    EXPECT_EQ(l.dragMin, QPoint(-320, -176));
    EXPECT_EQ(l.dragMax, QPoint(0, 0));
    // 640 wide and room to spare: 80 more pixels for the tool bars.
    EXPECT_EQ(layoutForPreset(state::kPresetByResolution, QSize(1920, 1200), QSize(640, 512)).clientSize, QSize(720, 572));
}

TEST(WindowPresets, SingleWindowRowHasSixSlotsWrappingIntoTheLastColumn)
{
    const ToolBarSizes bars{QSize(100, 28), QSize(300, 28)};
    ButtonLayout b = singleWindowButtons(1280, bars, QRect(0, 60, 1280, 800), true);
    EXPECT_EQ(b.mainButtons[0], QPoint(0, 0));     // connect
    EXPECT_EQ(b.mainButtons[1], QPoint(80, 0));    // capture
    EXPECT_EQ(b.mainButtons[5], QPoint(160, 0));   // record
    EXPECT_EQ(b.mainButtons[6], QPoint(240, 0));   // play
    EXPECT_EQ(b.returnButton, QPoint(320, 0));
    EXPECT_EQ(b.mainButtons[9], QPoint(400, 0));   // exit
    EXPECT_FALSE(b.mainButtonShown[2]);
    EXPECT_FALSE(b.mainButtonShown[4]);
    EXPECT_EQ(b.modeToolBars, QPoint(480, 0));
    EXPECT_EQ(b.changeModeToolBar, QPoint(780, 0));
    EXPECT_FALSE(b.modeToolBarsMoved || b.changeModeToolBarMoved);
    EXPECT_EQ(b.rowsBelowVideo, 0);
    // 800 wide: free 320 holds the mode bars, not both: the change-mode bar below them.
    b = singleWindowButtons(800, bars, QRect(0, 60, 800, 600), true);
    EXPECT_EQ(b.modeToolBars, QPoint(480, 0));
    EXPECT_EQ(b.changeModeToolBar, QPoint(480, 28));
    EXPECT_EQ(b.rowsBelowVideo, 0);
    // 300 wide: three columns; slots 3, 4, 5 stack in the last column.
    b = singleWindowButtons(300, bars, QRect(0, 60, 300, 200), true);
    EXPECT_EQ(b.mainButtons[6], QPoint(160, 60));
    EXPECT_EQ(b.returnButton, QPoint(160, 120));
    EXPECT_EQ(b.mainButtons[9], QPoint(160, 180));
}

TEST(WindowPresets, ABarWhoseFixedPlaceCoversThePictureOrAnotherBarGoesToTheNextFreeRow)
{
    struct Row {
        const char *what;
        int width;
        QRect video;
        bool mayGrow;
        QSize modes;
        QPoint modesAt, changeModeAt;
        bool modesMoved, changeModeMoved;
        int rowsBelow;
    };
    const QSize changeMode(100, 24);
    const Row rows[] = {
        // 640*480: neither beside the buttons (160 free) nor over the picture: the mode bars get
        // a row below the picture, the change-mode bar fits beside the buttons.
        {"640", 640, QRect(0, 60, 640, 480), true, QSize(398, 25), QPoint(0, 540), QPoint(480, 0), true, true, 25},
        // 800*600: 320 free is still narrower than the widest mode bar.
        {"800", 800, QRect(0, 60, 800, 600), true, QSize(398, 25), QPoint(0, 660), QPoint(480, 0), true, true, 25},
        // A mode bar so wide that the change-mode bar no longer fits beside it below the picture
        // nor beside the buttons (60 free): a second row.
        {"540 wide", 540, QRect(0, 60, 540, 400), true, QSize(460, 25), QPoint(0, 460), QPoint(0, 485), true, true, 49},
        // 1024*768: both beside the buttons, in their fixed places.
        {"1024", 1024, QRect(0, 60, 1024, 768), true, QSize(398, 25), QPoint(480, 0), QPoint(878, 0), false, false, 0},
        // The change-mode bar's fixed place below the mode bars is taller than the bar row
        // beside the buttons? It is not: 25 + 24 fits in 60.
        {"900", 900, QRect(0, 60, 900, 700), true, QSize(398, 25), QPoint(480, 0), QPoint(480, 25), false, false, 0},
        // A maximised window cannot grow: where nothing is free, the fixed places stay.
        {"maximised 640", 640, QRect(0, 60, 640, 480), false, QSize(398, 25), QPoint(0, 60), QPoint(480, 0), false, true, 0},
    };
    for (const Row &r : rows) {
        const ButtonLayout b = singleWindowButtons(r.width, ToolBarSizes{changeMode, r.modes}, r.video, r.mayGrow);
        EXPECT_EQ(b.modeToolBars, r.modesAt) << r.what;
        EXPECT_EQ(b.changeModeToolBar, r.changeModeAt) << r.what;
        EXPECT_EQ(b.modeToolBarsMoved, r.modesMoved) << r.what;
        EXPECT_EQ(b.changeModeToolBarMoved, r.changeModeMoved) << r.what;
        EXPECT_EQ(b.rowsBelowVideo, r.rowsBelow) << r.what;
        // Whatever happened, two bars never share a pixel, and a moved bar leaves the picture free.
        const QRect modes(b.modeToolBars, r.modes), cm(b.changeModeToolBar, changeMode);
        EXPECT_FALSE(modes.intersects(cm)) << r.what;
        if (r.mayGrow) {
            EXPECT_FALSE(modes.intersects(r.video)) << r.what;
            EXPECT_FALSE(cm.intersects(r.video)) << r.what;
        }
    }
}

TEST(UpdateActions, ControlsWithoutBehaviourYetAreNeverOffered)
{
    ActionInputs in = live(true);
    in.stillEmpty = false;
    in.compareImageAssigned = true;
    in.crossShapeDown = {true, true, true, true};
    const ActionState s = computeActions(in);
    for (C id : {C::VideoCtrlTB_WhiteBlanceSet})
        EXPECT_FALSE(s.enabled.value(id, true)) << int(id);
    EXPECT_TRUE(s.visible.value(C::EditorImage_Btn));
    EXPECT_TRUE(s.enabled.value(C::VideoFormat));
}

TEST(UpdateActions, PrintingNeedsAStillPictureBesideTheVideoAndTheViewerOpensOnce)
{
    ActionInputs in = live(true);
    in.stillEmpty = false;
    ActionState s = computeActions(in);
    EXPECT_TRUE(s.visible.value(C::PrinterImage_Btn));
    EXPECT_TRUE(s.enabled.value(C::PrintImage));
    EXPECT_TRUE(s.enabled.value(C::PrintSet, true));   // never named: always offered
    EXPECT_TRUE(s.enabled.value(C::ImageViewer_Tool));
    in.flags.ViewerOpen = true;
    s = computeActions(in);
    EXPECT_FALSE(s.enabled.value(C::ImageViewer_Tool, true));
    in.flags.ViewerOpen = false;
    in.stillEmpty = true;
    s = computeActions(in);
    EXPECT_FALSE(s.visible.value(C::PrinterImage_Btn, true));
    EXPECT_FALSE(s.enabled.value(C::PrintImage, true));
    // The single-window presets print from the viewer only.
    in.stillEmpty = false;
    in.flags.SizePreset = state::kPreset800x600;
    s = computeActions(in);
    EXPECT_FALSE(s.visible.value(C::PrinterImage_Btn, true));
    EXPECT_FALSE(s.enabled.value(C::PrintImage, true));
}

TEST(UpdateActions, EachToolIsOfferedOnlyWhileItIsNotRunning)
{
    ActionInputs in = live(true);
    ActionState s = computeActions(in);
    for (C id : {C::TimingCapture_Tool, C::Vid2Img_Tool, C::Img2Vid_Tool, C::InfoStatus_Tool})
        EXPECT_TRUE(s.enabled.value(id)) << int(id);
    in.timedCaptureRunning = in.vid2ImgRunning = in.img2VidRunning = in.toolStatusOpen = true;
    s = computeActions(in);
    for (C id : {C::TimingCapture_Tool, C::Vid2Img_Tool, C::Img2Vid_Tool, C::InfoStatus_Tool})
        EXPECT_FALSE(s.enabled.value(id, true)) << int(id);
    // Timed capture needs a live camera.
    in = live(true);
    in.flags.VideoConnected = false;
    EXPECT_FALSE(computeActions(in).enabled.value(C::TimingCapture_Tool, true));
}

TEST(UpdateActions, EditorToolBarsFollowTheSelectionTheTextToolAndTheSizes)
{
    ActionInputs in;
    in.stillEmpty = false;
    in.flags.EditMode = true;
    in.editor.selectDown = true;
    in.editor.selection = true;
    ActionState s = computeActions(in);
    for (C id : {C::ImgBar_Cut, C::ImgBar_Copy, C::ImgBar_SelectSave, C::ImgBar_Text, C::ImgBar_SelectRang,
                 C::ImgBar_DrawStyle})
        EXPECT_TRUE(s.enabled.value(id)) << int(id);
    // No bitmap on the clipboard: nothing to paste.
    EXPECT_FALSE(s.enabled.value(C::ImgBar_Paste));
    EXPECT_FALSE(s.enabled.value(C::VI_Paste));
    EXPECT_FALSE(s.enabled.value(C::ImgBar_ComboBox_TextSize));
    // A picture that fits the panel cannot be panned: the move button is released.
    EXPECT_FALSE(s.enabled.value(C::ImgBar_Move));
    EXPECT_FALSE(s.checked.value(C::ImgBar_Move, true));

    in.editor.textDown = true;
    in.editor.clipboardBitmap = true;
    s = computeActions(in);
    EXPECT_FALSE(s.enabled.value(C::ImgBar_Cut));
    EXPECT_TRUE(s.enabled.value(C::ImgBar_Paste));
    for (C id : {C::ImgBar_ComboBox_TextSize, C::ImgBar_TextColor, C::ImgBar_TextBgColor, C::ImgBar_TextBgTransparent})
        EXPECT_TRUE(s.enabled.value(id)) << int(id);

    // A picture zoomed larger than the panel takes drawing, selecting, text and pasting as at
    // any other zoom, and it can be panned.
    in.editor.controlLargerThanPanel = true;
    s = computeActions(in);
    for (C id : {C::ImgBar_Text, C::ImgBar_SelectRang, C::ImgBar_DrawStyle, C::ImgBar_Paste})
        EXPECT_TRUE(s.enabled.value(id)) << int(id);
    EXPECT_TRUE(s.enabled.value(C::ImgBar_Move));
    EXPECT_FALSE(s.checked.named(C::ImgBar_Move));
    // The history decides undo and redo.
    EXPECT_FALSE(s.enabled.value(C::ImgBar_Undo));
    in.editor.canUndo = true;
    EXPECT_TRUE(computeActions(in).enabled.value(C::ImgBar_Undo));
}

TEST(UpdateActions, TheViewerMenuTheAnalysisExportAndTheTextBoxAreRulesToo)
{
    ActionInputs in;
    ActionState s = computeActions(in);
    EXPECT_FALSE(s.viewerItems.has_value()) << "no viewer open: its menu is left alone";
    EXPECT_FALSE(s.enabled.value(C::ExportAnalysis, true));
    EXPECT_FALSE(s.commitEditorTextBox);

    // The viewer's menu: save only with unsaved work, the filters only while their bar is home.
    in.flags.ViewerOpen = true;
    in.stillEmpty = false;
    s = computeActions(in);
    ASSERT_TRUE(s.viewerItems.has_value());
    EXPECT_EQ(*s.viewerItems, (ViewerItems{false, true, true, true}));
    EXPECT_TRUE(s.enabled.value(C::ExportAnalysis)) << "a still picture can be exported";
    in.unsavedEdits = true;
    in.filterBarShown = true;
    EXPECT_EQ(*computeActions(in).viewerItems, (ViewerItems{true, true, false, true}));
    in.stillEmpty = true;
    EXPECT_EQ(*computeActions(in).viewerItems, (ViewerItems{false, false, false, false}));
    in.flags.VideoConnected = true;
    EXPECT_TRUE(computeActions(in).enabled.value(C::ExportAnalysis)) << "the live picture can be exported";

    // The editor's text box lives only while the text tool is down: its text is written then.
    in.flags.EditMode = true;
    in.editor.textBoxShown = true;
    EXPECT_TRUE(computeActions(in).commitEditorTextBox);
    in.editor.textDown = true;
    EXPECT_FALSE(computeActions(in).commitEditorTextBox);
    in.flags.EditMode = false;
    in.editor.textDown = false;
    EXPECT_FALSE(computeActions(in).commitEditorTextBox);
}
