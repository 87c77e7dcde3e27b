#include "app/languagetexts.h"
#include "state/usersettings.h"

#include <QDir>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace app;

namespace {
const QString kResources = QStringLiteral(SENDRA_SOURCE_DIR "/resources");
}

TEST(LanguageFiles, EveryLanguageHasEveryKeyOfEnglishAndNothingElse)
{
    const auto english = LanguageTexts::load(kResources, "English");
    ASSERT_TRUE(english) << "resources/Lang/English.ini missing";
    const QStringList englishKeys = english->keys();
    const QSet<QString> expected(englishKeys.begin(), englishKeys.end());
    for (const state::LanguageInfo &l : state::languageTable()) {
        const auto t = LanguageTexts::load(kResources, l.name);
        ASSERT_TRUE(t) << l.name;
        const QStringList keys = t->keys();
        EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()), expected) << l.name;
        EXPECT_TRUE(t->fontCharset().has_value()) << l.name;
        EXPECT_FALSE(t->fontName().isEmpty()) << l.name;
    }
}

TEST(LanguageFiles, EveryNamedKeyOfEveryRecordIsPresentAndFilled)
{
    for (const state::LanguageInfo &l : state::languageTable()) {
        const auto t = LanguageTexts::load(kResources, l.name);
        ASSERT_TRUE(t) << l.name;
        for (const TextRecord &r : textRecords())
            for (const char *key : r.keys)
                EXPECT_FALSE(t->text(key).isEmpty()) << l.name << " " << r.name << " " << key;
    }
}

TEST(LanguageFiles, TranslationsAreNotEnglishCopies)
{
    const auto english = LanguageTexts::load(kResources, "English");
    ASSERT_TRUE(english);
    for (const state::LanguageInfo &l : state::languageTable()) {
        if (QLatin1String(l.name) == QLatin1String("English"))
            continue;
        const auto t = LanguageTexts::load(kResources, l.name);
        ASSERT_TRUE(t);
        for (const char *key : {"WhetherExitQuila_MsgBox", "ConnectFailed_MsgBox", "DeviceNotToFound_Lab", "Exit->Caption"})
            EXPECT_NE(t->text(key), english->text(key)) << l.name << " " << key;
    }
}

TEST(LanguageTexts, MissingKeysAndFilesGiveEmptyTexts)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("Lang"));
    QFile f(dir.filePath("Lang/German.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[German]\nFont->Charset=\nExit->Caption=Beenden\nHint=" + QByteArray(3000, 'x') + "\n[English]\nOther=1\n");
    f.close();
    const auto t = LanguageTexts::load(dir.path(), "German");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->caption("Exit"), "Beenden");
    EXPECT_EQ(t->text("Other"), "");          // another section's key
    EXPECT_EQ(t->text("Hint").size(), 2047);
    EXPECT_FALSE(t->fontCharset());           // empty is not a number
    EXPECT_FALSE(LanguageTexts::load(dir.path(), "French"));
    EXPECT_EQ(LanguageTexts().text("Exit->Caption"), "");
}
