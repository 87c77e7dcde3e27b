#pragma once

#include "scales/rulerscale.h"
#include "scales/scalesettings.h"
#include "scales/scalestore.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace scales::ui {

class RadioGroup;

// The scale settings dialog (`TSetRulerDlg`): the list of named scales with their lengths in one
// of four units, the scale bar's look, the monitor width and the magnification settings. Created
// once at start (the store is read then) and shown modally from the draw tool bar. The selected
// scale is the program's current scale whenever the dialog is closed. UI thread only.
class TSetRulerDlg : public QDialog
{
    Q_OBJECT
public:
    struct Deps {
        QString storeFile;    // DATA/ScaleData_Temp.txt below the user's data folder
        QString markerFile;   // Sys/DefScaleData.ini beside the program
        std::function<QString(const QString &key)> text;    // interface text by key
        std::function<void(const QString &line)> log;       // the diagnostics log
        // A warning message box by language keys (text, caption).
        std::function<void(const QString &textKey, const QString &captionKey)> warn;
        std::function<float()> detectedMonitorWidthCm = [] { return 0.0f; };
    };
    explicit TSetRulerDlg(Deps deps, QWidget *parent = nullptr);
    ~TSetRulerDlg() override;

    // The scale the program measures with: the selected entry as loaded or last stored.
    const RulerScaleControl &current() const { return current_; }
    int selectedEntry() const { return selected_; }
    ScaleStore &store() { return store_; }

    // The answers of the dialogs this one opens; each defaults to the real dialog, tests answer.
    // The name dialog: the name typed, none when cancelled.
    std::function<std::optional<QString>(const QString &preset)> askName;
    // The colour dialog preset to `initial` (0x00BBGGRR); none when cancelled.
    std::function<std::optional<platform::ColorRef>(platform::ColorRef initial)> pickColour;
    // The calibration window on `scale` (unit, look and lengths of the controls): true when it ran
    // and `scale` holds the computed lengths.
    std::function<bool(RulerScaleControl &scale)> runCalibration;

    // Texts from the current language (run at creation, on show and after a language change).
    void applyTexts();
    // After new interface texts were loaded: the built-in names follow the language.
    void languageChanged();
    // Model recognition: the store is read again and the selected scale reloaded.
    void reloadStore();
    // Selects the first scale of that name; false when the list has none.
    bool selectScale(const QString &name);
    // Appends a scale (its name, unit and lengths; the look of a rebuilt store), writes the
    // store and selects it.
    void addScale(const RulerScaleControl &scale);

    // The operations behind the controls, by the design's names.
    void ScaleFile_CBChange(int index);
    void LoadScale();
    void NewBtnClick();
    void RenameBtnClick();
    void DeleteBtnClick();
    void SaveBtnClick();
    void OKBtnClick();
    void CancelBtnClick();
    void RulerColorBtnClick();
    void SemiAutomaticBtnClick();
    void DefaultValue_CBClick(bool checked);
    bool saveEnabled() const;

    // Controls, for tests and screenshots.
    QComboBox *ScaleFile_CB() const { return scaleFile_; }
    QComboBox *ScaleUnit_CB() const { return scaleUnit_; }
    QSpinBox *hCSpinEdit() const { return hSpin_; }
    QSpinBox *vCSpinEdit() const { return vSpin_; }
    QLabel *hLabel_mm() const { return hLabel_; }
    QLabel *vLabel_mm() const { return vLabel_; }
    QPushButton *button(const char *objectName) const;
    RadioGroup *radioGroup(const char *objectName) const;
    QCheckBox *DefaultValue_CB() const { return default_; }
    QComboBox *Unit_CB() const { return monitorUnit_; }
    QSpinBox *mdh_CSE() const { return monitorSpin_; }
    QLabel *amdh_Label() const { return detectedLabel_; }
    QLabel *mmdh_Label() const { return manualLabel_; }
    QRadioButton *AutoDetect_RB() const { return autoDetect_; }
    QRadioButton *ManualAdjust_RB() const { return manualAdjust_; }
    QCheckBox *DisplayMag_CB() const { return displayMag_; }

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    void build();
    BuiltInTexts builtInTexts() const;
    void fillList();
    void showScale();
    ScaleControls readControls() const;
    void updateLengthLabels();
    void updateMonitorLabels();
    void controlChanged();
    void onSpinChanged(bool horizontal);
    void onUnitChanged(int unit);
    void onMonitorUnitChanged(int unit);
    void onMonitorSpinChanged(int value);
    void onMonitorModeChanged();
    void showColour();
    std::optional<QString> askScaleName(const QString &preset);

    Deps deps_;
    ScaleStore store_;
    RulerScaleControl current_;
    int selected_ = 0;
    ScaleUnit shownUnit_ = ScaleUnit::Millimetre;
    platform::ColorRef shownColour_ = 0x0000FF;
    float pendingManualCm_ = 0;
    int updating_ = 0;           // controls are being set from code: no change rules
    bool applyingDefault_ = false;
    bool ignoreMonitorSpin_ = false;

    QGroupBox *fileGroup_ = nullptr;
    QComboBox *scaleFile_ = nullptr;
    QComboBox *scaleUnit_ = nullptr;
    QLabel *horizontalSt_ = nullptr;
    QLabel *verticalSt_ = nullptr;
    QSpinBox *hSpin_ = nullptr;
    QSpinBox *vSpin_ = nullptr;
    QLabel *hLabel_ = nullptr;
    QLabel *vLabel_ = nullptr;
    QLabel *link_ = nullptr;
    QLineEdit *showColour_ = nullptr;
    RadioGroup *ratio_ = nullptr;
    RadioGroup *hPos_ = nullptr;
    RadioGroup *vPos_ = nullptr;
    RadioGroup *hOrigin_ = nullptr;
    RadioGroup *vOrigin_ = nullptr;
    RadioGroup *magMode_ = nullptr;
    QCheckBox *default_ = nullptr;
    QGroupBox *monitorGroup_ = nullptr;
    QRadioButton *autoDetect_ = nullptr;
    QRadioButton *manualAdjust_ = nullptr;
    QComboBox *monitorUnit_ = nullptr;
    QSpinBox *monitorSpin_ = nullptr;
    QLabel *detectedLabel_ = nullptr;
    QLabel *manualLabel_ = nullptr;
    QCheckBox *displayMag_ = nullptr;
};

} // namespace scales::ui
