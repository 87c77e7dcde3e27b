#include "state/usersettings.h"

#include "fakes.h"

#include "platform/iniprofilestore.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace state;

namespace {

struct Start {
    fakes::MemoryProfileStore store;
    state::UserPaths paths = state::UserPaths::fromProfileDir("/home/ana");
    QString today = "11/11/14";
    QString locale = "English";
    QStringList folders;   // folders that exist

    state::LoadedSettings run()
    {
        state::SettingsEnvironment env{store, paths, today, locale,
                                [](const QString &n) { return state::isLanguageName(n) && n != "Portuguese"; },
                                [this](const QString &f) { return folders.contains(f); }};
        return state::loadUserSettings(env);
    }
};

} // namespace

TEST(UserPaths, DataFolderBelowTheProfileOfAnyLength)
{
    const state::UserPaths p = state::UserPaths::fromProfileDir("/home/ana/");
    EXPECT_EQ(p.userDataDir, "/home/ana/Talvent Technology/Sendra-CAM/");
    EXPECT_EQ(p.defListPath[state::kListBmp], "/home/ana/Talvent Technology/Sendra-CAM/DATA/Image/Bmp");
    EXPECT_EQ(p.defListPath[state::kListJpg], "/home/ana/Talvent Technology/Sendra-CAM/DATA/Image/Jpg");
    EXPECT_EQ(p.defListPath[state::kListAvi], "/home/ana/Talvent Technology/Sendra-CAM/DATA/Video");
    EXPECT_EQ(p.tempBmp, "/home/ana/Talvent Technology/Sendra-CAM/Temp.bmp");
    const QString deep = "/tmp/" + QString(300, u'p');
    EXPECT_TRUE(state::UserPaths::fromProfileDir(deep).userDataDir.startsWith(deep + "/Talvent"));
}

TEST(UserPaths, ProfileFromUserprofileElseHome)
{
    fakes::TemporaryProfile profile;
    EXPECT_EQ(state::UserPaths::profileDirFromEnvironment(), profile.path());
    qputenv("USERPROFILE", "");
    EXPECT_EQ(state::UserPaths::profileDirFromEnvironment(), profile.path());   // HOME is the same folder here
    qputenv("HOME", "/somewhere/else");
    EXPECT_EQ(state::UserPaths::profileDirFromEnvironment(), "/somewhere/else");
}

TEST(UserFolders, FirstStartCreatesTheWholeTree)
{
    fakes::TemporaryProfile profile;
    const state::UserPaths p = state::UserPaths::fromProfileDir(profile.path());
    EXPECT_TRUE(state::createUserFolders(p).isEmpty());
    for (const char *sub : {"", "DATA", "DATA/Image", "DATA/Image/Bmp", "DATA/Image/Jpg", "DATA/Video", "DATA/Image/Cover"})
        EXPECT_TRUE(QDir(p.userDataDir + sub).exists()) << sub;
    EXPECT_TRUE(state::createUserFolders(p).isEmpty());   // a second start finds them all
}

TEST(Settings, FirstRunWritesEveryKeyThenInitAndTheLocaleLanguage)
{
    Start s;
    s.locale = "German";
    const state::LoadedSettings r = s.run();
    EXPECT_TRUE(r.createdFile);
    EXPECT_EQ(r.language, "German");
    EXPECT_TRUE(r.data.Init);
    EXPECT_EQ(s.store.value("Initial", "DefData.Init"), "1");
    EXPECT_EQ(s.store.value("Language", "DefData.Language"), "German");
    EXPECT_EQ(s.store.value("User", "DefData.User"), "/home/ana");
    EXPECT_EQ(s.store.value("PhotoDate", "DefData.TodayDate"), "11/11/14");
    EXPECT_EQ(s.store.value("PhotoNumber", "DefData.JpgNumber"), "0");
    EXPECT_EQ(s.store.value("ListPath", "DefData.AviPath"), s.paths.defListPath[state::kListAvi]);
    // The sixteen classic keys, the snapping toggle and the scale chosen last (none yet).
    EXPECT_EQ(s.store.values.size(), 18);
    EXPECT_EQ(s.store.value("Setting", "DefData.SnapToEdge"), "0");   // snapping starts off
    EXPECT_EQ(s.store.value("Scale", "DefData.ScaleName"), "");
    EXPECT_EQ(r.curListPath, s.paths.defListPath);
}

