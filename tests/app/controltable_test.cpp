// The control table against the real window, the language files, the picture folders and the
// idle-time rules, both ways: a name typed in one place and spelt differently in another fails
// here, not in front of a user.
#include "app/ui/mainwindow.h"
#include "app/updateactions.h"
#include "app/languagetexts.h"
#include "imaging/stilldocument.h"
#include "imaging/ui/stillimagecontroller.h"
#include "state/usersettings.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QWidget>

#include "wholeprogram.h"

#include <gtest/gtest.h>

#include <set>

using namespace app::ui;
using state::ControlId;
using state::ControlKind;
using state::ControlText;
using state::kControlTable;

namespace {

const QString kProgramDir = QStringLiteral(SENDRA_PROGRAM_DIR);

QString name(const state::ControlRow &row) { return QString::fromLatin1(row.name.data(), qsizetype(row.name.size())); }

// Language keys that belong to other windows (the library's pages, dialogs and tool windows):
// not controls of the main window.
bool belongsToAnotherWindow(const QString &component)
{
    static const char *const prefixes[] = {"Font", "TabSheet", "ListBmpPath_Btn", "ListJpgPath_Btn", "ListAviPath_Btn",
                                           "OpenFile1", "DeleteFile1", "DeleteAllFile1", "TC_", "V2I_", "I2V_", "TITC_",
                                           "TIVI_", "TIIV_", "ToolInfoDlg"};
    for (const char *p : prefixes)
        if (component.startsWith(QLatin1String(p)))
            return true;
    return false;
}

} // namespace

TEST(ControlTable, EveryControlIsBuiltOnceUnderItsName)
{
    MainWindow w(kProgramDir);
    std::set<std::string_view> seen;
    for (const state::ControlRow &row : kControlTable) {
        EXPECT_TRUE(seen.insert(row.name).second) << "declared twice: " << row.name;
        QObject *o = w.controls().object(row.id);
        ASSERT_NE(o, nullptr) << row.name;
        QObject *named = row.kind == ControlKind::Menu ? w.controls().action(row.id) : o;
        EXPECT_EQ(named->objectName().toStdString(), row.name);
        EXPECT_EQ(w.findChildren<QObject *>(name(row)).size(), 1) << row.name;
        EXPECT_EQ(state::controlByName(row.name), row.id);
    }
    EXPECT_FALSE(state::controlByName("VideoCtrlTB_BrightnessBar").has_value());
}

TEST(ControlTable, EveryTextKeyIsInEveryLanguageAndEveryComponentKeyIsAControl)
{
    for (const state::LanguageInfo &language : state::languageTable()) {
        const auto texts = app::LanguageTexts::load(kProgramDir, QLatin1String(language.name));
        ASSERT_TRUE(texts) << language.name;
        const QStringList keys = texts->keys();
        const std::set<QString> present(keys.begin(), keys.end());
        for (const state::ControlRow &row : kControlTable) {
            if (row.text == ControlText::None)
                continue;
            const QString key = name(row) + (row.text == ControlText::Caption ? "->Caption" : "->Hint");
            EXPECT_TRUE(present.count(key)) << language.name << ": no " << key.toStdString();
        }
        for (const QString &key : keys) {
            const qsizetype arrow = key.indexOf(QStringLiteral("->"));
            if (arrow < 0)
                continue;
            const QString component = key.left(arrow);
            const QString property = key.mid(arrow + 2);
            if (belongsToAnotherWindow(component))
                continue;
            const auto id = state::controlByName(component.toStdString());
            ASSERT_TRUE(id.has_value()) << language.name << ": " << key.toStdString() << " names no control";
            const ControlText text = state::controlRow(*id).text;
            EXPECT_EQ(property.toStdString(), text == ControlText::Hint ? "Hint" : "Caption") << key.toStdString();
        }
    }
}

TEST(ControlTable, EveryPictureBelongsToAControlAndEveryControlsPictureExists)
{
    std::set<QString> named;
    for (const state::ControlRow &row : kControlTable) {
        if (row.picture.empty())
            continue;
        const bool mainRow = row.kind == ControlKind::MainButton || row.kind == ControlKind::Label;
        const QString folder = kProgramDir + (mainRow ? "/Bitmap/MainButton/" : "/Bitmap/ToolBar/");
        const QString picture = QString::fromLatin1(row.picture.data(), qsizetype(row.picture.size()));
        EXPECT_TRUE(QFileInfo::exists(folder + picture)) << row.name;
        if (row.group == state::ControlGroup::MainButtons) {
            QString grey = picture;
            grey.insert(grey.lastIndexOf('.'), "_Gray");
            EXPECT_TRUE(QFileInfo::exists(folder + grey)) << row.name;
        }
        if (!mainRow)
            named.insert(picture);
    }
    for (const QString &file : QDir(kProgramDir + "/Bitmap/ToolBar").entryList(QDir::Files))
        EXPECT_TRUE(named.count(file)) << file.toStdString() << " is no control's picture";
}

