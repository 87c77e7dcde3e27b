// The filter tool bar in the whole program: a picture opened from a file, the buttons and the
// slider clicked as the user clicks them, and the question on leaving answered both ways.
#include "app/main/systemservices.h"
#include "feature/ui/controls.h"
#include "imaging/ui/filtercontroller.h"
#include "app/ui/mainwindow.h"
#include "app/ui/messagepresenter.h"
#include "app/ui/sendraapplication.h"
#include "app/ui/shell.h"
#include "imaging/ui/stillimagecontroller.h"

#include "fakes.h"
#include "scripteddialogs.h"

#include "imaging/filters.h"
#include "imaging/stilldocument.h"
#include "imaging/ui/editorcontroller.h"
#include "imaging/ui/filtercontroller.h"
#include "platform/diagnosticslog.h"
#include "platform/picturecodec.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <vector>

using namespace app::ui;
using C = state::ControlId;
using imaging::FilterKind;
using platform::Bitmap;

namespace {

struct ScriptedPresenter final : MessagePresenter {
    QStringList texts;
    std::vector<int> answers;   // consumed in order; OK when empty
    int show(const QString &text, const QString &, bool, int) override
    {
        texts << text;
        if (answers.empty())
            return kResultOk;
        const int a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
};

// Every pixel differs from its neighbours, and no channel is 0 or 255.
Bitmap specimen()
{
    QImage img(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            img.setPixel(x, y, qRgb(10 + 3 * x, 20 + 4 * y, 30 + (x * y) % 200));
    return Bitmap(img);
}

Bitmap filtered(FilterKind kind, int k, const Bitmap &source)
{
    Bitmap out;
    imaging::applyFilter(kind, k, source, out);
    return out;
}

struct Program {
    fakes::TemporaryProfile profile;
    fakes::FakeClock clock;
    platform::DiagnosticsLog log;
    ScriptedPresenter presenter;
    fakes::ScriptedDialogs dialogs;
    // Built before the program and destroyed after it.
    std::unique_ptr<::app::SystemServices> system;
    std::unique_ptr<SendraApplication> app;
    Bitmap original = specimen();

    Program()
    {
        system = std::make_unique<::app::SystemServices>(QStringLiteral(SENDRA_PROGRAM_DIR), log);
        app = std::make_unique<SendraApplication>(QStringLiteral(SENDRA_PROGRAM_DIR), log, clock, system->services(), &presenter,
                                                  &dialogs);
        app->window().show();
        const QString path = profile.path() + "/specimen.bmp";
        EXPECT_TRUE(platform::writeBmpFile(path, original).ok());
        app->still().openPicture(path);
    }

    Shell &shell() { return app->shell(); }
    Controls &controls() { return app->shell().controls(); }
    imaging::ui::FilterController &filters() { return app->filters(); }
    imaging::StillDocument &view() { return app->still().document(); }
    const Bitmap &picture() { return view().picture(); }
    QAbstractSlider *slider() { return controls().slider(C::ImaPro_ScrollBar); }
    bool down(C id) { return controls().isDown(id); }

    // A click as the user makes it: after the idle-time update, the mouse on a shown, enabled
    // button.
    void click(C id)
    {
        shell().UpdateActions();
        QAbstractButton *b = controls().button(id);
        ASSERT_TRUE(b->isEnabled() && b->isVisible()) << state::controlName(id);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    // The image-process button, entering or leaving the mode.
    void toggle() { click(C::ImageProcess_Btn); }
};

} // namespace

TEST(FilterToolBar, EachFilterStartsFromTheSourceSoGreyAfterComplementIsGreyOnce)
{
    Program p;
    ASSERT_EQ(p.picture(), p.original);
    p.toggle();
    ASSERT_TRUE(p.shell().state().flags().ImageProcessMode);
    ASSERT_TRUE(p.controls().toolBar(C::ToolBar_ImageProcess)->isVisible());
    EXPECT_EQ(p.controls().toolBar(C::ToolBar_ImageProcess)->pos(), QPoint(400, 364));
    EXPECT_FALSE(p.slider()->isEnabled());

    p.click(C::ImaPro_GrayLevel_Btn);
    const Bitmap greyOnce = p.picture();
    EXPECT_EQ(greyOnce, filtered(FilterKind::GreyLevel, 0, p.original));
    EXPECT_EQ(p.view().committedPicture(), greyOnce);
    EXPECT_TRUE(p.view().filterApplied());
    EXPECT_FALSE(p.slider()->isEnabled());

    p.click(C::ImaPro_Complement_Btn);
    EXPECT_FALSE(p.down(C::ImaPro_GrayLevel_Btn));
    EXPECT_TRUE(p.down(C::ImaPro_Complement_Btn));
    EXPECT_EQ(p.picture(), filtered(FilterKind::Complement, 0, p.original));
    EXPECT_TRUE(p.slider()->isEnabled());
    EXPECT_EQ(p.slider()->maximum(), 255);
    EXPECT_EQ(p.slider()->value(), 0);

    p.click(C::ImaPro_GrayLevel_Btn);
    EXPECT_EQ(p.picture(), greyOnce);
    EXPECT_EQ(p.filters().filterKind(), FilterKind::GreyLevel);
    EXPECT_EQ(p.filters().filterSource(), p.original);
}

TEST(FilterToolBar, TheSliderRerunsTheFilterFromTheSource)
{
    Program p;
    p.toggle();
    p.click(C::ImaPro_Binary_Btn);
    EXPECT_TRUE(p.slider()->isEnabled());
    EXPECT_EQ(p.slider()->value(), 127);
    EXPECT_EQ(p.picture(), filtered(FilterKind::Binary, 127, p.original));
    p.slider()->setValue(60);
    EXPECT_EQ(p.picture(), filtered(FilterKind::Binary, 60, p.original));
    p.slider()->setValue(200);
    EXPECT_EQ(p.picture(), filtered(FilterKind::Binary, 200, p.original));
    EXPECT_EQ(p.view().committedPicture(), p.picture());

    // Complement starts at 0 again, and moves from the source too.
    p.click(C::ImaPro_Complement_Btn);
    EXPECT_EQ(p.slider()->value(), 0);
    p.slider()->setValue(100);
    EXPECT_EQ(p.picture(), filtered(FilterKind::Complement, 100, p.original));
    EXPECT_EQ(p.picture().pixel(0, 0), platform::rgbColor(145, 135, 125));   // (10, 20, 30) at k = 100

    // The neighbourhood filters take no parameter.
    p.click(C::ImaPro_EdgeDetection_Btn);
    EXPECT_FALSE(p.slider()->isEnabled());
    EXPECT_EQ(p.picture(), filtered(FilterKind::EdgeDetection, 0, p.original));
    p.click(C::ImaPro_HightPassFilter_Btn);
    EXPECT_EQ(p.picture(), filtered(FilterKind::HighPass, 0, p.original));
    EXPECT_EQ(p.filters().filterSource(), p.original);
}

TEST(FilterToolBar, ReleasingTheButtonOrOriginalShowsTheSourceAndAsksNothingOnLeaving)
{
    Program p;
    p.toggle();
    p.click(C::ImaPro_EdgeDetection_Btn);
    p.click(C::ImaPro_EdgeDetection_Btn);   // up again
    EXPECT_EQ(p.picture(), p.original);
    EXPECT_EQ(p.view().committedPicture(), p.original);
    EXPECT_FALSE(p.view().filterApplied());
    EXPECT_EQ(p.filters().filterKind(), FilterKind::None);

    p.click(C::ImaPro_Complement_Btn);
    p.slider()->setValue(30);
    p.click(C::ImaPro_Original_Btn);
    EXPECT_EQ(p.picture(), p.original);
    EXPECT_EQ(p.view().committedPicture(), p.original);
    EXPECT_FALSE(p.slider()->isEnabled());
    for (C id : {C::ImaPro_Original_Btn, C::ImaPro_Complement_Btn, C::ImaPro_GrayLevel_Btn})
        EXPECT_FALSE(p.down(id));
    EXPECT_FALSE(p.view().hasUnsavedEdits());

    p.click(C::ImaPro_Exit_Btn);
    EXPECT_TRUE(p.presenter.texts.isEmpty());
    EXPECT_FALSE(p.shell().state().flags().ImageProcessMode);
    EXPECT_FALSE(p.controls().toolBar(C::ToolBar_ImageProcess)->isVisible());
    EXPECT_EQ(p.view().changeCount(), 1);
}

TEST(FilterToolBar, LeavingAfterAFilterAndAnsweringNoShowsTheUnfilteredPicture)
{
    Program p;
    p.toggle();
    p.click(C::ImaPro_Binary_Btn);
    ASSERT_NE(p.picture(), p.original);
    p.presenter.answers = {kResultCancel};
    p.toggle();
    EXPECT_EQ(p.presenter.texts, QStringList{p.shell().texts().text("WhetherModifyImage")});
    EXPECT_FALSE(p.shell().state().flags().ImageProcessMode);
    EXPECT_EQ(p.picture(), p.original);
    EXPECT_EQ(p.view().changeCount(), 1);
    EXPECT_FALSE(p.view().hasUnsavedEdits());
    EXPECT_FALSE(p.down(C::ImaPro_Binary_Btn));
    // The editor's committed copy was put back too: restoring from it (as the editor does when
    // it is left) must not bring the refused filter back.
    EXPECT_EQ(p.view().committedPicture(), p.original);
    p.filters().Imageprocess_CopyTemp();
    EXPECT_EQ(p.picture(), p.original);
    // Later filters still start from the unfiltered picture.
    p.toggle();
    p.click(C::ImaPro_GrayLevel_Btn);
    EXPECT_EQ(p.picture(), filtered(FilterKind::GreyLevel, 0, p.original));
}

TEST(FilterToolBar, AnsweringYesKeepsTheFilteredPictureAsAnUnsavedSourceForLaterFilters)
{
    Program p;
    p.toggle();
    p.click(C::ImaPro_Complement_Btn);
    p.slider()->setValue(100);
    const Bitmap kept = p.picture();
    p.presenter.answers = {kResultOk};
    p.toggle();
    EXPECT_EQ(p.presenter.texts, QStringList{p.shell().texts().text("WhetherModifyImage")});
    EXPECT_EQ(p.picture(), kept);
    EXPECT_EQ(p.view().changeCount(), 2);
    EXPECT_TRUE(p.view().hasUnsavedEdits());
    EXPECT_EQ(p.filters().filterSource(), kept);
    // Saving is offered now.
    p.shell().UpdateActions();
    EXPECT_TRUE(p.controls().mainButton(C::SaveImage_Btn)->isVisible());

    p.toggle();
    p.click(C::ImaPro_GrayLevel_Btn);
    EXPECT_EQ(p.picture(), filtered(FilterKind::GreyLevel, 0, kept));
    p.click(C::ImaPro_Original_Btn);
    EXPECT_EQ(p.picture(), kept);
    EXPECT_EQ(p.view().changeCount(), 2);
}

TEST(FilterToolBar, ANewPictureBecomesTheSourceAndReleasesTheButtons)
{
    Program p;
    p.toggle();
    p.click(C::ImaPro_HightPassFilter_Btn);
    const Bitmap snapshot(32, 16, platform::rgbColor(10, 20, 30));
    p.app->still().CaptureImageCom(snapshot);
    EXPECT_EQ(p.picture(), snapshot);
    EXPECT_EQ(p.filters().filterSource(), snapshot);
    EXPECT_FALSE(p.down(C::ImaPro_HightPassFilter_Btn));
    EXPECT_EQ(p.filters().filterKind(), FilterKind::None);
    p.click(C::ImaPro_Complement_Btn);
    EXPECT_EQ(p.picture().pixel(31, 15), platform::rgbColor(245, 235, 225));
}

TEST(FilterToolBar, EnteringLeavesTheEditorAndTheToolsAskNothingWithoutAPictureChange)
{
    Program p;
    p.app->editor().EditorImage_BtnClick();
    ASSERT_TRUE(p.shell().state().flags().EditMode);
    p.toggle();
    EXPECT_FALSE(p.shell().state().flags().EditMode);
    EXPECT_TRUE(p.shell().state().flags().ImageProcessMode);
    EXPECT_EQ(p.controls().mainButton(C::ImageProcess_Btn)->toolTip(), p.shell().texts().text("ImageProcessExit_Btn"));
    // The editor's entry leaves the filters, through the composition root.
    p.click(C::ImaPro_GrayLevel_Btn);
    p.presenter.answers = {kResultCancel};
    p.app->editor().EditorImage_BtnClick();
    EXPECT_FALSE(p.shell().state().flags().ImageProcessMode);
    EXPECT_EQ(p.picture(), p.original);
    EXPECT_FALSE(p.controls().toolBar(C::ToolBar_ImageProcess)->isVisible());
}

TEST(FilterToolBar, SavingAFilteredPictureMakesItTheSourceAndReleasesTheButtons)
{
    Program p;
    p.controls().action(C::AutoSave)->setChecked(true);   // stored without the save dialog
    p.toggle();
    p.click(C::ImaPro_GrayLevel_Btn);
    const Bitmap grey = p.picture();
    ASSERT_EQ(grey, filtered(FilterKind::GreyLevel, 0, p.original));
    p.click(C::SaveImage_Btn);
    const QString saved = p.view().filePath();
    ASSERT_TRUE(QFile::exists(saved)) << saved.toStdString();
    EXPECT_FALSE(p.view().hasUnsavedEdits());
    EXPECT_EQ(p.filters().filterSource(), grey);
    EXPECT_FALSE(p.down(C::ImaPro_GrayLevel_Btn));
    EXPECT_EQ(p.filters().filterKind(), FilterKind::None);
    // Original shows what was saved, and the next filter starts from it.
    p.click(C::ImaPro_Original_Btn);
    EXPECT_EQ(p.picture(), grey);
    p.click(C::ImaPro_Complement_Btn);
    EXPECT_EQ(p.picture(), filtered(FilterKind::Complement, 0, grey));
    p.click(C::ImaPro_Complement_Btn);   // up again
    EXPECT_EQ(p.picture(), grey);
    // Leaving asks nothing: what is shown is what was saved.
    p.toggle();
    EXPECT_TRUE(p.presenter.texts.isEmpty());
    EXPECT_EQ(p.picture(), grey);
    EXPECT_EQ(p.view().changeCount(), 1);
}

// The binary threshold (and the complement's offset) is read beside the slider, as the slider
// moves; a filter without a parameter shows nothing there.
TEST(FilterToolBar, TheSlidersValueIsShownBesideIt)
{
    Program p;
    p.toggle();
    QLabel *value = p.controls().label(C::ImaPro_Value_Lab);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->parentWidget(), p.controls().toolBar(C::ToolBar_ImageProcess));
    EXPECT_TRUE(value->text().isEmpty());
    p.click(C::ImaPro_Binary_Btn);
    EXPECT_TRUE(value->isVisible());
    EXPECT_EQ(value->text(), QStringLiteral("127"));
    // Dragged with the mouse to the right end: the largest threshold.
    QAbstractSlider *slider = p.slider();
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(slider->width() - 2, slider->height() / 2));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(slider->width() - 2, slider->height() / 2));
    EXPECT_GT(slider->value(), 127);
    EXPECT_EQ(value->text(), QString::number(slider->value()));
    p.slider()->setValue(200);
    EXPECT_EQ(value->text(), QStringLiteral("200"));
    EXPECT_EQ(p.picture(), filtered(FilterKind::Binary, 200, p.original));
    p.click(C::ImaPro_Complement_Btn);
    EXPECT_EQ(value->text(), QStringLiteral("0"));
    p.click(C::ImaPro_GrayLevel_Btn);
    EXPECT_TRUE(value->text().isEmpty());
    p.click(C::ImaPro_Binary_Btn);
    p.click(C::ImaPro_Binary_Btn);   // released: back to the source, no parameter
    EXPECT_TRUE(value->text().isEmpty());
}

// The binary threshold is a slider a hand can use: 120 pixels or more, a page of a tenth of 0..255.
TEST(FilterToolBar, TheThresholdIsALongSliderWithATenthPage)
{
    Program p;
    p.toggle();
    auto *slider = qobject_cast<QSlider *>(p.slider());
    ASSERT_NE(slider, nullptr) << "a scroll bar, not a slider";
    EXPECT_GE(slider->width(), 120);
    p.click(C::ImaPro_Binary_Btn);
    EXPECT_EQ(slider->maximum(), 255);
    EXPECT_EQ(slider->pageStep(), 25);
    slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(slider->value(), 152);
    EXPECT_EQ(p.controls().label(C::ImaPro_Value_Lab)->text(), QStringLiteral("152"));
}
