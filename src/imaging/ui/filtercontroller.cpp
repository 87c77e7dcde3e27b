#include "filtercontroller.h"

#include "stillimageview.h"

#include "feature/actioninputs.h"
#include "feature/ui/controls.h"
#include "feature/ui/shellport.h"
#include "imaging/stilldocument.h"
#include "platform/diagnosticslog.h"
#include "state/appstate.h"
#include "state/usersettings.h"
#include "state/uiprotocol.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolBar>

#include <exception>

namespace imaging::ui {

using feature::ui::Controls;
using imaging::FilterKind;
using state::ControlId;

namespace {

struct FilterButton {
    ControlId id;
    FilterKind kind;
};
// In tool bar order.
constexpr FilterButton kFilterButtons[] = {
    {ControlId::ImaPro_GrayLevel_Btn, FilterKind::GreyLevel},
    {ControlId::ImaPro_EdgeDetection_Btn, FilterKind::EdgeDetection},
    {ControlId::ImaPro_HightPassFilter_Btn, FilterKind::HighPass},
    {ControlId::ImaPro_Binary_Btn, FilterKind::Binary},
    {ControlId::ImaPro_Complement_Btn, FilterKind::Complement},
};

} // namespace

FilterController::FilterController(feature::ui::FeatureContext context, FilterPort &port, StillDocument &document,
                                   StillImageView &view, QObject *parent)
    : QObject(parent), ctx_(context), port_(port), document_(document), view_(view)
{
    Controls &c = ctx_.controls;
    connect(c.mainButton(ControlId::ImageProcess_Btn), &QPushButton::clicked, this,
            &FilterController::ImageProcess_BtnClick);
    connect(c.button(ControlId::ImaPro_Exit_Btn), &QAbstractButton::clicked, this, [this] {
        ExitImageProcess();
        ctx_.shell.MemoryTrim();
    });
    connect(c.button(ControlId::ImaPro_Original_Btn), &QAbstractButton::clicked, this,
            &FilterController::ImaPro_Original_BtnClick);
    for (const FilterButton &b : kFilterButtons)
        connect(c.button(b.id), &QAbstractButton::clicked, this, [this, kind = b.kind] { filterButtonClick(kind); });
    QAbstractSlider *slider = c.slider(ControlId::ImaPro_ScrollBar);
    slider->setRange(0, 255);
    slider->setEnabled(false);
    connect(slider, &QAbstractSlider::valueChanged, this, &FilterController::ImaPro_ScrollBarChange);
    connect(slider, &QAbstractSlider::valueChanged, this, &FilterController::showSliderValue);
    showSliderValue();
    connect(&document_, &imaging::StillDocument::changed, this,
            [this](imaging::StillDocument::Change change) { onDocumentChanged(int(change)); });
}

void FilterController::showSliderValue()
{
    const QAbstractSlider *slider = ctx_.controls.slider(ControlId::ImaPro_ScrollBar);
    ctx_.controls.label(ControlId::ImaPro_Value_Lab)->setText(slider->isEnabled() ? QString::number(slider->value())
                                                                                   : QString());
}

void FilterController::onDocumentChanged(int change)
{
    using Change = imaging::StillDocument::Change;
    // A snapshot, an opened file or New is the source of every later filter (the document took it
    // as such); a picture saved while a filter is shown is the new source too. Either way no
    // filter button stays down over it.
    const bool rebased = Change(change) == Change::Loaded
                         || (Change(change) == Change::Saved && ctx_.state.flags().ImageProcessMode);
    if (rebased && kind_ != FilterKind::None)
        ImaProToolBtn_Reset();
}

const platform::Bitmap &FilterController::filterSource() const { return document_.filterSource(); }

void FilterController::readInputs(feature::ActionInputs &in) const
{
    // Shown in the main window or moved into the image viewer's cool bar.
    in.filterBarShown = !ctx_.controls.toolBar(ControlId::ToolBar_ImageProcess)->isHidden();
}

void FilterController::ImageProcess_BtnClick()
{
    if (!ctx_.state.flags().ImageProcessMode) {
        ctx_.state.setImageProcessMode(true);
        EntryImageProcess();
        port_.leaveEditor();
        // The source is the picture as it is now, whoever changed it last.
        Imageprocess_CopyTemp();
        ctx_.shell.setMainButton(ControlId::ImageProcess_Btn, QStringLiteral("imageprocessexit.bmp"),
                             QStringLiteral("ImageProcessExit_Btn"));
        return;
    }
    ExitImageProcess();
    ctx_.shell.MemoryTrim();
}

void FilterController::EntryImageProcess()
{
    QToolBar *bar = ctx_.controls.toolBar(ControlId::ToolBar_ImageProcess);
    if (!bar->isHidden())
        return;
    bar->move(400, 364);
    bar->show();
    bar->raise();
    ctx_.controls.slider(ControlId::ImaPro_ScrollBar)->setEnabled(false);
    showSliderValue();
}

void FilterController::ExitImageProcess()
{
    const state::AppFlags &f = ctx_.state.flags();
    if (!f.ImageProcessMode)
        return;
    if (document_.filterApplied() && (f.SizePreset == state::kPresetNormal || f.ViewerOpen)) {
        if (ctx_.shell.ShowMessageBox(QStringLiteral("WhetherModifyImage"), QStringLiteral("AttentionTitle_MsgBox"), true,
                                  state::kIconQuestion)
            == state::kResultOk) {
            // The filtered picture is the new source, and an unsaved change.
            document_.keepFilter();
            work_ = document_.filterSource();
        } else {
            document_.unfilter();
        }
    }
    ImaProToolBtn_Reset();
    ctx_.state.setImageProcessMode(false);
    ctx_.controls.toolBar(ControlId::ToolBar_ImageProcess)->hide();
    ctx_.shell.setMainButton(ControlId::ImageProcess_Btn, QStringLiteral("imageprocess.bmp"), QStringLiteral("ImageProcess_Btn"));
}

void FilterController::filterButtonClick(FilterKind kind)
{
    Controls &c = ctx_.controls;
    bool down = false;
    for (const FilterButton &b : kFilterButtons) {
        if (b.kind == kind)
            down = c.isDown(b.id);
        else
            c.button(b.id)->setChecked(false);
    }
    c.button(ControlId::ImaPro_Original_Btn)->setChecked(false);
    QAbstractSlider *slider = c.slider(ControlId::ImaPro_ScrollBar);
    if (!down) {
        kind_ = FilterKind::None;
        slider->setEnabled(false);
        showSliderValue();
        ImaPro_Original_BtnClick();
        return;
    }
    kind_ = kind;
    const imaging::FilterSlider s = imaging::sliderFor(kind);
    {
        // Setting the slider up is not a move of the slider.
        const QSignalBlocker quiet(slider);
        if (s.enabled) {
            slider->setMaximum(s.maximum);
            slider->setValue(s.position);
        }
        slider->setEnabled(s.enabled);
    }
    showSliderValue();
    ImageProcess_Function();
}

void FilterController::ImaPro_ScrollBarChange(int)
{
    if (kind_ != FilterKind::None && imaging::sliderFor(kind_).enabled)
        ImageProcess_Function();
}

void FilterController::ImaPro_Original_BtnClick()
{
    ctx_.controls.slider(ControlId::ImaPro_ScrollBar)->setEnabled(false);
    showSliderValue();
    // The committed picture follows, so that the editor's next erase or restore cannot bring a
    // filter back that the user turned down.
    document_.unfilter();
    ImaProToolBtn_Reset();
}

void FilterController::ImageProcess_Function()
{
    const platform::Bitmap &source = document_.filterSource();
    if (source.isNull() || kind_ == FilterKind::None)
        return;
    try {
        const int k = ctx_.controls.slider(ControlId::ImaPro_ScrollBar)->value();
        if (kind_ == FilterKind::EdgeDetection || kind_ == FilterKind::HighPass) {
            if (work_.size() != source.size())
                work_ = source;
            imaging::applyFilter(kind_, k, source, work_);
            document_.filter(work_);
            work_ = document_.filterSource();
        } else {
            platform::Bitmap temporary;
            imaging::applyFilter(kind_, k, source, temporary);
            document_.filter(std::move(temporary));
        }
    } catch (const std::exception &) {
        // Out of memory for a very large picture: the picture stays as it was.
        ctx_.log.append(QStringLiteral("Exception Error at ImageProcess_Function"));
    }
}

void FilterController::ImaProToolBtn_Reset()
{
    Controls &c = ctx_.controls;
    if (!c.toolBar(ControlId::ToolBar_ImageEdit1)->isHidden() || !c.toolBar(ControlId::ToolBar_ImageEdit2)->isHidden())
        port_.resetEditorTool();
    if (!c.toolBar(ControlId::ToolBar_ImageProcess)->isHidden()) {
        for (const FilterButton &b : kFilterButtons)
            c.button(b.id)->setChecked(false);
        c.button(ControlId::ImaPro_Original_Btn)->setChecked(false);
        c.slider(ControlId::ImaPro_ScrollBar)->setEnabled(false);
        showSliderValue();
        kind_ = FilterKind::None;
    }
    view_.pictureControl()->unsetCursor();
    document_.forgetFilter();
}

void FilterController::Imageprocess_CopyTemp()
{
    document_.rebaseFilters();
    work_ = document_.filterSource();
}

} // namespace imaging::ui