TEST(ControlTable, EveryButtonShowsItsPictureAndEveryHintArrives)
{
    MainWindow w(kProgramDir);
    const auto english = app::LanguageTexts::load(kProgramDir, "English");
    ASSERT_TRUE(english);
    for (const state::ControlRow &row : kControlTable) {
        if (row.kind == ControlKind::Button || row.kind == ControlKind::CheckButton) {
            const auto *b = w.controls().button(row.id);
            ASSERT_NE(b, nullptr) << row.name;
            EXPECT_FALSE(b->icon().isNull()) << row.name << " has no picture";
        }
        if (row.text == ControlText::Hint) {
            EXPECT_FALSE(english->hint(name(row)).isEmpty()) << row.name << " has an empty hint";
        }
    }
}

TEST(ControlTable, EveryControlTheRulesNameExistsAndTakesWhatIsSet)
{
    MainWindow w(kProgramDir);
    // Inputs that between them reach every branch of the rules.
    std::vector<app::ActionInputs> inputs(4);
    inputs[1].flags.VideoConnected = inputs[1].flags.DeviceFound = true;
    inputs[1].pressedMode = state::kLiveDraw;
    inputs[2].flags.VideoConnected = true;
    inputs[2].flags.VmrAvailable = false;
    inputs[3].flags.VideoPlaying = true;
    inputs[3].playerBarShown = inputs[3].playerAtEnd = true;
    inputs[3].flags.SizePreset = state::kPreset800x600;
    std::set<ControlId> named;
    for (const app::ActionInputs &in : inputs) {
        const app::ActionState s = app::computeActions(in);
        for (std::size_t i = 0; i < state::kControlCount; ++i) {
            const auto id = ControlId(i);
            if (s.visible.named(id) || s.enabled.named(id))
                named.insert(id);
            if (s.checked.named(id)) {
                EXPECT_TRUE(w.controls().button(id) && w.controls().button(id)->isCheckable()) << controlName(id);
            }
        }
    }
    for (ControlId id : named)
        EXPECT_NE(w.controls().object(id), nullptr) << controlName(id);
    EXPECT_GT(named.size(), 40u);
    // Applying the rules touches the real controls.
    w.controls().apply(app::computeActions(inputs[1]));
    EXPECT_FALSE(w.controls().widget(ControlId::VideoCtrlTB_BrightnessTKB)->isEnabled());
    EXPECT_TRUE(w.controls().action(ControlId::VideoFormat)->isEnabled());
}

TEST(ControlTable, TheIdleUpdateAppliesTheRuleCompositionTheTestsCall)
{
    // The whole program, the editor open over a picture: every control a rule names shows what
    // computeActions says for the features' own inputs, after the shell's idle-time update.
    wholeprogram::Program p;
    app::ui::Shell &shell = p.shell();
    p.app->still().document().load(platform::Bitmap(320, 240), QString());
    shell.UpdateActions();
    shell.controls().mainButton(ControlId::EditorImage_Btn)->click();
    ASSERT_TRUE(shell.state().flags().EditMode);
    shell.UpdateActions();
    const app::ActionState s = app::computeActions(shell.actionInputs());
    int compared = 0;
    for (std::size_t i = 0; i < state::kControlCount; ++i) {
        const auto id = ControlId(i);
        QWidget *widget = shell.controls().widget(id);
        QAction *action = widget ? nullptr : shell.controls().action(id);
        if (s.enabled.named(id) && (widget || action)) {
            EXPECT_EQ(widget ? widget->isEnabled() : action->isEnabled(), s.enabled.value(id)) << controlName(id);
            ++compared;
        }
        if (s.visible.named(id) && widget) {
            EXPECT_EQ(!widget->isHidden(), s.visible.value(id)) << controlName(id);
            ++compared;
        }
    }
    EXPECT_GT(compared, 60);
    EXPECT_TRUE(shell.controls().widget(ControlId::ImgBar_Undo)->isVisible());
    EXPECT_FALSE(s.enabled.value(ControlId::ImgBar_Undo, true)) << "nothing to undo yet";
}
