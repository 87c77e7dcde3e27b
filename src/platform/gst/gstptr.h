#pragma once

#include <gst/gst.h>

#include <memory>
#include <utility>

namespace platform {

// Owner of one reference to a GstObject. The factory says which transfer the call gave us.
template <typename T>
class GstPtr
{
    T *p_ = nullptr;
    explicit GstPtr(T *p) : p_(p) {}

public:
    GstPtr() = default;
    static GstPtr adopt(T *p) { return GstPtr(p); }                                                     // transfer full
    static GstPtr ref(T *p) { return GstPtr(p ? static_cast<T *>(gst_object_ref(p)) : nullptr); }       // transfer none
    static GstPtr sink(T *p) { return GstPtr(p ? static_cast<T *>(gst_object_ref_sink(p)) : nullptr); } // floating
    GstPtr(GstPtr &&o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    GstPtr &operator=(GstPtr o) noexcept
    {
        std::swap(p_, o.p_);
        return *this;
    }
    GstPtr(const GstPtr &) = delete;
    ~GstPtr()
    {
        if (p_)
            gst_object_unref(p_);
    }
    T *get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
};

// Mini-objects and GLib values with their own unref functions.
struct GstMiniUnref {
    void operator()(GstCaps *p) const { gst_caps_unref(p); }
    void operator()(GstSample *p) const { gst_sample_unref(p); }
    void operator()(GstBuffer *p) const { gst_buffer_unref(p); }
    void operator()(GstMessage *p) const { gst_message_unref(p); }
    void operator()(GError *p) const { g_error_free(p); }
    void operator()(gchar *p) const { g_free(p); }
};
using GstCapsPtr = std::unique_ptr<GstCaps, GstMiniUnref>;
using GstSamplePtr = std::unique_ptr<GstSample, GstMiniUnref>;
using GstBufferPtr = std::unique_ptr<GstBuffer, GstMiniUnref>;
using GstMessagePtr = std::unique_ptr<GstMessage, GstMiniUnref>;
using GErrorPtr = std::unique_ptr<GError, GstMiniUnref>;
using GCharPtr = std::unique_ptr<gchar, GstMiniUnref>;

} // namespace platform
