#include "filtercontroller.h"

#include "controls.h"
#include "mainwindow.h"
#include "shell.h"

#include "imaging/ui/stillimageview.h"
#include "platform/diagnosticslog.h"
#include "state/uiprotocol.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolBar>

#include <exception>

namespace app::ui {

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

FilterController::FilterController(Shell &shell, QObject *parent) : QObject(parent), shell_(shell)
{
    Controls &c = shell_.controls();
    connect(c.mainButton(ControlId::ImageProcess_Btn), &QPushButton::clicked, this,
            &FilterController::ImageProcess_BtnClick);
    connect(c.button(ControlId::ImaPro_Exit_Btn), &QAbstractButton::clicked, this, [this] {
        ExitImageProcess();
        shell_.MemoryTrim();
    });
    connect(c.button(ControlId::ImaPro_Original_Btn), &QAbstractButton::clicked, this,
            &FilterController::ImaPro_Original_BtnClick);
    for (const FilterButton &b : kFilterButtons)
        connect(c.button(b.id), &QAbstractButton::clicked, this, [this, kind = b.kind] { filterButtonClick(kind); });
    QAbstractSlider *slider = c.slider(ControlId::ImaPro_ScrollBar);
    slider->setRange(0, 255);
    slider->setEnabled(false);
    connect(slider, &QAbstractSlider::valueChanged, this, &FilterController::ImaPro_ScrollBarChange);
    // A snapshot, an opened file or New: the new picture is the source of every later filter.
    connect(&view(), &imaging::ui::StillImageView::pictureChanged, this, [this] {
        Imageprocess_CopyTemp();
        if (kind_ != FilterKind::None)
            ImaProToolBtn_Reset();
    });
}

imaging::ui::StillImageView &FilterController::view() const { return *shell_.window().stillView(); }

void FilterController::ImageProcess_BtnClick()
{
    if (!shell_.state().flags().ImageProcessMode) {
        shell_.state().setImageProcessMode(true);
        EntryImageProcess();
        leaveEditor();
        // The source is the picture as it is now, whoever changed it last.
        Imageprocess_CopyTemp();
        shell_.setMainButton(ControlId::ImageProcess_Btn, QStringLiteral("imageprocessexit.bmp"),
                             QStringLiteral("ImageProcessExit_Btn"));
        return;
    }
    ExitImageProcess();
    shell_.MemoryTrim();
}

void FilterController::EntryImageProcess()
{
    QToolBar *bar = shell_.controls().toolBar(ControlId::ToolBar_ImageProcess);
    if (!bar->isHidden())
        return;
    bar->move(400, 364);
    bar->show();
    bar->raise();
    shell_.controls().slider(ControlId::ImaPro_ScrollBar)->setEnabled(false);
}

void FilterController::ExitImageProcess()
{
    const state::AppFlags &f = shell_.state().flags();
    if (!f.ImageProcessMode)
        return;
    imaging::ui::StillImageView &still = view();
    if (still.filterApplied() && (f.SizePreset == state::kPresetNormal || f.ViewerOpen)) {
        if (shell_.ShowMessageBox(QStringLiteral("WhetherModifyImage"), QStringLiteral("AttentionTitle_MsgBox"), true,
                                  state::kIconQuestion)
            == state::kResultOk) {
            // The filtered picture is the new source, and an unsaved change.
            source_ = still.picture();
            work_ = source_;
            still.setChangeCount(2);
        } else {
            showSource();
        }
    }
    ImaProToolBtn_Reset();
    shell_.state().setImageProcessMode(false);
    shell_.controls().toolBar(ControlId::ToolBar_ImageProcess)->hide();
    shell_.setMainButton(ControlId::ImageProcess_Btn, QStringLiteral("imageprocess.bmp"), QStringLiteral("ImageProcess_Btn"));
}

void FilterController::filterButtonClick(FilterKind kind)
{
    Controls &c = shell_.controls();
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
        view().setFilterApplied(false);
        slider->setEnabled(false);
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
    ImageProcess_Function();
    view().setFilterApplied(!source_.isNull());
}

void FilterController::ImaPro_ScrollBarChange(int)
{
    if (kind_ != FilterKind::None && imaging::sliderFor(kind_).enabled)
        ImageProcess_Function();
}

void FilterController::ImaPro_Original_BtnClick()
{
    shell_.controls().slider(ControlId::ImaPro_ScrollBar)->setEnabled(false);
    showSource();
    ImaProToolBtn_Reset();
}

void FilterController::ImageProcess_Function()
{
    if (source_.isNull() || kind_ == FilterKind::None)
        return;
    try {
        const int k = shell_.controls().slider(ControlId::ImaPro_ScrollBar)->value();
        if (kind_ == FilterKind::EdgeDetection || kind_ == FilterKind::HighPass) {
            imaging::applyFilter(kind_, k, source_, work_);
            putInPlace(work_);
            work_ = source_;
        } else {
            platform::Bitmap temporary;
            imaging::applyFilter(kind_, k, source_, temporary);
            putInPlace(temporary);
        }
    } catch (const std::exception &) {
        // Out of memory for a very large picture: the picture stays as it was.
        shell_.log().append(QStringLiteral("Exception Error at ImageProcess_Function"));
    }
}

void FilterController::ImaProToolBtn_Reset()
{
    Controls &c = shell_.controls();
    if (!c.toolBar(ControlId::ToolBar_ImageEdit1)->isHidden() || !c.toolBar(ControlId::ToolBar_ImageEdit2)->isHidden())
        resetEditorTool();
    if (!c.toolBar(ControlId::ToolBar_ImageProcess)->isHidden()) {
        for (const FilterButton &b : kFilterButtons)
            c.button(b.id)->setChecked(false);
        c.button(ControlId::ImaPro_Original_Btn)->setChecked(false);
        c.slider(ControlId::ImaPro_ScrollBar)->setEnabled(false);
        kind_ = FilterKind::None;
    }
    view().pictureControl()->unsetCursor();
    view().setFilterApplied(false);
}

void FilterController::Imageprocess_CopyTemp()
{
    imaging::ui::StillImageView &still = view();
    if (!still.isEmpty() && !still.committedPicture().isNull() && !(still.picture() == still.committedPicture()))
        still.replacePicture(still.committedPicture());
    source_ = still.picture();
    work_ = source_;
}

void FilterController::putInPlace(const platform::Bitmap &picture)
{
    imaging::ui::StillImageView &still = view();
    still.replacePicture(picture);
    still.setCommittedPicture(still.picture());
}

void FilterController::showSource()
{
    // The committed picture follows, so that the editor's next erase or restore cannot bring a
    // filter back that the user turned down.
    if (!source_.isNull())
        putInPlace(source_);
}

} // namespace app::ui
