// The image viewer's size rule, its menu rule and printing the still picture to a PDF file.
#include "library/imageviewlayout.h"
#include "library/ui/imageviewform.h"
#include "library/ui/stillprinter.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

using namespace library;

namespace {

ImageViewGeometry screen1280(QSize picture)
{
    ImageViewGeometry g;
    g.picture = picture;
    g.workArea = QSize(1280, 994);
    g.frameWidth = 8;
    g.frameHeight = 50;   // title bar, borders and the menu
    g.toolBarHeight = 26;
    g.scrollBarExtent = 16;
    return g;
}

} // namespace

TEST(ImageViewSize, ASmallPictureGetsItsOwnSizeWithABorderAndNoScrollBars)
{
    const ImageViewSize s = imageViewSize(screen1280(QSize(640, 480)));
    EXPECT_EQ(s.boxWidth, 644);
    EXPECT_EQ(s.boxHeight, 484);
    EXPECT_FALSE(s.horizontalScroll);
    EXPECT_FALSE(s.verticalScroll);
}

TEST(ImageViewSize, APictureLargerThanTheScreenFillsTheWorkAreaWithScrollBars)
{
    const ImageViewGeometry g = screen1280(QSize(2592, 1944));
    const ImageViewSize s = imageViewSize(g);
    EXPECT_EQ(s.boxWidth, 1280 - 8);
    EXPECT_EQ(s.boxHeight, 994 - 50 - 26);
    EXPECT_TRUE(s.horizontalScroll);
    EXPECT_TRUE(s.verticalScroll);
    // Window = frame + box: exactly the work area.
    EXPECT_EQ(s.boxWidth + g.frameWidth, g.workArea.width());
    EXPECT_EQ(s.boxHeight + g.frameHeight + g.toolBarHeight, g.workArea.height());
}

TEST(ImageViewSize, OneSideTooLargeScrollsAndTheOtherMakesRoomForItsScrollBar)
{
    // Too wide only: the height grows by the horizontal bar.
    ImageViewSize s = imageViewSize(screen1280(QSize(3000, 300)));
    EXPECT_EQ(s.boxWidth, 1272);
    EXPECT_EQ(s.boxHeight, 300 + 4 + 16);
    EXPECT_TRUE(s.horizontalScroll);
    EXPECT_FALSE(s.verticalScroll);
    // Too tall only: the width grows by the vertical bar. A picture a little taller than the
    // room (not taller than the whole screen) needs that room as much as a very tall one.
    for (int h : {1000, 2000}) {
        s = imageViewSize(screen1280(QSize(400, h)));
        EXPECT_EQ(s.boxWidth, 400 + 4 + 16) << h;
        EXPECT_EQ(s.boxHeight, 918) << h;
        EXPECT_FALSE(s.horizontalScroll) << h;
        EXPECT_TRUE(s.verticalScroll) << h;
    }
    // Too tall, and so wide that the vertical bar's room no longer fits: both scroll, and the
    // window still stays within the work area.
    s = imageViewSize(screen1280(QSize(1262, 2000)));
    EXPECT_EQ(s.boxWidth, 1272);
    EXPECT_TRUE(s.horizontalScroll);
    EXPECT_TRUE(s.verticalScroll);
}

TEST(ImageViewMenu, ItemsFollowTheStillPictureAndTheFilterBar)
{
    ImageViewMenuState m = imageViewMenuState(true, false, false);
    EXPECT_FALSE(m.save || m.remove || m.print || m.imageProcess);
    m = imageViewMenuState(false, false, false);
    EXPECT_FALSE(m.save);
    EXPECT_TRUE(m.remove && m.print && m.imageProcess);
    m = imageViewMenuState(false, true, true);
    EXPECT_TRUE(m.save && m.remove && m.print);
    EXPECT_FALSE(m.imageProcess);   // the filters are on already
}

