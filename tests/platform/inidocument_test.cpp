#include "platform/inidocument.h"
#include "platform/iniprofilestore.h"
#include "platform/localeid.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace platform;

TEST(IniDocument, ReadsSectionsAndKeysCaseInsensitivelySplittingAtTheFirstEquals)
{
    const IniDocument doc = IniDocument::parse(
        "; comment\n[English]\r\nConnect_Btn->Caption = Connect \r\nFormula=a=b\n\"Quoted\"=x\nnokey\n"
        "[Other]\nConnect_Btn->Caption=other\n[english]\nLate=1\nConnect_Btn->Caption=second\nq=\"quoted value\"\n");
    EXPECT_EQ(doc.value("ENGLISH", "connect_btn->caption"), "Connect");
    EXPECT_EQ(doc.value("English", "Formula"), "a=b");
    EXPECT_EQ(doc.value("English", "Late"), "1");          // a repeated section continues the first
    EXPECT_EQ(doc.value("English", "q"), "quoted value");
    EXPECT_EQ(doc.value("Other", "Connect_Btn->Caption"), "other");
    EXPECT_FALSE(doc.value("English", "nokey"));
    EXPECT_FALSE(doc.value("Missing", "Formula"));
}

TEST(IniDocument, DecodesEveryByteOrderMark)
{
    const QString text = QString::fromUtf8("[Japanese]\nExit->Caption=終了\n");
    QStringEncoder le(QStringEncoder::Utf16LE), be(QStringEncoder::Utf16BE);
    const std::vector<QByteArray> files{QByteArray("\xFF\xFE") + QByteArray(le(text)), QByteArray("\xFE\xFF") + QByteArray(be(text)),
                                        QByteArray("\xEF\xBB\xBF") + text.toUtf8(), text.toUtf8()};
    for (const QByteArray &f : files)
        EXPECT_EQ(IniDocument::parse(f).value("Japanese", "Exit->Caption"), QString::fromUtf8("終了"));
    // Invalid UTF-8 without a mark is read byte by byte rather than lost.
    EXPECT_EQ(IniDocument::parse("[A]\nk=caf\xE9\n").value("A", "k"), QString::fromLatin1("caf\xE9"));
}

TEST(IniDocument, CutsValuesAt2047Characters)
{
    const QString hint(3000, u'x');
    const IniDocument doc = IniDocument::parse(("[L]\nHint=" + hint + "\n").toUtf8());
    EXPECT_EQ(doc.value("L", "Hint")->size(), 2047);
}

TEST(ProfileNumbers, DecimalHexAndNonNumbers)
{
    struct Row {
        const char *text;
        std::optional<qint32> expected;
    };
    const Row rows[] = {{"0", 0},       {"17", 17},        {"-5", -5},         {"0x1F", 31},   {"0X10", 16},
                        {" 42 ", 42},   {"", std::nullopt}, {"abc", std::nullopt}, {"12abc", std::nullopt},
                        {"0x", std::nullopt}, {"0x-1", std::nullopt}, {"99999999999", std::nullopt}, {"1.5", std::nullopt}};
    for (const Row &r : rows)
        EXPECT_EQ(parseProfileInt(r.text), r.expected) << r.text;
    EXPECT_EQ(parseProfileBool("1"), true);
    EXPECT_EQ(parseProfileBool("7"), true);
    EXPECT_EQ(parseProfileBool("0"), false);
    EXPECT_EQ(parseProfileBool("yes"), std::nullopt);
}

TEST(IniProfileStore, WritesAtomicallyKeepingForeignKeysAndOrder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("UserSysInfo.ini");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Initial]\nDefData.Init=0\n[Foreign]\nKeep=me\n");
    }
    IniProfileStore store(path);
    ASSERT_TRUE(store.write({{"Initial", "DefData.Init", "1"}, {"Language", "DefData.Language", "German"}}));
    EXPECT_EQ(store.read("Initial", "DefData.Init"), "1");
    IniProfileStore again(path);
    EXPECT_EQ(again.read("Foreign", "Keep"), "me");
    EXPECT_EQ(again.read("language", "defdata.language"), "German");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[Initial]\nDefData.Init=1\n[Foreign]\nKeep=me\n[Language]\nDefData.Language=German\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(IniProfileStore, AFolderThatCannotBeWrittenReportsFailure)
{
    IniProfileStore store("/proc/sendra-cannot-write/UserSysInfo.ini");
    EXPECT_FALSE(store.exists());
    EXPECT_FALSE(store.write({{"A", "b", "c"}}));
}

TEST(LocaleId, PosixLocaleNamesGiveWindowsLanguageIdentifiers)
{
    struct Row {
        const char *locale;
        const char *id;
    };
    const Row rows[] = {{"de_DE.UTF-8", "0407"}, {"zh_TW.UTF-8", "0404"}, {"zh_CN", "0804"}, {"ja_JP.UTF-8", "0411"},
                        {"ru_RU.KOI8-R", "0419"}, {"ko_KR", "0412"},     {"pl_PL@euro", "0415"}, {"es_ES.UTF-8", "0c0a"},
                        {"fr_FR", "040c"},        {"pt_PT", "0816"},      {"pt_BR.UTF-8", "0416"}, {"en_US.UTF-8", "0409"},
                        {"C", ""},                {"POSIX", ""},          {"C.UTF-8", ""},        {"", ""},
                        {"xx_YY", ""}};
    for (const Row &r : rows)
        EXPECT_EQ(languageIdOfLocale(r.locale), QString(r.id)) << r.locale;
}

TEST(LocaleId, LcAllBeatsLcMessagesBeatsLang)
{
    QHash<QString, QString> env{{"LC_ALL", ""}, {"LC_MESSAGES", "ja_JP"}, {"LANG", "de_DE"}};
    auto get = [&](const char *n) { return env.value(n); };
    EXPECT_EQ(messagesLocaleName(get), "ja_JP");
    env["LC_ALL"] = "fr_FR";
    EXPECT_EQ(messagesLocaleName(get), "fr_FR");
    env.clear();
    EXPECT_EQ(messagesLocaleName(get), "");
}

TEST(IniDocument, ALineWithoutAKeyOrBeforeAnySectionIsIgnored)
{
    const IniDocument doc = IniDocument::parse("orphan=1\n[S]\n=no key\n  = spaced\nk=v\n");
    EXPECT_EQ(doc.keys("S"), QStringList{"k"});
    EXPECT_FALSE(doc.value("S", ""));
    EXPECT_EQ(doc.sections(), QStringList{"S"});
    EXPECT_EQ(doc.serialize(), "[S]\nk=v\n");
}

TEST(IniDocument, TheFirstOfTwoEqualKeysWinsInTheFileAndInTheIndex)
{
    const IniDocument doc = IniDocument::parse("[S]\nKey=first\nkey=second\n");
    EXPECT_EQ(doc.value("S", "KEY"), "first");
    EXPECT_EQ(doc.keys("S"), QStringList{"Key"});
}

TEST(IniDocument, ASectionRepeatedInAnotherCaseIsOneSection)
{
    IniDocument doc = IniDocument::parse("[English]\na=1\n[ENGLISH]\nb=2\n");
    EXPECT_EQ(doc.sections(), QStringList{"English"});
    EXPECT_EQ(doc.keys("english"), (QStringList{"a", "b"}));
    doc.setValue("english", "A", "3");   // an existing key in any case is replaced in place
    doc.setValue("eNGLISH", "c", "4");
    EXPECT_EQ(doc.serialize(), "[English]\na=3\nb=2\nc=4\n");
}
