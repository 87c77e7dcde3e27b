#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace state {

// Every menu item, tool bar, button, track bar and drop-down of the main window, declared once.
// The name is the one the language files and the picture folder spell; code addresses a control
// only by its ControlId, so a name is never typed a second time.
//
// Columns: name, kind, where it sits, the group it holds (menus and tool bars), picture file
// (main buttons below Bitmap/MainButton/, tool buttons below Bitmap/ToolBar/), short cut, the
// language text it takes. Rows are in building order: menus and bars are filled in this order.
#define SENDRA_CONTROLS(X)                                                                                   \
    /* Menu bar */                                                                                           \
    X(File, Menu, MenuBar, FileMenu, "", "", Caption)                                                        \
    X(OpenFile, Action, FileMenu, None, "", "Ctrl+O", Caption)                                               \
    X(SaveFile, Action, FileMenu, None, "", "Ctrl+S", Caption)                                               \
    X(ExportAnalysis, Action, FileMenu, None, "", "", Caption)                                               \
    X(FileMenu_Sep1, Separator, FileMenu, None, "", "", None)                                                \
    X(PrintSet, Action, FileMenu, None, "", "", Caption)                                                     \
    X(PrintImage, Action, FileMenu, None, "", "Ctrl+P", Caption)                                             \
    X(FileMenu_Sep2, Separator, FileMenu, None, "", "", None)                                                \
    X(Exit, Action, FileMenu, None, "", "Ctrl+E", Caption)                                                   \
    X(Setting, Menu, MenuBar, SettingMenu, "", "", Caption)                                                  \
    X(DevicesEnum, Menu, SettingMenu, DevicesMenu, "", "", Caption)                                          \
    X(VideoFormat, Action, SettingMenu, None, "", "", Caption)                                               \
    X(VideoSource, Action, SettingMenu, None, "", "", Caption)                                               \
    X(VideoCompress, Action, SettingMenu, None, "", "", Caption)                                             \
    X(JPG_Quality, Menu, SettingMenu, QualityMenu, "", "", Caption)                                          \
    X(NHeight_Q, RadioAction, QualityMenu, None, "", "", Caption)                                            \
    X(NMiddle_Q, RadioAction, QualityMenu, None, "", "", Caption)                                            \
    X(NLow_Q, RadioAction, QualityMenu, None, "", "", Caption)                                               \
    X(SettingMenu_Sep1, Separator, SettingMenu, None, "", "", None)                                          \
    X(AutoSave, CheckAction, SettingMenu, None, "", "", Caption)                                             \
    X(SetMJPGPreview, CheckAction, SettingMenu, None, "", "", Caption)                                       \
    X(ShowAllCameras, CheckAction, SettingMenu, None, "", "", Caption)                                       \
    X(WindowSize, Menu, MenuBar, WindowMenu, "", "", Caption)                                                \
    X(NNormal_Screen, RadioAction, WindowMenu, None, "", "Ctrl+N", Caption)                                  \
    X(N640_480_Screen, RadioAction, WindowMenu, None, "", "Ctrl+F1", Caption)                                \
    X(N800_600_Screen, RadioAction, WindowMenu, None, "", "Ctrl+F2", Caption)                                \
    X(N1024_768_Screen, RadioAction, WindowMenu, None, "", "Ctrl+F3", Caption)                               \
    X(N1280_800_Screen, RadioAction, WindowMenu, None, "", "Ctrl+F4", Caption)                               \
    X(N1280_960_Screen, RadioAction, WindowMenu, None, "", "Ctrl+F5", Caption)                               \
    X(N1600_1200_Screen, RadioAction, WindowMenu, None, "", "Ctrl+F6", Caption)                              \
    X(NFull_Screen_4_3, RadioAction, WindowMenu, None, "", "Ctrl+F7", Caption)                               \
    X(NFull_Screen, RadioAction, WindowMenu, None, "", "Ctrl+F8", Caption)                                   \
    X(NBy_Resolution, RadioAction, WindowMenu, None, "", "Ctrl+R", Caption)                                  \
    X(NDash5, Separator, WindowMenu, None, "", "", None)                                                     \
    X(NDevCtrlToolbar, RadioAction, WindowMenu, None, "", "Ctrl+D", Caption)                                 \
    X(Tool, Menu, MenuBar, ToolMenu, "", "", Caption)                                                        \
    X(OpenDirector, Menu, ToolMenu, DirectorMenu, "", "", Caption)                                           \
    X(BmpDir, Action, DirectorMenu, None, "", "Ctrl+B", Caption)                                             \
    X(JpgDir, Action, DirectorMenu, None, "", "Ctrl+J", Caption)                                             \
    X(AviDir, Action, DirectorMenu, None, "", "Ctrl+A", Caption)                                             \
    X(RestoreDefaultPath, Action, ToolMenu, None, "", "", Caption)                                           \
    X(ToolMenu_Sep1, Separator, ToolMenu, None, "", "", None)                                                \
    X(TimingCapture_Tool, Action, ToolMenu, None, "", "", Caption)                                           \
    X(Vid2Img_Tool, Action, ToolMenu, None, "", "", Caption)                                                 \
    X(Img2Vid_Tool, Action, ToolMenu, None, "", "", Caption)                                                 \
    X(InfoStatus_Tool, Action, ToolMenu, None, "", "", Caption)                                              \
    X(ImageViewer_Tool, Action, ToolMenu, None, "", "", Caption)                                             \
    X(ResultsTable_Tool, Action, ToolMenu, None, "", "", Caption)                                            \
    X(Language, Menu, MenuBar, LanguageMenu, "", "", Caption)                                                \
    X(Lang_English, RadioAction, LanguageMenu, None, "", "", Caption)                                        \
    X(Lang_ChineseTradition, RadioAction, LanguageMenu, None, "", "", Caption)                               \
    X(Lang_ChineseSimplified, RadioAction, LanguageMenu, None, "", "", Caption)                              \
    X(Lang_Japanese, RadioAction, LanguageMenu, None, "", "", Caption)                                       \
    X(Lang_German, RadioAction, LanguageMenu, None, "", "", Caption)                                         \
    X(Lang_Russian, RadioAction, LanguageMenu, None, "", "", Caption)                                         \
    X(Lang_Korean, RadioAction, LanguageMenu, None, "", "", Caption)                                         \
    X(Lang_Polish, RadioAction, LanguageMenu, None, "", "", Caption)                                         \
    X(Lang_Spanish, RadioAction, LanguageMenu, None, "", "", Caption)                                        \
    X(Lang_French, RadioAction, LanguageMenu, None, "", "", Caption)                                         \
    X(Lang_Portuguese, RadioAction, LanguageMenu, None, "", "", Caption)                                     \
    X(About, Action, MenuBar, None, "", "", Caption)                                                         \
    X(mmMagniShow, Action, MenuBar, None, "", "", Caption)                                                   \
    /* The video's pop-up menu (player) and the shape tool menu (drawing) */                                 \
    X(PopupMenu_Video, PopupMenu, Window, PopupVideo, "", "", None)                                          \
    X(PopupVideoPlay, Action, PopupVideo, None, "", "", Caption)                                             \
    X(PopupVideoPause, Action, PopupVideo, None, "", "", Caption)                                            \
    X(PopupVideoStop, Action, PopupVideo, None, "", "", Caption)                                             \
    X(PopupVideoRePlay, Action, PopupVideo, None, "", "", Caption)                                           \
    X(PopupVideoDash1, Separator, PopupVideo, None, "", "", None)                                            \
    X(PopupVideoExit, Action, PopupVideo, None, "", "", Caption)                                             \
    X(TntPM_DrawStyle, PopupMenu, Window, DrawStyleMenu, "", "", None)                                       \
    X(ST_None, RadioAction, DrawStyleMenu, None, "", "", Caption)                                            \
    X(ST_Line, RadioAction, DrawStyleMenu, None, "", "", Caption)                                            \
    X(ST_AuxiliaryLine, RadioAction, DrawStyleMenu, None, "", "", Caption)                                   \
    X(ST_NodeLine, RadioAction, DrawStyleMenu, None, "", "", Caption)                                        \
    X(ST_MultiLine, RadioAction, DrawStyleMenu, None, "", "", Caption)                                       \
    X(ST_2PointsCircle, RadioAction, DrawStyleMenu, None, "", "", Caption)                                   \
    X(ST_3PointsCircle, RadioAction, DrawStyleMenu, None, "", "", Caption)                                   \
    X(ST_Arc, RadioAction, DrawStyleMenu, None, "", "", Caption)                                             \
    X(ST_Arch, RadioAction, DrawStyleMenu, None, "", "", Caption)                                            \
    X(ST_Ellipse, RadioAction, DrawStyleMenu, None, "", "", Caption)                                         \
    X(ST_Square, RadioAction, DrawStyleMenu, None, "", "", Caption)                                          \
    X(ST_Rectangle, RadioAction, DrawStyleMenu, None, "", "", Caption)                                       \
    X(ST_3PointsAngle, RadioAction, DrawStyleMenu, None, "", "", Caption)                                    \
    X(ST_3PointsFillet, RadioAction, DrawStyleMenu, None, "", "", Caption)                                   \
    X(ST_4PointsAngle, RadioAction, DrawStyleMenu, None, "", "", Caption)                                    \
    X(ST_Polygon, RadioAction, DrawStyleMenu, None, "", "", Caption)                                         \
    X(ST_EdgeCircle, RadioAction, DrawStyleMenu, None, "", "", Caption)                                      \
    /* The still-image editor's drop-down menus and the picture's pop-up menu */                         \
    X(TntPM_EditLineStyle, PopupMenu, Window, EditLineStyleMenu, "", "", None)                           \
    X(ELS_Solid, RadioAction, EditLineStyleMenu, None, "", "", Caption)                                  \
    X(ELS_Dot, RadioAction, EditLineStyleMenu, None, "", "", Caption)                                    \
    X(ELS_Dash, RadioAction, EditLineStyleMenu, None, "", "", Caption)                                   \
    X(ELS_DashDot, RadioAction, EditLineStyleMenu, None, "", "", Caption)                                \
    X(ELS_DashDotDot, RadioAction, EditLineStyleMenu, None, "", "", Caption)                             \
    X(ELS_Solid2, RadioAction, EditLineStyleMenu, None, "", "", Caption)                                 \
    X(ELS_Solid4, RadioAction, EditLineStyleMenu, None, "", "", Caption)                                 \
    X(ELS_Solid6, RadioAction, EditLineStyleMenu, None, "", "", Caption)                                 \
    X(ELS_Solid8, RadioAction, EditLineStyleMenu, None, "", "", Caption)                                 \
    X(TntPM_EditBurshStyle, PopupMenu, Window, EditBrushStyleMenu, "", "", None)                         \
    X(EBS_Clear, RadioAction, EditBrushStyleMenu, None, "", "", Caption)                                 \
    X(EBS_Solid, RadioAction, EditBrushStyleMenu, None, "", "", Caption)                                 \
    X(EBS_Horizontal, RadioAction, EditBrushStyleMenu, None, "", "", Caption)                            \
    X(EBS_Vertical, RadioAction, EditBrushStyleMenu, None, "", "", Caption)                              \
    X(EBS_Cross, RadioAction, EditBrushStyleMenu, None, "", "", Caption)                                 \
    X(EBS_FrontDiag, RadioAction, EditBrushStyleMenu, None, "", "", Caption)                             \
    X(EBS_BackDiag, RadioAction, EditBrushStyleMenu, None, "", "", Caption)                              \
    X(EBS_CrossDiag, RadioAction, EditBrushStyleMenu, None, "", "", Caption)                             \
    X(TntPM_EditDrawStyle, PopupMenu, Window, EditDrawStyleMenu, "", "", None)                           \
    X(EDS_None, RadioAction, EditDrawStyleMenu, None, "", "", Caption)                                   \
    X(EDS_Sketch, RadioAction, EditDrawStyleMenu, None, "", "", Caption)                                 \
    X(EDS_Line, RadioAction, EditDrawStyleMenu, None, "", "", Caption)                                   \
    X(EDS_Circle, RadioAction, EditDrawStyleMenu, None, "", "", Caption)                                 \
    X(EDS_Ellipse, RadioAction, EditDrawStyleMenu, None, "", "", Caption)                                \
    X(EDS_Square, RadioAction, EditDrawStyleMenu, None, "", "", Caption)                                 \
    X(EDS_Rectangle, RadioAction, EditDrawStyleMenu, None, "", "", Caption)                              \
    X(EDS_Polygon, RadioAction, EditDrawStyleMenu, None, "", "", Caption)                                \
    X(TntPM_ViewerImage, PopupMenu, Window, ViewerImageMenu, "", "", None)                               \
    X(VI_Cut, Action, ViewerImageMenu, None, "", "", Caption)                                            \
    X(VI_Copy, Action, ViewerImageMenu, None, "", "", Caption)                                           \
    X(VI_Paste, Action, ViewerImageMenu, None, "", "", Caption)                                          \
    /* The ten main buttons, in row order, and the window's fixed parts */                                   \
    X(Connect_Btn, MainButton, MainButtons, None, "connect.bmp", "", Caption)                                \
    X(CaptureImage_Btn, MainButton, MainButtons, None, "capture.bmp", "", Caption)                           \
    X(SaveImage_Btn, MainButton, MainButtons, None, "Save.bmp", "", Caption)                                 \
    X(EditorImage_Btn, MainButton, MainButtons, None, "edit.bmp", "", Caption)                               \
    X(DelViewVideo_Btn, MainButton, MainButtons, None, "delete.bmp", "", Caption)                            \
    X(RecordVideo_Btn, MainButton, MainButtons, None, "videorecord.bmp", "", Caption)                        \
    X(PlayVideo_Btn, MainButton, MainButtons, None, "playvideo.bmp", "", Caption)                            \
    X(ImageProcess_Btn, MainButton, MainButtons, None, "imageprocess.bmp", "", Caption)                      \
    X(PrinterImage_Btn, MainButton, MainButtons, None, "printer.bmp", "", Caption)                           \
    X(Exit_Btn, MainButton, MainButtons, None, "exit.bmp", "", Caption)                                      \
    X(ReturnMain_Btn, MainButton, Window, None, "returntomain.bmp", "", None)                                \
    X(ReturnMain_Image, Label, Window, None, "returntomain_Gray.bmp", "", None)                              \
    X(VideoArea, Area, Window, None, "", "", None)                                                           \
    X(VideoSeek_TKB, TrackBar, Window, None, "", "", None)                                                   \
    X(CoverPanel, Area, Window, None, "", "", None)                                                          \
    X(DeviceStatus_Lab, Label, Window, None, "", "", None)                                                   \
    X(LogoImage_RW, Label, Window, None, "", "", None)                                                       \
    X(EditorStatus_Lab, Label, Window, None, "", "", None)                                                   \
    X(CoverLayer, Area, Window, None, "", "", None)                                                          \
    X(StatusBar, Area, Window, None, "", "", None)                                                           \
    X(StatusRecording_Lab, Label, Window, None, "", "", None)                                                \
    X(StatusOrientation_Lab, Label, Window, None, "", "", None)                                              \
    /* Tool bars and their controls */                                                                      \
    X(ToolBar_ImageEdit1, ToolBar, Window, ImageEdit1, "", "", None)                                         \
    X(ImgBar_NormalMode, CheckButton, ImageEdit1, None, "ImgBar_NormalMode.bmp", "", Hint)                   \
    X(ImgBar_Move, CheckButton, ImageEdit1, None, "ImgBar_Move.bmp", "", Hint)                               \
    X(ImageEdit1_Sep1, Separator, ImageEdit1, None, "", "", None)                                            \
    X(ImgBar_NewFile, Button, ImageEdit1, None, "ImgBar_NewFile.bmp", "", Hint)                              \
    X(ImgBar_Save, Button, ImageEdit1, None, "ImgBar_Save.bmp", "", Hint)                                    \
    X(ImageEdit1_Sep2, Separator, ImageEdit1, None, "", "", None)                                            \
    X(ImgBar_RotateLeft, Button, ImageEdit1, None, "ImgBar_RotateLeft.bmp", "", Hint)                        \
    X(ImgBar_RotateRight, Button, ImageEdit1, None, "ImgBar_RotateRight.bmp", "", Hint)                      \
    X(ImgBar_ZoomFit, Button, ImageEdit1, None, "ImgBar_ZoomFit.bmp", "", Hint)                              \
    X(ImgBar_ZoomIn, Button, ImageEdit1, None, "ImgBar_ZoomIn.bmp", "", Hint)                                \
    X(ImgBar_ZoomOut, Button, ImageEdit1, None, "ImgBar_ZoomOut.bmp", "", Hint)                              \
    X(ImageEdit1_Sep3, Separator, ImageEdit1, None, "", "", None)                                            \
    X(ImgBar_Undo, Button, ImageEdit1, None, "ImgBar_Undo.bmp", "", Hint)                                    \
    X(ImgBar_Redo, Button, ImageEdit1, None, "ImgBar_Redo.bmp", "", Hint)                                    \
    X(ImageEdit1_Sep4, Separator, ImageEdit1, None, "", "", None)                                            \
    X(ImgBar_LineStyle, Button, ImageEdit1, None, "ImgBar_LineStyle.bmp", "", Hint)                          \
    X(ImgBar_Color, Button, ImageEdit1, None, "ImgBar_Color.bmp", "", Hint)                                  \
    X(ImgBar_DeleteToolBar, Button, ImageEdit1, None, "ImgBar_DeleteToolBar.bmp", "", Hint)                  \
    X(ImgBar_ExitToolBar, Button, ImageEdit1, None, "ImgBar_ExitToolBar.bmp", "", Hint)                      \
    X(ToolBar_ImageEdit2, ToolBar, Window, ImageEdit2, "", "", None)                                         \
    X(ImgBar_OriginalFit, Button, ImageEdit2, None, "ImgBar_OriginalFit.bmp", "", Hint)                      \
    X(ImgBar_Text, CheckButton, ImageEdit2, None, "ImgBar_Text.bmp", "", Hint)                               \
    X(ImgBar_TextColor, Button, ImageEdit2, None, "ImgBar_TextColor.bmp", "", Hint)                          \
    X(ImgBar_TextBgColor, Button, ImageEdit2, None, "ImgBar_TextBgColor.bmp", "", Hint)                      \
    X(ImgBar_TextBgTransparent, CheckButton, ImageEdit2, None, "ImgBar_TextBgTransparent.bmp", "", Hint)     \
    X(ImgBar_ComboBox_TextSize, ComboBox, ImageEdit2, None, "", "", Hint)                                    \
    X(ImgBar_BrushStyle, Button, ImageEdit2, None, "ImgBar_BrushStyle.bmp", "", Hint)                        \
    X(ImgBar_DrawStyle, Button, ImageEdit2, None, "ImgBar_DrawStyle.bmp", "", Hint)                          \
    X(ImgBar_SelectRang, CheckButton, ImageEdit2, None, "ImgBar_SelectRang.bmp", "", Hint)                   \
    X(ImgBar_Cut, Button, ImageEdit2, None, "ImgBar_Cut.bmp", "", Hint)                                      \
    X(ImgBar_Copy, Button, ImageEdit2, None, "ImgBar_Copy.bmp", "", Hint)                                    \
    X(ImgBar_Paste, Button, ImageEdit2, None, "ImgBar_Paste.bmp", "", Hint)                                  \
    X(ImgBar_SelectSave, Button, ImageEdit2, None, "ImgBar_SelectSave.bmp", "", Hint)                        \
    X(MideaPlay_ToolBar, ToolBar, Window, MediaPlay, "", "", None)                                           \
    X(MediaPlay_Btn, Button, MediaPlay, None, "MediaPlay_Btn.bmp", "", Hint)                                 \
    X(MediaPause_Btn, Button, MediaPlay, None, "MediaPause_Btn.bmp", "", Hint)                               \
    X(MediaStop_Btn, Button, MediaPlay, None, "MediaStop_Btn.bmp", "", Hint)                                 \
    X(MediaRewind_Btn, CheckButton, MediaPlay, None, "MediaRewind_Btn.bmp", "", Hint)                        \
    X(MediaPlay_Sep1, Separator, MediaPlay, None, "", "", None)                                              \
    X(MediaRightOthers_Btn, CheckButton, MediaPlay, None, "MediaRightOthers_Btn.bmp", "", Hint)              \
    X(MediaRightSelf_Btn, CheckButton, MediaPlay, None, "MediaRightSelf_Btn.bmp", "", Hint)                  \
    X(MediaLeftOthers_Btn, CheckButton, MediaPlay, None, "MediaLeftOthers_Btn.bmp", "", Hint)                \
    X(MediaLeftSelf_Btn, CheckButton, MediaPlay, None, "MediaLeftSelf_Btn.bmp", "", Hint)                    \
    X(MediaPlay_Sep2, Separator, MediaPlay, None, "", "", None)                                              \
    X(MediaExit_Btn, Button, MediaPlay, None, "MediaExit_Btn.bmp", "", Hint)                                 \
    X(ToolBar_ImageProcess, ToolBar, Window, ImageProcess, "", "", None)                                     \
    X(ImaPro_Original_Btn, CheckButton, ImageProcess, None, "ImaPro_Original_Btn.bmp", "", Hint)             \
    X(ImaPro_GrayLevel_Btn, CheckButton, ImageProcess, None, "ImaPro_GrayLevel_Btn.bmp", "", Hint)           \
    X(ImaPro_EdgeDetection_Btn, CheckButton, ImageProcess, None, "ImaPro_EdgeDetection_Btn.bmp", "", Hint)   \
    X(ImaPro_HightPassFilter_Btn, CheckButton, ImageProcess, None, "ImaPro_HightPassFilter_Btn.bmp", "", Hint) \
    X(ImaPro_Binary_Btn, CheckButton, ImageProcess, None, "ImaPro_Binary_Btn.bmp", "", Hint)                 \
    X(ImaPro_Complement_Btn, CheckButton, ImageProcess, None, "ImaPro_Complement_Btn.bmp", "", Hint)         \
    X(ImaPro_ScrollBar, ScrollBar, ImageProcess, None, "", "", Hint)                                         \
    X(ImaPro_Value_Lab, Label, ImageProcess, None, "", "", None)                                             \
    X(ImaPro_Exit_Btn, Button, ImageProcess, None, "ImaPro_Exit_Btn.bmp", "", Hint)                          \
    X(Compare_ToolBar, ToolBar, Window, Compare, "", "", None)                                               \
    X(CompareTB_AssignWindowsImage, CheckButton, Compare, None, "CompareTB_AssignWindowsImage.bmp", "", Hint) \
    X(CompareTB_AssignFile, CheckButton, Compare, None, "CompareTB_AssignFile.bmp", "", Hint)                \
    X(Compare_Sep1, Separator, Compare, None, "", "", None)                                                  \
    X(CompareTB_Compare, CheckButton, Compare, None, "CompareTB_Compare.bmp", "", Hint)                      \
    X(CompareTB_LeftRight, CheckButton, Compare, None, "CompareTB_LeftRight.bmp", "", Hint)                  \
    X(CompareTB_RightLeft, CheckButton, Compare, None, "CompareTB_RightLeft.bmp", "", Hint)                  \
    X(CompareTB_TopBottom, CheckButton, Compare, None, "CompareTB_TopBottom.bmp", "", Hint)                  \
    X(CompareTB_BottomTop, CheckButton, Compare, None, "CompareTB_BottomTop.bmp", "", Hint)                  \
    X(CompareTB_SideRatioSB, ScrollBar, Compare, None, "", "", Hint)                                         \
    X(CompareTB_SideRatio_Lab, Label, Compare, None, "", "", None)                                           \
    X(CompareTB_WinImg_Mode, CheckButton, Compare, None, "CompareTB_WinImg_Mode.bmp", "", Hint)              \
    X(CompareTB_TransparentSB, ScrollBar, Compare, None, "", "", Hint)                                       \
    X(CompareTB_Transparent_Lab, Label, Compare, None, "", "", None)                                         \
    X(CompareTB_knockoutColor, Button, Compare, None, "CompareTB_knockoutColor.bmp", "", Hint)               \
    X(CompareTB_CombineNone, CheckButton, Compare, None, "CompareTB_CombineNone.bmp", "", Hint)              \
    X(ChangeMode_ToolBar, ToolBar, Window, ChangeMode, "", "", None)                                         \
    X(ChangeModeTB_Compare, CheckButton, ChangeMode, None, "ChangeModeTB_Compare.bmp", "", Hint)             \
    X(ChangeModeTB_Cross, CheckButton, ChangeMode, None, "ChangeModeTB_Cross.bmp", "", Hint)                 \
    X(ChangeModeTB_VideoCtrl, CheckButton, ChangeMode, None, "ChangeModeTB_VideoCtrl.bmp", "", Hint)         \
    X(ChangeModeTB_Draw, CheckButton, ChangeMode, None, "ChangeModeTB_Draw.bmp", "", Hint)                   \
    X(VideoCtrl_ToolBar, ToolBar, Window, VideoCtrl, "", "", None)                                           \
    X(VideoCtrlTB_RightOthers, CheckButton, VideoCtrl, None, "VideoCtrlTB_RightOthers.bmp", "", Hint)        \
    X(VideoCtrlTB_RightSelf, CheckButton, VideoCtrl, None, "VideoCtrlTB_RightSelf.bmp", "", Hint)            \
    X(VideoCtrlTB_LeftSelf, CheckButton, VideoCtrl, None, "VideoCtrlTB_LeftSelf.bmp", "", Hint)              \
    X(VideoCtrlTB_LeftOthers, CheckButton, VideoCtrl, None, "VideoCtrlTB_LeftOthers.bmp", "", Hint)          \
    X(VideoCtrl_Sep1, Separator, VideoCtrl, None, "", "", None)                                              \
    X(VideoCtrlTB_Brightness, CheckButton, VideoCtrl, None, "VideoCtrlTB_Brightness.bmp", "", Hint)          \
    X(VideoCtrlTB_BrightnessTKB, TrackBar, VideoCtrl, None, "", "", Hint)                                    \
    X(VideoCtrlTB_Contrast, CheckButton, VideoCtrl, None, "VideoCtrlTB_Contrast.bmp", "", Hint)              \
    X(VideoCtrlTB_ContrastTKB, TrackBar, VideoCtrl, None, "", "", Hint)                                      \
    X(VideoCtrlTB_Exposure, CheckButton, VideoCtrl, None, "VideoCtrlTB_Exposure.bmp", "", Hint)              \
    X(VideoCtrlTB_ExposureTKB, TrackBar, VideoCtrl, None, "", "", Hint)                                      \
    X(VideoCtrlTB_WhiteBlanceSet, Button, VideoCtrl, None, "VideoCtrlTB_WhiteBlanceSet.bmp", "", Hint)       \
    X(DrawRuler_ToolBar, ToolBar, Window, DrawRuler, "", "", None)                                           \
    X(DrawRulerTB_LockFrame, CheckButton, DrawRuler, None, "DrawRulerTB_LockFrame.bmp", "", Hint)            \
    X(DrawRulerTB_LoadImage, CheckButton, DrawRuler, None, "DrawRulerTB_LoadImage.bmp", "", Hint)            \
    X(DrawRulerTB_SaveImage, Button, DrawRuler, None, "DrawRulerTB_SaveImage.bmp", "", Hint)                 \
    X(DrawRulerTB_CopyImage, Button, DrawRuler, None, "DrawRulerTB_CopyImage.bmp", "", Hint)                 \
    X(DrawRuler_Sep1, Separator, DrawRuler, None, "", "", None)                                              \
    X(DrawRulerTB_SetScale, Button, DrawRuler, None, "DrawRulerTB_SetScale.bmp", "", Hint)                   \
    X(DrawRulerTB_SetShowInfo, Button, DrawRuler, None, "DrawRulerTB_SetShowInfo.bmp", "", Hint)             \
    X(DrawRulerTB_Results, Button, DrawRuler, None, "DrawRulerTB_Results.bmp", "", Hint)                     \
    X(DrawRulerTB_DrawStyle, Button, DrawRuler, None, "DrawRulerTB_DrawStyle.bmp", "", Hint)                 \
    X(DrawRulerTB_Overlap, CheckButton, DrawRuler, None, "DrawRulerTB_Overlap.bmp", "", Hint)                \
    X(DrawRulerTB_Undo, Button, DrawRuler, None, "DrawRulerTB_Undo.bmp", "", Hint)                           \
    X(DrawRulerTB_Redo, Button, DrawRuler, None, "DrawRulerTB_Redo.bmp", "", Hint)                           \
    X(DrawRulerTB_PenStyle, ComboBox, DrawRuler, None, "DrawRulerTB_PenStyle.bmp", "", Hint)                 \
    X(DrawRulerTB_SetColor, Button, DrawRuler, None, "DrawRulerTB_SetColor.bmp", "", Hint)                   \
    X(DrawRulerTB_ClearFrame, Button, DrawRuler, None, "DrawRulerTB_ClearFrame.bmp", "", Hint)               \
    X(DrawRulerTB_SnapEdge, CheckButton, DrawRuler, None, "DrawRulerTB_SnapEdge.bmp", "", Hint)              \
    X(Cross_ToolBar, ToolBar, Window, Cross, "", "", None)                                                   \
    X(CrossTB_Cross, CheckButton, Cross, None, "CrossTB_Cross.bmp", "", Hint)                                \
    X(CrossTB_CrossSB, ScrollBar, Cross, None, "", "", Hint)                                                 \
    X(CrossTB_Cross_Lab, Label, Cross, None, "", "", None)                                                   \
    X(CrossTB_Area, CheckButton, Cross, None, "CrossTB_Area.bmp", "", Hint)                                  \
    X(CrossTB_AreaSB, ScrollBar, Cross, None, "", "", Hint)                                                  \
    X(CrossTB_Area_Lab, Label, Cross, None, "", "", None)                                                    \
    X(CrossTB_Rect, CheckButton, Cross, None, "CrossTB_Rect.bmp", "", Hint)                                  \
    X(CrossTB_RectSB, ScrollBar, Cross, None, "", "", Hint)                                                  \
    X(CrossTB_Rect_Lab, Label, Cross, None, "", "", None)                                                    \
    X(CrossTB_Circle, CheckButton, Cross, None, "CrossTB_Circle.bmp", "", Hint)                              \
    X(CrossTB_CircleSB, ScrollBar, Cross, None, "", "", Hint)                                                \
    X(CrossTB_Circle_Lab, Label, Cross, None, "", "", None)                                                  \
    X(CrossTB_LineColor, Button, Cross, None, "CrossTB_LineColor.bmp", "", Hint)                             \
    X(CrossTB_Clear, Button, Cross, None, "CrossTB_Clear.bmp", "", Hint)                                     \
    /* Focus stacking */                                                                                     \
    X(FocusStack_Tool, Action, ToolMenu, None, "", "", Caption)                                              \
    /* The focus aids: switches in the Tools menu and on their tool bar beside the live-mode buttons */     \
    X(FocusAidMenu_Sep1, Separator, ToolMenu, None, "", "", None)                                            \
    X(SharpnessMeter_Tool, CheckAction, ToolMenu, None, "", "", Caption)                                     \
    X(FocusPeaking_Tool, CheckAction, ToolMenu, None, "", "", Caption)                                       \
    X(PeakingColor_Tool, Action, ToolMenu, None, "", "", Caption)                                            \
    X(LiveHistogram_Tool, CheckAction, ToolMenu, None, "", "", Caption)                                      \
    X(ClippingWarning_Tool, CheckAction, ToolMenu, None, "", "", Caption)                                    \
    X(LineProfile_Tool, CheckAction, ToolMenu, None, "", "", Caption)                                        \
    X(FocusAid_ToolBar, ToolBar, Window, FocusAid, "", "", None)                                             \
    X(FocusTB_Meter, CheckButton, FocusAid, None, "FocusTB_Meter.bmp", "", Hint)                             \
    X(FocusTB_Region, CheckButton, FocusAid, None, "FocusTB_Region.bmp", "", Hint)                           \
    X(FocusTB_Peaking, CheckButton, FocusAid, None, "FocusTB_Peaking.bmp", "", Hint)                         \
    X(FocusTB_PeakingColor, Button, FocusAid, None, "FocusTB_PeakingColor.bmp", "", Hint)                    \
    X(FocusAid_Sep1, Separator, FocusAid, None, "", "", None)                                                \
    X(FocusTB_Histogram, CheckButton, FocusAid, None, "FocusTB_Histogram.bmp", "", Hint)                     \
    X(FocusTB_Zebra, CheckButton, FocusAid, None, "FocusTB_Zebra.bmp", "", Hint)                             \
    X(FocusTB_Profile, CheckButton, FocusAid, None, "FocusTB_Profile.bmp", "", Hint)

