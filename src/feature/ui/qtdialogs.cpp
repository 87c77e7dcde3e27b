#include "qtdialogs.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QUrl>

namespace feature::ui {

int QtDialogs::runDialog(QDialog &dialog) { return dialog.exec(); }

bool QtDialogs::openUrl(const QUrl &url) { return QDesktopServices::openUrl(url); }

QColor askColour(UserDialogs &dialogs, QWidget *parent, const QColor &initial)
{
    QColorDialog dialog(initial, parent);
    // The colour shown when OK was pressed is the one chosen.
    if (dialogs.runDialog(dialog) != QDialog::Accepted)
        return QColor();
    return dialog.currentColor();
}

std::optional<QString> askFile(UserDialogs &dialogs, QFileDialog &dialog)
{
    if (dialogs.runDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::fromNativeSeparators(dialog.selectedFiles().constFirst());
}

} // namespace feature::ui
