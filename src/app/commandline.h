#pragma once

#include <QString>
#include <QStringList>

namespace app {

// What the command line asks for. Answered before any window opens, so `--help` and `--version`
// work without a display.
struct CommandLine {
    enum class Action { Unknown, Run, ShowHelp, ShowVersion, ListCameras, Fail };
    Action action = Action::Unknown;
    // --virtual-camera: the same as SENDRA_CAM_VIRTUAL_CAMERA=1 (also for --list-cameras).
    bool virtualCamera = false;
    QString output;   // help or version text, for stdout
    QString error;    // what was wrong, for stderr
    int exitCode = 0; // when the action is not Run
};

// Usage errors end with status 2, as command-line tools do.
inline constexpr int kUsageExitCode = 2;

// `arguments` as QCoreApplication::arguments() gives them (the program first). The window
// system's own options (-platform, -display, -style...) are accepted and left to QApplication.
CommandLine parseCommandLine(const QStringList &arguments);

} // namespace app
