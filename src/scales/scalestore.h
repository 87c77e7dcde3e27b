#pragma once

#include "scales/rulerscale.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <system_error>

namespace scales {

// The ruler scale store: DATA/ScaleData_Temp.txt below the user's data folder, UTF-16LE with a
// byte-order mark, every line ended by CR LF, 15 lines a scale in list order. The first two scales
// are the built-in ones; their names hold "@". The marker file (Sys/DefScaleData.ini beside the
// program) only has to exist for the built-in scales to be rebuilt.
//
// The lines are held in memory and written whole after every change, through a temporary file
// that is renamed over the store, so a crash mid-write leaves the previous store. Before a store
// is deleted or rebuilt as damaged, it is kept as ScaleData_Temp.txt.bak. UI thread only.
class ScaleStore
{
public:
    static constexpr int kLinesPerScale = 15;

    // `log` receives one line per repair ("Lines Count error", a bad line and its default).
    ScaleStore(QString storeFile, QString markerFile, std::function<void(const QString &)> log = {});

    // Dialog creation: reads the store; a missing store, or one of fewer than two scales, is
    // rebuilt from the built-in scales and written. The error of that write, if any.
    std::error_code open(const BuiltInTexts &texts);
    // Reads the file into memory; false when it is missing or unreadable (the lines are then empty).
    bool load();
    // Writes the lines; an error leaves the previous file in place.
    std::error_code write();
    // The list becomes the two built-in scales (not written).
    void rebuild(const BuiltInTexts &texts);

    bool fileExists() const;
    bool markerExists() const;
    const QString &path() const { return storeFile_; }
    QString backupPath() const { return storeFile_ + QStringLiteral(".bak"); }

    int count() const { return int(lines_.size()) / kLinesPerScale; }
    QStringList names() const;
    const QStringList &lines() const { return lines_; }

    // An entry among the first two whose name lacks "@": the store is not what it should be.
    bool entryDamaged(int index) const;
    // Keeps the store as .bak and removes it (a damaged built-in entry).
    void backupAndRemove();
    // Loading a scale, step one: when entry `index` is a damaged built-in entry, the store is kept
    // as .bak and removed; with the marker file the built-in scales are rebuilt and written
    // (Rebuilt), without it the list in memory stays as it is (Removed). `written` receives the
    // error of the rebuilt store's write, if any.
    enum class Repair { Unknown, None, Rebuilt, Removed };
    Repair repairDamaged(int index, const BuiltInTexts &texts, std::error_code *written = nullptr);

    // The scale at `index` with every unit filled from its mm spin values. A line that is not a
    // number or is out of its range takes the default of a rebuilt store and is logged.
    RulerScaleControl scaleAt(int index) const;
    // The record into the entry's 15 lines (number, mm spin values, look, monitor settings).
    void setScaleAt(int index, const RulerScaleControl &scale);
    void append(const RulerScaleControl &scale);
    // Removes the entry and renumbers line 1 of every following scale.
    void remove(int index);
    void rename(int index, const QString &name);

    // The two built-in names rebuilt from new interface texts (language change).
    void retranslateBuiltIns(const BuiltInTexts &texts);

    // The file's bytes for a list of lines.
    static QByteArray encode(const QStringList &lines);

private:
    static QStringList scaleLines(const RulerScaleControl &scale);
    void logLine(const QString &line) const;

    QString storeFile_;
    QString markerFile_;
    std::function<void(const QString &)> log_;
    QStringList lines_;
};

} // namespace scales
