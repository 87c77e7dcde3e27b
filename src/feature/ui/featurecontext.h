#pragma once

#include <QString>

class QWidget;

namespace platform {
class Clock;
class DiagnosticsLog;
} // namespace platform

namespace state {
class AppState;
struct UserPaths;
} // namespace state

namespace feature::ui {

class Controls;
class ShellPort;
class UserDialogs;

// What the composition root hands every feature controller: the shell's port, the dialogs, the
// shared flags and settings, the main window's controls and the window itself (the parent of
// dialogs, the screen it is on), and the outside world's log, clock and folders. The references
// live as long as the program's shell. UI thread.
struct FeatureContext {
    ShellPort &shell;
    UserDialogs &dialogs;
    state::AppState &state;
    Controls &controls;
    QWidget &window;
    platform::DiagnosticsLog &log;
    platform::Clock &clock;
    const state::UserPaths &paths;
    QString programDir;
};

} // namespace feature::ui
