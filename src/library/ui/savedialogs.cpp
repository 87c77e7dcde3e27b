#include "savedialogs.h"

#include <QDir>
#include <QFileDialog>

namespace library::ui {

namespace {

const QStringList kStillFilters{QStringLiteral("Bitmaps (*.bmp)"), QStringLiteral("JPEG Image File (*.jpg)")};
const QStringList kVideoFilters{QStringLiteral("Audio Video Interleave  (*.avi)")};

std::unique_ptr<QFileDialog> makeDialog(QWidget *parent, const SaveDialogRequest &request, const QStringList &filters,
                                        const QString &suffix)
{
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);   // the folder must exist: the dialog only offers existing ones
    dialog->setNameFilters(filters);
    const int index = std::clamp(request.filterIndex, 1, int(filters.size())) - 1;
    dialog->selectNameFilter(filters[index]);
    dialog->setDefaultSuffix(suffix);
    dialog->setDirectory(request.startFolder);
    dialog->selectFile(request.proposedName);
    return dialog;
}

std::optional<QString> run(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::fromNativeSeparators(dialog.selectedFiles().first());
}

} // namespace

std::unique_ptr<QFileDialog> makeStillSaveDialog(QWidget *parent, const SaveDialogRequest &request)
{
    return makeDialog(parent, request, kStillFilters, QStringLiteral("bmp"));
}

std::unique_ptr<QFileDialog> makeVideoSaveDialog(QWidget *parent, const SaveDialogRequest &request)
{
    return makeDialog(parent, request, kVideoFilters, QStringLiteral("avi"));
}

SaveDialog stillSaveDialog(QWidget *parent, std::function<void(int)> typeChanged)
{
    return [parent, typeChanged = std::move(typeChanged)](const SaveDialogRequest &request) {
        std::unique_ptr<QFileDialog> dialog = makeStillSaveDialog(parent, request);
        if (typeChanged)
            QObject::connect(dialog.get(), &QFileDialog::filterSelected, dialog.get(),
                             [typeChanged](const QString &filter) { typeChanged(filter.contains(QLatin1String("*.jpg")) ? 2 : 1); });
        return run(*dialog);
    };
}

SaveDialog videoSaveDialog(QWidget *parent)
{
    return [parent](const SaveDialogRequest &request) {
        std::unique_ptr<QFileDialog> dialog = makeVideoSaveDialog(parent, request);
        return run(*dialog);
    };
}

} // namespace library::ui
