#include "usersettings.h"

#include "platform/inidocument.h"

#include <QDir>
#include <QLocale>

namespace state {
namespace {

const QString kInitial = QStringLiteral("Initial");
const QString kListPath = QStringLiteral("ListPath");
const QString kLanguage = QStringLiteral("Language");
const QString kUser = QStringLiteral("User");
const QString kSetting = QStringLiteral("Setting");
const QString kPhotoDate = QStringLiteral("PhotoDate");
const QString kPhotoNumber = QStringLiteral("PhotoNumber");
const QString kMiSetting = QStringLiteral("MI_Setting");
const QString kScale = QStringLiteral("Scale");

QString boolText(bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); }

bool readBool(const platform::ProfileStore &s, const QString &section, const QString &key, bool fallback)
{
    const auto v = s.read(section, key);
    return v ? platform::parseProfileBool(*v).value_or(fallback) : fallback;
}

qint32 readInt(const platform::ProfileStore &s, const QString &section, const QString &key, qint32 fallback)
{
    const auto v = s.read(section, key);
    return v ? platform::parseProfileInt(*v).value_or(fallback) : fallback;
}

QString readText(const platform::ProfileStore &s, const QString &section, const QString &key, const QString &fallback)
{
    return s.read(section, key).value_or(fallback);
}

constexpr std::array<LanguageInfo, 11> kLanguages{{
    {"English", "Lang_English", "0409", {"en", nullptr}},
    {"ChineseTraditional", "Lang_ChineseTradition", "0404", {"zh_TW", nullptr}},
    {"ChineseSimplified", "Lang_ChineseSimplified", "0804", {"zh_CN", nullptr}},
    {"Japanese", "Lang_Japanese", "0411", {"ja", nullptr}},
    {"German", "Lang_German", "0407", {"de", nullptr}},
    {"Russian", "Lang_Russian", "0419", {"ru", nullptr}},
    {"Korean", "Lang_Korean", "0412", {"ko", nullptr}},
    {"Polish", "Lang_Polish", "0415", {"pl", nullptr}},
    {"Spanish", "Lang_Spanish", "0c0a", {"es", nullptr}},
    {"French", "Lang_French", "040c", {"fr", nullptr}},
    // The texts are European Portuguese; Qt ships only Brazilian, which beats English.
    {"Portuguese", "Lang_Portuguese", "0816", {"pt_PT", "pt_BR"}},
}};

// The first-run table, in the order it is searched.
constexpr std::array<std::pair<const char *, const char *>, 11> kLocaleTable{{
    {"0404", "ChineseTraditional"},
    {"0804", "ChineseSimplified"},
    {"0411", "Japanese"},
    {"0407", "German"},
    {"0419", "Russian"},
    {"0412", "Korean"},
    {"0415", "Polish"},
    {"0c0a", "Spanish"},
    {"040c", "French"},
    {"0816", "Portuguese"},
    {"0409", "English"},
}};

} // namespace

UserPaths UserPaths::fromProfileDir(const QString &profileDir)
{
    UserPaths p;
    p.userProfileDir = profileDir;
    QString base = profileDir;
    while (base.size() > 1 && base.endsWith(u'/'))
        base.chop(1);
    p.userDataDir = base + QStringLiteral("/Talvent Technology/Sendra-CAM/");
    p.tempBmp = p.userDataDir + QStringLiteral("Temp.bmp");
    p.defListPath = {p.userDataDir + QStringLiteral("DATA/Image/Bmp"), p.userDataDir + QStringLiteral("DATA/Image/Jpg"),
                     p.userDataDir + QStringLiteral("DATA/Video")};
    return p;
}

QString UserPaths::profileDirFromEnvironment()
{
    const QString profile = qEnvironmentVariable("USERPROFILE");
    return profile.isEmpty() ? qEnvironmentVariable("HOME") : profile;
}

QStringList createUserFolders(const UserPaths &paths)
{
    QStringList failed;
    const QString dataDir = paths.userDataDir;
    const QString company = QDir::cleanPath(dataDir + QStringLiteral(".."));
    for (const QString &folder : {company, dataDir, dataDir + "DATA", dataDir + "DATA/Image", dataDir + "DATA/Image/Bmp",
                                  dataDir + "DATA/Image/Jpg", dataDir + "DATA/Video", dataDir + "DATA/Image/Cover"}) {
        QDir d(folder);
        if (!d.exists() && !QDir().mkdir(folder))
            failed << folder;
    }
    return failed;
}

std::vector<platform::ProfileEntry> settingsEntries(const DefaultData &d, const ListPaths &cur)
{
    return {
        {kInitial, "DefData.Init", boolText(d.Init)},
        {kListPath, "DefData.BmpPath", cur[kListBmp]},
        {kListPath, "DefData.JpgPath", cur[kListJpg]},
        {kListPath, "DefData.AviPath", cur[kListAvi]},
        {kLanguage, "DefData.Language", d.Language},
        {kUser, "DefData.User", d.User},
        {kSetting, "DefData.AutoSave", boolText(d.AutoSave)},
        {kSetting, "DefData.MJPG_2M", boolText(d.MJPG_2M)},
        {kPhotoDate, "DefData.TodayDate", d.TodayDate},
        {kPhotoNumber, "DefData.BmpNumber", QString::number(d.BmpNumber)},
        {kPhotoNumber, "DefData.JpgNumber", QString::number(d.JpgNumber)},
        {kPhotoNumber, "DefData.AviNumber", QString::number(d.AviNumber)},
        {kMiSetting, "DefData.MI_ImaWithInfo", boolText(d.MI_ImaWithInfo)},
        {kMiSetting, "DefData.MI_ExtraInfo", boolText(d.MI_ExtraInfo)},
        {kMiSetting, "DefData.MI_OnTop", boolText(d.MI_OnTop)},
        {kMiSetting, "DefData.MI_OutputFmt", QString::number(d.MI_OutputFmt)},
        {kSetting, "DefData.SnapToEdge", boolText(d.SnapToEdge)},
        {kScale, "DefData.ScaleName", d.ScaleName},
    };
}

