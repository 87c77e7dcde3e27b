#include "stilldocument.h"

#include "platform/diagnosticslog.h"

#include <exception>

namespace imaging {

StillDocument::StillDocument(platform::DiagnosticsLog *log, QObject *parent) : QObject(parent), log_(log) {}

StillDocument::~StillDocument() = default;

void StillDocument::show(platform::Bitmap picture)
{
    picture_ = std::move(picture);
    committed_ = picture_;
    previewShown_ = false;
}

void StillDocument::record()
{
    try {
        history_.record(picture_);
    } catch (const std::exception &) {
        if (log_)
            log_->append(QStringLiteral("Execption Error at UndoRedoRecrod"));
    }
}

void StillDocument::restartHistory()
{
    try {
        history_.releaseSlots();
    } catch (const std::exception &) {
        if (log_)
            log_->exceptionAt(QStringLiteral("DeleteImageMemory"));
    }
    history_.reset();
    if (editing_ && !isEmpty())
        record();
}

void StillDocument::startAfresh(const QString &filePath, Change change)
{
    filePath_ = filePath;
    filterSource_ = picture_;
    filterApplied_ = false;
    setChangeCount(1);
    restartHistory();
    announce(change);
}

void StillDocument::load(platform::Bitmap picture, const QString &filePath)
{
    show(std::move(picture));
    startAfresh(filePath, Change::Loaded);
}

void StillDocument::clear() { load(platform::Bitmap(), QString()); }

void StillDocument::markUnsaved()
{
    setChangeCount(2);
    announce(Change::Marked);
}

void StillDocument::forgetFile()
{
    filePath_.clear();
    announce(Change::Marked);
}

void StillDocument::beginEditing()
{
    committed_ = picture_;
    previewShown_ = false;
    editing_ = true;
    restartHistory();
    announce(Change::Marked);
}

void StillDocument::endEditing()
{
    const bool erased = previewShown_;
    if (previewShown_ && !isEmpty())
        picture_ = committed_;
    previewShown_ = false;
    editing_ = false;
    restartHistory();
    filterSource_ = picture_;
    announce(erased ? Change::Previewed : Change::Marked);
}

void StillDocument::preview(platform::Bitmap live)
{
    picture_ = std::move(live);
    previewShown_ = true;
    announce(Change::Previewed);
}

bool StillDocument::erasePreview()
{
    if (!previewShown_)
        return false;
    previewShown_ = false;
    if (!committed_.isNull())
        picture_ = committed_;
    announce(Change::Previewed);
    return true;
}

void StillDocument::commit(platform::Bitmap picture)
{
    show(std::move(picture));
    announce(Change::Edited);
}

void StillDocument::edit(platform::Bitmap picture)
{
    show(std::move(picture));
    record();
    setChangeCount(changeCount_ + 1);
    announce(Change::Edited);
}

bool StillDocument::undo()
{
    std::optional<platform::Bitmap> back = editing_ ? history_.undo() : std::nullopt;
    if (!back)
        return false;
    show(std::move(*back));
    setChangeCount(changeCount_ - 1);
    announce(Change::Edited);
    return true;
}

bool StillDocument::redo()
{
    std::optional<platform::Bitmap> forward = editing_ ? history_.redo() : std::nullopt;
    if (!forward)
        return false;
    show(std::move(*forward));
    setChangeCount(changeCount_ + 1);
    announce(Change::Edited);
    return true;
}

void StillDocument::replace(platform::Bitmap picture)
{
    show(std::move(picture));
    history_.releaseSlots();
    history_.reset();
    record();
    setChangeCount(changeCount_ + 1);
    announce(Change::Replaced);
}

void StillDocument::rebaseFilters()
{
    const bool erased = previewShown_ && !committed_.isNull();
    if (erased)
        picture_ = committed_;
    previewShown_ = false;
    filterSource_ = picture_;
    announce(erased ? Change::Previewed : Change::Marked);
}

void StillDocument::filter(platform::Bitmap result)
{
    show(std::move(result));
    filterApplied_ = true;
    announce(Change::Filtered);
}

void StillDocument::unfilter()
{
    if (!filterSource_.isNull())
        show(filterSource_);
    filterApplied_ = false;
    announce(Change::Filtered);
}

void StillDocument::keepFilter()
{
    filterSource_ = picture_;
    filterApplied_ = false;
    setChangeCount(2);
    announce(Change::Marked);
}

void StillDocument::forgetFilter()
{
    filterApplied_ = false;
    announce(Change::Marked);
}

void StillDocument::saved(const QString &filePath) { startAfresh(filePath, Change::Saved); }

} // namespace imaging