TEST(Settings, EntriesAreWrittenInTableOrderAndPathsComeFromTheFoldersInUse)
{
    state::DefaultData d;
    d.BmpPath = "/stale";
    d.MI_OutputFmt = -3;
    const state::ListPaths cur{"/a", "/b", "/c"};
    const auto entries = state::settingsEntries(d, cur);
    QStringList keys;
    for (const auto &e : entries)
        keys << e.key;
    EXPECT_EQ(keys, QStringList({"DefData.Init", "DefData.BmpPath", "DefData.JpgPath", "DefData.AviPath",
                                 "DefData.Language", "DefData.User", "DefData.AutoSave", "DefData.MJPG_2M",
                                 "DefData.TodayDate", "DefData.BmpNumber", "DefData.JpgNumber", "DefData.AviNumber",
                                 "DefData.MI_ImaWithInfo", "DefData.MI_ExtraInfo", "DefData.MI_OnTop",
                                 "DefData.MI_OutputFmt", "DefData.SnapToEdge", "DefData.ScaleName"}));
    EXPECT_EQ(entries[1].value, "/a");
    EXPECT_EQ(entries[15].value, "-3");
}

TEST(Settings, StoredDayKeepsCountersAndFolders)
{
    Start s;
    s.store.present = true;
    s.store.values = {{"Initial/DefData.Init", "1"},          {"User/DefData.User", "/home/ana"},
                      {"Language/DefData.Language", "French"}, {"PhotoDate/DefData.TodayDate", "11/11/14"},
                      {"PhotoNumber/DefData.BmpNumber", "0x10"}, {"PhotoNumber/DefData.JpgNumber", "7"},
                      {"ListPath/DefData.BmpPath", "/data/bmp"}, {"ListPath/DefData.JpgPath", "/gone"},
                      {"Setting/DefData.AutoSave", "5"},       {"Setting/DefData.MJPG_2M", "yes"},
                      {"Setting/DefData.SnapToEdge", "1"}};
    s.folders = {"/data/bmp"};
    const state::LoadedSettings r = s.run();
    EXPECT_EQ(r.language, "French");
    EXPECT_EQ(r.data.BmpNumber, 16);
    EXPECT_EQ(r.data.JpgNumber, 7);
    EXPECT_EQ(r.data.AviNumber, 0);
    EXPECT_TRUE(r.data.AutoSave);     // any non-zero integer
    EXPECT_FALSE(r.data.MJPG_2M);     // not a number: the default
    EXPECT_TRUE(r.data.SnapToEdge);
    EXPECT_EQ(r.curListPath[state::kListBmp], "/data/bmp");
    EXPECT_EQ(r.curListPath[state::kListJpg], s.paths.defListPath[state::kListJpg]);   // folder vanished
    EXPECT_TRUE(r.writes.isEmpty());
}

TEST(Settings, AStaleDateRestartsTheCountersWithoutReadingThem)
{
    Start s;
    s.store.present = true;
    s.store.values = {{"Initial/DefData.Init", "1"}, {"User/DefData.User", "/home/ana"},
                      {"PhotoDate/DefData.TodayDate", "10/11/14"}, {"PhotoNumber/DefData.BmpNumber", "41"}};
    const state::LoadedSettings r = s.run();
    EXPECT_EQ(r.data.BmpNumber, 0);
    EXPECT_EQ(r.data.TodayDate, "11/11/14");
}

TEST(Settings, AFileCopiedFromAnotherProfileStartsOver)
{
    Start s;
    s.locale = "Japanese";
    s.store.present = true;
    s.store.values = {{"Initial/DefData.Init", "1"}, {"User/DefData.User", "/home/bob"},
                      {"Language/DefData.Language", "French"}, {"ListPath/DefData.BmpPath", "/home/bob/pics"}};
    s.folders = {"/home/bob/pics"};
    const state::LoadedSettings r = s.run();
    EXPECT_EQ(r.language, "Japanese");
    EXPECT_EQ(r.curListPath, s.paths.defListPath);
    EXPECT_EQ(s.store.value("User", "DefData.User"), "/home/ana");
    EXPECT_EQ(s.store.value("Initial", "DefData.Init"), "1");
    EXPECT_EQ(s.store.value("Language", "DefData.Language"), "Japanese");
    EXPECT_EQ(r.writes, QStringList({"DefData.Init", "DefData.User", "DefData.Init", "DefData.Language"}));
}

TEST(Settings, PortugueseOrUnknownLanguageIsReplacedByTheLocale)
{
    for (const char *stored : {"Portuguese", "Klingon", ""}) {
        Start s;
        s.locale = "Polish";
        s.store.present = true;
        s.store.values = {{"Initial/DefData.Init", "1"}, {"User/DefData.User", "/home/ana"},
                          {"Language/DefData.Language", stored}};
        const state::LoadedSettings r = s.run();
        EXPECT_EQ(r.language, "Polish") << stored;
        EXPECT_EQ(s.store.value("Language", "DefData.Language"), "Polish") << stored;
    }
}

