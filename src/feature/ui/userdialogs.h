#pragma once

#include <QColor>
#include <QString>

#include <optional>

class QDialog;
class QFileDialog;
class QUrl;
class QWidget;

namespace feature::ui {

// The modal dialogs a feature opens (file, colour, format, settings, the tools) and the desktop's
// file manager. Features build and fill their dialogs and read the answer from the dialog after
// Accepted; only running it goes through here, so tests answer a dialog as the user would
// (choose a file, a colour, an entry, then OK) without a modal loop. UI thread.
class UserDialogs
{
public:
    // Runs `dialog` modally; QDialog::Accepted or QDialog::Rejected.
    virtual int runDialog(QDialog &dialog) = 0;
    // Opens a folder or file with the desktop's program for it; false when none could.
    virtual bool openUrl(const QUrl &url) = 0;

protected:
    ~UserDialogs() = default;
};

// The colour dialog over `parent`, opened at `initial`: the colour chosen, or an invalid colour
// when cancelled.
QColor askColour(UserDialogs &dialogs, QWidget *parent, const QColor &initial);
// Runs a file dialog: the first file chosen (with "/" separators), or none when cancelled.
std::optional<QString> askFile(UserDialogs &dialogs, QFileDialog &dialog);

} // namespace feature::ui
