#pragma once

#include "state/uiprotocol.h"

#include <QString>

namespace app::ui {

using state::kIconAttention;
using state::kIconError;
using state::kIconInformation;
using state::kIconQuestion;
using state::kResultCancel;
using state::kResultOk;

// The program's one message dialog. Tests answer it with a scripted presenter.
class MessagePresenter
{
public:
    virtual ~MessagePresenter() = default;
    virtual int show(const QString &text, const QString &caption, bool withCancel, int icon) = 0;
};

} // namespace app::ui
