#pragma once

#include "platform/gst/gstptr.h"

#include <QString>

#include <chrono>

namespace platform {

// A video file decoded to BGRx pictures into an appsink:
//   filesrc ! decodebin ! videoconvert ! video/x-raw,format=BGRx ! appsink
// The first decoded video pad is linked; audio and further video pads stay unlinked. Unclocked;
// the appsink holds up to `maxBuffers` pictures. Set to NULL (threads joined) on destruction.
class DecodeChain
{
public:
    DecodeChain() = default;
    DecodeChain(const DecodeChain &) = delete;
    DecodeChain &operator=(const DecodeChain &) = delete;
    ~DecodeChain();

    // False with `why` when an element is missing or the chain cannot be linked.
    bool build(const char *name, const QString &path, unsigned maxBuffers, QString &why);
    GstElement *pipeline() const { return pipeline_.get(); }
    GstElement *sink() const { return sink_.get(); }

private:
    GstPtr<GstElement> pipeline_;
    GstPtr<GstElement> sink_;
    GstPtr<GstPad> convertSink_;   // outlives the streaming threads that link to it
};

// Waits on a private pipeline's bus until it has prerolled (ASYNC_DONE), it failed (ERROR) or the
// deadline passed; `why` names the failure. Nobody else may pop this bus.
bool waitPrerolled(GstElement *pipeline, std::chrono::steady_clock::time_point deadline, QString &why);

} // namespace platform
