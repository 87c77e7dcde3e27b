#include "stillprinter.h"

#include "library/imageviewlayout.h"

#include <QDialogButtonBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace library::ui {

StillPrinter::StillPrinter(QWidget *dialogParent) : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    askPrinter = [dialogParent](QPrinter &printer) {
        printer.setPrintRange(QPrinter::Selection);
        QPrintDialog dialog(&printer, dialogParent);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, true);
        return dialog.exec() == QDialog::Accepted;
    };
    askSetup = [this, dialogParent](QPrinter &printer) {
        // The printer set-up: the print dialog choosing the printer and its options, with nothing
        // of a print run (range, copies, file) to choose and nothing printed on OK.
        QPrintDialog dialog(&printer, dialogParent);
        dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize);
        if (!setupTitle_.isEmpty())
            dialog.setWindowTitle(setupTitle_);
        if (!setupAccept_.isEmpty())
            for (QDialogButtonBox *box : dialog.findChildren<QDialogButtonBox *>())
                if (QPushButton *ok = box->button(QDialogButtonBox::Ok))
                    ok->setText(setupAccept_);
        dialog.exec();
    };
}

StillPrinter::~StillPrinter() = default;

bool StillPrinter::PrintStillImage(const platform::Bitmap &picture)
{
    if (picture.isNull() || !askPrinter(*printer_))
        return false;
    return !printPicture(*printer_, picture).isEmpty();
}

void StillPrinter::PrintSetClick() { askSetup(*printer_); }

void StillPrinter::setSetupTexts(const QString &title, const QString &accept)
{
    setupTitle_ = title;
    setupAccept_ = accept;
}

QRect StillPrinter::printPicture(QPrinter &printer, const platform::Bitmap &picture)
{
    if (picture.isNull())
        return {};
    // The page's corner is the corner of what the printer can reach: the paper's corner moved in
    // by the printer's own unprintable margins, never by margins chosen in a page set-up.
    printer.setFullPage(true);
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Point);
    const QMarginsF hardware = layout.minimumMargins();
    const double dotsPerPoint = printer.resolution() / 72.0;
    const QPoint corner(int(hardware.left() * dotsPerPoint), int(hardware.top() * dotsPerPoint));
    const QRect target = printTargetRect(printer.logicalDpiX(), picture.image().size());
    QPainter painter;
    if (!painter.begin(&printer))
        return {};
    painter.drawImage(target.translated(corner), picture.image(), picture.image().rect());
    painter.end();
    return target.translated(corner);
}

} // namespace library::ui
