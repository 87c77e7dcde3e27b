#pragma once

#include "platform/mediapipeline.h"

#include <QDialog>

#include <functional>

class QFormLayout;

namespace camera::ui {

// The compressor's settings: one row per writable property of the encoder, built from the
// property values (check box, number box, choice list or text line). OK hands back the values
// that differ from the encoder's own defaults, so an untouched dialog changes nothing.
class EncoderSettingsDialog final : public QDialog
{
    Q_OBJECT
public:
    EncoderSettingsDialog(const QString &compressorName, std::vector<platform::EncoderProperty> properties,
                          const std::vector<platform::EncoderSetting> &current, QWidget *parent = nullptr);

    std::vector<platform::EncoderSetting> settings() const;
    // The editor of one property (for tests): QCheckBox, QSpinBox, QDoubleSpinBox, QComboBox or QLineEdit.
    QWidget *editor(const QString &property) const;

private:
    std::vector<platform::EncoderProperty> properties_;
    std::vector<std::function<QString()>> readers_;
    std::vector<QWidget *> editors_;
};

} // namespace camera::ui
