// Tool bars never cover the picture or each other: the whole program on the virtual camera, in
// the "Normal" window with the editor open and in the single-window presets, each live mode's
// bar in turn.
#include "app/ui/layoutcontroller.h"
#include "imaging/stilldocument.h"
#include "imaging/ui/stillimagecontroller.h"

#include "wholeprogram.h"

#include <QAbstractButton>
#include <QToolBar>

#include <gtest/gtest.h>

using state::ControlId;

namespace {

constexpr ControlId kModeBars[] = {ControlId::Compare_ToolBar, ControlId::Cross_ToolBar, ControlId::VideoCtrl_ToolBar,
                                   ControlId::DrawRuler_ToolBar};
constexpr ControlId kModeButtons[] = {ControlId::ChangeModeTB_Compare, ControlId::ChangeModeTB_Cross,
                                      ControlId::ChangeModeTB_VideoCtrl, ControlId::ChangeModeTB_Draw};
constexpr ControlId kAllBars[] = {ControlId::Compare_ToolBar, ControlId::Cross_ToolBar, ControlId::VideoCtrl_ToolBar,
                                  ControlId::DrawRuler_ToolBar, ControlId::MideaPlay_ToolBar, ControlId::ChangeMode_ToolBar,
                                  ControlId::ToolBar_ImageEdit1, ControlId::ToolBar_ImageEdit2,
                                  ControlId::ToolBar_ImageProcess};

// Everything wrong with what shows now, in words; empty when nothing covers anything.
std::string coverings(wholeprogram::Program &p)
{
    feature::ui::Controls &c = p.shell().controls();
    const QWidget *client = p.app->window().centralWidget();
    const QRect video = c.widget(ControlId::VideoArea)->geometry();
    std::string faults;
    std::vector<std::pair<ControlId, QRect>> shown;
    for (ControlId id : kAllBars) {
        QToolBar *bar = c.toolBar(id);
        if (!bar->isVisible())
            continue;
        const QRect r(bar->mapTo(client, QPoint(0, 0)), bar->size());
        const std::string name(state::controlName(id));
        if (!client->rect().contains(r))
            faults += name + " leaves the window; ";
        if (r.intersects(video) && id != ControlId::ToolBar_ImageEdit1 && id != ControlId::ToolBar_ImageEdit2 &&
            id != ControlId::ToolBar_ImageProcess)
            faults += name + " covers the picture; ";
        if (bar->width() < bar->sizeHint().width())
            faults += name + " is cut (" + std::to_string(bar->width()) + " < " + std::to_string(bar->sizeHint().width()) + "); ";
        for (const auto &[other, rect] : shown)
            if (rect.intersects(r))
                faults += name + " covers " + std::string(state::controlName(other)) + "; ";
        // The buttons of a bar stand side by side, none over another.
        QRect previous;
        for (QAbstractButton *b : bar->findChildren<QAbstractButton *>(Qt::FindDirectChildrenOnly)) {
            if (!b->isVisible())
                continue;
            if (previous.intersects(b->geometry()))
                faults += name + ": " + b->objectName().toStdString() + " overlaps its neighbour; ";
            if (!bar->rect().contains(b->geometry()))
                faults += name + ": " + b->objectName().toStdString() + " sticks out; ";
            previous = b->geometry();
        }
        shown.emplace_back(id, r);
    }
    return faults;
}

} // namespace

TEST(ToolBarPlaces, InTheSingleWindowPresetsNoBarCoversThePictureOrAnother)
{
    wholeprogram::Program p;
    p.app->layout().screenSizeOverride = QSize(1920, 1200);
    ASSERT_TRUE(p.connect());
    for (int preset : {state::kPreset640x480, state::kPreset800x600, state::kPreset1024x768, state::kPresetFullScreen}) {
        p.app->layout().applyPreset(preset);
        for (ControlId mode : kModeButtons) {
            p.shell().controls().button(mode)->click();
            p.shell().UpdateActions();
            EXPECT_EQ(coverings(p), "") << "preset " << preset << ", " << state::controlName(mode);
        }
    }
}

TEST(ToolBarPlaces, In640And800TheModeBarsGetARowBelowThePictureAndTheWindowGrowsByIt)
{
    wholeprogram::Program p;
    p.app->layout().screenSizeOverride = QSize(1920, 1200);
    ASSERT_TRUE(p.connect());
    p.shell().controls().button(ControlId::ChangeModeTB_Draw)->click();
    for (const auto &[preset, video] : {std::pair{state::kPreset640x480, QRect(0, 60, 640, 480)},
                                        std::pair{state::kPreset800x600, QRect(0, 60, 800, 600)}}) {
        p.app->layout().applyPreset(preset);
        p.shell().UpdateActions();
        QToolBar *draw = p.shell().controls().toolBar(ControlId::DrawRuler_ToolBar);
        ASSERT_TRUE(draw->isVisible());
        // The picture keeps its size and place; the drawing bar is right under it.
        EXPECT_EQ(p.shell().controls().widget(ControlId::VideoArea)->geometry(), video);
        EXPECT_EQ(draw->pos(), QPoint(0, video.bottom() + 1)) << preset;
        EXPECT_EQ(p.app->window().centralWidget()->height(), video.bottom() + 1 + draw->height()) << preset;
        // The live-mode buttons found room beside the main buttons.
        EXPECT_EQ(p.shell().controls().toolBar(ControlId::ChangeMode_ToolBar)->pos(), QPoint(480, 0)) << preset;
        const app::ButtonLayout b = p.app->layout().plan(preset).buttons;
        EXPECT_TRUE(b.modeToolBarsMoved && b.changeModeToolBarMoved);
    }
}

TEST(ToolBarPlaces, InTheNormalWindowTheEditorsAndFiltersBarsStayBesideEachLiveModesBar)
{
    wholeprogram::Program p;
    ASSERT_TRUE(p.connect());
    p.app->still().document().load(platform::Bitmap(QImage(640, 480, QImage::Format_RGB32)), QString());
    p.shell().UpdateActions();
    p.shell().controls().mainButton(ControlId::EditorImage_Btn)->click();
    ASSERT_TRUE(p.shell().state().flags().EditMode);
    for (ControlId mode : kModeButtons) {
        p.shell().controls().button(mode)->click();
        p.shell().UpdateActions();
        EXPECT_EQ(coverings(p), "") << "editor, " << state::controlName(mode);
    }
    p.shell().controls().mainButton(ControlId::ImageProcess_Btn)->click();
    ASSERT_TRUE(p.shell().state().flags().ImageProcessMode);
    for (ControlId mode : kModeButtons) {
        p.shell().controls().button(mode)->click();
        p.shell().UpdateActions();
        EXPECT_EQ(coverings(p), "") << "filters, " << state::controlName(mode);
    }
    // Every bar fits the half of the window it sits under.
    for (ControlId id : kAllBars)
        EXPECT_LE(p.shell().controls().toolBar(id)->sizeHint().width(), 400) << state::controlName(id);
}
