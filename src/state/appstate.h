#pragma once

#include "state/globalvar.h"

#include <QObject>

namespace state {

// The flags several features read, the settings record and the library folders in use. One
// object, owned by the program and handed to each feature; UI thread only.
//
// Each flag has exactly one writer, named beside its setter; everyone else reads flags() and
// may observe flagsChanged(). The idle-time update reads the flags whenever the event queue
// empties, so nothing has to react to a change at the moment it happens.
class AppState final : public QObject
{
    Q_OBJECT
public:
    explicit AppState(QObject *parent = nullptr) : QObject(parent) {}

    const AppFlags &flags() const { return flags_; }

    void setDeviceFound(bool on) { set(flags_.DeviceFound, on); }            // camera controller
    void setVideoConnected(bool on) { set(flags_.VideoConnected, on); }      // camera controller
    void setVideoPlaying(bool on) { set(flags_.VideoPlaying, on); }          // player
    void setVideoRecording(bool on) { set(flags_.VideoRecording, on); }      // recording controller
    void setClosing() { set(flags_.IsClosing, true); }                       // main window's close sequence
    void setEditMode(bool on) { set(flags_.EditMode, on); }                  // still-image controller
    void setImageProcessMode(bool on) { set(flags_.ImageProcessMode, on); }  // filter controller
    void setOverlayMode(bool on) { set(flags_.OverlayMode, on); }            // live-mode controller
    void setVmrAvailable(bool on) { set(flags_.VmrAvailable, on); }          // start-up
    void setViewerOpen(bool on) { set(flags_.ViewerOpen, on); }              // image viewer
    void setLiveMode(int mode) { set(flags_.LiveMode, mode); }               // live-mode controller
    void setSizePreset(int preset) { set(flags_.SizePreset, preset); }       // layout controller

    // The settings record and the library folders in use: read by all, each part written through
    // its setter by the one writer named beside it.
    const DefaultData &settings() const { return settings_; }
    const ListPaths &curListPath() const { return curListPath_; }
    // The library folders the user chose, stored in the settings file. They differ from the ones
    // in use while a timed capture or a conversion has its output folder shown for the run.
    const ListPaths &userListPath() const { return userListPath_; }
    CaptureNumbers captureNumbers() const
    {
        return {settings_.TodayDate, settings_.BmpNumber, settings_.JpgNumber, settings_.AviNumber};
    }
    void loadSettings(const DefaultData &data, const ListPaths &curListPath)   // the shell, at start
    {
        settings_ = data;
        curListPath_ = curListPath;
        userListPath_ = curListPath;
    }
    void setLanguage(const QString &language) { settings_.Language = language; }   // the shell
    void setAutoSave(bool on) { settings_.AutoSave = on; }                          // the shell (menu item)
    void setMjpgPreview(bool on) { settings_.MJPG_2M = on; }                        // camera controller
    void setSnapToEdge(bool on) { settings_.SnapToEdge = on; }                      // measure controller (drawing bar)
    void setScaleName(const QString &name) { settings_.ScaleName = name; }          // the composition root (scales)
    void setCaptureNumbers(const CaptureNumbers &n)                                 // still image's capture counter
    {
        settings_.TodayDate = n.todayDate;
        settings_.BmpNumber = n.bmp;
        settings_.JpgNumber = n.jpg;
        settings_.AviNumber = n.avi;
    }
    void setListPath(int kind, const QString &folder)   // thumbnail browser: the user's choice
    {
        curListPath_[std::size_t(kind)] = folder;
        userListPath_[std::size_t(kind)] = folder;
    }
    void useToolFolder(int kind, const QString &folder) { curListPath_[std::size_t(kind)] = folder; }   // thumbnail browser

Q_SIGNALS:
    void flagsChanged();

private:
    template <typename T> void set(T &field, T value)
    {
        if (field == value)
            return;
        field = value;
        Q_EMIT flagsChanged();
    }

    AppFlags flags_;
    DefaultData settings_;
    ListPaths curListPath_;
    ListPaths userListPath_;
};

} // namespace state
