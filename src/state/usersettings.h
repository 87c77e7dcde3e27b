#pragma once

#include "globalvar.h"

#include "platform/profilestore.h"

#include <QDate>

#include <array>
#include <functional>
#include <vector>

namespace state {

// Where the program keeps the user's files.
struct UserPaths {
    QString userProfileDir;   // USERPROFILE, else HOME
    QString userDataDir;      // ends in "/"
    QString tempBmp;
    ListPaths defListPath;

    static UserPaths fromProfileDir(const QString &profileDir);
    // $USERPROFILE when set and not empty, else $HOME; any length.
    static QString profileDirFromEnvironment();
    QString settingsFile() const { return userDataDir + QStringLiteral("UserSysInfo.ini"); }
    // What is remembered of each camera (state::CameraMemory), beside the settings file.
    QString cameraMemoryFile() const { return userDataDir + QStringLiteral("Cameras.ini"); }
    QString scaleStoreFile() const { return userDataDir + QStringLiteral("DATA/ScaleData_Temp.txt"); }
    QString coverTemp() const { return userDataDir + QStringLiteral("DATA/Image/Cover/CoverTemp.bmp"); }
};

// Creates "Talvent Technology", "Sendra-CAM" and the six DATA folders where missing. Failures
// are not fatal (the program carries on with what it has); the folders that could not be made
// are returned for the log.
QStringList createUserFolders(const UserPaths &paths);

// Every key of the settings file, in the order it is written. The three folders are always
// written from the library folders the user chose (AppState::userListPath), never from the
// record's path fields.
std::vector<platform::ProfileEntry> settingsEntries(const DefaultData &data, const ListPaths &curListPath);

// Reads every key but the three capture counters; missing or non-numeric keys take the defaults.
void readSettings(const platform::ProfileStore &store, DefaultData &data, const ListPaths &defListPath);
void readPhotoNumbers(const platform::ProfileStore &store, DefaultData &data);

// The date text the counters belong to, in the system's short date format.
QString shortDateText(const QDate &date);
// True when the counters belong to `todayText`; otherwise they restart at 0 for today.
bool checkPhotoDate(DefaultData &data, const QString &todayText);

// The language names in menu order, with their menu items and files.
struct LanguageInfo {
    const char *name;
    const char *menuItem;
    const char *windowsId;   // the locale identifier that chooses it at first run
    // Qt locales whose translations of Qt's own dialogs fit the language, best first.
    std::array<const char *, 2> qtLocales;
};
const std::array<LanguageInfo, 11> &languageTable();
bool isLanguageName(const QString &name);

// The first-run language of a locale identifier; `visible` says whether a language's menu item
// is shown (Portuguese is hidden, so its locales give English).
QString localeLanguage(const QString &languageId, const std::function<bool(const QString &)> &visible);

// What the settings part of start-up decided, for the window to apply.
struct LoadedSettings {
    DefaultData data;
    ListPaths curListPath;
    QString language;        // the language to build the interface in
    bool createdFile = false;
    QStringList writes;      // what was written at once, for tests and the log
};

struct SettingsEnvironment {
    platform::ProfileStore &store;
    UserPaths paths;
    QString todayText;
    QString localeLanguage;                                     // GetLocaleLanguage()
    std::function<bool(const QString &)> languageExists;       // CheckLanguageExist
    std::function<bool(const QString &)> folderExists;
};

// Start-up's settings steps: read or create UserSysInfo.ini, check the date, re-initialise a
// file copied from another profile, choose the language.
LoadedSettings loadUserSettings(SettingsEnvironment &env);

} // namespace state
