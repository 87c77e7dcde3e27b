#include "languagetexts.h"

#include <QFileInfo>

namespace app {
namespace {

constexpr const char *kButtonHintData[] = {
    "Connect_Btn", "DisConnect_Btn", "CaptureImage_Btn", "SaveImage_Btn", "EditorImage_Btn",
    "EditorImageExit_Btn", "DelViewVideo_Btn", "RecordVideo_Btn", "RecordStopVideo_Btn", "PlayVideo_Btn",
    "StopPlayVideo_Btn", "ImageProcess_Btn", "ImageProcessExit_Btn", "PrinterImage_Btn", "Exit_Btn"};
constexpr const char *kMessgeBoxData[] = {
    "WhetherSaveImage_MsgBox", "WhetherDeleteImage_MsgBox", "WhetherDeleteAllImage_MsgBox", "WhetherExitQuila_MsgBox",
    "WhetherModifyImage", "AttentionTitle_MsgBox", "ErrorTitle_MsgBox", "ConnectSuccess_MsgBox", "ConnectFailed_MsgBox",
    "CannotRecordVideo_MsgBox", "CannotPlayVideo_MsgBox", "CannotSnapShot_MsgBox", "NoSupportVMR_MsgBox",
    "CannotStartVideo_MsgBox", "KeyInHorizontalValue_MsgBox", "PleaseInputNumber_MsgBox", "PleaseInputFolderName_MsgBox",
    "FolderNameExisted_MsgBox", "FileNameExisted_MsgBox", "UsingAdminPower_MsgBox"};
constexpr const char *kToolCommonLang[] = {
    "TCOM_OpenVideoFile", "TCOM_FileSourcePos", "TCOM_FileSavingPos", "TCOM_OpenSourcePos", "TCOM_OpenSavingPos",
    "TCOM_SourcePath", "TCOM_SavingPath", "TCOM_ProcessionStatus", "TCOM_Ready", "TCOM_Processing", "TCOM_Finished",
    "TCOM_Close", "TCOM_Enable", "TCOM_Disable", "TCOM_FileGenerateMode", "TCOM_FolderGenerateMode", "TCOM_Auto",
    "TCOM_Keyin", "TCOM_Assign", "TCOM_Compression", "TCOM_Frame", "TCOM_HH", "TCOM_MM", "TCOM_SS", "TCOM_Execute",
    "TCOM_Cancel", "TCOM_Executing", "TCOM_Stopping", "TCOM_StartTime", "TCOM_IntervalTime", "TCOM_FilesNumber",
    "TCOM_RecordTime", "TCOM_TotalTime", "TCOM_TotalFiles", "TCOM_FileName", "TCOM_FolderName", "TCOM_Files"};
constexpr const char *kRulerFileLang[] = {"DrawRulerTB_Default", "DrawRulerTB_High", "DrawRulerTB_Low",
                                          "DrawRulerTB_Current", "DrawRulerTB_Contact", "DrawRulerTB_NonContact"};
constexpr const char *kAboutDialogData[] = {"AboutTitle_Dlg"};
constexpr const char *kCompressDialogData[] = {"CompressTitle_Dlg", "CompressOptionInfo_Dlg"};
constexpr const char *kRulerScaleDialogData[] = {
    "SetRulerDlg_rsDlg", "WindowRulerFile_GB_rsDlg", "NewBtn_rsDlg", "SaveBtn_rsDlg", "DeleteBtn_rsDlg",
    "RenameBtn_rsDlg", "RulerColorBtn_rsDlg", "SemiAutomaticBtn_rsDlg", "Horizontal_ST_rsDlg", "Vertical_ST_rsDlg",
    "RulerRatio_RG_rsDlg", "HorizontalPos_RG_rsDlg", "VerticalPos_RG_rsDlg", "HorizontalOrigin_RG_rsDlg",
    "VerticalOrigin_RG_rsDlg", "PosNone_rsDlg", "PosTop_rsDlg", "PosBottom_rsDlg", "PosLeft_rsDlg", "PosRight_rsDlg",
    "PosCenter_rsDlg", "DefaultValue_CB_rsDlg", "LockRatio_rsDlg", "DisplayMag_CB_rsDlg",
    "SettingMonitorDimension_GB_rsDlg", "AutoDetect_RB_rsDlg", "ManualAdjust_RB_rsDlg",
    "MagnificationDisplayMode_RG_rsDlg", "ModeScreen_rsDlg", "ModePrinting_rsDlg", "ModeBoth_rsDlg"};
constexpr const char *kShowDrawInfoDialogData[] = {
    "SMI_ShowMeasureInfo_Dlg", "SMI_LineInfo_Dlg", "SMI_PolygonInfo_Dlg", "SMI_CircleInfo_Dlg", "SMI_EllipseInfo_Dlg",
    "SMI_ArcInfo_Dlg", "SMI_ArchInfo_Dlg", "SMI_OptionSeting_Dlg", "SMI_NoneItem_Dlg", "SMI_LengthItem_Dlg",
    "SMI_PerimeterItem_Dlg", "SMI_AreaItem_Dlg", "SMI_CircumferenceItem_Dlg", "SMI_RadiusItem_Dlg",
    "SMI_DiameterItem_Dlg", "SMI_ShortRadiusItem_Dlg", "SMI_ShortDiameterItem_Dlg", "SMI_LongRadiusItem_Dlg",
    "SMI_LongDiameterItem_Dlg", "SMI_AngleItem_Dlg", "SMI_ArcLengthItem_Dlg", "SMI_ChordLengthItem_Dlg",
    "SMI_Precision_Dlg", "SMI_ChoiceColor_Dlg", "SMI_DisplayUnit_Dlg"};
constexpr const char *kNewScaleNameDialogData[] = {"NewScaleNameInfoDlg_nsnDlg", "PleaseNewName_GB_nsnDlg"};
constexpr const char *kPathDialogData[] = {"PathOptionInfo_Dlg"};
constexpr const char *kDialogButtonData[] = {"OKBtn_Dlg", "CancelBtn_Dlg"};
constexpr const char *kLabelCaptionData[] = {"DeviceToFound_Lab", "DeviceNotToFound_Lab"};
constexpr const char *kCalibrateDialogData[] = {
    "CalibrationTittle_Dlg_CW", "Lab_Lenght_CW", "Lab_MoveDistance_CW", "CB_DisplayScale_CW", "Btn_QuitDlg_CW",
    "RG_FixedAxisTittle_CW", "RG_NoneAxis_CW", "RG_HorizontalAxis_CW", "RG_VerticalAxis_CW"};
// Texts this program adds beyond the classic records.
constexpr const char *kExtraTexts[] = {"CannotSaveImage_MsgBox", "AboutInfo1_Dlg", "AboutInfo2_Dlg",
                                       "LanguageFileMissing_MsgBox", "AddScaleFromPicture_MsgBox",
                                       "ScaleStoreNotWritten_MsgBox", "ScaleOfOtherCamera_MsgBox", "ScaleUsedAtSize_Lab"};
// The camera dialogs' own labels (format, size and frame rate of the format dialog; the compressor
// list's first entry) and the close button of dialogs that change things at once.
constexpr const char *kCameraDialogData[] = {"VF_Format_Dlg", "VF_Size_Dlg", "VF_FrameRate_Dlg", "CF_NoCompressor_Dlg",
                                             "CloseBtn_Dlg"};

constexpr const char *kResultsTableData[] = {
    "ResultsTitle_Dlg", "ResultsCopy_Btn", "ResultsExport_Btn", "ResultsNumber_Col", "ResultsTool_Col",
    "ResultsLabel_Col", "ResultsLength_Col", "ResultsPerimeter_Col", "ResultsArea_Col", "ResultsRadius_Col",
    "ResultsDiameter_Col", "ResultsAngle_Col", "ResultsPoints_Col", "CannotExportResults_MsgBox",
    "CannotExportTiff_MsgBox"};

// Messages about files: the one to delete by name, why a picture cannot be read, a truncated
// picture shown, a full disk, a picture a video cannot take.
constexpr const char *kFileMessageData[] = {
    "WhetherDeleteFile_MsgBox", "CannotOpenPicture_MsgBox", "PictureCannotRead_MsgBox", "PictureEmpty_MsgBox",
    "PictureNotBmpJpeg_MsgBox", "PictureOtherKind_MsgBox", "PictureTooLarge_MsgBox", "PictureTooManyPixels_MsgBox",
    "PictureNoMemory_MsgBox", "PictureDamaged_MsgBox", "PictureTruncated_MsgBox", "PictureUnsupported_MsgBox",
    "PictureIncomplete_Lab", "PictureDamaged_Lab", "CannotReadThumbnail_Lab", "DiskFull_MsgBox", "VideoPictureSize_MsgBox"};
// The still-image editor's status line.
constexpr const char *kEditorTexts[] = {"EditorDragTextBox_Lab"};
// The focus aids: the sharpness meter, the live histogram and the line profile.
constexpr const char *kFocusAidData[] = {
    "FocusMeterTitle_Lab", "FocusMeterReset_Btn", "HistogramTitle_Dlg", "HistogramLuma_Dlg", "HistogramRgb_Dlg",
    "HistogramClipped_Lab", "ProfileTitle_Dlg", "ProfileDistance_Lab", "ProfileIntensity_Lab", "ProfileLength_Lab",
    "ProfileExport_Btn", "CannotExportProfile_MsgBox"};

constexpr TextRecord kRecords[] = {
    {"ButtonHintData", kButtonHintData},
    {"MessgeBoxData", kMessgeBoxData},
    {"ToolCommonLang", kToolCommonLang},
    {"RulerFileLang", kRulerFileLang},
    {"AboutDialogData", kAboutDialogData},
    {"CompressDialogData", kCompressDialogData},
    {"RulerScaleDialogData", kRulerScaleDialogData},
    {"ShowDrawInfoDialogData", kShowDrawInfoDialogData},
    {"NewScaleNameDialogData", kNewScaleNameDialogData},
    {"PathDialogData", kPathDialogData},
    {"DialogButtonData", kDialogButtonData},
    {"LabelCaptionData", kLabelCaptionData},
    {"CalibrateDialogData", kCalibrateDialogData},
    {"ExtraTexts", kExtraTexts},
    {"CameraDialogData", kCameraDialogData},
    {"ResultsTableData", kResultsTableData},
    {"FileMessageData", kFileMessageData},
    {"EditorTexts", kEditorTexts},
    {"FocusAidData", kFocusAidData},
};

} // namespace

std::span<const TextRecord> textRecords() { return kRecords; }

QString LanguageTexts::filePath(const QString &programDir, const QString &language)
{
    return programDir + QStringLiteral("/Lang/") + language + QStringLiteral(".ini");
}

std::optional<LanguageTexts> LanguageTexts::load(const QString &programDir, const QString &language)
{
    auto doc = platform::IniDocument::load(filePath(programDir, language));
    if (!doc)
        return std::nullopt;
    LanguageTexts t;
    t.language_ = language;
    t.document_ = std::move(*doc);
    return t;
}

QString LanguageTexts::text(const QString &key) const { return document_.value(language_, key).value_or(QString()); }

std::optional<int> LanguageTexts::fontCharset() const
{
    const QString v = text(QStringLiteral("Font->Charset")).trimmed();
    bool ok = false;
    const int n = v.toInt(&ok, 10);
    return ok ? std::optional<int>(n) : std::nullopt;
}

} // namespace app
