#pragma once

#include "platform/bitmap.h"

#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace library::ui {

// Printing the still picture at its physical screen size (a picture pixel is 1/96 inch), at the
// page's top left corner, and the printer set-up dialog: the print dialog used to choose the
// printer and its options, without printing. One printer for the program's life, so the set-up
// dialog's choices reach the next print. UI thread.
class StillPrinter
{
public:
    explicit StillPrinter(QWidget *dialogParent = nullptr);
    ~StillPrinter();

    // Asks for the printer and its options (print range preset to "selection"); false when
    // cancelled. Tests replace it.
    std::function<bool(QPrinter &)> askPrinter;
    // The printer set-up dialog; its answer is not used. Tests replace it.
    std::function<void(QPrinter &)> askSetup;
    // The set-up dialog's title and the text of its button that keeps the choice (the print
    // dialog's own button would say "Print").
    void setSetupTexts(const QString &title, const QString &accept);

    // The print dialog, then one page with the picture. True when a page was printed; nothing
    // is printed for an empty picture or a cancelled dialog.
    bool PrintStillImage(const platform::Bitmap &picture);
    void PrintSetClick();

    // Draws the picture on `printer`'s page without asking; the target rectangle drawn, in
    // printer dots from the page's corner. Empty when nothing could be drawn.
    static QRect printPicture(QPrinter &printer, const platform::Bitmap &picture);

    QPrinter &printer() { return *printer_; }

private:
    std::unique_ptr<QPrinter> printer_;
    QString setupTitle_;
    QString setupAccept_;
};

} // namespace library::ui
