#pragma once

#include "camera/videocamerads.h"
#include "platform/diagnosticslog.h"
#include "platform/gst/gstptr.h"
#include "platform/gst/systemmediabackend.h"
#include "platform/gst/virtualcamera.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

// The whole camera stack on the virtual camera: real udev listing, real GStreamer pipelines.
struct VirtualCameraStack {
    explicit VirtualCameraStack(const QString &options = QStringLiteral("1"))
        : rig(*platform::VirtualCameraOptions::parse(options), log), backend(log, &rig), camera(backend, log)
    {
    }
    // Searches and selects the last virtual camera; true when one was found.
    bool searchVirtual()
    {
        if (!camera.SearchDevice())
            return false;
        for (int slot = camera.deviceTable().deviceCount() - 1; slot >= 0; --slot)
            if (camera.deviceTable().slotIsSupported(slot) &&
                platform::VirtualCameraRig::isVirtual(camera.deviceTable().record(slot))) {
                camera.SetDeviceIndex(slot);
                return true;
            }
        return false;
    }
    bool connect()
    {
        return searchVirtual() && camera.DeviceConnect();
    }
    // Waits for `count` new frames to reach the UI thread.
    bool waitFrames(int count, int timeoutMs = 5000)
    {
        QSignalSpy spy(&camera, &camera::TVideoCameraDS::frameReady);
        while (spy.count() < count)
            if (!spy.wait(timeoutMs))
                return false;
        return true;
    }

    platform::DiagnosticsLog log;
    platform::VirtualCameraRig rig;
    platform::SystemMediaBackend backend;
    camera::TVideoCameraDS camera;
};

#define SKIP_WITHOUT_GST_PLUGINS()                                                                                \
    do {                                                                                                          \
        for (const char *f : {"appsrc", "imagefreeze", "videobalance", "jpegenc", "jpegdec", "videoconvert"})    \
            if (!platform::GstPtr<GstElementFactory>::adopt(gst_element_factory_find(f)))                        \
                GTEST_SKIP() << f << " (gst-plugins-base/good) is not installed";                                \
    } while (0)
