// The image viewer window and printing in the whole program on the virtual camera.
#include "camera/ui/cameracontroller.h"
#include "app/ui/layoutcontroller.h"
#include "imaging/ui/stillimagecontroller.h"
#include "library/ui/viewercontroller.h"

#include "wholeprogram.h"

#include "imaging/stilldocument.h"
#include "library/ui/imageviewform.h"
#include "library/ui/stillprinter.h"
#include "platform/picturecodec.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

using namespace app::ui;
using library::ui::ViewerController;
using C = state::ControlId;
using Item = library::ui::TImageViewForm::Item;
using wholeprogram::Program;

namespace {

QImage shownImage(const library::ui::TImageViewForm &form)
{
    return form.imageViewMap()->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}

// Every print goes to a PDF file at 600 dpi instead of a printer; returns the file.
QString printToPdf(ViewerController &viewer, const QTemporaryDir &dir, int *asked)
{
    const QString pdf = dir.filePath(QStringLiteral("print.pdf"));
    viewer.printer().askPrinter = [pdf, asked](QPrinter &p) {
        ++*asked;
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        p.setResolution(600);
        return true;
    };
    return pdf;
}

platform::Bitmap gradient(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, 128));
    return platform::Bitmap(image);
}

} // namespace

TEST(Viewer, ASnapshotInThe800x600PresetOpensTheViewerWithTheFullResolutionPicture)
{
    Program p;
    Shell &w = p.shell();
    p.app->layout().screenSizeOverride = QSize(1920, 1300);
    p.app->layout().updatePresetAvailability();
    camera::TVideoCameraDS &cam = p.app->camera().camera();
    cam.SetPreviewDefalutState(1, true);   // MJPG 1600 x 1200
    ASSERT_TRUE(p.connect());
    ASSERT_EQ(cam.videoSize(), QSize(1600, 1200));
    w.controls().action(C::N800_600_Screen)->trigger();
    ASSERT_EQ(w.state().flags().SizePreset, state::kPreset800x600);
    ViewerController &viewer = p.app->viewer();
    library::ui::TImageViewForm &form = viewer.form();
    ASSERT_FALSE(form.isVisible());
    ASSERT_FALSE(w.state().flags().ViewerOpen);

    w.UpdateActions();
    ASSERT_TRUE(w.controls().mainButton(C::CaptureImage_Btn)->isVisible());
    w.controls().mainButton(C::CaptureImage_Btn)->click();
    const imaging::StillDocument &still = p.app->still().document();
    ASSERT_EQ(still.picture().size(), QSize(1600, 1200));
    ASSERT_TRUE(form.isVisible());
    EXPECT_TRUE(w.state().flags().ViewerOpen);
    EXPECT_FALSE(p.enabled(C::ImageViewer_Tool));
    EXPECT_EQ(form.windowTitle(), w.texts().text(QStringLiteral("ImageViewer_Tool->Caption")));
    EXPECT_EQ(form.windowTitle(), "Image Viewer");
    EXPECT_EQ(form.item(Item::Delete_Image)->text(), "Delete Image");
    // The picture at its full resolution, handed over through Temp.bmp.
    EXPECT_EQ(form.pictureSize(), QSize(1600, 1200));
    EXPECT_EQ(shownImage(form), still.picture().image());
    const platform::DecodedPicture handed = platform::readPictureFile(w.paths().tempBmp);
    ASSERT_TRUE(handed.ok());
    EXPECT_EQ(handed.bitmap.image(), still.picture().image());
    // Larger than the screen: the window fills the work area from its corner and scrolls.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_LT(area.width(), 1600);
    EXPECT_EQ(form.frameGeometry(), area);
    EXPECT_TRUE(form.scrollBox()->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(form.scrollBox()->verticalScrollBar()->isVisible());

    // The menu follows the still picture; a fresh snapshot is an unsaved picture.
    w.UpdateActions();
    for (Item item : {Item::Save_Image, Item::Delete_Image, Item::Print_Image, Item::Image_Process})
        EXPECT_TRUE(form.item(item)->isEnabled()) << int(item);
    EXPECT_FALSE(p.enabled(C::PrintImage));   // the main window prints only in "Normal"

    // The viewer's print item prints the still picture at 6.25 dots per pixel.
    QTemporaryDir dir;
    int asked = 0;
    const QString pdf = printToPdf(viewer, dir, &asked);
    form.item(Item::Print_Image)->trigger();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(QFile::exists(pdf));

    // A second snapshot refreshes the open viewer.
    const QImage first = shownImage(form);
    ASSERT_TRUE(QTest::qWaitFor([&] { return cam.latestFrame().image.convertToFormat(QImage::Format_RGB32) != first; }, 5000));
    w.controls().mainButton(C::CaptureImage_Btn)->click();
    EXPECT_EQ(shownImage(form), still.picture().image());

    // Closing asks the unsaved-image question; OK saves the picture.
    w.controls().action(C::AutoSave)->setChecked(true);
    p.presenter.texts.clear();
    form.item(Item::Exit_Image)->trigger();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(w.state().flags().ViewerOpen);
    ASSERT_EQ(p.presenter.texts.size(), 1);
    EXPECT_EQ(p.presenter.texts[0], w.texts().text(QStringLiteral("WhetherSaveImage_MsgBox")));
    EXPECT_TRUE(QFile::exists(still.filePath())) << still.filePath().toStdString();
    EXPECT_FALSE(still.hasUnsavedEdits());
    EXPECT_TRUE(p.enabled(C::ImageViewer_Tool));
}

TEST(Viewer, OpensOnlyWithAStillPictureFollowsItAndDeletingEmptiesBoth)
{
    Program p;
    Shell &w = p.shell();
    ViewerController &viewer = p.app->viewer();
    library::ui::TImageViewForm &form = viewer.form();
    imaging::StillDocument &still = p.app->still().document();
    const QString handOver = w.paths().tempBmp;

    // Nothing to show: the tool opens nothing and writes nothing.
    ASSERT_TRUE(still.isEmpty());
    ASSERT_TRUE(p.enabled(C::ImageViewer_Tool));
    w.controls().action(C::ImageViewer_Tool)->trigger();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(w.state().flags().ViewerOpen);
    EXPECT_FALSE(QFile::exists(handOver));

    // A small picture from the library: the window wraps it.
    const QString file = w.state().curListPath()[state::kListBmp] + QStringLiteral("/Bmp_20141111_00001.bmp");
    ASSERT_TRUE(platform::writeBmpFile(file, gradient(QSize(320, 240))).ok());
    p.app->still().openPicture(file);
    ASSERT_FALSE(still.isEmpty());
    w.controls().action(C::ImageViewer_Tool)->trigger();
    ASSERT_TRUE(form.isVisible());
    EXPECT_TRUE(w.state().flags().ViewerOpen);
    EXPECT_TRUE(QFile::exists(handOver));
    EXPECT_EQ(form.pictureSize(), QSize(320, 240));
    EXPECT_EQ(form.width(), 324);
    EXPECT_EQ(form.scrollBox()->size(), QSize(324, 244));
    EXPECT_EQ(form.pos(), QGuiApplication::primaryScreen()->availableGeometry().topLeft());
    EXPECT_FALSE(form.scrollBox()->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(form.scrollBox()->verticalScrollBar()->isVisible());

    // Pixels changed by the editor or a filter reach the viewer.
    platform::Bitmap grey = gradient(QSize(320, 240));
    grey.image().fill(Qt::gray);
    still.commit(grey);   // as the editor commits a stroke
    EXPECT_EQ(shownImage(form), grey.image());

    // Save_Image is the save button: the edited picture goes to the library.
    still.markUnsaved();
    w.controls().action(C::AutoSave)->setChecked(true);
    w.UpdateActions();
    ASSERT_TRUE(form.item(Item::Save_Image)->isEnabled());
    form.item(Item::Save_Image)->trigger();
    const QString saved = still.filePath();
    EXPECT_NE(saved, file);
    EXPECT_TRUE(QFile::exists(saved)) << saved.toStdString();
    EXPECT_FALSE(still.hasUnsavedEdits());
    w.UpdateActions();
    EXPECT_FALSE(form.item(Item::Save_Image)->isEnabled());

    // The filters go into the viewer's cool bar and come home when the main window is active.
    QToolBar *filters = w.controls().toolBar(C::ToolBar_ImageProcess);
    form.item(Item::Image_Process)->trigger();
    EXPECT_TRUE(w.state().flags().ImageProcessMode);
    EXPECT_EQ(filters->parentWidget(), form.coolBar());
    EXPECT_EQ(filters->pos(), QPoint(0, 0));
    EXPECT_FALSE(filters->isHidden());
    w.UpdateActions();
    EXPECT_FALSE(form.item(Item::Image_Process)->isEnabled());
    Q_EMIT w.window().activated();
    EXPECT_EQ(filters->window(), &w.window());
    EXPECT_EQ(filters->pos(), QPoint(400, 364));
    EXPECT_FALSE(filters->isHidden());
    Q_EMIT form.activated();
    EXPECT_EQ(filters->parentWidget(), form.coolBar());

    // Printing from the main window in "Normal": Ctrl+P's item and the printer button.
    QTemporaryDir dir;
    int asked = 0;
    const QString pdf = printToPdf(viewer, dir, &asked);
    ASSERT_TRUE(p.enabled(C::PrintImage));
    ASSERT_EQ(w.controls().action(C::PrintImage)->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    w.controls().action(C::PrintImage)->trigger();
    EXPECT_EQ(asked, 1);
    ASSERT_TRUE(w.controls().mainButton(C::PrinterImage_Btn)->isVisible());
    w.controls().mainButton(C::PrinterImage_Btn)->click();
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(QFile::exists(pdf));
    // The set-up dialog changes nothing but the printer.
    bool setUp = false;
    viewer.printer().askSetup = [&](QPrinter &) { setUp = true; };
    w.controls().action(C::PrintSet)->trigger();
    EXPECT_TRUE(setUp);
    EXPECT_EQ(still.picture().image(), grey.image());

    // Deleting from the viewer (asked, answered OK) empties the still area and the viewer; the
    // filter mode ends with the picture.
    form.item(Item::Delete_Image)->trigger();
    EXPECT_FALSE(QFile::exists(saved));
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_TRUE(still.isEmpty());
    EXPECT_FALSE(form.hasPicture());
    EXPECT_TRUE(form.imageViewMap()->pixmap().isNull());
    EXPECT_FALSE(w.state().flags().ImageProcessMode);
    w.UpdateActions();
    for (Item item : {Item::Save_Image, Item::Delete_Image, Item::Print_Image, Item::Image_Process})
        EXPECT_FALSE(form.item(item)->isEnabled()) << int(item);

    // Closed with the filter bar inside, the viewer gives it back.
    form.close();
    EXPECT_FALSE(w.state().flags().ViewerOpen);
    EXPECT_EQ(filters->window(), &w.window());
    EXPECT_TRUE(filters->isHidden());
}

TEST(Viewer, TheHandOverFileOfAnEarlierRunIsRemovedAtStart)
{
    fakes::TemporaryProfile profile;
    const state::UserPaths paths = state::UserPaths::fromProfileDir(profile.path());
    QDir().mkpath(paths.userDataDir);
    ASSERT_TRUE(platform::writeBmpFile(paths.tempBmp, gradient(QSize(8, 8))).ok());
    {
        fakes::FakeClock clock;
        platform::DiagnosticsLog log;
        wholeprogram::AnswerOk presenter;
        qputenv("SENDRA_CAM_VIRTUAL_CAMERA", "1");
        ::app::SystemServices system(QStringLiteral(SENDRA_PROGRAM_DIR), log);
        SendraApplication app(QStringLiteral(SENDRA_PROGRAM_DIR), log, clock, system.services(), &presenter);
        qunsetenv("SENDRA_CAM_VIRTUAL_CAMERA");
        EXPECT_FALSE(QFile::exists(paths.tempBmp));
        // With a stale hand-over and nothing to show, nothing is opened either.
        ASSERT_TRUE(platform::writeBmpFile(paths.tempBmp, gradient(QSize(8, 8))).ok());
        app.viewer().ShowStillImage();
        EXPECT_FALSE(app.viewer().form().isVisible());
        EXPECT_FALSE(QFile::exists(paths.tempBmp));
        app.still().document().load(gradient(QSize(16, 8)), QString());
        app.viewer().ShowStillImage();
        EXPECT_TRUE(QFile::exists(paths.tempBmp));
    }
    EXPECT_FALSE(QFile::exists(paths.tempBmp));
}

// Showing the still image puts the viewer at the screen's top left corner; a new still arriving
// in an open viewer keeps it where the user moved it. Closing it removes the hand-over file.
TEST(Viewer, StaysWhereTheUserPutItForANewStillAndTakesTheHandOverAlongWhenClosed)
{
    Program p;
    Shell &w = p.shell();
    library::ui::TImageViewForm &form = p.app->viewer().form();
    imaging::StillDocument &still = p.app->still().document();
    const QPoint corner = QGuiApplication::primaryScreen()->availableGeometry().topLeft();

    still.load(gradient(QSize(320, 240)), QString());
    w.UpdateActions();
    w.controls().action(C::ImageViewer_Tool)->trigger();
    ASSERT_TRUE(form.isVisible());
    EXPECT_EQ(form.pos(), corner);
    ASSERT_TRUE(QFile::exists(w.paths().tempBmp));

    // The user moves the window; a picture of another size arrives (a file opened in the main
    // window): the window takes the new size where it stands.
    form.move(corner + QPoint(300, 200));
    ASSERT_EQ(form.pos(), corner + QPoint(300, 200));
    still.load(gradient(QSize(200, 100)), QString());
    EXPECT_EQ(form.pictureSize(), QSize(200, 100));
    EXPECT_EQ(form.scrollBox()->size(), QSize(204, 104));
    EXPECT_EQ(form.pos(), corner + QPoint(300, 200));
    // An edit that turns the picture, the same.
    still.commit(gradient(QSize(100, 200)));
    EXPECT_EQ(form.pictureSize(), QSize(100, 200));
    EXPECT_EQ(form.pos(), corner + QPoint(300, 200));
    // Shown again through the tool menu, as the snapshot of a single-window preset shows it: the
    // corner again.
    w.controls().action(C::ImageViewer_Tool)->trigger();
    EXPECT_EQ(form.pos(), corner);

    form.item(Item::Exit_Image)->trigger();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(QFile::exists(w.paths().tempBmp));
}

// "Printer Setup" is the print dialog used to choose the printer, titled with the item's caption,
// its button keeping the choice rather than printing; nothing is printed and the picture stays.
TEST(Viewer, PrinterSetupChoosesThePrinterInThePrintDialog)
{
    Program p;
    Shell &w = p.shell();
    p.app->still().document().load(gradient(QSize(64, 48)), QString());
    QString title, accept;
    bool printDialog = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        poll.stop();
        printDialog = qobject_cast<QPrintDialog *>(modal) != nullptr;
        title = modal->windowTitle();
        for (QDialogButtonBox *box : modal->findChildren<QDialogButtonBox *>())
            if (QPushButton *ok = box->button(QDialogButtonBox::Ok))
                accept = ok->text();
        qobject_cast<QDialog *>(modal)->reject();
    });
    poll.start(10);
    w.controls().action(C::PrintSet)->trigger();
    EXPECT_TRUE(printDialog);
    EXPECT_EQ(title, QStringLiteral("Printer Setup"));   // the item's caption, "Printer Setup...", without its dots
    EXPECT_EQ(accept, w.texts().text(QStringLiteral("OKBtn_Dlg")));
    EXPECT_EQ(p.app->still().document().picture().size(), QSize(64, 48));
}
