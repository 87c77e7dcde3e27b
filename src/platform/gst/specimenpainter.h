#pragma once

#include "platform/gst/gstptr.h"
#include "platform/gst/specimen.h"

#include <QByteArray>

#include <gst/app/gstappsrc.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

class QObject;

namespace platform {

// The feeder of a pre-encoded source: one JPEG, sent again with the timestamps of a steady rate.
// clocksync downstream holds each frame until its time, as a camera delivers them. The painter
// replaces the JPEG from its thread; the appsrc's thread sends whichever is current.
struct JpegRepeater {
    std::mutex mutex;   // guards frame
    GstBufferPtr frame;
    GstClockTime duration = 0;
    std::uint64_t sent = 0;
    std::atomic<std::uint64_t> *total = nullptr;

    void replace(const QByteArray &jpeg);
};

// The appsrc's need-data callback of a repeater (`user`).
void repeatJpeg(GstAppSrc *src, guint length, gpointer user);

// The specimen at `focus` as one BGRx buffer for the appsrc of a raw source.
GstBuffer *specimenBuffer(int width, int height, int focus, SpecimenRelief relief);
// The specimen at `focus` as the JPEG a pre-encoded source repeats.
QByteArray specimenJpeg(int width, int height, int focus, SpecimenRelief relief);

// Draws the specimen at a new focus on its own thread, so that turning the focus never holds
// the UI thread (a blur of up to 75 px radius over 1600 x 1200 takes a good part of a second):
// the UI thread hands over what to draw, the worker draws it, gives the picture to the source
// (the repeater's lock, or the appsrc, which takes buffers from any thread) and reports back
// with a call queued to `receiver`'s thread. A newer request for a source replaces one not
// started yet.
class SpecimenPainter
{
public:
    struct Job {
        GstPtr<GstElement> appsrc;   // keeps the source, and with it the repeater, alive
        JpegRepeater *repeater = nullptr;
        int width = 0, height = 0, focus = 0;
        SpecimenRelief relief = SpecimenRelief::Flat;
    };
    // `drawn(source, focus)` runs on `receiver`'s thread once `source` sends the new picture.
    using Drawn = std::function<void(GstElement *source, int focus)>;

    SpecimenPainter(QObject *receiver, Drawn drawn);
    ~SpecimenPainter();
    SpecimenPainter(const SpecimenPainter &) = delete;
    SpecimenPainter &operator=(const SpecimenPainter &) = delete;

    // UI thread.
    void post(Job job);

private:
    void run();

    QObject *receiver_;
    Drawn drawn_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::map<GstElement *, Job> jobs_;
    bool stopping_ = false;
    std::thread thread_;   // last: started once the fields above exist
};

} // namespace platform
