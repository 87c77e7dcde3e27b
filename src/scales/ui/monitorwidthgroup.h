#pragma once

#include "scales/scalesettings.h"

#include <QGroupBox>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QSpinBox;

namespace scales::ui {

class DecimalSpinBox;

// The monitor part of the scale settings dialog ("SettingMonitorDimension_GB"): the detected
// width or a width typed in hundredths of cm or inch, and whether the magnification is shown.
// It keeps the typed width in cm while the unit changes, so switching units loses nothing.
// changed() fires for the user's edits only, not for showSettings(). UI thread only.
class MonitorWidthGroup : public QGroupBox
{
    Q_OBJECT
public:
    explicit MonitorWidthGroup(QWidget *parent = nullptr);

    void applyTexts(const std::function<QString(const QString &key)> &text);
    // The monitor settings of `controls`; auto-detect is offered only with a detected width.
    void showSettings(const ScaleControls &controls, float detectedCm);
    // The monitor fields of `controls` from what the group shows.
    void readInto(ScaleControls &controls) const;

    QRadioButton *autoDetect() const { return autoDetect_; }
    QRadioButton *manualAdjust() const { return manualAdjust_; }
    QComboBox *unit() const { return unit_; }
    QSpinBox *spin() const;
    QLabel *detectedLabel() const { return detectedLabel_; }
    QLabel *manualLabel() const { return manualLabel_; }
    QCheckBox *displayMagnification() const { return displayMag_; }

Q_SIGNALS:
    void changed();

private:
    void updateLabels();
    void onUnitChanged(int unit);
    void onSpinChanged(int value);
    void edited();

    float detectedCm_ = 0;
    float manualCm_ = 0;
    int updating_ = 0;
    QRadioButton *autoDetect_ = nullptr;
    QRadioButton *manualAdjust_ = nullptr;
    QComboBox *unit_ = nullptr;
    DecimalSpinBox *spin_ = nullptr;
    QLabel *detectedLabel_ = nullptr;
    QLabel *manualLabel_ = nullptr;
    QCheckBox *displayMag_ = nullptr;
};

} // namespace scales::ui
