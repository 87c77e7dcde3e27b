#pragma once

#include "platform/mediapipeline.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <system_error>

namespace platform {
class IniDocument;
}

namespace state {

// The format a camera streamed in last, with the MJPG preview switch as it was then: the switch
// names a format of its own for the next connect, so a change of it since wins over the memory.
struct RememberedFormat {
    platform::CaptureFormat format;
    bool mjpgPreview = false;
    friend bool operator==(const RememberedFormat &, const RememberedFormat &) = default;
};

// What the program remembers of one camera. A camera seen for the first time has an empty
// record and starts with the program's defaults.
//
// To remember more of a camera, add the field
// here and its key to CameraMemory's reader and writer; everything else carries records whole.
struct CameraRecord {
    QString name;                                   // the menu name it had last, for a reader of the file
    std::optional<RememberedFormat> format;
    std::map<std::uint32_t, int> controls;          // V4L2 control id -> the value last set
    std::optional<int> flipMode;                    // 0..3 as the orientation buttons set it
    std::optional<QString> scale;                   // the ruler scale chosen last with it, by name
    friend bool operator==(const CameraRecord &, const CameraRecord &) = default;
};

// The per-camera settings file ("Cameras.ini" beside UserSysInfo.ini): the "Show all cameras"
// switch, the camera used last, and one section per camera key (CameraIdentity::key):
//
//   [Cameras]
//   ShowAllCameras=1
//   LastCamera=eb1a:5060:SN0042
//   [Camera eb1a:5060:SN0042]
//   Name=USB Microscope (SN0042)
//   Format=MJPG
//   Size=1600x1200
//   FrameRate=30/1
//   MjpgPreview=1
//   Flip=3
//   Scale=Micro1mm
//   Control.00980900=-30
//
// Written whole and atomically; keys this program does not know (or could not read) are kept.
// UI thread only.
class CameraMemory
{
public:
    explicit CameraMemory(QString path);
    ~CameraMemory();
    CameraMemory(const CameraMemory &) = delete;
    CameraMemory &operator=(const CameraMemory &) = delete;

    // Reads the file. A missing file is a first start; every value that cannot be read is left
    // out and named in the returned lines ("<file>: [section] key=value: reason"). A file that
    // exists but cannot be read is never overwritten in this run.
    QStringList load();
    // Writes everything (temporary file, then rename). The error names the file and the reason.
    bool save(QString &error);

    const QString &path() const { return path_; }

    bool showAllCameras() const { return showAll_; }
    void setShowAllCameras(bool on) { showAll_ = on; }
    const QString &lastCamera() const { return lastCamera_; }
    void setLastCamera(const QString &key) { lastCamera_ = key; }

    // The record of a key; null for a camera never seen.
    const CameraRecord *find(const QString &key) const;
    // The record of a key, made empty for a camera seen for the first time.
    CameraRecord &recordFor(const QString &key);

    // The camera being opened or open: the one place that turns "the current camera" into its
    // record. Null before the first camera is opened.
    void setCurrentCamera(const QString &key) { currentKey_ = key; }
    const QString &currentCamera() const { return currentKey_; }
    CameraRecord *current();

private:
    QString path_;
    bool readOnly_ = false;
    bool showAll_ = true;
    QString lastCamera_;
    QString currentKey_;
    std::map<QString, CameraRecord> records_;
    std::unique_ptr<platform::IniDocument> document_;   // the file as read: unknown keys survive a save
};

} // namespace state
