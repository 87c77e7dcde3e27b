#include "toolbartable.h"

namespace app::ui {
namespace {

using K = ControlKind;

constexpr ToolControl kImageEdit1[] = {
    {"ImgBar_NormalMode", K::CheckButton}, {"ImgBar_Move", K::CheckButton}, {"", K::Separator},
    {"ImgBar_NewFile", K::Button}, {"ImgBar_Save", K::Button}, {"", K::Separator},
    {"ImgBar_RotateLeft", K::Button}, {"ImgBar_RotateRight", K::Button}, {"ImgBar_ZoomFit", K::Button},
    {"ImgBar_ZoomIn", K::Button}, {"ImgBar_ZoomOut", K::Button}, {"", K::Separator},
    {"ImgBar_Undo", K::Button}, {"ImgBar_Redo", K::Button}, {"", K::Separator},
    {"ImgBar_LineStyle", K::Button}, {"ImgBar_Color", K::Button}, {"ImgBar_DeleteToolBar", K::Button},
    {"ImgBar_ExitToolBar", K::Button}};
constexpr ToolControl kImageEdit2[] = {
    {"ImgBar_OriginalFit", K::Button}, {"ImgBar_Text", K::CheckButton}, {"ImgBar_TextColor", K::Button},
    {"ImgBar_TextBgColor", K::Button}, {"ImgBar_TextBgTransparent", K::CheckButton},
    {"ImgBar_ComboBox_TextSize", K::ComboBox}, {"ImgBar_BrushStyle", K::Button}, {"ImgBar_DrawStyle", K::Button},
    {"ImgBar_SelectRang", K::CheckButton}, {"ImgBar_Cut", K::Button}, {"ImgBar_Copy", K::Button},
    {"ImgBar_Paste", K::Button}, {"ImgBar_SelectSave", K::Button}};
constexpr ToolControl kMediaPlay[] = {
    {"MediaPlay_Btn", K::Button}, {"MediaPause_Btn", K::Button}, {"MediaStop_Btn", K::Button},
    {"MediaRewind_Btn", K::CheckButton}, {"", K::Separator}, {"MediaRightOthers_Btn", K::CheckButton},
    {"MediaRightSelf_Btn", K::CheckButton}, {"MediaLeftOthers_Btn", K::CheckButton},
    {"MediaLeftSelf_Btn", K::CheckButton}, {"", K::Separator}, {"MediaExit_Btn", K::Button}};
constexpr ToolControl kImageProcess[] = {
    {"ImaPro_Original_Btn", K::CheckButton}, {"ImaPro_GrayLevel_Btn", K::CheckButton},
    {"ImaPro_EdgeDetection_Btn", K::CheckButton}, {"ImaPro_HightPassFilter_Btn", K::CheckButton},
    {"ImaPro_Binary_Btn", K::CheckButton}, {"ImaPro_Complement_Btn", K::CheckButton},
    {"ImaPro_ScrollBar", K::ScrollBar}, {"ImaPro_Exit_Btn", K::Button}};
constexpr ToolControl kCompare[] = {
    {"CompareTB_AssignWindowsImage", K::CheckButton}, {"CompareTB_AssignFile", K::CheckButton}, {"", K::Separator},
    {"CompareTB_Compare", K::CheckButton}, {"CompareTB_LeftRight", K::CheckButton},
    {"CompareTB_RightLeft", K::CheckButton}, {"CompareTB_TopBottom", K::CheckButton},
    {"CompareTB_BottomTop", K::CheckButton}, {"CompareTB_SideRatioSB", K::ScrollBar},
    {"CompareTB_WinImg_Mode", K::CheckButton}, {"CompareTB_TransparentSB", K::ScrollBar},
    {"CompareTB_knockoutColor", K::Button}, {"CompareTB_CombineNone", K::CheckButton}};
constexpr ToolControl kChangeMode[] = {
    {"ChangeModeTB_Compare", K::CheckButton}, {"ChangeModeTB_Cross", K::CheckButton},
    {"ChangeModeTB_VideoCtrl", K::CheckButton}, {"ChangeModeTB_Draw", K::CheckButton}};
constexpr ToolControl kDrawRuler[] = {
    {"DrawRulerTB_LockFrame", K::CheckButton}, {"DrawRulerTB_LoadImage", K::CheckButton},
    {"DrawRulerTB_SaveImage", K::Button}, {"DrawRulerTB_CopyImage", K::Button}, {"", K::Separator},
    {"DrawRulerTB_SetScale", K::Button}, {"DrawRulerTB_SetShowInfo", K::Button}, {"DrawRulerTB_DrawStyle", K::Button},
    {"DrawRulerTB_Overlap", K::CheckButton}, {"DrawRulerTB_Undo", K::Button}, {"DrawRulerTB_Redo", K::Button},
    {"DrawRulerTB_PenStyle", K::ComboBox}, {"DrawRulerTB_SetColor", K::Button}, {"DrawRulerTB_ClearFrame", K::Button}};
constexpr ToolControl kCross[] = {
    {"CrossTB_Cross", K::CheckButton}, {"CrossTB_CrossSB", K::ScrollBar}, {"CrossTB_Area", K::CheckButton},
    {"CrossTB_AreaSB", K::ScrollBar}, {"CrossTB_Rect", K::CheckButton}, {"CrossTB_RectSB", K::ScrollBar},
    {"CrossTB_Circle", K::CheckButton}, {"CrossTB_CircleSB", K::ScrollBar}, {"CrossTB_LineColor", K::Button},
    {"CrossTB_Clear", K::Button}};

constexpr ToolBarLayout kToolBars[] = {
    {"ToolBar_ImageEdit1", kImageEdit1}, {"ToolBar_ImageEdit2", kImageEdit2}, {"MideaPlay_ToolBar", kMediaPlay},
    {"ToolBar_ImageProcess", kImageProcess}, {"Compare_ToolBar", kCompare}, {"ChangeMode_ToolBar", kChangeMode},
    // The picture controls fill their own tool bar once a camera component exists.
    {"VideoCtrl_ToolBar", {}}, {"DrawRuler_ToolBar", kDrawRuler}, {"Cross_ToolBar", kCross},
};

} // namespace

std::span<const ToolBarLayout> toolBarTable() { return kToolBars; }

} // namespace app::ui
