#include "folderfields.h"

#include "tools/timedschedule.h"
#include "tools/toolnaming.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

namespace tools::ui {

void showFolderMode(const FolderFields &f, int mode, const QString &defaultFolder, const QString &toolFolder,
                    const QDateTime &now, QString &assignedFolder)
{
    f.folderName->setReadOnly(mode != kFolderKeyIn);
    f.chooseButton->setEnabled(mode == kFolderAssign);
    switch (mode) {
    case kFolderAuto:
        f.folderName->setText(autoName(toolFolder, now));
        f.savePath->setText(defaultFolder + u'/' + f.folderName->text());
        break;
    case kFolderKeyIn:
        f.folderName->setText(toolFolder);
        f.savePath->setText(defaultFolder + u'/' + f.folderName->text());
        break;
    default: {
        QString fallback = defaultFolder + u'/' + toolFolder;
        if (!QDir().mkpath(fallback))
            fallback = defaultFolder;
        if (assignedFolder.isEmpty() || !QFileInfo(assignedFolder).isDir())
            assignedFolder = fallback;
        f.savePath->setText(assignedFolder);
        f.folderName->setText(QFileInfo(assignedFolder).fileName());
        break;
    }
    }
}

} // namespace tools::ui
