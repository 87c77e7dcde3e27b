#pragma once

namespace feature {

struct ActionInputs;
struct ActionState;

// What every feature of the main window does at the shell's moments. A feature registers once
// with the shell and is called on the UI thread; each hook does nothing unless the feature
// overrides it.
class Feature
{
public:
    virtual ~Feature() = default;

    // The idle-time update: every feature adds its facts to the inputs; one pure function
    // (app::computeActions) turns them into the controls' states, which the shell applies.
    virtual void readInputs(ActionInputs &) const {}
    // Effects of the idle-time states outside the window's control table (a window of the
    // feature's own, a box it shows), applied after the controls.
    virtual void applyActions(const ActionState &) {}
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

} // namespace feature
