#include "sliderdropdown.h"

#include "toolbarslider.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QWheelEvent>
#include <QWidgetAction>

#include <algorithm>

namespace widgets {

namespace {

// The widest value a button shows.
constexpr char16_t kWidestValue[] = u"100%";
// Room beside the text for the drop-down arrow and the button's margins.
constexpr int kArrowRoom = 18;
// The slider in the drop-down: longer than a bar could hold, so that a pixel of the hand is less
// than a percent of the range.
constexpr int kDropDownSliderLength = 200;

// A small picture of a slider, shown while the button is idle and has no value to show, so that
// it still reads as a slider (greyed with it by the icon's disabled mode).
QIcon sliderGlyph(const QPalette &palette)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(palette.color(QPalette::Dark), 2));
    p.drawLine(1, 8, 15, 8);
    p.setPen(palette.color(QPalette::Shadow));
    p.setBrush(palette.color(QPalette::Button));
    p.drawRect(6, 3, 4, 10);
    p.end();
    return QIcon(pm);
}

} // namespace

SliderDropDown::SliderDropDown(ToolBarSlider *slider, QLabel *value, QWidget *parent)
    : QToolButton(parent), menu_(new QMenu(parent)), slider_(slider)
{
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setIcon(sliderGlyph(palette()));
    setIconSize(QSize(16, 16));
    setPopupMode(QToolButton::InstantPopup);
    setAutoRaise(true);
    setFixedWidth(std::max(iconSize().width(), fontMetrics().horizontalAdvance(QString::fromUtf16(kWidestValue))) + kArrowRoom);

    QMenu *menu = menu_;
    panel_ = new QWidget(menu);
    panel_->setObjectName(slider->objectName() + QStringLiteral("_Panel"));
    auto *row = new QHBoxLayout(panel_);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(6);
    slider->setFixedWidth(std::max(kDropDownSliderLength, ToolBarSlider::kMinimumLength));
    row->addWidget(slider);
    row->addWidget(value);
    auto *holder = new QWidgetAction(menu);
    holder->setDefaultWidget(panel_);
    menu->addAction(holder);
    // The slider takes the keys while the drop-down is open: arrows and Page Up/Down move it,
    // Escape closes the drop-down.
    connect(menu, &QMenu::aboutToShow, slider, [slider] { slider->setFocus(Qt::PopupFocusReason); });
    setMenu(menu);
    slider->mirrorValueOn(this);
}

SliderDropDown::~SliderDropDown() { delete menu_; }

void SliderDropDown::changeEvent(QEvent *event)
{
    QToolButton::changeEvent(event);
    // The value while the slider is in use, the glyph while it is idle (its value is empty then).
    if (event->type() == QEvent::EnabledChange)
        setToolButtonStyle(isEnabled() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
}

void SliderDropDown::wheelEvent(QWheelEvent *event)
{
    // The wheel over the closed button moves the slider a step, as it would over the slider.
    if (!slider_->isEnabled() || event->angleDelta().y() == 0) {
        QToolButton::wheelEvent(event);
        return;
    }
    slider_->triggerAction(event->angleDelta().y() > 0 ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub);
    event->accept();
}

} // namespace widgets
