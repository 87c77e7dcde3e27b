#pragma once

#include "app/languagetexts.h"
#include "app/updateactions.h"
#include "feature/ui/featurecontext.h"
#include "feature/ui/qtdialogs.h"
#include "feature/ui/shellport.h"
#include "state/appstate.h"
#include "state/controltable.h"
#include "state/usersettings.h"

#include <QObject>

#include <memory>
#include <vector>

class QTimer;
class QTranslator;

namespace platform {
class Clock;
class DiagnosticsLog;
class ProfileStore;
class VendorChannel;
} // namespace platform

namespace bridge {
class EETI_com;
}

namespace feature {
class Feature;
namespace ui {
class Controls;
}
} // namespace feature

namespace app::ui {

using feature::Feature;
using feature::ui::Controls;

class AboutDialog;
class MainWindow;
class MessageBoxDialog;
class MessagePresenter;

// What the shell needs from the outside world; tests pass fakes.
struct ShellDeps {
    QString programDir;
    state::UserPaths paths;
    platform::Clock &clock;
    platform::ProfileStore &settingsStore;
    platform::VendorChannel &vendor;
    platform::DiagnosticsLog &log;
    QString localeLanguageId;            // "0407" ...; empty for none
    bool rendererAvailable = true;       // the video widget can composite overlays
    MessagePresenter *presenter = nullptr;   // null: the program's own message dialog
    feature::ui::UserDialogs *dialogs = nullptr;   // null: the dialogs' own modal loops
};

// The application shell: the settings record and the shared flags (AppState), the main window
// as a view, the interface texts, the one message box, the idle-time update (the features' facts
// through the one rule composition, computeActions), the list timer and the close sequence.
// Features register once and are called at the shell's moments (Feature); they reach the shell
// through its port and the window only through the controls (context()). UI thread.
class Shell final : public QObject, public feature::ui::ShellPort
{
    Q_OBJECT
public:
    explicit Shell(ShellDeps deps, QObject *parent = nullptr);
    ~Shell() override;

    // --- What features use ---
    state::AppState &state() { return state_; }
    const state::AppState &state() const { return state_; }
    MainWindow &window() { return *window_; }
    Controls &controls();
    const LanguageTexts &texts() const { return texts_; }
    const state::UserPaths &paths() const { return deps_.paths; }
    const QString &programDir() const { return deps_.programDir; }
    platform::DiagnosticsLog &log() { return deps_.log; }
    platform::Clock &clock() { return deps_.clock; }
    bridge::EETI_com *eetiCom() { return eetiCom_.get(); }
    feature::ui::UserDialogs &dialogs() { return *dialogs_; }
    // What a feature controller is handed.
    feature::ui::FeatureContext context();

    // Registers a feature for the shell's moments; it stays registered for the shell's life.
    void addFeature(Feature *feature);
    const std::vector<Feature *> &features() const { return features_; }

    // ShowMessageBox by language keys; kResultOk or kResultCancel. Never stacks a second box:
    // while one is open, a message is shown after it closes (the call returns kResultOk at
    // once) and a question is answered kResultCancel without being asked.
    // `prefix` goes before the text (a folder name in quotes before FolderNameExisted_MsgBox).
    int ShowMessageBox(const QString &textKey, const QString &captionKey, bool withCancel, int icon,
                       const QString &prefix = {}) override;
    int ShowMessageBoxWith(const QString &textKey, const QStringList &arguments, const QString &captionKey,
                           bool withCancel, int icon) override;
    // A note in the window's status line for a while (ten seconds), until the next one replaces it.
    void showStatusMessage(const QString &text) override;
    QString text(const QString &key) const override { return texts_.text(key); }
    // A main button's picture and the language key of its hint (the hint follows the language).
    void setMainButton(state::ControlId button, const QString &picture, const QString &hintKey) override;
    // The device-status label: DeviceToFound_Lab or DeviceNotToFound_Lab; follows DeviceFound.
    void LabLanguage_CaptionSet();
    void SysInfoUserSet() override;
    // Releases memory after a memory-hungry mode ends.
    void MemoryTrim() override;

    // --- Languages ---
    // Builds the interface in `wanted`, or in English when its file is missing.
    void UpdateInterface(const QString &wanted);
    bool CheckLanguageExist(const QString &name) const;
    QString GetLocaleLanguage() const;
    // Texts of every table control, for controls whose texts were changed by hand.
    void applyTexts();
    // The Qt locale whose translations Qt's own dialogs and buttons use now; empty when none of
    // the language's translation files is installed (Qt then speaks English).
    const QString &qtTranslationLocale() const { return qtLocale_; }

    // --- The idle-time update and the shell's moments ---
    void UpdateActions();
    ActionInputs actionInputs() const;
    void changeLiveMode(int oldMode, int newMode);
    void videoAreaChanged();
    // Exit button / menu: the unsaved-image question, the exit question, then close.
    void ExitRequested();
    QTimer *listTimer() const { return listTimer_; }

Q_SIGNALS:
    void languageChanged();

private:
    void LoadUserSettings();
    void onLanguageItem(const QString &language);
    void SetCheckedLang(const QString &language);
    void loadQtTranslation(const QString &language);
    void closeSequence();
    void showPendingMessage();
    // The one message box: `text` is final; `textKey` names it in the log.
    int showMessageText(const QString &textKey, const QString &text, const QString &captionKey, bool withCancel, int icon);
    void onListTimer();
    void showAbout();

    ShellDeps deps_;
    state::AppState state_;
    std::unique_ptr<MainWindow> window_;
    MessagePresenter *presenter_ = nullptr;
    std::unique_ptr<MessageBoxDialog> ownDialog_;
    std::unique_ptr<AboutDialog> about_;
    std::unique_ptr<bridge::EETI_com> eetiCom_;
    feature::ui::QtDialogs qtDialogs_;
    feature::ui::UserDialogs *dialogs_ = nullptr;
    bool deviceFoundShown_ = false;
    LanguageTexts texts_;
    // Qt's translations of its own dialogs (file, colour, print) and standard buttons for the
    // interface language; replaced, not stacked, when the language changes.
    std::unique_ptr<QTranslator> qtTranslator_;
    QString qtLocale_;
    QString commonLanguage_;
    std::array<QString, 10> buttonHintKeys_;
    std::vector<Feature *> features_;
    QTimer *listTimer_ = nullptr;
    struct PendingMessage {
        QString textKey, text, captionKey;
        int icon = 0;
        friend bool operator==(const PendingMessage &, const PendingMessage &) = default;
    };
    std::vector<PendingMessage> pendingMessages_;
    bool messageOpen_ = false;
    bool updatingActions_ = false;
    bool firstActivationDone_ = false;
};

} // namespace app::ui
