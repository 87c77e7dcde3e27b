#pragma once

#include <QString>

namespace app::ui {

// Icon numbers of the message box.
enum MessageIcon { kIconQuestion = 0, kIconAttention = 1, kIconError = 2, kIconInformation = 3 };
// Results: OK, or Cancel / the box closed.
enum MessageResult { kResultOk = 1, kResultCancel = 2 };

// The program's one message dialog. Tests answer it with a scripted presenter.
class MessagePresenter
{
public:
    virtual ~MessagePresenter() = default;
    virtual int show(const QString &text, const QString &caption, bool withCancel, int icon) = 0;
};

} // namespace app::ui