TEST(PrintTarget, APictureIsPrintedAtItsScreenSizeOnTheSameFactorForBothAxes)
{
    EXPECT_EQ(printTargetRect(600, QSize(640, 480)), QRect(0, 0, 4000, 3000));   // 6.67 x 5 inches
    EXPECT_EQ(printTargetRect(96, QSize(640, 480)), QRect(0, 0, 640, 480));
    EXPECT_EQ(printTargetRect(300, QSize(641, 3)), QRect(0, 0, 2003, 9));   // 2003.125 and 9.375 truncated
    EXPECT_EQ(printTargetRect(72, QSize(3, 5)), QRect(0, 0, 2, 3));
}

namespace {

// Left half red, right half blue.
platform::Bitmap halves(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(QRect(0, 0, size.width() / 2, size.height()), Qt::red);
    return platform::Bitmap(image);
}

struct PdfPrint {
    QTemporaryDir dir;
    QString pdf = dir.filePath(QStringLiteral("page.pdf"));

    void toPdf(QPrinter &printer) const
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setResolution(600);
    }

    // The top of the page (3100 dots, room for a 3000-dot picture) as printer dots at 600 dpi,
    // through poppler's renderer.
    QImage render() const
    {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (tool.isEmpty())
            return {};
        const QString out = dir.filePath(QStringLiteral("page"));
        QProcess p;
        p.start(tool, {QStringLiteral("-r"), QStringLiteral("600"), QStringLiteral("-H"), QStringLiteral("3100"),
                       QStringLiteral("-W"), QStringLiteral("9999"), QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf,
                       out});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return {};
        return QImage(out + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
    }
};

// The smallest rectangle holding every pixel that is not white.
QRect inkBounds(const QImage &page)
{
    QRect r;
    for (int y = 0; y < page.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(page.constScanLine(y));
        int first = -1, last = -1;
        for (int x = 0; x < page.width(); ++x)
            if (qRed(row[x]) < 200 || qGreen(row[x]) < 200 || qBlue(row[x]) < 200) {
                if (first < 0)
                    first = x;
                last = x;
            }
        if (first >= 0)
            r |= QRect(first, y, last - first + 1, 1);
    }
    return r;
}

bool reddish(QRgb c) { return qRed(c) > 200 && qBlue(c) < 60; }
bool bluish(QRgb c) { return qBlue(c) > 200 && qRed(c) < 60; }

} // namespace

TEST(StillPrinter, A640x480PictureCovers4000x3000DotsAtTheCornerOfA600DpiPage)
{
    PdfPrint out;
    ui::StillPrinter printer;
    int asked = 0;
    printer.askPrinter = [&](QPrinter &p) {
        ++asked;
        out.toPdf(p);
        return true;
    };
    ASSERT_TRUE(printer.PrintStillImage(halves(QSize(640, 480))));
    EXPECT_EQ(asked, 1);
    ASSERT_TRUE(QFile::exists(out.pdf));
    // The drawn rectangle, as the painter was told.
    QPrinter again(QPrinter::HighResolution);
    out.toPdf(again);
    EXPECT_EQ(ui::StillPrinter::printPicture(again, halves(QSize(640, 480))), QRect(0, 0, 4000, 3000));

    const QImage page = out.render();
    if (page.isNull())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed: the page was not looked at";
    EXPECT_NEAR(page.width(), 4961, 3);   // A4 (595 points) at 600 dpi
    const QRect ink = inkBounds(page);
    EXPECT_LE(std::abs(ink.left()), 1);
    EXPECT_LE(std::abs(ink.top()), 1);
    EXPECT_LE(std::abs(ink.width() - 4000), 2) << ink.width();
    EXPECT_LE(std::abs(ink.height() - 3000), 2) << ink.height();
    // The colour edge at picture column 320 lands on dot 2000.
    EXPECT_TRUE(reddish(page.pixel(1990, 1500)));
    EXPECT_TRUE(bluish(page.pixel(2010, 1500)));
}

