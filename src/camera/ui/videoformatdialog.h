#pragma once

#include "platform/mediapipeline.h"

#include <QDialog>

class QComboBox;

namespace camera::ui {

// Lists the camera's real pixel formats, their sizes and frame rates; the choice is read with
// selectedFormat() after the dialog is accepted. Captions are set by the caller.
class VideoFormatDialog : public QDialog
{
    Q_OBJECT
public:
    explicit VideoFormatDialog(QWidget *parent = nullptr);

    void setFormats(const std::vector<platform::PixelFormatInfo> &formats, const platform::CaptureFormat &current);
    platform::CaptureFormat selectedFormat() const;
    // Chooses an entry as the user would (also for tests); false when it is not listed.
    bool select(const platform::CaptureFormat &format);

    QComboBox *formatBox() const { return format_; }
    QComboBox *sizeBox() const { return size_; }
    QComboBox *rateBox() const { return rate_; }

private:
    void fillSizes();
    void fillRates();

    std::vector<platform::PixelFormatInfo> formats_;
    QComboBox *format_ = nullptr;
    QComboBox *size_ = nullptr;
    QComboBox *rate_ = nullptr;
};

} // namespace camera::ui
