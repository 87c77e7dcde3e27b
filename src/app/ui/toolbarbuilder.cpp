#include "toolbarbuilder.h"

#include "widgets/sliderdropdown.h"
#include "widgets/toolbarslider.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QPixmap>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>

#include <map>
#include <string_view>
#include <utility>

namespace app::ui {

using feature::ui::tableText;
using state::ControlGroup;
using state::ControlId;
using state::ControlKind;
using state::ControlRow;
using state::kControlTable;

namespace {

// The tool bars' controls are compact enough that every bar fits the 400-pixel half of the
// "Normal" window it sits under (the live-mode bars below the video, the editor's and the
// filters' below the still picture): at their full 24 pixels the pictures made the widest bars
// reach 535 pixels and cover the other half's bars.
constexpr QSize kToolIcon{20, 20};
constexpr int kTrackBarWidth = 64;
constexpr int kComboBoxWidth = 60;
// The split, transparency and reticle sliders share the live picture's half of the Normal window
// (400 pixels) with their buttons, four sliders in the reticle bar: there each sits in the
// drop-down of a button that shows its value, at full length with its value beside it.
bool slidersDropDown(ControlGroup group) { return group == ControlGroup::Compare || group == ControlGroup::Cross; }


} // namespace

ToolBarBuilder::ToolBarBuilder(QWidget &parent, feature::ui::Controls &controls, QString pictureFolder)
    : parent_(parent), controls_(controls), pictureFolder_(std::move(pictureFolder))
{
}

void ToolBarBuilder::build(QPoint modeBarPos, QRect changeModeRect)
{
    std::map<ControlGroup, QToolBar *> bars;
    // A label that follows a slider in the table shows the slider's value.
    widgets::ToolBarSlider *sliderBefore = nullptr;
    for (const ControlRow &row : kControlTable) {
        widgets::ToolBarSlider *const slider = std::exchange(sliderBefore, nullptr);
        const QString name = tableText(row.name);
        if (row.kind == ControlKind::ToolBar) {
            auto *bar = new QToolBar(&parent_);
            bar->setObjectName(name);
            bar->setIconSize(kToolIcon);
            bar->setMovable(false);
            bar->setFloatable(false);
            // Over the video in the small single-window presets: keep the bar's own background.
            bar->setAutoFillBackground(true);
            bar->setStyleSheet(QStringLiteral("QToolBar { spacing: 0px; padding: 0px; border: none; }"
                                              "QToolButton { padding: 0px; }"));
            bar->hide();
            bars[row.holds] = bar;
            controls_.add(row.id, bar);
            continue;
        }
        auto it = bars.find(row.group);
        if (it == bars.end())
            continue;
        QToolBar *bar = it->second;
        QWidget *w = nullptr;
        switch (row.kind) {
        case ControlKind::Separator: {
            QAction *separator = bar->addSeparator();
            separator->setObjectName(name);
            controls_.add(row.id, separator);
            continue;
        }
        case ControlKind::Button:
        case ControlKind::CheckButton: {
            auto *tb = new QToolButton(bar);
            tb->setIcon(QIcon(QPixmap(pictureFolder_ + tableText(row.picture))));
            tb->setIconSize(kToolIcon);
            tb->setAutoRaise(true);
            // As the main buttons: a click never takes the keyboard, so Space and Enter cannot
            // press the button clicked last, and typing reaches the window's keys.
            tb->setFocusPolicy(Qt::NoFocus);
            tb->setCheckable(row.kind == ControlKind::CheckButton);
            w = tb;
            break;
        }
        case ControlKind::ComboBox: {
            auto *cb = new QComboBox(bar);
            cb->setFixedWidth(kComboBoxWidth);
            w = cb;
            break;
        }
        case ControlKind::TrackBar: {
            auto *s = new QSlider(Qt::Horizontal, bar);
            s->setFixedWidth(kTrackBarWidth);
            s->setEnabled(false);
            w = s;
            break;
        }
        case ControlKind::ScrollBar: {
            // Split, transparency, reticle sizes and filter parameter: long sliders whose page is
            // a tenth of the range, their value in the label that follows them in the table.
            sliderBefore = new widgets::ToolBarSlider(bar);
            if (slidersDropDown(row.group)) {
                // Into its drop-down with the value label that follows it in the table.
                sliderBefore->setObjectName(name);
                controls_.add(row.id, sliderBefore);
                continue;
            }
            w = sliderBefore;
            break;
        }
        case ControlKind::Label: {
            // A value shown beside its control; wide enough for three digits.
            auto *l = new QLabel(bar);
            l->setAlignment(Qt::AlignCenter);
            l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
            if (slider)
                slider->showValueIn(l);
            if (slider && slidersDropDown(row.group)) {
                l->setObjectName(name);
                controls_.add(row.id, l);
                auto *dropDown = new widgets::SliderDropDown(slider, l, bar);
                dropDown->setObjectName(slider->objectName() + QStringLiteral("_DropDown"));
                bar->addWidget(dropDown);
                continue;
            }
            w = l;
            break;
        }
        default:
            continue;
        }
        w->setObjectName(name);
        bar->addWidget(w);
        controls_.add(row.id, w);
    }
    for (auto &[group, bar] : bars) {
        // The bar's own buttons too (the extension arrow of a bar too narrow for its buttons).
        for (QToolButton *b : bar->findChildren<QToolButton *>())
            b->setFocusPolicy(Qt::NoFocus);
        bar->adjustSize();
        bar->move(modeBarPos);
    }
    // The reticle bar holds four figures with their sliders' buttons: its buttons go without
    // padding so that the bar stays within the live picture's half of the Normal window.
    controls_.toolBar(ControlId::Cross_ToolBar)
        ->setStyleSheet(QStringLiteral("QToolBar { spacing: 1px; padding: 0px; border: none; }"
                                       "QToolButton { padding: 0px; }"));
    controls_.toolBar(ControlId::Cross_ToolBar)->adjustSize();
    // The drawing bar holds fourteen buttons and the pen combo box: its buttons are drawn a little
    // narrower so that it too fits the live picture's half of the Normal window.
    QToolBar *draw = controls_.toolBar(ControlId::DrawRuler_ToolBar);
    for (QToolButton *b : draw->findChildren<QToolButton *>(Qt::FindDirectChildrenOnly)) {
        b->setIconSize(kToolIcon - QSize(2, 2));
        b->setFixedWidth(kToolIcon.width() + 2);
    }
    draw->adjustSize();
    // The four live-mode buttons are one group: exactly one is down, compare at start. Their
    // bar is 100 pixels wide, so its pictures are drawn a little smaller.
    QToolBar *change = controls_.toolBar(ControlId::ChangeMode_ToolBar);
    change->setIconSize(QSize(18, 18));
    change->setContentsMargins(0, 0, 0, 0);
    if (change->layout()) {
        change->layout()->setContentsMargins(0, 0, 0, 0);
        change->layout()->setSpacing(0);
    }
    auto *group = new QButtonGroup(change);
    group->setExclusive(true);
    for (ControlId id : {ControlId::ChangeModeTB_Compare, ControlId::ChangeModeTB_Cross, ControlId::ChangeModeTB_VideoCtrl,
                         ControlId::ChangeModeTB_Draw}) {
        QToolButton *tb = controls_.toolButton(id);
        tb->setIconSize(QSize(18, 18));
        tb->setFixedSize(24, 24);
        group->addButton(tb);
    }
    controls_.toolButton(ControlId::ChangeModeTB_Compare)->setChecked(true);
    change->setGeometry(changeModeRect.x(), changeModeRect.y(), changeModeRect.width(),
                        change->sizeHint().height());
}

} // namespace app::ui
