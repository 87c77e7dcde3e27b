#include "measure/ui/showmeasureinfodialog.h"

#include "widgets/dialogframe.h"

#include <QAbstractSpinBox>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace measure::ui {

namespace {

struct GroupTexts {
    const char *caption;
    std::vector<const char *> items;
};

// Captions and items of the radio groups; an item's index is its item code.
const std::array<GroupTexts, TShowMeasureInfoDlg::GroupCount> &groupTexts()
{
    static const std::array<GroupTexts, TShowMeasureInfoDlg::GroupCount> texts{{
        {"SMI_LineInfo_Dlg", {"SMI_NoneItem_Dlg", "SMI_LengthItem_Dlg"}},
        {"SMI_PolygonInfo_Dlg", {"SMI_NoneItem_Dlg", "SMI_PerimeterItem_Dlg", "SMI_AreaItem_Dlg"}},
        {"SMI_CircleInfo_Dlg",
         {"SMI_NoneItem_Dlg", "SMI_CircumferenceItem_Dlg", "SMI_AreaItem_Dlg", "SMI_RadiusItem_Dlg", "SMI_DiameterItem_Dlg"}},
        {"SMI_EllipseInfo_Dlg",
         {"SMI_NoneItem_Dlg", "SMI_CircumferenceItem_Dlg", "SMI_AreaItem_Dlg", "SMI_RadiusItem_Dlg", "SMI_DiameterItem_Dlg"}},
        {"SMI_ArcInfo_Dlg",
         {"SMI_NoneItem_Dlg", "SMI_ArcLengthItem_Dlg", "SMI_PerimeterItem_Dlg", "SMI_AreaItem_Dlg", "SMI_RadiusItem_Dlg",
          "SMI_AngleItem_Dlg"}},
        {"SMI_ArchInfo_Dlg", {"SMI_NoneItem_Dlg", "SMI_PerimeterItem_Dlg", "SMI_AreaItem_Dlg"}},
    }};
    return texts;
}

} // namespace

TShowMeasureInfoDlg::TShowMeasureInfoDlg(TextLookup text, QWidget *parent) : QDialog(parent), text_(std::move(text))
{
    widgets::frameDialog(*this);
    setModal(true);
    pickColour = [this](const QColor &initial) { return QColorDialog::getColor(initial, this); };

    auto *groupsGrid = new QGridLayout;
    for (int g = 0; g < GroupCount; ++g) {
        auto *box = new QGroupBox(this);
        auto *column = new QVBoxLayout(box);
        auto *buttons = new QButtonGroup(box);
        for (std::size_t i = 0; i < groupTexts()[std::size_t(g)].items.size(); ++i) {
            auto *radio = new QRadioButton(box);
            buttons->addButton(radio, int(i));
            column->addWidget(radio);
        }
        column->addStretch();
        connect(buttons, &QButtonGroup::idClicked, this, [this, g](int item) { groupClicked(g, item); });
        boxes_[std::size_t(g)] = box;
        groups_[std::size_t(g)] = buttons;
        groupsGrid->addWidget(box, g / 3, g % 3);
    }

    OptionSeting_GB = new QGroupBox(this);
    auto *options = new QGridLayout(OptionSeting_GB);
    Precision_ST = new QLabel(OptionSeting_GB);
    Percision_CSpinEdit = new QSpinBox(OptionSeting_GB);
    // Typed digits count as much as the arrows: the spin box's own validator refuses "0" and
    // "12", so only 1 to 9 reach the label settings.
    Percision_CSpinEdit->setRange(1, 9);
    PrecisionStr_ST = new QLabel(OptionSeting_GB);
    DisplayUnit_CB = new QCheckBox(OptionSeting_GB);
    ChoiceColor_Btn = new QPushButton(OptionSeting_GB);
    Color_Edit = new QLineEdit(OptionSeting_GB);
    Color_Edit->setReadOnly(true);
    Color_Edit->setFixedWidth(60);
    options->addWidget(Precision_ST, 0, 0);
    options->addWidget(Percision_CSpinEdit, 0, 1);
    options->addWidget(PrecisionStr_ST, 0, 2);
    options->addWidget(DisplayUnit_CB, 1, 0, 1, 3);
    options->addWidget(ChoiceColor_Btn, 2, 0, 1, 2);
    options->addWidget(Color_Edit, 2, 2);
    connect(Percision_CSpinEdit, &QSpinBox::valueChanged, this, &TShowMeasureInfoDlg::Percision_CSpinEditChange);
    connect(DisplayUnit_CB, &QCheckBox::clicked, this, [this](bool on) { pending_.displayUnit = on; });
    connect(ChoiceColor_Btn, &QPushButton::clicked, this, &TShowMeasureInfoDlg::ChoiceColor_BtnClick);

    OKBtn = new QPushButton(this);
    CancelBtn = new QPushButton(this);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &TShowMeasureInfoDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TShowMeasureInfoDlg::CancelBtnClick);
    auto *buttonsRow = new QHBoxLayout;
    buttonsRow->addStretch();
    buttonsRow->addWidget(OKBtn);
    buttonsRow->addWidget(CancelBtn);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(groupsGrid);
    layout->addWidget(OptionSeting_GB);
    layout->addLayout(buttonsRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // FormCreate: an empty pending copy, then as FormShow.
    FormShow(LabelSettings{});
}

