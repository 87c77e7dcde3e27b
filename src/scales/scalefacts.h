#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <map>
#include <system_error>

namespace scales {

// What a scale was calibrated against, which the store's 15 lines have no room for.
struct ScaleFact {
    QSize calibratedSize;   // the picture size the calibration measured in; empty: unknown
    QString cameraKey;      // the camera's CameraIdentity key; empty: unknown
    bool empty() const { return calibratedSize.isEmpty() && cameraKey.isEmpty(); }
    friend bool operator==(const ScaleFact &, const ScaleFact &) = default;
};

// The side file of the scale store (DATA/ScaleData_Calibration.ini beside ScaleData_Temp.txt),
// so that the store itself stays exactly as every reader of it expects. One section per scale
// that has facts, keyed by the scale's name (the first entry of a name owns them, as a lookup by
// name finds it):
//
//   [Scale 1]
//   Name=Micro1mm
//   CalibratedSize=1600x1200
//   Camera=eb1a:5060:SN0042
//
// The section numbers only keep the sections apart; a name may hold "=", "]" or anything else.
// Written whole and atomically after every change; a missing or unreadable file means no facts.
// UI thread only.
class ScaleFacts
{
public:
    explicit ScaleFacts(QString path = QString());

    // The side file of a store file: the same folder, "ScaleData_Calibration.ini".
    static QString pathFor(const QString &storeFile);

    // Reads the file; the lines that cannot be read are named in the returned list and left out.
    QStringList load();
    std::error_code write() const;
    const QString &path() const { return path_; }

    ScaleFact fact(const QString &name) const;
    // An empty fact removes the name.
    void set(const QString &name, const ScaleFact &fact);
    void rename(const QString &from, const QString &to);
    // Keeps only the names of `names` (after a delete or "Ruler Default").
    void retain(const QStringList &names);
    bool operator==(const ScaleFacts &o) const { return facts_ == o.facts_; }

private:
    QString path_;
    std::map<QString, ScaleFact> facts_;
};

} // namespace scales
