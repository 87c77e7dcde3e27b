#include "comparecontroller.h"

#include "overlayport.h"

#include "camera/videocamerads.h"
#include "feature/actioninputs.h"
#include "feature/ui/controls.h"
#include "feature/ui/filemessages.h"
#include "feature/ui/userdialogs.h"
#include "platform/diagnosticslog.h"
#include "platform/overlaybitmap.h"
#include "platform/picturecodec.h"
#include "state/appstate.h"
#include "state/usersettings.h"
#include "widgets/toolbarslider.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSignalBlocker>

#include <algorithm>

namespace imaging::ui {

using feature::ui::Controls;
using imaging::CompareMode;
using state::ControlId;

namespace {

constexpr ControlId kModeButtons[] = {ControlId::CompareTB_Compare, ControlId::CompareTB_LeftRight,
                                      ControlId::CompareTB_RightLeft, ControlId::CompareTB_TopBottom,
                                      ControlId::CompareTB_BottomTop};
constexpr int kTransparencySteps = 10;

} // namespace

CompareController::CompareController(feature::ui::FeatureContext context, OverlayPort &port, camera::TVideoCameraDS &camera,
                                     platform::OverlayBitmap &overlay, QObject *parent)
    : QObject(parent), ctx_(context), port_(port), camera_(camera), model_(overlay)
{
    Controls &c = ctx_.controls;
    QAbstractSlider *transparency = c.slider(ControlId::CompareTB_TransparentSB);
    transparency->setRange(0, kTransparencySteps);
    transparency->setEnabled(false);
    QAbstractSlider *split = c.slider(ControlId::CompareTB_SideRatioSB);
    split->setRange(0, 0);
    split->setEnabled(false);
    // Both read as a share: how much of the picture is the reference, how opaque it is.
    for (QAbstractSlider *s : {transparency, split})
        if (auto *shown = qobject_cast<widgets::ToolBarSlider *>(s))
            shown->setValueText(widgets::ToolBarSlider::ValueText::Percent);
    c.widget(ControlId::CompareTB_WinImg_Mode)->setEnabled(false);
    c.widget(ControlId::CompareTB_CombineNone)->setEnabled(false);

    auto onClick = [this, &c](ControlId id, auto handler) {
        connect(c.button(id), &QAbstractButton::clicked, this, handler);
    };
    onClick(ControlId::CompareTB_AssignWindowsImage, [this] { CompareTB_AssignWindowsImageClick(); });
    onClick(ControlId::CompareTB_AssignFile, [this] { CompareTB_AssignFileClick(); });
    onClick(ControlId::CompareTB_Compare, [this] { CompareTB_CompareClick(); });
    for (int m = 1; m <= 4; ++m)
        onClick(kModeButtons[m], [this, m] { CompareTB_SplitClick(CompareMode(m)); });
    onClick(ControlId::CompareTB_WinImg_Mode, [this] { CompareTB_WinImg_ModeClick(); });
    onClick(ControlId::CompareTB_knockoutColor, [this] { CompareTB_knockoutColorClick(); });
    // The snapshot source selector is the button's own state; the capture reads it.
    connect(split, &QAbstractSlider::valueChanged, this, &CompareController::CompareTB_SideRatioSBChange);
    connect(transparency, &QAbstractSlider::valueChanged, this, &CompareController::CompareTB_TransparentSBChange);
    connect(&camera_, &camera::TVideoCameraDS::connectedChanged, this, [this](bool connected) {
        // The overlay went with the picture: the tool bar starts over at the next connect, with
        // the reference and its settings kept.
        if (!connected) {
            model_.VMRBitmap_Clear(QSize());
            releaseAssignButton(false);
            releaseAssignButton(true);
            disableSplitControls();
            ctx_.controls.widget(ControlId::CompareTB_TransparentSB)->setEnabled(false);
            ctx_.controls.button(ControlId::CompareTB_CombineNone)->setChecked(false);
            pressModeButton(std::nullopt);
        }
    });
}

bool CompareController::live() const { return ctx_.state.flags().VideoConnected && camera_.isConnected(); }

std::optional<CompareMode> CompareController::pressedMode() const
{
    for (int m = 0; m <= 4; ++m)
        if (ctx_.controls.isDown(kModeButtons[m]))
            return CompareMode(m);
    return std::nullopt;
}

void CompareController::pressModeButton(std::optional<CompareMode> mode)
{
    for (int m = 0; m <= 4; ++m)
        ctx_.controls.button(kModeButtons[m])->setChecked(mode && int(*mode) == m);
}

void CompareController::releaseAssignButton(bool file)
{
    ctx_.controls.button(file ? ControlId::CompareTB_AssignFile : ControlId::CompareTB_AssignWindowsImage)->setChecked(false);
}

void CompareController::disableSplitControls()
{
    ctx_.controls.widget(ControlId::CompareTB_SideRatioSB)->setEnabled(false);
    ctx_.controls.widget(ControlId::CompareTB_WinImg_Mode)->setEnabled(false);
}

void CompareController::pressAssignButtonForSource()
{
    Controls &c = ctx_.controls;
    if (!c.isDown(ControlId::CompareTB_AssignWindowsImage) && !c.isDown(ControlId::CompareTB_AssignFile))
        c.button(model_.fromFile ? ControlId::CompareTB_AssignFile : ControlId::CompareTB_AssignWindowsImage)->setChecked(true);
}

void CompareController::build()
{
    model_.VMRBitmap_LoadAssignImage(model_.referencePath, model_.mode);
    port_.claimOverlay();
}

void CompareController::clearCompare()
{
    model_.VMRBitmap_Clear(camera_.videoSize());
    Controls &c = ctx_.controls;
    c.widget(ControlId::CompareTB_TransparentSB)->setEnabled(false);
    c.button(ControlId::CompareTB_CombineNone)->setChecked(false);
    pressModeButton(std::nullopt);
}

void CompareController::CompareTB_CompareClick()
{
    Controls &c = ctx_.controls;
    model_.mode = CompareMode::Blend;
    pressModeButton(CompareMode::Blend);
    QAbstractSlider *transparency = c.slider(ControlId::CompareTB_TransparentSB);
    {
        const QSignalBlocker quiet(transparency);
        transparency->setValue(transparency->maximum() / 2);
    }
    model_.alpha = imaging::transparencyAlpha(transparency->value(), transparency->maximum());
    build();
    transparency->setEnabled(true);
    c.widget(ControlId::CompareTB_CombineNone)->setEnabled(true);
    disableSplitControls();
    pressAssignButtonForSource();
}

void CompareController::CompareTB_SplitClick(CompareMode mode)
{
    Controls &c = ctx_.controls;
    model_.mode = mode;
    pressModeButton(mode);
    model_.split = imaging::splitStart(mode, model_.referenceSize);
    QAbstractSlider *split = c.slider(ControlId::CompareTB_SideRatioSB);
    QAbstractSlider *transparency = c.slider(ControlId::CompareTB_TransparentSB);
    {
        const QSignalBlocker quietSplit(split), quietTransparency(transparency);
        split->setRange(0, model_.split.maximum);
        // An arrow key moves the split by a hundredth of the range (a page is a tenth).
        split->setSingleStep(std::max(1, model_.split.maximum / 100));
        split->setValue(model_.split.position);
        transparency->setValue(transparency->maximum());
    }
    model_.alpha = 1.0f;
    build();
    transparency->setEnabled(true);
    c.widget(ControlId::CompareTB_CombineNone)->setEnabled(true);
    split->setEnabled(true);
    if (mode == CompareMode::LeftRight || mode == CompareMode::TopBottom)
        c.widget(ControlId::CompareTB_WinImg_Mode)->setEnabled(true);
    pressAssignButtonForSource();
}

void CompareController::CompareTB_SideRatioSBChange(int position)
{
    if (model_.mode == CompareMode::Blend)
        return;
    model_.split = imaging::splitMoved(model_.split, position, ctx_.controls.isDown(ControlId::CompareTB_WinImg_Mode));
    build();
}

void CompareController::CompareTB_WinImg_ModeClick()
{
    // Up again: the slider goes back to the extent, and the reference part centres on it.
    if (!ctx_.controls.isDown(ControlId::CompareTB_WinImg_Mode))
        ctx_.controls.slider(ControlId::CompareTB_SideRatioSB)->setValue(model_.split.extent);
}

void CompareController::CompareTB_TransparentSBChange(int position)
{
    const QAbstractSlider *transparency = ctx_.controls.slider(ControlId::CompareTB_TransparentSB);
    model_.VMRBitmap_Transparent(imaging::transparencyAlpha(position, transparency->maximum()));
}

void CompareController::CompareTB_AssignWindowsImageClick()
{
    Controls &c = ctx_.controls;
    const bool down = c.isDown(ControlId::CompareTB_AssignWindowsImage);
    if (c.isDown(ControlId::CompareTB_AssignFile)) {
        clearCompare();
        releaseAssignButton(true);
        disableSplitControls();
    }
    model_.fromFile = false;
    if (!down) {
        clearCompare();
        disableSplitControls();
        return;
    }
    const platform::Bitmap picture = port_.stillPicture();
    const QString path = ctx_.paths.coverTemp();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const platform::WriteResult written = picture.isNull() ? platform::WriteResult{platform::PictureError::CannotOpen, {}}
                                                           : platform::writeBmpFile(path, picture);
    if (!written.ok()) {
        // No reference to compare with: the button comes up and nothing else changes.
        ctx_.log.exceptionAt(QStringLiteral("CompareTB_AssignWindowsImageClick"));
        ctx_.log.append(QStringLiteral("CoverTemp.bmp %1: %2").arg(path, platform::pictureErrorText(written.error)));
        releaseAssignButton(false);
        return;
    }
    model_.referencePath = path;
    model_.referenceReplaced();
    model_.referenceAssigned = true;
    pressModeButton(std::nullopt);
    CompareTB_CompareClick();
}

void CompareController::CompareTB_AssignFileClick()
{
    Controls &c = ctx_.controls;
    const bool down = c.isDown(ControlId::CompareTB_AssignFile);
    std::optional<QString> chosen;
    if (down) {
        // Asked first: a cancelled dialog leaves the reference, the mode and the other assign
        // button exactly as they were.
        chosen = askReference(QFileInfo(ctx_.paths.coverTemp()).absolutePath());
        if (!chosen) {
            releaseAssignButton(true);
            return;
        }
        // Read now, the file as it is: one that cannot be read is reported by name and reason; it
        // is still the reference, which then shows nothing.
        model_.referenceReplaced();
        const platform::DecodedPicture &candidate = model_.reference(*chosen);
        if (!candidate.ok())
            feature::ui::reportUnreadablePicture(ctx_.shell, *chosen, candidate);
    }
    if (c.isDown(ControlId::CompareTB_AssignWindowsImage)) {
        clearCompare();
        releaseAssignButton(false);
        disableSplitControls();
    }
    model_.fromFile = true;
    if (!down) {
        clearCompare();
        disableSplitControls();
        return;
    }
    model_.referencePath = *chosen;
    model_.referenceAssigned = true;
    pressModeButton(std::nullopt);
    CompareTB_CompareClick();
}

std::optional<QString> CompareController::askReference(const QString &folder)
{
    QFileDialog dialog(&ctx_.window);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDirectory(folder);
    dialog.setNameFilters({QStringLiteral("Bitmaps (*.bmp)"), QStringLiteral("JPEG Image File (*.jpg)")});
    return feature::ui::askFile(ctx_.dialogs, dialog);
}

void CompareController::CompareTB_knockoutColorClick()
{
    const QColor colour = feature::ui::askColour(ctx_.dialogs, &ctx_.window, QColor::fromRgb(platform::toQRgb(model_.knockout)));
    if (!colour.isValid())
        return;
    model_.knockout = platform::fromQRgb(colour.rgb());
    if (const auto mode = pressedMode()) {
        model_.mode = *mode;
        build();
    }
}

void CompareController::readInputs(feature::ActionInputs &in) const { in.compareImageAssigned = model_.referenceAssigned; }

void CompareController::leaveLiveMode(int oldMode, int)
{
    if (oldMode != state::kLiveCompare)
        return;
    releaseAssignButton(false);
    releaseAssignButton(true);
    disableSplitControls();
}

void CompareController::enterLiveMode(int mode)
{
    if (mode != state::kLiveCompare || !live())
        return;
    model_.VMRBitmap_Clear(camera_.videoSize());
    if (const auto pressed = pressedMode()) {
        model_.mode = *pressed;
        build();
    }
}

} // namespace imaging::ui
