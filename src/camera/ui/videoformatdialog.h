#pragma once

#include "platform/mediapipeline.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace camera::ui {

// Lists the camera's real pixel formats, their sizes and frame rates; the choice is read with
// selectedFormat() after the dialog is accepted. Title, labels and buttons are set by the caller
// in the interface language (setTexts).
class VideoFormatDialog : public QDialog
{
    Q_OBJECT
public:
    struct Texts {
        QString title;
        QString format;
        QString size;
        QString rate;
        QString ok;
        QString cancel;
    };
    explicit VideoFormatDialog(QWidget *parent = nullptr);

    void setTexts(const Texts &texts);
    void setFormats(const std::vector<platform::PixelFormatInfo> &formats, const platform::CaptureFormat &current);
    platform::CaptureFormat selectedFormat() const;
    // Chooses an entry as the user would (also for tests); false when it is not listed.
    bool select(const platform::CaptureFormat &format);

    QComboBox *formatBox() const { return format_; }
    QComboBox *sizeBox() const { return size_; }
    QComboBox *rateBox() const { return rate_; }
    QLabel *formatLabel() const { return formatLabel_; }
    QLabel *sizeLabel() const { return sizeLabel_; }
    QLabel *rateLabel() const { return rateLabel_; }
    QPushButton *okButton() const { return ok_; }
    QPushButton *cancelButton() const { return cancel_; }

private:
    void fillSizes();
    void fillRates();

    std::vector<platform::PixelFormatInfo> formats_;
    QComboBox *format_ = nullptr;
    QComboBox *size_ = nullptr;
    QComboBox *rate_ = nullptr;
    QLabel *formatLabel_ = nullptr;
    QLabel *sizeLabel_ = nullptr;
    QLabel *rateLabel_ = nullptr;
    QPushButton *ok_ = nullptr;
    QPushButton *cancel_ = nullptr;
};

} // namespace camera::ui