TEST(StillPrinter, ACancelledDialogOrAnEmptyPicturePrintsNothing)
{
    PdfPrint out;
    ui::StillPrinter printer;
    int asked = 0;
    printer.askPrinter = [&](QPrinter &p) {
        ++asked;
        out.toPdf(p);
        return false;
    };
    EXPECT_FALSE(printer.PrintStillImage(halves(QSize(64, 48))));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(QFile::exists(out.pdf));
    EXPECT_FALSE(printer.PrintStillImage(platform::Bitmap()));
    EXPECT_EQ(asked, 1);   // nothing to print: no dialog
    bool setUp = false;
    printer.askSetup = [&](QPrinter &) { setUp = true; };
    printer.PrintSetClick();
    EXPECT_TRUE(setUp);
    EXPECT_FALSE(QFile::exists(out.pdf));
}

TEST(StillPrinter, APictureWiderThanThePageIsCutAtTheRightEdgeNotScaled)
{
    PdfPrint out;
    ui::StillPrinter printer;
    printer.askPrinter = [&](QPrinter &p) {
        out.toPdf(p);
        return true;
    };
    // 1000 pixels at 6.25 dots each: 6250 dots on a page 4961 dots wide.
    ASSERT_TRUE(printer.PrintStillImage(halves(QSize(1000, 100))));
    const QImage page = out.render();
    if (page.isNull())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed: the page was not looked at";
    const QRect ink = inkBounds(page);
    EXPECT_LE(ink.left(), 1);
    EXPECT_EQ(ink.right(), page.width() - 1);   // runs off the right edge
    EXPECT_LE(std::abs(ink.height() - 625), 2) << ink.height();   // the height keeps the same factor
    // Not squeezed onto the page: the edge between the halves stays at 500 x 6.25 dots.
    EXPECT_TRUE(reddish(page.pixel(3115, 300)));
    EXPECT_TRUE(bluish(page.pixel(3135, 300)));
    EXPECT_TRUE(bluish(page.pixel(page.width() - 2, 300)));
}

TEST(ImageViewForm, ShowsThePictureAtItsOwnSizeAndTakesTheMainWindowsTexts)
{
    ui::TImageViewForm form;
    const std::map<QString, QString> texts{{"ImageViewer_Tool->Caption", "Image Viewer"},
                                           {"OpenFile->Caption", "Open File..."},
                                           {"SaveFile->Caption", "Save File..."},
                                           {"DelViewVideo_Btn", "Delete Image"},
                                           {"ImageProcess_Btn", "Image Processing"},
                                           {"PrintImage->Caption", "Print..."},
                                           {"Exit->Caption", "Exit"}};
    form.applyTexts([&](const QString &key) { return texts.at(key); });
    EXPECT_EQ(form.windowTitle(), "Image Viewer");
    using Item = ui::TImageViewForm::Item;
    const std::pair<Item, const char *> captions[] = {{Item::Open_Image, "Open File..."},
                                                      {Item::Save_Image, "Save File..."},
                                                      {Item::Delete_Image, "Delete Image"},
                                                      {Item::Image_Process, "Image Processing"},
                                                      {Item::Print_Image, "Print..."},
                                                      {Item::Exit_Image, "Exit"}};
    for (const auto &[item, caption] : captions)
        EXPECT_EQ(form.item(item)->text(), caption);
    EXPECT_EQ(form.menuBar()->objectName(), "MainMenu1");
    EXPECT_EQ(form.coolBar()->objectName(), "CoolBar1");
    EXPECT_EQ(form.scrollBox()->objectName(), "ScrollBox1");

    form.setPicture(halves(QSize(300, 200)));
    EXPECT_EQ(form.imageViewMap()->size(), QSize(300, 200));
    EXPECT_EQ(form.imageViewMap()->pixmap().size(), QSize(300, 200));
    form.sizeToPicture(QMargins(), true);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.width(), 304);
    EXPECT_EQ(form.scrollBox()->height(), 204);
    EXPECT_EQ(form.pos(), QPoint(0, 0));
    form.setPicture(platform::Bitmap());
    EXPECT_FALSE(form.hasPicture());
    EXPECT_TRUE(form.imageViewMap()->pixmap().isNull());
}
