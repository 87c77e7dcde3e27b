#pragma once

#include "app/version.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace app {
class LanguageTexts;
}

namespace app::ui {

// TAboutQuilaDlg: version, the maker's lines and a button that opens the maker's web address.
class AboutDialog final : public QDialog
{
    Q_OBJECT
public:
    static constexpr const char *kVersion = SENDRA_PROGRAM_VERSION ".00";
    static constexpr const char *kBuildMark = "FBs";
    static constexpr const char *kWebAddress = "https://sendra-cam.example.org";

    explicit AboutDialog(QWidget *parent = nullptr);
    // AboutDlg_InfoSet: texts of the current language.
    void applyTexts(const LanguageTexts &texts, const QString &iconPath);
    QLabel *versionLabel() const { return version_; }
    QPushButton *webButton() const { return web_; }

private:
    QLabel *icon_ = nullptr;
    QLabel *title_ = nullptr;
    QLabel *version_ = nullptr;
    QLabel *info1_ = nullptr;
    QLabel *info2_ = nullptr;
    QPushButton *web_ = nullptr;
    QPushButton *ok_ = nullptr;
};

} // namespace app::ui
