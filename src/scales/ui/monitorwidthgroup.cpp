#include "scales/ui/monitorwidthgroup.h"

#include "scales/ui/decimalspinbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>

namespace scales::ui {

MonitorWidthGroup::MonitorWidthGroup(QWidget *parent) : QGroupBox(parent)
{
    setObjectName(QStringLiteral("SettingMonitorDimension_GB"));
    auto *m = new QGridLayout(this);
    autoDetect_ = new QRadioButton(this);
    autoDetect_->setObjectName(QStringLiteral("AutoDetect_RB"));
    manualAdjust_ = new QRadioButton(this);
    manualAdjust_->setObjectName(QStringLiteral("ManualAdjust_RB"));
    detectedLabel_ = new QLabel(QStringLiteral("0.00cm"), this);
    detectedLabel_->setObjectName(QStringLiteral("amdh_Label"));
    spin_ = new DecimalSpinBox(this);
    spin_->setObjectName(QStringLiteral("mdh_CSE"));
    // Hundredths of a cm or an inch, typed and shown as "40.60".
    spin_->setDecimals(2);
    spin_->setRange(0, 1000000);
    spin_->setMinimumWidth(90);
    unit_ = new QComboBox(this);
    unit_->setObjectName(QStringLiteral("Unit_CB"));
    unit_->addItems({QStringLiteral("cm"), QStringLiteral("inch")});
    manualLabel_ = new QLabel(QStringLiteral("0.00cm"), this);
    manualLabel_->setObjectName(QStringLiteral("mmdh_Label"));
    for (QLabel *l : {detectedLabel_, manualLabel_})
        l->setMinimumWidth(80);
    displayMag_ = new QCheckBox(this);
    displayMag_->setObjectName(QStringLiteral("DisplayMag_CB"));
    m->addWidget(autoDetect_, 0, 0);
    m->addWidget(detectedLabel_, 0, 3);
    m->addWidget(manualAdjust_, 1, 0);
    m->addWidget(spin_, 1, 1);
    m->addWidget(unit_, 1, 2);
    m->addWidget(manualLabel_, 1, 3);
    m->addWidget(displayMag_, 2, 0, 1, 4);

    connect(displayMag_, &QCheckBox::toggled, this, &MonitorWidthGroup::edited);
    connect(autoDetect_, &QRadioButton::toggled, this, [this] {
        spin_->setEnabled(manualAdjust_->isChecked());
        edited();
    });
    connect(unit_, &QComboBox::currentIndexChanged, this, &MonitorWidthGroup::onUnitChanged);
    connect(spin_, &QSpinBox::valueChanged, this, &MonitorWidthGroup::onSpinChanged);
}

QSpinBox *MonitorWidthGroup::spin() const { return spin_; }

void MonitorWidthGroup::applyTexts(const std::function<QString(const QString &key)> &text)
{
    displayMag_->setText(text(QStringLiteral("DisplayMag_CB_rsDlg")));
    setTitle(text(QStringLiteral("SettingMonitorDimension_GB_rsDlg")));
    autoDetect_->setText(text(QStringLiteral("AutoDetect_RB_rsDlg")));
    manualAdjust_->setText(text(QStringLiteral("ManualAdjust_RB_rsDlg")));
}

void MonitorWidthGroup::showSettings(const ScaleControls &c, float detectedCm)
{
    ++updating_;
    detectedCm_ = detectedCm;
    const bool detected = detectedCm > 0;
    autoDetect_->setEnabled(detected);
    (c.monitorWidthMode == 0 && detected ? autoDetect_ : manualAdjust_)->setChecked(true);
    spin_->setEnabled(manualAdjust_->isChecked());
    manualCm_ = c.manualMonitorWidthCm;
    unit_->setCurrentIndex(c.monitorWidthUnit);
    spin_->setValue(monitorSpinFor(manualCm_, c.monitorWidthUnit));
    displayMag_->setChecked(c.displayMagnification);
    updateLabels();
    --updating_;
}

void MonitorWidthGroup::readInto(ScaleControls &c) const
{
    c.monitorWidthMode = manualAdjust_->isChecked() ? 1 : 0;
    c.monitorWidthUnit = unit_->currentIndex();
    c.manualMonitorWidthCm = manualCm_;
    c.displayMagnification = displayMag_->isChecked();
}

void MonitorWidthGroup::updateLabels()
{
    const int unit = unit_->currentIndex();
    detectedLabel_->setText(monitorWidthText(detectedCm_, unit));
    manualLabel_->setText(monitorWidthText(manualCm_, unit));
}

void MonitorWidthGroup::edited()
{
    if (!updating_)
        Q_EMIT changed();
}

void MonitorWidthGroup::onUnitChanged(int unit)
{
    if (updating_ || unit < 0)
        return;
    // The width stays; the spin box shows it in hundredths of the new unit, and the change this
    // causes is not a new width.
    {
        const QSignalBlocker block(spin_);
        spin_->setValue(monitorSpinFor(manualCm_, unit));
    }
    updateLabels();
    edited();
}

void MonitorWidthGroup::onSpinChanged(int value)
{
    if (updating_)
        return;
    manualCm_ = monitorWidthFromSpin(value, unit_->currentIndex());
    updateLabels();
    edited();
}

} // namespace scales::ui