void readSettings(const platform::ProfileStore &s, DefaultData &d, const ListPaths &def)
{
    d.Init = readBool(s, kInitial, "DefData.Init", false);
    d.BmpPath = readText(s, kListPath, "DefData.BmpPath", def[kListBmp]);
    d.JpgPath = readText(s, kListPath, "DefData.JpgPath", def[kListJpg]);
    d.AviPath = readText(s, kListPath, "DefData.AviPath", def[kListAvi]);
    d.Language = readText(s, kLanguage, "DefData.Language", QStringLiteral("English"));
    d.User = readText(s, kUser, "DefData.User", QString());
    d.AutoSave = readBool(s, kSetting, "DefData.AutoSave", false);
    d.MJPG_2M = readBool(s, kSetting, "DefData.MJPG_2M", false);
    d.TodayDate = readText(s, kPhotoDate, "DefData.TodayDate", QString());
    d.MI_ImaWithInfo = readBool(s, kMiSetting, "DefData.MI_ImaWithInfo", false);
    d.MI_ExtraInfo = readBool(s, kMiSetting, "DefData.MI_ExtraInfo", false);
    d.MI_OnTop = readBool(s, kMiSetting, "DefData.MI_OnTop", false);
    const qint32 fmt = readInt(s, kMiSetting, "DefData.MI_OutputFmt", 0);
    d.MI_OutputFmt = (fmt >= -32768 && fmt <= 32767) ? qint16(fmt) : qint16(0);
    d.SnapToEdge = readBool(s, kSetting, "DefData.SnapToEdge", false);
    d.ScaleName = readText(s, kScale, "DefData.ScaleName", QString());
}

void readPhotoNumbers(const platform::ProfileStore &s, DefaultData &d)
{
    d.BmpNumber = readInt(s, kPhotoNumber, "DefData.BmpNumber", d.BmpNumber);
    d.JpgNumber = readInt(s, kPhotoNumber, "DefData.JpgNumber", d.JpgNumber);
    d.AviNumber = readInt(s, kPhotoNumber, "DefData.AviNumber", d.AviNumber);
}

QString shortDateText(const QDate &date) { return QLocale::system().toString(date, QLocale::ShortFormat); }

bool checkPhotoDate(DefaultData &d, const QString &todayText)
{
    if (d.TodayDate == todayText)
        return true;
    d.TodayDate = todayText;
    d.BmpNumber = d.JpgNumber = d.AviNumber = 0;
    return false;
}

const std::array<LanguageInfo, 11> &languageTable() { return kLanguages; }

bool isLanguageName(const QString &name)
{
    for (const LanguageInfo &l : kLanguages)
        if (name == QLatin1String(l.name))
            return true;
    return false;
}

QString localeLanguage(const QString &languageId, const std::function<bool(const QString &)> &visible)
{
    const QString id = languageId.toLower();
    for (const auto &[rowId, name] : kLocaleTable)
        if (id == QLatin1String(rowId) && visible(QLatin1String(name)))
            return QLatin1String(name);
    return QStringLiteral("English");
}

LoadedSettings loadUserSettings(SettingsEnvironment &env)
{
    LoadedSettings out;
    DefaultData &d = out.data;
    const ListPaths &def = env.paths.defListPath;
    out.curListPath = def;
    auto writeNow = [&](std::vector<platform::ProfileEntry> entries) {
        for (const auto &e : entries)
            out.writes << e.key;
        env.store.write(entries);
    };

    if (env.store.exists()) {
        readSettings(env.store, d, def);
        if (checkPhotoDate(d, env.todayText))
            readPhotoNumbers(env.store, d);
        QString *fields[] = {&d.BmpPath, &d.JpgPath, &d.AviPath};
        for (int i = 0; i < 3; ++i)
            if (!env.folderExists(*fields[i]))
                *fields[i] = def[i];
    } else {
        d = DefaultData();
        d.BmpPath = def[kListBmp];
        d.JpgPath = def[kListJpg];
        d.AviPath = def[kListAvi];
        d.User = env.paths.userProfileDir;
        checkPhotoDate(d, env.todayText);
        env.store.write(settingsEntries(d, out.curListPath));
        out.createdFile = true;
    }

    if (d.User != env.paths.userProfileDir) {
        // Copied from another profile, or another user: start over for this one.
        d.Init = false;
        d.User = env.paths.userProfileDir;
        writeNow({{kInitial, "DefData.Init", boolText(d.Init)}, {kUser, "DefData.User", d.User}});
    }

    if (d.Init) {
        out.curListPath = {d.BmpPath, d.JpgPath, d.AviPath};
        if (!env.languageExists(d.Language)) {
            d.Language = env.localeLanguage;
            writeNow({{kLanguage, "DefData.Language", d.Language}});
        }
        out.language = d.Language;
    } else {
        out.language = env.localeLanguage;
        d.Language = out.language;
        d.Init = true;
        writeNow({{kInitial, "DefData.Init", boolText(d.Init)}, {kLanguage, "DefData.Language", d.Language}});
    }
    return out;
}

} // namespace state
