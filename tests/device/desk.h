#pragma once

// The desk of the camera acceptance: a laptop webcam with its metadata node, two identical
// microscopes told apart by their serials, one without a serial, a loopback device nobody feeds
// and the known bridge. Node numbers as the kernel hands them out in plugging order.

#include "mockdevices.h"

namespace devtest {

// A UVC microscope: its capture node and its metadata node.
struct Camera {
    Camera()
    {
        V4l2Mock::makeUvcMicroscope(capture);
        V4l2Mock::makeMetadataNode(metadata);
    }
    Testbed::Camera nodes;
    V4l2Mock capture, metadata;
};

struct Desk {
    Camera webcam, scopeA, scopeB, scopeC, bridge;
    V4l2Mock loopback;

    // `streaming`: every camera sends frames through read() (see V4l2Mock::readFrames).
    explicit Desk(Testbed &bed, bool streaming = false)
    {
        for (Camera *c : {&webcam, &scopeA, &scopeB, &scopeC, &bridge})
            c->capture.readFrames = streaming;
        webcam.capture.card = "Integrated Camera";
        webcam.nodes = bed.addCamera("1-6", "04f2", "b6dd", {}, 0, webcam.capture, webcam.metadata, "Integrated Camera");
        bed.setAttribute(webcam.nodes.usb, "removable", "fixed");
        scopeA.nodes = bed.addCamera("1-1", "0c45", "636b", "MS-A1", 2, scopeA.capture, scopeA.metadata, "USB Microscope");
        scopeB.nodes = bed.addCamera("1-2", "0c45", "636b", "MS-B2", 4, scopeB.capture, scopeB.metadata, "USB Microscope");
        scopeC.nodes = bed.addCamera("1-3.4", "0c45", "636b", {}, 6, scopeC.capture, scopeC.metadata, "USB Microscope");
        bridge.nodes = bed.addCamera("2-1", "eb1a", "5060", "SN0042", 8, bridge.capture, bridge.metadata, "USB2.0 Microscope");
        V4l2Mock::makeLoopbackOutput(loopback);
        bed.addVirtualVideoNode(10, &loopback, "Dummy video device (0x0000)");
        if (streaming)
            for (int node : {0, 2, 4, 6, 8})
                bed.makeReadable(QStringLiteral("/dev/video%1").arg(node));
    }
};

} // namespace devtest
