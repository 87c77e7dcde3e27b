#pragma once

#include "measure/shapes.h"

#include <QColor>
#include <QDialog>

#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace measure::ui {

// The measurement display options: which measure each shape family's label shows, decimals,
// unit flag and label colour. Works on a pending copy: FormShow copies the live settings in,
// OK hands the copy back (pending()), Cancel shows the live settings again. UI thread.
class TShowMeasureInfoDlg final : public QDialog
{
    Q_OBJECT
public:
    using TextLookup = std::function<QString(const QString &key)>;
    explicit TShowMeasureInfoDlg(TextLookup text, QWidget *parent = nullptr);

    // Captions and items from the interface texts (each group keeps its selection); pending copy
    // := live; the controls show it.
    void FormShow(const LabelSettings &live);
    // Re-reads the captions only, after a language change.
    void applyTexts();
    const LabelSettings &pending() const { return pending_; }

    // The colour dialog, preset to the colour shown; an invalid colour means cancelled. Default:
    // Qt's colour dialog. Tests answer instead.
    std::function<QColor(const QColor &initial)> pickColour;

    // Step text of a precision: 1/10^precision at that many decimals ("0.001" for 3).
    static QString stepText(int precision);

    // Controls by their design names, for the window's tests.
    QButtonGroup *group(int index) const { return groups_[std::size_t(index)]; }
    QSpinBox *precisionSpin() const { return Percision_CSpinEdit; }
    QLabel *precisionStepLabel() const { return PrecisionStr_ST; }
    QCheckBox *displayUnitBox() const { return DisplayUnit_CB; }
    QLineEdit *colourEdit() const { return Color_Edit; }
    QPushButton *colourButton() const { return ChoiceColor_Btn; }
    QPushButton *okButton() const { return OKBtn; }
    QPushButton *cancelButton() const { return CancelBtn; }

    // Index of each radio group, in the order of the window.
    enum Group { Line = 0, Polygon, Circle, Ellipse, Arc, Arch, GroupCount };

private:
    void showSettings(const LabelSettings &s);
    void groupClicked(int group, int item);
    void Percision_CSpinEditChange(int value);
    void ChoiceColor_BtnClick();
    void OKBtnClick();
    void CancelBtnClick();
    void showColour(platform::ColorRef colour);
    std::int32_t &itemOf(LabelSettings &s, int group) const;

    TextLookup text_;
    LabelSettings pending_;
    LabelSettings live_;
    bool showing_ = false;
    std::array<QGroupBox *, GroupCount> boxes_{};
    std::array<QButtonGroup *, GroupCount> groups_{};
    QGroupBox *OptionSeting_GB = nullptr;
    QLabel *Precision_ST = nullptr;
    QSpinBox *Percision_CSpinEdit = nullptr;
    QLabel *PrecisionStr_ST = nullptr;
    QCheckBox *DisplayUnit_CB = nullptr;
    QPushButton *ChoiceColor_Btn = nullptr;
    QLineEdit *Color_Edit = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;
};

} // namespace measure::ui
