#pragma once

#include "state/globalvar.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace platform {
class Clock;
class DiagnosticsLog;
} // namespace platform

namespace tools::ui {

// What the tool dialogs need from the window around them; tests answer the callbacks.
struct ToolDialogDeps {
    // Language text by key.
    std::function<QString(const QString &key)> text;
    // ShowMessageBox by keys, with a literal put before the text; kResultOk or kResultCancel.
    std::function<int(const QString &prefix, const QString &textKey, const QString &captionKey, bool withCancel,
                      int icon)>
        showMessage;
    // ShowMessageBox by keys, the text's "%1", "%2" ... taking `arguments`; kResultOk or kResultCancel.
    std::function<int(const QString &textKey, const QStringList &arguments, const QString &captionKey, bool withCancel,
                      int icon)>
        showMessageWith;
    // The folder picker: title and start folder; nullopt on Cancel.
    std::function<std::optional<QString>(const QString &title, const QString &start)> pickFolder;
    platform::Clock *clock = nullptr;
    platform::DiagnosticsLog *log = nullptr;
    state::ListPaths defListPath;
};

} // namespace tools::ui
