#pragma once

#include "platform/mediapipeline.h"

#include <QDialog>

#include <functional>

class QFormLayout;
class QPushButton;

namespace camera::ui {

// The compressor's settings: one row per writable property of the encoder, built from the
// property values (check box, number box, choice list or text line). OK hands back the values
// that differ from the encoder's own defaults, so an untouched dialog changes nothing. The title is
// the compressor's name and the rows are the encoder's own property names; the buttons are set by
// the caller in the interface language (setButtonTexts).
class EncoderSettingsDialog final : public QDialog
{
    Q_OBJECT
public:
    EncoderSettingsDialog(const QString &compressorName, std::vector<platform::EncoderProperty> properties,
                          const std::vector<platform::EncoderSetting> &current, QWidget *parent = nullptr);

    void setButtonTexts(const QString &ok, const QString &cancel);
    std::vector<platform::EncoderSetting> settings() const;
    // The editor of one property (for tests): QCheckBox, QSpinBox, QDoubleSpinBox, QComboBox or QLineEdit.
    QWidget *editor(const QString &property) const;
    QPushButton *okButton() const { return ok_; }
    QPushButton *cancelButton() const { return cancel_; }

private:
    std::vector<platform::EncoderProperty> properties_;
    std::vector<std::function<QString()>> readers_;
    std::vector<QWidget *> editors_;
    QPushButton *ok_ = nullptr;
    QPushButton *cancel_ = nullptr;
};

} // namespace camera::ui
