# Media adapters: V4L2 controls and formats, udev discovery and hot-plug, GStreamer pipelines,
# playback, frame extraction and the virtual camera. Logic sees only the value types and
# interfaces at the root of platform/; only the executable's composition root links these.
sendra_add_library(platform_v4l2 platform/v4l2 v4l2/v4l2device.cpp)
target_link_libraries(sendra_platform_v4l2 PUBLIC sendra::platform)

sendra_add_library(platform_udev platform/udev udev/udevdevicemonitor.cpp udev/capturenodes.cpp udev/evdevstillbutton.cpp)
target_link_libraries(sendra_platform_udev PUBLIC sendra::platform sendra::platform_v4l2 PRIVATE PkgConfig::UDEV)

# make coverage: only the device layer is counted, unoptimised so lines map to code; whatever
# links it links libgcov too.
if(SENDRA_COVERAGE)
    foreach(target sendra_platform_v4l2 sendra_platform_udev)
        target_compile_options(${target} PRIVATE --coverage -O0)
        target_link_options(${target} INTERFACE --coverage)
    endforeach()
endif()

sendra_add_library(platform_gst platform/gst
    gst/gstinit.cpp gst/specimen.cpp gst/specimenpainter.cpp gst/virtualcamera.cpp gst/gstcapturepipeline.cpp gst/systemmediabackend.cpp
    gst/gstcompressors.cpp gst/gstrecordingbranch.cpp
    gst/sampleimage.cpp gst/frameextractor.cpp gst/gstplaybackengine.cpp gst/gstvideoframereader.cpp gst/gstaviwriter.cpp
    gst/gstmediafiles.cpp gst/decodechain.cpp)
target_link_libraries(sendra_platform_gst PUBLIC sendra::platform sendra::platform_udev sendra::platform_v4l2
                      PkgConfig::GST Qt6::Gui)
