#pragma once

#include <QDateTime>
#include <QString>

class QLineEdit;
class QPushButton;

namespace tools::ui {

// The output-folder fields shared by the timed capture and video-to-images dialogs.
struct FolderFields {
    QLineEdit *folderName = nullptr;
    QLineEdit *savePath = nullptr;
    QPushButton *chooseButton = nullptr;
};

// Shows a folder mode: a name made from the time, a typed name (both below `defaultFolder`), or
// an assigned folder. An assigned folder that is gone falls back to the tool's own folder, made
// when missing, or to the default folder when even that cannot be made.
void showFolderMode(const FolderFields &fields, int mode, const QString &defaultFolder, const QString &toolFolder,
                    const QDateTime &now, QString &assignedFolder);

} // namespace tools::ui
