#include "capturesaver.h"

#include "capturenumber.h"
#include "platform/diagnosticslog.h"

#include <QDir>
#include <QFileInfo>

namespace library {

namespace {

const QString kBmpWord = QStringLiteral("Bmp_");
const QString kJpgWord = QStringLiteral("Jpg_");
const QString kBmpExt = QStringLiteral(".bmp");
const QString kJpgExt = QStringLiteral(".jpg");
// The default library folders, matched inside a chosen path.
const QString kBmpFolderMark = QStringLiteral("DATA/Image/Bmp");
const QString kJpgFolderMark = QStringLiteral("DATA/Image/Jpg");

bool fileExists(const QString &path) { return QFileInfo::exists(path); }

// A library folder the user removed while the program ran comes back with the next capture
// into it: the program chose that folder, so a missing one is no reason to lose the picture.
// Failure is left to the write, which reports it.
void makeLibraryFolder(const QString &folder, platform::DiagnosticsLog &log)
{
    if (QFileInfo(folder).isDir())
        return;
    if (QDir().mkpath(folder))
        log.append(QStringLiteral("Library folder created again: ") + folder);
}

} // namespace

CaptureSaver::CaptureSaver(CaptureCounter &counter, platform::DiagnosticsLog &log) : counter_(counter), log_(log) {}

QString CaptureSaver::takeFreeNumber(int browserPage, const QString &folder, const QString &stem,
                                     const QString &extension)
{
    return counter_.GetPhotoNumber(counterForCapture(false, browserPage), [&](const QString &number) {
        return fileExists(folder + u'/' + stem + number + extension);
    });
}

SaveResult CaptureSaver::Save_ImageFile(const platform::Bitmap &picture, const SaveContext &c, const SaveDialog &dialog)
{
    SaveResult r;
    const bool jpegPage = c.browserPage == state::kListJpg || c.browserPage == state::kListAvi;
    const QString folder = c.curListPath[jpegPage ? state::kListJpg : state::kListBmp];
    const QString word = jpegPage ? kJpgWord : kBmpWord;
    const QString ext = jpegPage ? kJpgExt : kBmpExt;
    r.turnedToJpgPage = c.prefix.isEmpty() && c.browserPage == state::kListAvi;

    if (c.automatic) {
        makeLibraryFolder(folder, log_);
        r.number = takeFreeNumber(c.browserPage, folder, c.lead + word + c.prefix, ext);
        if (r.number.isEmpty()) {
            r.outcome = SaveOutcome::NoNumber;
            log_.exceptionAt(QStringLiteral("Save_ImageFile of 2"));
            return r;
        }
        r.path = folder + u'/' + c.lead + word + c.prefix + r.number + ext;
        return write(std::move(r), picture, jpegPage, c);
    }

    // The dialog path takes its number first: a cancelled dialog still consumes it.
    r.number = counter_.GetPhotoNumber(counterForCapture(false, c.browserPage));
    if (r.number.isEmpty()) {
        r.outcome = SaveOutcome::NoNumber;
        log_.exceptionAt(QStringLiteral("Save_ImageFile of 1"));
        return r;
    }
    SaveDialogRequest request;
    request.filterIndex = jpegPage ? 2 : 1;
    request.startFolder = folder;
    request.proposedName = c.lead + (c.prefix.isEmpty() ? word : QString()) + c.prefix + r.number;
    const std::optional<QString> chosen = dialog ? dialog(request) : std::nullopt;
    if (!chosen || chosen->isEmpty()) {
        r.outcome = SaveOutcome::Cancelled;
        return r;
    }

    const QString suffix = u'.' + QFileInfo(*chosen).suffix().toLower();
    const bool toJpeg = suffix == kJpgExt;
    if (!toJpeg && suffix != kBmpExt) {
        r.outcome = SaveOutcome::UnsupportedType;
        return r;
    }
    // A JPEG aimed at the default BMP folder (or the reverse) goes to the library folder of its
    // own kind under the generated name; that name was never shown to the user, so it must be free.
    const QString wrongFolder = toJpeg ? kBmpFolderMark : kJpgFolderMark;
    if (QString(*chosen).replace(u'\\', u'/').contains(wrongFolder)) {
        const QString target = c.curListPath[toJpeg ? state::kListJpg : state::kListBmp];
        const QString stem = (c.prefix.isEmpty() ? (toJpeg ? kJpgWord : kBmpWord) : QString()) + c.prefix;
        const QString extension = toJpeg ? kJpgExt : kBmpExt;
        makeLibraryFolder(target, log_);
        if (fileExists(target + u'/' + stem + r.number + extension)) {
            r.number = takeFreeNumber(c.browserPage, target, stem, extension);
            if (r.number.isEmpty()) {
                r.outcome = SaveOutcome::NoNumber;
                log_.exceptionAt(QStringLiteral("Save_ImageFile"));
                return r;
            }
        }
        r.path = target + u'/' + stem + r.number + extension;
    } else {
        r.path = *chosen;
    }
    return write(std::move(r), picture, toJpeg, c);
}

SaveResult CaptureSaver::write(SaveResult r, const platform::Bitmap &picture, bool jpeg, const SaveContext &c)
{
    QString warning;
    r.write = jpeg ? platform::writeJpegFile(r.path, picture, c.jpegQuality, c.metadata, &warning)
                   : platform::writeBmpFile(r.path, picture, c.metadata);
    if (!r.write.ok()) {
        log_.exceptionAt(jpeg ? QStringLiteral("SaveJpgFile") : QStringLiteral("SaveBmpFile"));
        log_.append(QStringLiteral("Cannot write %1: %2%3")
                        .arg(r.path, platform::pictureErrorText(r.write.error),
                             r.write.system ? QStringLiteral(" (") + QString::fromStdString(r.write.system.message()) + u')'
                                            : QString()));
        r.outcome = SaveOutcome::WriteFailed;
        return r;
    }
    if (!warning.isEmpty())
        log_.append(r.path + QStringLiteral(": ") + warning);
    r.outcome = SaveOutcome::Saved;
    r.kindPage = jpeg ? state::kListJpg : state::kListBmp;
    return r;
}

RecordingTarget aviRecordingTarget(CaptureCounter &counter, const QString &aviFolder, bool automatic,
                                   const SaveDialog &dialog)
{
    RecordingTarget t;
    const QString stem = aviFolder + QStringLiteral("/Avi_");
    const QString ext = QStringLiteral(".avi");
    if (automatic && !QFileInfo(aviFolder).isDir())
        QDir().mkpath(aviFolder);   // as for stills: a removed library folder comes back
    t.number = automatic ? counter.GetPhotoNumber(CounterKind::Avi,
                                                  [&](const QString &n) { return fileExists(stem + n + ext); })
                         : counter.GetPhotoNumber(CounterKind::Avi);
    if (t.number.isEmpty()) {
        t.outcome = SaveOutcome::NoNumber;
        return t;
    }
    if (automatic) {
        t.path = stem + t.number + ext;
        t.outcome = SaveOutcome::Saved;
        return t;
    }
    const std::optional<QString> chosen =
        dialog ? dialog(SaveDialogRequest{1, aviFolder, QStringLiteral("Avi_") + t.number}) : std::nullopt;
    if (!chosen || chosen->isEmpty()) {
        t.outcome = SaveOutcome::Cancelled;
        return t;
    }
    t.path = *chosen;
    const QFileInfo typed(*chosen);
    if (typed.suffix().compare(QLatin1String("avi"), Qt::CaseInsensitive) != 0) {
        t.path = QDir(typed.path()).filePath(typed.completeBaseName() + ext);
        t.extensionChanged = true;
    }
    t.outcome = SaveOutcome::Saved;
    return t;
}

CaptureCompletion captureCompletion(bool autoSave, bool timedStillsRunning, bool timedWithScale, int sizePreset)
{
    CaptureCompletion c;
    if (autoSave || timedStillsRunning)
        c.save = timedWithScale ? AutoSaveKind::WithScale : AutoSaveKind::Plain;
    c.showInViewer = sizePreset != state::kPresetNormal;
    return c;
}

} // namespace library
