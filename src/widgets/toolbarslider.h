#pragma once

#include <QPointer>
#include <QSlider>

class QAbstractButton;
class QLabel;

namespace widgets {

// A horizontal slider for a tool bar that a hand can use: at least kMinimumLength pixels long,
// a page (a click beside the handle, Page Up/Down) of a tenth of its range, and its value written
// in a label beside it. Page and label follow every change of range, value and enabled state,
// whoever makes it and whether or not the slider's signals are blocked (the controllers set
// ranges and positions with signals blocked). The single step stays the caller's.
class ToolBarSlider final : public QSlider
{
    Q_OBJECT
public:
    static constexpr int kMinimumLength = 120;
    // How the value reads: the position as it is, or its share of the range in whole percent.
    enum class ValueText { Unknown, Number, Percent };

    explicit ToolBarSlider(QWidget *parent = nullptr);

    // The page for a range: a tenth of it, at least 1.
    static int pageFor(int minimum, int maximum);
    // The text of `value` in [minimum, maximum]: "384" or, as a share, "60%". Empty for Unknown.
    static QString valueText(ValueText kind, int value, int minimum, int maximum);

    // `label` shows the value while the slider is enabled and is empty while it is not.
    void showValueIn(QLabel *label);
    // `button` shows the same value text, is enabled with the slider and carries its tool tip
    // (a bar's button that opens the slider, see SliderDropDown).
    void mirrorValueOn(QAbstractButton *button);
    void setValueText(ValueText kind);

protected:
    void sliderChange(SliderChange change) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void refreshValueLabel();

    QPointer<QLabel> valueLabel_;
    QPointer<QAbstractButton> mirror_;
    ValueText valueText_ = ValueText::Number;
};

} // namespace widgets