void TShowMeasureInfoDlg::applyTexts()
{
    setWindowTitle(text_(QStringLiteral("SMI_ShowMeasureInfo_Dlg")));
    for (int g = 0; g < GroupCount; ++g) {
        const GroupTexts &t = groupTexts()[std::size_t(g)];
        boxes_[std::size_t(g)]->setTitle(text_(QLatin1String(t.caption)));
        const QList<QAbstractButton *> buttons = groups_[std::size_t(g)]->buttons();
        for (QAbstractButton *b : buttons)
            b->setText(text_(QLatin1String(t.items[std::size_t(groups_[std::size_t(g)]->id(b))])));
    }
    OptionSeting_GB->setTitle(text_(QStringLiteral("SMI_OptionSeting_Dlg")));
    Precision_ST->setText(text_(QStringLiteral("SMI_Precision_Dlg")));
    DisplayUnit_CB->setText(text_(QStringLiteral("SMI_DisplayUnit_Dlg")));
    ChoiceColor_Btn->setText(text_(QStringLiteral("SMI_ChoiceColor_Dlg")));
    OKBtn->setText(text_(QStringLiteral("OKBtn_Dlg")));
    CancelBtn->setText(text_(QStringLiteral("CancelBtn_Dlg")));
}

void TShowMeasureInfoDlg::FormShow(const LabelSettings &live)
{
    applyTexts();
    live_ = live;
    pending_ = live;
    showSettings(pending_);
}

std::int32_t &TShowMeasureInfoDlg::itemOf(LabelSettings &s, int group) const
{
    switch (group) {
    case Line: return s.lineItem;
    case Polygon: return s.squareItem;
    case Circle: return s.circleItem;
    case Ellipse: return s.ellipseItem;
    case Arc: return s.arcItem;
    default: return s.archItem;
    }
}

void TShowMeasureInfoDlg::showSettings(const LabelSettings &s)
{
    showing_ = true;
    LabelSettings copy = s;
    for (int g = 0; g < GroupCount; ++g) {
        // An item the group does not offer (the arch's arc length and beyond) shows no selection.
        QButtonGroup *buttons = groups_[std::size_t(g)];
        if (QAbstractButton *b = buttons->button(itemOf(copy, g))) {
            b->setChecked(true);
        } else if (QAbstractButton *checked = buttons->checkedButton()) {
            buttons->setExclusive(false);
            checked->setChecked(false);
            buttons->setExclusive(true);
        }
    }
    Percision_CSpinEdit->setValue(std::clamp(int(s.precision), 1, 9));
    PrecisionStr_ST->setText(stepText(Percision_CSpinEdit->value()));
    DisplayUnit_CB->setChecked(s.displayUnit);
    showColour(s.labelColour);
    showing_ = false;
}

QString TShowMeasureInfoDlg::stepText(int precision)
{
    const int p = std::clamp(precision, 0, 9);
    double step = 1.0;
    for (int i = 0; i < p; ++i)
        step /= 10.0;
    return QString::number(step, 'f', p);
}

void TShowMeasureInfoDlg::groupClicked(int group, int item)
{
    itemOf(pending_, group) = item;
}

void TShowMeasureInfoDlg::Percision_CSpinEditChange(int value)
{
    const int precision = std::min(value, 9);
    PrecisionStr_ST->setText(stepText(precision));
    if (!showing_)
        pending_.precision = precision;
}

void TShowMeasureInfoDlg::showColour(platform::ColorRef colour)
{
    const QColor shown = QColor::fromRgb(platform::toQRgb(dialogColour(colour)));
    Color_Edit->setStyleSheet(QStringLiteral("QLineEdit { background-color: %1; }").arg(shown.name()));
}

void TShowMeasureInfoDlg::ChoiceColor_BtnClick()
{
    const QColor chosen = pickColour(QColor::fromRgb(platform::toQRgb(dialogColour(pending_.labelColour))));
    if (!chosen.isValid())
        return;
    pending_.labelColour = storableColour(platform::fromQRgb(chosen.rgb()));
    showColour(pending_.labelColour);
}

void TShowMeasureInfoDlg::OKBtnClick()
{
    live_ = pending_;
    accept();
}

void TShowMeasureInfoDlg::CancelBtnClick()
{
    pending_ = live_;
    showSettings(live_);
    reject();
}

} // namespace measure::ui
