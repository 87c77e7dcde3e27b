#pragma once

#include "platform/bitmap.h"
#include "scales/rulerscale.h"
#include "scales/scalefacts.h"
#include "scales/scalesettings.h"
#include "scales/scalestore.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <system_error>

namespace scales {

// A write of the scale store that failed: the file and the reason. The previous file stays.
struct StoreWriteFailure {
    QString file;
    std::error_code error;
};

// The named scales and the selected one: the scale store on disk, the entry selected in it and
// the scale loaded from that entry, with the operations of the scale settings dialog (New,
// Rename, Delete, Save, Ruler Default). The dialog edits through this; it holds no list of its
// own. Every write of the store goes through here, and every failed write is reported once
// through Deps::writeFailed, naming the file and the reason. What the store's lines have no room
// for (the picture size and camera of a calibration) lives in its side file, ScaleFacts, and
// comes with the selected scale (RulerScaleControl::calibratedSize, cameraKey). UI thread only.
class ScaleLibrary
{
public:
    struct Deps {
        QString storeFile;    // DATA/ScaleData_Temp.txt below the user's data folder
        QString markerFile;   // Sys/DefScaleData.ini beside the program
        std::function<void(const QString &line)> log;                // the diagnostics log
        std::function<BuiltInTexts()> builtInTexts;                  // built-in names in the current language
        std::function<float()> detectedMonitorWidthCm;               // 0 when none was detected
        std::function<void(const StoreWriteFailure &)> writeFailed;  // tell the user
    };
    explicit ScaleLibrary(Deps deps);

    // FormCreate: reads the store (a missing or short one is rebuilt and written) and its side
    // file, and loads the first scale.
    void open();
    // Model recognition: the store is read again and the selected scale reloaded.
    void reload();
    // After new interface texts: the built-in names follow the language (written), the selected
    // scale is reloaded.
    void retranslate();

    const ScaleStore &store() const { return store_; }
    int count() const { return store_.count(); }
    QStringList names() const { return store_.names(); }
    bool fileExists() const { return store_.fileExists(); }
    // The selected entry and the scale loaded from it: the program's current scale whenever the
    // dialog is closed.
    int selected() const { return selected_; }
    const RulerScaleControl &current() const { return current_; }

    // LoadScale: entry `index` (held inside the list) becomes the current scale. A damaged
    // built-in entry is repaired first. True when that repair rebuilt the list (list it again).
    bool select(int index);
    // The first entry of that name, or -1.
    int find(const QString &name) const { return int(store_.names().indexOf(name)); }
    // The scale remembered for a start or a camera: the first of `names` (best first) that the
    // list holds is selected, else the first entry. The index selected.
    int selectFirstOf(const QStringList &names);
    // The camera the scale at `index` was calibrated with; empty when not known.
    QString scaleCameraKey(int index) const { return facts_.fact(store_.names().value(index)).cameraKey; }
    // The detected monitor width, 0 for none.
    float detectedMonitorWidthCm() const;

    // New: a scale of that name with zero millimetre lengths, the store's defaults, the colour and
    // magnification mode shown, appended, written and selected. Its monitor width is the detected
    // one, else the width the current scale uses on this machine: a new scale does not forget
    // the monitor.
    std::error_code addNew(const QString &name, platform::ColorRef colour, int magnificationMode);
    // A scale from a picture (its name, unit and lengths; the look of a rebuilt store), appended,
    // written and selected.
    std::error_code add(const RulerScaleControl &scale);
    // Rename and Delete touch user scales only (not the built-in ones); Delete selects the one before.
    std::error_code renameSelected(const QString &name);
    std::error_code removeSelected();
    // Save: the controls into the selected entry and the current scale, written. `calibration`,
    // when given, is what the lengths were calibrated against (kept in the side file); without it
    // the entry keeps what it had.
    std::error_code saveSelected(const ScaleControls &controls, const ScaleFact *calibration = nullptr);
    // "Ruler Default" checked: the list in memory becomes the built-in scales, the first selected;
    // false (nothing changes) without the marker file. Nothing is written until a Save.
    bool showDefaults();
    // "Ruler Default" unchecked: the list as the file holds it again.
    void dropDefaults();

private:
    BuiltInTexts texts() const;
    void logLine(const QString &line) const;
    // Writes the store; a failure is reported and returned.
    std::error_code write();
    std::error_code report(std::error_code ec);
    std::error_code appendAndSelect(RulerScaleControl scale);
    // The side file after the list changed: facts of names no longer listed go; written.
    std::error_code writeFacts();

    Deps deps_;
    ScaleStore store_;
    ScaleFacts facts_;
    RulerScaleControl current_;
    int selected_ = 0;
};

} // namespace scales
