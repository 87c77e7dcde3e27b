#include "updateactions.h"

namespace app {

ActionState computeActions(const ActionInputs &in)
{
    ActionState s;
    const state::AppFlags &f = in.flags;
    auto vis = [&](const char *name, bool v) { s.visible.insert(QLatin1String(name), v); };
    auto ena = [&](const char *name, bool e) { s.enabled.insert(QLatin1String(name), e); };
    auto chk = [&](const char *name, bool c) { s.checked.insert(QLatin1String(name), c); };

    // Main buttons.
    vis("Connect_Btn", f.DeviceFound);
    vis("CaptureImage_Btn", (f.VideoConnected || f.VideoPlaying) && in.canSnapShot && !in.frameLockedOrLoaded);
    vis("RecordVideo_Btn", f.VideoConnected);
    vis("PlayVideo_Btn", true);
    vis("Exit_Btn", true);

    // The still-image buttons exist only beside the still image, in the "Normal" layout.
    const bool normal = f.SizePreset == state::kPresetNormal;
    const bool still = !in.stillEmpty;
    vis("SaveImage_Btn", normal && still && in.unsavedEdits);
    for (const char *name : {"EditorImage_Btn", "DelViewVideo_Btn", "ImageProcess_Btn", "PrinterImage_Btn"})
        vis(name, normal && still);
    ena("SaveFile", normal && still);
    ena("PrintImage", normal && still);
    ena("OpenFile", normal);
    vis("LogoImage_RW", in.stillEmpty);

    // Menu items.
    ena("VideoFormat", f.VideoConnected);
    ena("VideoSource", f.VideoConnected);
    ena("TimingCapture_Tool", f.VideoConnected && f.VmrAvailable && !in.timedCaptureRunning);
    ena("Vid2Img_Tool", !in.vid2ImgRunning);
    ena("SetMJPGPreview", !f.VideoConnected);
    ena("ImageViewer_Tool", !f.ViewerOpen);
    ena("InfoStatus_Tool", !in.toolStatusOpen);

    // Media player.
    if (in.playerBarShown && in.playerAtEnd) {
        ena("MediaPlay_Btn", true);
        ena("MediaPause_Btn", false);
        ena("MediaStop_Btn", false);
    }
    if (f.VideoPlaying)
        for (const char *name : {"MediaRightOthers_Btn", "MediaRightSelf_Btn", "MediaLeftOthers_Btn", "MediaLeftSelf_Btn"})
            ena(name, f.VmrAvailable);

    // Overlay tool bars.
    ena("CrossTB_CrossSB", in.crossShapeDown[0]);
    ena("CrossTB_AreaSB", in.crossShapeDown[1]);
    ena("CrossTB_RectSB", in.crossShapeDown[2]);
    ena("CrossTB_CircleSB", in.crossShapeDown[3]);
    ena("CompareTB_AssignWindowsImage", still);
    for (const char *name : {"CompareTB_Compare", "CompareTB_LeftRight", "CompareTB_RightLeft", "CompareTB_TopBottom",
                             "CompareTB_BottomTop"})
        ena(name, in.compareImageAssigned);

    // Live-mode tool bars exist only over a running live picture.
    const char *modeBars[] = {"Compare_ToolBar", "Cross_ToolBar", "VideoCtrl_ToolBar", "DrawRuler_ToolBar"};
    if (!f.VideoConnected || f.VideoPlaying) {
        vis("ChangeMode_ToolBar", false);
        for (const char *bar : modeBars)
            vis(bar, false);
    } else {
        vis("ChangeMode_ToolBar", true);
        int mode = in.pressedMode;
        if (!f.VmrAvailable) {
            // Without overlay compositing only the picture controls make sense.
            for (const char *name : {"ChangeModeTB_Compare", "ChangeModeTB_Cross", "ChangeModeTB_Draw"}) {
                chk(name, false);
                ena(name, false);
            }
            chk("ChangeModeTB_VideoCtrl", true);
            mode = state::kLiveVideoCtrl;
        }
        for (int m = 0; m < 4; ++m)
            vis(modeBars[m], m == mode && (m == state::kLiveVideoCtrl || f.VmrAvailable));
        if (mode == state::kLiveVideoCtrl)
            for (const char *name : {"VideoCtrlTB_RightOthers", "VideoCtrlTB_RightSelf", "VideoCtrlTB_LeftSelf",
                                     "VideoCtrlTB_LeftOthers"})
                ena(name, f.VmrAvailable);
        if (mode == state::kLiveDraw)
            ena("DrawRuler_ToolBar", !in.shapeInProgress);
    }
    ena("VideoCtrlTB_BrightnessTKB", in.brightnessDown);
    ena("VideoCtrlTB_ContrastTKB", in.contrastDown);
    ena("VideoCtrlTB_ExposureTKB", in.exposureDown);
    ena("DrawRulerTB_Undo", in.overlapDown && in.undoAvailable && !in.shapeInProgress);
    ena("DrawRulerTB_Redo", in.overlapDown && in.redoAvailable && !in.shapeInProgress);

    // Single-window presets.
    vis("ReturnMain_Btn", !normal);
    vis("ReturnMain_Image", !normal);
    vis("CoverLayer", !normal);

    vis("mmMagniShow", f.VideoConnected && !f.VideoPlaying && !f.OverlayMode);
    return s;
}

} // namespace app
