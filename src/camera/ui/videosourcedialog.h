#pragma once

#include <QDialog>

class QPushButton;

namespace platform {
class ControlDevice;
}

namespace camera::ui {

// Every control the camera offers, built from its description: sliders for integers, check
// boxes for switches, lists for menus, buttons for actions. Changes go to the camera at once.
// The controls' names are the driver's; the title and the close button are set by the caller in
// the interface language (setTexts).
class VideoSourceDialog : public QDialog
{
    Q_OBJECT
public:
    struct Texts {
        QString title;
        QString close;
    };
    VideoSourceDialog(platform::ControlDevice &device, QWidget *parent = nullptr);
    void setTexts(const Texts &texts);
    int controlCount() const { return count_; }
    QPushButton *closeButton() const { return close_; }

private:
    int count_ = 0;
    QPushButton *close_ = nullptr;
};

} // namespace camera::ui
