#pragma once

#include "state/controltable.h"

#include <QString>
#include <QStringList>

namespace feature::ui {

// What the shell does for a feature: the program's one message box and its texts by language
// key, the main buttons' pictures and hints, the settings file and the heap. Implemented by the
// shell; UI thread.
class ShellPort
{
public:
    // ShowMessageBox by language keys; state::kResultOk or state::kResultCancel. `prefix` goes
    // before the text (a folder name in quotes).
    virtual int ShowMessageBox(const QString &textKey, const QString &captionKey, bool withCancel, int icon,
                               const QString &prefix = {}) = 0;
    // ShowMessageBox with a text whose "%1", "%2" ... take `arguments` in order (a file name, a
    // folder, a reason already in the interface language).
    virtual int ShowMessageBoxWith(const QString &textKey, const QStringList &arguments, const QString &captionKey,
                                   bool withCancel, int icon) = 0;
    // A passing note in the main window's status line, already in the interface language.
    virtual void showStatusMessage(const QString &text) = 0;
    // The current language's text of `key` (captions and hints: "Name->Caption", "Name->Hint").
    virtual QString text(const QString &key) const = 0;
    // A main button's picture and the language key of its hint (the hint follows the language).
    virtual void setMainButton(state::ControlId button, const QString &picture, const QString &hintKey) = 0;
    // Writes the whole settings record to the settings file (SysInfoUserSet).
    virtual void SysInfoUserSet() = 0;
    // Releases memory after a memory-hungry mode ends.
    virtual void MemoryTrim() = 0;

protected:
    ~ShellPort() = default;
};

} // namespace feature::ui