// What a control is; the window builds each kind its own way.
enum class ControlKind : std::uint8_t {
    Unknown,
    Menu,          // a menu of the menu bar or a submenu; holds its group's items
    PopupMenu,     // a context menu; holds its group's items
    Action,        // a menu item
    CheckAction,   // a menu item with a check mark
    RadioAction,   // one of a group of menu items of which one is checked
    Separator,
    MainButton,    // a picture button of the main row (with a grey picture under it)
    Label,
    Area,          // a plain panel
    ToolBar,       // holds its group's controls
    Button,        // a tool button
    CheckButton,   // a tool button that stays down
    ComboBox,
    TrackBar,
    ScrollBar,
};

// Where a control sits: the menu, the pop-up menu or the tool bar whose group it belongs to.
enum class ControlGroup : std::uint8_t {
    None,
    MenuBar, FileMenu, SettingMenu, DevicesMenu, QualityMenu, WindowMenu, ToolMenu, DirectorMenu, LanguageMenu,
    PopupVideo, DrawStyleMenu, EditLineStyleMenu, EditBrushStyleMenu, EditDrawStyleMenu, ViewerImageMenu,
    MainButtons, Window,
    ImageEdit1, ImageEdit2, MediaPlay, ImageProcess, Compare, ChangeMode, VideoCtrl, DrawRuler, Cross,
    FocusAid,
};

