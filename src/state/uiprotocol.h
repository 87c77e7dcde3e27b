#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace state {

// The program's one message dialog speaks in these values wherever it is asked from. Which text
// a control takes from the language file is the control table's business (ControlText).
enum MessageIcon { kIconQuestion = 0, kIconAttention = 1, kIconError = 2, kIconInformation = 3 };
enum MessageResult { kResultOk = 1, kResultCancel = 2 };

// ShowMessageBox by language keys: text key, the arguments for its "%1", "%2" ..., caption key,
// Cancel offered, icon; kResultOk or kResultCancel.
using ShowMessageBoxFn = std::function<int(const QString &textKey, const QStringList &arguments, const QString &captionKey,
                                           bool withCancel, int icon)>;

} // namespace state
