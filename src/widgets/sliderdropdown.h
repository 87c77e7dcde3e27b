#pragma once

#include <QPointer>
#include <QToolButton>

class QLabel;
class QMenu;

namespace widgets {

class ToolBarSlider;

// A tool bar button that carries a long slider in its drop-down: the bar shows the slider's value
// on the button, a click opens the slider (its full ToolBarSlider::kMinimumLength or more) with
// its value beside it. It lets a bar too narrow for its sliders keep them long enough for a hand:
// the live picture's bars share 400 pixels of the Normal window with their buttons.
// The slider and the label stay the controls the program drives; the button only mirrors them.
class SliderDropDown final : public QToolButton
{
    Q_OBJECT
public:
    // Takes `slider` and `value` into the drop-down (they are reparented and die with the button).
    SliderDropDown(ToolBarSlider *slider, QLabel *value, QWidget *parent = nullptr);
    ~SliderDropDown() override;

    ToolBarSlider *slider() const { return slider_; }
    // The drop-down's frame, shown while it is open.
    QWidget *panel() const { return panel_; }

protected:
    void changeEvent(QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    // A child of the button's parent (the bar), not of the button: the button is disabled with
    // the slider, and a disabled parent would disable the slider for good. Deleted with the button.
    QPointer<QMenu> menu_;
    ToolBarSlider *slider_;
    QWidget *panel_;
};

} // namespace widgets
