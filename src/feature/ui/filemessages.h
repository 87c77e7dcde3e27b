#pragma once

#include "platform/picturecodec.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace feature::ui {

class ShellPort;

// A language text by key.
using TextLookup = std::function<QString(const QString &key)>;

// Replaces "%1" to "%9" in `text` by `arguments` in one pass, so an argument that itself holds
// "%2" (a file name may) stays as it is; a number without an argument stays as written.
QString fillInArguments(const QString &text, const QStringList &arguments);

// Why a picture file could not be read, in the interface language: the decoder's code becomes one
// of the Picture*_MsgBox texts, a picture too large with the size it claims and the limit.
QString pictureProblemText(const TextLookup &text, const platform::DecodedPicture &picture);

// CannotOpenPicture_MsgBox naming the file and the reason (error caption and icon). UI thread.
void reportUnreadablePicture(ShellPort &shell, const QString &path, const platform::DecodedPicture &picture);
// A picture shown although not whole: PictureIncomplete_Lab or PictureDamaged_Lab, naming the
// file, in the status line; nothing for a picture without warning. UI thread.
void reportPictureWarning(ShellPort &shell, const QString &path, platform::PictureWarning warning);

// DiskFull_MsgBox naming the folder that could take no more (error caption and icon). UI thread.
void reportDiskFull(ShellPort &shell, const QString &folder);

} // namespace feature::ui
