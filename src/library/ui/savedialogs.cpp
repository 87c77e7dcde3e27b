#include "savedialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QList>

#include <algorithm>

namespace library::ui {

namespace {

// Each filter with the extension a bare name gets under it.
struct FileType {
    QString filter;
    QString suffix;
};
const QList<FileType> kStillTypes{{QStringLiteral("Bitmaps (*.bmp)"), QStringLiteral("bmp")},
                                  {QStringLiteral("JPEG Image File (*.jpg)"), QStringLiteral("jpg")}};
const QList<FileType> kVideoTypes{{QStringLiteral("Audio Video Interleave  (*.avi)"), QStringLiteral("avi")}};

QString suffixOf(const QList<FileType> &types, const QString &filter)
{
    // Qt folds the double space of the video filter, so compare on the pattern, not the whole text.
    for (const FileType &t : types)
        if (filter.endsWith(QStringLiteral("(*.") + t.suffix + u')'))
            return t.suffix;
    return types.front().suffix;
}

std::unique_ptr<QFileDialog> makeDialog(QWidget *parent, const SaveDialogRequest &request, const QList<FileType> &types)
{
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);   // the folder must exist: the dialog only offers existing ones
    QStringList filters;
    for (const FileType &t : types)
        filters << t.filter;
    dialog->setNameFilters(filters);
    const int index = std::clamp(request.filterIndex, 1, int(types.size())) - 1;
    dialog->selectNameFilter(types[index].filter);
    // The proposed name has no extension, so the dialog's default suffix decides the file type the
    // saver writes; it must be the selected filter's, now and after every switch of the filter.
    dialog->setDefaultSuffix(types[index].suffix);
    QFileDialog *raw = dialog.get();
    QObject::connect(raw, &QFileDialog::filterSelected, raw, [raw, types](const QString &filter) {
        const QString previous = raw->defaultSuffix();
        raw->setDefaultSuffix(suffixOf(types, filter));
        // When the bare name plus the old suffix named an existing file, the dialog selected that
        // file in its list, and a selection outranks the typed name: it would still return (and
        // offer to overwrite) the file of the old type. Selecting the bare name again clears that.
        const QStringList chosen = raw->selectedFiles();
        const QFileInfo stale(chosen.isEmpty() ? QString() : chosen.first());
        if (previous != raw->defaultSuffix() && !stale.isDir() && stale.suffix() == previous)
            raw->selectFile(stale.completeBaseName());
    });
    dialog->setDirectory(request.startFolder);
    dialog->selectFile(request.proposedName);
    return dialog;
}

std::optional<QString> run(QFileDialog &dialog, const DialogRunner &runner)
{
    if (runner(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::fromNativeSeparators(dialog.selectedFiles().first());
}

} // namespace

int execDialog(QDialog &dialog) { return dialog.exec(); }

std::unique_ptr<QFileDialog> makeStillSaveDialog(QWidget *parent, const SaveDialogRequest &request)
{
    return makeDialog(parent, request, kStillTypes);
}

std::unique_ptr<QFileDialog> makeVideoSaveDialog(QWidget *parent, const SaveDialogRequest &request)
{
    return makeDialog(parent, request, kVideoTypes);
}

SaveDialog stillSaveDialog(QWidget *parent, std::function<void(int)> typeChanged, DialogRunner runner)
{
    return [parent, typeChanged = std::move(typeChanged), runner = std::move(runner)](const SaveDialogRequest &request) {
        std::unique_ptr<QFileDialog> dialog = makeStillSaveDialog(parent, request);
        if (typeChanged)
            QObject::connect(dialog.get(), &QFileDialog::filterSelected, dialog.get(),
                             [typeChanged](const QString &filter) { typeChanged(filter.contains(QLatin1String("*.jpg")) ? 2 : 1); });
        return run(*dialog, runner);
    };
}

SaveDialog videoSaveDialog(QWidget *parent, DialogRunner runner)
{
    return [parent, runner = std::move(runner)](const SaveDialogRequest &request) {
        std::unique_ptr<QFileDialog> dialog = makeVideoSaveDialog(parent, request);
        return run(*dialog, runner);
    };
}

} // namespace library::ui
