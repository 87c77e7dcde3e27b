#include "shell.h"

#include "aboutdialog.h"
#include "mainwindow.h"
#include "messageboxdialog.h"

#include "app/updateactions.h"
#include "feature/feature.h"
#include "feature/ui/controls.h"
#include "feature/ui/filemessages.h"
#include "state/uiprotocol.h"
#include "bridge/eeticom.h"
#include "platform/clock.h"
#include "platform/diagnosticslog.h"
#include "platform/process.h"
#include "platform/profilestore.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>

#include <algorithm>

namespace app::ui {

using feature::ui::tableText;
using state::ControlId;

namespace {


ControlId languageItem(std::size_t index)
{
    return ControlId(std::size_t(ControlId::Lang_English) + index);
}

// How long a note stays in the status line: time to read two lines, then it gives the line back.
constexpr int kStatusMessageMs = 10000;

constexpr std::size_t mainButtonSlot(ControlId id) { return std::size_t(id) - std::size_t(ControlId::Connect_Btn); }

} // namespace

Shell::Shell(ShellDeps deps, QObject *parent) : QObject(parent), deps_(std::move(deps))
{
    dialogs_ = deps_.dialogs ? deps_.dialogs : &qtDialogs_;
    window_ = std::make_unique<MainWindow>(deps_.programDir);
    if (deps_.presenter) {
        presenter_ = deps_.presenter;
    } else {
        // A child of the main window: it opens over it and stays above it.
        ownDialog_ = std::make_unique<MessageBoxDialog>(deps_.programDir, window_.get());
        presenter_ = ownDialog_.get();
    }
    Controls &c = window_->controls();
    for (const state::ControlRow &row : state::kControlTable)
        if (row.kind == state::ControlKind::MainButton && row.group == state::ControlGroup::MainButtons)
            buttonHintKeys_[mainButtonSlot(row.id)] = tableText(row.name);

    // Ten languages offered; Portuguese is hidden and so can neither be chosen nor detected.
    c.action(ControlId::Lang_Portuguese)->setVisible(false);
    for (std::size_t i = 0; i < state::languageTable().size(); ++i) {
        const QString name = QLatin1String(state::languageTable()[i].name);
        connect(c.action(languageItem(i)), &QAction::triggered, this, [this, name] { onLanguageItem(name); });
    }
    connect(c.action(ControlId::About), &QAction::triggered, this, &Shell::showAbout);
    connect(c.action(ControlId::Exit), &QAction::triggered, this, &Shell::ExitRequested);
    connect(c.mainButton(ControlId::Exit_Btn), &QPushButton::clicked, this, &Shell::ExitRequested);
    connect(c.action(ControlId::AutoSave), &QAction::toggled, this,
            [this](bool on) { state_.setAutoSave(on); });
    c.menu(ControlId::DevicesEnum)->setEnabled(false);
    c.action(ControlId::mmMagniShow)->setEnabled(false);
    c.action(ControlId::mmMagniShow)->setVisible(false);
    c.action(ControlId::NDash5)->setVisible(false);
    c.action(ControlId::NDevCtrlToolbar)->setVisible(false);
    c.action(ControlId::NMiddle_Q)->setChecked(true);
    c.action(ControlId::NNormal_Screen)->setChecked(true);

    // Folders, settings and the language.
    for (const QString &failed : state::createUserFolders(deps_.paths))
        deps_.log.append(QStringLiteral("Cannot create folder ") + failed);
    LoadUserSettings();
    state_.setVmrAvailable(deps_.rendererAvailable);

    // The creation event: the bridge channel.
    eetiCom_ = std::make_unique<bridge::EETI_com>(deps_.vendor);
    LabLanguage_CaptionSet();
    // The device-status label says what the last search found.
    connect(&state_, &state::AppState::flagsChanged, this, [this] {
        if (state_.flags().DeviceFound != deviceFoundShown_)
            LabLanguage_CaptionSet();
    });

    listTimer_ = new QTimer(this);
    listTimer_->setObjectName(QStringLiteral("ListImage_Timer"));
    listTimer_->setInterval(400);
    connect(listTimer_, &QTimer::timeout, this, &Shell::onListTimer);
    listTimer_->start();

    connect(window_.get(), &MainWindow::closing, this, &Shell::closeSequence);
    connect(window_.get(), &MainWindow::activated, this, [this] {
        if (firstActivationDone_)
            return;
        firstActivationDone_ = true;
        if (!state_.flags().VmrAvailable)
            QTimer::singleShot(0, this, [this] {
                ShowMessageBox(QStringLiteral("NoSupportVMR_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), false,
                               state::kIconAttention);
            });
    });
    // The idle-time update runs whenever the event queue empties.
    if (QAbstractEventDispatcher *d = QAbstractEventDispatcher::instance())
        connect(d, &QAbstractEventDispatcher::aboutToBlock, this, &Shell::UpdateActions);
}

Shell::~Shell() = default;

Controls &Shell::controls() { return window_->controls(); }

void Shell::addFeature(Feature *feature) { features_.push_back(feature); }

feature::ui::FeatureContext Shell::context()
{
    return {*this, *dialogs_, state_, controls(), *window_, deps_.log, deps_.clock, deps_.paths, deps_.programDir};
}

// ---------------------------------------------------------------------------------------------
// Settings and languages

void Shell::LoadUserSettings()
{
    state::SettingsEnvironment env{deps_.settingsStore,
                                   deps_.paths,
                                   state::shortDateText(deps_.clock.today()),
                                   GetLocaleLanguage(),
                                   [this](const QString &name) { return CheckLanguageExist(name); },
                                   [](const QString &folder) { return QFileInfo(folder).isDir(); }};
    state::LoadedSettings loaded = state::loadUserSettings(env);
    state_.loadSettings(loaded.data, loaded.curListPath);
    for (const QString &key : loaded.writes)
        deps_.log.append(QStringLiteral("Settings written: ") + key);
    // Menu marks follow the record.
    controls().action(ControlId::AutoSave)->setChecked(loaded.data.AutoSave);
    controls().action(ControlId::SetMJPGPreview)->setChecked(loaded.data.MJPG_2M);
    controls().toolButton(ControlId::DrawRulerTB_SnapEdge)->setChecked(loaded.data.SnapToEdge);
    // The stored language is applied even when it is the record's own, so start-up always
    // builds the interface.
    commonLanguage_.clear();
    UpdateInterface(loaded.language);
}

void Shell::SysInfoUserSet()
{
    if (!deps_.settingsStore.write(state::settingsEntries(state_.settings(), state_.userListPath())))
        deps_.log.exceptionAt(QStringLiteral("SysInfoUserSet"));
}

bool Shell::CheckLanguageExist(const QString &name) const
{
    const auto &table = state::languageTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (name == QLatin1String(table[i].name)) {
            const QAction *a = window_->controls().action(languageItem(i));
            return a && a->isVisible();
        }
    return false;
}

QString Shell::GetLocaleLanguage() const
{
    return state::localeLanguage(deps_.localeLanguageId, [this](const QString &name) { return CheckLanguageExist(name); });
}

void Shell::SetCheckedLang(const QString &language)
{
    const auto &table = state::languageTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        if (language == QLatin1String(table[i].name))
            controls().action(languageItem(i))->setChecked(true);
}

void Shell::onLanguageItem(const QString &language)
{
    if (language == commonLanguage_) {
        SetCheckedLang(commonLanguage_);
        return;
    }
    if (!QFileInfo::exists(LanguageTexts::filePath(deps_.programDir, language))) {
        // Keep the working interface rather than blanking every text.
        deps_.log.append(QStringLiteral("Language file missing: ") + LanguageTexts::filePath(deps_.programDir, language));
        SetCheckedLang(commonLanguage_);
        ShowMessageBox(QStringLiteral("LanguageFileMissing_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                       state::kIconError);
        return;
    }
    UpdateInterface(language);
}

void Shell::UpdateInterface(const QString &wanted)
{
    // The language file; at start a missing one falls back to English, then to empty texts, so
    // the program always comes up. The menu mark and the settings record name the language the
    // interface really speaks, so the next start does not look for the missing file again.
    QString language = wanted;
    if (auto loaded = LanguageTexts::load(deps_.programDir, language)) {
        texts_ = std::move(*loaded);
    } else {
        deps_.log.append(QStringLiteral("Language file missing: ") + LanguageTexts::filePath(deps_.programDir, language));
        language = QStringLiteral("English");
        if (auto english = LanguageTexts::load(deps_.programDir, language))
            texts_ = std::move(*english);
        else
            texts_ = LanguageTexts();
    }
    SetCheckedLang(language);
    loadQtTranslation(language);
    const bool changed = language != state_.settings().Language;
    commonLanguage_ = language;
    state_.setLanguage(language);
    if (!texts_.fontCharset())
        deps_.log.append(QStringLiteral("Font->Charset is not a number in ") + language);
    QFont f = QApplication::font();
    const QString family = texts_.fontName();
    if (!family.isEmpty() && QFontDatabase::hasFamily(family))
        f.setFamily(family);
    window_->setFont(f);
    window_->setWindowTitle(QStringLiteral("Sendra-CAM Viewer"));
    applyTexts();
    LabLanguage_CaptionSet();
    if (ownDialog_)
        ownDialog_->setButtonTexts(texts_.text(QStringLiteral("OKBtn_Dlg")), texts_.text(QStringLiteral("CancelBtn_Dlg")));
    if (about_)
        about_->applyTexts(texts_, deps_.programDir + QStringLiteral("/sendra-cam.png"));
    if (changed)
        deps_.log.append(QStringLiteral("Language changed to ") + language);
    for (Feature *feature : features_)
        feature->languageChanged();
    Q_EMIT languageChanged();
}

void Shell::loadQtTranslation(const QString &language)
{
    if (qtTranslator_) {
        QCoreApplication::removeTranslator(qtTranslator_.get());
        qtTranslator_.reset();
    }
    qtLocale_.clear();
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const state::LanguageInfo &info : state::languageTable()) {
        if (language != QLatin1String(info.name))
            continue;
        for (const char *locale : info.qtLocales) {
            if (!locale)
                break;
            // Exactly this locale's file: QTranslator::load would fall back to a shorter name on
            // its own ("qtbase_pt" for "qtbase_pt_PT") and skip the better candidate after it.
            const QString file = folder + QStringLiteral("/qtbase_") + QLatin1String(locale) + QStringLiteral(".qm");
            auto translator = std::make_unique<QTranslator>();
            if (!QFileInfo::exists(file) || !translator->load(file))
                continue;
            QCoreApplication::installTranslator(translator.get());
            qtTranslator_ = std::move(translator);
            qtLocale_ = QLatin1String(locale);
            return;
        }
        // English needs no file: Qt's own texts are English.
        if (language != QLatin1String("English"))
            deps_.log.append(QStringLiteral("Qt translations missing for ") + language + QStringLiteral(" in ") + folder);
        return;
    }
}

void Shell::applyTexts()
{
    const Controls &c = window_->controls();
    for (const state::ControlRow &row : state::kControlTable) {
        const QString name = tableText(row.name);
        if (row.text == state::ControlText::Caption) {
            if (QAction *a = c.action(row.id))
                a->setText(texts_.caption(name));
            else if (QPushButton *b = c.mainButton(row.id))
                b->setText(texts_.caption(name));
        } else if (row.text == state::ControlText::Hint) {
            if (QWidget *w = c.widget(row.id))
                w->setToolTip(texts_.hint(name));
        }
    }
    // The main buttons' hints are keyed by what each button does now (connect / disconnect ...).
    for (std::size_t i = 0; i < buttonHintKeys_.size(); ++i) {
        const auto id = ControlId(std::size_t(ControlId::Connect_Btn) + i);
        c.mainButton(id)->setToolTip(texts_.text(buttonHintKeys_[i]));
        window_->greyPicture(id)->setToolTip(texts_.text(tableText(state::controlName(id))));
    }
    const QString back = texts_.caption(QStringLiteral("NNormal_Screen"));
    c.widget(ControlId::ReturnMain_Btn)->setToolTip(back);
    c.widget(ControlId::ReturnMain_Image)->setToolTip(back);
}

void Shell::LabLanguage_CaptionSet()
{
    deviceFoundShown_ = state_.flags().DeviceFound;
    controls().label(ControlId::DeviceStatus_Lab)
        ->setText(texts_.text(state_.flags().DeviceFound ? QStringLiteral("DeviceToFound_Lab")
                                                         : QStringLiteral("DeviceNotToFound_Lab")));
}

void Shell::setMainButton(ControlId button, const QString &picture, const QString &hintKey)
{
    window_->setButtonPicture(button, picture);
    buttonHintKeys_[mainButtonSlot(button)] = hintKey;
    controls().mainButton(button)->setToolTip(texts_.text(hintKey));
}

// ---------------------------------------------------------------------------------------------
// Messages, exit and close

int Shell::ShowMessageBox(const QString &textKey, const QString &captionKey, bool withCancel, int icon,
                          const QString &prefix)
{
    return showMessageText(textKey, prefix + texts_.text(textKey), captionKey, withCancel, icon);
}

int Shell::ShowMessageBoxWith(const QString &textKey, const QStringList &arguments, const QString &captionKey,
                              bool withCancel, int icon)
{
    return showMessageText(textKey, feature::ui::fillInArguments(texts_.text(textKey), arguments), captionKey, withCancel,
                           icon);
}

int Shell::showMessageText(const QString &textKey, const QString &text, const QString &captionKey, bool withCancel,
                           int icon)
{
    // One box at a time. A box asked for while one is open comes from an event delivered by the
    // open box's own loop (a recording that ended, a preview that stopped). Opening it there
    // would stack modal loops over the same dialog; instead a message waits until the open box
    // is closed, as the user must still learn of it. A question cannot wait, since its caller
    // needs the answer now: it is answered Cancel, which never deletes or overwrites anything.
    if (messageOpen_) {
        if (withCancel) {
            deps_.log.append(QStringLiteral("Question not asked while another message is open: ") + textKey);
            return state::kResultCancel;
        }
        const PendingMessage message{textKey, text, captionKey, icon};
        if (std::find(pendingMessages_.begin(), pendingMessages_.end(), message) == pendingMessages_.end())
            pendingMessages_.push_back(message);
        deps_.log.append(QStringLiteral("Message waits for the open one: ") + textKey);
        return state::kResultOk;
    }
    if (ownDialog_) {
        ownDialog_->setButtonTexts(texts_.text(QStringLiteral("OKBtn_Dlg")), texts_.text(QStringLiteral("CancelBtn_Dlg")));
        ownDialog_->setWindowWidth(window_->width());
    }
    messageOpen_ = true;
    const int result = presenter_->show(text, texts_.text(captionKey), withCancel, icon);
    messageOpen_ = false;
    // The waiting ones follow from the event loop, not from inside the caller of this box.
    if (!pendingMessages_.empty())
        QTimer::singleShot(0, this, &Shell::showPendingMessage);
    return result;
}

void Shell::showPendingMessage()
{
    if (messageOpen_ || pendingMessages_.empty() || state_.flags().IsClosing)
        return;
    const PendingMessage next = pendingMessages_.front();
    pendingMessages_.erase(pendingMessages_.begin());
    showMessageText(next.textKey, next.text, next.captionKey, false, next.icon);
}

void Shell::showStatusMessage(const QString &text)
{
    window_->statusBar()->showMessage(text, kStatusMessageMs);
}

void Shell::showAbout()
{
    if (!about_)
        about_ = std::make_unique<AboutDialog>(window_.get());
    about_->applyTexts(texts_, deps_.programDir + QStringLiteral("/sendra-cam.png"));
    about_->adjustSize();   // the texts of another language may be longer
    about_->exec();
}

void Shell::ExitRequested()
{
    for (Feature *feature : features_)
        feature->beforeExit();
    // A running recording is named in the question: OK stops it (the close sequence finishes the
    // file) and closes.
    const QString question = state_.flags().VideoRecording ? QStringLiteral("WhetherExitRecording_MsgBox")
                                                            : QStringLiteral("WhetherExitQuila_MsgBox");
    if (ShowMessageBox(question, QStringLiteral("AttentionTitle_MsgBox"), true, state::kIconAttention) != state::kResultOk)
        return;
    window_->close();
}

void Shell::closeSequence()
{
    if (state_.flags().IsClosing)
        return;
    state_.setClosing();
    SysInfoUserSet();
    // Features in reverse order of registration: the player closes before the capture session.
    for (auto it = features_.rbegin(); it != features_.rend(); ++it)
        (*it)->closing();
    listTimer_->stop();
    eetiCom_.reset();
}

void Shell::MemoryTrim()
{
    // The heap of a closed editor, player or recording goes back to the system at once; the
    // short pause of the classic working-set trim has no purpose here and would only stall.
    platform::trimWorkingSet();
}

void Shell::onListTimer()
{
    if (state_.flags().IsClosing)
        return;
    for (Feature *feature : features_)
        feature->listTimerTick();
}

// ---------------------------------------------------------------------------------------------
// The idle-time update and the live modes

ActionInputs Shell::actionInputs() const
{
    ActionInputs in;
    in.flags = state_.flags();
    for (const Feature *feature : features_)
        feature->readInputs(in);
    return in;
}

void Shell::UpdateActions()
{
    if (state_.flags().IsClosing || updatingActions_)
        return;
    updatingActions_ = true;
    const ActionState s = computeActions(actionInputs());
    window_->controls().apply(s);
    for (Feature *feature : features_)
        feature->applyActions(s);
    updatingActions_ = false;
}

void Shell::changeLiveMode(int oldMode, int newMode)
{
    for (Feature *feature : features_)
        feature->leaveLiveMode(oldMode, newMode);
    for (Feature *feature : features_)
        feature->enterLiveMode(newMode);
}

void Shell::videoAreaChanged()
{
    for (Feature *feature : features_)
        feature->videoAreaChanged();
}

} // namespace app::ui
