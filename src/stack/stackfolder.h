#pragma once

#include "stack/focusstacker.h"

#include <QString>
#include <QStringList>

namespace stack {

// The name every stacked picture starts with; a folder's earlier results are no input.
inline constexpr char kStackNamePrefix[] = "Stack_";

// The pictures of a folder to stack, as full paths in name order (plain code-point order of the
// file names, which is capture order for the library's zero-padded numbers): every file whose
// content is a BMP or a JPEG, whatever its extension says, except earlier results (names starting
// with "Stack_"). Sub-folders are not entered. Empty when the folder is missing or holds none.
QStringList stackFolderPictures(const QString &folder);

// Frames read from those files when the stacking asks; an unreadable file's error names the file
// and the reason.
StackInput filesInput(const QStringList &paths);

} // namespace stack
