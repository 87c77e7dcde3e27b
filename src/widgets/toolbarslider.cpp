#include "toolbarslider.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLabel>

#include <algorithm>
#include <cmath>

namespace widgets {

ToolBarSlider::ToolBarSlider(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
    setFixedWidth(kMinimumLength);
    setPageStep(pageFor(minimum(), maximum()));
}

int ToolBarSlider::pageFor(int minimum, int maximum) { return std::max(1, (maximum - minimum) / 10); }

QString ToolBarSlider::valueText(ValueText kind, int value, int minimum, int maximum)
{
    switch (kind) {
    case ValueText::Number:
        return QString::number(value);
    case ValueText::Percent: {
        const double share = maximum > minimum ? double(value - minimum) / double(maximum - minimum) : 0.0;
        return QString::number(std::lround(100.0 * share)) + u'%';
    }
    case ValueText::Unknown:
        break;
    }
    return {};
}

void ToolBarSlider::showValueIn(QLabel *label)
{
    valueLabel_ = label;
    refreshValueLabel();
}

void ToolBarSlider::mirrorValueOn(QAbstractButton *button)
{
    mirror_ = button;
    button->setToolTip(toolTip());
    refreshValueLabel();
}

void ToolBarSlider::setValueText(ValueText kind)
{
    valueText_ = kind;
    refreshValueLabel();
}

void ToolBarSlider::sliderChange(SliderChange change)
{
    if (change == SliderRangeChange)
        setPageStep(pageFor(minimum(), maximum()));
    QSlider::sliderChange(change);
    refreshValueLabel();
}

void ToolBarSlider::changeEvent(QEvent *event)
{
    QSlider::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        refreshValueLabel();

}

bool ToolBarSlider::event(QEvent *event)
{
    // The tool tip comes with the language, after the button was made.
    if (event->type() == QEvent::ToolTipChange && mirror_)
        mirror_->setToolTip(toolTip());
    return QSlider::event(event);
}

void ToolBarSlider::refreshValueLabel()
{
    const QString text = isEnabled() ? valueText(valueText_, value(), minimum(), maximum()) : QString();
    if (valueLabel_)
        valueLabel_->setText(text);
    if (mirror_) {
        mirror_->setText(text);
        mirror_->setEnabled(isEnabled());
    }
}

} // namespace widgets