TEST(Settings, LocaleTableWithPortugueseHidden)
{
    const auto visible = [](const QString &n) { return n != "Portuguese"; };
    struct Row {
        const char *id;
        const char *language;
    };
    const Row rows[] = {{"0404", "ChineseTraditional"}, {"0804", "ChineseSimplified"}, {"0411", "Japanese"},
                        {"0407", "German"},             {"0419", "Russian"},           {"0412", "Korean"},
                        {"0415", "Polish"},             {"0C0A", "Spanish"},           {"040c", "French"},
                        {"0816", "English"},            {"0416", "English"},           {"0409", "English"},
                        {"", "English"},                {"0c07", "English"}};
    for (const Row &r : rows)
        EXPECT_EQ(state::localeLanguage(r.id, visible), r.language) << r.id;
    EXPECT_EQ(state::localeLanguage("0816", [](const QString &) { return true; }), "Portuguese");
}

TEST(Settings, CheckPhotoDateResetsOnlyOnANewDay)
{
    state::DefaultData d;
    d.TodayDate = "11/11/14";
    d.BmpNumber = d.JpgNumber = d.AviNumber = 9;
    EXPECT_TRUE(state::checkPhotoDate(d, "11/11/14"));
    EXPECT_EQ(d.JpgNumber, 9);
    EXPECT_FALSE(state::checkPhotoDate(d, "12/11/14"));
    EXPECT_EQ(d.TodayDate, "12/11/14");
    EXPECT_EQ(d.BmpNumber + d.JpgNumber + d.AviNumber, 0);
}

TEST(Settings, RealFileRoundTripAndADamagedFileFallsBackToDefaults)
{
    fakes::TemporaryProfile profile;
    const state::UserPaths paths = state::UserPaths::fromProfileDir(profile.path());
    state::createUserFolders(paths);
    {
        platform::IniProfileStore store(paths.settingsFile());
        state::DefaultData d;
        d.Init = true;
        d.User = paths.userProfileDir;
        d.Language = "Korean";
        d.TodayDate = "11/11/14";
        d.JpgNumber = 123456;
        ASSERT_TRUE(store.write(state::settingsEntries(d, paths.defListPath)));
    }
    platform::IniProfileStore store(paths.settingsFile());
    state::SettingsEnvironment env{store, paths, "11/11/14", "English", [](const QString &n) { return state::isLanguageName(n); },
                            [](const QString &f) { return QDir(f).exists(); }};
    const state::LoadedSettings r = state::loadUserSettings(env);
    EXPECT_EQ(r.language, "Korean");
    EXPECT_EQ(r.data.JpgNumber, 123456);
    EXPECT_TRUE(r.writes.isEmpty());

    // Binary junk where the settings were: every key defaults, the program still starts.
    QFile f(paths.settingsFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    static const char junk[] = "\x00\xFF[[[=\n\x01garbage=\x02\n";
    f.write(QByteArray(junk, sizeof junk - 1));
    f.close();
    platform::IniProfileStore damaged(paths.settingsFile());
    state::SettingsEnvironment env2{damaged, paths, "11/11/14", "Russian", [](const QString &n) { return state::isLanguageName(n); },
                             [](const QString &f) { return QDir(f).exists(); }};
    const state::LoadedSettings r2 = state::loadUserSettings(env2);
    EXPECT_EQ(r2.language, "Russian");
    platform::IniProfileStore reread(paths.settingsFile());
    EXPECT_EQ(reread.read("Initial", "DefData.Init"), "1");
    EXPECT_EQ(reread.read("User", "DefData.User"), paths.userProfileDir);
}

TEST(Settings, EachStoredFolderThatVanishedFallsBackToItsOwnDefault)
{
    // Table: which of the three stored folders still exist; the others take their own default.
    for (int existing = 0; existing < 8; ++existing) {
        Start s;
        s.store.present = true;
        s.store.values = {{"Initial/DefData.Init", "1"},
                          {"User/DefData.User", "/home/ana"},
                          {"ListPath/DefData.BmpPath", "/data/bmp"},
                          {"ListPath/DefData.JpgPath", "/data/jpg"},
                          {"ListPath/DefData.AviPath", "/data/avi"}};
        const QString stored[] = {"/data/bmp", "/data/jpg", "/data/avi"};
        for (int k = 0; k < 3; ++k)
            if (existing & (1 << k))
                s.folders << stored[k];
        const state::LoadedSettings r = s.run();
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(r.curListPath[std::size_t(k)], (existing & (1 << k)) ? stored[k] : s.paths.defListPath[std::size_t(k)])
                << "existing " << existing << " kind " << k;
    }
}
