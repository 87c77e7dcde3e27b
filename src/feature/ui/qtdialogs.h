#pragma once

#include "feature/ui/userdialogs.h"

namespace feature::ui {

// The program's own answer: the dialog's modal loop and QDesktopServices.
class QtDialogs final : public UserDialogs
{
public:
    int runDialog(QDialog &dialog) override;
    bool openUrl(const QUrl &url) override;
};

} // namespace feature::ui
