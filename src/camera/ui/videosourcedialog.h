#pragma once

#include <QDialog>

namespace platform {
class ControlDevice;
}

namespace camera::ui {

// Every control the camera offers, built from its description: sliders for integers, check
// boxes for switches, lists for menus, buttons for actions. Changes go to the camera at once.
class VideoSourceDialog : public QDialog
{
    Q_OBJECT
public:
    VideoSourceDialog(platform::ControlDevice &device, QWidget *parent = nullptr);
    int controlCount() const { return count_; }

private:
    int count_ = 0;
};

} // namespace camera::ui
