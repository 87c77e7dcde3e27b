#include "filemessages.h"

#include "shellport.h"

#include "platform/bitmap.h"
#include "state/uiprotocol.h"

#include <QDir>
#include <QFileInfo>

namespace feature::ui {

QString fillInArguments(const QString &text, const QStringList &arguments)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'%' && i + 1 < text.size() && text.at(i + 1) >= u'1' && text.at(i + 1) <= u'9') {
            const qsizetype n = text.at(i + 1).unicode() - u'1';
            if (n < arguments.size()) {
                out += arguments.at(n);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString pictureProblemText(const TextLookup &text, const platform::DecodedPicture &picture)
{
    using platform::PictureError;
    const QSize claimed = picture.claimedSize;
    const QStringList size{QString::number(claimed.width()), QString::number(claimed.height())};
    switch (picture.error) {
    case PictureError::CannotOpen:
        return text(QStringLiteral("PictureCannotRead_MsgBox"));
    case PictureError::Empty:
        return text(QStringLiteral("PictureEmpty_MsgBox"));
    case PictureError::NotRecognised:
        return text(QStringLiteral("PictureNotBmpJpeg_MsgBox"));
    case PictureError::OtherKind: {
        const bool jpeg = picture.content == platform::PictureKind::Jpeg;
        return fillInArguments(text(QStringLiteral("PictureOtherKind_MsgBox")),
                               {jpeg ? QStringLiteral("JPEG") : QStringLiteral("BMP"),
                                jpeg ? QStringLiteral("BMP") : QStringLiteral("JPEG")});
    }
    case PictureError::TooLarge:
        if (claimed.width() > platform::kMaxPictureSide || claimed.height() > platform::kMaxPictureSide)
            return fillInArguments(text(QStringLiteral("PictureTooLarge_MsgBox")),
                                   size + QStringList{QString::number(platform::kMaxPictureSide)});
        if (qint64(claimed.width()) * claimed.height() > platform::kMaxPicturePixels)
            return fillInArguments(text(QStringLiteral("PictureTooManyPixels_MsgBox")),
                                   size + QStringList{QString::number(platform::kMaxPicturePixels)});
        // Within the limits, yet no memory could be had for it.
        return fillInArguments(text(QStringLiteral("PictureNoMemory_MsgBox")), size);
    case PictureError::Truncated:
        return text(QStringLiteral("PictureTruncated_MsgBox"));
    case PictureError::Unsupported:
        return text(QStringLiteral("PictureUnsupported_MsgBox"));
    default:
        return text(QStringLiteral("PictureDamaged_MsgBox"));
    }
}

void reportUnreadablePicture(ShellPort &shell, const QString &path, const platform::DecodedPicture &picture)
{
    const QString reason = pictureProblemText([&shell](const QString &key) { return shell.text(key); }, picture);
    shell.ShowMessageBoxWith(QStringLiteral("CannotOpenPicture_MsgBox"), {QFileInfo(path).fileName(), reason},
                             QStringLiteral("ErrorTitle_MsgBox"), false, state::kIconError);
}

void reportPictureWarning(ShellPort &shell, const QString &path, platform::PictureWarning warning)
{
    const char *key = warning == platform::PictureWarning::Incomplete ? "PictureIncomplete_Lab"
                      : warning == platform::PictureWarning::Damaged  ? "PictureDamaged_Lab"
                                                                      : nullptr;
    if (key)
        shell.showStatusMessage(fillInArguments(shell.text(QLatin1String(key)), {QFileInfo(path).fileName()}));
}

void reportDiskFull(ShellPort &shell, const QString &folder)
{
    shell.ShowMessageBoxWith(QStringLiteral("DiskFull_MsgBox"), {QDir::toNativeSeparators(folder)},
                             QStringLiteral("ErrorTitle_MsgBox"), false, state::kIconError);
}

} // namespace feature::ui
