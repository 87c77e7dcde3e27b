#pragma once

#include "feature/ui/userdialogs.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QList>
#include <QUrl>

#include <functional>
#include <optional>

namespace fakes {

// The user answering the program's dialogs, without a modal loop: a file dialog gets the path
// `file` chooses (nullopt: Cancel), a colour dialog the colour `colour` chooses from the one
// offered (invalid: Cancel), any other dialog what `other` does with it and answers. A dialog
// nobody scripted is cancelled. Folders opened on the desktop are remembered.
struct ScriptedDialogs final : feature::ui::UserDialogs {
    std::function<std::optional<QString>(QFileDialog &)> file;
    std::function<QColor(const QColor &offered)> colour;
    std::function<int(QDialog &)> other;
    QList<QUrl> opened;
    bool openSucceeds = true;
    int shown = 0;

    int runDialog(QDialog &dialog) override
    {
        ++shown;
        if (auto *f = qobject_cast<QFileDialog *>(&dialog)) {
            const std::optional<QString> chosen = file ? file(*f) : std::nullopt;
            if (!chosen)
                return QDialog::Rejected;
            f->selectFile(*chosen);
            return QDialog::Accepted;
        }
        if (auto *c = qobject_cast<QColorDialog *>(&dialog)) {
            const QColor chosen = colour ? colour(c->currentColor()) : QColor();
            if (!chosen.isValid())
                return QDialog::Rejected;
            c->setCurrentColor(chosen);
            return QDialog::Accepted;
        }
        return other ? other(dialog) : QDialog::Rejected;
    }
    bool openUrl(const QUrl &url) override
    {
        opened << url;
        return openSucceeds;
    }
};

} // namespace fakes
