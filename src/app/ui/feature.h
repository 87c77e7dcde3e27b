#pragma once

namespace app {
struct ActionInputs;
struct ActionState;
} // namespace app

namespace app::ui {

// What every feature of the main window does at the shell's moments. A feature registers once
// with the shell (Shell::addFeature) and is called on the UI thread; each hook does nothing
// unless the feature overrides it.
class Feature
{
public:
    virtual ~Feature() = default;

    // The idle-time update: first every feature adds its facts to the inputs, then every
    // feature applies its rules to the controls it owns.
    virtual void readInputs(ActionInputs &) const {}
    virtual void applyRules(const ActionInputs &, ActionState &) const {}
    // The interface language changed; the shell has already set every table control's text.
    virtual void languageChanged() {}
    // The live-mode buttons below the video: the old mode is left, then the new one entered.
    virtual void leaveLiveMode(int /*oldMode*/, int /*newMode*/) {}
    virtual void enterLiveMode(int /*mode*/) {}
    // The video area moved or changed size (a window preset).
    virtual void videoAreaChanged() {}
    // The 400 ms list timer, while the program is not closing.
    virtual void listTimerTick() {}
    // The exit button, before the exit question: offer to keep unsaved work.
    virtual void beforeExit() {}
    // The close sequence, after the settings were written: stop what runs.
    virtual void closing() {}
};

} // namespace app::ui
