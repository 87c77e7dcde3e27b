#include "updateactions.h"

#include "library/imageviewlayout.h"

namespace app {

using C = state::ControlId;

namespace {

bool normalLayout(const ActionInputs &in) { return in.flags.SizePreset == state::kPresetNormal; }

} // namespace

void mainButtonRules(const ActionInputs &in, ActionState &s)
{
    const state::AppFlags &f = in.flags;
    s.visible.set(C::Connect_Btn, f.DeviceFound);
    s.visible.set(C::CaptureImage_Btn, (f.VideoConnected || f.VideoPlaying) && in.canSnapShot && !in.frameLockedOrLoaded);
    s.visible.set(C::RecordVideo_Btn, f.VideoConnected);
    s.visible.set(C::PlayVideo_Btn, true);
    s.visible.set(C::Exit_Btn, true);
}

void stillImageRules(const ActionInputs &in, ActionState &s)
{
    // The still-image buttons exist only beside the still image, in the "Normal" layout.
    const bool normal = normalLayout(in);
    const bool still = !in.stillEmpty;
    s.visible.set(C::SaveImage_Btn, normal && still && in.unsavedEdits);
    for (C id : {C::EditorImage_Btn, C::DelViewVideo_Btn, C::ImageProcess_Btn, C::PrinterImage_Btn})
        s.visible.set(id, normal && still);
    s.enabled.set(C::SaveFile, normal && still);
    s.enabled.set(C::PrintImage, normal && still);
    s.enabled.set(C::OpenFile, normal);
    s.visible.set(C::LogoImage_RW, in.stillEmpty);
}

void editorRules(const ActionInputs &in, ActionState &s)
{
    const EditorFacts &e = in.editor;
    const bool still = !in.stillEmpty;
    for (C id : {C::ImgBar_NormalMode, C::ImgBar_NewFile, C::ImgBar_Save, C::ImgBar_RotateLeft, C::ImgBar_RotateRight,
                 C::ImgBar_LineStyle, C::ImgBar_Color, C::ImgBar_DeleteToolBar, C::ImgBar_BrushStyle})
        s.enabled.set(id, still);
    const bool selecting = e.selectDown && !e.textDown;
    for (C id : {C::ImgBar_Cut, C::ImgBar_Copy, C::ImgBar_SelectSave})
        s.enabled.set(id, still && selecting && e.selection);
    s.enabled.set(C::ImgBar_Move, still && e.controlLargerThanPanel);
    if (!e.controlLargerThanPanel)
        s.checked.set(C::ImgBar_Move, false);
    // Drawing, selecting, text and pasting work at every zoom: the pointer is mapped through the
    // picture's stretch.
    for (C id : {C::ImgBar_DrawStyle, C::ImgBar_SelectRang, C::ImgBar_Text})
        s.enabled.set(id, still);
    s.enabled.set(C::ImgBar_Paste, still && e.clipboardBitmap);
    for (C id : {C::ImgBar_ComboBox_TextSize, C::ImgBar_TextColor, C::ImgBar_TextBgColor, C::ImgBar_TextBgTransparent})
        s.enabled.set(id, e.textDown);
    s.enabled.set(C::ImgBar_Undo, still && e.canUndo);
    s.enabled.set(C::ImgBar_Redo, still && e.canRedo);
    s.enabled.set(C::ImgBar_ZoomIn, still && e.zoomInChanges);
    s.enabled.set(C::ImgBar_ZoomOut, still && e.zoomOutChanges);
    s.enabled.set(C::ImgBar_ZoomFit, still && e.fitChanges);
    s.enabled.set(C::ImgBar_OriginalFit, still && e.originalChanges);
    s.enabled.set(C::VI_Cut, still);
    s.enabled.set(C::VI_Copy, still);
    s.enabled.set(C::VI_Paste, still && e.clipboardBitmap);
    // The text box lives only while the text tool is down; its text is never thrown away.
    s.commitEditorTextBox = in.flags.EditMode && !e.textDown && e.textBoxShown;
}

void cameraRules(const ActionInputs &in, ActionState &s)
{
    const state::AppFlags &f = in.flags;
    s.enabled.set(C::VideoFormat, f.VideoConnected);
    s.enabled.set(C::VideoSource, f.VideoConnected);
    s.enabled.set(C::SetMJPGPreview, !f.VideoConnected);
    s.enabled.set(C::VideoCtrlTB_BrightnessTKB, in.brightnessDown);
    s.enabled.set(C::VideoCtrlTB_ContrastTKB, in.contrastDown);
    s.enabled.set(C::VideoCtrlTB_ExposureTKB, in.exposureDown);
    s.visible.set(C::mmMagniShow, f.VideoConnected && !f.VideoPlaying && !f.OverlayMode);
}

void playerRules(const ActionInputs &in, ActionState &s)
{
    if (in.playerBarShown && in.playerAtEnd) {
        s.enabled.set(C::MediaPlay_Btn, true);
        s.enabled.set(C::MediaPause_Btn, false);
        s.enabled.set(C::MediaStop_Btn, false);
    }
    if (in.flags.VideoPlaying)
        for (C id : {C::MediaRightOthers_Btn, C::MediaRightSelf_Btn, C::MediaLeftOthers_Btn, C::MediaLeftSelf_Btn})
            s.enabled.set(id, in.flags.VmrAvailable);
}

void liveModeRules(const ActionInputs &in, ActionState &s)
{
    // Live-mode tool bars exist only over a running live picture.
    const state::AppFlags &f = in.flags;
    const C modeBars[] = {C::Compare_ToolBar, C::Cross_ToolBar, C::VideoCtrl_ToolBar, C::DrawRuler_ToolBar};
    if (!f.VideoConnected || f.VideoPlaying) {
        s.visible.set(C::ChangeMode_ToolBar, false);
        for (C bar : modeBars)
            s.visible.set(bar, false);
        return;
    }
    s.visible.set(C::ChangeMode_ToolBar, true);
    int mode = in.pressedMode;
    if (!f.VmrAvailable) {
        // Without overlay compositing only the picture controls make sense.
        for (C id : {C::ChangeModeTB_Compare, C::ChangeModeTB_Cross, C::ChangeModeTB_Draw}) {
            s.checked.set(id, false);
            s.enabled.set(id, false);
        }
        s.checked.set(C::ChangeModeTB_VideoCtrl, true);
        mode = state::kLiveVideoCtrl;
    }
    for (int m = 0; m < 4; ++m)
        s.visible.set(modeBars[m], m == mode && (m == state::kLiveVideoCtrl || f.VmrAvailable));
    if (mode == state::kLiveVideoCtrl)
        for (C id : {C::VideoCtrlTB_RightOthers, C::VideoCtrlTB_RightSelf, C::VideoCtrlTB_LeftSelf, C::VideoCtrlTB_LeftOthers})
            s.enabled.set(id, f.VmrAvailable);
    if (mode == state::kLiveDraw)
        s.enabled.set(C::DrawRuler_ToolBar, !in.shapeInProgress);
}

void overlayRules(const ActionInputs &in, ActionState &s)
{
    s.enabled.set(C::CrossTB_CrossSB, in.crossShapeDown[0]);
    s.enabled.set(C::CrossTB_AreaSB, in.crossShapeDown[1]);
    s.enabled.set(C::CrossTB_RectSB, in.crossShapeDown[2]);
    s.enabled.set(C::CrossTB_CircleSB, in.crossShapeDown[3]);
    s.enabled.set(C::CompareTB_AssignWindowsImage, !in.stillEmpty);
    for (C id : {C::CompareTB_Compare, C::CompareTB_LeftRight, C::CompareTB_RightLeft, C::CompareTB_TopBottom,
                 C::CompareTB_BottomTop})
        s.enabled.set(id, in.compareImageAssigned);
}

void measureRules(const ActionInputs &in, ActionState &s)
{
    s.enabled.set(C::DrawRulerTB_Undo, in.overlapDown && in.undoAvailable && !in.shapeInProgress);
    s.enabled.set(C::DrawRulerTB_Redo, in.overlapDown && in.redoAvailable && !in.shapeInProgress);
}

void toolRules(const ActionInputs &in, ActionState &s)
{
    const state::AppFlags &f = in.flags;
    s.enabled.set(C::TimingCapture_Tool, f.VideoConnected && f.VmrAvailable && !in.timedCaptureRunning);
    s.enabled.set(C::Vid2Img_Tool, !in.vid2ImgRunning);
    s.enabled.set(C::Img2Vid_Tool, !in.img2VidRunning);
    s.enabled.set(C::ImageViewer_Tool, !f.ViewerOpen);
    s.enabled.set(C::InfoStatus_Tool, !in.toolStatusOpen);
}

void layoutRules(const ActionInputs &in, ActionState &s)
{
    const bool normal = normalLayout(in);
    s.visible.set(C::ReturnMain_Btn, !normal);
    s.visible.set(C::ReturnMain_Image, !normal);
    s.visible.set(C::CoverLayer, !normal);
}

void viewerRules(const ActionInputs &in, ActionState &s)
{
    if (!in.flags.ViewerOpen)
        return;
    const library::ImageViewMenuState m = library::imageViewMenuState(in.stillEmpty, in.unsavedEdits, in.filterBarShown);
    s.viewerItems = ViewerItems{m.save, m.remove, m.imageProcess, m.print};
}

void resultsRules(const ActionInputs &in, ActionState &s)
{
    s.enabled.set(C::ExportAnalysis, in.flags.VideoConnected || !in.stillEmpty);
}

void focusAidRules(const ActionInputs &in, ActionState &s)
{
    const state::AppFlags &f = in.flags;
    // The focus tool bar is a live tool bar: it stands beside the live-mode buttons.
    s.visible.set(C::FocusAid_ToolBar, f.VideoConnected && !f.VideoPlaying);
    s.enabled.set(C::FocusTB_Region, in.focusMeterOn && f.VideoConnected && !in.frameFrozen);
    // A profile needs a picture that stands still: the locked or loaded frame, or the still
    // picture; a tool that is on can always be switched off.
    const bool picture = !in.stillEmpty || in.frameFrozen;
    s.enabled.set(C::LineProfile_Tool, picture || in.profileToolOn);
    s.enabled.set(C::FocusTB_Profile, picture || in.profileToolOn);
}

void notYetBuiltRules(const ActionInputs &, ActionState &s)
{
    // Controls whose behaviour is not built yet stay disabled.
    static constexpr C kPending[] = {
        C::VideoCtrlTB_WhiteBlanceSet};
    for (C id : kPending)
        s.enabled.set(id, false);
}

ActionState computeActions(const ActionInputs &in)
{
    ActionState s;
    for (auto rules : {mainButtonRules, stillImageRules, layoutRules, liveModeRules, overlayRules, cameraRules, playerRules,
                       measureRules, toolRules, editorRules, viewerRules, resultsRules, focusAidRules,
                       notYetBuiltRules})
        rules(in, s);
    return s;
}

} // namespace app
