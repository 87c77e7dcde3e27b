#pragma once

#include "scales/rulerscale.h"
#include "scales/scalelibrary.h"
#include "scales/scalesettings.h"

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

class DecimalSpinBox;
class MonitorWidthGroup;
class RadioGroup;

// The scale settings dialog (`TSetRulerDlg`): the list of named scales with their lengths in one
// of four units, the scale bar's look, the monitor width and the magnification settings. Created
// once at start and shown modally from the draw tool bar. It edits the scales of a ScaleLibrary,
// which holds the list, the selected entry and the current scale; the dialog holds only what its
// controls show. UI thread only.
class TSetRulerDlg : public QDialog
{
    Q_OBJECT
public:
    struct Deps {
        std::function<QString(const QString &key)> text;    // interface text by key
        // A warning message box by language keys (text, caption).
        std::function<void(const QString &textKey, const QString &captionKey)> warn;
    };
    // The library must be open and outlive the dialog.
    TSetRulerDlg(ScaleLibrary &library, Deps deps, QWidget *parent = nullptr);
    ~TSetRulerDlg() override;

    // The answers of the dialogs this one opens; each defaults to the real dialog, tests answer.
    // The name dialog: the name typed, none when cancelled.
    std::function<std::optional<QString>(const QString &preset)> askName;
    // The colour dialog preset to `initial` (0x00BBGGRR); none when cancelled.
    std::function<std::optional<platform::ColorRef>(platform::ColorRef initial)> pickColour;
    // The calibration window on `scale` (unit, look and lengths of the controls): true when it ran
    // and `scale` holds the computed lengths, with the picture size and camera they were measured
    // with (kept with the scale when it is saved).
    std::function<bool(RulerScaleControl &scale)> runCalibration;

    // Texts from the current language (run at creation, on show and after a language change).
    void applyTexts();
    // The list and the selected scale as the library holds them now (after it changed outside
    // the dialog: a reload, a language change, a scale from a picture).
    void refresh();

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
    // The lengths as spin steps of the unit shown (value()), typed and shown as lengths.
    QSpinBox *hCSpinEdit() const;
    QSpinBox *vCSpinEdit() const;
    QLabel *hLabel_mm() const { return hLabel_; }
    QLabel *vLabel_mm() const { return vLabel_; }
    QPushButton *button(const char *objectName) const;
    RadioGroup *radioGroup(const char *objectName) const;
    QCheckBox *DefaultValue_CB() const { return default_; }
    QComboBox *Unit_CB() const;
    QSpinBox *mdh_CSE() const;
    QLabel *amdh_Label() const;
    QLabel *mmdh_Label() const;
    QRadioButton *AutoDetect_RB() const;
    QRadioButton *ManualAdjust_RB() const;
    QCheckBox *DisplayMag_CB() const;

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    void build();
    void fillList();
    void showScale();
    ScaleControls readControls() const;
    void updateLengthLabels();
    void showUnitRange(ScaleUnit unit);
    void controlChanged();
    void onSpinChanged(bool horizontal);
    void onUnitChanged(int unit);
    void showColour();
    std::optional<QString> askScaleName(const QString &preset);

    ScaleLibrary &library_;
    Deps deps_;
    ScaleUnit shownUnit_ = ScaleUnit::Millimetre;
    platform::ColorRef shownColour_ = 0x0000FF;
    int updating_ = 0;           // controls are being set from code: no change rules
    bool applyingDefault_ = false;
    // What the last calibration measured against, until the scale is saved or another loaded.
    std::optional<ScaleFact> calibrated_;
    // The monitor width question is asked once a run, not at every opening.
    bool monitorAsked_ = false;

    QGroupBox *fileGroup_ = nullptr;
    QComboBox *scaleFile_ = nullptr;
    QComboBox *scaleUnit_ = nullptr;
    QLabel *horizontalSt_ = nullptr;
    QLabel *verticalSt_ = nullptr;
    DecimalSpinBox *hSpin_ = nullptr;
    DecimalSpinBox *vSpin_ = nullptr;
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
    MonitorWidthGroup *monitorGroup_ = nullptr;
};

} // namespace scales::ui
