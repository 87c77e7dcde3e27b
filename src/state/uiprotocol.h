#pragma once

#include <QString>

#include <functional>

namespace state {

// The program's one message dialog speaks in these values wherever it is asked from.
enum MessageIcon { kIconQuestion = 0, kIconAttention = 1, kIconError = 2, kIconInformation = 3 };
enum MessageResult { kResultOk = 1, kResultCancel = 2 };

// ShowMessageBox by language keys: text key, caption key, Cancel offered, icon; kResultOk or
// kResultCancel.
using ShowMessageBoxFn = std::function<int(const QString &textKey, const QString &captionKey, bool withCancel, int icon)>;

// Which text a named control takes from the language file, as a dynamic property on the control
// so that the text applier can treat controls built by any feature alike.
inline constexpr const char *kLangKindProperty = "sendraLangKind";
enum LangKind { kLangNone = 0, kLangCaption = 1, kLangHint = 2 };

} // namespace state