// The language text a control takes: "<name>->Caption" or "<name>->Hint".
enum class ControlText : std::uint8_t { None, Caption, Hint };

enum class ControlId : std::uint16_t {
#define SENDRA_CONTROL_ID(name, kind, group, holds, picture, shortcut, text) name,
    SENDRA_CONTROLS(SENDRA_CONTROL_ID)
#undef SENDRA_CONTROL_ID
    Count
};

inline constexpr std::size_t kControlCount = std::size_t(ControlId::Count);

struct ControlRow {
    ControlId id;
    std::string_view name;
    ControlKind kind;
    ControlGroup group;
    ControlGroup holds;
    std::string_view picture;
    std::string_view shortcut;   // QKeySequence text, portable form
    ControlText text;
};

inline constexpr std::array<ControlRow, kControlCount> kControlTable{{
#define SENDRA_CONTROL_ROW(name, kind, group, holds, picture, shortcut, text)                                       \
    {ControlId::name, #name, ControlKind::kind, ControlGroup::group, ControlGroup::holds, picture, shortcut,          \
     ControlText::text},
    SENDRA_CONTROLS(SENDRA_CONTROL_ROW)
#undef SENDRA_CONTROL_ROW
}};

constexpr const ControlRow &controlRow(ControlId id) { return kControlTable[std::size_t(id)]; }
constexpr std::string_view controlName(ControlId id) { return controlRow(id).name; }
// The control of a language or picture name; nullopt for a name the window does not have.
std::optional<ControlId> controlByName(std::string_view name);

} // namespace state
